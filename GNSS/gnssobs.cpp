// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>
#include <string>

namespace {

// kestrova-plain compiles this file once more with KESTROVA_PLAIN_TEXT: every value then goes
// through atof and the stream, the reference the fast text paths below are checked against.
#ifdef KESTROVA_PLAIN_TEXT
constexpr bool PlainTextOnly = true;
#else
constexpr bool PlainTextOnly = false;
#endif

// The flag at position i of a field: blank is 0, otherwise the character's code minus the code of
// '0'. A field text that ends before i has a blank there: nothing past its end is read.
unsigned short FlagDigit(const char* line, std::size_t length, std::size_t i)
{
    return i >= length || line[i] == ' ' ? 0 : static_cast<unsigned short>(line[i] - '0');
}

// The stream pads as the integer path does: right-aligned, no forced '+'.
bool PlainLayout(const std::ostream& out)
{
    return !(out.flags() & (std::ios::left | std::ios::internal | std::ios::showpos));
}

// Two digits at a time, the last ones first.
constexpr auto DigitPairs = [] {
    std::array<char, 200> t{};
    for (int i = 0; i < 100; ++i) {
        t[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        t[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// Writes the digits of n ending before end; returns where they begin.
char* DigitsBefore(char* end, std::uint64_t n)
{
    for (; n >= 100; n /= 100) {
        end -= 2;
        std::memcpy(end, &DigitPairs[2 * (n % 100)], 2);
    }
    if (n < 10) {
        *--end = static_cast<char>('0' + n);
        return end;
    }
    end -= 2;
    std::memcpy(end, &DigitPairs[2 * n], 2);
    return end;
}

// ".000" to ".999": the point and the three decimals of a value in one copy.
constexpr auto Thousandths = [] {
    std::array<char, 4000> t{};
    for (int i = 0; i < 1000; ++i) {
        const auto at = static_cast<std::size_t>(4 * i);
        t[at] = '.';
        t[at + 1] = static_cast<char>('0' + i / 100);
        t[at + 2] = static_cast<char>('0' + i / 10 % 10);
        t[at + 3] = static_cast<char>('0' + i % 10);
    }
    return t;
}();

// n units of 10^-D written with D decimals, ending before end; returns where they begin.
template <int D> char* FixedDigitsBefore(char* end, std::uint64_t n)
{
    if constexpr (D == 3) {
        end -= 4;
        std::memcpy(end, &Thousandths[4 * (n % 1000)], 4);
        n /= 1000;
    } else if constexpr (D > 0) {
        constexpr std::uint64_t unit = D == 1 ? 10 : 100;
        std::uint64_t f = n % unit;
        n /= unit;
        for (int k = 0; k < D; ++k, f /= 10) *--end = static_cast<char>('0' + f % 10);
        *--end = '.';
    }
    return DigitsBefore(end, n);
}

char* FixedDigitsBefore(char* end, std::uint64_t n, int decimals)
{
    switch (decimals) {
    case 0: return FixedDigitsBefore<0>(end, n);
    case 1: return FixedDigitsBefore<1>(end, n);
    case 2: return FixedDigitsBefore<2>(end, n);
    default: return FixedDigitsBefore<3>(end, n);
    }
}

// A flag digit as out << std::setw(2) << flag writes it.
char* PutFlag(char* p, unsigned short flag)
{
    if (flag < 10) {
        p[0] = ' ';
        p[1] = static_cast<char>('0' + flag);
        return p + 2;
    }
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

const char Stars[] = "*.***";
const char NoFlags[] = " * *";

// n fill characters at p (none when n is not above 0); returns their end. Up to 16 are written
// in one go: the callers have room for 16.
char* Pad(char* p, int n, char fill)
{
    if (n <= 0) return p;
    if (n <= 16)
        std::memset(p, fill, 16);
    else
        std::memset(p, fill, static_cast<std::size_t>(n));
    return p + n;
}

// The fields of an 80-bit extended value: its sign, its biased exponent and its 64-bit mantissa
// with the explicit leading bit; the value is mantissa x 2^(exponent - Bias). Taken from the
// bits, a value is scaled and rounded in exact integer arithmetic, without the chain of x87
// operations (each of a long latency) that scaling and rounding in long double needs.
static_assert(std::numeric_limits<long double>::digits == 64, "the 80-bit extended format");
struct Extended {
    bool negative;
    unsigned exponent;
    std::uint64_t mantissa;
};

constexpr unsigned MaxExponent = 0x7fff; // infinities and NaNs
constexpr unsigned Bias = 16383 + 63;    // of the mantissa read as a whole number

Extended Fields(long double v)
{
    unsigned char bytes[10];
    std::memcpy(bytes, &v, sizeof bytes);
    Extended e{};
    std::memcpy(&e.mantissa, bytes, 8);
    const unsigned top = bytes[8] | unsigned{bytes[9]} << 8;
    e.negative = (top & 0x8000u) != 0;
    e.exponent = top & MaxExponent;
    return e;
}

bool IsNaN(const Extended& e) { return e.exponent == MaxExponent && (e.mantissa << 1) != 0; }

// A value is written as a number above this; at or below it (and a NaN) as "*.***". Magnitudes
// order as their bits do: the exponent first, then the mantissa.
const Extended WrittenAbove = Fields(static_cast<long double>(0.00001));
bool IsWritten(const Extended& e)
{
    if (IsNaN(e)) return false;
    if (e.exponent != WrittenAbove.exponent) return e.exponent > WrittenAbove.exponent;
    return e.mantissa > WrittenAbove.mantissa;
}
bool IsWritten(long double v) { return IsWritten(Fields(v)); }

constexpr std::uint64_t PowersOfTen[] = {1, 10, 100, 1000};

// The magnitude of e times 10^decimals (0 to 3) rounded to the nearest whole number, into n, as
// printf rounds the exact binary value. false for an exact tie (left to the stream and whatever
// rule it rounds ties by), for magnitudes of 2^52 and more, infinities, NaNs and encodings no
// arithmetic makes (a nonzero exponent without the leading bit).
bool ScaledWhole(const Extended& e, int decimals, std::uint64_t& n)
{
    __extension__ typedef unsigned __int128 U128;
    n = 0;
    if (e.exponent == 0) return true; // zero or subnormal: far below a thousandth
    if (e.exponent > Bias - 12 || (e.mantissa >> 63) == 0) return false;
    const unsigned shift = Bias - e.exponent; // 12 or more
    // the scaled mantissa is below 2^74: shifted by 76 or more it is below a quarter
    if (shift >= 76) return true;
    const U128 scaled = U128{e.mantissa} * PowersOfTen[decimals];
    const U128 half = U128{1} << (shift - 1);
    const U128 rest = scaled & ((half << 1) - 1);
    if (rest == half) return false;
    n = static_cast<std::uint64_t>(scaled >> shift) + (rest > half ? 1 : 0);
    return true;
}

// The number of digits of n (1 for 0).
int DigitCount(std::uint64_t n)
{
    int k = 1;
    for (std::uint64_t p = 10; k < 20 && n >= p; p *= 10) ++k;
    return k;
}

// FormatFixed of a value's fields. The length is known before the first character is written, so
// the digits go straight to their place after the padding: a number built elsewhere and copied
// in one wide load would wait for the narrow stores of its digits to retire.
int FormatFields(const Extended& e, int decimals, int width, char* buf, char fill)
{
    std::uint64_t n = 0;
    if (!ScaledWhole(e, decimals, n)) return 0;
    const int whole = std::max(1, DigitCount(n) - decimals);
    const int length = (e.negative ? 1 : 0) + whole + (decimals > 0 ? decimals + 1 : 0);
    char* p = Pad(buf, width - length, fill);
    FixedDigitsBefore(p + length, n, decimals);
    if (e.negative) *p = '-';
    return static_cast<int>(p + length - buf);
}

// The column through the stream's own formatting.
void StreamColumn(std::ostream& out, long double v, int width, unsigned short lli,
                  unsigned short ss)
{
    out << std::fixed;
    if (IsWritten(v))
        out << std::setw(width) << std::setprecision(3) << v << std::setw(2) << lli << std::setw(2)
            << ss;
    else
        out << std::setw(width) << Stars << NoFlags;
}

// Eight characters from p, the first in the lowest byte.
std::uint64_t Load8(const char* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

constexpr std::uint64_t Bytes(unsigned char c) { return 0x0101010101010101ULL * c; }

// The number of eight digit characters, the first in the lowest byte; false when one of them
// is not a digit.
bool EightDigits(std::uint64_t w, std::uint64_t& n)
{
    // every high half 3, and still 3 after adding 6 to the low half
    if (((w & Bytes(0xf0)) | (((w + Bytes(6)) & Bytes(0xf0)) >> 4)) != Bytes(0x33)) return false;
    w -= Bytes('0');
    w = w * 10 + (w >> 8); // pairs of digits in the even bytes
    w = (((w & 0x000000ff000000ffULL) * (100 + (1000000ULL << 32))) +
         (((w >> 16) & 0x000000ff000000ffULL) * (1 + (10000ULL << 32)))) >>
        32;
    n = w;
    return true;
}

// ParseFixed3 of a field whose 14 characters are all there: the integer digits before the point
// at 10 are taken eight at a time (characters 2 to 9, those before the first digit counting
// as 0), the rest one by one.
bool ParseFixed3Whole(const char* f, double& value)
{
    constexpr int Point = 10;
    // leading blanks: the first character that is not one, from the lowest byte up
    std::uint64_t x = Load8(f) ^ Bytes(' ');
    int i = x != 0 ? __builtin_ctzll(x) / 8 : 0;
    if (x == 0) {
        x = Load8(f + 6) ^ Bytes(' ');
        if (x == 0) { // a blank field, the usual missing observation: atof gives +0
            value = 0.0;
            return true;
        }
        i = 6 + __builtin_ctzll(x) / 8;
    }
    const bool negative = f[i] == '-';
    if (negative) ++i;
    if (i >= Point || f[Point] != '.') return false; // no digit before the point
    std::uint64_t n = 0;
    for (; i < 2; ++i) {
        const unsigned d = static_cast<unsigned char>(f[i]) - unsigned{'0'};
        if (d > 9) return false;
        n = n * 10 + d;
    }
    const int before = i - 2; // characters of 2..9 before the first digit
    const std::uint64_t keep = before == 0 ? ~0ULL : ~0ULL << (8 * before);
    std::uint64_t low = 0;
    if (!EightDigits((Load8(f + 2) & keep) | (Bytes('0') & ~keep), low)) return false;
    n = n * 100000000ULL + low;
    for (i = Point + 1; i < Point + 4; ++i) {
        const unsigned d = static_cast<unsigned char>(f[i]) - unsigned{'0'};
        if (d > 9) return false;
        n = n * 10 + d;
    }
    // At most ten integer digits fit before ".ddd", so n stays far below 2^53: exact as a
    // double, and one division by 1000 is correctly rounded, as atof is.
    double v = static_cast<double>(n) / 1000.0;
    value = negative ? -v : v;
    return true;
}

} // namespace

long double ParseObsValue(const char* field, std::size_t length)
{
    double fast;
    if (!PlainTextOnly && length >= 14 && ParseFixed3Whole(field, fast)) return fast;
    char buf[15];
    const std::size_t n = std::min<std::size_t>(length, 14);
    std::memcpy(buf, field, n);
    buf[n] = '\0';
    return std::atof(buf);
}

int FormatFixed(long double v, int decimals, int width, char* buf, char fill)
{
    return FormatFields(Fields(v), decimals, width, buf, fill);
}

void WriteFixed(std::ostream& out, long double v, int decimals, int width)
{
    char buf[64];
    const bool plain = PlainTextOnly || !PlainLayout(out);
    int n = plain ? 0 : FormatFixed(v, decimals, width, buf, out.fill());
    if (n > 0) {
        out.precision(decimals);
        out.write(buf, n);
    } else
        out << std::setw(width) << std::setprecision(decimals) << v;
}

void WriteWhole(std::ostream& out, unsigned long n, int width, char fill)
{
    char buf[64];
    const int length = PlainTextOnly || !PlainLayout(out)
                           ? 0
                           : FormatFixed(static_cast<long double>(n), 0, width, buf, fill);
    out.fill(fill);
    if (length > 0) {
        out.width(0);
        out.write(buf, length);
    } else
        out << std::setw(width) << n;
}

char* PutColumn(char* p, long double v, int width, unsigned short lli, unsigned short ss)
{
    const Extended e = Fields(v);
    if (!IsWritten(e)) {
        p = Pad(p, width - 5, ' ');
        std::memcpy(p, Stars, 5);
        std::memcpy(p + 5, NoFlags, 4);
        return p + 9;
    }
    int n = PlainTextOnly ? 0 : FormatFields(e, 3, width, p, ' ');
    if (n > 0) return PutFlag(PutFlag(p + n, lli), ss);
    // the stream's own formatting: the plain path, a huge value, a rounding tie
    std::ostringstream text;
    StreamColumn(text, v, width, lli, ss);
    const std::string& t = text.str();
    std::size_t length = std::min(t.size(), static_cast<std::size_t>(MaxColumn));
    std::memcpy(p, t.data(), length);
    return p + length;
}

// A field shorter than 14 characters is never an F14.3 number.
bool ParseFixed3(const char* field, double& value)
{
    return strnlen(field, 14) == 14 && ParseFixed3Whole(field, value);
}

long double ParseObsValue(const char* field) { return ParseObsValue(field, strnlen(field, 14)); }

gnssobs& gnssobs::operator>>(const char* line) { return Read(line, strnlen(line, 16)); }

gnssobs& gnssobs::Read(const char* field, std::size_t length)
{
    lli = FlagDigit(field, length, 14);
    ss = FlagDigit(field, length, 15);
    obs = ParseObsValue(field, length);
    return *this;
}

gnssobs operator*(long double k, const gnssobs& obs)
{
    gnssobs r = obs;
    r.obs = k * obs.obs;
    return r;
}

gnssobs operator-(const gnssobs& o1, const gnssobs& o2)
{
    return FormedObs(ObsDifference(o1.obs, o2.obs));
}

gnssobs operator+(const gnssobs& o1, const gnssobs& o2)
{
    return FormedObs(ObsSum(o1.obs, o2.obs));
}

void WriteColumn(std::ostream& out, long double v, int width, unsigned short lli, unsigned short ss)
{
    if (PlainTextOnly || !PlainLayout(out) || out.fill() != ' ') {
        StreamColumn(out, v, width, lli, ss);
        return;
    }
    out << std::fixed;
    if (IsWritten(v)) out.precision(3);
    char buf[MaxColumn];
    out.write(buf, PutColumn(buf, v, width, lli, ss) - buf);
}

std::ostream& operator<<(std::ostream& out, const gnssobs& o)
{
    WriteColumn(out, o.obs, 14, o.lli, o.ss);
    return out;
}
