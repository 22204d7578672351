// SPDX-License-Identifier: BSD-2-Clause
// Signal constants of GPS, GLONASS and Galileo, the GLONASS slot tables and the current
// combination factors GLC that the combination functions read. The facts of every system, these
// constants among them, are gathered in the table of systems (GNSS/SatSystem).
//
// Every constant is written as the rule it comes from and evaluated at build time in long double,
// so that no digit is lost to a typed-in decimal. Units: Hz, m, m/s; the factors are pure numbers.
#ifndef KESTROVA_GNSS_MGNSSC_H
#define KESTROVA_GNSS_MGNSSC_H

#include "matrix/matrix.h"

// The factors of a pair of frequencies f1, f2, shared by the three constellations.
namespace DualFreq {
constexpr long double IonoFree1(long double f1, long double f2)
{
    return f1 * f1 / (f1 * f1 - f2 * f2);
}
constexpr long double IonoFree2(long double f1, long double f2)
{
    return f2 * f2 / (f1 * f1 - f2 * f2);
}
constexpr long double WideLane1(long double f1, long double f2) { return f1 / (f1 - f2); }
constexpr long double WideLane2(long double f1, long double f2) { return f2 / (f1 - f2); }
constexpr long double NarrowLane1(long double f1, long double f2) { return f1 / (f1 + f2); }
constexpr long double NarrowLane2(long double f1, long double f2) { return f2 / (f1 + f2); }
constexpr long double Alpha(long double f1, long double f2) { return (f1 / f2) * (f1 / f2); }
} // namespace DualFreq

namespace GPSc {
inline constexpr long double c = 299792458.0L;
inline constexpr long double freq0 = 10.23e6L;
inline constexpr long double freq1 = 154 * freq0; // L1
inline constexpr long double freq2 = 120 * freq0; // L2
inline constexpr long double freq5 = 115 * freq0; // L5
inline constexpr long double lamb0 = c / freq0;
inline constexpr long double lamb1 = c / freq1;
inline constexpr long double lamb2 = c / freq2;
inline constexpr long double lamb5 = c / freq5;
inline constexpr long double lamWL = c / (freq1 - freq2);
inline constexpr long double lamNL = c / (freq1 + freq2);
inline constexpr long double LCion1 = DualFreq::IonoFree1(freq1, freq2);
inline constexpr long double LCion2 = DualFreq::IonoFree2(freq1, freq2);
inline constexpr long double LCwl1 = DualFreq::WideLane1(freq1, freq2);
inline constexpr long double LCwl2 = DualFreq::WideLane2(freq1, freq2);
inline constexpr long double LCnl1 = DualFreq::NarrowLane1(freq1, freq2);
inline constexpr long double LCnl2 = DualFreq::NarrowLane2(freq1, freq2);
inline constexpr long double alpha = DualFreq::Alpha(freq1, freq2);
inline constexpr long double f1_f2 = freq1 / freq2;
} // namespace GPSc

namespace GLONASSc {
inline constexpr long double c = 299792458.0L;
inline constexpr long double freq0 = 178.0e6L;
inline constexpr long double freq10 = 9 * freq0;  // G1 of channel 0
inline constexpr long double freq20 = 7 * freq0;  // G2 of channel 0
inline constexpr long double freq3 = 1202.025e6L; // G3
inline constexpr long double dfreq10 = 562500.0L; // G1 channel spacing
inline constexpr long double dfreq20 = 437500.0L; // G2 channel spacing
inline constexpr long double lamb10 = c / freq10;
inline constexpr long double lamb20 = c / freq20;
inline constexpr long double lamb3 = c / freq3;
// The factors of the nominal 9 : 7 ratio of G1 to G2; they hold for every channel.
inline constexpr long double LCion1 = DualFreq::IonoFree1(freq10, freq20);
inline constexpr long double LCion2 = DualFreq::IonoFree2(freq10, freq20);
inline constexpr long double LCwl1 = DualFreq::WideLane1(freq10, freq20);
inline constexpr long double LCwl2 = DualFreq::WideLane2(freq10, freq20);
inline constexpr long double LCnl1 = DualFreq::NarrowLane1(freq10, freq20);
inline constexpr long double LCnl2 = DualFreq::NarrowLane2(freq10, freq20);
inline constexpr long double alpha = DualFreq::Alpha(freq10, freq20);
inline constexpr long double f1_f2 = freq10 / freq20;

// The orbital slots the tables below hold: R01 to R32.
inline constexpr short NSlots = 32;
// A GLONASS satellite number of one of those slots, and its row in the tables.
bool HasSlot(short sat);
short SlotRow(short sat);

// Per-slot G1/G2 frequencies (Hz) and wavelengths (m): row = slot - 1, columns G1, G2.
// Zero until a channel is set for the slot.
extern matrix<long double> freq;
extern matrix<long double> lamb;
// Fills row prn of freq and lamb for frequency channel k; the table stops a row outside 0 .. 31.
void SetFrequency(long double k, short prn);
} // namespace GLONASSc

namespace GALILEOc {
inline constexpr long double c = 299792458.0L;
inline constexpr long double freq0 = 10.23e6L;
inline constexpr long double freq1 = 154 * freq0; // E1
inline constexpr long double freq2 = 118 * freq0; // E5b, the second frequency of the combinations
inline constexpr long double freq5 = 115 * freq0; // E5a
inline constexpr long double freq8 = 116.5L * freq0; // E5
inline constexpr long double lamb0 = c / freq0;
inline constexpr long double lamb1 = c / freq1;
inline constexpr long double lamb2 = c / freq2;
inline constexpr long double lamb5 = c / freq5;
inline constexpr long double lamb8 = c / freq8;
inline constexpr long double lamWL = c / (freq1 - freq2);
inline constexpr long double lamNL = c / (freq1 + freq2);
inline constexpr long double LCion1 = DualFreq::IonoFree1(freq1, freq2);
inline constexpr long double LCion2 = DualFreq::IonoFree2(freq1, freq2);
inline constexpr long double LCwl1 = DualFreq::WideLane1(freq1, freq2);
inline constexpr long double LCwl2 = DualFreq::WideLane2(freq1, freq2);
inline constexpr long double LCnl1 = DualFreq::NarrowLane1(freq1, freq2);
inline constexpr long double LCnl2 = DualFreq::NarrowLane2(freq1, freq2);
inline constexpr long double alpha = DualFreq::Alpha(freq1, freq2);
inline constexpr long double f1_f2 = freq1 / freq2;
} // namespace GALILEOc

// The factors the combination functions and the listing use now: GPS until the listing loads
// those of the satellite it lists from the table of systems.
namespace GLC {
inline long double LCion1 = GPSc::LCion1;
inline long double LCion2 = GPSc::LCion2;
inline long double LCwl1 = GPSc::LCwl1;
inline long double LCwl2 = GPSc::LCwl2;
inline long double LCnl1 = GPSc::LCnl1;
inline long double LCnl2 = GPSc::LCnl2;
inline long double lamb1 = GPSc::lamb1;
inline long double lamb2 = GPSc::lamb2;
inline long double alpha = GPSc::alpha;

// Back to the start values above (for harnesses and tests that run many listings in one process).
inline void Reset()
{
    LCion1 = GPSc::LCion1;
    LCion2 = GPSc::LCion2;
    LCwl1 = GPSc::LCwl1;
    LCwl2 = GPSc::LCwl2;
    LCnl1 = GPSc::LCnl1;
    LCnl2 = GPSc::LCnl2;
    lamb1 = GPSc::lamb1;
    lamb2 = GPSc::lamb2;
    alpha = GPSc::alpha;
}
} // namespace GLC

#endif
