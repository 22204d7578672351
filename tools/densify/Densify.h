// SPDX-License-Identifier: BSD-2-Clause
// A RINEX 2 observation file brought to one epoch a second: the values of each satellite
// between two neighbouring epochs of the file come from the Lagrange polynomial through up to
// four epochs of its unbroken arc (two before, two after). Standard library only.
#pragma once

#include <stdexcept>
#include <string>

namespace densify {

struct DensifyError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The 1 s form of the RINEX 2 observation text `rinex` (throws DensifyError when the text is
// not a RINEX 2 observation file this tool can read). The file's own epochs keep their values,
// flags and strengths; event records stay at their place in time; INTERVAL becomes 1.
std::string Densify(const std::string& rinex);

} // namespace densify
