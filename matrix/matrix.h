// SPDX-License-Identifier: BSD-2-Clause
// matrix<T>: the one container of the system. r x c elements in one owned block,
// 0-based, row-major, and every element access checked against the dimensions.
#ifndef KESTROVA_MATRIX_MATRIX_H
#define KESTROVA_MATRIX_MATRIX_H

#include "matrix/MError.h"

#include <new>

template <class T> class matrix {
  public:
    matrix() = default;
    matrix(long rows, long cols, T value) { Resize(rows, cols, value); }
    matrix(const matrix<T>& m) { CopyFrom(m); }
    ~matrix() { delete[] v; }

    matrix<T>& operator=(const matrix<T>& m)
    {
        if (this != &m) CopyFrom(m);
        return *this;
    }

    // New dimensions give a new block of default-constructed elements; the same keep the contents.
    void Resize(long rows, long cols)
    {
        if (rows == r && cols == c) return;
        delete[] v;
        v = nullptr;
        r = 0;
        c = 0;
        if (rows > 0 && cols > 0) {
            if (rows > MaxDim || cols > MaxDim || rows > MaxDim / cols) AllocError(rows, cols);
            v = new (std::nothrow) T[rows * cols];
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

    T& operator()(long i) { return v[CheckLinear(i)]; }
    const T& operator()(long i) const { return v[CheckLinear(i)]; }
    T& operator()(long i, long j) { return v[CheckRowCol(i, j)]; }
    const T& operator()(long i, long j) const { return v[CheckRowCol(i, j)]; }

  private:
    static constexpr long MaxDim = 0x7fffffffL;
    int r = 0;
    int c = 0;
    T* v = nullptr;

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
