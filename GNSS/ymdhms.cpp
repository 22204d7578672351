// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/ymdhms.h"

#include "GNSS/TimeConverse.h"
#include "GNSS/gnssobs.h"
#include "PROGINC/ProgramError.h"

#include <iomanip>
#include <sstream>
#include <utility>

namespace {

// clang-format off
const int CumDays[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};
// clang-format on

} // namespace

int DaysBeforeMonth(bool leap, int m) { return CumDays[leap ? 1 : 0][m - 1]; }

bool ymdhms::LeapYear(unsigned short y) { return ::LeapYear(y); }

bool ymdhms::TestDay() const
{
    if (!TestMonth()) return false;
    int len = DaysBeforeMonth(LeapYear(year), month + 1) - DaysBeforeMonth(LeapYear(year), month);
    return day >= 1 && day <= len;
}

ymdhms& ymdhms::operator=(const ymdhms& d)
{
    if (this == &d) return *this;
    year = d.year;
    month = d.month;
    day = d.day;
    hour = d.hour;
    minute = d.minute;
    second = d.second;
    TestDatum();
    return *this;
}

void ymdhms::Set(unsigned short y, unsigned short mo, unsigned short d, unsigned short h,
                 unsigned short mi, long double s)
{
    year = y;
    month = mo;
    day = d;
    hour = h;
    minute = mi;
    second = s;
    TestDatum();
}

// Each field has one check with its message; the setters and TestDatum share them.
void ymdhms::CheckYear() const
{
    if (!TestYear()) Error("YEAR not valid");
}

void ymdhms::CheckMonth() const
{
    if (!TestMonth()) Error("MONTH not valid");
}

void ymdhms::CheckDay() const
{
    if (!TestDay()) Error("DAY not valid");
}

void ymdhms::CheckHour() const
{
    if (!TestHour()) Error("HOUR not valid");
}

void ymdhms::CheckMinute() const
{
    if (!TestMinute()) Error("MINUTE not valid");
}

void ymdhms::CheckSecond() const
{
    if (!TestSecond()) Error("SECOND not valid");
}

void ymdhms::SetYear(unsigned short y)
{
    year = y;
    CheckYear();
}

void ymdhms::SetMonth(unsigned short mo)
{
    month = mo;
    CheckMonth();
}

void ymdhms::SetDay(unsigned short d)
{
    day = d;
    CheckDay();
}

void ymdhms::SetHour(unsigned short h)
{
    hour = h;
    CheckHour();
}

void ymdhms::SetMinute(unsigned short mi)
{
    minute = mi;
    CheckMinute();
}

void ymdhms::SetSecond(long double s)
{
    second = s;
    CheckSecond();
}

void ymdhms::TestDatum() const
{
    CheckYear();
    CheckMonth();
    CheckDay();
    CheckHour();
    CheckMinute();
    CheckSecond();
}

std::string ymdhms::FirstInvalidField() const
{
    const struct {
        bool valid;
        const char* name;
        long double value;
    } fields[] = {{TestYear(), "YEAR", static_cast<long double>(year)},
                  {TestMonth(), "MONTH", static_cast<long double>(month)},
                  {TestDay(), "DAY", static_cast<long double>(day)},
                  {TestHour(), "HOUR", static_cast<long double>(hour)},
                  {TestMinute(), "MINUTE", static_cast<long double>(minute)},
                  {TestSecond(), "SECOND", second}};
    for (const auto& f : fields) {
        if (f.valid) continue;
        std::ostringstream text;
        text << f.name << " " << static_cast<double>(f.value);
        return text.str();
    }
    return {};
}

unsigned short ymdhms::GetDayOfYear() const
{
    return static_cast<unsigned short>(DaysBeforeMonth(LeapYear(year), month) + day);
}

long double ymdhms::GetYearDec() const
{
    int ndays = LeapYear(year) ? 366 : 365;
    return year + (GetDayOfYear() - 1 + GetDaySecond() / 86400.0L) / ndays;
}

void ymdhms::Error(const char* error)
{
    ClassFrame("****", "ymdhms", "Error", error, "Exiting class ymdhms", false);
    ExitProgram();
}

std::ostream& operator<<(std::ostream& out, const ymdhms& d) { return out << WithDecimals(d, 1); }

std::ostream& operator<<(std::ostream& out, const ymdhmsText& t)
{
    const ymdhms& d = t.date;
    const int n = t.decimals;
    // the year padded with the stream's own fill, the other fields with zeros
    out << std::fixed;
    WriteWhole(out, d.GetYear(), 5, out.fill());
    const std::pair<char, unsigned> fields[] = {
        {'-', d.GetMonth()}, {'-', d.GetDay()}, {' ', d.GetHour()}, {':', d.GetMinute()}};
    for (const auto& [separator, value] : fields) WriteWhole(out << separator, value, 2, '0');
    out << ':';
    if (n <= 3)
        WriteFixed(out, d.GetSecond(), n, n == 0 ? 2 : n + 3);
    else
        out << std::setw(n == 0 ? 2 : n + 3) << std::setprecision(n) << d.GetSecond();
    out << std::setfill(' ');
    return out;
}
