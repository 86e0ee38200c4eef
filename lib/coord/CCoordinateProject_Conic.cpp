// Conic routines of CCoordinateProject: Lambert conformal conic (one and two standard parallels)
// and Albers equal-area. Each keeps its state in the instance; a set-up that fails any check stores
// nothing.

#include "coord/CCoordinateProject.h"

#include "coord/CCoordinateProject_Detail.h"
#include "coord/ProjectionMath.h"

#include <cmath>

using namespace projmath;
using namespace projdetail;

namespace
{
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
} // namespace

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
