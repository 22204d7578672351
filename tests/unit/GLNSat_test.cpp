// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/GLNSat.h"
#include "GNSS/TimeConverse.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <unistd.h>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

mjd At(unsigned short y, unsigned short mo, unsigned short d, unsigned short h, unsigned short mi,
       long double s)
{
    ymdhms t;
    t.Set(y, mo, d, h, mi, s);
    return ymdhms2mjd(t);
}

const std::string channelFile = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";

// An entry as channel files write it: slot at column 1, the epochs at columns 10 and 31 (blank
// for open-ended), the channel right-aligned in columns 51 to 53.
const std::string slot3 = "R03       2010 01 01 00 00 00  2010 12 31 23 59 59   4";
const std::string slot4 = "R04       2010 01 01 00 00 00                       -6";

// Tests that write their own channel files keep them in a temporary folder of their own.
class GLNSatFile : public testing::Test {
  protected:
    std::filesystem::path dir;
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("kestrova_glnsat_" + std::to_string(getpid()) + "_" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string WriteFile(const std::string& name, const std::string& text)
    {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

GLNSat Read(const std::string& path)
{
    GLNSat g;
    g.SetFile(path.c_str());
    g.ReadFile();
    return g;
}

TEST(GLNSat, DataLinesFillRowsInFileOrder)
{
    GLNSat g = Read(channelFile);
    // two comment lines, an empty line, a line starting with a blank: nine entries remain
    ASSERT_EQ(g.nsat, 9);
    ASSERT_EQ(g.sat.Length(), 9);
    EXPECT_EQ(g.sat(0), 101);
    EXPECT_EQ(g.sat(5), 110);
    EXPECT_EQ(g.FreqChannel(2), -7.0L);
    EXPECT_EQ(g.FreqChannel(4), -3.0L);
    mjd from = At(2009, 12, 14, 0, 0, 0);
    EXPECT_EQ(g.eph(0, 0).GetMJDay(), from.GetMJDay());
    mjd to = At(2010, 6, 30, 23, 59, 59);
    EXPECT_EQ(g.eph(1, 1).GetMJDay(), to.GetMJDay());
    EXPECT_EQ(g.eph(1, 1).GetSecond(), 86399.0L);
    EXPECT_EQ(g.eph(2, 1).GetMJDay(), g.lastEph.GetMJDay()); // open-ended
}

TEST(GLNSat, EpochsOnTheEndsOfASpanMatchIt)
{
    GLNSat g = Read(channelFile);
    // slot 5: channel 1 to the end of June 2010, -7 from July on
    EXPECT_EQ(g.GetFreqNum(105, At(2010, 1, 1, 0, 0, 0)), 1.0L);
    EXPECT_TRUE(g.GetIsGLNSat());
    EXPECT_EQ(g.GetFreqNum(105, At(2010, 6, 30, 23, 59, 59)), 1.0L);
    EXPECT_EQ(g.GetFreqNum(105, At(2010, 7, 1, 0, 0, 0)), -7.0L);
    EXPECT_EQ(g.GetFreqNum(105, At(2009, 12, 31, 23, 59, 59)), 0.0L);
    EXPECT_FALSE(g.GetIsGLNSat());
    // the explicit end of 2099 and an open-ended line both reach 2099-12-31 23:59:59
    EXPECT_EQ(g.GetFreqNum(101, At(2099, 12, 31, 23, 59, 59)), 1.0L);
    EXPECT_EQ(g.GetFreqNum(110, At(2099, 12, 31, 23, 59, 59)), -7.0L);
    EXPECT_TRUE(g.GetIsGLNSat());
    mjd after = g.lastEph;
    after += 1;
    EXPECT_EQ(g.GetFreqNum(110, after), 0.0L);
    EXPECT_FALSE(g.GetIsGLNSat());
}

TEST(GLNSat, FirstLineWinsWhereSpansOverlap)
{
    GLNSat g = Read(channelFile);
    EXPECT_EQ(g.GetFreqNum(107, At(2010, 8, 1, 12, 0, 0)), 5.0L);
    EXPECT_EQ(g.GetFreqNum(107, At(2011, 1, 1, 0, 0, 0)), -3.0L);
}

TEST(GLNSat, LineStartingWithABlankIsAComment)
{
    GLNSat g = Read(channelFile);
    EXPECT_EQ(g.GetFreqNum(109, At(2010, 3, 1, 0, 0, 0)), 0.0L);
    EXPECT_FALSE(g.GetIsGLNSat());
    EXPECT_EQ(g.GetFreqNum(101, At(2010, 3, 1, 0, 0, 0)), 1.0L);
    EXPECT_EQ(g.GetFreqNum(124, At(2010, 3, 1, 0, 0, 0)), 0.0L); // no line: the flag drops again
    EXPECT_FALSE(g.GetIsGLNSat());
}

TEST_F(GLNSatFile, OnlyCommentsGiveAnEmptyTable)
{
    std::string blankFirst = slot3;
    blankFirst[0] = ' ';
    GLNSat g =
        Read(WriteFile("only_comments.glo", "# slot  from  to  channel\n\n" + blankFirst + "\n"));
    EXPECT_EQ(g.nsat, 0);
    EXPECT_EQ(g.GetFreqNum(103, At(2010, 3, 1, 0, 0, 0)), 0.0L);
    EXPECT_FALSE(g.GetIsGLNSat());
}

// CR LF line ends: the empty line between the entries is still empty, and the CR never becomes
// a character of the channel field. A line longer than any fixed buffer still counts, and so does
// every line after it.
TEST_F(GLNSatFile, CarriageReturnsAndLongLinesAreRead)
{
    std::string longComment = "#" + std::string(700, '-');
    std::string longEntry = slot4 + std::string(600, ' ') + "extra";
    GLNSat g =
        Read(WriteFile("crlf_long.glo",
                       "# channels\r\n" + slot3 + "\r\n\r\n" + longComment + "\r\n" + longEntry +
                           "\r\n" + "R06       2010 01 01 00 00 00  2010 12 31 23 59 59   2\r\n"));
    ASSERT_EQ(g.nsat, 3);
    EXPECT_EQ(g.GetFreqNum(103, At(2010, 12, 31, 23, 59, 59)), 4.0L);
    EXPECT_EQ(g.GetFreqNum(104, At(2050, 1, 1, 0, 0, 0)), -6.0L);
    EXPECT_EQ(g.GetFreqNum(106, At(2010, 5, 1, 0, 0, 0)), 2.0L);
}

// 52 characters reach the first column of the channel; one fewer cannot hold it.
TEST_F(GLNSatFile, ShortDataLineStopsTheRunWithItsLineNumber)
{
    std::string exact = "R08       2010 01 01 00 00 00                      5";
    ASSERT_EQ(exact.size(), 52u);
    GLNSat g = Read(WriteFile("exact.glo", exact + "\n"));
    EXPECT_EQ(g.GetFreqNum(108, At(2011, 1, 1, 0, 0, 0)), 5.0L);

    std::string path =
        WriteFile("short.glo", "# channels\n" + slot3 + "\n" + exact.substr(0, 51) + "\n");
    EXPECT_EXIT(
        Read(path), ExitedWithCode(1),
        Eq("\n**** Kestrova: Error -> GLONASS FREQUENCY CHANNEL FILE LINE 3 IS TOO SHORT - AN "
           "ENTRY NEEDS 52 CHARACTERS! ****\n     Exiting Kestrova ... \n\n"));
    // an entry cut after its first epoch, CR LF ended: the CR does not make up the missing field
    path = WriteFile("short_crlf.glo", slot3.substr(0, 29) + std::string(22, ' ') + "\r\n");
    EXPECT_EXIT(Read(path), ExitedWithCode(1), "FILE LINE 1 IS TOO SHORT");
}

TEST_F(GLNSatFile, ImpossibleDateStopsTheRunWhileTheLineIsRead)
{
    std::string path =
        WriteFile("month13.glo", "R03       2010 13 01 00 00 00" + slot3.substr(29) + "\n");
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            Read(path);
        },
        ExitedWithCode(1),
        Eq("\n**** ymdhms: Error -> MONTH not valid ****\n     Exiting class ymdhms ... \n"));
}

TEST(GLNSat, MissingOrUnreadableFileStopsTheRun)
{
    GLNSat g;
    EXPECT_EXIT(g.SetFile("/nonexistent/channels.glo"), ExitedWithCode(1),
                Eq("\n#### Kestrova: Warning -> CAN NOT OPEN \"/nonexistent/channels.glo\": No "
                   "such file or directory! "
                   "####\n     Continuing Kestrova ... \n\n"
                   "\n**** Kestrova: Error -> GLONASS FREQUENCY CHANNEL FILE DOES NOT EXIST! ****\n"
                   "     Exiting Kestrova ... \n\n"));
    // the file vanished between setting the name and reading it
    std::strcpy(g.file, "/nonexistent/channels.glo");
    EXPECT_EXIT(
        g.ReadFile(), ExitedWithCode(1),
        Eq("\n**** Kestrova: Error -> GLONASS FREQUENCY CHANNEL FILE CAN NOT BE OPENED! ****\n"
           "     Exiting Kestrova ... \n\n"));
}

} // namespace
