// SPDX-License-Identifier: BSD-2-Clause
// The frequency channels of the GLONASS slots of the data, for the whole run.
#ifndef KESTROVA_GNSSF_GNSS_SETGLNFREQ_H
#define KESTROVA_GNSSF_GNSS_SETGLNFREQ_H

#include "GNSS/GLNSat.h"
#include "GNSS/RINEXData.h"
#include "GNSS/SatConstants.h"

// The channel of every GLONASS slot of the data at its first epoch, from the channel table gfc:
// channel 0, with a warning, for a slot the table does not list. No channels at all without a
// table (isGLNfc false).
GlonassChannels GlonassChannelsOf(const RINEXData& rd, const GLNSat& gfc, bool isGLNfc);

#endif
