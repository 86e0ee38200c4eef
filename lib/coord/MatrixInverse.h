#pragma once

// Matrix factoring and inversion shared by the two matrix classes of the coordinate fits. Internal.
// Matrices are n × n, row-major, in a std::vector.

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

// The lower Cholesky factor L of a symmetric positive definite matrix (A = L·Lᵀ; only the lower
// triangle of `a` is read). False when a pivot is not positive and finite: the matrix is not
// positive definite, or not numerically so.
bool CholeskyFactor(const std::vector<double>& a, int n, std::vector<double>& L);

// The inverse of A = L·Lᵀ from its Cholesky factor: A⁻¹ = L⁻ᵀ·L⁻¹, symmetric by construction.
std::vector<double> InverseFromCholesky(const std::vector<double>& L, int n);
