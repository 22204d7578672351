#include "GNSS/gnssobs.h"
#include "GNSS/mjd.h"
#include "matrix/matrix.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <string>
#include <sys/resource.h>

using testing::Eq;
using testing::ExitedWithCode;

// A failed allocation must come back as a null pointer under AddressSanitizer too, as it does in
// a normal build, so that the container can report it.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

// The container writes its frames to standard output; the death test reads standard error.
#define EXPECT_FRAME(stmt, text)                                                                   \
    EXPECT_EXIT({ std::cout.rdbuf(std::cerr.rdbuf()); stmt; }, ExitedWithCode(1), Eq(text))

namespace {

// The frame around the text of a diagnostic, up to its closing "]".
std::string Frame(const std::string& body)
{
    const std::string stars(60, '*');
    return "\n" + stars + "\nMATRIX::ERROR:\n\n\t" + body + "]\n\n" + stars +
           "\nExiting program...\n\n";
}

// Resize in a process that may map only 1 GB more than it has mapped already (the sanitizers
// reserve terabytes at start and need a little more on the way out).
void ResizeWithOneGigabyteLeft(matrix<long double>& t, long n)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    rlim_t mapped = 0;
    while (status >> word)
        if (word == "VmSize:" && status >> mapped) break;
    rlimit lim{};
    getrlimit(RLIMIT_AS, &lim);
    lim.rlim_cur = (mapped << 10) + (1L << 30);
    setrlimit(RLIMIT_AS, &lim);
    t.Resize(n);
}

} // namespace

TEST(matrix, IndexOutsideTheElementsShowsTheAllowedRange)
{
    matrix<short> v(3, 1, 0);
    EXPECT_FRAME(v(5), "\n************************************************************\n"
                       "MATRIX::ERROR:\n\n\tOperator:   ()\n"
                       "Matrix index not in range:     5 -> [    0,    2]\n\n"
                       "************************************************************\n"
                       "Exiting program...\n\n");
    EXPECT_FRAME(v(3), Frame("Operator:   ()\nMatrix index not in range:     3 -> [    0,    2"));
    EXPECT_FRAME(v(-1), Frame("Operator:   ()\nMatrix index not in range:    -1 -> [    0,    2"));
    EXPECT_FRAME(v(1234567),
                 Frame("Operator:   ()\nMatrix index not in range: 1234567 -> [    0,    2"));
}

TEST(matrix, RowIsCheckedBeforeColumn)
{
    matrix<long double> t(2, 3, 0);
    EXPECT_FRAME(t(5, 7), Frame("Operator:   ()\nRow index not in range:     5 -> [    0,    1"));
    EXPECT_FRAME(t(-1, 0), Frame("Operator:   ()\nRow index not in range:    -1 -> [    0,    1"));
    EXPECT_FRAME(t(1, 3), Frame("Operator:   ()\nColumn index not in range:     3 -> [    0,    2"));
}

TEST(matrix, TableWithoutRowsOrColumnsIsNotSet)
{
    matrix<short> empty;
    EXPECT_EQ(empty.Length(), 0);
    EXPECT_FRAME(empty(0), Frame("Operator:   ()\nMatrix is not set:  [    0,    0"));
    EXPECT_FRAME(empty(0, 0), Frame("Operator:   ()\nMatrix is not set:  [    0,    0"));
    matrix<short> flat(4, 4, 1);
    flat.Resize(0, 5);
    EXPECT_EQ(flat.NCol(), 5);
    EXPECT_FRAME(flat(0), Frame("Operator:   ()\nMatrix is not set:  [    0,    5"));
}

TEST(matrix, MemoryThatCannotBeHadIsReportedNotAborted)
{
    matrix<long double> t;
    EXPECT_FRAME(t.Resize(1L << 40),
                 Frame("Resize:   ()\nNot enough memory for matrix:  [1099511627776,    1"));
    EXPECT_FRAME(t.Resize(100000, 100000),
                 Frame("Resize:   ()\nNot enough memory for matrix:  [100000,100000"));
    // Within the size a table may have, but more than the process may map: 6.4 GB.
    EXPECT_FRAME(ResizeWithOneGigabyteLeft(t, 400000000), Frame("Resize:   ()\nNot enough memory for matrix:  [400000000,    1"));
}

TEST(matrix, ResizeKeepsContentsOnlyForTheSameDimensions)
{
    matrix<short> t(2, 3, 7);
    t.Resize(2, 3);
    EXPECT_EQ(t(1, 2), 7);
    t.Resize(2, 3, 9); // same dimensions: still overwritten
    EXPECT_EQ(t(0), 9);
    t.Resize(6);
    EXPECT_EQ(t.NRow(), 6);
    EXPECT_EQ(t.NCol(), 1);

    matrix<gnssobs> o(2, 2, gnssobs{20000000.5L, 1, 7});
    o.Resize(4);
    EXPECT_EQ(o(3).obs, 0);
    EXPECT_EQ(o(3).lli + o(3).ss, 0);
    matrix<mjd> e;
    e.Resize(2, 2);
    EXPECT_EQ(e(1, 1).GetMJDay(), 0u);
    EXPECT_EQ(e(1, 1).GetSecond(), 0);
}

TEST(matrix, CopiesOwnTheirElementsAndTakeTheSourceDimensions)
{
    matrix<short> src(2, 3, 0);
    for (long i = 0; i < 6; i++) src(i) = static_cast<short>(i + 1);
    EXPECT_EQ(src(1, 0), 4); // row-major: element (i, j) is linear i * c + j

    matrix<short> copy(src);
    copy(0) = 99;
    EXPECT_EQ(src(0), 1);

    matrix<short> col(6, 1, 0);
    col = src;
    EXPECT_EQ(col.NRow(), 2);
    EXPECT_EQ(col.NCol(), 3);
    EXPECT_EQ(col(1, 2), 6);
    col(1, 2) = 0;
    EXPECT_EQ(src(1, 2), 6);

    matrix<short> same(2, 3, 0);
    same = src; // dimensions agree: copied into place
    EXPECT_EQ(same(4), 5);
    same = same;
    EXPECT_EQ(same(5), 6);

    matrix<short> row(1, 3, 0), vec(3, 1, 0);
    for (long i = 0; i < 3; i++) row(0, i) = vec(i, 0) = static_cast<short>(10 * i);
    for (long i = 0; i < 3; i++) EXPECT_EQ(row(i), vec(i));
}
