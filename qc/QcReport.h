// SPDX-License-Identifier: BSD-2-Clause
// The writers of the quality figures: the text report (in the style of kestrova-summary), the
// JSON document a database loads, and the tab-separated rows of spreadsheets.
#ifndef KESTROVA_QC_QCREPORT_H
#define KESTROVA_QC_QCREPORT_H

#include "qc/QcFigures.h"
#include "qc/QcInput.h"

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The program name written in every frame of kestrova-qc's own messages.
inline constexpr const char* QcName = "kestrova-qc";

// An input file as the report names it: what it is, its name as given, and its size and
// SHA-256 where it could be read again (not a pipe).
struct QcInputFile {
    std::string role; // "observation", "navigation", "glonass-channels"
    std::string name;
    std::optional<std::uintmax_t> size;
    std::string sha256;
};

// What the report's header says: the file's own facts apart from the run's settings.
struct QcFacts {
    std::string file;
    std::string version; // of the program
    // of the file's header
    double rinexVersion = 0;
    std::string marker, markerNumber, receiver, receiverNumber, receiverVersion, antenna,
        antennaNumber;
    std::optional<double> headerInterval; // s
    std::optional<std::array<double, 3>> position;
    // of the run
    std::string systems; // letters
    Ticks start = 0, end = 0;
    // The span the file promises where it ends early (completeness is counted over it).
    struct Span {
        Ticks start = 0, end = 0;
        std::string source; // "TIME OF LAST OBS", "FILE NAME 01H"
    };
    std::optional<Span> nominal;
    double interval = 0, tolerance = 0; // s
    std::optional<double> cutoff;
    std::optional<std::array<double, 3>> receiverUsed; // the plan's receiver position
    std::string receiverSource;
    std::vector<std::string> navFiles;
    std::string satellites, excluded; // -p and -x as typed
    std::vector<QcInputFile> inputs;
};

// "2024-05-03 00:00:00.000": an epoch in ticks as a calendar date.
std::string EpochText(Ticks t);
// A figure in metres (or TECU/min, dB-Hz) with 3 decimals; "-" for none.
std::string FigureText(std::optional<long double> v, int decimals = 3);
// Completeness in percent with one decimal; "-" for none.
std::string CompletenessText(const SignalFigures& f);

void WriteText(std::ostream& out, const QcFacts& facts, const QcInput& in, const QcResult& r);
void WriteJson(std::ostream& out, const QcFacts& facts, const QcInput& in, const QcResult& r);
void WriteTsv(std::ostream& out, const QcResult& r);

#endif
