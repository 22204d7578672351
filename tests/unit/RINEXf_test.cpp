// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXf.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

// 2005-03-24 13:10:36, flag 0, 8 satellites
const std::string EpochLine = " 05  3 24 13 10 36.0000000  0  8G05G16G18G21G22G24G29G30";

std::string WithColumn(std::string line, std::size_t col, char c)
{
    line[col - 1] = c;
    return line;
}

} // namespace

TEST(RINEXf, FieldsAreCutWhereTheLineEnds)
{
    EXPECT_EQ(Columns("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Columns("abcdef", 5, 10), "ef");
    EXPECT_EQ(Columns("abcdef", 7, 2), "");
    EXPECT_EQ(Columns("abcdef", 0, 2), "");
    EXPECT_EQ(Column("abc", 3), 'c');
    EXPECT_EQ(Column("abc", 4), ' ');
    EXPECT_EQ(ColumnsInt("    12    34", 1, 6), 12);
    EXPECT_EQ(ColumnsInt("   -5", 1, 6), -5);
    EXPECT_EQ(ColumnsInt("  ", 1, 6), 0);
    EXPECT_EQ(ColumnsInt("12345678", 3, 3), 345); // the field ends the number
    EXPECT_DOUBLE_EQ(ColumnsNum("    30.000x", 1, 10), 30.0);
    EXPECT_DOUBLE_EQ(ColumnsNum("1", 5, 10), 0.0);
    std::string out = "ab";
    AppendColumns(out, "xyz", 2, 5);
    EXPECT_EQ(out, "abyz   ");
    AppendColumns(out, "", 33, 3);
    EXPECT_EQ(out, "abyz      ");
}

TEST(RINEXf, EpochLineTestFollowsTheEpochLayout)
{
    EXPECT_TRUE(IsFirstObsLine(EpochLine.c_str()));
    // single-digit fields may have a blank tens character, as an I3 field writes them
    EXPECT_TRUE(IsFirstObsLine(" 05  3  4  3  1  6.0000000  0  1G05"));
    // a dated event line of 32 characters is too short; with one character more it passes
    EXPECT_FALSE(IsFirstObsLine(" 15  2 13  1  0  0.0000000  4  1"));
    EXPECT_TRUE(IsFirstObsLine(" 15  2 13  1  0  0.0000000  4  1 "));
    EXPECT_FALSE(
        IsFirstObsLine(" 121367582.20508  94572134.49208  23095489.677 9  23095481.949 9"));
    EXPECT_FALSE(IsFirstObsLine("                                G17G18G19G20G21G22G23G24G25G26"));
    EXPECT_FALSE(IsFirstObsLine(""));
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 1, 'x').c_str()));
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 3, ' ').c_str()));  // units of the year
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 7, '1').c_str()));  // blank before the day
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 14, 'a').c_str())); // tens of the minute
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 19, ',').c_str()));
    EXPECT_FALSE(IsFirstObsLine(WithColumn(EpochLine, 26, ' ').c_str())); // seven decimals
    EXPECT_TRUE(IsFirstObsLine(WithColumn(EpochLine, 29, 'x').c_str()));  // the flag is not tested
}

TEST(RINEXf, EpochLineParse)
{
    unsigned short yr = 0, mon = 0, day = 0, hh = 0, mm = 0, n = 0;
    long double sec = 0;
    ParseFirstObsLine(EpochLine.c_str(), yr, mon, day, hh, mm, sec, n);
    EXPECT_EQ(yr, 2005);
    EXPECT_EQ(mon, 3);
    EXPECT_EQ(day, 24);
    EXPECT_EQ(hh, 13);
    EXPECT_EQ(mm, 10);
    EXPECT_EQ(sec, 36.0L);
    EXPECT_EQ(n, 8);
    EXPECT_EQ(EpochFlag(EpochLine), '0');
    ParseFirstObsLine(" 79 12 31 23 59 59.5000000  1 12", yr, mon, day, hh, mm, sec, n);
    EXPECT_EQ(yr, 2079);
    EXPECT_EQ(sec, 59.5L);
    EXPECT_EQ(n, 12);
    ParseFirstObsLine(" 80  1  6  0  0  0.0000000  0", yr, mon, day, hh, mm, sec, n);
    EXPECT_EQ(yr, 1980);
    EXPECT_EQ(n, 0); // no count field
    // a count that is not a number of satellites reads as none
    EXPECT_EQ(EpochCount(" 05  3 24 13 10 36.0000000  0 -3"), 0);
    EXPECT_EQ(EpochText(EpochLine.c_str()), "2005-03-24 13:10:36.0000000");
}

TEST(RINEXf, RecordWalkerPassesOverEventsWithTheirSpecialRecords)
{
    // flag 2 with no special record; flag 3 with two, the second shaped like an epoch line to
    // show that special records are skipped by count, not by look (the blank after the count
    // makes the event line long enough for the epoch-line test; at 32 characters it is a line
    // like any other and passed over); flag 4 with one; then an event whose special record the
    // file no longer holds
    std::istringstream in(" 05  3 24 13 10  0.0000000  2  0 \n"
                          " 05  3 24 13 10  0.0000000  0  1G05\n"
                          "obs\n"
                          " 05  3 24 13 10 30.0000000  3  2 \n"
                          "NEW SITE                                                    COMMENT\n"
                          " 05  3 24 13 10 30.0000000  0  1G07\n"
                          "a comment between epochs\n"
                          " 05  3 24 13 11  0.0000000  4  1\n"
                          "                                                            COMMENT\n"
                          " 05  3 24 13 11  0.0000000  6  1G09\n"
                          " 05  3 24 13 11 30.0000000  5  1 \n");
    ObsRecordLines rec(in);
    std::string_view line;
    ASSERT_TRUE(rec.NextEpoch());
    EXPECT_EQ(rec.EpochLine(), " 05  3 24 13 10  0.0000000  0  1G05");
    ASSERT_TRUE(rec.NextLine(line));
    EXPECT_EQ(line, "obs");
    ASSERT_TRUE(rec.NextEpoch());
    EXPECT_EQ(rec.EpochLine(), " 05  3 24 13 11  0.0000000  6  1G09");
    EXPECT_FALSE(rec.NextEpoch());
}

// RINEX 3 and 4 epoch lines: the layout after '>', events without a date, counts up to 999 and
// the clock offset after the count.
TEST(RINEXf, Rinex3EpochLines)
{
    const std::string line = "> 2018 05 13 01 30  0.0000000  0 19      -0.000123456789";
    EXPECT_TRUE(IsEpochLine3(line));
    unsigned short yr = 0, mon = 0, day = 0, hh = 0, mm = 0;
    long double sec = -1;
    ParseEpochLine(line.c_str(), yr, mon, day, hh, mm, sec);
    EXPECT_EQ(std::vector<int>({yr, mon, day, hh, mm}), std::vector<int>({2018, 5, 13, 1, 30}));
    EXPECT_EQ(sec, 0.0L);
    EXPECT_EQ(EpochFlag(line), '0');
    EXPECT_EQ(EpochCount(line), 19);
    EXPECT_EQ(EpochCount("> 2018 05 13 01 30 15.5000000  0999"), 999);
    EXPECT_EQ(EpochText(line.c_str()), "2018-05-13 01:30:00.0000000");
    EXPECT_TRUE(CarriesClockOffset(line));
    EXPECT_DOUBLE_EQ(static_cast<double>(ClockOffset(line)), -0.000123456789);
    // a count written one column short keeps the sign of its offset
    EXPECT_DOUBLE_EQ(
        static_cast<double>(ClockOffset("> 2010 03 05 00 00 30.0000000  0 8      -0.123456789012")),
        -0.123456789012);
    EXPECT_FALSE(CarriesClockOffset("> 2018 05 13 01 30  0.0000000  0 19"));
    // damaged or foreign lines are no epoch lines
    for (const std::string& bad :
         {std::string("> 23 29"), WithColumn(line, 1, ' '), WithColumn(line, 5, 'x'),
          WithColumn(line, 22, ' '), WithColumn(line, 10, '0'),
          std::string("> 2018 05 13 01 30  0.000000"), EpochLine})
        EXPECT_FALSE(IsEpochLine3(bad)) << bad;
    // an event may leave its date blank; an observation epoch may not
    EXPECT_TRUE(IsEpochLine3(">                              4  2"));
    EXPECT_FALSE(IsEpochLine3(">                              0  2"));
    // the RINEX 2 test never takes a RINEX 3 line
    EXPECT_FALSE(IsFirstObsLine(line.c_str()));
}
