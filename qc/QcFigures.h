// SPDX-License-Identifier: BSD-2-Clause
// The quality figures of every signal: observations and completeness, code multipath about each
// arc's mean, signal strength, loss-of-lock flags and unflagged slips, and the ionosphere's rate
// of change (ROT) and its index (ROTI), per satellite, per system and per elevation bin.
#ifndef KESTROVA_QC_QCFIGURES_H
#define KESTROVA_QC_QCFIGURES_H

#include "qc/QcInput.h"
#include "summary/ArcSummary.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// A ROTI is formed over windows of this many seconds that hold at least RotiMinValues ROTs;
// files with a longer interval than RotiMaxInterval seconds get none ("interval too long").
inline constexpr long long RotiWindowSeconds = 300, RotiMinValues = 5, RotiMaxInterval = 60;
// Electrons per m^2 of one TEC unit.
inline constexpr long double ElectronsPerTecu = 1e16L;

struct Mean {
    long double sum = 0;
    long long n = 0;
    void Add(long double v) { sum += v, ++n; }
    void Add(const Mean& m) { sum += m.sum, n += m.n; }
    std::optional<long double> Value() const;
};

// The figures of one signal, of one satellite or pooled over a system's satellites.
struct SignalFigures {
    std::string code;
    char kind = 'C';
    long long observations = 0;
    std::optional<long long> expected; // grid epochs above the cut-off (navigation data)
    long long observedAbove = 0;
    bool multipath = false; // an MP series could be formed
    Spread mp;
    Mean snr;
    long long lli = 0;   // values with LLI bit 0 (phases)
    bool binned = false; // elevations were given
    std::array<Spread, ElevationBins> mpBins{};
    std::array<Mean, ElevationBins> snrBins{};

    void Add(const SignalFigures& other);
    // Tenths of a percent, none without an expectation.
    std::optional<long long> CompletenessTenths() const;
    std::optional<long double> MpRms() const; // metres
};

struct RotiValue {
    Ticks window = 0; // start of the window
    double roti = 0;  // TECU/min
};

struct RotiFigures {
    std::optional<double> median, p95, max;
    Ticks maxEpoch = 0;
    std::string maxSatellite;
};
RotiFigures RotiOf(std::vector<RotiValue> values);

struct SatelliteQc {
    std::string id; // "G05"
    long long epochs = 0, arcs = 0, slips = 0;
    std::vector<SignalFigures> signals;
    std::vector<RotiValue> roti;
    RotiFigures rotiFigures;
};

struct SystemQc {
    char letter = 'G';
    std::vector<SignalFigures> signals; // pooled, in order of first appearance
    std::vector<SatelliteQc> satellites;
    long long slips = 0, epochs = 0;
    RotiFigures roti;
};

struct QcResult {
    std::vector<SystemQc> systems;
    bool intervalTooLong = false;
    std::optional<std::vector<std::int32_t>> clockJumps;
};

// The carrier of a band of a satellite, Hz; 0 where the system has none or a GLONASS FDMA band
// lacks its channel.
long double CarrierOf(char system, int band, std::optional<int> channel);
// The signal a two-letter listing type ("L1", "P2") reads from the satellite: the type itself
// (RINEX 2), else the first attribute of the table of signal priorities that the satellite has.
const QcSignal* SignalOfType(const QcSatellite& sat, const std::string& type);
// MP = C - (1 + 2/(a-1)) li Li + (2/(a-1)) lj Lj with a = (fi/fj)^2, metres; phases in cycles.
long double Multipath(long double code, long double li, long double lj, long double fi,
                      long double fj);
// ROTs of a geometry-free phase series (m, of one arc) into ROTI values per window.
std::vector<RotiValue> RotiOfSeries(const std::vector<std::pair<Ticks, long double>>& stecTecu);

// One value of a series of a satellite for pictures: the epoch (an index of QcInput::epochs),
// its arc (1, 2, ... per satellite) and the value.
struct SeriesPoint {
    std::string satellite; // "G05"
    const QcSatellite* of = nullptr;
    std::int32_t epoch = 0;
    int arc = 1;
    double value = 0;
};
// The multipath (m) of a code signal of every satellite that has it, satellite after satellite
// in the input's order, with the arcs of the figures (a loss of lock of either phase begins one).
std::vector<SeriesPoint> MultipathSeries(const QcInput& in, const std::string& code);

QcResult ComputeQc(const QcInput& in);

#endif
