// SPDX-License-Identifier: BSD-2-Clause
// The figures of kestrova-summary on hand-made listings, every one computed by hand.
#include "summary/ArcSummary.h"
#include "summary/GofReader.h"
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/GofText.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using goftext::Missing;
using goftext::Row;
using goftext::V;

namespace {

constexpr Ticks S = TicksPerSecond;
constexpr Ticks Day = TicksPerDay;
constexpr int MP1 = 0, MWc = MWcSpread;

// G05, columns L1 L2 MW[C] MP1[P], MW -10.000 where not said otherwise:
//   arc A: epochs 0-4 and 8-12 (the gap of 4 intervals keeps the arc); MP1 1.010 and 0.990 in
//          turn: mean 1.000, 10 residuals of 10 mm, 1000 mm^2;
//   arc B: 17-26, after a gap of 5 intervals; MP1 2.000 five times, 2.060 five times: 9000 mm^2;
//   arc C: 27-36, LLI 1 on L1 at 27; MP1 3.040 at even epochs, 3.000 at odd ones: 4000 mm^2;
//          LLI 4 on L2 at 30 and MW -6.000 at 32 (exactly 4 m from its neighbours) keep the arc;
//          MW: nine -10.000 and one -6.000, mean -9.600: 9 x 0.4^2 + 3.6^2 = 14.4 m^2;
//   arc D: 37 alone, MW -5.999 (4.001 m from epoch 36); arc E: 38-39, LLI 1 on L2 at 38. Their
//          MP1 9.000 would show in the RMS: both arcs are shorter than 10 values.
// 33 rows with values, 5 arcs; MP1 14000 mm^2 over 30 values, RMS sqrt(466.67) = 21.6 mm;
// MW 14400000 mm^2 over 30 values, RMS sqrt(480000) = 692.8 mm.
std::string G05()
{
    std::string rows;
    auto add = [&rows](int i, double mp1, int lli1, int lli2, double mw) {
        rows += Row(i, "G05", V(1000 + i, lli1) + V(800 + i, lli2) + V(mw) + V(mp1));
    };
    int n = 0;
    for (int i : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12}) add(i, n++ % 2 ? 0.990 : 1.010, 0, 0, -10);
    for (int i = 17; i <= 26; ++i) add(i, i < 22 ? 2.000 : 2.060, 0, 0, -10);
    for (int i = 27; i <= 36; ++i)
        add(i, i % 2 ? 3.000 : 3.040, i == 27, i == 30 ? 4 : 0, i == 32 ? -6 : -10);
    add(37, 9, 0, 0, -5.999);
    add(38, 9, 0, 1, -5.999);
    add(39, 9, 0, 0, -5.999);
    return rows + "\n";
}

// G07: five rows of "*.***" only. G09: "***" rows (-a) at 0-9, then 10-19 with MP1 0.500 at
// even and 0.520 at odd epochs (1000 mm^2 over 10) and MW -20.000. E11: 0-11 without L2 and MP1,
// MW -30.100 at even and -29.900 at odd epochs: 12 residuals of 100 mm, 120000 mm^2. R03 has no
// row. Window 00:00:00-00:19:30 at 30 s: 40 epochs per satellite.
std::string HandListing()
{
    std::string text =
        goftext::Header(" G05 G07 G09 R03 E11", " L1[+] L2[+] MW[C][+] MP1[P][+] MP2[-]",
                        "            L1                L2             MW[C]"
                        "            MP1[P]    ") +
        G05();
    for (int i = 0; i < 5; ++i) text += Row(i, "G07", Missing + Missing + Missing + Missing);
    text += "\n";
    for (int i = 0; i < 10; ++i) text += Row(i, "G09", "  ***");
    for (int i = 10; i < 20; ++i)
        text += Row(i, "G09", V(5000 + i) + V(4000 + i) + V(-20) + V(i % 2 ? 0.520 : 0.500));
    text += "\n";
    for (int i = 0; i < 12; ++i)
        text += Row(i, "E11", V(7000 + i) + Missing + V(i % 2 ? -29.900 : -30.100) + Missing);
    return text + "\n";
}

struct Summarised {
    GofReader reader;
    FileSummary summary;
    std::vector<SummaryLine> lines;

    explicit Summarised(const std::string& file, std::int64_t mwJump = DefaultMWJump)
        : reader(file), summary(reader.Header(), mwJump)
    {
        summary.TakeAll(reader);
        lines = summary.Lines();
    }
};

// The standard output of kestrova-summary with the given words, written into dir.
std::string SummaryText(const std::filesystem::path& dir, const std::string& words)
{
    const std::string out = (dir / "out.txt").string();
    const int rc =
        std::system((std::string(KESTROVA_SUMMARY_BIN) + " " + words + " >" + out).c_str());
    EXPECT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << words;
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string LineOf(const std::string& text, const std::string& label)
{
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(label, 0) == 0) return l;
    return "(no line " + label + ")";
}

} // namespace

// The window's grid epochs, counted by hand from the multiples of the interval of each day.
TEST(GridEpochs, CountsTheGridOfEachDayWithinTheClockTolerance)
{
    const Ticks d = 57066 * Day;
    EXPECT_EQ(GridEpochs(d, d + 3570 * S, 30 * S, S / 10), 120);
    // 7 s does not divide the day: 23:00:00-23:59:54 holds k = 11829..12342 (514 epochs), the next
    // day 00:00:00-00:59:58 holds k = 0..514 (515)
    EXPECT_EQ(GridEpochs(d + 82800 * S, d + Day + 3600 * S, 7 * S, S / 10), 1029);
    // ten whole days at 30 s and the first epoch of the eleventh
    EXPECT_EQ(GridEpochs(d, d + 10 * Day, 30 * S, S / 10), 28801);
    // 00:00:30.05-00:01:29.95: 30 and 90 lie within 0.1 s of the window, not within 0.01 s
    EXPECT_EQ(GridEpochs(d + 30 * S + S / 20, d + 90 * S - S / 20, 30 * S, S / 10), 3);
    EXPECT_EQ(GridEpochs(d + 30 * S + S / 20, d + 90 * S - S / 20, 30 * S, S / 100), 1);
    // a tolerance of 5 s counts as half the 1 s interval: 0..10 s
    EXPECT_EQ(GridEpochs(d, d + 10 * S, S, 5 * S), 11);
    // no epoch passes a tolerance of 0; no grid without an interval or a tolerance
    EXPECT_EQ(GridEpochs(d, d + 3570 * S, 30 * S, 0), 0);
    EXPECT_EQ(GridEpochs(d + 60 * S, d, 30 * S, S / 10), 0);
    EXPECT_EQ(GridEpochs(d, d + 3570 * S, 0, S / 10), -1);
    EXPECT_EQ(GridEpochs(d, d + 3570 * S, 30 * S, -1), -1);
    // nor when the grid is beyond any file: 100 ns over eight millennia
    EXPECT_EQ(GridEpochs(0, 2999999 * Day, 1, S / 10), -1);
}

TEST(FileSummary, ArcsEndAtGapsLossOfLockAndMWJumpsAndShortArcsStayOutOfTheRMS)
{
    const std::string file = WriteText(TestFolder() / "hand.gof", HandListing());
    Summarised s(file);
    std::vector<std::string> labels;
    for (const SummaryLine& l : s.lines) labels.push_back(l.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"G05", "G07", "G09", "GPS", "E11", "GAL", "ALL"}));
    EXPECT_EQ(s.summary.WithoutRows(), std::vector<std::string>{"R03"});

    const Figures& g05 = s.lines[0].figures;
    EXPECT_EQ(g05.rows, 33);
    EXPECT_EQ(g05.expected, 40);
    EXPECT_EQ(g05.arcs, 5);
    EXPECT_EQ(g05.spread[MP1].squares, 14000);
    EXPECT_EQ(g05.spread[MP1].values, 30);
    EXPECT_EQ(g05.spread[MWc].squares, 14400000);
    EXPECT_EQ(g05.spread[MWc].values, 30);

    // G09's "***" rows are expected epochs without values
    const Figures& g09 = s.lines[2].figures;
    EXPECT_EQ(g09.rows, 10);
    EXPECT_EQ(g09.arcs, 1);
    EXPECT_EQ(g09.firstEpoch, "2015-02-13 00:05:00.0");
    EXPECT_EQ(g09.spread[MP1].squares, 1000);

    // the file pools G05, G07, G09 and E11
    const Figures& all = s.lines[6].figures;
    EXPECT_EQ(all.spread[MWc].squares, 14400000 + 120000);
    EXPECT_EQ(all.spread[MWc].values, 52);

    // with a threshold of 3.999 m the 4 m steps at 32 and 33 end arcs too: C splits into 27-31,
    // 32 and 33-36, all shorter than 10 values, so only A and B are left in the RMS
    Summarised low(file, 3999);
    EXPECT_EQ(low.lines[0].figures.arcs, 7);
    EXPECT_EQ(low.lines[0].figures.spread[MP1].squares, 10000);
    EXPECT_EQ(low.lines[0].figures.spread[MP1].values, 20);
}

// The same figures as the two forms write them: percentages rounded to one decimal, RMS in
// metres to the millimetre, "-" where a figure does not exist.
TEST(FileSummary, TableAndTabSeparatedFormsOfTheHandMadeListing)
{
    const std::filesystem::path dir = TestFolder();
    const std::string file = WriteText(dir / "hand.gof", HandListing());
    const std::string table = SummaryText(dir, file);
    EXPECT_EQ(
        LineOf(table, "  Arcs end at:"),
        "  Arcs end at:  a gap of more than 4 intervals; a loss of lock (LLI bit 0) on L1 L2; "
        "a jump of MW[C] of more than 4.000 m");
    // the combination columns name the bands of each system of the header's satellites
    EXPECT_EQ(
        LineOf(table, "SAT"),
        "SAT      rows  expected  compl%  first epoch            last epoch             arcs  "
        "MP1[P] (G1 R1 E1)       n  MW[C] (G1-2 R1-2 E1-7)       n");
    // 33 / 40 = 82.5 %; sqrt(466.67) mm = 0.022 m, sqrt(480000) mm = 0.693 m
    EXPECT_EQ(
        LineOf(table, "G05"),
        "G05        33        40    82.5  2015-02-13 00:00:00.0  "
        "2015-02-13 00:19:30.0     5              0.022      30                   0.693      30");
    EXPECT_EQ(LineOf(table, "G07"),
              "G07         0        40     0.0  -                      -      "
              "                   0                  -       0                       -       0");
    // 55 / 160 = 34.4 %; MP1 sqrt(15000 / 40) = 19.4 mm; MW sqrt(14520000 / 52) = 528.4 mm
    EXPECT_EQ(
        LineOf(table, "ALL"),
        "ALL        55       160    34.4  2015-02-13 00:00:00.0  "
        "2015-02-13 00:19:30.0     7              0.019      40                   0.528      52");
    EXPECT_EQ(LineOf(table, "Satellites of the header without rows:"),
              "Satellites of the header without rows: R03");

    // 43 / 120 = 35.8 %; MW sqrt(14400000 / 40) = 600 mm; MP1[C], MP2, MW[P], L4 are not listed
    std::string noElevations; // no navigation data: the elevation figures are "-"
    for (int k = 0; k < 59; k++) noElevations += "\t-";
    EXPECT_EQ(LineOf(SummaryText(dir, "--tsv " + file), file + "\tGPS"),
              file +
                  "\tGPS\t43\t120\t35.8\t2015-02-13 00:00:00.0\t2015-02-13 00:19:30.0\t6\t0.019\t40"
                  "\t-\t-\t-\t-\t0.600\t40\t-\t-\t-\t-" +
                  noElevations + "\twindow");
}

// Every system of a listing has its satellites and its total, in the order of the table of
// systems, each satellite apart from the others of the same number.
TEST(FileSummary, EverySystemHasItsOwnTotal)
{
    std::string text = goftext::Header(" G03 C03 J03 I03 S23", " L1[+]", "            L1    ");
    for (const char* sat : {"S23", "I03", "J03", "C03", "G03"}) {
        for (int i = 0; i < 3; ++i) text += Row(i, sat, V(1000 + i));
        text += "\n";
    }
    const std::string file = WriteText(TestFolder() / "systems.gof", text);
    Summarised s(file);
    std::vector<std::string> labels;
    for (const SummaryLine& l : s.lines) {
        labels.push_back(l.label);
        EXPECT_EQ(l.figures.rows, l.label == "ALL" ? 15 : 3) << l.label;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"G03", "GPS", "C03", "BDS", "J03", "QZS", "I03",
                                                "IRN", "S23", "SBS", "ALL"}));
}

namespace {

// G05 every 30 s with L1, L2, L4 and MW[C]: L4 0.100 and MW -10.000 unless a case changes a row.
struct ArcCase {
    const char* name;
    int row;          // the row the case changes (rows 0..11, one missing at 8 in every case)
    double l4, mw;    // its L4 and MW
    int lli1, lli2;   // its loss-of-lock digits on L1 and L2
    bool skipNext;    // the row after it is missing too: a step of 60 s
    const char* arcs; // the reasons of the arcs' ends, in order
};

std::string CaseListing(const ArcCase& c)
{
    std::string text =
        goftext::Header(" G05", " L1[+] L2[+] L4[+] MW[C][+]",
                        "            L1                L2                L4             MW[C]    ");
    for (int i = 0; i < 14; ++i) {
        if (i == 8 || (c.skipNext && i == c.row - 1)) continue;
        const bool changed = i == c.row;
        text += Row(i, "G05",
                    V(1000 + i, changed ? c.lli1 : 0) + V(800 + i, changed ? c.lli2 : 0) +
                        V(changed ? c.l4 : 0.100 + (i > c.row ? c.l4 - 0.100 : 0)) +
                        V(changed ? c.mw : -10 + (i > c.row ? c.mw + 10 : 0)));
    }
    return text + "\n";
}

std::string Reasons(const std::vector<Arc>& arcs)
{
    std::string text;
    for (const Arc& a : arcs) {
        if (!text.empty()) text += ", ";
        text += ArcEndName(a.end);
    }
    return text;
}

} // namespace

// The one arc rule: a gap of more than 4.5 intervals, a loss of lock (bit 0) on a raw phase, a
// jump of MW beyond 4 m and a jump of L4 beyond 0.05 m + 0.02 m/s end an arc; the level after a
// jump stays, so only the jump itself ends one.
TEST(ArcRule, EndsArcsAtGapsFlagsAndUnflaggedJumpsOnly)
{
    // clang-format off
    const ArcCase cases[] = {
        {"quiet arc, 60 s skip at 8",  5, 0.100, -10.000, 0, 0, false, "last row"},
        {"loss of lock on L2",         5, 0.100, -10.000, 0, 1, false, "loss of lock, last row"},
        {"bit 2 on L1 is no loss",     5, 0.100, -10.000, 4, 0, false, "last row"},
        {"MW 4.001 m",                 5, 0.100, -5.999,  0, 0, false, "MW jump, last row"},
        {"MW 4.000 m",                 5, 0.100, -6.000,  0, 0, false, "last row"},
        {"MW -4.001 m",                5, 0.100, -14.001, 0, 0, false, "MW jump, last row"},
        {"L4 0.651 m in 30 s",         5, 0.751, -10.000, 0, 0, false, "L4 jump, last row"},
        {"L4 0.649 m in 30 s",         5, 0.749, -10.000, 0, 0, false, "last row"},
        {"L4 -1.249 m in 60 s",        5, -1.149, -10.000, 0, 0, true, "last row"},
        {"L4 -1.251 m in 60 s",        5, -1.151, -10.000, 0, 0, true, "L4 jump, last row"},
    };
    // clang-format on
    for (const ArcCase& c : cases) {
        const std::string file = WriteText(TestFolder() / "case.gof", CaseListing(c));
        Summarised s(file);
        EXPECT_EQ(Reasons(s.summary.ArcsOf(SatelliteIndex("G05"))), c.arcs) << c.name;
    }
    // skips of 5 intervals end arcs (2 -> 7, 7 -> 12), the skip of 1 does not
    std::string text = goftext::Header(" G05", " L4[+]", "            L4    ");
    for (int i : {0, 1, 2, 7, 12, 13}) text += Row(i, "G05", V(0.1));
    Summarised gaps(WriteText(TestFolder() / "gaps.gof", text + "\n"));
    const std::vector<Arc>& arcs = gaps.summary.ArcsOf(SatelliteIndex("G05"));
    EXPECT_EQ(Reasons(arcs), "gap, gap, last row");
    ASSERT_EQ(arcs.size(), 3u);
    EXPECT_EQ(arcs[1].firstEpoch, "2015-02-13 00:03:30.0");
    EXPECT_EQ(arcs[1].rows, 1);
}

// york's G05 jumps at 15:16 without a flag (its phases by thousands of kilometres): MW ends the
// arc, and so does L4 alone where the listing has no MW. --arcs names the reason and the step.
TEST(ArcRule, YorkG05JumpsAt1516WithoutAFlag)
{
    const std::string york = std::string(KESTROVA_SHARED_DATA) + "/york0440.15o";
    if (!std::filesystem::exists(york)) GTEST_SKIP() << york << " is absent";
    const std::filesystem::path dir = TestFolder();
    for (const std::string list : {"L1:L2:C1:P2:L4:MW:", "L1:L2:L4:"}) {
        const std::string gof = (dir / "g05.gof").string();
        ASSERT_EQ(std::system((std::string(KESTROVA_BIN) + " -o" + york + " -cG -pG05 -l" + list +
                               " -r" + gof + " >/dev/null")
                                  .c_str()),
                  0);
        const std::string arcs = SummaryText(dir, "--arcs " + gof);
        const std::string why = list.find("MW") != std::string::npos ? "MW jump" : "L4 jump";
        std::istringstream in(arcs);
        std::string line, before;
        while (std::getline(in, line) &&
               line.find("\t2015-02-13 15:16:00.0\t") == std::string::npos)
            before = line;
        ASSERT_FALSE(line.empty()) << "no arc of G05 begins at 15:16:\n" << arcs;
        EXPECT_NE(before.find("\t2015-02-13 15:15:00.0\t"), std::string::npos) << before;
        EXPECT_NE(before.find("\t" + why + "\t"), std::string::npos) << before;
        // the step, in metres, is beyond a thousand kilometres
        const double step = std::atof(before.substr(before.rfind('\t') + 1).c_str());
        EXPECT_GT(std::abs(step), 1e6) << before;
    }
}
