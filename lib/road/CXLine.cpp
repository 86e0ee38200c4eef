#include "road/CXLine.h"

#include <cmath>

int CXLine::SetPars(double x, double y, double bearing, double length)
{
    m_startX = x;
    m_startY = y;
    m_bearing = bearing;
    m_length = length;
    m_valid = 1;
    return 1;
}

void CXLine::GetVXY(double l, double& x, double& y, double offset) const
{
    if (!m_valid)
        return;
    const double c = std::cos(m_bearing);
    const double s = std::sin(m_bearing);
    x = m_startX + l * c - offset * s;
    y = m_startY + l * s + offset * c;
}

int CXLine::Compute(double x, double y, double& l, double& offset) const
{
    if (!m_valid)
        return 0;

    if (std::fabs(x - m_startX) < 1e-6 && std::fabs(y - m_startY) < 1e-6)
    {
        l = 0.0;
        offset = 0.0;
        return 1;
    }
    double endX = 0.0, endY = 0.0;
    GetVXY(m_length, endX, endY, 0.0);
    if (std::fabs(x - endX) < 1e-6 && std::fabs(y - endY) < 1e-6)
    {
        l = m_length;
        offset = 0.0;
        return 1;
    }

    // Projection on the unit tangent and normal: the along-line component is the signed distance
    // of the foot from the start (negative behind it), the other one the signed offset.
    const double c = std::cos(m_bearing);
    const double s = std::sin(m_bearing);
    const double dx = x - m_startX;
    const double dy = y - m_startY;
    l = dx * c + dy * s;
    offset = dy * c - dx * s;

    if (std::fabs(l) < 0.01)
        return 1;
    if (l < 1e-6)
        return 0;
    return l - m_length <= 0.01 ? 1 : 0;
}
