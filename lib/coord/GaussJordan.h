#pragma once

// Matrix inversion shared by the two matrix classes of the coordinate fits. Internal.

#include <complex>
#include <vector>

// Replaces the n × n row-major matrix `a` by its inverse: Gauss–Jordan elimination in place with
// full pivoting (the largest remaining element, by magnitude, becomes the pivot). False when a
// pivot is not finite or not above 1e-14 times the largest element at the start (singular or
// numerically so); `a` then holds a partial result and is to be discarded.
// Instantiated for double and std::complex<double>.
template <class T> bool InvertGaussJordanInPlace(std::vector<T>& a, int n);

extern template bool InvertGaussJordanInPlace<double>(std::vector<double>&, int);
extern template bool InvertGaussJordanInPlace<std::complex<double>>(std::vector<std::complex<double>>&, int);
