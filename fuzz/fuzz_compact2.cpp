// SPDX-License-Identifier: BSD-2-Clause
// The COMPACT2 multipath file, applied to a small GPS file.
#include "fuzz/FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string obs = std::string(KESTROVA_TEST_DATA) + "/cli_minimal.10o";
    std::string mp = WriteInput("mp.mp1", data, size);
    RunKestrova({"-o" + obs, "-cG", "-m1" + mp, "-m2" + mp, "-r" + ScratchFile("out.gof")});
    return 0;
}
