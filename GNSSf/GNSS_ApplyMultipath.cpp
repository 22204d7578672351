#include "GNSSf/GNSS_ApplyMultipath.h"

void ApplyMultipath(RINEXHeader&, RINEXData&, CompactTEQC&, CompactTEQC&, bool, bool, bool) {}
