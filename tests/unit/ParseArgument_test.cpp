// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/ParseArgument.h"

#include <cstring>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

std::vector<short> Sats(const std::string& word)
{
    matrix<short> sat(5, 5, 0);
    ParseSatList(word.c_str(), sat, 2);
    std::vector<short> out(static_cast<size_t>(sat.NRow() * sat.NCol()));
    for (long i = 0; i < sat.Length(); i++) out[i] = sat(i);
    return out;
}

std::string Date(const char* word)
{
    ymdhms t;
    ParseDate(word, t, 2);
    std::ostringstream out;
    out << WithDecimals(t, 6);
    return out.str();
}

std::string ProgramFrame(const char* text)
{
    return std::string("\n**** Kestrova: Error -> ") + text +
           " ****\n     Exiting Kestrova ... \n\n";
}

} // namespace

TEST(ParseArgument, DatesStandInFixedColumns)
{
    EXPECT_EQ(Date("-s2018-05-03_12:00:00"), " 2018-05-03 12:00:00.000000");
    EXPECT_EQ(Date("-s2018/05/03/12/00/00.0"), " 2018-05-03 12:00:00.000000");
    EXPECT_EQ(Date("-e2018-05-03_23:59:59.5"), " 2018-05-03 23:59:59.500000");
    EXPECT_EQ(Date("-s2018-05-03"), " 2018-05-03 00:00:00.000000"); // missing columns are 0
    EXPECT_EQ(Date("-s2018-05-03_12:00:59.999999"), " 2018-05-03 12:00:59.999999"); // 9 long
    // a field out of its range is named with its value and the option as typed
    const std::pair<const char*, const char*> invalid[] = {
        {"-s1900-05-03_12:00:00", "YEAR 1900"}, {"-e2018-13-03_00:00:00", "MONTH 13"},
        {"-s2018-02-29_00:00:00", "DAY 29"},    {"-s2018-05", "DAY 0"},
        {"-s2018-05-03_60:00:00", "HOUR 60"},   {"-s2018-05-03_12:60:00", "MINUTE 60"},
        {"-s2018-05-03_12:00:60", "SECOND 60"}, {"-s2015-13-45_00:00:00", "MONTH 13"}};
    for (const auto& [word, field] : invalid) {
        const std::string text = "DATE \"" + std::string(word + 2) + "\" OF OPTION " +
                                 std::string(word, 2) + " IS NOT A DATE (" + field + ")!";
        EXPECT_EXIT(Date(word), ExitedWithCode(1), Eq(ProgramFrame(text.c_str()))) << word;
    }
    EXPECT_EXIT(Date("-s2018-05-03_12:00:00.00000001"), ExitedWithCode(1),
                Eq(ProgramFrame("SECONDS OF DATE [-s/-e] LONGER THAN 9 CHARACTERS!")));
}

// Every digit column holds a digit, or a blank after the digits of a number written short;
// anything else would read a field from the wrong columns.
TEST(ParseArgument, DatesThatDoNotFitTheirColumnsAreRefused)
{
    EXPECT_EQ(Date("-s2018-5 -3 _1 :2 :3.5 "), " 2018-05-03 01:02:03.500000");
    EXPECT_EQ(Date("-e2018-05-03_24:00:00"), " 2018-05-03 24:00:00.000000");
    EXPECT_EQ(Date("-s2018-05-03_12"), " 2018-05-03 12:00:00.000000");
    EXPECT_EQ(Date("-s2018-05-03_12:30:"), " 2018-05-03 12:30:00.000000");
    for (const char* word :
         {"-s2018-1-14", "-e2018-05-3_12:00:00", "-S2018-05-03_1:00:00", "-s201a-05-03",
          "-s 2018-05-03", "-s2018-05-03_12:00:0x", "-e2018-05-03_12:00:00Z",
          "-s2018-05-03_12:00:1.5.", "-s2018-05-03_12:00:-1", "-s2018-05- 3"}) {
        SCOPED_TRACE(word);
        const std::string text =
            "DATE \"" + std::string(word + 2) + "\" OF OPTION " + std::string(word, 2) +
            " DOES NOT FIT ITS COLUMNS (YYYY-MM-DD HH:MM:SS.S, ANY SEPARATORS)!";
        EXPECT_EXIT(Date(word), ExitedWithCode(1), Eq(ProgramFrame(text.c_str())));
    }
}

// Each letter, in either case, names its own system and no other; a blank letter is GPS and a
// blank tens digit 0, as RINEX 2 files write them.
TEST(ParseArgument, SatelliteOfEachSystemLetter)
{
    const std::pair<const char*, short> accepted[] = {
        {"G03", 3},   {"g03", 3},   {" 03", 3},   {"G 3", 3},   {"R03", 103}, {"r03", 103},
        {"E02", 202}, {"e02", 202}, {"C03", 303}, {"c03", 303}, {"S20", 420}, {"s20", 420},
        {"J03", 503}, {"j03", 503}, {"I03", 603}, {"i03", 603}, {"G00", 0},   {"E99", 299}};
    for (const auto& [text, sat] : accepted)
        EXPECT_EQ(Sats(std::string("-p") + text), (std::vector<short>{sat})) << text;
}

// A group that is not a letter of a system and two digits would select some other satellite.
TEST(ParseArgument, SatelliteTextsOfNoSystemAreRefused)
{
    const std::pair<const char*, const char*> refused[] = {
        {"-pX03", "X03"}, {"-pG03A01", "A01"},   {"-pG5,G12", "G5,"}, {"-xG-1", "G-1"},
        {"-pG0x", "G0x"}, {"-p03G", "03G"},      {"-xG01 G1", " G1"}, {"-p?12", "?12"},
        {"-pG1 ", "G1 "}, {"-pg 0E11 x3", " x3"}};
    for (const auto& [word, typed] : refused) {
        const std::string text = "SATELLITE \"" + std::string(typed) + "\" OF OPTION " +
                                 std::string(word, 2) +
                                 " IS NOT A SYSTEM LETTER (G R E C J I S) AND TWO DIGITS!";
        EXPECT_EXIT(Sats(word), ExitedWithCode(1), Eq(ProgramFrame(text.c_str()))) << word;
    }
}

TEST(ParseArgument, SatelliteListsInGroupsOfThree)
{
    EXPECT_EQ(Sats("-pG05R12C07"), (std::vector<short>{5, 112, 307}));
    EXPECT_EQ(Sats("-xE11C05R24"), (std::vector<short>{211, 305, 124}));
    EXPECT_EQ(Sats("-pG01G02G3"), (std::vector<short>{1, 2}));
    EXPECT_EQ(Sats("-pS20g05r05 07"), (std::vector<short>{420, 5, 105, 7}));
    EXPECT_TRUE(Sats("-pG0").empty());
    std::string longest = "-p";
    for (int i = 1; i <= 99; i++) longest.append("G").append(std::to_string(10 + i % 90));
    EXPECT_EQ(Sats(longest + "G0").size(), 99u); // 299 characters
    EXPECT_EXIT(
        Sats(longest + "G01"), ExitedWithCode(1),
        Eq(ProgramFrame("SATELLITE LIST [-p/-x] LONGER THAN 299 CHARACTERS (99 SATELLITES)!")));
}

TEST(ParseArgument, NumbersAndFileNames)
{
    EXPECT_EQ(ParseFloat("-t0.1", 2), static_cast<long double>(0.1f));
    EXPECT_EQ(ParseDouble("-d0.1", 2), static_cast<long double>(0.1));
    EXPECT_EQ(ParseFloat("-t30", 2) + ParseDouble("-d-0.5", 2) + ParseDouble("-d 2.5s", 2), 32);
    EXPECT_EQ(ParseFloat("-tabc", 2) + ParseFloat("-t", 5), 0);
    char file[8];
    std::memset(file, 'x', sizeof file);
    ParseFileName("-oSITE.18O", file, 2, sizeof file - 1);
    EXPECT_STREQ(file, "SITE.1");
    EXPECT_EQ(file[7], 'x'); // nothing written past the capacity
}
