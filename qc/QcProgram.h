// SPDX-License-Identifier: BSD-2-Clause
// kestrova-qc: the quality of every signal of one observation file, as a text report on
// standard output and, on request, as JSON, TSV or the rows of one figure for pictures.
#ifndef KESTROVA_QC_QCPROGRAM_H
#define KESTROVA_QC_QCPROGRAM_H

#include "qc/QcPlotData.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The command line of kestrova-qc: its own options, and the words it shares with kestrova,
// which the one parser of kestrova's options reads (ParseCommandLine).
struct QcOptions {
    bool usage = false;
    std::string file; // the observation file; "-" standard input
    std::optional<std::string> json, tsv;
    std::optional<PlotChoice> plot;
    // The words of kestrova's parser: -o with the file, then the shared options as typed.
    std::vector<std::string> runWords;
};

// The options of a command line; a word that cannot be used ends the run in its frame.
QcOptions ParseQcOptions(int argc, const char** argv);
void WriteQcUsage(std::ostream& out);

// The whole program; its exit status.
int RunQc(int argc, const char** argv);

#endif
