// SPDX-License-Identifier: BSD-2-Clause
#include "qc/QcPlotData.h"

#include "GNSS/SatSystem.h"
#include "qc/QcReport.h"
#include "summary/PlotData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

std::string Fixed3(double v)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

std::string AngleAt(const std::vector<float>& angles, std::int32_t epoch)
{
    if (epoch < 0 || static_cast<std::size_t>(epoch) >= angles.size() ||
        std::isnan(angles[static_cast<std::size_t>(epoch)]))
        return "-";
    return Fixed3(angles[static_cast<std::size_t>(epoch)]);
}

// The values of the strength signal of every satellite that has it.
std::vector<SeriesPoint> StrengthSeries(const QcInput& in, const std::string& code)
{
    std::vector<SeriesPoint> points;
    for (const QcSatellite& sat : in.satellites)
        for (const QcSignal& s : sat.signals)
            if (s.code == code && s.kind == 'S')
                for (const QcValue& v : s.values)
                    points.push_back(
                        {SatId(SatNumber(sat.system, sat.prn)), &sat, v.epoch, 1, v.value});
    return points;
}

// The ROTI of every window of every satellite; the epoch is the first of the window's epochs.
std::vector<SeriesPoint> RotiSeries(const QcInput& in, const QcResult& r)
{
    std::vector<SeriesPoint> points;
    for (const SystemQc& s : r.systems)
        for (const SatelliteQc& q : s.satellites) {
            const QcSatellite* sat = nullptr;
            for (const QcSatellite& c : in.satellites)
                if (SatId(SatNumber(c.system, c.prn)) == q.id) sat = &c;
            for (const RotiValue& v : q.roti) {
                const auto at = std::lower_bound(in.epochs.begin(), in.epochs.end(), v.window);
                points.push_back(
                    {q.id, sat, static_cast<std::int32_t>(at - in.epochs.begin()), 1, v.roti});
            }
        }
    return points;
}

Ticks TimeOf(const QcInput& in, std::int32_t epoch)
{
    return in.epochs[static_cast<std::size_t>(
        std::min<std::size_t>(static_cast<std::size_t>(epoch), in.epochs.size() - 1))];
}

} // namespace

std::optional<PlotChoice> ParsePlotChoice(const std::string& text)
{
    if (text == "ROTI") return PlotChoice{PlotChoice::Figure::ROTI, ""};
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    const std::string figure = text.substr(0, colon), signal = text.substr(colon + 1);
    const bool code = signal.size() >= 2 && signal.size() <= 3 &&
                      std::all_of(signal.begin(), signal.end(), [](char c) {
                          return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
                      });
    if (!code) return std::nullopt;
    if (figure == "MP" && (signal[0] == 'C' || signal[0] == 'P'))
        return PlotChoice{PlotChoice::Figure::MP, signal};
    if (figure == "SNR" && signal[0] == 'S') return PlotChoice{PlotChoice::Figure::SNR, signal};
    return std::nullopt;
}

void WritePlotData(std::ostream& out, const std::string& file, const QcInput& in, const QcResult& r,
                   const PlotChoice& choice)
{
    using F = PlotChoice::Figure;
    std::vector<SeriesPoint> points = choice.figure == F::MP    ? MultipathSeries(in, choice.signal)
                                      : choice.figure == F::SNR ? StrengthSeries(in, choice.signal)
                                                                : RotiSeries(in, r);
    std::stable_sort(points.begin(), points.end(), [](const SeriesPoint& a, const SeriesPoint& b) {
        return SatelliteIndex(a.satellite) < SatelliteIndex(b.satellite);
    });
    const bool biased = choice.figure == F::MP;
    std::map<std::pair<std::string, int>, std::pair<double, long long>> sums;
    for (const SeriesPoint& p : points) {
        auto& s = sums[{p.satellite, p.arc}];
        s.first += p.value;
        ++s.second;
    }
    out << "# rinex: " << file << "\n# unit: "
        << (choice.figure == F::MP    ? "m"
            : choice.figure == F::SNR ? "dB-Hz"
                                      : "TECU/min")
        << "\n# interval: " << UnixSecondsText(in.interval + UnixDay * TicksPerDay) << "\n";
    if (!points.empty()) {
        Ticks first = TimeOf(in, points[0].epoch), last = first;
        for (const SeriesPoint& p : points) {
            first = std::min(first, TimeOf(in, p.epoch));
            last = std::max(last, TimeOf(in, p.epoch));
        }
        out << "# span: " << EpochText(first) << "\t" << EpochText(last) << "\t"
            << UnixSecondsText(first) << "\t" << UnixSecondsText(last) << "\n";
    }
    out << "# arc bias: " << (biased ? "yes" : "no") << "\n";
    for (const SeriesPoint& p : points) {
        const auto& s = sums[{p.satellite, p.arc}];
        const double mean = biased ? s.first / static_cast<double>(s.second) : 0;
        const std::vector<float> none;
        out << p.satellite << "\t" << UnixSecondsText(TimeOf(in, p.epoch)) << "\t" << p.arc << "\t"
            << Fixed3(p.value) << "\t" << Fixed3(p.value - mean) << "\t"
            << AngleAt(p.of ? p.of->elevation : none, p.epoch) << "\t"
            << AngleAt(p.of ? p.of->azimuth : none, p.epoch) << "\n";
    }
}
