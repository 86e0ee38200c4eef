#include "coord/CCoordinateCalculate_Matrix.h"

#include "coord/MatrixInverse.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>

using Mat = CCoordinateCalculate_Matrix;

CCoordinateCalculate_Matrix::CCoordinateCalculate_Matrix() = default;
CCoordinateCalculate_Matrix::CCoordinateCalculate_Matrix(int rows, int cols) { Init(rows, cols); }
CCoordinateCalculate_Matrix::CCoordinateCalculate_Matrix(int rows, int cols, const double* values)
{
    Init(rows, cols);
    SetData(values);
}
CCoordinateCalculate_Matrix::CCoordinateCalculate_Matrix(int n) { Init(n, n); }
CCoordinateCalculate_Matrix::~CCoordinateCalculate_Matrix() = default;

bool Mat::Init(int rows, int cols)
{
    if (rows < 0 || cols < 0) return false;
    m_Rows = rows;
    m_Cols = cols;
    m_Data.assign(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0.0);
    return true;
}

bool Mat::MakeUnitMatrix(int n)
{
    if (!Init(n, n)) return false;
    for (int i = 0; i < n; ++i) At(i, i) = 1.0;
    return true;
}

void Mat::SetData(const double* values)
{
    if (values) std::copy(values, values + m_Data.size(), m_Data.begin());
}

bool Mat::SetElement(int r, int c, double v)
{
    if (r < 0 || c < 0 || r >= m_Rows || c >= m_Cols) return false;
    At(r, c) = v;
    return true;
}

double Mat::GetElement(int r, int c) const
{
    if (r < 0 || c < 0 || r >= m_Rows || c >= m_Cols) return 0.0;
    return At(r, c);
}

int Mat::GetRowVector(int r, double* out) const
{
    if (r < 0 || r >= m_Rows || !out) return 0;
    for (int c = 0; c < m_Cols; ++c) out[c] = At(r, c);
    return m_Cols;
}

int Mat::GetColVector(int c, double* out) const
{
    if (c < 0 || c >= m_Cols || !out) return 0;
    for (int r = 0; r < m_Rows; ++r) out[r] = At(r, c);
    return m_Rows;
}

QString Mat::RowToString(int r, const QString& separator) const
{
    QString s;
    if (r < 0 || r >= m_Rows) return s;
    for (int c = 0; c < m_Cols; ++c)
    {
        if (c) s += separator;
        s += QString::asprintf("%f", At(r, c));
    }
    return s;
}

QString Mat::ColToString(int c, const QString& separator) const
{
    QString s;
    if (c < 0 || c >= m_Cols) return s;
    for (int r = 0; r < m_Rows; ++r)
    {
        if (r) s += separator;
        s += QString::asprintf("%f", At(r, c));
    }
    return s;
}

QString Mat::ToString(const QString& separator, bool bRowBreak) const
{
    QString s;
    for (int r = 0; r < m_Rows; ++r)
    {
        if (r) s += bRowBreak ? QStringLiteral("\r\n") : separator;
        s += RowToString(r, separator);
    }
    return s;
}

bool Mat::operator==(const Mat& o) const { return m_Rows == o.m_Rows && m_Cols == o.m_Cols && m_Data == o.m_Data; }

Mat Mat::operator+(const Mat& o) const
{
    if (m_Rows != o.m_Rows || m_Cols != o.m_Cols) return Mat();
    Mat r(*this);
    for (size_t i = 0; i < m_Data.size(); ++i) r.m_Data[i] += o.m_Data[i];
    return r;
}

Mat Mat::operator-(const Mat& o) const
{
    if (m_Rows != o.m_Rows || m_Cols != o.m_Cols) return Mat();
    Mat r(*this);
    for (size_t i = 0; i < m_Data.size(); ++i) r.m_Data[i] -= o.m_Data[i];
    return r;
}

Mat Mat::operator*(double v) const
{
    Mat r(*this);
    for (double& d : r.m_Data) d *= v;
    return r;
}

Mat Mat::operator*(const Mat& o) const
{
    if (m_Cols != o.m_Rows) return Mat();
    Mat r(m_Rows, o.m_Cols);
    for (int i = 0; i < m_Rows; ++i)
        for (int k = 0; k < m_Cols; ++k)
        {
            const double a = At(i, k);
            if (a == 0.0) continue;
            for (int j = 0; j < o.m_Cols; ++j) r.At(i, j) += a * o.At(k, j);
        }
    return r;
}

bool Mat::CMul(const Mat& AI, const Mat& BR, const Mat& BI, Mat& CR, Mat& CI) const
{
    if (AI.m_Rows != m_Rows || AI.m_Cols != m_Cols || BR.m_Rows != BI.m_Rows || BR.m_Cols != BI.m_Cols ||
        m_Cols != BR.m_Rows)
        return false;
    CR = (*this) * BR - AI * BI;
    CI = (*this) * BI + AI * BR;
    return true;
}

Mat Mat::Transpose() const
{
    Mat r(m_Cols, m_Rows);
    for (int i = 0; i < m_Rows; ++i)
        for (int j = 0; j < m_Cols; ++j) r.At(j, i) = At(i, j);
    return r;
}

namespace
{
double Largest(const std::vector<double>& v)
{
    double m = 0.0;
    for (double d : v) m = std::max(m, std::fabs(d));
    return m;
}
} // namespace

bool Mat::InvertGaussJordan()
{
    if (m_Rows != m_Cols || m_Rows == 0) return false;
    std::vector<double> a = m_Data;
    if (!InvertGaussJordanInPlace(a, m_Rows)) return false;
    m_Data = std::move(a);
    return true;
}

bool Mat::InvertGaussJordan(Mat& imaginary)
{
    if (m_Rows != m_Cols || m_Rows == 0 || imaginary.m_Rows != m_Rows || imaginary.m_Cols != m_Cols) return false;
    std::vector<std::complex<double>> a(m_Data.size());
    for (size_t i = 0; i < a.size(); ++i) a[i] = std::complex<double>(m_Data[i], imaginary.m_Data[i]);
    if (!InvertGaussJordanInPlace(a, m_Rows)) return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        m_Data[i] = a[i].real();
        imaginary.m_Data[i] = a[i].imag();
    }
    return true;
}


bool Mat::InvertSsgj()
{
    std::vector<double> L;
    if (m_Rows != m_Cols || !CholeskyFactor(m_Data, m_Rows, L)) return false;
    m_Data = InverseFromCholesky(L, m_Rows);
    return true;
}

bool Mat::InvertTrench()
{
    if (m_Rows != m_Cols || m_Rows == 0) return false;
    const int n = m_Rows;
    // Must be a symmetric Toeplitz matrix.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (At(i, j) != At(0, std::abs(i - j))) return false;
    const double t0 = At(0, 0);
    if (t0 == 0.0 || !std::isfinite(t0)) return false;
    if (n == 1)
    {
        At(0, 0) = 1.0 / t0;
        return true;
    }
    std::vector<double> r(n); // r[1..n-1]: normalised first row
    for (int k = 1; k < n; ++k) r[k] = At(0, k) / t0;
    // Durbin: solve T(n-1)·y = −(r1 … r(n-1)).
    std::vector<double> y(n, 0.0), z(n, 0.0);
    y[1] = -r[1];
    double beta = 1.0, alpha = -r[1];
    for (int k = 1; k <= n - 2; ++k)
    {
        beta = (1.0 - alpha * alpha) * beta;
        if (beta == 0.0) return false;
        double s = r[k + 1];
        for (int i = 1; i <= k; ++i) s += r[k + 1 - i] * y[i];
        alpha = -s / beta;
        for (int i = 1; i <= k; ++i) z[i] = y[i] + alpha * y[k + 1 - i];
        for (int i = 1; i <= k; ++i) y[i] = z[i];
        y[k + 1] = alpha;
    }
    double d = 1.0;
    for (int i = 1; i <= n - 1; ++i) d += r[i] * y[i];
    if (d == 0.0 || !std::isfinite(d)) return false;
    const double gamma = 1.0 / d;
    std::vector<double> v(n, 0.0); // v[1..n-1]
    for (int i = 1; i <= n - 1; ++i) v[i] = gamma * y[n - i];
    // B(1,1) = γ, B(1, j) = v(n+1−j); then the Gohberg–Semencul recurrence.
    std::vector<double> B(static_cast<size_t>(n + 1) * (n + 1), 0.0);
    auto b = [&](int i, int j) -> double& { return B[static_cast<size_t>(i) * (n + 1) + j]; };
    b(1, 1) = gamma;
    for (int j = 2; j <= n; ++j) b(1, j) = v[n + 1 - j];
    for (int i = 2; i <= n; ++i)
        for (int j = i; j <= n; ++j)
            b(i, j) = b(i - 1, j - 1) + (v[n + 1 - j] * v[n + 1 - i] - v[i - 1] * v[j - 1]) / gamma;
    for (int i = 1; i <= n; ++i)
        for (int j = i; j <= n; ++j)
        {
            At(i - 1, j - 1) = b(i, j) / t0;
            At(j - 1, i - 1) = b(i, j) / t0;
        }
    return true;
}

double Mat::DetGauss() const
{
    if (m_Rows != m_Cols || m_Rows == 0) return 0.0;
    const int n = m_Rows;
    std::vector<double> a = m_Data;
    auto A = [&](int i, int j) -> double& { return a[static_cast<size_t>(i) * n + j]; };
    double det = 1.0;
    for (int k = 0; k < n; ++k)
    {
        int pi = k, pj = k;
        for (int i = k; i < n; ++i)
            for (int j = k; j < n; ++j)
                if (std::fabs(A(i, j)) > std::fabs(A(pi, pj)))
                {
                    pi = i;
                    pj = j;
                }
        if (A(pi, pj) == 0.0) return 0.0;
        if (pi != k)
        {
            det = -det;
            for (int j = 0; j < n; ++j) std::swap(A(k, j), A(pi, j));
        }
        if (pj != k)
        {
            det = -det;
            for (int i = 0; i < n; ++i) std::swap(A(i, k), A(i, pj));
        }
        det *= A(k, k);
        for (int i = k + 1; i < n; ++i)
        {
            const double f = A(i, k) / A(k, k);
            for (int j = k; j < n; ++j) A(i, j) -= f * A(k, j);
        }
    }
    return det;
}

int Mat::RankGauss() const
{
    const int m = m_Rows, n = m_Cols;
    std::vector<double> a = m_Data;
    auto A = [&](int i, int j) -> double& { return a[static_cast<size_t>(i) * n + j]; };
    const double tol = Largest(a) * 1e-12;
    int rank = 0;
    for (int k = 0; k < std::min(m, n); ++k)
    {
        int pi = k, pj = k;
        for (int i = k; i < m; ++i)
            for (int j = k; j < n; ++j)
                if (std::fabs(A(i, j)) > std::fabs(A(pi, pj)))
                {
                    pi = i;
                    pj = j;
                }
        if (!(std::fabs(A(pi, pj)) > tol)) break;
        ++rank;
        for (int j = 0; j < n; ++j) std::swap(A(k, j), A(pi, j));
        for (int i = 0; i < m; ++i) std::swap(A(i, k), A(i, pj));
        for (int i = k + 1; i < m; ++i)
        {
            const double f = A(i, k) / A(k, k);
            for (int j = k; j < n; ++j) A(i, j) -= f * A(k, j);
        }
    }
    return rank;
}

bool Mat::DetCholesky(double* det) const
{
    std::vector<double> L;
    if (!det || m_Rows != m_Cols || !CholeskyFactor(m_Data, m_Rows, L)) return false;
    double d = 1.0;
    for (int i = 0; i < m_Rows; ++i) d *= L[static_cast<size_t>(i) * m_Rows + i] * L[static_cast<size_t>(i) * m_Rows + i];
    *det = d;
    return true;
}

bool Mat::SplitLU(Mat& L, Mat& U) const
{
    if (m_Rows != m_Cols || m_Rows == 0) return false;
    const int n = m_Rows;
    L.MakeUnitMatrix(n);
    U.Init(n, n);
    // Doolittle factorisation without interchanges: a zero pivot fails.
    for (int k = 0; k < n; ++k)
    {
        for (int j = k; j < n; ++j)
        {
            double s = At(k, j);
            for (int p = 0; p < k; ++p) s -= L.At(k, p) * U.At(p, j);
            U.At(k, j) = s;
        }
        if (U.At(k, k) == 0.0) return false;
        for (int i = k + 1; i < n; ++i)
        {
            double s = At(i, k);
            for (int p = 0; p < k; ++p) s -= L.At(i, p) * U.At(p, k);
            L.At(i, k) = s / U.At(k, k);
        }
    }
    return true;
}

bool Mat::SplitQR(Mat& Q, Mat& R) const
{
    const int m = m_Rows, n = m_Cols;
    if (m == 0 || n == 0 || m < n) return false;
    R = *this;
    Q.MakeUnitMatrix(m);
    for (int k = 0; k < std::min(m - 1, n); ++k)
    {
        double norm = 0.0;
        for (int i = k; i < m; ++i) norm += R.At(i, k) * R.At(i, k);
        norm = std::sqrt(norm);
        if (norm == 0.0) continue;
        const double alpha = R.At(k, k) > 0 ? -norm : norm;
        std::vector<double> v(m, 0.0);
        for (int i = k; i < m; ++i) v[i] = R.At(i, k);
        v[k] -= alpha;
        double vv = 0.0;
        for (int i = k; i < m; ++i) vv += v[i] * v[i];
        if (vv == 0.0) continue;
        for (int j = 0; j < n; ++j)
        {
            double s = 0.0;
            for (int i = k; i < m; ++i) s += v[i] * R.At(i, j);
            s = 2.0 * s / vv;
            for (int i = k; i < m; ++i) R.At(i, j) -= s * v[i];
        }
        for (int i = 0; i < m; ++i)
        {
            double s = 0.0;
            for (int j = k; j < m; ++j) s += Q.At(i, j) * v[j];
            s = 2.0 * s / vv;
            for (int j = k; j < m; ++j) Q.At(i, j) -= s * v[j];
        }
    }
    for (int i = 1; i < m; ++i)
        for (int j = 0; j < std::min(i, n); ++j) R.At(i, j) = 0.0;
    return true;
}

namespace
{
// One-sided Jacobi SVD of an m × n matrix with m ≥ n: A = U·S·Vᵀ.
bool SvdTall(const Mat& A, Mat& U, Mat& V, Mat& S, double eps)
{
    const int m = A.GetNumRows(), n = A.GetNumColumns();
    Mat W = A;
    V.MakeUnitMatrix(n);
    for (int sweep = 0; sweep < 100; ++sweep)
    {
        bool rotated = false;
        for (int p = 0; p < n - 1; ++p)
            for (int q = p + 1; q < n; ++q)
            {
                double alpha = 0, beta = 0, gamma = 0;
                for (int i = 0; i < m; ++i)
                {
                    const double wp = W.GetElement(i, p), wq = W.GetElement(i, q);
                    alpha += wp * wp;
                    beta += wq * wq;
                    gamma += wp * wq;
                }
                if (std::fabs(gamma) <= eps * std::sqrt(alpha * beta) || gamma == 0.0) continue;
                rotated = true;
                const double zeta = (beta - alpha) / (2.0 * gamma);
                const double t = std::copysign(1.0, zeta) / (std::fabs(zeta) + std::sqrt(1.0 + zeta * zeta));
                const double c = 1.0 / std::sqrt(1.0 + t * t), s = c * t;
                for (int i = 0; i < m; ++i)
                {
                    const double wp = W.GetElement(i, p), wq = W.GetElement(i, q);
                    W.SetElement(i, p, c * wp - s * wq);
                    W.SetElement(i, q, s * wp + c * wq);
                }
                for (int i = 0; i < n; ++i)
                {
                    const double vp = V.GetElement(i, p), vq = V.GetElement(i, q);
                    V.SetElement(i, p, c * vp - s * vq);
                    V.SetElement(i, q, s * vp + c * vq);
                }
            }
        if (!rotated) break;
        if (sweep == 99) return false;
    }
    // Singular values are the column norms; order them descending.
    std::vector<double> sv(n);
    for (int j = 0; j < n; ++j)
    {
        double s = 0;
        for (int i = 0; i < m; ++i) s += W.GetElement(i, j) * W.GetElement(i, j);
        sv[j] = std::sqrt(s);
    }
    std::vector<int> order(n);
    for (int j = 0; j < n; ++j) order[j] = j;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return sv[a] > sv[b]; });
    Mat Vs(n, n);
    U.Init(m, m);
    S.Init(m, n);
    for (int k = 0; k < n; ++k)
    {
        const int j = order[k];
        S.SetElement(k, k, sv[j]);
        for (int i = 0; i < n; ++i) Vs.SetElement(i, k, V.GetElement(i, j));
        if (sv[j] > 0)
            for (int i = 0; i < m; ++i) U.SetElement(i, k, W.GetElement(i, j) / sv[j]);
    }
    V = Vs;
    // Complete U to an orthonormal basis (columns with zero singular value and beyond n).
    for (int k = 0; k < m; ++k)
    {
        double norm = 0;
        for (int i = 0; i < m; ++i) norm += U.GetElement(i, k) * U.GetElement(i, k);
        if (norm > 0.5) continue;
        for (int e = 0; e < m; ++e)
        {
            std::vector<double> v(m, 0.0);
            v[e] = 1.0;
            for (int c = 0; c < m; ++c)
            {
                if (c == k) continue;
                double d = 0;
                for (int i = 0; i < m; ++i) d += U.GetElement(i, c) * v[i];
                for (int i = 0; i < m; ++i) v[i] -= d * U.GetElement(i, c);
            }
            double nv = 0;
            for (double x : v) nv += x * x;
            if (nv > 1e-6)
            {
                nv = std::sqrt(nv);
                for (int i = 0; i < m; ++i) U.SetElement(i, k, v[i] / nv);
                break;
            }
        }
    }
    return true;
}
} // namespace

bool Mat::SplitUV(Mat& U, Mat& V, Mat& S, double eps) const
{
    if (m_Rows == 0 || m_Cols == 0) return false;
    if (m_Rows >= m_Cols) return SvdTall(*this, U, V, S, eps);
    Mat St;
    if (!SvdTall(Transpose(), V, U, St, eps)) return false;
    S = St.Transpose();
    return true;
}

bool Mat::GInvertUV(Mat& AP, double eps) const
{
    Mat U, V, S;
    if (!SplitUV(U, V, S, eps)) return false;
    const int m = m_Rows, n = m_Cols;
    const double largest = S.GetElement(0, 0);
    Mat Sp(n, m);
    for (int k = 0; k < std::min(m, n); ++k)
    {
        const double s = S.GetElement(k, k);
        if (s > largest * std::max(eps, 1e-15)) Sp.SetElement(k, k, 1.0 / s);
    }
    AP = V * Sp * U.Transpose();
    return true;
}

bool Mat::MakeSymTri(Mat& Q, Mat& T, double* dblB, double* dblC) const
{
    if (m_Rows != m_Cols || m_Rows == 0 || !dblB || !dblC) return false;
    const int n = m_Rows;
    T = *this;
    Q.MakeUnitMatrix(n);
    for (int k = 0; k < n - 2; ++k)
    {
        double norm = 0.0;
        for (int i = k + 1; i < n; ++i) norm += T.At(i, k) * T.At(i, k);
        norm = std::sqrt(norm);
        if (norm == 0.0) continue;
        const double alpha = T.At(k + 1, k) > 0 ? -norm : norm;
        std::vector<double> v(n, 0.0);
        for (int i = k + 1; i < n; ++i) v[i] = T.At(i, k);
        v[k + 1] -= alpha;
        double vv = 0.0;
        for (double x : v) vv += x * x;
        if (vv == 0.0) continue;
        // T ← P·T·P with P = I − 2vvᵀ/vᵀv; Q ← Q·P.
        Mat P;
        P.MakeUnitMatrix(n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) P.At(i, j) -= 2.0 * v[i] * v[j] / vv;
        T = P * T * P;
        Q = Q * P;
    }
    for (int i = 0; i < n; ++i)
    {
        dblB[i] = T.At(i, i);
        dblC[i] = i ? T.At(i, i - 1) : 0.0;
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (std::abs(i - j) > 1) T.At(i, j) = 0.0;
    return true;
}

bool Mat::SymTriEigenv(double* d, double* c, Mat& Q, int nMaxIt, double eps)
{
    const int n = Q.GetNumRows();
    if (!d || !c || n == 0 || Q.GetNumColumns() != n) return false;
    std::vector<double> e(n, 0.0);
    for (int i = 1; i < n; ++i) e[i - 1] = c[i];
    for (int l = 0; l < n; ++l)
    {
        int iter = 0, m;
        do
        {
            for (m = l; m < n - 1; ++m)
            {
                const double dd = std::fabs(d[m]) + std::fabs(d[m + 1]);
                if (std::fabs(e[m]) <= eps * dd) break;
            }
            if (m != l)
            {
                if (iter++ == nMaxIt) return false;
                double g = (d[l + 1] - d[l]) / (2.0 * e[l]);
                double r = std::hypot(g, 1.0);
                g = d[m] - d[l] + e[l] / (g + std::copysign(r, g));
                double s = 1.0, cc = 1.0, p = 0.0;
                int i;
                for (i = m - 1; i >= l; --i)
                {
                    double f = s * e[i];
                    const double b = cc * e[i];
                    e[i + 1] = (r = std::hypot(f, g));
                    if (r == 0.0)
                    {
                        d[i + 1] -= p;
                        e[m] = 0.0;
                        break;
                    }
                    s = f / r;
                    cc = g / r;
                    g = d[i + 1] - p;
                    r = (d[i] - g) * s + 2.0 * cc * b;
                    d[i + 1] = g + (p = s * r);
                    g = cc * r - b;
                    for (int k = 0; k < n; ++k)
                    {
                        f = Q.At(k, i + 1);
                        Q.At(k, i + 1) = s * Q.At(k, i) + cc * f;
                        Q.At(k, i) = cc * Q.At(k, i) - s * f;
                    }
                }
                if (r == 0.0 && i >= l) continue;
                d[l] -= p;
                e[l] = g;
                e[m] = 0.0;
            }
        } while (m != l);
    }
    for (int i = 0; i < n; ++i) c[i] = 0.0;
    return true;
}

void Mat::MakeHberg()
{
    if (m_Rows != m_Cols) return;
    const int n = m_Rows;
    for (int m = 1; m < n - 1; ++m)
    {
        double x = 0.0;
        int i = m;
        for (int j = m; j < n; ++j)
            if (std::fabs(At(j, m - 1)) > std::fabs(x))
            {
                x = At(j, m - 1);
                i = j;
            }
        if (i != m)
        {
            for (int j = m - 1; j < n; ++j) std::swap(At(i, j), At(m, j));
            for (int j = 0; j < n; ++j) std::swap(At(j, i), At(j, m));
        }
        if (x != 0.0)
            for (i = m + 1; i < n; ++i)
            {
                double y = At(i, m - 1);
                if (y == 0.0) continue;
                y /= x;
                At(i, m - 1) = 0.0;
                for (int j = m; j < n; ++j) At(i, j) -= y * At(m, j);
                for (int j = 0; j < n; ++j) At(j, m) += y * At(j, i);
            }
    }
}

bool Mat::HBergEigenv(double* dblU, double* dblV, int nMaxIt, double eps) const
{
    if (m_Rows != m_Cols || m_Rows == 0 || !dblU || !dblV) return false;
    const int n = m_Rows;
    using C = std::complex<double>;
    // Shifted QR iteration in complex arithmetic (Wilkinson shift, Givens rotations), with
    // deflation from the bottom.
    std::vector<C> h(static_cast<size_t>(n) * n);
    auto H = [&](int i, int j) -> C& { return h[static_cast<size_t>(i) * n + j]; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) H(i, j) = (i > j + 1) ? C(0.0) : C(At(i, j));
    int hi = n - 1, iter = 0;
    while (hi >= 0)
    {
        if (hi == 0)
        {
            dblU[0] = H(0, 0).real();
            dblV[0] = H(0, 0).imag();
            break;
        }
        const double scale = std::abs(H(hi, hi)) + std::abs(H(hi - 1, hi - 1));
        if (std::abs(H(hi, hi - 1)) <= eps * (scale > 0 ? scale : 1.0))
        {
            dblU[hi] = H(hi, hi).real();
            dblV[hi] = H(hi, hi).imag();
            H(hi, hi - 1) = 0.0;
            --hi;
            iter = 0;
            continue;
        }
        if (++iter > nMaxIt) return false;
        int lo = hi - 1;
        while (lo > 0)
        {
            const double sc = std::abs(H(lo, lo)) + std::abs(H(lo - 1, lo - 1));
            if (std::abs(H(lo, lo - 1)) <= eps * (sc > 0 ? sc : 1.0)) break;
            --lo;
        }
        // Wilkinson shift from the trailing 2 × 2 block; an exceptional shift now and then.
        const C a = H(hi - 1, hi - 1), b = H(hi - 1, hi), c = H(hi, hi - 1), d = H(hi, hi);
        const C tr = a + d, det = a * d - b * c;
        const C disc = std::sqrt(tr * tr / 4.0 - det);
        C mu1 = tr / 2.0 + disc, mu2 = tr / 2.0 - disc;
        C mu = (std::abs(mu1 - d) < std::abs(mu2 - d)) ? mu1 : mu2;
        if (iter % 11 == 10) mu += C(std::abs(H(hi, hi - 1)), 0.0);
        for (int k = lo; k <= hi; ++k) H(k, k) -= mu;
        std::vector<C> cs(n), sn(n);
        for (int k = lo; k < hi; ++k)
        {
            const C x = H(k, k), y = H(k + 1, k);
            const double r = std::sqrt(std::norm(x) + std::norm(y));
            const C cc = (r == 0.0) ? C(1.0) : x / r, ss = (r == 0.0) ? C(0.0) : y / r;
            cs[k] = cc;
            sn[k] = ss;
            for (int j = k; j < n; ++j)
            {
                const C t1 = H(k, j), t2 = H(k + 1, j);
                H(k, j) = std::conj(cc) * t1 + std::conj(ss) * t2;
                H(k + 1, j) = -ss * t1 + cc * t2;
            }
        }
        for (int k = lo; k < hi; ++k)
        {
            const C cc = cs[k], ss = sn[k];
            for (int i = 0; i <= std::min(k + 2, hi); ++i)
            {
                const C t1 = H(i, k), t2 = H(i, k + 1);
                H(i, k) = t1 * cc + t2 * ss;
                H(i, k + 1) = -t1 * std::conj(ss) + t2 * std::conj(cc);
            }
        }
        for (int k = lo; k <= hi; ++k) H(k, k) += mu;
    }
    return true;
}

namespace
{
bool Jacobi(const Mat& A, double* values, Mat& vectors, int maxSweeps, double eps, bool threshold)
{
    const int n = A.GetNumRows();
    if (n == 0 || n != A.GetNumColumns() || !values) return false;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (std::fabs(A.GetElement(i, j) - A.GetElement(j, i)) > 1e-12 * (std::fabs(A.GetElement(i, j)) + 1.0))
                return false;
    Mat a = A;
    vectors.MakeUnitMatrix(n);
    auto offNorm = [&]() {
        double s = 0.0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                if (i != j) s += a.GetElement(i, j) * a.GetElement(i, j);
        return std::sqrt(s);
    };
    double total = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) total += a.GetElement(i, j) * a.GetElement(i, j);
    total = std::sqrt(total);
    double gate = threshold ? offNorm() : 0.0;
    bool converged = false;
    for (int sweep = 0; sweep < (threshold ? 1000 : maxSweeps); ++sweep)
    {
        if (offNorm() <= eps * (total > 0 ? total : 1.0))
        {
            converged = true;
            break;
        }
        if (threshold) gate /= n;
        for (int p = 0; p < n - 1; ++p)
            for (int q = p + 1; q < n; ++q)
            {
                const double apq = a.GetElement(p, q);
                if (apq == 0.0 || (threshold && std::fabs(apq) < gate)) continue;
                const double theta = (a.GetElement(q, q) - a.GetElement(p, p)) / (2.0 * apq);
                const double t = std::copysign(1.0, theta) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
                for (int k = 0; k < n; ++k)
                {
                    const double akp = a.GetElement(k, p), akq = a.GetElement(k, q);
                    a.SetElement(k, p, c * akp - s * akq);
                    a.SetElement(k, q, s * akp + c * akq);
                }
                for (int k = 0; k < n; ++k)
                {
                    const double apk = a.GetElement(p, k), aqk = a.GetElement(q, k);
                    a.SetElement(p, k, c * apk - s * aqk);
                    a.SetElement(q, k, s * apk + c * aqk);
                }
                for (int k = 0; k < n; ++k)
                {
                    const double vkp = vectors.GetElement(k, p), vkq = vectors.GetElement(k, q);
                    vectors.SetElement(k, p, c * vkp - s * vkq);
                    vectors.SetElement(k, q, s * vkp + c * vkq);
                }
            }
    }
    if (!converged && offNorm() > eps * (total > 0 ? total : 1.0)) return false;
    for (int i = 0; i < n; ++i) values[i] = a.GetElement(i, i);
    return true;
}
} // namespace

bool Mat::JacobiEigenv(double* dblEigenValue, Mat& mtxEigenVector, int nMaxIt, double eps) const
{
    return Jacobi(*this, dblEigenValue, mtxEigenVector, nMaxIt, eps, false);
}

bool Mat::JacobiEigenv2(double* dblEigenValue, Mat& mtxEigenVector, double eps) const
{
    return Jacobi(*this, dblEigenValue, mtxEigenVector, 0, eps, true);
}
