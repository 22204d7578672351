// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mjd.h"

#include "GNSS/gnssobs.h"
#include "PROGINC/ProgramError.h"

#include <cmath>
#include <iomanip>

namespace {

// A day count as the 32-bit day number. One that cannot be a day (negative, too large, no number
// at all) becomes the first invalid day, never a wrapped valid one, and TestDatum reports it.
unsigned int DayNumber(long double d)
{
    return d >= 0 && d < mjd::DayLimit ? static_cast<unsigned int>(d) : mjd::DayLimit;
}

} // namespace

mjd::mjd(const mjd& d) : mjday(d.mjday), second(d.second) { TestDatum(); }

mjd& mjd::operator=(const mjd& d)
{
    if (this == &d) return *this;
    mjday = d.mjday;
    second = d.second;
    TestDatum();
    return *this;
}

mjd& mjd::operator=(long double mdec)
{
    // The day is the truncated integer part, so -0.5 is day 0 at 43200 s.
    mjday = DayNumber(std::trunc(mdec));
    second = (mdec - std::floor(mdec)) * 86400.0L;
    TestDatum();
    return *this;
}

void mjd::Set(unsigned long d, long double s)
{
    mjday = DayNumber(static_cast<long double>(d));
    second = s;
    TestDatum();
}

mjd& mjd::operator+=(long double dsec)
{
    long double sign = dsec < 0 ? -1 : 1;
    long double a = std::fabs(dsec);
    long double dday = std::trunc(a / 86400.0L);
    long double rest = a - dday * 86400.0L;
    // The day number is unsigned and not checked here: it wraps like any unsigned count, and a
    // step that is no number at all leaves it alone.
    auto days =
        std::isfinite(dday) ? static_cast<unsigned int>(std::fmod(dday, 4294967296.0L)) : 0U;
    mjday = dsec < 0 ? mjday - days : mjday + days;
    second += sign * rest;
    if (second < 0) {
        mjday -= 1;
        second += 86400;
    }
    if (second > 86400) {
        mjday += 1;
        second -= 86400;
    }
    if (std::fabs(second - 86400) < 1e-12L) {
        mjday += 1;
        second = 0;
    }
    return *this;
}

bool mjd::operator>=(const mjd& d) const
{
    return this == &d || mjday > d.mjday || (mjday == d.mjday && second - d.second > -1e-14L);
}

bool mjd::operator<=(const mjd& d) const
{
    return this == &d || mjday < d.mjday || (mjday == d.mjday && second - d.second < 1e-14L);
}

void mjd::TestDatum() const
{
    if (!TestMJDay()) Error("MJDAY not valid");
    if (!TestSecond()) Error("SECOND not valid");
}

void mjd::Error(const char* error)
{
    ClassFrame("****", "mjd", "Error", error, "Exiting class mjd", false);
    ExitProgram();
}

long double operator-(const mjd& d1, const mjd& d2)
{
    if (d1.mjday >= d2.mjday)
        return static_cast<long double>(d1.mjday - d2.mjday) * 86400 + (d1.second - d2.second);
    return (d1.second - d2.second) - static_cast<long double>(d2.mjday - d1.mjday) * 86400;
}

std::ostream& operator<<(std::ostream& out, const mjd& d) { return out << WithDecimals(d, 1); }

std::ostream& operator<<(std::ostream& out, const mjdText& t)
{
    const mjd& d = t.epoch;
    const int n = t.decimals;
    out << std::fixed;
    WriteWhole(out, d.GetMJDay(), 6, ' ');
    if (n <= 3)
        WriteFixed(out, d.GetSecond(), n, n + 7);
    else
        out << std::setw(n + 7) << std::setprecision(n) << d.GetSecond();
    return out;
}
