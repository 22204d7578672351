// SPDX-License-Identifier: BSD-2-Clause
// The quality figures of a result file: per satellite the rows with values against the grid
// epochs of the window, the arcs, and the spread of the code-multipath and combination columns
// about each arc's mean; pooled per system and for the file.
#ifndef KESTROVA_SUMMARY_ARCSUMMARY_H
#define KESTROVA_SUMMARY_ARCSUMMARY_H

#include "summary/GofReader.h"
#include "summary/SkyGrid.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The columns whose spread is summarised, in the order of the summary's columns.
inline constexpr int SpreadCount = 6;
inline constexpr std::array<std::string_view, SpreadCount> SpreadColumns = {
    "MP1[P]", "MP1[C]", "MP2", "MW[C]", "MW[P]", "L4"};
inline constexpr int MWcSpread = 3, MWpSpread = 4, L4Spread = 5;
// The code-multipath columns (the first of SpreadColumns), whose spread is also given in bins of
// elevation of BinDegrees where the file lists EL.
inline constexpr int MultipathCount = 3, ElevationBins = 9, BinDegrees = 10;
// Arcs with fewer values of a column stay out of its RMS: their mean is too uncertain.
inline constexpr long long MinArcValues = 10;
// An arc ends where the rows of a satellite skip more than this many intervals.
inline constexpr long long GapIntervals = 4;
// An arc ends where MW changes by more than this between consecutive values (mm): above the
// largest epoch-to-epoch change of MW[C] in a day of a 30 s GPS receiver file (2.99 m), below
// 5 GPS wide-lane cycles (4.31 m). The change of MW is code noise and multipath, which do not
// grow with the time between the values, so the threshold does not either.
inline constexpr std::int64_t DefaultMWJump = 4000;
// An arc ends where L4 changes by more than L4JumpBase + L4JumpRate x the seconds between two
// consecutive values (mm): the ionosphere moves L4 by up to 0.5 m in 30 s in a polar day
// (NYA1, 2024-05-03), which 0.05 + 0.02 x 30 = 0.65 m passes; the noise of L4 is millimetres,
// so at 1 s the threshold of 0.07 m still sees a slip of one L1 cycle (0.19 m).
inline constexpr std::int64_t L4JumpBase = 50, L4JumpRate = 20;

// Why an arc ended: the rule that began the next arc, or the satellite's last row.
enum class ArcEnd { None, Gap, LossOfLock, MWJump, L4Jump, LastRow };
// The names the arcs output gives them.
std::string_view ArcEndName(ArcEnd why);
// A jump that the receiver did not flag: a slip only the combinations show.
inline bool IsUnflaggedJump(ArcEnd why) { return why == ArcEnd::MWJump || why == ArcEnd::L4Jump; }

// One arc of a satellite: its first and last row with values, how many, and why it ended (for a
// jump, the step of the combination that showed it, mm).
struct Arc {
    Ticks first = 0, last = 0;
    std::string firstEpoch, lastEpoch;
    long long rows = 0;
    ArcEnd end = ArcEnd::None;
    std::int64_t step = 0;
};

// More grid epochs per satellite than any result file holds: such a header gives no grid. The
// bound keeps the sums over every satellite slot, and the completeness arithmetic, in range.
inline constexpr long long GridEpochLimit = 1000000000000000LL;

// Grid epochs k x interval of each day (k = 0, 1, ... while below 24 h) that a listing of the
// window [start, end] can hold: those nearer to it than the clock tolerance, taken as at most
// half an interval; -1 when there is no grid or it is beyond GridEpochLimit.
long long GridEpochs(Ticks start, Ticks end, Ticks interval, Ticks tolerance);
// How far the grid of the listing lies after the multiples of the interval from 00:00: a grid
// counted from an epoch of the day ("#Grid origin:") is those multiples moved by this much.
Ticks GridShift(const GofHeader& h);

// Squared residuals about the arc means (mm^2) and their number.
struct Spread {
    long double squares = 0;
    long long values = 0;
};

// The figures of one satellite, one system or one file.
struct Figures {
    long long rows = 0;     // rows with at least one value
    long long expected = 0; // grid epochs; -1 when the header gives no grid
    Ticks first = 0, last = 0;
    std::string firstEpoch, lastEpoch; // of the rows with values, as written
    long long arcs = 0;
    long long slips = 0; // arcs ended by an unflagged jump
    std::array<Spread, SpreadCount> spread{};
    // Against elevation: grid epochs above the cut-off, and the rows with values among them.
    long long above = 0, observedAbove = 0;
    std::array<std::array<Spread, ElevationBins>, MultipathCount> bins{};

    void Add(const Figures& other);
};

// What ends an arc, found from the column heading.
struct ArcRules {
    std::array<int, SpreadCount> spread; // heading column of each; -1 when not listed
    std::vector<int> phases;             // raw phase columns, whose loss of lock ends an arc
    int elevation = -1;                  // the EL column; -1 when not listed
    Ticks interval = 0;                  // 0: no gap rule
    std::int64_t mwJump = DefaultMWJump;

    ArcRules(const GofHeader& header, std::int64_t mwJumpMilli);
};

// The rule that ends an arc before a row: the one rule for the summary and the plot.
struct ArcBreak {
    ArcEnd why = ArcEnd::None;
    std::int64_t step = 0; // the jump, mm
};

// What the arc rule sees of one row with values of a satellite: its time, whether a watched
// phase lost lock (LLI bit 0), and MW[C], MW[P] and L4 in whole mm where the row has them.
struct ArcSample {
    Ticks time = 0;
    bool lossOfLock = false;
    std::array<bool, 3> has{}; // MW[C], MW[P], L4
    std::array<std::int64_t, 3> milli{};
};

// The arc rule of one satellite: a gap (or a step back in time), a loss of lock, an MW jump or
// an L4 jump begins a new arc. Shared by the summary of result files and the quality check of
// observation files.
class ArcCutter {
  public:
    ArcCutter(Ticks gapInterval, std::int64_t mwJumpMilli)
        : interval(gapInterval), mwJump(mwJumpMilli)
    {
    }
    // Why the sample begins a new arc (a gap for the first), None when it continues the current
    // one; the sample is then the arc's last.
    ArcBreak Next(const ArcSample& s);

  private:
    ArcBreak Ends(const ArcSample& s) const;
    Ticks interval;
    std::int64_t mwJump;
    bool started = false;
    Ticks lastTime = 0;
    std::array<bool, 3> inArc{}; // the arc has a value of the combination
    std::array<std::int64_t, 3> last{};
    Ticks l4At = 0;
};

// The elevation bin of an elevation in thousandths of a degree: whole degrees / BinDegrees,
// clamped to the bins.
int ElevationBinOf(std::int64_t milliDegrees);

// The values of one column in one arc, about its first value: whole mm, so that the sums stay
// exact in long double; and per elevation bin.
class ArcValues {
  public:
    // bin -1: no elevation
    void Add(std::int64_t v, int bin);
    long long Count() const { return n; }
    // An arc of at least MinArcValues adds its residuals about its mean to total (and those of
    // each bin about the same mean to bins, where given); then the arc is empty.
    void Close(Spread& total, std::array<Spread, ElevationBins>* bins);

  private:
    struct BinMoments {
        long long n = 0;
        long double sum = 0, squares = 0;
    };
    long long n = 0;
    std::int64_t origin = 0;
    long double sum = 0, squares = 0;
    std::array<BinMoments, ElevationBins> inBin{};
};

// A part of a whole in tenths of a percent, rounded; -1 for no whole: the completeness of the
// summary's tables.
long long CompletenessTenths(long long part, long long whole);

// The rows of one satellite, in file order, cut into arcs.
class SatelliteArcs {
  public:
    void Take(const GofRow& row, const ArcRules& rules);
    // Closes the last arc; the figures are complete from then on.
    const Figures& Finish();
    // The arcs so far, the current one last (while open, it has ArcEnd::None).
    const std::vector<Arc>& Arcs() const { return arcs; }

  private:
    ArcSample SampleOf(const GofRow& row, const ArcRules& rules) const;
    void CloseArc(ArcBreak why);

    Figures figures;
    std::array<ArcValues, SpreadCount> arc{};
    std::optional<ArcCutter> cutter;
    std::vector<Arc> arcs;
};

// One line of the summary: a satellite ("G05"), a system total ("GPS") or the file ("ALL").
struct SummaryLine {
    std::string label;
    Figures figures;
};

class FileSummary {
  public:
    // With a sky grid, the figures against elevation too.
    FileSummary(const GofHeader& header, std::int64_t mwJumpMilli, const SkyGrid* sky = nullptr);
    void Take(const GofRow& row);
    // Every row the reader has left.
    void TakeAll(GofReader& reader);
    // Satellites by system (in the order of the table of systems) and number, each system's total
    // after its satellites, the file's total last. Call once, after the last row.
    std::vector<SummaryLine> Lines();
    // Satellites of the header without a single row.
    std::vector<std::string> WithoutRows() const;
    const ArcRules& Rules() const { return rules; }
    // The arcs of a satellite (a SatelliteIndex) so far.
    const std::vector<Arc>& ArcsOf(int satellite) const { return satellites[satellite].Arcs(); }
    long long Expected() const { return expected; }
    const SkyGrid* Sky() const { return sky; }
    // With elevations and a cut-off, the epochs expected of a satellite are those at which it was
    // above the cut-off, and its completeness is of the rows among them.
    bool AgainstCutoff() const { return sky != nullptr && header.hasCutoff; }

  private:
    const GofHeader& header;
    ArcRules rules;
    long long expected;
    const SkyGrid* sky;
    std::vector<SatelliteArcs> satellites;
    std::vector<long long> observedAbove;
    std::vector<bool> seen;
};

#endif
