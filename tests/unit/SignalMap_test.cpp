// SPDX-License-Identifier: BSD-2-Clause
// The RINEX 3 and 4 header: per-system codes, the signals chosen for the two-letter types, scale
// factors, GLONASS channels, and the warnings of damaged records.
#include "GNSS/RINEXHeader.h"
#include "GNSS/SignalMap.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string L(const std::string& fields, const std::string& label)
{
    std::string line = fields;
    line.resize(60, ' ');
    return line + label + "\n";
}

const std::string Version304 =
    L("     3.04           OBSERVATION DATA    M", "RINEX VERSION / TYPE");
const std::string End = L("", "END OF HEADER");

// The header read from text, and what its reader wrote.
struct HeaderRead {
    RINEXHeader h;
    std::string console;
    explicit HeaderRead(const std::string& text, const std::vector<SignalChoice>& choices = {})
    {
        std::ostringstream out;
        std::streambuf* old = std::cout.rdbuf(out.rdbuf());
        std::istringstream in(text);
        ReadHeader(in, h);
        if (h.IsRinex3()) MapSignals(h, {EveryType(), "", choices});
        h.WriteWarnings();
        std::cout.rdbuf(old);
        console = out.str();
    }
};

std::string Warning(const std::string& text, int line)
{
    return "\n#### RINEXHeader: Warning -> " + text + " -> line: " + std::to_string(line) +
           " ####\n     Continuing RINEXHeader ... \n\n";
}

std::vector<std::string> TypeNames(const RINEXHeader& h)
{
    std::vector<std::string> names;
    for (unsigned short i = 0; i < h.nobs; i++) names.push_back(NameOf(h.obs(i)));
    return names;
}

} // namespace

// Each type takes the first code of its row that the system lists, whatever the header's order;
// codes beyond the rows (band 3, BeiDou) are read as nothing.
TEST(SignalMap, FirstListedCodeOfEachRowIsTaken)
{
    HeaderRead r(
        Version304 +
        L("G   14 L2L C1W C1C L1W L1C C2X C2L L2W C5X C5Q L3X D1Y S1S", "SYS / # / OBS TYPES") +
        L("       C2P", "SYS / # / OBS TYPES") +
        L("R    4 C1P L2C L1P C3Q", "SYS / # / OBS TYPES") +
        L("E    6 C1X L1B C7I C7Q L7X L7Q", "SYS / # / OBS TYPES") +
        L("C    3 C2I L2I C7I", "SYS / # / OBS TYPES") +
        L("J    3 C1C L1Z C2S", "SYS / # / OBS TYPES") + End);
    EXPECT_EQ(r.console, "");
    EXPECT_EQ(SignalsText(r.h), " G C1=C1C P1=C1W L1=L1C D1=D1Y S1=S1S C2=C2L P2=C2P L2=L2W C5=C5Q"
                                " R P1=C1P L1=L1P L2=L2C E C1=C1X L1=L1B C7=C7Q L7=L7Q"
                                " J C1=C1C L1=L1Z C2=C2S");
    // each type once, in the order the header first names a code read as it
    EXPECT_EQ(TypeNames(r.h), (std::vector<std::string>{"P1", "C1", "L1", "C2", "L2", "C5", "D1",
                                                        "S1", "P2", "C7", "L7"}));
    EXPECT_TRUE(r.h.types[tP2] && r.h.types[tC7] && r.h.types[tL7] && r.h.types[tD1]);
    EXPECT_FALSE(r.h.types[tC3] || r.h.types[tL3] || r.h.types[tD2] || r.h.types[tS2] ||
                 r.h.types[tL5] || r.h.types[tC8]);
    // the fields of a GPS line that are read, in field order: L2L is not L2 (L2W is)
    const SystemFields* g = r.h.FieldsOf('G');
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->nfields, 14u);
    std::vector<unsigned short> fields;
    for (const StoredField& f : g->stored) fields.push_back(f.field);
    EXPECT_EQ(fields, (std::vector<unsigned short>{1, 2, 4, 6, 7, 9, 11, 12, 13}));
    // BeiDou lines are known and read as nothing; an unlisted system has no types at all
    ASSERT_NE(r.h.FieldsOf('C'), nullptr);
    EXPECT_TRUE(r.h.FieldsOf('C')->stored.empty());
    EXPECT_EQ(r.h.FieldsOf('S'), nullptr);
}

// A choice of the run comes first for the C, L, D and S types of its band while P2 keeps W; a
// type of which the header has none of the chosen signals takes the default one, and the choice
// is met only in part; a choice of signals the header has none of is not met at all.
TEST(SignalMap, ChosenSignalsComeFirstAndTheDefaultFillsIn)
{
    const std::vector<SignalChoice> choices = {{'G', '2', "XL"}, {'E', '1', "C"}, {'G', '1', "W"}};
    HeaderRead r(Version304 +
                     L("G    9 C1C L1C C2W L2W D2W S2W C2L L2L S2L", "SYS / # / OBS TYPES") +
                     L("E    2 C1X L1X", "SYS / # / OBS TYPES") + End,
                 choices);
    EXPECT_EQ(r.console, "");
    EXPECT_EQ(SignalsText(r.h),
              " G C1=C1C L1=L1C C2=C2L P2=C2W L2=L2L D2=D2W S2=S2L E C1=C1X L1=L1X");
    const ChoiceMet band2 = HowMet(r.h, choices[0]), e1 = HowMet(r.h, choices[1]),
                    g1 = HowMet(r.h, choices[2]);
    EXPECT_TRUE(band2.any);
    EXPECT_EQ(band2.others, " D2");
    EXPECT_FALSE(e1.any);
    EXPECT_EQ(e1.others, " C1 L1");
    EXPECT_FALSE(g1.any);
    EXPECT_EQ(g1.others, " C1 L1");
}

// Continuation lines of types and scale factors, a factor for all codes of a system, and the
// RINEX 2 labels that a RINEX 3 header does not have.
TEST(SignalMap, ContinuationLinesAndScaleFactors)
{
    HeaderRead r(
        Version304 +
        L("G   15 C1C L1C D1C S1C C1W L1W D1W S1W C2W L2W D2W S2W C5Q", "SYS / # / OBS TYPES") +
        L("       L5Q S5Q", "SYS / # / OBS TYPES") + L("R    2 C1C L1C", "SYS / # / OBS TYPES") +
        L("G   10  2 S1C S5Q", "SYS / SCALE FACTOR") + L("G  100  1", "SYS / SCALE FACTOR") +
        L("          L1C", "SYS / SCALE FACTOR") + L("R 1000", "SYS / SCALE FACTOR") +
        L("     1     1", "WAVELENGTH FACT L1/2") + End);
    EXPECT_EQ(r.console, "");
    EXPECT_EQ(r.h.FieldsOf('G')->nfields, 15u);
    auto divisor = [&](char system, unsigned short type) {
        for (const StoredField& f : r.h.FieldsOf(system)->stored)
            if (f.type == type) return static_cast<double>(f.divisor);
        return -1.0;
    };
    EXPECT_EQ(divisor('G', tS1), 10.0);
    EXPECT_EQ(divisor('G', tS5), 10.0);
    EXPECT_EQ(divisor('G', tL1), 100.0);
    EXPECT_EQ(divisor('G', tC1), 1.0);
    EXPECT_EQ(divisor('G', tL5), 1.0);
    EXPECT_EQ(divisor('R', tC1), 1000.0);
    EXPECT_EQ(divisor('R', tL1), 1000.0);
    EXPECT_EQ(r.h.wavelengthFactors[0], '1'); // not read: the line has no place in RINEX 3
}

// GLONASS channels with or without blanks between the entries, over continuation lines; an
// entry without a channel is left out.
TEST(SignalMap, GlonassChannelsOfTheHeader)
{
    HeaderRead r(
        Version304 + L("R    1 C1C", "SYS / # / OBS TYPES") +
        L("  3 R11 -5R19 +3R23 -6", "GLONASS SLOT / FRQ #") +
        L(" 10 R01  1 R02 -4 R03    R04  6 R 5  1 R06 -4 R07  5 R08 12", "GLONASS SLOT / FRQ #") +
        L("    R09 -2", "GLONASS SLOT / FRQ #") + End);
    std::vector<std::pair<short, int>> slots;
    for (const GlonassSlotChannel& s : r.h.glonassSlots) slots.emplace_back(s.sat, s.channel);
    EXPECT_EQ(slots, (std::vector<std::pair<short, int>>{{111, -5},
                                                         {119, 3},
                                                         {123, -6},
                                                         {101, 1},
                                                         {102, -4},
                                                         {104, 6},
                                                         {105, 1},
                                                         {106, -4},
                                                         {107, 5},
                                                         {108, 12},
                                                         {109, -2}}));
    // a RINEX 2 header never reads these labels, not even from a comment-like line
    HeaderRead v2(L("     2.11           OBSERVATION DATA    M", "RINEX VERSION / TYPE") +
                  L("  3 R11 -5R19 +3R23 -6", "GLONASS SLOT / FRQ #") +
                  L("G    2 C1C L1C", "SYS / # / OBS TYPES") + End);
    EXPECT_TRUE(v2.h.glonassSlots.empty());
    EXPECT_TRUE(v2.h.systemCodes.empty());
    EXPECT_FALSE(v2.h.IsRinex3());
}

// A count that disagrees with its codes, a code of another length, a repeated system and a
// scale factor of 0 are reported with their line and read as far as they make sense.
TEST(SignalMap, DamagedRecordsAreReportedAndReadOn)
{
    HeaderRead r(Version304 + L("G    7 C1C L1C C2W L2W", "SYS / # / OBS TYPES") +
                 L("E    3 C1CABCDE L1C C7Q", "SYS / # / OBS TYPES") +
                 L("R    2 C1C L1C", "SYS / # / OBS TYPES") +
                 L("R    1 C1P", "SYS / # / OBS TYPES") + L("G    0  1 C1C", "SYS / SCALE FACTOR") +
                 End);
    EXPECT_EQ(
        r.console,
        Warning("OBSERVATION CODE \"C1CABCDE\" IN \"SYS / # / OBS TYPES\" HEADER LINE IS NOT 3 "
                "CHARACTERS LONG",
                3) +
            Warning("ADDITIONAL \"SYS / # / OBS TYPES\" HEADER LINE OF SYSTEM R", 5) +
            Warning("SCALE FACTOR IN \"SYS / SCALE FACTOR\" HEADER LINE IS NOT A POSITIVE NUMBER "
                    "- THE VALUES ARE NOT SCALED",
                    6) +
            Warning("NUMBER OF CODES OF SYSTEM G IN \"SYS / # / OBS TYPES\" HEADER LINE (7) IS NOT "
                    "THE NUMBER OF CODES LISTED (4) - THE CODES LISTED ARE READ",
                    2));
    // the long code keeps its place: L1C is the second field of a Galileo line
    EXPECT_EQ(SignalsText(r.h), " G C1=C1C L1=L1C P2=C2W L2=L2W R P1=C1P E L1=L1C C7=C7Q");
    EXPECT_EQ(r.h.FieldsOf('E')->stored.front().field, 1);
    EXPECT_EQ(static_cast<double>(r.h.FieldsOf('G')->stored.front().divisor), 1.0);
}
