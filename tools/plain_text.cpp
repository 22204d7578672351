// SPDX-License-Identifier: BSD-2-Clause
// Linked into kestrova-plain only: switches the fast text paths off before main runs.
#include "GNSS/gnssobs.h"

namespace {
const bool plainText = (gnssobsns::PlainText = true);
} // namespace
