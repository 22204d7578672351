// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mGNSSc.h"

namespace GLONASSc {
matrix<long double> freq(32, 2, 0.0L);
matrix<long double> lamb(32, 2, 0.0L);

void SetFrequency(long double k, short prn)
{
    freq(prn, 0) = freq10 + k * dfreq10;
    freq(prn, 1) = freq20 + k * dfreq20;
    lamb(prn, 0) = c / freq(prn, 0);
    lamb(prn, 1) = c / freq(prn, 1);
}
} // namespace GLONASSc
