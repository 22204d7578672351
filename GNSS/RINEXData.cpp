#include "GNSS/RINEXData.h"

#include "PROGINC/ProgramError.h"

RINEXData::RINEXData(RINEXHeader& rheadi) : rhead(rheadi) { RINEXDataReset(); }

void RINEXData::RINEXDataReset()
{
    nepochall = 0;
    nsatall = 0;
    IfTimeCorr = false;
}

void RINEXData::SetNRecords(unsigned long ne, unsigned long ns)
{
    nepochall = static_cast<long>(ne);
    nsatall = static_cast<long>(ns);
}

void RINEXData::SetData() {}

void RINEXData::RINEXDataError(const char* warn)
{
    ClassFrame("####", "RINEXData", "Error", warn, "Exiting RINEXData", false);
    ExitProgram();
}

void RINEXData::CorrMSJumps(long& nMSJumps) { nMSJumps = 0; }

void RINEXData::CorrMSJumpsSF(long& nMSJumps) { nMSJumps = 0; }

std::istream& operator>>(std::istream& in, RINEXData& hd)
{
    hd.SetData();
    return in;
}
