// SPDX-License-Identifier: BSD-2-Clause
#include "summary/PlotData.h"

#include "PROGINC/ProgramError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

struct Point {
    int satellite;
    Ticks time;
    int arc;
    std::int64_t value;
    GofValue elevation, azimuth;
};

int ColumnOf(const GofHeader& h, std::string_view name)
{
    const auto at = std::find(h.columns.begin(), h.columns.end(), name);
    return at == h.columns.end() ? -1 : static_cast<int>(at - h.columns.begin());
}

std::string Angle(const GofValue& v) { return v.present ? Milli(v.milli) : "-"; }

// The order of the table of systems, then the satellite's number: the summary's order.
int SystemRank(int satellite)
{
    const SatSystem* s = SystemOf(static_cast<short>(satellite));
    return s ? static_cast<int>(RowOf(*s)) : static_cast<int>(SatSystems.size());
}

} // namespace

std::string UnixSecondsText(Ticks t)
{
    char text[40];
    const Ticks s = t - UnixDay * TicksPerDay;
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(s / TicksPerSecond),
                  static_cast<long long>(s % TicksPerSecond / 10000));
    return text;
}

bool SatelliteChoice::Parse(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ',' || text[i] == ' ') {
            ++i;
            continue;
        }
        const int sat = SatelliteIndex(text.substr(i, 3));
        if (sat >= 0) {
            satellites.push_back(sat);
            i += 3;
        } else if (SystemOfLetter(text[i])) {
            systems.push_back(text[i]);
            ++i;
        } else {
            satellites.clear();
            systems.clear();
            return false;
        }
    }
    return true;
}

const SatSystem* SatelliteChoice::OnlySystem() const
{
    const SatSystem* only = nullptr;
    for (char letter : systems) {
        const SatSystem* s = SystemOfLetter(letter);
        if (only != nullptr && s != only) return nullptr;
        only = s;
    }
    for (int satellite : satellites) {
        const SatSystem* s = SystemOf(static_cast<short>(satellite));
        if (only != nullptr && s != only) return nullptr;
        only = s;
    }
    return only;
}

bool SatelliteChoice::Takes(int satellite) const
{
    if (satellites.empty() && systems.empty()) return true;
    const SatSystem* s = SystemOf(static_cast<short>(satellite));
    return std::find(satellites.begin(), satellites.end(), satellite) != satellites.end() ||
           (s && std::find(systems.begin(), systems.end(), s->letter) != systems.end());
}

std::string ColumnUnit(std::string_view column, bool phaseInMetres)
{
    const bool band = column.size() == 2 && column[1] >= '1' && column[1] <= '9';
    if (band && column[0] == 'L' && column != "L3" && column != "L4")
        return phaseInMetres ? "m" : "cycles";
    if (band && column[0] == 'S') return "receiver units, usually dB-Hz";
    if (band && column[0] == 'D') return "Hz";
    if (column == "AZ" || column == "EL") return "degrees";
    return "m";
}

bool CarriesArcBias(std::string_view column)
{
    constexpr std::string_view Biased[] = {"L1",     "L2",     "L5",  "L6",    "L7",    "L8",
                                           "L9",     "L3",     "L4",  "WL[L]", "MW[C]", "MW[P]",
                                           "MP1[P]", "MP1[C]", "MP2", "C1-L1", "P1-L1", "P2-L2"};
    return std::find(std::begin(Biased), std::end(Biased), column) != std::end(Biased);
}

void PrintPlotData(std::ostream& out, GofReader& reader, std::int64_t mwJumpMilli,
                   const std::string& column, const SatelliteChoice& choice)
{
    const GofHeader& h = reader.Header();
    const int c = ColumnOf(h, column);
    if (c < 0) {
        std::string names;
        for (const std::string& n : h.columns) names += " " + n;
        ProgramError(
            SummaryName,
            ("NO COLUMN " + column + " IN THE RESULT FILE (COLUMNS:" + names + ")!").c_str());
    }
    const int el = ColumnOf(h, "EL"), az = ColumnOf(h, "AZ");
    FileSummary summary(h, mwJumpMilli);
    std::vector<Point> points;
    Ticks first = 0, last = 0;
    std::string firstEpoch, lastEpoch;
    GofRow row;
    while (reader.Next(row)) {
        summary.Take(row);
        if (!row.anyValue || !row.values[c].present || !choice.Takes(row.satellite)) continue;
        const int arc = static_cast<int>(summary.ArcsOf(row.satellite).size());
        points.push_back({row.satellite, row.time, arc, row.values[c].milli,
                          el >= 0 ? row.values[el] : GofValue{},
                          az >= 0 ? row.values[az] : GofValue{}});
        if (points.size() == 1 || row.time < first) {
            first = row.time;
            firstEpoch = row.epoch;
        }
        if (points.size() == 1 || row.time > last) {
            last = row.time;
            lastEpoch = row.epoch;
        }
    }
    std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
        const int ra = SystemRank(a.satellite), rb = SystemRank(b.satellite);
        return ra != rb ? ra < rb : a.satellite < b.satellite;
    });
    // whole thousandths summed exactly; the mean rounded to the nearest thousandth
    std::map<std::pair<int, int>, std::pair<long double, long long>> sums;
    for (const Point& p : points) {
        auto& s = sums[{p.satellite, p.arc}];
        s.first += p.value;
        ++s.second;
    }
    out << "# rinex: " << h.rinexFile << "\n# unit: " << ColumnUnit(column, h.phaseInMetres)
        << "\n# interval: " << UnixSecondsText(h.intervalTicks + UnixDay * TicksPerDay) << "\n";
    if (!points.empty())
        out << "# span: " << firstEpoch << "\t" << lastEpoch << "\t" << UnixSecondsText(first)
            << "\t" << UnixSecondsText(last) << "\n";
    const bool biased = CarriesArcBias(column);
    out << "# arc bias: " << (biased ? "yes" : "no") << "\n";
    // the bands of the satellites drawn: " (E7)"
    const std::string bands = BandsOf(h, column, choice.OnlySystem());
    if (!bands.empty()) out << "# bands:" << bands << "\n";
    if (h.HasNominalSpan())
        out << "# nominal span: " << h.nominalStart << "\t" << h.nominalEnd << "\t"
            << h.nominalSource << "\n";
    for (const Point& p : points) {
        const auto& s = sums[{p.satellite, p.arc}];
        const std::int64_t mean = biased ? std::llround(s.first / s.second) : 0;
        out << SatId(static_cast<short>(p.satellite)) << "\t" << UnixSecondsText(p.time) << "\t"
            << p.arc << "\t" << Milli(p.value) << "\t" << Milli(p.value - mean) << "\t"
            << Angle(p.elevation) << "\t" << Angle(p.azimuth) << "\n";
    }
}
