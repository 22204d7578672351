#include "GNSS/mjd.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

using testing::Eq;
using testing::ExitedWithCode;

// The class frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT({ std::cout.rdbuf(std::cerr.rdbuf()); stmt; }, ExitedWithCode(1), Eq(text))

namespace {

mjd At(unsigned long day, long double sec)
{
    mjd m;
    m.Set(day, sec);
    return m;
}

std::string Text(const mjd& m, unsigned short ndec)
{
    std::ostringstream out;
    mjdns::NDecSecond = ndec;
    out << m << '|' << 0.5L;
    mjdns::NDecSecond = 1;
    return out.str();
}

} // namespace

TEST(mjd, DecimalDateIsDayAndSecondOfDay)
{
    mjd m;
    m = 58853.5L;
    EXPECT_EQ(m.GetMJDay(), 58853u);
    EXPECT_EQ(m.GetSecond(), 43200);
    EXPECT_EQ(At(51544, 21600).GetMJDDec(), 51544.25L);
    m = -0.5L; // the day is the truncated integer part
    EXPECT_EQ(m.GetMJDay(), 0u);
    EXPECT_EQ(m.GetSecond(), 43200);
}

TEST(mjd, InvalidDayOrSecondEndsTheRun)
{
    const std::string tail = " ****\n     Exiting class mjd ... \n";
    EXPECT_FRAME(At(200000, 0), "\n**** mjd: Error -> MJDAY not valid" + tail);
    EXPECT_FRAME(At(5, 86400), "\n**** mjd: Error -> SECOND not valid" + tail);
    EXPECT_FRAME(At(5, -1e-9L), "\n**** mjd: Error -> SECOND not valid" + tail);
    EXPECT_FRAME(mjd m; m = -1.5L, "\n**** mjd: Error -> MJDAY not valid" + tail);
    EXPECT_FRAME(mjd m; m = 1e30L, "\n**** mjd: Error -> MJDAY not valid" + tail);
    EXPECT_EQ(At(199999, 86399.9L).GetMJDay(), 199999u);
}

TEST(mjd, SteppingCarriesWholeDays)
{
    mjd m = At(58853, 0);
    m += -1.0L;
    EXPECT_EQ(m.GetMJDay(), 58852u);
    EXPECT_EQ(m.GetSecond(), 86399);
    m = At(58853, 0);
    m += 3 * 86400.0L + 5;
    EXPECT_EQ(m.GetMJDay(), 58856u);
    EXPECT_EQ(m.GetSecond(), 5);
    m += 86399.5L; // past the end of the day
    EXPECT_EQ(m.GetMJDay(), 58857u);
    EXPECT_EQ(m.GetSecond(), 4.5);
    m = At(58853, 10);
    m += -(2 * 86400.0L + 20);
    EXPECT_EQ(m.GetMJDay(), 58850u);
    EXPECT_EQ(m.GetSecond(), 86390);
    m = At(58853, 86000);
    m += 400 - 5e-13L; // within 1e-12 of the day's end: the next day
    EXPECT_EQ(m.GetMJDay(), 58854u);
    EXPECT_EQ(m.GetSecond(), 0);
    m = At(58853, 86000);
    m += 400 - 5e-12L;
    EXPECT_EQ(m.GetMJDay(), 58853u);
    EXPECT_NEAR(static_cast<double>(m.GetSecond()), 86400 - 5e-12, 1e-13);
}

TEST(mjd, ComparisonsToleratePicoseconds)
{
    mjd a = At(58853, 100);
    mjd b = At(58853, 100 + 5e-15L);
    EXPECT_TRUE(a >= b && a <= b && b >= a && b <= a);
    mjd c = At(58853, 100 + 2e-14L);
    EXPECT_TRUE(a <= c && !(a >= c));
    mjd d = At(58854, 0);
    EXPECT_TRUE(d >= c && !(d <= c));
}

TEST(mjd, DifferenceIsSignedSeconds)
{
    EXPECT_EQ(At(58853, 10) - At(58854, 0), -86390);
    EXPECT_EQ(At(58854, 0) - At(58853, 10), 86390);
    EXPECT_EQ(At(58853, 0.5L) - At(58853, 10), -9.5);
}

TEST(mjd, TextFormHasDayAndSecondsWithTheSetDecimals)
{
    EXPECT_EQ(Text(At(58853, 47250), 1), " 58853 47250.0|0.5");
    EXPECT_EQ(Text(At(58853, 47250), 3), " 58853 47250.000|0.500");
    EXPECT_EQ(Text(At(58853, 30), 1), " 58853    30.0|0.5");
    EXPECT_EQ(Text(At(7, 86399.96L), 1), "     7 86400.0|0.5"); // no carry into the day
}
