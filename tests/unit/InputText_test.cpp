// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/CompactRINEX.h"
#include "PROGINC/InputText.h"
#include "PROGINC/cfilef.h"
#include "tests/unit/Compact2Writer.h"
#include "tests/unit/ToolRun.h"
#include "tools/gen/CompactRinexWriter.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testing::ExitedWithCode;

namespace {

const std::string Sample = std::string(KESTROVA_TEST_DATA) + "/../../data/kest0440.15o";

void MustRun(const std::string& cmd) { ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd; }

std::string Loaded(const std::string& path)
{
    InputText in;
    EXPECT_TRUE(in.Load(path.c_str(), "RINEX FILE"));
    return std::string(in.Text());
}

// The frame of a damaged input, whatever reason libarchive gives.
testing::Matcher<const std::string&> DamagedFrame(const std::string& path, const std::string& step)
{
    return testing::ContainsRegex("^\n\\*\\*\\*\\* Kestrova: Error -> RINEX FILE " + path +
                                  " IS DAMAGED \\(" + step +
                                  "\\): .+! \\*\\*\\*\\*\n     Exiting Kestrova \\.\\.\\. \n\n$");
}

// The listed rows of a result file, its header lines (which name the file) left out.
std::vector<std::string> Rows(const std::string& gof)
{
    std::vector<std::string> rows;
    for (const std::string& l : Lines(gof))
        if (!l.empty() && l[0] != '#') rows.push_back(l);
    return rows;
}

void LoadFails(const std::string& path)
{
    InputText in;
    in.Load(path.c_str(), "RINEX FILE");
}

} // namespace

// Each compression is recognised by its bytes, whatever the name, and gives back the file.
TEST(InputText, EveryCompressionGivesBackTheFileByItsContent)
{
    const fs::path dir = TestFolder();
    const std::string plain = ReadAll(Sample);
    ASSERT_GT(plain.size(), 10000u);
    const std::string d = dir.string();
    MustRun("gzip -c " + Sample + " >" + d + "/a.15o");
    MustRun("compress -c " + Sample + " >" + d + "/b.15o");
    MustRun("bzip2 -c " + Sample + " >" + d + "/c.15o");
    MustRun("xz -c " + Sample + " >" + d + "/d.15o");
    MustRun("cp " + Sample + " " + d + "/e && cd " + d + " && zip -q e.zip e && mv e.zip e.15o");
    // two gzip members one after the other (as a gzip of a split file, or of an appended log)
    MustRun("(head -c 3000 " + Sample + " | gzip -c; tail -c +3001 " + Sample + " | gzip -c) >" +
            d + "/f.15o");
    for (const auto& [name, step] :
         std::vector<std::pair<std::string, std::string>>{{"a.15o", "gzip"},
                                                          {"b.15o", "compress"},
                                                          {"c.15o", "bzip2"},
                                                          {"d.15o", "xz"},
                                                          {"e.15o", "zip"},
                                                          {"f.15o", "gzip"}}) {
        InputText in;
        ASSERT_TRUE(in.Load((dir / name).c_str(), "RINEX FILE")) << name;
        EXPECT_EQ(in.Undone(), step);
        EXPECT_TRUE(in.Text() == plain) << name;
    }
    InputText in;
    ASSERT_TRUE(in.Load(Sample.c_str(), "RINEX FILE"));
    EXPECT_EQ(in.Undone(), "");
    EXPECT_TRUE(in.Text() == plain);
    // a moved text stays whole, mapped or held
    InputText moved = std::move(in);
    EXPECT_TRUE(moved.Text() == plain);
    EXPECT_FALSE(in.IsLoaded());
    EXPECT_FALSE(InputText().Load((dir / "absent").c_str(), "RINEX FILE"));
}

// Members of exactly the same size, cut inside a record: the last trailer states the size of
// the first member too, so only the input left over tells that more follows; every epoch of
// every member is listed, as from the plain file.
TEST(InputText, GzipMembersOfTheSameSizeAreAllListed)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string();
    const std::size_t size = ReadAll(Sample).size(), half = size / 2, third = size / 3;
    ASSERT_EQ(size % 2, 0u);
    MustRun("(head -c " + std::to_string(half) + " " + Sample + " | gzip -c; tail -c +" +
            std::to_string(half + 1) + " " + Sample + " | gzip -9 -c) >" + d + "/two.15o");
    // three members, the first and the last of the same size
    MustRun("(head -c " + std::to_string(third) + " " + Sample + " | gzip -c; head -c " +
            std::to_string(size - third) + " " + Sample + " | tail -c +" +
            std::to_string(third + 1) + " | gzip -c; tail -c " + std::to_string(third) + " " +
            Sample + " | gzip -c) >" + d + "/three.15o");
    const ToolRun plain(dir, "plain", "-o" + Sample + " -cGE -a");
    ASSERT_EQ(plain.status, 0) << plain.out << plain.err;
    ASSERT_GT(Rows(plain.gof).size(), 1000u);
    for (const std::string name : {"two", "three"}) {
        const ToolRun packed(dir, name, "-o" + d + "/" + name + ".15o -cGE -a");
        EXPECT_EQ(packed.status, 0) << name;
        EXPECT_EQ(Rows(packed.gof), Rows(plain.gof)) << name;
        // the whole text at once, as on one core: the members inflated in one call
        EXPECT_EQ(Loaded(d + "/" + name + ".15o"), ReadAll(Sample)) << name;
        const ToolRun oneCore(dir, name + "1", "-o" + d + "/" + name + ".15o -cGE -a", "",
                              "taskset -c 0 ");
        EXPECT_EQ(Rows(oneCore.gof), Rows(plain.gof)) << name << " on one core";
    }
}

// Empty inputs, compressed or not, give an empty text; a gzip of garbage gives the garbage.
TEST(InputText, EmptyAndGarbageInputsAreTextsLikeAnyOther)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string();
    MustRun(": >" + d + "/empty && gzip -c " + d + "/empty >" + d + "/empty.gz");
    MustRun("printf '\\001\\002junk' | gzip -c >" + d + "/junk.gz");
    EXPECT_EQ(Loaded(d + "/empty"), "");
    EXPECT_EQ(Loaded(d + "/empty.gz"), "");
    EXPECT_EQ(Loaded(d + "/junk.gz"), "\x01\x02junk");
}

// A cut or damaged stream, a zip of two files or of none: a framed error naming the file.
TEST(InputText, DamagedStreamsAndZipsOfSeveralFilesAreRefused)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string();
    MustRun("gzip -c " + Sample + " | head -c 5000 >" + d + "/cut.gz");
    MustRun("xz -c " + Sample + " | head -c 3000 >" + d + "/cut.xz");
    MustRun("printf '\\037\\213garbage garbage garbage' >" + d + "/bad.gz");
    MustRun("cd " + d + " && cp " + Sample + " one && cp " + Sample +
            " two && zip -q two.zip one two");
    MustRun("printf 'PK\\005\\006' >" + d + "/none.zip && head -c 18 /dev/zero >>" + d +
            "/none.zip");
    EXPECT_EXIT(LoadFails(d + "/cut.gz"), ExitedWithCode(1), (DamagedFrame(d + "/cut.gz", "gzip")));
    EXPECT_EXIT(LoadFails(d + "/cut.xz"), ExitedWithCode(1), (DamagedFrame(d + "/cut.xz", "xz")));
    EXPECT_EXIT(LoadFails(d + "/bad.gz"), ExitedWithCode(1), (DamagedFrame(d + "/bad.gz", "gzip")));
    EXPECT_EXIT(
        LoadFails(d + "/two.zip"), ExitedWithCode(1),
        testing::Eq("\n**** Kestrova: Error -> RINEX FILE " + d +
                    "/two.zip IS A ZIP ARCHIVE OF MORE THAN ONE FILE - ONLY A ZIP OF ONE FILE IS "
                    "READ! ****\n     Exiting Kestrova ... \n\n"));
    EXPECT_EXIT(
        LoadFails(d + "/none.zip"), ExitedWithCode(1),
        testing::Eq(
            "\n**** Kestrova: Error -> RINEX FILE " + d +
            "/none.zip IS A ZIP ARCHIVE WITHOUT A FILE! ****\n     Exiting Kestrova ... \n\n"));
}

// A FIFO is read once, whole, while its writer is still writing; two names of one FIFO are the
// same once-only source, two FIFOs or a regular file named twice are not.
TEST(InputText, AFifoIsReadOnceAndRecognisedUnderTwoNames)
{
    const fs::path dir = TestFolder();
    const std::string fifo = (dir / "fifo").string(), other = (dir / "other").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(other.c_str(), 0600), 0);
    const std::string plain = ReadAll(Sample);
    std::thread writer([&] {
        int fd = open(fifo.c_str(), O_WRONLY);
        for (std::size_t at = 0; at < plain.size(); at += 4096)
            if (write(fd, plain.data() + at, std::min<std::size_t>(4096, plain.size() - at)) < 0)
                break;
        close(fd);
    });
    InputText in;
    ASSERT_TRUE(in.Load(fifo.c_str(), "RINEX FILE"));
    writer.join();
    EXPECT_TRUE(in.Text() == plain);
    fs::create_symlink(fifo, dir / "link");
    EXPECT_TRUE(SameOnceOnlySource(fifo.c_str(), (dir / "link").c_str()));
    EXPECT_FALSE(SameOnceOnlySource(fifo.c_str(), other.c_str()));
    EXPECT_FALSE(SameOnceOnlySource(Sample.c_str(), Sample.c_str()));
    EXPECT_FALSE(SameOnceOnlySource(fifo.c_str(), (dir / "absent").c_str()));
}

// The lines of a mapped text, taken straight from it over the windows of its stream and with the
// text behind the reader handed back, are those std::getline gives, with the same stream states;
// std::getline on the same stream (every third line) goes on where ReadLine stopped, and a second
// stream and the text itself still read the whole file.
TEST(InputText, LinesOfAMappedTextAreThoseOfGetline)
{
    std::string text;
    for (int i = 0; text.size() < (std::size_t{20} << 20); i++)
        text += std::string(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26)) +
                (i % 5 == 0 ? "\r\n" : "\n");
    text += std::string(std::size_t{9} << 20, 'L') + "\n\nlast"; // longer than a window
    const fs::path file = TestFolder() / "lines.15o";
    std::ofstream(file, std::ios::binary) << text;
    InputText input;
    ASSERT_TRUE(input.Load(file.c_str(), "RINEX FILE"));
    auto linesOf = [](std::istream& in, bool mixed) {
        std::vector<std::string> lines;
        auto next = [&](std::string& line) {
            if (!mixed || lines.size() % 3 != 0) return ReadLine(in, line);
            if (!std::getline(in, line)) return false;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        };
        for (std::string line; next(line);) lines.push_back(line);
        lines.push_back(std::to_string(in.rdstate()));
        return lines;
    };
    std::istringstream plain(text);
    const std::vector<std::string> expected = linesOf(plain, false);
    EXPECT_EQ(linesOf(*input.Stream(), false), expected);
    EXPECT_EQ(linesOf(*input.Stream(), true), expected);
    EXPECT_TRUE(input.Text() == text);
    // a text decompressed into memory, handed back behind its last pass, is read whole by it
    MustRun("gzip -c " + file.string() + " >" + file.string() + ".gz");
    InputText packed;
    ASSERT_TRUE(packed.Load((file.string() + ".gz").c_str(), "RINEX FILE"));
    EXPECT_EQ(linesOf(*packed.LastStream(), true), expected);
    EXPECT_FALSE(packed.IsLoaded());
    // the same decompressed beside the reader, which overtakes the decompression and is overtaken
    // by it (a few blocks ahead at the most): a first stream, then the last one
    InputText beside;
    ASSERT_TRUE(beside.Load((file.string() + ".gz").c_str(), "RINEX FILE", false, nullptr, true));
    EXPECT_EQ(beside.Undone(), "gzip");
    EXPECT_EQ(linesOf(*beside.Stream(), false), expected);
    EXPECT_EQ(linesOf(*beside.LastStream(), true), expected);
}

// Decoded on a thread beside the reader, block by block, every form gives the text of the whole
// decoding; a damaged stream fails where the reader reaches the damage, and a stream cut short is
// kept up to its last line end with the same reason; a Compact RINEX text inside any of them is
// decoded on the same thread.
TEST(InputText, DecodingBesideTheReaderGivesTheWholeText)
{
    const fs::path dir = TestFolder();
    const std::string d = dir.string();
    // two hours at 1 Hz: more text than the decoding may run ahead of the reader
    const std::string day = d + "/day.15o";
    MustRun(std::string(KESTROVA_GEN_BIN) + " --rinex " + day + " --interval 1 --hours 2");
    const std::string compact = gen::CompactRinex1(ReadAll(day));
    std::ofstream(d + "/day.15d", std::ios::binary) << compact;
    // a satellite line that is no number, in the middle of the file
    std::string damaged = compact;
    damaged.insert(damaged.find("\n", damaged.size() / 2) + 1, "1&x\n");
    std::ofstream(d + "/bad.15d", std::ios::binary) << damaged;
    MustRun("gzip -c " + day + " >" + d + "/a && bzip2 -c " + Sample + " >" + d + "/b && xz -c " +
            Sample + " >" + d + "/c && gzip -c " + d + "/day.15d >" + d + "/e && gzip -c " + day +
            " | head -c 3000000 >" + d + "/cut && gzip -c " + d + "/day.15d | head -c 700000 >" +
            d + "/cutcrx && gzip -c " + d + "/bad.15d >" + d + "/bad");
    // the lines of the last pass, the first (of the header) read before it
    auto read = [](const std::string& path, bool besideReader, std::string& undone,
                   std::string& cut) {
        InputText in;
        EXPECT_TRUE(in.Load(path.c_str(), "RINEX FILE", true, &CompactRINEXText, besideReader));
        std::string text;
        std::string_view line;
        std::string store;
        for (int k = 0; k < 20 && ReadLine(*in.Stream(), line, store); k++) {
        }
        const std::unique_ptr<std::istream> s = in.LastStream();
        while (ReadLine(*s, line, store)) text.append(line).push_back('\n');
        undone = in.Undone();
        cut = in.CutShort();
        return text;
    };
    for (const std::string name : {"a", "b", "c", "day.15d", "e", "cut", "cutcrx"}) {
        std::string undone, cut, besideUndone, besideCut;
        const std::string expected = read(d + "/" + name, false, undone, cut);
        ASSERT_GT(expected.size(), 100000u) << name;
        EXPECT_TRUE(read(d + "/" + name, true, besideUndone, besideCut) == expected) << name;
        EXPECT_EQ(besideUndone, undone) << name;
        EXPECT_EQ(besideCut, cut) << name;
        EXPECT_EQ(cut.empty(), name.substr(0, 3) != "cut") << name;
    }
    auto readBeside = [&](const std::string& path, bool keepCut) {
        std::cout.rdbuf(std::cerr.rdbuf());
        InputText in;
        in.Load(path.c_str(), "RINEX FILE", keepCut, &CompactRINEXText, true);
        std::string_view line;
        std::string store;
        const std::unique_ptr<std::istream> s = in.LastStream();
        while (ReadLine(*s, line, store)) {
        }
    };
    EXPECT_EXIT(readBeside(d + "/cut", false), ExitedWithCode(1),
                (DamagedFrame(d + "/cut", "gzip")));
    const testing::Matcher<const std::string&> noNumber =
        testing::ContainsRegex("CompactRINEX: Error -> COMPACT RINEX FIELD IS NO NUMBER IN EPOCH ");
    auto decodeWhole = [&] {
        std::cout.rdbuf(std::cerr.rdbuf());
        DecodeCompactRINEX(damaged);
    };
    EXPECT_EXIT(decodeWhole(), ExitedWithCode(1), noNumber);
    EXPECT_EXIT(readBeside(d + "/bad.15d", true), ExitedWithCode(1), noNumber);
    EXPECT_EXIT(readBeside(d + "/bad", true), ExitedWithCode(1), noNumber);
}
