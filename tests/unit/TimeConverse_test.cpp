// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/TimeConverse.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

using testing::Eq;
using testing::ExitedWithCode;

// The frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), stmt), ExitedWithCode(1), Eq(text))

namespace {

mjd ToMjd(unsigned short y, unsigned short mo, unsigned short d, unsigned short h = 0,
          unsigned short mi = 0, long double s = 0)
{
    ymdhms t;
    t.Set(y, mo, d, h, mi, s);
    return ymdhms2mjd(t);
}

ymdhms ToDate(unsigned long day, long double sec)
{
    mjd m;
    m.Set(day, sec);
    return mjd2ymdhms(m);
}

template <class T> std::string Text(const T& t)
{
    std::ostringstream out;
    out << t;
    return out.str();
}

} // namespace

TEST(TimeConverse, KnownEpochsLeapYearsAndTheEndOfTheDay)
{
    EXPECT_EQ(Text(ToMjd(1901, 1, 1)), " 15385     0.0");
    EXPECT_EQ(Text(ToMjd(2000, 1, 1, 12)), " 51544 43200.0");
    EXPECT_EQ(Text(ToDate(15385, 0)), " 1901-01-01 00:00:00.0");
    EXPECT_EQ(Text(ToDate(51544, 43200)), " 2000-01-01 12:00:00.0");
    EXPECT_EQ(Text(ToDate(58853, 47225.25L)), " 2020-01-05 13:07:05.2");
    EXPECT_TRUE(LeapYear(2000) && LeapYear(2004) && LeapYear(65636));
    EXPECT_FALSE(LeapYear(1900) || LeapYear(2100) || LeapYear(2001) || LeapYear(0) || LeapYear(-4));
    EXPECT_EQ(Text(ToMjd(2020, 1, 5, 24)), " 58854     0.0"); // hour 24 is the next day
    EXPECT_EQ(Text(ToMjd(2020, 1, 5, 23, 59, 59.99999999999L)), " 58854     0.0"); // 1e-10
    EXPECT_EQ(ToMjd(2020, 1, 5, 23, 59, 59.9999999998L).GetMJDay(), 58853u);
    EXPECT_EQ(Text(ToDate(58853, 86399.99999999999L)), " 2020-01-05 24:00:00.0"); // no day carry
    EXPECT_FRAME(ToMjd(2020, 1, 5, 24, 0, 1),
                 "\n**** mjd: Error -> SECOND not valid ****\n     Exiting class mjd ... \n");
    EXPECT_FRAME(ToDate(15384, 0),
                 "\n**** ymdhms: Error -> YEAR not valid ****\n     Exiting class ymdhms ... \n");
}

TEST(TimeConverse, EveryDayFrom1901To2099FollowsTheDayBefore)
{
    ymdhms prev = ToDate(15385, 0);
    for (unsigned long day = 15386; day <= ToMjd(2099, 12, 31).GetMJDay(); day++) {
        ymdhms t = ToDate(day, 0);
        bool newYear = t.GetDayOfYear() == 1;
        ASSERT_EQ(t.GetYear(), prev.GetYear() + (newYear ? 1 : 0)) << day;
        ASSERT_EQ(t.GetDayOfYear(), newYear ? 1 : prev.GetDayOfYear() + 1) << day;
        if (newYear) {
            ASSERT_EQ(prev.GetDayOfYear(), LeapYear(prev.GetYear()) ? 366 : 365) << day;
        }
        ASSERT_EQ(ymdhms2mjd(t).GetMJDay(), day);
        prev = t;
    }
    EXPECT_EQ(Text(prev), " 2099-12-31 00:00:00.0");
}
