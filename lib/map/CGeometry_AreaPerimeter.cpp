#include "map/CGeometry_AreaPerimeter.h"

#include <cmath>

double CGeometry_AreaPerimeter::GetArea() const
{
    const size_t n = m_Vertices.size();
    if (n < 2) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        const xyhCoord& prev = m_Vertices[(i + n - 1) % n];
        const xyhCoord& next = m_Vertices[(i + 1) % n];
        sum += m_Vertices[i].x * (next.y - prev.y);
    }
    return std::fabs(sum) / 2.0;
}

double CGeometry_AreaPerimeter::GetPerimeter() const
{
    const size_t n = m_Vertices.size();
    if (n < 2) return 0.0;
    double sum = 0.0;
    for (size_t i = 1; i < n; ++i)
        sum += std::hypot(m_Vertices[i].x - m_Vertices[i - 1].x, m_Vertices[i].y - m_Vertices[i - 1].y);
    return sum;
}
