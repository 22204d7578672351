// SPDX-License-Identifier: BSD-2-Clause
#include "src/Kestrovac.h"

#include "tests/unit/Compact2Writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
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

// The objects of a run, and GetFiles on a command line.
struct Session {
    RINEXHeader rh;
    RINEXData rd{rh};
    RINEX rnx{rh, rd};
    CompactTEQC mp1;
    CompactTEQC mp2;
    GLNSat glnfc;
    Kestrovac app{rh, rd, rnx, mp1, mp2, glnfc};

    void GetFiles(std::initializer_list<std::string> words)
    {
        std::vector<std::string> all{"kestrova"};
        all.insert(all.end(), words);
        std::vector<const char*> argv;
        for (const std::string& w : all)
            argv.push_back(w.c_str());
        app.GetFiles(static_cast<int>(argv.size()), argv.data());
    }

    std::vector<unsigned short> List() const
    {
        const matrix<unsigned short>& l = app.GetObsList();
        std::vector<unsigned short> v;
        for (long i = 0; i < l.Length(); i++)
            v.push_back(l(i));
        return v;
    }

    // The availability of every entry, as '+' and '-'.
    std::string Available()
    {
        std::string s;
        for (long i = 0; i < app.GetObsList().Length(); i++) {
            app.CheckObsInRNX(static_cast<int>(i));
            s += app.GetIfExistObs()(i) == 1 ? '+' : '-';
        }
        return s;
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

} // namespace

TEST(ObsList, EveryAcceptedTextGivesItsNumberInListOrder)
{
    Session r;
    r.GetFiles({"-o" + Minimal, "-cG",
                "-lC1:P1:P2:L1:L2:C2:S1:S2:D1:D2:C5:L5:D5:S5:C6:L6:D6:S6:C7:L7:D7:S7:C8:L8:D8:S8:"
                "L4:Pp4:Pc4:P4:L3:P3:Pc3:Pp3:WL:WLL:WLP:WLC:MW:MWc:MWp:MP1:MC1:MP2:"
                "CL1:PL1:PL2:PC1:PC2:"});
    std::vector<unsigned short> expected = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                            13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
                                            26, 27, 28, 28, 29, 30, 30, 31, 32, 32, 33, 34, 35,
                                            35, 36, 37, 38, 39, 40, 41, 42, 43, 44};
    EXPECT_EQ(r.List(), expected);
    EXPECT_EQ(r.app.GetIfExistObs().Length(), 49);
}

TEST(ObsList, SplittingCountsColonsAndALaterListReplacesTheFirst)
{
    Session a;
    a.GetFiles({"-o" + Minimal, "-cG", "-lC1:L1:L2:P2:"});
    EXPECT_EQ(a.List(), (std::vector<unsigned short>{0, 3, 4, 2}));

    Session b; // text after the last ":" is no entry, even when it is no code
    b.GetFiles({"-o" + Minimal, "-cG", "-lC1:L1:L2:P2:", "-lMW:MWc:MWp:C9"});
    EXPECT_EQ(b.List(), (std::vector<unsigned short>{35, 35, 36}));
    EXPECT_EQ(b.app.GetIfExistObs().Length(), 3);
    EXPECT_EQ(b.app.GetIfExistObs()(2), 0);

    Session c;
    c.GetFiles({"-o" + Minimal, "-cG", "-lL4"});
    EXPECT_EQ(c.app.GetObsList().Length(), 0);
}

TEST(ObsList, UnknownEmptyAndOverlongTokensAreFatal)
{
    const std::string tail = " - OBSERVATION IN OBSERVATION LIST INCORRECT!";
    for (const std::string& token :
         std::vector<std::string>{"c1", "C9", "", "MWC", "ABCDEFGHIJ", std::string(40, 'L')}) {
        SCOPED_TRACE(token);
        EXPECT_EXIT(Session().GetFiles({"-lC1:" + token + ":L1:"}), ExitedWithCode(1),
                    Eq(ErrorFrame(token + tail)));
    }
    EXPECT_EXIT(Session().GetFiles({"-l:C1:"}), ExitedWithCode(1), Eq(ErrorFrame(tail)));
}

TEST(ObsList, ColumnNamesAndWidths)
{
    Session r;
    std::string names;
    std::string widths;
    for (int i = 0; i < 45; i++) {
        char name[8] = "";
        int width = 0;
        r.app.GetObs(i, name, width);
        names += std::string(" ") + name;
        widths += width == 10 ? 'S' : width == 14 ? 'W' : '?';
    }
    EXPECT_EQ(names,
              " C1 P1 P2 L1 L2 C2 S1 S2 D1 D2 C5 L5 D5 S5 C6 L6 D6 S6 C7 L7 D7 S7 C8 L8 D8 S8"
              " L4 P4[P] P4[C] L3 P3[C] P3[P] WL[L] WL[P] WL[C] MW[C] MW[P] MP1[P] MP1[C] MP2"
              " C1-L1 P1-L1 P2-L2 P1-C1 P2-C2");
    EXPECT_EQ(widths, "WWWWWWSSSSWWSSWWSSWWSSWWSS" + std::string(19, 'W'));

    for (int outside : {-1, 45}) {
        char name[8] = "keep";
        int width = 3;
        r.app.GetObs(outside, name, width);
        EXPECT_STREQ(name, "keep");
        EXPECT_EQ(width, 3);
    }
}

namespace {

// The combinations, then raw codes whose one flag decides. Expected availabilities below are
// in this order: L4 Pp4 Pc4 L3 P3 Pp3 WL WLP WLC MW MWp MP1 MC1 MP2 CL1 PL1 PL2 PC1 PC2 C1 P1 C7 S8.
const std::string Combinations =
    "-lL4:Pp4:Pc4:L3:P3:Pp3:WL:WLP:WLC:MW:MWp:MP1:MC1:MP2:CL1:PL1:PL2:PC1:PC2:"
    "C1:P1:C7:S8:";

} // namespace

TEST(Availability, GpsOrGlonassNeedTheFirstAndSecondFrequency)
{
    for (std::string systems : {"-cG", "-cR"}) {
        SCOPED_TRACE(systems);
        Session r;
        r.rh.iC1 = r.rh.iP2 = r.rh.iL1 = r.rh.iL2 = true; // no P1
        r.GetFiles({"-o" + Minimal, systems, "-gf" + Minimal, Combinations});
        EXPECT_EQ(r.Available(), "+-+++-+-++--+++-+--+---");
    }
}

TEST(Availability, GlonassSwitchedOffForWantOfAChannelFileFormsNoCombination)
{
    Session r;
    r.rh.iC1 = r.rh.iP1 = r.rh.iP2 = r.rh.iL1 = r.rh.iL2 = r.rh.iC2 = true;
    testing::internal::CaptureStderr();
    r.GetFiles({"-o" + Minimal, "-cR", Combinations});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.Available(), "--------------++-+-++--");
}

TEST(Availability, GalileoUsesTheSeventhFrequencyAndNeverFormsP2MinusC2)
{
    Session r;
    r.rh.iC1 = r.rh.iL1 = r.rh.iC7 = r.rh.iL7 = true;
    r.rh.iP2 = r.rh.iC2 = true; // GPS-only types do not help Galileo
    r.GetFiles({"-o" + Minimal, "-cE", Combinations});
    EXPECT_EQ(r.Available(), "+-+++-+-++--+++-+--+-+-");
}

TEST(Availability, BeidouAloneFormsOnlyTheSystemFreeDifferences)
{
    Session r;
    for (unsigned short k = 0; k < NObsTypes; k++)
        r.rh.Flag(k) = true;
    r.GetFiles({"-o" + Minimal, "-cC", Combinations});
    EXPECT_EQ(r.Available(), "--------------++-+-++++");
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
};
// clang-format on

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The availability of the one entry code with the header types present that set holds
// (flagged by name), or every type but those of absent.
char AvailableWith(const std::string& code, const std::string& systems,
                   const std::vector<std::string>& present, const std::string& absent = "")
{
    Session r;
    for (unsigned short k = 0; k < NObsTypes; k++) {
        const std::string name = ObsTypeName[k];
        const bool listed = std::find(present.begin(), present.end(), name) != present.end();
        r.rh.Flag(k) = absent.empty() ? listed : name != absent;
    }
    r.GetFiles({"-o" + Minimal, systems, "-gf" + Minimal, "-l" + code + ":"});
    return r.Available()[0];
}

} // namespace

// For every code and every system part of the rule: the types it names are enough, and taking
// away any one of them, with every other type of the header present, makes the entry unavailable.
TEST(Availability, EveryNeededTypeIsNeededByEveryPartOfTheRule)
{
    ASSERT_EQ(std::size(Rules), 45u);
    for (const Rule& rule : Rules) {
        const std::string e = rule.e;
        std::vector<std::pair<std::string, std::string>> parts = {{"-cG", rule.gr}, {"-cR", rule.gr}};
        if (e == "*") {
            parts.insert(parts.end(), {{"-cE", rule.gr}, {"-cC", rule.gr}});
        } else if (!e.empty()) {
            parts.push_back({"-cE", e});
        } else {
            SCOPED_TRACE(rule.code);
            EXPECT_EQ(AvailableWith(rule.code, "-cE", {}, "none"), '-'); // every type, never
        }
        for (const auto& [systems, needs] : parts) {
            SCOPED_TRACE(std::string(rule.code) + " " + systems);
            const std::vector<std::string> types = Words(needs);
            EXPECT_EQ(AvailableWith(rule.code, systems, types), '+');
            for (const std::string& t : types) EXPECT_EQ(AvailableWith(rule.code, systems, {}, t), '-') << "without " << t;
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
    EXPECT_FALSE(r.app.GetIsMP1());
    EXPECT_TRUE(r.app.GetIsMP2());
    EXPECT_FALSE(r.app.GetIsGLNFreqChan());
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
    for (const auto& [rinex, result] : std::vector<std::pair<std::string, std::string>>{
             {"york0440.15d.Z", "york0440.gof"}, {"york0440.15o.gz", "york0440.gof"},
             {"site.15o.z", "site.gof"},         {"site.15o.bz2", "site.gof"},
             {"site.15o.xz", "site.gof"},        {"site.15o.zip", "site.gof"},
             {"site.gz", "site.gof"},            {"site.15o.tar", "site.15o.gof"},
             {"site.15o.GZ", "site.15o.gof"}}) {
        std::ofstream(rinex) << "";
        EXPECT_EQ(Session().ResultFileLine({"-v", "-o" + rinex, "-cG"}), OutputLine(result)) << rinex;
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
    for (int i = 0; i < 85; i++)
        list += "L1:"; // 255 characters
    std::string sats;
    for (int i = 0; i < 99; i++)
        sats += "G01";
    testing::internal::CaptureStderr(); // the two characters left over draw a warning
    r.GetFiles({"-o" + Minimal, "-cG", "-l" + list, "-p" + sats + "G0"});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.app.GetObsList().Length(), 85);
    EXPECT_EXIT(Session().GetFiles({"-o" + std::string(255, 'A')}), ExitedWithCode(1),
                Eq("\n#### Kestrova: Warning -> CAN NOT OPEN \"" + std::string(255, 'A') + "\": No such file or directory! ####\n     Continuing Kestrova ... \n\n" + ErrorFrame("RINEX FILE CAN NOT BE OPENED!")));
}

// Without -l the list is made of the header types. The band-3 types have no column of their own:
// L3 must not become the ionosphere-free combination that shares its two letters.
TEST(ReadFile, WithoutAListBandThreeTypesGetNoColumn)
{
    const std::string hdr = "     2.11           OBSERVATION DATA    G (GPS)             RINEX VERSION / TYPE\n"
                            "     7    C1    L1    L3    C3    S3    D3    L2            # / TYPES OF OBSERV\n"
                            "                                                            END OF HEADER\n";
    std::string data;
    for (const char* t : {" 15  2 13  0  0  0.0000000  0  1G01\n", " 15  2 13  0  0 30.0000000  0  1G01\n"})
        data += std::string(t) + "  23000000.000   120000000.000   120000001.000    23000002.000         40.000\n" +
                "     -1200.000   93000000.000\n"; // D3, L2
    const std::string file = WriteText(TestFolder() / "band3.15o", hdr + data);
    Session r;
    r.GetFiles({"-o" + file, "-cG"});
    r.app.SetFile();
    r.app.ReadFile();
    EXPECT_EQ(r.List(), (std::vector<unsigned short>{0, 3, 4})); // C1 L1 L2
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
    for (const Word& w : {Word{"-pR33", "R33", "-p"}, Word{"-pG01R00", "R00", "-p"},
                          Word{"-xR40", "R40", "-x"}, Word{"-PR99", "R99", "-p"},
                          Word{"-pR4x", "R4x", "-p"}, Word{"-pR 5", "R 5", "-p"},
                          Word{"-XE11R-1", "R-1", "-x"}}) {
        SCOPED_TRACE(w.word);
        EXPECT_EXIT(Session().GetFiles({"-o" + Minimal, "-cR", w.word}), ExitedWithCode(1),
                    Eq(refused(w.typed, w.option)));
    }
    testing::internal::CaptureStdout();
    Session().GetFiles({"-v", "-o" + Minimal, "-cG", "-pR01R32G40r33", "-xR17E99"});
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("satellites PRN's: R01R32G40r33 ->  R01 R32 G40 r33!\n"), std::string::npos);
    EXPECT_NE(out.find("excluded satellites PRN's: R17E99 ->  R17 E99!\n"), std::string::npos);
}
