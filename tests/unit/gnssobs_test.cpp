#include "GNSS/gnssobs.h"

#include <gtest/gtest.h>
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
