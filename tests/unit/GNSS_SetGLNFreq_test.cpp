// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEX.h"
#include "GNSS/TimeConverse.h"
#include "GNSSf/GNSS_SetGLNFreq.h"

#include <cstddef>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string channelFile = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";

using Channel = std::optional<long double>;

void SetSatList(RINEXData& rd, std::initializer_list<short> sats)
{
    rd.satList.Resize(static_cast<long>(sats.size()));
    long i = 0;
    for (short s : sats) rd.satList(i++) = s;
}

// The channel found for a slot.
Channel Slot(const GlonassChannels& c, int slot)
{
    return c.bySlot[static_cast<std::size_t>(slot - 1)];
}

class GlonassChannelsOfTest : public testing::Test {
  protected:
    RINEXHeader rh;
    RINEXData rd{rh};
    GLNSat gfc;
    void SetUp() override
    {
        gfc.SetFile(channelFile.c_str());
        gfc.ReadFile();
        ymdhms first;
        first.Set(2010, 3, 5, 0, 0, 30);
        rd.epoch.Resize(1);
        rd.epoch(0) = ymdhms2mjd(first);
        rd.nepochall = 1;
    }
};

// Slot 0, GPS and Galileo are passed over; a slot without a line gets channel 0 and a warning.
TEST_F(GlonassChannelsOfTest, ChannelsOfTheFirstEpochWithAWarningForAMissingSlot)
{
    SetSatList(rd, {5, 100, 101, 105, 107, 124, 211});
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const GlonassChannels c = GlonassChannelsOf(rd, gfc, true);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\n#### Kestrova: Warning -> GLONASS SATELLITE 124 NOT LISTED IN GLONASS FREQUENCY "
              "CHANNEL FILE - USING FREQ. CHANNEL k = 0! ####\n     Continuing Kestrova ... \n\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(Slot(c, 1), Channel(1));
    EXPECT_EQ(Slot(c, 5), Channel(1)); // the span of the first epoch, not the later one
    EXPECT_EQ(Slot(c, 7), Channel(5));
    EXPECT_EQ(Slot(c, 24), Channel(0));
    EXPECT_EQ(Slot(c, 11), std::nullopt); // in the file, not in the data
    EXPECT_EQ(c.Of(101), Channel(1));
    EXPECT_EQ(c.Of(5), std::nullopt); // G05 has no slot
}

TEST_F(GlonassChannelsOfTest, WithoutAChannelFileNothingHappens)
{
    RINEXData empty{rh}; // no epoch at all: it must not be read
    SetSatList(empty, {101, 105});
    testing::internal::CaptureStderr();
    const GlonassChannels c = GlonassChannelsOf(empty, gfc, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    for (int slot = 1; slot <= 32; slot++) EXPECT_EQ(Slot(c, slot), std::nullopt) << slot;
}

// A real GLONASS file with R11 (channel 0), R19 and R23 (channel 3) among GPS satellites.
TEST_F(GlonassChannelsOfTest, SatellitesOfARealFileGetTheirChannels)
{
    std::string rinex = std::string(KESTROVA_SHARED_DATA) + "/default_time_system2.10o";
    if (!std::filesystem::exists(rinex)) GTEST_SKIP() << "no shared data";
    RINEXHeader rhead;
    RINEXData rdata(rhead);
    RINEX reader(rhead, rdata);
    reader.SetFile(rinex.c_str());
    reader.ReadFile();
    if (rdata.GetNEpoch() == 0) GTEST_SKIP() << "the RINEX reader read no epochs";
    testing::internal::CaptureStderr();
    const GlonassChannels c = GlonassChannelsOf(rdata, gfc, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Slot(c, 11), Channel(0));
    EXPECT_EQ(Slot(c, 19), Channel(3));
    EXPECT_EQ(Slot(c, 23), Channel(3));
    EXPECT_EQ(Slot(c, 13), std::nullopt); // G13 is satellite 13, not a GLONASS slot
}

} // namespace

// Satellites beyond slot 32 have no slot; the listing reports them, not this step.
TEST_F(GlonassChannelsOfTest, SatellitesBeyondTheSlotsAreLeftAlone)
{
    SetSatList(rd, {101, 133, 199});
    testing::internal::CaptureStderr();
    const GlonassChannels c = GlonassChannelsOf(rd, gfc, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Slot(c, 1), Channel(1));
    for (int slot = 2; slot <= 32; slot++) EXPECT_EQ(Slot(c, slot), std::nullopt) << slot;
    EXPECT_EQ(c.Of(133), std::nullopt);
}
