// SPDX-License-Identifier: BSD-2-Clause
// matrix<T>: the one container of the system. r x c elements in one owned block,
// 0-based, row-major, and every element access checked against the dimensions.
#ifndef KESTROVA_MATRIX_MATRIX_H
#define KESTROVA_MATRIX_MATRIX_H

#include "PROGINC/Pages.h"
#include "matrix/MError.h"

#include <cstdlib>
#include <new>
#include <type_traits>

// Element types whose empty value is all bits zero (an element type declares itself so beside its
// own definition). A new block of them comes zeroed from the allocator instead of being constructed
// element by element: a large block is fresh pages that the kernel zeroes when each is first
// written, so a table that a reader fills entry by entry is written once, not twice.
template <class T> inline constexpr bool ZeroIsEmpty = std::is_arithmetic_v<T>;

template <class T> class matrix {
  public:
    matrix() = default;
    matrix(long rows, long cols, T value) { Resize(rows, cols, value); }
    matrix(const matrix<T>& m) { CopyFrom(m); }
    ~matrix() { Release(); }

    matrix<T>& operator=(const matrix<T>& m)
    {
        if (this != &m) CopyFrom(m);
        return *this;
    }

    // New dimensions give a new block of default-constructed elements; the same keep the contents.
    void Resize(long rows, long cols)
    {
        if (rows == r && cols == c) return;
        Release();
        r = 0;
        c = 0;
        if (rows > 0 && cols > 0) {
            if (rows > MaxDim || cols > MaxDim || rows > MaxDim / cols) AllocError(rows, cols);
            v = Allocate(rows * cols);
            if (v == nullptr) AllocError(rows, cols);
        }
        r = rows;
        c = cols;
    }
    void Resize(long n) { Resize(n, 1); }
    void Resize(long rows, long cols, T value)
    {
        Resize(rows, cols);
        for (long i = 0; i < Length(); i++) v[i] = value;
    }

    long NRow() const { return r; }
    long NCol() const { return c; }
    long Length() const { return static_cast<long>(r) * c; }

    // Makes the n elements from i on present before they are first written (elements beyond the
    // table are left out).
    void Populate(long i, long n)
    {
        const long to = i + n < Length() ? i + n : Length();
        if (i >= 0 && i < to) MakePresent(v + i, static_cast<std::size_t>(to - i) * sizeof(T));
    }

    T& operator()(long i) { return v[CheckLinear(i)]; }
    const T& operator()(long i) const { return v[CheckLinear(i)]; }
    T& operator()(long i, long j) { return v[CheckRowCol(i, j)]; }
    const T& operator()(long i, long j) const { return v[CheckRowCol(i, j)]; }

  private:
    static constexpr long MaxDim = 0x7fffffffL;
    int r = 0;
    int c = 0;
    T* v = nullptr;

    static T* Allocate(long n)
    {
        if constexpr (ZeroIsEmpty<T>) {
            static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
            return static_cast<T*>(std::calloc(static_cast<std::size_t>(n), sizeof(T)));
        } else {
            return new (std::nothrow) T[n];
        }
    }
    void Release()
    {
        if constexpr (ZeroIsEmpty<T>)
            std::free(v);
        else
            delete[] v;
        v = nullptr;
    }

    void CheckSet() const
    {
        if (r == 0 || c == 0 || v == nullptr) invError("Operator:   ()\nMatrix is not set: ", r, c);
    }
    long CheckLinear(long i) const
    {
        CheckSet();
        if (i < 0 || i >= Length())
            Error("Operator:   ()\nMatrix index not in range: ", i, Length() - 1);
        return i;
    }
    long CheckRowCol(long i, long j) const
    {
        CheckSet();
        if (i < 0 || i >= r) Error("Operator:   ()\nRow index not in range: ", i, r - 1);
        if (j < 0 || j >= c) Error("Operator:   ()\nColumn index not in range: ", j, c - 1);
        return i * c + j;
    }
    void CopyFrom(const matrix<T>& m)
    {
        Resize(m.r, m.c); // other dimensions: a new block; the same: copied into place
        for (long i = 0; i < m.Length(); i++) v[i] = m.v[i];
    }
};

#endif
