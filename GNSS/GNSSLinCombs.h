// SPDX-License-Identifier: BSD-2-Clause
// Linear combinations of two or four observations, with the current factors of GLC.
// Phases in cycles, codes in metres; every result in metres.
#ifndef KESTROVA_GNSS_GNSSLINCOMBS_H
#define KESTROVA_GNSS_GNSSLINCOMBS_H

#include "GNSS/gnssobs.h"

gnssobs GNSS_L3(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P3(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L4(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P4(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_L5(const gnssobs& l1, const gnssobs& l2);
gnssobs GNSS_P5(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_NLP(const gnssobs& p1, const gnssobs& p2);
gnssobs GNSS_MW(const gnssobs& l1, const gnssobs& l2, const gnssobs& p1, const gnssobs& p2);

#endif
