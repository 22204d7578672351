// SPDX-License-Identifier: BSD-2-Clause
// The satellite systems: one row per RINEX system letter holding every fact the program uses of
// a system (its names, its satellite numbers, the carrier of each RINEX band it transmits, the
// pair of bands of its dual-frequency combinations and the columns they are read from), and the
// one numbering of satellites that the command line, the readers and the summary share.
// Frequencies: IS-GPS-200, GLONASS ICD, Galileo OS SIS ICD, BeiDou ICDs (B1I, B3I, B1C, B2a,
// B2b), IS-QZSS-PNT, NavIC SPS ICD, RTCA DO-229; band numbers as RINEX 3.05 and 4 give them.
// GM and the Earth's rotation of the broadcast orbits: IS-GPS-200 (GPS, and QZSS and NavIC, whose
// documents take them over), Galileo OS SIS ICD, BeiDou ICD (CGCS2000), GLONASS ICD (PZ-90, with
// the equatorial radius and J2 of its orbit integration). Validity: how far from its reference
// epoch a record serves (0: its fit interval).
#ifndef KESTROVA_GNSS_SATSYSTEM_H
#define KESTROVA_GNSS_SATSYSTEM_H

#include "GNSS/RINEXHeader.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// RINEX band digits run from 1 to 9; the carrier of each band, Hz, 0 where the system has none.
inline constexpr int NBands = 10;
using BandFrequencies = std::array<long double, NBands>;

// m/s, in long double: a carrier's wavelength is this over its frequency.
inline constexpr long double LightSpeed = 299792458.0L;

enum class OrbitKind { Kepler, GlonassState, SbasState };
enum class NavTimeScale { GPST, BDT, UTC };
// How a record tells that the satellite is healthy: the SV health field 0 (GPS, QZSS, NavIC;
// BeiDou's SatH1), the state-vector health 0 (GLONASS Bn), the health and data-validity bits of
// the Galileo signals of the message clear, or not at all (SBAS: validity only).
enum class HealthRule { SvHealth, StateHealth, GalileoSignals, None };

// What the navigation data of a system is: the facts the reader, the choice of ephemeris and
// the orbit computation look up. The constants are those of each system's interface document.
struct NavSystemFacts {
    OrbitKind kind;
    NavTimeScale scale;
    double gm;        // gravitational constant of the orbit model, m^3/s^2
    double earthRate; // rotation rate of the Earth in the system's frame, rad/s
    double validity;  // s each side of the reference epoch in which a record serves; 0: its fit
                      // interval
    double radius;    // equatorial radius, m, and
    double j2;        // second zonal harmonic of the state-vector integration (GLONASS)
    const char* rinex4Messages; // the RINEX 4 messages whose EPH records are kept, blank-framed
    HealthRule health;
    char rinex2Type; // the file type of its RINEX 2 navigation files, blank for none
    // Geostationary satellites (their orbit is turned in a frame of its own): PRNs up to
    // geoLast and from geoFirst on; geoLast 0 and geoFirst 100 for none.
    int geoLast, geoFirst;
};
// The pair of bands of the dual-frequency combinations of a system and the columns they read:
// the C code of the first band ([C] forms), its P code ([P] forms, tUnknown where none), the
// code of the second band, and the P code of the second band of the default pair (P2-C2, which
// does not follow the pair; tUnknown where none).
struct BandPair {
    int band1, band2;
    RINEXObsType firstCode, firstPCode, secondCode, secondPCode;
    bool operator==(const BandPair&) const = default;
};

struct SatSystem {
    char letter;           // the RINEX system letter
    const char* name;      // as the verbose lines and the warnings write it
    const char* shortName; // as the summary's totals write it
    short base;            // satellite number = base + the two-digit number of the identifier
    BandFrequencies freq;  // GLONASS bands 1 and 2: channel 0; each slot moves by its channel
    // How far the carrier of a band moves per frequency channel, Hz; 0 for a band of one carrier.
    BandFrequencies channelStep;
    int band1, band2; // the bands of the dual-frequency combinations
    // The columns of the combinations: the C code of the first band ([C] forms), its P code
    // ([P] forms, tUnknown where the system has none), the code of the second band, and the P
    // code of the second band (P2-C2, tUnknown where none).
    RINEXObsType firstCode, firstPCode, secondCode, secondPCode;
    // The bands 1 and 2 of each satellite lie on the channel of its slot (FDMA).
    bool channels;
    // The signals of its RINEX 3 and 4 types records are read, and named on the signals line,
    // also where the run lists none of its satellites: result files have always shown them.
    bool signalsAlwaysRead;
    // The band that headers before RINEX 3.03 write as band 1 (BeiDou's B1I), 0 for none.
    int oldBand1;
    // Its letter switches it on in any -c text; the others only in a text of system letters
    // alone, so that words such as -cGPS or -cGLONASS keep selecting what they always did.
    bool inAnyCText;
    // Its broadcast navigation data.
    NavSystemFacts nav;

    // The carrier of a band on a GLONASS frequency channel (the table's where none is given, and
    // on a band that does not move with the channel), Hz.
    long double Carrier(int band, std::optional<long double> channel = {}) const
    {
        const auto b = static_cast<std::size_t>(band);
        return channel && channelStep[b] != 0 ? freq[b] + *channel * channelStep[b] : freq[b];
    }
    // The wavelength of a band, m, on that channel; 0 where the system has no carrier on it.
    long double Wavelength(int band, std::optional<long double> channel = {}) const
    {
        return band > 0 && band < NBands && freq[static_cast<std::size_t>(band)] != 0
                   ? LightSpeed / Carrier(band, channel)
                   : 0;
    }
    // The phase column of a band: L1, L2, L5 ...
    RINEXObsType PhaseType(int band) const;
    // The C code column of a band: C1, C2, C5 ...
    RINEXObsType CodeType(int band) const;
    // The system transmits the band and its signals are read (the table of signals has it).
    bool ReadsBand(int band) const;
    // The pair of bands a and b: the default pair keeps the columns of the table; any other reads
    // the C code of band a and, for the second code, the P code where band b is the default
    // second band of a system with one (GPS and GLONASS band 2), else the C code of band b.
    BandPair Pair(int a, int b) const;
    BandPair DefaultPair() const { return Pair(band1, band2); }
};

namespace SatFreq {
inline constexpr long double f0 = 10.23e6L; // of which every CDMA carrier is a multiple
// GLONASS: G1 and G2 of channel 0 are 9 and 7 times 178 MHz, and move by 562.5 and 437.5 kHz per
// channel; G3 is CDMA.
inline constexpr long double glonass0 = 178.0e6L;
inline constexpr long double glonassG3 = 1202.025e6L;
inline constexpr long double glonassStep1 = 562500.0L;
inline constexpr long double glonassStep2 = 437500.0L;
} // namespace SatFreq

// clang-format off
inline constexpr std::array<SatSystem, 7> SatSystems = {{
    // letter name       short  base  carrier of bands 0-9 (Hz)
    //  step of the carriers per frequency channel (Hz)
    //  pair of bands, first C code, first P code, second code, second P code, channels,
    //  signals always read, band 1 before RINEX 3.03, in any -c text
    //  navigation: orbit, time scale, GM (m^3/s^2), Earth rotation (rad/s), validity (s),
    //  radius (m), J2, RINEX 4 messages, health rule, RINEX 2 file type, GEO PRNs
    {'G', "GPS",     "GPS", 0,   {0, 154 * SatFreq::f0, 120 * SatFreq::f0, 0, 0, 115 * SatFreq::f0, 0, 0, 0, 0}, {},
     1, 2, tC1, tP1, tP2, tP2, false, true, 0, true,
     {OrbitKind::Kepler, NavTimeScale::GPST, 3.986005e14, 7.2921151467e-5, 0, 0, 0, " LNAV ", HealthRule::SvHealth, 'N', 0, 100}},
    {'R', "GLONASS", "GLO", 100, {0, 9 * SatFreq::glonass0, 7 * SatFreq::glonass0, SatFreq::glonassG3, 0, 0, 0, 0, 0, 0},
     {0, SatFreq::glonassStep1, SatFreq::glonassStep2},
     1, 2, tC1, tP1, tP2, tP2, true, true, 0, true,
     {OrbitKind::GlonassState, NavTimeScale::UTC, 3.986004418e14, 7.292115e-5, 15 * 60, 6378136, 1082625.75e-9, " FDMA ", HealthRule::StateHealth, 'G', 0, 100}},
    // E5b (band 7) is Galileo's second frequency of the combinations
    {'E', "GALILEO", "GAL", 200, {0, 154 * SatFreq::f0, 0, 0, 0, 115 * SatFreq::f0, 125 * SatFreq::f0,
                                  118 * SatFreq::f0, 116.5L * SatFreq::f0, 0}, {},
     1, 7, tC1, tP1, tC7, tUnknown, false, true, 0, true,
     {OrbitKind::Kepler, NavTimeScale::GPST, 3.986004418e14, 7.2921151467e-5, 4 * 3600, 0, 0, " INAV FNAV ", HealthRule::GalileoSignals, 'L', 0, 100}},
    // B1I (band 2) and B3I (band 6): the pair every BDS-2 and BDS-3 satellite transmits
    {'C', "BDS",     "BDS", 300, {0, 154 * SatFreq::f0, 763 * SatFreq::f0 / 5, 0, 0, 115 * SatFreq::f0,
                                  124 * SatFreq::f0, 118 * SatFreq::f0, 116.5L * SatFreq::f0, 0}, {},
     2, 6, tC2, tUnknown, tC6, tUnknown, false, false, 2, true,
     {OrbitKind::Kepler, NavTimeScale::BDT, 3.986004418e14, 7.2921150e-5, 1 * 3600, 0, 0, " D1 D2 ", HealthRule::SvHealth, ' ', 5, 59}},
    {'J', "QZSS",    "QZS", 500, {0, 154 * SatFreq::f0, 120 * SatFreq::f0, 0, 0, 115 * SatFreq::f0,
                                  125 * SatFreq::f0, 0, 0, 0}, {},
     1, 2, tC1, tUnknown, tC2, tUnknown, false, true, 0, false,
     {OrbitKind::Kepler, NavTimeScale::GPST, 3.986005e14, 7.2921151467e-5, 0, 0, 0, " LNAV ", HealthRule::SvHealth, ' ', 0, 100}},
    {'I', "NAVIC",   "IRN", 600, {0, 154 * SatFreq::f0, 0, 0, 0, 115 * SatFreq::f0, 0, 0, 0, 1218 * SatFreq::f0 / 5}, {},
     5, 9, tC5, tUnknown, tC9, tUnknown, false, false, 0, false,
     {OrbitKind::Kepler, NavTimeScale::GPST, 3.986005e14, 7.2921151467e-5, 0, 0, 0, " LNAV ", HealthRule::SvHealth, ' ', 0, 100}},
    {'S', "SBAS",    "SBS", 400, {0, 154 * SatFreq::f0, 0, 0, 0, 115 * SatFreq::f0, 0, 0, 0, 0}, {},
     1, 5, tC1, tUnknown, tC5, tUnknown, false, true, 0, false,
     {OrbitKind::SbasState, NavTimeScale::GPST, 3.986005e14, 7.2921151467e-5, 10 * 60, 0, 0, " SBAS ", HealthRule::None, 'H', 0, 100}},
}};
// clang-format on

// The default choice of the RINEX 3 and 4 signal read as each two-letter type of the listing.
// The RINEX code of a type is its observation letter (C for the codes, also for P1 and P2), its
// band digit and an attribute; of the attributes of a type's row, the first whose code the
// system's header lists is taken. Types and codes without a row (band 3) are not read. Rows are
// in the order the signals line names the types. A choice of the run (-i) is tried first for the
// C, L, D and S types of its band; P1 and P2 keep the P(Y) trackings.
struct SignalPriority {
    const char* systems;
    const char* types;
    const char* attributes;
};

// clang-format off
inline constexpr SignalPriority SignalPriorities[] = {
    // GPS: L2 prefers the semi-codeless W phase that goes with P2
    {"G",  "C1",          "C"},
    {"G",  "P1",          "WPY"},
    {"G",  "L1 D1 S1",    "CWPYXLS"},
    {"G",  "C2",          "LXSC"},
    {"G",  "P2",          "WPY"},
    {"G",  "L2 D2 S2",    "WPYLXSC"},
    {"G",  "C5 L5 D5 S5", "QXI"},
    // GLONASS
    {"R",  "C1",          "C"},
    {"R",  "P1",          "P"},
    {"R",  "L1 D1 S1",    "CP"},
    {"R",  "C2",          "C"},
    {"R",  "P2",          "P"},
    {"R",  "L2 D2 S2",    "PC"},
    // Galileo: E1, E5a, E6, E5b (the second frequency of the combinations), E5a+b
    {"E",  "C1",          "CXB"},
    {"E",  "L1 D1 S1",    "CXB"},
    {"E",  "C5 L5 D5 S5", "QXI"},
    {"E",  "C6 L6 D6 S6", "CXB"},
    {"E",  "C7 L7 D7 S7", "QXI"},
    {"E",  "C8 L8 D8 S8", "QXI"},
    // BeiDou: B1I (band 2) and B3I (band 6), the pair of the combinations, then B3A; B1C (band
    // 1), B2a (band 5), B2I and B2b (band 7), B2a+b (band 8)
    {"C",  "C2 L2 D2 S2", "IQX"},
    {"C",  "C6 L6 D6 S6", "IQXDPZ"},
    {"C",  "C1 L1 D1 S1", "PDX"},
    {"C",  "C5 L5 D5 S5", "PDX"},
    {"C",  "C7 L7 D7 S7", "IQXDPZ"},
    {"C",  "C8 L8 D8 S8", "PDX"},
    // QZSS and SBAS; QZSS L5S (D, P, Z) after L5
    {"JS", "C1",          "C"},
    {"JS", "L1 D1 S1",    "CXLSZ"},
    {"JS", "C2",          "LXS"},
    {"JS", "L2 D2 S2",    "LXS"},
    {"J",  "C5 L5 D5 S5", "QXIDPZ"},
    {"S",  "C5 L5 D5 S5", "QXI"},
    {"J",  "C6 L6 D6 S6", "SLXEZ"},
    // NavIC: L1 (RINEX 4), L5 and S
    {"I",  "C1 L1 D1 S1", "DPX"},
    {"I",  "C5 L5 D5 S5", "ABCX"},
    {"I",  "C9 L9 D9 S9", "ABCX"},
};
// clang-format on

// The place of a system's row in the table, for tables kept beside it.
inline std::size_t RowOf(const SatSystem& s)
{
    return static_cast<std::size_t>(&s - SatSystems.data());
}

// Presence tables indexed by satellite number hold this many entries: every base and 99 more.
inline constexpr int NSatNumbers = 700;
// The number of no satellite: an identifier whose letter is outside the table.
inline constexpr short NoSatellite = -1;

// The row of a system letter (upper case), nullptr outside the table.
const SatSystem* SystemOfLetter(char letter);
// The row of a satellite number, nullptr for a number of no system.
const SatSystem* SystemOf(short sat);
// The satellite number of a system letter (upper case; a blank is GPS, as RINEX 2 files write
// it) and a two-digit number; NoSatellite for a letter outside the table.
short SatNumber(char letter, int nn);
// The two-digit number of a satellite within its system (5 for G05 and R05).
int SatPrn(short sat);
// "G05": the letter and the two-digit number, for a satellite number of the table.
std::string SatId(short sat);
// The satellite of a three-character identifier as RINEX writes it: letter (or blank), tens
// digit (or blank), units digit. NoSatellite for anything else.
short SatOfId(std::string_view id);
// The letters of the table, in its order: "GRECJIS".
std::string SystemLetters();

#endif
