// SPDX-License-Identifier: BSD-2-Clause
#include "src/KestrovaRun.h"
#include "src/ListCodes.h"
#include "tests/unit/Compact2Writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using testing::Eq;
using testing::ExitedWithCode;

namespace {

const std::string Data = KESTROVA_TEST_DATA;
const std::string Minimal = Data + "/cli_minimal.10o";

std::string ErrorFrame(const std::string& text)
{
    return "\n**** Kestrova: Error -> " + text + " ****\n     Exiting Kestrova ... \n\n";
}

// The settings and plan of a command line, and the types the store is taken to hold.
struct Session {
    RunInputs in;
    RunPlan plan;
    RunSettings settings;
    unsigned long stored = 0;
    bool read = false; // the file was read: its list and availability are the plan's
    // a folder without an installed channel table: GLONASS needs a source of its own
    std::filesystem::path programFolder = "/nonexistent/bin";

    void GetFiles(std::initializer_list<std::string> words)
    {
        std::vector<std::string> all{"kestrova"};
        all.insert(all.end(), words);
        std::vector<const char*> argv;
        for (const std::string& w : all) argv.push_back(w.c_str());
        const int argc = static_cast<int>(argv.size());
        Progress progress(AsksForProgress(argc, argv.data()));
        settings = SettingsOf(argc, argv.data(), in, plan, progress, programFolder);
    }
    void ReadFile()
    {
        Progress progress(false);
        ReadAndPlan(settings, plan, in, progress);
        read = true;
    }
    std::vector<ListEntry> Entries() const
    {
        if (read) return plan.list;
        Progress progress(false);
        return PlanList(settings, plan, in.rh, stored, progress);
    }

    // The column names of the list entries, and their widths ('S' 10, 'W' 14), as the result
    // file heads them.
    std::vector<std::string> List() const
    {
        std::vector<std::string> v;
        for (const ListEntry& e : Entries()) v.push_back(ListCodes()[e.code].column);
        return v;
    }
    std::string Widths() const
    {
        std::string w;
        for (const ListEntry& e : Entries()) {
            const int width = ListCodes()[e.code].width;
            w += width == 10 ? 'S' : width == 14 ? 'W' : '?';
        }
        return w;
    }
    // The availability of every entry, as '+' and '-'.
    std::string Available() const
    {
        std::string s;
        for (const ListEntry& e : Entries()) s += e.available ? '+' : '-';
        return s;
    }
    void Has(std::initializer_list<RINEXObsType> types)
    {
        for (RINEXObsType t : types) stored |= TypeBit(t);
    }

    // The output file line that -v writes last.
    std::string ResultFileLine(std::initializer_list<std::string> words)
    {
        testing::internal::CaptureStdout();
        GetFiles(words);
        std::string out = testing::internal::GetCapturedStdout();
        std::size_t start = out.rfind('\n', out.size() - 2) + 1;
        return out.substr(start);
    }
};

std::string OutputLine(const std::string& name)
{
    return "Kestrova::GetFiles(): setting output GNSS OBSERVATION file: " + name + "!\n";
}

// The words of a text, split at blanks.
std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

} // namespace

// Every accepted text gives its column, in list order, with the width of its column.
TEST(ObsList, EveryAcceptedTextGivesItsColumnInListOrder)
{
    Session r;
    r.GetFiles({"-o" + Minimal, "-cG",
                "-lC1:P1:P2:L1:L2:C2:S1:S2:D1:D2:C5:L5:D5:S5:C6:L6:D6:S6:C7:L7:D7:S7:C8:L8:D8:S8:"
                "C9:L9:D9:S9:L4:Pp4:Pc4:P4:L3:P3:Pc3:Pp3:WL:WLL:WLP:WLC:MW:MWc:MWp:MP1:MC1:MP2:"
                "CL1:PL1:PL2:PC1:PC2:"});
    EXPECT_EQ(r.List(),
              Words("C1 P1 P2 L1 L2 C2 S1 S2 D1 D2 C5 L5 D5 S5 C6 L6 D6 S6 C7 L7 D7 S7 C8 L8 D8 S8 "
                    "C9 L9 D9 S9 L4 P4[P] P4[C] P4[C] L3 P3[C] P3[C] P3[P] WL[L] WL[L] WL[P] "
                    "WL[C] MW[C] MW[C] MW[P] MP1[P] MP1[C] MP2 C1-L1 P1-L1 P2-L2 P1-C1 P2-C2"));
    EXPECT_EQ(r.Widths(), "WWWWWWSSSSWWSSWWSSWWSSWWSSWWSS" + std::string(23, 'W'));
    EXPECT_EQ(r.Entries().size(), 53u);
}

TEST(ObsList, SplittingCountsColonsAndALaterListReplacesTheFirst)
{
    Session a;
    a.GetFiles({"-o" + Minimal, "-cG", "-lC1:L1:L2:P2:"});
    EXPECT_EQ(a.List(), Words("C1 L1 L2 P2"));

    Session b; // text after the last ":" is no entry, even when it is no code
    b.GetFiles({"-o" + Minimal, "-cG", "-lC1:L1:L2:P2:", "-lMW:MWc:MWp:C9"});
    EXPECT_EQ(b.List(), Words("MW[C] MW[C] MW[P]"));
    EXPECT_EQ(b.Available(), "---");

    Session c;
    c.GetFiles({"-o" + Minimal, "-cG", "-lL4"});
    EXPECT_TRUE(c.Entries().empty());
}

TEST(ObsList, UnknownEmptyAndOverlongTokensAreFatal)
{
    const std::string tail = " - OBSERVATION IN OBSERVATION LIST INCORRECT!";
    for (const std::string& token :
         std::vector<std::string>{"c1", "C4", "", "MWC", "ABCDEFGHIJ", std::string(40, 'L')}) {
        SCOPED_TRACE(token);
        EXPECT_EXIT(Session().GetFiles({"-lC1:" + token + ":L1:"}), ExitedWithCode(1),
                    Eq(ErrorFrame(token + tail)));
    }
    EXPECT_EXIT(Session().GetFiles({"-l:C1:"}), ExitedWithCode(1), Eq(ErrorFrame(tail)));
}

namespace {

// The combinations, then raw codes whose one flag decides. Expected availabilities below are
// in this order: L4 Pp4 Pc4 L3 P3 Pp3 WL WLP WLC MW MWp MP1 MC1 MP2 CL1 PL1 PL2 PC1 PC2 C1 P1 C7
// S8.
const std::string Combinations =
    "-lL4:Pp4:Pc4:L3:P3:Pp3:WL:WLP:WLC:MW:MWp:MP1:MC1:MP2:CL1:PL1:PL2:PC1:PC2:"
    "C1:P1:C7:S8:";

} // namespace

TEST(Availability, GpsOrGlonassNeedTheFirstAndSecondFrequency)
{
    for (std::string systems : {"-cG", "-cR"}) {
        SCOPED_TRACE(systems);
        Session r;
        r.Has({tC1, tP2, tL1, tL2}); // no P1
        r.GetFiles({"-o" + Minimal, systems, "-gf" + Minimal, Combinations});
        EXPECT_EQ(r.Available(), "+-+++-+-++--+++-+--+---");
    }
}

TEST(Availability, GlonassSwitchedOffForWantOfAChannelFileFormsNoCombination)
{
    Session r;
    r.Has({tC1, tP1, tP2, tL1, tL2, tC2});
    testing::internal::CaptureStderr();
    r.GetFiles({"-o" + Minimal, "-cR", Combinations});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.Available(), "--------------++-+-++--");
}

TEST(Availability, GalileoUsesTheSeventhFrequencyAndNeverFormsP2MinusC2)
{
    Session r;
    r.Has({tC1, tL1, tC7, tL7});
    r.Has({tP2, tC2}); // GPS-only types do not help Galileo
    r.GetFiles({"-o" + Minimal, "-cE", Combinations});
    EXPECT_EQ(r.Available(), "+-+++-+-++--+++-+--+-+-");
}

TEST(Availability, BeidouFormsItsPairButNoPForms)
{
    Session r;
    r.stored = HeaderTypeBits;
    r.GetFiles({"-o" + Minimal, "-cC", Combinations});
    EXPECT_EQ(r.Available(), "+-+++-+-++--++++++-++++");
}

// Another pair of bands needs the types of its own bands, and has no [P] forms; GPS and Galileo
// alike.
TEST(Availability, AnotherPairNeedsItsOwnBandsAndFormsNoPForms)
{
    for (const auto& [systems, pair] :
         {std::pair<std::string, std::string>{"-cG", "-fG15:"}, {"-cE", "-fE15:"}}) {
        SCOPED_TRACE(pair);
        Session r;
        r.Has({tC1, tP1, tL1, tC5, tL5});
        r.GetFiles({"-o" + Minimal, systems, pair, Combinations});
        EXPECT_EQ(r.Available(), "+-+++-+-++--++++++-++--");
    }
}

// Choices of signals and pairs of bands that cannot be used stop the run naming the entry.
TEST(GetFiles, ChoicesAndPairsThatCannotBeUsedAreRefusedNamingTheEntry)
{
    const std::string choiceForm =
        " OF OPTION -i INCORRECT (A SYSTEM LETTER, A BAND DIGIT AND ATTRIBUTE LETTERS, SUCH AS "
        "G2LX)!";
    const std::string pairForm =
        " OF OPTION -f INCORRECT (A SYSTEM LETTER AND TWO DIFFERENT BAND DIGITS, SUCH AS G15)!";
    const std::pair<std::string, std::string> refusals[] = {
        {"-iG2:", "SIGNAL CHOICE \"G2\"" + choiceForm},
        {"-ig2L:", "SIGNAL CHOICE \"g2L\"" + choiceForm},
        {"-iG2l:", "SIGNAL CHOICE \"G2l\"" + choiceForm},
        {"-iGXL:", "SIGNAL CHOICE \"GXL\"" + choiceForm},
        {"-iE1C::", "SIGNAL CHOICE \"\"" + choiceForm},
        {"-iG6C:", "SIGNAL CHOICE \"G6C\" OF OPTION -i IS NOT A BAND OF GPS (ITS BANDS: 1 2 5)!"},
        {"-iR3X:", "SIGNAL CHOICE \"R3X\" OF OPTION -i IS NOT A BAND OF GLONASS (ITS BANDS: 1 2)!"},
        {"-iG2L:E1C:G2X:", "SIGNAL CHOICE \"G2X\" OF OPTION -i CHOOSES A BAND ALREADY CHOSEN!"},
        {"-fG1:", "FREQUENCY PAIR \"G1\"" + pairForm},
        {"-fG11:", "FREQUENCY PAIR \"G11\"" + pairForm},
        {"-fQ15:", "FREQUENCY PAIR \"Q15\"" + pairForm},
        {"-fE157:", "FREQUENCY PAIR \"E157\"" + pairForm},
        {"-fG16:",
         "FREQUENCY PAIR \"G16\" OF OPTION -f IS NOT A PAIR OF BANDS OF GPS (ITS BANDS: 1 2 5)!"},
        {"-fS25:",
         "FREQUENCY PAIR \"S25\" OF OPTION -f IS NOT A PAIR OF BANDS OF SBAS (ITS BANDS: 1 5)!"},
        {"-fG15:E15:G12:", "FREQUENCY PAIR \"G12\" OF OPTION -f PAIRS A SYSTEM ALREADY PAIRED!"},
    };
    for (const auto& [word, text] : refusals) {
        SCOPED_TRACE(word);
        EXPECT_EXIT(Session().GetFiles({"-o" + Minimal, "-cGE", word}), ExitedWithCode(1),
                    Eq(ErrorFrame(text)));
    }
}

namespace {

// The availability rule written out once more, type by type: the types the GPS/GLONASS part
// needs and those the Galileo part needs. "*" stands for a rule that holds whatever systems are
// chosen (with the types of the first column); an empty Galileo part never holds.
struct Rule {
    const char* code;
    const char* gr;
    const char* e;
};
// clang-format off
const Rule Rules[] = {
    {"C1", "C1", "*"}, {"P1", "P1", "*"}, {"P2", "P2", "*"}, {"L1", "L1", "*"},
    {"L2", "L2", "*"}, {"C2", "C2", "*"}, {"S1", "S1", "*"}, {"S2", "S2", "*"},
    {"D1", "D1", "*"}, {"D2", "D2", "*"}, {"C5", "C5", "*"}, {"L5", "L5", "*"},
    {"D5", "D5", "*"}, {"S5", "S5", "*"}, {"C6", "C6", "*"}, {"L6", "L6", "*"},
    {"D6", "D6", "*"}, {"S6", "S6", "*"}, {"C7", "C7", "*"}, {"L7", "L7", "*"},
    {"D7", "D7", "*"}, {"S7", "S7", "*"}, {"C8", "C8", "*"}, {"L8", "L8", "*"},
    {"D8", "D8", "*"}, {"S8", "S8", "*"},
    {"L4",  "L1 L2",       "L1 L7"},       {"Pp4", "P1 P2",       "P1 C7"},
    {"Pc4", "C1 P2",       "C1 C7"},       {"L3",  "L1 L2",       "L1 L7"},
    {"P3",  "C1 P2",       "C1 C7"},       {"Pp3", "P1 P2",       "P1 C7"},
    {"WL",  "L1 L2",       "L1 L7"},       {"WLP", "P1 P2",       "P1 C7"},
    {"WLC", "C1 P2",       "C1 C7"},       {"MW",  "C1 P2 L1 L2", "C1 C7 L1 L7"},
    {"MWp", "P1 P2 L1 L2", "P1 C7 L1 L7"}, {"MP1", "P1 L1 L2",    "P1 L1 L7"},
    {"MC1", "C1 L1 L2",    "C1 L1 L7"},    {"MP2", "P2 L1 L2",    "C7 L1 L7"},
    {"CL1", "C1 L1",       "*"},           {"PL1", "P1 L1",       "*"},
    {"PL2", "P2 L2",       "C7 L7"},       {"PC1", "P1 C1",       "*"},
    {"PC2", "P2 C2",       ""},
    {"C9", "C9", "*"}, {"L9", "L9", "*"}, {"D9", "D9", "*"}, {"S9", "S9", "*"},
};

// The other systems form the Galileo part with their own pair: its first C code for C1, its
// second code for C7, its phases for L1 and L7; a part that needs P1 never holds for them.
struct Pair {
    const char* systems;
    std::map<std::string, std::string> columns;
};
const Pair Pairs[] = {
    {"-cC", {{"C1", "C2"}, {"C7", "C6"}, {"L1", "L2"}, {"L7", "L6"}}},
    {"-cJ", {{"C1", "C1"}, {"C7", "C2"}, {"L1", "L1"}, {"L7", "L2"}}},
    {"-cI", {{"C1", "C5"}, {"C7", "C9"}, {"L1", "L5"}, {"L7", "L9"}}},
    {"-cS", {{"C1", "C1"}, {"C7", "C5"}, {"L1", "L1"}, {"L7", "L5"}}},
};
// clang-format on

// The availability of the one entry code with the types present that set holds
// (flagged by name), or every type but those of absent.
char AvailableWith(const std::string& code, const std::string& systems,
                   const std::vector<std::string>& present, const std::string& absent = "")
{
    Session r;
    for (unsigned short k = 0; k < NObsTypes; k++) {
        const std::string name = NameOf(k);
        const bool listed = std::find(present.begin(), present.end(), name) != present.end();
        if (absent.empty() ? listed : name != absent) r.Has({static_cast<RINEXObsType>(k)});
    }
    r.GetFiles({"-o" + Minimal, systems, "-gf" + Minimal, "-l" + code + ":"});
    return r.Available()[0];
}

} // namespace

// For every code and every system part of the rule: the types it names are enough, and taking
// away any one of them, with every other type of the header present, makes the entry unavailable.
// The Galileo part of a rule for another system's pair; "" where it never holds.
std::string PairPart(const std::string& e, const Pair& pair)
{
    std::string needs;
    for (const std::string& t : Words(e)) {
        if (pair.columns.count(t) == 0) return "";
        needs += " " + pair.columns.at(t);
    }
    return needs;
}

TEST(Availability, EveryNeededTypeIsNeededByEveryPartOfTheRule)
{
    ASSERT_EQ(std::size(Rules), 49u);
    for (const Rule& rule : Rules) {
        const std::string e = rule.e;
        std::vector<std::pair<std::string, std::string>> parts = {{"-cG", rule.gr},
                                                                  {"-cR", rule.gr}};
        std::vector<std::string> never;
        if (e == "*") {
            for (const char* systems : {"-cE", "-cC", "-cJ", "-cI", "-cS"})
                parts.push_back({systems, rule.gr});
        } else {
            if (e.empty())
                never.push_back("-cE");
            else
                parts.push_back({"-cE", e});
            for (const Pair& pair : Pairs) {
                const std::string needs = e.empty() ? "" : PairPart(e, pair);
                if (needs.empty())
                    never.push_back(pair.systems);
                else
                    parts.push_back({pair.systems, needs});
            }
        }
        for (const std::string& systems : never) {
            SCOPED_TRACE(std::string(rule.code) + " " + systems);
            EXPECT_EQ(AvailableWith(rule.code, systems, {}, "none"), '-'); // every type, never
        }
        for (const auto& [systems, needs] : parts) {
            SCOPED_TRACE(std::string(rule.code) + " " + systems);
            const std::vector<std::string> types = Words(needs);
            EXPECT_EQ(AvailableWith(rule.code, systems, types), '+');
            for (const std::string& t : types)
                EXPECT_EQ(AvailableWith(rule.code, systems, {}, t), '-') << "without " << t;
        }
    }
}

TEST(GetFiles, UnreadableOptionalFilesAreSwitchedOff)
{
    Session r;
    testing::internal::CaptureStderr();
    r.GetFiles({"-o" + Minimal, "-cG", "-m1" + Data + "/cli_missing.mp1", "-m2" + Minimal,
                "-gf" + Data + "/cli_missing.gfc"});
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(r.settings.mp1File);
    EXPECT_TRUE(r.settings.mp2File);
    EXPECT_FALSE(r.plan.channels.Any());
}

TEST(GetFiles, ResultFileIsTheRinexNameWithoutItsLastExtension)
{
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(Data);
    EXPECT_EQ(Session().ResultFileLine({"-v", "-ocli_minimal.10o", "-cG"}),
              OutputLine("cli_minimal.gof"));
    EXPECT_EQ(Session().ResultFileLine({"-v", "-ocli_nodot", "-cG"}), OutputLine("cli_nodot.gof"));
    // the last "." may be one of a directory
    EXPECT_EQ(Session().ResultFileLine({"-v", "-o./cli_nodot", "-cG"}), OutputLine(".gof"));
    EXPECT_EQ(Session().ResultFileLine({"-v", "-ocli_nodot", "-cG", "-rout.txt"}),
              OutputLine("out.txt"));
    std::filesystem::current_path(here);
}

// A compressed file is named after the RINEX file inside it: its compression extension goes
// before the last extension is cut. Other extensions stay.
TEST(GetFiles, ADefaultResultNameDropsTheCompressionExtensionFirst)
{
    const std::filesystem::path dir = TestFolder();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    for (const auto& [rinex, result] :
         std::vector<std::pair<std::string, std::string>>{{"york0440.15d.Z", "york0440.gof"},
                                                          {"york0440.15o.gz", "york0440.gof"},
                                                          {"site.15o.z", "site.gof"},
                                                          {"site.15o.bz2", "site.gof"},
                                                          {"site.15o.xz", "site.gof"},
                                                          {"site.15o.zip", "site.gof"},
                                                          {"site.gz", "site.gof"},
                                                          {"site.15o.tar", "site.15o.gof"},
                                                          {"site.15o.GZ", "site.15o.gof"}}) {
        std::ofstream(rinex) << "";
        EXPECT_EQ(Session().ResultFileLine({"-v", "-o" + rinex, "-cG"}), OutputLine(result))
            << rinex;
    }
    std::filesystem::current_path(here);
}

TEST(GetFiles, ADerivedResultFileNameThatDoesNotFitIsRefused)
{
    if (Data.find('.') != std::string::npos) GTEST_SKIP() << "test-data path holds a '.'";
    // Repeated slashes name the same file; they lengthen the name to the limit.
    auto padded = [](std::size_t length) {
        return Data + std::string(length - Data.size() - 10, '/') + "/cli_nodot";
    };
    std::string fits = padded(251);
    EXPECT_EQ(Session().ResultFileLine({"-v", "-o" + fits, "-cG"}), OutputLine(fits + ".gof"));
    EXPECT_EXIT(Session().GetFiles({"-o" + padded(252), "-cG"}), ExitedWithCode(1),
                Eq(ErrorFrame("RESULT FILE NAME MADE FROM THE RINEX FILE NAME LONGER THAN 255 "
                              "CHARACTERS (SET IT WITH -r)!")));
}

TEST(GetFiles, ValuesLongerThanTheirFieldAreRefusedNamingTheOption)
{
    struct Field {
        std::string option;
        std::size_t longest;
    };
    for (const Field& f :
         {Field{"-o", 255}, Field{"-r", 255}, Field{"-m1", 255}, Field{"-m2", 255},
          Field{"-gf", 255}, Field{"-p", 299}, Field{"-x", 299}, Field{"-l", 255}}) {
        SCOPED_TRACE(f.option);
        EXPECT_EXIT(Session().GetFiles({f.option + std::string(f.longest + 1, 'A')}),
                    ExitedWithCode(1),
                    Eq(ErrorFrame("VALUE OF OPTION " + f.option + " LONGER THAN " +
                                  std::to_string(f.longest) + " CHARACTERS!")));
    }
}

TEST(GetFiles, ValuesThatJustFitAreKept)
{
    Session r;
    std::string list;
    for (int i = 0; i < 85; i++) list += "L1:"; // 255 characters
    std::string sats;
    for (int i = 0; i < 99; i++) sats += "G01";
    testing::internal::CaptureStderr(); // the two characters left over draw a warning
    r.GetFiles({"-o" + Minimal, "-cG", "-l" + list, "-p" + sats + "G0"});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.settings.codes->size(), 85u);
    EXPECT_EXIT(Session().GetFiles({"-o" + std::string(255, 'A')}), ExitedWithCode(1),
                Eq("\n#### Kestrova: Warning -> CAN NOT OPEN \"" + std::string(255, 'A') +
                   "\": No such file or directory! ####\n     Continuing Kestrova ... \n\n" +
                   ErrorFrame("RINEX FILE CAN NOT BE OPENED!")));
}

// Without -l the list is made of the header types. The band-3 types have no column of their own:
// L3 must not become the ionosphere-free combination that shares its two letters.
TEST(ReadFile, WithoutAListBandThreeTypesGetNoColumn)
{
    const std::string hdr =
        "     2.11           OBSERVATION DATA    G (GPS)             RINEX VERSION / TYPE\n"
        "     7    C1    L1    L3    C3    S3    D3    L2            # / TYPES OF OBSERV\n"
        "                                                            END OF HEADER\n";
    std::string data;
    for (const char* t :
         {" 15  2 13  0  0  0.0000000  0  1G01\n", " 15  2 13  0  0 30.0000000  0  1G01\n"})
        data += std::string(t) +
                "  23000000.000   120000000.000   120000001.000    23000002.000         40.000\n" +
                "     -1200.000   93000000.000\n"; // D3, L2
    const std::string file = WriteText(TestFolder() / "band3.15o", hdr + data);
    Session r;
    r.GetFiles({"-o" + file, "-cG"});
    r.ReadFile();
    EXPECT_EQ(r.List(), Words("C1 L1 L2"));
    EXPECT_EQ(r.Available(), "+++");
}

// A GLONASS satellite of -p or -x must be one of the 32 slots of the channel table, its number
// two digits; other systems keep their lists as typed.
TEST(GetFiles, GlonassSatellitesOutsideTheSlotsAreRefused)
{
    auto refused = [](const std::string& typed, const std::string& option) {
        return ErrorFrame("GLONASS SATELLITE \"" + typed + "\" OF OPTION " + option +
                          " IS NOT A SLOT FROM 1 TO 32!");
    };
    struct Word {
        std::string word, typed, option;
    };
    for (const Word& w :
         {Word{"-pR33", "R33", "-p"}, Word{"-pG01R00", "R00", "-p"}, Word{"-xR40", "R40", "-x"},
          Word{"-PR99", "R99", "-p"}, Word{"-pr 0", "r 0", "-p"}}) {
        SCOPED_TRACE(w.word);
        EXPECT_EXIT(Session().GetFiles({"-o" + Minimal, "-cR", w.word}), ExitedWithCode(1),
                    Eq(refused(w.typed, w.option)));
    }
    testing::internal::CaptureStdout();
    Session().GetFiles(
        {"-v", "-o" + Minimal, "-cGR", "-gf" + Minimal, "-pR01R32G40r03", "-xR17E99"});
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("satellites PRN's: R01R32G40r03 ->  R01 R32 G40 r03!\n"), std::string::npos);
    EXPECT_NE(out.find("excluded satellites PRN's: R17E99 ->  R17 E99!\n"), std::string::npos);
}

// C switches on BeiDou in any -c text, and G, R and E as always; J, I and S only in a text of
// system letters alone, so that the words of earlier runs select what they always did.
TEST(GetFiles, SystemTextsSelectTheirSystems)
{
    const std::pair<const char*, const char*> texts[] = {
        {"-cGRE", " GPS GLONASS GALILEO"},
        {"-cC", " BDS"},
        {"-cJ", " QZSS"},
        {"-cGRECJIS", " GPS GLONASS GALILEO BDS QZSS NAVIC SBAS"},
        {"-cgrecjis", " GPS GLONASS GALILEO BDS QZSS NAVIC SBAS"},
        {"-cSI", " NAVIC SBAS"},
        {"-cGPS", " GPS"},
        {"-cGLONASS", " GPS"},
        {"-cGalileo", " GPS GALILEO"},
        {"-cGPS+J", " GPS"},
        {"-cC,J", " BDS"}};
    for (const auto& [word, names] : texts) {
        testing::internal::CaptureStdout();
        Session().GetFiles({"-v", "-o" + Minimal, "-gf" + Minimal, word});
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(std::string("Satellite constellation to use:") + names + "\n"),
                  std::string::npos)
            << word << "\n"
            << out;
    }
    EXPECT_EXIT(Session().GetFiles({"-o" + Minimal, "-cBDS"}), ExitedWithCode(1),
                Eq(ErrorFrame("NO GNSS SATELLITE SYSTEM SET [-c[G|R|E|C|J|I|S]]!")));
}

// A -p or -x satellite of a system that -c leaves off is named, once for each option.
TEST(GetFiles, SatellitesOfSystemsSwitchedOffAreNamed)
{
    testing::internal::CaptureStderr();
    Session().GetFiles({"-o" + Minimal, "-pG05J03c10", "-cGE", "-xE11I02S20"});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\n#### Kestrova: Warning -> SATELLITES J03 C10 OF OPTION -p BELONG TO NO SYSTEM "
              "SWITCHED ON "
              "WITH -c! ####\n     Continuing Kestrova ... \n\n"
              "\n#### Kestrova: Warning -> SATELLITES I02 S20 OF OPTION -x BELONG TO NO SYSTEM "
              "SWITCHED ON "
              "WITH -c! ####\n     Continuing Kestrova ... \n\n");
}
