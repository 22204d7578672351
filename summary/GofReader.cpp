// SPDX-License-Identifier: BSD-2-Clause
#include "summary/GofReader.h"

#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::string_view ProgramLine = "#PROGRAM: Kestrova";
constexpr const char* Unreadable = "RESULT FILE CAN NOT BE READ!";
constexpr const char* BadSetting = "SETTINGS LINE CAN NOT BE READ!";
constexpr const char* NoHeading = "NO COLUMN HEADING AFTER THE SETTINGS HEADER!";
constexpr const char* BadRow = "ROW DOES NOT MATCH THE COLUMN HEADING!";

// MJD of 9999-12-31 is 2973483: days from this on are no epoch of GNSS data.
constexpr std::int64_t DayLimit = 3000000;
// Larger intervals (over 30 years) give no grid; this bound keeps the arc arithmetic in range.
constexpr Ticks IntervalLimit = 1000000000LL * TicksPerSecond;

enum Setting {
    RinexFile,
    Satellites,
    Observations,
    StartEpoch,
    EndEpoch,
    Interval,
    Tolerance,
    GridOrigin, // only where no epoch lay on the grid from 00:00
    PhaseUnit,
    NavFile, // these three only where the listing was given navigation data
    ReceiverXYZ,
    Cutoff,
    NominalSpan,    // only where the epochs read end before the file's nominal span
    FrequencyPairs, // only where a system's pair is not its default
    NSettings
};
// The settings every result file has.
constexpr unsigned Required = (1u << GridOrigin) - 1;
// clang-format off
constexpr std::string_view Labels[NSettings] = {
    "#RINEX file:", "#Satellites:", "#Observations:", "#Start epoch:", "#End epoch:",
    "#Time interval:", "#Max clock error:", "#Grid origin:", "#RAW phase unit:", "#NAV file:",
    "#Receiver XYZ:", "#Elevation cut-off:", "#Nominal span:", "#Frequency pairs:"};
// clang-format on

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next blank-separated word of rest (empty at its end); rest then begins after it.
std::string_view NextToken(std::string_view& rest)
{
    std::size_t b = 0;
    while (b < rest.size() && IsBlank(rest[b])) ++b;
    std::size_t e = b;
    while (e < rest.size() && !IsBlank(rest[e])) ++e;
    const std::string_view token = rest.substr(b, e - b);
    rest.remove_prefix(e);
    return token;
}

// Day number and seconds of day (as written with up to `decimals` decimals) as ticks.
bool ParseTime(std::string_view day, std::string_view seconds, int decimals, Ticks& ticks)
{
    std::int64_t d = 0, s = 0;
    if (!ParseDecimal(day, 0, d) || !ParseDecimal(seconds, decimals, s)) return false;
    Ticks unit = 1; // ticks of the last decimal written
    for (int p = decimals; p < 7; ++p) unit *= 10;
    // seconds past a day are refused before scaling: eighteen digits would overflow the ticks
    if (d < 0 || d >= DayLimit || s < 0 || s > TicksPerDay / unit) return false;
    ticks = d * TicksPerDay + s * unit;
    return true;
}

// One column group: "*.***", "*", "*" or a value with two non-negative flag digits.
bool TakeValue(std::string_view value, std::string_view lli, std::string_view ss, GofValue& v)
{
    v.present = value != "*.***";
    if (!v.present) return lli == "*" && ss == "*";
    std::int64_t strength = 0;
    return ParseDecimal(value, 3, v.milli) && ParseDecimal(lli, 0, v.lli) && v.lli >= 0 &&
           ParseDecimal(ss, 0, strength) && strength >= 0;
}

// A grid figure of the header in ticks; false when it is no number (inf, nan) or out of range.
bool GridFigure(std::string_view text, Ticks& ticks)
{
    return ParseDecimal(text, 7, ticks) && ticks >= -IntervalLimit && ticks <= IntervalLimit;
}

// Days from 1970-01-01 of a Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400, yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// "2022-06-08" and "10:59:30.000" as ticks; false for anything else.
bool ParseCalendar(std::string_view date, std::string_view clock, Ticks& ticks)
{
    std::int64_t y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (date.size() != 10 || date[4] != '-' || date[7] != '-' || clock.size() < 8 ||
        clock[2] != ':' || clock[5] != ':' || !ParseDecimal(date.substr(0, 4), 0, y) ||
        !ParseDecimal(date.substr(5, 2), 0, mo) || !ParseDecimal(date.substr(8, 2), 0, d) ||
        !ParseDecimal(clock.substr(0, 2), 0, h) || !ParseDecimal(clock.substr(3, 2), 0, mi) ||
        !ParseDecimal(clock.substr(6), 3, s))
        return false;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s >= 61000)
        return false;
    constexpr std::int64_t UnixMjd = 40587;
    ticks = (DaysFromCivil(y, mo, d) + UnixMjd) * TicksPerDay +
            ((h * 60 + mi) * 60000 + s) * (TicksPerSecond / 1000);
    return true;
}

} // namespace

std::string Milli(std::int64_t v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", v < 0 ? "-" : "",
                  static_cast<long long>(v < 0 ? -(v / 1000) : v / 1000),
                  static_cast<long long>(v < 0 ? -(v % 1000) : v % 1000));
    return text;
}

bool ParseDecimal(std::string_view text, int decimals, std::int64_t& scaled)
{
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const bool negative = i == 1;
    std::int64_t v = 0;
    int digits = 0, places = -1; // decimals read so far; -1 before the point
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && places < 0) {
            places = 0;
            continue;
        }
        if (c < '0' || c > '9' || digits == 18 || places == decimals) return false;
        v = v * 10 + (c - '0');
        ++digits;
        if (places >= 0) ++places;
    }
    const int missing = decimals - (places < 0 ? 0 : places);
    if (digits == 0 || digits + missing > 18) return false;
    for (int p = 0; p < missing; ++p) v *= 10;
    scaled = negative ? -v : v;
    return true;
}

int SatelliteIndex(std::string_view text)
{
    // a result file writes every satellite with its letter and both digits
    if (text.size() != 3 || text[0] == ' ' || text[1] < '0' || text[1] > '9') return -1;
    return SatOfId(text);
}

GofReader::GofReader(const std::string& name) : file(name)
{
    in.open(name, std::ios::binary);
    if (!in.is_open()) Fail(Unreadable, false);
    ReadHeader();
}

bool GofReader::ReadNext()
{
    if (ReadLine(in, line)) {
        ++lineNo;
        return true;
    }
    if (in.bad()) Fail(Unreadable, false);
    return false;
}

void GofReader::ReadHeader()
{
    if (!ReadNext() || line != ProgramLine) Fail("NOT A KESTROVA RESULT FILE!", false);
    unsigned seen = 0;
    while (ReadNext()) {
        if (line.empty() || line[0] != '#') Fail(NoHeading);
        std::string_view rest = std::string_view(line).substr(1);
        if (NextToken(rest) == "Time(datum)") {
            for (int s = 0; s < NSettings; ++s)
                if ((Required & (1u << s)) != 0 && (seen & (1u << s)) == 0)
                    Fail("SETTINGS HEADER WITHOUT THE \"" + std::string(Labels[s]) + "\" LINE!",
                         false);
            TakeHeading();
            return;
        }
        const int s = TakeSetting();
        if (s >= 0) seen |= 1u << s;
    }
    Fail(NoHeading, false);
}

// The settings line in `line`, if it is one of those the summary needs: its number, else -1.
int GofReader::TakeSetting()
{
    for (int s = 0; s < NSettings; ++s) {
        if (!line.starts_with(Labels[s])) continue;
        const std::string_view value = std::string_view(line).substr(Labels[s].size());
        // clang-format off
        switch (s) {
        case RinexFile:    header.rinexFile = Trimmed(value); break;
        case Satellites:   TakeSatellites(value); break;
        case Observations: TakeObservations(value); break;
        case StartEpoch:   TakeEpoch(value, header.start, header.startTicks); break;
        case EndEpoch:     TakeEpoch(value, header.end, header.endTicks); break;
        case Interval:     TakeInterval(value); break;
        case Tolerance:    TakeTolerance(value); break;
        case GridOrigin:   TakeEpoch(value, header.origin, header.originTicks); break;
        case PhaseUnit:    header.phaseInMetres = value.find("METER") != value.npos; break;
        case NavFile:      header.navFiles.emplace_back(Trimmed(value)); break;
        case ReceiverXYZ:  TakeReceiver(value); break;
        case Cutoff:       TakeCutoff(value); break;
        case NominalSpan:  TakeNominalSpan(value); break;
        case FrequencyPairs: TakePairs(value); break;
        }
        // clang-format on
        return s;
    }
    return -1;
}

void GofReader::TakeSatellites(std::string_view value)
{
    header.satellites.clear();
    inHeader.fill(false);
    for (std::string_view t = NextToken(value); !t.empty(); t = NextToken(value)) {
        const int sat = SatelliteIndex(t);
        if (sat < 0) Fail(BadSetting);
        header.satellites.emplace_back(t);
        inHeader[sat] = true;
    }
}

// Each observation is its column name followed by [+] (listed) or [-] (not available).
void GofReader::TakeObservations(std::string_view value)
{
    available.clear();
    for (std::string_view t = NextToken(value); !t.empty(); t = NextToken(value)) {
        if (t.size() < 4 || (!t.ends_with("[+]") && !t.ends_with("[-]"))) Fail(BadSetting);
        if (t.ends_with("[+]")) available.emplace_back(t.substr(0, t.size() - 3));
    }
}

// "2015-02-13 00:00:00.000 [ 57066     0.000]  (from RINEX file)": the calendar form is kept for
// the title, the bracketed MJD form gives the time.
void GofReader::TakeEpoch(std::string_view value, std::string& text, Ticks& ticks)
{
    const std::size_t open = value.find('['), close = value.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        Fail(BadSetting);
    std::string_view mjd = value.substr(open + 1, close - open - 1);
    const std::string_view day = NextToken(mjd), seconds = NextToken(mjd);
    if (!NextToken(mjd).empty() || !ParseTime(day, seconds, 3, ticks)) Fail(BadSetting);
    text = Trimmed(value.substr(0, open));
}

// The sign of the interval does not change the grid the listing uses.
void GofReader::TakeInterval(std::string_view value)
{
    header.interval = Trimmed(value);
    if (!GridFigure(header.interval, header.intervalTicks))
        header.intervalTicks = 0;
    else if (header.intervalTicks < 0)
        header.intervalTicks = -header.intervalTicks;
}

void GofReader::TakeTolerance(std::string_view value)
{
    header.tolerance = Trimmed(value);
    if (!GridFigure(header.tolerance, header.toleranceTicks) || header.toleranceTicks < 0)
        header.toleranceTicks = -1;
}

// "<X> <Y> <Z>  (<source>)": metres with three decimals.
void GofReader::TakeReceiver(std::string_view value)
{
    for (double& v : header.receiver) {
        std::int64_t milli = 0;
        if (!ParseDecimal(NextToken(value), 3, milli)) Fail(BadSetting);
        v = static_cast<double>(milli) / 1000;
    }
    header.hasReceiver = true;
}

// Degrees with three decimals, or NONE: every epoch above the horizon counts.
void GofReader::TakeCutoff(std::string_view value)
{
    const std::string_view degrees = NextToken(value);
    std::int64_t milli = 0;
    if (degrees != "NONE" && (!ParseDecimal(degrees, 3, milli) || milli < -90000 || milli > 90000))
        Fail(BadSetting);
    header.cutoff = static_cast<double>(milli) / 1000;
    header.hasCutoff = degrees != "NONE";
}

// "2022-06-08 10:00:00.000 - 2022-06-08 10:59:30.000  (TIME OF LAST OBS)": the calendar ends
// and, after them, what gave the span.
void GofReader::TakeNominalSpan(std::string_view value)
{
    const std::string_view d0 = NextToken(value), c0 = NextToken(value), dash = NextToken(value),
                           d1 = NextToken(value), c1 = NextToken(value);
    if (dash != "-" || !ParseCalendar(d0, c0, header.nominalStartTicks) ||
        !ParseCalendar(d1, c1, header.nominalEndTicks) ||
        header.nominalEndTicks < header.nominalStartTicks)
        Fail(BadSetting);
    header.nominalStart = std::string(d0) + " " + std::string(c0);
    header.nominalEnd = std::string(d1) + " " + std::string(c1);
    header.nominalSource = Trimmed(value);
}

// " G1-5 E1-5": a system letter and its two bands, for each system listed.
void GofReader::TakePairs(std::string_view value)
{
    for (std::string_view t = NextToken(value); !t.empty(); t = NextToken(value)) {
        const SatSystem* sys = SystemOfLetter(t[0]);
        if (t.size() != 4 || sys == nullptr || t[1] < '1' || t[1] > '9' || t[2] != '-' ||
            t[3] < '1' || t[3] > '9')
            Fail(BadSetting);
        header.pairs[static_cast<std::size_t>(RowOf(*sys))] = {t[1] - '0', t[3] - '0'};
    }
}

std::pair<int, int> GofHeader::PairOf(const SatSystem& sys) const
{
    const std::optional<std::pair<int, int>>& p = pairs[static_cast<std::size_t>(RowOf(sys))];
    return p ? *p : std::pair<int, int>{sys.band1, sys.band2};
}

std::string BandsOf(const GofHeader& h, std::string_view column, const SatSystem* only)
{
    const bool first = column.starts_with("MP1"), second = column.starts_with("MP2"),
               both = column.starts_with("MW") || column == "L4";
    if (!first && !second && !both) return "";
    std::string bands;
    for (const SatSystem& sys : SatSystems) {
        if (only != nullptr && &sys != only) continue;
        const bool listed =
            std::any_of(h.satellites.begin(), h.satellites.end(),
                        [&sys](const std::string& s) { return s[0] == sys.letter; });
        if (!listed) continue;
        const auto [b1, b2] = h.PairOf(sys);
        bands += (bands.empty() ? "" : " ") + std::string(1, sys.letter) +
                 std::to_string(second ? b2 : b1) + (both ? "-" + std::to_string(b2) : "");
    }
    return bands.empty() ? "" : " (" + bands + ")";
}

// "#          Time(datum)       Time(MJD)  SAT            C1 ...": the names after SAT must be
// the observations marked [+], in their order.
void GofReader::TakeHeading()
{
    std::string_view rest = std::string_view(line).substr(1);
    NextToken(rest); // Time(datum)
    if (NextToken(rest) != "Time(MJD)" || NextToken(rest) != "SAT") Fail(BadSetting);
    for (std::string_view t = NextToken(rest); !t.empty(); t = NextToken(rest))
        header.columns.emplace_back(t);
    if (header.columns != available) Fail("COLUMN HEADING DOES NOT MATCH THE OBSERVATIONS LINE!");
}

bool GofReader::Next(GofRow& row)
{
    while (ReadNext()) {
        std::string_view rest = line;
        const std::string_view date = NextToken(rest);
        if (date.empty()) continue; // the blank line after each satellite's block
        const std::string_view time = NextToken(rest), day = NextToken(rest),
                               seconds = NextToken(rest), sat = NextToken(rest);
        if (!ParseTime(day, seconds, 1, row.time)) Fail(BadRow);
        row.satellite = SatelliteIndex(sat);
        if (row.satellite < 0) Fail(BadRow);
        if (!inHeader[row.satellite])
            Fail("SATELLITE " + std::string(sat) + " IS NOT IN THE SATELLITES LINE!");
        row.epoch = std::string_view(date.data(), time.data() + time.size() - date.data());
        TakeValues(rest, row);
        return true;
    }
    return false;
}

// The column groups of a row, or the "***" of an epoch without a record (-a).
void GofReader::TakeValues(std::string_view rest, GofRow& row)
{
    std::string_view value = NextToken(rest);
    row.anyValue = false;
    if (value == "***") {
        row.values.clear();
        value = NextToken(rest);
    } else {
        row.values.resize(header.columns.size());
        for (GofValue& v : row.values) {
            const std::string_view lli = NextToken(rest), ss = NextToken(rest);
            if (!TakeValue(value, lli, ss, v)) Fail(BadRow);
            row.anyValue = row.anyValue || v.present;
            value = NextToken(rest);
        }
    }
    if (!value.empty()) Fail(BadRow);
}

void GofReader::Fail(const std::string& text, bool withLine) const
{
    std::string message = file;
    if (withLine) message += " LINE " + std::to_string(lineNo);
    message += " - " + text;
    ProgramError(SummaryName, message.c_str());
}
