// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mGNSSc.h"

#include "GNSS/SatSystem.h"

namespace GLONASSc {
matrix<long double> freq(32, 2, 0.0L);
matrix<long double> lamb(32, 2, 0.0L);

bool HasSlot(short sat)
{
    const SatSystem* s = SystemOf(sat);
    return s != nullptr && s->channels && SatPrn(sat) >= 1 && SatPrn(sat) <= NSlots;
}

short SlotRow(short sat) { return static_cast<short>(SatPrn(sat) - 1); }

void SetFrequency(long double k, short prn)
{
    freq(prn, 0) = freq10 + k * dfreq10;
    freq(prn, 1) = freq20 + k * dfreq20;
    lamb(prn, 0) = c / freq(prn, 0);
    lamb(prn, 1) = c / freq(prn, 1);
}
} // namespace GLONASSc
