// SPDX-License-Identifier: BSD-2-Clause
// TEQC COMPACT2 multipath file: "COMPACT2", "T_SAMP", "START_TIME_MJD", then one
// record per sampling step: a count with the satellite list (" G05" each), -n when
// the list repeats, 0 when nothing is in view; then one line of 10-character values.
#include "tools/gen/RinexGen.h"
#include "tools/gen/SkyModel.h"
#include "tools/gen/TextBuffer.h"

#include <cmath>

namespace kgen {
namespace {

constexpr long long kMjdOfReference = 44244; // MJD of 1980-01-06
constexpr std::uint64_t kSlipDraw = 7;

double Interval(const GenConfig& cfg, const Compact2Config& mp)
{
    return mp.interval > 0.0 ? mp.interval : cfg.interval;
}

long Records(const GenConfig& cfg, const Compact2Config& mp)
{
    if (mp.records >= 0) return mp.records;
    const double span = static_cast<double>(cfg.epochs - 1) * cfg.interval - mp.startOffset;
    return span < 0.0 ? 0 : static_cast<long>(std::floor(span / Interval(cfg, mp) + 1e-9)) + 1;
}

// Whether satellite s is among the blank- or comma-separated ids and letters of `list`.
bool Selected(const std::string& list, const Satellite& s)
{
    if (list.find_first_not_of(" ,") == std::string::npos) return true;
    const std::string id = SatId(s.system, s.prn);
    std::size_t i = 0;
    while ((i = list.find_first_not_of(" ,", i)) != std::string::npos) {
        const std::size_t end = std::min(list.find_first_of(" ,", i), list.size());
        const std::string token = list.substr(i, end - i);
        if (token == id || (token.size() == 1 && token[0] == s.system)) return true;
        i = end;
    }
    return false;
}

long long RecordTicks(const SkyModel& model, const GenConfig& cfg, const Compact2Config& mp, long k)
{
    return model.StartTicks() + SecondsToTicks(mp.startOffset) +
           SecondsToTicks(static_cast<double>(k) * Interval(cfg, mp));
}

void MakeRecord(const SkyModel& model, const GenConfig& cfg, const Compact2Config& mp, long k,
                Compact2Record& rec)
{
    const long long ticks = RecordTicks(model, cfg, mp, k);
    rec.sinceStart = static_cast<double>(ticks - model.StartTicks()) / kTicksPerSecond;
    rec.sats.clear();
    rec.values.clear();
    rec.slips.clear();
    for (const Satellite& s : model.Satellites()) {
        if (!model.Pass(s, ticks).visible || !Selected(mp.satellites, s)) continue;
        rec.sats.push_back(SatId(s.system, s.prn));
        const double v = model.Multipath(s, mp.p2 ? 1 : 0, ticks);
        rec.values.push_back(static_cast<double>(std::llround(v * 1000.0)) / 1000.0);
        rec.slips.push_back(model.Chance(s, ticks, kSlipDraw, mp.slipProbability));
    }
}

std::string CheckCompact2(const GenConfig& cfg, const Compact2Config& mp)
{
    std::string error = CheckConfig(cfg);
    if (!error.empty()) return error;
    const double step = Interval(cfg, mp) * 1000.0;
    if (!(step >= 1.0) || std::fabs(step - std::round(step)) > 1e-6)
        return "multipath interval must be a whole number of milliseconds";
    if (!(mp.slipProbability >= 0.0 && mp.slipProbability <= 1.0))
        return "probabilities must be 0 to 1";
    return "";
}

void Compact2Header(TextBuffer& out, const SkyModel& model, const GenConfig& cfg,
                    const Compact2Config& mp)
{
    out.Put("COMPACT2");
    out.EndLine();
    out.Put("T_SAMP");
    out.Fixed(std::llround(Interval(cfg, mp) * 1000.0), 3, 10);
    out.EndLine();
    // MJD with 11 decimals: steps of 0.864 microseconds.
    const long long ticks = RecordTicks(model, cfg, mp, 0);
    const long long day = ticks / kTicksPerDay, rem = ticks % kTicksPerDay;
    out.Put("START_TIME_MJD ");
    out.Fixed((day + kMjdOfReference) * 100000000000LL +
                  std::llround(static_cast<double>(rem) / 8.64),
              11, 0);
    out.EndLine();
}

void RecordLines(TextBuffer& out, const Compact2Record& rec, const Compact2Record& lastList)
{
    const long long n = static_cast<long long>(rec.sats.size());
    if (n == 0) {
        out.Put('0');
        out.EndLine();
        return;
    }
    if (rec.sats == lastList.sats) {
        out.Int(-n, 0);
    } else {
        out.Int(n, 0);
        for (const std::string& id : rec.sats) {
            out.Put(' ');
            out.Put(id);
        }
    }
    out.EndLine();
    for (std::size_t i = 0; i < rec.values.size(); ++i) {
        // A slip mark leaves the 9th character of the field blank.
        const bool slip = rec.slips[i];
        out.Fixed(std::llround(rec.values[i] * 1000.0), 3, slip ? 8 : 10);
        if (slip) out.Repeat(' ', 2);
    }
    out.EndLine(false);
}

} // namespace

std::vector<Compact2Record> GenerateCompact2(const GenConfig& cfg, const Compact2Config& mp)
{
    std::vector<Compact2Record> recs;
    if (!CheckCompact2(cfg, mp).empty()) return recs;
    const SkyModel model(cfg);
    recs.resize(static_cast<std::size_t>(Records(cfg, mp)));
    for (std::size_t k = 0; k < recs.size(); ++k)
        MakeRecord(model, cfg, mp, static_cast<long>(k), recs[k]);
    return recs;
}

WriteSummary WriteCompact2(const std::string& path, const GenConfig& cfg, const Compact2Config& mp)
{
    return WriteFile(path, CheckCompact2(cfg, mp), [&](TextBuffer& out, WriteSummary& sum) {
        const SkyModel model(cfg);
        Compact2Header(out, model, cfg, mp);
        Compact2Record rec, lastList;
        const long records = Records(cfg, mp);
        for (long k = 0; k < records; ++k) {
            MakeRecord(model, cfg, mp, k, rec);
            RecordLines(out, rec, lastList);
            if (!rec.sats.empty()) lastList.sats = rec.sats;
            sum.records += static_cast<long long>(rec.values.size());
        }
        sum.epochs = records;
    });
}

} // namespace kgen
