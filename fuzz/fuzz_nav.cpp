// SPDX-License-Identifier: BSD-2-Clause
// A navigation file read into the store, then every record asked for its satellite's angles from
// a receiver, the GLONASS channel of its slot and a single-point position from made-up codes, so
// that whatever the reader lets through meets the orbit and geometry code.
#include "GNSS/BroadcastNav.h"
#include "GNSS/SatGeometry.h"
#include "fuzz/FuzzRun.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = WriteInput("nav.rnx", data, size);
    RunGuarded([&file] {
        BroadcastNav nav;
        nav.Read(file.c_str());
        const double receiver[3] = {3924687.7, 301132.8, 5001910.8};
        const StationFrame station(receiver);
        std::vector<CodeRange> codes;
        int channel = 0;
        for (const NavRecord& r : nav.Records()) {
            double az = 0, el = 0;
            for (double dt : {-900.0, 0.0, 7200.0})
                SatelliteAzEl(nav, r.sat, r.refEpoch + dt, station, az, el);
            nav.GlonassChannel(r.sat.prn, r.refEpoch, channel);
            if (codes.size() < 12)
                codes.push_back(
                    {r.sat, r.refEpoch, 2.2e7 + 1e5 * static_cast<double>(codes.size())});
        }
        double xyz[3];
        SinglePointPosition(nav, codes, xyz);
    });
    return 0;
}
