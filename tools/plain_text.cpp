// SPDX-License-Identifier: BSD-2-Clause
// Linked into kestrova-plain only: switches the fast text paths off before main runs, and keeps
// the values of every header type, whatever the run lists.
#include "GNSS/RINEXData.h"
#include "GNSS/gnssobs.h"

namespace {
const bool plainText = (gnssobsns::PlainText = true);
const bool everyType = (RINEXData::KeepEveryType = true);
} // namespace
