#include "src/Kestrovac.h"

#include "GNSS/TimeConverse.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/ParseArgument.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

// Header observation types as bits of one set.
constexpr unsigned long Bit(RINEXObsType t) { return 1ul << t; }
constexpr unsigned long C1 = Bit(tC1), P1 = Bit(tP1), L1 = Bit(tL1), S1 = Bit(tS1), D1 = Bit(tD1);
constexpr unsigned long C2 = Bit(tC2), P2 = Bit(tP2), L2 = Bit(tL2), S2 = Bit(tS2), D2 = Bit(tD2);
constexpr unsigned long C5 = Bit(tC5), L5 = Bit(tL5), D5 = Bit(tD5), S5 = Bit(tS5);
constexpr unsigned long C6 = Bit(tC6), L6 = Bit(tL6), D6 = Bit(tD6), S6 = Bit(tS6);
constexpr unsigned long C7 = Bit(tC7), L7 = Bit(tL7), D7 = Bit(tD7), S7 = Bit(tS7);
constexpr unsigned long C8 = Bit(tC8), L8 = Bit(tL8), D8 = Bit(tD8), S8 = Bit(tS8);
// In the Galileo column: the entry does not depend on the systems chosen, the first set decides.
constexpr unsigned long AnySystem = 1ul << NObsTypes;
// A set that no header holds.
constexpr unsigned long Never = 1ul << (NObsTypes + 1);

// One code of the observation list; its number is its place in the table.
struct ObsCode {
    const char* text;      // accepted text
    const char* alias;     // second accepted text, or none
    const char* column;    // column name in the result file
    int width;             // width of the value column
    unsigned long grNeeds; // header types needed when GPS or GLONASS is chosen
    unsigned long eNeeds;  // header types needed when Galileo is chosen
};

// clang-format off
constexpr ObsCode ObsCodes[] = {
    // text   alias    column    width  GPS/GLONASS          Galileo
    {"C1",  nullptr, "C1",     14,    C1,                  AnySystem},          //  0
    {"P1",  nullptr, "P1",     14,    P1,                  AnySystem},          //  1
    {"P2",  nullptr, "P2",     14,    P2,                  AnySystem},          //  2
    {"L1",  nullptr, "L1",     14,    L1,                  AnySystem},          //  3
    {"L2",  nullptr, "L2",     14,    L2,                  AnySystem},          //  4
    {"C2",  nullptr, "C2",     14,    C2,                  AnySystem},          //  5
    {"S1",  nullptr, "S1",     10,    S1,                  AnySystem},          //  6
    {"S2",  nullptr, "S2",     10,    S2,                  AnySystem},          //  7
    {"D1",  nullptr, "D1",     10,    D1,                  AnySystem},          //  8
    {"D2",  nullptr, "D2",     10,    D2,                  AnySystem},          //  9
    {"C5",  nullptr, "C5",     14,    C5,                  AnySystem},          // 10
    {"L5",  nullptr, "L5",     14,    L5,                  AnySystem},          // 11
    {"D5",  nullptr, "D5",     10,    D5,                  AnySystem},          // 12
    {"S5",  nullptr, "S5",     10,    S5,                  AnySystem},          // 13
    {"C6",  nullptr, "C6",     14,    C6,                  AnySystem},          // 14
    {"L6",  nullptr, "L6",     14,    L6,                  AnySystem},          // 15
    {"D6",  nullptr, "D6",     10,    D6,                  AnySystem},          // 16
    {"S6",  nullptr, "S6",     10,    S6,                  AnySystem},          // 17
    {"C7",  nullptr, "C7",     14,    C7,                  AnySystem},          // 18
    {"L7",  nullptr, "L7",     14,    L7,                  AnySystem},          // 19
    {"D7",  nullptr, "D7",     10,    D7,                  AnySystem},          // 20
    {"S7",  nullptr, "S7",     10,    S7,                  AnySystem},          // 21
    {"C8",  nullptr, "C8",     14,    C8,                  AnySystem},          // 22
    {"L8",  nullptr, "L8",     14,    L8,                  AnySystem},          // 23
    {"D8",  nullptr, "D8",     10,    D8,                  AnySystem},          // 24
    {"S8",  nullptr, "S8",     10,    S8,                  AnySystem},          // 25
    {"L4",  nullptr, "L4",     14,    L1 | L2,             L1 | L7},            // 26
    {"Pp4", nullptr, "P4[P]",  14,    P1 | P2,             P1 | C7},            // 27
    {"Pc4", "P4",    "P4[C]",  14,    C1 | P2,             C1 | C7},            // 28
    {"L3",  nullptr, "L3",     14,    L1 | L2,             L1 | L7},            // 29
    {"P3",  "Pc3",   "P3[C]",  14,    C1 | P2,             C1 | C7},            // 30
    {"Pp3", nullptr, "P3[P]",  14,    P1 | P2,             P1 | C7},            // 31
    {"WL",  "WLL",   "WL[L]",  14,    L1 | L2,             L1 | L7},            // 32
    {"WLP", nullptr, "WL[P]",  14,    P1 | P2,             P1 | C7},            // 33
    {"WLC", nullptr, "WL[C]",  14,    C1 | P2,             C1 | C7},            // 34
    {"MW",  "MWc",   "MW[C]",  14,    C1 | P2 | L1 | L2,   C1 | C7 | L1 | L7},  // 35
    {"MWp", nullptr, "MW[P]",  14,    P1 | P2 | L1 | L2,   P1 | C7 | L1 | L7},  // 36
    {"MP1", nullptr, "MP1[P]", 14,    P1 | L1 | L2,        P1 | L1 | L7},       // 37
    {"MC1", nullptr, "MP1[C]", 14,    C1 | L1 | L2,        C1 | L1 | L7},       // 38
    {"MP2", nullptr, "MP2",    14,    P2 | L1 | L2,        C7 | L1 | L7},       // 39
    {"CL1", nullptr, "C1-L1",  14,    C1 | L1,             AnySystem},          // 40
    {"PL1", nullptr, "P1-L1",  14,    P1 | L1,             AnySystem},          // 41
    {"PL2", nullptr, "P2-L2",  14,    P2 | L2,             C7 | L7},            // 42
    {"PC1", nullptr, "P1-C1",  14,    P1 | C1,             AnySystem},          // 43
    {"PC2", nullptr, "P2-C2",  14,    P2 | C2,             Never},              // 44
};
// clang-format on
constexpr int NObsCodes = static_cast<int>(std::size(ObsCodes));
static_assert(NObsCodes == 45);

const char* const ObsIncorrect = "OBSERVATION IN OBSERVATION LIST INCORRECT!";

// True when the header reports every type of the set.
bool HeaderHas(RINEXHeader& h, unsigned long types)
{
    if (types >> NObsTypes) return false;
    for (unsigned short k = 0; k < NObsTypes; k++)
        if ((types >> k & 1ul) && !h.Flag(k)) return false;
    return true;
}

std::ostream& Detail() { return ProgressLine(std::cout, "GetFiles") << "         "; }

// Copies an option's value into its field; a value that does not fit is refused, never cut.
template <std::size_t N>
void CopyValue(const char* word, int npos, char (&field)[N], const char* option)
{
    if (std::strlen(word + npos) >= N) {
        std::string error = std::string("VALUE OF OPTION ") + option + " LONGER THAN " +
                            std::to_string(N - 1) + " CHARACTERS!";
        ProgramError(ProgName, error.c_str());
    }
    ParseFileName(word, field, npos, N);
}

// An optional input that cannot be read is switched off; the run goes on without it.
void DropUnreadable(bool& isSet, const char* file, const char* warning)
{
    if (!isSet || FileExists(file)) return;
    isSet = false;
    ProgramWarning(ProgName, warning);
}

} // namespace

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
    if (verbose) ProgressLine(std::cout, "GetFiles") << " parsing input parameters!\n";
    for (int i = 1; i < nargc; i++) {
        if (cargv[i][0] == '-')
            ParseOption(cargv[i]);
        else
            ProgramWarning(ProgName,
                           (std::string(" - PARAMETHER MANDATORY -> ") + cargv[i]).c_str());
    }
    FinalChecks();
}

void Kestrovac::ParseOption(const char* word)
{
    const char c = word[1];
    const char c3 = c == '\0' ? '\0' : word[2]; // second letter of -m1, -m2, -ms, -gf
    switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'O':
        CopyValue(word, 2, rnxfile, "-o");
        Report("RINEX file name: ", rnxfile);
        return;
    case 'R':
        CopyValue(word, 2, resfile, "-r");
        Report("RESULT file name: ", resfile);
        return;
    case 'P':
        SetSatList(word, satellites, satprn, isSat, "-p",
                   "LIST OF SATELLITES [-p] WITH WRONG NUMBER OF CHARACTERS (3 PER SAT EXPECTED)!",
                   "satellites PRN's: ");
        return;
    case 'X':
        SetSatList(word, xsatellites, xsatprn, isxSat, "-x",
                   "LIST OF EXLUDED SATELLITES [-x] WITH WRONG NUMBER OF CHARACTERS (3 PER SAT "
                   "EXPECTED)!",
                   "excluded satellites PRN's: ");
        return;
    case 'L': SetObsList(word); return;
    case 'C': SetSystems(word + 2); return;
    case 'M': // -m1 and -m2 name files; -ms is a switch
        if (c3 == '1')
            return SetOptionalFile(word, mp1file, isMP1, "-m1", "MULTIPATH P1 file name: ");
        if (c3 == '2')
            return SetOptionalFile(word, mp2file, isMP2, "-m2", "MULTIPATH P2 file name: ");
        if (c3 == 's' || c3 == 'S') {
            isMSJump = true;
            Report("Eliminate MS jumps in observations: ", "YES");
            return;
        }
        break;
    case 'G': // only -gf and -GF: the case of the two letters must agree
        if ((c == 'g' && c3 == 'f') || (c == 'G' && c3 == 'F'))
            return SetOptionalFile(word, gfcfile, isGLNfc, "-gf",
                                   "GLONASS FREQUENCY CHANNEL file: ");
        break;
    case 'S': SetEpoch(word, "START epoch: ", stE, isStart); return;
    case 'E': SetEpoch(word, "END epoch: ", enE, isEnd); return;
    case 'T':
        isDt = true;
        dt = ParseFloat(word, 2);
        Report("time interval DT: ", dt);
        return;
    case 'D':
        isEpochRound = true;
        EpochRound = ParseDouble(word, 2);
        if (EpochRound < 0) EpochRound = -EpochRound;
        Report("Maximum alowed clock error in RINEX epochs: ", EpochRound);
        return;
    case 'U': SetPhaseUnit(word[2]); return;
    case 'V': return; // decided before the first word
    case 'A': isAll = true; return;
    }
    std::string warn = "UNKNOWN PARAMETHER: -";
    if (c != '\0') warn += c;
    ProgramWarning(ProgName, warn.c_str());
}

// Numbers go out in the stream's current format: until an epoch has been written that is six
// significant digits; the epoch text form leaves standard output fixed with one decimal.
template <typename T> void Kestrovac::Report(const char* label, const T& value) const
{
    if (verbose) Detail() << label << value << "!\n";
}

void Kestrovac::SetOptionalFile(const char* word, char (&file)[256], bool& isSet,
                                const char* option, const char* label)
{
    CopyValue(word, 3, file, option);
    isSet = true;
    Report(label, file);
}

void Kestrovac::SetSatList(const char* word, char (&text)[300], matrix<short>& prn, bool& isSet,
                           const char* option, const char* warning, const char* label)
{
    isSet = true;
    CopyValue(word, 2, text, option);
    const std::size_t n = std::strlen(text);
    if (n % 3 != 0) ProgramWarning(ProgName, warning);
    if (verbose) Detail() << label << text << " -> ";
    ParseSatList(word, prn, 2);
    if (!verbose) return;
    for (std::size_t k = 0; k + 3 <= n; k += 3)
        std::cout << ' ' << std::string_view(text + k, 3);
    std::cout << "!\n";
}

void Kestrovac::SetObsList(const char* word)
{
    isObs = true;
    CopyValue(word, 2, observations, "-l");
    if (verbose) {
        std::string spaced = observations;
        std::replace(spaced.begin(), spaced.end(), ':', ' ');
        Detail() << "observation types: " << observations << " ->" << spaced;
    }
    SplitObsList();
    if (verbose) std::cout << "!\n";
}

// Every code is closed by ":"; text after the last ":" is no entry.
void Kestrovac::SplitObsList()
{
    const std::string_view list = observations;
    const long n = std::count(list.begin(), list.end(), ':');
    obslist.Resize(n);
    IfExistObs.Resize(n, 1, 0);
    std::size_t start = 0;
    for (long i = 0; i < n; i++) {
        const std::size_t colon = list.find(':', start);
        ParseObs(std::string(list.substr(start, colon - start)).c_str(), static_cast<int>(i));
        start = colon + 1;
    }
}

void Kestrovac::SetSystems(const char* letters)
{
    for (const char* p = letters; *p != '\0'; p++) {
        switch (std::toupper(static_cast<unsigned char>(*p))) {
        case 'G': isG = true; break;
        case 'R': isR = true; break;
        case 'E': isE = true; break;
        case 'C': isC = true; break;
        }
    }
    if (!verbose) return;
    Detail() << "Satellite constellation to use:" << (isG ? " GPS" : "") << (isR ? " GLONASS" : "")
             << (isE ? " GALILEO" : "") << (isC ? " BDS" : "") << "\n";
}

void Kestrovac::SetEpoch(const char* word, const char* label, mjd& epoch, bool& isSet)
{
    if (verbose) Detail() << label;
    ymdhms date;
    ParseDate(word, date, 2);
    if (verbose) std::cout << date << "!\n";
    epoch = ymdhms2mjd(date);
    isSet = true;
}

void Kestrovac::SetPhaseUnit(char unit)
{
    const char* label = "Unit of RAW phase observations: ";
    isUnit = true;
    switch (std::toupper(static_cast<unsigned char>(unit))) {
    case 'C': PhUnit = 0; return Report(label, "CYCLE");
    case 'M': PhUnit = 1; return Report(label, "METER");
    }
    isUnit = false;
    PhUnit = 0;
    Report("Unit of RAW phase observations set incorrectly, using default: ", "CYCLE");
}

void Kestrovac::FinalChecks()
{
    if (rnxfile[0] == '\0') ProgramError(ProgName, "RINEX FILE MUST BE SET!");
    if (!FileExists(rnxfile)) ProgramError(ProgName, "RINEX FILE CAN NOT BE OPENED!");
    DropUnreadable(isMP1, mp1file, "MULTIPATH P1 FILE CAN NOT BE OPENED!");
    DropUnreadable(isMP2, mp2file, "MULTIPATH P2 FILE CAN NOT BE OPENED!");
    DropUnreadable(isGLNfc, gfcfile, "GLONASS FREQUENCY CHANNEL FILE CAN NOT BE OPENED!");
    if (resfile[0] == '\0') DeriveResultFile();
    if (!isG && !isR && !isE && !isC)
        ProgramError(ProgName, "NO GNSS SATELLITE SYSTEM SET [-c[G|R|E|C]]!");
    if (isR && !isGLNfc) {
        ProgramWarning(ProgName,
                       "GLONASS SATELITE SYSTEM SET BUT WITHOUT FREQUENCY CHANNEL FILE (NOT "
                       "USING GLONASS)!");
        isR = false;
    }
    if (verbose)
        ProgressLine(std::cout, "GetFiles")
            << " setting output GNSS OBSERVATION file: " << resfile << "!\n";
}

// The RINEX name without its last extension (the last "." anywhere, directories included).
void Kestrovac::DeriveResultFile()
{
    const int dot = indexLast(rnxfile, '.');
    std::string name(rnxfile, dot < 0 ? std::strlen(rnxfile) : static_cast<std::size_t>(dot));
    name += ".gof";
    // A cut name would be another file: refuse it rather than write there.
    if (name.size() >= sizeof resfile)
        ProgramError(ProgName, "RESULT FILE NAME MADE FROM THE RINEX FILE NAME LONGER THAN 255 "
                               "CHARACTERS (SET IT WITH -r)!");
    std::memcpy(resfile, name.c_str(), name.size() + 1);
}

void Kestrovac::SetFile() {}

void Kestrovac::ReadFile() {}

void Kestrovac::PrintSet() {}

void Kestrovac::PrintObs() {}

void Kestrovac::ParseObs(const char* tmp, int ilist)
{
    for (unsigned short n = 0; n < NObsCodes; n++) {
        const ObsCode& code = ObsCodes[n];
        if (std::strcmp(tmp, code.text) == 0 || (code.alias && std::strcmp(tmp, code.alias) == 0)) {
            obslist(ilist) = n;
            return;
        }
    }
    ProgramError(ProgName, (std::string(tmp) + " - " + ObsIncorrect).c_str());
}

void Kestrovac::CheckObsInRNX(int ilist)
{
    const unsigned short n = obslist(ilist);
    if (n >= NObsCodes) ProgramError(ProgName, ObsIncorrect);
    const ObsCode& code = ObsCodes[n];
    const bool available =
        code.eNeeds == AnySystem
            ? HeaderHas(rh, code.grNeeds)
            : ((isG || isR) && HeaderHas(rh, code.grNeeds)) || (isE && HeaderHas(rh, code.eNeeds));
    if (available) IfExistObs(ilist) = 1;
}

void Kestrovac::GetObs(int i, char* tmp, int& nwidth) const
{
    if (i < 0 || i >= NObsCodes) return;
    std::strcpy(tmp, ObsCodes[i].column);
    nwidth = ObsCodes[i].width;
}

void Kestrovac::PrintObs(long, char, int, bool& obsIsOK, std::ostream&) { obsIsOK = false; }
