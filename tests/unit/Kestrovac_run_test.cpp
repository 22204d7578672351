// SPDX-License-Identifier: BSD-2-Clause
// Complete runs of the built tool on the real receiver files: what the result file holds, and
// that every file either lists or stops with a framed message.
#include "GNSS/CompactRINEX.h"
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/RealFiles.h"
#include "tests/unit/ToolRun.h"
#include "tools/gen/RinexGen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Shared = KESTROVA_SHARED_DATA;
const std::string Channels = std::string(KESTROVA_TEST_DATA) + "/glonass_channels.glo";

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
    EXPECT_EQ(lines[6],
              "#Observations:       L1[+] L2[+] L5[+] C1[+] P1[+] C2[+] P2[+] C5[+] S1[+] "
              "S2[+] S5[+]");
    EXPECT_EQ(lines[17],
              "#          Time(datum)       Time(MJD)  SAT            L1                L2"
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
    EXPECT_NE(ms.out.find("\nKestrova::PrintObs(): Eliminating ms jumps: 0 jumps\n"),
              std::string::npos);
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

// Both files hold epochs a few milliseconds off the 30 s grid, the second one before it: within
// the clock tolerance every record is listed. The counts are the satellites of the epoch lines,
//   tr -d '\r' <FILE | awk 'f && substr($0,19,1) == "." {s += substr($0,30,3)} /END OF HEADER/
//   {f=1}
//                          END {print s}'
// and no epoch of either file lies more than 5 ms off the grid.
TEST(CompleteRun, EpochsJustOffTheGridAreAllListed)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    for (const auto& [name, records] :
         {std::pair<std::string, int>{"30400920.05o", 1039}, {"07590920.05o", 948}}) {
        ToolRun r(dir, name, "-o" + Shared + "/" + name + " -cG");
        ASSERT_EQ(r.status, 0) << name << r.out << r.err;
        int rows = 0;
        for (const std::string& l : Lines(r.gof))
            if (l.rfind(" 2005-", 0) == 0) rows++;
        EXPECT_EQ(rows, records) << name;
    }
}

// A file with C2 and no P2 lists its C2 values as P2, and what needs P2 is formed from them:
// MP2 = P2 - 2a/(a-1) lamb1 L1 + (2a/(a-1) - 1) lamb2 L2 with the record's own values
// (P2 21234571.870, L1 111589385.929, L2 86952680.558) is -269.850 m. A file with both codes
// keeps its own P2.
TEST(CompleteRun, C2StandsInForAMissingP2Only)
{
    const fs::path dir = TestFolder();
    const std::string data = KESTROVA_TEST_DATA;
    ToolRun c2(dir, "c2", "-o" + data + "/c2_without_p2.10o -cG -lP2:C2:MP2:");
    ASSERT_EQ(c2.status, 0) << c2.err;
    EXPECT_EQ(c2.out,
              "\n#### Kestrova: Warning -> RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - "
              "COPYING VALUES TO P2! ####\n     Continuing Kestrova ... \n\n");
    const std::vector<std::string> lines = Lines(c2.gof);
    ASSERT_GE(lines.size(), 19u);
    EXPECT_EQ(lines[6], "#Observations:       P2[+] C2[+] MP2[+]");
    EXPECT_EQ(Row(c2.gof, " 2010-03-05 00:00:00.0   55260     0.0", "G05"),
              " 2010-03-05 00:00:00.0   55260     0.0  G05  21234571.870 0 0  21234571.870 0 0"
              "      -269.850 0 0");

    ToolRun both(dir, "both", "-o" + data + "/gps_dual_offgrid.10o -cG -lP2:C2: -pG05");
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_EQ(both.out, "");
    EXPECT_EQ(Row(both.gof, " 2010-03-05 00:00:00.0   55260     0.0", "G05"),
              " 2010-03-05 00:00:00.0   55260     0.0  G05  21234572.544 0 0  21234572.144 0 0");
}

// Every real file with all three systems and a channel file: the listing or the refusal its
// line of the table expects. A file the table does not know is named and must still list or stop
// with a frame, never crash; no file hides the ones after it.
TEST(CompleteRun, EveryRealFileListsOrStopsWithAFrame)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    std::size_t known = 0;
    for (const fs::path& path : realfiles::Folder(Shared)) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        ToolRun r(dir, name, "-o" + path.string() + " -cGRE -gf" + Channels);
        const realfiles::RealFile* expected = realfiles::Find(name);
        if (expected == nullptr) {
            std::cout << "[ DECIDE   ] " << name << " is not in tests/unit/RealFiles.h: status "
                      << r.status << "\n"
                      << r.out << r.err;
            EXPECT_TRUE(r.status == 0 ||
                        (r.status == 1 && (r.out + r.err).find("Error -> ") != std::string::npos))
                << r.out << r.err;
            continue;
        }
        known++;
        if (expected->refusal.empty()) {
            EXPECT_EQ(r.status, 0) << r.out << r.err;
            EXPECT_NE(r.gof.find("\n#          Time(datum)"), std::string::npos);
        } else {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, expected->RefusalFor(path.string()));
            EXPECT_EQ(r.gof, ""); // stopped while reading, before the result file
        }
    }
    EXPECT_EQ(known, realfiles::Expected().size())
        << "a file of the table is missing from " << Shared;
}

// The names in dir that are not a result file or a console of the runs: left-over temporary
// files of the result.
std::vector<std::string> LeftOvers(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& f : fs::directory_iterator(dir)) {
        const std::string ext = f.path().extension().string();
        if (ext != ".gof" && ext != ".out" && ext != ".err")
            names.push_back(f.path().filename().string());
    }
    return names;
}

// A run that stops while listing, on a write error or killed by a signal, leaves the older
// result file of the same name as it was and nothing else; a complete run replaces it.
TEST(CompleteRun, AResultFileIsReplacedOnlyByAWholeListing)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string words = "-o" + Shared + "/york0440.15o -cG";
    const std::string older = "an older result\n";
    // a limit of 8 KB on every file written: the 6 MB listing cannot be written
    for (const char* signal : {"trap '' XFSZ; ", ""}) {
        SCOPED_TRACE(signal);
        std::ofstream(dir / "york.gof") << older;
        ToolRun r(dir, "york", words, "", std::string(signal) + "ulimit -f 8; ");
        if (*signal != '\0') {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err, "\n**** Kestrova: Error -> RESULT FILE CAN NOT BE WRITTEN! ****\n"
                             "     Exiting Kestrova ... \n\n");
        } else {
            EXPECT_EQ(r.status, 128 + SIGXFSZ); // the shell's status of a child a signal ended
        }
        EXPECT_EQ(r.gof, older);
        EXPECT_EQ(LeftOvers(dir), std::vector<std::string>{});
    }
    ToolRun whole(dir, "york", words);
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(whole.gof.rfind("#PROGRAM: Kestrova\n", 0), 0u);
    EXPECT_GT(whole.gof.size(), 6000000u);
    EXPECT_EQ(LeftOvers(dir), std::vector<std::string>{});
}

// A result name that is no regular file is written as it is: a named pipe, directly and through
// a link, both inside the test's own folder (a test that named the machine's /dev/stdout could
// replace it with a regular file if the link handling went wrong). Both stay what they were.
TEST(CompleteRun, AResultIntoAPipeIsWrittenDirectly)
{
    const fs::path dir = TestFolder();
    const std::string data = KESTROVA_TEST_DATA, d = dir.string();
    const std::string run = std::string(KESTROVA_BIN) + " -o" + data + "/cli_minimal.10o -cG -r";
    const std::string cmd = "cd " + d +
                            " && mkfifo pipe && ln -s pipe link && "
                            "{ cat pipe >direct.txt & } && " +
                            run + d +
                            "/pipe >/dev/null && wait $! && "
                            "{ cat pipe >linked.txt & } && " +
                            run + d + "/link >/dev/null && wait $!";
    ASSERT_EQ(std::system(("bash -c '" + cmd + "'").c_str()), 0);
    for (const char* name : {"direct.txt", "linked.txt"}) {
        const std::string out = ReadAll(dir / name);
        EXPECT_EQ(out.rfind("#PROGRAM: Kestrova\n", 0), 0u) << name;
        EXPECT_NE(out.find("\n 2010-03-05 00:00:30.0   55260    30.0  G32"), std::string::npos)
            << name;
    }
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(LeftOvers(dir).size(), 4u); // pipe, link and the two copies: no temporary file
}

// Two result files of one listing: only the header lines naming the inputs and the result file
// may differ.
void ExpectSameListing(const std::string& expected, const std::string& actual)
{
    std::vector<std::string> a = Lines(expected), b = Lines(actual);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 100u);
    for (std::size_t i = 0; i < a.size(); i++) {
        bool names = false;
        for (const char* label : {"#RINEX file:", "#Result file:", "#MULTIPATH P1 file:",
                                  "#MULTIPATH P2 file:", "#GLN FREQ CHN file:"})
            names = names || (a[i].rfind(label, 0) == 0 && b[i].rfind(label, 0) == 0);
        if (!names) {
            ASSERT_EQ(a[i], b[i]) << "line " << i + 1;
        }
    }
}

const std::string SampleData = std::string(KESTROVA_TEST_DATA) + "/../../data/";

// A compressed file unpacked through a pipe is read once and gives the listing of the file
// itself.
TEST(CompleteRun, FileReadThroughAPipeListsAsTheFileItself)
{
    const fs::path dir = TestFolder();
    const std::string sample = SampleData + "kest0440.15o";
    ASSERT_EQ(std::system(("gzip -c " + sample + " >" + (dir / "s.gz").string()).c_str()), 0);
    ToolRun direct(dir, "direct", "-o" + sample + " -cGE");
    ToolRun piped(dir, "piped", "-o/dev/stdin -cGE", "gunzip -c " + (dir / "s.gz").string());
    ASSERT_EQ(direct.status, 0) << direct.err;
    ASSERT_EQ(piped.status, 0) << piped.err;
    ExpectSameListing(direct.gof, piped.gof);
}

// -o- reads the RINEX file from standard input, as any pipe.
TEST(CompleteRun, DashReadsStandardInput)
{
    const fs::path dir = TestFolder();
    const std::string sample = SampleData + "kest0440.15o";
    ToolRun direct(dir, "direct", "-o" + sample + " -cGE");
    ToolRun dash(dir, "dash", "-o- -cGE", "cat " + sample);
    ASSERT_EQ(dash.status, 0) << dash.out << dash.err;
    ExpectSameListing(direct.gof, dash.gof);
}

// The daily file as archives serve it: Compact RINEX, compressed by each program the archives
// use, read directly and through a pipe, lists as the plain file; -v says what was undone.
TEST(CompleteRun, CompressedCompactRinexListsAsThePlainFile)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string york = Shared + "/york0440.15o", hatanaka = Shared + "/york0440.15d",
                      d = dir.string();
    ToolRun plain(dir, "plain", "-o" + york + " -cG -v");
    ASSERT_EQ(plain.status, 0) << plain.err;
    const std::string counts = " 2880 epochs, 27251 C1 observations, 11 obs types (";
    ASSERT_EQ(
        std::system(
            ("cd " + d + " && cp " + hatanaka + " . && zip -q york.zip york0440.15d").c_str()),
        0);
    for (const auto& [name, make, step] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"york0440.15d", "cat", ""},
             {"york0440.15d.gz", "gzip -c", "gzip, "},
             {"york0440.15d.Z", "compress -c", "compress, "},
             {"york0440.15d.bz2", "bzip2 -c", "bzip2, "},
             {"york0440.15d.xz", "xz -c", "xz, "},
             {"york.zip", "", "zip, "}}) {
        SCOPED_TRACE(name);
        if (!make.empty()) {
            ASSERT_EQ(std::system((make + " " + hatanaka + " >" + d + "/" + name).c_str()), 0);
        }
        ToolRun r(dir, name, "-o" + d + "/" + name + " -cG -v");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find(counts + step + "Compact RINEX 1.0)\n"), std::string::npos) << r.out;
        ExpectSameListing(plain.gof, r.gof);
        ToolRun piped(dir, name + ".piped", "-o/dev/stdin -cG -v", "cat " + d + "/" + name);
        ASSERT_EQ(piped.status, 0) << piped.err;
        ExpectSameListing(plain.gof, piped.gof);
    }
    ASSERT_EQ(std::system(("gzip -c " + york + " >" + d + "/york.gz").c_str()), 0);
    ToolRun gzipped(dir, "gzipped", "-o" + d + "/york.gz -cG -v");
    ASSERT_EQ(gzipped.status, 0) << gzipped.err;
    EXPECT_NE(gzipped.out.find(counts + "gzip)\n"), std::string::npos) << gzipped.out;
    ExpectSameListing(plain.gof, gzipped.gof);
}

// The Compact RINEX 3.0 file lists the values its arcs start with, each under the code the
// signals line names, with the GLONASS channels of its header. L4 = c/f1 L1 - c/f2 L2: G01
// (1575.42, 1227.60 MHz) -1.584 m, E02 on E1 and E5b (1575.42, 1207.14 MHz) 0.740 m, R01 of
// channel 1 (1602 + 0.5625, 1246 + 0.4375 MHz) -4.760 m, from the values of their rows.
TEST(CompleteRun, CompactRinex3ListsItsOwnValuesWithTheHeaderChannels)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    ToolRun r(dir, "p433",
              "-o" + Shared +
                  "/P43300USA_R_20190012056_17M_15S_MO.crx -cGRE -lC1:L1:P2:L2:C7:L7:L4:");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.gof)[5], "#GLN FREQ CHN file:  (RINEX header)");
    const std::string missing = "         *.*** * *";
    // the first epoch's G01 and E02 lines: "3&24689619566 3&129744826202 ..." and flags "606"
    EXPECT_EQ(Row(r.gof, " 2019-01-01 20:56:45.0   58484 75405.0", "G01"),
              " 2019-01-01 20:56:45.0   58484 75405.0  G01  24689619.566 0 6 129744826.202 0 6"
              "  24689621.833 0 3 101099871.059 0 3" +
                  missing + missing + "        -1.584 0 0");
    EXPECT_EQ(Row(r.gof, " 2019-01-01 20:56:45.0   58484 75405.0", "E02"),
              " 2019-01-01 20:56:45.0   58484 75405.0  E02  25430688.219 0 7 133639165.949 0 7" +
                  missing + missing + "  25430687.103 0 8 102398838.461 0 8         0.740 0 0");
    // R01 joins at the second epoch; GLONASS has no P code on its second band here
    EXPECT_EQ(Row(r.gof, " 2019-01-01 20:57:00.0   58484 75420.0", "R01"),
              " 2019-01-01 20:57:00.0   58484 75420.0  R01  19368311.977 0 8 103534728.208 1 8" +
                  missing + "  80527030.618 1 7" + missing + missing + "        -4.760 0 0");
}

// The multipath and channel files work through a pipe and a process substitution like files;
// two inputs cannot share standard input.
TEST(CompleteRun, EveryInputMayComeThroughAPipe)
{
    const fs::path dir = TestFolder();
    const std::string rinex = "-o" + SampleData + "kest0440.15o -cGRE -ms -lC1:P1:P2:MP1:MP2:L4:";
    const std::string mp1 = SampleData + "kest0440.mp1", mp2 = SampleData + "kest0440.mp2",
                      gf = SampleData + "glonass-channels.txt";
    ToolRun files(dir, "files", rinex + " -m1" + mp1 + " -m2" + mp2 + " -gf" + gf);
    ASSERT_EQ(files.status, 0) << files.err;
    ToolRun piped(dir, "piped", rinex + " -m1/dev/stdin -m2" + mp2 + " -gf" + gf, "cat " + mp1);
    ASSERT_EQ(piped.status, 0) << piped.out << piped.err;
    ExpectSameListing(files.gof, piped.gof);
    ToolRun glnPiped(dir, "glnPiped", rinex + " -m1" + mp1 + " -m2" + mp2 + " -gf/dev/stdin",
                     "cat " + gf);
    ASSERT_EQ(glnPiped.status, 0) << glnPiped.out << glnPiped.err;
    ExpectSameListing(files.gof, glnPiped.gof);
    // process substitution is a shell of bash's
    const std::string substituted = std::string(KESTROVA_BIN) + " " + rinex + " -m1<(cat " + mp1 +
                                    ") -m2<(cat " + mp2 + ") -gf<(cat " + gf + ") -r" +
                                    (dir / "substituted.gof").string();
    ASSERT_EQ(std::system(("bash -c '" + substituted + "' >/dev/null").c_str()), 0);
    ExpectSameListing(files.gof, ReadAll(dir / "substituted.gof"));

    ToolRun twice(dir, "twice", rinex + " -m1" + mp1 + " -m2/dev/stdin -gf/dev/fd/0", "cat " + gf);
    EXPECT_EQ(twice.status, 1);
    EXPECT_EQ(twice.err,
              "\n**** Kestrova: Error -> MULTIPATH P2 FILE AND GLONASS FREQUENCY CHANNEL FILE "
              "NAME THE SAME PIPE (STANDARD INPUT?) - IT CAN BE READ ONLY ONCE! ****\n"
              "     Exiting Kestrova ... \n\n");
    EXPECT_EQ(twice.gof, "");
}

// A run that writes no row of observations says so on standard error and still ends with status
// 0 and its result file: only "***" rows of -a, or rows without a single value column, hold no
// observation either.
TEST(CompleteRun, ARunWithoutObservationRowsSaysSo)
{
    const fs::path dir = TestFolder();
    const std::string file = "-o" + std::string(KESTROVA_TEST_DATA) + "/cli_minimal.10o";
    const std::string none =
        "\n#### Kestrova: Warning -> NO OBSERVATION ROWS WERE WRITTEN TO THE RESULT FILE! ####\n"
        "     Continuing Kestrova ... \n\n";
    const std::vector<std::pair<std::string, std::string>> runs = {
        {file + " -cR", none},              // GLONASS only of a GPS file (the installed table)
        {file + " -cG -s2010-03-06", none}, // a window after the file
        {file + " -cG -lP1:S1:", none},     // every entry [-]
        {file + " -cG -a -pG01", none},     // -a rows of a satellite never met
        {file + " -cG -lP1:C1:", ""},       // one entry is enough
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

namespace {

// The header line of a result file that begins with label; "(no line)" when there is none.
std::string HeaderLine(const std::string& gof, const std::string& label)
{
    for (const std::string& l : Lines(gof))
        if (l.rfind(label, 0) == 0) return l;
    return "(no line)";
}

// A phase of cycles in metres on a carrier of hz, as the listing writes it.
std::string Metres(double cycles, double hz)
{
    char text[32];
    std::snprintf(text, sizeof text, "%14.3f", cycles * 299792458.0 / hz);
    return text;
}

// The GLONASS G1 carrier of a channel.
double G1(int channel) { return 1602e6 + channel * 562500.0; }

} // namespace

// The real RINEX 3 files list with -cGRE and no channel file: the GLONASS channels of a header
// that has them, the signals chosen, and the file's own numbers in the rows.
TEST(CompleteRun, RealRinex3FilesListWithTheirOwnValues)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string installed =
        (fs::path(KESTROVA_BIN).parent_path() / "share/kestrova/glonass-channels.txt")
            .lexically_normal()
            .string();
    auto warning = [](const std::string& text) {
        return "\n#### Kestrova: Warning -> " + text + " ####\n     Continuing Kestrova ... \n\n";
    };
    // three epochs of a day whose header and name both promise the whole day
    const std::string abmfFile = Shared + "/ABMF00GLP_R_20181330000_01D_30S_MO.rnx";
    ToolRun abmf(dir, "abmf", "-o" + abmfFile + " -cGRE");
    ASSERT_EQ(abmf.status, 0) << abmf.out << abmf.err;
    EXPECT_EQ(abmf.err, warning("RINEX FILE " + abmfFile +
                                " HOLDS 3 OF THE 2880 EPOCHS OF ITS NOMINAL SPAN "
                                "00:00:00-23:59:30 (TIME OF LAST OBS) - ITS LAST EPOCH IS "
                                "01:31:00!"));
    EXPECT_EQ(HeaderLine(abmf.gof, "#GLN"), "#GLN FREQ CHN file:  (RINEX header)");
    EXPECT_EQ(
        HeaderLine(abmf.gof, "#RINEX 3"),
        "#RINEX 3 signals:   G C1=C1C L1=L1C D1=D1C S1=S1C P2=C2W L2=L2W D2=D2W S2=S2W C5=C5Q "
        "L5=L5Q D5=D5Q S5=S5Q R C1=C1C L1=L1C D1=D1C S1=S1C P2=C2P L2=L2P D2=D2P S2=S2P E C1=C1C "
        "L1=L1C D1=D1C S1=S1C C5=C5Q L5=L5Q D5=D5Q S5=S5Q C7=C7Q L7=L7Q D7=D7Q S7=S7Q C8=C8Q "
        "L8=L8Q D8=D8Q S8=S8Q S C1=C1C L1=L1C D1=D1C S1=S1C");
    // G02: C1C, L1C (flags 1 7), D1C, S1C, C2W as P2; E04 at 01:31: C7Q 23873691.583
    const std::string g02 = Row(abmf.gof, " 2018-05-13 01:30:00.0   58251  5400.0", "G02");
    EXPECT_EQ(
        g02.rfind(" 2018-05-13 01:30:00.0   58251  5400.0  G02  22512246.527 0 0 118302644.408 1 7"
                  "  1237.713 0 0    47.350 0 0  22512236.717 0 0  92183841.679 1 7",
                  0),
        0u)
        << g02;
    EXPECT_NE(Row(abmf.gof, " 2018-05-13 01:31:00.0   58251  5460.0", "E04")
                  .find("  23873691.583 0 0  96129464.102 1 8"),
              std::string::npos);
    EXPECT_NE(Row(abmf.gof, " 2018-05-13 01:31:00.0   58251  5460.0", "R24")
                  .find("  23170650.745 0 0 123903893.738 1 6"),
              std::string::npos);

    // demo3.10o: channels -5, +3, -6 of "R11 -5R19 +3R23 -6" give the G1 wavelengths of the rows
    ToolRun demo(dir, "demo3", "-o" + Shared + "/demo3.10o -cGRE -uM -lC1:L1:");
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    EXPECT_EQ(demo.err, warning("RINEX FILE " + Shared +
                                "/demo3.10o HOLDS 2 OF THE 2880 EPOCHS OF ITS NOMINAL SPAN "
                                "00:00:00-23:59:30 (TIME OF LAST OBS) - ITS LAST EPOCH IS "
                                "00:00:30!"));
    EXPECT_EQ(Row(demo.gof, " 2010-03-05 00:00:00.0   55260     0.0", "R11"),
              " 2010-03-05 00:00:00.0   55260     0.0  R11  25247845.883 0 7" +
                  Metres(132678281.640, G1(-5)) + " 0 8");
    EXPECT_EQ(Row(demo.gof, " 2010-03-05 00:00:30.0   55260    30.0", "R19"),
              " 2010-03-05 00:00:30.0   55260    30.0  R19  24597748.629 0 7" +
                  Metres(129262004.577, G1(3)) + " 0 8");
    EXPECT_EQ(Row(demo.gof, " 2010-03-05 00:00:00.0   55260     0.0", "R23"),
              " 2010-03-05 00:00:00.0   55260     0.0  R23  22600648.288 0 7" +
                  Metres(132798887.208, G1(-6)) + " 0 8");
    // "G 7" is G07: C1C 22227666.760, L1C 118767195.326 in metres on the GPS L1 wavelength
    EXPECT_EQ(Row(demo.gof, " 2010-03-05 00:00:00.0   55260     0.0", "G07"),
              " 2010-03-05 00:00:00.0   55260     0.0  G07  22227666.760 0 7" +
                  Metres(118767195.326, 1575.42e6) + " 0 8");

    // without a slot table GLONASS takes the installed table's channels; the other systems
    // list as ever
    for (const std::string name :
         {"minimal3.10o", "default_time_system3.10o", "junk_time_obs3.10o"}) {
        SCOPED_TRACE(name);
        ToolRun r(dir, name, "-o" + Shared + "/" + name + " -cGRE -t30");
        ASSERT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.err.find(" TAKEN FROM THE INSTALLED TABLE " + installed + " - "),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(HeaderLine(r.gof, "#GLN"),
                  "#GLN FREQ CHN file:  " + installed + " (installed table)");
        EXPECT_EQ(HeaderLine(r.gof, "#RINEX 3"), "#RINEX 3 signals:   G C1=C1C P1=C1P L1=L1C "
                                                 "S1=S1P P2=C2P L2=L2P S2=S2P R C1=C1C L1=L1C "
                                                 "S1=S1C S C1=C1C L1=L1C S1=S1C");
        // G32 at 00:00:30 or 00:01:30: L1C L2P C1P C2P C1C S1P S2P of the file
        EXPECT_NE(
            r.gof.find(
                "  G32 133135049.387 0 8 103741584.182 0 8  25334766.349 0 9  25334768.879 0 9  "
                "25334766.309 0 7    75.000 0 0    83.000 0 0\n"),
            std::string::npos);
        EXPECT_NE(r.gof.find(".0  R"), std::string::npos);
    }
}

namespace {

// The lines two result files of the same observations share: all but those naming the input
// file, the result file, the channel source and the signals of a RINEX 3 file.
std::string ComparableLines(const std::string& gof)
{
    std::string kept;
    for (const std::string& l : Lines(gof))
        if (l.rfind("#RINEX file:", 0) != 0 && l.rfind("#Result file:", 0) != 0 &&
            l.rfind("#GLN FREQ CHN file:", 0) != 0 && l.rfind("#RINEX 3 signals:", 0) != 0)
            kept += l + "\n";
    return kept;
}

} // namespace

// The generator writes one set of observations as RINEX 2 and as RINEX 3: every code of the list,
// in both phase units, with millisecond jumps removed, multipath removed and empty epochs, gives
// the same rows; the GLONASS channels of the RINEX 3 header list as the channel file does.
TEST(CompleteRun, Rinex3AndRinex2OfTheSameObservationsListAlike)
{
    const fs::path dir = TestFolder();
    kgen::GenConfig cfg;
    cfg.epochs = 240;
    cfg.jumps = {{60, 1}, {150, -2}};
    cfg.jumpMode = kgen::JumpMode::Codes;
    cfg.clockOffsetColumn = true;
    const std::string r2 = (dir / "same.15o").string(), r3 = (dir / "same.rnx").string(),
                      mp1 = (dir / "same.mp1").string(), mp2 = (dir / "same.mp2").string(),
                      glo = (dir / "glo.txt").string();
    ASSERT_TRUE(kgen::WriteRinex(r2, cfg).ok);
    ASSERT_TRUE(kgen::WriteRinex3(r3, cfg).ok);
    kgen::Compact2Config mp;
    mp.satellites = "G E";
    ASSERT_TRUE(kgen::WriteCompact2(mp1, cfg, mp).ok);
    mp.p2 = true;
    ASSERT_TRUE(kgen::WriteCompact2(mp2, cfg, mp).ok);
    ASSERT_TRUE(kgen::WriteChannelFile(glo, cfg).ok);
    const std::string every =
        " -lC1:P1:P2:L1:L2:C2:S1:S2:D1:D2:C5:L5:D5:S5:C6:L6:D6:S6:C7:L7:D7:S7:C8:L8:D8:"
        "S8:L4:Pp4:Pc4:L3:P3:Pp3:WL:WLP:WLC:MW:MWp:MP1:MC1:MP2:CL1:PL1:PL2:PC1:PC2:";
    for (const std::string& words :
         {"-cGRE" + every, "-cGRE -uM" + every, "-cGRE -ms -a -m1" + mp1 + " -m2" + mp2 + every,
          "-cGRE -uM -ms -a -m1" + mp1 + " -m2" + mp2 + every, std::string("-cGRE")}) {
        SCOPED_TRACE(words);
        ToolRun two(dir, "two", "-o" + r2 + " -gf" + glo + " " + words);
        ToolRun three(dir, "three", "-o" + r3 + " " + words);
        ToolRun threeFile(dir, "three-gf", "-o" + r3 + " -gf" + glo + " " + words);
        ASSERT_EQ(two.status, 0) << two.err;
        ASSERT_EQ(three.status, 0) << three.err;
        EXPECT_GT(Lines(two.gof).size(), 2000u);
        EXPECT_TRUE(ComparableLines(two.gof) == ComparableLines(three.gof));
        EXPECT_TRUE(ComparableLines(two.gof) == ComparableLines(threeFile.gof));
        EXPECT_EQ(two.err, three.err);
    }
}

// A RINEX 3 file under a long name, gzipped or through a pipe, lists as the plain file; the
// default result name drops the compression and the last extension.
TEST(CompleteRun, CompressedRinex3FileListsAsThePlainOne)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string(), name = "CEDA00USA_R_20182100000_23H_15S_MO";
    ASSERT_EQ(std::system(("cp " + std::string(KESTROVA_TEST_DATA) + "/mixed_systems3.rnx " + d +
                           "/" + name + ".rnx && gzip -c " + d + "/" + name + ".rnx >" + d + "/" +
                           name + ".rnx.gz")
                              .c_str()),
              0);
    ToolRun plain(dir, "plain", "-o" + d + "/" + name + ".rnx -cGRE");
    ASSERT_EQ(plain.status, 0) << plain.out << plain.err;
    ToolRun piped(dir, "piped", "-o/dev/stdin -cGRE", "gunzip -c " + d + "/" + name + ".rnx.gz");
    ASSERT_EQ(piped.status, 0) << piped.out << piped.err;
    EXPECT_TRUE(ComparableLines(plain.gof) == ComparableLines(piped.gof));
    EXPECT_NE(plain.gof.find("\n#GLN FREQ CHN file:  (RINEX header)\n"), std::string::npos);
    const std::string run =
        "cd " + d + " && " + KESTROVA_BIN + " -o" + name + ".rnx.gz -cGRE >/dev/null 2>&1";
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_TRUE(ComparableLines(plain.gof) == ComparableLines(ReadAll(dir / (name + ".gof"))));
}

namespace {

// The value columns of a row: each "value lli ss", or "*.***  * *" as not a number (NaN).
std::vector<double> Values(const std::string& row)
{
    std::istringstream in(row);
    std::string word;
    for (int k = 0; k < 5 && in >> word;) k++; // date, time, MJD day and seconds, satellite
    std::vector<double> values;
    for (std::string lli, ss; in >> word >> lli >> ss;)
        values.push_back(word == "*.***" ? std::nan("") : std::stod(word));
    return values;
}

// The rows of satellite sat in a result file.
std::vector<std::string> RowsOf(const std::string& gof, const std::string& sat)
{
    std::vector<std::string> rows;
    for (const std::string& l : Lines(gof))
        if (l.size() > 44 && l[0] == ' ' && l.substr(40, 3) == sat) rows.push_back(l);
    return rows;
}

// The combinations of a pair of carriers f1, f2 (Hz) from codes in metres and phases in cycles,
// written out from their definitions: L4, L3, MW[C], MP1[C], MP2, P2-L2.
std::vector<double> PairCombinations(double f1, double f2, double c1, double l1, double c2,
                                     double l2)
{
    const double c = 299792458.0, w1 = c / f1, w2 = c / f2, a = (f1 / f2) * (f1 / f2);
    return {w1 * l1 - w2 * l2,
            (f1 * f1 * w1 * l1 - f2 * f2 * w2 * l2) / (f1 * f1 - f2 * f2),
            (f1 * w1 * l1 - f2 * w2 * l2) / (f1 - f2) - (f1 * c1 + f2 * c2) / (f1 + f2),
            c1 - (1 + 2 / (a - 1)) * w1 * l1 + 2 / (a - 1) * w2 * l2,
            c2 - 2 * a / (a - 1) * w1 * l1 + (2 * a / (a - 1) - 1) * w2 * l2,
            c2 - w2 * l2};
}

// The observation values of a RINEX 3 satellite line: 16-character fields after the identifier.
std::vector<double> FileFields(const std::string& line)
{
    std::vector<double> fields;
    for (std::size_t at = 3; at < line.size(); at += 16) {
        const std::string f = line.substr(at, 14);
        fields.push_back(f.find_first_not_of(' ') == std::string::npos ? std::nan("")
                                                                       : std::stod(f));
    }
    return fields;
}

// The records of a RINEX 3 text: the codes of each system's types records, and the fields of each
// satellite's lines, in file order.
struct FileRecords {
    std::map<char, std::vector<std::string>> types;
    std::map<std::string, std::vector<std::vector<double>>> records;

    explicit FileRecords(const std::string& text)
    {
        bool header = true;
        for (const std::string& l : Lines(text)) {
            if (header) header = l.find("END OF HEADER") == std::string::npos;
            if (header && l.size() > 60 && l.substr(60, 19) == "SYS / # / OBS TYPES") {
                const char sys = l[0] == ' ' ? types.rbegin()->first : l[0];
                for (std::size_t at = 7; at + 3 <= 58; at += 4)
                    if (l[at] != ' ') types[sys].push_back(l.substr(at, 3));
            } else if (!header && l.size() > 3 && std::isupper(l[0]) && std::isdigit(l[2])) {
                records[l.substr(0, 3)].push_back(FileFields(l));
            }
        }
    }
    // The value of a code in a record of a satellite of system sys (NaN where blank).
    double Value(const std::vector<double>& record, char sys, const std::string& code) const
    {
        const std::vector<std::string>& t = types.at(sys);
        const auto field =
            static_cast<std::size_t>(std::find(t.begin(), t.end(), code) - t.begin());
        return field < record.size() ? record[field] : std::nan("");
    }
};

// Equal values, or both missing.
bool Same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// The observation rows of a result file up to an epoch (calendar form, to the whole second):
// those before it, or with last, those at it too.
std::vector<std::string> RowsUpTo(const std::string& gof, const std::string& epoch,
                                  bool last = false)
{
    std::vector<std::string> rows;
    for (const std::string& l : Lines(gof)) {
        if (l.size() < 20 || l[0] != ' ') continue;
        const int order = l.compare(1, 19, epoch, 0, 19);
        if (order < 0 || (last && order == 0)) rows.push_back(l);
    }
    return rows;
}

// A run of a file that ends early: status 0, one warning, and the rows of the whole file before
// the cut. The warning names the epoch the file ends inside (returned), or, for a compressed
// stream cut just after a complete record, says that the stream ends early (then ""). A file
// whose header gives its last epoch is also said to hold less than its nominal span (nominal:
// the text of that warning where it is known, else only its form).
std::string ExpectListsUpToTheCut(const ToolRun& cut, const std::string& wholeGof,
                                  const std::string& nominal = "")
{
    EXPECT_EQ(cut.status, 0) << cut.out << cut.err;
    const std::string frame = "\n#### Kestrova: Warning -> RINEX FILE ";
    if (!nominal.empty()) {
        EXPECT_EQ(cut.err, frame + nominal + " ####\n     Continuing Kestrova ... \n\n");
    } else if (!cut.err.empty()) {
        EXPECT_TRUE(cut.err.rfind(frame, 0) == 0 &&
                    cut.err.find(" EPOCHS OF ITS NOMINAL SPAN ") != std::string::npos &&
                    cut.err.find("####", frame.size()) == cut.err.rfind("####"))
            << cut.err;
    }
    const std::vector<std::string> rows = RowsUpTo(cut.gof, "9999");
    EXPECT_GT(rows.size(), 10u);
    const std::string head = "\n#### RINEX: Warning -> RINEX FILE ENDS ";
    const std::string tail = "! ####\n     Continuing RINEX ... \n\n";
    const std::string inside = head + "INSIDE THE OBSERVATION RECORD OF EPOCH ";
    if (cut.out.rfind(inside, 0) == 0) {
        const std::string epoch = cut.out.substr(inside.size(), 27);
        EXPECT_EQ(cut.out.substr(inside.size() + 27),
                  " - THE EPOCH IS LEFT OUT, THOSE BEFORE IT ARE READ" + tail);
        EXPECT_TRUE(rows == RowsUpTo(wholeGof, epoch)) << rows.size() << " rows";
        return epoch;
    }
    EXPECT_NE(cut.out.find(head + "EARLY ("), std::string::npos) << cut.out;
    EXPECT_EQ(cut.out.substr(cut.out.find(") - ") + 1),
              " - EVERY EPOCH BEFORE THE CUT IS READ" + tail);
    std::string last;
    for (const std::string& r : rows) last = std::max(last, r.substr(1, 19));
    EXPECT_TRUE(rows == RowsUpTo(wholeGof, last, true)) << rows.size() << " rows";
    return "";
}

} // namespace

// BeiDou, NavIC, QZSS and SBAS list their records with the combinations of their own pair of
// bands (B1I/B3I, L5/S, L1/L2, L1/L5); satellites of a letter outside the table are passed over.
TEST(CompleteRun, EverySystemListsWithTheCombinationsOfItsOwnPair)
{
    const fs::path dir = TestFolder();
    const std::string file = std::string(KESTROVA_TEST_DATA) + "/every_system3.rnx";
    ToolRun r(dir, "every",
              "-o" + file + " -cCJIS -lC1:L1:C2:L2:C5:L5:C6:L6:C9:L9:L4:L3:MW:MC1:MP2:PL2:");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(
        r.out.find("\n#### RINEXData: Warning -> SATELLITES OF LETTER X ARE OF NO SATELLITE SYSTEM "
                   "KNOWN HERE - THEIR RECORDS ARE PASSED OVER! ####\n"),
        std::string::npos);
    EXPECT_EQ(HeaderLine(r.gof, "#Satellites"), "#Satellites:         C10 S36 J02 I05");
    struct System {
        std::string sat;
        double f1, f2;
        std::size_t code1, phase1, code2,
            phase2; // their columns among C1 L1 C2 L2 C5 L5 C6 L6 C9 L9
    };
    const System systems[] = {{"C10", 1561.098e6, 1268.52e6, 2, 3, 6, 7},
                              {"J02", 1575.42e6, 1227.60e6, 0, 1, 2, 3},
                              {"I05", 1176.45e6, 2492.028e6, 4, 5, 8, 9},
                              {"S36", 1575.42e6, 1176.45e6, 0, 1, 4, 5}};
    std::vector<std::string> records;
    std::istringstream text(ReadAll(file));
    for (std::string l; std::getline(text, l);) records.push_back(l);
    for (const System& s : systems) {
        SCOPED_TRACE(s.sat);
        const std::vector<std::string> rows = RowsOf(r.gof, s.sat);
        std::vector<std::vector<double>> lines;
        for (const std::string& l : records)
            if (l.rfind(s.sat, 0) == 0) lines.push_back(FileFields(l));
        ASSERT_EQ(rows.size(), lines.size());
        for (std::size_t e = 0; e < rows.size(); e++) {
            const std::vector<double> v = Values(rows[e]), f = lines[e];
            ASSERT_EQ(v.size(), 16u);
            EXPECT_EQ(v[s.code1], f[0]);
            EXPECT_EQ(v[s.phase1], f[1]);
            EXPECT_EQ(v[s.code2], f[2]);
            EXPECT_EQ(v[s.phase2], f[3]);
            const std::vector<double> formed = PairCombinations(s.f1, s.f2, f[0], f[1], f[2], f[3]);
            for (std::size_t k = 0; k < formed.size(); k++)
                EXPECT_NEAR(v[10 + k], formed[k], 0.0015) << k;
        }
    }
}

// A RINEX 3.02 file writes BeiDou's B1I as band 1: it is read into the band-2 columns, and the
// signals line says so.
TEST(CompleteRun, BeidouB1IOfRinex302IsReadAsBand2)
{
    const fs::path dir = TestFolder();
    const std::string file = std::string(KESTROVA_TEST_DATA) + "/beidou_b1i_band1_302.rnx";
    ToolRun r(dir, "b1i", "-o" + file + " -cC -lC1:C2:L2:C6:L6:C7:L4:");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(HeaderLine(r.gof, "#RINEX 3"),
              "#RINEX 3 signals:   C C2=C1I L2=L1I C6=C6I L6=L6I C7=C7I L7=L7I");
    EXPECT_EQ(HeaderLine(r.gof, "#Observations"),
              "#Observations:       C1[-] C2[+] L2[+] C6[+] L6[+] C7[+] L4[+]");
    const std::vector<std::string> rows = RowsOf(r.gof, "C10");
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<double> v = Values(rows[0]);
    // C1I 39935877.542, L1I 207957779.861, C7I 39935878.792, C6I 39935880.057, L6I 168976040.164
    EXPECT_EQ(v, (std::vector<double>{39935877.542, 207957779.861, 39935880.057, 168976040.164,
                                      39935878.792, v[5]}));
    EXPECT_NEAR(v[5], PairCombinations(1561.098e6, 1268.52e6, v[0], v[1], v[2], v[3])[0], 0.0015);
}

// A real station's BeiDou and SBAS satellites list every record of the file with the file's own
// values, and the summary of the listing gives their totals.
TEST(CompleteRun, RealBeidouAndSbasRecordsListWithTheirOwnValues)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const std::string crx = Shared + "/GRAS00FRA_R_20223151700_15M_01S_MO.crx.gz";
    ASSERT_EQ(std::system(("gunzip -c " + crx + " >" + (dir / "gras.crx").string()).c_str()), 0);
    const std::string text = DecodeCompactRINEX(ReadAll(dir / "gras.crx"));
    ToolRun r(dir, "gras", "-o" + crx + " -cCS -lC1:L1:C2:L2:C6:L6:L4:");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    // the header's types: C2I L2I ... C6I L6I of BeiDou, C1C L1C ... of SBAS, found by name
    const FileRecords file(text);
    std::size_t beidou = 0;
    for (const auto& [sat, lines] : file.records) {
        if (sat[0] != 'C' && sat[0] != 'S') continue;
        SCOPED_TRACE(sat);
        const std::vector<std::string> rows = RowsOf(r.gof, sat);
        ASSERT_EQ(rows.size(), lines.size());
        const std::vector<double> v = Values(rows.front()), &f = lines.front();
        auto value = [&](const std::string& code) { return file.Value(f, sat[0], code); };
        if (sat[0] == 'S') {
            EXPECT_TRUE(Same(v[0], value("C1C")));
            EXPECT_TRUE(Same(v[1], value("L1C")));
            continue;
        }
        beidou++;
        const double c2 = value("C2I"), l2 = value("L2I"), l6 = value("L6I");
        EXPECT_TRUE(Same(v[2], c2));
        EXPECT_TRUE(Same(v[3], l2));
        EXPECT_TRUE(Same(v[4], value("C6I")));
        EXPECT_TRUE(Same(v[5], l6));
        if (!std::isnan(l2) && !std::isnan(l6)) {
            EXPECT_NEAR(v[6], PairCombinations(1561.098e6, 1268.52e6, c2, l2, c2, l6)[0], 0.0015);
        }
    }
    EXPECT_EQ(beidou, 9u);
    EXPECT_EQ(file.records.count("S36"), 1u);
}

namespace {

// The result file without its "#Result file:" line, which names the file.
std::string WithoutResultName(const std::string& gof)
{
    std::string kept;
    for (const std::string& l : Lines(gof))
        if (l.rfind("#Result file:", 0) != 0) kept += l + "\n";
    return kept;
}

// The RINEX 3.04 file of several signals per band, as text.
std::string SeveralSignalsFile(const fs::path& dir)
{
    const std::string to = (dir / "ob7.rnx").string();
    EXPECT_EQ(std::system(("gunzip -c " + Shared + "/OB713520.23O.gz >" + to).c_str()), 0);
    return ReadAll(to);
}

} // namespace

// The file holds GPS L1C, L1W, L1L, L2W, L2L and L5Q. By default C1 and L1 are read from C/A,
// C2 from L2C (L), P2 and L2 from the W tracking, C5 and L5 from Q; -iG2L: reads L2 from L2C
// too while P2 keeps W; a choice of which the file has no signal is named, and the default read.
TEST(CompleteRun, EachBandIsReadFromTheDefaultOrTheChosenSignal)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const FileRecords file(SeveralSignalsFile(dir));
    const std::string words = "-o" + Shared + "/OB713520.23O.gz -cG -lC1:L1:C2:P2:L2:C5:L5:";
    ToolRun byDefault(dir, "default", words), chosen(dir, "chosen", words + " -iG2L:"),
        unmet(dir, "unmet", words + " -iG2X:");
    ASSERT_EQ(byDefault.status, 0) << byDefault.err;
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    ASSERT_EQ(unmet.status, 0) << unmet.err;
    EXPECT_EQ(byDefault.err + chosen.err, "");
    EXPECT_EQ(unmet.err,
              "\n#### Kestrova: Warning -> SIGNAL CHOICE \"G2X\" OF OPTION -i IS NOT IN "
              "THE RINEX FILE - DEFAULT SIGNALS USED! ####\n     Continuing Kestrova ... "
              "\n\n");
    EXPECT_EQ(HeaderLine(byDefault.gof, "#Signal choice:"), "(no line)");
    EXPECT_EQ(HeaderLine(chosen.gof, "#Signal choice:"), "#Signal choice:      G2L");
    EXPECT_EQ(HeaderLine(chosen.gof, "#RINEX 3"),
              "#RINEX 3 signals:   G C1=C1C P1=C1W L1=L1C C2=C2L P2=C2W L2=L2L C5=C5Q L5=L5Q "
              "E C1=C1C L1=L1C C5=C5Q L5=L5Q C6=C6C L6=L6C C7=C7Q L7=L7Q C8=C8Q L8=L8Q");
    std::string unmetHead = WithoutResultName(unmet.gof);
    const std::string choiceLine = "#Signal choice:      G2X\n";
    ASSERT_NE(unmetHead.find(choiceLine), std::string::npos);
    unmetHead.erase(unmetHead.find(choiceLine), choiceLine.size());
    EXPECT_EQ(unmetHead, WithoutResultName(byDefault.gof));

    const std::vector<std::string> defaultCodes = {"C1C", "L1C", "C2L", "C2W", "L2W", "C5Q", "L5Q"},
                                   chosenCodes = {"C1C", "L1C", "C2L", "C2W", "L2L", "C5Q", "L5Q"};
    std::size_t gps = 0, l2Differs = 0;
    for (const auto& [sat, records] : file.records) {
        if (sat[0] != 'G') continue;
        SCOPED_TRACE(sat);
        gps++;
        const std::vector<std::string> a = RowsOf(byDefault.gof, sat), b = RowsOf(chosen.gof, sat);
        ASSERT_EQ(a.size(), records.size());
        ASSERT_EQ(b.size(), records.size());
        for (std::size_t k = 0; k < records.size(); k++) {
            const std::vector<double> va = Values(a[k]), vb = Values(b[k]);
            ASSERT_EQ(va.size(), 7u);
            ASSERT_EQ(vb.size(), 7u);
            for (std::size_t c = 0; c < 7; c++) {
                ASSERT_TRUE(Same(va[c], file.Value(records[k], 'G', defaultCodes[c]))) << k << c;
                ASSERT_TRUE(Same(vb[c], file.Value(records[k], 'G', chosenCodes[c]))) << k << c;
            }
            l2Differs += !Same(va[4], vb[4]);
        }
    }
    EXPECT_EQ(gps, 31u);
    EXPECT_GT(l2Differs, 10000u);
}

// GPS L1/L5 and Galileo E1/E5a: L4, MW[C] and MP1[C] of every record, from the file's own C1C,
// L1C, C5Q and L5Q and the carriers 1575.42 and 1176.45 MHz; there are no [P] forms for these
// pairs. The default pairs named with -f change nothing.
TEST(CompleteRun, CombinationsOfTheChosenPairOfBands)
{
    SKIP_WITHOUT_SHARED_DATA();
    const fs::path dir = TestFolder();
    const FileRecords file(SeveralSignalsFile(dir));
    const std::string words = "-o" + Shared + "/OB713520.23O.gz -cGE -lL4:MW:MC1:MP1:";
    ToolRun r(dir, "l5", words + " -fG15:E15:");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(HeaderLine(r.gof, "#Observations:"),
              "#Observations:       L4[+] MW[C][+] MP1[C][+] MP1[P][-]");
    EXPECT_EQ(HeaderLine(r.gof, "#Frequency pairs:"), "#Frequency pairs:    G1-5 E1-5");
    std::map<char, std::size_t> formed;
    for (const auto& [sat, records] : file.records) {
        SCOPED_TRACE(sat);
        const std::vector<std::string> rows = RowsOf(r.gof, sat);
        ASSERT_EQ(rows.size(), records.size());
        for (std::size_t k = 0; k < records.size(); k++) {
            auto value = [&](const char* code) { return file.Value(records[k], sat[0], code); };
            const std::vector<double> v = Values(rows[k]);
            const std::vector<double> expected = PairCombinations(
                1575.42e6, 1176.45e6, value("C1C"), value("L1C"), value("C5Q"), value("L5Q"));
            ASSERT_EQ(v.size(), 3u);
            // L4, MW[C] and MP1[C], each missing where one of its inputs is
            const double want[] = {expected[0], expected[2], expected[3]};
            for (std::size_t c = 0; c < 3; c++)
                if (std::isnan(want[c]))
                    EXPECT_TRUE(std::isnan(v[c])) << rows[k];
                else
                    EXPECT_NEAR(v[c], want[c], 0.0015) << rows[k];
            formed[sat[0]] += !std::isnan(want[1]);
        }
    }
    EXPECT_GT(formed['G'], 10000u);
    EXPECT_GT(formed['E'], 10000u);

    ToolRun plain(dir, "plain", words), named(dir, "named", words + " -fG12:E17:");
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(WithoutResultName(named.gof), WithoutResultName(plain.gof));
}

// A file cut short, as a download or a receiver leaves it, plain, gzipped, as RINEX 3 or as
// Compact RINEX: every complete epoch is listed as in the whole file, the cut one is left out.
TEST(CompleteRun, FileCutShortListsEveryCompleteEpoch)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string(), sample = SampleData + "kest0440.15o";
    const std::string text = ReadAll(sample);
    ToolRun whole(dir, "whole", "-o" + sample + " -cGE");
    // the last lines of the record of 00:30:00 missing
    const std::size_t next = text.find(" 15  2 13  0 30 30.0000000");
    ASSERT_NE(next, std::string::npos);
    std::ofstream(dir / "cut.15o", std::ios::binary)
        << text.substr(0, text.rfind('\n', next - 100) + 1);
    // an hour at 30 s, cut before 00:30:00
    EXPECT_EQ(ExpectListsUpToTheCut(ToolRun(dir, "cut", "-o" + d + "/cut.15o -cGE"), whole.gof,
                                    d + "/cut.15o HOLDS 60 OF THE 120 EPOCHS OF ITS NOMINAL SPAN "
                                        "00:00:00-00:59:30 (TIME OF LAST OBS) - ITS LAST EPOCH IS "
                                        "00:29:30!"),
              "2015-02-13 00:30:00.0000000");
    // a gzip stream cut in its middle
    ASSERT_EQ(std::system(("gzip -c " + sample + " | head -c 40000 >" + d + "/cut.15o.gz").c_str()),
              0);
    ExpectListsUpToTheCut(ToolRun(dir, "cutgz", "-o" + d + "/cut.15o.gz -cGE"), whole.gof);
    // RINEX 3, cut in the middle of a line
    const std::string r3 = d + "/g.rnx";
    ASSERT_EQ(std::system(
                  (std::string(KESTROVA_GEN_BIN) + " --rinex3 " + r3 + " --seconds 1800 >/dev/null")
                      .c_str()),
              0);
    ToolRun whole3(dir, "whole3", "-o" + r3 + " -cGE");
    const std::string text3 = ReadAll(r3);
    std::ofstream(dir / "cut.rnx", std::ios::binary) << text3.substr(0, text3.size() * 2 / 3);
    ExpectListsUpToTheCut(ToolRun(dir, "cut3", "-o" + d + "/cut.rnx -cGE"), whole3.gof);
    SKIP_WITHOUT_SHARED_DATA();
    // Compact RINEX cut in the middle of a line: the cut line is not decoded
    ToolRun york(dir, "york", "-o" + Shared + "/york0440.15o -cG");
    const std::string crx = ReadAll(Shared + "/york0440.15d");
    std::ofstream(dir / "cut.15d", std::ios::binary) << crx.substr(0, crx.size() / 2);
    ExpectListsUpToTheCut(ToolRun(dir, "cutcrx", "-o" + d + "/cut.15d -cG"), york.gof);
}

// A receiver that does not steer its clock: every epoch 0.44 s after the second. The grid is
// counted from the first epoch, every epoch is listed with the values of the file on the whole
// seconds, one warning and -v say so, and kestrova-summary counts the same grid.
TEST(CompleteRun, EpochsAllOffTheGridAreListedFromTheFirstEpoch)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string(), whole = d + "/whole.10o", late = d + "/late.10o";
    ASSERT_EQ(std::system((std::string(KESTROVA_GEN_BIN) + " --rinex " + whole +
                           " --interval 1 --seconds 300 --types dual >/dev/null")
                              .c_str()),
              0);
    // the seconds of every epoch line: ".0000000" becomes ".4400000"
    std::string text = ReadAll(whole);
    int moved = 0;
    for (std::size_t at = text.find("\n 15  2 13 "); at != std::string::npos;
         at = text.find("\n 15  2 13 ", at + 1)) {
        ASSERT_EQ(text.compare(at + 19, 8, ".0000000"), 0);
        text.replace(at + 20, 2, "44");
        moved++;
    }
    ASSERT_EQ(moved, 300);
    std::ofstream(late, std::ios::binary) << text;
    ToolRun onGrid(dir, "whole", "-o" + whole + " -cG -lC1:L1:P2:");
    ToolRun off(dir, "late", "-o" + late + " -cG -lC1:L1:P2: -v");
    ASSERT_EQ(off.status, 0) << off.err;
    EXPECT_EQ(
        off.err,
        "\n#### Kestrova: Warning -> NO EPOCH IN THE TIME WINDOW LIES WITHIN 0.1 S OF THE GRID OF "
        "1 S "
        "FROM 00:00 (LARGEST OFFSET 0.44 S) - THE GRID IS COUNTED FROM THE FIRST EPOCH, 2015-02-13 "
        "00:00:00.440, (-d SETS THE CLOCK ERROR, -t THE INTERVAL)! ####\n     Continuing Kestrova "
        "... \n\n");
    EXPECT_NE(off.out.find("\nKestrova::ReadFile(): setting GRID - from the first epoch: "
                           "2015-02-13 00:00:00.440!\n"),
              std::string::npos);
    EXPECT_NE(
        off.gof.find("\n#Time interval:      1.000\n#Grid origin:        2015-02-13 00:00:00.440 [ "
                     "57066     "
                     "0.440]  (first epoch: none lies on the grid from 00:00)\n#Max clock error:"),
        std::string::npos);
    EXPECT_EQ(onGrid.gof.find("#Grid origin:"), std::string::npos);
    // the rows of the whole seconds, at .4 of the second
    std::vector<std::string> want, got;
    for (std::string l : Lines(onGrid.gof))
        if (l.size() > 40 && l[0] == ' ') {
            // the tenths of the calendar and of the MJD form
            const std::size_t t1 = l.find('.') + 1, t2 = l.find('.', t1) + 1;
            ASSERT_EQ(l.substr(t1, 1) + l.substr(t2, 1), "00");
            l[t1] = l[t2] = '4';
            want.push_back(l);
        }
    for (const std::string& l : Lines(off.gof))
        if (l.size() > 40 && l[0] == ' ') got.push_back(l);
    EXPECT_GT(want.size(), 1000u);
    EXPECT_TRUE(got == want) << got.size() << " rows, " << want.size() << " wanted";
    // the summary expects the 300 epochs of the grid from the first epoch, as for the whole file
    const std::string summary = d + "/summary.txt";
    ASSERT_EQ(std::system(
                  (std::string(KESTROVA_SUMMARY_BIN) + " " + d + "/late.gof >" + summary).c_str()),
              0);
    EXPECT_NE(ReadAll(summary).find(": 300 epochs expected per satellite\n"), std::string::npos)
        << ReadAll(summary);
}
