#include "coord/CCoordinateConvert.h"

#include "geometry/Angle.h"

#include <cmath>

namespace
{
constexpr double kDegToRad = Angle::kDegree;
constexpr double kRadToDeg = 180.0 / Angle::kPi;

double SquaredEccentricity(double reciprocalFlattening)
{
    const double f = (reciprocalFlattening != 0.0) ? 1.0 / reciprocalFlattening : 0.0;
    return 2.0 * f - f * f;
}
} // namespace

CCoordinateConvert::CCoordinateConvert() { InitializeParameter(); }

CCoordinateConvert::CCoordinateConvert(const CCoordinateConvert& other) = default;

CCoordinateConvert& CCoordinateConvert::operator=(const CCoordinateConvert& other) = default;

CCoordinateConvert::~CCoordinateConvert() = default;

void CCoordinateConvert::InitializeParameter()
{
    m_SourceEllipsoid = WGS84Ellipsoid();
    m_DestinationEllipsoid = Beijing54Ellipsoid();
    m_Projection = CoordinateSystem_ProjectParameter();
    m_Project = CCoordinateProject();
    m_Project.SetEllipsoidPar(m_DestinationEllipsoid);
    m_Project.SetProjectPar(m_Projection);
    m_VerticalBalancing = CoordinateSystem_VerticalBalancingParameter();
    m_VerticalBalancing.Mode = 1;
    m_HeightFitting = CoordinateSystem_HeightFittingParameter();
    m_Correct = CoordinateSystem_CorrectParameter();
    m_FourParameter = CoordinateSystem_FourParameter();
    m_SevenParameter = CoordinateSystem_SevenParameter();
}

// ---- set-up

void CCoordinateConvert::SetSouceEllipsoid(double a, double reciprocalFlattening)
{
    m_SourceEllipsoid.Axis = a;
    m_SourceEllipsoid.ReciprocalofFlatRate = reciprocalFlattening;
}

void CCoordinateConvert::SetSouceEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    m_SourceEllipsoid = ellipsoid;
}

void CCoordinateConvert::SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    m_DestinationEllipsoid = ellipsoid;
    m_Project.SetEllipsoidPar(ellipsoid.Axis, ellipsoid.ReciprocalofFlatRate);
}

void CCoordinateConvert::SetDestinationEllipsoid(double a, double reciprocalFlattening)
{
    CoordinateSystem_EllipsoidParameter e;
    e.Axis = a;
    e.ReciprocalofFlatRate = reciprocalFlattening;
    SetDestinationEllipsoid(e);
}

void CCoordinateConvert::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    m_Projection = projection;
    m_Project.SetProjectPar(projection);
}

void CCoordinateConvert::SetProjection(int type, double Tx, double Ty, double CentralMeridian, double TK,
                                       double Parallel1, double Parallel2, double ReferenceLatitude,
                                       double ProjectionHeight)
{
    m_Projection.Type = type;
    m_Projection.Tx = Tx;
    m_Projection.Ty = Ty;
    m_Projection.CentralMeridian = CentralMeridian;
    m_Projection.TK = TK;
    m_Projection.Parallel1 = Parallel1;
    m_Projection.Parallel2 = Parallel2;
    m_Projection.ReferenceLatitude = ReferenceLatitude;
    m_Projection.ProjectionHeight = ProjectionHeight;
    m_Project.SetProjectPar(m_Projection);
}

void CCoordinateConvert::SetSevenParameter(const CoordinateSystem_SevenParameter& parameter)
{
    m_SevenParameter = parameter;
}

void CCoordinateConvert::SetSevenParameter(int Use, double DX, double DY, double DZ, double RX, double RY, double RZ,
                                           double K)
{
    m_SevenParameter.Use = Use;
    m_SevenParameter.DX = DX;
    m_SevenParameter.DY = DY;
    m_SevenParameter.DZ = DZ;
    m_SevenParameter.RX = RX;
    m_SevenParameter.RY = RY;
    m_SevenParameter.RZ = RZ;
    m_SevenParameter.K = K;
}

void CCoordinateConvert::SetFourParameter(const CoordinateSystem_FourParameter& parameter)
{
    m_FourParameter = parameter;
}

void CCoordinateConvert::SetFourParameter(int Use, double Cx, double Cy, double Ca, double Ck, double Orgx, double Orgy)
{
    m_FourParameter = {Use, Cx, Cy, Ca, Ck, Orgx, Orgy};
}

void CCoordinateConvert::SetVerticalBalancingPar(const CoordinateSystem_VerticalBalancingParameter& parameter)
{
    m_VerticalBalancing = parameter;
}

void CCoordinateConvert::SetVerticalBalancingPar(int Use, int Mode, double Orgx, double Orgy, double DH,
                                                 double NorthSlope, double EastSlope)
{
    m_VerticalBalancing = {Use, Mode, Orgx, Orgy, DH, NorthSlope, EastSlope};
}

void CCoordinateConvert::SetHeightFittingPar(const CoordinateSystem_HeightFittingParameter& parameter)
{
    m_HeightFitting = parameter;
}

void CCoordinateConvert::SetHeightFittingPar(int Use, double a0, double a1, double a2, double a3, double a4, double a5,
                                             double x0, double y0)
{
    m_HeightFitting = {Use, a0, a1, a2, a3, a4, a5, x0, y0};
}

void CCoordinateConvert::SetCorrectPar(const CoordinateSystem_CorrectParameter& parameter) { m_Correct = parameter; }

void CCoordinateConvert::SetCorrectPar(int Use, double Dx, double Dy, double Dh) { m_Correct = {Use, Dx, Dy, Dh}; }

// ---- building blocks

void CCoordinateConvert::BLH2XYZ(double B, double L, double H, double& X, double& Y, double& Z, double a,
                                 double reciprocalFlattening)
{
    const double e2 = SquaredEccentricity(reciprocalFlattening);
    const double sB = std::sin(B);
    const double N = a / std::sqrt(1.0 - e2 * sB * sB);
    X = (N + H) * std::cos(B) * std::cos(L);
    Y = (N + H) * std::cos(B) * std::sin(L);
    Z = (N * (1.0 - e2) + H) * sB;
}

void CCoordinateConvert::XYZ2BLH(double X, double Y, double Z, double& B, double& L, double& H, double a,
                                 double reciprocalFlattening)
{
    const double e2 = SquaredEccentricity(reciprocalFlattening);
    const double p = std::sqrt(X * X + Y * Y);
    L = std::atan2(Y, X);
    if (Z == 0.0)
    {
        // On the equatorial plane the height formula below would divide by sin B = 0.
        B = 0.0;
        H = p - a;
        return;
    }
    if (p == 0.0)
    {
        // On the polar axis: the latitude is ±90° and the height is measured along the axis.
        B = std::copysign(1.57079632679489661923, Z);
        H = std::fabs(Z) - a * std::sqrt(1.0 - e2);
        return;
    }
    H = std::sqrt(X * X + Y * Y + Z * Z) - a;
    const double t = Z / p;
    B = std::atan2(t, 1.0 - e2 * a / (a + H));
    double N = 0.0;
    // The loops are bounded so that input without a solution (NaN, infinities) cannot hang.
    for (int outer = 0; outer < 50; ++outer)
    {
        double lastH = H;
        double dH = 0.0;
        for (int inner = 0; inner < 100; ++inner)
        {
            const double sB = std::sin(B);
            N = a / std::sqrt(1.0 - e2 * sB * sB);
            lastH = H;
            H = Z / sB - N * (1.0 - e2);
            const double nextB = std::atan2(t, 1.0 - e2 * N / (N + H));
            const double dB = std::fabs(nextB - B);
            B = nextB;
            dH = std::fabs(H - lastH);
            if (!(dB >= 1e-11)) break;
        }
        if (!(dH > 1e-5)) break;
    }
    const double sB = std::sin(B);
    N = a / std::sqrt(1.0 - e2 * sB * sB);
    H = Z / sB - N * (1.0 - e2);
}

void CCoordinateConvert::XYZ2XYZ(double& X, double& Y, double& Z) const
{
    const CoordinateSystem_SevenParameter& p = m_SevenParameter;
    if (!p.Use) return;
    const double s = 1.0 + p.K;
    if (p.Mode == 1)
    {
        const double sx = std::sin(p.RX), cx = std::cos(p.RX);
        const double sy = std::sin(p.RY), cy = std::cos(p.RY);
        const double sz = std::sin(p.RZ), cz = std::cos(p.RZ);
        const double x = X, y = Y, z = Z;
        X = s * (cy * cz * x + cy * sz * y - sy * z) + p.DX;
        Y = s * ((sx * sy * cz - cx * sz) * x + (cx * cz + sx * sy * sz) * y + sx * cy * z) + p.DY;
        Z = s * ((sx * sz + cx * sy * cz) * x + (cx * sy * sz - sx * cz) * y + cx * cy * z) + p.DZ;
    }
    else
    {
        const double x = X, y = Y, z = Z;
        X = s * x + p.RZ * y - p.RY * z + p.DX;
        Y = s * y - p.RZ * x + p.RX * z + p.DY;
        Z = s * z + p.RY * x - p.RX * y + p.DZ;
    }
}

void CCoordinateConvert::XYZ2XYZBack(double& X, double& Y, double& Z) const
{
    const CoordinateSystem_SevenParameter& p = m_SevenParameter;
    if (!p.Use) return;
    if (p.Mode == 1)
    {
        const double s = 1.0 + p.K;
        const double sx = std::sin(p.RX), cx = std::cos(p.RX);
        const double sy = std::sin(p.RY), cy = std::cos(p.RY);
        const double sz = std::sin(p.RZ), cz = std::cos(p.RZ);
        const double x = (X - p.DX) / s, y = (Y - p.DY) / s, z = (Z - p.DZ) / s;
        // The rotation matrix is orthogonal: its transpose solves the system exactly.
        X = cy * cz * x + (sx * sy * cz - cx * sz) * y + (sx * sz + cx * sy * cz) * z;
        Y = cy * sz * x + (cx * cz + sx * sy * sz) * y + (cx * sy * sz - sx * cz) * z;
        Z = -sy * x + sx * cy * y + cx * cy * z;
    }
    else
    {
        // First-order inverse of the small-angle model.
        const double x = X, y = Y, z = Z;
        X = (1.0 - p.K) * x - p.RZ * y + p.RY * z - p.DX;
        Y = (1.0 - p.K) * y + p.RZ * x - p.RX * z - p.DY;
        Z = (1.0 - p.K) * z - p.RY * x + p.RX * y - p.DZ;
    }
}

double CCoordinateConvert::xyh2xyh_ByHeightFittingPar_XYtoE(double x, double y) const
{
    const CoordinateSystem_HeightFittingParameter& p = m_HeightFitting;
    if (!p.Use) return 0.0;
    const double dx = x - p.x0, dy = y - p.y0;
    return p.a0 + p.a1 * dx + p.a2 * dy + p.a3 * dx * dx + p.a4 * dy * dy + p.a5 * dx * dy;
}

void CCoordinateConvert::xyh2xyh_ByFourPar(double& x, double& y, double&) const
{
    const CoordinateSystem_FourParameter& p = m_FourParameter;
    if (!p.Use) return;
    const double dx = x - p.Orgx, dy = y - p.Orgy;
    const double c = std::cos(p.Ca), s = std::sin(p.Ca);
    x = p.Orgx + p.Cx + p.Ck * (dx * c - dy * s);
    y = p.Orgy + p.Cy + p.Ck * (dx * s + dy * c);
}

void CCoordinateConvert::xyh2xyh_ByCorrectPar(double& x, double& y, double& h) const
{
    if (!m_Correct.Use) return;
    x += m_Correct.Dx;
    y += m_Correct.Dy;
    h += m_Correct.Dh;
}

void CCoordinateConvert::xyh2xyh_ByHeightFittingPar(double& x, double& y, double& h) const
{
    if (!m_HeightFitting.Use) return;
    h -= xyh2xyh_ByHeightFittingPar_XYtoE(x, y);
}

void CCoordinateConvert::xyh2xyh_ByVerticalBalancingPar(double& x, double& y, double& h) const
{
    const CoordinateSystem_VerticalBalancingParameter& p = m_VerticalBalancing;
    if (!p.Use) return;
    h += p.DH + (x - p.Orgx) * p.NorthSlope + (y - p.Orgy) * p.EastSlope;
}

void CCoordinateConvert::xyh2xyh_ByFourParBack(double& x, double& y, double&) const
{
    const CoordinateSystem_FourParameter& p = m_FourParameter;
    if (!p.Use) return;
    const double dx = x - p.Orgx - p.Cx, dy = y - p.Orgy - p.Cy;
    const double c = std::cos(p.Ca), s = std::sin(p.Ca);
    x = p.Orgx + (dx * c + dy * s) / p.Ck;
    y = p.Orgy + (dy * c - dx * s) / p.Ck;
}

void CCoordinateConvert::xyh2xyh_ByCorrectParBack(double& x, double& y, double& h) const
{
    if (!m_Correct.Use) return;
    x -= m_Correct.Dx;
    y -= m_Correct.Dy;
    h -= m_Correct.Dh;
}

void CCoordinateConvert::xyh2xyh_ByHeightFittingParBack(double& x, double& y, double& h) const
{
    if (!m_HeightFitting.Use) return;
    h += xyh2xyh_ByHeightFittingPar_XYtoE(x, y);
}

void CCoordinateConvert::xyh2xyh_ByVerticalBalancingParBack(double& x, double& y, double& h) const
{
    const CoordinateSystem_VerticalBalancingParameter& p = m_VerticalBalancing;
    if (!p.Use) return;
    h -= p.DH + (x - p.Orgx) * p.NorthSlope + (y - p.Orgy) * p.EastSlope;
}

void CCoordinateConvert::xyh2xyh(double& x, double& y, double& h) const
{
    xyh2xyh_ByFourPar(x, y, h);
    xyh2xyh_ByCorrectPar(x, y, h);
    xyh2xyh_ByHeightFittingPar(x, y, h);
    xyh2xyh_ByVerticalBalancingPar(x, y, h);
}

void CCoordinateConvert::xyh2xyhBack(double& x, double& y, double& h) const
{
    xyh2xyh_ByVerticalBalancingParBack(x, y, h);
    xyh2xyh_ByHeightFittingParBack(x, y, h);
    xyh2xyh_ByCorrectParBack(x, y, h);
    xyh2xyh_ByFourParBack(x, y, h);
}

void CCoordinateConvert::BLH2xyh(double B, double L, double H, double& x, double& y, double& h)
{
    m_Project.SetEllipsoidPar(m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
    m_Project.Proj_BLtoxy(B, L, x, y);
    h = H;
}

void CCoordinateConvert::xyh2BLH(double x, double y, double h, double& B, double& L, double& H)
{
    m_Project.SetEllipsoidPar(m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
    m_Project.Proj_xytoBL(x, y, B, L);
    H = h;
}

// ---- conversions

void CCoordinateConvert::XYZToXYZ(double& X, double& Y, double& Z) const { XYZ2XYZ(X, Y, Z); }

void CCoordinateConvert::XYZToXYZ(XYZCoord& xyz) const { XYZ2XYZ(xyz.X, xyz.Y, xyz.Z); }

void CCoordinateConvert::XYZToBLH(double X, double Y, double Z, double& B, double& L, double& H) const
{
    double b, l, hh;
    XYZ2BLH(X, Y, Z, b, l, hh, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
    BLHToBLH(b, l, hh, B, L, H);
}

void CCoordinateConvert::XYZToBLH(XYZCoord xyz, BLHCoord& blh) const { XYZToBLH(xyz.X, xyz.Y, xyz.Z, blh.B, blh.L, blh.H); }

void CCoordinateConvert::XYZToxyh(double X, double Y, double Z, double& x, double& y, double& h)
{
    double b, l, hh;
    XYZ2BLH(X, Y, Z, b, l, hh, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
    BLHToxyh(b, l, hh, x, y, h);
}

void CCoordinateConvert::XYZToxyh(XYZCoord xyz, xyhCoord& xyh) { XYZToxyh(xyz.X, xyz.Y, xyz.Z, xyh.x, xyh.y, xyh.h); }

void CCoordinateConvert::XYZToxyh_2(double X, double Y, double Z, double& x, double& y, double& h)
{
    XYZ2XYZ(X, Y, Z);
    double b, l, hh;
    XYZ2BLH(X, Y, Z, b, l, hh, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
    BLH2xyh(b, l, hh, x, y, h);
    xyh2xyh(x, y, h);
}

void CCoordinateConvert::XYZToxyh_2(XYZCoord xyz, xyhCoord& xyh) { XYZToxyh_2(xyz.X, xyz.Y, xyz.Z, xyh.x, xyh.y, xyh.h); }

void CCoordinateConvert::BLHToXYZ(double B, double L, double H, double& X, double& Y, double& Z) const
{
    double b, l, hh;
    BLHToBLH(B, L, H, b, l, hh);
    BLH2XYZ(b, l, hh, X, Y, Z, m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
}

void CCoordinateConvert::BLHToXYZ(BLHCoord blh, XYZCoord& xyz) const { BLHToXYZ(blh.B, blh.L, blh.H, xyz.X, xyz.Y, xyz.Z); }

void CCoordinateConvert::BLHToBLH(double B, double L, double H, double& B2, double& L2, double& H2) const
{
    double X, Y, Z;
    BLH2XYZ(B, L, H, X, Y, Z, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
    XYZ2XYZ(X, Y, Z);
    XYZ2BLH(X, Y, Z, B2, L2, H2, m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
}

void CCoordinateConvert::BLHToBLH(BLHCoord blh, BLHCoord& out) const { BLHToBLH(blh.B, blh.L, blh.H, out.B, out.L, out.H); }

void CCoordinateConvert::BLHToxyh(double B, double L, double H, double& x, double& y, double& h)
{
    double b = B, l = L, hh = H;
    if (m_SevenParameter.Use) BLHToBLH(B, L, H, b, l, hh);
    BLH2xyh(b, l, hh, x, y, h);
    xyh2xyh(x, y, h);
}

void CCoordinateConvert::BLHToxyh(BLHCoord blh, xyhCoord& xyh)
{
    BLHToxyh(blh.B * kDegToRad, blh.L * kDegToRad, blh.H, xyh.x, xyh.y, xyh.h);
}

void CCoordinateConvert::xyhToXYZ(double x, double y, double h, double& X, double& Y, double& Z)
{
    double b, l, hh;
    xyhToBLH(x, y, h, b, l, hh);
    BLH2XYZ(b, l, hh, X, Y, Z, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
}

void CCoordinateConvert::xyhToXYZ(xyhCoord xyh, XYZCoord& xyz) { xyhToXYZ(xyh.x, xyh.y, xyh.h, xyz.X, xyz.Y, xyz.Z); }

void CCoordinateConvert::xyhToXYZ_2(double x, double y, double h, double& X, double& Y, double& Z)
{
    xyh2xyh(x, y, h);
    double b, l, hh;
    xyh2BLH(x, y, h, b, l, hh);
    BLH2XYZ(b, l, hh, X, Y, Z, m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
    XYZ2XYZ(X, Y, Z);
}

void CCoordinateConvert::xyhToXYZ_2(xyhCoord xyh, XYZCoord& xyz) { xyhToXYZ_2(xyh.x, xyh.y, xyh.h, xyz.X, xyz.Y, xyz.Z); }

void CCoordinateConvert::xyhToBLH(double x, double y, double h, double& B, double& L, double& H)
{
    xyh2xyhBack(x, y, h);
    xyh2BLH(x, y, h, B, L, H);
    if (m_SevenParameter.Use)
    {
        double X, Y, Z;
        BLH2XYZ(B, L, H, X, Y, Z, m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
        XYZ2XYZBack(X, Y, Z);
        XYZ2BLH(X, Y, Z, B, L, H, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
    }
}

void CCoordinateConvert::xyhToBLH(xyhCoord xyh, BLHCoord& blh)
{
    xyhToBLH(xyh.x, xyh.y, xyh.h, blh.B, blh.L, blh.H);
    blh.B *= kRadToDeg;
    blh.L *= kRadToDeg;
}

void CCoordinateConvert::xyhToBLH_2(double x, double y, double h, double& B, double& L, double& H)
{
    xyh2xyh(x, y, h);
    xyh2BLH(x, y, h, B, L, H);
    double X, Y, Z;
    BLH2XYZ(B, L, H, X, Y, Z, m_DestinationEllipsoid.Axis, m_DestinationEllipsoid.ReciprocalofFlatRate);
    XYZ2XYZ(X, Y, Z);
    XYZ2BLH(X, Y, Z, B, L, H, m_SourceEllipsoid.Axis, m_SourceEllipsoid.ReciprocalofFlatRate);
}

void CCoordinateConvert::xyhToBLH_2(xyhCoord xyh, BLHCoord& blh) { xyhToBLH_2(xyh.x, xyh.y, xyh.h, blh.B, blh.L, blh.H); }

void CCoordinateConvert::xyhToxyh(double& x, double& y, double& h) const { xyh2xyh(x, y, h); }

void CCoordinateConvert::xyhToxyh(xyhCoord& xyh) const { xyh2xyh(xyh.x, xyh.y, xyh.h); }
