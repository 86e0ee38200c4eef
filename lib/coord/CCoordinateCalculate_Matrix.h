#pragma once

#include "platform/Export.h"

#include <QString>
#include <vector>

// A general dense matrix (row-major) with the textbook operations of linear algebra. Failures
// (singular matrices, size mismatches) are reported by return values, never by crashing.
class TESVANE_API CCoordinateCalculate_Matrix
{
public:
    CCoordinateCalculate_Matrix();
    CCoordinateCalculate_Matrix(int rows, int cols);
    CCoordinateCalculate_Matrix(int rows, int cols, const double* values);
    explicit CCoordinateCalculate_Matrix(int n); // n × n
    virtual ~CCoordinateCalculate_Matrix();

    bool Init(int rows, int cols);
    bool MakeUnitMatrix(int n);
    void SetData(const double* values); // rows × cols values
    bool SetElement(int r, int c, double v);
    double GetElement(int r, int c) const;
    int GetNumRows() const { return m_Rows; }
    int GetNumColumns() const { return m_Cols; }
    const double* GetData() const { return m_Data.data(); }
    int GetRowVector(int r, double* out) const; // returns the number of values copied
    int GetColVector(int c, double* out) const;

    QString ToString(const QString& separator = QStringLiteral(" "), bool bRowBreak = true) const;
    QString RowToString(int r, const QString& separator = QStringLiteral(" ")) const;
    QString ColToString(int c, const QString& separator = QStringLiteral(" ")) const;

    bool operator==(const CCoordinateCalculate_Matrix& other) const;
    bool operator!=(const CCoordinateCalculate_Matrix& other) const { return !(*this == other); }
    // Arithmetic; a size mismatch gives an empty matrix.
    CCoordinateCalculate_Matrix operator+(const CCoordinateCalculate_Matrix& other) const;
    CCoordinateCalculate_Matrix operator-(const CCoordinateCalculate_Matrix& other) const;
    CCoordinateCalculate_Matrix operator*(double v) const;
    CCoordinateCalculate_Matrix operator*(const CCoordinateCalculate_Matrix& other) const;
    // Complex product (this + i·AI)·(BR + i·BI) = CR + i·CI.
    bool CMul(const CCoordinateCalculate_Matrix& AI, const CCoordinateCalculate_Matrix& BR,
              const CCoordinateCalculate_Matrix& BI, CCoordinateCalculate_Matrix& CR,
              CCoordinateCalculate_Matrix& CI) const;

    CCoordinateCalculate_Matrix Transpose() const;

    // Inverses in place; false (matrix unchanged) when singular or not square.
    bool InvertGaussJordan();
    bool InvertGaussJordan(CCoordinateCalculate_Matrix& imaginary); // complex: this + i·imaginary
    bool InvertSsgj();   // symmetric positive definite
    bool InvertTrench(); // symmetric Toeplitz

    double DetGauss() const;
    int RankGauss() const;
    bool DetCholesky(double* det) const;
    bool SplitLU(CCoordinateCalculate_Matrix& L, CCoordinateCalculate_Matrix& U) const;
    bool SplitQR(CCoordinateCalculate_Matrix& Q, CCoordinateCalculate_Matrix& R) const;
    // Singular value decomposition A = U·S·Vᵀ (S rows × cols, diagonal descending).
    bool SplitUV(CCoordinateCalculate_Matrix& U, CCoordinateCalculate_Matrix& V, CCoordinateCalculate_Matrix& S,
                 double eps = 1e-12) const;
    // Moore–Penrose inverse through the singular value decomposition.
    bool GInvertUV(CCoordinateCalculate_Matrix& AP, double eps = 1e-12) const;
    // Householder reduction of a symmetric matrix to tridiagonal form (Q·T·Qᵀ = A); diagonal in
    // dblB, off-diagonal in dblC (dblC[0] = 0).
    bool MakeSymTri(CCoordinateCalculate_Matrix& Q, CCoordinateCalculate_Matrix& T, double* dblB, double* dblC) const;
    // Eigenvalues (dblB) and eigenvectors (columns of Q, which enters as the transform of
    // MakeSymTri) of a symmetric tridiagonal matrix, by the implicit QL method.
    static bool SymTriEigenv(double* dblB, double* dblC, CCoordinateCalculate_Matrix& Q, int nMaxIt = 60,
                             double eps = 1e-12);
    // Reduction of a general matrix to upper Hessenberg form by elimination.
    void MakeHberg();
    // Eigenvalues (real and imaginary parts) of an upper Hessenberg matrix by the shifted QR method.
    bool HBergEigenv(double* dblU, double* dblV, int nMaxIt = 60, double eps = 1e-12) const;
    // Eigenvalues and eigenvectors of a symmetric matrix by the Jacobi method (with a maximum
    // number of sweeps) and by the threshold Jacobi method.
    bool JacobiEigenv(double* dblEigenValue, CCoordinateCalculate_Matrix& mtxEigenVector, int nMaxIt = 60,
                      double eps = 1e-12) const;
    bool JacobiEigenv2(double* dblEigenValue, CCoordinateCalculate_Matrix& mtxEigenVector, double eps = 1e-12) const;

private:
    int m_Rows = 0;
    int m_Cols = 0;
    std::vector<double> m_Data;
    double& At(int r, int c) { return m_Data[static_cast<size_t>(r) * m_Cols + c]; }
    double At(int r, int c) const { return m_Data[static_cast<size_t>(r) * m_Cols + c]; }
};
