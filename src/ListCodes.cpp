// SPDX-License-Identifier: BSD-2-Clause
// The table of list codes and the value of each, from one record of the store and the
// satellite's columns. Phases in cycles (raw phases in metres where asked), codes and
// combinations in metres.
#include "src/ListCodes.h"

#include "GNSS/GNSSLinCombs.h"
#include "PROGINC/ProgramError.h"

#include <cstring>
#include <initializer_list>

namespace {

// An entry of a table that the file does not have reads as missing: a combination can be
// available through another system's types, and its formula must not reach an unsized table.
template <class T> constexpr T None{};

template <class T> const T& At(const matrix<T>& m, long k)
{
    return m.Length() > 0 ? m(k) : None<T>;
}

// Entry k of a table of the store from its first entry (every stored table holds an entry for
// each record); missing for a table the file or the satellite's system does not have.
const gnssobs& At(const gnssobs* first, long k)
{
    return first != nullptr ? first[k] : None<gnssobs>;
}

// A stored observation, scaled by unit: its flags are kept.
char* Raw(char* p, bool& ok, const gnssobs& o, long double unit = 1.0L)
{
    ok = !o.IsNull();
    return PutColumn(p, unit * o.obs, 14, o.lli, o.ss);
}

// A value formed from the stored observations inputs: flags 0, present when they all are.
char* Formed(char* p, bool& ok, long double value, std::initializer_list<const gnssobs*> inputs)
{
    ok = true;
    for (const gnssobs* in : inputs) ok = ok && !in->IsNull();
    return PutColumn(p, value, 14, 0, 0);
}

// code - f1 x l1 + f2 x l2 of the code multipath: the scaled first-frequency phase is taken from
// the code first, then the scaled second-frequency phase is added.
long double CodeMultipath(long double code, long double l1, long double l2, long double f1,
                          long double f2)
{
    return ObsSum(ObsDifference(code, f1 * l1), f2 * l2);
}

// a - b of two stored observations.
char* Difference(char* p, bool& ok, const gnssobs& a, const gnssobs& b)
{
    return Formed(p, ok, ObsDifference(a.obs, b.obs), {&a, &b});
}

// The raw columns: a code, a phase of its band (in metres where asked), a Doppler or strength.
template <RINEXObsType T> char* Code(char* p, const RowValues& r, bool& ok)
{
    return Raw(p, ok, At(r.d.Table(T), r.k));
}
template <RINEXObsType T> char* Phase(char* p, const RowValues& r, bool& ok)
{
    return Raw(p, ok, At(r.d.Table(T), r.k), r.sat.phaseFactor[ObsTypes[T].band]);
}
template <RINEXObsType T> char* Value(char* p, const RowValues& r, bool& ok)
{
    const gnssobsshort& o = At(r.d.ShortTable(T), r.k);
    ok = !o.IsNull();
    return PutColumn(p, o);
}
// The fixed C1, P1 and L1, read through the satellite's columns.
char* FixedC1(char* p, const RowValues& r, bool& ok) { return Raw(p, ok, r.C1); }
char* FixedP1(char* p, const RowValues& r, bool& ok) { return Raw(p, ok, r.P1); }
char* FixedL1(char* p, const RowValues& r, bool& ok)
{
    return Raw(p, ok, r.L1, r.sat.phaseFactor[1]);
}

// The combinations of the pair of the satellite's system.
char* L4(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_L4(r.sat.constants.pair, r.Ph1.obs, r.Ph2.obs), {&r.Ph1, &r.Ph2});
}
char* P4p(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P4(r.Pc1.obs, r.Co2.obs), {&r.Pc1, &r.Co2});
}
char* P4c(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P4(r.Co1.obs, r.Co2.obs), {&r.Co1, &r.Co2});
}
char* L3(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_L3(r.sat.constants.pair, r.Ph1.obs, r.Ph2.obs), {&r.Ph1, &r.Ph2});
}
char* P3c(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P3(r.sat.constants.pair, r.Co1.obs, r.Co2.obs), {&r.Co1, &r.Co2});
}
char* P3p(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P3(r.sat.constants.pair, r.Pc1.obs, r.Co2.obs), {&r.Pc1, &r.Co2});
}
char* WLl(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_L5(r.sat.constants.pair, r.Ph1.obs, r.Ph2.obs), {&r.Ph1, &r.Ph2});
}
char* WLp(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P5(r.sat.constants.pair, r.Pc1.obs, r.Co2.obs), {&r.Pc1, &r.Co2});
}
char* WLc(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_P5(r.sat.constants.pair, r.Co1.obs, r.Co2.obs), {&r.Co1, &r.Co2});
}
char* MWc(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_MW(r.sat.constants.pair, r.Ph1.obs, r.Ph2.obs, r.Co1.obs, r.Co2.obs),
                  {&r.Ph1, &r.Ph2, &r.Co1, &r.Co2});
}
char* MWp(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, GNSS_MW(r.sat.constants.pair, r.Ph1.obs, r.Ph2.obs, r.Pc1.obs, r.Co2.obs),
                  {&r.Ph1, &r.Ph2, &r.Pc1, &r.Co2});
}
char* MP1p(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok,
                  CodeMultipath(r.Pc1.obs, r.Ph1.obs, r.Ph2.obs, r.sat.constants.mp.mp1Fact1,
                                r.sat.constants.mp.mp1Fact2),
                  {&r.Ph1, &r.Ph2, &r.Pc1});
}
char* MP1c(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok,
                  CodeMultipath(r.Co1.obs, r.Ph1.obs, r.Ph2.obs, r.sat.constants.mp.mp1Fact1,
                                r.sat.constants.mp.mp1Fact2),
                  {&r.Ph1, &r.Ph2, &r.Co1});
}
char* MP2(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok,
                  CodeMultipath(r.Co2.obs, r.Ph1.obs, r.Ph2.obs, r.sat.constants.mp.mp2Fact1,
                                r.sat.constants.mp.mp2Fact2),
                  {&r.Ph1, &r.Ph2, &r.Co2});
}

// C1-L1, P1-L1 and P1-C1 read their own columns, the phase in band 1's wavelength.
char* C1L1(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, ObsDifference(r.C1.obs, r.sat.constants.lamb[1] * r.L1.obs),
                  {&r.L1, &r.C1});
}
char* P1L1(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, ObsDifference(r.P1.obs, r.sat.constants.lamb[1] * r.L1.obs),
                  {&r.L1, &r.P1});
}
char* P2L2(char* p, const RowValues& r, bool& ok)
{
    return Formed(p, ok, ObsDifference(r.Co2.obs, r.sat.constants.pair.lamb2 * r.Ph2.obs),
                  {&r.Ph2, &r.Co2});
}
char* P1C1(char* p, const RowValues& r, bool& ok) { return Difference(p, ok, r.P1, r.C1); }
char* P2C2(char* p, const RowValues& r, bool& ok)
{
    return Difference(p, ok, At(r.d.Table(tP2), r.k), At(r.d.Table(tC2), r.k));
}

// An angle of the satellite, degrees, written like a signal strength.
char* Angle(char* p, bool& ok, bool known, double degrees)
{
    ok = known;
    return PutColumn(p, known ? degrees : 0.0, 10, 0, 0);
}
char* Azimuth(char* p, const RowValues& r, bool& ok)
{
    return Angle(p, ok, r.angles.known, r.angles.az);
}
char* Elevation(char* p, const RowValues& r, bool& ok)
{
    return Angle(p, ok, r.angles.known, r.angles.el);
}

constexpr unsigned long B(RINEXObsType t) { return TypeBit(t); }

// The list numbers are the places in this table: results and scripts name codes by their text,
// and the place orders nothing but the listing without -l.
// clang-format off
constexpr ListCode Codes[] = {
    // text   alias    column    width  needs            pair roles                          value
    {"C1",  nullptr, "C1",     14,    B(tC1),          0,                                  FixedC1},
    {"P1",  nullptr, "P1",     14,    B(tP1),          0,                                  FixedP1},
    {"P2",  nullptr, "P2",     14,    B(tP2),          0,                                  Code<tP2>},
    {"L1",  nullptr, "L1",     14,    B(tL1),          0,                                  FixedL1},
    {"L2",  nullptr, "L2",     14,    B(tL2),          0,                                  Phase<tL2>},
    {"C2",  nullptr, "C2",     14,    B(tC2),          0,                                  Code<tC2>},
    {"S1",  nullptr, "S1",     10,    B(tS1),          0,                                  Value<tS1>},
    {"S2",  nullptr, "S2",     10,    B(tS2),          0,                                  Value<tS2>},
    {"D1",  nullptr, "D1",     10,    B(tD1),          0,                                  Value<tD1>},
    {"D2",  nullptr, "D2",     10,    B(tD2),          0,                                  Value<tD2>},
    {"C5",  nullptr, "C5",     14,    B(tC5),          0,                                  Code<tC5>},
    {"L5",  nullptr, "L5",     14,    B(tL5),          0,                                  Phase<tL5>},
    {"D5",  nullptr, "D5",     10,    B(tD5),          0,                                  Value<tD5>},
    {"S5",  nullptr, "S5",     10,    B(tS5),          0,                                  Value<tS5>},
    {"C6",  nullptr, "C6",     14,    B(tC6),          0,                                  Code<tC6>},
    {"L6",  nullptr, "L6",     14,    B(tL6),          0,                                  Phase<tL6>},
    {"D6",  nullptr, "D6",     10,    B(tD6),          0,                                  Value<tD6>},
    {"S6",  nullptr, "S6",     10,    B(tS6),          0,                                  Value<tS6>},
    {"C7",  nullptr, "C7",     14,    B(tC7),          0,                                  Code<tC7>},
    {"L7",  nullptr, "L7",     14,    B(tL7),          0,                                  Phase<tL7>},
    {"D7",  nullptr, "D7",     10,    B(tD7),          0,                                  Value<tD7>},
    {"S7",  nullptr, "S7",     10,    B(tS7),          0,                                  Value<tS7>},
    {"C8",  nullptr, "C8",     14,    B(tC8),          0,                                  Code<tC8>},
    {"L8",  nullptr, "L8",     14,    B(tL8),          0,                                  Phase<tL8>},
    {"D8",  nullptr, "D8",     10,    B(tD8),          0,                                  Value<tD8>},
    {"S8",  nullptr, "S8",     10,    B(tS8),          0,                                  Value<tS8>},
    {"L4",  nullptr, "L4",     14,    0,               Phase1 | Phase2,                    L4},
    {"Pp4", nullptr, "P4[P]",  14,    0,               FirstP | Second,                    P4p},
    {"Pc4", "P4",    "P4[C]",  14,    0,               FirstC | Second,                    P4c},
    {"L3",  nullptr, "L3",     14,    0,               Phase1 | Phase2,                    L3},
    {"P3",  "Pc3",   "P3[C]",  14,    0,               FirstC | Second,                    P3c},
    {"Pp3", nullptr, "P3[P]",  14,    0,               FirstP | Second,                    P3p},
    {"WL",  "WLL",   "WL[L]",  14,    0,               Phase1 | Phase2,                    WLl},
    {"WLP", nullptr, "WL[P]",  14,    0,               FirstP | Second,                    WLp},
    {"WLC", nullptr, "WL[C]",  14,    0,               FirstC | Second,                    WLc},
    {"MW",  "MWc",   "MW[C]",  14,    0,               FirstC | Second | Phase1 | Phase2,  MWc},
    {"MWp", nullptr, "MW[P]",  14,    0,               FirstP | Second | Phase1 | Phase2,  MWp},
    {"MP1", nullptr, "MP1[P]", 14,    0,               FirstP | Phase1 | Phase2,           MP1p},
    {"MC1", nullptr, "MP1[C]", 14,    0,               FirstC | Phase1 | Phase2,           MP1c},
    {"MP2", nullptr, "MP2",    14,    0,               Second | Phase1 | Phase2,           MP2},
    {"CL1", nullptr, "C1-L1",  14,    B(tC1) | B(tL1), 0,                                  C1L1},
    {"PL1", nullptr, "P1-L1",  14,    B(tP1) | B(tL1), 0,                                  P1L1},
    {"PL2", nullptr, "P2-L2",  14,    0,               Second | Phase2,                    P2L2},
    {"PC1", nullptr, "P1-C1",  14,    B(tP1) | B(tC1), 0,                                  P1C1},
    {"PC2", nullptr, "P2-C2",  14,    B(tC2),          SecondP,                            P2C2},
    {"C9",  nullptr, "C9",     14,    B(tC9),          0,                                  Code<tC9>},
    {"L9",  nullptr, "L9",     14,    B(tL9),          0,                                  Phase<tL9>},
    {"D9",  nullptr, "D9",     10,    B(tD9),          0,                                  Value<tD9>},
    {"S9",  nullptr, "S9",     10,    B(tS9),          0,                                  Value<tS9>},
    {"AZ",  nullptr, "AZ",     10,    GeometryBit,     0,                                  Azimuth},
    {"EL",  nullptr, "EL",     10,    GeometryBit,     0,                                  Elevation},
};
// clang-format on

// A raw observation: one header type, whatever the system.
constexpr bool IsRaw(const ListCode& code)
{
    return code.roles == 0 && (code.needs & HeaderTypeBits) != 0 &&
           (code.needs & (code.needs - 1)) == 0;
}

} // namespace

RowValues::RowValues(const RINEXData& data, long record, const SatelliteColumns& s,
                     const RowAngles& a)
    : d(data), k(record), sat(s), angles(a), C1(At(s.C1, k)), P1(At(s.P1, k)), L1(At(s.L1, k)),
      Co1(At(s.firstCode, k)), Pc1(At(s.firstPCode, k)), Co2(At(s.secondCode, k)),
      Ph1(At(s.phase1, k)), Ph2(At(s.phase2, k))
{
}

std::span<const ListCode> ListCodes() { return Codes; }

int ParseListCode(const std::string& text)
{
    for (std::size_t n = 0; n < std::size(Codes); n++) {
        const ListCode& code = Codes[n];
        if (text == code.text || (code.alias != nullptr && text == code.alias))
            return static_cast<int>(n);
    }
    ProgramError(ProgName, (text + " - OBSERVATION IN OBSERVATION LIST INCORRECT!").c_str());
}

int RawCodeOfType(unsigned short t)
{
    if (t >= NObsTypes) return -1;
    for (std::size_t n = 0; n < std::size(Codes); n++)
        if (IsRaw(Codes[n]) && Codes[n].needs == TypeBit(static_cast<RINEXObsType>(t)))
            return static_cast<int>(n);
    return -1;
}

unsigned long PairTypes(const SatSystem& s, const BandPair& p, unsigned roles)
{
    const std::pair<PairRole, RINEXObsType> columns[] = {
        {FirstC, p.firstCode},    {FirstP, p.firstPCode},         {Second, p.secondCode},
        {SecondP, p.secondPCode}, {Phase1, s.PhaseType(p.band1)}, {Phase2, s.PhaseType(p.band2)}};
    unsigned long types = 0;
    for (const auto& [role, type] : columns)
        if ((roles & role) != 0) types |= type < NObsTypes ? TypeBit(type) : NeverTypes;
    return types;
}

bool IsAngleCode(int code)
{
    return code >= 0 && static_cast<std::size_t>(code) < std::size(Codes) &&
           Codes[code].needs == GeometryBit;
}
