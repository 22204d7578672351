// SPDX-License-Identifier: BSD-2-Clause
// RINEXHeader: the header record of one RINEX observation file and its reader.
// Formats: RINEX version 2.11, and versions 3.00-3.05 and 4.00-4.02 (IGS/RTCM), header labels in
// columns 61-80. A RINEX 3 or 4 header lists three-character observation codes per satellite
// system; they are read into the same two-letter types as RINEX 2 (GNSS/SignalMap).
#ifndef KESTROVA_GNSS_RINEXHEADER_H
#define KESTROVA_GNSS_RINEXHEADER_H

#include "GNSS/mjd.h"
#include "matrix/matrix.h"

#include <array>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Approximate marker position, metres.
struct xyz {
    long double x = 0, y = 0, z = 0;
    void Set(long double xi, long double yi, long double zi)
    {
        x = xi;
        y = yi;
        z = zi;
    }
};

// Antenna eccentricity north, east, up, metres.
struct neu {
    long double n = 0, e = 0, u = 0;
    void Set(long double ni, long double ei, long double ui)
    {
        n = ni;
        e = ei;
        u = ui;
    }
};

// Observation-type codes of the header (not the numbers of the observation list).
// clang-format off
enum RINEXObsType : unsigned short {
    tC1 = 0, tP1, tL1, tS1, tD1, tC2, tP2, tL2, tS2, tD2,
    tC3, tL3, tS3, tD3, tC5, tL5, tD5, tS5, tC6, tL6,
    tD6, tS6, tC7, tL7, tD7, tS7, tC8, tL8, tD8, tS8,
    tC9, tL9, tD9, tS9,
    NObsTypes,
    tUnknown = 99 // a type pair that is not in the table: selects no table and no flag
};
// clang-format on

// The two-letter RINEX name of each observation-type code.
extern const char* const ObsTypeName[NObsTypes];
// The code of a two-letter name; tUnknown for a name that has none.
unsigned short ObsTypeCode(std::string_view pair);

// RINEX 3 and 4: the observation codes of one satellite system ("SYS / # / OBS TYPES").
struct SystemCodes {
    char system = ' ';
    long count = 0;                 // the number of codes the record states
    unsigned long line = 0;         // the header line of the record
    std::vector<std::string> codes; // in the order of the fields of a satellite line
};

// "SYS / SCALE FACTOR": the values of these codes (all codes of the system when none is named)
// are stored multiplied by factor.
struct ScaleFactor {
    char system = ' ';
    long factor = 1;
    std::vector<std::string> codes;
};

// "GLONASS SLOT / FRQ #": the frequency channel of a slot (sat: its satellite number).
struct GlonassSlotChannel {
    short sat;
    int channel;
};

// A field of a RINEX 3 or 4 satellite line that is stored: its index, the two-letter type code
// it is stored under and the divisor of its values.
struct StoredField {
    unsigned short field;
    unsigned short type;
    long double divisor;
};

// How the satellite lines of one system are read.
struct SystemFields {
    bool hasTypes = false;           // the header has a types record of the system
    std::size_t nfields = 0;         // fields of its satellite lines
    std::vector<StoredField> stored; // in field order
};

// The code chosen for a two-letter type of a system: G C1=C1C.
struct ChosenSignal {
    char system;
    unsigned short type;
    std::string code;
};

// A choice of signals of the run (-i): the attributes to try first, in their order, for the C,
// L, D and S types of one band of a system.
struct SignalChoice {
    char system;
    char band;
    std::string attributes;
};

class RINEXHeader {
  public:
    float version;
    char type;
    char satsystems;
    char pgm[21];
    char runby[21];
    char date[21];
    char mname[61];
    char mnumber[21];
    char observer[21];
    char agency[41];
    char recnumb[21];
    char rectype[21];
    char recversion[21];
    char antnumb[21];
    char anttype[21];
    xyz X0;
    bool xyz0read;
    neu Dp;
    bool neuread;
    unsigned short nobs;
    matrix<unsigned short> obs;
    char wavelengthDefL1;
    char wavelengthDefL2;
    float interval;
    mjd obsfirst;
    mjd obslast;
    char obsfirstts[4];
    char obslastts[4];
    // clang-format off
    bool iC1, iP1, iL1, iS1, iD1, iC2, iP2, iL2, iS2, iD2,
         iC3R, iL3R, iS3R, iD3R, iC5, iL5, iD5, iS5, iC6, iL6,
         iD6, iS6, iC7, iL7, iD7, iS7, iC8, iL8, iD8, iS8,
         iC9, iL9, iD9, iS9;
    // clang-format on
    // No warnings are written: the counting pass reads the header once more for its type count.
    bool quiet = false;
    // The letters of the systems the run lists: the signals of some systems are read only then.
    std::string listedSystems;
    // The run's choices of signals, tried before the default ones.
    std::vector<SignalChoice> signalChoices;
    // RINEX 3 and 4 only: the types records, scale factors and GLONASS channels as read, then
    // the signals chosen for the two-letter types and how each system's lines are read.
    std::vector<SystemCodes> systemCodes;
    std::vector<ScaleFactor> scaleFactors;
    std::vector<GlonassSlotChannel> glonassSlots;
    std::vector<ChosenSignal> signals;
    std::array<SystemFields, 26> systemFields; // by system letter A-Z
    // The number of the header line being read, for the warnings of the parsers.
    unsigned long lineNumber = 0;

    RINEXHeader();
    void RINEXHeaderReset();
    void RINEXHeaderWarning(const char* warn, unsigned long n);
    // A header that cannot be read on: the error frame with the header line number, then exit.
    [[noreturn]] void RINEXHeaderError(const char* error, unsigned long n);

    float GetInterval() const { return interval; }
    void SetInterval(float in) { interval = in; }
    bool HasC1() const { return iC1; }
    bool HasC2() const { return iC2; }
    bool HasP1() const { return iP1; }
    bool HasP2() const { return iP2; }
    // A RINEX 3 or 4 header (read by the version line).
    bool IsRinex3() const { return version >= 3; }
    // How the satellite lines of a system letter are read; nullptr for a letter without types.
    const SystemFields* FieldsOf(char letter) const;

    // The presence flag of observation-type code k (0 .. NObsTypes - 1).
    bool& Flag(unsigned short k);

    void ParseRVersionType(char* navline);
    void ParsePgmRunByDate(char* navline);
    void ParseMarkerName(char* navline);
    void ParseMarkerNumber(char* navline);
    void ParseObsAgency(char* navline);
    void ParseReceiver(char* navline);
    void ParseAntenna(char* navline);
    void ParseX0(char* navline);
    void ParseDp(char* navline);
    void ParseTypesOfObs(char* onsline);
    void ParseInterval(char* navline);
    void ParseObsFirst(char* navline);
    void ParseObsLast(char* navline);
    void ParseWavelength(char* navline);
    void ParseSysObsTypes(char* navline);
    void ParseScaleFactor(char* navline);
    void ParseGlonassSlots(char* navline);
    // After the last header line of a RINEX 3 or 4 file: the counts checked, the signals mapped.
    void CompleteRinex3();
};

// The most types one "# / TYPES OF OBSERV" record holds: 9 lines of 9 types.
inline constexpr long MaxObsTypes = 81;

// Reads the header up to and including the "END OF HEADER" line.
std::istream& operator>>(std::istream& in, RINEXHeader& hd);

#endif
