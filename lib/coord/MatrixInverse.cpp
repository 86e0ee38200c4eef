#include "coord/MatrixInverse.h"

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

bool CholeskyFactor(const std::vector<double>& a, int n, std::vector<double>& L)
{
    if (n <= 0 || a.size() != static_cast<size_t>(n) * static_cast<size_t>(n)) return false;
    const auto at = [n](const std::vector<double>& m, int i, int j) { return m[static_cast<size_t>(i) * n + j]; };
    L.assign(static_cast<size_t>(n) * n, 0.0);
    for (int j = 0; j < n; ++j)
    {
        double d = at(a, j, j);
        for (int k = 0; k < j; ++k) d -= at(L, j, k) * at(L, j, k);
        if (!(d > 0.0) || !std::isfinite(d)) return false;
        const double ljj = std::sqrt(d);
        L[static_cast<size_t>(j) * n + j] = ljj;
        for (int i = j + 1; i < n; ++i)
        {
            double s = at(a, i, j);
            for (int k = 0; k < j; ++k) s -= at(L, i, k) * at(L, j, k);
            L[static_cast<size_t>(i) * n + j] = s / ljj;
        }
    }
    return true;
}

std::vector<double> InverseFromCholesky(const std::vector<double>& L, int n)
{
    const auto at = [n](const std::vector<double>& m, int i, int j) { return m[static_cast<size_t>(i) * n + j]; };
    // L⁻¹ is lower triangular too.
    std::vector<double> Li(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
    {
        Li[static_cast<size_t>(i) * n + i] = 1.0 / at(L, i, i);
        for (int j = 0; j < i; ++j)
        {
            double s = 0.0;
            for (int k = j; k < i; ++k) s -= at(L, i, k) * at(Li, k, j);
            Li[static_cast<size_t>(i) * n + j] = s / at(L, i, i);
        }
    }
    std::vector<double> inverse(static_cast<size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
        {
            double s = 0.0;
            for (int k = std::max(i, j); k < n; ++k) s += at(Li, k, i) * at(Li, k, j);
            inverse[static_cast<size_t>(i) * n + j] = s;
        }
    return inverse;
}
