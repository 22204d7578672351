// SPDX-License-Identifier: BSD-2-Clause
// ObsType: the observation types the store keeps, one row each. A type is a band and a kind
// (code, P code, phase, Doppler, signal strength); its row gives the two-letter RINEX 2 name and
// whether the store has a table for it. A new band or kind is one row here: the store, the
// presence sets and the readers follow the table.
#ifndef KESTROVA_GNSS_OBSTYPE_H
#define KESTROVA_GNSS_OBSTYPE_H

#include <bitset>
#include <cstddef>
#include <string_view>

enum class ObsKind : unsigned char {
    Code,     // C: metres, with loss-of-lock and signal-strength digits
    PCode,    // P (bands 1 and 2): as Code
    Phase,    // L: cycles, with the digits
    Doppler,  // D: Hz, value only
    Strength, // S: dB-Hz, value only
};

// The indexes of the rows (not the numbers of the observation list). Their order is the order of
// the rows below.
// clang-format off
enum RINEXObsType : unsigned short {
    tC1 = 0, tP1, tL1, tS1, tD1, tC2, tP2, tL2, tS2, tD2,
    tC3, tL3, tS3, tD3, tC5, tL5, tD5, tS5, tC6, tL6,
    tD6, tS6, tC7, tL7, tD7, tS7, tC8, tL8, tD8, tS8,
    tC9, tL9, tD9, tS9,
    NObsTypes,
    tUnknown = 99 // a type pair that is not in the table: selects no table and no presence
};
// clang-format on

struct ObsTypeRow {
    char name[3]; // "C1", as RINEX 2 names it
    int band;     // RINEX band digit
    ObsKind kind;
    bool stored; // the store has a table for it (band 3 is recognised, not kept)
};

// clang-format off
inline constexpr ObsTypeRow ObsTypes[NObsTypes] = {
    {"C1", 1, ObsKind::Code, true},  {"P1", 1, ObsKind::PCode, true},
    {"L1", 1, ObsKind::Phase, true}, {"S1", 1, ObsKind::Strength, true},
    {"D1", 1, ObsKind::Doppler, true},
    {"C2", 2, ObsKind::Code, true},  {"P2", 2, ObsKind::PCode, true},
    {"L2", 2, ObsKind::Phase, true}, {"S2", 2, ObsKind::Strength, true},
    {"D2", 2, ObsKind::Doppler, true},
    {"C3", 3, ObsKind::Code, false}, {"L3", 3, ObsKind::Phase, false},
    {"S3", 3, ObsKind::Strength, false}, {"D3", 3, ObsKind::Doppler, false},
    {"C5", 5, ObsKind::Code, true},  {"L5", 5, ObsKind::Phase, true},
    {"D5", 5, ObsKind::Doppler, true}, {"S5", 5, ObsKind::Strength, true},
    {"C6", 6, ObsKind::Code, true},  {"L6", 6, ObsKind::Phase, true},
    {"D6", 6, ObsKind::Doppler, true}, {"S6", 6, ObsKind::Strength, true},
    {"C7", 7, ObsKind::Code, true},  {"L7", 7, ObsKind::Phase, true},
    {"D7", 7, ObsKind::Doppler, true}, {"S7", 7, ObsKind::Strength, true},
    {"C8", 8, ObsKind::Code, true},  {"L8", 8, ObsKind::Phase, true},
    {"D8", 8, ObsKind::Doppler, true}, {"S8", 8, ObsKind::Strength, true},
    {"C9", 9, ObsKind::Code, true},  {"L9", 9, ObsKind::Phase, true},
    {"D9", 9, ObsKind::Doppler, true}, {"S9", 9, ObsKind::Strength, true},
};
// clang-format on

// The letter RINEX writes for a kind.
constexpr char KindLetter(ObsKind k)
{
    constexpr char letters[] = {'C', 'P', 'L', 'D', 'S'};
    return letters[static_cast<std::size_t>(k)];
}

// Codes and phases keep their loss-of-lock and strength digits (a table of gnssobs); Dopplers
// and strengths only the value (gnssobsshort).
constexpr bool KeepsFlags(ObsKind k)
{
    return k == ObsKind::Code || k == ObsKind::PCode || k == ObsKind::Phase;
}

// The type of a band and a kind; tUnknown where the table has no row.
constexpr RINEXObsType ObsTypeOf(int band, ObsKind kind)
{
    for (unsigned short t = 0; t < NObsTypes; t++)
        if (ObsTypes[t].band == band && ObsTypes[t].kind == kind)
            return static_cast<RINEXObsType>(t);
    return tUnknown;
}

// Each row is its own band and kind, and its name says them: a row added out of place fails here.
constexpr bool RowsAgree()
{
    for (unsigned short t = 0; t < NObsTypes; t++) {
        const ObsTypeRow& r = ObsTypes[t];
        if (ObsTypeOf(r.band, r.kind) != t || r.name[0] != KindLetter(r.kind) ||
            r.name[1] != '0' + r.band || r.name[2] != '\0')
            return false;
    }
    return true;
}
static_assert(RowsAgree(), "every row of the type table is the one type of its band and kind");

// The two-letter name of a type.
constexpr const char* NameOf(unsigned short t) { return t < NObsTypes ? ObsTypes[t].name : "??"; }
// The type of a two-letter name; tUnknown for a name that has none.
constexpr unsigned short ObsTypeCode(std::string_view pair)
{
    for (unsigned short t = 0; t < NObsTypes; t++)
        if (pair == ObsTypes[t].name) return t;
    return tUnknown;
}

// A set of types, one bit per row.
using ObsTypeSet = std::bitset<NObsTypes>;
inline ObsTypeSet EveryType() { return ObsTypeSet().set(); }

#endif
