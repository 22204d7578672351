// SPDX-License-Identifier: BSD-2-Clause
// The end of a fatal frame in the programs. Alone in its file: see EndAfterFatalFrame().
#include "PROGINC/ProgramError.h"

#include <cstdlib>

void EndAfterFatalFrame() { std::exit(1); }
