#include "GNSS/mGNSSc.h"

namespace GLONASSc {
matrix<long double> freq(32, 2, 0.0L);
matrix<long double> lamb(32, 2, 0.0L);

void SetFrequency(long double, short) {}
} // namespace GLONASSc
