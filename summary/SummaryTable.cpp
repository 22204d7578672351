// SPDX-License-Identifier: BSD-2-Clause
#include "summary/SummaryTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

// One column: its head in the aligned table and in the tab-separated form, its width in the
// table (blanks before it included) and whether it is aligned to the left.
struct Column {
    std::string_view head, tsv;
    int width;
    bool left;
};

// clang-format off
constexpr Column FixedColumns[] = {
    {"SAT",         "sat",          4,  true},
    {"rows",        "rows",         9,  false},
    {"expected",    "expected",     10, false},
    {"compl%",      "completeness", 8,  false},
    {"first epoch", "first",        23, true},
    {"last epoch",  "last",         23, true},
    {"arcs",        "arcs",         6,  false}};
// clang-format on
constexpr int RmsWidth = 10, CountWidth = 8;

std::string Count(long long n) { return n < 0 ? "-" : std::to_string(n); }

// A part of a whole in percent rounded to one decimal; "-" for no whole.
std::string Percent(long long part, long long whole)
{
    const long long tenths = CompletenessTenths(part, whole);
    if (tenths < 0) return "-";
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// Rows with values against the expected epochs; above the cut-off, those rows among them.
std::string Completeness(const Figures& f, bool againstCutoff)
{
    return Percent(againstCutoff ? f.observedAbove : f.rows, f.expected);
}

// Root mean square of the residuals in metres (they are summed in mm^2).
std::string Rms(const Spread& s)
{
    if (s.values == 0) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.3Lf", std::sqrt(s.squares / s.values) / 1000);
    return text;
}

// The cells of a line: the fixed columns, then rms and n of every spread column ("-" for the
// columns the file does not list).
std::vector<std::string> Cells(const SummaryLine& l, const ArcRules& rules, bool againstCutoff)
{
    const Figures& f = l.figures;
    const bool any = f.rows > 0;
    std::vector<std::string> cells = {l.label,
                                      Count(f.rows),
                                      Count(f.expected),
                                      Completeness(f, againstCutoff),
                                      any ? f.firstEpoch : "-",
                                      any ? f.lastEpoch : "-",
                                      Count(f.arcs)};
    for (int k = 0; k < SpreadCount; ++k) {
        const bool listed = rules.spread[k] >= 0;
        cells.push_back(listed ? Rms(f.spread[k]) : "-");
        cells.push_back(listed ? Count(f.spread[k].values) : "-");
    }
    return cells;
}

void Put(std::string& line, std::string_view text, int width, bool left)
{
    const int pad = width - static_cast<int>(text.size()) - (left && !line.empty() ? 2 : 0);
    if (left && !line.empty()) line += "  ";
    if (!left) line.append(std::max(pad, 1), ' ');
    line += text;
    if (left) line.append(std::max(pad, 0), ' ');
}

// The width of each spread column's rms cell: room for its head, which names its bands.
using SpreadWidths = std::array<int, SpreadCount>;

std::vector<std::string> Heads(const GofHeader& h)
{
    std::vector<std::string> heads;
    for (const Column& c : FixedColumns) heads.emplace_back(c.head);
    for (std::string_view name : SpreadColumns) {
        heads.push_back(std::string(name) + BandsOf(h, name));
        heads.emplace_back("n");
    }
    return heads;
}

SpreadWidths WidthsOf(const std::vector<std::string>& heads)
{
    SpreadWidths widths{};
    const std::size_t first = std::size(FixedColumns);
    for (int k = 0; k < SpreadCount; ++k)
        widths[k] = std::max(
            RmsWidth, static_cast<int>(heads[first + 2 * static_cast<std::size_t>(k)].size()) + 2);
    return widths;
}

// One table line from the cells (or heads) of Cells' layout; unlisted spread columns left out.
std::string TableLine(const std::vector<std::string>& cells, const ArcRules& rules,
                      const SpreadWidths& widths)
{
    std::string line;
    int i = 0;
    for (const Column& c : FixedColumns) Put(line, cells[i++], c.width, c.left);
    for (int k = 0; k < SpreadCount; ++k, i += 2) {
        if (rules.spread[k] < 0) continue;
        Put(line, cells[i], widths[k], false);
        Put(line, cells[i + 1], CountWidth, false);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string ArcRulesText(const ArcRules& rules, const GofHeader& h)
{
    std::string text;
    auto part = [&text](const std::string& p) { text += (text.empty() ? "" : "; ") + p; };
    if (rules.interval > 0)
        part("a gap of more than " + std::to_string(GapIntervals) + " intervals");
    if (!rules.phases.empty()) {
        std::string names;
        for (int c : rules.phases) names += " " + h.columns[c];
        part("a loss of lock (LLI bit 0) on" + names);
    }
    std::string mw;
    for (int k : {MWcSpread, MWpSpread})
        if (rules.spread[k] >= 0) mw += (mw.empty() ? "" : " or ") + std::string(SpreadColumns[k]);
    if (!mw.empty()) part("a jump of " + mw + " of more than " + Milli(rules.mwJump) + " m");
    if (rules.spread[L4Spread] >= 0)
        part("a jump of L4 of more than " + Milli(L4JumpBase) + " m + " + Milli(L4JumpRate) +
             " m per second between the values");
    return text.empty() ? "nothing (one arc per satellite)" : text;
}

std::string Fixed(double v, int decimals);

// What the expected epochs of the first table are.
std::string ExpectedText(const SummaryOf& s)
{
    const long long grid = s.summary.Expected();
    if (grid < 0) return "no grid, completeness not computed";
    const std::string in = s.header.HasNominalSpan() ? " in the nominal span" : "";
    if (!s.summary.AgainstCutoff())
        return std::to_string(grid) + " epochs expected per satellite" + in;
    return std::to_string(grid) + " epochs per satellite" + in +
           "; expected: those at which it was above the cut-off of " + Fixed(s.header.cutoff, 3) +
           " degrees";
}

void PrintTitle(std::ostream& out, const SummaryOf& s)
{
    const GofHeader& h = s.header;
    out << "kestrova-summary of " << s.file << "\n"
        << "  RINEX file:   " << h.rinexFile << "\n"
        << "  Window:       " << h.start << " to " << h.end << "\n";
    if (h.HasNominalSpan())
        out << "  Nominal span: " << h.nominalStart << " to " << h.nominalEnd << " "
            << h.nominalSource << ": completeness counted over it\n";
    out << "  Grid:         interval " << h.interval << " s, clock tolerance " << h.tolerance
        << " s: " << ExpectedText(s) << "\n"
        << "  Arcs end at:  " << ArcRulesText(s.summary.Rules(), h) << "\n";
    for (int c : s.summary.Rules().spread)
        if (c >= 0) {
            out << "  RMS:          metres, about each arc's mean, over the arcs of at least "
                << MinArcValues << " values; n: the values used\n";
            break;
        }
}

bool IsSatellite(const SummaryLine& l) { return SatelliteIndex(l.label) >= 0; }

// The system of a line of system totals ("GAL"); nullptr for ALL.
const SatSystem* SystemOfLine(const SummaryLine& l)
{
    for (const SatSystem& sys : SatSystems)
        if (l.label == sys.shortName) return &sys;
    return nullptr;
}

std::string Fixed(double v, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

// The median of the satellites' completeness above the cut-off, per system, in percent.
std::string Medians(const std::vector<SummaryLine>& lines)
{
    std::string text;
    std::vector<long double> values;
    for (const SummaryLine& l : lines) {
        if (IsSatellite(l)) {
            if (l.figures.above > 0)
                values.push_back(100.0L * l.figures.observedAbove / l.figures.above);
            continue;
        }
        if (l.label == "ALL" || values.empty()) continue;
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        const long double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
        text += (text.empty() ? "" : ", ") + l.label + " " + Fixed(static_cast<double>(median), 1);
        values.clear();
    }
    return text.empty() ? "-" : text + " %";
}

// Completeness above the cut-off, slips and observations per slip of each satellite and total.
void PrintAgainstElevation(std::ostream& out, const SummaryOf& s,
                           const std::vector<SummaryLine>& lines)
{
    const GofHeader& h = s.header;
    const bool sky = s.summary.Sky() != nullptr;
    out << "\nAgainst elevation (the EL column):\n";
    if (sky) {
        out << "  Cut-off:      "
            << (h.hasCutoff ? Fixed(h.cutoff, 3) + " degrees" : std::string("none (0 degrees)"))
            << "; receiver " << Fixed(h.receiver[0], 3) << " " << Fixed(h.receiver[1], 3) << " "
            << Fixed(h.receiver[2], 3) << " m; navigation:";
        for (const std::string& f : h.navFiles) out << " " << f;
        out << "\n  above:        grid epochs at which the satellite was above the cut-off; "
               "observed: "
               "the rows with values among them\n";
    } else {
        out << "  No navigation data: completeness above the cut-off not computed\n";
    }
    out << "  slips:        arcs ended by a jump the receiver did not flag (MW or L4)\n\n";
    out << "SAT     above  observed  compl%   slips  obs/slip\n";
    for (const SummaryLine& l : lines) {
        const Figures& f = l.figures;
        char line[160];
        std::snprintf(line, sizeof line, "%-4s%10s%10s%8s%8lld%10s", l.label.c_str(),
                      sky ? std::to_string(f.above).c_str() : "-",
                      sky ? std::to_string(f.observedAbove).c_str() : "-",
                      sky ? Percent(f.observedAbove, f.above).c_str() : "-", f.slips,
                      f.slips > 0 ? Fixed(static_cast<double>(f.rows) / f.slips, 1).c_str() : "-");
        out << line << "\n";
    }
    if (sky) out << "\nMedian completeness above the cut-off: " << Medians(lines) << "\n";
}

// The RMS of each listed code-multipath column per system in bins of elevation.
void PrintBins(std::ostream& out, const SummaryOf& s, const std::vector<SummaryLine>& lines)
{
    const ArcRules& rules = s.summary.Rules();
    // the rows: a system (or ALL) and a column with the bands of that system (of every system)
    struct BinRow {
        const SummaryLine* line;
        int k;
        std::string name;
    };
    std::vector<BinRow> rows;
    std::size_t width = std::string("column").size();
    for (const SummaryLine& l : lines) {
        if (IsSatellite(l)) continue;
        for (int k = 0; k < MultipathCount; ++k) {
            const auto& bins = l.figures.bins[k];
            if (rules.spread[k] < 0 || std::all_of(bins.begin(), bins.end(),
                                                   [](const Spread& b) { return b.values == 0; }))
                continue;
            rows.push_back({&l, k,
                            std::string(SpreadColumns[k]) +
                                BandsOf(s.header, SpreadColumns[k], SystemOfLine(l))});
            width = std::max(width, rows.back().name.size());
        }
    }
    out << "\nRMS of the code multipath by elevation (metres, about each arc's mean; n in "
           "brackets):\n";
    auto start = [width](const std::string& sys, const std::string& column) {
        std::string text = sys;
        text.resize(5, ' ');
        text += column;
        text.resize(5 + width + 1, ' ');
        return text;
    };
    std::string head = start("SYS", "column");
    for (int b = 0; b < ElevationBins; ++b) {
        char bin[32];
        std::snprintf(
            bin, sizeof bin, "%14s",
            (std::to_string(b * BinDegrees) + "-" + std::to_string((b + 1) * BinDegrees)).c_str());
        head += bin;
    }
    out << head << "\n";
    for (const BinRow& r : rows) {
        std::string text = start(r.line->label, r.name);
        for (const Spread& b : r.line->figures.bins[r.k]) {
            char cell[40];
            std::snprintf(cell, sizeof cell, "%14s",
                          b.values ? (Rms(b) + " (" + std::to_string(b.values) + ")").c_str()
                                   : "-");
            text += cell;
        }
        out << text << "\n";
    }
}

} // namespace

void PrintTable(std::ostream& out, SummaryOf s)
{
    PrintTitle(out, s);
    const std::vector<SummaryLine> lines = s.summary.Lines();
    const ArcRules& rules = s.summary.Rules();
    out << "\n";
    if (lines.size() == 1) {
        out << "No observation rows in this file.\n";
        return;
    }
    const std::vector<std::string> heads = Heads(s.header);
    const SpreadWidths widths = WidthsOf(heads);
    out << TableLine(heads, rules, widths) << "\n";
    for (const SummaryLine& l : lines)
        out << TableLine(Cells(l, rules, s.summary.AgainstCutoff()), rules, widths) << "\n";
    if (rules.elevation >= 0) {
        PrintAgainstElevation(out, s, lines);
        PrintBins(out, s, lines);
    }
    const std::vector<std::string> without = s.summary.WithoutRows();
    if (!without.empty()) {
        out << "\nSatellites of the header without rows:";
        for (const std::string& sat : without) out << " " << sat;
        out << "\n";
    }
}

namespace {

std::string BinName(int b)
{
    return std::to_string(b * BinDegrees) + "-" + std::to_string((b + 1) * BinDegrees);
}

// The figures of the tables against elevation, in the order of the heading: above, observed,
// their ratio, slips, rows per slip, then rms and n of each code-multipath column per bin.
std::vector<std::string> ElevationCells(const SummaryLine& l, const SummaryOf& s)
{
    const Figures& f = l.figures;
    const bool sky = s.summary.Sky() != nullptr;
    const bool el = s.summary.Rules().elevation >= 0;
    std::vector<std::string> cells = {
        sky ? std::to_string(f.above) : "-", sky ? std::to_string(f.observedAbove) : "-",
        sky ? Percent(f.observedAbove, f.above) : "-", el ? std::to_string(f.slips) : "-",
        el && f.slips > 0 ? Fixed(static_cast<double>(f.rows) / f.slips, 1) : "-"};
    for (int k = 0; k < MultipathCount; ++k)
        for (const Spread& b : f.bins[k]) {
            const bool listed = el && s.summary.Rules().spread[k] >= 0;
            cells.push_back(listed ? Rms(b) : "-");
            cells.push_back(listed ? std::to_string(b.values) : "-");
        }
    return cells;
}

std::string SpanCell(const GofHeader& h)
{
    return h.HasNominalSpan()
               ? "nominal " + h.nominalStart + " to " + h.nominalEnd + " " + h.nominalSource
               : "window";
}

} // namespace

void PrintTsvHeading(std::ostream& out)
{
    out << "file";
    for (const Column& c : FixedColumns) out << "\t" << c.tsv;
    for (std::string_view name : SpreadColumns) out << "\t" << name << "_rms\t" << name << "_n";
    out << "\tabove\tobserved_above\tcompleteness_above\tslips\tobs_per_slip";
    for (int k = 0; k < MultipathCount; ++k)
        for (int b = 0; b < ElevationBins; ++b)
            out << "\t" << SpreadColumns[k] << "_el" << BinName(b) << "_rms\t" << SpreadColumns[k]
                << "_el" << BinName(b) << "_n";
    out << "\tspan\n";
}

void PrintTsv(std::ostream& out, SummaryOf s)
{
    for (const SummaryLine& l : s.summary.Lines()) {
        out << s.file;
        for (const std::string& cell : Cells(l, s.summary.Rules(), s.summary.AgainstCutoff()))
            out << "\t" << cell;
        for (const std::string& cell : ElevationCells(l, s)) out << "\t" << cell;
        out << "\t" << SpanCell(s.header) << "\n";
    }
}

void PrintArcs(std::ostream& out, SummaryOf s, bool first)
{
    if (first) out << "file\tsat\tfirst\tlast\trows\tended_by\tstep_m\n";
    for (const SummaryLine& l : s.summary.Lines()) {
        const int sat = SatelliteIndex(l.label);
        if (sat < 0) continue;
        for (const Arc& a : s.summary.ArcsOf(sat))
            out << s.file << "\t" << l.label << "\t" << a.firstEpoch << "\t" << a.lastEpoch << "\t"
                << a.rows << "\t" << ArcEndName(a.end) << "\t"
                << (IsUnflaggedJump(a.end) ? Milli(a.step) : "-") << "\n";
    }
}
