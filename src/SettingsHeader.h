// SPDX-License-Identifier: BSD-2-Clause
// The settings header of the result file: what was read, what is listed and how, then the
// column heading of the rows.
#ifndef KESTROVA_SRC_SETTINGSHEADER_H
#define KESTROVA_SRC_SETTINGSHEADER_H

#include "GNSS/RINEXHeader.h"
#include "src/RunPlan.h"
#include "src/RunSettings.h"

#include <ostream>

void WriteSettingsHeader(std::ostream& out, const RunSettings& s, const RunPlan& plan,
                         const RINEXHeader& h);

#endif
