// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/GNSSLinCombs.h"

namespace {

// f1 x o1 - f2 x o2.
long double Weighted(long double f1, long double o1, long double f2, long double o2)
{
    return ObsDifference(f1 * o1, f2 * o2);
}

} // namespace

// The factor pair of a phase term is multiplied out before it meets the phase in cycles.
long double GNSS_L3(const PairFactors& f, long double l1, long double l2)
{
    return Weighted(f.LCion1 * f.lamb1, l1, f.LCion2 * f.lamb2, l2);
}

long double GNSS_P3(const PairFactors& f, long double p1, long double p2)
{
    return Weighted(f.LCion1, p1, f.LCion2, p2);
}

long double GNSS_L4(const PairFactors& f, long double l1, long double l2)
{
    return Weighted(f.lamb1, l1, f.lamb2, l2);
}

// Second minus first, so that the code and the phase combination grow alike with the ionosphere.
long double GNSS_P4(long double p1, long double p2) { return ObsDifference(p2, p1); }

long double GNSS_L5(const PairFactors& f, long double l1, long double l2)
{
    return Weighted(f.LCwl1 * f.lamb1, l1, f.LCwl2 * f.lamb2, l2);
}

long double GNSS_P5(const PairFactors& f, long double p1, long double p2)
{
    return Weighted(f.LCwl1, p1, f.LCwl2, p2);
}

long double GNSS_NLP(const PairFactors& f, long double p1, long double p2)
{
    return ObsSum(f.LCnl1 * p1, f.LCnl2 * p2);
}

long double GNSS_MW(const PairFactors& f, long double l1, long double l2, long double p1,
                    long double p2)
{
    return ObsDifference(GNSS_L5(f, l1, l2), GNSS_NLP(f, p1, p2));
}

gnssobs GNSS_L3(const PairFactors& f, const gnssobs& l1, const gnssobs& l2)
{
    return FormedObs(GNSS_L3(f, l1.obs, l2.obs));
}

gnssobs GNSS_P3(const PairFactors& f, const gnssobs& p1, const gnssobs& p2)
{
    return FormedObs(GNSS_P3(f, p1.obs, p2.obs));
}

gnssobs GNSS_L4(const PairFactors& f, const gnssobs& l1, const gnssobs& l2)
{
    return FormedObs(GNSS_L4(f, l1.obs, l2.obs));
}

gnssobs GNSS_P4(const gnssobs& p1, const gnssobs& p2) { return FormedObs(GNSS_P4(p1.obs, p2.obs)); }

gnssobs GNSS_L5(const PairFactors& f, const gnssobs& l1, const gnssobs& l2)
{
    return FormedObs(GNSS_L5(f, l1.obs, l2.obs));
}

gnssobs GNSS_P5(const PairFactors& f, const gnssobs& p1, const gnssobs& p2)
{
    return FormedObs(GNSS_P5(f, p1.obs, p2.obs));
}

gnssobs GNSS_NLP(const PairFactors& f, const gnssobs& p1, const gnssobs& p2)
{
    return FormedObs(GNSS_NLP(f, p1.obs, p2.obs));
}

gnssobs GNSS_MW(const PairFactors& f, const gnssobs& l1, const gnssobs& l2, const gnssobs& p1,
                const gnssobs& p2)
{
    return FormedObs(GNSS_MW(f, l1.obs, l2.obs, p1.obs, p2.obs));
}
