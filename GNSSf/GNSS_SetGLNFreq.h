// SPDX-License-Identifier: BSD-2-Clause
// Loads the GLONASS slot table for every GLONASS satellite of the data.
#ifndef KESTROVA_GNSSF_GNSS_SETGLNFREQ_H
#define KESTROVA_GNSSF_GNSS_SETGLNFREQ_H

#include "GNSS/GLNSat.h"
#include "GNSS/RINEXData.h"

void SetGlonassFrequency(RINEXData& rd, GLNSat& gfc, bool isGLNfc);

#endif
