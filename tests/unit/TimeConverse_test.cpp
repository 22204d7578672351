#include "GNSS/TimeConverse.h"

#include <gtest/gtest.h>
#include <iostream>
#include <string>

using testing::Eq;
using testing::ExitedWithCode;

// The class frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT({ std::cout.rdbuf(std::cerr.rdbuf()); stmt; }, ExitedWithCode(1), Eq(text))

namespace {

mjd ToMjd(unsigned short y, unsigned short mo, unsigned short d, unsigned short h = 0,
          unsigned short mi = 0, long double s = 0)
{
    ymdhms t;
    t.Set(y, mo, d, h, mi, s);
    return ymdhms2mjd(t);
}

mjd At(unsigned long day, long double sec)
{
    mjd m;
    m.Set(day, sec);
    return m;
}

void ExpectDate(const ymdhms& t, unsigned short y, unsigned short mo, unsigned short d,
                unsigned short h, unsigned short mi, long double s)
{
    EXPECT_EQ(t.GetYear(), y);
    EXPECT_EQ(t.GetMonth(), mo);
    EXPECT_EQ(t.GetDay(), d);
    EXPECT_EQ(t.GetHour(), h);
    EXPECT_EQ(t.GetMinute(), mi);
    EXPECT_NEAR(static_cast<double>(t.GetSecond()), static_cast<double>(s), 1e-9);
}

} // namespace

TEST(TimeConverse, KnownEpochsBothWays)
{
    EXPECT_EQ(ToMjd(1901, 1, 1).GetMJDay(), 15385u);
    mjd noon = ToMjd(2000, 1, 1, 12);
    EXPECT_EQ(noon.GetMJDay(), 51544u);
    EXPECT_EQ(noon.GetSecond(), 43200);
    ExpectDate(mjd2ymdhms(At(15385, 0)), 1901, 1, 1, 0, 0, 0);
    ExpectDate(mjd2ymdhms(noon), 2000, 1, 1, 12, 0, 0);
    ExpectDate(mjd2ymdhms(At(58853, 47225.27L)), 2020, 1, 5, 13, 7, 5.27L);
    EXPECT_EQ(ToMjd(2000, 3, 1).GetMJDay() - ToMjd(2000, 2, 28).GetMJDay(), 2u);
    EXPECT_EQ(ToMjd(2001, 3, 1).GetMJDay() - ToMjd(2001, 2, 28).GetMJDay(), 1u);
}

TEST(TimeConverse, EveryDayFrom1901To2099FollowsTheDayBefore)
{
    ymdhms prev = mjd2ymdhms(At(15385, 0));
    for (unsigned long day = 15386; day <= ToMjd(2099, 12, 31).GetMJDay(); day++) {
        ymdhms t = mjd2ymdhms(At(day, 0));
        bool newYear = t.GetDayOfYear() == 1;
        ASSERT_EQ(t.GetYear(), prev.GetYear() + (newYear ? 1 : 0)) << day;
        ASSERT_EQ(t.GetDayOfYear(), newYear ? 1 : prev.GetDayOfYear() + 1) << day;
        if (newYear) {
            ASSERT_EQ(prev.GetDayOfYear(), LeapYear(prev.GetYear()) ? 366 : 365) << day;
        }
        ASSERT_EQ(ymdhms2mjd(t).GetMJDay(), day);
        prev = t;
    }
    ExpectDate(prev, 2099, 12, 31, 0, 0, 0);
}

TEST(TimeConverse, EndOfDayWithinTheTolerances)
{
    mjd m = ToMjd(2020, 1, 5, 24, 0, 0); // hour 24 is the next day
    EXPECT_EQ(m.GetMJDay(), 58854u);
    EXPECT_EQ(m.GetSecond(), 0);
    m = ToMjd(2020, 1, 5, 23, 59, 59.99999999999L); // within 1e-10 s
    EXPECT_EQ(m.GetMJDay(), 58854u);
    EXPECT_EQ(m.GetSecond(), 0);
    m = ToMjd(2020, 1, 5, 23, 59, 59.9999999998L);
    EXPECT_EQ(m.GetMJDay(), 58853u);
    EXPECT_FRAME(ToMjd(2020, 1, 5, 24, 0, 1),
                 "\n**** mjd: Error -> SECOND not valid ****\n     Exiting class mjd ... \n");
    // The other way there is no carry into the day: 24:00:00 of the same date.
    ExpectDate(mjd2ymdhms(At(58853, 86399.99999999999L)), 2020, 1, 5, 24, 0, 0);
    unsigned short h = 0, mi = 0;
    long double s = 1;
    Sec2HMS(3599.99999999999L, h, mi, s);
    EXPECT_EQ(h * 100 + mi, 100);
    EXPECT_EQ(s, 0);
}

TEST(TimeConverse, LeapYearsAndDaysBefore1901)
{
    EXPECT_TRUE(LeapYear(2000) && LeapYear(2004) && LeapYear(65636));
    EXPECT_FALSE(LeapYear(1900) || LeapYear(2100) || LeapYear(2001) || LeapYear(0) ||
                 LeapYear(-4));
    EXPECT_FRAME(mjd2ymdhms(At(15384, 0)),
                 "\n**** ymdhms: Error -> YEAR not valid ****\n     Exiting class ymdhms ... \n");
}
