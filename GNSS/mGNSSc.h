// Signal constants of GPS, GLONASS and Galileo, the GLONASS slot tables and the current
// combination factors GLC that the combination functions read.
#ifndef KESTROVA_GNSS_MGNSSC_H
#define KESTROVA_GNSS_MGNSSC_H

#include "matrix/matrix.h"

namespace GPSc {
// (filled in with the constellation constants)
}

namespace GLONASSc {
// Per-slot G1/G2 frequencies (Hz) and wavelengths (m): row = slot - 1, columns G1, G2.
extern matrix<long double> freq;
extern matrix<long double> lamb;
// Fills row prn of freq and lamb for frequency channel k.
void SetFrequency(long double k, short prn);
} // namespace GLONASSc

namespace GALILEOc {
}

#endif
