// SPDX-License-Identifier: BSD-2-Clause
// The fast text paths (integer parsing of F14.3 fields, integer formatting of values) must write
// exactly what the plain atof/stream paths of kestrova-plain write.
#include "tests/unit/ToolRun.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The result file and console of one run of bin on words, written in dir.
std::string Run(const std::string& bin, const fs::path& dir, const std::string& words)
{
    const ToolRun r(dir, "out", words, "", "", bin);
    return r.gof + r.out + r.err;
}

void ExpectSameOutput(const fs::path& dir, const std::string& words)
{
    const std::string fast = Run(KESTROVA_BIN, dir, words);
    const std::string plain = Run(KESTROVA_PLAIN_BIN, dir, words);
    EXPECT_GT(fast.size(), 0u) << words;
    EXPECT_TRUE(fast == plain) << "fast and plain text paths differ: " << words;
}

fs::path FreshDir(const std::string& name)
{
    fs::path d =
        fs::temp_directory_path() / ("kestrova_plain_" + name + std::to_string(::getpid()));
    fs::remove_all(d);
    fs::create_directories(d);
    return d;
}

const std::string Typical = " -lC1:P2:L1:L2:L4:L3:MW:MP1:MP2:";

} // namespace

// A generated 1 Hz file with G, R and E satellites, every listing and correction the benchmark
// times.
TEST(FastTextPaths, GeneratedFileListsAsThePlainPaths)
{
    const fs::path d = FreshDir("gen");
    const std::string f = (d / "g.15o").string(), mp1 = (d / "g.mp1").string(),
                      mp2 = (d / "g.mp2").string(), glo = (d / "glo.txt").string();
    ASSERT_EQ(
        std::system((std::string(KESTROVA_GEN_BIN) + " --rinex " + f + " --mp1 " + mp1 + " --mp2 " +
                     mp2 + " --channels " + glo + " --interval 1 --seconds 900 --seed 3 >/dev/null")
                        .c_str()),
        0);
    for (const std::string& w :
         {std::string("-cGE"), "-cGRE -gf" + glo, "-cGE" + Typical, "-cGE -ms" + Typical,
          "-cGE -m1" + mp1 + Typical, "-cGE -m2" + mp2 + Typical, "-cGRE -a -gf" + glo + Typical})
        ExpectSameOutput(d, "-o" + f + " " + w);
    fs::remove_all(d);
}

// Every real receiver file, full listing and typical list.
TEST(FastTextPaths, RealFilesListAsThePlainPaths)
{
    const fs::path shared = KESTROVA_SHARED_DATA;
    if (!fs::is_directory(shared)) GTEST_SKIP() << shared << " is absent";
    const fs::path d = FreshDir("real");
    int files = 0;
    for (const auto& e : fs::directory_iterator(shared)) {
        const std::string ext = e.path().extension().string();
        if (ext.size() != 4 || ext.back() != 'o') continue;
        ++files;
        ExpectSameOutput(d, "-o" + e.path().string() + " -cGRE");
        ExpectSameOutput(d, "-o" + e.path().string() + " -cG -ms" + Typical);
    }
    EXPECT_GT(files, 0);
    fs::remove_all(d);
}

// The same observations as RINEX 3: its fields go through the same fast paths.
TEST(FastTextPaths, GeneratedRinex3FileListsAsThePlainPaths)
{
    const fs::path d = FreshDir("gen3");
    const std::string f = (d / "g.rnx").string();
    ASSERT_EQ(std::system((std::string(KESTROVA_GEN_BIN) + " --rinex3 " + f +
                           " --interval 1 --seconds 600 --seed 5 --clock-column >/dev/null")
                              .c_str()),
              0);
    for (const std::string& w :
         {std::string("-cGRE"), "-cGRE -ms -a" + Typical, "-cGE -uM" + Typical})
        ExpectSameOutput(d, "-o" + f + " " + w);
    fs::remove_all(d);
}

// Lists that read a few of the file's types store only those (kestrova-plain stores them all):
// every column, the clock-jump correction, the multipath removal and the types that stand in for
// missing ones (P1 for C1, C2 for P2) must come out as from the whole store.
TEST(FastTextPaths, ShortListsListAsTheWholeStore)
{
    const fs::path d = FreshDir("short");
    const std::string gen = std::string(KESTROVA_GEN_BIN) + " --interval 1 --seconds 600";
    const std::string f = (d / "g.15o").string(), mp1 = (d / "g.mp1").string(),
                      mp2 = (d / "g.mp2").string(), glo = (d / "glo.txt").string(),
                      standIns = (d / "s.15o").string(), f3 = (d / "g.rnx").string();
    ASSERT_EQ(
        std::system((gen + " --rinex " + f + " --mp1 " + mp1 + " --mp2 " + mp2 + " --channels " +
                     glo + " --rinex3 " + f3 + " --seed 7 --jumps 100:1,400:-1 >/dev/null")
                        .c_str()),
        0);
    ASSERT_EQ(
        std::system(
            (gen + " --rinex " + standIns + " --types P1,L1,L2,C2,S2 --seed 8 >/dev/null").c_str()),
        0);
    const std::string lists[] = {
        "-lL4:",      "-lS1:D2:",  "-lP2:PC2:MP2:",        "-lC1:PC1:MC1:",
        "-ms -lL4:",  "-ms -lS2:", "-m1" + mp1 + " -lL1:", "-m2" + mp2 + " -lL1:",
        "-a -lL3:C7:"};
    for (const std::string& l : lists) {
        ExpectSameOutput(d, "-o" + f + " -cGRE -gf" + glo + " " + l);
        ExpectSameOutput(d, "-o" + standIns + " -cGE " + l);
        ExpectSameOutput(d, "-o" + f3 + " -cGRE " + l);
    }
    // Galileo's second frequency is E5b: C7 and L7 are read for the combinations
    const std::string e5b = std::string(KESTROVA_TEST_DATA) + "/galileo_e5b_only.10o";
    for (const char* l : {"-lL4:", "-lMP2:PL2:"}) ExpectSameOutput(d, "-o" + e5b + " -cE " + l);
    fs::remove_all(d);
}
