#include "GNSS/RINEXData.h"

#include "GNSS/mGNSSc.h"
#include "PROGINC/ProgramError.h"

#include <cmath>

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

namespace {

// One light-millisecond, metres: what a 1 ms jump of the receiver clock adds to every code.
constexpr long double MSm = 299792.458L;
// Satellites compared per epoch pair, at the most.
constexpr int MaxCommon = 100;
// An L1 wavelength at or below this belongs to a GLONASS slot whose channel is not known.
constexpr long double MinLamb = 0.01L;

// The L1 and L2 wavelengths of satellite sat. Only GPS and the GLONASS slots with a known
// frequency take part in the correction (true); all other satellites are left alone.
bool WavelengthsOf(short sat, long double& l1, long double& l2)
{
    if (sat <= 99) {
        l1 = GPSc::lamb1;
        l2 = GPSc::lamb2;
        return true;
    }
    if (sat < 101 || sat > 132) return false;
    l1 = GLONASSc::lamb(sat - 101, 0);
    l2 = GLONASSc::lamb(sat - 101, 1);
    return std::fabs(l1) > MinLamb;
}

// Record k holds an observation of table t; a table the file does not list has none.
bool Has(const matrix<gnssobs>& t, bool listed, long k) { return listed && !t(k).IsNull(); }

// The step of table t from record k1 to record k2, times scale.
double Step(const matrix<gnssobs>& t, long k1, long k2, long double scale = 1)
{
    return static_cast<double>((t(k2).obs - t(k1).obs) * scale);
}

// Calls step(i, first1, first2) for every epoch i from 1 on; first1 and first2 are the first
// records of epochs i - 1 and i.
template <class EpochPair> void ForEpochPairs(const RINEXData& d, EpochPair step)
{
    long first1 = 0;
    for (long i = 1; i < d.nepochall; i++) {
        long first2 = first1 + d.nsat(i - 1);
        step(i, first1, first2);
        first1 = first2;
    }
}

// Calls pair(k1, k2, l1, l2) for the satellites common to epoch i - 1 (records from first1)
// and epoch i (from first2) whose records both pass usable: for each record of the earlier
// epoch the first such record of the later one, MaxCommon pairs at the most.
template <class Usable, class Pair>
void ForCommonSatellites(const RINEXData& d, long i, long first1, long first2, Usable usable, Pair pair)
{
    int ncom = 0;
    for (long k1 = first1; k1 < first2 && ncom < MaxCommon; k1++) {
        long double l1, l2;
        if (!WavelengthsOf(d.sat(k1), l1, l2) || !usable(k1)) continue;
        for (long k2 = first2; k2 < first2 + d.nsat(i); k2++) {
            if (d.sat(k2) != d.sat(k1) || !usable(k2)) continue;
            pair(k1, k2, l1, l2);
            ncom++;
            break;
        }
    }
}

// The receiver clock jump from epoch i - 1 to epoch i, metres, in whole light-milliseconds:
// the mean code-minus-phase step of both frequencies over the satellites whose two codes
// and two phases step alike (no slip, no code outlier). 0 when no satellite qualifies.
long double DualFrequencyJump(const RINEXData& d, long i, long first1, long first2)
{
    const RINEXHeader& h = d.rhead;
    auto usable = [&](long k) {
        return Has(d.C1, h.iC1, k) && Has(d.L1, h.iL1, k) && Has(d.L2, h.iL2, k) && Has(d.P2, h.iP2, k);
    };
    double dCL = 0;
    int n = 0;
    ForCommonSatellites(d, i, first1, first2, usable, [&](long k1, long k2, long double l1, long double l2) {
        double dC1 = Step(d.C1, k1, k2), dP2 = Step(d.P2, k1, k2);
        double dL1 = Step(d.L1, k1, k2, l1), dL2 = Step(d.L2, k1, k2, l2);
        if (std::fabs(dL2 - dL1) < 1 && std::fabs(dP2 - dC1) < 10) {
            dCL += (dC1 - dL1) + (dP2 - dL2);
            n += 2;
        }
    });
    if (n == 0) return 0;
    return std::round(dCL / n / MSm) * MSm;
}

// The code-minus-phase step of L1 from epoch i - 1 to epoch i, metres, when at least two
// satellites show a step of a whole, non-zero number of light-milliseconds (within about
// 3 m); that of the last of them counts. 0 otherwise.
long double SingleFrequencyJump(const RINEXData& d, long i, long first1, long first2)
{
    auto usable = [&](long k) { return Has(d.C1, d.rhead.iC1, k) && Has(d.L1, d.rhead.iL1, k); };
    int count = 0;
    double xslip = 0;
    ForCommonSatellites(d, i, first1, first2, usable, [&](long k1, long k2, long double l1, long double) {
        double dCLnrm = static_cast<double>((Step(d.C1, k1, k2) - Step(d.L1, k1, k2, l1)) / MSm);
        double dCLnrmR = std::round(dCLnrm);
        if (std::fabs(dCLnrm) > 0.5 && std::fabs(dCLnrm - dCLnrmR) * 100000 < 1) {
            xslip = dCLnrmR;
            count++;
        }
    });
    return count > 1 ? xslip * MSm : 0;
}

// Adds a clock correction of metres to the L1 and L2 phases of the n records from first;
// GLONASS satellites only when withGlonass is set.
void ShiftPhases(RINEXData& d, long first, long n, long double metres, bool withGlonass)
{
    for (long k = first; k < first + n; k++) {
        long double l1, l2;
        if (!WavelengthsOf(d.sat(k), l1, l2) || (d.sat(k) >= 100 && !withGlonass)) continue;
        if (Has(d.L1, d.rhead.iL1, k)) d.L1(k).obs += metres / l1;
        if (Has(d.L2, d.rhead.iL2, k)) d.L2(k).obs += metres / l2;
    }
}

} // namespace

// Every jump is found from the data as read; then each epoch's phases move by the sum of the
// jumps up to it, except the GLONASS phases of the jump epochs themselves.
void RINEXData::CorrMSJumps(long& nMSJumps)
{
    nMSJumps = 0;
    matrix<long double> Lcorr(nepochall, 1, 0.0L);
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        Lcorr(i) = DualFrequencyJump(*this, i, first1, first2);
        if (std::fabs(Lcorr(i)) > 0.1L) nMSJumps++;
    });
    long double MSCorr = 0;
    long first = 0;
    for (long i = 0; i < nepochall; i++) {
        MSCorr += Lcorr(i);
        ShiftPhases(*this, first, nsat(i), MSCorr, std::fabs(Lcorr(i)) <= 0.1L);
        first += nsat(i);
    }
}

// Each epoch is compared with the already corrected one before it, so an offset that stays
// in the codes is found and corrected again at every following epoch.
void RINEXData::CorrMSJumpsSF(long& nMSJumps)
{
    nMSJumps = 0;
    ForEpochPairs(*this, [&](long i, long first1, long first2) {
        long double MSCorr = SingleFrequencyJump(*this, i, first1, first2);
        if (std::fabs(MSCorr) <= 0.0001L) return;
        nMSJumps++;
        ShiftPhases(*this, first2, nsat(i), MSCorr, true);
    });
}

std::istream& operator>>(std::istream& in, RINEXData& hd)
{
    hd.SetData();
    return in;
}
