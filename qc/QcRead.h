// SPDX-License-Identifier: BSD-2-Clause
// The input of the quality figures made from a file read with every signal kept: the epochs a
// run takes (its window and grid), the satellites of its plan with every signal the file gave
// them, their elevations where navigation data were given, and the receiver clock's jumps.
#ifndef KESTROVA_QC_QCREAD_H
#define KESTROVA_QC_QCREAD_H

#include "GNSS/BroadcastNav.h"
#include "GNSS/RINEX.h"
#include "qc/QcInput.h"
#include "src/RunPlan.h"
#include "src/RunSettings.h"

#include <vector>

// Ticks of an epoch of the store.
Ticks TicksOf(const mjd& e);

// The epochs of the millisecond jumps of the receiver clock among the epochs taken (indexes of
// QcInput::epochs), by the rule of the listing's -ms (both frequencies, or without L2 the code
// against the phase of L1). The jumps are removed from the store's phases as they are found:
// the single-frequency test compares each epoch with the corrected one before it. None where the
// file lacks the types the test reads.
std::optional<std::vector<std::int32_t>>
ClockJumpEpochs(RINEXData& d, const GlonassChannels& glonass, const std::vector<long>& taken);

// The input of the figures. The store's signals are moved out of the file, column by column.
// With navigation data (nav holding the files of s, the plan a station), each satellite's
// elevation and azimuth at each epoch and its grid epochs above the cut-off (the rule of the
// summary's elevation table).
QcInput QcInputOf(RINEX& file, const RunSettings& s, const RunPlan& plan, const BroadcastNav& nav);

#endif
