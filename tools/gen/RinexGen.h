// SPDX-License-Identifier: BSD-2-Clause
// Deterministic generator of test and benchmark inputs for Kestrova: RINEX 2.11 and 3.05
// observation files, TEQC COMPACT2 multipath files and GLONASS frequency-channel
// files. Standard library only; nothing here depends on the rest of the project.
//
// The sky is a function of absolute time and the seed: the same satellite at the same
// epoch gets the same values whatever the start, interval or type list of the file, so
// a 1 s file and a 30 s file agree at their common epochs. Every value can be asked for
// (GenerateEpoch, GenerateCompact2) exactly as it is written, for tests to compare.
//
// Physics (enough for smooth combinations, not an orbit model): each satellite rises and
// sets once per pass period; geometric range 20,190-25,790 km from a spherical geometry;
// ionospheric delay of a few metres (codes +I, phases -I, scaled by 1/f^2); a constant
// integer ambiguity per pass and band; white noise (about 2 mm on phases, 1.5-3 dm on
// codes); Dopplers from the rate of the phase range; signal strengths 30-50 dB-Hz rising
// with elevation. The first-frequency codes carry the multipath that the MP1 COMPACT2
// file lists, C2 and P2 that of the MP2 file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kgen {

// How receiver clock millisecond jumps enter the observations.
enum class JumpMode {
    None,       // jumps are ignored
    Codes,      // codes jump by c * 1 ms per millisecond, phases run on
    CodesPhases // codes and phases jump together (phases by f * 1 ms cycles)
};

// A jump of `ms` whole milliseconds from epoch index `epoch` on (cumulative).
struct ClockJump {
    long epoch = 0;
    int ms = 0;
};

// Everything a generated data set depends on. The defaults give a mixed
// GPS/GLONASS/Galileo file, 30 s, one hour, with about 25 satellites in view.
struct GenConfig {
    // First nominal epoch, GPS time (years 1980-2079).
    int year = 2015, month = 2, day = 13, hour = 0, minute = 0;
    double second = 0.0;
    double interval = 30.0; // seconds between nominal epochs
    long epochs = 120;      // number of epochs

    // Satellites G01..Gnn (at most 32), R01..Rnn (at most 24), E01..Enn (at most 36).
    int gps = 31, glonass = 24, galileo = 24;
    // Sine of the pass angle at which the lowest-rising satellites rise; each satellite's own
    // lies up to 0.16 above it. About a third of the satellites are in view at the default,
    // nearly a half at 0.1.
    double horizon = 0.42;

    // Two-letter RINEX 2 types in file order; see TypePreset. Unknown types and
    // signals a constellation lacks are written blank.
    std::vector<std::string> types = {"C1", "P1", "L1", "S1", "D1", "C2",
                                      "P2", "L2", "S2", "D2", "C5", "L5"};

    std::uint64_t seed = 1;
    double blankProbability = 0.002; // each field independently left blank
    double lliProbability = 0.001;   // per satellite and epoch: LLI 1 on all its phases

    std::vector<ClockJump> jumps;
    JumpMode jumpMode = JumpMode::None;

    bool clockOffsetColumn = false; // receiver clock offset in columns 69-80
    // Epoch tags off the grid: a whole-millisecond offset that steps by 1 ms every 12
    // epochs from 0 to driftMs and starts again (negative: before the grid). 0: on grid.
    int driftMs = 0;
};

// One observation field as written. `blank` fields have value 0 and blank flags.
struct GenObs {
    double value = 0.0; // rounded to 0.001 as in the file
    char lli = ' ';     // loss-of-lock digit or blank
    char ssi = ' ';     // signal-strength digit or blank
    bool blank = true;
};

struct GenSat {
    char system = 'G';       // 'G', 'R' or 'E'
    int prn = 0;             // PRN or GLONASS slot
    std::vector<GenObs> obs; // one per GenConfig::types entry
};

struct GenEpoch {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0.0;      // epoch tag as written (7 decimals), drift included
    double sinceStart = 0.0;  // seconds from the first nominal epoch to the tag
    double clockOffset = 0.0; // seconds, as written in columns 69-80 (9 decimals)
    std::vector<GenSat> sats; // satellites in view: GPS, GLONASS, Galileo, by number
};

// Settings of one COMPACT2 multipath file.
struct Compact2Config {
    bool p2 = false;          // false: first-frequency code (MP1); true: P2 (MP2)
    double startOffset = 0.0; // seconds from the first nominal RINEX epoch
    double interval = 0.0;    // sampling step in seconds; 0 takes the RINEX interval
    long records = -1;        // sampling steps; -1 covers the RINEX span
    // Satellites to list, separated by blanks or commas: identifiers ("G05 R12 E11")
    // and/or single letters for whole constellations ("G"). Empty: every satellite.
    std::string satellites;
    double slipProbability = 0.0; // per value: written with a blank 9th character
};

// One COMPACT2 record (one sampling step); no satellites means a count of 0.
struct Compact2Record {
    double sinceStart = 0.0;       // seconds from the first nominal RINEX epoch
    std::vector<std::string> sats; // "G05", "R12", ...
    std::vector<double> values;    // metres, rounded to 0.001 as written
    std::vector<bool> slips;       // written with a slip mark
};

// What a writer produced. For COMPACT2, `epochs` counts records and `records` values;
// for the channel file, `records` counts data lines.
struct WriteSummary {
    bool ok = false;
    std::string error; // why nothing (or not everything) was written
    long long epochs = 0;
    long long records = 0;
    long long bytes = 0;
};

// Type lists by name: "bench11" (C1 P1 L1 S1 D1 C2 P2 L2 S2 D2 C5 L5), "bench11e"
// (the same with C7 L7 for Galileo E5b), "dual" (C1 P1 L1 L2 P2), "single" (C1 L1).
// Empty for an unknown name.
std::vector<std::string> TypePreset(const std::string& name);

// Empty when the configuration can be generated, else the reason.
std::string CheckConfig(const GenConfig& cfg);

// Frequency channel of a GLONASS slot (1-24) in the channel plan used; 0 elsewhere.
int GlonassChannel(int slot);

// Carrier of band '1'..'8' in MHz for system 'G', 'R' or 'E'; 0 when it has none.
double CarrierMHz(char system, char band, int glonassChannel);

// "G05" from ('G', 5).
std::string SatId(char system, int prn);

// Epoch `index` (0-based) exactly as WriteRinex writes it. `cfg` must pass CheckConfig.
GenEpoch GenerateEpoch(const GenConfig& cfg, long index);

// All cfg.epochs epochs; meant for small test configurations.
std::vector<GenEpoch> Generate(const GenConfig& cfg);

// The records of a COMPACT2 file exactly as WriteCompact2 writes them.
std::vector<Compact2Record> GenerateCompact2(const GenConfig& cfg, const Compact2Config& mp);

WriteSummary WriteRinex(const std::string& path, const GenConfig& cfg);
// The same observations as a RINEX 3.05 file: each two-letter type written under the code
// Kestrova reads as it (GPS C1C C1W L1C ... C2L C2W L2W, GLONASS ... C2C C2P L2P, Galileo
// ... C7Q L7Q); types a system lacks are left out of its list; the GLONASS channels of
// GlonassChannel in "GLONASS SLOT / FRQ #".
WriteSummary WriteRinex3(const std::string& path, const GenConfig& cfg);
WriteSummary WriteCompact2(const std::string& path, const GenConfig& cfg, const Compact2Config& mp);
// One open-ended line per configured GLONASS slot, valid from 00:00:00 of the day of
// the first epoch, with the channel of GlonassChannel.
WriteSummary WriteChannelFile(const std::string& path, const GenConfig& cfg);

} // namespace kgen
