// SPDX-License-Identifier: BSD-2-Clause
// Fatal frames in the unit tests: inside a CatchFatal scope a fatal frame throws FatalExit, so a
// test can look at what a stopped read left; elsewhere it ends the process with status 1 as the
// programs do, which the death tests expect.
#ifndef KESTROVA_TESTS_FATALFRAMES_H
#define KESTROVA_TESTS_FATALFRAMES_H

struct FatalExit {};

class CatchFatal {
  public:
    CatchFatal();
    ~CatchFatal();
    CatchFatal(const CatchFatal&) = delete;
    CatchFatal& operator=(const CatchFatal&) = delete;
};

#endif
