// SPDX-License-Identifier: BSD-2-Clause
// A navigation file read into the store, then its first records asked for their satellites'
// angles from a receiver (inside and beyond the validity), the GLONASS channel of their slots
// and a single-point position from made-up codes, so that whatever the reader lets through
// meets the orbit and geometry code.
#include "GNSS/BroadcastNav.h"
#include "GNSS/SatGeometry.h"
#include "fuzz/FuzzRun.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file = WriteInput("nav.rnx", data, size);
    RunGuarded([&file] {
        BroadcastNav nav;
        nav.Read(file.c_str());
        const double receiver[3] = {3924687.7, 301132.8, 5001910.8};
        const StationFrame station(receiver);
        std::vector<CodeRange> codes;
        int channel = 0;
        const double offsets[] = {0.0, -900.0, 7200.0};
        for (const NavRecord& r : nav.Records()) {
            if (codes.size() == 8) break;
            double az = 0, el = 0;
            SatelliteAzEl(nav, r.sat, r.refEpoch + offsets[codes.size() % 3], station, az, el);
            nav.GlonassChannel(r.sat.prn, r.refEpoch, channel);
            codes.push_back({r.sat, nav.Records()[0].refEpoch,
                             2.2e7 + 1e5 * static_cast<double>(codes.size())});
        }
        double xyz[3];
        SinglePointPosition(nav, codes, xyz);
    });
    return 0;
}
