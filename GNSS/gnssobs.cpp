// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobs.h"

#include "PROGINC/cstringf.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>

namespace {

// The flag at position i of a field: blank is 0, otherwise the character's code minus the code of
// '0'. A field text that ends before i has a blank there: nothing past its end is read.
unsigned short FlagDigit(const char* line, std::size_t length, std::size_t i)
{
    return i >= length || line[i] == ' ' ? 0 : static_cast<unsigned short>(line[i] - '0');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The stream pads as the integer path does: right-aligned, no forced '+'.
bool PlainLayout(const std::ostream& out)
{
    return !(out.flags() & (std::ios::left | std::ios::internal | std::ios::showpos));
}

// A flag digit as out << std::setw(2) << flag writes it.
char* PutFlag(char* p, unsigned short flag)
{
    char d[8];
    int k = 0;
    do {
        d[k++] = static_cast<char>('0' + flag % 10);
        flag = static_cast<unsigned short>(flag / 10);
    } while (flag);
    if (k < 2) *p++ = ' ';
    while (k > 0) *p++ = d[--k];
    return p;
}

// Both operands present, else the missing value; flags of a formed value are always 0.
gnssobs Formed(const gnssobs& o1, const gnssobs& o2, long double value)
{
    gnssobs r;
    if (!o1.IsNull() && !o2.IsNull()) r.obs = value;
    return r;
}

} // namespace

bool ParseFixed3(const char* field, double& value)
{
    const int width = 14;
    int i = 0;
    while (i < width && field[i] == ' ') ++i;
    if (i == width) { // a blank field, the usual missing observation: atof gives +0
        value = 0.0;
        return true;
    }
    bool negative = i < width && field[i] == '-';
    if (negative) ++i;
    int first = i;
    std::uint64_t n = 0;
    while (i < width && IsDigit(field[i])) n = n * 10 + static_cast<unsigned>(field[i++] - '0');
    // At most ten integer digits fit before ".ddd", so n * 1000 stays far below 2^53: exact as a
    // double, and one division by 1000 is correctly rounded, as atof is.
    if (i == first || i != width - 4 || field[i] != '.') return false;
    for (int k = i + 1; k < width; ++k) {
        if (!IsDigit(field[k])) return false;
        n = n * 10 + static_cast<unsigned>(field[k] - '0');
    }
    double v = static_cast<double>(n) / 1000.0;
    value = negative ? -v : v;
    return true;
}

int FormatFixed3(long double v, int width, char* buf, char fill)
{
    long double a = std::fabs(v);
    if (!(a < 1e12L)) return 0; // also NaN
    // a * 1000 is below 2^50, so its rounding error is below 1e-4; away from .5 by more than
    // 1e-3 the nearest integer is the one printf rounds to.
    long double scaled = a * 1000.0L;
    auto n = static_cast<std::uint64_t>(scaled);
    long double frac = scaled - static_cast<long double>(n);
    if (std::fabs(frac - 0.5L) < 1e-3L) return 0;
    if (frac > 0.5L) ++n;
    char d[24];
    int k = 0;
    do {
        d[k++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n || k < 4);
    bool minus = std::signbit(v);
    int length = k + 1 + (minus ? 1 : 0);
    int pad = width > length ? width - length : 0;
    char* p = buf;
    std::memset(p, fill, static_cast<std::size_t>(pad));
    p += pad;
    if (minus) *p++ = '-';
    while (k > 3) *p++ = d[--k];
    *p++ = '.';
    while (k > 0) *p++ = d[--k];
    return static_cast<int>(p - buf);
}

void WriteFixed3(std::ostream& out, long double v, int width)
{
    char buf[64];
    int n = gnssobsns::PlainText || !PlainLayout(out) ? 0 : FormatFixed3(v, width, buf, out.fill());
    if (n > 0) {
        out.precision(3);
        out.write(buf, n);
    } else
        out << std::setw(width) << std::setprecision(3) << v;
}

long double ParseObsValue(const char* field)
{
    double fast;
    if (!gnssobsns::PlainText && ParseFixed3(field, fast)) return fast;
    char buf[15];
    substr(field, 0, 14, buf);
    return std::atof(buf);
}

bool gnssobs::IsNull() const { return std::fabs(obs) < static_cast<long double>(0.0001); }

gnssobs& gnssobs::operator>>(const char* line)
{
    std::size_t length = strnlen(line, 16);
    lli = FlagDigit(line, length, 14);
    ss = FlagDigit(line, length, 15);
    obs = ParseObsValue(line);
    return *this;
}

gnssobs operator*(long double k, const gnssobs& obs)
{
    gnssobs r = obs;
    r.obs = k * obs.obs;
    return r;
}

gnssobs operator-(const gnssobs& o1, const gnssobs& o2) { return Formed(o1, o2, o1.obs - o2.obs); }

gnssobs operator+(const gnssobs& o1, const gnssobs& o2) { return Formed(o1, o2, o1.obs + o2.obs); }

std::ostream& operator<<(std::ostream& out, const gnssobs& o)
{
    out << std::fixed;
    if (std::fabs(o.obs) > static_cast<long double>(0.00001)) {
        WriteFixed3(out, o.obs, 14);
        if (gnssobsns::PlainText || !PlainLayout(out) || out.fill() != ' ')
            out << std::setw(2) << o.lli << std::setw(2) << o.ss;
        else {
            char buf[16];
            char* end = PutFlag(PutFlag(buf, o.lli), o.ss);
            out.write(buf, end - buf);
        }
    } else
        out << std::setw(14) << "*.***" << " * *";
    return out;
}
