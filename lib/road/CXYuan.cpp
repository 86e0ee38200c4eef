#include "road/CXYuan.h"

#include "geometry/Angle.h"

#include <cmath>

namespace
{
using Angle::kPi;
using Angle::kTwoPi;
} // namespace

int CXYuan::SetPars(double x, double y, double bearing, double length, double radius)
{
    if (std::fabs(radius) < 1e-6)
    {
        m_Valid = 0;
        return 0;
    }
    m_StartX = x;
    m_StartY = y;
    m_StartBearing = bearing;
    m_Length = length;
    m_Radius = std::fabs(radius);
    m_TurnRight = radius > 0.0 ? 1 : 0;
    if (m_TurnRight)
    {
        m_CentreX = x - m_Radius * std::sin(bearing);
        m_CentreY = y + m_Radius * std::cos(bearing);
    }
    else
    {
        m_CentreX = x + m_Radius * std::sin(bearing);
        m_CentreY = y - m_Radius * std::cos(bearing);
    }
    m_Valid = 1;

    double endBearing = 0.0, endX = 0.0, endY = 0.0;
    GetVXY(length, endBearing, endX, endY, 0.0);
    m_StartAngle = std::atan2(y - m_CentreY, x - m_CentreX);
    if (m_StartAngle < 1e-6)
        m_StartAngle += kTwoPi;
    m_EndAngle = std::atan2(endY - m_CentreY, endX - m_CentreX);
    if (m_EndAngle < 1e-6)
        m_EndAngle += kTwoPi;
    return 1;
}

void CXYuan::GetVXY(double l, double& bearing, double& x, double& y, double offset) const
{
    if (!m_Valid)
        return;
    double theta = 0.0;
    if (m_TurnRight)
    {
        theta = m_StartBearing + l / m_Radius;
        x = m_CentreX + (m_Radius - offset) * std::sin(theta);
        y = m_CentreY - (m_Radius - offset) * std::cos(theta);
    }
    else
    {
        theta = m_StartBearing - l / m_Radius;
        x = m_CentreX - (m_Radius + offset) * std::sin(theta);
        y = m_CentreY + (m_Radius + offset) * std::cos(theta);
    }
    // Centre angles and bearings of a circle are kept in [1e-6, 2π + 1e-6], so that a bearing
    // of exactly 0 reads as 2π.
    bearing = Angle::WrapBearingFrom(theta, 1e-6);
}

int CXYuan::Compute(double x, double y, double& l, double& offset) const
{
    if (!m_Valid)
        return 0;

    const double rho = std::hypot(x - m_CentreX, y - m_CentreY);
    if (rho < 1e-6)
    {
        l = 0.0;
        offset = m_TurnRight ? m_Radius : -m_Radius;
        return 1;
    }

    double phi = std::atan2(y - m_CentreY, x - m_CentreX);
    if (phi < 1e-6)
        phi += kTwoPi;
    const bool nearSide = JudgeInRange(phi, m_StartAngle, m_EndAngle, 1) != 0;
    if (!nearSide && !JudgeInRange(phi, m_StartAngle, m_EndAngle, 0))
        return 0;

    offset = m_TurnRight ? m_Radius - rho : rho - m_Radius;

    // Angle turned from the start, positive in the direction of travel. A point beyond the
    // centre belongs to the arc point opposite it. The angle is kept signed and wrapped so that
    // a point within the range tolerance before the start gets a small negative distance rather
    // than one near πR or 2πR, and so that arcs of more than half a turn keep their far part.
    double delta = m_TurnRight ? phi - m_StartAngle : m_StartAngle - phi;
    if (!nearSide)
        delta -= kPi;
    const double lowest = -1e-3;
    while (delta < lowest)
        delta += kTwoPi;
    while (delta >= kTwoPi + lowest)
        delta -= kTwoPi;
    if (std::fabs(delta) < 1e-6)
        delta = 0.0;
    l = delta * m_Radius;

    double pb = 0.0, px = 0.0, py = 0.0;
    GetVXY(l, pb, px, py, 0.0);
    if ((m_CentreX - px) * (m_CentreX - x) < 0.0 || (m_CentreY - py) * (m_CentreY - y) < 0.0)
        offset = m_TurnRight ? m_Radius + rho : -(m_Radius + rho);

    return l - m_Length <= 0.01 ? 1 : 0;
}

int CXYuan::JudgeInRange(double phi, double startAngle, double endAngle, int side) const
{
    if (side == 0)
    {
        phi += kPi;
        if (phi > kTwoPi + 1e-6)
            phi -= kTwoPi;
    }
    const double t = 1e-4;
    if (std::fabs(phi - startAngle) < t || std::fabs(phi - endAngle) < t)
        return 1;

    const double span = endAngle - startAngle;
    if (m_TurnRight)
    {
        if (span > t)
            return (phi - startAngle > t && phi - endAngle < t) ? 1 : 0;
        // The arc passes through centre angle 0.
        return (phi - startAngle > t || phi - endAngle < t) ? 1 : 0;
    }
    if (span >= t)
        // A left-turning arc passes through centre angle 0 when its end angle is the larger.
        return (phi - startAngle < t || phi - endAngle > t) ? 1 : 0;
    return (phi - endAngle > t && phi - startAngle < t) ? 1 : 0;
}
