// SPDX-License-Identifier: BSD-2-Clause
#include "PROGINC/cfilef.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

namespace {

Lines Read(const std::string& text)
{
    std::istringstream in(text);
    Lines out;
    for (std::string line = "stale"; ReadLine(in, line);) out.push_back(line);
    return out;
}

} // namespace

TEST(cfilef, ReadLineDropsTheLineEndOnly)
{
    EXPECT_EQ(Read("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(Read("a\n\n b \r\n"), (Lines{"a", "", " b "}));
    EXPECT_EQ(Read("a\rb\r\r\n"), (Lines{"a\rb\r"}));
    EXPECT_EQ(Read("first\nlast"), (Lines{"first", "last"}));
    EXPECT_TRUE(Read("").empty());
    std::string longLine = std::string(99999, 'x') + "y";
    EXPECT_EQ(Read(longLine + "\r\nz"), (Lines{longLine, "z"}));
}

TEST(cfilef, FileExistsOnlyForAReadableFile)
{
    std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "cfilef_test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "present.18o") << "x\n";
    EXPECT_TRUE(FileExists((dir / "present.18o").c_str()));
    EXPECT_FALSE(FileExists((dir / "absent.18o").c_str()) || FileExists(dir.c_str()) ||
                 FileExists("") || FileExists(nullptr));
    std::filesystem::remove_all(dir);
}
