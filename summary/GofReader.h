// SPDX-License-Identifier: BSD-2-Clause
// Reader of Kestrova result files (.gof): the settings header, the column heading, then the
// observation rows one at a time. Rows are split at blanks, not cut at fixed columns, because a
// value too wide for its 14 characters widens its column. Any inconsistency stops the program
// with a framed error naming the file and the line.
#ifndef KESTROVA_SUMMARY_GOFREADER_H
#define KESTROVA_SUMMARY_GOFREADER_H

#include "GNSS/SatSystem.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The program name written in every frame.
inline constexpr const char* SummaryName = "kestrova-summary";

// Times are whole ticks of 0.1 microsecond since MJD 0: the header writes seconds with 3
// decimals and the clock tolerance with 7, so every time the file holds is an exact tick count.
using Ticks = std::int64_t;
inline constexpr Ticks TicksPerSecond = 10000000;
inline constexpr Ticks TicksPerDay = 86400 * TicksPerSecond;

// Reads [-]digits[.digits] with at most `decimals` decimals as the exact whole number
// value x 10^decimals. False for anything else: blanks, a sign or a point alone, inf, nan, an
// exponent, more decimals, more than 18 digits.
bool ParseDecimal(std::string_view text, int decimals, std::int64_t& scaled);
// The text of a value held in thousandths, with three decimals: -1234 is "-1.234".
std::string Milli(std::int64_t v);

// Satellites are numbered as the tool numbers them (GNSS/SatSystem), 0..SatelliteSlots - 1. -1 for
// a text that is not a system letter and two digits.
inline constexpr int SatelliteSlots = NSatNumbers;
int SatelliteIndex(std::string_view text);

struct GofHeader {
    std::string rinexFile;
    std::vector<std::string> satellites; // as written, e.g. "G05"
    std::string start, end;              // calendar form of the window's ends, as written
    Ticks startTicks = 0, endTicks = 0;
    std::string interval, tolerance; // as written
    // The grid: interval 0 and tolerance -1 when the header's figure is no number (inf, nan)
    // or beyond 10^9 s; the interval is also 0 when written as 0.000.
    Ticks intervalTicks = 0, toleranceTicks = -1;
    // The epoch the grid is counted from when it is not 00:00 of each day ("#Grid origin:").
    std::string origin;
    Ticks originTicks = 0;
    // The span the file's own header or name promises ("#Nominal span:", written only where it
    // differs from the window): its ends as written, and what gave it, e.g. "(TIME OF LAST OBS)".
    std::string nominalStart, nominalEnd, nominalSource;
    Ticks nominalStartTicks = 0, nominalEndTicks = 0;
    bool HasNominalSpan() const { return !nominalStart.empty(); }
    // The span completeness is counted over: the nominal span where the header gives one, else
    // the window.
    Ticks SpanStart() const { return HasNominalSpan() ? nominalStartTicks : startTicks; }
    Ticks SpanEnd() const { return HasNominalSpan() ? nominalEndTicks : endTicks; }
    std::vector<std::string> columns; // names of the column heading, in order
    bool phaseInMetres = false;       // "#RAW phase unit:" says METER
    // Written where the listing was given navigation data: the files as named on its command
    // line, the receiver position (m) and the cut-off (degrees; NONE: no cut-off).
    std::vector<std::string> navFiles;
    bool hasReceiver = false;
    double receiver[3] = {0, 0, 0};
    bool hasCutoff = false;
    double cutoff = 0;
    // The pairs of bands "#Frequency pairs:" gives, by row of the table of systems (none: the
    // system's default pair).
    std::array<std::optional<std::pair<int, int>>, SatSystems.size()> pairs{};
    std::pair<int, int> PairOf(const SatSystem& sys) const;
};

// The bands a combination column is formed from, for each system of the file's satellites (or
// for `only`): " (E7)" or " (G2 E7)" for MP2, " (G1 E1)" for MP1, " (G1-2 E1-7)" for MW and L4;
// "" for any other column.
std::string BandsOf(const GofHeader& h, std::string_view column, const SatSystem* only = nullptr);

// One column group of a row: a value (whole thousandths) with its loss-of-lock digit, or
// "*.***  * *".
struct GofValue {
    bool present = false;
    std::int64_t milli = 0;
    std::int64_t lli = 0;
};

struct GofRow {
    Ticks time = 0;
    std::string_view epoch;       // calendar form; valid until the next row is read
    int satellite = 0;            // SatelliteIndex of the row's satellite
    bool anyValue = false;        // false for a "***" row and for a row of "*.***" only
    std::vector<GofValue> values; // one per heading column; empty for a "***" row
};

class GofReader {
  public:
    // Opens the file and reads its settings header and column heading.
    explicit GofReader(const std::string& name);
    const GofHeader& Header() const { return header; }
    // The next observation row; false after the last. Blank lines are passed over.
    bool Next(GofRow& row);

  private:
    bool ReadNext();
    void ReadHeader();
    int TakeSetting();
    void TakeSatellites(std::string_view value);
    void TakeObservations(std::string_view value);
    void TakeEpoch(std::string_view value, std::string& text, Ticks& ticks);
    void TakeInterval(std::string_view value);
    void TakeTolerance(std::string_view value);
    void TakeReceiver(std::string_view value);
    void TakeCutoff(std::string_view value);
    void TakeNominalSpan(std::string_view value);
    void TakePairs(std::string_view value);
    void TakeHeading();
    void TakeValues(std::string_view rest, GofRow& row);
    [[noreturn]] void Fail(const std::string& text, bool withLine = true) const;

    std::string file;
    std::ifstream in;
    std::string line;
    long lineNo = 0;
    GofHeader header;
    std::vector<std::string> available; // observations marked [+]
    std::array<bool, SatelliteSlots> inHeader{};
};

#endif
