// SPDX-License-Identifier: BSD-2-Clause
// Test helper: result-file text as kestrova writes it, so that tests can hand-make listings
// whose every figure is known.
#ifndef KESTROVA_TESTS_UNIT_GOFTEXT_H
#define KESTROVA_TESTS_UNIT_GOFTEXT_H

#include <cstdio>
#include <string>

namespace goftext {

// The settings header and column heading of a listing of 2015-02-13 every 30 s from 00:00:00
// to endSeconds, with the observations as the header writes them ("L1[+] MP2[-]") and the
// column heading after SAT.
inline std::string Header(const std::string& satellites, const std::string& observations,
                          const std::string& heading, int endSeconds = 1170)
{
    char end[128];
    std::snprintf(
        end, sizeof end,
        "#End epoch:          2015-02-13 %02d:%02d:%02d.000 [ 57066 %5d.000]  (from RINEX "
        "file)\n",
        endSeconds / 3600, endSeconds / 60 % 60, endSeconds % 60, endSeconds);
    return "#PROGRAM: Kestrova\n"
           "#         RINEX observation file extraction - listing of observations\n"
           "#\n"
           "#DATA:\n"
           "#RINEX file:         hand.10o\n"
           "#Satellites:        " +
           satellites +
           "\n"
           "#Observations:      " +
           observations +
           "\n"
           "#RAW phase unit:     CYCLE  (default)\n"
           "#Start epoch:        2015-02-13 00:00:00.000 [ 57066     0.000]  (from RINEX file)\n" +
           end +
           "#Time interval:      30.000\n"
           "#Max clock error:    0.1000000\n"
           "#MS jumps elim.      NO\n"
           "#Result file:        hand.gof\n"
           "#Verbose mode:       NO\n"
           "#All epochs:         YES\n"
           "#\n"
           "#          Time(datum)       Time(MJD)  SAT" +
           heading + "\n";
}

// A column group: the value in 14 characters with 3 decimals, the loss-of-lock digit and the
// signal-strength digit 5 in 2 characters each.
inline std::string V(double value, int lli = 0)
{
    char text[64];
    std::snprintf(text, sizeof text, "%14.3f%2d%2d", value, lli, 5);
    return text;
}

inline const std::string Missing = "         *.*** * *";

// The row of satellite sat at epoch i, i x 30 s after 2015-02-13 00:00:00.
inline std::string Row(int i, const std::string& sat, const std::string& groups)
{
    const int s = i * 30;
    char prefix[80];
    std::snprintf(prefix, sizeof prefix, " 2015-02-13 %02d:%02d:%02d.0   57066 %7d.0  %s", s / 3600,
                  s / 60 % 60, s % 60, s, sat.c_str());
    return prefix + groups + "\n";
}

} // namespace goftext

#endif
