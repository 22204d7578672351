// Complete runs of the built tool on the real receiver files: what the result file holds, and
// that every file either lists or stops with a framed message.
#include "tests/unit/Compact2Writer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Shared = KESTROVA_SHARED_DATA;
const std::string Channels = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

// One run of the tool in dir with the given words; its exit status, console and result file.
struct ToolRun {
    int status = -1;
    std::string out, err, gof;

    // feed, when given, is a shell command whose output the tool reads on its standard input.
    ToolRun(const fs::path& dir, const std::string& name, const std::string& words,
            const std::string& feed = "")
    {
        const fs::path res = dir / (name + ".gof"), o = dir / (name + ".out"), e = dir / (name + ".err");
        const std::string cmd = (feed.empty() ? "" : feed + " | ") + std::string(KESTROVA_BIN) + " " + words + " -r" + res.string() + " >" +
                                o.string() + " 2>" + e.string();
        const int rc = std::system(cmd.c_str());
        status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
        out = ReadAll(o);
        err = ReadAll(e);
        gof = ReadAll(res);
    }
};

// The row of satellite sat at the epoch whose calendar and MJD forms begin the row.
std::string Row(const std::string& gof, const std::string& epoch, const std::string& sat)
{
    for (const std::string& l : Lines(gof))
        if (l.rfind(epoch + "  " + sat, 0) == 0) return l;
    return "(no row)";
}

#define SKIP_WITHOUT_SHARED_DATA()                                                                 \
    if (!fs::is_directory(Shared)) GTEST_SKIP() << Shared << " is absent"

} // namespace

// Without -l every header type is listed in header order, and the values are the file's own.
TEST(CompleteRun, DailyGpsFileListsEveryTypeWithTheFilesOwnValues)
{
    SKIP_WITHOUT_SHARED_DATA();
    ToolRun r(TestFolder(), "york", "-o" + Shared + "/york0440.15o -cG");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = Lines(r.gof);
    ASSERT_GE(lines.size(), 18u);
    EXPECT_EQ(lines[6], "#Observations:       L1[+] L2[+] L5[+] C1[+] P1[+] C2[+] P2[+] C5[+] S1[+] "
                        "S2[+] S5[+]");
    EXPECT_EQ(lines[17], "#          Time(datum)       Time(MJD)  SAT            L1                L2"
                         "                L5                C1                P1                C2"
                         "                P2                C5            S1            S2"
                         "            S5    ");
    // First record of the file: L1 -5936986.221 (flags 4 7), L2 -4618665.923 (4 4), C1
    // 24482102.132 (4), P2 24482104.087 (4), S1 42.000, S2 28.000; L5, P1, C2, C5, S5 blank.
    const std::string missing = "         *.*** * *";
    EXPECT_EQ(Row(r.gof, " 2015-02-13 00:00:00.0   57066     0.0", "G07"),
              " 2015-02-13 00:00:00.0   57066     0.0  G07  -5936986.221 4 7  -4618665.923 4 4" +
                  missing + "  24482102.132 4 0" + missing + missing + "  24482104.087 4 0" +
                  missing + "    42.000 0 0    28.000 0 0     *.*** * *");
    // G01 at 02:18:00 has L1 9419489.644 (4 5), C1 25014723.160 (4) and S1 32.000 only.
    EXPECT_EQ(Row(r.gof, " 2015-02-13 02:18:00.0   57066  8280.0", "G01"),
              " 2015-02-13 02:18:00.0   57066  8280.0  G01   9419489.644 4 5" + missing + missing +
                  "  25014723.160 4 0" + missing + missing + missing + missing +
                  "    32.000 0 0     *.*** * *     *.*** * *");
}

// The file's receiver keeps its clock without millisecond jumps: -ms finds none and changes
// nothing but its own header line.
TEST(CompleteRun, MillisecondJumpRemovalOnAFileWithoutJumpsChangesNoRow)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string file = "-o" + Shared + "/york0440.15o -cG";
    ToolRun plain(dir, "plain", file);
    ToolRun ms(dir, "ms", file + " -ms -v");
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(ms.status, 0);
    EXPECT_NE(ms.out.find("\nKestrova::PrintObs(): Eliminating ms jumps: 0 jumps\n"), std::string::npos);
    std::vector<std::string> a = Lines(plain.gof), b = Lines(ms.gof);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 27000u);
    for (std::size_t i = 0; i < a.size(); i++) {
        if (a[i].rfind("#MS jumps elim.", 0) == 0) {
            EXPECT_EQ(a[i], "#MS jumps elim.      NO");
            EXPECT_EQ(b[i], "#MS jumps elim.      YES");
        } else if (a[i].rfind("#Result file:", 0) == 0 || a[i].rfind("#Verbose mode:", 0) == 0) {
            continue; // the two runs write different files, one of them verbose
        } else {
            ASSERT_EQ(a[i], b[i]) << "line " << i + 1;
        }
    }
}

// Every real file with all three systems and a channel file: a listing, or, for the files that
// are truly broken, the reader's framed error. Never a crash.
TEST(CompleteRun, EveryRealFileListsOrStopsWithAFrame)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    // an epoch at second 60, and files without a single epoch record
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"badtime.10o", "**** ymdhms: Error -> SECOND not valid ****"},
        {"blank.10o", "#### RINEXData: Error -> NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED! ####"},
        {"blank1st.10o", "#### RINEXData: Error -> NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED! ####"},
        {"blank3.10o", "#### RINEX: Error -> ONLY UNCOMPRESSED RINEX 2 OBSERVATION FILES ARE READ! ####"},
        {"blank3_1st.10o", "#### RINEX: Error -> ONLY UNCOMPRESSED RINEX 2 OBSERVATION FILES ARE READ! ####"}};
    int listed = 0;
    for (const fs::directory_entry& f : fs::directory_iterator(Shared)) {
        const std::string name = f.path().filename().string();
        if (name == "README.md") continue;
        ToolRun r(dir, name, "-o" + f.path().string() + " -cGRE -gf" + Channels);
        std::string frame;
        for (const auto& [file, text] : broken)
            if (file == name) frame = text;
        if (frame.empty()) {
            EXPECT_EQ(r.status, 0) << name << "\n" << r.out << r.err;
            EXPECT_NE(r.gof.find("\n#          Time(datum)"), std::string::npos) << name;
            listed++;
        } else {
            EXPECT_EQ(r.status, 1) << name;
            EXPECT_NE(r.out.find(frame), std::string::npos) << name << "\n" << r.out;
            EXPECT_EQ(r.gof, "") << name; // stopped while reading, before the result file
        }
    }
    EXPECT_GE(listed, 7);
}

// A compressed file unpacked through a pipe is read once and gives the listing of the file
// itself; only the header lines naming the input and the result file differ.
TEST(CompleteRun, FileReadThroughAPipeListsAsTheFileItself)
{
    const fs::path dir = TestFolder();
    const std::string sample = std::string(KESTROVA_TEST_DATA) + "/../../data/kest0440.15o";
    ASSERT_EQ(std::system(("gzip -c " + sample + " >" + (dir / "s.gz").string()).c_str()), 0);
    ToolRun direct(dir, "direct", "-o" + sample + " -cGE");
    ToolRun piped(dir, "piped", "-o/dev/stdin -cGE", "gunzip -c " + (dir / "s.gz").string());
    ASSERT_EQ(direct.status, 0) << direct.err;
    ASSERT_EQ(piped.status, 0) << piped.err;
    std::vector<std::string> a = Lines(direct.gof), b = Lines(piped.gof);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 100u);
    for (std::size_t i = 0; i < a.size(); i++) {
        if (a[i].rfind("#RINEX file:", 0) == 0 || a[i].rfind("#Result file:", 0) == 0) continue;
        EXPECT_EQ(a[i], b[i]) << "line " << i + 1;
    }
}

// A run that writes no row of observations says so on standard error and still ends with status
// 0 and its result file: only "***" rows of -a, or rows without a single value column, hold no
// observation either.
TEST(CompleteRun, ARunWithoutObservationRowsSaysSo)
{
    const fs::path dir = TestFolder();
    const std::string file = "-o" + std::string(KESTROVA_TEST_DATA) + "/cli_minimal.10o";
    const std::string none = "\n#### Kestrova: Warning -> NO OBSERVATION ROWS WERE WRITTEN TO THE RESULT FILE! ####\n"
                             "     Continuing Kestrova ... \n\n";
    const std::string noGlonass = "\n#### Kestrova: Warning -> GLONASS SATELITE SYSTEM SET BUT WITHOUT FREQUENCY "
                                  "CHANNEL FILE (NOT USING GLONASS)! ####\n     Continuing Kestrova ... \n\n";
    const std::vector<std::pair<std::string, std::string>> runs = {
        {file + " -cR", noGlonass + none},                 // GLONASS only, without a channel file
        {file + " -cG -s2010-03-06", none},                // a window after the file
        {file + " -cG -lP1:S1:", none},                    // every entry [-]
        {file + " -cG -a -pG01", none},                    // -a rows of a satellite never met
        {file + " -cG -lP1:C1:", ""},                      // one entry is enough
        {file + " -cG -a -pG01G13 -lL1:", ""}};
    int n = 0;
    for (const auto& [words, err] : runs) {
        SCOPED_TRACE(words);
        ToolRun r(dir, "run" + std::to_string(n++), words);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, err);
        EXPECT_NE(r.gof.find("\n#          Time(datum)"), std::string::npos);
    }
}
