#include "GNSS/RINEX.h"

#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"

#include <cstring>

RINEX::RINEX(RINEXHeader& rheadi, RINEXData& rdatai)
    : rinexfile{}, rhead(rheadi), rdata(rdatai), nepoch(0), nobsall(0), IsTimeCorr(false)
{
}

void RINEX::SetFile(const char* file)
{
    std::strncpy(rinexfile, file, sizeof rinexfile - 1);
    if (!FileExists(rinexfile)) RINEXError("RINEX FILE CAN NOT BE OPENED!");
}

void RINEX::ReadFile() {}

void RINEX::CountRec() {}

void RINEX::copyC2toP2() {}

void RINEX::RINEXError(const char* warn)
{
    ClassFrame("####", "RINEX", "Error", warn, "Exiting RINEX", false);
    ExitProgram();
}
