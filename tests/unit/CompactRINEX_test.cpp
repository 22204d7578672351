// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/CompactRINEX.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

const std::filesystem::path SharedData = KESTROVA_SHARED_DATA;

// A header line: the fields blank-filled to column 60, then the label.
std::string L(std::string fields, const std::string& label)
{
    fields.resize(60, ' ');
    return fields + label + "\n";
}

const std::string Crinex1 = L("1.0                 COMPACT RINEX FORMAT", "CRINEX VERS   / TYPE") +
                            L("hand-made", "CRINEX PROG / DATE");
const std::string Rinex2Header =
    L("     2.11           OBSERVATION DATA    G (GPS)", "RINEX VERSION / TYPE") +
    L("     2    L1    C1", "# / TYPES OF OBSERV") + L("", "END OF HEADER");

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a text without CR and trailing blanks.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of(" \r") + 1);
        lines.push_back(line);
    }
    return lines;
}

std::string Frame(const std::string& text)
{
    return "\n#### CompactRINEX: Error -> " + text + " ####\n     Exiting CompactRINEX ... \n";
}

} // namespace

// Values by their arcs (the order growing to 3, a missing value ending the arc, a new one),
// clock offsets, flags by character differences (a missing value blanks its flags for good), a
// satellite leaving and another joining.
TEST(CompactRINEX, Version1RestoresValuesClockAndFlagsOverEpochs)
{
    std::string compact = Crinex1 + Rinex2Header +
                          "&15  2 13  0  0  0.0000000  0  2G01G02\n"
                          "2&-1500\n"
                          "3&100000 3&-20000000 15\n"
                          "3&7  45\n"
                          "                3\n"
                          "10\n"
                          "250 -1000 &\n"
                          "\n"
                          "              1 &\n"
                          "\n"
                          "-50 3&5\n"
                          "2&-3\n"
                          "                3                    3\n"
                          "3&-9\n"
                          "-25 -2\n"
                          "3&-1234567 4&6 1\n";
    std::string clock = std::string(30, ' ') + "-0.0000";
    // clang-format off
    std::string expected = Rinex2Header +
        " 15  2 13  0  0  0.0000000  0  2G01G02" + clock + "01500\n"
        "       100.00015    -20000.000\n"
        "         0.00745\n"
        " 15  2 13  0  0 30.0000000  0  2G01G02" + clock + "01490\n"
        "       100.250 5    -20001.000\n"
        "\n"
        " 15  2 13  0  1  0.0000000  0  2G01G02\n"
        "       100.450 5         0.005\n"
        "        -0.003\n"
        " 15  2 13  0  1 30.0000000  0  2G01G03" + clock + "00009\n"
        "       100.575 5         0.003\n"
        "     -1234.5671          0.006\n";
    // clang-format on
    EXPECT_EQ(DecodeCompactRINEX(compact), expected);
    EXPECT_TRUE(IsCompactRINEX(compact));
    EXPECT_FALSE(IsCompactRINEX(expected));
}

// An event passes through with its records, new types included; 13 satellites need a
// continuation line.
TEST(CompactRINEX, Version1EventRecordsAndLongSatelliteLists)
{
    std::string sats = "G01G02G03G04G05G06G07G08G09G10G11G12G13";
    std::string newTypes = L("     1    P2", "# / TYPES OF OBSERV");
    std::string compact = Crinex1 + Rinex2Header + "&15  2 13  1  0  0.0000000  4  2\n" +
                          L("ANTENNA HEIGHT UNCHANGED", "COMMENT") + newTypes +
                          "&15  2 13  1  0  0.0000000  0 13" + sats + "\n\n";
    std::string expected = Rinex2Header + " 15  2 13  1  0  0.0000000  4  2\n" +
                           L("ANTENNA HEIGHT UNCHANGED", "COMMENT") + newTypes +
                           " 15  2 13  1  0  0.0000000  0 13" + sats.substr(0, 36) + "\n" +
                           std::string(32, ' ') + "G13\n";
    for (int k = 1; k <= 13; k++) {
        // one type now: the blank after the value is the loss-of-lock character
        compact += "1&" + std::to_string(100 * k) + "  9\n";
        char line[32];
        std::snprintf(line, sizeof line, "%14.3f 9\n", 0.1 * k);
        expected += line;
    }
    EXPECT_EQ(DecodeCompactRINEX(compact), expected);
}

// RINEX 3: '>' epoch lines, the clock offset with 12 decimals, one line per satellite with the
// types of its system, an event given whole, after which nothing of the past holds.
TEST(CompactRINEX, Version3RestoresEpochsPerSystemAndEvents)
{
    std::string header = L("     3.04           OBSERVATION DATA    M", "RINEX VERSION / TYPE") +
                         L("G    2 C1C L1C", "SYS / # / OBS TYPES") +
                         L("R    1 C1C", "SYS / # / OBS TYPES") + L("", "END OF HEADER");
    std::string compact = L("3.0                 COMPACT RINEX FORMAT", "CRINEX VERS   / TYPE") +
                          L("hand-made", "CRINEX PROG / DATE") + header +
                          "> 2019 01 01 20 56 45.0000000  0  2      G01R05\n"
                          "3&123456789012\n"
                          "3&22000000123 3&-5 17 6\n"
                          "1&-42\n"
                          "                 7 &0\n"
                          "-12\n"
                          "100 1\n"
                          "\n"
                          "> 2019 01 01 20 57  5.0000000  4  1\n" +
                          L("RECEIVER RESTARTED", "COMMENT") +
                          "> 2019 01 01 20 57 15.0000000  0  2      R05G01\n"
                          "\n"
                          "2&8  2\n"
                          "3&1 3&2\n";
    std::string expected = header +
                           "> 2019 01 01 20 56 45.0000000  0  2       0.123456789012\n"
                           "G01  22000000.12317        -0.005 6\n"
                           "R05        -0.042\n"
                           "> 2019 01 01 20 57  0.0000000  0  2       0.123456789000\n"
                           "G01  22000000.22317        -0.004 6\n"
                           "R05\n"
                           "> 2019 01 01 20 57  5.0000000  4  1\n" +
                           L("RECEIVER RESTARTED", "COMMENT") +
                           "> 2019 01 01 20 57 15.0000000  0  2\n"
                           "R05         0.008 2\n"
                           "G01         0.001           0.002\n";
    EXPECT_EQ(DecodeCompactRINEX(compact), expected);
}

TEST(CompactRINEX, Version1FileDecodesToTheLinesOfItsRINEXFile)
{
    std::filesystem::path compact = SharedData / "york0440.15d";
    if (!std::filesystem::exists(compact)) GTEST_SKIP() << SharedData << " is absent";
    std::vector<std::string> decoded = Lines(DecodeCompactRINEX(ReadFile(compact)));
    std::vector<std::string> original = Lines(ReadFile(SharedData / "york0440.15o"));
    ASSERT_EQ(decoded.size(), original.size());
    for (std::size_t k = 0; k < decoded.size(); k++)
        ASSERT_EQ(decoded[k], original[k]) << "line " << k + 1;
}

TEST(CompactRINEX, Version3FileGivesItsEpochsSatellitesAndValues)
{
    std::filesystem::path path = SharedData / "P43300USA_R_20190012056_17M_15S_MO.crx";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << SharedData << " is absent";
    std::vector<std::string> lines = Lines(DecodeCompactRINEX(ReadFile(path)));
    std::vector<std::string> epochs;
    std::vector<std::string> sats;                           // the satellites of each epoch
    std::map<std::string, std::vector<std::string>> records; // satellite -> its line per epoch
    auto data = std::find(lines.begin(), lines.end(), L("", "END OF HEADER").substr(0, 73));
    ASSERT_NE(data, lines.end());
    for (auto it = data + 1; it != lines.end(); ++it) {
        if ((*it)[0] == '>') {
            epochs.push_back(*it);
            sats.emplace_back();
            continue;
        }
        ASSERT_FALSE(epochs.empty());
        sats.back() += it->substr(0, 3);
        records[it->substr(0, 3)].resize(epochs.size());
        records[it->substr(0, 3)].back() = *it;
    }
    ASSERT_EQ(epochs.size(), 70u);
    EXPECT_EQ(epochs.front(), "> 2019 01 01 20 56 45.0000000  0 27");
    EXPECT_EQ(epochs[1], "> 2019 01 01 20 57  0.0000000  0 33");
    EXPECT_EQ(epochs.back(), "> 2019 01 01 21 14  0.0000000  0 36"); // TIME OF LAST OBS
    EXPECT_EQ(records.size(), 37u);                                  // # OF SATELLITES
    // who joins and who leaves, epoch by epoch
    auto minus = [](const std::string& a, const std::string& b) {
        std::string rest;
        for (std::size_t k = 0; k < a.size(); k += 3) {
            bool listed = false;
            for (std::size_t j = 0; j < b.size(); j += 3) listed |= b.compare(j, 3, a, k, 3) == 0;
            if (!listed) rest += a.substr(k, 3);
        }
        return rest;
    };
    std::map<std::size_t, std::string> changes;
    for (std::size_t e = 0; e < epochs.size(); e++) {
        EXPECT_EQ(3 * std::stoul(epochs[e].substr(32, 3)), sats[e].size()) << epochs[e];
        if (e > 0 && sats[e] != sats[e - 1])
            changes[e + 1] = minus(sats[e], sats[e - 1]) + "/" + minus(sats[e - 1], sats[e]);
    }
    EXPECT_EQ(changes, (std::map<std::size_t, std::string>{{2, "R01R02R08R10R11R12R17/S33"},
                                                           {3, "S33/"},
                                                           {4, "R18/"},
                                                           {19, "/C32"},
                                                           {28, "E26/"},
                                                           {54, "G07/"}}));

    // C08 C2I by hand: 3&39967809791, then -32432559, 32106841, -32095573, -2334
    const std::vector<std::string>& c08 = records["C08"];
    EXPECT_EQ(c08[0].substr(3, 16), "  39967809.791 6");
    EXPECT_EQ(c08[1].substr(3, 16), "  39935377.232 6"); // 39967809791 - 32432559
    EXPECT_EQ(c08[2].substr(3, 16), "  39935051.514 6"); // d1 = -32432559 + 32106841
    EXPECT_EQ(c08[3].substr(3, 16), "  39934737.064 6"); // d2 = 32106841 - 32095573, d1 += d2
    EXPECT_EQ(c08[4].substr(3, 16), "  39934431.548 6"); // d2 = 11268 - 2334, d1 = -305516
    // L2I missing in epoch 2 (blank flags), a new arc 3&207952293975 in epoch 3
    EXPECT_EQ(c08[1].substr(19, 16), std::string(16, ' '));
    EXPECT_EQ(c08[2].substr(19, 16), " 207952293.97506");
    EXPECT_EQ(c08[3].substr(19, 16), " 207950655.21706"); // - 1638758
    EXPECT_EQ(c08[4].substr(19, 16), " 207949059.52606"); // d1 = -1638758 + 43067
    // R01 joins in epoch 2 (3&19368311977, L1C flags 18), then -2883656 and 23726, L1C LLI 0
    const std::vector<std::string>& r01 = records["R01"];
    EXPECT_TRUE(r01[0].empty());
    EXPECT_EQ(r01[1].substr(0, 35), "R01  19368311.977 8 103534728.20818");
    EXPECT_EQ(r01[2].substr(0, 35), "R01  19365428.321 8 103519312.31008");
    EXPECT_EQ(r01[3].substr(0, 19), "R01  19362568.391 8"); // d1 = -2883656 + 23726
}

// Hostile streams: each ends in the framed error, naming the epoch where there is one.
struct Hostile {
    const char* name;
    std::string compact;
    std::string text;
};

// A case is named by its name alone (not by the bytes of its fields) in the test lists.
void PrintTo(const Hostile& h, std::ostream* out) { *out << h.name; }

class CompactRINEXHostile : public testing::TestWithParam<Hostile> {};

TEST_P(CompactRINEXHostile, StopsWithTheFramedError)
{
    const Hostile& h = GetParam();
    EXPECT_EXIT(
        {
            std::cout.rdbuf(std::cerr.rdbuf());
            DecodeCompactRINEX(h.compact);
        },
        ExitedWithCode(1), Eq(Frame(h.text)));
}

namespace {

const std::string Head1 = Crinex1 + Rinex2Header;
const std::string Start = Head1 + "&15  2 13  0  0  0.0000000  0  1G01\n\n";
const std::string Epoch1 = " IN EPOCH 2015-02-13 00:00:00.0000000!";
const std::string Epoch2 = " IN EPOCH 2015-02-13 00:00:30.0000000!";
const std::string Epoch3 = " IN EPOCH 2015-02-13 00:01:00.0000000!";
const std::string NotInitialised = "COMPACT RINEX VALUE USED BEFORE ITS INITIALISATION";
const std::string Overflows = "COMPACT RINEX VALUE OVERFLOWS";
const std::string NoNumber = "COMPACT RINEX FIELD IS NO NUMBER";
// epoch lines of 00:00:30 and 00:01:00 after one of 00:00:00, the second with G02 for G01
const std::string At30 = "                3\n";
const std::string At60G02 = "              1 &" + std::string(17, ' ') + "2\n";

// clang-format off
const Hostile HostileCases[] = {
    {"ArcWithoutInitialisation", Start + "5 3&1\n", NotInitialised + Epoch1},
    {"ArcEndedByAMissingValue", Start + "3&1 3&1\n" + At30 + "\n 7\n              1 &\n\n4 7\n",
     NotInitialised + Epoch3},
    {"SatelliteBackAfterAGap", Start + "3&1 3&1\n" + At30 + "\n1 1\n" + At60G02 + "\n3&1\n" +
     std::string(16, ' ') + "3" + std::string(17, ' ') + "1\n\n1 1\n", NotInitialised + " IN EPOCH 2015-02-13 00:01:30.0000000!"},
    {"ClockArcEndedByAnEmptyLine", Head1 + "&15  2 13  0  0  0.0000000  0  1G01\n3&5\n3&1\n" + At30 +
     "\n1\n              1 &\n7\n1\n", NotInitialised + Epoch3},
    {"ArcsAfterNewTypes", Start + "3&1 3&1\n" + std::string(16, ' ') + "3" + std::string(11, ' ') +
     "4   &&&\n" + L("     2    L1    C1", "# / TYPES OF OBSERV") + std::string(14, ' ') + "1 &" +
     std::string(11, ' ') + "0   G01\n\n1 1\n", NotInitialised + Epoch3},
    {"LettersInAValue", Start + "3&1x\n", NoNumber + Epoch1},
    {"Difference200Digits", Start + "3&1\n" + At30 + "\n" + std::string(200, '7') + "\n",
     Overflows + Epoch2},
    {"SumLeavesTheIntegers", Start + "3&5000000000000\n" + At30 + "\n9223372036854775000\n",
     Overflows + Epoch2},
    {"ValueTooWideForItsField", Start + "3&-1000000000000\n", Overflows + Epoch1},
    {"Order99", Start + "99&5\n", "COMPACT RINEX DIFFERENCE ORDER OUT OF RANGE" + Epoch1},
    {"Order0", Start + "3&1 0&5\n", "COMPACT RINEX DIFFERENCE ORDER OUT OF RANGE" + Epoch1},
    {"FlagsLongerThanTheTypes", Start + "3&1 3&1 12345\n",
     "COMPACT RINEX FLAGS LONGER THAN THE OBSERVATION TYPES" + Epoch1},
    {"SatelliteLineMissing", Head1 + "&15  2 13  0  0  0.0000000  0  2G01G02\n\n3&1\n"
     "&15  2 13  0  0 30.0000000  0  1G01\n", "COMPACT RINEX SATELLITE LINE MISSING" + Epoch1},
    {"SatelliteListShorterThanItsCount", Head1 + "&15  2 13  0  0  0.0000000  0  3G01G02\n",
     "COMPACT RINEX EPOCH LINE DAMAGED" + Epoch1},
    {"PlainRINEX", Rinex2Header, "FIRST LINE IS NO COMPACT RINEX 1.0 OR 3.0 VERSION LINE!"},
    {"SystemWithoutTypes", L("3.0", "CRINEX VERS   / TYPE") + L("G    1 C1C", "SYS / # / OBS TYPES") +
     L("", "END OF HEADER") + "> 2019 01 01 20 56 45.0000000  0  1      J01\n\n1&1\n",
     "COMPACT RINEX SATELLITE SYSTEM WITHOUT OBSERVATION TYPES IN EPOCH 2019-01-01 20:56:45.0000000!"},
};
// clang-format on

} // namespace

INSTANTIATE_TEST_SUITE_P(Streams, CompactRINEXHostile, testing::ValuesIn(HostileCases),
                         [](const testing::TestParamInfo<Hostile>& p) { return p.param.name; });

// A stream that ends early, between lines or inside one (a cut line is not decoded: a cut
// difference would be another value), gives its epochs as far as they go and says it was cut.
TEST(CompactRINEX, StreamEndingEarlyGivesItsEpochsAsFarAsTheyGo)
{
    const std::string whole =
        Head1 + "&15  2 13  0  0  0.0000000  0  2G01G02\n\n3&1 3&2\n3&3 3&4\n";
    bool cut = true;
    const std::string all = DecodeCompactRINEX(whole, &cut);
    EXPECT_FALSE(cut);
    ASSERT_EQ(Lines(all).size(), 6u); // the header, the epoch line and two satellites
    const std::string withoutG02 = all.substr(0, all.rfind('\n', all.size() - 2) + 1);
    for (std::size_t drop : {8u, 1u, 2u}) {
        SCOPED_TRACE(drop);
        cut = false;
        EXPECT_EQ(DecodeCompactRINEX(whole.substr(0, whole.size() - drop), &cut), withoutG02);
        EXPECT_TRUE(cut);
    }
    // cut before the clock line: the epoch line alone
    cut = false;
    const std::string epochOnly =
        DecodeCompactRINEX(Head1 + "&15  2 13  0  0  0.0000000  0  2G01G02\n", &cut);
    EXPECT_EQ(epochOnly, Rinex2Header + " 15  2 13  0  0  0.0000000  0  2G01G02\n");
    EXPECT_TRUE(cut);
}
