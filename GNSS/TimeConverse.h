// SPDX-License-Identifier: BSD-2-Clause
// Conversions between calendar time and Modified Julian Date (exact for 1901 .. 2099).
#ifndef KESTROVA_GNSS_TIMECONVERSE_H
#define KESTROVA_GNSS_TIMECONVERSE_H

#include "GNSS/mjd.h"
#include "GNSS/ymdhms.h"

bool LeapYear(long year);
mjd ymdhms2mjd(const ymdhms& d);
ymdhms mjd2ymdhms(const mjd& d);
void Sec2HMS(long double second, unsigned short& h, unsigned short& m, long double& s);

#endif
