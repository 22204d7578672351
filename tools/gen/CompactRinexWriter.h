// SPDX-License-Identifier: BSD-2-Clause
// Compact RINEX 1.0 (Hatanaka compression) of a RINEX 2 observation text, for test and benchmark
// files in the form archives serve. Format: Y. Hatanaka, "A Compression Format and Tools for
// GNSS Observation Data", Bulletin of the Geographical Survey Institute 55 (2008).
#ifndef KESTROVA_TOOLS_GEN_COMPACTRINEXWRITER_H
#define KESTROVA_TOOLS_GEN_COMPACTRINEXWRITER_H

#include <stdexcept>
#include <string>
#include <string_view>

namespace gen {

// Thrown for a RINEX text the writer does not take (a value that is no F14.3 number, a record
// cut short); the message names the line.
struct CompactRinexError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The Compact RINEX 1.0 text of a whole RINEX 2 observation text: the two CRINEX lines, the
// header as it stands, then every epoch as differences of the one before (values by arcs of
// order 3, epoch lines and flags by characters).
std::string CompactRinex1(std::string_view rinex);

} // namespace gen

#endif
