// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEX.h"
#include "PROGINC/ProgramError.h"
#include "tests/unit/FatalFrames.h"
#include "tests/unit/RealFiles.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
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

std::string L(const std::string& fields, const std::string& label)
{
    std::string line = fields;
    line.resize(60, ' ');
    return line + label + "\n";
}

std::string TypesRecord(const std::vector<std::string>& types)
{
    char count[8];
    std::snprintf(count, sizeof count, "%6zu", types.size());
    std::string text;
    std::string fields = count;
    for (std::size_t k = 0; k < types.size(); k++) {
        if (k > 0 && k % 9 == 0) {
            text += L(fields, "# / TYPES OF OBSERV");
            fields = "      ";
        }
        fields += "    " + types[k];
    }
    return text + L(fields, "# / TYPES OF OBSERV");
}

const std::string End = L("", "END OF HEADER");

double D(long double v) { return static_cast<double>(v); }

// The value written for observation k of record r.
double Value(long r, std::size_t k) { return 1000.0 * (r + 1) + static_cast<double>(k); }

// A file of the given types whose epochs, 30 s apart, hold the given numbers of satellites:
// G01, G02, ... in the first epoch and R01, R02, ... in the others.
std::string Generated(const std::vector<std::string>& types, const std::vector<int>& nsats,
                      const std::string& headerLines = "")
{
    std::string text = TypesRecord(types) + headerLines + End;
    long r = 0;
    for (std::size_t e = 0; e < nsats.size(); e++) {
        char line[100];
        std::snprintf(line, sizeof line, " 05  3 24 13 %2zu %2zu.0000000  0%3d", e / 2, e % 2 * 30,
                      nsats[e]);
        text += line;
        for (int p = 0; p < nsats[e]; p++) {
            if (p > 0 && p % 12 == 0) text.append("\n").append(32, ' ');
            std::snprintf(line, sizeof line, "%c%02d", e == 0 ? 'G' : 'R', p + 1);
            text += line;
        }
        text += "\n";
        for (int p = 0; p < nsats[e]; p++, r++) {
            for (std::size_t k = 0; k < types.size(); k++) {
                std::snprintf(line, sizeof line, "%14.3f  ", Value(r, k));
                text += line;
                if (k % 5 == 4 || k + 1 == types.size()) text += "\n";
            }
        }
    }
    return text;
}

class RINEXFile : public testing::Test {
  protected:
    fs::path dir;
    RINEXHeader rh;
    RINEXData rd{rh};
    RINEX rnx{rh, rd};

    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("kestrova_RINEX_" + std::to_string(getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& text)
    {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // A copy of a file of tests/data with CR LF line ends.
    std::string WithCRLF(const std::string& name)
    {
        std::ifstream in(TestData / name);
        std::string text, line;
        while (std::getline(in, line)) text += line + "\r\n";
        return Write("crlf_" + name, text);
    }
    void Read(const std::string& path)
    {
        rnx.SetFile(path.c_str());
        rnx.ReadFile();
    }
    static std::string Data(const std::string& name) { return (TestData / name).string(); }
};

// Reads in a death-test child: the frames of the classes go to standard error there.
void ReadFails(const std::string& path)
{
    std::cout.rdbuf(std::cerr.rdbuf());
    RINEXHeader rh;
    RINEXData rd(rh);
    RINEX rnx(rh, rd);
    rnx.SetFile(path.c_str());
    rnx.ReadFile();
}

// One read with its own objects: a fatal frame ends it with FatalExit instead of ending the test
// program, and what the readers wrote on either stream is kept.
struct CaughtRead {
    RINEXHeader rh;
    RINEXData rd{rh};
    RINEX rnx{rh, rd};
    bool stopped = false;
    std::string console;

    explicit CaughtRead(const std::string& path)
    {
        std::ostringstream text;
        std::streambuf* out = std::cout.rdbuf(text.rdbuf());
        std::streambuf* err = std::cerr.rdbuf(text.rdbuf());
        try {
            CatchFatal catching;
            rnx.SetFile(path.c_str());
            rnx.ReadFile();
        } catch (const FatalExit&) {
            stopped = true;
        }
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
        console = text.str();
    }
};

using realfiles::ClassErrorFrame;
constexpr auto Frame = ClassErrorFrame;

} // namespace

TEST_F(RINEXFile, MissingFileIsRefusedAtOnce)
{
    EXPECT_EXIT(
        ReadFails((dir / "absent.10o").string()), ExitedWithCode(1),
        testing::Eq("\n#### Kestrova: Warning -> CAN NOT OPEN \"" + (dir / "absent.10o").string() +
                    "\": No such file or directory! ####\n     Continuing Kestrova ... \n\n" +
                    Frame("RINEX", "RINEX FILE CAN NOT BE OPENED!")));
}

TEST_F(RINEXFile, FileWithoutEpochsIsRefused)
{
    std::string noEnd =
        Write("no_end.10o", TypesRecord({"C1"}) + " 05  3 24 13 10  0.0000000  0  1G05\n");
    EXPECT_EXIT(ReadFails(noEnd), ExitedWithCode(1),
                testing::Eq("\n#### RINEX: Warning -> RINEX FILE " + noEnd +
                            " HOLDS NO OBSERVATION EPOCH! ####\n     Continuing RINEX ... \n\n" +
                            Frame("RINEXData", "NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!")));
    std::string noSats =
        Write("no_sats.10o", TypesRecord({"C1"}) + End + " 05  3 24 13 10  0.0000000  0  0 \n");
    EXPECT_EXIT(
        ReadFails(noSats), ExitedWithCode(1),
        testing::Eq(Frame("RINEXData", "NUMBER OF OBSERVATIONS IN RINEX FILE NOT DETERMINED!")));
}

TEST_F(RINEXFile, BothPassesCountEveryRecordShape)
{
    struct Shape {
        std::vector<int> nsats;
        std::size_t ntypes;
    };
    // one line per 12 satellites and per 5 types, at and beyond each step
    const std::vector<Shape> shapes = {{{8, 9}, 4},   {{12}, 5},      {{13, 1}, 6}, {{24}, 10},
                                       {{25, 3}, 11}, {{28, 28}, 12}, {{2}, 30}};
    const std::vector<std::string> all = {
        "C1", "P1", "L1", "S1", "D1", "C2", "P2", "L2", "S2", "D2", "C5", "L5", "D5", "S5", "C6",
        "L6", "D6", "S6", "C7", "L7", "D7", "S7", "C8", "L8", "D8", "S8", "C3", "L3", "S3", "D3"};
    // types that stand last on an observation line or after a line step in these shapes
    const std::vector<std::pair<std::string, std::function<long double(long)>>> stored = {
        {"S1", [&](long r) { return rd.ShortTable(tS1)(r).obs; }},
        {"D1", [&](long r) { return rd.ShortTable(tD1)(r).obs; }},
        {"C2", [&](long r) { return rd.Table(tC2)(r).obs; }},
        {"D2", [&](long r) { return rd.ShortTable(tD2)(r).obs; }},
        {"C5", [&](long r) { return rd.Table(tC5)(r).obs; }},
        {"L5", [&](long r) { return rd.Table(tL5)(r).obs; }},
        {"S8", [&](long r) { return rd.ShortTable(tS8)(r).obs; }}};
    for (const Shape& shape : shapes) {
        std::vector<std::string> types(all.begin(), all.begin() + static_cast<long>(shape.ntypes));
        Read(Write("generated.10o", Generated(types, shape.nsats)));
        long records = 0;
        for (int n : shape.nsats) records += n;
        SCOPED_TRACE(testing::Message()
                     << shape.nsats[0] << " satellites, " << shape.ntypes << " types");
        EXPECT_EQ(rnx.nepoch, shape.nsats.size());
        EXPECT_EQ(rnx.nobsall, static_cast<unsigned long>(records));
        ASSERT_EQ(rd.GetNObs(), records);
        // the last satellite of the first epoch and the last record keep their numbers and values
        long r = shape.nsats[0] - 1;
        EXPECT_EQ(rd.sat(r), shape.nsats[0]);
        EXPECT_EQ(rd.sat(records - 1), (shape.nsats.size() == 1 ? 0 : 100) + shape.nsats.back());
        EXPECT_EQ(rd.Table(tC1)(r).obs, Value(r, 0));
        for (std::size_t k = 0; k < types.size(); k++)
            for (const auto& [type, value] : stored)
                if (type == types[k]) {
                    EXPECT_EQ(value(records - 1), Value(records - 1, k)) << type;
                }
        EXPECT_EQ(rd.nsat(rd.GetNEpoch() - 1), shape.nsats.back());
    }
}

TEST_F(RINEXFile, IntervalIsSnappedToWholeSeconds)
{
    for (auto [header, expected] :
         std::vector<std::pair<const char*, float>>{{"    30.004", 30.0f},
                                                    {"    29.996", 30.0f},
                                                    {"     1.004", 1.0f},
                                                    {"     0.500", 0.5f},
                                                    {"    29.990", 29.99f},
                                                    {"    30.006", 30.006f},
                                                    {"    29.994", 29.994f}}) {
        Read(Write("interval.10o", TypesRecord({"C1"}) + L(header, "INTERVAL") + End +
                                       " 05  3 24 13 10  0.0000000  0  1G05\n  20000000.000\n"));
        EXPECT_FLOAT_EQ(rnx.facts.interval, expected) << header;
    }
    // one epoch and no interval line: still undetermined
    Read(Write("interval.10o",
               TypesRecord({"C1"}) + End + " 05  3 24 13 10  0.0000000  0  1G05\n\n"));
    EXPECT_FLOAT_EQ(rnx.facts.interval, -1.0f);
}

TEST_F(RINEXFile, TimesOfTheDataStandBesideThoseOfTheHeader)
{
    Read(Write("times.10o",
               Generated({"C1"}, {1, 1, 1},
                         L("  2005     3    24    12     0    0.0000000", "TIME OF FIRST OBS") +
                             L("  2005     3    24    12     0    0.0000000     GLO",
                               "TIME OF LAST OBS"))));
    EXPECT_EQ(rnx.facts.first.GetSecond(), 13 * 3600 + 0.0L);
    EXPECT_EQ(rnx.facts.last.GetSecond(), 13 * 3600 + 60.0L);
    EXPECT_EQ(rnx.facts.firstTimeSystem, "GPS");
    EXPECT_EQ(rnx.facts.lastTimeSystem, "GLO");
    // the header keeps what the file said
    EXPECT_EQ(rh.obsfirst.GetSecond(), 12 * 3600 + 0.0L);
    EXPECT_STREQ(rh.obsfirstts, "");
    EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f);
}

TEST_F(RINEXFile, OnlyTheFirstEpochLineDecidesOnClockOffsets)
{
    std::string epoch69 = " 05  3 24 13 10  0.0000000  0  1G05";
    epoch69.resize(69, ' ');
    std::string epoch80 = epoch69.substr(0, 68) + "-0.000123456";
    std::string second =
        " 05  3 24 13 10 30.0000000  0  1G05" + std::string(33, ' ') + " 0.000234567\n";
    Read(Write("tc69.10o", TypesRecord({"C1"}) + End + epoch69 + "\n\n" + second + "\n"));
    EXPECT_FALSE(rd.IfTimeCorr);
    EXPECT_EQ(rd.TCorr.NRow(), 0);
    Read(Write("tc80.10o", TypesRecord({"C1"}) + End + epoch80 + "\n\n" + second + "\n"));
    ASSERT_TRUE(rd.IfTimeCorr);
    EXPECT_DOUBLE_EQ(static_cast<double>(rd.TCorr(0)), -0.000123456);
    EXPECT_DOUBLE_EQ(static_cast<double>(rd.TCorr(1)), 0.000234567);
}

TEST_F(RINEXFile, CopyC2ToP2OnlyWithoutP2)
{
    Read(Write("c2.10o", Generated({"C1", "C2"}, {3, 2})));
    ASSERT_FALSE(rh.Lists(tP2));
    rnx.copyC2toP2();
    EXPECT_TRUE(rd.Has(tP2));
    EXPECT_FALSE(rh.Lists(tP2));
    ASSERT_EQ(rd.Table(tP2).NRow(), 5);
    for (long r = 0; r < 5; r++) EXPECT_EQ(rd.Table(tP2)(r).obs, Value(r, 1)) << r;

    Read(Write("c2p2.10o", Generated({"C2", "P2"}, {2})));
    rnx.copyC2toP2();
    EXPECT_EQ(rd.Table(tP2)(1).obs, Value(1, 1));
}

// QZSS and BeiDou write C2 for signals of their own: without a GPS or GLONASS P2 or C2 nothing
// stands in for P2.
TEST_F(RINEXFile, OnlyTheC2OfSystemsWhosePairReadsP2StandsInForP2)
{
    Read(Data("every_system3.rnx"));
    ASSERT_TRUE(rh.Lists(tC2));
    EXPECT_EQ(rnx.facts.StandInFor(tP2), nullptr);
    rnx.copyC2toP2();
    EXPECT_FALSE(rd.Has(tP2));
    EXPECT_EQ(rd.Table(tP2).NRow(), 0);
}

TEST_F(RINEXFile, EventRecordsAreSkippedWithTheirSpecialRecords)
{
    for (const std::string& path : {Data("event_records.10o"), WithCRLF("event_records.10o")}) {
        Read(path);
        SCOPED_TRACE(path);
        // four observation epochs of 2, 2, 1 and 1 satellites; the events and their special
        // records (one of them shaped like an epoch line) are no epochs
        EXPECT_EQ(rnx.nepoch, 4U);
        EXPECT_EQ(rnx.nobsall, 6U);
        EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f);
        EXPECT_EQ(rd.epoch(1).GetSecond(), 30.0L);
        EXPECT_EQ(rd.flag(1), '0');
        EXPECT_EQ(rd.Table(tC1)(3).obs, 22000030.0L);
        EXPECT_EQ(rd.Table(tL1)(5).obs, 110000090.0L);
        ASSERT_EQ(rd.satList.NRow(), 2);
        EXPECT_EQ(rd.satList(1), 27);
        EXPECT_STREQ(rh.marker.name, "");
    }
}

TEST_F(RINEXFile, CarriageReturnsNeverReachAField)
{
    for (const std::string& path : {Data("short_obs_lines.10o"), WithCRLF("short_obs_lines.10o")}) {
        Read(path);
        SCOPED_TRACE(path);
        EXPECT_EQ(rnx.nepoch, 2U);
        EXPECT_DOUBLE_EQ(D(rd.Table(tC1)(0).obs), 23095489.677);
        EXPECT_EQ(rd.Table(tC1)(0).lli, 0);
        EXPECT_EQ(rd.Table(tC1)(0).ss, 0);
        EXPECT_EQ(rd.ShortTable(tS2)(0).obs, 42.0L);
        EXPECT_DOUBLE_EQ(D(rd.Table(tL1)(1).obs), 121367582.205);
        EXPECT_EQ(rd.Table(tL1)(1).lli, 0);
        EXPECT_TRUE(rd.ShortTable(tS2)(1).IsNull());
        EXPECT_EQ(rd.ShortTable(tS2)(2).obs, 43.0L);
        EXPECT_FALSE(rd.IfTimeCorr);
    }
}

TEST_F(RINEXFile, LongLinesAreReadWhole)
{
    Read(Data("long_lines.10o"));
    EXPECT_EQ(rh.nobs, 6);
    EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f);
    EXPECT_EQ(rnx.nepoch, 2U);
    ASSERT_TRUE(rd.IfTimeCorr);
    EXPECT_DOUBLE_EQ(static_cast<double>(rd.TCorr(0)), -0.123456789);
    EXPECT_DOUBLE_EQ(static_cast<double>(rd.TCorr(1)), -0.12345679);
    EXPECT_EQ(rd.Table(tC1)(0).lli, 1);
    EXPECT_EQ(rd.Table(tC1)(0).ss, 7);
    EXPECT_EQ(rd.ShortTable(tS1)(0).obs, 42.0L);
    // the characters after column 80 are cut: the next line's observation keeps its place
    EXPECT_EQ(rd.ShortTable(tS2)(0).obs, 40.0L);
    EXPECT_EQ(rd.ShortTable(tS2)(1).obs, 41.0L);
}

// The complete epochs before the cut are read; the cut one is named and left out.
TEST_F(RINEXFile, FileEndingInsideARecordKeepsTheEpochsBeforeIt)
{
    testing::internal::CaptureStdout();
    Read(Data("truncated_record.10o"));
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        "\n#### RINEX: Warning -> RINEX FILE ENDS INSIDE THE OBSERVATION RECORD OF EPOCH "
        "2010-03-05 00:00:30.0000000 - THE EPOCH IS LEFT OUT, THOSE BEFORE IT ARE READ! ####\n"
        "     Continuing RINEX ... \n\n");
    EXPECT_EQ(rnx.nepoch, 1U);
    EXPECT_EQ(rnx.nobsall, 1U);
    EXPECT_NEAR(static_cast<double>(rd.Table(tC1)(0).obs), 23095489.677, 1e-6);
    EXPECT_EQ(rnx.facts.last.GetSecond(), 0.0L);
}

TEST_F(RINEXFile, RealDailyFile)
{
    if (!fs::exists(SharedData)) GTEST_SKIP() << "no shared data";
    Read((SharedData / "york0440.15o").string());
    // Counted from the file itself:
    //   tr -d '\r' < york0440.15o | grep -E '^ [ 0-9][0-9]( [ 0-9][0-9]){4} [ 0-9][0-9]\.[0-9]{7}
    //   [016]' | awk '{n++; s += substr($0, 30, 3)} END {print n, s}'
    // gives 2880 observation epochs holding 27251 satellite records (the same pattern with flag 4
    // finds the 23 events); with 3 lines per record, the satellite-list continuation lines, the
    // 28 header lines and the 23 events of two lines the file's 84707 lines are all accounted for.
    EXPECT_EQ(rnx.nepoch, 2880U);
    EXPECT_EQ(rnx.nobsall, 27251U);
    EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f);
    EXPECT_EQ(rh.nobs, 11);
    EXPECT_EQ(rnx.facts.first.GetMJDay(), 57066U);
    EXPECT_EQ(rnx.facts.last.GetSecond(), 86370.0L);
    long records = 0;
    for (long e = 0; e < rd.GetNEpoch(); e++) {
        records += rd.nsat(e);
        EXPECT_EQ(rd.flag(e), '0');
        if (e > 0) {
            EXPECT_EQ(rd.epoch(e) - rd.epoch(e - 1), 30.0L) << e;
        }
    }
    EXPECT_EQ(records, 27251);
    // 01:00:00 follows the first event: its 8 satellites are all there
    EXPECT_EQ(rd.nsat(120), 8);
    // first record, G07: "  -5936986.22147  -4618665.92344                  24482102.1324"
    EXPECT_EQ(rd.sat(0), 7);
    EXPECT_DOUBLE_EQ(D(rd.Table(tL1)(0).obs), -5936986.221);
    EXPECT_EQ(rd.Table(tL1)(0).lli, 4);
    EXPECT_EQ(rd.Table(tL1)(0).ss, 7);
    EXPECT_TRUE(rd.Table(tL5)(0).IsNull());
    EXPECT_DOUBLE_EQ(D(rd.Table(tC1)(0).obs), 24482102.132);
    EXPECT_EQ(rd.Table(tC1)(0).lli, 4); // the line ends before the signal strength
    EXPECT_EQ(rd.Table(tC1)(0).ss, 0);
}

// Every real file is read, or refused with the frame its line of the table expects. A refusal
// ends only that file's read, so every file of the folder is checked.
TEST_F(RINEXFile, EveryRealFileIsRead)
{
    if (!fs::exists(SharedData)) GTEST_SKIP() << "no shared data";
    std::size_t known = 0;
    for (const fs::path& path : realfiles::Folder(SharedData)) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        CaughtRead r(path.string());
        const realfiles::RealFile* expected = realfiles::Find(name);
        if (expected == nullptr) {
            std::cout << "[ DECIDE   ] " << name
                      << " is not in tests/unit/RealFiles.h: " << (r.stopped ? "refused" : "read")
                      << "\n"
                      << r.console;
            if (r.stopped) {
                EXPECT_NE(r.console.find("Error -> "), std::string::npos) << r.console;
            }
            continue;
        }
        known++;
        if (!expected->refusal.empty()) {
            EXPECT_TRUE(r.stopped);
            EXPECT_EQ(r.console, expected->RefusalFor(path.string()));
            continue;
        }
        EXPECT_FALSE(r.stopped) << r.console;
        if (r.stopped) continue;
        long records = 0;
        for (long e = 0; e < r.rd.GetNEpoch(); e++) records += r.rd.nsat(e);
        EXPECT_EQ(records, r.rd.GetNObs());
        EXPECT_GT(r.rd.satList.NRow(), 0);
        EXPECT_NE(r.rnx.facts.firstTimeSystem, "");
    }
    EXPECT_EQ(known, realfiles::Expected().size())
        << "a file of the table is missing from " << SharedData;
}

TEST_F(RINEXFile, SmallRealFiles)
{
    if (!fs::exists(SharedData)) GTEST_SKIP() << "no shared data";
    // a 116-character epoch line with a clock offset
    Read((SharedData / "rinex2onesat.10o").string());
    EXPECT_EQ(rnx.nepoch, 2U);
    ASSERT_TRUE(rd.IfTimeCorr);
    EXPECT_DOUBLE_EQ(static_cast<double>(rd.TCorr(0)), -0.12345);
    EXPECT_EQ(rd.ShortTable(tS2)(1).obs, 80.0L);
    // no interval, one epoch; no time system
    Read((SharedData / "minimal2.10o").string());
    EXPECT_FLOAT_EQ(rnx.facts.interval, -1.0f);
    EXPECT_EQ(rnx.nobsall, 8U);
    Read((SharedData / "default_time_system2.10o").string());
    EXPECT_EQ(rnx.facts.firstTimeSystem, "GPS");
    // 6 types counted, 7 listed: the count decides
    Read((SharedData / "wrong_obs2_count.10o").string());
    EXPECT_EQ(rh.nobs, 6);
    EXPECT_EQ(rnx.nobsall, 8U);
    EXPECT_FALSE(rh.Lists(tS2));
    // epochs a few milliseconds off the 30 s grid
    for (const char* name : {"07590920.05o", "30400920.05o"}) {
        Read((SharedData / name).string());
        EXPECT_EQ(rnx.nepoch, 120U) << name;
        EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f) << name;
    }
}

// A RINEX 3 file of six systems: every satellite line is read under the two-letter types its
// system maps, with the scale factor applied, the event record passed over, and both passes
// counting the same records.
TEST_F(RINEXFile, Rinex3RecordsAreReadIntoTheTwoLetterTables)
{
    Read(Data("mixed_systems3.rnx"));
    EXPECT_EQ(rnx.nepoch, 2U);
    EXPECT_EQ(rnx.nobsall, 11U);
    std::vector<short> sats;
    for (long r = 0; r < rd.GetNObs(); r++) sats.push_back(rd.sat(r));
    // "G 5" and "R 7" are G05 and R07; J, C and S keep numbers of their own
    EXPECT_EQ(sats, (std::vector<short>{5, 12, 107, 101, 211, 501, 306, 420, 5, 107, 211}));
    // G05 at the first epoch: C1C, C1W as P1, L1C with its flags, S1C divided by 10, C2L as C2
    EXPECT_EQ(D(rd.Table(tC1)(0).obs), 21089446.109);
    EXPECT_EQ(rd.Table(tC1)(0).ss, 8);
    EXPECT_EQ(D(rd.Table(tP1)(0).obs), 21089445.801);
    EXPECT_EQ(D(rd.Table(tL1)(0).obs), 110825787.594);
    EXPECT_EQ(rd.Table(tL1)(0).lli, 1);
    EXPECT_DOUBLE_EQ(D(rd.ShortTable(tS1)(0).obs), 50.55);
    EXPECT_DOUBLE_EQ(D(rd.ShortTable(tS2)(0).obs), 46.8);
    EXPECT_EQ(D(rd.Table(tC2)(0).obs), 21089439.100);
    EXPECT_EQ(D(rd.Table(tP2)(0).obs), 21089439.379);
    EXPECT_EQ(D(rd.Table(tL2)(0).obs), 86357727.244);
    // G12 has no C2L field: its line ends before
    EXPECT_TRUE(rd.Table(tC2)(1).IsNull());
    // R07: C2P as P2; E11: C1X as C1, C7Q and L7Q; J01 C1C; BeiDou is read as nothing
    EXPECT_EQ(D(rd.Table(tP2)(2).obs), 20655587.501);
    EXPECT_TRUE(rd.Table(tP1)(2).IsNull());
    EXPECT_EQ(D(rd.Table(tC1)(4).obs), 23873695.303);
    EXPECT_EQ(D(rd.Table(tC7)(4).obs), 23873691.583);
    EXPECT_EQ(D(rd.Table(tL7)(4).obs), 96129464.102);
    EXPECT_EQ(D(rd.Table(tC5)(4).obs), 23873693.606);
    EXPECT_EQ(D(rd.Table(tC1)(5).obs), 38189841.297);
    EXPECT_TRUE(rd.Table(tC1)(6).IsNull() && rd.Table(tL1)(6).IsNull());
    EXPECT_EQ(D(rd.Table(tL1)(7).obs), 200760871.007);
    // the second epoch after the event record
    EXPECT_EQ(rd.nsat(1), 3);
    EXPECT_EQ(D(rd.Table(tC1)(8).obs), 21085050.586);
    EXPECT_DOUBLE_EQ(D(rd.ShortTable(tS2)(8).obs), 45.05);
    ASSERT_TRUE(rd.IfTimeCorr);
    EXPECT_DOUBLE_EQ(D(rd.TCorr(0)), -0.000123456789);
    EXPECT_DOUBLE_EQ(D(rd.TCorr(1)), -0.000123456999);
    EXPECT_FLOAT_EQ(rnx.facts.interval, 30.0f);
    EXPECT_EQ(rnx.facts.firstTimeSystem, "GLO");
    EXPECT_EQ(rd.satList.NRow(), 8);
    // the GLONASS channels of the header, without blanks between the entries
    ASSERT_EQ(rh.glonassSlots.size(), 2u);
    EXPECT_EQ(rh.glonassSlots[1].sat, 107);
    EXPECT_EQ(rh.glonassSlots[1].channel, 6);
}

// The real RINEX 3 files: the file's own numbers for records of each system.
TEST_F(RINEXFile, RealRinex3Files)
{
    if (!fs::exists(SharedData)) GTEST_SKIP() << "no shared data";
    auto record = [&](long e, short s) {
        long first = 0;
        for (long i = 0; i < e; i++) first += rd.nsat(i);
        for (long k = first; k < first + rd.nsat(e); k++)
            if (rd.sat(k) == s) return k;
        return -1L;
    };
    Read((SharedData / "ABMF00GLP_R_20181330000_01D_30S_MO.rnx").string());
    EXPECT_EQ(rnx.nepoch, 3U);
    EXPECT_EQ(rnx.nobsall, 45U);
    long k = record(0, 2); // G02: C1C L1C D1C S1C C2W L2W D2W S2W
    EXPECT_EQ(D(rd.Table(tC1)(k).obs), 22512246.527);
    EXPECT_EQ(D(rd.Table(tL1)(k).obs), 118302644.408);
    EXPECT_EQ(rd.Table(tL1)(k).ss, 7);
    EXPECT_EQ(D(rd.ShortTable(tD1)(k).obs), 1237.713);
    EXPECT_EQ(D(rd.Table(tP2)(k).obs), 22512236.717);
    EXPECT_EQ(D(rd.ShortTable(tS2)(k).obs), 43.75);
    k = record(0, 17); // G17: blank phases
    EXPECT_TRUE(rd.Table(tL1)(k).IsNull());
    EXPECT_EQ(D(rd.ShortTable(tD2)(k).obs), -1629.818);
    k = record(2, 124); // R24: C2P as P2
    EXPECT_EQ(D(rd.Table(tP2)(k).obs), 23170650.208);
    EXPECT_EQ(D(rd.Table(tL2)(k).obs), 96369683.032);
    k = record(2, 204); // E04: C5Q, C7Q, L8Q
    EXPECT_EQ(D(rd.Table(tC5)(k).obs), 23873693.606);
    EXPECT_EQ(D(rd.Table(tC7)(k).obs), 23873691.583);
    EXPECT_EQ(D(rd.Table(tL7)(k).obs), 96129464.102);
    k = record(2, 431); // S31: a Doppler written ".947"
    EXPECT_DOUBLE_EQ(D(rd.ShortTable(tD1)(k).obs), 0.947);
    EXPECT_EQ(rh.glonassSlots.size(), 24u);

    Read((SharedData / "demo3.10o").string());
    EXPECT_EQ(rnx.nepoch, 2U);
    k = record(0, 7); // "G 7": L1C L2P C1P C2P C1C S1P S2P
    EXPECT_EQ(D(rd.Table(tL1)(k).obs), 118767195.326);
    EXPECT_EQ(D(rd.Table(tP1)(k).obs), 22600658.277);
    EXPECT_EQ(D(rd.Table(tC1)(k).obs), 22227666.760);
    EXPECT_EQ(D(rd.ShortTable(tS2)(k).obs), 32.0);
    k = record(1, 119); // R19: L1C C1C S1C
    EXPECT_EQ(D(rd.Table(tC1)(k).obs), 24597748.629);
    EXPECT_EQ(D(rd.ShortTable(tS1)(k).obs), 47.0);
    ASSERT_EQ(rh.glonassSlots.size(), 3u);
    EXPECT_EQ(rh.glonassSlots[0].channel, -5);
    EXPECT_EQ(rh.glonassSlots[1].channel, 3);
    EXPECT_EQ(rh.glonassSlots[2].channel, -6);

    // the damaged epoch line "> 23 29" is passed over between the two epochs
    Read((SharedData / "junk_time_obs3.10o").string());
    EXPECT_EQ(rnx.nepoch, 2U);
    EXPECT_EQ(rnx.nobsall, 4U);
    EXPECT_EQ(D(rd.Table(tC1)(2).obs), 25334766.309);
    Read((SharedData / "default_time_system3.10o").string());
    EXPECT_EQ(rnx.facts.firstTimeSystem, "GPS");
    EXPECT_EQ(rnx.nobsall, 8U);
}
