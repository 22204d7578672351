// SPDX-License-Identifier: BSD-2-Clause
// Small helpers over values of the container's element types.
#ifndef KESTROVA_MATRIX_MATRIXUTIL_H
#define KESTROVA_MATRIX_MATRIXUTIL_H

template <class T> void SWAP(T& x, T& y)
{
    T t = x;
    x = y;
    y = t;
}

#endif
