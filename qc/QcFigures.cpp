// SPDX-License-Identifier: BSD-2-Clause
#include "qc/QcFigures.h"

#include "GNSS/SatSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// The ionosphere delays a carrier f by IonoFactor x TEC / f^2 (m, TEC in el/m^2).
constexpr long double IonoFactor = 40.3L;

std::string TypeName(char letter, int band) { return {letter, static_cast<char>('0' + band)}; }

bool HasValues(const QcSignal* s) { return s != nullptr && !s->values.empty(); }

const QcSignal* FindCode(const QcSatellite& sat, const std::string& code)
{
    for (const QcSignal& s : sat.signals)
        if (s.code == code && !s.values.empty()) return &s;
    return nullptr;
}

// The signal's value at each epoch of the file, nullptr where it has none.
std::vector<const QcValue*> ByEpoch(const QcSignal* s, std::size_t epochs)
{
    std::vector<const QcValue*> at(s ? epochs : 0, nullptr);
    if (s)
        for (const QcValue& v : s->values)
            if (v.epoch >= 0 && static_cast<std::size_t>(v.epoch) < epochs) at[v.epoch] = &v;
    return at;
}

// A combination in millimetres, as the arc rule takes it from a listing; none beyond what the
// listing's 14-column fields hold. A damaged field can read as 2.5e64 m ("253347E59.023"),
// whose millimetres no integer holds and whose differences would overflow.
constexpr long double ListedMetresLimit = 1e10L;
std::optional<std::int64_t> Milli(long double metres)
{
    if (!(std::fabs(metres) < ListedMetresLimit)) return std::nullopt;
    return std::llroundl(metres * 1000);
}

bool Lost(const QcValue* v) { return v != nullptr && (v->lli & 1) != 0; }

// The elevation bin of an epoch, -1 without an elevation there.
int BinAt(const QcSatellite& sat, std::int32_t epoch)
{
    if (sat.elevation.empty() || static_cast<std::size_t>(epoch) >= sat.elevation.size() ||
        std::isnan(sat.elevation[epoch]))
        return -1;
    return ElevationBinOf(std::llround(static_cast<double>(sat.elevation[epoch]) * 1000));
}

// The rule of the sky grid: above the cut-off, or above the horizon without one.
bool Above(const QcInput& in, const QcSatellite& sat, std::int32_t epoch)
{
    const int bin = BinAt(sat, epoch);
    if (bin < 0) return false;
    const double el = sat.elevation[epoch];
    return in.cutoff ? el >= *in.cutoff : el > 0;
}

long double Quantile(const std::vector<double>& sorted, double q)
{
    const double rank = q * static_cast<double>(sorted.size() - 1);
    const std::size_t lo = static_cast<std::size_t>(std::floor(rank));
    const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (rank - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

// What the pair gives a satellite: its phases, codes and carriers.
struct PairSignals {
    int band1 = 0, band2 = 0;
    long double f1 = 0, f2 = 0;
    std::vector<const QcValue*> l1, l2, c1, p1, c2;
};

PairSignals PairOf(const QcInput& in, const QcSatellite& sat)
{
    PairSignals p;
    const SatSystem* sys = SystemOfLetter(sat.system);
    p.band1 = sys ? sys->band1 : 1;
    p.band2 = sys ? sys->band2 : 2;
    for (const QcPair& q : in.pairs)
        if (q.system == sat.system) p.band1 = q.band1, p.band2 = q.band2;
    p.f1 = CarrierOf(sat.system, p.band1, sat.channel);
    p.f2 = CarrierOf(sat.system, p.band2, sat.channel);
    const std::size_t n = in.epochs.size();
    p.l1 = ByEpoch(SignalOfType(sat, TypeName('L', p.band1)), n);
    p.l2 = ByEpoch(SignalOfType(sat, TypeName('L', p.band2)), n);
    p.c1 = ByEpoch(SignalOfType(sat, TypeName('C', p.band1)), n);
    p.p1 = ByEpoch(SignalOfType(sat, TypeName('P', p.band1)), n);
    const QcSignal* second = SignalOfType(sat, TypeName('P', p.band2));
    p.c2 = ByEpoch(second ? second : SignalOfType(sat, TypeName('C', p.band2)), n);
    return p;
}

bool Both(const std::vector<const QcValue*>& a, const std::vector<const QcValue*>& b, std::size_t e)
{
    return !a.empty() && !b.empty() && a[e] && b[e];
}

// The arc rule's view of one epoch: LLI on the pair's phases, MW[C], MW[P] and L4 in mm.
ArcSample SampleAt(const QcInput& in, const PairSignals& p, std::size_t e)
{
    ArcSample s;
    s.time = in.epochs[e];
    s.lossOfLock = (!p.l1.empty() && Lost(p.l1[e])) || (!p.l2.empty() && Lost(p.l2[e]));
    if (p.f1 <= 0 || p.f2 <= 0 || p.f1 == p.f2 || !Both(p.l1, p.l2, e)) return s;
    const long double c = LightSpeed, m1 = p.l1[e]->value * c / p.f1,
                      m2 = p.l2[e]->value * c / p.f2;
    const long double wide = (p.f1 * m1 - p.f2 * m2) / (p.f1 - p.f2);
    auto mw = [&](const std::vector<const QcValue*>& first, int k) {
        if (!Both(first, p.c2, e)) return;
        const long double narrow = (p.f1 * first[e]->value + p.f2 * p.c2[e]->value) / (p.f1 + p.f2);
        const std::optional<std::int64_t> milli = Milli(wide - narrow);
        s.has[k] = milli.has_value();
        s.milli[k] = milli.value_or(0);
    };
    mw(p.c1, 0);
    mw(p.p1, 1);
    const std::optional<std::int64_t> l4 = Milli(m1 - m2);
    s.has[2] = l4.has_value();
    s.milli[2] = l4.value_or(0);
    return s;
}

// The arc of each epoch of the satellite (-1 where it has no value), its arcs and slips.
struct Arcs {
    std::vector<int> of;
    long long count = 0, slips = 0, epochs = 0;
};

Arcs ArcsOf(const QcInput& in, const QcSatellite& sat, const PairSignals& p)
{
    Arcs a;
    a.of.assign(in.epochs.size(), -1);
    std::vector<bool> any(in.epochs.size(), false);
    for (const QcSignal& s : sat.signals)
        for (const QcValue& v : s.values)
            if (v.epoch >= 0 && static_cast<std::size_t>(v.epoch) < any.size()) any[v.epoch] = true;
    ArcCutter cutter(in.interval, DefaultMWJump);
    for (std::size_t e = 0; e < any.size(); ++e) {
        if (!any[e]) continue;
        const ArcBreak why = cutter.Next(SampleAt(in, p, e));
        if (why.why != ArcEnd::None) ++a.count;
        if (IsUnflaggedJump(why.why)) ++a.slips;
        a.of[e] = static_cast<int>(a.count);
        ++a.epochs;
    }
    return a;
}

// The phase a code's multipath reads on its own band: the same attribute where the satellite
// has it, else the band's default.
const QcSignal* PhaseFor(const QcSatellite& sat, const QcSignal& code)
{
    for (const QcSignal& s : sat.signals)
        if (s.kind == 'L' && s.band == code.band && s.attribute == code.attribute &&
            !s.values.empty())
            return &s;
    return SignalOfType(sat, TypeName('L', code.band));
}

// Calls take(epoch, fresh, mp) for each multipath value of the code (m), fresh where it begins
// an arc: the satellite's arc changes or either phase lost lock. False where no value can be
// formed (no phase of either band, no carrier).
template <class Take> bool ForEachMultipath(const QcInput& in, const QcSatellite& sat,
                                            const PairSignals& p, const Arcs& arcs,
                                            const QcSignal& code, Take take)
{
    const int j = code.band == p.band2 ? p.band1 : p.band2;
    const QcSignal* li = PhaseFor(sat, code);
    const QcSignal* lj = SignalOfType(sat, TypeName('L', j));
    const long double fi = CarrierOf(sat.system, code.band, sat.channel);
    const long double fj = CarrierOf(sat.system, j, sat.channel);
    if (!HasValues(li) || !HasValues(lj) || fi <= 0 || fj <= 0 || fi == fj) return false;
    const auto phaseI = ByEpoch(li, in.epochs.size()), phaseJ = ByEpoch(lj, in.epochs.size());
    int arc = -1;
    for (const QcValue& v : code.values) {
        const std::size_t e = static_cast<std::size_t>(v.epoch);
        if (e >= in.epochs.size() || !phaseI[e] || !phaseJ[e]) continue;
        const bool fresh = arcs.of[e] != arc || Lost(phaseI[e]) || Lost(phaseJ[e]);
        arc = arcs.of[e];
        take(v.epoch, fresh,
             Multipath(v.value, phaseI[e]->value * LightSpeed / fi,
                       phaseJ[e]->value * LightSpeed / fj, fi, fj));
    }
    return true;
}

// The code's multipath about each arc's mean.
void AddMultipath(const QcInput& in, const QcSatellite& sat, const PairSignals& p, const Arcs& arcs,
                  const QcSignal& code, SignalFigures& f)
{
    ArcValues values;
    std::array<Spread, ElevationBins>* bins = f.binned ? &f.mpBins : nullptr;
    f.multipath = ForEachMultipath(in, sat, p, arcs, code,
                                   [&](std::int32_t epoch, bool fresh, long double mp) {
                                       if (fresh) values.Close(f.mp, bins);
                                       if (const std::optional<std::int64_t> m = Milli(mp))
                                           values.Add(*m, f.binned ? BinAt(sat, epoch) : -1);
                                   });
    values.Close(f.mp, bins);
}

SignalFigures FiguresOf(const QcInput& in, const QcSatellite& sat, const PairSignals& p,
                        const Arcs& arcs, const QcSignal& s)
{
    SignalFigures f;
    f.code = s.code;
    f.kind = s.kind;
    f.binned = !sat.elevation.empty();
    f.expected = sat.above;
    f.observations = static_cast<long long>(s.values.size());
    for (const QcValue& v : s.values) {
        if (f.expected && Above(in, sat, v.epoch)) ++f.observedAbove;
        if (s.kind == 'L' && (v.lli & 1) != 0) ++f.lli;
        if (s.kind == 'S') {
            f.snr.Add(v.value);
            if (const int b = BinAt(sat, v.epoch); b >= 0) f.snrBins[b].Add(v.value);
        }
    }
    if (s.kind == 'C') AddMultipath(in, sat, p, arcs, s, f);
    return f;
}

// The slant TEC (TECU) of the pair's phases along each arc.
std::vector<RotiValue> RotiOfSatellite(const QcInput& in, const PairSignals& p, const Arcs& arcs)
{
    std::vector<RotiValue> out;
    if (p.f1 <= 0 || p.f2 <= 0 || p.f1 == p.f2) return out;
    const long double perTecu =
        IonoFactor * ElectronsPerTecu * (1 / (p.f2 * p.f2) - 1 / (p.f1 * p.f1));
    std::vector<std::pair<Ticks, long double>> arc;
    int current = -1;
    auto flush = [&] {
        const std::vector<RotiValue> r = RotiOfSeries(arc);
        out.insert(out.end(), r.begin(), r.end());
        arc.clear();
    };
    for (std::size_t e = 0; e < in.epochs.size(); ++e) {
        if (!Both(p.l1, p.l2, e)) continue;
        if (arcs.of[e] != current) flush(), current = arcs.of[e];
        const long double l4 =
            p.l1[e]->value * LightSpeed / p.f1 - p.l2[e]->value * LightSpeed / p.f2;
        arc.emplace_back(in.epochs[e], l4 / perTecu);
    }
    flush();
    // one arc after another may share a window: merge by window
    std::sort(out.begin(), out.end(),
              [](const RotiValue& a, const RotiValue& b) { return a.window < b.window; });
    return out;
}

SatelliteQc SatelliteOf(const QcInput& in, const QcSatellite& sat, bool roti)
{
    SatelliteQc q;
    q.id = SatId(SatNumber(sat.system, sat.prn));
    const PairSignals p = PairOf(in, sat);
    const Arcs arcs = ArcsOf(in, sat, p);
    q.epochs = arcs.epochs;
    q.arcs = arcs.count;
    q.slips = arcs.slips;
    for (const QcSignal& s : sat.signals) q.signals.push_back(FiguresOf(in, sat, p, arcs, s));
    if (roti) {
        q.roti = RotiOfSatellite(in, p, arcs);
        q.rotiFigures = RotiOf(q.roti);
    }
    return q;
}

} // namespace

std::optional<long double> Mean::Value() const
{
    if (n == 0) return std::nullopt;
    return sum / n;
}

void SignalFigures::Add(const SignalFigures& o)
{
    observations += o.observations;
    if (o.expected) expected = expected.value_or(0) + *o.expected;
    observedAbove += o.observedAbove;
    multipath = multipath || o.multipath;
    mp.squares += o.mp.squares;
    mp.values += o.mp.values;
    snr.Add(o.snr);
    lli += o.lli;
    binned = binned || o.binned;
    for (int b = 0; b < ElevationBins; ++b) {
        mpBins[b].squares += o.mpBins[b].squares;
        mpBins[b].values += o.mpBins[b].values;
        snrBins[b].Add(o.snrBins[b]);
    }
}

std::optional<long long> SignalFigures::CompletenessTenths() const
{
    if (!expected || *expected <= 0) return std::nullopt;
    return ::CompletenessTenths(observedAbove, *expected);
}

std::optional<long double> SignalFigures::MpRms() const
{
    if (!multipath || mp.values == 0) return std::nullopt;
    return std::sqrt(mp.squares / mp.values) / 1000;
}

long double CarrierOf(char system, int band, std::optional<int> channel)
{
    const SatSystem* s = SystemOfLetter(system);
    if (s == nullptr || band <= 0 || band >= NBands) return 0;
    if (!s->channels || (band != 1 && band != 2)) return s->freq[band];
    if (!channel) return 0;
    // the table of systems holds the channel spacing of each band
    return s->Carrier(band, static_cast<long double>(*channel));
}

const QcSignal* SignalOfType(const QcSatellite& sat, const std::string& type)
{
    if (const QcSignal* s = FindCode(sat, type)) return s;
    const char letter = type[0] == 'P' ? 'C' : type[0];
    for (const SignalPriority& p : SignalPriorities) {
        if (std::strchr(p.systems, sat.system) == nullptr) continue;
        const std::string types = std::string(" ") + p.types + " ";
        if (types.find(" " + type + " ") == std::string::npos) continue;
        for (const char* a = p.attributes; *a; ++a)
            if (const QcSignal* s = FindCode(sat, {letter, type[1], *a})) return s;
    }
    return nullptr;
}

long double Multipath(long double code, long double li, long double lj, long double fi,
                      long double fj)
{
    const long double alpha = (fi / fj) * (fi / fj);
    return code - (1 + 2 / (alpha - 1)) * li + (2 / (alpha - 1)) * lj;
}

std::vector<RotiValue> RotiOfSeries(const std::vector<std::pair<Ticks, long double>>& stec)
{
    constexpr Ticks Window = RotiWindowSeconds * TicksPerSecond;
    std::map<Ticks, Mean> sums, squares;
    for (std::size_t k = 1; k < stec.size(); ++k) {
        const Ticks dt = stec[k].first - stec[k - 1].first;
        if (dt <= 0) continue;
        const long double rot = (stec[k].second - stec[k - 1].second) /
                                (static_cast<long double>(dt) / (60 * TicksPerSecond));
        const Ticks w = stec[k].first >= 0 ? stec[k].first / Window * Window
                                           : -((-stec[k].first + Window - 1) / Window) * Window;
        sums[w].Add(rot);
        squares[w].Add(rot * rot);
    }
    std::vector<RotiValue> out;
    for (const auto& [w, m] : sums) {
        if (m.n < RotiMinValues) continue;
        const long double mean = m.sum / m.n, var = squares[w].sum / m.n - mean * mean;
        out.push_back({w, static_cast<double>(std::sqrt(std::max<long double>(0, var)))});
    }
    return out;
}

RotiFigures RotiOf(std::vector<RotiValue> values)
{
    RotiFigures f;
    if (values.empty()) return f;
    std::vector<double> sorted;
    for (const RotiValue& v : values) sorted.push_back(v.roti);
    std::sort(sorted.begin(), sorted.end());
    f.median = static_cast<double>(Quantile(sorted, 0.5));
    f.p95 = static_cast<double>(Quantile(sorted, 0.95));
    const auto top =
        std::max_element(values.begin(), values.end(),
                         [](const RotiValue& a, const RotiValue& b) { return a.roti < b.roti; });
    f.max = top->roti;
    f.maxEpoch = top->window;
    return f;
}

std::vector<SeriesPoint> MultipathSeries(const QcInput& in, const std::string& code)
{
    std::vector<SeriesPoint> points;
    for (const QcSatellite& sat : in.satellites) {
        const QcSignal* signal = FindCode(sat, code);
        if (signal == nullptr || signal->kind != 'C' || SystemOfLetter(sat.system) == nullptr)
            continue;
        const PairSignals p = PairOf(in, sat);
        const Arcs arcs = ArcsOf(in, sat, p);
        const std::string id = SatId(SatNumber(sat.system, sat.prn));
        int arc = 0;
        ForEachMultipath(in, sat, p, arcs, *signal,
                         [&](std::int32_t epoch, bool fresh, long double mp) {
                             arc += fresh;
                             points.push_back({id, &sat, epoch, arc, static_cast<double>(mp)});
                         });
    }
    return points;
}

QcResult ComputeQc(const QcInput& in)
{
    QcResult r;
    r.intervalTooLong = in.interval > RotiMaxInterval * TicksPerSecond;
    r.clockJumps = in.clockJumps;
    std::vector<const QcSatellite*> order;
    for (const QcSatellite& s : in.satellites)
        if (SystemOfLetter(s.system) != nullptr && s.prn >= 0 && s.prn <= 99) order.push_back(&s);
    std::stable_sort(order.begin(), order.end(), [](const QcSatellite* a, const QcSatellite* b) {
        return SatNumber(a->system, a->prn) < SatNumber(b->system, b->prn);
    });
    for (const SatSystem& sys : SatSystems) {
        SystemQc q;
        q.letter = sys.letter;
        std::vector<RotiValue> roti;
        for (const QcSatellite* s : order) {
            if (s->system != sys.letter) continue;
            SatelliteQc sat = SatelliteOf(in, *s, !r.intervalTooLong);
            for (const SignalFigures& f : sat.signals) {
                auto at = std::find_if(q.signals.begin(), q.signals.end(),
                                       [&](const SignalFigures& g) { return g.code == f.code; });
                if (at == q.signals.end()) {
                    SignalFigures first;
                    first.code = f.code;
                    first.kind = f.kind;
                    q.signals.push_back(first);
                    at = q.signals.end() - 1;
                }
                at->Add(f);
            }
            for (RotiValue v : sat.roti) roti.push_back(v);
            q.slips += sat.slips;
            q.epochs += sat.epochs;
            q.satellites.push_back(std::move(sat));
        }
        if (q.satellites.empty()) continue;
        q.roti = RotiOf(roti);
        for (const SatelliteQc& sat : q.satellites)
            if (sat.rotiFigures.max && q.roti.max && *sat.rotiFigures.max == *q.roti.max &&
                sat.rotiFigures.maxEpoch == q.roti.maxEpoch && q.roti.maxSatellite.empty())
                q.roti.maxSatellite = sat.id;
        r.systems.push_back(std::move(q));
    }
    return r;
}
