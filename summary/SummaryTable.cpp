// SPDX-License-Identifier: BSD-2-Clause
#include "summary/SummaryTable.h"

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

std::string Milli(std::int64_t v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", v < 0 ? "-" : "",
                  static_cast<long long>(v < 0 ? -(v / 1000) : v / 1000),
                  static_cast<long long>(v < 0 ? -(v % 1000) : v % 1000));
    return text;
}

std::string Count(long long n) { return n < 0 ? "-" : std::to_string(n); }

// Rows with values against the expected epochs, in percent rounded to one decimal.
std::string Completeness(const Figures& f)
{
    if (f.expected <= 0) return "-";
    const long long tenths = (f.rows * 2000 + f.expected) / (2 * f.expected);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
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
std::vector<std::string> Cells(const SummaryLine& l, const ArcRules& rules)
{
    const Figures& f = l.figures;
    const bool any = f.rows > 0;
    std::vector<std::string> cells = {l.label,
                                      Count(f.rows),
                                      Count(f.expected),
                                      Completeness(f),
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

// One table line from the cells (or heads) of Cells' layout; unlisted spread columns left out.
std::string TableLine(const std::vector<std::string>& cells, const ArcRules& rules)
{
    std::string line;
    int i = 0;
    for (const Column& c : FixedColumns) Put(line, cells[i++], c.width, c.left);
    for (int k = 0; k < SpreadCount; ++k, i += 2) {
        if (rules.spread[k] < 0) continue;
        Put(line, cells[i], RmsWidth, false);
        Put(line, cells[i + 1], CountWidth, false);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::vector<std::string> Heads()
{
    std::vector<std::string> heads;
    for (const Column& c : FixedColumns) heads.emplace_back(c.head);
    for (std::string_view name : SpreadColumns) {
        heads.emplace_back(name);
        heads.emplace_back("n");
    }
    return heads;
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

void PrintTitle(std::ostream& out, const SummaryOf& s)
{
    const GofHeader& h = s.header;
    const long long expected = s.summary.Expected();
    out << "kestrova-summary of " << s.file << "\n"
        << "  RINEX file:   " << h.rinexFile << "\n"
        << "  Window:       " << h.start << " to " << h.end << "\n"
        << "  Grid:         interval " << h.interval << " s, clock tolerance " << h.tolerance
        << " s: "
        << (expected < 0 ? std::string("no grid, completeness not computed")
                         : std::to_string(expected) + " epochs expected per satellite")
        << "\n"
        << "  Arcs end at:  " << ArcRulesText(s.summary.Rules(), h) << "\n";
    for (int c : s.summary.Rules().spread)
        if (c >= 0) {
            out << "  RMS:          metres, about each arc's mean, over the arcs of at least "
                << MinArcValues << " values; n: the values used\n";
            break;
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
    out << TableLine(Heads(), rules) << "\n";
    for (const SummaryLine& l : lines) out << TableLine(Cells(l, rules), rules) << "\n";
    const std::vector<std::string> without = s.summary.WithoutRows();
    if (!without.empty()) {
        out << "\nSatellites of the header without rows:";
        for (const std::string& sat : without) out << " " << sat;
        out << "\n";
    }
}

void PrintTsvHeading(std::ostream& out)
{
    out << "file";
    for (const Column& c : FixedColumns) out << "\t" << c.tsv;
    for (std::string_view name : SpreadColumns) out << "\t" << name << "_rms\t" << name << "_n";
    out << "\n";
}

void PrintTsv(std::ostream& out, SummaryOf s)
{
    for (const SummaryLine& l : s.summary.Lines()) {
        out << s.file;
        for (const std::string& cell : Cells(l, s.summary.Rules())) out << "\t" << cell;
        out << "\n";
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
