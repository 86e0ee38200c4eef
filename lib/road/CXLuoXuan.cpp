#include "road/CXLuoXuan.h"

#include "geometry/Angle.h"
#include "road/ClothoidSeries.h"

#include <algorithm>
#include <cmath>

namespace
{
using Angle::kPi;
}

int CXLuoXuan::SetPars(double x, double y, double bearing, double length, double startRadius, double endRadius)
{
    if (std::fabs(startRadius - endRadius) < 0.001 || !(startRadius * endRadius > 0.0))
    {
        m_Valid = 0;
        return 0;
    }
    const double r1 = std::fabs(startRadius);
    const double r2 = std::fabs(endRadius);
    m_TurnRight = startRadius > 0.0 ? 1 : 0;
    m_Direction = r1 > r2 ? 1 : 0;
    m_Length = length;
    m_GivenX = x;
    m_GivenY = y;
    m_GivenBearing = bearing;

    // When the curvature falls along the element the series is laid against the direction of
    // travel.
    const double workingBearing = m_Direction == 1 ? bearing : bearing + kPi;
    m_A2 = length * r1 * r2 / std::fabs(r1 - r2);
    m_StartDistance = m_A2 / r1;
    m_OriginBearing = workingBearing - m_StartDistance * m_StartDistance / (2.0 * m_A2);
    double u = 0.0, v = 0.0;
    ClothoidSeries::Point(m_StartDistance, m_A2, 6, u, v);
    const double c = std::cos(m_OriginBearing);
    const double s = std::sin(m_OriginBearing);
    m_OriginX = x - c * u + s * v;
    m_OriginY = y - s * u - c * v;
    m_Valid = 1;
    return 1;
}

void CXLuoXuan::GetVXY(double l, double& bearing, double& x, double& y, double offset) const
{
    if (!m_Valid)
        return;
    ClothoidSeries::Placement p;
    p.a2 = m_A2;
    p.originX = m_OriginX;
    p.originY = m_OriginY;
    p.originBearing = m_OriginBearing;
    p.givenX = m_GivenX;
    p.givenY = m_GivenY;
    p.givenBearing = m_GivenBearing;
    p.forward = m_Direction == 1;
    p.mirrored = m_TurnRight != m_Direction;
    const double s = m_Direction == 1 ? m_StartDistance + l : m_StartDistance - l;
    ClothoidSeries::Evaluate(p, s, offset, bearing, x, y);
}

int CXLuoXuan::Compute(double x, double y, double& l, double& offset) const
{
    if (!m_Valid)
        return 0;

    double qx = x, qy = y;
    if (m_TurnRight != m_Direction)
        ClothoidSeries::Reflect(m_GivenX, m_GivenY, m_GivenBearing, qx, qy);
    const double c = std::cos(m_OriginBearing);
    const double sn = std::sin(m_OriginBearing);
    const double dx = qx - m_OriginX;
    const double dy = qy - m_OriginY;
    const double u = c * dx + sn * dy;
    const double v = c * dy - sn * dx;

    // The foot is solved on the exact foot condition of the series curve, starting from the
    // point's own distance along the series axis (close to its clothoid distance while the curve
    // has turned little). Only when that finds no foot does the slow damped iteration answer.
    const double sStart = m_StartDistance;
    const double sEnd = m_Direction == 1 ? m_StartDistance + m_Length : m_StartDistance - m_Length;
    double s = u == 0.0 ? 1e-5 : u;
    if (!ClothoidSeries::SolveFoot(m_A2, u, v, std::min(sStart, sEnd), std::max(sStart, sEnd), s))
        s = DampedFoot(u, v);
    if (!std::isfinite(s))
        return 0;

    l = m_Direction == 1 ? s - m_StartDistance : m_StartDistance - s;

    double pb = 0.0, px = 0.0, py = 0.0;
    GetVXY(l, pb, px, py, 0.0);
    offset = std::hypot(x - px, y - py);
    if ((y - py) * std::cos(pb) - (x - px) * std::sin(pb) < 0.0)
        offset = -offset;

    // A point on the start line may come out a rounding error before it.
    if (l < -1e-6)
        return 0;
    return l - m_Length <= 0.01 ? 1 : 0;
}

double CXLuoXuan::DampedFoot(double u, double v) const
{
    // Damped Newton on the normal-foot function. The function is singular at the zero-curvature
    // point (s = 0), so any step that produces a non-finite value is treated like a rejected one:
    // restart from the distance of the point with a smaller damping.
    const double restart = [&] {
        const double r = std::hypot(u, v);
        return r < 1e-6 ? 1e-5 : r;
    }();
    double s = u == 0.0 ? 1e-5 : u;
    double lambda = 1.0;
    for (int k = 0; k < 100;)
    {
        const double f0 = ClothoidSeries::Fx(s, u, v, m_A2);
        const double slope = ClothoidSeries::Fxl(s, u, v, m_A2);
        const double next = s - lambda * f0 / slope;
        const double f1 = ClothoidSeries::Fx(next, u, v, m_A2);
        const bool finite = std::isfinite(f0) && std::isfinite(next) && std::isfinite(f1);
        if (finite && 0.5 * std::fabs(f0) <= std::fabs(f1) && std::fabs(f1) <= std::fabs(f0))
        {
            const bool converged = std::fabs(next - s) < 1e-5;
            s = next;
            if (converged)
                break;
        }
        else
        {
            lambda /= 2.0;
            s = restart;
        }
        ++k;
    }
    return s;
}
