// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/TimeConverse.h"
#include "src/NominalSpan.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

mjd At(int y, int mo, int d, int h, int mi, double s)
{
    ymdhms t;
    t.Set(static_cast<unsigned short>(y), static_cast<unsigned short>(mo),
          static_cast<unsigned short>(d), static_cast<unsigned short>(h),
          static_cast<unsigned short>(mi), s);
    return ymdhms2mjd(t);
}

// The facts of epochs read from `first` to `last` at `interval`.
ReadFacts Read(const mjd& first, const mjd& last, float interval)
{
    ReadFacts f;
    f.first = first;
    f.last = last;
    f.interval = interval;
    return f;
}

std::string Span(const std::optional<NominalSpan>& n)
{
    if (!n) return "none";
    return std::to_string(n->start.GetMJDay()) + " " +
           std::to_string(static_cast<long>(n->start.GetSecond())) + " - " +
           std::to_string(n->end.GetMJDay()) + " " +
           std::to_string(static_cast<long>(n->end.GetSecond())) + " " + n->source + " " +
           std::to_string(n->epochs);
}

} // namespace

// 2022-06-08 is MJD 59738, day 159 of 2022.
TEST(NominalSpan, TheNamesPeriodFromItsStart)
{
    const RINEXHeader h; // no TIME OF LAST OBS
    const std::string name = "/data/KMS300DNK_R_20221591000_01H_30S_MO.crx.gz";
    // 19 epochs, 10:00 to 10:09 of an hour at 30 s: 120 promised
    EXPECT_EQ(Span(ShortOfNominalSpan(
                  h, Read(At(2022, 6, 8, 10, 0, 0), At(2022, 6, 8, 10, 9, 0), 30), name)),
              "59738 36000 - 59738 39570 FILE NAME 01H 120");
    // ending two intervals early is within the span; a third is not
    EXPECT_EQ(Span(ShortOfNominalSpan(
                  h, Read(At(2022, 6, 8, 10, 0, 0), At(2022, 6, 8, 10, 58, 30), 30), name)),
              "none");
    EXPECT_NE(Span(ShortOfNominalSpan(
                  h, Read(At(2022, 6, 8, 10, 0, 0), At(2022, 6, 8, 10, 58, 0), 30), name)),
              "none");
    // 15 minutes at 1 s
    EXPECT_EQ(
        Span(ShortOfNominalSpan(h, Read(At(2022, 11, 11, 17, 0, 0), At(2022, 11, 11, 17, 5, 0), 1),
                                "GRAS00FRA_R_20223151700_15M_01S_MO.crx.gz")),
        "59894 61200 - 59894 62099 FILE NAME 15M 900");
}

// A name that does not hold the data, a period of unknown length, a short name and a file
// without an interval promise nothing.
TEST(NominalSpan, NamesThatPromiseNothing)
{
    const RINEXHeader h;
    const ReadFacts hour = Read(At(2022, 6, 8, 10, 0, 0), At(2022, 6, 8, 10, 9, 0), 30);
    EXPECT_EQ(Span(ShortOfNominalSpan(h, hour, "KMS300DNK_R_20221601000_01H_30S_MO.crx")),
              "none"); // another day
    EXPECT_EQ(Span(ShortOfNominalSpan(h, hour, "KMS300DNK_R_20221591000_00U_30S_MO.crx")), "none");
    EXPECT_EQ(Span(ShortOfNominalSpan(h, hour, "kms31590.22o")), "none");
    EXPECT_EQ(Span(ShortOfNominalSpan(h, Read(hour.first, hour.last, -1),
                                      "KMS300DNK_R_20221591000_01D_30S_MO.crx")),
              "none");
}

// The header's TIME OF LAST OBS from its TIME OF FIRST OBS; of it and the name, the later end;
// a span of more than a year is no promise.
TEST(NominalSpan, TheHeadersLastObservation)
{
    RINEXHeader h;
    h.obsfirst = At(2022, 6, 8, 10, 0, 0);
    h.obslast = At(2022, 6, 8, 10, 29, 30);
    const ReadFacts read = Read(At(2022, 6, 8, 10, 0, 0), At(2022, 6, 8, 10, 9, 0), 30);
    EXPECT_EQ(Span(ShortOfNominalSpan(h, read, "kms31590.22o")),
              "59738 36000 - 59738 37770 TIME OF LAST OBS 60");
    EXPECT_EQ(Span(ShortOfNominalSpan(h, read, "KMS300DNK_R_20221591000_01H_30S_MO.crx")),
              "59738 36000 - 59738 39570 FILE NAME 01H 120");
    h.obslast = At(2024, 6, 8, 10, 29, 30);
    EXPECT_EQ(Span(ShortOfNominalSpan(h, read, "kms31590.22o")), "none");
}
