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

namespace {

gnssobs Field(const char* field16)
{
    gnssobs o;
    o >> field16;
    return o;
}

gnssobs Value(long double v, unsigned short lli = 0, unsigned short ss = 0)
{
    gnssobs o;
    o.obs = v;
    o.lli = lli;
    o.ss = ss;
    return o;
}

std::string Text(const gnssobs& o)
{
    std::ostringstream out;
    out << o << '|' << 0.5L; // fixed in both forms, precision 3 only after a number
    return out.str();
}

} // namespace

TEST(gnssobs, FieldGivesValueAndBothFlags)
{
    gnssobs blank = Field("                ");
    EXPECT_EQ(blank.obs, 0);
    EXPECT_EQ(blank.lli + blank.ss, 0);
    EXPECT_TRUE(blank.IsNull());
    gnssobs o = Field("  20123456.789 5");
    EXPECT_EQ(o.obs, static_cast<long double>(20123456.789));
    EXPECT_EQ(o.lli, 0);
    EXPECT_EQ(o.ss, 5);
    o = Field("  20123456.78917"); // the flags are not part of the value
    EXPECT_EQ(o.obs, static_cast<long double>(20123456.789));
    EXPECT_EQ(o.lli, 1);
    EXPECT_EQ(o.ss, 7);
    o = Field("   -123.5"); // a text that ends early: nothing beyond it is read
    EXPECT_EQ(o.obs, -123.5);
    EXPECT_EQ(o.lli + o.ss, 0);
}

TEST(gnssobs, WrittenAsNumberWithFlagsOrAsMissing)
{
    EXPECT_EQ(Text(Field("                ")), "         *.*** * *|0.500000");
    EXPECT_EQ(Text(Field("  20123456.789 5")), "  20123456.789 0 5|0.500");
    EXPECT_EQ(Text(Value(-0.25L, 1, 7)), "        -0.250 1 7|0.500");
    // Missing by IsNull, but still written as a number.
    gnssobs tiny = Value(0.00005L, 1, 2);
    EXPECT_TRUE(tiny.IsNull());
    EXPECT_EQ(Text(tiny), "         0.000 1 2|0.500");
    EXPECT_FALSE(Value(static_cast<long double>(0.0001)).IsNull());
    EXPECT_EQ(Text(Value(static_cast<long double>(0.00001))), "         *.*** * *|0.500000");
}

TEST(gnssobs, ScalingKeepsFlagsSumsAndDifferencesDoNot)
{
    gnssobs scaled = 2.0L * Value(1.5L, 1, 7);
    EXPECT_EQ(scaled.obs, 3);
    EXPECT_EQ(scaled.lli * 10 + scaled.ss, 17);
    EXPECT_EQ(Text(3.0L * Value(0)), "         *.*** * *|0.500000");

    gnssobs sum = Value(100, 1, 7) + Value(20.5L, 2, 8);
    EXPECT_EQ(sum.obs, 120.5);
    EXPECT_EQ(sum.lli + sum.ss, 0);
    EXPECT_EQ((Value(100, 1, 7) - Value(20.5L)).obs, 79.5);
    EXPECT_EQ((Value(100, 1, 7) - Value(0)).obs, 0); // missing, not 100
    EXPECT_EQ((Value(0) + Value(100)).obs, 0);
    EXPECT_EQ((Value(100) - Value(0.00005L)).obs, 0);
    EXPECT_EQ(Text(Value(5, 1, 1) - Value(5)), "         *.*** * *|0.500000");
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
// ties of the binary value (x.0625 etc. and x.5 thousandths), on negatives that round to -0.000 and on
// values it must leave to the stream (huge, NaN).
TEST(gnssobs, FastFormatWritesWhatTheStreamWrites)
{
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mag(-6, 13), unit(-1, 1);
    for (int i = 0; i < 200000; ++i) {
        long double v = static_cast<long double>(unit(rng)) * std::pow(10.0L, mag(rng));
        if (i % 3 == 0) v = 2.0L * v; // long double products as the linear combinations form them
        ASSERT_EQ(Fast(v, 14), StreamFixed3(v, 14)) << static_cast<double>(v);
        ASSERT_EQ(Fast(v, 10), StreamFixed3(v, 10)) << static_cast<double>(v);
    }
    for (long double v : {0.0005L, 0.0015L, 0.0025L, -0.0025L, 1.0625L, 2.0005L, 123456.0625L,
                          -0.0004L, -0.0L, 0.0L, 999999999999.9995L, 1e12L, -3e15L, 1e30L,
                          std::numeric_limits<long double>::quiet_NaN()})
        EXPECT_EQ(Fast(v, 14), StreamFixed3(v, 14)) << static_cast<double>(v);
    char buf[64];
    EXPECT_EQ(FormatFixed3(0.0625L, 14, buf), 0) << "a tie is left to the stream";
    EXPECT_EQ(FormatFixed3(1e13L, 14, buf), 0) << "a huge value is left to the stream";
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
    for (const char* odd : {"   1.23456e+02", "      1234.56 ", "     +1234.567", "     1234.5 67",
                            "       .123   ", "              ", "    12a4.567  ", "  1234.567", "",
                            "   -   123.456", "     1234,567 "}) {
        EXPECT_FALSE(ParseFixed3(odd, v)) << '"' << odd << '"';
        gnssobs o;
        o >> odd;
        char buf[15] = {};
        std::strncpy(buf, odd, 14);
        EXPECT_EQ(o.obs, static_cast<long double>(std::atof(buf))) << '"' << odd << '"';
    }
}
