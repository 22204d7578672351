// The result-file reader of kestrova-summary: exact numbers, the fields of a row, the frames of
// files it refuses.
#include "summary/GofReader.h"

#include "tests/unit/Compact2Writer.h"
#include "tests/unit/GofText.h"

#include <gtest/gtest.h>
#include <string>

using goftext::Missing;
using goftext::Row;
using goftext::V;
using testing::Eq;
using testing::ExitedWithCode;

namespace {

std::int64_t Scaled(const std::string& text, int decimals)
{
    std::int64_t v = -12345;
    return ParseDecimal(text, decimals, v) ? v : -12345;
}

const std::string Heading = "            L1                C1";
const std::string Observations = " L1[+] C1[+] MP2[-]";

std::string Frame(const std::string& text)
{
    return "\n**** kestrova-summary: Error -> " + text + " ****\n     Exiting kestrova-summary ... \n\n";
}

} // namespace

TEST(ParseDecimal, ReadsExactScaledIntegersAndRefusesEverythingElse)
{
    EXPECT_EQ(Scaled("25808321.742", 3), 25808321742);
    EXPECT_EQ(Scaled("-0.005", 3), -5);
    EXPECT_EQ(Scaled("30.000", 7), 300000000);
    EXPECT_EQ(Scaled("0.1000000", 7), 1000000);
    EXPECT_EQ(Scaled("86399.9", 1), 863999);
    EXPECT_EQ(Scaled("4", 3), 4000);
    EXPECT_EQ(Scaled("999999999999999.999", 3), 999999999999999999); // 18 digits
    for (const char* bad : {"", "-", ".", "1.2345", "1e5", "inf", "nan", "+1", "1.2.3", "1 2",
                            "1000000000000000.000", "*.***"})
        EXPECT_EQ(Scaled(bad, 3), -12345) << bad;
}

// A row gives its time from the MJD fields, its values in millimetres with their loss-of-lock
// digits; "***" rows and rows of "*.***" only have no value.
TEST(GofReader, RowsGiveTimeSatelliteValuesAndLossOfLock)
{
    const std::string file = WriteText(
        TestFolder() / "rows.gof",
        goftext::Header(" G05 E11", Observations, Heading) + Row(3, "G05", V(-8897864.015, 7) + Missing) +
            "\n" + Row(4, "E11", "  ***") + Row(5, "E11", Missing + Missing));
    GofReader r(file);
    EXPECT_EQ(r.Header().columns, (std::vector<std::string>{"L1", "C1"}));
    EXPECT_EQ(r.Header().satellites, (std::vector<std::string>{"G05", "E11"}));
    EXPECT_EQ(r.Header().startTicks, 57066 * TicksPerDay);
    EXPECT_EQ(r.Header().endTicks, 57066 * TicksPerDay + 1170 * TicksPerSecond);
    EXPECT_EQ(r.Header().intervalTicks, 30 * TicksPerSecond);
    EXPECT_EQ(r.Header().toleranceTicks, TicksPerSecond / 10);
    GofRow row;
    ASSERT_TRUE(r.Next(row));
    EXPECT_EQ(row.time, 57066 * TicksPerDay + 90 * TicksPerSecond);
    EXPECT_EQ(row.epoch, "2015-02-13 00:01:30.0");
    EXPECT_EQ(row.satellite, SatelliteIndex("G05"));
    ASSERT_EQ(row.values.size(), 2u);
    EXPECT_TRUE(row.anyValue);
    EXPECT_TRUE(row.values[0].present);
    EXPECT_EQ(row.values[0].milli, -8897864015);
    EXPECT_EQ(row.values[0].lli, 7);
    EXPECT_FALSE(row.values[1].present);
    ASSERT_TRUE(r.Next(row));
    EXPECT_EQ(row.satellite, 200 + 11);
    EXPECT_FALSE(row.anyValue);
    EXPECT_TRUE(row.values.empty());
    ASSERT_TRUE(r.Next(row));
    EXPECT_FALSE(row.anyValue);
    EXPECT_FALSE(r.Next(row));
}

// The frames name the file and, where one line is at fault, the line.
TEST(GofReader, RefusedFilesStopWithTheirFrame)
{
    const std::filesystem::path dir = TestFolder();
    const std::string head = goftext::Header(" G05", Observations, Heading);
    auto refuse = [](const std::string& file) { GofReader r(file); GofRow row; while (r.Next(row)) {} };

    const std::string joined = WriteText(dir / "joined.gof", head + Row(0, "G05", V(1) + V(2)) + head);
    EXPECT_EXIT(refuse(joined), ExitedWithCode(1),
                Eq(Frame(joined + " LINE 20 - ROW DOES NOT MATCH THE COLUMN HEADING!")));

    const std::string foreign = WriteText(dir / "foreign.gof", head + Row(0, "G06", V(1) + V(2)));
    EXPECT_EXIT(refuse(foreign), ExitedWithCode(1),
                Eq(Frame(foreign + " LINE 19 - SATELLITE G06 IS NOT IN THE SATELLITES LINE!")));

    // the heading lists C1, which the observations line marks [-]
    const std::string unlisted = WriteText(
        dir / "unlisted.gof", goftext::Header(" G05", " L1[+] C1[-]", Heading));
    EXPECT_EXIT(refuse(unlisted), ExitedWithCode(1),
                Eq(Frame(unlisted + " LINE 18 - COLUMN HEADING DOES NOT MATCH THE OBSERVATIONS LINE!")));

    std::string noInterval = head;
    noInterval.erase(noInterval.find("#Time interval:"), 28);
    const std::string cut = WriteText(dir / "cut.gof", noInterval);
    EXPECT_EXIT(refuse(cut), ExitedWithCode(1),
                Eq(Frame(cut + " - SETTINGS HEADER WITHOUT THE \"#Time interval:\" LINE!")));

    EXPECT_EXIT(refuse(dir.string()), ExitedWithCode(1),
                Eq(Frame(dir.string() + " - RESULT FILE CAN NOT BE READ!")));
}
