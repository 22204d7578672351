// SPDX-License-Identifier: BSD-2-Clause
// The decompression of an input file: gzip, compress, bzip2, xz or zip streams, damaged or
// not, read once into memory; a framed error ends a run normally.
#include "PROGINC/InputText.h"
#include "fuzz/FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string file = WriteInput("input", data, size);
    RunGuarded([&] {
        InputText in;
        if (in.Load(file.c_str(), "RINEX FILE") && in.Undone().empty() &&
            in.Text() != std::string_view(reinterpret_cast<const char*>(data), size))
            __builtin_trap(); // a plain file is given back as it is
    });
    return 0;
}
