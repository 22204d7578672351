// SPDX-License-Identifier: BSD-2-Clause
// Subtracts the TEQC multipath estimates from the codes of the data store, in place; its
// progress lines go to progress (a stream that drops them when -v is not given).
#ifndef KESTROVA_GNSSF_GNSS_APPLYMULTIPATH_H
#define KESTROVA_GNSSF_GNSS_APPLYMULTIPATH_H

#include "GNSS/RINEXData.h"
#include "GNSS/RINEXHeader.h"
#include "teqc/CompactTEQC.h"

#include <ostream>

void ApplyMultipath(RINEXData& rnxd, CompactTEQC& mp1, CompactTEQC& mp2, bool isMP1, bool isMP2,
                    std::ostream& progress);

#endif
