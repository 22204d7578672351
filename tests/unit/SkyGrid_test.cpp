// SPDX-License-Identifier: BSD-2-Clause
// Completeness above the cut-off: the grid epochs at which each satellite was above it, from the
// navigation files the result file names, counted here independently with the exact geometry of
// each epoch; the navigation files found beside the result file; a missing one.
#include "GNSS/SatGeometry.h"
#include "summary/ArcSummary.h"
#include "summary/GofReader.h"
#include "summary/SkyGrid.h"
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/ToolRun.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Shared = KESTROVA_SHARED_DATA;
const std::string GpsNav = "NYA100NOR_S_20241240000_01D_GN.rnx.gz";
// NYA1's APPROX POSITION XYZ
const double Receiver[3] = {1202434.130, 252632.221, 6237772.435};
constexpr double GpsSecondsAtStart = (60433.0 - 44244.0) * 86400; // 2024-05-03 00:00 GPS time

// One hour of 2024-05-03 at 30 s: every GPS satellite has a row at the even epochs (an elevation
// of 45 degrees written, whatever the truth: the rows only say when a satellite was observed).
std::string Listing(const std::string& nav)
{
    std::string sats, rows;
    for (int prn = 1; prn <= 32; ++prn) {
        char id[8];
        std::snprintf(id, sizeof id, "G%02d", prn);
        sats += std::string(" ") + id;
        for (int i = 0; i < 120; i += 2) {
            char row[160];
            std::snprintf(row, sizeof row,
                          " 2024-05-03 %02d:%02d:%02d.0   60433 %7d.0  %s         0.%03d 0 0    "
                          "45.000 0 0\n",
                          i * 30 / 3600, i * 30 / 60 % 60, i * 30 % 60, i * 30, id, i);
            rows += row;
        }
        rows += "\n";
    }
    return "#PROGRAM: Kestrova\n#DATA:\n#RINEX file:         nya1.crx.gz\n#NAV file:           " +
           nav +
           "\n#Receiver XYZ:       1202434.130 252632.221 6237772.435  (from RINEX header)\n"
           "#Elevation cut-off:  10.000\n#Satellites:        " +
           sats +
           "\n#Observations:       MP1[C][+] EL[+]\n"
           "#Start epoch:        2024-05-03 00:00:00.000 [ 60433     0.000]  (from RINEX file)\n"
           "#End epoch:          2024-05-03 00:59:30.000 [ 60433  3570.000]  (from RINEX file)\n"
           "#Time interval:      30.000\n#Max clock error:    0.1000000\n#\n"
           "#          Time(datum)       Time(MJD)  SAT        MP1[C]            EL    \n" +
           rows;
}

} // namespace

TEST(SkyGrid, CountsTheGridEpochsAboveTheCutOffWithOrWithoutARow)
{
    if (!fs::exists(Shared + "/" + GpsNav)) GTEST_SKIP() << "no shared data";
    // named as the listing named it, relative to a folder it ran in: found beside the result
    const fs::path dir = TestFolder();
    fs::create_symlink(Shared + "/" + GpsNav, dir / "brdc.rnx.gz");
    const std::string file = WriteText(dir / "nya1.gof", Listing("brdc.rnx.gz"));
    GofReader reader(file);
    SkyGrid sky;
    ASSERT_TRUE(sky.Load(reader.Header(), file));
    FileSummary summary(reader.Header(), DefaultMWJump, &sky);
    summary.TakeAll(reader);
    std::map<std::string, Figures> figures;
    for (const SummaryLine& l : summary.Lines()) figures[l.label] = l.figures;

    BroadcastNav nav;
    nav.Read((Shared + "/" + GpsNav).c_str());
    const StationFrame station(Receiver);
    long long anyAbove = 0, anyBelow = 0;
    for (int prn = 1; prn <= 32; ++prn) {
        long long above = 0, observed = 0;
        for (int i = 0; i < 120; ++i) {
            double az = 0, el = 0;
            if (SatelliteAzEl(nav, NavSat{'G', prn}, GpsSecondsAtStart + 30.0 * i, station, az,
                              el) &&
                el >= 10) {
                ++above;
                observed += i % 2 == 0;
            }
        }
        char id[8];
        std::snprintf(id, sizeof id, "G%02d", prn);
        EXPECT_EQ(figures[id].above, above) << id;
        EXPECT_EQ(figures[id].observedAbove, observed) << id;
        anyAbove += above == 120;
        anyBelow += above == 0;
    }
    // the hour has satellites above the cut-off throughout and others below it throughout
    EXPECT_GT(anyAbove, 0);
    EXPECT_GT(anyBelow, 0);
}

TEST(SkyGrid, AMissingNavigationFileGivesAWarningAndNoCompleteness)
{
    const fs::path dir = TestFolder();
    WriteText(dir / "nya1.gof", Listing("no-such-nav.rnx"));
    const Shell run(dir, std::string(KESTROVA_SUMMARY_BIN) + " nya1.gof");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("No navigation data: completeness above the cut-off not computed"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("NAVIGATION FILE no-such-nav.rnx NOT FOUND"), std::string::npos)
        << run.err;
}

// The shared multi-GNSS day listed with its GPS navigation file and a cut-off of 10 degrees: G08's
// epochs above the cut-off, counted here with the exact geometry of every grid epoch of the day,
// are those the summary expects; the rows of G08 are all among them; the GPS median of the
// completeness above the cut-off lies between 80 and 100 %.
TEST(SkyGrid, SharedDayCompletenessAboveTheCutOff)
{
    const std::string obs = Shared + "/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz";
    if (!fs::exists(obs)) GTEST_SKIP() << "no shared data";
    const fs::path dir = TestFolder();
    const Shell list(dir, std::string(KESTROVA_BIN) + " -o" + obs + " -cG -n" + Shared + "/" +
                              GpsNav + " -k10 -lL1:L2:MC1:EL: -rnya1.gof");
    ASSERT_EQ(list.status, 0) << list.err;
    const Shell summary(dir, std::string(KESTROVA_SUMMARY_BIN) + " nya1.gof");
    ASSERT_EQ(summary.status, 0) << summary.err;

    BroadcastNav nav;
    nav.Read((Shared + "/" + GpsNav).c_str());
    const StationFrame station(Receiver);
    long long above = 0;
    for (int i = 0; i < 2880; ++i) {
        double az = 0, el = 0;
        above +=
            SatelliteAzEl(nav, NavSat{'G', 8}, GpsSecondsAtStart + 30.0 * i, station, az, el) &&
            el >= 10;
    }
    long long rows = 0;
    for (const std::string& l : Lines(ReadAll(dir / "nya1.gof")))
        rows += l.size() > 45 && l.substr(40, 3) == "G08";
    char want[80];
    std::snprintf(want, sizeof want, "G08 %10lld%10lld", above, rows);
    EXPECT_NE(summary.out.find(want), std::string::npos) << want << "\n" << summary.out;
    EXPECT_GT(above, rows); // G08 has epochs above 10 degrees without a row
    // the first table expects the epochs above the cut-off too, and --tsv carries the figures
    char first[64];
    std::snprintf(first, sizeof first, "\nG08 %9lld%10lld%8.1f  ", rows, above,
                  std::round(1000.0 * rows / above) / 10);
    EXPECT_NE(summary.out.find(first), std::string::npos) << first << "\n" << summary.out;
    const Shell tsv(dir, std::string(KESTROVA_SUMMARY_BIN) + " --tsv nya1.gof");
    std::vector<std::string> heads, g08;
    for (const std::string& l : Lines(tsv.out)) {
        std::vector<std::string> cells;
        std::istringstream in(l);
        for (std::string c; std::getline(in, c, '\t');) cells.push_back(c);
        if (heads.empty()) heads = cells;
        if (cells.size() > 1 && cells[1] == "G08") g08 = cells;
    }
    ASSERT_EQ(g08.size(), heads.size()) << tsv.out;
    auto cell = [&](const std::string& head) {
        for (std::size_t i = 0; i < heads.size(); ++i)
            if (heads[i] == head) return g08[i];
        return std::string("(no column " + head + ")");
    };
    EXPECT_EQ(cell("expected"), std::to_string(above));
    EXPECT_EQ(cell("above"), std::to_string(above));
    EXPECT_EQ(cell("observed_above"), std::to_string(rows));
    // the satellite rises through 10-20 degrees: values of MC1 (MP1[C]) in that bin
    const std::string bin = cell("MP1[C]_el10-20_n");
    EXPECT_TRUE(!bin.empty() && bin.find_first_not_of("0123456789") == std::string::npos &&
                std::stol(bin) > 0)
        << bin;

    const std::string label = "Median completeness above the cut-off: GPS ";
    const std::size_t at = summary.out.find(label);
    ASSERT_NE(at, std::string::npos) << summary.out;
    const double median = std::atof(summary.out.c_str() + at + label.size());
    EXPECT_GE(median, 80);
    EXPECT_LE(median, 100);
}
