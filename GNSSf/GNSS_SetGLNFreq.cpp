// SPDX-License-Identifier: BSD-2-Clause
#include "GNSSf/GNSS_SetGLNFreq.h"

#include "PROGINC/ProgramError.h"

#include <cstddef>
#include <cstdio>

GlonassChannels GlonassChannelsOf(const RINEXData& rd, const GLNSat& gfc, bool isGLNfc)
{
    GlonassChannels channels;
    if (!isGLNfc) return channels;
    const mjd datm = rd.GetMJD(0);
    for (long i = 0; i < rd.satList.Length(); i++) {
        const short prn = rd.satList(i);
        // slot 0, slots the table does not hold (the listing reports them) and the other
        // constellations
        if (!GLONASSc::HasSlot(prn)) continue;
        std::optional<long double> fchan = gfc.ChannelAt(prn, datm);
        if (!fchan) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "GLONASS SATELLITE %3d NOT LISTED IN GLONASS FREQUENCY CHANNEL FILE - "
                          "USING FREQ. CHANNEL k = 0!",
                          prn);
            ProgramWarning(ProgName, text);
            fchan = 0;
        }
        channels.bySlot[static_cast<std::size_t>(GLONASSc::SlotRow(prn))] = fchan;
    }
    return channels;
}
