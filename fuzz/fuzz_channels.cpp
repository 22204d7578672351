// SPDX-License-Identifier: BSD-2-Clause
// The GLONASS frequency channel file, applied to a small GLONASS file.
#include "fuzz/FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string obs = std::string(KESTROVA_TEST_DATA) + "/glonass_dual.10o";
    std::string glo = WriteInput("channels.glo", data, size);
    RunKestrova({"-o" + obs, "-cR", "-gf" + glo, "-r" + ScratchFile("out.gof")});
    return 0;
}
