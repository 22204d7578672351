// SPDX-License-Identifier: BSD-2-Clause
// Internal model behind the generator: satellites, their passes and the values of
// every observation at a given time. Times are whole ticks of 100 ns since
// 1980-01-06 00:00:00, so epoch tags with seven decimals stay exact.
#pragma once

#include "tools/gen/RinexGen.h"

#include <cstdint>
#include <vector>

namespace kgen {

constexpr double kLight = 299792458.0; // m/s
constexpr long long kTicksPerSecond = 10000000;
constexpr long long kTicksPerDay = 86400 * kTicksPerSecond;

// Days since 1980-01-06 of a calendar date, and back.
long long DayNumber(int year, int month, int day);
void CalendarDate(long long dayNumber, int& year, int& month, int& day);

// Ticks of a duration in seconds, rounded to the nearest tick.
long long SecondsToTicks(double seconds);

// One observation type resolved once: what it measures and on which band.
struct TypeInfo {
    char kind = 0; // 'C', 'P', 'L', 'D', 'S', or 0 for a type the generator leaves blank
    char band = 0; // '1'..'8'
};

struct Satellite {
    char system = 'G';
    int prn = 0;
    int channel = 0;            // GLONASS frequency channel
    std::uint64_t key = 0;      // identifies the satellite in every random draw
    double passPeriod = 0.0;    // seconds between two rises
    double phase = 0.0;         // position in the pass cycle at the reference, cycles
    double horizon = 0.0;       // sine of the pass angle at which it rises
    double ionoScale = 0.0;     // vertical L1 delay at noon, metres
    double codeBias[2][9] = {}; // [0: C, 1: P][band]
    double mpAmp[2] = {}, mpPeriod[2] = {}, mpPhase[2] = {}; // [0: MP1, 1: MP2]
};

// Where a satellite is in its pass at one instant.
struct PassState {
    bool visible = false;
    double elevSine = 0.0; // sine of a pseudo-elevation, 0 at rise, 1 at culmination
    long long pass = 0;    // pass number since the reference
};

class SkyModel {
  public:
    explicit SkyModel(const GenConfig& cfg);

    long long StartTicks() const { return startTicks_; }
    // Tag of epoch `index`, drift included.
    long long EpochTicks(long index) const;
    void Epoch(long index, GenEpoch& out) const;

    const std::vector<Satellite>& Satellites() const { return sats_; }
    PassState Pass(const Satellite& s, long long ticks) const;
    // Code multipath in metres; which = 0 for the first-frequency codes, 1 for band 2.
    double Multipath(const Satellite& s, int which, long long ticks) const;
    // A draw with probability p for quantity `what` of satellite s at `ticks`.
    bool Chance(const Satellite& s, long long ticks, std::uint64_t what, double p) const;

  private:
    void Observe(const Satellite& s, long long ticks, int jumpMs, GenSat& out) const;
    int JumpAt(long index) const;

    const GenConfig& cfg_;
    std::vector<Satellite> sats_;
    std::vector<TypeInfo> types_;
    long long startTicks_ = 0;
};

} // namespace kgen
