// SPDX-License-Identifier: BSD-2-Clause
// gnssobsshort: one Doppler or signal-strength observation, value only; 0 means missing.
#ifndef KESTROVA_GNSS_GNSSOBSSHORT_H
#define KESTROVA_GNSS_GNSSOBSSHORT_H

#include "matrix/matrix.h"

#include <cstddef>
#include <ostream>

class gnssobsshort {
  public:
    long double obs = 0;

    bool IsNull() const;
    gnssobsshort& operator>>(const char* line);
    // The value of a field whose first length characters are there, read in place.
    gnssobsshort& Read(const char* field, std::size_t length);
};

template <> inline constexpr bool ZeroIsEmpty<gnssobsshort> = true;

// The 10-character value and " 0 0", or "*.***" and " * *" (see StreamColumn).
std::ostream& operator<<(std::ostream& out, const gnssobsshort& o);
char* PutColumn(char* p, const gnssobsshort& o);

#endif
