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

#endif
