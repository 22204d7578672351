// SPDX-License-Identifier: BSD-2-Clause
#include "qc/QcReport.h"

#include "GNSS/SatSystem.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr Ticks MjdOfUnixDay = 40587;

// The civil date of a day counted from 1970-01-01 (proleptic Gregorian).
void CivilOf(long long days, int& y, unsigned& m, unsigned& d)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string Count(long long n) { return std::to_string(n); }

std::optional<long double> Rms(const Spread& s)
{
    if (s.values == 0) return std::nullopt;
    return std::sqrt(s.squares / s.values) / 1000;
}

std::string SystemName(char letter)
{
    const SatSystem* s = SystemOfLetter(letter);
    return s ? s->name : std::string(1, letter);
}

std::string PairText(const QcInput& in, char letter)
{
    for (const QcPair& p : in.pairs)
        if (p.system == letter) return std::to_string(p.band1) + "-" + std::to_string(p.band2);
    return "-";
}

std::string Line(const char* format, auto... values)
{
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// The figures of a signal: the cells shared by the system's and the satellites' tables.
std::string SignalCells(const SignalFigures& f)
{
    const bool code = f.kind == 'C';
    return Line("%-5s%9lld%10s%8s%9s%9s%9s%7s", f.code.c_str(), f.observations,
                f.expected ? Count(*f.expected).c_str() : "-", CompletenessText(f).c_str(),
                code ? FigureText(f.MpRms()).c_str() : "-",
                code && f.multipath ? Count(f.mp.values).c_str() : "-",
                f.kind == 'S' ? FigureText(f.snr.Value(), 1).c_str() : "-",
                f.kind == 'L' ? Count(f.lli).c_str() : "-");
}

constexpr const char* SignalHeads =
    "SIG        obs  expected  compl%   mp_rms     mp_n      snr    lli";

std::string RotiText(const RotiFigures& r, bool tooLong)
{
    if (tooLong) return "interval too long";
    if (!r.median) return "-";
    return "median " + FigureText(r.median) + ", p95 " + FigureText(r.p95) + ", max " +
           FigureText(r.max) + " at " + EpochText(r.maxEpoch) +
           (r.maxSatellite.empty() ? "" : " " + r.maxSatellite);
}

void WriteHeader(std::ostream& out, const QcFacts& f, const QcResult& r)
{
    auto either = [](const std::string& a) { return a.empty() ? std::string("-") : a; };
    out << "kestrova-qc of " << f.file << "\n"
        << "  Marker:       " << either(f.marker) << (f.markerNumber.empty() ? "" : " ")
        << f.markerNumber << "\n"
        << "  Receiver:     " << either(f.receiver) << " " << f.receiverVersion
        << (f.receiverNumber.empty() ? "" : " (" + f.receiverNumber + ")") << "\n"
        << "  Antenna:      " << either(f.antenna)
        << (f.antennaNumber.empty() ? "" : " (" + f.antennaNumber + ")") << "\n"
        << "  Interval:     " << Line("%.3f", f.interval) << " s, clock tolerance "
        << Line("%.3f", f.tolerance) << " s\n"
        << "  Window:       " << EpochText(f.start) << " to " << EpochText(f.end) << "\n";
    if (f.nominal)
        out << "  Nominal span: " << EpochText(f.nominal->start) << " to "
            << EpochText(f.nominal->end) << " (" << f.nominal->source
            << "): completeness counted over it\n";
    out << "  Cut-off:      "
        << (f.cutoff ? Line("%.3f", *f.cutoff) + " degrees" : std::string("none")) << "\n"
        << "  Navigation:  ";
    if (f.navFiles.empty()) out << " none: no elevations, no completeness";
    for (const std::string& n : f.navFiles) out << " " << n;
    out << "\n";
    if (f.receiverUsed)
        out << "  Position:     "
            << Line("%.3f %.3f %.3f", (*f.receiverUsed)[0], (*f.receiverUsed)[1],
                    (*f.receiverUsed)[2])
            << " m (" << f.receiverSource << ")\n";
    out << "  Program:      kestrova-qc " << f.version << "\n"
        << "  MP:           metres, RMS about each arc's mean over the arcs of at least "
        << MinArcValues << " values; mp_n: the values used\n"
        << "  Slips:        arcs ended by a jump the receiver did not flag (MW or L4 of the "
           "pair); lli: phase values with loss of lock\n"
        << "  ROTI:         TECU/min, standard deviation of the rate of TEC over "
        << RotiWindowSeconds / 60 << "-minute windows of at least " << RotiMinValues << " values\n"
        << "  Clock jumps:  ";
    if (!r.clockJumps) {
        out << "- (not searched: the file has no C1 and L1, or no P2 beside its L2)\n";
        return;
    }
    out << r.clockJumps->size() << " millisecond jumps of the receiver clock";
    out << "\n";
}

void WriteSystem(std::ostream& out, const QcInput& in, const QcResult& r, const SystemQc& s)
{
    out << "\n"
        << SystemName(s.letter) << " (" << s.letter << ", pair " << PairText(in, s.letter)
        << "): " << s.satellites.size() << " satellites, " << s.epochs << " satellite epochs, "
        << s.slips << " slips"
        << (s.slips > 0
                ? ", " + Line("%.1f", static_cast<double>(s.epochs) / s.slips) + " epochs per slip"
                : std::string())
        << "\n  ROTI: " << RotiText(s.roti, r.intervalTooLong) << "\n\n"
        << SignalHeads << "\n";
    for (const SignalFigures& f : s.signals) out << SignalCells(f) << "\n";
    out << "\nSAT   epochs   arcs  slips  obs/slip  roti_med  roti_p95  roti_max\n";
    for (const SatelliteQc& q : s.satellites) {
        const RotiFigures& ro = q.rotiFigures;
        const bool none = r.intervalTooLong;
        out << Line("%-4s%8lld%7lld%7lld%10s%10s%10s%10s", q.id.c_str(), q.epochs, q.arcs, q.slips,
                    q.slips > 0 ? Line("%.1f", static_cast<double>(q.epochs) / q.slips).c_str()
                                : "-",
                    none ? "-" : FigureText(ro.median).c_str(),
                    none ? "-" : FigureText(ro.p95).c_str(),
                    none ? "-" : FigureText(ro.max).c_str())
            << "\n";
    }
    out << "\nSAT " << SignalHeads << "\n";
    for (const SatelliteQc& q : s.satellites)
        for (const SignalFigures& f : q.signals)
            out << Line("%-4s", q.id.c_str()) << SignalCells(f) << "\n";
}

// A row of the elevation table: its label (a system letter or a satellite), the signal and its
// figures per bin; none for a signal without such figures.
std::optional<std::string> BinRow(const std::string& label, const SignalFigures& f)
{
    if (!f.binned || (f.kind != 'C' && f.kind != 'S') || (f.kind == 'C' && !f.multipath))
        return std::nullopt;
    std::string text = Line("%-4s%-4s", label.c_str(), f.code.c_str());
    for (int b = 0; b < ElevationBins; ++b) {
        const std::optional<long double> v =
            f.kind == 'C' ? Rms(f.mpBins[b]) : f.snrBins[b].Value();
        const long long n = f.kind == 'C' ? f.mpBins[b].values : f.snrBins[b].n;
        text +=
            Line("%14s",
                 v ? (FigureText(v, f.kind == 'C' ? 3 : 1) + " (" + Count(n) + ")").c_str() : "-");
    }
    return text;
}

// Per system its signals' rows, then those of each of its satellites.
void WriteBins(std::ostream& out, const QcResult& r)
{
    bool any = false;
    for (const SystemQc& s : r.systems)
        for (const SignalFigures& f : s.signals) any = any || f.binned;
    if (!any) return;
    out << "\nBy elevation (degrees): MP RMS of the codes (m), mean strength (dB-Hz); n in "
           "brackets\n";
    std::string head = "SYS SIG ";
    for (int b = 0; b < ElevationBins; ++b)
        head += Line(
            "%14s",
            (std::to_string(b * BinDegrees) + "-" + std::to_string((b + 1) * BinDegrees)).c_str());
    for (const SystemQc& s : r.systems) {
        out << "\n" << head << "\n";
        for (const SignalFigures& f : s.signals)
            if (const std::optional<std::string> row = BinRow(std::string(1, s.letter), f))
                out << *row << "\n";
        for (const SatelliteQc& q : s.satellites)
            for (const SignalFigures& f : q.signals)
                if (const std::optional<std::string> row = BinRow(q.id, f)) out << *row << "\n";
    }
}

} // namespace

std::string EpochText(Ticks t)
{
    const long long day = t >= 0 ? t / TicksPerDay : -((-t + TicksPerDay - 1) / TicksPerDay);
    const Ticks inDay = t - day * TicksPerDay;
    int y = 0;
    unsigned m = 0, d = 0;
    CivilOf(day - MjdOfUnixDay, y, m, d);
    const long long ms = (inDay + 5000) / 10000; // milliseconds, rounded
    return Line("%04d-%02u-%02u %02lld:%02lld:%02lld.%03lld", y, m, d, ms / 3600000,
                ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

std::string FigureText(std::optional<long double> v, int decimals)
{
    if (!v || !std::isfinite(*v)) return "-";
    return Line("%.*Lf", decimals, *v);
}

std::string CompletenessText(const SignalFigures& f)
{
    const std::optional<long long> t = f.CompletenessTenths();
    if (!t || *t < 0) return "-";
    return std::to_string(*t / 10) + "." + std::to_string(*t % 10);
}

void WriteText(std::ostream& out, const QcFacts& facts, const QcInput& in, const QcResult& r)
{
    WriteHeader(out, facts, r);
    if (r.clockJumps && !r.clockJumps->empty()) {
        out << "  Jump epochs: ";
        for (std::int32_t e : *r.clockJumps) out << " " << EpochText(in.epochs[e]);
        out << "\n";
    }
    if (r.systems.empty()) out << "\nNo satellite of the systems asked for has observations.\n";
    for (const SystemQc& s : r.systems) WriteSystem(out, in, r, s);
    WriteBins(out, r);
}
