// SPDX-License-Identifier: BSD-2-Clause
// Kestrova: lists the observations and linear combinations of a RINEX 2, 3 or 4 observation file.
#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSSf/GNSS_ApplyMultipath.h"
#include "GNSSf/GNSS_SetGLNFreq.h"
#include "src/Kestrovac.h"
#include "src/Usage.h"
#include "teqc/CompactTEQC.h"

#include <iostream>

int main(int argc, const char** argv)
{
    // asked how to use it, the tool reads nothing and writes nothing else
    if (AsksForUsage(argc, argv)) {
        WriteUsage(std::cout);
        return 0;
    }
    RINEXHeader rh;
    RINEXData rd(rh);
    RINEX rnx(rh, rd);
    CompactTEQC mp1;
    CompactTEQC mp2;
    GLNSat glnfc;
    Kestrovac app(rh, rd, rnx, mp1, mp2, glnfc);

    app.GetFiles(argc, argv);
    app.SetFile();
    app.ReadFile();
    SetGlonassFrequency(rd, glnfc, app.GetIsGLNFreqChan());
    app.PrintSet();
    ApplyMultipath(rh, rd, mp1, mp2, app.GetIsMP1(), app.GetIsMP2(), app.GetVerbose());
    app.PrintObs();
    app.EndProg();
    return 0;
}
