// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/CompactRINEX.h"
#include "tests/unit/ToolRun.h"
#include "tools/gen/CompactRinexWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The lines of a text without CR and trailing blanks, cut at the 80 columns of RINEX 2.
std::vector<std::string> RinexLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        l.erase(l.find_last_not_of(" \r", 79) + 1);
        lines.push_back(l);
    }
    return lines;
}

} // namespace

// Written as Compact RINEX and decoded again, a file gives back its own lines: values over
// missing ones and new arcs, flags, clock offsets, satellites joining and leaving, event
// records, satellite lists over 12; and the compact form is a fraction of the text.
TEST(CompactRinexWriter, DecodesBackToEveryLineOfTheFile)
{
    const std::filesystem::path data = KESTROVA_TEST_DATA, shared = KESTROVA_SHARED_DATA;
    std::vector<std::filesystem::path> files = {
        data / "../../data/kest0440.15o", data / "event_records.10o", data / "gps_dual_offgrid.10o",
        data / "mixed_all_bands.10o", data / "long_lines.10o"};
    if (std::filesystem::exists(shared / "york0440.15o")) files.push_back(shared / "york0440.15o");
    for (const std::filesystem::path& f : files) {
        SCOPED_TRACE(f.filename().string());
        const std::string rinex = ReadAll(f);
        const std::string compact = gen::CompactRinex1(rinex);
        ASSERT_TRUE(IsCompactRINEX(compact));
        EXPECT_EQ(RinexLines(DecodeCompactRINEX(compact)), RinexLines(rinex));
        if (rinex.size() > 100000) {
            EXPECT_LT(compact.size(), rinex.size() / 3);
        }
    }
}

TEST(CompactRinexWriter, AValueThatIsNoFixedPointNumberIsRefused)
{
    const std::string rinex =
        ReadAll(std::filesystem::path(KESTROVA_TEST_DATA) / "gps_dual_offgrid.10o");
    std::string bad = rinex;
    bad.replace(bad.find("21234569.926"), 12, "21234569.9x6");
    EXPECT_THROW(gen::CompactRinex1(bad), gen::CompactRinexError);
    EXPECT_THROW(gen::CompactRinex1(rinex.substr(0, rinex.size() - 20)), gen::CompactRinexError);
}
