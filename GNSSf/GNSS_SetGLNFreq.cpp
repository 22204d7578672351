#include "GNSSf/GNSS_SetGLNFreq.h"

void SetGlonassFrequency(RINEXData&, GLNSat&, bool) {}
