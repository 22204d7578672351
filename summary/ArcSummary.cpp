// SPDX-License-Identifier: BSD-2-Clause
#include "summary/ArcSummary.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::array<std::string_view, 6> RawPhases = {"L1", "L2", "L5", "L6", "L7", "L8"};

Ticks FloorDiv(Ticks a, Ticks b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
Ticks CeilDiv(Ticks a, Ticks b) { return -FloorDiv(-a, b); }

// Grid epochs of the day that begins at dayStart lying strictly between lo and hi.
long long OnDay(Ticks dayStart, Ticks lo, Ticks hi, Ticks interval, long long perDay)
{
    const long long first = std::max<long long>(0, FloorDiv(lo - dayStart, interval) + 1);
    const long long last = std::min<long long>(perDay - 1, CeilDiv(hi - dayStart, interval) - 1);
    return last >= first ? last - first + 1 : 0;
}

} // namespace

Ticks GridShift(const GofHeader& h)
{
    if (h.origin.empty() || h.intervalTicks <= 0) return 0;
    const Ticks ofDay = h.originTicks - FloorDiv(h.originTicks, TicksPerDay) * TicksPerDay;
    return ofDay % h.intervalTicks;
}

long long GridEpochs(Ticks start, Ticks end, Ticks interval, Ticks tolerance)
{
    if (interval <= 0 || tolerance < 0) return -1;
    // a tolerance of 0 lets no epoch onto the grid: the listing holds none
    if (tolerance == 0 || end < start) return 0;
    const Ticks reach = std::min(tolerance, interval / 2);
    const Ticks lo = start - reach, hi = end + reach;
    const long long perDay = CeilDiv(TicksPerDay, interval);
    const Ticks d0 = FloorDiv(lo, TicksPerDay), d1 = FloorDiv(hi, TicksPerDay);
    long long epochs = OnDay(d0 * TicksPerDay, lo, hi, interval, perDay);
    if (d1 > d0)
        epochs += OnDay(d1 * TicksPerDay, lo, hi, interval, perDay) + (d1 - d0 - 1) * perDay;
    return epochs > GridEpochLimit ? -1 : epochs;
}

void Figures::Add(const Figures& other)
{
    expected = expected < 0 || other.expected < 0 ? -1 : expected + other.expected;
    if (other.rows > 0) {
        if (rows == 0 || other.first < first) {
            first = other.first;
            firstEpoch = other.firstEpoch;
        }
        if (rows == 0 || other.last > last) {
            last = other.last;
            lastEpoch = other.lastEpoch;
        }
    }
    rows += other.rows;
    arcs += other.arcs;
    slips += other.slips;
    for (int k = 0; k < SpreadCount; ++k) {
        spread[k].squares += other.spread[k].squares;
        spread[k].values += other.spread[k].values;
    }
    above += other.above;
    observedAbove += other.observedAbove;
    for (int k = 0; k < MultipathCount; ++k)
        for (int b = 0; b < ElevationBins; ++b) {
            bins[k][b].squares += other.bins[k][b].squares;
            bins[k][b].values += other.bins[k][b].values;
        }
}

ArcRules::ArcRules(const GofHeader& header, std::int64_t mwJumpMilli)
    : interval(header.intervalTicks), mwJump(mwJumpMilli)
{
    spread.fill(-1);
    for (int c = 0; c < static_cast<int>(header.columns.size()); ++c) {
        const std::string& name = header.columns[c];
        for (int k = 0; k < SpreadCount; ++k)
            if (spread[k] < 0 && name == SpreadColumns[k]) spread[k] = c;
        if (name == "EL") elevation = c;
        if (std::find(RawPhases.begin(), RawPhases.end(), name) != RawPhases.end())
            phases.push_back(c);
    }
}

std::string_view ArcEndName(ArcEnd why)
{
    switch (why) {
    case ArcEnd::Gap: return "gap";
    case ArcEnd::LossOfLock: return "loss of lock";
    case ArcEnd::MWJump: return "MW jump";
    case ArcEnd::L4Jump: return "L4 jump";
    case ArcEnd::LastRow: return "last row";
    case ArcEnd::None: break;
    }
    return "open";
}

// A gap (or a step back in time), a loss of lock on a watched phase, an MW jump or an L4 jump
// begins a new arc.
ArcBreak ArcCutter::Ends(const ArcSample& s) const
{
    // half an interval more, so that rounding and clock offsets of the epochs do not matter
    if (interval > 0 &&
        (s.time < lastTime || (s.time - lastTime) * 2 > (2 * GapIntervals + 1) * interval))
        return {ArcEnd::Gap};
    if (s.lossOfLock) return {ArcEnd::LossOfLock};
    auto step = [&](int k) -> std::int64_t {
        return s.has[k] && inArc[k] ? s.milli[k] - last[k] : 0;
    };
    for (int k : {0, 1})
        if (const std::int64_t jump = step(k); jump > mwJump || -jump > mwJump)
            return {ArcEnd::MWJump, jump};
    const std::int64_t l4 = step(2);
    const long double seconds = static_cast<long double>(s.time - l4At) / TicksPerSecond;
    if (std::abs(static_cast<long double>(l4)) > L4JumpBase + L4JumpRate * seconds)
        return {ArcEnd::L4Jump, l4};
    return {};
}

ArcBreak ArcCutter::Next(const ArcSample& s)
{
    const ArcBreak why = started ? Ends(s) : ArcBreak{ArcEnd::Gap};
    if (why.why != ArcEnd::None) inArc = {};
    for (int k = 0; k < 3; ++k)
        if (s.has[k]) {
            inArc[k] = true;
            last[k] = s.milli[k];
            if (k == 2) l4At = s.time;
        }
    started = true;
    lastTime = s.time;
    return why;
}

int ElevationBinOf(std::int64_t milliDegrees)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(milliDegrees / 1000 / BinDegrees, 0, ElevationBins - 1));
}

void ArcValues::Add(std::int64_t v, int bin)
{
    if (n == 0) origin = v;
    const long double d = static_cast<long double>(v - origin);
    sum += d;
    squares += d * d;
    ++n;
    if (bin >= 0) {
        BinMoments& b = inBin[bin];
        b.sum += d;
        b.squares += d * d;
        ++b.n;
    }
}

// Residuals about the arc mean: sum of d^2 less (sum of d)^2 / n; those of each elevation bin
// about the mean of the whole arc: sum of (d - mean)^2 over the bin's values.
void ArcValues::Close(Spread& total, std::array<Spread, ElevationBins>* bins)
{
    if (n >= MinArcValues) {
        total.squares += std::max<long double>(0, squares - sum * sum / n);
        total.values += n;
        const long double mean = sum / n;
        for (int b = 0; bins != nullptr && b < ElevationBins; ++b) {
            const BinMoments& m = inBin[b];
            if (m.n == 0) continue;
            const long double sq = m.squares - 2 * mean * m.sum + m.n * mean * mean;
            (*bins)[b].squares += std::max<long double>(0, sq);
            (*bins)[b].values += m.n;
        }
    }
    *this = {};
}

long long CompletenessTenths(long long part, long long whole)
{
    return whole <= 0 ? -1 : (part * 2000 + whole) / (2 * whole);
}

ArcSample SatelliteArcs::SampleOf(const GofRow& row, const ArcRules& rules) const
{
    ArcSample s;
    s.time = row.time;
    for (int c : rules.phases)
        if (row.values[c].present && (row.values[c].lli & 1) != 0) s.lossOfLock = true;
    const int jumps[3] = {MWcSpread, MWpSpread, L4Spread};
    for (int k = 0; k < 3; ++k) {
        const int c = rules.spread[jumps[k]];
        s.has[k] = c >= 0 && row.values[c].present;
        if (s.has[k]) s.milli[k] = row.values[c].milli;
    }
    return s;
}

void SatelliteArcs::Take(const GofRow& row, const ArcRules& rules)
{
    if (!row.anyValue) return;
    if (!cutter) cutter.emplace(rules.interval, rules.mwJump);
    const ArcBreak why = cutter->Next(SampleOf(row, rules));
    if (why.why != ArcEnd::None) {
        if (!arcs.empty()) CloseArc(why);
        arcs.emplace_back();
        arcs.back().first = row.time;
        arcs.back().firstEpoch = row.epoch;
        ++figures.arcs;
    }
    for (int k = 0; k < SpreadCount; ++k) {
        const int c = rules.spread[k];
        if (c < 0 || !row.values[c].present) continue;
        const bool binned =
            k < MultipathCount && rules.elevation >= 0 && row.values[rules.elevation].present;
        arc[k].Add(row.values[c].milli,
                   binned ? ElevationBinOf(row.values[rules.elevation].milli) : -1);
    }
    if (figures.rows == 0 || row.time < figures.first) {
        figures.first = row.time;
        figures.firstEpoch = row.epoch;
    }
    if (figures.rows == 0 || row.time >= figures.last) {
        figures.last = row.time;
        figures.lastEpoch = row.epoch;
    }
    ++figures.rows;
    Arc& current = arcs.back();
    current.last = row.time;
    current.lastEpoch = row.epoch;
    ++current.rows;
}

void SatelliteArcs::CloseArc(ArcBreak why)
{
    for (int k = 0; k < SpreadCount; ++k)
        arc[k].Close(figures.spread[k], k < MultipathCount ? &figures.bins[k] : nullptr);
    arcs.back().end = why.why;
    arcs.back().step = why.step;
    if (IsUnflaggedJump(why.why)) ++figures.slips;
}

const Figures& SatelliteArcs::Finish()
{
    if (!arcs.empty() && arcs.back().end == ArcEnd::None) CloseArc({ArcEnd::LastRow});
    return figures;
}

FileSummary::FileSummary(const GofHeader& h, std::int64_t mwJumpMilli, const SkyGrid* skyGrid)
    : header(h), rules(h, mwJumpMilli),
      expected(GridEpochs(h.SpanStart() - GridShift(h), h.SpanEnd() - GridShift(h), h.intervalTicks,
                          h.toleranceTicks)),
      sky(skyGrid && skyGrid->Loaded() ? skyGrid : nullptr), satellites(SatelliteSlots),
      observedAbove(SatelliteSlots, 0), seen(SatelliteSlots, false)
{
}

void FileSummary::Take(const GofRow& row)
{
    seen[row.satellite] = true;
    satellites[row.satellite].Take(row, rules);
    if (sky && row.anyValue && sky->IsAbove(row.satellite, row.time))
        ++observedAbove[row.satellite];
}

void FileSummary::TakeAll(GofReader& reader)
{
    GofRow row;
    while (reader.Next(row)) Take(row);
}

std::vector<SummaryLine> FileSummary::Lines()
{
    std::vector<SummaryLine> lines;
    Figures all;
    all.expected = std::min(expected, 0LL); // no satellite: none expected, or no grid at all
    for (const SatSystem& system : SatSystems) {
        Figures total;
        bool any = false;
        for (int nn = 0; nn <= 99; ++nn) {
            const short s = SatNumber(system.letter, nn);
            if (!seen[s]) continue;
            Figures f = satellites[s].Finish();
            f.expected = expected;
            if (sky) {
                f.above = sky->Above(s);
                f.observedAbove = observedAbove[s];
                if (AgainstCutoff()) f.expected = f.above;
            }
            total.Add(f);
            lines.push_back({SatId(s), std::move(f)});
            any = true;
        }
        if (any) {
            all.Add(total);
            lines.push_back({system.shortName, std::move(total)});
        }
    }
    lines.push_back({"ALL", std::move(all)});
    return lines;
}

std::vector<std::string> FileSummary::WithoutRows() const
{
    std::vector<std::string> without;
    for (const std::string& sat : header.satellites)
        if (!seen[SatelliteIndex(sat)]) without.push_back(sat);
    return without;
}
