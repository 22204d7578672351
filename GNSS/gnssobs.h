// SPDX-License-Identifier: BSD-2-Clause
// gnssobs: one code or phase observation with its loss-of-lock and signal-strength digits.
// The value 0 means that there is no observation.
#ifndef KESTROVA_GNSS_GNSSOBS_H
#define KESTROVA_GNSS_GNSSOBS_H

#include "matrix/matrix.h"

#include <cmath>
#include <cstddef>
#include <ostream>

// A missing observation: a value below a ten-thousandth.
inline bool IsNullObs(long double v) { return std::fabs(v) < static_cast<long double>(0.0001); }

class gnssobs {
  public:
    long double obs = 0;
    unsigned short lli = 0;
    unsigned short ss = 0;

    bool IsNull() const { return IsNullObs(obs); }
    // Parses one 16-character RINEX field: F14.3, loss-of-lock digit, signal-strength digit. A text
    // that ends early reads as blanks from its end on.
    gnssobs& operator>>(const char* line);
    // The same of a field whose first length characters (up to 16) are there, read in place.
    gnssobs& Read(const char* field, std::size_t length);
};

template <> inline constexpr bool ZeroIsEmpty<gnssobs> = true;

// The rules of sums and differences on bare values: missing (0) as soon as either operand is.
inline long double ObsDifference(long double a, long double b)
{
    return IsNullObs(a) || IsNullObs(b) ? 0.0L : a - b;
}
inline long double ObsSum(long double a, long double b)
{
    return IsNullObs(a) || IsNullObs(b) ? 0.0L : a + b;
}

// A value formed from two or more observations: its flags are always 0.
inline gnssobs FormedObs(long double value)
{
    gnssobs r;
    r.obs = value;
    return r;
}

gnssobs operator*(long double k, const gnssobs& obs);
gnssobs operator-(const gnssobs& o1, const gnssobs& o2);
gnssobs operator+(const gnssobs& o1, const gnssobs& o2);
std::ostream& operator<<(std::ostream& out, const gnssobs& o);

// The value of the 14 value characters of a RINEX observation field, converted as atof does;
// with length, of a field whose first length characters are there (the rest read as blanks).
long double ParseObsValue(const char* field);
long double ParseObsValue(const char* field, std::size_t length);

// The value of the first up to 14 characters of field when they are blanks, an optional '-',
// digits,
// '.' and three digits ending at the 14th: the double atof gives. false for anything else.
bool ParseFixed3(const char* field, double& value);

// Writes v as printf("%*.*Lf", width, decimals, v) does (decimals 0 to 3), padded with fill, into
// buf (room for width + 32 characters) and returns the length; 0 when the integer path leaves v
// to the stream: a magnitude of 2^52 or more, an infinity or NaN, or an exact tie of the binary
// value at the last decimal.
int FormatFixed(long double v, int decimals, int width, char* buf, char fill = ' ');
inline int FormatFixed3(long double v, int width, char* buf, char fill = ' ')
{
    return FormatFixed(v, 3, width, buf, fill);
}

// Writes v as out << std::setw(width) << std::setprecision(decimals) << v does on a fixed-point
// stream (the stream's fill pads it).
void WriteFixed(std::ostream& out, long double v, int decimals, int width);
inline void WriteFixed3(std::ostream& out, long double v, int width)
{
    WriteFixed(out, v, 3, width);
}
// Writes n as out << std::setfill(fill) << std::setw(width) << n does, and leaves fill the
// stream's fill character.
void WriteWhole(std::ostream& out, unsigned long n, int width, char fill);

// One column of the listing: v right-aligned in width characters with 3 decimals, then the two
// flags right-aligned in 2 characters each; "*.***" in width characters and " * *" when |v| is
// not above a hundred-thousandth. WriteColumn writes it to a stream (the stream is left
// fixed-point, with precision 3 after a number); PutColumn at p, returning the end: at most
// MaxColumn characters, as no value formed from double-precision input is longer.
inline constexpr int MaxColumn = 512;
void WriteColumn(std::ostream& out, long double v, int width, unsigned short lli,
                 unsigned short ss);
char* PutColumn(char* p, long double v, int width, unsigned short lli, unsigned short ss);
inline char* PutColumn(char* p, const gnssobs& o) { return PutColumn(p, o.obs, 14, o.lli, o.ss); }

#endif
