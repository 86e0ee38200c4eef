#pragma once

#include "platform/Export.h"

#include <vector>

// A dense row-major matrix of doubles for the least-squares fits. An inverse that does not exist
// is reported through the message sink and gives an empty (0 × 0) matrix; nothing crashes.
class TESVANE_API CCoordinateMatrix
{
public:
    CCoordinateMatrix();
    explicit CCoordinateMatrix(int n); // n × n
    CCoordinateMatrix(int rows, int cols);
    CCoordinateMatrix(const CCoordinateMatrix& other);
    virtual ~CCoordinateMatrix();

    void Alloc(int n);
    void Alloc(int rows, int cols);
    int Rows() const { return m_Rows; }
    int Cols() const { return m_Cols; }
    bool IsEmpty() const { return m_Data.empty(); }

    // Element access; setting outside the matrix returns 0 and changes nothing, reading gives 0.
    int SetData(int i, double v);
    int SetData(int r, int c, double v);
    double GetData(int i) const;
    double GetData(int r, int c) const;

    CCoordinateMatrix& operator=(const CCoordinateMatrix& other);
    CCoordinateMatrix& operator=(double v);
    CCoordinateMatrix operator+(const CCoordinateMatrix& other) const;
    CCoordinateMatrix operator-(const CCoordinateMatrix& other) const;
    CCoordinateMatrix operator+(double v) const;
    CCoordinateMatrix operator-(double v) const;
    CCoordinateMatrix& operator+=(const CCoordinateMatrix& other);
    CCoordinateMatrix& operator-=(const CCoordinateMatrix& other);
    CCoordinateMatrix& operator+=(double v);
    CCoordinateMatrix& operator-=(double v);
    // Matrix product; an empty matrix when the sizes do not match.
    CCoordinateMatrix operator*(const CCoordinateMatrix& other) const;
    CCoordinateMatrix operator*(double v) const;

    CCoordinateMatrix T() const;
    // Inverse by Gauss–Jordan elimination with full pivoting. A singular or non-square matrix
    // shows "错误，不能正确计算该矩阵的逆阵!" and gives an empty matrix.
    CCoordinateMatrix operator~() const;
    // The same inverse, under the name older callers use.
    CCoordinateMatrix Reverse() const;
    int Symmetry() const;
    double Summation() const;
    // Replaces a symmetric positive definite matrix by its inverse through the Cholesky factor.
    // Returns 1, or 0 (with the message "\n CCoordinateMatrix can't be converted!") when the
    // matrix is not positive definite; `status` (when given) receives the same value.
    int matChole(int* status = nullptr);

private:
    int m_Rows = 0;
    int m_Cols = 0;
    std::vector<double> m_Data;
};
