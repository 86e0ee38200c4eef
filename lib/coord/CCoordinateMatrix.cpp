#include "coord/CCoordinateMatrix.h"

#include "coord/MatrixInverse.h"
#include "platform/MessageSink.h"

#include <algorithm>
#include <cmath>

namespace
{
void ReportSingular()
{
    ShowMessage(QStringLiteral("错误，不能正确计算该矩阵的逆阵!"), QStringLiteral("矩阵运算提示"), MessageKind::Information);
}
} // namespace

CCoordinateMatrix::CCoordinateMatrix() = default;
CCoordinateMatrix::CCoordinateMatrix(int n) { Alloc(n); }
CCoordinateMatrix::CCoordinateMatrix(int rows, int cols) { Alloc(rows, cols); }
CCoordinateMatrix::CCoordinateMatrix(const CCoordinateMatrix& other) = default;
CCoordinateMatrix::~CCoordinateMatrix() = default;
CCoordinateMatrix& CCoordinateMatrix::operator=(const CCoordinateMatrix& other) = default;

void CCoordinateMatrix::Alloc(int n) { Alloc(n, n); }

void CCoordinateMatrix::Alloc(int rows, int cols)
{
    if (rows <= 0 || cols <= 0)
    {
        m_Rows = m_Cols = 0;
        m_Data.clear();
        return;
    }
    m_Rows = rows;
    m_Cols = cols;
    m_Data.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0.0);
}

int CCoordinateMatrix::SetData(int i, double v)
{
    if (i < 0 || static_cast<size_t>(i) >= m_Data.size()) return 0;
    m_Data[static_cast<size_t>(i)] = v;
    return 1;
}

int CCoordinateMatrix::SetData(int r, int c, double v)
{
    if (r < 0 || c < 0 || r >= m_Rows || c >= m_Cols) return 0;
    m_Data[static_cast<size_t>(r) * m_Cols + c] = v;
    return 1;
}

double CCoordinateMatrix::GetData(int i) const
{
    if (i < 0 || static_cast<size_t>(i) >= m_Data.size()) return 0.0;
    return m_Data[static_cast<size_t>(i)];
}

double CCoordinateMatrix::GetData(int r, int c) const
{
    if (r < 0 || c < 0 || r >= m_Rows || c >= m_Cols) return 0.0;
    return m_Data[static_cast<size_t>(r) * m_Cols + c];
}

CCoordinateMatrix& CCoordinateMatrix::operator=(double v)
{
    for (double& d : m_Data) d = v;
    return *this;
}

CCoordinateMatrix CCoordinateMatrix::operator+(const CCoordinateMatrix& o) const
{
    if (o.m_Rows != m_Rows || o.m_Cols != m_Cols) return CCoordinateMatrix();
    CCoordinateMatrix r(*this);
    for (size_t i = 0; i < m_Data.size(); ++i) r.m_Data[i] += o.m_Data[i];
    return r;
}

CCoordinateMatrix CCoordinateMatrix::operator-(const CCoordinateMatrix& o) const
{
    if (o.m_Rows != m_Rows || o.m_Cols != m_Cols) return CCoordinateMatrix();
    CCoordinateMatrix r(*this);
    for (size_t i = 0; i < m_Data.size(); ++i) r.m_Data[i] -= o.m_Data[i];
    return r;
}

CCoordinateMatrix CCoordinateMatrix::operator+(double v) const
{
    CCoordinateMatrix r(*this);
    for (double& d : r.m_Data) d += v;
    return r;
}

CCoordinateMatrix CCoordinateMatrix::operator-(double v) const { return *this + (-v); }

CCoordinateMatrix& CCoordinateMatrix::operator+=(const CCoordinateMatrix& o) { return *this = *this + o; }
CCoordinateMatrix& CCoordinateMatrix::operator-=(const CCoordinateMatrix& o) { return *this = *this - o; }
CCoordinateMatrix& CCoordinateMatrix::operator+=(double v) { return *this = *this + v; }
CCoordinateMatrix& CCoordinateMatrix::operator-=(double v) { return *this = *this - v; }

CCoordinateMatrix CCoordinateMatrix::operator*(const CCoordinateMatrix& o) const
{
    if (m_Cols != o.m_Rows || IsEmpty() || o.IsEmpty()) return CCoordinateMatrix();
    CCoordinateMatrix r(m_Rows, o.m_Cols);
    for (int i = 0; i < m_Rows; ++i)
        for (int k = 0; k < m_Cols; ++k)
        {
            const double a = m_Data[static_cast<size_t>(i) * m_Cols + k];
            if (a == 0.0) continue;
            for (int j = 0; j < o.m_Cols; ++j)
                r.m_Data[static_cast<size_t>(i) * o.m_Cols + j] += a * o.m_Data[static_cast<size_t>(k) * o.m_Cols + j];
        }
    return r;
}

CCoordinateMatrix CCoordinateMatrix::operator*(double v) const
{
    CCoordinateMatrix r(*this);
    for (double& d : r.m_Data) d *= v;
    return r;
}

CCoordinateMatrix CCoordinateMatrix::T() const
{
    CCoordinateMatrix r(m_Cols, m_Rows);
    for (int i = 0; i < m_Rows; ++i)
        for (int j = 0; j < m_Cols; ++j) r.m_Data[static_cast<size_t>(j) * m_Rows + i] = GetData(i, j);
    return r;
}

CCoordinateMatrix CCoordinateMatrix::operator~() const
{
    CCoordinateMatrix m(*this);
    if (m_Rows != m_Cols || IsEmpty() || !InvertGaussJordanInPlace(m.m_Data, m_Rows))
    {
        ReportSingular();
        return CCoordinateMatrix();
    }
    return m;
}

CCoordinateMatrix CCoordinateMatrix::Reverse() const { return ~*this; }

int CCoordinateMatrix::Symmetry() const
{
    if (m_Rows != m_Cols) return 0;
    for (int i = 0; i < m_Rows; ++i)
        for (int j = i + 1; j < m_Cols; ++j)
            if (GetData(i, j) != GetData(j, i)) return 0;
    return 1;
}

double CCoordinateMatrix::Summation() const
{
    double s = 0.0;
    for (double d : m_Data) s += d;
    return s;
}

int CCoordinateMatrix::matChole(int* status)
{
    auto fail = [&]() {
        ShowMessage(QStringLiteral("\n CCoordinateMatrix can't be converted!"), QStringLiteral("矩阵运算提示"),
                    MessageKind::Information);
        if (status) *status = 0;
        return 0;
    };
    if (m_Rows != m_Cols || IsEmpty()) return fail();
    std::vector<double> L;
    if (!CholeskyFactor(m_Data, m_Rows, L)) return fail();
    m_Data = InverseFromCholesky(L, m_Rows);
    if (status) *status = 1;
    return 1;
}
