// gnssobs: one code or phase observation with its loss-of-lock and signal-strength digits.
// The value 0 means that there is no observation.
#ifndef KESTROVA_GNSS_GNSSOBS_H
#define KESTROVA_GNSS_GNSSOBS_H

#include <ostream>

namespace gnssobsns {
enum { RINEX = 0, NORINEX = 1, NOLLISSI = 2 };
inline unsigned short PrintType = NORINEX;
inline int Width = 14;
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

#endif
