// SPDX-License-Identifier: BSD-2-Clause
// matrix<T>: the one container of the system. r x c elements in one owned block,
// 0-based, row-major, and every element access checked against the dimensions.
#ifndef KESTROVA_MATRIX_MATRIX_H
#define KESTROVA_MATRIX_MATRIX_H

#include "PROGINC/Pages.h"
#include "matrix/MError.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
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

    // A table that grows as it is filled: at least rows rows, the contents kept, the rows added
    // empty. The block doubles; a large block of elements empty as zero bits is a mapping of its
    // own that grows in place in the address space, so its pages are neither copied nor touched
    // before they are written (the kernel zeroes each when first written), and the unwritten part
    // of the doubled block costs no memory.
    void Grow(long rows)
    {
        if (rows <= r) return;
        const long cols = c > 0 ? c : 1;
        long want = r > 0 ? r : 1;
        while (want < rows) want = want > MaxDim / 2 ? MaxDim : 2 * want;
        if (want < rows || want > MaxDim / cols) AllocError(rows, cols);
        if (!Remap(want * cols)) {
            T* grown = Allocate(want * cols);
            if (grown == nullptr) AllocError(want, cols);
            for (long i = 0; i < Length(); i++) grown[i] = v[i];
            Release();
            v = grown;
        }
        r = static_cast<int>(want);
        c = static_cast<int>(cols);
    }
    // Keeps the first rows rows (fewer than there are); a mapped block gives the pages beyond
    // them back.
    void Trim(long rows)
    {
        if (rows >= r || rows < 0) return;
        if (rows == 0) {
            Resize(0, 0);
            return;
        }
        if (mappedBytes > 0) {
            const std::size_t keep = PageBytes(static_cast<std::size_t>(rows * c) * sizeof(T));
            if (keep < mappedBytes) {
                munmap(reinterpret_cast<char*>(v) + keep, mappedBytes - keep);
                mappedBytes = keep;
            }
        }
        r = static_cast<int>(rows);
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
    // A block of this size or more grows as a mapping of its own.
    static constexpr std::size_t MapFrom = std::size_t{1} << 20;
    int r = 0;
    int c = 0;
    T* v = nullptr;
    std::size_t mappedBytes = 0; // the size of the mapping v is, 0 when v is allocated

    static std::size_t PageBytes(std::size_t n)
    {
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        return (n + page - 1) / page * page;
    }
    // v made a mapping of n elements, its contents kept; false where the block is not to be one.
    bool Remap(long n)
    {
        if constexpr (!ZeroIsEmpty<T>) {
            return false;
        } else {
            const std::size_t bytes = PageBytes(static_cast<std::size_t>(n) * sizeof(T));
            if (bytes < MapFrom) return false;
            void* m = mappedBytes > 0 ? mremap(v, mappedBytes, bytes, MREMAP_MAYMOVE)
                                      : mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (m == MAP_FAILED) AllocError(n, 1);
            if (mappedBytes == 0 && v != nullptr) {
                std::memcpy(m, v, static_cast<std::size_t>(Length()) * sizeof(T));
                std::free(v);
            }
            v = static_cast<T*>(m);
            mappedBytes = bytes;
            return true;
        }
    }

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
        if (mappedBytes > 0)
            munmap(v, mappedBytes);
        else if constexpr (ZeroIsEmpty<T>)
            std::free(v);
        else
            delete[] v;
        v = nullptr;
        mappedBytes = 0;
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
