// SPDX-License-Identifier: BSD-2-Clause
// RINEXHeader: the header record of one RINEX observation file and its reader.
// Formats: RINEX version 2.11, and versions 3.00-3.05 and 4.00-4.02 (IGS/RTCM), header labels in
// columns 61-80. A RINEX 3 or 4 header lists three-character observation codes per satellite
// system; they are read into the same two-letter types as RINEX 2 (GNSS/SignalMap).
#ifndef KESTROVA_GNSS_RINEXHEADER_H
#define KESTROVA_GNSS_RINEXHEADER_H

#include "GNSS/ObsType.h"
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

// Columns 1-20, 21-40 and 41-60 of the identification lines.
struct CreatorLine {
    char program[21];
    char runBy[21];
    char date[21];
};
struct MarkerLines {
    char name[61];
    char number[21];
};
struct ObserverLine {
    char name[21];
    char agency[41];
};
struct ReceiverLine {
    char number[21];
    char type[21];
    char version[21];
};
struct AntennaLine {
    char number[21];
    char type[21];
};

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

class RINEXHeader {
  public:
    float version;
    char type;
    char satsystems;
    // The texts of the identification lines, trailing blanks cut (the antenna's kept).
    CreatorLine creator; // "PGM / RUN BY / DATE"
    MarkerLines marker;  // "MARKER NAME", "MARKER NUMBER"
    ObserverLine observer;
    ReceiverLine receiver;
    AntennaLine antenna;
    xyz X0;
    bool xyz0read;
    // An APPROX POSITION XYZ read, and not the centre of the Earth that stands for none.
    bool GivesPosition() const;
    neu Dp;
    bool neuread;
    unsigned short nobs;
    matrix<unsigned short> obs;
    // "WAVELENGTH FACT L1/2": the default factors of L1 and L2 ('1' or '2').
    std::array<char, 2> wavelengthFactors;
    float interval;
    mjd obsfirst;
    mjd obslast;
    char obsfirstts[4];
    char obslastts[4];
    // The types the file lists (in RINEX 3 and 4: the two-letter types its codes are read as).
    ObsTypeSet types;
    // RINEX 3 and 4 only: the types records, scale factors and GLONASS channels as read, then
    // the signals chosen for the two-letter types and how each system's lines are read.
    std::vector<SystemCodes> systemCodes;
    std::vector<ScaleFactor> scaleFactors;
    std::vector<GlonassSlotChannel> glonassSlots;
    std::vector<ChosenSignal> signals;
    std::array<SystemFields, 26> systemFields; // by system letter A-Z
    // The number of the header line being read, for the warnings of the parsers; after the
    // reading, the number of lines the header took.
    unsigned long lineNumber = 0;
    // What is wrong with the header, each text with its line, in the order met; written by
    // WriteWarnings, so that a reader may write them where its messages belong.
    std::vector<std::string> warnings;

    RINEXHeader();
    void RINEXHeaderReset();
    // Notes a warning of header line n.
    void RINEXHeaderWarning(const char* warn, unsigned long n);
    // The warning frames of the warnings noted.
    void WriteWarnings() const;
    // A header that cannot be read on: the error frame with the header line number, then exit.
    [[noreturn]] void RINEXHeaderError(const char* error, unsigned long n);

    float GetInterval() const { return interval; }
    // The file lists type t.
    bool Lists(unsigned short t) const { return t < NObsTypes && types[t]; }
    // A RINEX 3 or 4 header (read by the version line).
    bool IsRinex3() const { return version >= 3; }
    // How the satellite lines of a system letter are read; nullptr for a letter without types.
    const SystemFields* FieldsOf(char letter) const;

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
    // After the last header line of a RINEX 3 or 4 file: the counts of its types records checked.
    void CompleteRinex3();
};

// The most types one "# / TYPES OF OBSERV" record holds: 9 lines of 9 types.
inline constexpr long MaxObsTypes = 81;

// Reads the header up to and including the "END OF HEADER" line; its warnings are noted, not
// written.
std::istream& ReadHeader(std::istream& in, RINEXHeader& hd);
// ReadHeader, the signals of a RINEX 3 or 4 file chosen as for a request of no listed systems
// and no choices (MapSignals), then the warnings written.
std::istream& operator>>(std::istream& in, RINEXHeader& hd);

#endif
