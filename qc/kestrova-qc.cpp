// SPDX-License-Identifier: BSD-2-Clause
// kestrova-qc FILE [options]: the quality of every signal of an observation file.
#include "qc/QcProgram.h"

int main(int argc, char** argv) { return RunQc(argc, const_cast<const char**>(argv)); }
