// SPDX-License-Identifier: BSD-2-Clause
// A RINEX 3 or 4 observation file, listed with every system, all epochs and the millisecond-jump
// removal, and without a channel file, so that the GLONASS channels of its header are used; with
// chosen signals of some bands and other pairs of bands of the combinations.
#include "fuzz/FuzzRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string obs = WriteInput("obs.rnx", data, size);
    RunKestrova({"-o" + obs, "-cGRECJIS", "-a", "-ms",
                 "-iG2LX:E1X:C2Q:", "-fG15:E15:C27:", "-r" + ScratchFile("out.gof")});
    return 0;
}
