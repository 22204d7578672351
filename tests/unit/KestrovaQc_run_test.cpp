// SPDX-License-Identifier: BSD-2-Clause
// kestrova-qc run as a user runs it: a small file whose figures are computed by hand, the shared
// NYA1 day against kestrova-summary of listings of the same signals, the shared multi-GNSS
// files, JSON against the text, and the words and files it refuses.
#include "tests/unit/ToolRun.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Json = nlohmann::json;

namespace {

const std::string Qc = KESTROVA_QC_BIN;
const std::string Listing = KESTROVA_BIN;
const std::string Summary = KESTROVA_SUMMARY_BIN;
const std::string Shared = KESTROVA_SHARED_DATA;
const std::string Nya = Shared + "/NYA100NOR_S_20241240000_01D_30S_MO.crx.gz";
const std::string NyaNav = " -n" + Shared + "/NYA100NOR_S_20241240000_01D_GN.rnx.gz -n" + Shared +
                           "/NYA100NOR_S_20241240000_01D_EN.rnx.gz -n" + Shared +
                           "/NYA100NOR_S_20241240000_01D_CN.rnx.gz";

fs::path FreshDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("kestrova_qc_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string F143(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%14.3f", v);
    return text;
}

// A RINEX 2.11 GPS file of 24 epochs at 30 s of G05 and G07 without ionosphere: the codes carry
// a multipath of +-0.5 m (C1) and +-0.25 m (P2) alternating epoch by epoch, the strength S1 of
// G05 is 40, 41, ... 63 dB-Hz; G07's L1 is flagged lost at epoch 6; from epoch 12 on every code
// is one light-millisecond longer (a jump of the receiver clock). Single-frequency: L1, C1 and S1
// alone.
std::string HandMadeFile(bool dualFrequency = true)
{
    const double c = 299792458.0, f1 = 1575.42e6, f2 = 1227.60e6;
    std::ostringstream out;
    out << "     2.11           OBSERVATION DATA    G (GPS)             RINEX VERSION / TYPE\n"
           "Kestrova test       Kestrova            20100305 000000 UTC PGM / RUN BY / DATE\n"
           "QCT1                                                        MARKER NAME\n"
        << (dualFrequency ? "     5    L1    L2    C1    P2    S1                        # / TYPES "
                            "OF OBSERV\n"
                          : "     3    L1    C1    S1                                    # / TYPES "
                            "OF OBSERV\n")
        << "    30.000                                                  INTERVAL\n"
           "  2010     3     5     0     0    0.0000000     GPS         TIME OF FIRST OBS\n"
           "                                                            END OF HEADER\n";
    for (int k = 0; k < 24; k++) {
        char line[96];
        std::snprintf(line, sizeof line, " 10  3  5  0 %2d %2d.0000000  0  2G05G07\n", k / 2,
                      k % 2 * 30);
        out << line;
        for (int s = 0; s < 2; s++) {
            const double rho = 20000000.0 + 1000.0 * s + 100.0 * k;
            const double mp = k % 2 == 0 ? 1 : -1, clock = k >= 12 ? 299792.458 : 0;
            const std::string lli = s == 1 && k == 6 ? "1" : " ";
            const std::string strength = s == 0 ? F143(40.0 + k) : std::string(14, ' ');
            if (dualFrequency)
                out << F143(rho * f1 / c + 1000) << lli << " " << F143(rho * f2 / c + 2000) << "  "
                    << F143(rho + 0.5 * mp + clock) << "  " << F143(rho + 0.25 * mp + clock) << "  "
                    << strength << "  \n";
            else
                out << F143(rho * f1 / c + 1000) << lli << " " << F143(rho + 0.5 * mp + clock)
                    << "  " << strength << "  \n";
        }
    }
    return out.str();
}

// The row of a signal in the system table of the text report.
std::string SignalRow(const std::string& text, const std::string& system, const std::string& code)
{
    const std::size_t at = text.find("\n" + system + " (");
    if (at == std::string::npos) return "";
    std::istringstream in(text.substr(at + 1));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("SAT ", 0) == 0) break;
        if (line.rfind(code + " ", 0) == 0) return line;
    }
    return "";
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

TEST(KestrovaQcRun, HandMadeFileGivesTheFiguresComputedByHand)
{
    const fs::path dir = FreshDir("hand");
    std::ofstream(dir / "qc.10o") << HandMadeFile();
    const Shell r(dir, Qc + " qc.10o --json qc.json --tsv qc.tsv");
    ASSERT_EQ(r.status, 0) << r.err;
    // C1: 48 values; G07's first two arcs (6 values each, cut by the loss of lock and the jump)
    // are too short, so 24 + 12 values about their arcs' means of 0: RMS 0.5
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "C1")),
              (std::vector<std::string>{"C1", "48", "-", "-", "0.500", "36", "-", "-"}));
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "P2")),
              (std::vector<std::string>{"P2", "48", "-", "-", "0.250", "36", "-", "-"}));
    // one loss of lock of L1; the mean of 40 ... 63
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "L1")),
              (std::vector<std::string>{"L1", "48", "-", "-", "-", "-", "-", "1"}));
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "S1")),
              (std::vector<std::string>{"S1", "24", "-", "-", "-", "-", "51.5", "-"}));
    // the clock jump at 00:06:00 ends an arc of each satellite with an MW jump: a slip each
    EXPECT_NE(r.out.find("GPS (G, pair 1-2): 2 satellites, 48 satellite epochs, 2 slips"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Clock jumps:  1 millisecond jumps"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Jump epochs:  2010-03-05 00:06:00.000"), std::string::npos) << r.out;
    const Json j = Json::parse(ReadAll(dir / "qc.json"));
    EXPECT_EQ(j["schema"], "kestrova-qc/1");
    const Json& c1 = j["systems"]["G"]["signals"]["C1"];
    EXPECT_NEAR(c1["mp_rms"].get<double>(), 0.5, 0.0005);
    EXPECT_EQ(c1["mp_values"], 36);
    EXPECT_TRUE(c1["expected"].is_null());
    EXPECT_TRUE(c1["completeness"].is_null());
    EXPECT_TRUE(c1["elevation_bins"].is_null());
    EXPECT_NEAR(j["systems"]["G"]["satellites"]["G07"]["signals"]["C1"]["mp_rms"].get<double>(),
                0.5, 0.001);
    EXPECT_EQ(j["systems"]["G"]["satellites"]["G07"]["signals"]["L1"]["lli"], 1);
    EXPECT_EQ(j["systems"]["G"]["satellites"]["G05"]["slips"], 1);
    EXPECT_EQ(j["clock_jumps"]["count"], 1);
    EXPECT_EQ(j["clock_jumps"]["epochs"][0], "2010-03-05 00:06:00.000");
    // no ionosphere: the rate of TEC is the noise of phases written to a thousandth of a cycle
    EXPECT_LT(j["systems"]["G"]["roti"]["median"].get<double>(), 0.01);
    const std::string size = std::to_string(fs::file_size(dir / "qc.10o"));
    EXPECT_EQ(j["inputs"][0]["size"].dump(), size);
    EXPECT_EQ(j["inputs"][0]["sha256"].get<std::string>().size(), 64U);
    // TSV: the heading, the system's rows and one per satellite and signal (G07 has no S1)
    const std::vector<std::string> tsv = Lines(ReadAll(dir / "qc.tsv"));
    ASSERT_EQ(tsv.size(), 1U + 5 + 5 + 4);
    const std::string row = "G\tALL\tC1\tC\t48\t-\t-\t";
    ASSERT_EQ(tsv[3].rfind(row, 0), 0U) << tsv[3];
    EXPECT_NEAR(std::stod(tsv[3].substr(row.size())), 0.5, 0.0005) << tsv[3];
}

TEST(KestrovaQcRun, SingleFrequencyFileHasItsClockJumpFound)
{
    const fs::path dir = FreshDir("single");
    std::ofstream(dir / "qc.10o") << HandMadeFile(false);
    const Shell r(dir, Qc + " qc.10o --json qc.json");
    ASSERT_EQ(r.status, 0) << r.err;
    // one jump, although the code-against-phase test corrects every epoch after it
    EXPECT_NE(r.out.find("Clock jumps:  1 millisecond jumps"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Jump epochs:  2010-03-05 00:06:00.000\n"), std::string::npos) << r.out;
    const Json j = Json::parse(ReadAll(dir / "qc.json"));
    EXPECT_EQ(j["clock_jumps"]["count"], 1);
    // no second band: no multipath, but the code is counted
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "C1")),
              (std::vector<std::string>{"C1", "48", "-", "-", "-", "-", "-", "-"}));
}

// A day that ends after four hours is measured against the day its header promises: each
// satellite expects what it expects in the whole day.
TEST(KestrovaQcRun, ShortFileCountsCompletenessOverItsNominalSpan)
{
    if (!fs::exists(Nya)) GTEST_SKIP() << Nya << " is absent";
    const fs::path dir = FreshDir("nominal");
    const std::string cut = fs::path(Nya).filename().string();
    ASSERT_EQ(Shell(dir, "head -c 500000 " + Nya, cut).status, 0);
    const Shell part(dir, Qc + " " + cut + NyaNav + " --json part.json");
    ASSERT_EQ(part.status, 0) << part.err;
    EXPECT_NE(part.err.find("HOLDS 486 OF THE 2880 EPOCHS OF ITS NOMINAL SPAN"), std::string::npos)
        << part.err;
    EXPECT_NE(part.out.find("  Nominal span: 2024-05-03 00:00:00.000 to 2024-05-03 23:59:59.000 "
                            "(TIME OF LAST OBS): completeness counted over it\n"),
              std::string::npos)
        << part.out;
    const Shell whole(dir, Qc + " " + Nya + NyaNav + " --json whole.json");
    ASSERT_EQ(whole.status, 0) << whole.err;
    const Json p = Json::parse(ReadAll(dir / "part.json"));
    const Json w = Json::parse(ReadAll(dir / "whole.json"));
    EXPECT_EQ(p["settings"]["nominal_span"]["source"], "TIME OF LAST OBS");
    EXPECT_TRUE(w["settings"]["nominal_span"].is_null());
    int compared = 0;
    for (const auto& [sys, s] : p["systems"].items())
        for (const auto& [sat, q] : s["satellites"].items())
            for (const auto& [code, f] : q["signals"].items()) {
                if (f["expected"].is_null()) continue;
                EXPECT_EQ(f["expected"],
                          w["systems"][sys]["satellites"][sat]["signals"][code]["expected"])
                    << sat << " " << code;
                ++compared;
            }
    EXPECT_GT(compared, 500);
    EXPECT_LT(p["systems"]["G"]["signals"]["C1C"]["completeness"].get<double>(), 30);
}

// A damaged code field that reads as 2.5e64 m (found by the fuzz harness: its millimetres
// overflowed the arc rule's differences) is left out of the figures it cannot enter.
TEST(KestrovaQcRun, CodeOfNoEarthlyRangeIsLeftOutOfTheMultipath)
{
    const fs::path dir = FreshDir("huge");
    std::string file = HandMadeFile();
    const std::size_t at = file.find("  20000299.500"); // G05's C1 at 00:01:30
    ASSERT_NE(at, std::string::npos);
    file.replace(at, 14, " 253347E59.023");
    std::ofstream(dir / "qc.10o") << file;
    const Shell r(dir, Qc + " qc.10o");
    ASSERT_EQ(r.status, 0) << r.err;
    // the arc of G05 keeps 11 values, 6 of +0.5 and 5 of -0.5 m: their squares about the mean
    // 1/22 m add 2.72727 to the 3 + 3 of the two other arcs of 12: RMS sqrt(8.72727 / 35)
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "C1")),
              (std::vector<std::string>{"C1", "48", "-", "-", "0.499", "35", "-", "-"}))
        << r.out;
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "P2")),
              (std::vector<std::string>{"P2", "48", "-", "-", "0.250", "36", "-", "-"}));
}

TEST(KestrovaQcRun, HashOfTheInputIsTheSha256OfItsBytes)
{
    const fs::path dir = FreshDir("sha");
    // FIPS 180-4's example "abc" is no observation file: the digest is checked on the file,
    // against sha256sum where the system has it
    std::ofstream(dir / "qc.10o") << HandMadeFile();
    const Shell sum(dir, "sha256sum qc.10o | cut -c1-64");
    if (sum.status != 0 || sum.out.size() < 64) GTEST_SKIP() << "no sha256sum";
    const Shell r(dir, Qc + " qc.10o --json qc.json");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(ReadAll(dir / "qc.json"));
    EXPECT_EQ(j["inputs"][0]["sha256"].get<std::string>(), sum.out.substr(0, 64));
}

TEST(KestrovaQcRun, HeaderTextsOfNoUtf8StillGiveJson)
{
    const fs::path dir = FreshDir("latin1");
    std::string file = HandMadeFile();
    file.replace(file.find("QCT1"), 4, "QC\xe9T");
    std::ofstream(dir / "qc.10o") << file;
    const Shell r(dir, Qc + " qc.10o --json qc.json");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(ReadAll(dir / "qc.json"));
    EXPECT_EQ(j["header"]["marker"], "QC\xef\xbf\xbdT");
}

TEST(KestrovaQcRun, PlotDataGivesOneRowPerValue)
{
    const fs::path dir = FreshDir("plot");
    std::ofstream(dir / "qc.10o") << HandMadeFile();
    const Shell mp(dir, Qc + " qc.10o --plot-data=MP:C1");
    ASSERT_EQ(mp.status, 0) << mp.err;
    int rows = 0;
    for (const std::string& l : Lines(mp.out))
        if (!l.empty() && l[0] != '#') {
            ++rows;
            // the value less its arc's mean: +-0.5 m
            const std::vector<std::string> cells = Words(l);
            ASSERT_EQ(cells.size(), 7U) << l;
            EXPECT_NEAR(std::fabs(std::stod(cells[4])), 0.5, 0.0025) << l;
        }
    EXPECT_EQ(rows, 48);
    EXPECT_NE(mp.out.find("# arc bias: yes"), std::string::npos);
    const Shell snr(dir, Qc + " qc.10o --plot-data=SNR:S1");
    EXPECT_NE(snr.out.find("G05\t1267747890.000\t1\t63.000\t63.000\t-\t-"), std::string::npos)
        << snr.out;
    const Shell bad(dir, Qc + " qc.10o --plot-data=MP:S1");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("NOT A FIGURE"), std::string::npos) << bad.err;
}

TEST(KestrovaQcRun, RefusedWordsAndFilesAreFramed)
{
    const fs::path dir = FreshDir("refused");
    std::ofstream(dir / "qc.10o") << HandMadeFile();
    struct Case {
        std::string words, message;
    };
    for (const Case& c : std::vector<Case>{
             {"qc.10o -lC1:", "UNKNOWN OPTION: -lC1:"},
             {"qc.10o --frobnicate", "UNKNOWN OPTION: --frobnicate"},
             {"", "NO OBSERVATION FILE NAMED"},
             {"qc.10o qc.10o", "ONE OBSERVATION FILE ONLY"},
             {"qc.10o --json", "OPTION --json NEEDS A FILE NAME"},
             {"qc.10o --json no/such/folder/x.json", "JSON FILE no/such/folder/x.json CAN NOT BE"},
             {"missing.10o", "RINEX FILE CAN NOT BE OPENED"},
             {"qc.10o -k10", "NEEDS NAVIGATION FILES"}}) {
        const Shell r(dir, Qc + " " + c.words);
        EXPECT_EQ(r.status, 1) << c.words;
        EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << c.words << "\n"
                                                                      << r.out << r.err;
        EXPECT_NE((r.out + r.err).find("Error"), std::string::npos) << c.words;
    }
    EXPECT_FALSE(fs::exists(dir / "no"));
    const Shell help(dir, Qc + " -h");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: kestrova-qc FILE [options]", 0), 0U) << help.out;
}

TEST(KestrovaQcRun, StandardInputIsRead)
{
    const fs::path dir = FreshDir("stdin");
    std::ofstream(dir / "qc.10o") << HandMadeFile();
    const Shell r(dir, "gzip -c qc.10o | " + Qc + " - --json qc.json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Words(SignalRow(r.out, "GPS", "C1"))[4], "0.500");
    // a pipe cannot be read twice: no size, no digest
    EXPECT_TRUE(Json::parse(ReadAll(dir / "qc.json"))["inputs"][0]["size"].is_null());
}

// The summary's line of a system in a listing of the pair's signals: MP1[C] and MP2 with n.
std::map<std::string, std::string> SummaryOf(const fs::path& dir, const std::string& system,
                                             const std::string& words, const std::string& label)
{
    const Shell list(dir, Listing + " -o" + Nya + " -c" + system + " " + words + " -rpair.gof");
    const Shell sum(dir, Summary + " pair.gof");
    std::vector<std::string> heads, cells;
    for (const std::string& l : Lines(sum.out)) {
        if (l.rfind("SAT ", 0) == 0 && heads.empty())
            // the bands a head names after it, "MP2 (G2 E7)", are no column of their own
            for (bool bands = false; const std::string& w : Words(l)) {
                if (w.front() == '(') bands = true;
                if (!bands) heads.push_back(w);
                if (w.back() == ')') bands = false;
            }
        if (l.rfind(label + " ", 0) == 0) cells = Words(l);
    }
    std::map<std::string, std::string> m;
    // the heading names every column once; first and last epoch take two cells each
    for (std::size_t h = 0, c = 0; h < heads.size() && c < cells.size(); h++, c++) {
        if (heads[h] == "first" || heads[h] == "last") {
            c++, h++;
            continue;
        }
        if (heads[h] == "n") {
            m[heads[h - 1] + " n"] = cells[c];
            continue;
        }
        m[heads[h]] = cells[c];
    }
    return m;
}

TEST(KestrovaQcRun, PairMultipathEqualsTheSummaryOfTheNya1Day)
{
    if (!fs::exists(Nya)) GTEST_SKIP() << Nya << " is absent";
    const fs::path dir = FreshDir("nya_pair");
    const Shell r(dir, Qc + " " + Nya + " --json nya.json");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(ReadAll(dir / "nya.json"));
    struct Pair {
        std::string system, label, words, first, second;
    };
    for (const Pair& p :
         std::vector<Pair>{{"G", "GPS", "-lL1:L2:C1:P2:MP1:MC1:MP2:MW:MWp:L4:", "C1C", "C2W"},
                           {"E", "GAL", "-lL1:L7:C1:C7:MP1:MC1:MP2:MW:MWp:L4:", "C1X", "C7X"},
                           {"C", "BDS", "-lL2:L6:C2:C6:MP1:MC1:MP2:MW:MWp:L4:", "C2X", "C6X"}}) {
        std::map<std::string, std::string> s = SummaryOf(dir, p.system, p.words, p.label);
        const Json& sig = j["systems"][p.system]["signals"];
        char first[32], second[32];
        std::snprintf(first, sizeof first, "%.3f", sig[p.first]["mp_rms"].get<double>());
        std::snprintf(second, sizeof second, "%.3f", sig[p.second]["mp_rms"].get<double>());
        EXPECT_EQ(s["MP1[C]"], first) << p.label;
        EXPECT_EQ(s["MP1[C] n"], sig[p.first]["mp_values"].dump()) << p.label;
        EXPECT_EQ(s["MP2"], second) << p.label;
        EXPECT_EQ(s["MP2 n"], sig[p.second]["mp_values"].dump()) << p.label;
    }
}

TEST(KestrovaQcRun, JsonParsesAndHoldsWhatTheTextShows)
{
    if (!fs::exists(Nya)) GTEST_SKIP() << Nya << " is absent";
    const fs::path dir = FreshDir("nya_json");
    const Shell r(dir, Qc + " " + Nya + NyaNav + " -k10 --json nya.json");
    ASSERT_EQ(r.status, 0) << r.err;
    const Shell tool(dir, "python3 -m json.tool nya.json > /dev/null");
    EXPECT_EQ(tool.status, 0) << tool.err;
    const Json j = Json::parse(ReadAll(dir / "nya.json"));
    const std::map<std::string, std::string> names = {
        {"G", "GPS"}, {"R", "GLONASS"}, {"E", "GALILEO"}, {"C", "BDS"}};
    int rows = 0;
    for (const auto& [letter, name] : names) {
        for (const auto& [code, f] : j["systems"][letter]["signals"].items()) {
            const std::vector<std::string> w = Words(SignalRow(r.out, name, code));
            ASSERT_EQ(w.size(), 8U) << name << " " << code;
            auto text = [](const Json& v, int decimals) {
                if (v.is_null()) return std::string("-");
                char t[32];
                std::snprintf(t, sizeof t, "%.*f", decimals, v.get<double>());
                return std::string(t);
            };
            EXPECT_EQ(w[1], f["observations"].dump());
            EXPECT_EQ(w[2], f["expected"].is_null() ? "-" : f["expected"].dump());
            EXPECT_EQ(w[3], text(f["completeness"], 1)) << code;
            EXPECT_EQ(w[4], text(f["mp_rms"], 3)) << code;
            EXPECT_EQ(w[6], text(f["snr_mean"], 1)) << code;
            ++rows;
        }
    }
    EXPECT_GT(rows, 40);
    // the elevation bins of a code hold its values above the cut-off
    const Json& bins = j["systems"]["G"]["signals"]["C1C"]["elevation_bins"];
    ASSERT_EQ(bins.size(), 9U);
    EXPECT_EQ(bins[0]["values"], 0);
    long long values = 0;
    for (const Json& b : bins) values += b["values"].get<long long>();
    EXPECT_EQ(values, j["systems"]["G"]["signals"]["C1C"]["mp_values"].get<long long>());
    // a satellite's row of the elevation table: its own bins, as the JSON has them
    const std::size_t at = r.out.find("\nG03 C1C ", r.out.find("By elevation"));
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::vector<std::string> row = Words(r.out.substr(at, r.out.find('\n', at + 1) - at));
    const Json& g03 = j["systems"]["G"]["satellites"]["G03"]["signals"]["C1C"]["elevation_bins"];
    ASSERT_EQ(g03.size(), 9U);
    std::vector<std::string> expected = {"G03", "C1C"};
    for (const Json& b : g03) {
        if (b["mp_rms"].is_null()) {
            expected.push_back("-");
            continue;
        }
        char t[32];
        std::snprintf(t, sizeof t, "%.3f", b["mp_rms"].get<double>());
        expected.push_back(t);
        expected.push_back("(" + b["values"].dump() + ")");
    }
    EXPECT_EQ(row, expected);
    // GLONASS has no orbits in these navigation files: no expectation, never 0
    EXPECT_TRUE(j["systems"]["R"]["signals"]["C1C"]["expected"].is_null());
}

TEST(KestrovaQcRun, EveryCodeSignalOfTheMultiGnssDaysHasItsFigures)
{
    int files = 0;
    for (const std::string name :
         {"NYA100NOR_S_20241240000_01D_30S_MO.crx.gz", "GRAS00FRA_R_20223151700_15M_01S_MO.crx.gz",
          "OB713520.23O.gz", "P43300USA_R_20190012056_17M_15S_MO.crx"}) {
        const std::string path = Shared + "/" + name;
        if (!fs::exists(path)) continue;
        ++files;
        const fs::path dir = FreshDir("multi");
        const Shell r(dir, Qc + " " + path + " --json qc.json");
        ASSERT_EQ(r.status, 0) << name << r.err;
        const Json j = Json::parse(ReadAll(dir / "qc.json"));
        for (const auto& [letter, sys] : j["systems"].items()) {
            EXPECT_TRUE(sys["slips"].is_number()) << name << " " << letter;
            for (const auto& [code, f] : sys["signals"].items()) {
                const std::string what = f["kind"] == "C"   ? "mp_rms"
                                         : f["kind"] == "S" ? "snr_mean"
                                         : f["kind"] == "L" ? "lli"
                                                            : "observations";
                EXPECT_TRUE(f[what].is_number()) << name << " " << letter << " " << code;
            }
        }
    }
    if (files == 0) GTEST_SKIP() << "no shared multi-GNSS file";
}

} // namespace
