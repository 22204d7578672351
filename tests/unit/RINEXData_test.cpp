// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEXData.h"

#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>

using testing::ExitedWithCode;

namespace {

std::string Header(const std::string& types, const std::string& more = "")
{
    std::string line = types;
    line.resize(60, ' ');
    return line + "# / TYPES OF OBSERV\n" + more + std::string(60, ' ') + "END OF HEADER\n";
}

std::string Interval(const std::string& value)
{
    std::string line = value;
    line.resize(60, ' ');
    return line + "INTERVAL\n";
}

const std::string FiveTypes = Header("     5    C1    L1    L2    P2    S1");

// The header and the data read as the file driver reads them, with the given counts.
struct Store {
    RINEXHeader hd;
    RINEXData rd{hd};
    ObsTypeSet asked = EveryType(); // the types the reading is asked for
    void Read(const std::string& header, const std::string& data, long ne, long ns, bool tc = false)
    {
        std::istringstream in(header + data);
        in >> hd;
        rd.RINEXDataReset();
        rd.SetNRecords(static_cast<unsigned long>(ne), static_cast<unsigned long>(ns));
        rd.SetTimeCorr(tc);
        rd.SetData(TypesStored(hd, asked));
        rd.ReadRecords(in);
    }
};

// Reads in a death-test child: the frames of the classes go to standard error there.
void ReadFails(const std::string& header, const std::string& data, long ne, long ns)
{
    std::cout.rdbuf(std::cerr.rdbuf());
    Store s;
    s.Read(header, data, ne, ns);
}

std::string DataError(const std::string& text)
{
    return "\n#### RINEXData: Error -> " + text + " ####\n     Exiting RINEXData ... \n";
}

// One observation line of 5 types per satellite: C1 with LLI 1 and strength 7, L1 with strength
// only, L2 blank, P2 without flags, S1.
std::string Obs(int k)
{
    char line[100];
    std::snprintf(line, sizeof line, "%14.3f17%14.3f 5%14s  %14.3f  %14.3f", 20000000.0 + k,
                  100000000.0 + k, "", 20000001.0 + k, 40.0 + k);
    return std::string(line) + "\n";
}

} // namespace

TEST(RINEXData, EpochRecordsAreDecoded)
{
    std::string data = " 05  3 24 13 10 36.0000000  0  8G05G16G18G21G22G24G29G30\n";
    for (int k = 0; k < 8; k++) data += Obs(k);
    data += "a comment line between the epochs\n";
    data += " 05  3 24 13 11  6.0000000  1  5R01E11C06S20  5\n";
    for (int k = 8; k < 12; k++) data += Obs(k);
    data += "  20000012.000\n"; // a short line: the missing observations are null
    Store s;
    s.Read(FiveTypes, data, 2, 13);
    RINEXData& rd = s.rd;
    EXPECT_EQ(rd.epoch(0).GetMJDay(), 53453U); // 2005-03-24
    EXPECT_EQ(rd.epoch(0).GetSecond(), 13 * 3600 + 10 * 60 + 36.0L);
    EXPECT_EQ(rd.GetMJD(1).GetSecond(), 13 * 3600 + 11 * 60 + 6.0L);
    EXPECT_EQ(rd.flag(0), '0');
    EXPECT_EQ(rd.flag(1), '1');
    EXPECT_EQ(rd.nsat(0), 8);
    EXPECT_EQ(rd.nsat(1), 5);
    short sats[] = {5, 16, 18, 21, 22, 24, 29, 30, 101, 211, 306, 420, 5};
    for (int r = 0; r < 13; r++) EXPECT_EQ(rd.sat(r), sats[r]) << r;
    short list[] = {5, 16, 18, 21, 22, 24, 29, 30, 101, 211, 306, 420};
    ASSERT_EQ(rd.satList.NRow(), 12);
    for (int i = 0; i < 12; i++) EXPECT_EQ(rd.satList(i), list[i]);
    EXPECT_EQ(rd.Table(tC1)(3).obs, 20000003.0L);
    EXPECT_EQ(rd.Table(tC1)(3).lli, 1);
    EXPECT_EQ(rd.Table(tC1)(3).ss, 7);
    EXPECT_EQ(rd.Table(tL1)(3).obs, 100000003.0L);
    EXPECT_EQ(rd.Table(tL1)(3).lli, 0);
    EXPECT_EQ(rd.Table(tL1)(3).ss, 5);
    EXPECT_TRUE(rd.Table(tL2)(3).IsNull());
    EXPECT_EQ(rd.Table(tP2)(3).obs, 20000004.0L);
    EXPECT_EQ(rd.ShortTable(tS1)(11).obs, 51.0L);
    EXPECT_EQ(rd.Table(tC1)(12).obs, 20000012.0L);
    EXPECT_TRUE(rd.Table(tL1)(12).IsNull());
    EXPECT_TRUE(rd.ShortTable(tS1)(12).IsNull());
    // only the tables of the header's types are sized; the file has C1, so C1 stays its own
    EXPECT_EQ(rd.Table(tC2).NRow(), 0);
    EXPECT_EQ(rd.Table(tP1).NRow(), 0);
    EXPECT_EQ(rd.ShortTable(tS1).NRow(), 13);
    EXPECT_EQ(rd.TCorr.NRow(), 0);
    EXPECT_FALSE(s.hd.Lists(tP1));
    EXPECT_FALSE(s.rd.Has(tP1));
}

TEST(RINEXData, SixTypesTakeTwoLinesAndC1ComesFromP1)
{
    auto field = [](double v, const char* flags) {
        char f[20];
        std::snprintf(f, sizeof f, "%14.3f%s", v, flags);
        return std::string(f);
    };
    std::string data = " 10  3  5  0  0 30.0000000  0  2G13R19\n" + field(21000000.123, "  ") +
                       field(21000001.456, "16") + field(21000002, "  ") + field(21000003, "  ") +
                       field(21000004, "  ") + "\n" + field(21000005, "29") + "\n" +
                       field(22000000, "") + "\n" + field(22000005, "") + "\n";
    Store s;
    s.Read(Header("     6    P1    C2    P2    D1    D2    S2"), data, 1, 2);
    // the store holds C1, the header keeps what the file said
    EXPECT_TRUE(s.rd.Has(tC1));
    EXPECT_FALSE(s.hd.Lists(tC1));
    ASSERT_EQ(s.rd.Table(tC1).NRow(), 2);
    EXPECT_EQ(s.rd.Table(tC1)(0).obs, s.rd.Table(tP1)(0).obs);
    EXPECT_EQ(s.rd.Table(tC1)(1).obs, 22000000.0L);
    EXPECT_EQ(s.rd.Table(tC2)(0).lli, 1);
    EXPECT_EQ(s.rd.Table(tC2)(0).ss, 6);
    EXPECT_EQ(s.rd.ShortTable(tS2)(0).obs, 21000005.0L);
    EXPECT_EQ(s.rd.ShortTable(tS2)(1).obs, 22000005.0L);
    EXPECT_TRUE(s.rd.ShortTable(tD2)(1).IsNull());
}

// Only the chosen types are stored, with the values a full reading gives them; a type standing in
// for one the header lacks (P1 for C1, C2 for P2) is kept with it.
TEST(RINEXData, OnlyTheKeptTypesAreStored)
{
    std::string data = " 05  3 24 13 10 36.0000000  0  3G05G16R18\n";
    for (int k = 0; k < 3; k++) data += Obs(k);
    Store full, part;
    full.Read(FiveTypes, data, 1, 3);
    part.asked = ObsTypeSet().set(tL1).set(tS1);
    part.Read(FiveTypes, data, 1, 3);
    ASSERT_EQ(part.rd.Table(tL1).NRow(), 3);
    ASSERT_EQ(part.rd.ShortTable(tS1).NRow(), 3);
    for (long k = 0; k < 3; k++) {
        EXPECT_EQ(part.rd.Table(tL1)(k).obs, full.rd.Table(tL1)(k).obs);
        EXPECT_EQ(part.rd.Table(tL1)(k).ss, full.rd.Table(tL1)(k).ss);
        EXPECT_EQ(part.rd.ShortTable(tS1)(k).obs, full.rd.ShortTable(tS1)(k).obs);
    }
    EXPECT_EQ(part.rd.Table(tC1).NRow(), 0);
    EXPECT_EQ(part.rd.Table(tL2).NRow(), 0);
    EXPECT_EQ(part.rd.Table(tP2).NRow(), 0);
    // C1 and P2 kept, the header has neither: P1 and C2 are read for them
    const std::string standIns = Header("     5    P1    L1    L2    C2    S1");
    part.asked = ObsTypeSet().set(tC1).set(tP2);
    part.Read(standIns, data, 1, 3);
    ASSERT_EQ(part.rd.Table(tC1).NRow(), 3);
    EXPECT_EQ(part.rd.Table(tC1)(2).obs, 20000002.0L); // P1's values, copied after the reading
    EXPECT_EQ(part.rd.Table(tC2)(2).obs, 20000003.0L);
    EXPECT_EQ(part.rd.Table(tL1).NRow(), 0);
    EXPECT_EQ(part.rd.ShortTable(tS1).NRow(), 0);
    // the header has P2 itself: C2 is not read for it
    part.Read(Header("     3    C1    P2    C2"), " 05  3 24 13 10 36.0000000  0  1G05\n" + Obs(0),
              1, 1);
    EXPECT_EQ(part.rd.Table(tP2).NRow(), 1);
    EXPECT_EQ(part.rd.Table(tC2).NRow(), 0);
}

TEST(RINEXData, IntervalIsTheSmallestSpacing)
{
    // epochs at the given seconds of 2005-03-24
    auto interval = [](const std::string& header, std::initializer_list<int> seconds) {
        std::string data;
        for (int t : seconds) {
            char line[64];
            std::snprintf(line, sizeof line, " 05  3 24 %2d %2d %2d.0000000  0  1G05\n", t / 3600,
                          t / 60 % 60, t % 60);
            data += line + Obs(0);
        }
        Store s;
        s.Read(header, data, static_cast<long>(seconds.size()), static_cast<long>(seconds.size()));
        // the header keeps its own interval
        EXPECT_FLOAT_EQ(s.hd.GetInterval(), header == FiveTypes ? -1.0f : 30.0f);
        return s.rd.spacing;
    };
    std::string header30 = Header("     5    C1    L1    L2    P2    S1", Interval("    30.000"));
    EXPECT_FLOAT_EQ(interval(header30, {600, 615, 630}), 15.0f);
    EXPECT_FLOAT_EQ(interval(header30, {600, 660}), 60.0f);
    EXPECT_FLOAT_EQ(interval(FiveTypes, {600, 601, 602}), 1.0f);
    EXPECT_FLOAT_EQ(interval(FiveTypes, {600}), 0.0f);
    // two epochs at the same time say nothing of the spacing
    EXPECT_FLOAT_EQ(interval(FiveTypes, {600, 600, 630}), 30.0f);
    EXPECT_FLOAT_EQ(interval(FiveTypes, {600, 600}), 0.0f);
}

TEST(RINEXData, StepAcrossMidnightDoesNotLowerTheInterval)
{
    std::string data = " 05  3 24 23 59 30.0000000  0  1G05\n" + Obs(0) +
                       " 05  3 25  0  0  0.0000000  0  1G05\n" + Obs(1);
    Store s;
    s.Read(Header("     5    C1    L1    L2    P2    S1", Interval("    30.000")), data, 2, 2);
    EXPECT_FLOAT_EQ(s.hd.interval, 30.0f);
    EXPECT_EQ(s.rd.obslast.GetMJDay(), 53454U);
}

TEST(RINEXData, ClockOffsetsFromColumns69To80)
{
    std::string first = " 10  3  5  0  0  0.0000000  0  1G13";
    first.resize(68, ' ');
    std::string data =
        first + "-0.123456789\n" + Obs(0) + " 10  3  5  0  0 30.0000000  0  1G13\n" + Obs(1);
    Store s;
    s.Read(FiveTypes, data, 2, 2, true);
    ASSERT_EQ(s.rd.TCorr.NRow(), 2);
    EXPECT_DOUBLE_EQ(static_cast<double>(s.rd.TCorr(0)), -0.123456789);
    EXPECT_EQ(s.rd.TCorr(1), 0.0L);
}

TEST(RINEXData, UnknownSystemsAreNumberedApartFromGps)
{
    std::string data = " 15  2 13  0  0  0.0000000  0  3J01I05G05\n" + Obs(0) + Obs(1) + Obs(2);
    Store s;
    s.Read(FiveTypes, data, 1, 3);
    EXPECT_EQ(s.rd.sat(0), 501);
    EXPECT_EQ(s.rd.sat(1), 605);
    EXPECT_EQ(s.rd.sat(2), 5);
    ASSERT_EQ(s.rd.satList.NRow(), 3);
    EXPECT_EQ(s.rd.satList(0), 5);
}

TEST(RINEXData, IdentifierWithoutANumberIsRefused)
{
    std::string data = " 15  2 13  1  0 30.0000000  0  2G05G1X\n" + Obs(0) + Obs(1);
    EXPECT_EXIT(
        ReadFails(FiveTypes, data, 1, 2), ExitedWithCode(1),
        testing::Eq(DataError("SATELLITE IDENTIFIER \"G1X\" OF EPOCH 2015-02-13 01:00:30.0000000 "
                              "IS NOT VALID!")));
    // an epoch line that lists fewer satellites than it counts
    data = " 15  2 13  1  0 30.0000000  0  2G05\n" + Obs(0) + Obs(1);
    EXPECT_EXIT(
        ReadFails(FiveTypes, data, 1, 2), ExitedWithCode(1),
        testing::Eq(DataError("SATELLITE IDENTIFIER \"   \" OF EPOCH 2015-02-13 01:00:30.0000000 "
                              "IS NOT VALID!")));
}

// A record the file ends inside (in its observations or in its satellite list) is left out
// whole, and its epoch line kept for the file driver's warning; the epochs before it are read.
TEST(RINEXData, FileEndingInsideARecordLeavesItOut)
{
    const std::string first = " 15  2 13  1  0  0.0000000  0  1G05\n" + Obs(0);
    for (const std::string& cut : {" 15  2 13  1  0 30.0000000  0  2G05G07\n" + Obs(1),
                                   std::string(" 15  2 13  1  0 30.0000000  0 13G01G02G03G04G05G06"
                                               "G07G08G09G10G11G12\n")}) {
        Store s;
        s.Read(FiveTypes, first + cut, 0, 0);
        EXPECT_EQ(s.rd.cutEpoch, cut.substr(0, cut.find('\n')));
        EXPECT_EQ(s.rd.GetNEpoch(), 1);
        EXPECT_EQ(s.rd.GetNObs(), 1);
        EXPECT_EQ(s.rd.obslast.GetSecond(), 3600.0L);
        EXPECT_EQ(s.rd.Table(tC1).NRow(), 1);
        EXPECT_EQ(s.rd.Table(tC1)(0).obs, 20000000.0L);
    }
}

// The tables grow as they are filled, whatever room they were given at first, and end at the
// epochs and records read; a store without an epoch or a record is refused.
TEST(RINEXData, TablesGrowToWhatIsRead)
{
    std::string data;
    for (int e = 0; e < 300; e++) {
        char line[64];
        std::snprintf(line, sizeof line, " 15  2 13  1 %2d %2d.0000000  0  2G05G07\n", e / 60,
                      e % 60);
        data += line + Obs(2 * e) + Obs(2 * e + 1);
    }
    for (long room : {0L, 1L, 600L, 5000L}) {
        Store s;
        s.Read(FiveTypes, data, room, room);
        EXPECT_EQ(s.rd.GetNEpoch(), 300) << room;
        EXPECT_EQ(s.rd.GetNObs(), 600) << room;
        EXPECT_EQ(s.rd.nsat.NRow(), 300) << room;
        EXPECT_EQ(s.rd.sat.NRow(), 600) << room;
        EXPECT_EQ(s.rd.ShortTable(tS1).NRow(), 600) << room;
        EXPECT_EQ(s.rd.Table(tC1)(599).obs, 20000599.0L) << room;
        EXPECT_EQ(s.rd.Table(tL1)(0).obs, 100000000.0L) << room;
        EXPECT_EQ(s.rd.sat(599), 7) << room;
        EXPECT_EQ(s.rd.epoch(299).GetSecond(), 3600 + 4 * 60 + 59.0L) << room;
        EXPECT_TRUE(s.rd.Table(tL2)(321).IsNull()) << room;
    }
    auto readAll = [](const std::string& text) {
        std::cout.rdbuf(std::cerr.rdbuf());
        Store s;
        s.Read(FiveTypes, text, 0, 0);
        s.rd.RequireRecords();
    };
    EXPECT_EXIT(readAll("no epoch at all\n"), ExitedWithCode(1),
                testing::Eq(DataError("NUMBER OF EPOCH IN RINEX FILE NOT DETERMINED!")));
    EXPECT_EXIT(readAll(" 15  2 13  1  0 30.0000000  0  0 \n"), ExitedWithCode(1),
                testing::Eq(DataError("NUMBER OF OBSERVATIONS IN RINEX FILE NOT DETERMINED!")));
}

// Each piece of the satellite list ends where its line ends (trailing blanks dropped), so a
// line that holds fewer than 12 identifiers does not shift the identifiers after it.
TEST(RINEXData, SatelliteListPiecesEndWhereTheirLineEnds)
{
    auto ids = [](int first, int last) {
        std::string s;
        for (int k = first; k <= last; k++) s += (k < 10 ? "G0" : "G") + std::to_string(k);
        return s;
    };
    auto records = [](int n) {
        std::string obs;
        for (int k = 0; k < n; k++) obs += Obs(k);
        return obs;
    };
    const std::string cont(32, ' ');
    // 13 satellites as 11 + 2; 30 as 12 + 10 + 8; 13 as 11 + 2 with a clock offset after the list
    std::string withClock = " 15  2 13  0  0  0.0000000  0 13" + ids(1, 11);
    withClock.resize(68, ' ');
    const std::string data = withClock + " 0.000123456\n" + cont + ids(12, 13) + "\n" +
                             records(13) + " 15  2 13  0  0 30.0000000  0 30" + ids(1, 12) + "\n" +
                             cont + ids(13, 22) + "   \n" + cont + ids(23, 30) + "\n" +
                             records(30) + " 15  2 13  0  1  0.0000000  0 13" + ids(1, 11) + "\n" +
                             cont + ids(12, 13) + "\n" + records(13);
    Store s;
    s.Read(FiveTypes, data, 3, 56);
    long r = 0;
    for (int n : {13, 30, 13})
        for (int k = 1; k <= n; k++, r++) EXPECT_EQ(s.rd.sat(r), k) << "record " << r;
    EXPECT_EQ(s.rd.Table(tC1)(55).obs, 20000012.0L); // the last record keeps its own values
    // the first epoch line tells that the epoch lines carry clock offsets
    EXPECT_DOUBLE_EQ(static_cast<double>(s.rd.TCorr(0)), 0.000123456);
}
