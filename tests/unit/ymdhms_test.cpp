// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/ymdhms.h"

#include <gtest/gtest.h>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

using testing::Eq;
using testing::ExitedWithCode;

// The frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), stmt), ExitedWithCode(1), Eq(text))

namespace {

std::string Frame(const char* field)
{
    return std::string("\n**** ymdhms: Error -> ") + field +
           " not valid ****\n     Exiting class ymdhms ... \n";
}

ymdhms Date(unsigned short y, unsigned short mo, unsigned short d, unsigned short h = 0,
            unsigned short mi = 0, long double s = 0)
{
    ymdhms t;
    t.Set(y, mo, d, h, mi, s);
    return t;
}

// The text form, then a padded number and a decimal, to show the state the stream is left in.
std::string Text(const ymdhms& t, unsigned short ndec)
{
    std::ostringstream out;
    out << WithDecimals(t, ndec) << '|' << std::setw(3) << 7 << '|' << 0.5L;
    return out.str();
}

} // namespace

// The message of each field is shown through ParseDate; here the ranges and the order of checks.
TEST(ymdhms, RangesLeapDaysAndTheFirstFailingField)
{
    EXPECT_EQ(Date(2000, 2, 29).GetDay() + Date(2004, 2, 29).GetDay(), 58);
    EXPECT_EQ(Date(1901, 1, 1).GetYear() + Date(2199, 12, 31).GetYear(), 4100);
    EXPECT_EQ(Date(2020, 1, 5, 59, 59, 59.999L).GetHour(), 59); // hours to 59: 24:00 is valid
    EXPECT_FRAME(Date(2100, 2, 29), Frame("DAY"));
    EXPECT_FRAME(Date(2001, 2, 29), Frame("DAY"));
    EXPECT_FRAME(Date(2020, 4, 31), Frame("DAY"));
    EXPECT_FRAME(Date(2200, 1, 1), Frame("YEAR"));
    EXPECT_FRAME(Date(2020, 1, 5, 0, 0, -0.001L), Frame("SECOND"));
    EXPECT_FRAME(Date(1900, 13, 0, 60, 60, 60), Frame("YEAR"));
    EXPECT_FRAME(Date(2020, 13, 0, 60, 60, 60), Frame("MONTH"));
    EXPECT_FRAME(Date(2020, 2, 30, 60, 60, 60), Frame("DAY"));
}

TEST(ymdhms, DayOfYearAndDecimalYear)
{
    EXPECT_EQ(Date(2000, 3, 1).GetDayOfYear(), 61);
    EXPECT_EQ(Date(2001, 3, 1).GetDayOfYear(), 60);
    EXPECT_EQ(Date(2020, 1, 5, 13, 7, 5.5L).GetDaySecond(), 47225.5L);
    EXPECT_EQ(Date(2000, 7, 2, 12).GetYearDec(), 2000 + 183.5L / 366);
}

TEST(ymdhms, TextFormWithZeroOneAndThreeDecimals)
{
    ymdhms t = Date(2020, 1, 5, 13, 7, 5.27L);
    EXPECT_EQ(Text(t, 1), " 2020-01-05 13:07:05.3|  7|0.5");
    EXPECT_EQ(Text(t, 3), " 2020-01-05 13:07:05.270|  7|0.500");
    EXPECT_EQ(Text(t, 0), " 2020-01-05 13:07:05|  7|0");
    EXPECT_EQ(Text(Date(2020, 11, 25, 9, 0, 59.96L), 1), " 2020-11-25 09:00:60.0|  7|0.5");
}
