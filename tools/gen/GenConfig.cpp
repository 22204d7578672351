// SPDX-License-Identifier: BSD-2-Clause
// Type presets, signal plan and the checks a configuration must pass.
#include "tools/gen/RinexGen.h"
#include "tools/gen/SkyModel.h"

#include <cmath>
#include <cstdlib>

namespace kgen {

std::vector<std::string> TypePreset(const std::string& name)
{
    const std::vector<std::string> bench = {"C1", "P1", "L1", "S1", "D1", "C2",
                                            "P2", "L2", "S2", "D2", "C5", "L5"};
    if (name == "bench11") return bench;
    if (name == "bench11e") {
        std::vector<std::string> gal = bench;
        gal[10] = "C7";
        gal[11] = "L7";
        return gal;
    }
    if (name == "dual") return {"C1", "P1", "L1", "L2", "P2"};
    if (name == "single") return {"C1", "L1"};
    return {};
}

int GlonassChannel(int slot)
{
    // Antipodal slots (n and n + 4 within each plane of eight) share a channel.
    static const int plan[24] = {1,  -4, 5, 6,  1, -4, 5, 6, -2, -7, 0, -1,
                                 -2, -7, 0, -1, 4, -3, 3, 2, 4,  -3, 3, 2};
    return slot >= 1 && slot <= 24 ? plan[slot - 1] : 0;
}

double CarrierMHz(char system, char band, int glonassChannel)
{
    // GLONASS carriers are spaced by channel; the others have perChannel 0.
    static const struct {
        char system, band;
        double mhz, perChannel;
    } carriers[] = {
        // clang-format off
        {'G', '1', 1575.42, 0.0}, {'G', '2', 1227.60, 0.0}, {'G', '5', 1176.45, 0.0},
        {'R', '1', 1602.0, 0.5625}, {'R', '2', 1246.0, 0.4375},
        {'E', '1', 1575.42, 0.0}, {'E', '5', 1176.45, 0.0}, {'E', '6', 1278.75, 0.0},
        {'E', '7', 1207.14, 0.0}, {'E', '8', 1191.795, 0.0},
        // clang-format on
    };
    for (const auto& c : carriers)
        if (c.system == system && c.band == band) return c.mhz + glonassChannel * c.perChannel;
    return 0.0;
}

std::string SatId(char system, int prn)
{
    return {system, static_cast<char>('0' + prn / 10 % 10), static_cast<char>('0' + prn % 10)};
}

namespace {

bool ValidDate(int year, int month, int day)
{
    int y = 0, m = 0, d = 0;
    CalendarDate(DayNumber(year, month, day), y, m, d);
    return y == year && m == month && d == day;
}

bool Probability(double p) { return p >= 0.0 && p <= 1.0; }

} // namespace

std::string CheckConfig(const GenConfig& cfg)
{
    if (cfg.year < 1980 || cfg.year > 2079 || cfg.month < 1 || cfg.month > 12 ||
        !ValidDate(cfg.year, cfg.month, cfg.day))
        return "start date must be a calendar date of 1980-2079";
    if (cfg.hour < 0 || cfg.hour > 23 || cfg.minute < 0 || cfg.minute > 59 ||
        !(cfg.second >= 0.0 && cfg.second < 60.0))
        return "start time must be hh:mm:ss within a day";
    if (!(cfg.interval >= 0.001 && cfg.interval <= 86400.0))
        return "interval must be 0.001 to 86400 s";
    if (cfg.epochs < 1) return "at least one epoch is needed";
    if (std::abs(cfg.driftMs) > 999 || cfg.interval * 1000.0 <= std::abs(cfg.driftMs))
        return "drift must be under 1000 ms and under the interval";
    if (cfg.gps < 0 || cfg.gps > 32 || cfg.glonass < 0 || cfg.glonass > 24 || cfg.galileo < 0 ||
        cfg.galileo > 36)
        return "satellite counts are 0-32 GPS, 0-24 GLONASS, 0-36 Galileo";
    if (cfg.gps + cfg.glonass + cfg.galileo == 0) return "no satellites configured";
    if (!(cfg.horizon >= -0.5 && cfg.horizon <= 0.8)) return "horizon must be -0.5 to 0.8";
    if (cfg.types.empty() || cfg.types.size() > 99) return "1 to 99 observation types are needed";
    for (const std::string& t : cfg.types)
        if (t.size() != 2 || t[0] <= ' ' || t[1] <= ' ')
            return "observation types are two characters, like C1";
    if (!Probability(cfg.blankProbability) || !Probability(cfg.lliProbability))
        return "probabilities must be 0 to 1";
    long long jumpSum = 0;
    for (const ClockJump& j : cfg.jumps) {
        if (j.epoch < 0) return "clock jumps need an epoch index of 0 or more";
        jumpSum += std::abs(j.ms);
    }
    if (jumpSum > 5000) return "clock jumps may add up to 5000 ms at most";
    const long long last = DayNumber(cfg.year, cfg.month, cfg.day) +
                           static_cast<long long>((cfg.epochs - 1) * cfg.interval / 86400.0) + 1;
    if (last > DayNumber(2079, 12, 31)) return "the data must end before 2080";
    return "";
}

} // namespace kgen
