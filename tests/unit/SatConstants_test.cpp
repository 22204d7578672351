// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/SatConstants.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr long double C = 299792458.0L;

const SatSystem& Sys(char letter) { return *SystemOfLetter(letter); }

SatConstants Of(char letter, std::optional<long double> channel = std::nullopt)
{
    return SatConstantsOf(Sys(letter), Sys(letter).DefaultPair(), channel);
}

struct Published {
    const char* name;
    long double value;
    double table; // the value as published, 17 significant digits
    int ulps;     // double steps the published value may lie off the rule
};

// The published alphas and the Galileo LCion1 are the results of double arithmetic, one or two
// steps of double away from the rule; every other entry is the rule rounded to double.
TEST(SatConstants, DefaultPairsAgreeWithThePublishedDigits)
{
    const SatConstants g = Of('G'), r = Of('R'), e = Of('E');
    const Published published[] = {
        {"GPS lamb1", g.lamb[1], 0.19029367279836487, 0},
        {"GPS lamb2", g.lamb[2], 0.24421021342456825, 0},
        {"GPS lamb5", g.lamb[5], 0.25482804879085386, 0},
        {"GPS LCion1", g.pair.LCion1, 2.54572778016316, 0},
        {"GPS LCion2", g.pair.LCion2, 1.5457277801631601, 0},
        {"GPS LCwl1", g.pair.LCwl1, 4.529411764705882, 0},
        {"GPS LCwl2", g.pair.LCwl2, 3.5294117647058822, 0},
        {"GPS LCnl1", g.pair.LCnl1, 0.5620437956204379, 0},
        {"GPS LCnl2", g.pair.LCnl2, 0.43795620437956206, 0},
        {"GPS alpha", g.pair.alpha, 1.6469444444444448, 2},
        {"GLONASS lamb1", r.lamb[1], 0.18713636579275905, 0},
        {"GLONASS lamb2", r.lamb[2], 0.2406038988764045, 0},
        {"GLONASS lamb3", r.lamb[3], 0.24940617541232504, 0},
        {"GLONASS LCion1", r.pair.LCion1, 2.53125, 0},
        {"GLONASS LCion2", r.pair.LCion2, 1.53125, 0},
        {"GLONASS LCwl1", r.pair.LCwl1, 4.5, 0},
        {"GLONASS LCwl2", r.pair.LCwl2, 3.5, 0},
        {"GLONASS LCnl1", r.pair.LCnl1, 0.5625, 0},
        {"GLONASS LCnl2", r.pair.LCnl2, 0.4375, 0},
        {"GLONASS alpha", r.pair.alpha, 1.653061224489796, 0},
        {"Galileo lamb1", e.lamb[1], 0.19029367279836487, 0},
        {"Galileo lamb7 (E5b)", e.lamb[7], 0.2483493695843067, 0},
        {"Galileo lamb5", e.lamb[5], 0.25482804879085386, 0},
        {"Galileo lamb8", e.lamb[8], 0.251547000952345, 0},
        {"Galileo LCion1", e.pair.LCion1, 2.421977124183006, 1},
        {"Galileo LCion2", e.pair.LCion2, 1.4219771241830066, 0},
        {"Galileo LCwl1", e.pair.LCwl1, 4.277777777777778, 0},
        {"Galileo LCwl2", e.pair.LCwl2, 3.2777777777777777, 0},
        {"Galileo LCnl1", e.pair.LCnl1, 0.5661764705882353, 0},
        {"Galileo LCnl2", e.pair.LCnl2, 0.4338235294117647, 0},
        {"Galileo alpha", e.pair.alpha, 1.7032461936225225, 2},
    };
    for (const Published& p : published) {
        double rounded = static_cast<double>(p.value);
        double step = std::nextafter(p.table, INFINITY) - p.table;
        EXPECT_LE(std::fabs(rounded - p.table), p.ulps * step) << p.name;
    }
}

void ExpectNearRel(long double got, long double want, const char* what)
{
    EXPECT_NEAR(got, want, std::fabs(want) * 1e-17L) << what;
}

// The wavelengths of the pair are those of its own bands, and the multipath factors follow from
// alpha: for GPS (f1 / f2)^2 = 23716 / 14400.
TEST(SatConstants, GpsL1L2AndGalileoE1E5bPairs)
{
    const SatConstants g = Of('G');
    EXPECT_EQ(g.pair.lamb1, C / 1575.42e6L);
    EXPECT_EQ(g.pair.lamb2, C / 1227.60e6L);
    EXPECT_EQ(g.channel, std::nullopt);
    ExpectNearRel(g.mp.mp1Fact1, (1 + 28800.0L / 9316) * g.pair.lamb1, "mp1Fact1");
    ExpectNearRel(g.mp.mp1Fact2, (28800.0L / 9316) * g.pair.lamb2, "mp1Fact2");
    ExpectNearRel(g.mp.mp2Fact1, (47432.0L / 9316) * g.pair.lamb1, "mp2Fact1");
    ExpectNearRel(g.mp.mp2Fact2, (47432.0L / 9316 - 1) * g.pair.lamb2, "mp2Fact2");

    // E1 = 154 f0 and E5b = 118 f0: 154^2 - 118^2 = 9792
    const SatConstants e = Of('E');
    EXPECT_EQ(e.pair.lamb1, C / 1575.42e6L);
    EXPECT_EQ(e.pair.lamb2, C / 1207.14e6L);
    ExpectNearRel(e.pair.LCion1, 23716.0L / 9792, "LCion1");
    ExpectNearRel(e.pair.LCion2, 13924.0L / 9792, "LCion2");
    ExpectNearRel(e.pair.LCwl2, 118.0L / 36, "LCwl2");
    ExpectNearRel(e.pair.LCnl2, 118.0L / 272, "LCnl2");
}

// A pair other than the default takes the factors of its own carriers: GPS L1 and L5.
TEST(SatConstants, AChosenPairTakesItsOwnCarriers)
{
    const SatConstants c = SatConstantsOf(Sys('G'), Sys('G').Pair(1, 5), std::nullopt);
    EXPECT_EQ(c.pair.lamb2, C / 1176.45e6L);
    ExpectNearRel(c.pair.LCion1, 23716.0L / (23716 - 13225), "LCion1");
    ExpectNearRel(c.pair.LCwl1, 154.0L / 39, "LCwl1");
    ExpectNearRel(c.pair.alpha, 23716.0L / 13225, "alpha");
}

// G1 and G2 move by 562.5 and 437.5 kHz per channel; the factors keep the 9 : 7 ratio of channel
// 0, so (alpha - 1) = 32 / 49 whatever the channel; G3 does not move.
TEST(SatConstants, GlonassSlotsLieOnTheirChannel)
{
    const SatConstants low = Of('R', -7);
    EXPECT_EQ(low.channel, -7.0L);
    EXPECT_EQ(low.lamb[1], C / 1598.0625e6L);
    EXPECT_EQ(low.lamb[2], C / 1242.9375e6L);
    EXPECT_EQ(low.pair.lamb1, low.lamb[1]);
    EXPECT_EQ(low.pair.lamb2, low.lamb[2]);
    EXPECT_EQ(low.pair.LCion1, 2.53125L);
    EXPECT_EQ(low.pair.LCwl2, 3.5L);
    ExpectNearRel(low.mp.mp1Fact1, 4.0625L * C / 1598.0625e6L, "mp1Fact1 -7");
    ExpectNearRel(low.mp.mp2Fact2, 4.0625L * C / 1242.9375e6L, "mp2Fact2 -7");

    const SatConstants high = Of('R', 6);
    EXPECT_EQ(high.lamb[1], C / 1605.375e6L);
    EXPECT_EQ(high.lamb[2], C / 1248.625e6L);
    EXPECT_EQ(high.lamb[3], C / 1202.025e6L);
    ExpectNearRel(high.mp.mp1Fact2, 3.0625L * C / 1248.625e6L, "mp1Fact2 +6");
    ExpectNearRel(high.mp.mp2Fact1, 5.0625L * C / 1605.375e6L, "mp2Fact1 +6");

    // no channel: the wavelengths of channel 0
    const SatConstants none = Of('R');
    EXPECT_EQ(none.channel, std::nullopt);
    EXPECT_EQ(none.lamb[1], C / 1602e6L);
    EXPECT_EQ(none.lamb[2], C / 1246e6L);
}

TEST(SatConstants, ChannelsAreKeptForTheSlotsOnly)
{
    GlonassChannels c;
    c.bySlot[0] = 1;
    c.bySlot[31] = -7;
    EXPECT_EQ(c.Of(101), 1.0L);
    EXPECT_EQ(c.Of(132), -7.0L);
    EXPECT_EQ(c.Of(102), std::nullopt);
    EXPECT_EQ(c.Of(100), std::nullopt); // slot 0
    EXPECT_EQ(c.Of(133), std::nullopt);
    EXPECT_EQ(c.Of(1), std::nullopt); // G01
}

} // namespace
