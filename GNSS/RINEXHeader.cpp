#include "GNSS/RINEXHeader.h"

#include "PROGINC/ProgramError.h"

#include <string>

// clang-format off
const char* const ObsTypeName[NObsTypes] = {
    "C1", "P1", "L1", "S1", "D1", "C2", "P2", "L2", "S2", "D2",
    "C3", "L3", "S3", "D3", "C5", "L5", "D5", "S5", "C6", "L6",
    "D6", "S6", "C7", "L7", "D7", "S7", "C8", "L8", "D8", "S8"};
// clang-format on

RINEXHeader::RINEXHeader() { RINEXHeaderReset(); }

bool& RINEXHeader::Flag(unsigned short k)
{
    bool* flags[NObsTypes] = {&iC1, &iP1, &iL1, &iS1, &iD1, &iC2, &iP2, &iL2, &iS2, &iD2,
                              &iC3R, &iL3R, &iS3R, &iD3R, &iC5, &iL5, &iD5, &iS5, &iC6, &iL6,
                              &iD6, &iS6, &iC7, &iL7, &iD7, &iS7, &iC8, &iL8, &iD8, &iS8};
    return *flags[k];
}

void RINEXHeader::RINEXHeaderReset()
{
    version = 0;
    type = 0;
    satsystems = 0;
    pgm[0] = runby[0] = date[0] = mname[0] = mnumber[0] = observer[0] = agency[0] = '\0';
    recnumb[0] = rectype[0] = recversion[0] = antnumb[0] = anttype[0] = '\0';
    xyz0read = false;
    neuread = false;
    nobs = 0;
    wavelengthDefL1 = '1';
    wavelengthDefL2 = '1';
    interval = -1.0f;
    obsfirstts[0] = obslastts[0] = '\0';
    for (unsigned short k = 0; k < NObsTypes; k++) Flag(k) = false;
}

void RINEXHeader::RINEXHeaderWarning(const char* warn, unsigned long n)
{
    std::string text = std::string(warn) + " -> line: " + std::to_string(n);
    ClassFrame("####", "RINEXHeader", "Warning", text.c_str(), "Continuing RINEXHeader", true);
}

std::istream& operator>>(std::istream& in, RINEXHeader& hd)
{
    hd.RINEXHeaderReset();
    return in;
}
