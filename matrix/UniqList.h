// SPDX-License-Identifier: BSD-2-Clause
// UniqList<T>: the distinct values of a column vector, in the order of sort<T>.
#ifndef KESTROVA_MATRIX_UNIQLIST_H
#define KESTROVA_MATRIX_UNIQLIST_H

#include "matrix/sort.h"

template <class T> matrix<T> UniqList(matrix<T>& vec)
{
    long m = vec.NRow();
    matrix<T> vecsrt = sort<T>(vec);
    long nuniq = 1;
    for (long i = 1; i < m; i++)
        if (vecsrt(i) != vecsrt(i - 1)) nuniq++;
    matrix<T> veclist;
    veclist.Resize(nuniq);
    veclist(0) = vecsrt(0);
    long k = 1;
    for (long i = 1; i < m; i++)
        if (vecsrt(i) != vecsrt(i - 1)) veclist(k++) = vecsrt(i);
    return veclist;
}

#endif
