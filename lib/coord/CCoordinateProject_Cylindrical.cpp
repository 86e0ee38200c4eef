// Cylindrical routines of CCoordinateProject: equidistant cylindrical, cylindrical equal-area and
// transverse cylindrical equal-area. Each keeps its state in the instance; a set-up that fails any
// check stores nothing.

#include "coord/CCoordinateProject.h"

#include "coord/CCoordinateProject_Detail.h"
#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;
using namespace projdetail;

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
