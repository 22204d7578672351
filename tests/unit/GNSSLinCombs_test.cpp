// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/GNSSLinCombs.h"
#include "GNSS/SatConstants.h"

#include <gtest/gtest.h>

namespace {

gnssobs Obs(long double v, unsigned short lli = 0, unsigned short ss = 0)
{
    gnssobs o;
    o.obs = v;
    o.lli = lli;
    o.ss = ss;
    return o;
}

void ExpectMissing(const gnssobs& o, const char* what)
{
    EXPECT_EQ(o.obs, 0.0L) << what;
    EXPECT_EQ(o.lli, 0) << what;
    EXPECT_EQ(o.ss, 0) << what;
}

// The combinations with the factors of GPS L1 and L2.
class GNSSLinCombs : public testing::Test {
  protected:
    const PairFactors f =
        SatConstantsOf(*SystemOfLetter('G'), SystemOfLetter('G')->DefaultPair(), std::nullopt).pair;
    // Flags on every input: no formed value may keep them.
    const gnssobs l1 = Obs(120000000.123L, 1, 7);
    const gnssobs l2 = Obs(93500000.456L, 2, 5);
    const gnssobs p1 = Obs(22000000.5L, 0, 9);
    const gnssobs p2 = Obs(22000003.25L, 4, 6);
};

// Expected values from the published GPS numbers, not from the constants of the code.
TEST_F(GNSSLinCombs, GPSValuesOfPresentInputsCarryNoFlags)
{
    const long double lam1 = 0.19029367279836487, lam2 = 0.24421021342456825;
    const long double ion1 = 2.54572778016316, ion2 = 1.5457277801631601;
    const long double wl1 = 4.529411764705882, wl2 = 3.5294117647058822;
    const long double nl1 = 0.5620437956204379, nl2 = 0.43795620437956206;
    const long double L1 = l1.obs, L2 = l2.obs, P1 = p1.obs, P2 = p2.obs;
    const long double wideLane = wl1 * lam1 * L1 - wl2 * lam2 * L2;
    struct {
        const char* name;
        gnssobs got;
        long double expected;
    } cases[] = {
        {"L3", GNSS_L3(f, l1, l2), ion1 * lam1 * L1 - ion2 * lam2 * L2},
        {"P3", GNSS_P3(f, p1, p2), ion1 * P1 - ion2 * P2},
        {"L4", GNSS_L4(f, l1, l2), lam1 * L1 - lam2 * L2},
        {"P4", GNSS_P4(p1, p2), 2.75L},
        {"L5", GNSS_L5(f, l1, l2), wideLane},
        {"P5", GNSS_P5(f, p1, p2), wl1 * P1 - wl2 * P2},
        {"NLP", GNSS_NLP(f, p1, p2), nl1 * P1 + nl2 * P2},
        {"MW", GNSS_MW(f, l1, l2, p1, p2), wideLane - (nl1 * P1 + nl2 * P2)},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(c.got.obs, c.expected, 1e-6L) << c.name;
        EXPECT_EQ(c.got.lli, 0) << c.name;
        EXPECT_EQ(c.got.ss, 0) << c.name;
    }
    // inputs are left as they were
    EXPECT_EQ(l1.lli, 1);
    EXPECT_EQ(p2.obs, 22000003.25L);
}

TEST_F(GNSSLinCombs, GeometryFreeRunsPhaseFirstMinusSecondCodeSecondMinusFirst)
{
    gnssobs l4 = GNSS_L4(f, Obs(100, 1, 7), Obs(78, 2, 5));
    EXPECT_NEAR(l4.obs, 100 * 0.19029367279836487L - 78 * 0.24421021342456825L, 1e-15L);
    EXPECT_EQ(l4.lli, 0);
    EXPECT_EQ(l4.ss, 0);
    EXPECT_EQ(GNSS_P4(Obs(20000000.0L), Obs(20000003.5L)).obs, 3.5L);
}

TEST_F(GNSSLinCombs, AnyMissingInputGivesAMissingValue)
{
    const gnssobs none;
    ExpectMissing(GNSS_L3(f, none, l2), "L3 l1");
    ExpectMissing(GNSS_L3(f, l1, none), "L3 l2");
    ExpectMissing(GNSS_P3(f, none, p2), "P3 p1");
    ExpectMissing(GNSS_L4(f, l1, none), "L4 l2");
    ExpectMissing(GNSS_P4(p1, none), "P4 p2");
    ExpectMissing(GNSS_L5(f, none, l2), "L5 l1");
    ExpectMissing(GNSS_P5(f, p1, none), "P5 p2");
    ExpectMissing(GNSS_NLP(f, none, p2), "NLP p1");
    ExpectMissing(GNSS_NLP(f, p1, none), "NLP p2");
    ExpectMissing(GNSS_MW(f, none, l2, p1, p2), "MW l1");
    ExpectMissing(GNSS_MW(f, l1, none, p1, p2), "MW l2");
    ExpectMissing(GNSS_MW(f, l1, l2, none, p2), "MW p1");
    ExpectMissing(GNSS_MW(f, l1, l2, p1, none), "MW p2");
}

// Missing is decided on the weighted terms, not on the raw inputs.
TEST_F(GNSSLinCombs, MissingIsDecidedAfterTheScaling)
{
    // 0.0004 cycles is present, but as a term of 0.00008 m it is not
    ExpectMissing(GNSS_L4(f, Obs(0.0004L), l2), "L4 tiny phase");
    // 0.00005 m is missing as an observation, but a term of 0.000127 m is present
    const gnssobs tiny = Obs(0.00005L);
    EXPECT_NEAR(GNSS_P3(f, tiny, p2).obs, f.LCion1 * 0.00005L - f.LCion2 * p2.obs, 1e-6L);
    // the geometry-free code takes its inputs unscaled
    ExpectMissing(GNSS_P4(tiny, p2), "P4 tiny code");
}

} // namespace
