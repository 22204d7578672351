// SPDX-License-Identifier: BSD-2-Clause
#include "GNSSf/GNSS_SetGLNFreq.h"

#include "GNSS/mGNSSc.h"
#include "PROGINC/ProgramError.h"

#include <cstdio>

// The channel of every GLONASS satellite is the one valid at the first epoch of the data, for the
// whole run.
void SetGlonassFrequency(RINEXData& rd, GLNSat& gfc, bool isGLNfc)
{
    if (!isGLNfc) return;
    const mjd datm = rd.GetMJD(0);
    for (long i = 0; i < rd.satList.Length(); i++) {
        const short prn = rd.satList(i);
        // slot 0, slots the table does not hold (the listing reports them) and the other
        // constellations
        if (!GLONASSc::HasSlot(prn)) continue;
        long double fchan = gfc.GetFreqNum(prn, datm);
        if (!gfc.GetIsGLNSat()) {
            char text[128];
            std::snprintf(text, sizeof text,
                          "GLONASS SATELLITE %3d NOT LISTED IN GLONASS FREQUENCY CHANNEL FILE - "
                          "USING FREQ. CHANNEL k = 0!",
                          prn);
            ProgramWarning(ProgName, text);
            fchan = 0;
        }
        GLONASSc::SetFrequency(fchan, GLONASSc::SlotRow(prn));
    }
}
