// SPDX-License-Identifier: BSD-2-Clause
// gnssobs: one code or phase observation with its loss-of-lock and signal-strength digits.
// The value 0 means that there is no observation.
#ifndef KESTROVA_GNSS_GNSSOBS_H
#define KESTROVA_GNSS_GNSSOBS_H

#include <ostream>

namespace gnssobsns {
enum { RINEX = 0, NORINEX = 1, NOLLISSI = 2 };
inline unsigned short PrintType = NORINEX;
inline int Width = 14;
// Test-only switch: every value through atof and the stream, as the fast text paths stand in for.
inline bool PlainText = false;
} // namespace gnssobsns

class gnssobs {
  public:
    long double obs = 0;
    unsigned short lli = 0;
    unsigned short ss = 0;

    bool IsNull() const;
    // Parses one 16-character RINEX field: F14.3, loss-of-lock digit, signal-strength digit. A text
    // that ends early reads as blanks from its end on.
    gnssobs& operator>>(const char* line);
};

gnssobs operator*(long double k, const gnssobs& obs);
gnssobs operator-(const gnssobs& o1, const gnssobs& o2);
gnssobs operator+(const gnssobs& o1, const gnssobs& o2);
std::ostream& operator<<(std::ostream& out, const gnssobs& o);

// The value of the 14 value characters of a RINEX observation field, converted as atof does.
long double ParseObsValue(const char* field);

// The value of the first up to 14 characters of field when they are blanks, an optional '-', digits,
// '.' and three digits ending at the 14th: the double atof gives. false for anything else.
bool ParseFixed3(const char* field, double& value);

// Writes v as printf("%*.3Lf", width, v) does, padded with fill, into buf (room for width + 32
// characters) and returns the length; 0 when v is too large or too near a rounding tie for the
// integer path.
int FormatFixed3(long double v, int width, char* buf, char fill = ' ');

// Writes v as out << std::setw(width) << std::setprecision(3) << v does on a fixed-point stream
// (the stream's fill pads it).
void WriteFixed3(std::ostream& out, long double v, int width);

#endif
