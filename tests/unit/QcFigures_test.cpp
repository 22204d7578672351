// SPDX-License-Identifier: BSD-2-Clause
// The quality figures of kestrova-qc on small synthetic series, each against a hand computation.
#include "GNSS/SatSystem.h"
#include "qc/QcFigures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr long double C = LightSpeed, F1 = 154 * SatFreq::f0, F2 = 120 * SatFreq::f0;
constexpr Ticks S = TicksPerSecond;

QcSignal Signal(const std::string& code)
{
    return {code, code[0], code[1] - '0', code.size() > 2 ? code[2] : ' ', {}};
}

// A GPS satellite at 30 s: range rho(e), ionosphere I(e) on L1 (alpha I on L2), code multipath
// mp(e) on C1C only; the phases carry ambiguities of their own.
struct Synthetic {
    QcInput in;
    QcSatellite sat;
    QcSignal c1 = Signal("C1C"), l1 = Signal("L1C"), l2 = Signal("L2W"), c2 = Signal("C2W"),
             s1 = Signal("S1C");

    Synthetic(int epochs, Ticks interval = 30 * S)
    {
        in.interval = interval;
        for (int e = 0; e < epochs; ++e) in.epochs.push_back(60000 * TicksPerDay + e * interval);
        sat.system = 'G';
        sat.prn = 5;
    }
    void Add(int e, long double mp, long double iono, std::uint8_t lli1 = 0)
    {
        const long double rho = 2.2e7L + 100 * e, alpha = (F1 / F2) * (F1 / F2);
        c1.values.push_back({e, static_cast<double>(rho + iono + mp), 0});
        c2.values.push_back({e, static_cast<double>(rho + alpha * iono), 0});
        l1.values.push_back({e, static_cast<double>((rho - iono + 3.3) * F1 / C), lli1});
        l2.values.push_back({e, static_cast<double>((rho - alpha * iono - 7.1) * F2 / C), 0});
        s1.values.push_back({e, 40.0 + e % 2, 0});
    }
    QcResult Run()
    {
        sat.signals = {c1, l1, l2, c2, s1};
        in.satellites = {sat};
        return ComputeQc(in);
    }
};

const SignalFigures& Of(const SatelliteQc& s, const std::string& code)
{
    for (const SignalFigures& f : s.signals)
        if (f.code == code) return f;
    throw std::runtime_error("no " + code);
}

// MP of +-10 mm in turn under an ionosphere that grows by 5 cm an epoch: the ionosphere and the
// ambiguities cancel, the RMS about the arc's mean is 10 mm over the 12 values, all in the bin of
// 10-20 degrees; the strength alternates 40 and 41 dB-Hz.
TEST(QcFigures, MultipathRemovesIonosphereAndAmbiguities)
{
    Synthetic s(12);
    for (int e = 0; e < 12; ++e) s.Add(e, e % 2 ? 0.010L : -0.010L, 0.05L * e);
    s.sat.elevation.assign(12, 15.5F);
    s.sat.azimuth.assign(12, 90.0F);
    s.sat.above = 20;
    s.in.cutoff = 10;
    const QcResult r = s.Run();
    ASSERT_EQ(r.systems.size(), 1u);
    const SatelliteQc& sat = r.systems[0].satellites[0];
    EXPECT_EQ(sat.id, "G05");
    EXPECT_EQ(sat.arcs, 1);
    const SignalFigures& c1 = Of(sat, "C1C");
    ASSERT_TRUE(c1.MpRms());
    EXPECT_NEAR(static_cast<double>(*c1.MpRms()), 0.010, 1e-6);
    EXPECT_EQ(c1.mp.values, 12);
    EXPECT_EQ(c1.mpBins[1].values, 12);
    EXPECT_NEAR(std::sqrt(static_cast<double>(c1.mpBins[1].squares) / 12) / 1000, 0.010, 1e-6);
    // 12 of 20 expected: 60.0 %
    EXPECT_EQ(c1.CompletenessTenths(), 600);
    // C2W has no multipath of its own: its series is flat
    EXPECT_NEAR(static_cast<double>(*Of(sat, "C2W").MpRms()), 0, 1e-6);
    EXPECT_NEAR(static_cast<double>(*Of(sat, "S1C").snr.Value()), 40.5, 1e-9);
    EXPECT_EQ(Of(sat, "S1C").snrBins[1].n, 12);
    // the system's figures pool those of its satellites
    EXPECT_NEAR(static_cast<double>(*r.systems[0].signals[0].MpRms()), 0.010, 1e-6);
}

// A loss of lock at epoch 6 of 20 cuts the arcs 0-5 and 6-19: the first is too short for the RMS;
// a jump of 10 L1 cycles at epoch 18 that the receiver did not flag is a slip of the L4 test.
TEST(QcFigures, ArcsEndAtFlagsAndUnflaggedJumps)
{
    Synthetic s(30);
    for (int e = 0; e < 30; ++e) s.Add(e, e % 2 ? 0.010L : -0.010L, 0, e == 6);
    for (QcValue& v : s.l1.values)
        if (v.epoch >= 18) v.value += 10;
    const QcResult r = s.Run();
    const SatelliteQc& sat = r.systems[0].satellites[0];
    EXPECT_EQ(sat.arcs, 3);
    EXPECT_EQ(sat.slips, 1);
    EXPECT_EQ(Of(sat, "L1C").lli, 1);
    EXPECT_EQ(Of(sat, "L2W").lli, 0);
    // arcs of 6, 12 and 12 values: the last two count
    EXPECT_EQ(Of(sat, "C1C").mp.values, 24);
    EXPECT_NEAR(static_cast<double>(*Of(sat, "C1C").MpRms()), 0.010, 1e-6);
}

// Slant TEC whose rate alternates between 1 and 3 TECU/min at 30 s: every full 5-minute window
// holds 10 ROTs, five of each, mean 2 and standard deviation 1 TECU/min; the first window holds
// 9 (no ROT at the first epoch): 4 of one and 5 of the other, sqrt(20/81) x 2.
TEST(QcFigures, RotiOfAKnownRate)
{
    Synthetic s(40);
    const long double perTecu = 40.3L * 1e16L / (F1 * F1);
    long double tec = 10;
    for (int e = 0; e < 40; ++e) {
        if (e > 0) tec += (e % 2 ? 1.0L : 3.0L) / 2;
        s.Add(e, 0, tec * perTecu);
    }
    const QcResult r = s.Run();
    const SatelliteQc& sat = r.systems[0].satellites[0];
    ASSERT_EQ(sat.roti.size(), 4u);
    EXPECT_NEAR(sat.roti[0].roti, 2 * std::sqrt(20.0 / 81), 1e-6);
    for (int w = 1; w < 4; ++w) EXPECT_NEAR(sat.roti[w].roti, 1.0, 1e-6) << w;
    EXPECT_NEAR(*sat.rotiFigures.median, 1.0, 1e-6);
    EXPECT_NEAR(*sat.rotiFigures.max, 1.0, 1e-6);
    EXPECT_EQ(r.systems[0].roti.maxSatellite, "G05");
}

// What cannot be formed is none, never 0: no navigation data, no channel of a GLONASS slot, an
// interval beyond a minute, too few values for a window.
TEST(QcFigures, UnformableFiguresAreNone)
{
    Synthetic s(12, 90 * S);
    for (int e = 0; e < 12; ++e) s.Add(e, 0, 0);
    QcResult r = s.Run();
    const SatelliteQc& sat = r.systems[0].satellites[0];
    EXPECT_TRUE(r.intervalTooLong);
    EXPECT_TRUE(sat.roti.empty());
    EXPECT_FALSE(sat.rotiFigures.median);
    EXPECT_FALSE(Of(sat, "C1C").CompletenessTenths());
    EXPECT_FALSE(Of(sat, "L1C").MpRms());
    EXPECT_FALSE(Of(sat, "C1C").snr.Value());

    Synthetic g(12);
    for (int e = 0; e < 12; ++e) g.Add(e, 0, 0);
    g.sat.system = 'R';
    g.l2.code = "L2P", g.l2.attribute = 'P', g.c2.code = "C2P", g.c2.attribute = 'P';
    r = g.Run();
    EXPECT_FALSE(Of(r.systems[0].satellites[0], "C1C").MpRms());
    g.sat.channel = -3;
    r = g.Run();
    EXPECT_TRUE(Of(r.systems[0].satellites[0], "C1C").multipath);
}

TEST(QcFigures, GlonassCarrierFollowsTheChannel)
{
    EXPECT_DOUBLE_EQ(static_cast<double>(CarrierOf('R', 1, -7)), 1602e6 - 7 * 562500.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(CarrierOf('R', 2, 6)), 1246e6 + 6 * 437500.0);
    EXPECT_EQ(CarrierOf('R', 1, std::nullopt), 0);
    EXPECT_DOUBLE_EQ(static_cast<double>(CarrierOf('E', 5, std::nullopt)), 1176.45e6);
}

} // namespace
