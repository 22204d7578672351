// SPDX-License-Identifier: BSD-2-Clause
// The GLONASS channel table shipped in data/, read with the program's own reader.
#include "GNSS/GLNSat.h"
#include "GNSS/TimeConverse.h"
#include "tools/gen/RinexGen.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string tableFile = std::string(KESTROVA_TEST_DATA) + "/../../data/glonass-channels.txt";

// The public slot plan: antipodal slots of a plane share a channel.
struct SlotPair {
    int slot1, slot2, channel;
};
constexpr SlotPair Plan[] = {{1, 5, 1},   {2, 6, -4},   {3, 7, 5},   {4, 8, 6},
                             {9, 13, -2}, {10, 14, -7}, {11, 15, 0}, {12, 16, -1},
                             {17, 21, 4}, {18, 22, -3}, {19, 23, 3}, {20, 24, 2}};

mjd At(unsigned short y, unsigned short mo, unsigned short d, unsigned short h, unsigned short mi,
       long double s)
{
    ymdhms t;
    t.Set(y, mo, d, h, mi, s);
    return ymdhms2mjd(t);
}

class GlonassChannelTable : public testing::Test {
  protected:
    GLNSat table;
    void SetUp() override
    {
        table.SetFile(tableFile.c_str());
        table.ReadFile();
    }
    // The channel of a slot at an epoch; fails the test when the slot has no entry then.
    long double Channel(int slot, mjd when)
    {
        long double k = table.GetFreqNum(static_cast<short>(100 + slot), when);
        EXPECT_TRUE(table.GetIsGLNSat()) << "slot " << slot;
        return k;
    }
};

TEST_F(GlonassChannelTable, OneOpenEndedLinePerSlotInSlotOrder)
{
    ASSERT_EQ(table.nsat, 24);
    for (long i = 0; i < table.nsat; i++) {
        EXPECT_EQ(table.sat(i), 101 + i);
        EXPECT_EQ(table.eph(i, 0).GetMJDay(), 53371u); // 2005-01-01
        EXPECT_EQ(table.eph(i, 0).GetSecond(), 0.0L);
        EXPECT_EQ(table.eph(i, 1).GetMJDay(), table.lastEph.GetMJDay());
        EXPECT_EQ(table.eph(i, 1).GetSecond(), table.lastEph.GetSecond());
    }
}

TEST_F(GlonassChannelTable, EverySlotHasItsPlannedChannelOverTheWholeSpan)
{
    const mjd epochs[] = {At(2005, 1, 1, 0, 0, 0), At(2015, 2, 13, 0, 0, 0),
                          At(2099, 12, 31, 23, 59, 59)};
    for (const SlotPair& p : Plan)
        for (const mjd& e : epochs) {
            EXPECT_EQ(Channel(p.slot1, e), p.channel) << "slot " << p.slot1;
            EXPECT_EQ(Channel(p.slot2, e), p.channel) << "slot " << p.slot2;
        }
}

TEST_F(GlonassChannelTable, NothingBefore2005NorOutsideTheSlots)
{
    for (int slot : {1, 24}) {
        EXPECT_EQ(table.GetFreqNum(static_cast<short>(100 + slot), At(2004, 12, 31, 23, 59, 59)),
                  0);
        EXPECT_FALSE(table.GetIsGLNSat());
    }
    for (int slot : {0, 25}) {
        EXPECT_EQ(table.GetFreqNum(static_cast<short>(100 + slot), At(2015, 2, 13, 0, 0, 0)), 0);
        EXPECT_FALSE(table.GetIsGLNSat());
    }
}

// The sample data of data/ were made with the generator's plan; the table must agree with it,
// or the GLONASS combinations of the sample would be formed with wrong wavelengths.
TEST_F(GlonassChannelTable, AgreesWithTheGeneratorOfTheSampleData)
{
    for (int slot = 1; slot <= 24; slot++)
        EXPECT_EQ(Channel(slot, At(2015, 2, 13, 0, 0, 0)), kgen::GlonassChannel(slot))
            << "slot " << slot;
}

} // namespace
