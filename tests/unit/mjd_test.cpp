// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mjd.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>

using testing::Eq;
using testing::ExitedWithCode;
using DaySec = std::pair<unsigned long, long double>;

// The frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), stmt), ExitedWithCode(1), Eq(text))

namespace {

mjd At(unsigned long day, long double sec)
{
    mjd m;
    m.Set(day, sec);
    return m;
}

DaySec Of(const mjd& m) { return {m.GetMJDay(), m.GetSecond()}; }

DaySec Step(unsigned long day, long double sec, long double dsec)
{
    mjd m = At(day, sec);
    m += dsec;
    return Of(m);
}

// The text form, then a number, to show the state the stream is left in.
std::string Text(const mjd& m, unsigned short ndec)
{
    std::ostringstream out;
    out << WithDecimals(m, ndec) << '|' << 0.5L;
    return out.str();
}

} // namespace

TEST(mjd, SetAndDecimalDateAreValidated)
{
    const std::string tail = " not valid ****\n     Exiting class mjd ... \n";
    EXPECT_FRAME(At(200000, 0), "\n**** mjd: Error -> MJDAY" + tail);
    EXPECT_FRAME(At(5, 86400), "\n**** mjd: Error -> SECOND" + tail);
    EXPECT_FRAME(mjd() = -1.5L, "\n**** mjd: Error -> MJDAY" + tail);
    EXPECT_FRAME(mjd() = 1e30L, "\n**** mjd: Error -> MJDAY" + tail);
    mjd m;
    EXPECT_EQ(Of(m = 58853.5L), DaySec(58853, 43200));
    EXPECT_EQ(Of(m = -0.5L), DaySec(0, 43200)); // the day is the truncated integer part
}

TEST(mjd, SteppingCarriesWholeDays)
{
    EXPECT_EQ(Step(58853, 0, -1), DaySec(58852, 86399));
    EXPECT_EQ(Step(58853, 0, 3 * 86400.0L + 5), DaySec(58856, 5));
    EXPECT_EQ(Step(58853, 10, -(2 * 86400.0L + 20)), DaySec(58850, 86390));
    EXPECT_EQ(Step(58853, 86000, 86399.5L), DaySec(58854, 85999.5L));
    EXPECT_EQ(Step(58853, 86000, 400 - 5e-13L), DaySec(58854, 0)); // within 1e-12 of the end
    EXPECT_EQ(Step(58853, 86000, 400 - 5e-12L).first, 58853u);
}

TEST(mjd, ComparisonsTolerate1e14AndDifferencesAreSigned)
{
    mjd a = At(58853, 100), b = At(58853, 100 + 5e-15L), c = At(58853, 100 + 2e-14L);
    EXPECT_TRUE(a >= b && a <= b && b >= a && b <= a);
    EXPECT_TRUE(a <= c && !(a >= c) && At(58854, 0) >= c && !(At(58854, 0) <= c));
    EXPECT_EQ(At(58853, 10) - At(58854, 0), -86390);
    EXPECT_EQ(At(58854, 0) - At(58853, 10), 86390);
}

TEST(mjd, TextFormWithTheSetDecimals)
{
    EXPECT_EQ(Text(At(58853, 47250), 3), " 58853 47250.000|0.500");
    EXPECT_EQ(Text(At(58853, 30), 1), " 58853    30.0|0.5");
    EXPECT_EQ(Text(At(7, 86399.96L), 1), "     7 86400.0|0.5"); // no carry into the day
}
