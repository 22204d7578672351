// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXHeader.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

using testing::ExitedWithCode;

namespace {

// A header line: the fields blank-filled to column 60, then the label.
std::string L(const std::string& fields, const std::string& label)
{
    std::string line = fields;
    line.resize(60, ' ');
    return line + label + "\n";
}

const std::string End = L("", "END OF HEADER");

// Reads the header and returns what the reader wrote to standard output.
std::string Read(RINEXHeader& hd, const std::string& text, std::string* rest = nullptr)
{
    std::istringstream in(text);
    testing::internal::CaptureStdout();
    in >> hd;
    std::string out = testing::internal::GetCapturedStdout();
    if (rest != nullptr) std::getline(in, *rest);
    return out;
}

std::string Warning(const std::string& text, unsigned long n)
{
    return "\n#### RINEXHeader: Warning -> " + text + " -> line: " + std::to_string(n) +
           " ####\n     Continuing RINEXHeader ... \n\n";
}

std::string TypesLine(int count, const std::string& types)
{
    char c[8];
    std::snprintf(c, sizeof c, "%6d", count);
    return L(c + types, "# / TYPES OF OBSERV");
}

// A continuation line of a types record: columns 1-6 blank.
std::string TypesMore(const std::string& types, const std::string& label = "# / TYPES OF OBSERV")
{
    return L(std::string(6, ' ') + types, label);
}

void ReadText(const std::string& text)
{
    RINEXHeader hd;
    std::istringstream in(text);
    in >> hd;
}

} // namespace

TEST(RINEXHeader, FieldsOfEveryLabel)
{
    RINEXHeader hd;
    std::string rest;
    std::string out = Read(
        hd,
        L("     2.11           OBSERVATION DATA    M (MIXED)", "RINEX VERSION / TYPE") +
            L("teqc  2014Jan16     NOAA/NOS/NGS/CORS   20150214 03:36:45UTC",
              "PGM / RUN BY / DATE") +
            L("YORK", "MARKER NAME") + L("84", "MARKER NUMBER") +
            L("Charles Harpster    PADT", "OBSERVER / AGENCY") +
            L("0220247558          TRIMBLE 5700        NP 1.00 / SP 1.22", "REC # / TYPE / VERS") +
            L("0220167001           TRM33429.00+GP  ", "ANT # / TYPE") +
            L("  1122459.2250 -4763243.0070  4076945.5470", "APPROX POSITION XYZ") +
            L("        1.5000        0.2000        0.3000", "ANTENNA: DELTA H/E/N") +
            L("     1     2", "WAVELENGTH FACT L1/2") +
            TypesLine(5, "    L1    L2    C1    P1    P2") + L("    30.000", "INTERVAL") +
            L("  2015     2    13     0     0    0.0000000     GPS", "TIME OF FIRST OBS") +
            L("  2015     2    13    23    59   30.0000000     GLO", "TIME OF LAST OBS") +
            L("    16", "LEAP SECONDS") + L("a remark", "COMMENT") + End +
            " 15  2 13  0  0  0.0000000  0  1G07\n",
        &rest);
    EXPECT_EQ(out, "");
    EXPECT_FLOAT_EQ(hd.version, 2.11f);
    EXPECT_EQ(hd.type, 'O');
    EXPECT_EQ(hd.satsystems, 'M');
    EXPECT_STREQ(hd.creator.program, "teqc  2014Jan16");
    EXPECT_STREQ(hd.creator.runBy, "NOAA/NOS/NGS/CORS");
    EXPECT_STREQ(hd.creator.date, "20150214 03:36:45UTC");
    EXPECT_STREQ(hd.marker.name, "YORK");
    EXPECT_STREQ(hd.marker.number, "84");
    EXPECT_STREQ(hd.observer.name, "Charles Harpster");
    EXPECT_STREQ(hd.observer.agency, "PADT");
    EXPECT_STREQ(hd.receiver.number, "0220247558");
    EXPECT_STREQ(hd.receiver.type, "TRIMBLE 5700");
    EXPECT_STREQ(hd.receiver.version, "NP 1.00 / SP 1.22");
    // the antenna fields keep their blanks
    EXPECT_STREQ(hd.antenna.number, "0220167001          ");
    EXPECT_STREQ(hd.antenna.type, " TRM33429.00+GP     ");
    EXPECT_TRUE(hd.xyz0read);
    EXPECT_DOUBLE_EQ(static_cast<double>(hd.X0.y), -4763243.007);
    EXPECT_TRUE(hd.neuread);
    EXPECT_DOUBLE_EQ(static_cast<double>(hd.Dp.u), 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(hd.Dp.e), 0.2);
    EXPECT_DOUBLE_EQ(static_cast<double>(hd.Dp.n), 0.3);
    EXPECT_EQ(hd.wavelengthFactors[0], '1');
    EXPECT_EQ(hd.wavelengthFactors[1], '2');
    EXPECT_FLOAT_EQ(hd.interval, 30.0f);
    EXPECT_EQ(hd.obsfirst.GetMJDay(), 57066U);
    EXPECT_EQ(hd.obsfirst.GetSecond(), 0.0L);
    EXPECT_EQ(hd.obslast.GetSecond(), 86370.0L);
    EXPECT_STREQ(hd.obsfirstts, "GPS");
    EXPECT_STREQ(hd.obslastts, "GLO");
    // the stream stands at the first line after the header
    EXPECT_EQ(rest, " 15  2 13  0  0  0.0000000  0  1G07");
}

TEST(RINEXHeader, TypesAndTheirFlags)
{
    RINEXHeader hd;
    Read(hd, TypesLine(5, "    L1    L2    C1    P1    P2") + End);
    ASSERT_EQ(hd.nobs, 5);
    unsigned short codes[] = {tL1, tL2, tC1, tP1, tP2};
    for (int i = 0; i < 5; i++) EXPECT_EQ(hd.obs(i), codes[i]);
    for (unsigned short k = 0; k < NObsTypes; k++)
        EXPECT_EQ(hd.types[k], k == tL1 || k == tL2 || k == tC1 || k == tP1 || k == tP2)
            << NameOf(k);
    EXPECT_TRUE(hd.Lists(tC1) && hd.Lists(tP1) && hd.Lists(tP2) && !hd.Lists(tC2));

    // band 3 is flagged; a pair that is not a known type selects nothing
    Read(hd, TypesLine(3, "    C3    l1    XX") + End);
    EXPECT_EQ(hd.obs(0), 10);
    EXPECT_TRUE(hd.types[tC3]);
    EXPECT_EQ(hd.obs(1), tUnknown);
    EXPECT_EQ(hd.obs(2), tUnknown);
    EXPECT_FALSE(hd.types[tL1]);
}

TEST(RINEXHeader, ContinuationLinesOfTheTypesRecord)
{
    const std::string nine = "    C1    P1    L1    S1    D1    C2    P2    L2    S2";
    const std::string more = "    D2    C5    L5    D5    S5    C6    L6    D6    S6";
    RINEXHeader hd;
    // 9 types: no continuation; the next line is a header line of its own
    Read(hd, TypesLine(9, nine) + L("NINE", "MARKER NAME") + End);
    EXPECT_EQ(hd.nobs, 9);
    EXPECT_STREQ(hd.marker.name, "NINE");
    // 12 types: one continuation line, taken even though it carries another label
    Read(hd, TypesLine(12, nine) + TypesMore("    D2    C5    L5", "MARKER NAME") +
                 L("AFTER", "MARKER NAME") + End);
    ASSERT_EQ(hd.nobs, 12);
    EXPECT_EQ(hd.obs(9), tD2);
    EXPECT_EQ(hd.obs(11), tL5);
    EXPECT_STREQ(hd.marker.name, "AFTER");
    // 19 types: two continuation lines
    Read(hd, TypesLine(19, nine) + TypesMore(more) + TypesMore("    C7") + End);
    ASSERT_EQ(hd.nobs, 19);
    EXPECT_EQ(hd.obs(17), tS6);
    EXPECT_EQ(hd.obs(18), tC7);
    // a short first line leaves its missing types blank; the next line's types keep their places
    Read(hd, TypesLine(10, "    L1") + TypesMore("    L2") + End);
    EXPECT_EQ(hd.obs(0), tL1);
    EXPECT_EQ(hd.obs(1), tUnknown);
    EXPECT_EQ(hd.obs(9), tL2);
}

TEST(RINEXHeader, RepeatedLinesAreReportedWithTheirLineNumbers)
{
    RINEXHeader hd;
    std::string out =
        Read(hd, L("FIRST", "MARKER NAME") +
                     TypesLine(12, "    C1    P1    L1    S1    D1    C2    P2    L2    S2") +
                     TypesMore("    D2    C5    L5") + L("SECOND", "MARKER NAME") +
                     L("    30.000", "INTERVAL") + L("    15.000", "INTERVAL") +
                     L("", "MARKER NUMBER") + L("", "MARKER NUMBER") + End);
    // line 4 is the second name: the continuation line of the types record counts as a line
    EXPECT_EQ(out, Warning("ADDITIONAL \"MARKER NAME\" HEADER LINE", 4) +
                       Warning("ADDITIONAL \"INTERVAL\" HEADER LINE", 6));
    EXPECT_STREQ(hd.marker.name, "SECOND");
    EXPECT_FLOAT_EQ(hd.interval, 15.0f);

    // an interval of 0 is no interval; blank fields leave nothing to repeat
    out = Read(hd, L("     0.000", "INTERVAL") + L("    30.000", "INTERVAL") + End);
    EXPECT_EQ(out, "");
    EXPECT_FLOAT_EQ(hd.interval, 30.0f);

    out = Read(hd, L("     2.11           OBSERVATION DATA    G", "RINEX VERSION / TYPE") +
                       L("     2.10           OBSERVATION DATA    G", "RINEX VERSION / TYPE") +
                       L("  1.0  2.0  3.0", "APPROX POSITION XYZ") +
                       L("  1.0  2.0  3.0", "APPROX POSITION XYZ") +
                       L("RECEIVER            TYPE", "REC # / TYPE / VERS") +
                       L("RECEIVER            TYPE", "REC # / TYPE / VERS") + End);
    EXPECT_EQ(out, Warning("ADDITIONAL \"RINEX VERSION / TYPE\" HEADER LINE", 2) +
                       Warning("ADDITIONAL \"APPROX POSITION XYZ\" HEADER LINE", 4) +
                       Warning("ADDITIONAL \"REC # / TYPE / VERS\" HEADER LINE", 6));
    EXPECT_FLOAT_EQ(hd.version, 2.10f);

    // ReadHeader notes the warnings without a word: its reader writes them where they belong
    std::istringstream in(L("A", "MARKER NAME") + L("B", "MARKER NAME") + End);
    testing::internal::CaptureStdout();
    ReadHeader(in, hd);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(hd.warnings.size(), 1U);
    EXPECT_EQ(hd.warnings[0], "ADDITIONAL \"MARKER NAME\" HEADER LINE -> line: 2");
    EXPECT_EQ(hd.lineNumber, 3U);
}

TEST(RINEXHeader, LabelsAreFoundAnywhereInTheLine)
{
    RINEXHeader hd;
    // a comment naming an earlier label is that label's line
    Read(hd, L("    10.000 INTERVAL CHANGED", "COMMENT") + End);
    EXPECT_FLOAT_EQ(hd.interval, 10.0f);
    // a line of any length is read, and the lines after it too
    Read(hd, L("LONG", "MARKER NAME") + std::string(120, 'x') + "COMMENT\n" +
                 std::string(300, ' ') + "\n" + L("    30.000", "INTERVAL") + End);
    EXPECT_STREQ(hd.marker.name, "LONG");
    EXPECT_FLOAT_EQ(hd.interval, 30.0f);
}

TEST(RINEXHeader, HeaderWithoutEndStopsAtTheEndOfTheInput)
{
    RINEXHeader hd;
    Read(hd, L("NO END", "MARKER NAME") + L("    30.000", "INTERVAL"));
    EXPECT_STREQ(hd.marker.name, "NO END");
    EXPECT_FLOAT_EQ(hd.interval, 30.0f);
    // the record is reset by every read
    Read(hd, End);
    EXPECT_STREQ(hd.marker.name, "");
    EXPECT_FLOAT_EQ(hd.interval, -1.0f);
    EXPECT_STREQ(hd.obsfirstts, "");
}

TEST(RINEXHeader, SecondTypesRecord)
{
    RINEXHeader hd;
    // a second record with its own count replaces the first, flags included
    std::string out =
        Read(hd, TypesLine(2, "    L1    C1") + TypesLine(3, "    L2    P2    C2") + End);
    EXPECT_EQ(out, Warning("ADDITIONAL \"# / TYPES OF OBSERV\" HEADER LINE", 2));
    ASSERT_EQ(hd.nobs, 3);
    EXPECT_EQ(hd.obs(0), tL2);
    EXPECT_TRUE(hd.types[tL2] && hd.types[tP2] && hd.types[tC2]);
    EXPECT_FALSE(hd.types[tL1] || hd.types[tC1]);
    // a line without a count after a complete record is a continuation the count did not ask
    // for: reported, and its types are not taken
    out = Read(hd, TypesLine(9, "    C1    P1    L1    S1    D1    C2    P2    L2    S2") +
                       TypesMore("    D2") + End);
    EXPECT_EQ(out, Warning("ADDITIONAL \"# / TYPES OF OBSERV\" HEADER LINE", 2));
    EXPECT_EQ(hd.nobs, 9);
    EXPECT_FALSE(hd.types[tD2]);
}

TEST(RINEXHeader, TypesRecordOfUpTo81Types)
{
    // 81 types on 9 lines: the most one record holds
    std::string text;
    for (int line = 0; line < 9; line++) {
        std::string fields = line == 0 ? "    81" : "      ";
        for (int i = 0; i < 9; i++)
            fields += std::string("    ") + NameOf((line * 9 + i) % NObsTypes);
        text += L(fields, "# / TYPES OF OBSERV");
    }
    RINEXHeader hd;
    Read(hd, text + L("AFTER", "MARKER NAME") + End);
    ASSERT_EQ(hd.nobs, 81);
    EXPECT_EQ(hd.obs(80), 80 % NObsTypes);
    EXPECT_STREQ(hd.marker.name, "AFTER");
}

TEST(RINEXHeader, TypesCountBeyondARecordIsRefused)
{
    const char* frame =
        "\n#### RINEXHeader: Error -> NUMBER OF TYPES IN \"# / TYPES OF OBSERV\" HEADER "
        "LINE NOT IN 0 TO 81 -> line: 2 ####\n     Exiting RINEXHeader ... \n";
    for (int count : {82, -1}) {
        std::string text = L("X", "MARKER NAME") + TypesLine(count, "    L1") + End;
        EXPECT_EXIT(
            {
                std::cout.rdbuf(std::cerr.rdbuf());
                ReadText(text);
            },
            ExitedWithCode(1), testing::Eq(frame))
            << count;
    }
}

// RINEX 4 keeps the program history in several "PGM / RUN BY / DATE" lines, the latest first,
// and adds records RINEX 3 lacks: read without a warning, the first program kept. A RINEX 3
// header with the same lines still reports the repeated one.
TEST(RINEXHeader, Rinex4RecordsAndProgramHistory)
{
    const std::string programs =
        L("GFZRNX-2.1.0        FILE MERGE          20240504 001530 UTC", "PGM / RUN BY / DATE") +
        L("RECEIVER-CONV       STATION             20240503 000000 UTC", "PGM / RUN BY / DATE");
    const std::string rest =
        programs + L("10.5880/GFZ.1.1.2020.001", "DOI") + L("CC BY 4.0", "LICENSE OF USE") +
        L("30 S DATA, https://network.igs.org/SITE00XXX INTERVAL", "STATION INFORMATION") +
        L("SITE", "MARKER NAME") + L("    15.000", "INTERVAL") +
        L("G    2 C1C L1C", "SYS / # / OBS TYPES") + End;
    const std::string version = "OBSERVATION DATA    M (MIXED)";
    RINEXHeader v4;
    EXPECT_EQ(Read(v4, L("     4.01           " + version, "RINEX VERSION / TYPE") + rest), "");
    EXPECT_STREQ(v4.creator.program, "GFZRNX-2.1.0");
    EXPECT_STREQ(v4.marker.name, "SITE");
    EXPECT_FLOAT_EQ(v4.interval, 15.0f);
    RINEXHeader v3;
    EXPECT_EQ(
        Read(v3, L("     3.05           " + version, "RINEX VERSION / TYPE") + programs + End),
        Warning("ADDITIONAL \"PGM / RUN BY / DATE\" HEADER LINE", 3));
}
