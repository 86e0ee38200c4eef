#include "road/CXHuanQu.h"

#include "geometry/Angle.h"
#include "road/ClothoidSeries.h"

#include <cmath>

namespace
{
using Angle::kPi;
}

int CXHuanQu::SetPars(double x, double y, double bearing, double length, double radius, int direction)
{
    if (std::fabs(radius) < 1e-6)
    {
        m_Valid = 0;
        return 0;
    }
    const double r = std::fabs(radius);
    m_TurnRight = radius > 0.0 ? 1 : 0;
    m_Direction = direction;
    m_Length = length;
    m_GivenX = x;
    m_GivenY = y;
    m_GivenBearing = bearing;
    m_A2 = r * length;

    if (direction == 1)
    {
        m_OriginX = x;
        m_OriginY = y;
        m_OriginBearing = bearing;
    }
    else
    {
        // Laid backwards from the zero-curvature end: the series runs against the direction of
        // travel and reaches the given point at s = L.
        m_OriginBearing = bearing + kPi - length / (2.0 * r);
        double u = 0.0, v = 0.0;
        ClothoidSeries::Point(length, m_A2, 7, u, v);
        const double c = std::cos(m_OriginBearing);
        const double s = std::sin(m_OriginBearing);
        m_OriginX = x - c * u + s * v;
        m_OriginY = y - s * u - c * v;
    }
    m_Valid = 1;
    return 1;
}

void CXHuanQu::GetVXY(double l, double& bearing, double& x, double& y, double offset) const
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
    // The series bends right along its own direction, so it is used as it stands for a right
    // turn from a straight and for a left turn into a straight; the other two are mirrored.
    p.mirrored = m_TurnRight != m_Direction;
    const double s = m_Direction == 1 ? l : m_Length - l;
    ClothoidSeries::Evaluate(p, s, offset, bearing, x, y);
}

int CXHuanQu::Compute(double x, double y, double& l, double& offset) const
{
    if (!m_Valid)
        return 0;

    // Reference frame: the zero-curvature point with the series bearing, as seen on the element.
    double refX = m_GivenX, refY = m_GivenY, refBearing = m_GivenBearing;
    if (m_Direction != 1)
    {
        GetVXY(m_Length, refBearing, refX, refY, 0.0);
        refBearing -= kPi;
    }
    double qx = x, qy = y;
    if (m_TurnRight != m_Direction)
        ClothoidSeries::Reflect(refX, refY, refBearing, qx, qy);

    const double c = std::cos(refBearing);
    const double sn = std::sin(refBearing);
    const double dx = qx - refX;
    const double dy = qy - refY;
    const double u = c * dx + sn * dy;
    const double v = c * dy - sn * dx;

    // The polynomial iteration only approximates the foot (by centimetres to decimetres on long,
    // sharp transitions with the point well off the line) and may pick another branch of the
    // spiral for points far off it; solving the exact foot condition of the series curve makes
    // the answer consistent with GetVXY. Keep the estimate if that fails.
    const double estimate = ComputeMileage(m_A2 / m_Length, m_Length, u, v);
    double s = std::isfinite(estimate) ? estimate : u;
    if (!ClothoidSeries::SolveFoot(m_A2, u, v, 0.0, m_Length, s))
        s = estimate;
    if (!std::isfinite(s))
        return 0;

    l = m_Direction == 1 ? s : m_Length - s;

    double pb = 0.0, px = 0.0, py = 0.0;
    GetVXY(l, pb, px, py, 0.0);
    offset = std::hypot(x - px, y - py);
    if (!((y - py) * std::cos(pb) - (x - px) * std::sin(pb) >= 1e-6))
        offset = -offset;

    if (std::fabs(l) <= 0.01)
        return 1;
    if (l < 1e-6)
        return 0;
    return l - m_Length <= 1e-6 ? 1 : 0;
}

double CXHuanQu::ComputeMileage(double radius, double length, double u, double v) const
{
    const double a2 = radius * length;
    const double a4 = a2 * a2;
    const double a6 = a4 * a2;
    const double a8 = a4 * a4;
    double s = u;
    for (int step = 0; step < 1001; ++step)
    {
        const double s2 = s * s;
        const double s3 = s2 * s;
        const double s4 = s2 * s2;
        const double s5 = s4 * s;
        const double s8 = s4 * s4;
        const double s9 = s8 * s;
        const double numerator = 8.0 * s9 - 48.0 * a4 * s5 + 120.0 * a4 * u * s4 - 240.0 * a6 * v * s2 + 480.0 * a8 * u;
        const double denominator = 9.0 * s8 - 60.0 * a4 * s4 + 160.0 * a4 * u * s3 - 480.0 * a6 * v * s + 480.0 * a8;
        const double next = numerator / denominator;
        // A vanishing derivative or an overflow ends the iteration with the last usable value.
        if (!std::isfinite(next))
            return s;
        if (std::fabs(next - s) <= 1e-6)
            return next;
        s = next;
    }
    return s;
}

double CXHuanQu::fx(double l, double u, double v) const
{
    return ClothoidSeries::Fx(l, u, v, m_A2);
}

double CXHuanQu::fxl(double l, double u, double v) const
{
    return ClothoidSeries::Fxl(l, u, v, m_A2);
}
