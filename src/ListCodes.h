// SPDX-License-Identifier: BSD-2-Clause
// The codes of the observation list (-l): one table whose rows say how a code is typed, how its
// column is headed, what the file must hold for it, and the function that writes its value.
#ifndef KESTROVA_SRC_LISTCODES_H
#define KESTROVA_SRC_LISTCODES_H

#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatConstants.h"
#include "GNSS/SatSystem.h"
#include "GNSS/gnssobs.h"

#include <array>
#include <span>
#include <string>

// Header observation types as bits of one set.
constexpr unsigned long TypeBit(RINEXObsType t) { return 1ul << t; }
// A set that no header holds.
constexpr unsigned long NeverTypes = 1ul << NObsTypes;
// The header types among the bits.
constexpr unsigned long HeaderTypeBits = NeverTypes - 1;
// Not a header type: the satellite's angles, available when navigation files are given.
constexpr unsigned long GeometryBit = NeverTypes << 1;

// The columns a combination reads from its system's pair (the table of systems names them).
enum PairRole : unsigned {
    FirstC = 1,  // C code of the first band
    FirstP = 2,  // P code of the first band
    Second = 4,  // code of the second band
    SecondP = 8, // P code of the second band
    Phase1 = 16, // phase of the first band
    Phase2 = 32, // phase of the second band
};

// What a satellite's rows read beside the record: its constants, the factor of each raw phase
// column (the wavelength in metre mode, else 1) and the first entries of the tables most codes
// read (the fixed C1, P1 and L1 and the pair of its system; nullptr where the file or the system
// has no such column).
struct SatelliteColumns {
    SatConstants constants;
    std::array<long double, NBands> phaseFactor{};
    const gnssobs *C1 = nullptr, *P1 = nullptr, *L1 = nullptr;
    const gnssobs *firstCode = nullptr, *firstPCode = nullptr, *secondCode = nullptr;
    const gnssobs *phase1 = nullptr, *phase2 = nullptr;
};

// The azimuth and elevation of a row, degrees, where they are known.
struct RowAngles {
    bool known = false;
    double az = 0, el = 0;
};

// The observations of one record that most codes read, looked up once for all its columns.
struct RowValues {
    const RINEXData& d;
    long k;
    const SatelliteColumns& sat;
    const RowAngles& angles;
    const gnssobs &C1, &P1, &L1;
    const gnssobs &Co1, &Pc1, &Co2, &Ph1, &Ph2;
    RowValues(const RINEXData& data, long record, const SatelliteColumns& s, const RowAngles& a);
};

// Writes the value columns of a code at p and returns their end; ok: the value is there.
using PutValue = char* (*)(char* p, const RowValues& r, bool& ok);

struct ListCode {
    const char* text;    // accepted text
    const char* alias;   // second accepted text, or none
    const char* column;  // column name in the result file
    int width;           // width of the value column
    unsigned long needs; // header types needed whatever the system
    unsigned roles;      // columns of the pair needed, for the systems chosen (one suffices)
    PutValue put;
};

// The codes, by their list number.
std::span<const ListCode> ListCodes();
// The number of an accepted code text (exact, case-sensitive); a text that is no code stops the
// run in its frame.
int ParseListCode(const std::string& text);
// The raw code of header type t, or -1: found by the header's type number, never by the two
// letters, which the raw L3 shares with a combination.
int RawCodeOfType(unsigned short t);
// The header types of the pair roles of a system's pair; NeverTypes where it lacks a column.
unsigned long PairTypes(const SatSystem& s, const BandPair& p, unsigned roles);
// The codes of the satellite's angles.
bool IsAngleCode(int code);

#endif
