// Mercator and Hotine oblique Mercator routines of CCoordinateProject. Each keeps its state in the
// instance; a set-up that fails any check stores nothing.

#include "coord/CCoordinateProject.h"

#include "coord/CCoordinateProject_Detail.h"
#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;
using namespace projdetail;

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
