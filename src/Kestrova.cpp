// SPDX-License-Identifier: BSD-2-Clause
// Kestrova: lists the observations and linear combinations of a RINEX 2, 3 or 4 observation file.
#include "src/KestrovaRun.h"

int main(int argc, const char** argv)
{
    KestrovaRun().Phases(argc, argv);
    return 0;
}
