// RINEXHeader: the header record of one RINEX 2 observation file and its reader.
// Format: RINEX version 2.11 (IGS/RTCM), header labels in columns 61-80.
#ifndef KESTROVA_GNSS_RINEXHEADER_H
#define KESTROVA_GNSS_RINEXHEADER_H

#include "GNSS/mjd.h"
#include "matrix/matrix.h"

#include <istream>

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
    NObsTypes,
    tUnknown = 99 // a type pair that is not in the table: selects no table and no flag
};
// clang-format on

// The two-letter RINEX name of each observation-type code.
extern const char* const ObsTypeName[NObsTypes];

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
         iD6, iS6, iC7, iL7, iD7, iS7, iC8, iL8, iD8, iS8;
    // clang-format on
    // No warnings are written: the counting pass reads the header once more for its type count.
    bool quiet = false;

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

    // The presence flag of observation-type code k (0 .. 29).
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
};

// The most types one "# / TYPES OF OBSERV" record holds: 9 lines of 9 types.
inline constexpr long MaxObsTypes = 81;

// Reads the header up to and including the "END OF HEADER" line.
std::istream& operator>>(std::istream& in, RINEXHeader& hd);

#endif
