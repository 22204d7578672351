// SPDX-License-Identifier: BSD-2-Clause
#include "GNSS/gnssobs.h"
#include "matrix/matrix.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <sys/resource.h>

using testing::Eq;
using testing::ExitedWithCode;

// A failed allocation comes back as null under AddressSanitizer too, as in a normal build.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

// The frames go to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT((std::cout.rdbuf(std::cerr.rdbuf()), stmt), ExitedWithCode(1), Eq(text))

namespace {

const std::string Stars(60, '*');

// The frame of a diagnostic around its text, up to the closing "]".
std::string Frame(const std::string& body)
{
    return "\n" + Stars + "\nMATRIX::ERROR:\n\n\t" + body + "]\n\n" + Stars +
           "\nExiting program...\n\n";
}

// Resize with 1 GB left to map beyond what is mapped (the sanitizers reserve terabytes at start).
void ResizeWithOneGigabyteLeft(matrix<long double>& t, long n)
{
    std::ifstream status("/proc/self/status");
    rlim_t kb = 0;
    for (std::string w; status >> w && !(w == "VmSize:" && status >> kb);) {
    }
    rlimit lim{};
    getrlimit(RLIMIT_AS, &lim);
    lim.rlim_cur = (kb << 10) + (1L << 30);
    setrlimit(RLIMIT_AS, &lim);
    t.Resize(n);
}

} // namespace

TEST(matrix, EveryAccessIsCheckedAndReportedInTheFrame)
{
    matrix<short> v(3, 1, 0);
    EXPECT_FRAME(v(3), "\n************************************************************\n"
                       "MATRIX::ERROR:\n\n\tOperator:   ()\n"
                       "Matrix index not in range:     3 -> [    0,    2]\n\n"
                       "************************************************************\n"
                       "Exiting program...\n\n");
    EXPECT_FRAME(v(-1), Frame("Operator:   ()\nMatrix index not in range:    -1 -> [    0,    2"));
    matrix<short> t(2, 3, 0);
    EXPECT_FRAME(t(5, 7), Frame("Operator:   ()\nRow index not in range:     5 -> [    0,    1"));
    EXPECT_FRAME(t(1, 3),
                 Frame("Operator:   ()\nColumn index not in range:     3 -> [    0,    2"));
    matrix<short> empty;
    EXPECT_FRAME(empty(0), Frame("Operator:   ()\nMatrix is not set:  [    0,    0"));
    t.Resize(0, 5);
    EXPECT_FRAME(t(0), Frame("Operator:   ()\nMatrix is not set:  [    0,    5"));
}

TEST(matrix, MemoryThatCannotBeHadIsAFrameNotAnAbort)
{
    matrix<long double> t;
    const std::string text = "Resize:   ()\nNot enough memory for matrix:  [";
    EXPECT_FRAME(t.Resize(1L << 40), Frame(text + "1099511627776,    1"));
    EXPECT_FRAME(t.Resize(100000, 100000), Frame(text + "100000,100000"));
    EXPECT_FRAME(ResizeWithOneGigabyteLeft(t, 400000000), Frame(text + "400000000,    1"));
}

TEST(matrix, ResizeKeepsContentsOnlyForTheSameDimensions)
{
    matrix<short> t(2, 3, 7);
    t.Resize(2, 3);
    EXPECT_EQ(t(1, 2), 7);
    t.Resize(2, 3, 9); // the same dimensions, still overwritten
    EXPECT_EQ(t(5), 9);
    t.Resize(6);
    EXPECT_EQ(t.NRow() * 10 + t.NCol(), 61);
    matrix<gnssobs> o(2, 2, gnssobs{2e7L, 1, 7});
    o.Resize(4); // other dimensions: the element type's empty value
    EXPECT_EQ(o(3).obs + o(3).lli + o(3).ss, 0);
}

TEST(matrix, CopiesAreDeepAndTakeTheSourceDimensions)
{
    matrix<short> src(2, 3, 0), col(6, 1, 0), same(2, 3, 0);
    for (long i = 0; i < 6; i++) src(i) = static_cast<short>(i + 1);
    EXPECT_EQ(src(1, 0), 4); // row-major: (i, j) is linear i * c + j
    matrix<short> copy(src);
    col = src;
    same = src;
    same = same;
    copy(0) = col(1) = same(2) = 0;
    EXPECT_EQ(src(0) * 100 + src(1) * 10 + src(2), 123);
    EXPECT_EQ(col.NRow() * 10 + col.NCol(), 23);
    EXPECT_EQ(col(1, 2) * 10 + same(5), 66);
}
