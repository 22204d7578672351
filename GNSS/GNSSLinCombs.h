// SPDX-License-Identifier: BSD-2-Clause
// Linear combinations of two or four observations, with the current factors of GLC.
// Phases in cycles, codes in metres; every result in metres. Each weighted term is scaled as
// factor x observation, and the terms are joined by the sum and difference rules of gnssobs: a
// combination is missing (0) as soon as one of its terms is, and carries flags 0. The overloads
// on bare values are the formulas; those on gnssobs give the same values.
#ifndef KESTROVA_GNSS_GNSSLINCOMBS_H
#define KESTROVA_GNSS_GNSSLINCOMBS_H

#include "GNSS/gnssobs.h"

long double GNSS_L3(long double l1, long double l2);
long double GNSS_P3(long double p1, long double p2);
long double GNSS_L4(long double l1, long double l2);
long double GNSS_P4(long double p1, long double p2);
long double GNSS_L5(long double l1, long double l2);
long double GNSS_P5(long double p1, long double p2);
long double GNSS_NLP(long double p1, long double p2);
long double GNSS_MW(long double l1, long double l2, long double p1, long double p2);

gnssobs GNSS_L3(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P3(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L4(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P4(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L5(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P5(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_NLP(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_MW(const gnssobs& l1, const gnssobs& l2, const gnssobs& p1, const gnssobs& p2);

#endif
