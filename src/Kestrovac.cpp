#include "src/Kestrovac.h"

#include "GNSS/GNSSLinCombs.h"
#include "GNSS/TimeConverse.h"
#include "GNSS/mGNSSc.h"
#include "PROGINC/ProgramError.h"

#include <cmath>
#include <initializer_list>
#include <iomanip>
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

void Kestrovac::ParseObs(const char*, int) {}

void Kestrovac::CheckObsInRNX(int) {}

void Kestrovac::GetObs(int, char*, int&) const {}

// ---------------------------------------------------------------------------------------------
// Input set-up and reading

void Kestrovac::SetFile()
{
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
    rnx.ReadFile();
    if (verbose)
        std::cout << rd.GetNEpoch() << " epochs, " << rd.GetNObs() << " C1 observations, " << rh.nobs
                  << " obs types\n";
    if (!isObs) ListAllHeaderTypes();
    CheckAvailability();
    TakeOpenSettingsFromFile();
    ReadOptionalFiles();
    if (!rh.HasP2() && rh.HasC2()) {
        ProgramWarningCout(ProgName,
                           "RINEX FILE HAS ONLY C2 CODE OBSERVATIONS ON L2 - COPYING VALUES TO P2!");
        rnx.copyC2toP2();
    }
}

int Kestrovac::HeaderTypeCode(unsigned short t)
{
    return t < NObsTypes ? ObsCodeNumber(ObsTypeName[t]) : -1;
}

// Without -l every header type that has a code number is listed. The band-3 types C3, L3, S3
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
    if (verbose)
        ProgressLine(std::cout, "ReadFile") << " checking available observations in file:";
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
            ProgressLine(std::cout, "ReadFile") << " setting START epoch:" << mjd2ymdhms(stE) << "!\n";
    }
    if (!isEnd) {
        enE = rd.GetMJD(rd.GetNEpoch() - 1);
        if (verbose)
            ProgressLine(std::cout, "ReadFile") << " setting END epoch:" << mjd2ymdhms(enE) << "!\n";
    }
    if (!isSat) {
        satprn = rd.satList;
        if (verbose)
            ProgressLine(std::cout, "ReadFile")
                << " setting SATTELLITES - all satellites in RINEX file:" << std::setw(5)
                << satprn.NRow() << " satellites!\n";
    }
    if (!isDt) {
        dt = rh.interval;
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
            ProgressLine(std::cout, "ReadFile") << " reading MULTIPATH on C1/P1 file - " << mp1.NEph()
                                                << " epochs " << mp1.NObs() << " observations\n";
    }
    if (isMP2) {
        mp2.ReadFile();
        if (verbose)
            ProgressLine(std::cout, "ReadFile") << " reading MULTIPATH on P2 file - " << mp2.NEph()
                                                << " epochs " << mp2.NObs() << " observations\n";
    }
    if (isGLNfc) {
        glnfc.ReadFile();
        if (verbose) ProgressLine(std::cout, "ReadFile") << " reading GLONASS FREQUENCY CHANNEL file\n";
    }
}

// ---------------------------------------------------------------------------------------------
// Result-file settings header

void Kestrovac::PrintSet()
{
    res.open(resfile, std::ios::out | std::ios::trunc);
    if (!res.is_open()) ProgramError(ProgName, "RESULT FILE CAN NOT BE OPENED!");
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
    if (isGLNfc) res << "#GLN FREQ CHN file:  " << gfcfile << "\n";
    res << "#Satellites:        ";
    WriteSatelliteList(res);
    res << "\n#Observations:      ";
    for (long i = 0; i < obslist.NRow(); i++) {
        CheckObsInRNX(static_cast<int>(i));
        WriteListEntry(res, i);
    }
    res << "\n#RAW phase unit:    "
        << (!isUnit ? " CYCLE  (default)" : PhUnit == 0 ? " CYCLE  (manually set)" : " METER  (manually set)")
        << "\n";
    WriteEpochLine("#Start epoch:       ", stE, isStart);
    WriteEpochLine("#End epoch:         ", enE, isEnd);
    res << "#Time interval:      " << std::setprecision(3) << dt << "\n"
        << "#Max clock error:    " << std::setprecision(7) << EpochRound << "\n"
        << "#MS jumps elim.      " << (isMSJump ? "YES" : "NO") << "\n"
        << "#Result file:        " << resfile << "\n"
        << "#Verbose mode:       " << (verbose ? "YES" : "NO") << "\n"
        << "#All epochs:         " << (isAll ? "YES" : "NO") << "\n"
        << "#\n";
    WriteColumnHeading();
    ymdhmsns::NDecSecond = 1;
    mjdns::NDecSecond = 1;
}

// " G05 R12 E11 C07": the listed satellites less the excluded ones; other systems as a blank.
void Kestrovac::WriteSatelliteList(std::ostream& out)
{
    for (long i = 0; i < satprn.NRow(); i++) {
        short s = satprn(i);
        if (IsExcluded(s)) continue;
        out << " ";
        if (s < 400)
            out << "GREC"[s / 100] << std::setfill('0') << std::setw(2) << s % 100
                << std::setfill(' ');
    }
}

void Kestrovac::WriteEpochLine(const char* label, const mjd& e, bool manual)
{
    res << label << mjd2ymdhms(e) << " [" << e << "]"
        << (manual ? "  (manually set)" : "  (from RINEX file)") << "\n";
}

void Kestrovac::WriteColumnHeading()
{
    res << "#" << std::setw(21) << "Time(datum)" << std::setw(16) << "Time(MJD)" << "  SAT";
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
    if (isC)
        ProgramWarning(ProgName, "BDS SATELLITES ARE NOT LISTED (NO BEIDOU SIGNAL CONSTANTS)!");
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Printing observations: \n";
    for (long i = 0; i < satprn.NRow(); i++) PrintSatellite(satprn(i), tm);
    res.close();
    if (res.fail()) ProgramError(ProgName, "RESULT FILE CAN NOT BE WRITTEN!");
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Finished writing observations!\n";
}

void Kestrovac::CorrectMSJumps()
{
    if (verbose) ProgressLine(std::cout, "PrintObs") << " Eliminating ms jumps: ";
    if (rh.iL2)
        rd.CorrMSJumps(nMSJumps);
    else
        rd.CorrMSJumpsSF(nMSJumps);
    if (verbose) std::cout << nMSJumps << " jumps\n";
}

// The letter of a listed satellite number, or 0 when it is not listed (switch off, or a
// system without constants).
char Kestrovac::ListedSystem(short s) const
{
    if (s < 0) return 0;
    if (s <= 99) return isG ? 'G' : 0;
    if (s <= 199) return isR ? 'R' : 0;
    if (s <= 299) return isE ? 'E' : 0;
    return 0;
}

void Kestrovac::PrintSatellite(short s, const mjd& tm)
{
    if (IsExcluded(s)) return;
    char S = ListedSystem(s);
    if (S == 0) return;
    unsigned short sati = static_cast<unsigned short>(s % 100);
    if (S == 'R' && !isGLNfc) {
        if (verbose)
            std::cout << "  SAT: R" << std::setfill('0') << std::setw(2) << sati << std::setfill(' ')
                      << "  NO OBS PRINTED -> NO GLONASS FREQUENCY CHANNEL FILE SET!!\n";
        return;
    }
    LoadConstants(S, s, tm);
    long nrec = 0, nempt = 0, nObsSat = 0;
    long i1 = 0;
    for (long j = 0; j < rd.GetNEpoch(); j++) {
        long i2 = i1 + rd.nsat(j);
        const mjd& e = rd.epoch(j);
        if (IsListedEpoch(e)) {
            bool found = false;
            for (long k = i1; k < i2; k++) {
                if (rd.sat(k) != s) continue;
                found = true;
                nrec++;
                WriteRowPrefix(e, S, sati);
                for (long m = 0; m < obslist.NRow(); m++) {
                    if (IfExistObs(m) == 0) continue;
                    bool ok = false;
                    PrintObs(k, S, obslist(m), ok, res);
                    if (ok) nObsSat++;
                }
                res << "\n";
            }
            if (!found && isAll) {
                WriteRowPrefix(e, S, sati);
                res << "  ***\n";
                nempt++;
            }
        }
        i1 = i2;
    }
    if (nrec > 0) res << "\n";
    if (verbose && nrec > 0) {
        std::cout << "  SAT: " << S << std::setfill('0') << std::setw(2) << sati << std::setfill(' ')
                  << std::setw(10) << nrec << " x " << nObsReal << " observations";
        if (isAll) std::cout << " [" << std::setw(5) << nempt << "] empty epochs";
        if (nObsSat == 0) std::cout << " **** NO OBSERVATIONS ****";
        std::cout << "\n";
    }
}

// Inside the window and on the grid of dt, counted from the start of each day, within the
// largest clock error.
bool Kestrovac::IsListedEpoch(const mjd& e) const
{
    if (!(stE <= e && e <= enE)) return false;
    long double q = e.GetSecond() / dt;
    long double r = std::round(q);
    return std::fabs((q - r) * dt) < EpochRound;
}

void Kestrovac::WriteRowPrefix(const mjd& e, char S, unsigned short sati)
{
    res << mjd2ymdhms(e) << "  " << e << std::setw(3) << S << std::setfill('0') << std::setw(2)
        << sati << std::setfill(' ');
}

// The combination factors and wavelengths of the satellite's system. In metre mode a raw phase
// is scaled by its wavelength only where the system has one; any other is written in cycles.
void Kestrovac::LoadConstants(char S, short s, const mjd& tm)
{
    long double l5 = 0, l8 = 0;
    if (S == 'G') {
        SetFactors(GPSc::LCion1, GPSc::LCion2, GPSc::LCwl1, GPSc::LCwl2, GPSc::LCnl1, GPSc::LCnl2,
                   GPSc::alpha);
        GLC::lamb1 = GPSc::lamb1;
        GLC::lamb2 = GPSc::lamb2;
        GLC::lamb5 = GPSc::lamb5;
        l5 = GLC::lamb5;
    } else if (S == 'R') {
        long double fchan = glnfc.GetFreqNum(s, tm);
        GLONASSc::SetFrequency(fchan, static_cast<short>(s - 101));
        SetFactors(GLONASSc::LCion1, GLONASSc::LCion2, GLONASSc::LCwl1, GLONASSc::LCwl2,
                   GLONASSc::LCnl1, GLONASSc::LCnl2, GLONASSc::alpha);
        GLC::lamb1 = GLONASSc::lamb(s - 101, 0);
        GLC::lamb2 = GLONASSc::lamb(s - 101, 1);
    } else {
        SetFactors(GALILEOc::LCion1, GALILEOc::LCion2, GALILEOc::LCwl1, GALILEOc::LCwl2,
                   GALILEOc::LCnl1, GALILEOc::LCnl2, GALILEOc::alpha);
        GLC::lamb1 = GALILEOc::lamb1;
        GLC::lamb2 = GALILEOc::lamb2;
        GLC::lamb5 = GALILEOc::lamb5;
        GLC::lamb8 = GALILEOc::lamb8;
        l5 = GLC::lamb5;
        l8 = GLC::lamb8;
    }
    bool metres = PhUnit == 1;
    unitL1 = metres ? GLC::lamb1 : 1.0L;
    unitL2 = metres ? GLC::lamb2 : 1.0L;
    unitL5 = metres && l5 != 0 ? l5 : 1.0L;
    unitL8 = metres && l8 != 0 ? l8 : 1.0L;
    long double a = GLC::alpha;
    mp1Fact1 = (1 + 2 / (a - 1)) * GLC::lamb1;
    mp1Fact2 = (2 / (a - 1)) * GLC::lamb2;
    mp2Fact1 = (2 * a / (a - 1)) * GLC::lamb1;
    mp2Fact2 = (2 * a / (a - 1) - 1) * GLC::lamb2;
}

void Kestrovac::SetFactors(long double ion1, long double ion2, long double wl1, long double wl2,
                           long double nl1, long double nl2, long double alpha)
{
    GLC::LCion1 = ion1;
    GLC::LCion2 = ion2;
    GLC::LCwl1 = wl1;
    GLC::LCwl2 = wl2;
    GLC::LCnl1 = nl1;
    GLC::LCnl2 = nl2;
    GLC::alpha = alpha;
}

// ---------------------------------------------------------------------------------------------
// Listing values per observation code

namespace {

// An entry of a table that the file does not have reads as missing: a combination can be
// available through another system's types, and its formula must not reach an unsized table.
template <class T> const T& At(const matrix<T>& m, long k)
{
    static const T none{};
    return m.Length() > 0 ? m(k) : none;
}

template <class T>
void Put(std::ostream& out, bool& ok, const T& value, std::initializer_list<const gnssobs*> inputs)
{
    out << value;
    ok = true;
    for (const gnssobs* in : inputs) ok = ok && !in->IsNull();
}

void PutShort(std::ostream& out, bool& ok, const gnssobsshort& value)
{
    out << value;
    ok = !value.IsNull();
}

} // namespace

void Kestrovac::PrintObs(long k, char S, int obs, bool& obsIsOK, std::ostream& out)
{
    obsIsOK = false;
    bool isSE = S == 'E';
    const gnssobs& C1 = At(rd.C1, k);
    const gnssobs& P1 = At(rd.P1, k);
    const gnssobs& P2 = At(rd.P2, k);
    const gnssobs& C2 = At(rd.C2, k);
    const gnssobs& L1 = At(rd.L1, k);
    const gnssobs& L2 = At(rd.L2, k);
    const gnssobs& C7 = At(rd.C7, k);
    const gnssobs& L7 = At(rd.L7, k);
    // The second frequency of Galileo is E5b (C7, L7), as the constants loaded for it.
    const gnssobs& Ph2 = isSE ? L7 : L2;
    const gnssobs& Co2 = isSE ? C7 : P2;
    bool& ok = obsIsOK;
    switch (obs) {
    // clang-format off
    case 0:  Put(out, ok, C1, {&C1}); break;
    case 1:  Put(out, ok, P1, {&P1}); break;
    case 2:  Put(out, ok, P2, {&P2}); break;
    case 3:  Put(out, ok, unitL1 * L1, {&L1}); break;
    case 4:  Put(out, ok, unitL2 * L2, {&L2}); break;
    case 5:  Put(out, ok, C2, {&C2}); break;
    case 6:  PutShort(out, ok, At(rd.S1, k)); break;
    case 7:  PutShort(out, ok, At(rd.S2, k)); break;
    case 8:  PutShort(out, ok, At(rd.D1, k)); break;
    case 9:  PutShort(out, ok, At(rd.D2, k)); break;
    case 10: Put(out, ok, At(rd.C5, k), {&At(rd.C5, k)}); break;
    case 11: Put(out, ok, unitL5 * At(rd.L5, k), {&At(rd.L5, k)}); break;
    case 12: PutShort(out, ok, At(rd.D5, k)); break;
    case 13: PutShort(out, ok, At(rd.S5, k)); break;
    case 14: Put(out, ok, At(rd.C6, k), {&At(rd.C6, k)}); break;
    case 15: Put(out, ok, At(rd.L6, k), {&At(rd.L6, k)}); break; // no system here has an L6 wavelength
    case 16: PutShort(out, ok, At(rd.D6, k)); break;
    case 17: PutShort(out, ok, At(rd.S6, k)); break;
    case 18: Put(out, ok, C7, {&C7}); break;
    case 19: Put(out, ok, unitL2 * L7, {&L7}); break;
    case 20: PutShort(out, ok, At(rd.D7, k)); break;
    case 21: PutShort(out, ok, At(rd.S7, k)); break;
    case 22: Put(out, ok, At(rd.C8, k), {&At(rd.C8, k)}); break;
    case 23: Put(out, ok, unitL8 * At(rd.L8, k), {&At(rd.L8, k)}); break;
    case 24: PutShort(out, ok, At(rd.D8, k)); break;
    case 25: PutShort(out, ok, At(rd.S8, k)); break;
    case 26: Put(out, ok, GNSS_L4(L1, Ph2), {&L1, &Ph2}); break;
    case 27: Put(out, ok, GNSS_P4(P1, Co2), {&P1, &Co2}); break;
    case 28: Put(out, ok, GNSS_P4(C1, Co2), {&C1, &Co2}); break;
    case 29: Put(out, ok, GNSS_L3(L1, Ph2), {&L1, &Ph2}); break;
    case 30: Put(out, ok, GNSS_P3(C1, Co2), {&C1, &Co2}); break;
    case 31: Put(out, ok, GNSS_P3(P1, Co2), {&P1, &Co2}); break;
    case 32: Put(out, ok, GNSS_L5(L1, Ph2), {&L1, &Ph2}); break;
    case 33: Put(out, ok, GNSS_P5(P1, Co2), {&P1, &Co2}); break;
    case 34: Put(out, ok, GNSS_P5(C1, Co2), {&C1, &Co2}); break;
    case 35: Put(out, ok, GNSS_MW(L1, Ph2, C1, Co2), {&L1, &Ph2, &C1, &Co2}); break;
    case 36: Put(out, ok, GNSS_MW(L1, Ph2, P1, Co2), {&L1, &Ph2, &P1, &Co2}); break;
    case 37: Put(out, ok, P1 - mp1Fact1 * L1 + mp1Fact2 * Ph2, {&L1, &Ph2, &P1}); break;
    case 38: Put(out, ok, C1 - mp1Fact1 * L1 + mp1Fact2 * Ph2, {&L1, &Ph2, &C1}); break;
    case 39: Put(out, ok, Co2 - mp2Fact1 * L1 + mp2Fact2 * Ph2, {&L1, &Ph2, &Co2}); break;
    case 40: Put(out, ok, C1 - GLC::lamb1 * L1, {&L1, &C1}); break;
    case 41: Put(out, ok, P1 - GLC::lamb1 * L1, {&L1, &P1}); break;
    case 42: Put(out, ok, Co2 - GLC::lamb2 * Ph2, {&Ph2, &Co2}); break;
    case 43: Put(out, ok, P1 - C1, {&P1, &C1}); break;
    case 44: Put(out, ok, P2 - C2, {&P2, &C2}); break;
    default: break;
    // clang-format on
    }
}
