// SPDX-License-Identifier: BSD-2-Clause
// Values of command-line words: the value is glued to its option, starting at npos.
#ifndef KESTROVA_PROGINC_PARSEARGUMENT_H
#define KESTROVA_PROGINC_PARSEARGUMENT_H

#include "GNSS/ymdhms.h"
#include "matrix/matrix.h"

#include <cstddef>

// Longest satellite list text after npos (99 satellites of 3 characters).
inline constexpr std::size_t MaxSatListText = 299;
// Longest seconds text of a date (column 17 on).
inline constexpr std::size_t MaxDateSecondsText = 9;

// Copies argi from npos to its end into file (capacity cap, terminator included).
void ParseFileName(const char* argi, char* file, int npos, std::size_t cap = 256);
// The number at npos, rounded to single precision.
long double ParseFloat(const char* argi, int npos);
// The number at npos, at double precision.
long double ParseDouble(const char* argi, int npos);
// Date and time from fixed columns after npos: yyyy?mm?dd?hh?mm?ss.s...
void ParseDate(const char* argi, ymdhms& dat, int npos);
// Satellite numbers of the three-character groups after npos: a system letter of either case (a
// blank is GPS) and two digits (a blank tens digit is 0). One or two characters left over are
// not read; any other group stops the program with a frame naming it and the option.
void ParseSatList(const char* argi, matrix<short>& satprn, int npos);

#endif
