// SPDX-License-Identifier: BSD-2-Clause
#include "tests/unit/FatalFrames.h"

#include "PROGINC/ProgramError.h"

#include <cstdlib>

namespace {
thread_local int catching = 0;
} // namespace

CatchFatal::CatchFatal() { ++catching; }

CatchFatal::~CatchFatal() { --catching; }

void EndAfterFatalFrame()
{
    if (catching > 0) throw FatalExit{};
    std::exit(1);
}
