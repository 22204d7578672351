// SPDX-License-Identifier: BSD-2-Clause
// One run of the tool: the seven objects that live for the whole run and the phases that drive
// them, in their order. The program, the fuzz harnesses and the tests all run through here, so
// that a new phase is added once.
#ifndef KESTROVA_SRC_KESTROVARUN_H
#define KESTROVA_SRC_KESTROVARUN_H

#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "src/Kestrovac.h"
#include "teqc/CompactTEQC.h"

struct KestrovaRun {
    RINEXHeader rh;
    RINEXData rd{rh};
    RINEX rnx{rh, rd};
    CompactTEQC mp1;
    CompactTEQC mp2;
    GLNSat glnfc;
    Kestrovac app{rh, rd, rnx, mp1, mp2, glnfc};

    // Every phase, from the command line to the closing banner.
    void Phases(int argc, const char** argv);
};

// The program-wide state a run leaves behind (the GLONASS slot tables, the combination factors,
// the decimals of printed seconds, the format of the console streams), back to where a process
// starts: for processes that run more than once.
void ResetRunState();

#endif
