// SPDX-License-Identifier: BSD-2-Clause
// The result-file reader of kestrova-summary: exact numbers and the frames of files it refuses.
#include "summary/GofReader.h"
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/GofText.h"

#include <gtest/gtest.h>
#include <string>

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

std::string Frame(const std::string& text)
{
    return "\n**** kestrova-summary: Error -> " + text +
           " ****\n     Exiting kestrova-summary ... \n\n";
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

// The frames name the file and, where one line is at fault, the line.
TEST(GofReader, RefusedFilesStopWithTheirFrame)
{
    const std::filesystem::path dir = TestFolder();
    const std::string head =
        goftext::Header(" G05", " L1[+] C1[+] MP2[-]", "            L1                C1");
    auto refuse = [](const std::string& file) {
        GofReader r(file);
        GofRow row;
        while (r.Next(row)) {
        }
    };

    const std::string joined =
        WriteText(dir / "joined.gof", head + Row(0, "G05", V(1) + V(2)) + head);
    EXPECT_EXIT(refuse(joined), ExitedWithCode(1),
                Eq(Frame(joined + " LINE 20 - ROW DOES NOT MATCH THE COLUMN HEADING!")));

    std::string noInterval = head;
    noInterval.erase(noInterval.find("#Time interval:"), 28);
    const std::string cut = WriteText(dir / "cut.gof", noInterval);
    EXPECT_EXIT(refuse(cut), ExitedWithCode(1),
                Eq(Frame(cut + " - SETTINGS HEADER WITHOUT THE \"#Time interval:\" LINE!")));

    EXPECT_EXIT(refuse(dir.string()), ExitedWithCode(1),
                Eq(Frame(dir.string() + " - RESULT FILE CAN NOT BE READ!")));
}
