#include "road/CXLine.h"

#include <cmath>

int CXLine::SetPars(double x, double y, double bearing, double length)
{
    m_StartX = x;
    m_StartY = y;
    m_Bearing = bearing;
    m_Length = length;
    m_Valid = 1;
    return 1;
}

void CXLine::GetVXY(double l, double& x, double& y, double offset) const
{
    if (!m_Valid)
        return;
    const double c = std::cos(m_Bearing);
    const double s = std::sin(m_Bearing);
    x = m_StartX + l * c - offset * s;
    y = m_StartY + l * s + offset * c;
}

int CXLine::Compute(double x, double y, double& l, double& offset) const
{
    if (!m_Valid)
        return 0;

    if (std::fabs(x - m_StartX) < 1e-6 && std::fabs(y - m_StartY) < 1e-6)
    {
        l = 0.0;
        offset = 0.0;
        return 1;
    }
    double endX = 0.0, endY = 0.0;
    GetVXY(m_Length, endX, endY, 0.0);
    if (std::fabs(x - endX) < 1e-6 && std::fabs(y - endY) < 1e-6)
    {
        l = m_Length;
        offset = 0.0;
        return 1;
    }

    // Projection on the unit tangent and normal: the along-line component is the signed distance
    // of the foot from the start (negative behind it), the other one the signed offset.
    const double c = std::cos(m_Bearing);
    const double s = std::sin(m_Bearing);
    const double dx = x - m_StartX;
    const double dy = y - m_StartY;
    l = dx * c + dy * s;
    offset = dy * c - dx * s;

    if (std::fabs(l) < 0.01)
        return 1;
    if (l < 1e-6)
        return 0;
    return l - m_Length <= 0.01 ? 1 : 0;
}
