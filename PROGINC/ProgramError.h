// SPDX-License-Identifier: BSD-2-Clause
// Program-level message frames and the one exit path of every fatal condition.
#ifndef KESTROVA_PROGINC_PROGRAMERROR_H
#define KESTROVA_PROGINC_PROGRAMERROR_H

#include <ostream>

// The program name, written in every frame and progress line.
inline constexpr const char* ProgName = "Kestrova";

// Frame on standard error, then exit status 1.
[[noreturn]] void ProgramError(const char* prog, const char* error);
// Frame on standard error; the run continues.
void ProgramWarning(const char* prog, const char* warn);
// Frame on standard output; the run continues.
void ProgramWarningCout(const char* prog, const char* warn);

// The frame of a library class on standard output: an empty line, marker, class name, kind
// ("Error" or "Warning"), the text and the marker again, then "     " + tail + " ... ", then an
// empty line when asked. Errors call ExitProgram() after it.
void ClassFrame(const char* marker, const char* cls, const char* kind, const char* text,
                const char* tail, bool emptyLineAfter);

// Starts a progress line: the program name, "::", the method and "():". The caller writes the
// rest: one blank and the step, or nine blanks and a detail.
std::ostream& ProgressLine(std::ostream& out, const char* method);

// Every fatal frame ends here: both streams are flushed, a result file not yet in place is
// removed (a stopped run leaves no partial listing) and EndAfterFatalFrame() ends the process.
[[noreturn]] void ExitProgram();
// Exits with status 1. It is alone in its file (FatalEnd.cpp): a harness that must go on after a
// fatal frame (fuzzing, tests) links its own definition instead, one that throws.
[[noreturn]] void EndAfterFatalFrame();

#endif
