// SPDX-License-Identifier: BSD-2-Clause
// Tests of kestrova-densify's interpolation on small files of one satellite and two types (C1,
// L1): the file's own epochs, exactness on a smooth series, flags, gaps and event records.
#include "tools/densify/Densify.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kHeader =
    "     2.11           OBSERVATION DATA    G (GPS)             RINEX VERSION / TYPE\n"
    "     2    C1    L1                                          # / TYPES OF OBSERV\n"
    "    30.000                                                  INTERVAL\n"
    "                                                            END OF HEADER\n";

// The epoch line at `sec` seconds after 2015-02-13 00:00.
std::string EpochLine(int sec, int flag, const std::string& sats)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, " 15  2 13  0 %2d%11.7f  %d%3zu", sec / 60, double(sec % 60),
                  flag, sats.size() / 3);
    return buf + sats;
}

// One F14.3 field with its loss-of-lock and strength digits ("" for a blank value).
std::string Field(const std::string& value, const char* flags = "  ")
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%14s", value.c_str());
    return buf + std::string(flags);
}

std::string Num(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

// A smooth series, in metres at seconds `t`: every second's value is a whole millimetre.
double Quadratic(int t) { return 21000000.0 + 0.5 * t + 0.002 * t * t; }

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The observation line of G01 at `sec` seconds, or "none" when no epoch is written then.
std::string ObsAt(const std::string& out, int sec)
{
    const std::vector<std::string> lines = Lines(out);
    const std::string epoch = EpochLine(sec, 0, "G01");
    const auto it = std::find(lines.begin(), lines.end(), epoch);
    return it == lines.end() || it + 1 == lines.end() ? "none" : *(it + 1);
}

// Field k (0 C1, 1 L1) of an observation line, with its two digits, blank beyond the line's end.
std::string FieldIn(const std::string& line, std::size_t k)
{
    std::string field = line.size() > 16 * k ? line.substr(16 * k, 16) : "";
    field.resize(16, ' ');
    return field;
}

std::string C1At(const std::string& out, int sec)
{
    return FieldIn(ObsAt(out, sec), 0).substr(0, 14);
}

std::string C1On(double metres) { return Field(Num(metres)).substr(0, 14); }

// A file of G01 at the given seconds: C1 on the quadratic, L1 given per epoch.
std::string File(const std::vector<int>& secs, const std::vector<std::string>& l1)
{
    std::string text = kHeader;
    for (std::size_t k = 0; k < secs.size(); ++k)
        text += EpochLine(secs[k], 0, "G01") + "\n" + Field(Num(Quadratic(secs[k]))) + l1[k] + "\n";
    return text;
}

std::string SmoothFile(const std::vector<int>& secs)
{
    std::vector<std::string> l1;
    for (int s : secs) l1.push_back(Field(Num(Quadratic(s) / 0.19), " 6"));
    return File(secs, l1);
}

TEST(Densify, KeepsTheFileEpochsAndWritesEverySecond)
{
    const std::string in = SmoothFile({0, 30, 60, 90, 120});
    const std::string out = densify::Densify(in);
    for (int s : {0, 30, 60, 90, 120}) EXPECT_EQ(ObsAt(out, s), Lines(in)[5 + 2 * (s / 30)]) << s;
    const std::vector<std::string> lines = Lines(out);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind(" 15  2 13", 0) == 0; }),
              121);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "     1.000                                                  INTERVAL"),
              lines.end());
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& l) { return l.find("INTERVAL") != std::string::npos; }),
        1);
}

TEST(Densify, QuadraticSeriesIsExactInsideAndAtTheEndsOfAnArc)
{
    const std::string out = densify::Densify(SmoothFile({0, 30, 60, 90, 120}));
    for (int s : {1, 17, 29, 31, 45, 59, 61, 89, 91, 119})
        EXPECT_EQ(C1At(out, s), C1On(Quadratic(s))) << s;
}

TEST(Densify, CarriesFlagsAndStrengthsButNeverInterpolatesAcrossALossOfLock)
{
    const std::string out = densify::Densify(
        File({0, 30, 60, 90, 120}, {Field("1000.000", "47"), Field("2000.000", " 5"),
                                    Field("3000.000", "53"), Field("4000.000"), Field("")}));
    EXPECT_EQ(FieldIn(ObsAt(out, 10), 1), Field("1333.333", "47"));
    EXPECT_EQ(FieldIn(ObsAt(out, 40), 1), Field("")); // a slip at 60: no L1 before it
    EXPECT_EQ(C1At(out, 40), C1On(Quadratic(40)));    // while C1 runs on
    // the loss-of-lock bit of 60 marks the time before it and is not repeated after it
    EXPECT_EQ(FieldIn(ObsAt(out, 70), 1), Field("3333.333", "43"));
    EXPECT_EQ(FieldIn(ObsAt(out, 100), 1), Field("")); // L1 blank at 120: left blank
}

TEST(Densify, DoesNotBridgeAGapOfMoreThanOneInterval)
{
    const std::string out = densify::Densify(SmoothFile({0, 30, 90, 120, 150}));
    EXPECT_EQ(ObsAt(out, 60), "none");
    EXPECT_EQ(ObsAt(out, 31), "none");
    // after the gap the arc starts again from 90; before it only 0 and 30 are linked, so the
    // line through them (the epoch at 90 would have made the quadratic exact)
    EXPECT_EQ(C1At(out, 91), C1On(Quadratic(91)));
    EXPECT_EQ(C1At(out, 29), C1On(Quadratic(0) + (Quadratic(30) - Quadratic(0)) * 29 / 30));
}

TEST(Densify, EventRecordsStayAtTheirTime)
{
    std::string in = SmoothFile({0, 30, 60});
    const std::string event = EpochLine(30, 4, "").substr(0, 29) + "  1";
    in.insert(in.find(EpochLine(30, 0, "G01")),
              event + "\nmoved                                                       COMMENT\n");
    const std::vector<std::string> lines = Lines(densify::Densify(in));
    const auto at = std::find(lines.begin(), lines.end(), event);
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at - 2), EpochLine(29, 0, "G01"));
    EXPECT_EQ(*(at + 2), EpochLine(30, 0, "G01"));
}

TEST(Densify, MalformedFilesAreErrors)
{
    const std::string good = SmoothFile({0, 30});
    const std::string last = EpochLine(30, 0, "G01") + "\n";
    EXPECT_THROW(densify::Densify(good.substr(0, good.find(last) + last.size())),
                 densify::DensifyError);
    EXPECT_THROW(densify::Densify(std::string(kHeader).replace(5, 1, "3") + "\n"),
                 densify::DensifyError);
    std::string badValue = good;
    badValue.replace(badValue.rfind("21000"), 5, "2x000");
    EXPECT_THROW(densify::Densify(badValue), densify::DensifyError);
    EXPECT_THROW(densify::Densify("no header"), densify::DensifyError);
}

} // namespace
