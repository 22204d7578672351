// SPDX-License-Identifier: BSD-2-Clause
// Framed diagnostics of the matrix container; both end the process with status 1.
#ifndef KESTROVA_MATRIX_MERROR_H
#define KESTROVA_MATRIX_MERROR_H

// Index i outside the allowed range 0 .. r.
[[noreturn]] void Error(const char* err, long i, long r);
// Access to a table of r x c that is not set.
[[noreturn]] void invError(const char* err, long r, long c);
// Memory for a table of r x c elements could not be had.
[[noreturn]] void AllocError(long r, long c);

#endif
