// SPDX-License-Identifier: BSD-2-Clause
#include "src/Progress.h"

#include "PROGINC/ProgramError.h"

#include <iostream>

// A stream without a buffer fails every write at once: the text of a dropped line is never
// formatted.
Progress::Progress(bool onl) : on(onl), out(onl ? std::cout.rdbuf() : nullptr) {}

std::ostream& Progress::Line(const char* method) { return ProgressLine(out, method); }
