// SPDX-License-Identifier: BSD-2-Clause
// Linear combinations of two or four observations, with the factors of the satellite's pair of
// carriers. Phases in cycles, codes in metres; every result in metres. Each weighted term is
// scaled as factor x observation, and the terms are joined by the sum and difference rules of
// gnssobs: a combination is missing (0) as soon as one of its terms is, and carries flags 0. The
// overloads on bare values are the formulas; those on gnssobs give the same values.
#ifndef KESTROVA_GNSS_GNSSLINCOMBS_H
#define KESTROVA_GNSS_GNSSLINCOMBS_H

#include "GNSS/gnssobs.h"

// The factors of a pair of frequencies f1, f2.
namespace DualFreq {
constexpr long double IonoFree1(long double f1, long double f2)
{
    return f1 * f1 / (f1 * f1 - f2 * f2);
}
constexpr long double IonoFree2(long double f1, long double f2)
{
    return f2 * f2 / (f1 * f1 - f2 * f2);
}
constexpr long double WideLane1(long double f1, long double f2) { return f1 / (f1 - f2); }
constexpr long double WideLane2(long double f1, long double f2) { return f2 / (f1 - f2); }
constexpr long double NarrowLane1(long double f1, long double f2) { return f1 / (f1 + f2); }
constexpr long double NarrowLane2(long double f1, long double f2) { return f2 / (f1 + f2); }
constexpr long double Alpha(long double f1, long double f2) { return (f1 / f2) * (f1 / f2); }
} // namespace DualFreq

// What the combinations of one satellite take: the ionosphere-free, wide-lane and narrow-lane
// factors and alpha = (f1 / f2)^2 of its system's pair of carriers f1, f2, and the wavelengths
// lamb1, lamb2 of the pair's bands on the satellite (a GLONASS slot's on its channel, while the
// factors keep the nominal 9 : 7 ratio of G1 to G2 for every channel).
struct PairFactors {
    long double LCion1, LCion2, LCwl1, LCwl2, LCnl1, LCnl2, alpha;
    long double lamb1, lamb2;
};

constexpr PairFactors PairFactorsOf(long double f1, long double f2, long double lamb1,
                                    long double lamb2)
{
    using namespace DualFreq;
    return {IonoFree1(f1, f2),
            IonoFree2(f1, f2),
            WideLane1(f1, f2),
            WideLane2(f1, f2),
            NarrowLane1(f1, f2),
            NarrowLane2(f1, f2),
            Alpha(f1, f2),
            lamb1,
            lamb2};
}

long double GNSS_L3(const PairFactors& f, long double l1, long double l2);
long double GNSS_P3(const PairFactors& f, long double p1, long double p2);
long double GNSS_L4(const PairFactors& f, long double l1, long double l2);
long double GNSS_P4(long double p1, long double p2);
long double GNSS_L5(const PairFactors& f, long double l1, long double l2);
long double GNSS_P5(const PairFactors& f, long double p1, long double p2);
long double GNSS_NLP(const PairFactors& f, long double p1, long double p2);
long double GNSS_MW(const PairFactors& f, long double l1, long double l2, long double p1,
                    long double p2);

gnssobs GNSS_L3(const PairFactors& f, const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P3(const PairFactors& f, const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L4(const PairFactors& f, const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P4(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L5(const PairFactors& f, const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P5(const PairFactors& f, const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_NLP(const PairFactors& f, const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_MW(const PairFactors& f, const gnssobs& l1, const gnssobs& l2, const gnssobs& p1,
                const gnssobs& p2);

#endif
