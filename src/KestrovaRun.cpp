// SPDX-License-Identifier: BSD-2-Clause
#include "src/KestrovaRun.h"

#include "GNSS/mGNSSc.h"
#include "GNSS/mjd.h"
#include "GNSS/ymdhms.h"
#include "GNSSf/GNSS_ApplyMultipath.h"
#include "GNSSf/GNSS_SetGLNFreq.h"
#include "src/Usage.h"

#include <iostream>

void KestrovaRun::Phases(int argc, const char** argv)
{
    // asked how to use it, the tool reads nothing and writes nothing else
    if (AsksForUsage(argc, argv)) return WriteUsage(std::cout);
    app.GetFiles(argc, argv);
    app.SetFile();
    app.ReadFile();
    SetGlonassFrequency(rd, glnfc, app.GetIsGLNFreqChan());
    app.PrintSet();
    ApplyMultipath(rd, mp1, mp2, app.GetIsMP1(), app.GetIsMP2(), app.GetVerbose());
    app.PrintObs();
    app.EndProg();
}

void ResetRunState()
{
    GLONASSc::freq = matrix<long double>(GLONASSc::NSlots, 2, 0.0L);
    GLONASSc::lamb = matrix<long double>(GLONASSc::NSlots, 2, 0.0L);
    GLC::Reset();
    mjdns::NDecSecond = 1;
    ymdhmsns::NDecSecond = 1;
    std::cout.copyfmt(std::ios(nullptr));
    std::cout.clear();
    std::cerr.clear();
}
