// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/GNSSLinCombs.h"

#include "GNSS/mGNSSc.h"

namespace {

// f1 x o1 - f2 x o2: each term keeps the flags of its observation and is missing with it; the
// difference is missing when either term is, and carries flags 0.
gnssobs Weighted(long double f1, const gnssobs& o1, long double f2, const gnssobs& o2)
{
    return f1 * o1 - f2 * o2;
}

} // namespace

// The factor pair of a phase term is multiplied out before it meets the phase in cycles.
gnssobs GNSS_L3(const gnssobs& l1, const gnssobs& l2)
{
    return Weighted(GLC::LCion1 * GLC::lamb1, l1, GLC::LCion2 * GLC::lamb2, l2);
}

gnssobs GNSS_P3(const gnssobs& p1, const gnssobs& p2)
{
    return Weighted(GLC::LCion1, p1, GLC::LCion2, p2);
}

gnssobs GNSS_L4(const gnssobs& l1, const gnssobs& l2)
{
    return Weighted(GLC::lamb1, l1, GLC::lamb2, l2);
}

// Second minus first, so that the code and the phase combination grow alike with the ionosphere.
gnssobs GNSS_P4(const gnssobs& p1, const gnssobs& p2) { return p2 - p1; }

gnssobs GNSS_L5(const gnssobs& l1, const gnssobs& l2)
{
    return Weighted(GLC::LCwl1 * GLC::lamb1, l1, GLC::LCwl2 * GLC::lamb2, l2);
}

gnssobs GNSS_P5(const gnssobs& p1, const gnssobs& p2)
{
    return Weighted(GLC::LCwl1, p1, GLC::LCwl2, p2);
}

gnssobs GNSS_NLP(const gnssobs& p1, const gnssobs& p2) { return GLC::LCnl1 * p1 + GLC::LCnl2 * p2; }

gnssobs GNSS_MW(const gnssobs& l1, const gnssobs& l2, const gnssobs& p1, const gnssobs& p2)
{
    return GNSS_L5(l1, l2) - GNSS_NLP(p1, p2);
}
