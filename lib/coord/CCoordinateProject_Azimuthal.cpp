// Azimuthal routines of CCoordinateProject: stereographic, orthographic and azimuthal
// equidistant. Each keeps its state in the instance; a set-up that fails any check stores nothing.

#include "coord/CCoordinateProject.h"

#include "coord/CCoordinateProject_Detail.h"
#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;
using namespace projdetail;

namespace
{
// Geodesic problems on the ellipsoid (Vincenty), for the azimuthal equidistant projection.
bool GeodesicInverse(const CCoordinateProject::EllipsoidState& ell, double phi1, double lon1, double phi2, double lon2,
                     double& s, double& azi1)
{
    const double a = ell.a, f = ell.f, b = a * (1.0 - f);
    const double Ldiff = WrapPi(lon2 - lon1);
    const double U1 = std::atan((1.0 - f) * std::tan(phi1)), U2 = std::atan((1.0 - f) * std::tan(phi2));
    const double sU1 = std::sin(U1), cU1 = std::cos(U1), sU2 = std::sin(U2), cU2 = std::cos(U2);
    double lambda = Ldiff, sinSigma = 0, cosSigma = 0, sigma = 0, cos2Alpha = 0, cos2SigmaM = 0;
    bool converged = false;
    for (int i = 0; i < 200; ++i)
    {
        const double sl = std::sin(lambda), cl = std::cos(lambda);
        sinSigma = std::hypot(cU2 * sl, cU1 * sU2 - sU1 * cU2 * cl);
        if (sinSigma == 0.0)
        {
            s = 0.0;
            azi1 = 0.0;
            return true;
        }
        cosSigma = sU1 * sU2 + cU1 * cU2 * cl;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cU1 * cU2 * sl / sinSigma;
        cos2Alpha = 1.0 - sinAlpha * sinAlpha;
        cos2SigmaM = (cos2Alpha != 0.0) ? cosSigma - 2.0 * sU1 * sU2 / cos2Alpha : 0.0;
        const double C = f / 16.0 * cos2Alpha * (4.0 + f * (4.0 - 3.0 * cos2Alpha));
        const double prev = lambda;
        lambda = Ldiff + (1.0 - C) * f * sinAlpha *
                             (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda - prev) < 1e-13)
        {
            converged = true;
            break;
        }
    }
    if (!converged) return false;
    const double u2 = cos2Alpha * (a * a - b * b) / (b * b);
    const double A = 1.0 + u2 / 16384.0 * (4096.0 + u2 * (-768.0 + u2 * (320.0 - 175.0 * u2)));
    const double Bc = u2 / 1024.0 * (256.0 + u2 * (-128.0 + u2 * (74.0 - 47.0 * u2)));
    const double dSigma =
        Bc * sinSigma *
        (cos2SigmaM + Bc / 4.0 *
                          (cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM) -
                           Bc / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) *
                               (-3.0 + 4.0 * cos2SigmaM * cos2SigmaM)));
    s = b * A * (sigma - dSigma);
    azi1 = std::atan2(cU2 * std::sin(lambda), cU1 * sU2 - sU1 * cU2 * std::cos(lambda));
    return true;
}

void GeodesicDirect(const CCoordinateProject::EllipsoidState& ell, double phi1, double lon1, double azi1, double s,
                    double& phi2, double& lon2)
{
    const double a = ell.a, f = ell.f, b = a * (1.0 - f);
    const double sA1 = std::sin(azi1), cA1 = std::cos(azi1);
    const double tU1 = (1.0 - f) * std::tan(phi1);
    const double cU1 = 1.0 / std::sqrt(1.0 + tU1 * tU1), sU1 = tU1 * cU1;
    const double sigma1 = std::atan2(tU1, cA1);
    const double sinAlpha = cU1 * sA1;
    const double cos2Alpha = 1.0 - sinAlpha * sinAlpha;
    const double u2 = cos2Alpha * (a * a - b * b) / (b * b);
    const double A = 1.0 + u2 / 16384.0 * (4096.0 + u2 * (-768.0 + u2 * (320.0 - 175.0 * u2)));
    const double Bc = u2 / 1024.0 * (256.0 + u2 * (-128.0 + u2 * (74.0 - 47.0 * u2)));
    double sigma = s / (b * A), cos2SigmaM = 0, sinSigma = 0, cosSigma = 0;
    for (int i = 0; i < 200; ++i)
    {
        cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
        sinSigma = std::sin(sigma);
        cosSigma = std::cos(sigma);
        const double dSigma =
            Bc * sinSigma *
            (cos2SigmaM + Bc / 4.0 *
                              (cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM) -
                               Bc / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) *
                                   (-3.0 + 4.0 * cos2SigmaM * cos2SigmaM)));
        const double next = s / (b * A) + dSigma;
        const bool done = std::fabs(next - sigma) < 1e-14;
        sigma = next;
        if (done) break;
    }
    cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
    sinSigma = std::sin(sigma);
    cosSigma = std::cos(sigma);
    const double tmp = sU1 * sinSigma - cU1 * cosSigma * cA1;
    phi2 = std::atan2(sU1 * cosSigma + cU1 * sinSigma * cA1, (1.0 - f) * std::hypot(sinAlpha, tmp));
    const double lambda = std::atan2(sinSigma * sA1, cU1 * cosSigma - sU1 * sinSigma * cA1);
    const double C = f / 16.0 * cos2Alpha * (4.0 + f * (4.0 - 3.0 * cos2Alpha));
    const double Ld = lambda - (1.0 - C) * f * sinAlpha *
                                   (sigma + C * sinSigma * (cos2SigmaM + C * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
    lon2 = WrapPi(lon1 + Ld);
}

// Type-3 style ellipsoidal stereographic with scale one at the origin.
void StereoSetup(CCoordinateProject::AzimuthalState& s)
{
    const double B0 = s.OriginLatitude, e = s.ell.e;
    if (std::fabs(std::fabs(B0) - kHalfPi) < 1e-10)
    {
        s.aspect = (B0 < 0) ? 0 : 1;
        s.K1 = 2.0 / std::sqrt(std::pow(1 + e, 1 + e) * std::pow(1 - e, 1 - e));
        return;
    }
    const double s0 = std::sin(B0);
    s.aspect = std::fabs(B0) <= 1e-10 ? 3 : 2;
    s.K1 = 2.0 * std::cos(B0) / std::sqrt(1.0 - s.ell.e2 * s0 * s0);
    const double chi0 = 2.0 * std::atan(Ssfn(B0, e)) - kHalfPi;
    s.sinX0 = std::sin(chi0);
    s.cosX0 = std::cos(chi0);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Azimuthal projections

namespace
{
long CheckAzimuthal(double a, double f, double OriginLatitude, double CentralMeridian, double FalseEasting,
                    double FalseNorthing)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude, kHalfPi)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    return error;
}

CCoordinateProject::AzimuthalState MakeAzimuthal(double a, double f, double OriginLatitude, double CentralMeridian,
                                                 double FalseEasting, double FalseNorthing)
{
    CCoordinateProject::AzimuthalState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.N0 = PrimeVertical(s.ell, OriginLatitude);
    return s;
}

void GetAzimuthal(const CCoordinateProject::AzimuthalState& s, double& a, double& f, double& OriginLatitude,
                  double& CentralMeridian, double& FalseEasting, double& FalseNorthing)
{
    a = s.ell.a;
    f = s.ell.f;
    OriginLatitude = s.OriginLatitude;
    CentralMeridian = s.CentralMeridian;
    FalseEasting = s.FalseEasting;
    FalseNorthing = s.FalseNorthing;
}
} // namespace

long CCoordinateProject::Set_Stereographic_Parameters(double a, double f, double OriginLatitude,
                                                      double CentralMeridian, double FalseEasting,
                                                      double FalseNorthing)
{
    const long error = CheckAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    if (error) return error;
    AzimuthalState s = MakeAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    StereoSetup(s);
    m_Stereographic = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Stereographic_Parameters(double& a, double& f, double& OriginLatitude,
                                                      double& CentralMeridian, double& FalseEasting,
                                                      double& FalseNorthing) const
{
    GetAzimuthal(m_Stereographic, a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
}

long CCoordinateProject::Convert_Geodetic_To_Stereographic(double B, double L, double& Easting, double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const AzimuthalState& s = m_Stereographic;
    const double e = s.ell.e;
    const double lambda = WrapPi(L - s.CentralMeridian);
    const double sl = std::sin(lambda), cl = std::cos(lambda);
    double X = 0, Y = 0;
    if (s.aspect == 0 || s.aspect == 1)
    {
        const bool north = s.aspect == 1;
        if (std::fabs(B + (north ? kHalfPi : -kHalfPi)) < 1e-12) return PROJ_LAT_ERROR; // opposite pole
        const double rho = s.K1 * Tsfn(north ? B : -B, e);
        X = rho * sl;
        Y = north ? -rho * cl : rho * cl;
    }
    else
    {
        const double chi = 2.0 * std::atan(Ssfn(B, e)) - kHalfPi;
        const double sc = std::sin(chi), cc = std::cos(chi);
        const double denom = s.cosX0 * (1.0 + s.sinX0 * sc + s.cosX0 * cc * cl);
        if (std::fabs(denom) < 1e-12) return PROJ_DOMAIN_ERROR; // the antipode of the origin
        const double A = s.K1 / denom;
        X = A * cc * sl;
        Y = A * (s.cosX0 * sc - s.sinX0 * cc * cl);
    }
    Easting = s.ell.a * X + s.FalseEasting;
    Northing = s.ell.a * Y + s.FalseNorthing;
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Stereographic_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const AzimuthalState& s = m_Stereographic;
    const double e = s.ell.e;
    double X = (Easting - s.FalseEasting) / s.ell.a;
    double Y = (Northing - s.FalseNorthing) / s.ell.a;
    const double rho = std::hypot(X, Y);
    double lambda = 0.0;
    if (s.aspect == 0 || s.aspect == 1)
    {
        const bool north = s.aspect == 1;
        if (north) Y = -Y;
        const double phi = PhiFromT(rho / s.K1, e);
        B = north ? phi : -phi;
        lambda = (rho == 0.0) ? 0.0 : std::atan2(X, Y);
    }
    else
    {
        double chi = std::asin(s.sinX0);
        if (rho > 0.0)
        {
            const double c = 2.0 * std::atan2(rho * s.cosX0, s.K1);
            const double sc = std::sin(c), cc = std::cos(c);
            chi = std::asin(std::max(-1.0, std::min(1.0, cc * s.sinX0 + Y * sc * s.cosX0 / rho)));
            lambda = std::atan2(X * sc, rho * s.cosX0 * cc - Y * s.sinX0 * sc);
        }
        B = PhiFromT(1.0 / Ssfn(chi, 0.0), e);
    }
    L = WrapPi(lambda + s.CentralMeridian);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Set_Orthographic_Parameters(double a, double f, double OriginLatitude,
                                                     double CentralMeridian, double FalseEasting,
                                                     double FalseNorthing)
{
    const long error = CheckAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    if (error) return error;
    m_Orthographic = MakeAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Orthographic_Parameters(double& a, double& f, double& OriginLatitude,
                                                     double& CentralMeridian, double& FalseEasting,
                                                     double& FalseNorthing) const
{
    GetAzimuthal(m_Orthographic, a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
}

namespace
{
// Ellipsoidal orthographic: the point is projected perpendicularly onto the plane tangent at the
// origin. Returns plane offsets from the origin.
void OrthoXY(const CCoordinateProject::AzimuthalState& s, double phi, double lambda, double& x, double& y)
{
    const double sp = std::sin(phi), cp = std::cos(phi);
    const double s0 = std::sin(s.OriginLatitude), c0 = std::cos(s.OriginLatitude);
    const double N = PrimeVertical(s.ell, phi);
    x = N * cp * std::sin(lambda);
    y = N * (sp * c0 - cp * s0 * std::cos(lambda)) + s.ell.e2 * (s.N0 * s0 - N * sp) * c0;
}
} // namespace

long CCoordinateProject::Convert_Geodetic_To_Orthographic(double B, double L, double& Easting, double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const AzimuthalState& s = m_Orthographic;
    const double lambda = WrapPi(L - s.CentralMeridian);
    const double cosc = std::sin(s.OriginLatitude) * std::sin(B) +
                        std::cos(s.OriginLatitude) * std::cos(B) * std::cos(lambda);
    if (cosc < -1e-10) return PROJ_DOMAIN_ERROR; // beyond the horizon
    double x = 0, y = 0;
    OrthoXY(s, B, lambda, x, y);
    Easting = x + s.FalseEasting;
    Northing = y + s.FalseNorthing;
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Orthographic_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const AzimuthalState& s = m_Orthographic;
    const double x = Easting - s.FalseEasting, y = Northing - s.FalseNorthing;
    const double a = s.ell.a;
    const double rho = std::hypot(x, y);
    if (rho > a * (1.0 + 1e-9)) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const double s0 = std::sin(s.OriginLatitude), c0 = std::cos(s.OriginLatitude);
    // Spherical start, then Newton on the ellipsoidal equations.
    double phi = s.OriginLatitude, lambda = 0.0;
    if (rho > 0.0)
    {
        const double sc = std::min(1.0, rho / a), cc = std::sqrt(std::max(0.0, 1.0 - sc * sc));
        phi = std::asin(std::max(-1.0, std::min(1.0, cc * s0 + y * sc * c0 / rho)));
        lambda = std::atan2(x * sc, rho * c0 * cc - y * s0 * sc);
    }
    bool converged = false;
    for (int i = 0; i < 30; ++i)
    {
        double fx = 0, fy = 0;
        OrthoXY(s, phi, lambda, fx, fy);
        fx -= x;
        fy -= y;
        if (std::hypot(fx, fy) < 1e-9)
        {
            converged = true;
            break;
        }
        const double sp = std::sin(phi), cp = std::cos(phi), sl = std::sin(lambda), cl = std::cos(lambda);
        const double W2 = 1.0 - s.ell.e2 * sp * sp;
        const double N = a / std::sqrt(W2), M = a * (1.0 - s.ell.e2) / (W2 * std::sqrt(W2));
        const double j11 = -M * sp * sl, j12 = N * cp * cl;
        const double j21 = M * (cp * c0 + sp * s0 * cl), j22 = N * cp * s0 * sl;
        const double det = j11 * j22 - j12 * j21;
        if (std::fabs(det) < 1e-6) break;
        double dphi = (fx * j22 - fy * j12) / det;
        double dlam = (j11 * fy - j21 * fx) / det;
        dphi = std::max(-0.5, std::min(0.5, dphi));
        dlam = std::max(-0.5, std::min(0.5, dlam));
        phi = std::max(-kHalfPi, std::min(kHalfPi, phi - dphi));
        lambda -= dlam;
    }
    if (!converged) return PROJ_DOMAIN_ERROR;
    B = phi;
    L = WrapPi(lambda + s.CentralMeridian);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Set_Azimuthal_Equidistant_Parameters(double a, double f, double OriginLatitude,
                                                              double CentralMeridian, double FalseEasting,
                                                              double FalseNorthing)
{
    const long error = CheckAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    if (error) return error;
    m_AzimuthalEquidistant = MakeAzimuthal(a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Azimuthal_Equidistant_Parameters(double& a, double& f, double& OriginLatitude,
                                                              double& CentralMeridian, double& FalseEasting,
                                                              double& FalseNorthing) const
{
    GetAzimuthal(m_AzimuthalEquidistant, a, f, OriginLatitude, CentralMeridian, FalseEasting, FalseNorthing);
}

long CCoordinateProject::Convert_Geodetic_To_Azimuthal_Equidistant(double B, double L, double& Easting,
                                                                   double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const AzimuthalState& s = m_AzimuthalEquidistant;
    double dist = 0, azi = 0;
    if (!GeodesicInverse(s.ell, s.OriginLatitude, s.CentralMeridian, B, L, dist, azi)) return PROJ_DOMAIN_ERROR;
    Easting = s.FalseEasting + dist * std::sin(azi);
    Northing = s.FalseNorthing + dist * std::cos(azi);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Azimuthal_Equidistant_To_Geodetic(double Easting, double Northing, double& B,
                                                                   double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const AzimuthalState& s = m_AzimuthalEquidistant;
    const double dx = Easting - s.FalseEasting, dy = Northing - s.FalseNorthing;
    const double dist = std::hypot(dx, dy);
    if (dist > kPi * s.ell.a) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (dist == 0.0)
    {
        B = s.OriginLatitude;
        L = s.CentralMeridian;
        return PROJ_NO_ERROR;
    }
    GeodesicDirect(s.ell, s.OriginLatitude, s.CentralMeridian, std::atan2(dx, dy), dist, B, L);
    return PROJ_NO_ERROR;
}
