// SPDX-License-Identifier: BSD-2-Clause
// Satellite passes, geometry, ionosphere, noise and the observation values built
// from them. Every random draw is a hash of (seed, satellite, time, quantity), so any
// epoch can be generated on its own and identical times give identical values.
#include "tools/gen/SkyModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kgen {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kOrbitRadius = 26560e3; // one spherical shell for all constellations
constexpr double kEarthRadius = 6371e3;
constexpr double kGpsL1MHz = 1575.42; // reference frequency of the ionospheric delay
constexpr long long kMillisecondTicks = kTicksPerSecond / 1000;
constexpr int kDriftStepEpochs = 12; // epochs between two 1 ms steps of the drift

std::uint64_t Mix(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t Draw(std::uint64_t seed, std::uint64_t sat, std::uint64_t when, std::uint64_t what)
{
    return Mix(seed ^ Mix(sat ^ Mix(when ^ Mix(what))));
}

double Uniform(std::uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

// Unit-variance noise from one hash: the sum of four 16-bit uniforms, centred.
double Gauss(std::uint64_t h)
{
    double sum = 0.0;
    for (int i = 0; i < 4; ++i) sum += static_cast<double>((h >> (16 * i)) & 0xFFFF);
    return (sum / 65536.0 - 2.0) * 1.7320508075688772;
}

long long FloorDiv(long long a, long long b)
{
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Slant range on a sphere from the sine of the elevation.
double Range(double elevSine)
{
    const double cos2 = 1.0 - elevSine * elevSine;
    return std::sqrt(kOrbitRadius * kOrbitRadius - kEarthRadius * kEarthRadius * cos2) -
           kEarthRadius * elevSine;
}

double PassPeriod(char system)
{
    switch (system) {
    case 'R': return 81088.0;  // two GLONASS revolutions
    case 'E': return 101362.0; // two Galileo revolutions
    default: return 86164.0;   // GPS ground tracks repeat after a sidereal day
    }
}

double CodeSigma(char kind, char band)
{
    if (kind == 'P') return 0.15;
    if (band == '1') return 0.30;
    return band == '2' ? 0.25 : 0.12;
}

double StrengthOffset(char band)
{
    switch (band) {
    case '1': return 0.0;
    case '2': return -4.0;
    case '5': return 2.0;
    default: return 0.5;
    }
}

double Round3(double v) { return static_cast<double>(std::llround(v * 1000.0)) / 1000.0; }

TypeInfo Resolve(const std::string& type)
{
    TypeInfo t;
    if (type.size() == 2 && std::string("CPLDS").find(type[0]) != std::string::npos &&
        type[1] >= '1' && type[1] <= '8') {
        t.kind = type[0];
        t.band = type[1];
    }
    return t;
}

// Days of the proleptic Gregorian calendar counted from 0000-03-01, so that leap days
// fall at the end of each counted year.
long long DaysSinceMarch0(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = FloorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
}

// `slot` is the satellite's place among the `count` evenly spread positions.
Satellite MakeSatellite(const GenConfig& cfg, char system, int index, int slot, int count)
{
    Satellite s;
    s.system = system;
    s.prn = index + 1;
    s.channel = system == 'R' ? GlonassChannel(s.prn) : 0;
    s.key = (static_cast<std::uint64_t>(system) << 8) | static_cast<std::uint64_t>(s.prn);
    auto u = [&](std::uint64_t what) { return Uniform(Draw(cfg.seed, s.key, 0, what)); };
    // Evenly spread over the cycle, as orbital planes are, so the number in view stays
    // steady; a per-constellation offset and a little jitter keep it from being a lattice.
    const double offset = Uniform(Draw(cfg.seed, static_cast<std::uint64_t>(system), 0, 99));
    s.passPeriod = PassPeriod(system);
    s.phase = std::fmod(offset + (slot + 0.6 * (u(1) - 0.5)) / count + 1.0, 1.0);
    s.horizon = cfg.horizon + 0.16 * u(2);
    s.ionoScale = 1.0 + 3.0 * u(3);
    for (int kind = 0; kind < 2; ++kind)
        for (int band = 0; band < 9; ++band)
            s.codeBias[kind][band] = (kind == 0 ? 0.6 : 1.0) * (u(10 + kind * 9 + band) - 0.5);
    for (int w = 0; w < 2; ++w) {
        s.mpAmp[w] = (w == 0 ? 0.10 : 0.15) + 0.25 * u(40 + w);
        s.mpPeriod[w] = 240.0 + 600.0 * u(42 + w);
        s.mpPhase[w] = u(44 + w);
    }
    return s;
}

} // namespace

long long DayNumber(int year, int month, int day)
{
    return DaysSinceMarch0(year, month, day) - DaysSinceMarch0(1980, 1, 6);
}

void CalendarDate(long long dayNumber, int& year, int& month, int& day)
{
    const long long z = dayNumber + DaysSinceMarch0(1980, 1, 6);
    const long long era = FloorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

long long SecondsToTicks(double seconds)
{
    return std::llround(seconds * static_cast<double>(kTicksPerSecond));
}

SkyModel::SkyModel(const GenConfig& cfg) : cfg_(cfg)
{
    const struct {
        char system;
        int count;
    } constellations[] = {{'G', cfg.gps}, {'R', cfg.glonass}, {'E', cfg.galileo}};
    for (const auto& c : constellations) {
        // Numbers are not handed out in orbit order: shuffle the positions by the seed.
        std::vector<int> slots(static_cast<std::size_t>(c.count));
        for (int i = 0; i < c.count; ++i) slots[static_cast<std::size_t>(i)] = i;
        auto rank = [&](int i) {
            return Draw(cfg.seed, static_cast<std::uint64_t>(c.system), 1,
                        static_cast<std::uint64_t>(i));
        };
        std::sort(slots.begin(), slots.end(), [&](int a, int b) { return rank(a) < rank(b); });
        for (int i = 0; i < c.count; ++i)
            sats_.push_back(
                MakeSatellite(cfg, c.system, i, slots[static_cast<std::size_t>(i)], c.count));
    }
    for (const std::string& t : cfg.types) types_.push_back(Resolve(t));
    startTicks_ = DayNumber(cfg.year, cfg.month, cfg.day) * kTicksPerDay +
                  (cfg.hour * 3600LL + cfg.minute * 60LL) * kTicksPerSecond +
                  SecondsToTicks(cfg.second);
}

long long SkyModel::EpochTicks(long index) const
{
    const int steps = std::abs(cfg_.driftMs) + 1;
    const long long driftMs = (index / kDriftStepEpochs) % steps * (cfg_.driftMs < 0 ? -1 : 1);
    return startTicks_ + SecondsToTicks(static_cast<double>(index) * cfg_.interval) +
           driftMs * kMillisecondTicks;
}

PassState SkyModel::Pass(const Satellite& s, long long ticks) const
{
    // The whole seconds are reduced modulo the period exactly (integers in a double), so
    // the angle keeps sub-nanosecond resolution decades after the reference.
    const long long secs = FloorDiv(ticks, kTicksPerSecond);
    const double whole = static_cast<double>(secs);
    double r = std::fmod(whole, s.passPeriod);
    if (r < 0) r += s.passPeriod;
    const double x =
        (r + static_cast<double>(ticks - secs * kTicksPerSecond) / kTicksPerSecond) / s.passPeriod +
        s.phase;
    PassState p;
    // Passes are numbered from the lowest point of the cycle, far from any rise or set.
    p.pass =
        std::llround((whole - r) / s.passPeriod) + static_cast<long long>(std::floor(x - 0.75));
    const double sine = std::sin(kTwoPi * x);
    p.visible = sine > s.horizon;
    p.elevSine = (sine - s.horizon) / (1.0 - s.horizon);
    return p;
}

double SkyModel::Multipath(const Satellite& s, int which, long long ticks) const
{
    double x = static_cast<double>(ticks) / kTicksPerSecond / s.mpPeriod[which] + s.mpPhase[which];
    x -= std::floor(x);
    return s.mpAmp[which] *
           (std::sin(kTwoPi * x) + 0.3 * std::sin(kTwoPi * (3.0 * x + s.mpPhase[which])));
}

bool SkyModel::Chance(const Satellite& s, long long ticks, std::uint64_t what, double p) const
{
    return Uniform(Draw(cfg_.seed, s.key, static_cast<std::uint64_t>(ticks), what)) < p;
}

int SkyModel::JumpAt(long index) const
{
    int ms = 0;
    for (const ClockJump& j : cfg_.jumps)
        if (j.epoch <= index) ms += j.ms;
    return ms;
}

namespace {

// Ionospheric delay on the GPS L1 frequency: a daily cycle peaking at 14 h, times an
// obliquity that grows towards the horizon.
double IonoL1(const Satellite& s, long long ticks, double elevSine)
{
    const double sod = static_cast<double>(ticks % kTicksPerDay) / kTicksPerSecond;
    const double vertical =
        s.ionoScale * (0.55 + 0.45 * std::cos(kTwoPi * (sod - 50400.0) / 86400.0));
    return vertical / std::sqrt(1.0 - 0.8 * (1.0 - elevSine * elevSine));
}

} // namespace

void SkyModel::Observe(const Satellite& s, long long ticks, int jumpMs, GenSat& out) const
{
    const long long half = kTicksPerSecond / 2; // rates by central differences over 1 s
    const PassState p = Pass(s, ticks);
    const double um = Pass(s, ticks - half).elevSine, up = Pass(s, ticks + half).elevSine;
    const double rho = Range(p.elevSine), rhoRate = Range(up) - Range(um);
    const double iono = IonoL1(s, ticks, p.elevSine);
    const double ionoRate = IonoL1(s, ticks + half, up) - IonoL1(s, ticks - half, um);
    const auto t = static_cast<std::uint64_t>(ticks);
    const bool lli = Chance(s, ticks, 1, cfg_.lliProbability);
    const double codeJump = cfg_.jumpMode == JumpMode::None ? 0.0 : jumpMs * 1e-3 * kLight;
    const double phaseJumpSeconds = cfg_.jumpMode == JumpMode::CodesPhases ? jumpMs * 1e-3 : 0.0;

    auto strength = [&](char band) {
        const std::uint64_t key = static_cast<std::uint64_t>('S') * 16 + band;
        const double v = 31.0 + 17.0 * std::sqrt(std::max(p.elevSine, 0.0)) + StrengthOffset(band) +
                         0.4 * Gauss(Draw(cfg_.seed, s.key, t, key * 2));
        return std::round(std::clamp(v, 30.0, 50.0) * 4.0) / 4.0;
    };
    out.system = s.system;
    out.prn = s.prn;
    out.obs.resize(types_.size());
    for (std::size_t i = 0; i < types_.size(); ++i) {
        GenObs& o = out.obs[i];
        o = GenObs{};
        const TypeInfo ti = types_[i];
        const double mhz = ti.kind ? CarrierMHz(s.system, ti.band, s.channel) : 0.0;
        const std::uint64_t field = static_cast<std::uint64_t>(ti.kind) * 16 + ti.band;
        if (mhz == 0.0 || (ti.kind == 'P' && s.system == 'E') ||
            Chance(s, ticks, field * 2 + 1, cfg_.blankProbability))
            continue;
        const double f = mhz * 1e6, lambda = kLight / f;
        const double ionoFactor = (kGpsL1MHz / mhz) * (kGpsL1MHz / mhz);
        const double noise = Gauss(Draw(cfg_.seed, s.key, t, field * 2));
        const double sig = ti.kind == 'S' ? 0.0 : strength(ti.band);
        const char ssi = static_cast<char>('0' + std::clamp(static_cast<int>(sig / 6.0), 1, 9));
        double v = 0.0;
        switch (ti.kind) {
        case 'C':
        case 'P': {
            const double mp = ti.band == '1'   ? Multipath(s, 0, ticks)
                              : ti.band == '2' ? Multipath(s, 1, ticks)
                                               : 0.0;
            v = rho + iono * ionoFactor + s.codeBias[ti.kind == 'P'][ti.band - '1'] + mp +
                CodeSigma(ti.kind, ti.band) * (1.5 - 0.5 * p.elevSine) * noise + codeJump;
            o.ssi = ssi;
            break;
        }
        case 'L': {
            // Phases start near zero at rise, as receivers initialise them.
            const std::uint64_t nkey = static_cast<std::uint64_t>('N') * 16 + ti.band;
            const double n =
                -std::round(25.8e6 / lambda) +
                std::floor(2e6 * (Uniform(Draw(cfg_.seed, s.key, static_cast<std::uint64_t>(p.pass),
                                               nkey)) -
                                  0.5));
            v = (rho - iono * ionoFactor + 0.002 * noise) / lambda + n + phaseJumpSeconds * f;
            o.lli = lli ? '1' : ' ';
            o.ssi = ssi;
            break;
        }
        case 'D': v = -(rhoRate - ionoRate * ionoFactor) / lambda + 0.02 * noise; break;
        default: v = strength(ti.band); break;
        }
        o.value = Round3(v);
        o.blank = false;
    }
}

void SkyModel::Epoch(long index, GenEpoch& out) const
{
    const long long ticks = EpochTicks(index);
    const long long day = FloorDiv(ticks, kTicksPerDay), rem = ticks - day * kTicksPerDay;
    CalendarDate(day, out.year, out.month, out.day);
    out.hour = static_cast<int>(rem / (3600 * kTicksPerSecond));
    out.minute = static_cast<int>(rem / (60 * kTicksPerSecond) % 60);
    out.second = static_cast<double>(rem % (60 * kTicksPerSecond)) / kTicksPerSecond;
    out.sinceStart = static_cast<double>(ticks - startTicks_) / kTicksPerSecond;
    const int jumpMs = cfg_.jumpMode == JumpMode::None ? 0 : JumpAt(index);
    // A receiver steering its clock slowly away from GPS time, plus the jumps it makes.
    const double offset = 2.5e-4 + 2e-9 * out.sinceStart + jumpMs * 1e-3;
    out.clockOffset = static_cast<double>(std::llround(offset * 1e9)) / 1e9;
    std::size_t n = 0;
    for (const Satellite& s : sats_) {
        if (!Pass(s, ticks).visible) continue;
        if (n == out.sats.size()) out.sats.emplace_back();
        Observe(s, ticks, jumpMs, out.sats[n++]);
    }
    out.sats.resize(n);
}

GenEpoch GenerateEpoch(const GenConfig& cfg, long index)
{
    GenEpoch e;
    SkyModel(cfg).Epoch(index, e);
    return e;
}

std::vector<GenEpoch> Generate(const GenConfig& cfg)
{
    const SkyModel model(cfg);
    std::vector<GenEpoch> all(static_cast<std::size_t>(cfg.epochs));
    for (long i = 0; i < cfg.epochs; ++i) model.Epoch(i, all[static_cast<std::size_t>(i)]);
    return all;
}

} // namespace kgen
