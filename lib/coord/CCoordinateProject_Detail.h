#pragma once

// Checks and ellipsoid set-up shared by the projection families of CCoordinateProject (one file
// each: CCoordinateProject_<Family>.cpp). Internal: everything is inline.

#include "coord/CCoordinateProject.h"
#include "coord/ProjectionMath.h"

#include <cmath>
#include <initializer_list>

namespace projdetail
{
using namespace projmath;

inline constexpr double kMaxLat = 1.5707914786580854; // 90° less one second

inline bool FiniteAll(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Checks shared by every set-up: axis, flattening, origin latitude, central meridian.
inline long CheckEllipsoid(double a, double f)
{
    long error = PROJ_NO_ERROR;
    if (!(a > 0.0) || !std::isfinite(a)) error |= PROJ_A_ERROR;
    const double invF = (f != 0.0) ? 1.0 / f : 0.0;
    if (!(invF >= 250.0 && invF <= 350.0)) error |= PROJ_INV_F_ERROR;
    return error;
}

inline bool LatitudeOk(double lat, double limit = kMaxLat) { return std::isfinite(lat) && lat >= -limit && lat <= limit; }
inline bool LongitudeOk(double lon) { return std::isfinite(lon) && lon >= -kPi && lon <= kTwoPi; }
inline double StoreLongitude(double lon) { return lon > kPi ? lon - kTwoPi : lon; }

inline CCoordinateProject::EllipsoidState MakeEllipsoid(double a, double f)
{
    CCoordinateProject::EllipsoidState s;
    s.a = a;
    s.f = f;
    s.e2 = 2.0 * f - f * f;
    s.e = std::sqrt(s.e2);
    return s;
}

inline double PrimeVertical(const CCoordinateProject::EllipsoidState& ell, double phi)
{
    const double s = std::sin(phi);
    return ell.a / std::sqrt(1.0 - ell.e2 * s * s);
}

inline long CheckPoint(double B, double L)
{
    long error = PROJ_NO_ERROR;
    if (!LatitudeOk(B, kHalfPi)) error |= PROJ_LAT_ERROR;
    if (!LongitudeOk(L)) error |= PROJ_LON_ERROR;
    return error;
}
} // namespace projdetail
