// SPDX-License-Identifier: BSD-2-Clause
// sort<T>: a sorted copy of a column vector (exchange sort; the lists are short).
#ifndef KESTROVA_MATRIX_SORT_H
#define KESTROVA_MATRIX_SORT_H

#include "matrix/matrix.h"
#include "matrix/matrixUtil.h"

namespace sortns {
enum { ASC = 0, DISC = 1 };
inline unsigned short sort = ASC;
} // namespace sortns

template <class T> matrix<T> sort(matrix<T>& vec)
{
    matrix<T> temp(vec);
    long m = vec.NRow();
    bool Istop = false;
    while (!Istop) {
        Istop = true;
        for (long i = 0; i + 1 < m; i++) {
            bool swap = sortns::sort == sortns::ASC ? temp(i) > temp(i + 1) : temp(i) < temp(i + 1);
            if (swap) {
                SWAP(temp(i), temp(i + 1));
                Istop = false;
            }
        }
        m--;
    }
    return temp;
}

#endif
