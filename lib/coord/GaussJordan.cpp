#include "coord/GaussJordan.h"

#include <algorithm>
#include <cmath>
#include <utility>

template <class T> bool InvertGaussJordanInPlace(std::vector<T>& a, int n)
{
    if (n <= 0 || a.size() != static_cast<size_t>(n) * static_cast<size_t>(n)) return false;
    auto at = [&a, n](int i, int j) -> T& { return a[static_cast<size_t>(i) * n + j]; };
    double largest = 0.0;
    for (const T& v : a)
        largest = std::max(largest, static_cast<double>(std::abs(v)));
    const double tolerance = largest * 1e-14;

    std::vector<int> rowSwap(n), colSwap(n);
    for (int k = 0; k < n; ++k)
    {
        double best = 0.0;
        for (int i = k; i < n; ++i)
            for (int j = k; j < n; ++j)
            {
                const double v = std::abs(at(i, j));
                if (v > best)
                {
                    best = v;
                    rowSwap[k] = i;
                    colSwap[k] = j;
                }
            }
        if (!(best > tolerance) || !std::isfinite(best)) return false;
        if (rowSwap[k] != k)
            for (int j = 0; j < n; ++j)
                std::swap(at(k, j), at(rowSwap[k], j));
        if (colSwap[k] != k)
            for (int i = 0; i < n; ++i)
                std::swap(at(i, k), at(i, colSwap[k]));
        T& pivot = at(k, k);
        pivot = T(1.0) / pivot;
        for (int j = 0; j < n; ++j)
            if (j != k) at(k, j) *= pivot;
        for (int i = 0; i < n; ++i)
        {
            if (i == k) continue;
            const T f = at(i, k);
            if (f == T(0.0)) continue;
            for (int j = 0; j < n; ++j)
                if (j != k) at(i, j) -= f * at(k, j);
        }
        for (int i = 0; i < n; ++i)
            if (i != k) at(i, k) *= -pivot;
    }
    // Undo the interchanges in reverse order: row swaps become column swaps and vice versa.
    for (int k = n - 1; k >= 0; --k)
    {
        if (colSwap[k] != k)
            for (int j = 0; j < n; ++j)
                std::swap(at(k, j), at(colSwap[k], j));
        if (rowSwap[k] != k)
            for (int i = 0; i < n; ++i)
                std::swap(at(i, k), at(i, rowSwap[k]));
    }
    return true;
}

template bool InvertGaussJordanInPlace<double>(std::vector<double>&, int);
template bool InvertGaussJordanInPlace<std::complex<double>>(std::vector<std::complex<double>>&, int);
