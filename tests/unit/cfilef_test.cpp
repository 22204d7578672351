#include "PROGINC/cfilef.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    std::string line = "stale";
    while (ReadLine(in, line)) out.push_back(line);
    return out;
}

} // namespace

TEST(cfilef, ReadLineDropsTheLineEndOnly)
{
    EXPECT_EQ(Lines("a\r\nb\r\n"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Lines("a\n\n b \r\n"), (std::vector<std::string>{"a", "", " b "}));
    EXPECT_EQ(Lines("a\rb\r\r\n"), (std::vector<std::string>{"a\rb\r"}));
    EXPECT_EQ(Lines("first\nlast"), (std::vector<std::string>{"first", "last"}));
    EXPECT_EQ(Lines("last\r"), (std::vector<std::string>{"last"}));
    EXPECT_TRUE(Lines("").empty());
    std::string longLine(100000, 'x');
    longLine[99999] = 'y';
    EXPECT_EQ(Lines(longLine + "\r\nz"), (std::vector<std::string>{longLine, "z"}));
}

TEST(cfilef, FileExistsOnlyForAReadableFile)
{
    std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cfilef_test";
    std::filesystem::create_directories(dir);
    std::filesystem::path file = dir / "present.18o";
    std::ofstream(file) << "x\n";
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_FALSE(FileExists((dir / "absent.18o").c_str()));
    EXPECT_FALSE(FileExists(dir.c_str()));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(nullptr));
    std::filesystem::remove_all(dir);
}
