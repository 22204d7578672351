// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

gnssobs Obs(long double v, unsigned short lli = 0, unsigned short ss = 0) { return {v, lli, ss}; }

gnssobs Field(const char* field16)
{
    gnssobs o = Obs(1, 9, 9);
    o >> field16;
    return o;
}

// The written column, then a number, to show the state the stream is left in.
std::string Text(const gnssobs& o)
{
    std::ostringstream out;
    out << o << '|' << 0.5L;
    return out.str();
}

} // namespace

TEST(gnssobs, FieldGivesValueAndFlagsAndIsWrittenBack)
{
    EXPECT_EQ(Text(Field("                ")), "         *.*** * *|0.500000");
    EXPECT_EQ(Text(Field("  20123456.789 5")), "  20123456.789 0 5|0.500");
    EXPECT_EQ(Text(Field("  20123456.78917")), "  20123456.789 1 7|0.500");
    EXPECT_EQ(Field("  20123456.78917").obs, static_cast<long double>(20123456.789));
    EXPECT_EQ(Text(Field("   -123.25")), "      -123.250 0 0|0.500"); // ends early: no flags
}

TEST(gnssobs, MissingBelowATenThousandthWrittenBelowAHundredThousandth)
{
    EXPECT_TRUE(Field("                ").IsNull());
    EXPECT_TRUE(Obs(0.00005L).IsNull());
    EXPECT_EQ(Text(Obs(0.00005L, 1, 2)), "         0.000 1 2|0.500");
    EXPECT_FALSE(Obs(static_cast<long double>(0.0001)).IsNull());
    EXPECT_EQ(Text(Obs(static_cast<long double>(0.00001))), "         *.*** * *|0.500000");
}

TEST(gnssobs, ScalingKeepsFlagsSumsAndDifferencesDoNot)
{
    EXPECT_EQ(Text(2.0L * Obs(1.5L, 1, 7)), "         3.000 1 7|0.500");
    EXPECT_EQ(Text(3.0L * Obs(0, 1, 7)), "         *.*** * *|0.500000");
    EXPECT_EQ(Text(Obs(100, 1, 7) + Obs(20.5L, 2, 8)), "       120.500 0 0|0.500");
    EXPECT_EQ(Text(Obs(100, 1, 7) - Obs(20.5L, 2, 8)), "        79.500 0 0|0.500");
    EXPECT_EQ((Obs(100, 1, 7) - Obs(0)).obs, 0); // missing, not 100
    EXPECT_EQ((Obs(0) + Obs(100)).obs, 0);
    EXPECT_EQ((Obs(100) - Obs(0.00005L)).obs, 0);
}

namespace {

// The plain path of a value: what the stream writes on a fixed-point stream.
std::string StreamFixed3(long double v, int width)
{
    std::ostringstream s;
    s << std::fixed << std::setw(width) << std::setprecision(3) << v;
    return s.str();
}

std::string Fast(long double v, int width)
{
    char buf[64];
    int n = FormatFixed3(v, width, buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : StreamFixed3(v, width);
}

} // namespace

// The integer path writes what the stream writes, on random values of every magnitude, on exact
// ties of the binary value (x.0625 etc. and x.5 thousandths), on negatives that round to -0.000 and
// on values it must leave to the stream (huge, NaN).
TEST(gnssobs, FastFormatWritesWhatTheStreamWrites)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mag(-6, 13), unit(-1, 1);
    for (int i = 0; i < 200000; ++i) {
        long double v = static_cast<long double>(unit(rng)) * std::pow(10.0L, mag(rng));
        if (i % 3 == 0) v = 2.0L * v; // long double products as the linear combinations form them
        ASSERT_EQ(Fast(v, 14), StreamFixed3(v, 14)) << static_cast<double>(v);
        ASSERT_EQ(Fast(v, 10), StreamFixed3(v, 10)) << static_cast<double>(v);
        // the seconds of the time forms: fewer decimals, another fill
        for (int decimals : {0, 1, 2}) {
            char buf[64];
            std::ostringstream s;
            s << std::fixed << std::setfill('0') << std::setw(8) << std::setprecision(decimals)
              << v;
            int n = FormatFixed(v, decimals, 8, buf, '0');
            if (n > 0) {
                ASSERT_EQ(std::string(buf, static_cast<std::size_t>(n)), s.str()) << decimals;
            }
        }
    }
    for (long double v : {0.0005L, 0.0015L, 0.0025L, -0.0025L, 1.0625L, 2.0005L, 123456.0625L,
                          -0.0004L, -0.0L, 0.0L, 999999999999.9995L, 1e12L, -3e15L, 1e30L,
                          std::numeric_limits<long double>::quiet_NaN()})
        EXPECT_EQ(Fast(v, 14), StreamFixed3(v, 14)) << static_cast<double>(v);
    char buf[64];
    EXPECT_EQ(FormatFixed3(0.0625L, 14, buf), 0) << "a tie is left to the stream";
    EXPECT_EQ(FormatFixed3(1e16L, 14, buf), 0) << "a huge value is left to the stream";
}

namespace {

// The values around v: the few next representable ones on either side.
std::vector<long double> Around(long double v)
{
    std::vector<long double> r{v};
    long double up = v, down = v;
    for (int k = 0; k < 3; ++k) {
        up = std::nextafter(up, std::numeric_limits<long double>::infinity());
        down = std::nextafter(down, -std::numeric_limits<long double>::infinity());
        r.push_back(up);
        r.push_back(down);
    }
    return r;
}

// Every form the integer path writes against the stream, each sign.
void ExpectAsStream(long double v)
{
    for (long double x : {v, -v})
        for (int decimals : {0, 1, 2, 3})
            for (int width : {0, 8, 10, 14}) {
                std::ostringstream s;
                s << std::fixed << std::setw(width) << std::setprecision(decimals) << x;
                char buf[64];
                const int n = FormatFixed(x, decimals, width, buf);
                if (n > 0) {
                    ASSERT_EQ(std::string(buf, static_cast<std::size_t>(n)), s.str());
                }
                // and through the stream's own writer, which falls back where the path declines
                std::ostringstream w;
                w << std::fixed;
                WriteFixed(w, x, decimals, width);
                ASSERT_EQ(w.str(), s.str()) << decimals << " " << width;
            }
}

} // namespace

// Edge values, each with its neighbours: halves at the third decimal as decimal text gives them
// and as exact binary ties, carries that lengthen the number, the widths' limits, the largest
// values the integer path takes and those beyond, values wider than the column, zeros of both
// signs, subnormals, infinities.
TEST(gnssobs, FastFormatEdgesWriteWhatTheStreamWrites)
{
    std::vector<long double> edges;
    for (int k = 0; k < 2000; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "%d.%03d5", k / 7, k % 1000);
        edges.push_back(std::strtold(text, nullptr));
        edges.push_back(static_cast<long double>(std::strtod(text, nullptr))); // as a double
        edges.push_back(k * 0.0625L);                                          // exact ties
        edges.push_back(k + 0.0005L);
    }
    for (long double v : {0.0L,
                          0.00001L,
                          0.0004999L,
                          0.9995L,
                          9.9995L,
                          9999.9995L,
                          99999.9995L,
                          999999999.9995L,
                          9999999999.999L,
                          99999999999.999L,
                          999999999999.999L,
                          1e12L,
                          1e15L,
                          4503599627370495.5L,
                          4503599627370496.0L,
                          1e16L,
                          1e20L,
                          1e300L,
                          std::numeric_limits<long double>::denorm_min(),
                          std::numeric_limits<long double>::min(),
                          std::numeric_limits<long double>::max()})
        for (long double x : Around(v)) edges.push_back(x);
    edges.push_back(std::numeric_limits<long double>::infinity());
    for (long double v : edges) {
        ExpectAsStream(v);
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "value " << std::setprecision(25) << v;
            return;
        }
    }
}

// A column is "*.***" at or below a hundred-thousandth (and for a NaN) and the number above it,
// as the stream writes it.
TEST(gnssobs, ColumnEdgesWriteWhatTheStreamWrites)
{
    const long double limit = static_cast<long double>(0.00001);
    std::vector<long double> values = Around(limit);
    for (long double v : Around(0.0005L)) values.push_back(v);
    values.push_back(std::numeric_limits<long double>::quiet_NaN());
    values.push_back(std::numeric_limits<long double>::infinity());
    for (long double v : values)
        for (long double x : {v, -v}) {
            std::ostringstream s;
            s << std::fixed;
            if (std::fabs(x) > limit)
                s << std::setw(14) << std::setprecision(3) << x << " 1 2";
            else
                s << std::setw(14) << "*.***"
                  << " * *";
            char buf[MaxColumn];
            EXPECT_EQ(std::string(buf, PutColumn(buf, x, 14, 1, 2)), s.str())
                << std::setprecision(25) << x;
        }
}

// Whole numbers of the time forms: what the stream writes with the fill and width given, in any
// layout the stream is left in, and the fill stays set afterwards.
TEST(gnssobs, WholeNumbersAreWrittenAsTheStreamWritesThem)
{
    for (unsigned long n : {0UL, 7UL, 42UL, 2015UL, 57066UL, 123456789UL, 18446744073709551615UL})
        for (int width : {0, 2, 5, 6})
            for (char fill : {' ', '0'})
                for (auto layout : {std::ios::fmtflags{}, std::ios::left, std::ios::showpos}) {
                    std::ostringstream fast, stream;
                    fast.setf(layout);
                    stream.setf(layout);
                    fast << std::setw(9); // a width left over is not taken
                    WriteWhole(fast, n, width, fill);
                    stream << std::setfill(fill) << std::setw(width) << n;
                    ASSERT_EQ(fast.str(), stream.str()) << n << " " << width << " '" << fill << "'";
                    EXPECT_EQ(fast.fill(), fill);
                    EXPECT_EQ(fast.width(), 0);
                }
}

// The fast parser gives the very double atof gives on F14.3 fields, and declines anything else.
TEST(gnssobs, FastParseGivesWhatAtofGives)
{
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200000; ++i) {
        long long n = static_cast<long long>(rng() % 100000000000000ULL) - 50000000000000LL;
        char field[32];
        std::snprintf(field, sizeof field, "%s%lld.%03lld", n < 0 ? "-" : "", std::llabs(n) / 1000,
                      std::llabs(n) % 1000);
        char padded[32];
        std::snprintf(padded, sizeof padded, "%14s", field);
        if (std::strlen(padded) > 14) continue;
        double fast = 0;
        ASSERT_TRUE(ParseFixed3(padded, fast)) << padded;
        ASSERT_EQ(fast, std::atof(padded)) << padded;
    }
    double v = 1;
    EXPECT_TRUE(ParseFixed3("        -0.000", v));
    EXPECT_TRUE(std::signbit(v)) << "-0.000 keeps its sign, as atof does";
    EXPECT_TRUE(ParseFixed3("1234567890.123", v) && v == 1234567890.123) << "ten digits";
    EXPECT_TRUE(ParseFixed3("-123456789.125", v) && v == -123456789.125) << "a sign and nine";
    EXPECT_TRUE(ParseFixed3("              ", v));
    EXPECT_TRUE(v == 0 && !std::signbit(v)) << "a blank field is +0, as atof gives";
    for (const char* odd :
         {"   1.23456e+02", "      1234.56 ", "     +1234.567", "     1234.5 67", "       .123   ",
          "    12a4.567  ", "  1234.567", "", "   -   123.456", "     1234,567 ", "  1234 678.123",
          "  12-45678.123", "  12345:78.123", "  1234/678.123", "1 34567890.123", " 123456789.12a",
          "\xb1"
          "234567890.123",
          "  123456789.1 3"}) {
        EXPECT_FALSE(ParseFixed3(odd, v)) << '"' << odd << '"';
        gnssobs o;
        o >> odd;
        char buf[15] = {};
        std::strncpy(buf, odd, 14);
        EXPECT_EQ(o.obs, static_cast<long double>(std::atof(buf))) << '"' << odd << '"';
    }
}
