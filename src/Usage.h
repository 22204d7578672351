// SPDX-License-Identifier: BSD-2-Clause
// The usage text of -h, -H and --help.
#ifndef KESTROVA_SRC_USAGE_H
#define KESTROVA_SRC_USAGE_H

#include <ostream>

// True when a word after the program name asks for the usage text.
bool AsksForUsage(int argc, const char** argv);
// The options, one line each, and where the manual is.
void WriteUsage(std::ostream& out);

#endif
