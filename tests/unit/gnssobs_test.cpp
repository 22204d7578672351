#include "GNSS/gnssobs.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

gnssobs Obs(long double v, unsigned short lli = 0, unsigned short ss = 0) {
    return {v, lli, ss};
}

gnssobs Field(const char* field16) {
    gnssobs o = Obs(1, 9, 9);
    o >> field16;
    return o;
}

// The written column, then a number, to show the state the stream is left in.
std::string Text(const gnssobs& o) {
    std::ostringstream out;
    out << o << '|' << 0.5L;
    return out.str();
}

} // namespace

TEST(gnssobs, FieldGivesValueAndFlagsAndIsWrittenBack) {
    EXPECT_EQ(Text(Field("                ")), "         *.*** * *|0.500000");
    EXPECT_EQ(Text(Field("  20123456.789 5")), "  20123456.789 0 5|0.500");
    EXPECT_EQ(Text(Field("  20123456.78917")), "  20123456.789 1 7|0.500");
    EXPECT_EQ(Field("  20123456.78917").obs, static_cast<long double>(20123456.789));
    EXPECT_EQ(Text(Field("   -123.25")), "      -123.250 0 0|0.500"); // ends early: no flags
}

TEST(gnssobs, MissingBelowATenThousandthWrittenBelowAHundredThousandth) {
    EXPECT_TRUE(Field("                ").IsNull());
    EXPECT_TRUE(Obs(0.00005L).IsNull());
    EXPECT_EQ(Text(Obs(0.00005L, 1, 2)), "         0.000 1 2|0.500");
    EXPECT_FALSE(Obs(static_cast<long double>(0.0001)).IsNull());
    EXPECT_EQ(Text(Obs(static_cast<long double>(0.00001))), "         *.*** * *|0.500000");
}

TEST(gnssobs, ScalingKeepsFlagsSumsAndDifferencesDoNot) {
    EXPECT_EQ(Text(2.0L * Obs(1.5L, 1, 7)), "         3.000 1 7|0.500");
    EXPECT_EQ(Text(3.0L * Obs(0, 1, 7)), "         *.*** * *|0.500000");
    EXPECT_EQ(Text(Obs(100, 1, 7) + Obs(20.5L, 2, 8)), "       120.500 0 0|0.500");
    EXPECT_EQ(Text(Obs(100, 1, 7) - Obs(20.5L, 2, 8)), "        79.500 0 0|0.500");
    EXPECT_EQ((Obs(100, 1, 7) - Obs(0)).obs, 0); // missing, not 100
    EXPECT_EQ((Obs(0) + Obs(100)).obs, 0);
    EXPECT_EQ((Obs(100) - Obs(0.00005L)).obs, 0);
}
