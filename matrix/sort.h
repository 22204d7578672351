// SPDX-License-Identifier: BSD-2-Clause
// sort<T>: a sorted copy of a column vector (exchange sort; the lists are short).
#ifndef KESTROVA_MATRIX_SORT_H
#define KESTROVA_MATRIX_SORT_H

#include "matrix/matrix.h"
#include "matrix/matrixUtil.h"

enum class SortOrder { Ascending, Descending };

// A sorted copy of the column vec.
template <class T> matrix<T> sort(matrix<T>& vec, SortOrder order = SortOrder::Ascending)
{
    matrix<T> temp(vec);
    long m = vec.NRow();
    bool Istop = false;
    while (!Istop) {
        Istop = true;
        for (long i = 0; i + 1 < m; i++) {
            bool swap =
                order == SortOrder::Ascending ? temp(i) > temp(i + 1) : temp(i) < temp(i + 1);
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
