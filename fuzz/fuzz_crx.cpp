// SPDX-License-Identifier: BSD-2-Clause
// The Compact RINEX decoder on the input held in memory; a framed error ends a run normally.
#include "GNSS/CompactRINEX.h"
#include "fuzz/FuzzRun.h"

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // the frames go to standard output: a failed stream writes nothing
    std::cout.setstate(std::ios::badbit);
    try {
        std::string rinex = DecodeCompactRINEX({reinterpret_cast<const char*>(data), size});
        // every line of the text it gives ends in LF
        if (!rinex.empty() && rinex.back() != '\n') __builtin_trap();
    } catch (const FatalExit&) {
    }
    std::cout.clear();
    return 0;
}
