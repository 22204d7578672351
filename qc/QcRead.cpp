// SPDX-License-Identifier: BSD-2-Clause
#include "qc/QcRead.h"

#include "GNSS/SatGeometry.h"
#include "GNSS/TimeConverse.h"
#include "qc/QcReport.h"
#include "summary/SkyGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

Ticks TicksOfSeconds(long double s) { return std::llround(s * TicksPerSecond); }

// The epochs of the store the run takes: those of the window on the grid, every epoch of the
// window where there is no grid.
std::vector<long> TakenEpochs(const RINEXData& d, const RunSettings& s, const RunPlan& plan)
{
    std::vector<long> taken;
    const bool grid = std::isfinite(plan.interval) && plan.interval > 0;
    for (long j = 0; j < d.GetNEpoch(); j++) {
        const mjd& e = d.epoch(j);
        if (grid ? plan.IsListedEpoch(e, s.maxClockError) : plan.start <= e && e <= plan.end)
            taken.push_back(j);
    }
    return taken;
}

// The satellites of the plan with a system switched on and not excluded, each once.
std::vector<short> SatellitesOf(const RunSettings& s, const RunPlan& plan)
{
    std::vector<short> sats;
    for (long i = 0; i < plan.satellites.NRow(); i++) {
        const short sat = plan.satellites(i);
        const SatSystem* sys = SystemOf(sat);
        if (sys == nullptr || !plan.IsOn(*sys) || s.Excludes(sat)) continue;
        if (std::find(sats.begin(), sats.end(), sat) == sats.end()) sats.push_back(sat);
    }
    return sats;
}

// Every column of the store moved into the signals of the satellites taken: a satellite's
// signals in the order of the header's codes, at most one value per epoch (the first), the
// epochs renumbered as those of the input.
void MoveSignals(RINEXData& d, const std::vector<int>& epochIndex, const std::vector<int>& satIndex,
                 QcInput& in)
{
    for (SignalColumn& c : d.signals.Columns()) {
        std::vector<std::vector<SignalValue>> bySatellite = c.TakeBySatellite();
        for (std::size_t sat = 0; sat < bySatellite.size(); sat++) {
            std::vector<SignalValue>& values = bySatellite[sat];
            const int k = satIndex[sat];
            if (values.empty() || k < 0) continue;
            QcSatellite& q = in.satellites[static_cast<std::size_t>(k)];
            if (c.system != ' ' && c.system != q.system) continue;
            std::size_t kept = 0;
            for (const SignalValue& v : values) {
                const int e = epochIndex[static_cast<std::size_t>(v.epoch)];
                if (e < 0 || (kept > 0 && values[kept - 1].epoch == e)) continue;
                values[kept++] = {e, v.value, v.lli};
            }
            values.resize(kept);
            if (kept == 0) continue;
            // named by the band of the carrier: B1I of older BeiDou headers is C2I
            std::string code = c.code;
            if (c.system != ' ') code[1] = static_cast<char>('0' + c.band);
            q.signals.push_back({code, c.kind, c.band, c.attribute, std::move(values)});
        }
    }
}

// The summary's grid of a listing of this run, for the satellites' grid epochs above the
// cut-off.
GofHeader GridHeaderOf(const RunSettings& s, const RunPlan& plan, const QcInput& in)
{
    GofHeader h;
    h.startTicks = TicksOf(plan.start);
    h.endTicks = TicksOf(plan.end);
    if (plan.nominal) { // completeness counted over the span the file promises
        h.nominalStartTicks = TicksOf(plan.nominal->start);
        h.nominalEndTicks = TicksOf(plan.nominal->end);
        h.nominalSource = plan.nominal->source;
        h.nominalStart = EpochText(h.nominalStartTicks);
        h.nominalEnd = EpochText(h.nominalEndTicks);
    }
    h.intervalTicks = TicksOfSeconds(plan.interval);
    h.toleranceTicks = TicksOfSeconds(s.maxClockError);
    if (plan.grid.fromFirst) {
        h.origin = "first";
        h.originTicks = TicksOf(*plan.grid.fromFirst);
    }
    h.navFiles = s.navFiles;
    h.hasReceiver = true;
    for (int k = 0; k < 3; k++) h.receiver[k] = plan.receiver->xyz[static_cast<std::size_t>(k)];
    h.hasCutoff = s.cutOff.has_value();
    h.cutoff = s.cutOff.value_or(0);
    for (const QcSatellite& q : in.satellites)
        h.satellites.push_back(SatId(SatNumber(q.system, q.prn)));
    return h;
}

// Each satellite's angles at each epoch taken, as the listing's rows have them.
void AddAngles(const RINEX& file, const std::vector<long>& taken, const RunPlan& plan,
               const BroadcastNav& nav, QcInput& in)
{
    std::vector<double> gps(taken.size());
    for (std::size_t k = 0; k < taken.size(); k++)
        gps[k] =
            GpsSecondsOfObsEpoch(file.rdata.epoch(taken[k]), file.facts.firstTimeSystem.c_str());
    for (QcSatellite& q : in.satellites) {
        SatelliteTrack track(nav, NavSat{q.system, q.prn}, *plan.station);
        q.elevation.assign(taken.size(), std::numeric_limits<float>::quiet_NaN());
        q.azimuth.assign(taken.size(), std::numeric_limits<float>::quiet_NaN());
        // the angles of the epochs with a value of the satellite: no figure reads the others
        std::vector<bool> held(taken.size(), false);
        for (const QcSignal& signal : q.signals)
            for (const QcValue& v : signal.values) held[static_cast<std::size_t>(v.epoch)] = true;
        bool any = false;
        for (std::size_t k = 0; k < taken.size(); k++) {
            double az = 0, el = 0;
            if (!held[k] || !track.AzEl(gps[k], az, el)) continue;
            q.elevation[k] = static_cast<float>(el);
            q.azimuth[k] = static_cast<float>(az);
            any = true;
        }
        // a satellite of no orbit of the navigation files has no elevations at all
        if (!any) q.elevation.clear(), q.azimuth.clear();
    }
}

// As the listing leaves out the rows below the cut-off, the values at a known elevation below it
// are left out of every figure.
void DropBelowCutoff(double cutoff, QcInput& in)
{
    for (QcSatellite& q : in.satellites) {
        if (q.elevation.empty()) continue;
        for (QcSignal& s : q.signals)
            std::erase_if(s.values, [&](const QcValue& v) {
                const float el = q.elevation[static_cast<std::size_t>(v.epoch)];
                return !std::isnan(el) && el < cutoff;
            });
        std::erase_if(q.signals, [](const QcSignal& s) { return s.values.empty(); });
    }
}

} // namespace

Ticks TicksOf(const mjd& e)
{
    return static_cast<Ticks>(e.GetMJDay()) * TicksPerDay + TicksOfSeconds(e.GetSecond());
}

std::optional<std::vector<std::int32_t>>
ClockJumpEpochs(RINEXData& d, const GlonassChannels& glonass, const std::vector<long>& taken)
{
    const std::optional<ClockJumpRemoval> removal = d.RemoveClockJumps(glonass);
    if (!removal) return std::nullopt;
    std::vector<std::int32_t> epochs;
    for (std::size_t k = 0; k < taken.size(); k++)
        if (std::binary_search(removal->jumps.begin(), removal->jumps.end(), taken[k]))
            epochs.push_back(static_cast<std::int32_t>(k));
    return epochs;
}

QcInput QcInputOf(RINEX& file, const RunSettings& s, const RunPlan& plan, const BroadcastNav& nav)
{
    RINEXData& d = file.rdata;
    QcInput in;
    const std::vector<long> taken = TakenEpochs(d, s, plan);
    std::vector<int> epochIndex(static_cast<std::size_t>(std::max(d.GetNEpoch(), 0L)), -1);
    for (std::size_t k = 0; k < taken.size(); k++) {
        epochIndex[static_cast<std::size_t>(taken[k])] = static_cast<int>(k);
        in.epochs.push_back(TicksOf(d.epoch(taken[k])));
    }
    in.interval =
        std::isfinite(plan.interval) && plan.interval > 0 ? TicksOfSeconds(plan.interval) : 0;
    in.cutoff = s.cutOff;
    std::vector<int> satIndex(NSatNumbers, -1);
    for (short sat : SatellitesOf(s, plan)) {
        satIndex[sat] = static_cast<int>(in.satellites.size());
        QcSatellite q;
        q.system = SystemOf(sat)->letter;
        q.prn = SatPrn(sat);
        if (const std::optional<long double> ch = plan.glonass.Of(sat))
            q.channel = static_cast<int>(std::lround(*ch));
        in.satellites.push_back(std::move(q));
    }
    for (const SatSystem& sys : SatSystems)
        if (plan.IsOn(sys))
            in.pairs.push_back({sys.letter, s.PairOf(sys).band1, s.PairOf(sys).band2});
    MoveSignals(d, epochIndex, satIndex, in);
    in.clockJumps = ClockJumpEpochs(d, plan.glonass, taken);
    if (plan.station && !s.navFiles.empty() && in.interval > 0) {
        AddAngles(file, taken, plan, nav, in);
        if (s.cutOff) DropBelowCutoff(*s.cutOff, in);
        SkyGrid sky;
        if (sky.Load(GridHeaderOf(s, plan, in), nav))
            for (QcSatellite& q : in.satellites)
                if (!q.elevation.empty())
                    q.above = sky.Above(SatelliteIndex(SatId(SatNumber(q.system, q.prn))));
    }
    return in;
}
