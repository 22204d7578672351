// SPDX-License-Identifier: BSD-2-Clause
// The RINEX observation file, listed with every system, all epochs and the channel file.
#include "fuzz/FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string channels = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";
    std::string obs = WriteInput("obs.10o", data, size);
    RunKestrova({"-o" + obs, "-cGRECJIS", "-a", "-gf" + channels, "-r" + ScratchFile("out.gof")});
    return 0;
}
