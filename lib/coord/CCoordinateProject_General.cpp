// The general-purpose projection routines of CCoordinateProject. Each keeps its state in the
// instance; a set-up that fails any check stores nothing.

#include "coord/CCoordinateProject.h"

#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;

namespace
{
constexpr double kMaxLat = 1.5707914786580854; // 90° less one second
constexpr double kDeg = kPi / 180.0;

bool FiniteAll(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Checks shared by every set-up: axis, flattening, origin latitude, central meridian.
long CheckEllipsoid(double a, double f)
{
    long error = PROJ_NO_ERROR;
    if (!(a > 0.0) || !std::isfinite(a)) error |= PROJ_A_ERROR;
    const double invF = (f != 0.0) ? 1.0 / f : 0.0;
    if (!(invF >= 250.0 && invF <= 350.0)) error |= PROJ_INV_F_ERROR;
    return error;
}

bool LatitudeOk(double lat, double limit = kMaxLat) { return std::isfinite(lat) && lat >= -limit && lat <= limit; }
bool LongitudeOk(double lon) { return std::isfinite(lon) && lon >= -kPi && lon <= kTwoPi; }
double StoreLongitude(double lon) { return lon > kPi ? lon - kTwoPi : lon; }

CCoordinateProject::EllipsoidState MakeEllipsoid(double a, double f)
{
    CCoordinateProject::EllipsoidState s;
    s.a = a;
    s.f = f;
    s.e2 = 2.0 * f - f * f;
    s.e = std::sqrt(s.e2);
    return s;
}

double PrimeVertical(const CCoordinateProject::EllipsoidState& ell, double phi)
{
    const double s = std::sin(phi);
    return ell.a / std::sqrt(1.0 - ell.e2 * s * s);
}

// Conic projections (Lambert): rho(φ) = a·F·t(φ)^n.
long ConicForward(const CCoordinateProject::LambertState& s, double B, double L, double& E, double& N)
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(B, kHalfPi)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    if (error) return error;
    double rho = 0.0;
    if (std::fabs(std::fabs(B) - kHalfPi) < 1e-12)
    {
        // The pole at the cone's apex maps to a point; the other one to infinity.
        if (B * s.n <= 0.0) return PROJ_LAT_ERROR;
    }
    else
        rho = s.ell.a * s.F * std::pow(Tsfn(B, s.ell.e), s.n);
    const double theta = s.n * WrapPi(L - s.CentralMeridian);
    E = rho * std::sin(theta) + s.FalseEasting;
    N = s.rho0 - rho * std::cos(theta) + s.FalseNorthing;
    return PROJ_NO_ERROR;
}

long ConicInverse(const CCoordinateProject::LambertState& s, double E, double N, double& B, double& L)
{
    if (!FiniteAll({E, N})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const double dx = E - s.FalseEasting;
    const double dy = s.rho0 - (N - s.FalseNorthing);
    const double sign = s.n < 0 ? -1.0 : 1.0;
    const double rho = sign * std::hypot(dx, dy);
    if (rho == 0.0)
    {
        B = sign * kHalfPi;
        L = s.CentralMeridian;
        return PROJ_NO_ERROR;
    }
    const double theta = std::atan2(sign * dx, sign * dy);
    const double t = std::pow(rho / (s.ell.a * s.F), 1.0 / s.n);
    B = PhiFromT(t, s.ell.e);
    L = WrapPi(theta / s.n + s.CentralMeridian);
    return PROJ_NO_ERROR;
}

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

// Krüger series of the transverse Mercator.
void TmSetup(CCoordinateProject::TransverseMercatorState& s)
{
    const double n = s.ell.f / (2.0 - s.ell.f);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    s.n = n;
    s.A = s.ell.a / (1.0 + n) * (1.0 + n2 / 4.0 + n4 / 64.0 + n6 / 256.0);
    s.alpha[1] = n / 2 - 2.0 / 3 * n2 + 5.0 / 16 * n3 + 41.0 / 180 * n4 - 127.0 / 288 * n5 + 7891.0 / 37800 * n6;
    s.alpha[2] = 13.0 / 48 * n2 - 3.0 / 5 * n3 + 557.0 / 1440 * n4 + 281.0 / 630 * n5 - 1983433.0 / 1935360 * n6;
    s.alpha[3] = 61.0 / 240 * n3 - 103.0 / 140 * n4 + 15061.0 / 26880 * n5 + 167603.0 / 181440 * n6;
    s.alpha[4] = 49561.0 / 161280 * n4 - 179.0 / 168 * n5 + 6601661.0 / 7257600 * n6;
    s.alpha[5] = 34729.0 / 80640 * n5 - 3418889.0 / 1995840 * n6;
    s.alpha[6] = 212378941.0 / 319334400 * n6;
    s.beta[1] = n / 2 - 2.0 / 3 * n2 + 37.0 / 96 * n3 - 1.0 / 360 * n4 - 81.0 / 512 * n5 + 96199.0 / 604800 * n6;
    s.beta[2] = 1.0 / 48 * n2 + 1.0 / 15 * n3 - 437.0 / 1440 * n4 + 46.0 / 105 * n5 - 1118711.0 / 3870720 * n6;
    s.beta[3] = 17.0 / 480 * n3 - 37.0 / 840 * n4 - 209.0 / 4480 * n5 + 5569.0 / 90720 * n6;
    s.beta[4] = 4397.0 / 161280 * n4 - 11.0 / 504 * n5 - 830251.0 / 7257600 * n6;
    s.beta[5] = 4583.0 / 161280 * n5 - 108847.0 / 3991680 * n6;
    s.beta[6] = 20648693.0 / 638668800 * n6;
    // ξ of the origin latitude on the central meridian: the conformal latitude through the series.
    const double e = s.ell.e;
    const double phi0 = s.OriginLatitude;
    const double t = std::sinh(std::atanh(std::sin(phi0)) - e * std::atanh(e * std::sin(phi0)));
    const double xiP = std::atan(t);
    double xi = xiP;
    for (int j = 1; j <= 6; ++j) xi += s.alpha[j] * std::sin(2 * j * xiP);
    s.northingOrigin = s.A * xi;
}

long TmForward(const CCoordinateProject::TransverseMercatorState& s, double B, double L, double& E, double& N)
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(B, kHalfPi)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    if (error) return error;
    const double lambda = WrapPi(L - s.CentralMeridian);
    if (std::fabs(lambda) > kHalfPi) return PROJ_LON_ERROR;
    const double e = s.ell.e;
    double t;
    if (std::fabs(B) >= kHalfPi)
        t = std::copysign(1e300, B);
    else
        t = std::sinh(std::atanh(std::sin(B)) - e * std::atanh(e * std::sin(B)));
    const double cl = std::cos(lambda);
    const double xiP = std::atan2(t, cl);
    const double denom = std::sqrt(1.0 + t * t);
    const double ratio = std::fabs(B) >= kHalfPi ? 0.0 : std::sin(lambda) / denom;
    if (std::fabs(ratio) >= 1.0) return PROJ_LON_ERROR;
    const double etaP = std::atanh(ratio);
    double xi = xiP, eta = etaP;
    for (int j = 1; j <= 6; ++j)
    {
        xi += s.alpha[j] * std::sin(2 * j * xiP) * std::cosh(2 * j * etaP);
        eta += s.alpha[j] * std::cos(2 * j * xiP) * std::sinh(2 * j * etaP);
    }
    E = s.FalseEasting + s.Scale * s.A * eta;
    N = s.FalseNorthing + s.Scale * (s.A * xi - s.northingOrigin);
    return PROJ_NO_ERROR;
}

long TmInverse(const CCoordinateProject::TransverseMercatorState& s, double E, double N, double& B, double& L)
{
    if (!FiniteAll({E, N})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const double xi = (N - s.FalseNorthing + s.Scale * s.northingOrigin) / (s.Scale * s.A);
    const double eta = (E - s.FalseEasting) / (s.Scale * s.A);
    if (std::fabs(eta) > 10.0) return PROJ_EASTING_ERROR;
    double xiP = xi, etaP = eta;
    for (int j = 1; j <= 6; ++j)
    {
        xiP -= s.beta[j] * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
        etaP -= s.beta[j] * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
    }
    const double chi = std::asin(std::max(-1.0, std::min(1.0, std::sin(xiP) / std::cosh(etaP))));
    L = WrapPi(s.CentralMeridian + std::atan2(std::sinh(etaP), std::cos(xiP)));
    // Latitude from the conformal latitude.
    const double e = s.ell.e;
    double phi = chi;
    for (int i = 0; i < 30; ++i)
    {
        const double es = e * std::sin(phi);
        const double next = 2.0 * std::atan(std::tan(kPi / 4 + chi / 2) * std::pow((1.0 + es) / (1.0 - es), e / 2)) - kHalfPi;
        const bool done = std::fabs(next - phi) < 1e-15;
        phi = next;
        if (done) break;
    }
    B = phi;
    return PROJ_NO_ERROR;
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
// Mercator

long CCoordinateProject::Set_Mercator_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                                 double FalseEasting, double FalseNorthing, double& ScaleFactor)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (error) return error;
    MercatorState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    const double e2 = s.ell.e2, e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2;
    const double sl = std::sin(OriginLatitude);
    s.Scale = std::cos(OriginLatitude) / std::sqrt(1.0 - e2 * sl * sl);
    s.ab = e2 / 2 + 5 * e4 / 24 + e6 / 12 + 13 * e8 / 360;
    s.bb = 7 * e4 / 48 + 29 * e6 / 240 + 811 * e8 / 11520;
    s.cb = 7 * e6 / 120 + 81 * e8 / 1120;
    s.db = 4279 * e8 / 161280;
    const double ak = a * s.Scale;
    s.DeltaEasting = ak * kPi * 1.01;
    s.DeltaNorthing = ak * std::log(1.0 / Tsfn(kMaxLat, s.ell.e)) * 1.01;
    m_Mercator = s;
    ScaleFactor = s.Scale;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Mercator_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                                 double& FalseEasting, double& FalseNorthing, double& ScaleFactor) const
{
    a = m_Mercator.ell.a;
    f = m_Mercator.ell.f;
    OriginLatitude = m_Mercator.OriginLatitude;
    CentralMeridian = m_Mercator.CentralMeridian;
    FalseEasting = m_Mercator.FalseEasting;
    FalseNorthing = m_Mercator.FalseNorthing;
    ScaleFactor = m_Mercator.Scale;
}

long CCoordinateProject::Convert_Geodetic_To_Mercator(double B, double L, double& Easting, double& Northing) const
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(B)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    if (error) return error;
    const MercatorState& s = m_Mercator;
    const double ak = s.ell.a * s.Scale;
    Easting = ak * WrapPi(L - s.CentralMeridian) + s.FalseEasting;
    Northing = ak * std::log(1.0 / Tsfn(B, s.ell.e)) + s.FalseNorthing;
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Mercator_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    const MercatorState& s = m_Mercator;
    long error = PROJ_NO_ERROR;
    if (!std::isfinite(Easting) || std::fabs(Easting - s.FalseEasting) > s.DeltaEasting) error |= PROJ_EASTING_ERROR;
    if (!std::isfinite(Northing) || std::fabs(Northing - s.FalseNorthing) > s.DeltaNorthing)
        error |= PROJ_NORTHING_ERROR;
    if (error) return error;
    const double ak = s.ell.a * s.Scale;
    L = WrapPi((Easting - s.FalseEasting) / ak + s.CentralMeridian);
    const double chi = kHalfPi - 2.0 * std::atan(std::exp(-(Northing - s.FalseNorthing) / ak));
    B = chi + s.ab * std::sin(2 * chi) + s.bb * std::sin(4 * chi) + s.cb * std::sin(6 * chi) + s.db * std::sin(8 * chi);
    return PROJ_NO_ERROR;
}

// ---------------------------------------------------------------------------------------------
// Lambert conformal conic

long CCoordinateProject::Set_Lambert_1_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                                  double FalseEasting, double FalseNorthing, double ScaleFactor)
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(OriginLatitude) || OriginLatitude == 0.0) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!(ScaleFactor >= 0.3 && ScaleFactor <= 3.0)) error |= LAMBERT_1_SCALE_FACTOR_ERROR;
    if (!(a > 0.0) || !std::isfinite(a)) error |= LAMBERT_1_A_ERROR;
    const double invF = (f != 0.0) ? 1.0 / f : 0.0;
    if (!(invF >= 250.0 && invF <= 350.0)) error |= LAMBERT_1_INV_F_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (error) return error;
    LambertState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.Scale = ScaleFactor;
    const double sl = std::sin(OriginLatitude);
    s.n = sl;
    s.t0 = Tsfn(OriginLatitude, s.ell.e);
    const double m0 = std::cos(OriginLatitude) / std::sqrt(1.0 - s.ell.e2 * sl * sl);
    s.F = ScaleFactor * m0 / (s.n * std::pow(s.t0, s.n));
    s.rho0 = a * ScaleFactor * m0 / s.n;
    m_Lambert1 = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Lambert_1_Parameters(double& a, double& f, double& OriginLatitude,
                                                  double& CentralMeridian, double& FalseEasting,
                                                  double& FalseNorthing, double& ScaleFactor) const
{
    a = m_Lambert1.ell.a;
    f = m_Lambert1.ell.f;
    OriginLatitude = m_Lambert1.OriginLatitude;
    CentralMeridian = m_Lambert1.CentralMeridian;
    FalseEasting = m_Lambert1.FalseEasting;
    FalseNorthing = m_Lambert1.FalseNorthing;
    ScaleFactor = m_Lambert1.Scale;
}

long CCoordinateProject::Convert_Geodetic_To_Lambert_1(double B, double L, double& Easting, double& Northing) const
{
    return ConicForward(m_Lambert1, B, L, Easting, Northing);
}

long CCoordinateProject::Convert_Lambert_1_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    return ConicInverse(m_Lambert1, Easting, Northing, B, L);
}

namespace
{
long CheckTwoParallels(double a, double f, double OriginLatitude, double CentralMeridian, double P1, double P2,
                       double FalseEasting, double FalseNorthing)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!LatitudeOk(P1)) error |= PROJ_FIRST_STDP_ERROR;
    if (!LatitudeOk(P2)) error |= PROJ_SECOND_STDP_ERROR;
    if (std::fabs(P1 + P2) < 1e-10) error |= PROJ_STDP_ERROR; // symmetric parallels: no cone
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    return error;
}

// Cone constant and F of a two-parallel Lambert.
void TwoParallelCone(const CCoordinateProject::EllipsoidState& ell, double P1, double P2, double& n, double& F)
{
    const double e = ell.e;
    const double s1 = std::sin(P1), s2 = std::sin(P2);
    const double m1 = std::cos(P1) / std::sqrt(1.0 - ell.e2 * s1 * s1);
    const double m2 = std::cos(P2) / std::sqrt(1.0 - ell.e2 * s2 * s2);
    const double t1 = Tsfn(P1, e), t2 = Tsfn(P2, e);
    if (std::fabs(P1 - P2) > 1e-10)
        n = (std::log(m1) - std::log(m2)) / (std::log(t1) - std::log(t2));
    else
        n = s1;
    F = m1 / (n * std::pow(t1, n));
}
} // namespace

long CCoordinateProject::Set_Lambert_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                                double StdParallel1, double StdParallel2, double FalseEasting,
                                                double FalseNorthing)
{
    const long error = CheckTwoParallels(a, f, OriginLatitude, CentralMeridian, StdParallel1, StdParallel2,
                                         FalseEasting, FalseNorthing);
    if (error) return error;
    Lambert2State s;
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.StdParallel1 = StdParallel1;
    s.StdParallel2 = StdParallel2;
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    LambertState& c = s.reduced;
    c.ell = MakeEllipsoid(a, f);
    TwoParallelCone(c.ell, StdParallel1, StdParallel2, c.n, c.F);
    c.OriginLatitude = OriginLatitude;
    c.CentralMeridian = s.CentralMeridian;
    c.FalseEasting = FalseEasting;
    c.FalseNorthing = FalseNorthing;
    c.Scale = 1.0;
    c.t0 = Tsfn(OriginLatitude, c.ell.e);
    c.rho0 = (std::fabs(std::fabs(OriginLatitude) - kHalfPi) < 1e-12) ? 0.0 : a * c.F * std::pow(c.t0, c.n);
    m_Lambert = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Lambert_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                                double& StdParallel1, double& StdParallel2, double& FalseEasting,
                                                double& FalseNorthing) const
{
    a = m_Lambert.reduced.ell.a;
    f = m_Lambert.reduced.ell.f;
    OriginLatitude = m_Lambert.OriginLatitude;
    CentralMeridian = m_Lambert.CentralMeridian;
    StdParallel1 = m_Lambert.StdParallel1;
    StdParallel2 = m_Lambert.StdParallel2;
    FalseEasting = m_Lambert.FalseEasting;
    FalseNorthing = m_Lambert.FalseNorthing;
}

long CCoordinateProject::Convert_Geodetic_To_Lambert(double B, double L, double& Easting, double& Northing) const
{
    return ConicForward(m_Lambert.reduced, B, L, Easting, Northing);
}

long CCoordinateProject::Convert_Lambert_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    return ConicInverse(m_Lambert.reduced, Easting, Northing, B, L);
}

long CCoordinateProject::Set_Lambert_2_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                                  double StdParallel1, double StdParallel2, double FalseEasting,
                                                  double FalseNorthing)
{
    const long error = CheckTwoParallels(a, f, OriginLatitude, CentralMeridian, StdParallel1, StdParallel2,
                                         FalseEasting, FalseNorthing);
    if (error) return error;
    Lambert2State s;
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.StdParallel1 = StdParallel1;
    s.StdParallel2 = StdParallel2;
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    // The equivalent one-parallel cone: its origin is the parallel where the scale is least
    // (sin φ = n), its scale factor the one that reproduces the radii, and its false northing
    // carries the grid back to the requested origin.
    LambertState& c = s.reduced;
    c.ell = MakeEllipsoid(a, f);
    double n = 0, F = 0;
    TwoParallelCone(c.ell, StdParallel1, StdParallel2, n, F);
    const double phi1 = std::asin(n);
    const double s1 = std::sin(phi1);
    const double m1 = std::cos(phi1) / std::sqrt(1.0 - c.ell.e2 * s1 * s1);
    const double t1 = Tsfn(phi1, c.ell.e);
    const double rhoOrigin =
        (std::fabs(std::fabs(OriginLatitude) - kHalfPi) < 1e-12) ? 0.0 : a * F * std::pow(Tsfn(OriginLatitude, c.ell.e), n);
    c.n = n;
    c.F = F;
    c.OriginLatitude = phi1;
    c.CentralMeridian = s.CentralMeridian;
    c.Scale = F * n * std::pow(t1, n) / m1;
    c.t0 = t1;
    c.rho0 = a * c.Scale * m1 / n;
    c.FalseEasting = FalseEasting;
    c.FalseNorthing = FalseNorthing + rhoOrigin - c.rho0;
    m_Lambert2 = s;
    // The two-parallel routine is configured with the same definition.
    Set_Lambert_Parameters(a, f, OriginLatitude, CentralMeridian, StdParallel1, StdParallel2, FalseEasting,
                           FalseNorthing);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Lambert_2_Parameters(double& a, double& f, double& OriginLatitude,
                                                  double& CentralMeridian, double& StdParallel1,
                                                  double& StdParallel2, double& FalseEasting,
                                                  double& FalseNorthing) const
{
    a = m_Lambert2.reduced.ell.a;
    f = m_Lambert2.reduced.ell.f;
    OriginLatitude = m_Lambert2.OriginLatitude;
    CentralMeridian = m_Lambert2.CentralMeridian;
    StdParallel1 = m_Lambert2.StdParallel1;
    StdParallel2 = m_Lambert2.StdParallel2;
    FalseEasting = m_Lambert2.FalseEasting;
    FalseNorthing = m_Lambert2.FalseNorthing;
}

long CCoordinateProject::Convert_Geodetic_To_Lambert_2(double B, double L, double& Easting, double& Northing) const
{
    return ConicForward(m_Lambert2.reduced, B, L, Easting, Northing);
}

long CCoordinateProject::Convert_Lambert_2_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    return ConicInverse(m_Lambert2.reduced, Easting, Northing, B, L);
}

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

long CheckPoint(double B, double L)
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(B, kHalfPi)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    return error;
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

// ---------------------------------------------------------------------------------------------
// Transverse Mercator and UTM

long CCoordinateProject::Set_Transverse_Mercator_Parameters(double a, double f, double OriginLatitude,
                                                            double CentralMeridian, double FalseEasting,
                                                            double FalseNorthing, double ScaleFactor)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude, kHalfPi)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!(ScaleFactor >= 0.3 && ScaleFactor <= 3.0)) error |= PROJ_SCALE_FACTOR_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (error) return error;
    TransverseMercatorState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.Scale = ScaleFactor;
    TmSetup(s);
    m_TransverseMercator = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Transverse_Mercator_Parameters(double& a, double& f, double& OriginLatitude,
                                                            double& CentralMeridian, double& FalseEasting,
                                                            double& FalseNorthing, double& ScaleFactor) const
{
    const TransverseMercatorState& s = m_TransverseMercator;
    a = s.ell.a;
    f = s.ell.f;
    OriginLatitude = s.OriginLatitude;
    CentralMeridian = s.CentralMeridian;
    FalseEasting = s.FalseEasting;
    FalseNorthing = s.FalseNorthing;
    ScaleFactor = s.Scale;
}

long CCoordinateProject::Convert_Geodetic_To_Transverse_Mercator(double B, double L, double& Easting,
                                                                 double& Northing) const
{
    return TmForward(m_TransverseMercator, B, L, Easting, Northing);
}

long CCoordinateProject::Convert_Transverse_Mercator_To_Geodetic(double Easting, double Northing, double& B,
                                                                 double& L) const
{
    return TmInverse(m_TransverseMercator, Easting, Northing, B, L);
}

long CCoordinateProject::Set_UTM_Parameters(double a, double f, long override)
{
    long error = CheckEllipsoid(a, f);
    if (override < 0 || override > 60) error |= PROJ_ZONE_ERROR;
    if (error) return error;
    m_UTM.ell = MakeEllipsoid(a, f);
    m_UTM.Override = override;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_UTM_Parameters(double& a, double& f, long& override) const
{
    a = m_UTM.ell.a;
    f = m_UTM.ell.f;
    override = m_UTM.Override;
}

long CCoordinateProject::Convert_Geodetic_To_UTM(double B, double L, long& Zone, char& Hemisphere, double& Easting,
                                                 double& Northing)
{
    long error = PROJ_NO_ERROR;
    if (!(B >= -80.5 * kDeg && B <= 84.5 * kDeg)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    if (error) return error;
    const double lon = WrapPi(L);
    const double lonDeg = lon / kDeg, latDeg = B / kDeg;
    long zone = static_cast<long>(std::floor((lonDeg + 180.0) / 6.0)) + 1;
    if (zone > 60) zone = 1;
    // The Norway and Svalbard exceptions of the zone grid.
    if (latDeg >= 56.0 && latDeg < 64.0 && lonDeg >= 3.0 && lonDeg < 12.0) zone = 32;
    if (latDeg >= 72.0)
    {
        if (lonDeg >= 0.0 && lonDeg < 9.0) zone = 31;
        else if (lonDeg >= 9.0 && lonDeg < 21.0) zone = 33;
        else if (lonDeg >= 21.0 && lonDeg < 33.0) zone = 35;
        else if (lonDeg >= 33.0 && lonDeg < 42.0) zone = 37;
    }
    if (m_UTM.Override != 0)
    {
        // An override may move the point at most one zone away.
        const long diff = std::labs(m_UTM.Override - zone);
        if (diff > 1 && diff < 59) return PROJ_ZONE_ERROR;
        zone = m_UTM.Override;
    }
    const char hemisphere = B < 0 ? 'S' : 'N';
    TransverseMercatorState tm;
    tm.ell = m_UTM.ell;
    tm.CentralMeridian = (6.0 * zone - 183.0) * kDeg;
    tm.FalseEasting = 500000.0;
    tm.FalseNorthing = hemisphere == 'S' ? 10000000.0 : 0.0;
    tm.Scale = 0.9996;
    TmSetup(tm);
    double E = 0, N = 0;
    error = TmForward(tm, B, tm.CentralMeridian + WrapPi(lon - tm.CentralMeridian), E, N);
    if (error) return error;
    m_UTMZone = tm;
    Zone = zone;
    Hemisphere = hemisphere;
    Easting = E;
    Northing = N;
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_UTM_To_Geodetic(long Zone, char Hemisphere, double Easting, double Northing,
                                                 double& B, double& L)
{
    long error = PROJ_NO_ERROR;
    if (Zone < 1 || Zone > 60) error |= PROJ_ZONE_ERROR;
    if (Hemisphere != 'N' && Hemisphere != 'S') error |= PROJ_HEMISPHERE_ERROR;
    if (!(Easting >= 100000.0 && Easting <= 900000.0)) error |= PROJ_EASTING_ERROR;
    if (!(Northing >= 0.0 && Northing <= 10000000.0)) error |= PROJ_NORTHING_ERROR;
    if (error) return error;
    TransverseMercatorState tm;
    tm.ell = m_UTM.ell;
    tm.CentralMeridian = (6.0 * Zone - 183.0) * kDeg;
    tm.FalseEasting = 500000.0;
    tm.FalseNorthing = Hemisphere == 'S' ? 10000000.0 : 0.0;
    tm.Scale = 0.9996;
    TmSetup(tm);
    double b = 0, l = 0;
    error = TmInverse(tm, Easting, Northing, b, l);
    if (error) return error;
    if (!(b >= -80.5 * kDeg && b <= 84.5 * kDeg)) return PROJ_NORTHING_ERROR;
    m_UTMZone = tm;
    B = b;
    L = l;
    return PROJ_NO_ERROR;
}

// ---------------------------------------------------------------------------------------------
// Cylindrical projections

namespace
{
long CheckCylindrical(double a, double f, double Parallel, double CentralMeridian, double FalseEasting,
                      double FalseNorthing)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(Parallel)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    return error;
}

CCoordinateProject::CylindricalState MakeCylindrical(double a, double f, double Parallel, double CentralMeridian,
                                                     double FalseEasting, double FalseNorthing)
{
    CCoordinateProject::CylindricalState s;
    s.ell = MakeEllipsoid(a, f);
    s.StdParallel = Parallel;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.parallelRadius = PrimeVertical(s.ell, Parallel) * std::cos(Parallel);
    const double sp = std::sin(Parallel);
    s.Scale = std::cos(Parallel) / std::sqrt(1.0 - s.ell.e2 * sp * sp);
    s.qp = Qsfn(kHalfPi, s.ell.e, s.ell.e2);
    return s;
}

void GetCylindrical(const CCoordinateProject::CylindricalState& s, double& a, double& f, double& Parallel,
                    double& CentralMeridian, double& FalseEasting, double& FalseNorthing)
{
    a = s.ell.a;
    f = s.ell.f;
    Parallel = s.StdParallel;
    CentralMeridian = s.CentralMeridian;
    FalseEasting = s.FalseEasting;
    FalseNorthing = s.FalseNorthing;
}
} // namespace

long CCoordinateProject::Set_Equidistant_Cyl_Parameters(double a, double f, double StdParallel,
                                                        double CentralMeridian, double FalseEasting,
                                                        double FalseNorthing)
{
    const long error = CheckCylindrical(a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
    if (error) return error;
    m_EquidistantCyl = MakeCylindrical(a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Equidistant_Cyl_Parameters(double& a, double& f, double& StdParallel,
                                                        double& CentralMeridian, double& FalseEasting,
                                                        double& FalseNorthing) const
{
    GetCylindrical(m_EquidistantCyl, a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
}

long CCoordinateProject::Convert_Geodetic_To_Equidistant_Cyl(double B, double L, double& Easting,
                                                             double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const CylindricalState& s = m_EquidistantCyl;
    const projmath::MeridianArc arc(s.ell.a, s.ell.f);
    Easting = s.FalseEasting + s.parallelRadius * WrapPi(L - s.CentralMeridian);
    Northing = s.FalseNorthing + arc.Arc(B);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Equidistant_Cyl_To_Geodetic(double Easting, double Northing, double& B,
                                                             double& L) const
{
    const CylindricalState& s = m_EquidistantCyl;
    const projmath::MeridianArc arc(s.ell.a, s.ell.f);
    long error = PROJ_NO_ERROR;
    if (!std::isfinite(Easting) || std::fabs(Easting - s.FalseEasting) > s.parallelRadius * kPi * 1.0000001)
        error |= PROJ_EASTING_ERROR;
    if (!std::isfinite(Northing) || std::fabs(Northing - s.FalseNorthing) > arc.Arc(kHalfPi) * 1.0000001)
        error |= PROJ_NORTHING_ERROR;
    if (error) return error;
    B = std::max(-kHalfPi, std::min(kHalfPi, arc.Latitude(Northing - s.FalseNorthing)));
    L = WrapPi(s.CentralMeridian + (Easting - s.FalseEasting) / s.parallelRadius);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Set_Cyl_Eq_Area_Parameters(double a, double f, double StdParallel, double CentralMeridian,
                                                    double FalseEasting, double FalseNorthing)
{
    const long error = CheckCylindrical(a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
    if (error) return error;
    m_CylEqArea = MakeCylindrical(a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Cyl_Eq_Area_Parameters(double& a, double& f, double& StdParallel,
                                                    double& CentralMeridian, double& FalseEasting,
                                                    double& FalseNorthing) const
{
    GetCylindrical(m_CylEqArea, a, f, StdParallel, CentralMeridian, FalseEasting, FalseNorthing);
}

long CCoordinateProject::Convert_Geodetic_To_Cyl_Eq_Area(double B, double L, double& Easting, double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const CylindricalState& s = m_CylEqArea;
    Easting = s.FalseEasting + s.ell.a * s.Scale * WrapPi(L - s.CentralMeridian);
    Northing = s.FalseNorthing + s.ell.a * Qsfn(B, s.ell.e, s.ell.e2) / (2.0 * s.Scale);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Cyl_Eq_Area_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    const CylindricalState& s = m_CylEqArea;
    long error = PROJ_NO_ERROR;
    if (!std::isfinite(Easting) || std::fabs(Easting - s.FalseEasting) > s.ell.a * s.Scale * kPi * 1.0000001)
        error |= PROJ_EASTING_ERROR;
    const double q = 2.0 * s.Scale * (Northing - s.FalseNorthing) / s.ell.a;
    if (!std::isfinite(q) || std::fabs(q) > s.qp * (1.0 + 1e-12)) error |= PROJ_NORTHING_ERROR;
    if (error) return error;
    B = (std::fabs(q) >= s.qp) ? std::copysign(kHalfPi, q) : PhiFromQ(q, s.ell.e, s.ell.e2);
    L = WrapPi(s.CentralMeridian + (Easting - s.FalseEasting) / (s.ell.a * s.Scale));
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Set_Trans_Cyl_Eq_Area_Parameters(double a, double f, double OriginLatitude,
                                                          double CentralMeridian, double FalseEasting,
                                                          double FalseNorthing, double ScaleFactor)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude, kHalfPi)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LongitudeOk(CentralMeridian)) error |= PROJ_CENT_MER_ERROR;
    if (!(ScaleFactor >= 0.3 && ScaleFactor <= 3.0)) error |= PROJ_SCALE_FACTOR_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (error) return error;
    TransverseMercatorState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.Scale = ScaleFactor;
    m_TransCylEqAreaParams = s;
    m_TCEA_M0 = projmath::MeridianArc(a, f).Arc(OriginLatitude);
    m_TCEA_qp = Qsfn(kHalfPi, s.ell.e, s.ell.e2);
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Trans_Cyl_Eq_Area_Parameters(double& a, double& f, double& OriginLatitude,
                                                          double& CentralMeridian, double& FalseEasting,
                                                          double& FalseNorthing, double& ScaleFactor) const
{
    const TransverseMercatorState& s = m_TransCylEqAreaParams;
    a = s.ell.a;
    f = s.ell.f;
    OriginLatitude = s.OriginLatitude;
    CentralMeridian = s.CentralMeridian;
    FalseEasting = s.FalseEasting;
    FalseNorthing = s.FalseNorthing;
    ScaleFactor = s.Scale;
}

// The transverse cylindrical equal-area projection works through the authalic latitude β: the
// point's position on the authalic sphere is rotated so that the central meridian becomes the
// "equator" (βc along it, the cross-track component cos β sin λ across it); the central meridian
// keeps its true length (meridian arc of the latitude φc whose authalic latitude is βc) and the
// cross-track scale is chosen so that areas are preserved.
long CCoordinateProject::Convert_Geodetic_To_Trans_Cyl_Eq_Area(double B, double L, double& Easting,
                                                               double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const TransverseMercatorState& s = m_TransCylEqAreaParams;
    const double e = s.ell.e, e2 = s.ell.e2, a = s.ell.a;
    const double lambda = WrapPi(L - s.CentralMeridian);
    if (std::fabs(lambda) > kHalfPi) return PROJ_LON_ERROR;
    const double beta = std::asin(std::max(-1.0, std::min(1.0, Qsfn(B, e, e2) / m_TCEA_qp)));
    const double betaC = std::atan2(std::tan(beta), std::cos(lambda));
    const double phiC = (std::fabs(betaC) >= kHalfPi - 1e-15) ? std::copysign(kHalfPi, betaC)
                                                              : PhiFromQ(m_TCEA_qp * std::sin(betaC), e, e2);
    const double sC = std::sin(phiC);
    const double cosPhiC = std::cos(phiC), cosBetaC = std::cos(betaC);
    double x = 0.0;
    if (std::fabs(cosBetaC) > 1e-12)
        x = a * std::cos(beta) * cosPhiC * std::sin(lambda) / (s.Scale * cosBetaC * std::sqrt(1.0 - e2 * sC * sC));
    else // towards the pole cos φc / (cos βc √(1 − e² sin²φc)) tends to √(qp / 2) / √(1 − e²) · √(1 − e²)
        x = a * std::cos(beta) * std::sin(lambda) * std::sqrt(0.5 * m_TCEA_qp) / s.Scale;
    const projmath::MeridianArc arc(a, s.ell.f);
    Easting = s.FalseEasting + x;
    Northing = s.FalseNorthing + s.Scale * (arc.Arc(phiC) - m_TCEA_M0);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Trans_Cyl_Eq_Area_To_Geodetic(double Easting, double Northing, double& B,
                                                               double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const TransverseMercatorState& s = m_TransCylEqAreaParams;
    const double e = s.ell.e, e2 = s.ell.e2, a = s.ell.a;
    const projmath::MeridianArc arc(a, s.ell.f);
    const double M = m_TCEA_M0 + (Northing - s.FalseNorthing) / s.Scale;
    const double quarter = arc.Arc(kHalfPi);
    if (std::fabs(M) > quarter * 1.0000001) return PROJ_NORTHING_ERROR;
    const double phiC = std::max(-kHalfPi, std::min(kHalfPi, arc.Latitude(M)));
    const double betaC = std::asin(std::max(-1.0, std::min(1.0, Qsfn(phiC, e, e2) / m_TCEA_qp)));
    const double sC = std::sin(phiC);
    const double cosPhiC = std::cos(phiC), cosBetaC = std::cos(betaC);
    const double ratio = (std::fabs(cosBetaC) > 1e-12) ? cosBetaC * std::sqrt(1.0 - e2 * sC * sC) / cosPhiC
                                                        : 1.0 / std::sqrt(0.5 * m_TCEA_qp);
    const double c = (Easting - s.FalseEasting) * s.Scale * ratio / a;
    if (std::fabs(c) > 1.0 + 1e-12) return PROJ_EASTING_ERROR;
    const double cc = std::sqrt(std::max(0.0, 1.0 - c * c));
    const double beta = std::asin(std::max(-1.0, std::min(1.0, cc * std::sin(betaC))));
    const double lambda = std::atan2(c, cc * std::cos(betaC));
    B = (std::fabs(beta) >= kHalfPi - 1e-15) ? std::copysign(kHalfPi, beta) : PhiFromQ(m_TCEA_qp * std::sin(beta), e, e2);
    L = WrapPi(s.CentralMeridian + lambda);
    return PROJ_NO_ERROR;
}

// ---------------------------------------------------------------------------------------------
// Albers equal-area conic

long CCoordinateProject::Set_Albers_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                               double StdParallel1, double StdParallel2, double FalseEasting,
                                               double FalseNorthing)
{
    const long error = CheckTwoParallels(a, f, OriginLatitude, CentralMeridian, StdParallel1, StdParallel2,
                                         FalseEasting, FalseNorthing);
    if (error) return error;
    AlbersState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.CentralMeridian = StoreLongitude(CentralMeridian);
    s.StdParallel1 = StdParallel1;
    s.StdParallel2 = StdParallel2;
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    const double e = s.ell.e, e2 = s.ell.e2;
    auto m = [&](double phi) {
        const double sp = std::sin(phi);
        return std::cos(phi) / std::sqrt(1.0 - e2 * sp * sp);
    };
    const double m1 = m(StdParallel1), m2 = m(StdParallel2);
    const double q1 = Qsfn(StdParallel1, e, e2), q2 = Qsfn(StdParallel2, e, e2), q0 = Qsfn(OriginLatitude, e, e2);
    s.n = (std::fabs(StdParallel1 - StdParallel2) > 1e-10) ? (m1 * m1 - m2 * m2) / (q2 - q1) : std::sin(StdParallel1);
    s.C = m1 * m1 + s.n * q1;
    s.rho0 = a * std::sqrt(std::max(0.0, s.C - s.n * q0)) / s.n;
    s.qp = Qsfn(kHalfPi, e, e2);
    m_Albers = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Albers_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                               double& StdParallel1, double& StdParallel2, double& FalseEasting,
                                               double& FalseNorthing) const
{
    a = m_Albers.ell.a;
    f = m_Albers.ell.f;
    OriginLatitude = m_Albers.OriginLatitude;
    CentralMeridian = m_Albers.CentralMeridian;
    StdParallel1 = m_Albers.StdParallel1;
    StdParallel2 = m_Albers.StdParallel2;
    FalseEasting = m_Albers.FalseEasting;
    FalseNorthing = m_Albers.FalseNorthing;
}

long CCoordinateProject::Convert_Geodetic_To_Albers(double B, double L, double& Easting, double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const AlbersState& s = m_Albers;
    const double q = Qsfn(B, s.ell.e, s.ell.e2);
    const double rho = s.ell.a * std::sqrt(std::max(0.0, s.C - s.n * q)) / s.n;
    const double theta = s.n * WrapPi(L - s.CentralMeridian);
    Easting = s.FalseEasting + rho * std::sin(theta);
    Northing = s.FalseNorthing + s.rho0 - rho * std::cos(theta);
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Albers_To_Geodetic(double Easting, double Northing, double& B, double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const AlbersState& s = m_Albers;
    const double dx = Easting - s.FalseEasting;
    const double dy = s.rho0 - (Northing - s.FalseNorthing);
    const double sign = s.n < 0 ? -1.0 : 1.0;
    const double rho = std::hypot(dx, dy);
    const double theta = std::atan2(sign * dx, sign * dy);
    const double q = (s.C - rho * rho * s.n * s.n / (s.ell.a * s.ell.a)) / s.n;
    if (std::fabs(q) > s.qp * (1.0 + 1e-9)) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    B = (std::fabs(q) >= s.qp) ? std::copysign(kHalfPi, q) : PhiFromQ(q, s.ell.e, s.ell.e2);
    L = WrapPi(s.CentralMeridian + theta / s.n);
    return PROJ_NO_ERROR;
}

// ---------------------------------------------------------------------------------------------
// Hotine oblique Mercator, central line through two points

long CCoordinateProject::Set_Oblique_Mercator_Parameters(double a, double f, double OriginLatitude,
                                                         double Latitude1, double Longitude1, double Latitude2,
                                                         double Longitude2, double FalseEasting,
                                                         double FalseNorthing, double ScaleFactor)
{
    long error = CheckEllipsoid(a, f);
    if (!LatitudeOk(OriginLatitude)) error |= PROJ_ORIGIN_LAT_ERROR;
    if (!LatitudeOk(Latitude1) || Latitude1 == 0.0) error |= PROJ_LAT_ERROR;
    if (!LatitudeOk(Latitude2)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(Longitude1) || !LongitudeOk(Longitude2)) error |= PROJ_LON_ERROR;
    if (!(ScaleFactor >= 0.3 && ScaleFactor <= 3.0)) error |= PROJ_SCALE_FACTOR_ERROR;
    if (std::fabs(Latitude1 - Latitude2) < 1e-10) error |= PROJ_POINTS_ERROR;
    if (!FiniteAll({FalseEasting, FalseNorthing})) error |= PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    if (error) return error;

    ObliqueMercatorState s;
    s.ell = MakeEllipsoid(a, f);
    s.OriginLatitude = OriginLatitude;
    s.Latitude1 = Latitude1;
    s.Longitude1 = StoreLongitude(Longitude1);
    s.Latitude2 = Latitude2;
    s.Longitude2 = StoreLongitude(Longitude2);
    s.FalseEasting = FalseEasting;
    s.FalseNorthing = FalseNorthing;
    s.Scale = ScaleFactor;
    const double e = s.ell.e, e2 = s.ell.e2;
    const double s0 = std::sin(OriginLatitude), c0 = std::cos(OriginLatitude);
    const double w0 = 1.0 - e2 * s0 * s0;
    s.B = std::sqrt(1.0 + e2 * c0 * c0 * c0 * c0 / (1.0 - e2));
    s.A = a * s.B * ScaleFactor * std::sqrt(1.0 - e2) / w0;
    double D = s.B * std::sqrt(1.0 - e2) / (c0 * std::sqrt(w0));
    if (D < 1.0) D = 1.0;
    const double sgn = OriginLatitude < 0 ? -1.0 : 1.0;
    const double F = D + sgn * std::sqrt(D * D - 1.0);
    s.E = F * std::pow(Tsfn(OriginLatitude, e), s.B);
    const double H = std::pow(Tsfn(Latitude1, e), s.B);
    const double Lt = std::pow(Tsfn(Latitude2, e), s.B);
    const double Fp = s.E / H;
    const double G = (Fp - 1.0 / Fp) / 2.0;
    const double J = (s.E * s.E - Lt * H) / (s.E * s.E + Lt * H);
    const double P = (Lt - H) / (Lt + H);
    double lon1 = s.Longitude1, lon2 = s.Longitude2;
    if (lon1 - lon2 < -kPi) lon2 -= kTwoPi;
    if (lon1 - lon2 > kPi) lon2 += kTwoPi;
    s.lambda0 = WrapPi(0.5 * (lon1 + lon2) - std::atan(J * std::tan(0.5 * s.B * (lon1 - lon2)) / P) / s.B);
    s.gamma0 = std::atan(std::sin(s.B * WrapPi(lon1 - s.lambda0)) / G);
    const double sinAc = D * std::sin(s.gamma0);
    if (std::fabs(sinAc) > 1.0) return PROJ_POINTS_ERROR;
    s.alphaC = std::asin(sinAc);
    s.sinG0 = std::sin(s.gamma0);
    s.cosG0 = std::cos(s.gamma0);
    s.sinAc = std::sin(s.alphaC);
    s.cosAc = std::cos(s.alphaC);
    s.uCentre = sgn * s.A / s.B * std::atan2(std::sqrt(D * D - 1.0), s.cosAc);
    if (!std::isfinite(s.lambda0) || !std::isfinite(s.gamma0) || !std::isfinite(s.uCentre)) return PROJ_POINTS_ERROR;
    m_ObliqueMercator = s;
    return PROJ_NO_ERROR;
}

void CCoordinateProject::Get_Oblique_Mercator_Parameters(double& a, double& f, double& OriginLatitude,
                                                         double& Latitude1, double& Longitude1, double& Latitude2,
                                                         double& Longitude2, double& FalseEasting,
                                                         double& FalseNorthing, double& ScaleFactor) const
{
    const ObliqueMercatorState& s = m_ObliqueMercator;
    a = s.ell.a;
    f = s.ell.f;
    OriginLatitude = s.OriginLatitude;
    Latitude1 = s.Latitude1;
    Longitude1 = s.Longitude1;
    Latitude2 = s.Latitude2;
    Longitude2 = s.Longitude2;
    FalseEasting = s.FalseEasting;
    FalseNorthing = s.FalseNorthing;
    ScaleFactor = s.Scale;
}

long CCoordinateProject::Convert_Geodetic_To_Oblique_Mercator(double B, double L, double& Easting,
                                                              double& Northing) const
{
    const long error = CheckPoint(B, L);
    if (error) return error;
    const ObliqueMercatorState& s = m_ObliqueMercator;
    if (std::fabs(std::fabs(B) - kHalfPi) < 1e-12) return PROJ_LAT_ERROR;
    const double dl = WrapPi(L - s.lambda0);
    const double Q = s.E / std::pow(Tsfn(B, s.ell.e), s.B);
    const double S = 0.5 * (Q - 1.0 / Q), T = 0.5 * (Q + 1.0 / Q);
    const double V = std::sin(s.B * dl);
    const double U = (-V * s.cosG0 + S * s.sinG0) / T;
    if (std::fabs(std::fabs(U) - 1.0) < 1e-12) return PROJ_DOMAIN_ERROR; // on the line at infinity
    const double v = s.A * std::log((1.0 - U) / (1.0 + U)) / (2.0 * s.B);
    const double cosBdl = std::cos(s.B * dl);
    const double u = s.A * std::atan2(S * s.cosG0 + V * s.sinG0, cosBdl) / s.B - s.uCentre;
    Easting = v * s.cosAc + u * s.sinAc + s.FalseEasting;
    Northing = u * s.cosAc - v * s.sinAc + s.FalseNorthing;
    return PROJ_NO_ERROR;
}

long CCoordinateProject::Convert_Oblique_Mercator_To_Geodetic(double Easting, double Northing, double& B,
                                                              double& L) const
{
    if (!FiniteAll({Easting, Northing})) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const ObliqueMercatorState& s = m_ObliqueMercator;
    const double dx = Easting - s.FalseEasting, dy = Northing - s.FalseNorthing;
    const double v = dx * s.cosAc - dy * s.sinAc;
    const double u = dy * s.cosAc + dx * s.sinAc + s.uCentre;
    const double Q = std::exp(-s.B * v / s.A);
    if (!std::isfinite(Q) || Q == 0.0) return PROJ_EASTING_ERROR | PROJ_NORTHING_ERROR;
    const double S = 0.5 * (Q - 1.0 / Q), T = 0.5 * (Q + 1.0 / Q);
    const double V = std::sin(s.B * u / s.A);
    const double U = (V * s.cosG0 + S * s.sinG0) / T;
    if (std::fabs(std::fabs(U) - 1.0) < 1e-14)
    {
        B = std::copysign(kHalfPi, U);
        L = s.lambda0;
        return PROJ_NO_ERROR;
    }
    const double t = std::pow(s.E / std::sqrt((1.0 + U) / (1.0 - U)), 1.0 / s.B);
    B = PhiFromT(t, s.ell.e);
    L = WrapPi(s.lambda0 - std::atan2(S * s.cosG0 - V * s.sinG0, std::cos(s.B * u / s.A)) / s.B);
    return PROJ_NO_ERROR;
}
