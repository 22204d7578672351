// Line functions of the RINEX 2 observation reader.
#ifndef KESTROVA_GNSS_RINEXF_H
#define KESTROVA_GNSS_RINEXF_H

// The epoch-line test: the fixed RINEX 2 epoch layout followed by the flag and count columns.
bool IsFirstObsLine(const char* niz);
void ParseFirstObsLine(const char* niz, unsigned short& yr, unsigned short& mon, unsigned short& day,
                       unsigned short& hh, unsigned short& mm, long double& sec,
                       unsigned short& nobs);
// Pads obsline with blanks to nobs x 16 characters and ends it there; obsline must hold
// at least nobs x 16 + 1 characters.
void FillObsLine(char* obsline, unsigned short nobs);

// Satellite numbers of RINEX identifiers: G or blank nn, R 100 + nn, E 200 + nn, C 300 + nn,
// S 400 + nn, J 500 + nn and any other letter 600 + nn, so that no foreign satellite is ever
// mixed with GPS. Presence tables indexed by these numbers hold NSatNumbers entries.
inline constexpr int NSatNumbers = 700;
short RinexSatNumber(char letter, int nn);

#endif
