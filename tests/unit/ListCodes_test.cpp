// SPDX-License-Identifier: BSD-2-Clause
// Every combination code of the list, run through the built tool on one GPS and one Galileo
// record, against the formula worked out here from the published carrier frequencies: a row of
// the code table wired to the wrong value function or the wrong columns of the pair shows here.
#include "tests/unit/ToolRun.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One field of a RINEX 2 record: F14.3 and blank flags.
std::string Field(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%14.3f  ", v);
    return buf;
}

struct Record {
    const char* sat;
    double c1, p1, l1, l2, p2, c2, c7, l7; // 0: blank
};

// C1 P1 L1 L2 P2 C2 C7 L7 of G13 (L1/L2) and E11 (E1/E5b).
const Record Records[] = {
    {"G13", 22000001.250, 22000001.500, 115612345.678, 90087654.321, 22000004.750, 22000004.125, 0,
     0},
    {"E11", 23500002.375, 0, 123494321.234, 0, 0, 0, 23500006.625, 94630123.456},
};

std::string FileText()
{
    std::string t;
    t += "     2.11           OBSERVATION DATA    M (MIXED)           RINEX VERSION / TYPE\n";
    t += "CODES                                                       MARKER NAME\n";
    t += "     8    C1    P1    L1    L2    P2    C2    C7    L7      # / TYPES OF OBSERV\n";
    t += "    30.000                                                  INTERVAL\n";
    t += "  2010     3     5     0     0    0.0000000     GPS         TIME OF FIRST OBS\n";
    t += "                                                            END OF HEADER\n";
    t += " 10  3  5  0  0  0.0000000  0  2G13E11\n";
    for (const Record& r : Records) {
        const double v[] = {r.c1, r.p1, r.l1, r.l2, r.p2, r.c2, r.c7, r.l7};
        for (int i = 0; i < 8; i++) {
            t += v[i] == 0 ? std::string(16, ' ') : Field(v[i]);
            if (i == 4 || i == 7) {
                while (!t.empty() && t.back() == ' ') t.pop_back();
                t += '\n';
            }
        }
    }
    return t;
}

// The value columns of a row after its satellite, by column name of the heading.
std::map<std::string, double> Values(const std::string& gof, const std::string& sat)
{
    std::vector<std::string> heads;
    std::map<std::string, double> values;
    for (const std::string& l : Lines(gof)) {
        if (l.rfind("#          Time", 0) == 0) {
            std::istringstream in(l.substr(l.find("SAT") + 3));
            for (std::string h; in >> h;) heads.push_back(h);
        }
        const std::size_t at = l.find("  " + sat + " ");
        if (l.empty() || l[0] == '#' || at == std::string::npos) continue;
        for (std::size_t i = 0; i < heads.size(); i++) {
            const std::string field = l.substr(at + 5 + 18 * i, 14);
            values[heads[i]] = field.find('*') != std::string::npos ? NAN : std::stod(field);
        }
    }
    return values;
}

} // namespace

TEST(ListCodes, EveryCombinationIsItsFormulaOfThePairsColumns)
{
    const fs::path dir = fs::temp_directory_path() / ("kestrova_codes_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "codes.10o") << FileText();
    const std::string list = "-lL4:Pp4:Pc4:L3:P3:Pp3:WL:WLP:WLC:MW:MWp:MP1:MC1:MP2:CL1:PL1:PL2:PC1:"
                             "PC2:";
    ToolRun r(dir, "codes", "-o" + (dir / "codes.10o").string() + " -cGE " + list);
    ASSERT_EQ(r.status, 0) << r.out << r.err;

    const long double c = 299792458.0L;
    struct Pair {
        const char* sat;
        long double f1, f2;
    };
    for (const Pair& p :
         {Pair{"G13", 1575.42e6L, 1227.60e6L}, Pair{"E11", 1575.42e6L, 1207.14e6L}}) {
        SCOPED_TRACE(p.sat);
        const Record& rec = p.sat[0] == 'G' ? Records[0] : Records[1];
        const bool gps = p.sat[0] == 'G';
        // the pair's second code and phase: P2 and L2 for GPS, C7 and L7 for Galileo
        const long double C1 = rec.c1, P1 = rec.p1, L1 = rec.l1;
        const long double L2 = gps ? rec.l2 : rec.l7, P2 = gps ? rec.p2 : rec.c7;
        const long double l1 = c / p.f1, l2 = c / p.f2, a = (p.f1 / p.f2) * (p.f1 / p.f2);
        const long double i1 = p.f1 * p.f1 / (p.f1 * p.f1 - p.f2 * p.f2), i2 = i1 - 1;
        const long double w1 = p.f1 / (p.f1 - p.f2), w2 = p.f2 / (p.f1 - p.f2);
        const long double n1 = p.f1 / (p.f1 + p.f2), n2 = p.f2 / (p.f1 + p.f2);
        const long double wl = w1 * l1 * L1 - w2 * l2 * L2;
        std::map<std::string, long double> expected = {
            {"L4", l1 * L1 - l2 * L2},
            {"L3", i1 * l1 * L1 - i2 * l2 * L2},
            {"P4[C]", P2 - C1},
            {"P3[C]", i1 * C1 - i2 * P2},
            {"WL[L]", wl},
            {"WL[C]", w1 * C1 - w2 * P2},
            {"MW[C]", wl - (n1 * C1 + n2 * P2)},
            {"MP1[C]", C1 - (1 + 2 / (a - 1)) * l1 * L1 + 2 / (a - 1) * l2 * L2},
            {"MP2", P2 - 2 * a / (a - 1) * l1 * L1 + (2 * a / (a - 1) - 1) * l2 * L2},
            {"C1-L1", C1 - l1 * L1},
            {"P2-L2", P2 - l2 * L2},
        };
        if (gps) {
            expected.insert({
                {"P4[P]", P2 - P1},
                {"P3[P]", i1 * P1 - i2 * P2},
                {"WL[P]", w1 * P1 - w2 * P2},
                {"MW[P]", wl - (n1 * P1 + n2 * P2)},
                {"MP1[P]", P1 - (1 + 2 / (a - 1)) * l1 * L1 + 2 / (a - 1) * l2 * L2},
                {"P1-L1", P1 - l1 * L1},
                {"P1-C1", P1 - C1},
                {"P2-C2", P2 - rec.c2},
            });
        }
        const std::map<std::string, double> got = Values(r.gof, p.sat);
        ASSERT_EQ(got.size(), 19u) << r.gof;
        for (const auto& [name, value] : expected) {
            ASSERT_TRUE(got.count(name)) << name;
            // printed with three decimals
            EXPECT_NEAR(got.at(name), static_cast<double>(value), 0.00051) << name;
        }
    }
    fs::remove_all(dir);
}
