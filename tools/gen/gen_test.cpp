// SPDX-License-Identifier: BSD-2-Clause
// Tests of the generator: the written text against the layouts readers expect and
// against the values the library reports, clock jumps, COMPACT2 record counting and
// the channel-file columns.
#include "tools/gen/RinexGen.h"
#include "tools/gen/TextBuffer.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class GenTest : public testing::Test {
  protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("kestrova-gen-" +
                std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Columns a..b (1-based, inclusive) of a line, blank beyond its end.
std::string Cols(const std::string& line, std::size_t a, std::size_t b)
{
    std::string s = line.size() >= a ? line.substr(a - 1, b - a + 1) : "";
    s.resize(b - a + 1, ' ');
    return s;
}

double Num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

// Observation values of a RINEX file, [epoch][satellite][type], read by column.
using FileValues = std::vector<std::vector<std::vector<double>>>;

// Walks the data part of a file written by WriteRinex with `ntypes` types, checking the
// epoch-line layout and returning the values; `epochLines` receives each epoch line.
FileValues ReadData(const std::vector<std::string>& lines, std::size_t ntypes,
                    std::vector<std::string>* epochLines = nullptr)
{
    std::size_t i = 0;
    while (i < lines.size() && lines[i].find("END OF HEADER") == std::string::npos) ++i;
    FileValues all;
    for (++i; i < lines.size();) {
        const std::string& e = lines[i++];
        EXPECT_GT(e.size(), 32u) << e;
        EXPECT_EQ(e[0], ' ');
        EXPECT_EQ(e[18], '.') << e;
        for (std::size_t c = 19; c < 26; ++c)
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(e[c]))) << e;
        if (epochLines) epochLines->push_back(e);
        const std::size_t n = static_cast<std::size_t>(std::atoi(Cols(e, 30, 32).c_str()));
        for (std::size_t cont = 12; cont < n; cont += 12) {
            EXPECT_EQ(Cols(lines[i], 1, 32), std::string(32, ' '));
            ++i;
        }
        std::vector<std::vector<double>> sats(n);
        for (auto& values : sats) {
            std::string text;
            for (std::size_t l = 0; l < (ntypes + 4) / 5; ++l) {
                EXPECT_LE(lines[i].size(), 80u);
                text += Cols(lines[i++], 1, 80);
            }
            for (std::size_t k = 0; k < ntypes; ++k) values.push_back(Num(text.substr(16 * k, 14)));
        }
        all.push_back(sats);
    }
    return all;
}

double TruthValue(const kgen::GenObs& o) { return o.blank ? 0.0 : o.value; }

TEST_F(GenTest, RinexTextMatchesLayoutAndTruth)
{
    kgen::GenConfig cfg;
    cfg.epochs = 40;
    cfg.clockOffsetColumn = true;
    cfg.driftMs = 3;
    cfg.blankProbability = 0.05;
    cfg.lliProbability = 0.05;
    ASSERT_TRUE(kgen::WriteRinex(Path("a.15o"), cfg).ok);
    const std::vector<std::string> lines = ReadLines(Path("a.15o"));
    const std::vector<kgen::GenEpoch> truth = kgen::Generate(cfg);

    // Header: labels in columns 61-80, 12 types in two lines of at most nine.
    std::size_t h = 0;
    for (; lines[h].find("END OF HEADER") == std::string::npos; ++h) {
        EXPECT_GE(lines[h].size(), 61u);
        EXPECT_LE(lines[h].size(), 80u);
    }
    EXPECT_EQ(lines[11],
              "    12    C1    P1    L1    S1    D1    C2    P2    L2    S2# / TYPES OF OBSERV");
    EXPECT_EQ(lines[12],
              "          D2    C5    L5                                    # / TYPES OF OBSERV");
    EXPECT_EQ(lines[15],
              "  2015     2    13     0    19   30.0030000     GPS         TIME OF LAST OBS");

    std::vector<std::string> epochLines;
    const FileValues values = ReadData(lines, cfg.types.size(), &epochLines);
    ASSERT_EQ(values.size(), truth.size());
    std::size_t lliSeen = 0, blankSeen = 0, maxSats = 0;
    for (std::size_t e = 0; e < truth.size(); ++e) {
        const kgen::GenEpoch& t = truth[e];
        const std::string& line = epochLines[e];
        EXPECT_EQ(line.size(), 80u); // clock offset in columns 69-80
        EXPECT_NEAR(Num(Cols(line, 69, 80)), t.clockOffset, 1e-12);
        EXPECT_NEAR(Num(Cols(line, 16, 26)), t.second, 1e-9);
        EXPECT_EQ(std::atoi(Cols(line, 14, 15).c_str()), t.minute);
        EXPECT_EQ(line[28], '0');
        ASSERT_EQ(values[e].size(), t.sats.size());
        maxSats = std::max(maxSats, t.sats.size());
        for (std::size_t s = 0; s < t.sats.size(); ++s) {
            if (s < 12) {
                EXPECT_EQ(Cols(line, 33 + 3 * s, 35 + 3 * s),
                          kgen::SatId(t.sats[s].system, t.sats[s].prn));
            }
            for (std::size_t k = 0; k < cfg.types.size(); ++k) {
                const kgen::GenObs& o = t.sats[s].obs[k];
                EXPECT_NEAR(values[e][s][k], TruthValue(o), 5e-4);
                lliSeen += o.lli == '1';
                blankSeen += o.blank;
            }
        }
    }
    // Epoch 12-23 carry the +1 ms drift step; 24 and more satellites need two more lines.
    EXPECT_EQ(Cols(epochLines[12], 1, 26), " 15  2 13  0  6  0.0010000");
    EXPECT_GT(maxSats, 24u);
    EXPECT_GT(lliSeen, 0u);
    EXPECT_GT(blankSeen, 0u);
}

TEST_F(GenTest, ClockJumpsShiftCodesOrCodesAndPhases)
{
    kgen::GenConfig cfg;
    cfg.interval = 1.0;
    cfg.epochs = 150;
    cfg.types = kgen::TypePreset("dual"); // C1 P1 L1 L2 P2
    cfg.blankProbability = 0.0;
    cfg.jumps = {{100, 1}};
    kgen::GenConfig none = cfg, codes = cfg, both = cfg;
    codes.jumpMode = kgen::JumpMode::Codes;
    both.jumpMode = kgen::JumpMode::CodesPhases;
    ASSERT_TRUE(kgen::WriteRinex(Path("none.15o"), none).ok);
    ASSERT_TRUE(kgen::WriteRinex(Path("codes.15o"), codes).ok);
    ASSERT_TRUE(kgen::WriteRinex(Path("both.15o"), both).ok);
    const FileValues vn = ReadData(ReadLines(Path("none.15o")), 5);
    const FileValues vc = ReadData(ReadLines(Path("codes.15o")), 5);
    const FileValues vb = ReadData(ReadLines(Path("both.15o")), 5);
    const std::vector<kgen::GenEpoch> truth = kgen::Generate(none);
    ASSERT_EQ(vn.size(), 150u);
    for (std::size_t e : {0u, 99u, 100u, 149u}) {
        const double ms = e >= 100 ? 1e-3 : 0.0; // the jump, seconds
        for (std::size_t s = 0; s < truth[e].sats.size(); ++s) {
            const kgen::GenSat& sat = truth[e].sats[s];
            const int k = sat.system == 'R' ? kgen::GlonassChannel(sat.prn) : 0;
            const double f1 = kgen::CarrierMHz(sat.system, '1', k) * 1e6;
            for (std::size_t code : {0u, 1u, 4u}) {
                if (sat.system == 'E' && code != 0) continue; // Galileo has no P codes
                EXPECT_NEAR(vc[e][s][code] - vn[e][s][code], ms * 299792458.0, 2e-3);
                EXPECT_NEAR(vb[e][s][code] - vn[e][s][code], ms * 299792458.0, 2e-3);
            }
            EXPECT_NEAR(vc[e][s][2], vn[e][s][2], 1e-9);
            EXPECT_NEAR(vb[e][s][2] - vn[e][s][2], ms * f1, 2e-3);
            if (sat.system == 'G') {
                EXPECT_NEAR(vb[e][s][3] - vn[e][s][3], ms * 1227.6e6, 2e-3);
            }
        }
    }
    const kgen::GenEpoch last = kgen::GenerateEpoch(codes, 149);
    EXPECT_NEAR(last.clockOffset - truth[149].clockOffset, 1e-3, 1e-12);
}

TEST_F(GenTest, Compact2RecordsFollowTheSky)
{
    kgen::GenConfig cfg;
    cfg.interval = 300.0;
    cfg.epochs = 288; // one day
    kgen::Compact2Config mp;
    mp.startOffset = 600.0;
    mp.satellites = "G05,R12";
    mp.slipProbability = 0.1;
    const kgen::WriteSummary sum = kgen::WriteCompact2(Path("a.mp1"), cfg, mp);
    ASSERT_TRUE(sum.ok) << sum.error;
    const std::vector<kgen::Compact2Record> truth = kgen::GenerateCompact2(cfg, mp);
    const std::vector<std::string> lines = ReadLines(Path("a.mp1"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "COMPACT2");
    EXPECT_DOUBLE_EQ(Num(lines[1].substr(6)), 300.0);
    EXPECT_NEAR(Num(lines[2].substr(14)), 57066.0 + 600.0 / 86400.0, 1e-10); // 2015-02-13

    // Records: the last one ends at the end of the RINEX day; 0, -n and n all occur.
    ASSERT_EQ(truth.size(), 286u);
    EXPECT_EQ(sum.epochs, 286);
    std::size_t li = 3, zeros = 0, repeats = 0, lists = 0, values = 0, slips = 0;
    std::vector<std::string> last;
    for (const kgen::Compact2Record& r : truth) {
        ASSERT_LT(li, lines.size());
        const std::string& head = lines[li++];
        const long n = std::strtol(head.c_str(), nullptr, 10);
        if (r.sats.empty()) {
            EXPECT_EQ(head, "0");
            ++zeros;
            continue;
        }
        if (r.sats == last) {
            EXPECT_EQ(n, -static_cast<long>(r.sats.size()));
            ++repeats;
        } else {
            std::string expect = std::to_string(r.sats.size());
            for (const std::string& id : r.sats) expect += " " + id;
            EXPECT_EQ(head, expect);
            ++lists;
            last = r.sats;
        }
        const std::string& vals = lines[li++];
        ASSERT_EQ(vals.size(), 10 * r.sats.size());
        for (std::size_t i = 0; i < r.sats.size(); ++i) {
            EXPECT_NEAR(Num(vals.substr(10 * i, 10)), r.values[i], 5e-4);
            EXPECT_LT(std::fabs(r.values[i]), 1.0);
            EXPECT_EQ(vals[10 * i + 8] == ' ', r.slips[i]);
            slips += r.slips[i];
        }
        values += r.sats.size();
    }
    EXPECT_EQ(li, lines.size());
    EXPECT_EQ(static_cast<long long>(values), sum.records);
    EXPECT_GT(zeros, 0u);
    EXPECT_GT(repeats, 0u);
    EXPECT_GT(lists, 1u);
    EXPECT_GT(slips, 0u);

    // The multipath satellites are those of the observation epoch at the same time.
    for (long k : {0L, 40L, 100L, 200L}) {
        const kgen::GenEpoch e = kgen::GenerateEpoch(cfg, k + 2);
        std::vector<std::string> inView;
        for (const kgen::GenSat& s : e.sats) {
            const std::string id = kgen::SatId(s.system, s.prn);
            if (id == "G05" || id == "R12") inView.push_back(id);
        }
        EXPECT_EQ(truth[static_cast<std::size_t>(k)].sats, inView);
    }
}

TEST_F(GenTest, ChannelFileColumns)
{
    kgen::GenConfig cfg;
    cfg.year = 2005;
    cfg.month = 1;
    cfg.day = 1;
    ASSERT_TRUE(kgen::WriteChannelFile(Path("glo.txt"), cfg).ok);
    const std::vector<std::string> lines = ReadLines(Path("glo.txt"));
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0][0], '#');
    EXPECT_EQ(lines[1], "R01       2005 01 01 00 00 00                         1");
    EXPECT_EQ(lines[10], "R10       2005 01 01 00 00 00                        -7");
    EXPECT_EQ(lines[24], "R24       2005 01 01 00 00 00                         2");
}

TEST_F(GenTest, ObservationsAreSmoothAndConsistent)
{
    kgen::GenConfig cfg;
    cfg.interval = 1.0;
    cfg.epochs = 300;
    cfg.types = {"C1", "L1", "L2", "D1", "S1"};
    cfg.blankProbability = 0.0;
    const std::vector<kgen::GenEpoch> ep = kgen::Generate(cfg);
    std::size_t checked = 0;
    for (std::size_t e = 1; e + 1 < ep.size(); ++e) {
        EXPECT_GE(ep[e].sats.size(), 12u);
        EXPECT_LE(ep[e].sats.size(), 30u);
        for (const kgen::GenSat& s : ep[e].sats) {
            const kgen::GenSat* prev = nullptr;
            const kgen::GenSat* next = nullptr;
            for (const kgen::GenSat& p : ep[e - 1].sats)
                if (p.system == s.system && p.prn == s.prn) prev = &p;
            for (const kgen::GenSat& n : ep[e + 1].sats)
                if (n.system == s.system && n.prn == s.prn) next = &n;
            if (!prev || !next) continue;
            const int k = s.system == 'R' ? kgen::GlonassChannel(s.prn) : 0;
            const double lam1 = 299792458.0 / (kgen::CarrierMHz(s.system, '1', k) * 1e6);
            const double c1 = s.obs[0].value, l1 = s.obs[1].value * lam1;
            EXPECT_GT(c1, 20.0e6);
            EXPECT_LT(c1, 26.0e6);
            EXPECT_GE(s.obs[4].value, 30.0);
            EXPECT_LE(s.obs[4].value, 50.0);
            // Code minus phase moves by noise and twice the ionospheric change only.
            EXPECT_NEAR(c1 - l1, prev->obs[0].value - prev->obs[1].value * lam1, 3.5);
            // The Doppler is minus the phase rate.
            EXPECT_NEAR(-(next->obs[1].value - prev->obs[1].value) / 2.0, s.obs[3].value, 0.2);
            if (s.system != 'E') {
                const double lam2 = 299792458.0 / (kgen::CarrierMHz(s.system, '2', k) * 1e6);
                const double gf = l1 - s.obs[2].value * lam2;
                EXPECT_NEAR(gf, prev->obs[1].value * lam1 - prev->obs[2].value * lam2, 0.02);
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 5000u);
    // The sky depends on time only: a 30 s file agrees with the 1 s file at 30 s epochs.
    kgen::GenConfig coarse = cfg;
    coarse.interval = 30.0;
    const kgen::GenEpoch e30 = kgen::GenerateEpoch(coarse, 5);
    ASSERT_EQ(e30.sats.size(), ep[150].sats.size());
    for (std::size_t s = 0; s < e30.sats.size(); ++s)
        for (std::size_t k = 0; k < cfg.types.size(); ++k)
            EXPECT_EQ(e30.sats[s].obs[k].value, ep[150].sats[s].obs[k].value);
}

TEST_F(GenTest, FixedFieldsAreRightJustifiedOrStars)
{
    {
        kgen::TextBuffer out(Path("f.txt"));
        out.Fixed(-1, 3, 14); // -0.001
        out.Fixed(0, 3, 14);
        out.Fixed(123456789012LL, 3, 14);
        out.Fixed(-9999999999999LL, 3, 14); // one character too many
        out.EndLine();
        out.Int(-5, 3);
        out.Int(7, 2, true);
        out.Int(1234, 3);
        out.EndLine();
        ASSERT_TRUE(out.Close());
    }
    const std::vector<std::string> lines = ReadLines(Path("f.txt"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "        -0.001         0.000 123456789.012**************");
    EXPECT_EQ(lines[1], " -507***");
}

TEST(GenConfigCheck, RejectsWhatCannotBeWritten)
{
    kgen::GenConfig cfg;
    EXPECT_EQ(kgen::CheckConfig(cfg), "");
    cfg.day = 29; // 2015 is no leap year
    EXPECT_NE(kgen::CheckConfig(cfg), "");
    cfg = kgen::GenConfig{};
    cfg.types = {"C1", "L"};
    EXPECT_NE(kgen::CheckConfig(cfg), "");
    cfg = kgen::GenConfig{};
    cfg.driftMs = 40;
    cfg.interval = 0.04;
    EXPECT_NE(kgen::CheckConfig(cfg), "");
    EXPECT_FALSE(kgen::WriteRinex("/nonexistent-dir/x.15o", kgen::GenConfig{}).ok);
}

} // namespace
