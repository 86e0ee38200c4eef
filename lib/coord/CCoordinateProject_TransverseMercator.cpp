// Transverse Mercator and UTM routines of CCoordinateProject. Each keeps its state in the
// instance; a set-up that fails any check stores nothing.

#include "coord/CCoordinateProject.h"

#include "coord/CCoordinateProject_Detail.h"
#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;
using namespace projdetail;

namespace
{
constexpr double kDeg = kPi / 180.0;

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
} // namespace

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
