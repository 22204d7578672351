// SPDX-License-Identifier: BSD-2-Clause
// mjd: an epoch as a whole Modified Julian Day and the seconds of that day.
#ifndef KESTROVA_GNSS_MJD_H
#define KESTROVA_GNSS_MJD_H

#include <ostream>

class mjd {
  public:
    mjd() = default;
    mjd(const mjd& d);
    mjd& operator=(const mjd& d);
    // From a decimal MJD.
    mjd& operator=(long double mdec);
    void Set(unsigned long d, long double s);
    // Steps by a signed number of seconds; not validated.
    mjd& operator+=(long double dsec);
    // Tolerant comparisons: epochs less than 1e-14 s apart satisfy both.
    bool operator>=(const mjd& d) const;
    bool operator<=(const mjd& d) const;

    unsigned long GetMJDay() const { return mjday; }
    long double GetSecond() const { return second; }
    long double GetMJDDec() const { return mjday + second / 86400.0L; }

    static constexpr unsigned int DayLimit = 200000; // first day number that is not valid
    bool TestMJDay() const { return mjday < DayLimit; }
    bool TestSecond() const { return second >= 0 && second < 86400; }
    void TestDatum() const;
    [[noreturn]] static void Error(const char* error);

  private:
    unsigned int mjday = 0;
    long double second = 0;
    friend long double operator-(const mjd& d1, const mjd& d2);
};

// d1 - d2 in seconds.
long double operator-(const mjd& d1, const mjd& d2);
// The day and the second of day: one decimal of the second, or as many as WithDecimals asks for.
std::ostream& operator<<(std::ostream& out, const mjd& d);
struct mjdText {
    const mjd& epoch;
    int decimals;
};
inline mjdText WithDecimals(const mjd& d, int decimals) { return {d, decimals}; }
std::ostream& operator<<(std::ostream& out, const mjdText& t);

#endif
