// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXData.h"
#include "tests/unit/RinexSeries.h"

#include <functional>
#include <gtest/gtest.h>

using namespace RinexSeries;

namespace {

class MSJumps : public testing::Test {
  protected:
    RINEXHeader h;
    RINEXData d{h};
    Series series;
    GlonassChannels channels;
    ClockJumpRemoval removal;
    matrix<gnssobs> L1, L2; // the phases before the correction

    void Make(const Series& s)
    {
        series = s;
        Fill(s, h, d);
        channels = ChannelsOf(s);
    }

    long Run(bool dualFrequency)
    {
        L1 = d.Table(tL1);
        L2 = d.Table(tL2);
        removal = dualFrequency ? d.CorrMSJumps(channels) : d.CorrMSJumpsSF(channels);
        return static_cast<long>(removal.corrected.size());
    }
    long Dual() { return Run(true); }
    long Single() { return Run(false); }

    // Every phase has moved by ms(epoch, satellite) light-milliseconds: f / 1000 cycles each.
    void ExpectShifts(const std::function<long double(long, const Satellite&)>& ms)
    {
        for (long e = 0; e < d.nepochall; e++)
            for (const Satellite& sv : series.sats) {
                long k = Record(d, e, sv.sat);
                long double want = ms(e, sv);
                bool l1 = std::fabs(d.Table(tL1)(k).obs - L1(k).obs - want * sv.f1 / 1000) < 1e-4L;
                bool l2 = !series.dualFrequency ||
                          std::fabs(d.Table(tL2)(k).obs - L2(k).obs - want * sv.f2 / 1000) < 1e-4L;
                if (l1 && l2) continue;
                ADD_FAILURE() << "epoch " << e << ", satellite " << sv.sat << ": L1 moved by "
                              << static_cast<double>(d.Table(tL1)(k).obs - L1(k).obs)
                              << " cycles, expected " << static_cast<double>(want) << " ms";
                return;
            }
    }
    void ExpectUnchanged()
    {
        ExpectShifts([](long, const Satellite&) { return 0.0L; });
    }
};

Series FourGps(long epochs, std::vector<Jump> jumps, bool dual = true)
{
    return {{Gps(5), Gps(12), Gps(24), Gps(30)}, epochs, dual, jumps, Into::Codes};
}

TEST_F(MSJumps, CodeJumpShiftsEveryPhaseFromThatEpochOn)
{
    Make(FourGps(200, {{100, 1}}));
    EXPECT_EQ(Dual(), 1);
    long k = Record(d, 100, 5);
    EXPECT_NEAR(static_cast<double>(d.Table(tL1)(k).obs - L1(k).obs), 1575420, 1e-4);
    EXPECT_NEAR(static_cast<double>(d.Table(tL2)(k).obs - L2(k).obs), 1227600, 1e-4);
    ExpectShifts([](long e, const Satellite&) { return e >= 100 ? 1.0L : 0.0L; });
}

// GPS follows the running sum; GLONASS likewise except at the jump epochs; Galileo and the
// GLONASS slots without a known channel (R05) or table row (R33) stay as read.
TEST_F(MSJumps, JumpUpThenDownShiftsTheEpochsBetween)
{
    Make({{Gps(5), Glonass(1, 1), Gps(12), Galileo(11), Glonass(8, -7), Glonass(5, 3, false),
           Gps(24), Glonass(33, 0, false)},
          300,
          true,
          {{100, 1}, {200, -1}},
          Into::Codes});
    EXPECT_EQ(Dual(), 2);
    ExpectShifts([](long e, const Satellite& sv) {
        if (sv.sat < 100) return e >= 100 && e < 200 ? 1.0L : 0.0L;
        if (sv.slotKnown) return e > 100 && e < 200 ? 1.0L : 0.0L;
        return 0.0L;
    });
}

// G30 jumps by 3 ms in both codes, which would pull the mean over half a millisecond unless
// its steps disagree enough to leave it out.
TEST_F(MSJumps, ScreeningLeavesOutSatellitesWhoseStepsDisagree)
{
    struct {
        const char* what;
        long double p2Extra, l2Slip;
        long jumps;
    } cases[] = {{"P2 10 m or more off C1", 12, 0, 0},
                 {"P2 less than 10 m off", 9, 0, 1},
                 {"L2 slip", 0, 5, 0}};
    for (const auto& c : cases) {
        Make(FourGps(100, {}));
        AddFrom(d, d.Table(tC1), 30, 50, 3 * MSm);
        AddFrom(d, d.Table(tP2), 30, 50, 3 * MSm + c.p2Extra);
        AddFrom(d, d.Table(tL2), 30, 50, c.l2Slip);
        EXPECT_EQ(Dual(), c.jumps) << c.what;
    }

    // A real code jump at an epoch where every satellite has an L2 slip: nothing to go by.
    Make(FourGps(100, {{50, 1}}));
    for (const Satellite& sv : series.sats) AddFrom(d, d.Table(tL2), sv.sat, 50, 5);
    EXPECT_EQ(Dual(), 0);
    ExpectUnchanged();
}

TEST_F(MSJumps, DualFrequencyMeanRoundsToWholeMilliseconds)
{
    for (long double ms : {0.4L, 0.6L, -1.6L}) {
        Make(FourGps(100, {{50, ms}}));
        long double whole = std::round(ms);
        EXPECT_EQ(Dual(), whole != 0 ? 1 : 0) << static_cast<double>(ms);
        ExpectShifts([whole](long e, const Satellite&) { return e >= 50 ? whole : 0.0L; });
    }
}

TEST_F(MSJumps, CodesAndPhasesJumpingTogetherAreLeftAlone)
{
    for (bool dual : {true, false}) {
        Make({{Gps(5), Glonass(2, -4), Gps(12), Gps(24)},
              300,
              dual,
              {{100, 1}, {200, -1}},
              Into::CodesAndPhases});
        EXPECT_EQ(Run(dual), 0) << dual;
        ExpectUnchanged();
    }
}

TEST_F(MSJumps, SingleFrequencyCorrectsEveryEpochWhileTheCodesStayOff)
{
    Series s{{Gps(3), Gps(14), Glonass(2, -4), Gps(22)}, 200, false, {{100, 1}}, Into::Codes};
    Make(s);
    EXPECT_EQ(Single(), 100);
    // one jump of the clock, although every epoch after it is corrected
    EXPECT_EQ(removal.jumps, std::vector<long>{100});
    long k = Record(d, 100, 3);
    EXPECT_NEAR(static_cast<double>(d.Table(tL1)(k).obs - L1(k).obs), 1575420, 1e-4);
    ExpectShifts([](long e, const Satellite&) { return e >= 100 ? 1.0L : 0.0L; });

    // Two epochs with G22 alone: after them the phases are compared uncorrected and show no step.
    Make(s);
    for (long e : {150, 151})
        for (short sat : {3, 14, 102}) d.Table(tL1)(Record(d, e, sat)).obs = 0;
    EXPECT_EQ(Single(), 50);
    EXPECT_EQ(removal.jumps, (std::vector<long>{100, 150}));
    ExpectShifts([](long e, const Satellite&) { return e >= 100 && e < 150 ? 1.0L : 0.0L; });
}

// Galileo and GLONASS without a known channel or table row neither count nor move.
TEST_F(MSJumps, SingleFrequencyNeedsTwoSatellitesWithWholeMillisecondSteps)
{
    Series s{{Gps(5), Galileo(11), Glonass(5, 3, false), Glonass(33, 0, false)},
             40,
             false,
             {{20, 1}},
             Into::Codes};
    Make(s);
    EXPECT_EQ(Single(), 0);
    ExpectUnchanged();

    s.sats.push_back(Gps(9));
    Make(s);
    EXPECT_EQ(Single(), 20);
    ExpectShifts([](long e, const Satellite& sv) { return sv.sat < 100 && e >= 20 ? 1.0L : 0.0L; });

    // The step must lie within about 3 m of a whole millisecond.
    for (auto [metres, jumps] : {std::pair{2.0L, 20L}, std::pair{5.0L, 0L}}) {
        s.jumps = {{20, 1 + metres / MSm}};
        Make(s);
        EXPECT_EQ(Single(), jumps) << static_cast<double>(metres);
    }
}

TEST_F(MSJumps, OneEpochOrMissingTablesFindNothing)
{
    for (bool dual : {true, false}) {
        Make(FourGps(1, {}, dual));
        EXPECT_EQ(Run(dual), 0) << dual;
        ExpectUnchanged();
    }

    Make(FourGps(100, {{50, 1}}));
    d.present.reset(tP2);
    d.Table(tP2).Resize(0, 0);
    EXPECT_EQ(Dual(), 0);
    ExpectUnchanged();

    Make(FourGps(100, {{50, 1}}, false));
    d.present.reset(tC1);
    d.Table(tC1).Resize(0, 0);
    EXPECT_EQ(Single(), 0);
    ExpectUnchanged();
}

} // namespace
