// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEX.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "GNSSf/GNSS_SetGLNFreq.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string channelFile = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";

// G1 of a channel, Hz.
long double G1(long double k) { return 1602e6L + k * 562500; }
long double G2(long double k) { return 1246e6L + k * 437500; }

void SetSatList(RINEXData& rd, std::initializer_list<short> sats)
{
    rd.satList.Resize(static_cast<long>(sats.size()));
    long i = 0;
    for (short s : sats) rd.satList(i++) = s;
}

// Every slot of the table gets a value no channel gives, to see which rows were written.
void MarkSlots()
{
    for (long row = 0; row < 32; row++) GLONASSc::freq(row, 0) = GLONASSc::freq(row, 1) = -1;
}

class SetGlonassFrequencyTest : public testing::Test {
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
        MarkSlots();
    }
};

// Slot 0, GPS and Galileo are passed over; a slot without a line gets channel 0 and a warning.
TEST_F(SetGlonassFrequencyTest, ChannelsOfTheFirstEpochWithAWarningForAMissingSlot)
{
    SetSatList(rd, {5, 100, 101, 105, 107, 124, 211});
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    SetGlonassFrequency(rd, gfc, true);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\n#### Kestrova: Warning -> GLONASS SATELLITE 124 NOT LISTED IN GLONASS FREQUENCY "
              "CHANNEL FILE - USING FREQ. CHANNEL k = 0! ####\n     Continuing Kestrova ... \n\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(GLONASSc::freq(0, 0), G1(1));
    EXPECT_EQ(GLONASSc::freq(4, 1), G2(1)); // the span of the first epoch, not the later one
    EXPECT_EQ(GLONASSc::freq(6, 0), G1(5));
    EXPECT_EQ(GLONASSc::lamb(6, 1), 299792458.0L / G2(5));
    EXPECT_EQ(GLONASSc::freq(23, 0), G1(0));
    EXPECT_EQ(GLONASSc::freq(23, 1), G2(0));
    EXPECT_EQ(GLONASSc::freq(10, 0), -1.0L); // slot 11 is in the file, not in the data
}

TEST_F(SetGlonassFrequencyTest, WithoutAChannelFileNothingHappens)
{
    RINEXData empty{rh}; // no epoch at all: it must not be read
    SetSatList(empty, {101, 105});
    testing::internal::CaptureStderr();
    SetGlonassFrequency(empty, gfc, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(GLONASSc::freq(0, 0), -1.0L);
    EXPECT_EQ(GLONASSc::freq(4, 0), -1.0L);
}

// A real GLONASS file with R11 (channel 0), R19 and R23 (channel 3) among GPS satellites.
TEST_F(SetGlonassFrequencyTest, SatellitesOfARealFileGetTheirChannels)
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
    SetGlonassFrequency(rdata, gfc, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(GLONASSc::freq(10, 0), G1(0));
    EXPECT_EQ(GLONASSc::freq(18, 0), G1(3));
    EXPECT_EQ(GLONASSc::freq(22, 1), G2(3));
    EXPECT_EQ(GLONASSc::lamb(18, 0), 299792458.0L / G1(3));
    EXPECT_EQ(GLONASSc::freq(12, 0), -1.0L); // G13 is satellite 13, not a GLONASS slot
}

} // namespace

// Satellites beyond slot 32 have no row in the table; the listing reports them, not this step.
TEST_F(SetGlonassFrequencyTest, SatellitesBeyondTheSlotsAreLeftAlone)
{
    SetSatList(rd, {101, 133, 199});
    testing::internal::CaptureStderr();
    SetGlonassFrequency(rd, gfc, true);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(GLONASSc::freq(0, 0), G1(1));
    for (long row = 1; row < 32; row++) EXPECT_EQ(GLONASSc::freq(row, 0), -1.0L) << row;
}
