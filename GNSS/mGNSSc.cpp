// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/mGNSSc.h"

#include "GNSS/SatSystem.h"

namespace GLONASSc {

bool HasSlot(short sat)
{
    const SatSystem* s = SystemOf(sat);
    return s != nullptr && s->channels && SatPrn(sat) >= 1 && SatPrn(sat) <= NSlots;
}

short SlotRow(short sat) { return static_cast<short>(SatPrn(sat) - 1); }

} // namespace GLONASSc
