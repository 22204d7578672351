// SPDX-License-Identifier: BSD-2-Clause
#include "src/Kestrovac.h"

#include "GNSS/GNSSLinCombs.h"
#include "GNSS/RINEXf.h"
#include "GNSS/SignalMap.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "GNSS/ymdhms.h"
#include "PROGINC/InputText.h"
#include "PROGINC/ParseArgument.h"
#include "PROGINC/ProgramError.h"
#include "PROGINC/cfilef.h"
#include "PROGINC/cstringf.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Header observation types as bits of one set.
constexpr unsigned long Bit(RINEXObsType t) { return 1ul << t; }
constexpr unsigned long C1 = Bit(tC1), P1 = Bit(tP1), L1 = Bit(tL1), S1 = Bit(tS1), D1 = Bit(tD1);
constexpr unsigned long C2 = Bit(tC2), P2 = Bit(tP2), L2 = Bit(tL2), S2 = Bit(tS2), D2 = Bit(tD2);
constexpr unsigned long C5 = Bit(tC5), L5 = Bit(tL5), D5 = Bit(tD5), S5 = Bit(tS5);
constexpr unsigned long C6 = Bit(tC6), L6 = Bit(tL6), D6 = Bit(tD6), S6 = Bit(tS6);
constexpr unsigned long C7 = Bit(tC7), L7 = Bit(tL7), D7 = Bit(tD7), S7 = Bit(tS7);
constexpr unsigned long C8 = Bit(tC8), L8 = Bit(tL8), D8 = Bit(tD8), S8 = Bit(tS8);
constexpr unsigned long C9 = Bit(tC9), L9 = Bit(tL9), D9 = Bit(tD9), S9 = Bit(tS9);
// A set that no header holds.
constexpr unsigned long Never = 1ul << NObsTypes;
// The header types among the bits.
constexpr unsigned long HeaderTypes = Never - 1;
// Not a header type: the satellite's angles, available when navigation files are given.
constexpr unsigned long Geometry = Never << 1;

// The columns a combination reads from its system's pair (the table of systems names them).
enum PairRole : unsigned {
    FirstC = 1,  // C code of the first band
    FirstP = 2,  // P code of the first band
    Second = 4,  // code of the second band
    SecondP = 8, // P code of the second band
    Phase1 = 16, // phase of the first band
    Phase2 = 32, // phase of the second band
};

// One code of the observation list; its number is its place in the table.
struct ObsCode {
    const char* text;    // accepted text
    const char* alias;   // second accepted text, or none
    const char* column;  // column name in the result file
    int width;           // width of the value column
    unsigned long needs; // header types needed whatever the system
    unsigned roles;      // columns of the pair needed, for the systems chosen (one suffices)
};

// clang-format off
constexpr ObsCode ObsCodes[] = {
    // text   alias    column    width  needs      pair roles
    {"C1",  nullptr, "C1",     14,    C1,        0},                                //  0
    {"P1",  nullptr, "P1",     14,    P1,        0},                                //  1
    {"P2",  nullptr, "P2",     14,    P2,        0},                                //  2
    {"L1",  nullptr, "L1",     14,    L1,        0},                                //  3
    {"L2",  nullptr, "L2",     14,    L2,        0},                                //  4
    {"C2",  nullptr, "C2",     14,    C2,        0},                                //  5
    {"S1",  nullptr, "S1",     10,    S1,        0},                                //  6
    {"S2",  nullptr, "S2",     10,    S2,        0},                                //  7
    {"D1",  nullptr, "D1",     10,    D1,        0},                                //  8
    {"D2",  nullptr, "D2",     10,    D2,        0},                                //  9
    {"C5",  nullptr, "C5",     14,    C5,        0},                                // 10
    {"L5",  nullptr, "L5",     14,    L5,        0},                                // 11
    {"D5",  nullptr, "D5",     10,    D5,        0},                                // 12
    {"S5",  nullptr, "S5",     10,    S5,        0},                                // 13
    {"C6",  nullptr, "C6",     14,    C6,        0},                                // 14
    {"L6",  nullptr, "L6",     14,    L6,        0},                                // 15
    {"D6",  nullptr, "D6",     10,    D6,        0},                                // 16
    {"S6",  nullptr, "S6",     10,    S6,        0},                                // 17
    {"C7",  nullptr, "C7",     14,    C7,        0},                                // 18
    {"L7",  nullptr, "L7",     14,    L7,        0},                                // 19
    {"D7",  nullptr, "D7",     10,    D7,        0},                                // 20
    {"S7",  nullptr, "S7",     10,    S7,        0},                                // 21
    {"C8",  nullptr, "C8",     14,    C8,        0},                                // 22
    {"L8",  nullptr, "L8",     14,    L8,        0},                                // 23
    {"D8",  nullptr, "D8",     10,    D8,        0},                                // 24
    {"S8",  nullptr, "S8",     10,    S8,        0},                                // 25
    {"L4",  nullptr, "L4",     14,    0,         Phase1 | Phase2},                  // 26
    {"Pp4", nullptr, "P4[P]",  14,    0,         FirstP | Second},                  // 27
    {"Pc4", "P4",    "P4[C]",  14,    0,         FirstC | Second},                  // 28
    {"L3",  nullptr, "L3",     14,    0,         Phase1 | Phase2},                  // 29
    {"P3",  "Pc3",   "P3[C]",  14,    0,         FirstC | Second},                  // 30
    {"Pp3", nullptr, "P3[P]",  14,    0,         FirstP | Second},                  // 31
    {"WL",  "WLL",   "WL[L]",  14,    0,         Phase1 | Phase2},                  // 32
    {"WLP", nullptr, "WL[P]",  14,    0,         FirstP | Second},                  // 33
    {"WLC", nullptr, "WL[C]",  14,    0,         FirstC | Second},                  // 34
    {"MW",  "MWc",   "MW[C]",  14,    0,         FirstC | Second | Phase1 | Phase2}, // 35
    {"MWp", nullptr, "MW[P]",  14,    0,         FirstP | Second | Phase1 | Phase2}, // 36
    {"MP1", nullptr, "MP1[P]", 14,    0,         FirstP | Phase1 | Phase2},         // 37
    {"MC1", nullptr, "MP1[C]", 14,    0,         FirstC | Phase1 | Phase2},         // 38
    {"MP2", nullptr, "MP2",    14,    0,         Second | Phase1 | Phase2},         // 39
    {"CL1", nullptr, "C1-L1",  14,    C1 | L1,   0},                                // 40
    {"PL1", nullptr, "P1-L1",  14,    P1 | L1,   0},                                // 41
    {"PL2", nullptr, "P2-L2",  14,    0,         Second | Phase2},                  // 42
    {"PC1", nullptr, "P1-C1",  14,    P1 | C1,   0},                                // 43
    {"PC2", nullptr, "P2-C2",  14,    C2,        SecondP},                          // 44
    {"C9",  nullptr, "C9",     14,    C9,        0},                                // 45
    {"L9",  nullptr, "L9",     14,    L9,        0},                                // 46
    {"D9",  nullptr, "D9",     10,    D9,        0},                                // 47
    {"S9",  nullptr, "S9",     10,    S9,        0},                                // 48
    {"AZ",  nullptr, "AZ",     10,    Geometry,  0},                                // 49
    {"EL",  nullptr, "EL",     10,    Geometry,  0},                                // 50
};
// clang-format on
constexpr int NObsCodes = static_cast<int>(std::size(ObsCodes));
static_assert(NObsCodes == 51);
constexpr int AzimuthCode = 49, ElevationCode = 50;

// A raw observation: one header type, whatever the system.
constexpr bool IsRaw(const ObsCode& code)
{
    return code.roles == 0 && (code.needs & HeaderTypes) != 0 &&
           (code.needs & (code.needs - 1)) == 0;
}

// The header types of the pair roles of a system's pair; Never where it lacks a column.
unsigned long PairTypes(const SatSystem& s, const BandPair& p, unsigned roles)
{
    const std::pair<PairRole, RINEXObsType> columns[] = {
        {FirstC, p.firstCode},    {FirstP, p.firstPCode},         {Second, p.secondCode},
        {SecondP, p.secondPCode}, {Phase1, s.PhaseType(p.band1)}, {Phase2, s.PhaseType(p.band2)}};
    unsigned long types = 0;
    for (const auto& [role, type] : columns)
        if ((roles & role) != 0) types |= type < NObsTypes ? Bit(type) : Never;
    return types;
}

const char* const ObsIncorrect = "OBSERVATION IN OBSERVATION LIST INCORRECT!";

// True when the header reports every type of the set.
bool HeaderHas(const ObsTypeSet& present, unsigned long types)
{
    if (types >> NObsTypes) return false;
    for (unsigned short k = 0; k < NObsTypes; k++)
        if ((types >> k & 1ul) && !present[k]) return false;
    return true;
}

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

// The entries of a list whose entries are each closed by ":" (-l, -i, -f). Text after the last
// ":" is no entry, and is named so that an entry typed without its ":" is not dropped unseen.
std::vector<std::string> ColonEntries(std::string_view list, const char* listName,
                                      const char* entryName)
{
    const std::size_t last = list.rfind(':');
    const std::string_view rest = last == std::string_view::npos ? list : list.substr(last + 1);
    if (!rest.empty())
        ProgramWarning(ProgName,
                       ("TEXT \"" + std::string(rest) + "\" AFTER THE LAST \":\" OF THE " +
                        listName + " IS NOT READ (CLOSE EVERY " + entryName + " WITH \":\")!")
                           .c_str());
    std::vector<std::string> entries;
    for (std::size_t start = 0, colon; (colon = list.find(':', start)) != std::string_view::npos;
         start = colon + 1)
        entries.emplace_back(list.substr(start, colon - start));
    return entries;
}

// An entry of -i or -f that cannot be used stops the run, named.
[[noreturn]] void RefuseEntry(const char* what, const std::string& entry, const char* option,
                              const std::string& why)
{
    ProgramError(ProgName,
                 (std::string(what) + " \"" + entry + "\" OF OPTION " + option + why).c_str());
}

// " 1 2 5": the bands whose signals the system's columns are read from.
std::string BandsOf(const SatSystem& s)
{
    std::string bands;
    for (int b = 0; b < NBands; b++)
        if (s.ReadsBand(b)) bands += " " + std::to_string(b);
    return bands;
}

// The system of an entry's first letter (upper case, as RINEX writes it), nullptr for none.
const SatSystem* SystemOfEntry(const std::string& entry)
{
    return entry.empty() ? nullptr : SystemOfLetter(entry[0]);
}

// The band of a digit of an entry, 0 for anything else.
int BandOf(char digit) { return IsDigit(digit) ? digit - '0' : 0; }

// "G2LX": a choice of signals as typed.
std::string EntryText(const SignalChoice& c)
{
    return std::string{c.system, c.band} + c.attributes;
}

// An optional input that cannot be read is switched off; the run goes on without it.
void DropUnreadable(bool& isSet, const char* file, const char* warning)
{
    if (!isSet || CanRead(file)) return;
    isSet = false;
    ProgramWarning(ProgName, warning);
}

// A GLONASS satellite of a -p or -x list must name a row of the slot table: 01-32.
void RefuseOutsideSlots(const char* text, const matrix<short>& prn, const char* option)
{
    for (long k = 0; k < prn.NRow(); k++) {
        if (!SystemOf(prn(k))->channels || GLONASSc::HasSlot(prn(k))) continue;
        ProgramError(ProgName, ("GLONASS SATELLITE \"" + std::string(text + 3 * k, 3) +
                                "\" OF OPTION " + option + " IS NOT A SLOT FROM 1 TO 32!")
                                   .c_str());
    }
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
    isMP1 = isMP2 = isGLNfc = isGLNhead = isEpochRound = isMSJump = false;
    isSystem.fill(false);
    signalChoices.clear();
    for (const SatSystem& s : SatSystems) pairs[RowOf(s)] = s.DefaultPair();
    isSecondThread = false;
    dt = 0;
    mp1Fact1 = mp1Fact2 = mp2Fact1 = mp2Fact2 = 0;
    EpochRound = 0.1; // the double 0.1, widened
    nMSJumps = 0;
    isUnit = false;
    PhUnit = 0;
    nObsReal = 0;
}

void Kestrovac::StartProg()
{
    if (verbose)
        std::cout
            << "\n"
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
        // "-" is standard input, read like any pipe
        if (std::strcmp(rnxfile, "-") == 0) std::strcpy(rnxfile, "/dev/stdin");
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
    case 'I': SetSignalChoices(word); return;
    case 'F': SetPairs(word); return;
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
    case 'N': {
        char file[256];
        CopyValue(word, 2, file, "-n");
        return AddNavFile(file);
    }
    case 'K': SetCutOff(word); return;
    case 'W': SetPosition(word); return;
    case 'J': SetThreads(word + 2); return;
    }
    std::string warn = "UNKNOWN PARAMETHER: -";
    if (c != '\0') warn += c;
    ProgramWarning(ProgName, warn.c_str());
}

std::ostream& Kestrovac::Detail() { return ProgressLine(std::cout, "GetFiles") << "         "; }

// From -j2 on the listing is written by a second thread while the next rows are formatted; -j1
// (the default) keeps the run in one thread, which was the faster on two idle cores: the
// hand-over of the blocks cost more than the writing it took off the formatting. The result is
// the same either way.
void Kestrovac::SetThreads(const char* value)
{
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end == value || *end != '\0' || n < 1) {
        ProgramWarning(ProgName, ("NUMBER OF THREADS NOT VALID: -j" + std::string(value) +
                                  " - THE RUN STAYS IN ONE THREAD!")
                                     .c_str());
        return;
    }
    isSecondThread = n > 1;
    Report("Number of threads: ", isSecondThread ? 2 : 1);
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
    ParseSatList(word, prn, 2);
    RefuseOutsideSlots(text, prn, option);
    if (verbose) Detail() << label << text << " -> ";
    if (!verbose) return;
    for (std::size_t k = 0; k + 3 <= n; k += 3) std::cout << ' ' << std::string_view(text + k, 3);
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

void Kestrovac::SplitObsList()
{
    const std::vector<std::string> codes = ColonEntries(observations, "OBSERVATION LIST", "CODE");
    const auto n = static_cast<long>(codes.size());
    obslist.Resize(n);
    IfExistObs.Resize(n, 1, 0);
    for (long i = 0; i < n; i++)
        ParseObs(codes[static_cast<std::size_t>(i)].c_str(), static_cast<int>(i));
}

// -iG2LX:E1C: each entry a system letter, a band digit of its signals and the attributes to
// prefer there, in order; a later -i replaces the earlier choices.
void Kestrovac::SetSignalChoices(const char* word)
{
    const char* what = "SIGNAL CHOICE";
    signalChoices.clear();
    for (const std::string& e : ColonEntries(word + 2, "SIGNAL CHOICE [-i]", "ENTRY")) {
        const SatSystem* s = SystemOfEntry(e);
        const bool letters = e.size() > 2 && std::all_of(e.begin() + 2, e.end(), [](char c) {
                                 return c >= 'A' && c <= 'Z';
                             });
        if (s == nullptr || e.size() < 2 || BandOf(e[1]) == 0 || !letters)
            RefuseEntry(what, e, "-i",
                        " INCORRECT (A SYSTEM LETTER, A BAND DIGIT AND ATTRIBUTE LETTERS, SUCH "
                        "AS G2LX)!");
        if (!s->ReadsBand(BandOf(e[1])))
            RefuseEntry(what, e, "-i",
                        std::string(" IS NOT A BAND OF ") + s->name + " (ITS BANDS:" + BandsOf(*s) +
                            ")!");
        for (const SignalChoice& c : signalChoices)
            if (c.system == e[0] && c.band == e[1])
                RefuseEntry(what, e, "-i", " CHOOSES A BAND ALREADY CHOSEN!");
        signalChoices.push_back({e[0], e[1], e.substr(2)});
    }
    Report("signal choice:", SignalChoicesText());
}

// -fG15:E15: each entry a system letter and the two bands of its combinations; a later -f
// replaces the earlier pairs.
void Kestrovac::SetPairs(const char* word)
{
    const char* what = "FREQUENCY PAIR";
    for (const SatSystem& s : SatSystems) pairs[RowOf(s)] = s.DefaultPair();
    std::string paired;
    for (const std::string& e : ColonEntries(word + 2, "FREQUENCY PAIRS [-f]", "PAIR")) {
        const SatSystem* s = SystemOfEntry(e);
        if (s == nullptr || e.size() != 3 || BandOf(e[1]) == 0 || BandOf(e[2]) == 0 || e[1] == e[2])
            RefuseEntry(what, e, "-f",
                        " INCORRECT (A SYSTEM LETTER AND TWO DIFFERENT BAND DIGITS, SUCH AS "
                        "G15)!");
        const int a = BandOf(e[1]), b = BandOf(e[2]);
        if (!s->ReadsBand(a) || !s->ReadsBand(b))
            RefuseEntry(what, e, "-f",
                        std::string(" IS NOT A PAIR OF BANDS OF ") + s->name +
                            " (ITS BANDS:" + BandsOf(*s) + ")!");
        if (paired.find(e[0]) != std::string::npos)
            RefuseEntry(what, e, "-f", " PAIRS A SYSTEM ALREADY PAIRED!");
        paired += e[0];
        pairs[RowOf(*s)] = s->Pair(a, b);
    }
    Report("frequency pairs:", PairsText());
}

// " G2LX E1C": the choices of -i.
std::string Kestrovac::SignalChoicesText() const
{
    std::string text;
    for (const SignalChoice& c : signalChoices) text += " " + EntryText(c);
    return text;
}

// " G1-5 E1-5": the pairs of the systems switched on.
std::string Kestrovac::PairsText() const
{
    std::string text;
    for (const SatSystem& s : SatSystems)
        if (IsOn(s))
            text += std::string(" ") + s.letter + std::to_string(PairOf(s).band1) + "-" +
                    std::to_string(PairOf(s).band2);
    return text;
}

// A system switched on combines another pair than its default one.
bool Kestrovac::AnyPairChosen() const
{
    return std::any_of(SatSystems.begin(), SatSystems.end(), [this](const SatSystem& s) {
        return IsOn(s) && PairOf(s) != s.DefaultPair();
    });
}

// A choice of -i that the file cannot meet for a system switched on is named once: its band is
// read from the default signals instead, wholly or for some types.
void Kestrovac::WarnUnmetChoices() const
{
    for (const SignalChoice& c : signalChoices) {
        const SatSystem* s = SystemOfLetter(c.system);
        if (s == nullptr || !IsOn(*s)) continue;
        const ChoiceMet met = HowMet(rh, c);
        if (met.any && met.others.empty()) continue;
        ProgramWarning(ProgName, ("SIGNAL CHOICE \"" + EntryText(c) +
                                  "\" OF OPTION -i IS NOT IN THE RINEX FILE" +
                                  (met.any ? " FOR" + met.others : "") + " - DEFAULT SIGNALS USED!")
                                     .c_str());
    }
}

void Kestrovac::SetSystems(const char* letters)
{
    auto system = [](char c) {
        return SystemOfLetter(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    };
    const std::string_view text = letters;
    const bool lettersOnly =
        std::all_of(text.begin(), text.end(), [&](char c) { return system(c) != nullptr; });
    for (char c : text)
        if (const SatSystem* s = system(c); s != nullptr && (lettersOnly || s->inAnyCText))
            isSystem[RowOf(*s)] = true;
    if (verbose) Detail() << "Satellite constellation to use:" << SystemsOn() << "\n";
}

bool Kestrovac::IsOn(const SatSystem& s) const { return isSystem[RowOf(s)]; }

bool Kestrovac::AnySystemOn() const
{
    return std::find(isSystem.begin(), isSystem.end(), true) != isSystem.end();
}

std::string Kestrovac::ListedLetters() const
{
    std::string letters;
    for (const SatSystem& s : SatSystems)
        if (IsOn(s)) letters += s.letter;
    return letters;
}

// " GPS GLONASS BDS": the names of the systems switched on.
std::string Kestrovac::SystemsOn() const
{
    std::string names;
    for (const SatSystem& s : SatSystems)
        if (IsOn(s)) names += std::string(" ") + s.name;
    return names;
}

// Satellites of a -p or -x list that no -c switch lists are named once: the option does nothing
// for them.
void Kestrovac::WarnSystemsOff(const matrix<short>& prn, const char* option) const
{
    std::string off;
    for (long k = 0; k < prn.NRow(); k++)
        if (const SatSystem* s = SystemOf(prn(k)); s != nullptr && !IsOn(*s))
            off += " " + SatId(prn(k));
    if (off.empty()) return;
    ProgramWarning(ProgName, ("SATELLITES" + off + " OF OPTION " + option +
                              " BELONG TO NO SYSTEM SWITCHED ON WITH -c!")
                                 .c_str());
}

// A system on channels (GLONASS) is listed only where the channels are known: from a channel
// file or, for a RINEX 3 or 4 file, from its header.
void Kestrovac::DropSystemsWithoutChannels()
{
    for (const SatSystem& s : SatSystems) {
        if (!s.channels || !IsOn(s)) continue;
        if (!isGLNfc) isGLNhead = rnx.HasHeaderGlonassChannels(rnxfile);
        // the navigation files may give the channels: decided when they are read
        if (GetIsGLNFreqChan() || !navFiles.empty()) continue;
        SwitchOffWithoutChannels(s);
    }
}

void Kestrovac::SwitchOffWithoutChannels(const SatSystem& s)
{
    ProgramWarning(ProgName, "GLONASS SATELITE SYSTEM SET BUT WITHOUT FREQUENCY CHANNEL FILE (NOT "
                             "USING GLONASS)!");
    isSystem[RowOf(s)] = false;
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
    if (!CanRead(rnxfile)) ProgramError(ProgName, "RINEX FILE CAN NOT BE OPENED!");
    DropUnreadable(isMP1, mp1file, "MULTIPATH P1 FILE CAN NOT BE OPENED!");
    DropUnreadable(isMP2, mp2file, "MULTIPATH P2 FILE CAN NOT BE OPENED!");
    DropUnreadable(isGLNfc, gfcfile, "GLONASS FREQUENCY CHANNEL FILE CAN NOT BE OPENED!");
    CheckNavOptions();
    if (resfile[0] == '\0') DeriveResultFile();
    if (!AnySystemOn()) ProgramError(ProgName, "NO GNSS SATELLITE SYSTEM SET [-c[G|R|E|C]]!");
    if (isSat) WarnSystemsOff(satprn, "-p");
    if (isxSat) WarnSystemsOff(xsatprn, "-x");
    DropSystemsWithoutChannels();
    if (verbose)
        ProgressLine(std::cout, "GetFiles")
            << " setting output GNSS OBSERVATION file: " << resfile << "!\n";
}

namespace {

// A compressed file keeps the RINEX name inside it: york0440.15d.Z holds york0440.15d.
std::string WithoutCompression(std::string name)
{
    for (std::string_view ext : {".gz", ".Z", ".z", ".bz2", ".xz", ".zip"})
        if (name.size() > ext.size() && name.ends_with(ext)) {
            name.resize(name.size() - ext.size());
            break;
        }
    return name;
}

} // namespace

// The RINEX name without its last extension (the last "." anywhere, directories included),
// after a compression extension has been dropped.
void Kestrovac::DeriveResultFile()
{
    // A pipe or a device has no folder of its own: its name would put the result file in /dev
    // or /proc.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(rnxfile, ec) ||
        std::string_view(rnxfile).starts_with("/dev/"))
        ProgramError(
            ProgName,
            "RINEX FILE IS NOT A REGULAR FILE (A PIPE?) - THE RESULT FILE MUST BE SET WITH -r!");
    std::string name = WithoutCompression(rnxfile);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    name += ".gof";
    // A cut name would be another file: refuse it rather than write there.
    if (name.size() >= sizeof resfile)
        ProgramError(ProgName, "RESULT FILE NAME MADE FROM THE RINEX FILE NAME LONGER THAN 255 "
                               "CHARACTERS (SET IT WITH -r)!");
    std::memcpy(resfile, name.c_str(), name.size() + 1);
}

// The number of an accepted code text (exact, case-sensitive), or -1.
int Kestrovac::ObsCodeNumber(const char* text)
{
    for (int n = 0; n < NObsCodes; n++) {
        const ObsCode& code = ObsCodes[n];
        if (std::strcmp(text, code.text) == 0 || (code.alias && std::strcmp(text, code.alias) == 0))
            return n;
    }
    return -1;
}

void Kestrovac::ParseObs(const char* tmp, int ilist)
{
    int n = ObsCodeNumber(tmp);
    if (n < 0) ProgramError(ProgName, (std::string(tmp) + " - " + ObsIncorrect).c_str());
    obslist(ilist) = static_cast<unsigned short>(n);
}

void Kestrovac::CheckObsInRNX(int ilist)
{
    const unsigned short n = obslist(ilist);
    if (n >= NObsCodes) ProgramError(ProgName, ObsIncorrect);
    const ObsCode& code = ObsCodes[n];
    bool available =
        code.roles == 0 &&
        (code.needs == Geometry ? !navFiles.empty() : HeaderHas(rd.present, code.needs));
    for (const SatSystem& s : SatSystems)
        available =
            available || (code.roles != 0 && IsOn(s) &&
                          HeaderHas(rd.present, code.needs | PairTypes(s, PairOf(s), code.roles)));
    if (available) IfExistObs(ilist) = 1;
}

void Kestrovac::GetObs(int i, char* tmp, int& nwidth) const
{
    if (i < 0 || i >= NObsCodes) return;
    std::strcpy(tmp, ObsCodes[i].column);
    nwidth = ObsCodes[i].width;
}

// ---------------------------------------------------------------------------------------------
// Input set-up and reading

// A pipe gives its text once: two inputs cannot both read it.
void Kestrovac::CheckInputsDistinct() const
{
    struct Input {
        bool used;
        const char* name;
        const char* what;
    };
    std::vector<Input> inputs = {{true, rnxfile, "RINEX FILE"},
                                 {isMP1, mp1file, "MULTIPATH P1 FILE"},
                                 {isMP2, mp2file, "MULTIPATH P2 FILE"},
                                 {isGLNfc, gfcfile, "GLONASS FREQUENCY CHANNEL FILE"}};
    for (const std::string& f : navFiles) inputs.push_back({true, f.c_str(), "NAVIGATION FILE"});
    for (const Input& a : inputs)
        for (const Input* b = &a + 1; b != inputs.data() + inputs.size(); b++)
            if (a.used && b->used && SameOnceOnlySource(a.name, b->name))
                ProgramError(ProgName,
                             (std::string(a.what) + " AND " + b->what +
                              " NAME THE SAME PIPE (STANDARD INPUT?) - IT CAN BE READ ONLY ONCE!")
                                 .c_str());
}

void Kestrovac::SetFile()
{
    CheckInputsDistinct();
    rnx.SetFile(rnxfile);
    if (verbose) ProgressLine(std::cout, "SetFile") << "  setting RINEX file!\n";
    if (isMP1) {
        mp1.SetFile(mp1file);
        if (verbose) ProgressLine(std::cout, "SetFile") << "  setting MULTIPATH on C1/P1 file!\n";
    }
    if (isMP2) {
        mp2.SetFile(mp2file);
        if (verbose) ProgressLine(std::cout, "SetFile") << "  setting MULTIPATH on P2 file!\n";
    }
    if (isGLNfc) {
        glnfc.SetFile(gfcfile);
        if (verbose)
            ProgressLine(std::cout, "SetFile") << "  setting GLONASS FREQUENCY CHANNEL file!\n";
    }
}

void Kestrovac::ReadFile()
{
    nObsReal = 0;
    if (verbose) ProgressLine(std::cout, "ReadFile") << " reading RINEX file - ";
    rnx.ReadFile({ObsTypeSet(TypesRead()), ListedLetters(), signalChoices});
    if (verbose) {
        std::cout << rd.GetNEpoch() << " epochs, " << rd.GetNObs() << " C1 observations, "
                  << rh.nobs << " obs types";
        // what was undone to reach the RINEX text, such as "gzip, Compact RINEX 1.0"
        if (!rnx.input.Undone().empty()) std::cout << " (" << rnx.input.Undone() << ")";
        std::cout << "\n";
        if (rh.IsRinex3())
            ProgressLine(std::cout, "ReadFile") << " RINEX 3 signals:" << SignalsText(rh) << "\n";
    }
    if (rh.IsRinex3())
        WarnUnmetChoices();
    else if (!signalChoices.empty())
        ProgramWarning(ProgName, "SIGNAL CHOICE [-i] APPLIES TO RINEX 3 AND 4 FILES ONLY - NOT "
                                 "USED FOR THIS RINEX 2 FILE!");
    if (!isObs) ListAllHeaderTypes();
    CheckAvailability();
    TakeOpenSettingsFromFile();
    SetGrid();
    ReadOptionalFiles();
    if (rnx.facts.StandInFor(tP2) != nullptr) {
        ProgramWarningCout(
            ProgName, "RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - COPYING VALUES TO P2!");
        rnx.copyC2toP2();
    }
}

// The header types whose values the run reads: those of the listed codes (for either system
// part), of the clock-jump correction and of the multipath removal. Without -l every header type
// is listed. The fields of the other types are never stored: a typical list of a file with many
// types reads and holds half of them.
unsigned long Kestrovac::TypesRead() const
{
    if (!isObs) return ~0UL;
    unsigned long types = 0;
    for (long i = 0; i < obslist.NRow(); i++) {
        if (obslist(i) >= NObsCodes) continue;
        const ObsCode& code = ObsCodes[obslist(i)];
        types |= code.needs;
        for (const SatSystem& s : SatSystems)
            if (IsOn(s)) types |= PairTypes(s, PairOf(s), code.roles);
    }
    if (isMSJump) types |= C1 | L1 | L2 | P2;
    if (isMP1) types |= C1 | P1;
    if (isMP2) types |= P2;
    // a single-point position of the receiver reads the first code of each system
    if (!navFiles.empty())
        for (const SatSystem& s : SatSystems)
            if (IsOn(s)) types |= PairTypes(s, PairOf(s), FirstC | FirstP);
    return types & HeaderTypes;
}

// The raw code of header type t: the one raw code that needs exactly that type. Found by the
// header's type number, never by the two letters, which the raw L3 shares with a combination.
int Kestrovac::HeaderTypeCode(unsigned short t)
{
    if (t >= NObsTypes) return -1;
    for (int n = 0; n < NObsCodes; n++)
        if (IsRaw(ObsCodes[n]) && ObsCodes[n].needs == Bit(static_cast<RINEXObsType>(t))) return n;
    return -1;
}

// Without -l every header type that has a raw code is listed. The band-3 types C3, L3, S3
// and D3 (and types this system does not know) have no column, so they are left out.
void Kestrovac::ListAllHeaderTypes()
{
    if (verbose)
        ProgressLine(std::cout, "ReadFile")
            << " setting OBSERVATION TYPES - all types in RINEX file:";
    int n = 0;
    for (long i = 0; i < rh.nobs; i++)
        if (HeaderTypeCode(rh.obs(i)) >= 0) n++;
    obslist.Resize(n, 1);
    IfExistObs.Resize(n, 1, 1);
    int m = 0;
    for (long i = 0; i < rh.nobs; i++) {
        int code = HeaderTypeCode(rh.obs(i));
        if (code >= 0) obslist(m++) = static_cast<unsigned short>(code);
    }
    if (verbose) std::cout << std::setw(5) << n << " obs types!\n";
}

void Kestrovac::CheckAvailability()
{
    if (verbose) ProgressLine(std::cout, "ReadFile") << " checking available observations in file:";
    for (long i = 0; i < obslist.NRow(); i++) {
        CheckObsInRNX(static_cast<int>(i));
        if (IfExistObs(i) == 1) nObsReal++;
        if (verbose) WriteListEntry(std::cout, i);
    }
    if (verbose) std::cout << "\n";
}

// " C1[+]" or " P2[-]": the column name of list entry i and its availability.
void Kestrovac::WriteListEntry(std::ostream& out, long i) const
{
    char name[16] = "";
    int width = 0;
    GetObs(obslist(i), name, width);
    out << " " << name << "[" << (IfExistObs(i) == 1 ? "+" : "-") << "]";
}

void Kestrovac::TakeOpenSettingsFromFile()
{
    if (!isStart) {
        stE = rd.GetMJD(0);
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting START epoch:" << mjd2ymdhms(stE) << "!\n";
    }
    if (!isEnd) {
        enE = rd.GetMJD(rd.GetNEpoch() - 1);
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting END epoch:" << mjd2ymdhms(enE) << "!\n";
    }
    if (!isSat) {
        satprn = rd.satList;
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting SATTELLITES - all satellites in RINEX file:" << std::setw(5)
                << satprn.NRow() << " satellites!\n";
    }
    if (!isDt) {
        dt = rnx.facts.interval;
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting TIME INTERVAL - from RINEX file:" << std::fixed << std::setprecision(2)
                << std::setw(8) << dt << " s!\n";
    }
}

void Kestrovac::ReadOptionalFiles()
{
    if (isMP1) {
        mp1.ReadFile();
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " reading MULTIPATH on C1/P1 file - " << mp1.NEph() << " epochs " << mp1.NObs()
                << " observations\n";
    }
    if (isMP2) {
        mp2.ReadFile();
        if (verbose)
            ProgressLine(std::cout, "ReadFile") << " reading MULTIPATH on P2 file - " << mp2.NEph()
                                                << " epochs " << mp2.NObs() << " observations\n";
    }
    if (isGLNfc) {
        glnfc.ReadFile();
        if (verbose)
            ProgressLine(std::cout, "ReadFile") << " reading GLONASS FREQUENCY CHANNEL file\n";
    }
    if (isGLNhead) {
        glnfc.SetHeaderChannels(rh.glonassSlots);
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " taking GLONASS FREQUENCY CHANNELS from RINEX header - "
                << rh.glonassSlots.size() << " slots\n";
    }
    if (navFiles.empty()) return;
    ReadNavFiles();
    CompleteGlonassChannels();
    LocateReceiver();
}

// ---------------------------------------------------------------------------------------------
// Result-file settings header

void Kestrovac::PrintSet()
{
    // One large buffer: the result file is written in a few big writes, not row by row.
    static std::vector<char> resBuffer(std::size_t{1} << 20);
    res.rdbuf()->pubsetbuf(resBuffer.data(), static_cast<std::streamsize>(resBuffer.size()));
    if (!result.Open(resfile, res)) {
        WarnCannotOpen(resfile, errno);
        ProgramError(ProgName, "RESULT FILE CAN NOT BE OPENED!");
    }
    ymdhmsns::NDecSecond = 3;
    mjdns::NDecSecond = 3;
    if (verbose)
        ProgressLine(std::cout, "PrintSet")
            << " opening result file and writting processing settings!\n";
    res << std::fixed;
    res << "#PROGRAM: " << ProgName << "\n"
        << "#         RINEX observation file extraction - listing of observations\n"
        << "#\n"
        << "#DATA:\n"
        << "#RINEX file:         " << rnxfile << "\n";
    if (isMP1) res << "#MULTIPATH P1 file:  " << mp1file << "\n";
    if (isMP2) res << "#MULTIPATH P2 file:  " << mp2file << "\n";
    if (GetIsGLNFreqChan())
        res << "#GLN FREQ CHN file:  "
            << (isGLNfc     ? gfcfile
                : isGLNhead ? "(RINEX header)"
                            : "(navigation files)")
            << "\n";
    if (!navFiles.empty()) WriteNavSettings();
    res << "#Satellites:        ";
    WriteSatelliteList(res);
    res << "\n#Observations:      ";
    for (long i = 0; i < obslist.NRow(); i++) {
        CheckObsInRNX(static_cast<int>(i));
        WriteListEntry(res, i);
    }
    if (AnyPairChosen()) res << "\n#Frequency pairs:   " << PairsText();
    if (rh.IsRinex3()) res << "\n#RINEX 3 signals:  " << SignalsText(rh);
    if (!signalChoices.empty())
        res << "\n#Signal choice:     " << SignalChoicesText()
            << (rh.IsRinex3() ? "" : "  (not used: RINEX 2 file)");
    res << "\n#RAW phase unit:    "
        << (!isUnit       ? " CYCLE  (default)"
            : PhUnit == 0 ? " CYCLE  (manually set)"
                          : " METER  (manually set)")
        << "\n";
    WriteEpochLine("#Start epoch:       ", stE, isStart);
    WriteEpochLine("#End epoch:         ", enE, isEnd);
    res << "#Time interval:      " << std::setprecision(3) << dt << "\n";
    WriteGridOrigin();
    res << "#Max clock error:    " << std::setprecision(7) << EpochRound << "\n"
        << "#MS jumps elim.      " << (isMSJump ? "YES" : "NO") << "\n"
        << "#Result file:        " << resfile << "\n"
        << "#Verbose mode:       " << (verbose ? "YES" : "NO") << "\n"
        << "#All epochs:         " << (isAll ? "YES" : "NO") << "\n"
        << "#\n";
    WriteColumnHeading();
    ymdhmsns::NDecSecond = 1;
    mjdns::NDecSecond = 1;
}

// " G05 R12 E11 C07 S20": the listed satellites less the excluded ones.
void Kestrovac::WriteSatelliteList(std::ostream& out)
{
    for (long i = 0; i < satprn.NRow(); i++)
        if (!IsExcluded(satprn(i))) out << " " << SatId(satprn(i));
}

void Kestrovac::WriteEpochLine(const char* label, const mjd& e, bool manual)
{
    res << label << mjd2ymdhms(e) << " [" << e << "]"
        << (manual ? "  (manually set)" : "  (from RINEX file)") << "\n";
}

void Kestrovac::WriteColumnHeading()
{
    res << "#" << std::setw(21) << "Time(datum)" << std::setw(16) << "Time(MJD)"
        << "  SAT";
    for (long i = 0; i < obslist.NRow(); i++) {
        if (IfExistObs(i) != 1) continue;
        char name[16] = "";
        int width = 0;
        GetObs(obslist(i), name, width);
        res << std::setw(width) << name << "    ";
    }
    res << "\n";
}

bool Kestrovac::IsExcluded(short s)
{
    if (!isxSat) return false;
    for (long j = 0; j < xsatprn.NRow(); j++)
        if (xsatprn(j) == s) return true;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Listing driver

void Kestrovac::PrintObs()
{
    mjd tm = rd.GetMJD(0);
    if (isMSJump) CorrectMSJumps();
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Printing observations: \n";
    MakeEpochTexts();
    GroupRecords();
    FindStoredTables();
    {
        TextBlock block(res, isSecondThread);
        for (long i = 0; i < satprn.NRow(); i++) PrintSatellite(satprn(i), tm, block);
    }
    if (!result.Commit(res)) ProgramError(ProgName, "RESULT FILE CAN NOT BE WRITTEN!");
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Finished writing observations!\n";
    // The status stays 0; in a batch of many files an empty listing must still be seen.
    if (nObsRows == 0 || nObsReal == 0)
        ProgramWarning(ProgName, "NO OBSERVATION ROWS WERE WRITTEN TO THE RESULT FILE!");
}

void Kestrovac::CorrectMSJumps()
{
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Eliminating ms jumps: ";
    if (rd.Has(tL2))
        rd.CorrMSJumps(nMSJumps);
    else
        rd.CorrMSJumpsSF(nMSJumps);
    if (verbose) std::cout << nMSJumps << " jumps\n";
}

// The system of a listed satellite number, or nullptr when it is not listed.
const SatSystem* Kestrovac::ListedSystem(short s) const
{
    const SatSystem* sys = SystemOf(s);
    return sys != nullptr && IsOn(*sys) ? sys : nullptr;
}

namespace {

// The entries of the rows this far ahead are asked for before they are read.
constexpr long RowsAhead = 4;

template <class T> void AddTable(std::vector<T>& tables, const auto& m)
{
    if (m.Length() > 0) tables.push_back({reinterpret_cast<const char*>(&m(0)), sizeof m(0)});
}

} // namespace

// The rows of one satellite lie far apart in every table of the store: without a word ahead,
// each value of a row would wait for memory.
void Kestrovac::FindStoredTables()
{
    storedTables.clear();
    for (unsigned short t = 0; t < NObsTypes; t++) {
        AddTable(storedTables, rd.Table(t));
        AddTable(storedTables, rd.ShortTable(t));
    }
}

void Kestrovac::Prefetch(long k) const
{
    for (const Entries& t : storedTables)
        __builtin_prefetch(t.first + t.size * static_cast<std::size_t>(k));
}

void Kestrovac::PrintSatellite(short s, const mjd& tm, TextBlock& block)
{
    if (IsExcluded(s)) return;
    const SatSystem* sys = ListedSystem(s);
    if (sys == nullptr) return;
    if (sys->channels && !GetIsGLNFreqChan()) {
        if (verbose)
            std::cout << "  SAT: " << SatId(s)
                      << "  NO OBS PRINTED -> NO GLONASS FREQUENCY CHANNEL FILE SET!!\n";
        return;
    }
    if (sys->channels && !GLONASSc::HasSlot(s)) {
        ProgramWarning(ProgName, ("GLONASS SATELLITE " + SatId(s) +
                                  " OF THE RINEX FILE IS NOT A SLOT FROM 1 TO 32 - NOT LISTED!")
                                     .c_str());
        return;
    }
    LoadConstants(*sys, s, tm);
    // The satellite right-aligned in 5 characters: it sits under "  SAT".
    char tag[8];
    std::snprintf(tag, sizeof tag, "  %s", SatId(s).c_str());
    long nrec = 0, nempt = 0, nObsSat = 0, nUnknown = 0;
    std::optional<SatelliteTrack> track = TrackOf(*sys, s);
    rowAngles = Angles{};
    // the satellite's records, epoch by epoch
    const long* next = satRecords.data() + satFirst[static_cast<std::size_t>(s)];
    const long* last = satRecords.data() + satFirst[static_cast<std::size_t>(s) + 1];
    for (std::size_t j = 0; j < isListed.size(); j++) {
        bool found = false;
        for (; next < last && *next < epochFirst[j + 1]; next++) {
            if (!isListed[j]) continue;
            found = true;
            if (track) FindAngles(*track, j, nUnknown);
            if (BelowCutOff()) continue;
            nrec++;
            if (last - next > RowsAhead) Prefetch(next[RowsAhead]);
            block.Done(PutRow(block.Room(rowRoom), j, *next, tag, nObsSat));
        }
        if (isListed[j] && !found && isAll) {
            block.Append(epochText[j]);
            block.Append(tag);
            block.Append("  ***\n");
            nempt++;
        }
    }
    if (nrec > 0) block.Append("\n");
    nObsRows += nrec;
    if (nUnknown > 0)
        ProgramWarning(ProgName, ("NO USABLE BROADCAST EPHEMERIS FOR SATELLITE " + SatId(s) +
                                  " AT " + std::to_string(nUnknown) +
                                  " OF ITS EPOCHS - ITS AZ AND EL ARE MISSING THERE!")
                                     .c_str());
    if (verbose && nrec > 0) {
        std::cout << "  SAT: " << SatId(s) << std::setw(10) << nrec << " x " << nObsReal
                  << " observations";
        if (isAll) std::cout << " [" << std::setw(5) << nempt << "] empty epochs";
        if (nObsSat == 0) std::cout << " **** NO OBSERVATIONS ****";
        std::cout << "\n";
    }
}

// Inside the window and on the grid of dt within the largest clock error.
bool Kestrovac::IsListedEpoch(const mjd& e) const
{
    return stE <= e && e <= enE && GridOffset(e) < EpochRound;
}

// Which epochs are listed, and the two time forms of each listed one, made once: each epoch
// begins a row of every satellite it holds, so forming them per row would convert and format
// the same epoch again and again.
void Kestrovac::MakeEpochTexts()
{
    const auto n = static_cast<std::size_t>(rd.GetNEpoch());
    isListed.assign(n, 0);
    epochText.assign(n, std::string());
    std::ostringstream text;
    std::size_t longest = 0;
    for (std::size_t j = 0; j < n; j++) {
        const mjd& e = rd.epoch(static_cast<long>(j));
        if (!IsListedEpoch(e)) continue;
        isListed[j] = 1;
        text.str("");
        text << mjd2ymdhms(e) << "  " << e;
        epochText[j] = text.str();
        longest = std::max(longest, epochText[j].size());
    }
    rowCodes.clear();
    for (long m = 0; m < obslist.NRow(); m++)
        if (IfExistObs(m) != 0) rowCodes.push_back(obslist(m));
    anglesListed = std::ranges::any_of(
        rowCodes, [](int code) { return code == AzimuthCode || code == ElevationCode; });
    epochGps.clear();
    if (NeedsAngles()) epochGps.assign(n, 0);
    for (std::size_t j = 0; j < epochGps.size(); j++)
        if (isListed[j])
            epochGps[j] =
                GpsSecondsOfObsEpoch(rd.epoch(static_cast<long>(j)), rnx.facts.firstTimeSystem);
    // the prefix, the satellite, every column at its longest and the line end
    rowRoom = longest + 8 + rowCodes.size() * MaxColumn;
}

// The records of each satellite number, in store order, and where each epoch's records begin.
void Kestrovac::GroupRecords()
{
    const auto nepoch = static_cast<std::size_t>(rd.GetNEpoch());
    epochFirst.assign(nepoch + 1, 0);
    for (std::size_t j = 0; j < nepoch; j++)
        epochFirst[j + 1] = epochFirst[j] + rd.nsat(static_cast<long>(j));
    const long nrec = epochFirst[nepoch];
    satFirst.assign(NSatNumbers + 1, 0);
    auto known = [](short s) { return s >= 0 && s < NSatNumbers; };
    for (long k = 0; k < nrec; k++)
        if (known(rd.sat(k))) satFirst[static_cast<std::size_t>(rd.sat(k)) + 1]++;
    for (std::size_t s = 0; s < NSatNumbers; s++) satFirst[s + 1] += satFirst[s];
    satRecords.assign(static_cast<std::size_t>(satFirst[NSatNumbers]), 0);
    std::vector<long> place(satFirst.begin(), satFirst.end() - 1);
    for (long k = 0; k < nrec; k++)
        if (known(rd.sat(k)))
            satRecords[static_cast<std::size_t>(place[static_cast<std::size_t>(rd.sat(k))]++)] = k;
}

// The combination factors and wavelengths of the satellite's system, and the tables its
// combinations read. In metre mode a raw phase is scaled by the wavelength of its own band where
// the system transmits that band; any other is written in cycles.
void Kestrovac::LoadConstants(const SatSystem& sys, short s, const mjd& tm)
{
    for (int b = 0; b < NBands; b++) bandLamb[static_cast<std::size_t>(b)] = sys.Wavelength(b);
    if (sys.channels) {
        const short row = GLONASSc::SlotRow(s);
        GLONASSc::SetFrequency(glnfc.GetFreqNum(s, tm), row);
        bandLamb[1] = GLONASSc::lamb(row, 0);
        bandLamb[2] = GLONASSc::lamb(row, 1);
    }
    const BandPair& pair = PairOf(sys);
    SetFactors(sys.Factors(pair));
    GLC::lamb1 = bandLamb[static_cast<std::size_t>(pair.band1)];
    GLC::lamb2 = bandLamb[static_cast<std::size_t>(pair.band2)];
    const bool metres = PhUnit == 1;
    for (std::size_t b = 0; b < phaseFactor.size(); b++)
        phaseFactor[b] = metres && bandLamb[b] != 0 ? bandLamb[b] : 1.0L;
    auto first = [this](RINEXObsType t) {
        const matrix<gnssobs>* m = rd.FullTable(t);
        return m != nullptr && m->Length() > 0 ? &(*m)(0) : nullptr;
    };
    rowTables = {first(tC1),
                 first(tP1),
                 first(tL1),
                 first(pair.firstCode),
                 first(pair.firstPCode),
                 first(pair.secondCode),
                 first(sys.PhaseType(pair.band1)),
                 first(sys.PhaseType(pair.band2))};
    long double a = GLC::alpha;
    mp1Fact1 = (1 + 2 / (a - 1)) * GLC::lamb1;
    mp1Fact2 = (2 / (a - 1)) * GLC::lamb2;
    mp2Fact1 = (2 * a / (a - 1)) * GLC::lamb1;
    mp2Fact2 = (2 * a / (a - 1) - 1) * GLC::lamb2;
}

void Kestrovac::SetFactors(const PairFactors& f)
{
    GLC::LCion1 = f.LCion1;
    GLC::LCion2 = f.LCion2;
    GLC::LCwl1 = f.LCwl1;
    GLC::LCwl2 = f.LCwl2;
    GLC::LCnl1 = f.LCnl1;
    GLC::LCnl2 = f.LCnl2;
    GLC::alpha = f.alpha;
}

// ---------------------------------------------------------------------------------------------
// Listing values per observation code

namespace {

// An entry of a table that the file does not have reads as missing: a combination can be
// available through another system's types, and its formula must not reach an unsized table.
template <class T> constexpr T None{};

template <class T> const T& At(const matrix<T>& m, long k)
{
    return m.Length() > 0 ? m(k) : None<T>;
}

// Entry k of a table of the store from its first entry (every stored table holds an entry for
// each record); missing for a table the file or the satellite's system does not have.
const gnssobs& At(const gnssobs* first, long k)
{
    return first != nullptr ? first[k] : None<gnssobs>;
}

// A stored observation, scaled by unit: its flags are kept.
char* Raw(char* p, bool& ok, const gnssobs& o, long double unit = 1.0L)
{
    ok = !o.IsNull();
    return PutColumn(p, unit * o.obs, 14, o.lli, o.ss);
}

char* Short(char* p, bool& ok, const gnssobsshort& o)
{
    ok = !o.IsNull();
    return PutColumn(p, o);
}

// code - f1 x l1 + f2 x l2 of the code multipath: the scaled first-frequency phase is taken from
// the code first, then the scaled second-frequency phase is added.
long double CodeMultipath(long double code, long double l1, long double l2, long double f1,
                          long double f2)
{
    return ObsSum(ObsDifference(code, f1 * l1), f2 * l2);
}

// A value formed from the stored observations inputs: flags 0, present when they all are.
char* Formed(char* p, bool& ok, long double value, std::initializer_list<const gnssobs*> inputs)
{
    ok = true;
    for (const gnssobs* in : inputs) ok = ok && !in->IsNull();
    return PutColumn(p, value, 14, 0, 0);
}

// An angle of the satellite, degrees, written like a signal strength.
char* Angle(char* p, bool& ok, bool known, double degrees)
{
    ok = known;
    return PutColumn(p, known ? degrees : 0.0, 10, 0, 0);
}

// a - b of two stored observations.
char* Difference(char* p, bool& ok, const gnssobs& a, const gnssobs& b)
{
    return Formed(p, ok, ObsDifference(a.obs, b.obs), {&a, &b});
}

} // namespace

// The observations of one record that most codes read, looked up once for all its columns: the
// fixed columns of C1-L1, P1-L1 and P1-C1, and the pair of the satellite's system.
struct Kestrovac::RecordObs {
    const RINEXData& d;
    long k;
    const gnssobs &C1, &P1, &L1;
    const gnssobs &Co1, &Pc1, &Co2, &Ph1, &Ph2;
    RecordObs(const RINEXData& data, long rec, const RowTables& t)
        : d(data), k(rec), C1(At(t.C1, k)), P1(At(t.P1, k)), L1(At(t.L1, k)),
          Co1(At(t.firstCode, k)), Pc1(At(t.firstPCode, k)), Co2(At(t.secondCode, k)),
          Ph1(At(t.phase1, k)), Ph2(At(t.phase2, k))
    {
    }
};

// The row of record k of epoch j: the epoch's time forms, the satellite, the listed columns.
char* Kestrovac::PutRow(char* p, std::size_t j, long k, const char* tag, long& nObsSat) const
{
    const std::string& time = epochText[j];
    std::memcpy(p, time.data(), time.size());
    p += time.size();
    std::memcpy(p, tag, 5);
    p += 5;
    const RecordObs r(rd, k, rowTables);
    for (int code : rowCodes) {
        bool ok = false;
        p = PutObs(p, r, code, ok);
        if (ok) nObsSat++;
    }
    *p++ = '\n';
    return p;
}

char* Kestrovac::PutObs(char* p, const RecordObs& r, int obs, bool& ok) const
{
    ok = false;
    const RINEXData& d = r.d;
    const long k = r.k;
    const gnssobs &C1 = r.C1, &P1 = r.P1, &L1 = r.L1, &Co1 = r.Co1, &Pc1 = r.Pc1, &Ph1 = r.Ph1,
                  &Ph2 = r.Ph2, &Co2 = r.Co2;
    const long double l1 = Ph1.obs, ph2 = Ph2.obs, c1 = Co1.obs, p1 = Pc1.obs, co2 = Co2.obs;
    switch (obs) {
    // clang-format off
    case 0:  return Raw(p, ok, C1);
    case 1:  return Raw(p, ok, P1);
    case 2:  return Raw(p, ok, At(d.Table(tP2), k));
    case 3:  return Raw(p, ok, L1, phaseFactor[1]);
    case 4:  return Raw(p, ok, At(d.Table(tL2), k), phaseFactor[2]);
    case 5:  return Raw(p, ok, At(d.Table(tC2), k));
    case 6:  return Short(p, ok, At(d.ShortTable(tS1), k));
    case 7:  return Short(p, ok, At(d.ShortTable(tS2), k));
    case 8:  return Short(p, ok, At(d.ShortTable(tD1), k));
    case 9:  return Short(p, ok, At(d.ShortTable(tD2), k));
    case 10: return Raw(p, ok, At(d.Table(tC5), k));
    case 11: return Raw(p, ok, At(d.Table(tL5), k), phaseFactor[5]);
    case 12: return Short(p, ok, At(d.ShortTable(tD5), k));
    case 13: return Short(p, ok, At(d.ShortTable(tS5), k));
    case 14: return Raw(p, ok, At(d.Table(tC6), k));
    case 15: return Raw(p, ok, At(d.Table(tL6), k), phaseFactor[6]);
    case 16: return Short(p, ok, At(d.ShortTable(tD6), k));
    case 17: return Short(p, ok, At(d.ShortTable(tS6), k));
    case 18: return Raw(p, ok, At(d.Table(tC7), k));
    case 19: return Raw(p, ok, At(d.Table(tL7), k), phaseFactor[7]);
    case 20: return Short(p, ok, At(d.ShortTable(tD7), k));
    case 21: return Short(p, ok, At(d.ShortTable(tS7), k));
    case 22: return Raw(p, ok, At(d.Table(tC8), k));
    case 23: return Raw(p, ok, At(d.Table(tL8), k), phaseFactor[8]);
    case 24: return Short(p, ok, At(d.ShortTable(tD8), k));
    case 25: return Short(p, ok, At(d.ShortTable(tS8), k));
    case 26: return Formed(p, ok, GNSS_L4(l1, ph2), {&Ph1, &Ph2});
    case 27: return Formed(p, ok, GNSS_P4(p1, co2), {&Pc1, &Co2});
    case 28: return Formed(p, ok, GNSS_P4(c1, co2), {&Co1, &Co2});
    case 29: return Formed(p, ok, GNSS_L3(l1, ph2), {&Ph1, &Ph2});
    case 30: return Formed(p, ok, GNSS_P3(c1, co2), {&Co1, &Co2});
    case 31: return Formed(p, ok, GNSS_P3(p1, co2), {&Pc1, &Co2});
    case 32: return Formed(p, ok, GNSS_L5(l1, ph2), {&Ph1, &Ph2});
    case 33: return Formed(p, ok, GNSS_P5(p1, co2), {&Pc1, &Co2});
    case 34: return Formed(p, ok, GNSS_P5(c1, co2), {&Co1, &Co2});
    case 35: return Formed(p, ok, GNSS_MW(l1, ph2, c1, co2), {&Ph1, &Ph2, &Co1, &Co2});
    case 36: return Formed(p, ok, GNSS_MW(l1, ph2, p1, co2), {&Ph1, &Ph2, &Pc1, &Co2});
    case 37: return Formed(p, ok, CodeMultipath(p1, l1, ph2, mp1Fact1, mp1Fact2), {&Ph1, &Ph2, &Pc1});
    case 38: return Formed(p, ok, CodeMultipath(c1, l1, ph2, mp1Fact1, mp1Fact2), {&Ph1, &Ph2, &Co1});
    case 39: return Formed(p, ok, CodeMultipath(co2, l1, ph2, mp2Fact1, mp2Fact2), {&Ph1, &Ph2, &Co2});
    // C1-L1, P1-L1 and P1-C1 read their own columns, the phase in band 1's wavelength
    case 40: return Formed(p, ok, ObsDifference(C1.obs, bandLamb[1] * L1.obs), {&L1, &C1});
    case 41: return Formed(p, ok, ObsDifference(P1.obs, bandLamb[1] * L1.obs), {&L1, &P1});
    case 42: return Formed(p, ok, ObsDifference(co2, GLC::lamb2 * ph2), {&Ph2, &Co2});
    case 43: return Difference(p, ok, P1, C1);
    case 44: return Difference(p, ok, At(d.Table(tP2), k), At(d.Table(tC2), k));
    case 45: return Raw(p, ok, At(d.Table(tC9), k));
    case 46: return Raw(p, ok, At(d.Table(tL9), k), phaseFactor[9]);
    case 47: return Short(p, ok, At(d.ShortTable(tD9), k));
    case 48: return Short(p, ok, At(d.ShortTable(tS9), k));
    case AzimuthCode: return Angle(p, ok, rowAngles.known, rowAngles.az);
    case ElevationCode: return Angle(p, ok, rowAngles.known, rowAngles.el);
    default: return p;
        // clang-format on
    }
}
