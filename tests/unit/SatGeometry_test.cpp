// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/RINEX.h"
#include "GNSS/SatGeometry.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path SharedData = KESTROVA_SHARED_DATA;

BroadcastNav Quietly(const std::vector<std::string>& files)
{
    BroadcastNav nav;
    testing::internal::CaptureStdout();
    for (const std::string& f : files) nav.Read((SharedData / f).c_str());
    testing::internal::GetCapturedStdout();
    return nav;
}

// Azimuth and elevation as RTKLIB 2.4.3 (Debian package rtklib) gives them, run outside the
// program as an independent computation:
//   rnx2rtkp -k spp.conf -o out.pos OBS NAV...   with pos1-posmode=single, pos1-elmask=0,
//   pos1-navsys=45 (G R E C), pos1-sateph=brdc, out-outstat=residual
// and read from the $SAT lines of out.pos.stat (week, second of week, satellite, azimuth,
// elevation, one decimal). NYA1 day 124 of 2024: the observation file decoded from Compact RINEX
// by the project's own decoder, with the GN, EN and CN files; Delft day 1 of 2021: delf0010.21o
// with cbw10010.21n and dlf10010.21g. The receiver here is the header's position, RTKLIB's its
// own single-point solution: metres apart, nothing in the angles.
struct Reference {
    const char* sat;
    int week;
    double second, az, el;
};

void ExpectAngles(const BroadcastNav& nav, const double rx[3], const std::vector<Reference>& refs)
{
    const StationFrame station(rx);
    for (const Reference& r : refs) {
        double az = 0, el = 0;
        const NavSat sat{r.sat[0], std::atoi(r.sat + 1)};
        ASSERT_TRUE(SatelliteAzEl(nav, sat, r.week * 604800.0 + r.second, station, az, el))
            << r.sat;
        EXPECT_NEAR(el, r.el, 0.1) << r.sat << " " << r.second;
        EXPECT_NEAR(std::remainder(az - r.az, 360.0), 0, 0.1) << r.sat << " " << r.second;
    }
}

TEST(SatGeometry, AnglesAgreeWithAnIndependentComputation)
{
    if (!fs::exists(SharedData / "cbw10010.21n.gz")) GTEST_SKIP() << "no shared data";
    const double nya[3] = {1202434.1303, 252632.2212, 6237772.4351};
    ExpectAngles(
        Quietly({"NYA100NOR_S_20241240000_01D_GN.rnx.gz", "NYA100NOR_S_20241240000_01D_EN.rnx.gz",
                 "NYA100NOR_S_20241240000_01D_CN.rnx.gz"}),
        nya,
        {{"G05", 2312, 432000, 223.9, 42.0},
         {"G27", 2312, 475200, 230.5, 54.1},
         {"E26", 2312, 432000, 249.9, 13.8},
         {"E31", 2312, 475200, 208.2, 38.4},
         {"C11", 2312, 432000, 320.6, 29.8},
         {"C30", 2312, 496830, 257.5, 47.2},
         {"C06", 2312, 496830, 87.6, 42.7}});
    const double delft[3] = {3924687.7020, 301132.7660, 5001910.7750};
    ExpectAngles(Quietly({"cbw10010.21n.gz", "dlf10010.21g"}), delft,
                 {{"R01", 2138, 432000, 35.3, 26.6},
                  {"R17", 2138, 432000, 47.7, 61.6},
                  {"R18", 2138, 432000, 291.0, 52.7},
                  {"G08", 2138, 432600, 293.7, 46.1}});
}

// The track's angles at 1 Hz are the exact ones to far below the listing's three decimals,
// across changes of record and up to the end of a record's validity (GLONASS: 00:00:18).
TEST(SatGeometry, TrackAnglesAreTheExactOnes)
{
    if (!fs::exists(SharedData / "cbw10010.21n.gz")) GTEST_SKIP() << "no shared data";
    const BroadcastNav nav = Quietly({"cbw10010.21n.gz", "dlf10010.21g"});
    const double delft[3] = {3924687.7020, 301132.7660, 5001910.7750};
    const StationFrame station(delft);
    const double start = 2138 * 604800.0 + 432000 - 1200; // 2020-12-31 23:40
    for (const NavSat sat : {NavSat{'G', 7}, NavSat{'G', 8}, NavSat{'R', 1}, NavSat{'R', 17}}) {
        SatelliteTrack track(nav, sat, station);
        int compared = 0;
        for (double t = start; t < start + 3 * 3600; t += 1) {
            double az = 0, el = 0, trackAz = 0, trackEl = 0;
            const bool exact = SatelliteAzEl(nav, sat, t, station, az, el);
            ASSERT_EQ(track.AzEl(t, trackAz, trackEl), exact) << sat.sys << sat.prn << " " << t;
            if (!exact) continue;
            EXPECT_NEAR(trackEl, el, 1e-4);
            EXPECT_NEAR(std::remainder(trackAz - az, 360.0) * std::cos(el * M_PI / 180), 0, 1e-4);
            compared++;
        }
        EXPECT_GT(compared, 1000) << sat.sys << sat.prn;
    }
}

// A file whose header position is blanked: the single-point position from its codes at the
// first epoch (GPS and GLONASS, two receiver clocks) lies within 100 m of the header's.
TEST(SatGeometry, SinglePointPositionOfAFileWithoutHeaderPosition)
{
    const fs::path original = SharedData / "delf0010.21o";
    if (!fs::exists(original)) GTEST_SKIP() << "no shared data";
    std::ifstream in(original);
    const fs::path blanked =
        fs::temp_directory_path() / ("kestrova_spp_" + std::to_string(getpid()) + ".21o");
    std::ofstream out(blanked);
    double header[3] = {};
    for (std::string line; std::getline(in, line);) {
        if (line.find("APPROX POSITION XYZ") != std::string::npos) {
            std::sscanf(line.c_str(), "%lf %lf %lf", &header[0], &header[1], &header[2]);
            line = std::string(60, ' ') + "APPROX POSITION XYZ";
        }
        out << line << "\n";
    }
    out.close();
    RINEXHeader head;
    RINEXData data(head);
    RINEX rinex(head, data);
    testing::internal::CaptureStdout();
    rinex.SetFile(blanked.c_str());
    rinex.ReadFile();
    testing::internal::GetCapturedStdout();
    fs::remove(blanked);
    ASSERT_EQ(head.X0.x, 0);
    std::vector<CodeRange> codes;
    for (long r = 0; r < data.nsat(0); r++) {
        const short sat = data.sat(r);
        const NavSat navSat{sat < 100 ? 'G' : 'R', sat % 100};
        codes.push_back(
            {navSat, GpsSeconds(data.epoch(0)), static_cast<double>(data.Table(tC1)(r).obs)});
    }
    double xyz[3];
    ASSERT_TRUE(SinglePointPosition(Quietly({"cbw10010.21n.gz", "dlf10010.21g"}), codes, xyz));
    const double d[3] = {xyz[0] - header[0], xyz[1] - header[1], xyz[2] - header[2]};
    EXPECT_LT(std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 100);
    // without usable records there is no position
    EXPECT_FALSE(SinglePointPosition(BroadcastNav{}, codes, xyz));
}

} // namespace
