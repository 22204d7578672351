// SPDX-License-Identifier: BSD-2-Clause
// Complete runs with navigation files: the angles and the cut-off in the listing, the receiver
// position they are seen from, the GLONASS channels the navigation records give, and the options
// that cannot work refused.
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/ToolRun.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Shared = KESTROVA_SHARED_DATA;
const std::string Nya = Shared + "/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz";
const std::string NyaNav = " -n" + Shared + "/NYA100NOR_S_20241240000_01D_GN.rnx.gz -n" + Shared +
                           "/NYA100NOR_S_20241240000_01D_EN.rnx.gz -n" + Shared +
                           "/NYA100NOR_S_20241240000_01D_CN.rnx.gz";
const std::string Delf = Shared + "/delf0010.21o";

#define SKIP_WITHOUT_SHARED_DATA()                                                                 \
    if (!fs::is_directory(Shared)) GTEST_SKIP() << Shared << " is absent"

bool IsRow(const std::string& l) { return !l.empty() && l[0] != '#'; }

std::vector<std::string> Rows(const std::string& gof)
{
    std::vector<std::string> rows;
    for (const std::string& l : Lines(gof))
        if (IsRow(l)) rows.push_back(l);
    return rows;
}

// The words of a row: date, time, MJD day, seconds, satellite, then per column its value and
// two flags.
std::vector<std::string> Words(const std::string& row)
{
    std::istringstream in(row);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

// The value of column c (0: the first after the satellite) of a row; NAN where missing.
double Value(const std::string& row, std::size_t c)
{
    const std::vector<std::string> w = Words(row);
    const std::size_t at = 5 + 3 * c;
    if (at >= w.size() || w[at].find('*') != std::string::npos) return NAN;
    return std::stod(w[at]);
}

std::string HeaderLine(const std::string& gof, const std::string& label)
{
    for (const std::string& l : Lines(gof))
        if (l.rfind(label, 0) == 0) return l;
    return "(no line " + label + ")";
}

// The three numbers of an "APPROX POSITION XYZ" line.
std::vector<double> HeaderPosition(const std::string& header)
{
    const std::size_t at = header.find("APPROX POSITION XYZ");
    const std::size_t start = header.rfind('\n', at) + 1;
    std::istringstream in(header.substr(start, at - start));
    std::vector<double> xyz(3);
    in >> xyz[0] >> xyz[1] >> xyz[2];
    return xyz;
}

// "X Y Z" of the "#Receiver XYZ:" line.
std::vector<double> ListedPosition(const std::string& gof)
{
    std::istringstream in(HeaderLine(gof, "#Receiver XYZ:").substr(21));
    std::vector<double> xyz(3);
    in >> xyz[0] >> xyz[1] >> xyz[2];
    return xyz;
}

// L4 in metres of a GLONASS satellite on channel k from its L1 and L2 in cycles.
double GlonassL4(double l1, double l2, int k)
{
    const double c = 299792458.0;
    return c / ((1602.0 + 0.5625 * k) * 1e6) * l1 - c / ((1246.0 + 0.4375 * k) * 1e6) * l2;
}

} // namespace

// The multi-GNSS day with its GPS, Galileo and BeiDou orbits: every row has angles in range or
// none, each system has rows with angles, the settings header names what was used, and the
// cut-off leaves out exactly the rows below it (rows without angles stay).
TEST(NavRun, AnglesAndCutOffOnAMultiGnssDay)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const ToolRun all(dir, "all", "-o" + Nya + " -cGEC -lC1:AZ:EL:" + NyaNav);
    const ToolRun cut(dir, "cut", "-o" + Nya + " -cGEC -lC1:AZ:EL: -k10" + NyaNav);
    const ToolRun horizon(dir, "horizon", "-o" + Nya + " -cGEC -lC1:AZ:EL: -k0" + NyaNav);
    ASSERT_EQ(all.status, 0) << all.out << all.err;
    ASSERT_EQ(cut.status, 0) << cut.out << cut.err;
    ASSERT_EQ(horizon.status, 0) << horizon.out << horizon.err;

    const Shell header(dir, "gzip -dc " + Nya + " | head -30");
    const std::vector<double> xyz = HeaderPosition(header.out);
    char position[96];
    std::snprintf(position, sizeof position, "#Receiver XYZ:       %.3f %.3f %.3f", xyz[0], xyz[1],
                  xyz[2]);
    EXPECT_EQ(HeaderLine(all.gof, "#Receiver XYZ:"),
              std::string(position) + "  (from RINEX header)");
    EXPECT_EQ(HeaderLine(all.gof, "#Elevation cut-off:"), "#Elevation cut-off:  NONE");
    EXPECT_EQ(HeaderLine(cut.gof, "#Elevation cut-off:"), "#Elevation cut-off:  10.000");
    EXPECT_NE(all.gof.find("#NAV file:           " + Shared +
                           "/NYA100NOR_S_20241240000_01D_GN.rnx.gz\n#NAV file:           " +
                           Shared + "/NYA100NOR_S_20241240000_01D_EN.rnx.gz\n"),
              std::string::npos);
    EXPECT_NE(all.gof.find("#Observations:       C1[+] AZ[+] EL[+]\n"), std::string::npos);

    std::vector<std::string> expectedCut, aboveHorizon;
    std::string systemsWithAngles;
    for (const std::string& row : Rows(all.gof)) {
        const double az = Value(row, 1), el = Value(row, 2);
        ASSERT_EQ(std::isnan(az), std::isnan(el)) << row;
        if (!std::isnan(el)) {
            EXPECT_TRUE(az >= 0 && az < 360 && el >= -90 && el <= 90) << row;
            const char sys = Words(row)[4][0];
            if (systemsWithAngles.find(sys) == std::string::npos) systemsWithAngles += sys;
        }
        if (std::isnan(el) || el >= 10) expectedCut.push_back(row);
        if (std::isnan(el) || el >= 0) aboveHorizon.push_back(row);
    }
    EXPECT_EQ(systemsWithAngles, "GEC");
    EXPECT_LT(expectedCut.size(), Rows(all.gof).size());
    EXPECT_EQ(Rows(cut.gof), expectedCut);
    // 0 is a cut-off of its own: the rows below the horizon go
    EXPECT_EQ(HeaderLine(horizon.gof, "#Elevation cut-off:"), "#Elevation cut-off:  0.000");
    EXPECT_LT(aboveHorizon.size(), Rows(all.gof).size());
    EXPECT_EQ(Rows(horizon.gof), aboveHorizon);
}

// Without the header's position the codes give one, within metres of it (3.4 m on this day; the
// Earth's rotation during the signal's travel turned the wrong way puts it 15 m off); -w
// overrides both.
TEST(NavRun, ReceiverPositionFromTheCodesOrTheOption)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const Shell blanked(dir,
                        "gzip -dc " + Nya +
                            " | sed 's/^.*APPROX POSITION XYZ/        0.0000        0.0000"
                            "        0.0000                  APPROX POSITION XYZ/'",
                        "blank.crx");
    const std::string blank = (dir / "blank.crx").string();
    const ToolRun spp(dir, "spp", "-o" + blank + " -cGE -lEL: -v" + NyaNav);
    ASSERT_EQ(spp.status, 0) << spp.out << spp.err;
    EXPECT_NE(spp.gof.find("  (single-point position)\n"), std::string::npos);
    const Shell header(dir, "gzip -dc " + Nya + " | head -30");
    const std::vector<double> truth = HeaderPosition(header.out);
    const std::vector<double> found = ListedPosition(spp.gof);
    EXPECT_LT(std::hypot(found[0] - truth[0], found[1] - truth[1], found[2] - truth[2]), 5);

    const ToolRun given(dir, "given",
                        "-o" + blank + " -cGE -lEL: -w1202434.5,252632.5,6237772.5" + NyaNav);
    EXPECT_EQ(HeaderLine(given.gof, "#Receiver XYZ:"),
              "#Receiver XYZ:       1202434.500 252632.500 6237772.500  (manually set)");
}

// A RINEX 2 file without channels lists its GLONASS satellites with the channels of the
// installed table, or of the navigation records where they give them; a channel table's own
// entries come first, and a slot the table lacks is taken from the navigation records instead of
// channel 0. The program without an installed table leaves GLONASS out, as it always did.
TEST(NavRun, GlonassChannelsFromNavigationRecords)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string nav = " -n" + Shared + "/dlf10010.21g";
    const std::string installed =
        (fs::path(KESTROVA_BIN).parent_path() / "share/kestrova/glonass-channels.txt")
            .lexically_normal()
            .string();
    const ToolRun byTable(dir, "bytable", "-o" + Delf + " -cR -lL1:L2:L4: -v");
    ASSERT_EQ(byTable.status, 0) << byTable.err;
    EXPECT_EQ(HeaderLine(byTable.gof, "#GLN FREQ CHN file:"),
              "#GLN FREQ CHN file:  " + installed + " (installed table)");
    EXPECT_NE(byTable.err.find(" SLOTS TAKEN FROM THE INSTALLED TABLE " + installed +
                               " - NO CHANNEL FILE [-gf], RINEX HEADER OR NAVIGATION FILE GIVES "
                               "THEM! ####"),
              std::string::npos)
        << byTable.err;
    // the table: R01 +1, R03 +5, R16 -1
    EXPECT_NE(byTable.out.find("GLONASS R01 FREQUENCY CHANNEL 1 FROM INSTALLED TABLE"),
              std::string::npos);
    EXPECT_NE(byTable.out.find("GLONASS R16 FREQUENCY CHANNEL -1 FROM INSTALLED TABLE"),
              std::string::npos);

    // the same program in a folder without a table (skipped where the prefix it was built for
    // holds one)
    if (!fs::exists(KESTROVA_INSTALLED_TABLE)) {
        fs::create_directories(dir / "alone" / "bin");
        fs::copy_file(KESTROVA_BIN, dir / "alone" / "bin" / "kestrova");
        const ToolRun without(dir, "without", "-o" + Delf + " -cR -lL1:L2:L4:", "", "",
                              (dir / "alone" / "bin" / "kestrova").string());
        EXPECT_NE(without.err.find("WITHOUT FREQUENCY CHANNEL FILE (NOT USING GLONASS)"),
                  std::string::npos);
        EXPECT_EQ(without.err.find("INSTALLED TABLE"), std::string::npos);
        EXPECT_EQ(Rows(without.gof).size(), 0u);
        EXPECT_EQ(HeaderLine(without.gof, "#GLN FREQ CHN file:"), "(no line #GLN FREQ CHN file:)");
    }

    // R01 on channel 1 and R03 on channel 5 in the navigation file; the slots it lacks from the
    // installed table
    const ToolRun fromNav(dir, "nav", "-o" + Delf + " -cR -lL1:L2:L4: -v" + nav);
    ASSERT_EQ(fromNav.status, 0) << fromNav.err;
    EXPECT_NE(fromNav.out.find("GLONASS R01 FREQUENCY CHANNEL 1 FROM NAVIGATION FILES"),
              std::string::npos);
    const std::string navLine = HeaderLine(fromNav.gof, "#GLN FREQ CHN file:");
    EXPECT_TRUE(navLine == "#GLN FREQ CHN file:  (navigation files)" ||
                navLine ==
                    "#GLN FREQ CHN file:  (navigation files), " + installed + " (installed table)")
        << navLine;
    EXPECT_EQ(navLine.find("installed") != std::string::npos,
              fromNav.out.find("FROM INSTALLED TABLE") != std::string::npos);

    std::ofstream(dir / "r01.glo") << "R01       2009 12 14 00 00 00                       -2\n";
    const ToolRun table(dir, "table",
                        "-o" + Delf + " -cR -lL1:L2:L4: -v -gf" + (dir / "r01.glo").string() + nav);
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("GLONASS R01 FREQUENCY CHANNEL -2 FROM CHANNEL FILE"),
              std::string::npos);
    EXPECT_NE(table.out.find("GLONASS R03 FREQUENCY CHANNEL 5 FROM NAVIGATION FILES"),
              std::string::npos);

    int checked = 0;
    for (const auto& [run, sat, channel] : {std::tuple{&byTable, "R01", 1},
                                            {&byTable, "R03", 5},
                                            {&fromNav, "R01", 1},
                                            {&fromNav, "R03", 5},
                                            {&table, "R01", -2},
                                            {&table, "R03", 5}})
        for (const std::string& row : Rows(run->gof)) {
            if (Words(row)[4] != sat || std::isnan(Value(row, 2))) continue;
            EXPECT_NEAR(Value(row, 2), GlonassL4(Value(row, 0), Value(row, 1), channel), 0.002)
                << row;
            checked++;
        }
    EXPECT_GT(checked, 200);
}

// Options that cannot work end the run with a framed error and status 1, before any result file;
// a navigation file that is none is refused by its reader.
TEST(NavRun, RefusesWhatCannotWork)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string nav = " -n" + Shared + "/cbw10010.21n.gz";
    const std::pair<std::string, std::string> cases[] = {
        {" -k10", "ELEVATION CUT-OFF [-k] NEEDS NAVIGATION FILES [-n] FOR THE ELEVATIONS!"},
        {nav + " -k90", "ELEVATION CUT-OFF [-k] MUST BE A NUMBER OF DEGREES FROM 0 TO BELOW 90"},
        {nav + " -k1O", "ELEVATION CUT-OFF [-k] MUST BE A NUMBER OF DEGREES FROM 0 TO BELOW 90"},
        {nav + " -w3924687.7,301132.8", "RECEIVER POSITION [-w] MUST BE X,Y,Z IN METRES"},
        {nav + " -w0,0,0", "RECEIVER POSITION [-w] MUST BE X,Y,Z IN METRES"},
        {" -n" + (dir / "none.21n").string(),
         "NAVIGATION FILE " + (dir / "none.21n").string() + " CAN NOT BE OPENED!"},
        {" -n" + Delf, "ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 NAVIGATION FILES ARE READ - " + Delf +
                           " IS RINEX 2.11 OBSERVATION DATA!"},
    };
    for (const auto& [words, error] : cases) {
        SCOPED_TRACE(words);
        const ToolRun r(dir, "refused", "-o" + Delf + " -cG -lC1:EL:" + words);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE((r.out + r.err).find(error), std::string::npos) << r.out << r.err;
        EXPECT_EQ(r.gof, "");
    }
}

// AZ and EL without navigation files are unavailable like any type the file lacks, and the
// header gains no line.
TEST(NavRun, WithoutNavigationFilesNothingChanges)
{
    SKIP_WITHOUT_SHARED_DATA();
    const ToolRun r(TestFolder(), "plain", "-o" + Delf + " -cG -lC1:AZ:EL:");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.gof.find("#Observations:       C1[+] AZ[-] EL[-]\n"), std::string::npos);
    EXPECT_EQ(r.gof.find("#NAV file:"), std::string::npos);
    EXPECT_EQ(r.gof.find("#Receiver XYZ:"), std::string::npos);
    EXPECT_EQ(Words(Rows(r.gof).front()).size(), 8u); // one column: C1
}

// Navigation data of another day: one warning for the system, naming both spans, and none per
// satellite; with -k no row could have an elevation, so the run fails and writes nothing.
TEST(NavRun, NavigationFilesOfAnotherDayAreSaidOnceAndACutOffFails)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string york = "-o" + Shared + "/york0440.15o -cG -lC1:EL:";
    const std::string frame = "\n#### Kestrova: Warning -> ";
    const std::string tail = " ####\n     Continuing Kestrova ... \n\n";
    // the GPS records of the other day, from the epochs of their record lines
    const ToolRun other(dir, "other",
                        york + " -n" + Shared + "/NYA100NOR_S_20241240000_01D_GN.rnx.gz");
    ASSERT_EQ(other.status, 0) << other.err;
    const Shell epochs(dir, "gzip -dc " + Shared +
                                "/NYA100NOR_S_20241240000_01D_GN.rnx.gz | grep '^G[0-9][0-9] ' | "
                                "cut -c5-23 | sort | sed -n '1p;$p' | "
                                "awk '{printf \"%s-%s-%s %s:%s:%s\\n\", $1, $2, $3, $4, $5, $6}'");
    const std::vector<std::string> span = Lines(epochs.out);
    ASSERT_EQ(span.size(), 2u) << epochs.out;
    EXPECT_EQ(other.err, frame +
                             "NO USABLE BROADCAST EPHEMERIS OF GPS IN THE OBSERVATION SPAN "
                             "2015-02-13 00:00:00 - 2015-02-13 23:59:30: ITS NAVIGATION RECORDS "
                             "SPAN " +
                             span[0] + " - " + span[1] +
                             " (GPS TIME) - NO AZ AND EL FOR ITS SATELLITES!" + tail);
    for (const std::string& row : Rows(other.gof)) ASSERT_TRUE(std::isnan(Value(row, 1))) << row;

    // a merged file without any GPS record; with -k10 an error and no result file
    const std::string merged = " -n" + Shared + "/BRDC00IGS_R_20201360000_01D_MN.rnx";
    const ToolRun none(dir, "none", york + merged);
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.err, frame +
                            "NO USABLE BROADCAST EPHEMERIS OF GPS IN THE OBSERVATION SPAN "
                            "2015-02-13 00:00:00 - 2015-02-13 23:59:30: THE NAVIGATION FILES HOLD "
                            "NO GPS RECORD - NO AZ AND EL FOR ITS SATELLITES!" +
                            tail);
    const ToolRun cut(dir, "cut", york + " -k10" + merged);
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.ends_with(
        "\n**** Kestrova: Error -> ELEVATION CUT-OFF [-k] CANNOT APPLY: NO ROW HAS AN ELEVATION "
        "(NO "
        "USABLE BROADCAST EPHEMERIS IN THE OBSERVATION SPAN) - NO RESULT FILE WRITTEN! ****\n     "
        "Exiting Kestrova ... \n\n"))
        << cut.err;
    EXPECT_FALSE(fs::exists(dir / "cut.gof"));
}

// GPS orbits alone for a G R E C day: one warning for each other system, none per satellite of
// them; the cut-off applies to the GPS rows and keeps the rows without angles.
TEST(NavRun, OrbitsOfOneSystemForAMultiGnssDay)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const ToolRun r(dir, "gps",
                    "-o" + Nya + " -cGREC -lC1:EL: -k10 -n" + Shared +
                        "/NYA100NOR_S_20241240000_01D_GN.rnx.gz");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string said;
    for (std::size_t at = r.err.find("#### Kestrova: Warning -> "); at != std::string::npos;
         at = r.err.find("#### Kestrova: Warning -> ", at + 1))
        said += r.err.substr(at + 26, r.err.find(" IN THE ", at) - at - 26) + "\n";
    EXPECT_EQ(said, "NO USABLE BROADCAST EPHEMERIS OF GLONASS\nNO USABLE BROADCAST EPHEMERIS OF "
                    "GALILEO\nNO USABLE BROADCAST EPHEMERIS OF BDS\n");
    EXPECT_NE(r.err.find("THE NAVIGATION FILES HOLD NO GALILEO RECORD"), std::string::npos);
    long gpsWithAngles = 0, othersWithout = 0;
    for (const std::string& row : Rows(r.gof)) {
        const double el = Value(row, 1);
        if (Words(row)[4][0] == 'G') {
            if (!std::isnan(el)) gpsWithAngles++;
            EXPECT_TRUE(std::isnan(el) || el >= 10) << row;
        } else {
            EXPECT_TRUE(std::isnan(el)) << row;
            othersWithout++;
        }
    }
    EXPECT_GT(gpsWithAngles, 1000);
    EXPECT_GT(othersWithout, 1000);
}
