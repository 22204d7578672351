// SPDX-License-Identifier: BSD-2-Clause
// kestrova-summary run on listings written by kestrova: the shipped sample, a real daily file
// checked against a computation of its own, a listing without rows, a failing output.
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/ToolRun.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path Repo = fs::path(KESTROVA_TEST_DATA).parent_path().parent_path();
const std::string Shared = KESTROVA_SHARED_DATA;

std::vector<std::string> Split(const std::string& text, char at)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string p; std::getline(in, p, at);) parts.push_back(p);
    return parts;
}

const std::string Listing = KESTROVA_BIN;
const std::string Summary = KESTROVA_SUMMARY_BIN;

// The block of README.md after the summary command of the sample.
std::string ReadmeSummary()
{
    const std::string readme = ReadAll(Repo / "README.md");
    const std::string command = "    ./build/kestrova-summary build/kest0440.gof\n\n```\n";
    const std::size_t at = readme.find(command);
    if (at == std::string::npos) return "(no summary of the sample in README.md)";
    const std::size_t from = at + command.size();
    return readme.substr(from, readme.find("```", from) - from);
}

// The listing of the README's first command, written as build/kest0440.gof in dir, where data/
// stands for the repository's data folder so that the header names the same files.
void ListSample(const fs::path& dir)
{
    fs::create_directory_symlink(Repo / "data", dir / "data");
    fs::create_directory(dir / "build");
    const Shell r(dir, Listing +
                           " -odata/kest0440.15o -cGRE -m1data/kest0440.mp1 -m2data/kest0440.mp2"
                           " -gfdata/glonass-channels.txt -ms -lC1:P1:L1:L2:P2:S1:L4:MW:MP1:MP2:"
                           " -rbuild/kest0440.gof");
    ASSERT_EQ(r.status, 0) << r.err;
}

// MP1[C] and MP2 of one satellite of the daily listing below, computed apart from the program:
// arcs cut where the epochs step by more than 4.5 x 30 s, at an odd loss-of-lock digit of L1 or
// L2, or where MW[C] moves by more than 4 m; the RMS about each mean of the arcs of 10 values.
struct Independent {
    std::vector<double> arc[2];
    double squares[2] = {0, 0};
    long n[2] = {0, 0};
    double lastTime = -1e9, lastMW = 0;
    bool hasMW = false;

    void CloseArc()
    {
        for (int k = 0; k < 2; ++k) {
            if (arc[k].size() >= 10) {
                double mean = 0;
                for (double v : arc[k]) mean += v / arc[k].size();
                for (double v : arc[k]) squares[k] += (v - mean) * (v - mean);
                n[k] += arc[k].size();
            }
            arc[k].clear();
        }
        hasMW = false;
    }
    // w: the words of a row; L1 L2 C1 P2 MP1[P] MP1[C] MP2 MW[C] from word 5 on, 3 words each
    void Take(const std::vector<std::string>& w)
    {
        auto present = [&w](int c) { return w[5 + 3 * c] != "*.***"; };
        auto value = [&w](int c) { return std::stod(w[5 + 3 * c]); };
        auto lost = [&](int c) { return present(c) && std::stoi(w[6 + 3 * c]) % 2 == 1; };
        bool any = false;
        for (int c = 0; c < 8; ++c) any = any || present(c);
        if (!any) return; // rows without a value take no part in the arcs
        const double t = std::stod(w[3]);
        const bool jump = present(7) && hasMW && std::fabs(value(7) - lastMW) > 4.0;
        if (t - lastTime > 135 || lost(0) || lost(1) || jump) CloseArc();
        for (int k = 0; k < 2; ++k)
            if (present(5 + k)) arc[k].push_back(value(5 + k));
        if (present(7)) {
            lastMW = value(7);
            hasMW = true;
        }
        lastTime = t;
    }
};

} // namespace

// The README shows what the programs give for the shipped sample.
TEST(SummaryRun, SampleThroughBothProgramsGivesTheReadmeSummary)
{
    const fs::path dir = TestFolder();
    ListSample(dir);
    const Shell table(dir, Summary + " build/kest0440.gof");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.err, "");
    EXPECT_EQ(table.out, ReadmeSummary());
}

// A listing of a grid that holds no epoch (-t0) is summarised, not refused.
TEST(SummaryRun, ListingWithoutRowsSaysSo)
{
    const fs::path dir = TestFolder();
    const Shell list(dir, Listing + " -o" + (Repo / "data/kest0440.15o").string() +
                              " -cG -t0 -rempty.gof");
    ASSERT_EQ(list.status, 0) << list.err;
    const Shell table(dir, Summary + " empty.gof");
    EXPECT_EQ(table.status, 0);
    EXPECT_NE(table.out.find("s: no grid, completeness not computed\n"), std::string::npos)
        << table.out;
    EXPECT_TRUE(table.out.ends_with("\n\nNo observation rows in this file.\n")) << table.out;
    const Shell tsv(dir, Summary + " --tsv empty.gof");
    // without navigation data the 59 figures above the cut-off and per elevation bin are "-",
    // and completeness is counted over the window
    std::string noElevations;
    for (int i = 0; i < 59; i++) noElevations += "\t-";
    EXPECT_EQ(Split(tsv.out, '\n').back(),
              "empty.gof\tALL\t0\t-\t-\t-\t-\t0\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-\t-" +
                  noElevations + "\twindow");
}

TEST(SummaryRun, FailingStandardOutputIsAnError)
{
    const fs::path dir = TestFolder();
    ListSample(dir);
    const Shell r(dir, Summary + " build/kest0440.gof", "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "\n**** kestrova-summary: Error -> SUMMARY CAN NOT BE WRITTEN! ****\n"
                     "     Exiting kestrova-summary ... \n\n");
}

// MP1[C] and MP2 of every GPS satellite of a real day are a few decimetres and the same as the
// computation above.
TEST(SummaryRun, RealDailyFileMatchesAnIndependentComputation)
{
    if (!fs::is_directory(Shared)) GTEST_SKIP() << Shared << " is absent";
    const fs::path dir = TestFolder();
    const Shell list(dir, Listing + " -o" + Shared +
                              "/york0440.15o -lL1:L2:C1:P2:MP1:MC1:MP2:MW: -cG -ryork.gof");
    ASSERT_EQ(list.status, 0) << list.err;
    std::map<std::string, Independent> mine;
    for (const std::string& line : Split(ReadAll(dir / "york.gof"), '\n')) {
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string word; in >> word;) w.push_back(word);
        if (w.size() == 5 + 3 * 8 && line[0] != '#') mine[w[4]].Take(w);
    }
    const Shell tsv(dir, Summary + " --tsv york.gof");
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    int satellites = 0;
    for (const std::string& line : Split(tsv.out, '\n')) {
        const std::vector<std::string> f = Split(line, '\t');
        if (f[1].size() != 3 || f[1][0] != 'G' || f[1] == "GPS") continue;
        ++satellites;
        Independent& m = mine[f[1]];
        m.CloseArc();
        for (int k = 0; k < 2; ++k) {
            // MP1[C]_rms and _n are fields 10 and 11, MP2 12 and 13
            const double rms = std::stod(f[10 + 2 * k]);
            EXPECT_EQ(std::stol(f[11 + 2 * k]), m.n[k]) << line;
            EXPECT_NEAR(rms, std::sqrt(m.squares[k] / m.n[k]), 0.0006) << line;
            EXPECT_GT(rms, 0.1) << line;
            EXPECT_LT(rms, 1.0) << line;
        }
    }
    EXPECT_EQ(satellites, 30);
}

// An hour of observations under a long name that promises a day: one warning, the settings
// header records the day, and the summary counts each satellite's completeness over the day. The
// same file named for an hour holds its span: no warning, no span line, the hour counted.
TEST(SummaryRun, FileNamedForADayButHoldingAnHourIsCountedOverTheDay)
{
    if (!fs::is_directory(Shared)) GTEST_SKIP() << Shared << " is absent";
    const fs::path dir = TestFolder();
    const std::string day = (dir / "KMS300DNK_R_20050920000_01D_30S_MO.rnx").string(),
                      hour = (dir / "KMS300DNK_R_20050920000_01H_30S_MO.rnx").string();
    fs::copy_file(Shared + "/07590920.05o", day);
    fs::copy_file(Shared + "/07590920.05o", hour);
    const ToolRun d(dir, "day", "-o" + day + " -cG -lC1:L1:");
    ASSERT_EQ(d.status, 0) << d.err;
    // 00:00:00 to 00:59:30 at 30 s, every epoch a few milliseconds late
    EXPECT_EQ(d.err,
              "\n#### Kestrova: Warning -> RINEX FILE " + day +
                  " HOLDS 120 OF THE 2880 EPOCHS OF ITS NOMINAL SPAN 00:00:00-23:59:30 (FILE NAME "
                  "01D) - ITS LAST EPOCH IS 00:59:30.005! ####\n     Continuing Kestrova ... \n\n");
    EXPECT_NE(d.gof.find("\n#End epoch:          2005-04-02 00:59:30.005 [ 53462  3570.005]  "
                         "(from RINEX file)\n#Nominal span:       2005-04-02 00:00:00.000 - "
                         "2005-04-02 23:59:30.000  (FILE NAME 01D)\n"),
              std::string::npos);
    const Shell dayTable(dir, Summary + " day.gof");
    ASSERT_EQ(dayTable.status, 0) << dayTable.err;
    EXPECT_NE(dayTable.out.find("\n  Nominal span: 2005-04-02 00:00:00.000 to 2005-04-02 "
                                "23:59:30.000 (FILE NAME 01D): completeness counted over it\n"),
              std::string::npos)
        << dayTable.out;
    // G07 is in view the whole hour: 120 of 2880
    EXPECT_NE(dayTable.out.find("\nG07       120      2880     4.2  "), std::string::npos)
        << dayTable.out;

    const ToolRun h(dir, "hour", "-o" + hour + " -cG -lC1:L1:");
    ASSERT_EQ(h.status, 0) << h.err;
    EXPECT_EQ(h.err, "");
    EXPECT_EQ(h.gof.find("#Nominal span:"), std::string::npos);
    const Shell hourTable(dir, Summary + " hour.gof");
    EXPECT_NE(hourTable.out.find("\nG07       120       120   100.0  "), std::string::npos)
        << hourTable.out;
}

// After -fG15:E15: the combination columns of the summary and the pictures' data name the L5
// and E5a bands the result file's pairs give, not the default second bands.
TEST(SummaryRun, CombinationColumnsNameTheBandsOfTheFilesPairs)
{
    if (!fs::is_directory(Shared)) GTEST_SKIP() << Shared << " is absent";
    const fs::path dir = TestFolder();
    const ToolRun list(dir, "pairs",
                       "-o" + Shared + "/OB713520.23O.gz -cGE -lL4:MW:MC1:MP2: -fG15:E15:");
    ASSERT_EQ(list.status, 0) << list.err;
    const Shell table(dir, Summary + " pairs.gof");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("\nSAT      rows  expected  compl%  first epoch            last epoch "
                             "            arcs  MP1[C] (G1 E1)       n  MP2 (G5 E5)       n  "
                             "MW[C] (G1-5 E1-5)       n  L4 (G1-5 E1-5)       n\n"),
              std::string::npos)
        << table.out;
    const Shell gps(dir, Summary + " --plot-data=MP2 --sats=G pairs.gof");
    EXPECT_NE(gps.out.find("\n# bands: (G5)\n"), std::string::npos);
    const Shell both(dir, Summary + " --plot-data=L4 pairs.gof");
    EXPECT_NE(both.out.find("\n# bands: (G1-5 E1-5)\n"), std::string::npos);
}
