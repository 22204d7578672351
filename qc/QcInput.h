// SPDX-License-Identifier: BSD-2-Clause
// What the quality check of an observation file takes: every signal of every satellite as the
// file gave it, the epochs, and where navigation data were given each satellite's elevation and
// azimuth at each epoch and its grid epochs above the cut-off.
#ifndef KESTROVA_QC_QCINPUT_H
#define KESTROVA_QC_QCINPUT_H

#include "GNSS/SignalStore.h"
#include "summary/GofReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One value of a signal: the epoch (an index into QcInput::epochs), the value as the file wrote
// it (codes m, phases cycles, Doppler Hz, strength dB-Hz) and its loss-of-lock digit. The
// reader's own values, so that they are moved into the input, not copied.
using QcValue = SignalValue;

// One signal of a satellite: its RINEX 3/4 code ("C1C", "L2W") or RINEX 2 type ("C1", "P2"),
// kept as the file names it.
struct QcSignal {
    std::string code;
    char kind = 'C';             // C code (RINEX 2 P codes too), L phase, D Doppler, S strength
    int band = 0;                // 1 to 9
    char attribute = ' ';        // blank for RINEX 2 types
    std::vector<QcValue> values; // by ascending epoch, at most one per epoch
};

struct QcSatellite {
    char system = 'G';
    int prn = 0;
    std::optional<int> channel; // GLONASS frequency channel, where known
    std::vector<QcSignal> signals;
    // Degrees at each epoch of QcInput::epochs (NaN where not computed); empty without
    // navigation data.
    std::vector<float> elevation, azimuth;
    // Grid epochs of the window at which the satellite was above the cut-off; none without
    // navigation data.
    std::optional<long long> above;
};

// The two bands of a system's dual-frequency combinations.
struct QcPair {
    char system = 'G';
    int band1 = 1, band2 = 2;
};

struct QcInput {
    std::vector<Ticks> epochs; // of the file's epochs, ascending
    Ticks interval = 0;        // the file's (or the run's) interval; 0: unknown
    std::vector<QcSatellite> satellites;
    std::vector<QcPair> pairs;
    std::optional<double> cutoff; // degrees; none: the horizon
    // Epochs (indexes) of the receiver clock's millisecond jumps; none when not searched.
    std::optional<std::vector<std::int32_t>> clockJumps;
};

#endif
