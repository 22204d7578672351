// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/BroadcastOrbit.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path SharedData = KESTROVA_SHARED_DATA;

double Distance(const double a[3], const double b[3])
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
}

BroadcastNav Quietly(const fs::path& file)
{
    BroadcastNav nav;
    testing::internal::CaptureStdout();
    nav.Read(file.c_str());
    testing::internal::GetCapturedStdout();
    return nav;
}

// Two consecutive records of a satellite are two fits of one orbit: halfway between their
// reference epochs, where both serve, they put the satellite within the broadcast orbits'
// accuracy of each other. A wrong constant, a wrong sign or unit in a formula, a GLONASS
// integration gone astray, the BeiDou GEO satellites taken as the others or tilted the wrong
// way, puts them kilometres apart. Limits: a few metres for GPS, Galileo,
// BeiDou, QZSS and GLONASS, tens of metres for NavIC, hundreds for the SBAS messages.
TEST(BroadcastOrbit, ConsecutiveRecordsOfEverySystemAgreeWhereBothServe)
{
    const fs::path file = SharedData / "BRD400DLR_S_20230710000_01D_MN.rnx.gz";
    if (!fs::exists(file)) GTEST_SKIP() << "no shared data";
    const BroadcastNav nav = Quietly(file);
    const std::map<char, double> limit = {{'G', 10}, {'R', 10},  {'E', 10},  {'C', 10},
                                          {'J', 10}, {'I', 100}, {'S', 1000}};
    // records more than this apart are not two fits of the same stretch of orbit
    const std::map<char, double> apart = {{'G', 7200}, {'R', 1800}, {'E', 7200}, {'C', 3600},
                                          {'J', 7200}, {'I', 7200}, {'S', 1200}};
    std::map<char, int> pairs;
    const auto& records = nav.Records();
    for (std::size_t k = 1; k < records.size(); k++) {
        const NavRecord& a = records[k - 1];
        const NavRecord& b = records[k];
        const double gap = b.refEpoch - a.refEpoch;
        if (a.sat.sys != b.sat.sys || a.sat.prn != b.sat.prn || !a.healthy || !b.healthy ||
            gap <= 0 || gap > apart.at(a.sat.sys))
            continue;
        double pa[3], pb[3];
        OrbitPosition(a, a.refEpoch + gap / 2, pa);
        OrbitPosition(b, a.refEpoch + gap / 2, pb);
        EXPECT_LT(Distance(pa, pb), limit.at(a.sat.sys))
            << a.sat.sys << a.sat.prn << " at " << a.refEpoch;
        pairs[a.sat.sys]++;
    }
    for (char sys : {'G', 'R', 'E', 'C', 'J', 'I', 'S'}) EXPECT_GT(pairs[sys], 50) << sys;
}

} // namespace
