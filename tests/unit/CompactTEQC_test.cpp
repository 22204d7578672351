// SPDX-License-Identifier: BSD-2-Clause
#include "teqc/CompactTEQC.h"
#include "tests/unit/Compact2Writer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

std::string Data(const char* name) { return std::string(KESTROVA_TEST_DATA) + "/" + name; }

// Reads the file and gives what the reader wrote on standard error.
std::string Read(CompactTEQC& mp, const std::string& file)
{
    testing::internal::CaptureStderr();
    mp.SetFile(file.c_str());
    mp.ReadFile();
    return testing::internal::GetCapturedStderr();
}

template <class T> std::vector<long> Column(const matrix<T>& m)
{
    std::vector<long> v;
    for (long i = 0; i < m.NRow(); i++) v.push_back(static_cast<long>(m(i)));
    return v;
}

std::string ErrorFrame(const std::string& text)
{
    return "\n**** Kestrova: Error -> " + text + " ****\n     Exiting Kestrova ... \n\n";
}

} // namespace

TEST(CompactTEQC, CarriedSatelliteListAndGapRecord)
{
    CompactTEQC mp;
    EXPECT_EQ(Read(mp, Data("carried_list.mp1")), "");
    EXPECT_EQ(mp.version, 2);
    EXPECT_EQ(mp.interval, 30.0f);
    EXPECT_EQ(mp.NEph(), 3);
    EXPECT_EQ(mp.NObs(), 8);
    EXPECT_EQ(Column(mp.nsat), (std::vector<long>{3, 3, 2}));
    EXPECT_EQ(Column(mp.sat), (std::vector<long>{5, 12, 107, 5, 12, 107, 211, 5}));
    EXPECT_EQ(Column(mp.satList), (std::vector<long>{5, 12, 107, 211}));
    // the record with count 0 takes a sampling step of its own
    std::vector<long double> seconds{43200, 43230, 43290};
    for (long e = 0; e < 3; e++) {
        EXPECT_EQ(mp.eph(e).GetMJDay(), 58853u);
        EXPECT_NEAR(static_cast<double>(mp.eph(e).GetSecond()), static_cast<double>(seconds[e]),
                    1e-6);
    }
    std::vector<double> values{0.125, -0.25, 1.5, 0.375, 0.5, -0.75, -1.125, 2.0};
    for (long k = 0; k < 8; k++) {
        EXPECT_EQ(mp.obs(k), values[k]);
        EXPECT_FALSE(mp.slip(k));
        EXPECT_TRUE(mp.iobs(k));
    }
}

TEST(CompactTEQC, BlankTensDigitAndSlipMark)
{
    CompactTEQC mp;
    Read(mp, Data("blank_tens_slip.mp1"));
    EXPECT_EQ(Column(mp.sat), (std::vector<long>{5, 107}));
    EXPECT_TRUE(mp.slip(0));
    EXPECT_FALSE(mp.slip(1));
    EXPECT_EQ(mp.obs(0), 0.25);
    EXPECT_EQ(mp.obs(1), 1.0);
}

TEST(CompactTEQC, NoRecordsAndFirstNegativeCount)
{
    CompactTEQC none;
    Read(none, Data("no_records.mp1"));
    EXPECT_EQ(none.NEph(), 0);
    EXPECT_EQ(none.NObs(), 0);
    EXPECT_EQ(none.satList.NRow(), 0);

    // no earlier satellite list: an epoch without values, whose values line is passed over
    CompactTEQC neg;
    Read(neg, Data("first_negative.mp1"));
    EXPECT_EQ(neg.NEph(), 2);
    EXPECT_EQ(neg.NObs(), 1);
    EXPECT_EQ(Column(neg.nsat), (std::vector<long>{0, 1}));
    EXPECT_EQ(Column(neg.sat), (std::vector<long>{7}));
    EXPECT_NEAR(static_cast<double>(neg.eph(1).GetSecond()), 15.0, 1e-6);
}

TEST(CompactTEQC, SystemsApartCarriageReturnsAndCountThatIsNoNumber)
{
    std::filesystem::path dir = TestFolder();
    std::string file =
        WriteText(dir / "crlf.mp1", "COMPACT2\r\nT_SAMP 30\r\nSTART_TIME_MJD 58853\r\n"
                                    "  4 C05 S20 J01 I03\r\n"
                                    "     0.125     0.250     0.375     0.500\r\n"
                                    "\r\n -4\r\n     1.000     2.000     3.000     4.000\r\n"
                                    "END OF DATA\r\n  1 G07\r\n     0.500\r\n");
    CompactTEQC mp;
    EXPECT_EQ(Read(mp, file), "");
    // the blank line before a count is passed over; the data ends at the count that is no number
    EXPECT_EQ(mp.NEph(), 2);
    EXPECT_EQ(Column(mp.sat), (std::vector<long>{305, 420, 501, 603, 305, 420, 501, 603}));
    EXPECT_EQ(Column(mp.satList), (std::vector<long>{305, 420, 501, 603}));
    EXPECT_EQ(mp.obs(0), 0.125);
    EXPECT_EQ(mp.obs(7), 4.0);
}

TEST(CompactTEQC, ValuesThatCannotBeAppliedAreMarkedAndWarnedOnce)
{
    std::filesystem::path dir = TestFolder();
    std::string file = WriteText(dir / "short.mp1", "COMPACT2\nT_SAMP 30\nSTART_TIME_MJD 58853\n"
                                                    "  3 G05 G12\n     0.125\n"
                                                    "  2 GX5 G07\n     1.000       nan\n");
    CompactTEQC mp;
    EXPECT_EQ(Read(mp, file),
              "\n#### Kestrova: Warning -> TEQC COMPACT FILE HAS MISSING OR UNREADABLE "
              "MULTIPATH VALUES, THEY ARE NOT REMOVED -> " +
                  file + " ####\n     Continuing Kestrova ... \n\n");
    // the count 3 takes the two identifiers its line holds
    EXPECT_EQ(Column(mp.nsat), (std::vector<long>{2, 2}));
    EXPECT_EQ(Column(mp.sat), (std::vector<long>{5, 12, 0, 7}));
    EXPECT_EQ(Column(mp.iobs), (std::vector<long>{1, 0, 0, 0}));
    EXPECT_EQ(mp.obs(3), 0.0);
    EXPECT_EQ(Column(mp.satList), (std::vector<long>{5, 7, 12}));
}

TEST(CompactTEQC, RecordsOfMoreThan25Satellites)
{
    std::vector<std::string> sats;
    for (int s = 1; s <= 32; s++) sats.push_back((s < 10 ? "G0" : "G") + std::to_string(s));
    std::string file =
        Compact2Writer(58853.0L, 30)
            .Series(2, sats,
                    [](long k, const std::string& s) { return k + std::stoi(s.substr(1)) / 8.0; })
            .Write(TestFolder() / "wide.mp1");
    CompactTEQC mp;
    EXPECT_EQ(Read(mp, file), "");
    EXPECT_EQ(mp.NObs(), 64);
    EXPECT_EQ(mp.sat(63), 32);
    EXPECT_EQ(mp.obs(63), 5.0);
}

TEST(CompactTEQCDeathTest, MissingFileAndHeaderLinesStopTheRun)
{
    auto readFile = [](const std::string& file) {
        CompactTEQC mp;
        mp.SetFile(file.c_str());
        mp.ReadFile();
    };
    EXPECT_EXIT(readFile(Data("no_such_file.mp1")), ExitedWithCode(1),
                Eq("\n#### Kestrova: Warning -> CAN NOT OPEN \"" + Data("no_such_file.mp1") +
                   "\": No such file or directory! ####\n     Continuing Kestrova ... \n\n" +
                   ErrorFrame("TEQC COMPACT FILE DOES NOT EXISTS!")));
    EXPECT_EXIT(readFile(Data("not_compact2.mp1")), ExitedWithCode(1),
                Eq(ErrorFrame("TEQC COMPACT FILE IS NOT WRITTEN IN VERSION COMPACT2!")));
    EXPECT_EXIT(readFile(Data("no_tsamp.mp1")), ExitedWithCode(1),
                Eq(ErrorFrame("TEQC COMPACT FILE HAS NO T_SAMP LINE!")));
    EXPECT_EXIT(
        readFile(Data("start_before_tsamp.mp1")), ExitedWithCode(1),
        Eq(ErrorFrame("TEQC COMPACT FILE HAS NO START_TIME_MJD LINE AFTER ITS T_SAMP LINE!")));
    std::string nan =
        WriteText(TestFolder() / "nan.mp1", "COMPACT2\nT_SAMP nan\nSTART_TIME_MJD 58853\n");
    EXPECT_EXIT(
        readFile(nan), ExitedWithCode(1),
        Eq(ErrorFrame("TEQC COMPACT FILE HAS NO VALID SAMPLING INTERVAL IN ITS T_SAMP LINE!")));
}
