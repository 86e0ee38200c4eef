#include "coord/CCoordinateCalculate.h"

#include "coord/CCoordinateCalculate_Matrix.h"
#include "coord/CCoordinateMatrix.h"
#include "coord/CCoordinateSystem.h"
#include "geometry/Angle.h"
#include "geometry/PlaneSimilarityFit.h"
#include "platform/NumberText.h"

#include <cmath>

namespace
{
// Rotations and the scale change enter the normal equations multiplied by coordinates of the
// size of the earth's radius; solving for them in "metres at the earth's surface" keeps the
// columns of comparable size.
constexpr double kUnknownScale = 6.4e6;

struct Rotation
{
    double m[3][3];
};

// The full rotation matrix of the conversion and its derivatives by RX, RY, RZ.
void RotationMatrices(double rx, double ry, double rz, Rotation& R, Rotation& dX, Rotation& dY, Rotation& dZ)
{
    const double sx = std::sin(rx), cx = std::cos(rx), sy = std::sin(ry), cy = std::cos(ry), sz = std::sin(rz),
                 cz = std::cos(rz);
    R = {{{cy * cz, cy * sz, -sy},
          {sx * sy * cz - cx * sz, cx * cz + sx * sy * sz, sx * cy},
          {sx * sz + cx * sy * cz, cx * sy * sz - sx * cz, cx * cy}}};
    dX = {{{0, 0, 0},
           {cx * sy * cz + sx * sz, -sx * cz + cx * sy * sz, cx * cy},
           {cx * sz - sx * sy * cz, -sx * sy * sz - cx * cz, -sx * cy}}};
    dY = {{{-sy * cz, -sy * sz, -cy}, {sx * cy * cz, sx * cy * sz, -sx * sy}, {cx * cy * cz, cx * cy * sz, -cx * sy}}};
    dZ = {{{-cy * sz, cy * cz, 0},
           {-sx * sy * sz - cx * cz, -cx * sz + sx * sy * cz, 0},
           {sx * cz - cx * sy * sz, cx * sy * cz + sx * sz, 0}}};
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Rigorous seven-parameter solver

CCoordinateCalculate_SevenParameter::CCoordinateCalculate_SevenParameter() { m_Parameter.Mode = 1; }
CCoordinateCalculate_SevenParameter::~CCoordinateCalculate_SevenParameter() = default;

void CCoordinateCalculate_SevenParameter::Add(const Calculate_SevenParameter& pair) { m_Pairs.push_back(pair); }

Calculate_SevenParameter CCoordinateCalculate_SevenParameter::GetAt(int i) const
{
    if (i < 0 || i >= GetSize()) return Calculate_SevenParameter();
    return m_Pairs[static_cast<size_t>(i)];
}

int CCoordinateCalculate_SevenParameter::Calculate()
{
    m_Parameter.Use = 0;
    m_Parameter.Mode = 1;
    m_Iterations = 0;
    const int n = GetSize();
    if (n == 0) return 0;
    if (n < 3)
    {
        double dx = 0, dy = 0, dz = 0;
        for (const Calculate_SevenParameter& p : m_Pairs)
        {
            dx += p.target.X - p.source.X;
            dy += p.target.Y - p.source.Y;
            dz += p.target.Z - p.source.Z;
        }
        m_Parameter.DX = dx / n;
        m_Parameter.DY = dy / n;
        m_Parameter.DZ = dz / n;
        m_Parameter.RX = m_Parameter.RY = m_Parameter.RZ = m_Parameter.K = 0.0;
        m_Parameter.Use = 1;
        return 1;
    }
    // Unknowns: DX, DY, DZ, K, RX, RY, RZ (the last four solved scaled by kUnknownScale).
    double p[7] = {0, 0, 0, 0, 0, 0, 0};
    for (int iteration = 1; iteration <= 10000; ++iteration)
    {
        m_Iterations = iteration;
        Rotation R, dX, dY, dZ;
        RotationMatrices(p[4], p[5], p[6], R, dX, dY, dZ);
        const double s = 1.0 + p[3];
        CCoordinateCalculate_Matrix A(3 * n, 7), l(3 * n, 1);
        for (int i = 0; i < n; ++i)
        {
            const double src[3] = {m_Pairs[i].source.X, m_Pairs[i].source.Y, m_Pairs[i].source.Z};
            const double dst[3] = {m_Pairs[i].target.X, m_Pairs[i].target.Y, m_Pairs[i].target.Z};
            for (int r = 0; r < 3; ++r)
            {
                double rv = 0, dxv = 0, dyv = 0, dzv = 0;
                for (int c = 0; c < 3; ++c)
                {
                    rv += R.m[r][c] * src[c];
                    dxv += dX.m[r][c] * src[c];
                    dyv += dY.m[r][c] * src[c];
                    dzv += dZ.m[r][c] * src[c];
                }
                const int row = 3 * i + r;
                A.SetElement(row, r, 1.0);
                A.SetElement(row, 3, rv / kUnknownScale);
                A.SetElement(row, 4, s * dxv / kUnknownScale);
                A.SetElement(row, 5, s * dyv / kUnknownScale);
                A.SetElement(row, 6, s * dzv / kUnknownScale);
                l.SetElement(row, 0, dst[r] - (s * rv + p[r]));
            }
        }
        const CCoordinateCalculate_Matrix At = A.Transpose();
        CCoordinateCalculate_Matrix N = At * A;
        if (!N.InvertGaussJordan()) return 0;
        const CCoordinateCalculate_Matrix dp = N * (At * l);
        double sum = 0.0;
        for (int k = 0; k < 7; ++k)
        {
            const double d = dp.GetElement(k, 0) / (k >= 3 ? kUnknownScale : 1.0);
            p[k] += d;
            sum += d * d;
        }
        for (int k = 4; k < 7; ++k) p[k] = Angle::NormaliseBearing(p[k]);
        if (!std::isfinite(sum)) return 0;
        bool done = sum <= 1e-10;
        // After many iterations accept a solution whose corrections have become negligible at a
        // looser level; corrections that grow without bound mean divergence.
        if (!done && iteration > 1000)
        {
            if (sum <= 1e-6) done = true;
            else if (sum > 1e12) return 0;
        }
        if (done)
        {
            m_Parameter.DX = p[0];
            m_Parameter.DY = p[1];
            m_Parameter.DZ = p[2];
            m_Parameter.K = p[3];
            m_Parameter.RX = p[4];
            m_Parameter.RY = p[5];
            m_Parameter.RZ = p[6];
            m_Parameter.Use = 1;
            return 1;
        }
    }
    return 0;
}

XYZCoord CCoordinateCalculate_SevenParameter::CalculateCoordinate(const XYZCoord& source) const
{
    CCoordinateConvert c;
    CoordinateSystem_SevenParameter p = m_Parameter;
    p.Use = 1;
    p.Mode = 1;
    c.SetSevenParameter(p);
    XYZCoord r = source;
    c.XYZToXYZ(r);
    return r;
}

XYZCoord CCoordinateCalculate_SevenParameter::CalculateCoordinate_Back(const XYZCoord& target) const
{
    // The exact inverse of the rotation-matrix model: (R/s)ᵀ·(target − D).
    Rotation R, dX, dY, dZ;
    RotationMatrices(m_Parameter.RX, m_Parameter.RY, m_Parameter.RZ, R, dX, dY, dZ);
    const double s = 1.0 + m_Parameter.K;
    const double v[3] = {(target.X - m_Parameter.DX) / s, (target.Y - m_Parameter.DY) / s,
                         (target.Z - m_Parameter.DZ) / s};
    double out[3] = {0, 0, 0};
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) out[c] += R.m[r][c] * v[r];
    return XYZCoord{out[0], out[1], out[2]};
}

// ---------------------------------------------------------------------------------------------
// Calculator

CCoordinateCalculate::CCoordinateCalculate()
{
    m_CalculateSourceEllipsoid = WGS84Ellipsoid();
    InitializeCoordinateSystem(m_BaseSystem);
    InitializeCoordinateSystem(m_ResultSystem);
    m_SevenResult.Mode = 1;
}

CCoordinateCalculate::~CCoordinateCalculate() = default;

void CCoordinateCalculate::InitializeCoordinateSystem(CoordinateSystem_Parameter& system)
{
    CCoordinateSystem::Initialize(system);
}

void CCoordinateCalculate::SetCoordinateSystem(const CoordinateSystem_Parameter& system)
{
    m_BaseSystem = system;
    m_ResultSystem = system;
}

void CCoordinateCalculate::SetConvertCalculatePar(const CoordinateSystem_ConvertCalculateParameter& parameter)
{
    m_Option = parameter;
}

void CCoordinateCalculate::HeightFittingParameter_SetMode(int mode) { m_Option.heightMode = mode; }

int CCoordinateCalculate::ControlCoordinateLibrary_Add(const ControlCoordinateLibraryData& point)
{
    m_Library.push_back(point);
    return 1;
}

int CCoordinateCalculate::ControlCoordinateLibrary_GetAt(int i, ControlCoordinateLibraryData& point) const
{
    if (i < 0 || i >= ControlCoordinateLibrary_GetSize()) return 0;
    point = m_Library[static_cast<size_t>(i)];
    return 1;
}

int CCoordinateCalculate::ControlCoordinateLibrary_SetAt(int i, const ControlCoordinateLibraryData& point)
{
    if (i < 0 || i >= ControlCoordinateLibrary_GetSize()) return 0;
    m_Library[static_cast<size_t>(i)] = point;
    return 1;
}

int CCoordinateCalculate::ControlCoordinateLibrary_GetSize() const { return static_cast<int>(m_Library.size()); }

void CCoordinateCalculate::ControlCoordinateLibrary_RemoveAll() { m_Library.clear(); }

double CCoordinateCalculate::PackedDmsToRadians(const QString& text)
{
    return Angle::DegreesToRadians(Angle::PackedDmsToDegreesNudged(LeadingNumber(text)));
}

void CCoordinateCalculate::SetConvertParameter(const CoordinateSystem_Parameter& system, int withCorrections)
{
    InitializeParameter();
    SetSouceEllipsoid(m_CalculateSourceEllipsoid);
    SetDestinationEllipsoid(system.EllipsoidParameter);
    SetProjection(system.ProjectParameter);
    if (withCorrections)
    {
        SetFourParameter(system.FourParameter);
        SetSevenParameter(system.SevenParameter);
        SetHeightFittingPar(system.HeightFittingParameter);
        SetVerticalBalancingPar(system.VerticalBalancingParameter);
        SetCorrectPar(system.CorrectParameter);
    }
}

void CCoordinateCalculate::ConvertPoint(const ControlCoordinateLibraryData& point, double& x, double& y, double& h)
{
    BLHToxyh(PackedDmsToRadians(point.B), PackedDmsToRadians(point.L), LeadingNumber(point.H), x, y, h);
}

int CCoordinateCalculate::Calculate_SevernPar()
{
    SetConvertParameter(m_BaseSystem, 0);
    InitializeCoordinateSystem(m_ResultSystem);
    m_ResultSystem.EllipsoidParameter = m_BaseSystem.EllipsoidParameter;
    m_ResultSystem.ProjectParameter = m_BaseSystem.ProjectParameter;
    m_FourComputed = m_SevenComputed = m_HeightComputed = false;
    m_ConvertSeven.clear();
    m_SevenSolver.RemoveAll();

    const CoordinateSystem_EllipsoidParameter& src = m_CalculateSourceEllipsoid;
    const CoordinateSystem_EllipsoidParameter& dst = m_BaseSystem.EllipsoidParameter;
    for (const ControlCoordinateLibraryData& point : m_Library)
    {
        if (!point.usePlane || !point.useHeight) continue;
        ConvertSeven pair;
        BLH2XYZ(PackedDmsToRadians(point.B), PackedDmsToRadians(point.L), LeadingNumber(point.H), pair.source.X,
                pair.source.Y, pair.source.Z, src.Axis, src.ReciprocalofFlatRate);
        double B = 0, L = 0, H = 0;
        xyh2BLH(LeadingNumber(point.x), LeadingNumber(point.y), LeadingNumber(point.h), B, L, H);
        BLH2XYZ(B, L, H, pair.target.X, pair.target.Y, pair.target.Z, dst.Axis, dst.ReciprocalofFlatRate);
        m_ConvertSeven.push_back(pair);
        m_SevenSolver.Add(Calculate_SevenParameter{pair.source, pair.target});
    }

    bool ok = false;
    if (m_Option.sevenMode == 1)
    {
        if (m_SevenSolver.Calculate())
        {
            m_SevenResult = m_SevenSolver.GetParameter();
            m_SevenResult.Use = 1;
            m_SevenResult.Mode = 1;
            m_ResultSystem.SevenParameter = m_SevenResult;
            ok = true;
        }
    }
    else if (!m_ConvertSeven.empty())
    {
        m_ResultSystem.SevenParameter.Mode = 0;
        if (SevenParameter_Calculate())
        {
            CoordinateSystem_SevenParameter& r = m_ResultSystem.SevenParameter;
            r.Use = 1;
            r.DX = m_SevenResult.DX;
            r.DY = m_SevenResult.DY;
            r.DZ = m_SevenResult.DZ;
            r.RX = m_SevenResult.RX;
            r.RY = m_SevenResult.RY;
            r.RZ = m_SevenResult.RZ;
            r.K = m_SevenResult.K;
            ok = true;
        }
    }
    if (!ok) return 0;
    m_SevenComputed = true;
    Calculate_Precision();
    return 1;
}

int CCoordinateCalculate::SevenParameter_Calculate()
{
    const int n = static_cast<int>(m_ConvertSeven.size());
    if (n == 0) return 0;
    CoordinateSystem_SevenParameter r;
    r.Mode = 0;
    if (n < 3)
    {
        for (const ConvertSeven& p : m_ConvertSeven)
        {
            r.DX += (p.target.X - p.source.X) / n;
            r.DY += (p.target.Y - p.source.Y) / n;
            r.DZ += (p.target.Z - p.source.Z) / n;
        }
        m_SevenResult = r;
        return 1;
    }
    CCoordinateMatrix A(3 * n, 7), l(3 * n, 1);
    for (int i = 0; i < n; ++i)
    {
        const ConvertSeven& p = m_ConvertSeven[static_cast<size_t>(i)];
        const double X = p.source.X, Y = p.source.Y, Z = p.source.Z;
        const double rows[3][7] = {{1, 0, 0, X, 0, -Z, Y}, {0, 1, 0, Y, Z, 0, -X}, {0, 0, 1, Z, -Y, X, 0}};
        const double obs[3] = {p.target.X - X, p.target.Y - Y, p.target.Z - Z};
        for (int k = 0; k < 3; ++k)
        {
            for (int c = 0; c < 7; ++c) A.SetData(3 * i + k, c, rows[k][c] / (c >= 3 ? kUnknownScale : 1.0));
            l.SetData(3 * i + k, 0, obs[k]);
        }
    }
    const CCoordinateMatrix At = A.T();
    const CCoordinateMatrix Ninv = ~(At * A);
    if (Ninv.IsEmpty()) return 0;
    const CCoordinateMatrix x = Ninv * (At * l);
    r.DX = x.GetData(0, 0);
    r.DY = x.GetData(1, 0);
    r.DZ = x.GetData(2, 0);
    r.K = x.GetData(3, 0) / kUnknownScale;
    r.RX = x.GetData(4, 0) / kUnknownScale;
    r.RY = x.GetData(5, 0) / kUnknownScale;
    r.RZ = x.GetData(6, 0) / kUnknownScale;
    m_SevenResult = r;
    return 1;
}

int CCoordinateCalculate::Calculate_HAndVPar(int useSeven)
{
    CoordinateSystem_Parameter working;
    InitializeCoordinateSystem(working);
    working.Name = m_BaseSystem.Name;
    working.EllipsoidParameter = m_BaseSystem.EllipsoidParameter;
    working.ProjectParameter = m_BaseSystem.ProjectParameter;
    if (useSeven) working.SevenParameter = m_BaseSystem.SevenParameter;
    m_ResultSystem = working;
    SetConvertParameter(working, 1);
    m_FourParCalData.clear();
    m_ConvertNihe.clear();
    m_ResultSystem.CorrectParameter = CoordinateSystem_CorrectParameter();
    m_FourComputed = m_HeightComputed = false;

    for (const ControlCoordinateLibraryData& point : m_Library)
    {
        double x = 0, y = 0, h = 0;
        ConvertPoint(point, x, y, h);
        const double kx = LeadingNumber(point.x), ky = LeadingNumber(point.y),
                     kh = LeadingNumber(point.h);
        if (point.usePlane)
        {
            FourParCalData d;
            d.source = {x, y, h};
            d.target = {kx, ky, kh};
            m_FourParCalData.push_back(d);
        }
        if (point.useHeight)
        {
            ConvertNihe d;
            d.convertedH = h;
            d.knownH = kh;
            d.x = kx;
            d.y = ky;
            m_ConvertNihe.push_back(d);
        }
    }

    bool anything = false;
    CoordinateSystem_CorrectParameter& correct = m_ResultSystem.CorrectParameter;
    if (m_FourParCalData.size() == 1)
    {
        correct.Use = 1;
        correct.Dx = m_FourParCalData[0].target.x - m_FourParCalData[0].source.x;
        correct.Dy = m_FourParCalData[0].target.y - m_FourParCalData[0].source.y;
        anything = true;
    }
    else if (m_FourParCalData.size() >= 2 && FourParameter_Calculate())
    {
        CoordinateSystem_FourParameter& f = m_ResultSystem.FourParameter;
        f.Use = 1;
        f.Cx = m_FourDx;
        f.Cy = m_FourDy;
        f.Ca = m_FourRotation;
        f.Ck = m_FourScale;
        f.Orgx = m_FourOrgx;
        f.Orgy = m_FourOrgy;
        anything = true;
    }

    const size_t nh = m_ConvertNihe.size();
    if (nh == 1 || nh == 2)
    {
        double sum = 0;
        for (const ConvertNihe& d : m_ConvertNihe) sum += d.knownH - d.convertedH;
        correct.Use = 1;
        correct.Dh = sum / static_cast<double>(nh);
        anything = true;
    }
    else if (nh >= 3)
    {
        int result = 2;
        if (m_Option.heightMode != 0)
            result = HeightFittingParameter_Calculate();
        else
            result = HeightFittingParameter_CalculateAverage();
        if (result == 1)
        {
            m_ResultSystem.HeightFittingParameter = m_HeightResult;
            m_ResultSystem.HeightFittingParameter.Use = 1;
            anything = true;
        }
        else if (result == 2)
        {
            // The average is applied as a constant shift (it is already "known − converted").
            correct.Use = 1;
            correct.Dh = m_HeightResult.a0;
            anything = true;
        }
    }
    if (!anything) return 0;
    Calculate_Precision();
    return 1;
}

int CCoordinateCalculate::FourParameter_Calculate()
{
    const size_t n = m_FourParCalData.size();
    if (n == 0) return 0;
    if (n == 1)
    {
        const FourParCalData& d = m_FourParCalData[0];
        m_FourDx = d.target.x - d.source.x;
        m_FourDy = d.target.y - d.source.y;
        m_FourOrgx = d.source.x;
        m_FourOrgy = d.source.y;
        m_FourRotation = 0;
        m_FourScale = 1;
        m_FourComputed = true;
        return 1;
    }
    std::vector<PlanePointPair> pairs;
    pairs.reserve(n);
    for (const FourParCalData& d : m_FourParCalData) pairs.push_back({d.source.x, d.source.y, d.target.x, d.target.y});
    const PlaneSimilarityFit fit = FitPlaneSimilarity(pairs);
    for (FourParCalData& d : m_FourParCalData)
    {
        d.sourceCentred = {d.source.x - fit.sourceMeanX, d.source.y - fit.sourceMeanY, d.source.h};
        d.targetCentred = {d.target.x - fit.targetMeanX, d.target.y - fit.targetMeanY, d.target.h};
    }
    // Two points are taken about the first of them, more about their centroid.
    const double orgx = (n == 2) ? m_FourParCalData[0].source.x : fit.sourceMeanX;
    const double orgy = (n == 2) ? m_FourParCalData[0].source.y : fit.sourceMeanY;
    if (fit.sourceSpread >= 1e-6)
    {
        m_FourRotation = fit.rotation;
        m_FourScale = fit.scale;
        m_FourOrgx = orgx;
        m_FourOrgy = orgy;
        fit.ShiftAbout(orgx, orgy, m_FourDx, m_FourDy);
    }
    else
    {
        m_FourDx = fit.targetMeanX - fit.sourceMeanX;
        m_FourDy = fit.targetMeanY - fit.sourceMeanY;
        m_FourOrgx = m_FourParCalData[0].source.x;
        m_FourOrgy = m_FourParCalData[0].source.y;
        m_FourRotation = 0;
        m_FourScale = 1;
    }
    m_FourComputed = true;
    return 1;
}

int CCoordinateCalculate::HeightFittingParameter_CalculateAverage()
{
    if (m_ConvertNihe.empty()) return 0;
    double sum = 0;
    for (const ConvertNihe& d : m_ConvertNihe) sum += d.knownH - d.convertedH;
    m_HeightResult = CoordinateSystem_HeightFittingParameter();
    m_HeightResult.a0 = sum / static_cast<double>(m_ConvertNihe.size());
    m_HeightComputed = true;
    return 2;
}

int CCoordinateCalculate::HeightFittingParameter_Calculate()
{
    const int n = static_cast<int>(m_ConvertNihe.size());
    if (n == 0) return 0;
    const int mode = m_Option.heightMode;
    int terms = 0;
    if (mode == 1 && n >= 3) terms = 3;
    else if (mode == 2 && n >= 6) terms = 6;
    else if (mode == 3 && n >= 4 && n <= 6) terms = 3;
    else if (mode == 3 && n >= 7) terms = 6;
    if (terms == 0) return HeightFittingParameter_CalculateAverage();

    double x0 = 0, y0 = 0;
    for (const ConvertNihe& d : m_ConvertNihe)
    {
        x0 += d.x;
        y0 += d.y;
    }
    x0 /= n;
    y0 /= n;
    CCoordinateMatrix A(n, terms), l(n, 1);
    for (int i = 0; i < n; ++i)
    {
        const ConvertNihe& d = m_ConvertNihe[static_cast<size_t>(i)];
        // Solved in kilometres so that the columns of the normal equations stay comparable.
        const double u = (d.x - x0) / 1000.0, v = (d.y - y0) / 1000.0;
        const double row[6] = {1.0, u, v, u * u, v * v, u * v};
        for (int c = 0; c < terms; ++c) A.SetData(i, c, row[c]);
        l.SetData(i, 0, d.knownH - d.convertedH);
    }
    const CCoordinateMatrix At = A.T();
    const CCoordinateMatrix Ninv = ~(At * A);
    if (Ninv.IsEmpty()) return HeightFittingParameter_CalculateAverage();
    const CCoordinateMatrix x = Ninv * (At * l);
    // The conversion subtracts the surface: store it as converted − known.
    CoordinateSystem_HeightFittingParameter r;
    double* coefficients[6] = {&r.a0, &r.a1, &r.a2, &r.a3, &r.a4, &r.a5};
    const double toMetres[6] = {1.0, 1e-3, 1e-3, 1e-6, 1e-6, 1e-6};
    for (int c = 0; c < terms; ++c) *coefficients[c] = -x.GetData(c, 0) * toMetres[c];
    r.x0 = x0;
    r.y0 = y0;
    m_HeightResult = r;
    m_HeightComputed = true;
    return 1;
}

int CCoordinateCalculate::Calculate_CorrectPar()
{
    SetConvertParameter(m_BaseSystem, 0);
    InitializeCoordinateSystem(m_ResultSystem);
    m_ResultSystem.EllipsoidParameter = m_BaseSystem.EllipsoidParameter;
    m_ResultSystem.ProjectParameter = m_BaseSystem.ProjectParameter;
    m_FourComputed = m_SevenComputed = m_HeightComputed = false;
    double sx = 0, sy = 0, sh = 0;
    int np = 0, nh = 0;
    for (const ControlCoordinateLibraryData& point : m_Library)
    {
        if (!point.usePlane && !point.useHeight) continue;
        double x = 0, y = 0, h = 0;
        ConvertPoint(point, x, y, h);
        if (point.usePlane)
        {
            sx += LeadingNumber(point.x) - x;
            sy += LeadingNumber(point.y) - y;
            ++np;
        }
        if (point.useHeight)
        {
            sh += LeadingNumber(point.h) - h;
            ++nh;
        }
    }
    if (np == 0 && nh == 0) return 0;
    CoordinateSystem_CorrectParameter& c = m_ResultSystem.CorrectParameter;
    c.Use = 1;
    if (np)
    {
        c.Dx = sx / np;
        c.Dy = sy / np;
    }
    if (nh) c.Dh = sh / nh;
    Calculate_Precision();
    return 1;
}

int CCoordinateCalculate::Calculate_AnotherCorrectPar(const ControlCoordinateLibraryData& point)
{
    if (!point.usePlane && !point.useHeight) return 0;
    m_BaseSystem.CorrectParameter = CoordinateSystem_CorrectParameter();
    SetConvertParameter(m_BaseSystem, 1);
    double x = 0, y = 0, h = 0;
    ConvertPoint(point, x, y, h);
    CoordinateSystem_CorrectParameter& c = m_ResultSystem.CorrectParameter;
    if (point.usePlane)
    {
        c.Use = 1;
        c.Dx = LeadingNumber(point.x) - x;
        c.Dy = LeadingNumber(point.y) - y;
    }
    if (point.useHeight)
    {
        c.Use = 1;
        c.Dh = LeadingNumber(point.h) - h;
    }
    return 1;
}

int CCoordinateCalculate::Calculate_Precision()
{
    SetConvertParameter(m_ResultSystem, 1);
    for (ControlCoordinateLibraryData& point : m_Library)
    {
        double x = 0, y = 0, h = 0;
        ConvertPoint(point, x, y, h);
        point.planeResidual = std::hypot(x - LeadingNumber(point.x), y - LeadingNumber(point.y));
        point.heightResidual = h - LeadingNumber(point.h);
    }
    return 1;
}
