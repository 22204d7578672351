// SPDX-License-Identifier: BSD-2-Clause
#include "src/Corrections.h"

#include "GNSSf/GNSS_ApplyMultipath.h"

#include <iostream>
#include <ostream>

namespace {

void RemoveClockJumps(RINEXData& d, const GlonassChannels& glonass, Progress& progress)
{
    progress.Line("PrintObs") << " Eliminating ms jumps: ";
    const std::optional<ClockJumpRemoval> removal = d.RemoveClockJumps(glonass);
    progress.More() << (removal ? removal->corrected.size() : 0) << " jumps\n";
}

} // namespace

void ApplyCorrections(const RunSettings& s, const GlonassChannels& glonass, RINEX& rnx,
                      CompactTEQC& mp1, CompactTEQC& mp2, Progress& progress)
{
    if (rnx.facts.StandInFor(tP2) != nullptr) rnx.MakeStandIn(tP2);
    // its lines go to standard error, beside the reader's frames
    std::ostream multipathProgress(progress.On() ? std::cerr.rdbuf() : nullptr);
    ApplyMultipath(rnx.rdata, mp1, mp2, s.mp1File.has_value(), s.mp2File.has_value(),
                   multipathProgress);
    if (s.removeClockJumps) RemoveClockJumps(rnx.rdata, glonass, progress);
}
