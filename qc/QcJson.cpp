// SPDX-License-Identifier: BSD-2-Clause
// The JSON document and the TSV rows of the figures: the same figures as the text report, each
// figure that cannot be formed null (JSON) or "-" (TSV), never 0.
#include "qc/QcReport.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

// A figure as computed (the text rounds it); null for none.
Json Number(std::optional<long double> v, int = 0)
{
    if (!v || !std::isfinite(*v)) return nullptr;
    return static_cast<double>(*v);
}

Json Optional(const std::optional<long long>& v) { return v ? Json(*v) : Json(nullptr); }

Json Completeness(const SignalFigures& f)
{
    const std::optional<long long> t = f.CompletenessTenths();
    if (!t || *t < 0) return nullptr;
    return static_cast<double>(*t) / 10;
}

std::optional<long double> Rms(const Spread& s)
{
    if (s.values == 0) return std::nullopt;
    return std::sqrt(s.squares / s.values) / 1000;
}

Json Bins(const SignalFigures& f)
{
    if (!f.binned) return nullptr;
    Json bins = Json::array();
    for (int b = 0; b < ElevationBins; ++b) {
        const bool code = f.kind == 'C' && f.multipath;
        const long long n = code ? f.mpBins[b].values : f.kind == 'S' ? f.snrBins[b].n : 0;
        bins.push_back({{"from", b * BinDegrees},
                        {"to", (b + 1) * BinDegrees},
                        {"mp_rms", code ? Number(Rms(f.mpBins[b])) : Json(nullptr)},
                        {"snr_mean", f.kind == 'S' ? Number(f.snrBins[b].Value(), 2) : nullptr},
                        {"values", n}});
    }
    return bins;
}

Json SignalJson(const SignalFigures& f)
{
    const bool code = f.kind == 'C';
    return {{"kind", std::string(1, f.kind)},
            {"observations", f.observations},
            {"expected", Optional(f.expected)},
            {"completeness", Completeness(f)},
            {"mp_rms", code ? Number(f.MpRms()) : nullptr},
            {"mp_values", code && f.multipath ? Json(f.mp.values) : Json(nullptr)},
            {"snr_mean", f.kind == 'S' ? Number(f.snr.Value(), 2) : nullptr},
            {"lli", f.kind == 'L' ? Json(f.lli) : Json(nullptr)},
            {"elevation_bins", Bins(f)}};
}

Json Signals(const std::vector<SignalFigures>& figures)
{
    Json signals = Json::object();
    for (const SignalFigures& f : figures) signals[f.code] = SignalJson(f);
    return signals;
}

Json RotiJson(const RotiFigures& r, bool tooLong)
{
    Json j = {{"median", tooLong ? nullptr : Number(r.median)},
              {"p95", tooLong ? nullptr : Number(r.p95)},
              {"max", tooLong ? nullptr : Number(r.max)},
              {"max_epoch", !tooLong && r.max ? Json(EpochText(r.maxEpoch)) : Json(nullptr)}};
    if (!r.maxSatellite.empty() && !tooLong) j["max_satellite"] = r.maxSatellite;
    if (tooLong) j["note"] = "interval too long";
    return j;
}

Json Array3(const std::optional<std::array<double, 3>>& v)
{
    return v ? Json::array({(*v)[0], (*v)[1], (*v)[2]}) : Json(nullptr);
}

Json Text(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

Json Inputs(const QcFacts& f)
{
    Json inputs = Json::array();
    for (const QcInputFile& i : f.inputs)
        inputs.push_back({{"role", i.role},
                          {"name", i.name},
                          {"size", i.size ? Json(*i.size) : Json(nullptr)},
                          {"sha256", Text(i.sha256)}});
    return inputs;
}

Json NominalSpanJson(const QcFacts& f)
{
    if (!f.nominal) return nullptr;
    return {{"start", EpochText(f.nominal->start)},
            {"end", EpochText(f.nominal->end)},
            {"source", f.nominal->source}};
}

Json Settings(const QcFacts& f, const QcInput& in)
{
    Json pairs = Json::object();
    for (const QcPair& p : in.pairs) pairs[std::string(1, p.system)] = {p.band1, p.band2};
    return {{"systems", f.systems},
            {"start", EpochText(f.start)},
            {"end", EpochText(f.end)},
            {"nominal_span", NominalSpanJson(f)},
            {"interval", f.interval},
            {"clock_tolerance", f.tolerance},
            {"cutoff", f.cutoff ? Json(*f.cutoff) : Json(nullptr)},
            {"satellites", Text(f.satellites)},
            {"excluded", Text(f.excluded)},
            {"navigation", f.navFiles},
            {"receiver_position", Array3(f.receiverUsed)},
            {"receiver_position_source", Text(f.receiverSource)},
            {"pairs", pairs}};
}

Json Header(const QcFacts& f)
{
    return {{"rinex_version", f.rinexVersion},
            {"marker", Text(f.marker)},
            {"marker_number", Text(f.markerNumber)},
            {"receiver", Text(f.receiver)},
            {"receiver_number", Text(f.receiverNumber)},
            {"receiver_version", Text(f.receiverVersion)},
            {"antenna", Text(f.antenna)},
            {"antenna_number", Text(f.antennaNumber)},
            {"interval", f.headerInterval ? Json(*f.headerInterval) : Json(nullptr)},
            {"position", Array3(f.position)}};
}

Json SystemJson(const SystemQc& s, bool tooLong)
{
    Json sats = Json::object();
    for (const SatelliteQc& q : s.satellites)
        sats[q.id] = {{"epochs", q.epochs},
                      {"arcs", q.arcs},
                      {"slips", q.slips},
                      {"signals", Signals(q.signals)},
                      {"roti", RotiJson(q.rotiFigures, tooLong)}};
    return {{"satellite_count", s.satellites.size()},
            {"epochs", s.epochs},
            {"slips", s.slips},
            {"signals", Signals(s.signals)},
            {"satellites", sats},
            {"roti", RotiJson(s.roti, tooLong)}};
}

std::string Cell(const Json& v)
{
    if (v.is_null()) return "-";
    if (v.is_string()) return v.get<std::string>();
    return v.dump();
}

void TsvRow(std::ostream& out, char system, const std::string& sat, const SignalFigures& f,
            const std::string& tail)
{
    const Json j = SignalJson(f);
    out << system << "\t" << sat << "\t" << f.code;
    for (const char* key : {"kind", "observations", "expected", "completeness", "mp_rms",
                            "mp_values", "snr_mean", "lli"})
        out << "\t" << Cell(j[key]);
    out << tail << "\n";
}

std::string SatelliteTail(long long epochs, long long arcs, long long slips, const Json& roti)
{
    std::string tail = "\t" + std::to_string(epochs) + "\t" +
                       (arcs < 0 ? std::string("-") : std::to_string(arcs)) + "\t" +
                       std::to_string(slips);
    for (const char* key : {"median", "p95", "max"}) tail += "\t" + Cell(roti[key]);
    return tail;
}

} // namespace

void WriteJson(std::ostream& out, const QcFacts& facts, const QcInput& in, const QcResult& r)
{
    Json doc = {{"schema", "kestrova-qc/1"},       {"program", QcName},
                {"version", facts.version},        {"inputs", Inputs(facts)},
                {"settings", Settings(facts, in)}, {"header", Header(facts)},
                {"epochs", in.epochs.size()},      {"interval_too_long", r.intervalTooLong}};
    Json jumps = {{"count", nullptr}, {"epochs", nullptr}};
    if (r.clockJumps) {
        jumps["count"] = r.clockJumps->size();
        jumps["epochs"] = Json::array();
        for (std::int32_t e : *r.clockJumps) jumps["epochs"].push_back(EpochText(in.epochs[e]));
    }
    doc["clock_jumps"] = jumps;
    Json systems = Json::object();
    for (const SystemQc& s : r.systems)
        systems[std::string(1, s.letter)] = SystemJson(s, r.intervalTooLong);
    doc["systems"] = systems;
    // header texts of any bytes: what is no UTF-8 is written as U+FFFD, never refused
    out << doc.dump(1, ' ', false, Json::error_handler_t::replace) << "\n";
}

void WriteTsv(std::ostream& out, const QcResult& r)
{
    out << "system\tsatellite\tsignal\tkind\tobservations\texpected\tcompleteness\tmp_rms\tmp_"
           "values\tsnr_mean\tlli\tepochs\tarcs\tslips\troti_median\troti_p95\troti_max\n";
    for (const SystemQc& s : r.systems) {
        const Json roti = RotiJson(s.roti, r.intervalTooLong);
        for (const SignalFigures& f : s.signals)
            TsvRow(out, s.letter, "ALL", f, SatelliteTail(s.epochs, -1, s.slips, roti));
        for (const SatelliteQc& q : s.satellites) {
            const Json qr = RotiJson(q.rotiFigures, r.intervalTooLong);
            for (const SignalFigures& f : q.signals)
                TsvRow(out, s.letter, q.id, f, SatelliteTail(q.epochs, q.arcs, q.slips, qr));
        }
    }
}
