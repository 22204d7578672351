// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/TimeConverse.h"

#include <cmath>

namespace {

// A calendar field of unsigned 16 bits; anything outside that range (a negative count, no number)
// becomes the largest value, which no field check accepts.
unsigned short Field(long double x)
{
    return x >= 0 && x <= 65535 ? static_cast<unsigned short>(x) : 65535;
}

} // namespace

bool LeapYear(long year)
{
    return year > 0 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0);
}

mjd ymdhms2mjd(const ymdhms& d)
{
    long y = d.GetYear() - 1901L;
    long yday = DaysBeforeMonth(LeapYear(d.GetYear()), d.GetMonth()) + d.GetDay();
    long mjday = (y / 4) * 1461 + (y % 4) * 365 + yday + 15384;
    long double secday = d.GetSecond() + d.GetMinute() * 60.0L + d.GetHour() * 3600.0L;
    if (std::fabs(secday - 86400) < 1e-10L) {
        secday = 0;
        mjday++;
    }
    mjd m;
    m.Set(static_cast<unsigned long>(mjday), secday);
    return m;
}

void Sec2HMS(long double second, unsigned short& h, unsigned short& m, long double& s)
{
    long double hr = std::floor(second / 3600);
    long double mn = std::floor((second / 3600 - hr) * 60);
    s = ((second / 3600 - hr) * 60 - mn) * 60;
    h = Field(hr);
    m = Field(mn);
    if (std::fabs(s - 60) < 1e-10L) {
        s = 0;
        m++;
    }
    if (m == 60) {
        m = 0;
        h++;
    }
}

ymdhms mjd2ymdhms(const mjd& d)
{
    // Before 1901 there is no calendar date here: the year is set to 0, which its check refuses.
    long days = static_cast<long>(d.GetMJDay()) - 15385;
    bool before1901 = days < 0;
    if (before1901) days = 0;
    long num_four_yrs = days / 1461;
    long years_so_far = 1901 + 4 * num_four_yrs;
    long days_left = days - 1461 * num_four_yrs;
    long delta_yrs = days_left / 365 - days_left / 1460;
    long year = before1901 ? 0 : years_so_far + delta_yrs;
    long yday = days_left - 365 * delta_yrs + 1;
    unsigned short h = 0;
    unsigned short mi = 0;
    long double s = 0;
    Sec2HMS(d.GetSecond(), h, mi, s);
    bool leap = LeapYear(year);
    long guess = static_cast<long>(yday * 0.032);
    long more = yday > DaysBeforeMonth(leap, static_cast<int>(guess + 2)) ? 1 : 0;
    long month = guess + more + 1;
    long day = yday - DaysBeforeMonth(leap, static_cast<int>(guess + more + 1));
    ymdhms r;
    r.Set(Field(year), Field(month), Field(day), h, mi, s);
    return r;
}
