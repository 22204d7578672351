// SPDX-License-Identifier: BSD-2-Clause
// One run of the tool: the inputs that live for the whole run and the walk of its values:
// settings, reading, plan, settings header, corrections, listing. The program, the fuzz
// harnesses and the tests all run through here, so that a new phase is added once.
#ifndef KESTROVA_SRC_KESTROVARUN_H
#define KESTROVA_SRC_KESTROVARUN_H

#include "GNSS/BroadcastNav.h"
#include "GNSS/GLNSat.h"
#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "PROGINC/ResultFile.h"
#include "src/Progress.h"
#include "src/RunPlan.h"
#include "src/RunSettings.h"
#include "teqc/CompactTEQC.h"

#include <filesystem>
#include <fstream>
#include <vector>

// The inputs of a run: the observation file and the optional files.
struct RunInputs {
    RINEXHeader rh;
    RINEXData rd{rh};
    RINEX rnx{rh, rd};
    CompactTEQC mp1;
    CompactTEQC mp2;
    GLNSat channels;
    BroadcastNav nav;
};

struct KestrovaRun {
    RunInputs in;

    // Every phase, from the command line to the closing banner.
    void Phases(int argc, const char** argv);
};

// The settings of a command line and the plan up to the reading of the file (for tests of the
// options): the messages as in a run. The installed GLONASS channel table is looked for from
// programFolder (the folder of the running program in a run).
RunSettings SettingsOf(int argc, const char** argv, RunInputs& in, RunPlan& plan,
                       Progress& progress, const std::filesystem::path& programFolder);

// Reading the file and the optional inputs, and the plan they allow.
void ReadAndPlan(const RunSettings& s, RunPlan& plan, RunInputs& in, Progress& progress);

#endif
