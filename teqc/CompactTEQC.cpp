#include "teqc/CompactTEQC.h"

CompactTEQC::CompactTEQC() : compfile{}, nobs(0), neph(0), version(0), interval(0) {}

void CompactTEQC::SetFile(const char*) {}

void CompactTEQC::ReadFile() {}

void CompactTEQC::CheckData() {}

void CompactTEQC::SetData() {}

void CompactTEQC::ReadData() {}
