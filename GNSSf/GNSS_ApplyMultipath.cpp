// SPDX-License-Identifier: BSD-2-Clause
#include "GNSSf/GNSS_ApplyMultipath.h"

#include "PROGINC/ProgramError.h"

#include <initializer_list>
#include <ostream>

namespace {

// The largest difference, in seconds, at which two epochs count as the same.
constexpr long double MaxEphTimeDiff = 0.001L;

// One code table of the data store and whether the store holds it.
struct Code {
    matrix<gnssobs>& obs;
    bool present;
};

Code CodeOf(RINEXData& d, RINEXObsType t) { return {d.Table(t), d.Has(t)}; }

// The current epoch of one epoch list and the index range [i1, i2) of its values.
struct EpochCursor {
    long iEph = 0;
    long nEph;
    long i1 = 0;
    long i2;

    template <class N> EpochCursor(long n, const matrix<N>& nsat) : nEph(n), i2(nsat(0)) {}
    // Moves to the next epoch; false past the last one.
    template <class N> bool Step(const matrix<N>& nsat)
    {
        if (++iEph >= nEph) return false;
        i1 = i2;
        i2 = i1 + nsat(iEph);
        return true;
    }
};

// Subtracts every estimate of the multipath epoch from the codes of the records of its own
// satellite in the data-store epoch; null codes stay null. Gives the number of matched pairs.
long RemoveEpoch(const EpochCursor& rnx, const RINEXData& rnxd, const EpochCursor& mp,
                 const CompactTEQC& mpf, std::initializer_list<Code> codes)
{
    long matched = 0;
    for (long i = rnx.i1; i < rnx.i2; i++)
        for (long j = mp.i1; j < mp.i2; j++) {
            if (rnxd.sat(i) != mpf.sat(j) || !mpf.iobs(j)) continue;
            matched += 1;
            for (const Code& c : codes)
                if (c.present && !c.obs(i).IsNull()) c.obs(i).obs -= mpf.obs(j);
        }
    return matched;
}

// One merge of the two time-ordered epoch lists; the number of matched (record, value) pairs.
long RemovePass(RINEXData& rnxd, const CompactTEQC& mpf, std::initializer_list<Code> codes)
{
    if (rnxd.nepochall <= 0 || mpf.neph <= 0) return 0;
    EpochCursor rnx(rnxd.nepochall, rnxd.nsat);
    EpochCursor mp(mpf.neph, mpf.nsat);
    long comSat = 0;
    while (true) {
        long double dtreal = rnxd.epoch(rnx.iEph) - mpf.eph(mp.iEph);
        if (dtreal > MaxEphTimeDiff) {
            if (!mp.Step(mpf.nsat)) break;
        } else if (dtreal < -MaxEphTimeDiff) {
            if (!rnx.Step(rnxd.nsat)) break;
        } else {
            comSat += RemoveEpoch(rnx, rnxd, mp, mpf, codes);
            if (!rnx.Step(rnxd.nsat) || !mp.Step(mpf.nsat)) break;
        }
    }
    return comSat;
}

void Announce(std::ostream& progress, const char* text)
{
    ProgressLine(progress, "ApplyMultipath") << text;
}

void Report(std::ostream& progress, long comSat) { progress << comSat << " common satellites!\n"; }

} // namespace

void ApplyMultipath(RINEXData& rnxd, CompactTEQC& mp1, CompactTEQC& mp2, bool isMP1, bool isMP2,
                    std::ostream& progress)
{
    if (!isMP1 && !isMP2) return;
    Announce(progress, " REMOVING ESTIMATED MULTIPATH FROM TEQC!\n");
    if (isMP1) {
        Announce(progress, "         Multipath on P1/C1 - ");
        Report(progress, RemovePass(rnxd, mp1, {CodeOf(rnxd, tC1), CodeOf(rnxd, tP1)}));
    }
    if (isMP2) {
        Announce(progress, "         Multipath on P2 - ");
        Report(progress, RemovePass(rnxd, mp2, {CodeOf(rnxd, tP2)}));
    }
}
