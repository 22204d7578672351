// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/BroadcastNav.h"
#include "GNSS/TimeConverse.h"
#include "PROGINC/ProgramError.h"
#include "tests/unit/RealFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using testing::ExitedWithCode;
namespace fs = std::filesystem;

namespace {

const fs::path TestData = KESTROVA_TEST_DATA;
const fs::path SharedData = KESTROVA_SHARED_DATA;

double Gps(int y, int mo, int d, int h, int mi, double s)
{
    ymdhms t;
    t.Set(static_cast<unsigned short>(y), static_cast<unsigned short>(mo),
          static_cast<unsigned short>(d), static_cast<unsigned short>(h),
          static_cast<unsigned short>(mi), s);
    return GpsSeconds(ymdhms2mjd(t));
}

// Reads the files into nav and gives what the reader wrote on standard output (its frames).
std::string ReadAll(BroadcastNav& nav, const std::vector<fs::path>& files)
{
    testing::internal::CaptureStdout();
    for (const fs::path& f : files) nav.Read(f.c_str());
    return testing::internal::GetCapturedStdout();
}

const NavRecord* Find(const BroadcastNav& nav, char sys, int prn, double clockEpoch)
{
    for (const NavRecord& r : nav.Records())
        if (r.sat.sys == sys && r.sat.prn == prn && r.clockEpoch == clockEpoch) return &r;
    return nullptr;
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path Scratch(const std::string& name, const std::string& text)
{
    fs::path dir = fs::temp_directory_path() / ("kestrova_nav_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << text;
    return dir / name;
}

std::string WarningFrame(const std::string& text)
{
    return "\n#### BroadcastNav: Warning -> " + text +
           " ####\n     Continuing BroadcastNav ... \n\n";
}

#define SKIP_WITHOUT_SHARED_DATA()                                                                 \
    if (!fs::exists(SharedData / "cbw10010.21n.gz")) GTEST_SKIP() << "no shared data"

TEST(BroadcastNav, EveryFormOfTheSharedFilesGivesItsRecordsPerSystem)
{
    SKIP_WITHOUT_SHARED_DATA();
    // The numbers of records as the files hold them (RINEX 4: the EPH records of the legacy
    // messages, counted with grep).
    const struct {
        const char* file;
        long G, R, E, C, J, I, S;
    } files[] = {
        {"cbw10010.21n.gz", 187, 0, 0, 0, 0, 0, 0},
        {"dlf10010.21g", 0, 7, 0, 0, 0, 0, 0},
        {"NYA100NOR_S_20241240000_01D_GN.rnx.gz", 215, 0, 0, 0, 0, 0, 0},
        {"NYA100NOR_S_20241240000_01D_EN.rnx.gz", 0, 0, 711, 0, 0, 0, 0},
        {"NYA100NOR_S_20241240000_01D_CN.rnx.gz", 0, 0, 0, 194, 0, 0, 0},
        {"BRDC00IGS_R_20201360000_01D_MN.rnx", 0, 0, 4, 0, 0, 0, 0},
        {"BRD400DLR_S_20230710000_01D_MN.rnx.gz", 428, 1240, 5840, 1061, 96, 283, 9072},
    };
    for (const auto& f : files) {
        BroadcastNav nav;
        EXPECT_EQ(ReadAll(nav, {SharedData / f.file}), "") << f.file;
        const long expected[] = {f.G, f.R, f.E, f.C, f.J, f.I, f.S};
        for (int k = 0; k < 7; k++)
            EXPECT_EQ(nav.Count("GRECJIS"[k]), expected[k]) << f.file << " "
                                                            << "GRECJIS"[k];
    }
}

TEST(BroadcastNav, FieldsAndEpochsAreThoseTheFilesWrite)
{
    SKIP_WITHOUT_SHARED_DATA();
    BroadcastNav nav;
    ReadAll(nav, {SharedData / "cbw10010.21n.gz", SharedData / "dlf10010.21g",
                  SharedData / "NYA100NOR_S_20241240000_01D_CN.rnx.gz"});
    // " 1 21  1  1  2  0  0.0 7.874774746600D-04-5.911715561520D-12 ..."
    const NavRecord* g = Find(nav, 'G', 1, Gps(2021, 1, 1, 2, 0, 0));
    ASSERT_NE(g, nullptr);
    EXPECT_DOUBLE_EQ(g->v[NavField::ClockBias], 7.874774746600e-04);
    EXPECT_DOUBLE_EQ(g->v[NavField::SqrtA], 5.153693731310e+03);
    EXPECT_DOUBLE_EQ(g->v[NavField::Week], 2138);
    EXPECT_DOUBLE_EQ(g->refEpoch, Gps(2021, 1, 1, 2, 0, 0)); // toe 439200 s of week 2138
    // GLONASS in UTC, no LEAP SECONDS in the header: 18 s from the table
    // " 3 20 12 31 23 45  0.0 ...", X 1.997111425781D+04 km, channel 5
    const NavRecord* r = Find(nav, 'R', 3, Gps(2020, 12, 31, 23, 45, 18));
    ASSERT_NE(r, nullptr);
    EXPECT_DOUBLE_EQ(r->v[NavField::X], 1.997111425781e+04);
    EXPECT_DOUBLE_EQ(r->v[NavField::Channel], 5);
    // BeiDou time is 14 s behind: "C06 2024 05 03 00 00 00" is 00:00:14 GPS time
    const NavRecord* c = Find(nav, 'C', 6, Gps(2024, 5, 3, 0, 0, 14));
    ASSERT_NE(c, nullptr);
    EXPECT_DOUBLE_EQ(c->refEpoch, Gps(2024, 5, 3, 0, 0, 14));
    EXPECT_DOUBLE_EQ(c->v[NavField::Ecc], 4.157007322647e-03);
}

TEST(BroadcastNav, TimeSystemsOfTheHandWrittenFiles)
{
    BroadcastNav mixed3, mixed4;
    ReadAll(mixed3, {TestData / "nav_mixed3.rnx"});
    ReadAll(mixed4, {TestData / "nav_mixed4.rnx"});
    // the header's LEAP SECONDS (17 on purpose, the table says 18 in 2023) shift GLONASS
    EXPECT_EQ(mixed3.HeaderLeapSeconds(), 17);
    EXPECT_NE(Find(mixed3, 'R', 1, Gps(2023, 3, 12, 0, 15, 17)), nullptr);
    EXPECT_NE(Find(mixed4, 'R', 1, Gps(2023, 3, 12, 0, 15, 18)), nullptr);
    EXPECT_NE(Find(mixed3, 'C', 6, Gps(2023, 3, 12, 0, 0, 14)), nullptr);
    // GPS, Galileo, QZSS, NavIC and SBAS records are in GPS time as written
    EXPECT_NE(Find(mixed3, 'G', 5, Gps(2023, 3, 12, 2, 0, 0)), nullptr);
    EXPECT_NE(Find(mixed3, 'E', 11, Gps(2023, 3, 12, 1, 0, 0)), nullptr);
    EXPECT_NE(Find(mixed3, 'J', 2, Gps(2023, 3, 12, 1, 0, 0)), nullptr);
    EXPECT_NE(Find(mixed3, 'I', 2, Gps(2023, 3, 12, 0, 0, 0)), nullptr);
    EXPECT_NE(Find(mixed3, 'S', 22, Gps(2023, 3, 12, 0, 1, 4)), nullptr);
    EXPECT_EQ(LeapSecondsAt(Gps(2016, 12, 31, 23, 59, 59)), 17);
    EXPECT_EQ(LeapSecondsAt(Gps(2017, 1, 1, 0, 0, 0)), 18);
    EXPECT_EQ(LeapSecondsAt(Gps(1981, 6, 30, 0, 0, 0)), 0);
}

TEST(BroadcastNav, ExponentsBlankFieldsShortLinesAndCrlfAreRead)
{
    BroadcastNav nav;
    EXPECT_EQ(ReadAll(nav, {TestData / "nav_odd2.21n"}), "");
    ASSERT_EQ(nav.Count('G'), 3);
    const NavRecord* g = Find(nav, 'G', 1, Gps(2021, 1, 1, 2, 0, 0));
    ASSERT_NE(g, nullptr);
    EXPECT_DOUBLE_EQ(g->v[NavField::Ecc], 1.022440000000e-02); // lower-case d exponent
    EXPECT_DOUBLE_EQ(g->v[NavField::DataSources], 0);          // blank field
    EXPECT_DOUBLE_EQ(g->v[NavField::TransmitTime], 435600);    // last line of one field
    EXPECT_DOUBLE_EQ(g->v[NavField::FitInterval], 0);
}

TEST(BroadcastNav, TheNearestHealthyRecordWithinItsValidityServes)
{
    BroadcastNav nav;
    ReadAll(nav, {TestData / "nav_odd2.21n", TestData / "nav_mixed3.rnx"});
    const auto chosen = [&nav](char sys, int prn, double t) {
        const NavRecord* r = nav.Select(NavSat{sys, prn}, t);
        return r ? r->refEpoch : -1.0;
    };
    // GPS: the unhealthy 01:00 record is passed over for the healthy one at 02:00, which serves
    // 2 h each side (fit interval 0); G02's fit interval of 6 h gives 3 h
    EXPECT_EQ(chosen('G', 1, Gps(2021, 1, 1, 1, 10, 0)), Gps(2021, 1, 1, 2, 0, 0));
    EXPECT_EQ(chosen('G', 1, Gps(2021, 1, 1, 4, 0, 0)), Gps(2021, 1, 1, 2, 0, 0));
    EXPECT_EQ(chosen('G', 1, Gps(2021, 1, 1, 4, 0, 1)), -1);
    EXPECT_EQ(chosen('G', 2, Gps(2021, 1, 1, 6, 59, 0)), Gps(2021, 1, 1, 4, 0, 0));
    EXPECT_EQ(chosen('G', 2, Gps(2021, 1, 1, 7, 0, 1)), -1);
    // Galileo: the I/NAV record with E5b health bits is passed over; F/NAV looks at E5a only
    EXPECT_EQ(chosen('E', 11, Gps(2023, 3, 12, 1, 9, 0)), Gps(2023, 3, 12, 1, 0, 0));
    EXPECT_EQ(chosen('E', 12, Gps(2023, 3, 12, 5, 0, 0)), Gps(2023, 3, 12, 1, 0, 0));
    EXPECT_EQ(chosen('E', 12, Gps(2023, 3, 12, 5, 0, 1)), -1);
    // BeiDou 1 h, GLONASS 15 min, SBAS 10 min, QZSS 2 h (fit flag 0), all from GPS times
    EXPECT_EQ(chosen('C', 6, Gps(2023, 3, 12, 1, 0, 14)), Gps(2023, 3, 12, 0, 0, 14));
    EXPECT_EQ(chosen('C', 6, Gps(2023, 3, 12, 1, 0, 15)), -1);
    EXPECT_EQ(chosen('R', 1, Gps(2023, 3, 12, 0, 30, 17)), Gps(2023, 3, 12, 0, 15, 17));
    EXPECT_EQ(chosen('R', 1, Gps(2023, 3, 12, 0, 30, 18)), -1);
    EXPECT_EQ(chosen('S', 22, Gps(2023, 3, 12, 0, 11, 4)), Gps(2023, 3, 12, 0, 1, 4));
    EXPECT_EQ(chosen('S', 22, Gps(2023, 3, 12, 0, 11, 5)), -1);
    EXPECT_EQ(chosen('J', 2, Gps(2023, 3, 12, 3, 0, 0)), Gps(2023, 3, 12, 1, 0, 0));
    EXPECT_EQ(chosen('J', 2, Gps(2023, 3, 12, 3, 0, 1)), -1);
    EXPECT_EQ(chosen('G', 3, Gps(2021, 1, 1, 2, 0, 0)), -1);
}

TEST(BroadcastNav, Rinex4KeepsTheLegacyEphemeridesAndPassesOverTheRest)
{
    BroadcastNav nav;
    EXPECT_EQ(ReadAll(nav, {TestData / "nav_mixed4.rnx"}), "");
    // STO, EOP, ION and the CNAV ephemeris of G05 are passed over
    EXPECT_EQ(nav.Count(), 5);
    for (char sys : {'G', 'R', 'E', 'C', 'S'}) EXPECT_EQ(nav.Count(sys), 1) << sys;
}

TEST(BroadcastNav, GlonassChannelsComeFromTheSlotsRecords)
{
    BroadcastNav nav;
    ReadAll(nav, {TestData / "nav_mixed4.rnx"});
    int channel = 99;
    EXPECT_TRUE(nav.GlonassChannel(1, Gps(2023, 3, 12, 0, 0, 0), channel));
    EXPECT_EQ(channel, -4);
    EXPECT_FALSE(nav.GlonassChannel(2, Gps(2023, 3, 12, 0, 0, 0), channel));
    if (!fs::exists(SharedData / "dlf10010.21g")) return;
    BroadcastNav dlf;
    ReadAll(dlf, {SharedData / "dlf10010.21g"});
    // the files's "5.000000000000D+00", "4.000000000000D+00", "1.000000000000D+00"
    for (auto [slot, expected] : {std::pair{3, 5}, {17, 4}, {1, 1}}) {
        EXPECT_TRUE(dlf.GlonassChannel(slot, Gps(2021, 1, 1, 12, 0, 0), channel));
        EXPECT_EQ(channel, expected) << slot;
    }
}

// A record of the hand-written RINEX 3 file damaged in one way: the record is left out with one
// warning that says how many and where, the others are read.
TEST(BroadcastNavHostile, DamagedRecordsAreLeftOutWithOneFramedWarning)
{
    const std::string good = Slurp(TestData / "nav_mixed3.rnx");
    std::vector<std::string> lines;
    std::istringstream in(good);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    const auto joined = [](const std::vector<std::string>& ls) {
        std::string t;
        for (const std::string& l : ls) t += l + "\n";
        return t;
    };
    // line 4 is the first line of G05, lines 5-11 its other lines
    const struct {
        const char* name;
        int line;
        std::string text; // the new line 4 .. 11 content, or "" to remove it
        const char* reason;
    } cases[] = {
        {"cut", 11, "", "RECORD CUT SHORT"},
        {"letters", 6,
         "    -3.784900000000E-06 1.02244000XXXXE-02 1.076600000000E-06 5.153693700000E+03",
         "FIELD IS NO NUMBER"},
        {"nan", 6,
         "    -3.784900000000E-06                nan 1.076600000000E-06 5.153693700000E+03",
         "FIELD IS NO NUMBER"},
        {"month13", 4,
         "G05 2023 13 12 02 00 00 1.000000000000E-04-1.000000000000E-12 0.000000000000E+00",
         "NO VALID EPOCH"},
        {"system", 4,
         "X05 2023 03 12 02 00 00 1.000000000000E-04-1.000000000000E-12 0.000000000000E+00",
         "SYSTEM NOT KNOWN"},
        {"prn", 4,
         "G00 2023 03 12 02 00 00 1.000000000000E-04-1.000000000000E-12 0.000000000000E+00",
         "SATELLITE NUMBER OUT OF RANGE"},
        {"orbit", 6,
         "    -3.784900000000E-06 1.022440000000E+00 1.076600000000E-06 5.153693700000E+03",
         "ORBIT OUT OF RANGE"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> damaged = lines;
        if (c.text.empty())
            damaged.erase(damaged.begin() + c.line - 1);
        else
            damaged[c.line - 1] = c.text;
        const fs::path file = Scratch(std::string("damaged_") + c.name + ".rnx", joined(damaged));
        BroadcastNav nav;
        EXPECT_EQ(ReadAll(nav, {file}),
                  WarningFrame("NAVIGATION FILE " + file.string() +
                               ": 1 DAMAGED RECORD(S) LEFT OUT, THE FIRST AT LINE 4: " + c.reason +
                               "!"))
            << c.name;
        EXPECT_EQ(nav.Count(), 9) << c.name;
    }
    // RINEX 2: lines before the first record and a file of only damaged records
    const std::string odd2 = Slurp(TestData / "nav_odd2.21n");
    const std::size_t end = odd2.find("END OF HEADER\r\n") + 15;
    const fs::path stray =
        Scratch("stray.21n", odd2.substr(0, end) + "    1.000000000000D+00\r\n" + odd2.substr(end));
    BroadcastNav nav;
    EXPECT_EQ(ReadAll(nav, {stray}),
              WarningFrame(
                  "NAVIGATION FILE " + stray.string() +
                  ": 1 DAMAGED RECORD(S) LEFT OUT, THE FIRST AT LINE 4: LINE OUTSIDE A RECORD!"));
    EXPECT_EQ(nav.Count(), 3);
    const fs::path cutOnly =
        Scratch("cut_only.21n", odd2.substr(0, end) + " 1 21  1  1  2  0  0.0 1.0D-04\r\n");
    EXPECT_EQ(
        ReadAll(nav, {cutOnly}),
        WarningFrame("NAVIGATION FILE " + cutOnly.string() +
                     ": 1 DAMAGED RECORD(S) LEFT OUT, THE FIRST AT LINE 4: RECORD CUT SHORT!") +
            WarningFrame("NAVIGATION FILE " + cutOnly.string() + " GIVES NO RECORD!"));
}

TEST(BroadcastNavHostile, WhatIsNoNavigationFileStopsWithAFramedError)
{
    const std::string odd2 = Slurp(TestData / "nav_odd2.21n");
    const auto frame = [](const std::string& text) {
        return realfiles::ClassErrorFrame("BroadcastNav", text);
    };
    const fs::path missing = TestData / "no_such_file.21n";
    const fs::path empty = Scratch("empty.21n", "");
    const fs::path noEnd = Scratch("no_end.21n", odd2.substr(0, odd2.find("END OF HEADER") - 60));
    std::string v306 = odd2;
    v306.replace(5, 4, "3.06");
    const fs::path later = Scratch("v306.rnx", v306);
    const fs::path obs = TestData / "cli_minimal.10o";
    const struct {
        fs::path file;
        std::string frame;
    } cases[] = {
        {missing, frame("NAVIGATION FILE " + missing.string() + " CAN NOT BE OPENED!")},
        {empty, frame("NAVIGATION FILE " + empty.string() + " IS EMPTY!")},
        {noEnd, frame("NAVIGATION FILE " + noEnd.string() + " HAS NO END OF HEADER!")},
        {later, frame("ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 NAVIGATION FILES ARE READ - " +
                      later.string() + " IS RINEX 3.06 N: GPS NAV DATA!")},
        {obs, frame("ONLY RINEX 2, 3.00-3.05 AND 4.00-4.02 NAVIGATION FILES ARE READ - " +
                    obs.string() + " IS RINEX 2.11 OBSERVATION DATA!")},
    };
    for (const auto& c : cases)
        EXPECT_EXIT(
            {
                std::cout.rdbuf(std::cerr.rdbuf());
                BroadcastNav nav;
                nav.Read(c.file.c_str());
            },
            ExitedWithCode(1), testing::Eq(c.frame))
            << c.file;
}

} // namespace
