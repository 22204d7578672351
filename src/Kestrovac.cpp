#include "src/Kestrovac.h"

#include "PROGINC/ProgramError.h"

#include <iostream>

Kestrovac::Kestrovac(RINEXHeader& rheadi, RINEXData& rdatai, RINEX& rnxi, CompactTEQC& mp1i,
                     CompactTEQC& mp2i, GLNSat& gsi)
    : rh(rheadi), rd(rdatai), rnx(rnxi), mp1(mp1i), mp2(mp2i), glnfc(gsi)
{
    SetDefaults();
}

void Kestrovac::SetDefaults()
{
    rnxfile[0] = mp1file[0] = mp2file[0] = gfcfile[0] = resfile[0] = '\0';
    satellites[0] = xsatellites[0] = observations[0] = '\0';
    verbose = isStart = isEnd = isSat = isxSat = isObs = isDt = isAll = false;
    isMP1 = isMP2 = isGLNfc = isEpochRound = isMSJump = false;
    isG = isR = isE = isC = false;
    dt = 0;
    mp1Fact1 = mp1Fact2 = mp2Fact1 = mp2Fact2 = 0;
    EpochRound = 0.1; // the double 0.1, widened
    nMSJumps = 0;
    unitL1 = unitL2 = unitL5 = unitL8 = 1.0L;
    isUnit = false;
    PhUnit = 0;
    nObsReal = 0;
}

void Kestrovac::StartProg()
{
    if (verbose)
        std::cout << "\n"
                  << ProgName
                  << ": ***** PRINTING OF GNSS OBSERVATIONS AND LINEAR COMBINATIONS FROM RINEX FILE "
                     "*****\n";
}

void Kestrovac::EndProg()
{
    if (verbose) std::cout << ProgName << ": ***** SUCCESFULLY ENDING PROGRAM *****!\n\n\n";
}

void Kestrovac::GetFiles(int nargc, const char** cargv)
{
    // The verbose switch is decided before anything else, so that the banner comes first.
    for (int i = 0; i < nargc; i++)
        if (cargv[i][0] != '\0' && (cargv[i][1] == 'v' || cargv[i][1] == 'V')) verbose = true;
    StartProg();
}

void Kestrovac::SetFile() {}

void Kestrovac::ReadFile() {}

void Kestrovac::PrintSet() {}

void Kestrovac::PrintObs() {}

void Kestrovac::ParseObs(const char*, int) {}

void Kestrovac::CheckObsInRNX(int) {}

void Kestrovac::GetObs(int, char*, int&) const {}

void Kestrovac::PrintObs(long, char, int, bool& obsIsOK, std::ostream&) { obsIsOK = false; }
