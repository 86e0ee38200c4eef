#include "coord/CCoordinateProject.h"

#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;

CCoordinateProject::CCoordinateProject()
{
    m_Project.Type = 0;
    SetEllipsoidPar(WGS84Ellipsoid());

    // Every general routine starts from a valid set-up on WGS84.
    const double a = 6378137.0, f = 1.0 / 298.257223563;
    const double deg = Angle::kDegree;
    double scale = 1.0;
    Set_UTM_Parameters(a, f, 0);
    Set_Mercator_Parameters(a, f, 0, 0, 0, 0, scale);
    Set_Lambert_1_Parameters(a, f, 45 * deg, 0, 0, 0, 1.0);
    Set_Lambert_Parameters(a, f, 45 * deg, 0, 40 * deg, 50 * deg, 0, 0);
    Set_Lambert_2_Parameters(a, f, 45 * deg, 0, 40 * deg, 50 * deg, 0, 0);
    Set_Stereographic_Parameters(a, f, 0, 0, 0, 0);
    Set_Orthographic_Parameters(a, f, 0, 0, 0, 0);
    Set_Azimuthal_Equidistant_Parameters(a, f, 0, 0, 0, 0);
    Set_Transverse_Mercator_Parameters(a, f, 0, 0, 0, 0, 1.0);
    Set_Equidistant_Cyl_Parameters(a, f, 0, 0, 0, 0);
    Set_Trans_Cyl_Eq_Area_Parameters(a, f, 0, 0, 0, 0, 1.0);
    Set_Albers_Parameters(a, f, 0, 0, 29.5 * deg, 45.5 * deg, 0, 0);
    Set_Cyl_Eq_Area_Parameters(a, f, 0, 0, 0, 0);
    Set_Oblique_Mercator_Parameters(a, f, 45 * deg, 40 * deg, -5 * deg, 50 * deg, 5 * deg, 0, 0, 1.0);
}

CCoordinateProject::~CCoordinateProject() = default;

void CCoordinateProject::SetEllipsoidPar(double a, double reciprocalFlattening)
{
    m_a = a;
    m_rf = reciprocalFlattening;
    const double f = (reciprocalFlattening != 0.0) ? 1.0 / reciprocalFlattening : 0.0;
    m_e2 = 2.0 * f - f * f;
    m_e = std::sqrt(std::max(0.0, m_e2));
    m_invA = (a != 0.0) ? 1.0 / a : 0.0;
    m_oneMinusE2 = 1.0 - m_e2;
    m_invOneMinusE2 = 1.0 / m_oneMinusE2;
    m_OutputScale = 1.0;
    m_InputScale = 1.0;
    m_WrapLongitude = true;

    const double e2 = m_e2, e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2;
    m_A = 1.0 + 0.75 * e2 + 45.0 / 64.0 * e4 + 175.0 / 256.0 * e6 + 11025.0 / 16384.0 * e8;
    m_B2 = 0.75 * e2 + 15.0 / 16.0 * e4 + 525.0 / 512.0 * e6 + 2205.0 / 2048.0 * e8;
    m_C4 = 15.0 / 64.0 * e4 + 105.0 / 256.0 * e6 + 2205.0 / 4096.0 * e8;
    m_D6 = 35.0 / 512.0 * e6 + 315.0 / 2048.0 * e8;
    m_E8 = 315.0 / 16384.0 * e8;
    m_c0 = (0.75 * e2 + 45.0 / 64.0 * e4 + 175.0 / 256.0 * e6 + 11025.0 / 16384.0 * e8) / 2.0;
    m_c1 = -(63.0 / 64.0 * e4 + 277.0 / 128.0 * e6 + 58239.0 / 16384.0 * e8) / 3.0;
    m_c2 = (151.0 / 128.0 * e6 + 17121.0 / 4096.0 * e8) / 3.0;
    m_c3 = -(3291.0 / 2048.0 * e8) / 3.0;
}

void CCoordinateProject::SetEllipsoidPar(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    m_EllipsoidName = ellipsoid.Name;
    SetEllipsoidPar(ellipsoid.Axis, ellipsoid.ReciprocalofFlatRate);
}

void CCoordinateProject::SetProjectPar(const CoordinateSystem_ProjectParameter& projection) { m_Project = projection; }

void CCoordinateProject::SetProjectPar(int type, double centralMeridian, double referenceLatitude, double tx,
                                       double ty, double tk, double projectionHeight, double parallel1,
                                       double parallel2)
{
    m_Project.Type = type;
    m_Project.CentralMeridian = centralMeridian;
    m_Project.ReferenceLatitude = referenceLatitude;
    m_Project.Tx = tx;
    m_Project.Ty = ty;
    m_Project.TK = tk;
    m_Project.ProjectionHeight = projectionHeight;
    m_Project.Parallel1 = parallel1;
    m_Project.Parallel2 = parallel2;
}

// ---------------------------------------------------------------------------------------------
// Gauss projection with a projection-height surface

double CCoordinateProject::EnlargedAxis(double phi) const
{
    const double H = m_Project.ProjectionHeight;
    if (!(H > 0.000001)) return m_a;
    const double s = std::sin(phi);
    return m_a + H * (1.0 - m_e2 * s * s) / std::sqrt(m_oneMinusE2);
}

double CCoordinateProject::MeridianArc(double phi) const
{
    if (phi == 0.0) return 0.0;
    // sin 4φ, 6φ, 8φ from the double angle: one sine and one cosine instead of four sines.
    const double s2 = std::sin(2 * phi), c2 = std::cos(2 * phi);
    const double s4 = 2.0 * s2 * c2, c4 = 1.0 - 2.0 * s2 * s2;
    const double s6 = s4 * c2 + c4 * s2, s8 = 2.0 * s4 * c4;
    return EnlargedAxis(phi) * m_oneMinusE2 *
           (m_A * phi - m_B2 / 2.0 * s2 + m_C4 / 4.0 * s4 - m_D6 / 6.0 * s6 + m_E8 / 8.0 * s8);
}

double CCoordinateProject::FootLatitude(double s, double phiForAxis) const
{
    const double beta = s / (EnlargedAxis(phiForAxis) * m_oneMinusE2 * m_A);
    const double sb = std::sin(beta);
    const double u = sb * sb;
    return beta + std::sin(2 * beta) * (m_c0 + u * (m_c1 + u * (m_c2 + u * m_c3)));
}

void CCoordinateProject::GaussForward(double B, double L, double& x, double& y) const
{
    const double k0 = m_Project.TK;
    const double l = L - m_Project.CentralMeridian;
    const double sB = std::sin(B), cB = std::cos(B);
    const double t = std::tan(B), t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
    const double W2 = 1.0 - m_e2 * sB * sB;
    const double ap = EnlargedAxis(B);
    const double N = ap / std::sqrt(W2);
    const double M = ap * m_oneMinusE2 / (W2 * std::sqrt(W2));
    const double psi = N / M, psi2 = psi * psi, psi3 = psi2 * psi, psi4 = psi3 * psi;
    const double w = l * cB, w2 = w * w, w3 = w2 * w, w5 = w3 * w2, w7 = w5 * w2;

    x = k0 * (MeridianArc(B) - MeridianArc(m_Project.ReferenceLatitude)) + m_Project.Tx +
        k0 * N * sB * l *
            (w / 2.0 + w3 / 24.0 * (4 * psi2 + psi - t2) +
             w5 / 720.0 *
                 (8 * psi4 * (11 - 24 * t2) - 28 * psi3 * (1 - 6 * t2) + psi2 * (1 - 32 * t2) - 2 * psi * t2 + t4) +
             w7 / 40320.0 * (1385 - 3111 * t2 + 543 * t4 - t6));
    y = k0 * N *
            (w + w3 / 6.0 * (psi - t2) +
             w5 / 120.0 * (4 * psi3 * (1 - 6 * t2) + psi2 * (1 + 8 * t2) - 2 * psi * t2 + t4) +
             w7 / 5040.0 * (61 - 479 * t2 + 179 * t4 - t6)) +
        m_Project.Ty;
}

void CCoordinateProject::GaussInverse(double x, double y, double& B, double& L) const
{
    const double k0 = m_Project.TK;
    const double s = (x - m_Project.Tx) / k0 + MeridianArc(m_Project.ReferenceLatitude);
    const double v = (y - m_Project.Ty) / k0;
    // The first pass takes the enlarged axis at an arbitrary latitude; later passes at the
    // latitude found, so that the surface is evaluated where the point lies.
    double phiP = 20.0;
    const int passes = (m_Project.ProjectionHeight == 0.0) ? 1 : 5;
    for (int pass = 0; pass < passes; ++pass)
    {
        const double phiF = FootLatitude(s, phiP);
        const double sF = std::sin(phiF), cF = std::cos(phiF);
        const double t = std::tan(phiF), t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
        const double W2 = 1.0 - m_e2 * sF * sF;
        const double ap = EnlargedAxis(phiF);
        const double N = ap / std::sqrt(W2);
        const double M = ap * m_oneMinusE2 / (W2 * std::sqrt(W2));
        const double psi = N / M, psi2 = psi * psi, psi3 = psi2 * psi, psi4 = psi3 * psi;
        const double q = v / N, q2 = q * q, q3 = q2 * q, q5 = q3 * q2, q7 = q5 * q2;

        B = phiF + (t / M) * v *
                       (-q / 2.0 + q3 / 24.0 * (9 * psi * (1 - t2) - 4 * psi2 + 12 * t2) -
                        q5 / 720.0 *
                            (8 * psi4 * (11 - 24 * t2) - 12 * psi3 * (21 - 71 * t2) +
                             15 * psi2 * (15 - 98 * t2 + 15 * t4) + 180 * psi * (5 * t2 - 3 * t4) + 360 * t4) +
                        q7 / 40320.0 * (1385 + 3633 * t2 + 4095 * t4 + 1575 * t6));
        L = m_Project.CentralMeridian +
            (1.0 / cF) * (q - q3 / 6.0 * (psi + 2 * t2) +
                          q5 / 120.0 * (psi2 * (9 - 68 * t2) - 4 * psi3 * (1 - 6 * t2) + 72 * psi * t2 + 24 * t4) -
                          q7 / 5040.0 * (61 + 662 * t2 + 1320 * t4 + 720 * t6));
        phiP = B;
    }
}

// ---------------------------------------------------------------------------------------------
// Type 3: ellipsoidal stereographic

void CCoordinateProject::Stereo3Setup()
{
    const double B0 = m_Project.ReferenceLatitude;
    const double k0 = m_Project.TK;
    const double e = m_e;
    if (std::fabs(std::fabs(B0) - kHalfPi) < 1e-10)
    {
        m_StereoAspect = (B0 < 0) ? 0 : 1;
        const double ts = std::fabs(m_PolarTrueScaleLatitude);
        if (e < 1e-12)
            m_StereoK1 = (std::fabs(ts - kHalfPi) < 1e-10) ? 2.0 * k0 : std::cos(ts) / std::tan(kPi / 4 - ts / 2);
        else if (std::fabs(ts - kHalfPi) < 1e-10)
            m_StereoK1 = 2.0 * k0 / std::sqrt(std::pow(1 + e, 1 + e) * std::pow(1 - e, 1 - e));
        else
        {
            const double s = std::sin(ts);
            m_StereoK1 = std::cos(ts) / Tsfn(ts, e) / std::sqrt(1.0 - m_e2 * s * s);
        }
        return;
    }
    if (std::fabs(B0) <= 1e-10)
    {
        m_StereoAspect = 3;
        m_StereoK1 = 2.0 * k0;
        m_StereoSinX0 = 0.0;
        m_StereoCosX0 = 1.0;
        return;
    }
    m_StereoAspect = 2;
    const double s0 = std::sin(B0);
    m_StereoK1 = (e < 1e-12) ? 2.0 * k0 : 2.0 * k0 * std::cos(B0) / std::sqrt(1.0 - m_e2 * s0 * s0);
    const double chi0 = 2.0 * std::atan(Ssfn(B0, e)) - kHalfPi;
    m_StereoSinX0 = std::sin(chi0);
    m_StereoCosX0 = std::cos(chi0);
}

void CCoordinateProject::Stereo3Forward(double B, double lambda, double& X, double& Y) const
{
    const double sl = std::sin(lambda), cl = std::cos(lambda);
    switch (m_StereoAspect)
    {
    case 1: // north polar
    {
        const double rho = m_StereoK1 * Tsfn(B, m_e);
        X = rho * sl;
        Y = -rho * cl;
        return;
    }
    case 0: // south polar
    {
        const double rho = m_StereoK1 * Tsfn(-B, m_e);
        X = rho * sl;
        Y = rho * cl;
        return;
    }
    default:
    {
        const double chi = 2.0 * std::atan(Ssfn(B, m_e)) - kHalfPi;
        const double sc = std::sin(chi), cc = std::cos(chi);
        // The equatorial aspect is the oblique one with a conformal origin latitude of zero; its
        // constant K1 = 2k0 already carries the factor two of the stereographic radius.
        const double A = m_StereoK1 / (m_StereoCosX0 * (1.0 + m_StereoSinX0 * sc + m_StereoCosX0 * cc * cl));
        X = A * cc * sl;
        Y = A * (m_StereoCosX0 * sc - m_StereoSinX0 * cc * cl);
        return;
    }
    }
}

void CCoordinateProject::Stereo3Inverse(double X, double Y, double& B, double& lambda) const
{
    const double e = m_e;
    const double rho = std::hypot(X, Y);
    if (m_StereoAspect == 0 || m_StereoAspect == 1)
    {
        const bool north = m_StereoAspect == 1;
        if (north) Y = -Y;
        const double t = rho / m_StereoK1;
        double phi = kHalfPi - 2.0 * std::atan(t);
        for (int i = 0; i < 8; ++i)
        {
            const double es = e * std::sin(phi);
            const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - es) / (1.0 + es), 0.5 * e));
            const bool done = std::fabs(next - phi) < 1e-10;
            phi = next;
            if (done) break;
        }
        B = north ? phi : -phi;
        lambda = (rho == 0.0) ? 0.0 : std::atan2(X, Y);
        return;
    }
    double chi;
    if (rho == 0.0)
    {
        chi = std::asin(m_StereoSinX0);
        lambda = 0.0;
    }
    else
    {
        const double c = 2.0 * std::atan2(rho * m_StereoCosX0, m_StereoK1);
        const double sc = std::sin(c), cc = std::cos(c);
        chi = std::asin(std::max(-1.0, std::min(1.0, cc * m_StereoSinX0 + Y * sc * m_StereoCosX0 / rho)));
        const double Xn = X * sc;
        const double Yn = rho * m_StereoCosX0 * cc - Y * m_StereoSinX0 * sc;
        lambda = std::atan2(Xn, Yn);
    }
    double phi = chi;
    for (int i = 0; i < 8; ++i)
    {
        const double es = e * std::sin(phi);
        const double next = 2.0 * std::atan(std::tan(0.5 * (kHalfPi + chi)) * std::pow((1.0 + es) / (1.0 - es), 0.5 * e)) -
                            kHalfPi;
        const bool done = std::fabs(next - phi) < 1e-10;
        phi = next;
        if (done) break;
    }
    B = phi;
}

// ---------------------------------------------------------------------------------------------
// Type 4: oblique stereographic on the Gaussian conformal sphere

void CCoordinateProject::Stereo4Setup()
{
    const double B0 = m_Project.ReferenceLatitude;
    const double e = m_e;
    const double s0 = std::sin(B0), c0 = std::cos(B0);
    const double R = std::sqrt(m_oneMinusE2) / (1.0 - m_e2 * s0 * s0);
    m_GaussC = std::sqrt(1.0 + m_e2 * c0 * c0 * c0 * c0 / m_oneMinusE2);
    m_GaussChi0 = std::asin(s0 / m_GaussC);
    m_GaussP = m_GaussC * e / 2.0;
    m_GaussK = std::tan(m_GaussChi0 / 2.0 + kPi / 4) /
               (std::pow(std::tan(B0 / 2.0 + kPi / 4), m_GaussC) * std::pow((1.0 - e * s0) / (1.0 + e * s0), m_GaussP));
    m_GaussSinChi0 = std::sin(m_GaussChi0);
    m_GaussCosChi0 = std::cos(m_GaussChi0);
    m_GaussR2 = 2.0 * R;
}

void CCoordinateProject::Stereo4Forward(double B, double lambda, double& X, double& Y) const
{
    const double e = m_e;
    const double es = e * std::sin(B);
    const double chi = 2.0 * std::atan(m_GaussK * std::pow(std::tan(B / 2.0 + kPi / 4), m_GaussC) *
                                       std::pow((1.0 - es) / (1.0 + es), m_GaussP)) -
                       kHalfPi;
    const double lp = m_GaussC * lambda;
    const double sc = std::sin(chi), cc = std::cos(chi), cl = std::cos(lp);
    const double k = m_Project.TK * m_GaussR2 / (1.0 + m_GaussSinChi0 * sc + m_GaussCosChi0 * cc * cl);
    X = k * cc * std::sin(lp);
    Y = k * (m_GaussCosChi0 * sc - m_GaussSinChi0 * cc * cl);
}

void CCoordinateProject::Stereo4Inverse(double X, double Y, double& B, double& lambda) const
{
    const double e = m_e;
    X /= m_Project.TK;
    Y /= m_Project.TK;
    const double rho = std::hypot(X, Y);
    double chi, lp;
    if (rho == 0.0)
    {
        chi = m_GaussChi0;
        lp = 0.0;
    }
    else
    {
        const double c = 2.0 * std::atan2(rho, m_GaussR2);
        const double sc = std::sin(c), cc = std::cos(c);
        chi = std::asin(std::max(-1.0, std::min(1.0, cc * m_GaussSinChi0 + Y * sc * m_GaussCosChi0 / rho)));
        lp = std::atan2(X * sc, rho * m_GaussCosChi0 * cc - Y * m_GaussSinChi0 * sc);
    }
    lambda = lp / m_GaussC;
    const double base = std::pow(std::tan(chi / 2.0 + kPi / 4) / m_GaussK, 1.0 / m_GaussC);
    double phi = chi;
    for (int i = 0; i < 20; ++i)
    {
        const double es = e * std::sin(phi);
        const double next = 2.0 * std::atan(base * std::pow((1.0 - es) / (1.0 + es), -e / 2.0)) - kHalfPi;
        const bool done = std::fabs(next - phi) < 1e-14;
        phi = next;
        if (done) break;
    }
    B = phi;
}

// ---------------------------------------------------------------------------------------------
// Dispatch

bool CCoordinateProject::Proj_BLtoxy(double B, double L, double& x, double& y)
{
    const double f = (m_rf != 0.0) ? 1.0 / m_rf : 0.0;
    switch (m_Project.Type)
    {
    case 3:
    case 4:
    {
        double X = 0, Y = 0;
        if (m_Project.Type == 3)
        {
            Stereo3Setup();
            Stereo3Forward(B, WrapPi(L - m_Project.CentralMeridian), X, Y);
        }
        else
        {
            Stereo4Setup();
            Stereo4Forward(B, WrapPi(L - m_Project.CentralMeridian), X, Y);
        }
        x = (m_a * X + m_Project.Tx) * m_OutputScale;
        y = (m_a * Y + m_Project.Ty) * m_OutputScale;
        return true;
    }
    case 5:
    {
        double scale = 0.0, E = 0.0, N = 0.0;
        if (Set_Mercator_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian, m_Project.Ty,
                                    m_Project.Tx, scale) != PROJ_NO_ERROR)
            return true;
        m_Project.TK = scale;
        if (Convert_Geodetic_To_Mercator(B, L, E, N) != PROJ_NO_ERROR) return true;
        x = N;
        y = E;
        return true;
    }
    case 6:
    {
        double E = 0.0, N = 0.0;
        if (Set_Lambert_1_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian, m_Project.Ty,
                                     m_Project.Tx, m_Project.TK) != PROJ_NO_ERROR)
            return true;
        if (Convert_Geodetic_To_Lambert_1(B, L, E, N) != PROJ_NO_ERROR) return true;
        x = N;
        y = E;
        return true;
    }
    case 7:
    {
        double E = 0.0, N = 0.0;
        if (Set_Lambert_2_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian,
                                     m_Project.Parallel1, m_Project.Parallel2, m_Project.Ty,
                                     m_Project.Tx) != PROJ_NO_ERROR)
            return true;
        if (Convert_Geodetic_To_Lambert(B, L, E, N) != PROJ_NO_ERROR) return true;
        x = N;
        y = E;
        return true;
    }
    default:
        GaussForward(B, L, x, y);
        return true;
    }
}

bool CCoordinateProject::Proj_xytoBL(double x, double y, double& B, double& L)
{
    const double f = (m_rf != 0.0) ? 1.0 / m_rf : 0.0;
    switch (m_Project.Type)
    {
    case 3:
    case 4:
    {
        const double X = (x * m_InputScale - m_Project.Tx) / m_a;
        const double Y = (y * m_InputScale - m_Project.Ty) / m_a;
        double lambda = 0.0;
        if (m_Project.Type == 3)
        {
            Stereo3Setup();
            Stereo3Inverse(X, Y, B, lambda);
        }
        else
        {
            Stereo4Setup();
            Stereo4Inverse(X, Y, B, lambda);
        }
        L = lambda + m_Project.CentralMeridian;
        if (m_WrapLongitude) L = WrapPi(L);
        return true;
    }
    case 5:
    {
        double scale = 0.0, b = 0.0, l = 0.0;
        if (Set_Mercator_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian, m_Project.Ty,
                                    m_Project.Tx, scale) != PROJ_NO_ERROR)
            return true;
        m_Project.TK = scale;
        if (Convert_Mercator_To_Geodetic(y, x, b, l) != PROJ_NO_ERROR) return true;
        B = b;
        L = l;
        return true;
    }
    case 6:
    {
        double b = 0.0, l = 0.0;
        if (Set_Lambert_1_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian, m_Project.Ty,
                                     m_Project.Tx, m_Project.TK) != PROJ_NO_ERROR)
            return true;
        if (Convert_Lambert_1_To_Geodetic(y, x, b, l) != PROJ_NO_ERROR) return true;
        B = b;
        L = l;
        return true;
    }
    case 7:
    {
        double b = 0.0, l = 0.0;
        if (Set_Lambert_2_Parameters(m_a, f, m_Project.ReferenceLatitude, m_Project.CentralMeridian,
                                     m_Project.Parallel1, m_Project.Parallel2, m_Project.Ty,
                                     m_Project.Tx) != PROJ_NO_ERROR)
            return true;
        if (Convert_Lambert_To_Geodetic(y, x, b, l) != PROJ_NO_ERROR) return true;
        B = b;
        L = l;
        return true;
    }
    default:
        GaussInverse(x, y, B, L);
        return true;
    }
}

bool CCoordinateProject::Proj_BLtoxy(const BLHCoord& blh, xyhCoord& xyh)
{
    Proj_BLtoxy(blh.B, blh.L, xyh.x, xyh.y);
    xyh.h = blh.H;
    return true;
}

bool CCoordinateProject::Proj_xytoBL(const xyhCoord& xyh, BLHCoord& blh)
{
    Proj_xytoBL(xyh.x, xyh.y, blh.B, blh.L);
    blh.H = xyh.h;
    return true;
}
