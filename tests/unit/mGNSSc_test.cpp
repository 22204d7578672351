// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mGNSSc.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <string>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

struct Published {
    const char* name;
    long double value;
    double table; // the value as published, 17 significant digits
    int ulps;     // double steps the published value may lie off the rule
};

// The published alphas and the Galileo LCion1 are the results of double arithmetic, one or two
// steps of double away from the rule; every other entry is the rule rounded to double.
const Published published[] = {
    {"GPS lamb0", GPSc::lamb0, 29.30522561094819, 0},
    {"GPS lamb1", GPSc::lamb1, 0.19029367279836487, 0},
    {"GPS lamb2", GPSc::lamb2, 0.24421021342456825, 0},
    {"GPS lamb5", GPSc::lamb5, 0.25482804879085386, 0},
    {"GPS lamWL", GPSc::lamWL, 0.8619184003220056, 0},
    {"GPS lamNL", GPSc::lamNL, 0.10695337814214669, 0},
    {"GPS LCion1", GPSc::LCion1, 2.54572778016316, 0},
    {"GPS LCion2", GPSc::LCion2, 1.5457277801631601, 0},
    {"GPS LCwl1", GPSc::LCwl1, 4.529411764705882, 0},
    {"GPS LCwl2", GPSc::LCwl2, 3.5294117647058822, 0},
    {"GPS LCnl1", GPSc::LCnl1, 0.5620437956204379, 0},
    {"GPS LCnl2", GPSc::LCnl2, 0.43795620437956206, 0},
    {"GPS alpha", GPSc::alpha, 1.6469444444444448, 2},
    {"GPS f1_f2", GPSc::f1_f2, 1.2833333333333334, 0},
    {"GLONASS lamb10", GLONASSc::lamb10, 0.18713636579275905, 0},
    {"GLONASS lamb20", GLONASSc::lamb20, 0.2406038988764045, 0},
    {"GLONASS lamb3", GLONASSc::lamb3, 0.24940617541232504, 0},
    {"GLONASS LCion1", GLONASSc::LCion1, 2.53125, 0},
    {"GLONASS LCion2", GLONASSc::LCion2, 1.53125, 0},
    {"GLONASS LCwl1", GLONASSc::LCwl1, 4.5, 0},
    {"GLONASS LCwl2", GLONASSc::LCwl2, 3.5, 0},
    {"GLONASS LCnl1", GLONASSc::LCnl1, 0.5625, 0},
    {"GLONASS LCnl2", GLONASSc::LCnl2, 0.4375, 0},
    {"GLONASS alpha", GLONASSc::alpha, 1.653061224489796, 0},
    {"GLONASS f1_f2", GLONASSc::f1_f2, 1.2857142857142858, 0},
    {"Galileo lamb0", GALILEOc::lamb0, 29.30522561094819, 0},
    {"Galileo lamb1", GALILEOc::lamb1, 0.19029367279836487, 0},
    {"Galileo lamb2", GALILEOc::lamb2, 0.2483493695843067, 0},
    {"Galileo lamb5", GALILEOc::lamb5, 0.25482804879085386, 0},
    {"Galileo lamb8", GALILEOc::lamb8, 0.251547000952345, 0},
    {"Galileo lamWL", GALILEOc::lamWL, 0.8140340447485609, 0},
    {"Galileo lamNL", GALILEOc::lamNL, 0.1077398000402507, 0},
    {"Galileo LCion1", GALILEOc::LCion1, 2.421977124183006, 1},
    {"Galileo LCion2", GALILEOc::LCion2, 1.4219771241830066, 0},
    {"Galileo LCwl1", GALILEOc::LCwl1, 4.277777777777778, 0},
    {"Galileo LCwl2", GALILEOc::LCwl2, 3.2777777777777777, 0},
    {"Galileo LCnl1", GALILEOc::LCnl1, 0.5661764705882353, 0},
    {"Galileo LCnl2", GALILEOc::LCnl2, 0.4338235294117647, 0},
    {"Galileo alpha", GALILEOc::alpha, 1.7032461936225225, 2},
    {"Galileo f1_f2", GALILEOc::f1_f2, 1.305084745762712, 0},
};

// The published digits as the table gives them, and the rule values in double.
TEST(mGNSSc, ConstantsAgreeWithThePublishedDigits)
{
    for (const Published& p : published) {
        double rounded = static_cast<double>(p.value);
        double step = std::nextafter(p.table, INFINITY) - p.table;
        EXPECT_LE(std::fabs(rounded - p.table), p.ulps * step) << p.name;
    }
}

// Taken before any test runs; the tests of the combinations change the current factors.
const long double startGLC[] = {GLC::LCion1, GLC::LCion2, GLC::LCwl1, GLC::LCwl2, GLC::LCnl1,
                                GLC::LCnl2,  GLC::lamb1,  GLC::lamb2, GLC::alpha};

TEST(mGNSSc, CurrentFactorsStartWithGPS)
{
    const long double expected[] = {GPSc::LCion1, GPSc::LCion2, GPSc::LCwl1,
                                    GPSc::LCwl2,  GPSc::LCnl1,  GPSc::LCnl2,
                                    GPSc::lamb1,  GPSc::lamb2,  GPSc::alpha};
    for (int i = 0; i < 9; i++) EXPECT_EQ(startGLC[i], expected[i]) << "factor " << i;
}

TEST(mGNSSc, SetFrequencyFillsTheRowOfTheChannel)
{
    GLONASSc::SetFrequency(0, 31);
    EXPECT_EQ(GLONASSc::freq(31, 0), GLONASSc::freq10);
    EXPECT_EQ(GLONASSc::freq(31, 1), GLONASSc::freq20);
    EXPECT_EQ(GLONASSc::lamb(31, 0), GLONASSc::lamb10);
    EXPECT_EQ(GLONASSc::lamb(31, 1), GLONASSc::lamb20);

    GLONASSc::SetFrequency(1, 0);
    EXPECT_EQ(GLONASSc::freq(0, 0), 1602.5625e6L);
    EXPECT_EQ(GLONASSc::freq(0, 1), 1246.4375e6L);
    EXPECT_EQ(GLONASSc::lamb(0, 0), 299792458.0L / 1602.5625e6L);

    GLONASSc::freq(5, 0) = 7;
    GLONASSc::SetFrequency(-7, 4);
    EXPECT_EQ(GLONASSc::freq(4, 0), 1598.0625e6L);
    EXPECT_EQ(GLONASSc::freq(4, 1), 1242.9375e6L);
    EXPECT_EQ(GLONASSc::lamb(4, 1), 299792458.0L / 1242.9375e6L);
    EXPECT_EQ(GLONASSc::freq(5, 0), 7.0L); // the next row is left alone
}

// The row diagnostic of the table, its index field five wide.
std::string RowDiagnostic(const char* index)
{
    const std::string stars(60, '*');
    return "\n" + stars + "\nMATRIX::ERROR:\n\n\tOperator:   ()\nRow index not in range: " + index +
           " -> [    0,   31]\n\n" + stars + "\nExiting program...\n\n";
}

TEST(mGNSSc, SetFrequencyOutsideTheSlotsStopsTheRun)
{
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            GLONASSc::SetFrequency(0, 32);
        },
        ExitedWithCode(1), Eq(RowDiagnostic("   32")));
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            GLONASSc::SetFrequency(0, -1);
        },
        ExitedWithCode(1), Eq(RowDiagnostic("   -1")));
}

} // namespace
