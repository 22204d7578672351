// SPDX-License-Identifier: BSD-2-Clause
// The corrections of the store, in one place and in their order: C2 standing in for P2, the
// TEQC multipath estimates removed from the codes, the millisecond jumps of the receiver clock
// removed from the phases. Each later one reads what the earlier ones left.
#ifndef KESTROVA_SRC_CORRECTIONS_H
#define KESTROVA_SRC_CORRECTIONS_H

#include "GNSS/RINEX.h"
#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "GNSS/SatConstants.h"
#include "src/Progress.h"
#include "src/RunSettings.h"
#include "teqc/CompactTEQC.h"

void ApplyCorrections(const RunSettings& s, const GlonassChannels& glonass, RINEX& rnx,
                      CompactTEQC& mp1, CompactTEQC& mp2, Progress& progress);

#endif
