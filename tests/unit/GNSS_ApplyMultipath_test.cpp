// SPDX-License-Identifier: BSD-2-Clause
#include "GNSSf/GNSS_ApplyMultipath.h"
#include "tests/unit/Compact2Writer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> Sats8{"G01", "G02", "G03", "G04", "G05", "G06", "G07", "G08"};
const char* const Head = "Kestrova::ApplyMultipath(): REMOVING ESTIMATED MULTIPATH FROM TEQC!\n";
const char* const OnP1 = "Kestrova::ApplyMultipath():         Multipath on P1/C1 - ";
const char* const OnP2 = "Kestrova::ApplyMultipath():         Multipath on P2 - ";
constexpr long Day = 58853;

// The verbose lines: the heading, then the line of each pass that runs (count -1: no pass).
std::string Verbose(long onP1, long onP2)
{
    std::string s = Head;
    if (onP1 >= 0) s += OnP1 + std::to_string(onP1) + " common satellites!\n";
    if (onP2 >= 0) s += OnP2 + std::to_string(onP2) + " common satellites!\n";
    return s;
}

// Estimates that tell record and satellite apart, exact in three decimals.
double Estimate(long k, const std::string& sat)
{
    return 0.125 * k + 0.001 * std::stoi(sat.substr(1));
}
double Estimate2(long k, const std::string& sat) { return -Estimate(k, sat); }

// A data store of n epochs every dt seconds from second s0 of the day, each with the GPS
// satellites 8, 7, ... 1 (the other order than the multipath files), C1, P1 and P2 observed.
class ApplyMultipathTest : public testing::Test {
  protected:
    RINEXHeader rh;
    RINEXData rd{rh};
    CompactTEQC mp1, mp2;
    std::filesystem::path dir;

    void SetUp() override { dir = TestFolder(); }

    void Fill(long n, long double s0, long double dt,
              std::vector<short> sats = {8, 7, 6, 5, 4, 3, 2, 1})
    {
        long ns = n * static_cast<long>(sats.size());
        rd.nepochall = n;
        rd.nsatall = ns;
        rd.epoch.Resize(n);
        rd.nsat.Resize(n);
        rd.sat.Resize(ns);
        for (matrix<gnssobs>* c : {&rd.Table(tC1), &rd.Table(tP1), &rd.Table(tP2)}) c->Resize(ns);
        mjd e;
        e.Set(Day, s0);
        for (long k = 0, i = 0; k < n; k++, e += dt) {
            rd.epoch(k) = e;
            rd.nsat(k) = static_cast<short>(sats.size());
            for (short s : sats) {
                rd.sat(i) = s;
                rd.Table(tC1)(i).obs = Original(i);
                rd.Table(tP1)(i).obs = Original(i) + 1;
                rd.Table(tP2)(i).obs = Original(i) + 2;
                i++;
            }
        }
        rd.present.set(tC1).set(tP1).set(tP2);
    }
    static long double Original(long i) { return 20000000 + i; }

    // The multipath file of n records every dt seconds from second s0, read into mp.
    void ReadMP(CompactTEQC& mp, long n, long double s0, double dt,
                Compact2Writer::ValueOf f = Estimate, const std::vector<std::string>& sats = Sats8)
    {
        std::string name = std::string(&mp == &mp1 ? "mp1" : "mp2") + ".txt";
        std::string file =
            Compact2Writer(Day + s0 / 86400, dt).Series(n, sats, f).Write(dir / name);
        mp.SetFile(file.c_str());
        mp.ReadFile();
    }

    // Runs the removal and gives its standard-error text.
    std::string Apply(bool isMP1, bool isMP2, bool verbose = true)
    {
        testing::internal::CaptureStderr();
        std::ostream progress(verbose ? std::cerr.rdbuf() : nullptr);
        ApplyMultipath(rd, mp1, mp2, isMP1, isMP2, progress);
        return testing::internal::GetCapturedStderr();
    }

    // What was subtracted from code c (0 C1, 1 P1, 2 P2) of record i.
    double Removed(int c, long i)
    {
        const matrix<gnssobs>* codes[] = {&rd.Table(tC1), &rd.Table(tP1), &rd.Table(tP2)};
        return static_cast<double>(Original(i) + c - (*codes[c])(i).obs);
    }
    // Record of satellite Gss in epoch k (satellites stored 8 down to 1).
    static long Rec(long k, int ss) { return 8 * k + 8 - ss; }
};

} // namespace

TEST_F(ApplyMultipathTest, EqualSpansAt30Seconds)
{
    Fill(120, 0, 30);
    ReadMP(mp1, 120, 0, 30);
    ReadMP(mp2, 120, 0, 30, Estimate2);
    EXPECT_EQ(Apply(true, true), Verbose(960, 960));
    for (long k = 0; k < 120; k += 17)
        for (int ss = 1; ss <= 8; ss++) {
            std::string g = "G0" + std::to_string(ss);
            EXPECT_NEAR(Removed(0, Rec(k, ss)), Estimate(k, g), 1e-6);
            EXPECT_NEAR(Removed(1, Rec(k, ss)), Estimate(k, g), 1e-6);
            EXPECT_NEAR(Removed(2, Rec(k, ss)), Estimate2(k, g), 1e-6);
        }
}

TEST_F(ApplyMultipathTest, MultipathStartingLaterOrSampledOftener)
{
    Fill(120, 0, 30);
    ReadMP(mp1, 100, 600, 30);
    ReadMP(mp2, 240, 0, 15);
    EXPECT_EQ(Apply(true, true), Verbose(800, 960));
    EXPECT_EQ(Removed(0, Rec(19, 3)), 0.0);
    EXPECT_NEAR(Removed(0, Rec(20, 3)), Estimate(0, "G03"), 1e-6);
    EXPECT_NEAR(Removed(1, Rec(119, 3)), Estimate(99, "G03"), 1e-6);
    // every second record of the 15 s file meets a 30 s epoch
    EXPECT_NEAR(Removed(2, Rec(7, 5)), Estimate(14, "G05"), 1e-6);
}

TEST_F(ApplyMultipathTest, EpochsMatchWithinOneMillisecond)
{
    for (long double offset : {0.0005L, -0.0005L, 0.002L, -0.002L}) {
        Fill(10, 3600 + offset, 30);
        ReadMP(mp1, 10, 3600, 30);
        bool match = offset < 0.001L && offset > -0.001L;
        EXPECT_EQ(Apply(true, false), Verbose(match ? 80 : 0, -1));
        EXPECT_EQ(Removed(0, Rec(4, 1)) != 0, match);
    }
}

// Single epochs just inside and just outside the millisecond, on either side, in the middle of
// the files: only those outside stay unmatched, and the merge goes on with the next epoch.
TEST_F(ApplyMultipathTest, EachEpochIsMatchedWithinOneMillisecondOnEitherSide)
{
    Fill(10, 3600, 30);
    ReadMP(mp1, 10, 3600, 30);
    const std::vector<std::pair<long, long double>> shifts = {
        {2, 0.0009L}, {4, -0.0009L}, {6, 0.0011L}, {8, -0.0011L}};
    for (const auto& [k, offset] : shifts) rd.epoch(k) += offset;
    EXPECT_EQ(Apply(true, false), Verbose(8 * 8, -1));
    for (long k = 0; k < 10; k++) {
        const bool outside = k == 6 || k == 8;
        EXPECT_NEAR(Removed(0, Rec(k, 5)), outside ? 0.0 : Estimate(k, "G05"), 1e-6) << k;
    }
}

TEST_F(ApplyMultipathTest, RinexRunningPastTheMultipathFile)
{
    Fill(120, 0, 30);
    ReadMP(mp1, 60, 0, 30);
    ReadMP(mp2, 60, 0, 30);
    EXPECT_EQ(Apply(true, true), Verbose(480, 480));
    EXPECT_NEAR(Removed(2, Rec(59, 8)), Estimate(59, "G08"), 1e-6);
    EXPECT_EQ(Removed(0, Rec(60, 8)), 0.0);
    EXPECT_EQ(Removed(2, Rec(119, 8)), 0.0);
}

TEST_F(ApplyMultipathTest, NullCodesAndUnlistedTypesStayAsTheyAre)
{
    Fill(2, 0, 30);
    ReadMP(mp1, 2, 0, 30);
    rd.Table(tC1)(Rec(1, 2)).obs = 0;
    rd.Table(tP1)(Rec(1, 2)).lli = 1;
    rd.Table(tP1)(Rec(1, 2)).ss = 7;
    rd.present.reset(tP1);
    Apply(true, false);
    EXPECT_TRUE(rd.Table(tC1)(Rec(1, 2)).IsNull());
    EXPECT_EQ(rd.Table(tC1)(Rec(1, 2)).obs, 0);
    EXPECT_EQ(Removed(1, Rec(1, 2)), 0.0);
    EXPECT_NEAR(Removed(0, Rec(1, 3)), Estimate(1, "G03"), 1e-6);
    rd.present.set(tP1);
    Apply(true, false);
    EXPECT_NEAR(Removed(1, Rec(1, 2)), Estimate(1, "G02"), 1e-6);
    EXPECT_EQ(rd.Table(tP1)(Rec(1, 2)).lli, 1);
    EXPECT_EQ(rd.Table(tP1)(Rec(1, 2)).ss, 7);
}

TEST_F(ApplyMultipathTest, OnlyTheSecondFileQuietOrEmpty)
{
    Fill(4, 0, 30);
    ReadMP(mp2, 4, 0, 30);
    EXPECT_EQ(Apply(false, true), Verbose(-1, 32));
    EXPECT_EQ(Removed(0, Rec(3, 1)), 0.0);
    EXPECT_EQ(Removed(1, Rec(3, 1)), 0.0);
    EXPECT_NEAR(Removed(2, Rec(3, 1)), Estimate(3, "G01"), 1e-6);
    // without verbose nothing is written and the estimates are removed all the same
    EXPECT_EQ(Apply(false, true, false), "");
    EXPECT_NEAR(Removed(2, Rec(3, 1)), 2 * Estimate(3, "G01"), 1e-6);
    EXPECT_EQ(Apply(false, false), "");
    ReadMP(mp1, 0, 0, 30);
    EXPECT_EQ(Apply(true, false), Verbose(0, -1));
}

TEST_F(ApplyMultipathTest, AnEstimateOnlyMeetsItsOwnSatellite)
{
    Fill(1, 0, 30, {5, 305});
    std::string file = WriteText(dir / "beidou.mp1",
                                 Compact2Writer(Day, 30).Text() + "  3 C05 G05 G12\n     1.000\n");
    testing::internal::CaptureStderr();
    mp1.SetFile(file.c_str());
    mp1.ReadFile();
    testing::internal::GetCapturedStderr();
    // G05's value field lies beyond its line: a missing estimate, neither applied nor counted
    EXPECT_EQ(Apply(true, false), Verbose(1, -1));
    EXPECT_EQ(Removed(0, 0), 0.0);
    EXPECT_EQ(Removed(0, 1), 1.0);
}
