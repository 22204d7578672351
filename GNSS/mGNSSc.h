// SPDX-License-Identifier: BSD-2-Clause
// The numbering of the GLONASS orbital slots. The carriers of every system, GLONASS's channel
// steps among them, are in the table of systems (GNSS/SatSystem); the constants of a satellite
// are made from them (GNSS/SatConstants).
#ifndef KESTROVA_GNSS_MGNSSC_H
#define KESTROVA_GNSS_MGNSSC_H

namespace GLONASSc {
// The orbital slots that carry a frequency channel: R01 to R32.
inline constexpr short NSlots = 32;
// A GLONASS satellite number of one of those slots, and its place (slot - 1) among them.
bool HasSlot(short sat);
short SlotRow(short sat);
} // namespace GLONASSc

#endif
