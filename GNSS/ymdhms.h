// SPDX-License-Identifier: BSD-2-Clause
// ymdhms: a calendar date and time of day, validated on every full assignment.
#ifndef KESTROVA_GNSS_YMDHMS_H
#define KESTROVA_GNSS_YMDHMS_H

#include <ostream>
#include <string>

class ymdhms {
  public:
    ymdhms() = default;
    ymdhms(const ymdhms&) = default;
    // The fields as given, not yet checked: a reader that names what is wrong asks
    // FirstInvalidField before the date is used.
    struct Unchecked {};
    ymdhms(unsigned short y, unsigned short mo, unsigned short d, unsigned short h,
           unsigned short mi, long double s, Unchecked)
        : year(y), month(mo), day(d), hour(h), minute(mi), second(s)
    {
    }
    ymdhms& operator=(const ymdhms& d);
    void Set(unsigned short y, unsigned short mo, unsigned short d, unsigned short h,
             unsigned short mi, long double s);
    void SetYear(unsigned short y);
    void SetMonth(unsigned short mo);
    void SetDay(unsigned short d);
    void SetHour(unsigned short h);
    void SetMinute(unsigned short mi);
    void SetSecond(long double s);

    bool TestYear() const { return year >= 1901 && year <= 2199; }
    bool TestMonth() const { return month >= 1 && month <= 12; }
    bool TestDay() const;
    bool TestHour() const { return hour <= 59; } // 24:00:00 is a valid time of day
    bool TestMinute() const { return minute <= 59; }
    bool TestSecond() const { return second >= 0 && second < 60; }
    void TestDatum() const;
    // "MONTH 13": the first field out of its range, with its value; empty for a valid date.
    std::string FirstInvalidField() const;

    unsigned short GetYear() const { return year; }
    unsigned short GetMonth() const { return month; }
    unsigned short GetDay() const { return day; }
    unsigned short GetHour() const { return hour; }
    unsigned short GetMinute() const { return minute; }
    long double GetSecond() const { return second; }
    long double GetDaySecond() const { return hour * 3600.0L + minute * 60.0L + second; }
    unsigned short GetDayOfYear() const;
    long double GetYearDec() const;

    static bool LeapYear(unsigned short y);
    [[noreturn]] static void Error(const char* error);

  private:
    void CheckYear() const;
    void CheckMonth() const;
    void CheckDay() const;
    void CheckHour() const;
    void CheckMinute() const;
    void CheckSecond() const;

    unsigned short year = 1980;
    unsigned short month = 1;
    unsigned short day = 1;
    unsigned short hour = 0;
    unsigned short minute = 0;
    long double second = 0;
};

// Days in the months before month m (m = 1 .. 13) of a leap or common year.
int DaysBeforeMonth(bool leap, int m);

// yyyy-mm-dd hh:mm:ss.s: one decimal of the second, or as many as WithDecimals asks for.
std::ostream& operator<<(std::ostream& out, const ymdhms& d);
struct ymdhmsText {
    const ymdhms& date;
    int decimals;
};
inline ymdhmsText WithDecimals(const ymdhms& d, int decimals) { return {d, decimals}; }
std::ostream& operator<<(std::ostream& out, const ymdhmsText& t);

#endif
