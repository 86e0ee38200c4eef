#include "sources/CMap_GCDData.h"

#include "geometry/SegmentClip.h"
#include "map/CGeometry_AreaPerimeter.h"

#include <algorithm>
#include <cmath>

namespace
{
double Cross(const xyhCoord& o, const xyhCoord& a, const xyhCoord& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool OnSegment(const xyhCoord& a, const xyhCoord& b, const xyhCoord& p)
{
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

// Closed segments ab and cd share a point (touching and collinear overlap included).
bool SegmentsMeet(const xyhCoord& a, const xyhCoord& b, const xyhCoord& c, const xyhCoord& d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) return true;
    return (d1 == 0 && OnSegment(c, d, a)) || (d2 == 0 && OnSegment(c, d, b)) || (d3 == 0 && OnSegment(a, b, c)) ||
           (d4 == 0 && OnSegment(a, b, d));
}

bool SegmentMeetsRect(const xyhCoord& a, const xyhCoord& b, double minX, double maxX, double minY, double maxY)
{
    double x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
    return ClipSegmentToBox(minX, maxX, minY, maxY, x1, y1, x2, y2);
}

// Even-odd rule; points on the boundary may go either way (callers test edges separately).
bool RingContains(const std::vector<xyhCoord>& ring, double x, double y)
{
    bool inside = false;
    const size_t n = ring.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++)
    {
        const xyhCoord& a = ring[i];
        const xyhCoord& b = ring[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return n >= 3 && inside;
}
} // namespace

bool CPointData::GetExtent(double& minX, double& maxX, double& minY, double& maxY) const
{
    if (!m_HasPosition) return false;
    minX = maxX = m_Point.x;
    minY = maxY = m_Point.y;
    return true;
}

bool CLineData::GetExtent(double& minX, double& maxX, double& minY, double& maxY) const
{
    if (m_Points.empty()) return false;
    minX = m_MinX;
    maxX = m_MaxX;
    minY = m_MinY;
    maxY = m_MaxY;
    return true;
}

void CLineData::AddPoint(const xyhCoord& p)
{
    m_Points.push_back(p);
    Changed();
}

void CLineData::InsertPoint(int index, const xyhCoord& p)
{
    if (index < 0 || index >= static_cast<int>(m_Points.size()))
        m_Points.push_back(p);
    else
        m_Points.insert(m_Points.begin() + index, p);
    Changed();
}

bool CLineData::RemovePoint(int index)
{
    if (index < 0 || index >= static_cast<int>(m_Points.size())) return false;
    m_Points.erase(m_Points.begin() + index);
    Changed();
    return true;
}

bool CLineData::GetPoint(int index, xyhCoord& p) const
{
    if (index < 0 || index >= static_cast<int>(m_Points.size())) return false;
    p = m_Points[static_cast<size_t>(index)];
    return true;
}

void CLineData::SetPoints(std::vector<xyhCoord> points)
{
    m_Points = std::move(points);
    Changed();
}

void CLineData::Changed()
{
    m_MinX = m_MaxX = m_MinY = m_MaxY = 0;
    if (!m_Points.empty())
    {
        m_MinX = m_MaxX = m_Points[0].x;
        m_MinY = m_MaxY = m_Points[0].y;
        for (const xyhCoord& p : m_Points)
        {
            m_MinX = std::min(m_MinX, p.x);
            m_MaxX = std::max(m_MaxX, p.x);
            m_MinY = std::min(m_MinY, p.y);
            m_MaxY = std::max(m_MaxY, p.y);
        }
    }
    GetLengthAndArea();
}

void CLineData::GetLengthAndArea()
{
    CGeometry_AreaPerimeter ring;
    for (const xyhCoord& p : m_Points) ring.Add(p);
    m_Length = ring.GetPerimeter();
}

void CPlaneData::GetLengthAndArea()
{
    CGeometry_AreaPerimeter ring;
    for (const xyhCoord& p : m_Points) ring.Add(p);
    m_Length = ring.GetPerimeter();
    if (m_Points.size() > 2)
        m_Length += std::hypot(m_Points.back().x - m_Points.front().x, m_Points.back().y - m_Points.front().y);
    m_Area = ring.GetArea();
}

bool CLineData::IsLineInRange(double minX, double maxX, double minY, double maxY) const
{
    if (m_Points.empty() || m_MaxX < minX || m_MinX > maxX || m_MaxY < minY || m_MinY > maxY) return false;
    if (m_Points.size() == 1) return true; // inside the extent test above
    for (size_t i = 1; i < m_Points.size(); ++i)
        if (SegmentMeetsRect(m_Points[i - 1], m_Points[i], minX, maxX, minY, maxY)) return true;
    return Closed() && SegmentMeetsRect(m_Points.back(), m_Points.front(), minX, maxX, minY, maxY);
}

xyhCoord CLineData::GetLabelPosition() const
{
    if (m_Points.empty()) return {};
    double rest = m_Length / 2;
    for (size_t i = 1; i < m_Points.size(); ++i)
    {
        const xyhCoord& a = m_Points[i - 1];
        const xyhCoord& b = m_Points[i];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        if (len > 0 && rest <= len)
            return {a.x + (b.x - a.x) * rest / len, a.y + (b.y - a.y) * rest / len, 0.0};
        rest -= len;
    }
    return m_Points.front();
}

bool CPlaneData::Contains(double x, double y) const { return RingContains(m_Points, x, y); }

bool CPlaneData::IsSelect(const std::vector<xyhCoord>& polygon) const
{
    if (m_Points.empty() || polygon.empty()) return false;
    const size_t n = m_Points.size(), m = polygon.size();
    for (size_t i = 0; i < n; ++i)
    {
        const xyhCoord& a = m_Points[i];
        const xyhCoord& b = m_Points[(i + 1) % n];
        for (size_t j = 0; j < m; ++j)
            if (SegmentsMeet(a, b, polygon[j], polygon[(j + 1) % m])) return true;
    }
    return Contains(polygon[0].x, polygon[0].y) || RingContains(polygon, m_Points[0].x, m_Points[0].y);
}

xyhCoord CPlaneData::GetLabelPosition() const
{
    const size_t n = m_Points.size();
    if (n == 0) return {};
    double a2 = 0, cx = 0, cy = 0;
    for (size_t i = 0; i < n; ++i)
    {
        // Relative to the first vertex, so that grid coordinates of millions of metres keep
        // their precision.
        const double x0 = m_Points[i].x - m_Points[0].x, y0 = m_Points[i].y - m_Points[0].y;
        const double x1 = m_Points[(i + 1) % n].x - m_Points[0].x, y1 = m_Points[(i + 1) % n].y - m_Points[0].y;
        const double c = x0 * y1 - x1 * y0;
        a2 += c;
        cx += (x0 + x1) * c;
        cy += (y0 + y1) * c;
    }
    if (std::fabs(a2) > 1e-12)
        return {m_Points[0].x + cx / (3 * a2), m_Points[0].y + cy / (3 * a2), 0.0};
    xyhCoord mean;
    for (const xyhCoord& p : m_Points)
    {
        mean.x += p.x / static_cast<double>(n);
        mean.y += p.y / static_cast<double>(n);
    }
    return mean;
}
