#include "sources/CMap_ShapeItem.h"

#include "geometry/SegmentClip.h"

#include <algorithm>
#include <cmath>

namespace
{
struct Pt
{
    double y, x;
};

ShapeBox BoxOf(const std::vector<ShapePair>& points)
{
    ShapeBox b;
    if (points.empty()) return b;
    b = {points[0].Y, points[0].X, points[0].Y, points[0].X};
    for (const ShapePair& p : points)
    {
        b.MinY = std::min(b.MinY, p.Y);
        b.MaxY = std::max(b.MaxY, p.Y);
        b.MinX = std::min(b.MinX, p.X);
        b.MaxX = std::max(b.MaxX, p.X);
    }
    return b;
}

// One side of the Sutherland-Hodgman clip: keeps the part of the ring where inside(p) holds.
template <class Inside, class Cut>
std::vector<Pt> ClipSide(const std::vector<Pt>& ring, Inside inside, Cut cut)
{
    std::vector<Pt> out;
    const size_t n = ring.size();
    for (size_t i = 0; i < n; ++i)
    {
        const Pt& a = ring[i];
        const Pt& b = ring[(i + 1) % n];
        const bool ina = inside(a), inb = inside(b);
        if (ina) out.push_back(a);
        if (ina != inb) out.push_back(cut(a, b));
    }
    return out;
}

std::vector<Pt> ClipRingToBox(std::vector<Pt> ring, const ShapeBox& v)
{
    auto cutY = [](double bound) {
        return [bound](const Pt& a, const Pt& b) {
            const double t = (bound - a.y) / (b.y - a.y);
            return Pt{bound, a.x + t * (b.x - a.x)};
        };
    };
    auto cutX = [](double bound) {
        return [bound](const Pt& a, const Pt& b) {
            const double t = (bound - a.x) / (b.x - a.x);
            return Pt{a.y + t * (b.y - a.y), bound};
        };
    };
    ring = ClipSide(ring, [&](const Pt& p) { return p.y >= v.MinY; }, cutY(v.MinY));
    ring = ClipSide(ring, [&](const Pt& p) { return p.y <= v.MaxY; }, cutY(v.MaxY));
    ring = ClipSide(ring, [&](const Pt& p) { return p.x >= v.MinX; }, cutX(v.MinX));
    ring = ClipSide(ring, [&](const Pt& p) { return p.x <= v.MaxX; }, cutX(v.MaxX));
    return ring;
}

bool InsideRing(const std::vector<Pt>& ring, double y, double x)
{
    bool in = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    {
        const Pt& a = ring[i];
        const Pt& b = ring[j];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) / (b.y - a.y) * (b.x - a.x)) in = !in;
    }
    return in;
}
} // namespace

CMap_ShapeLine::CMap_ShapeLine(long fid, std::vector<ShapePair> points)
    : m_FID(fid), m_Points(std::move(points)), m_Box(BoxOf(m_Points))
{
}

bool CMap_ShapeLine::GetTextPos(const ShapeBox& view, ShapePair& pos) const
{
    if (m_Points.empty() || !m_Box.Meets(view)) return false;
    if (m_Points.size() == 1)
    {
        pos = m_Points[0];
        return true;
    }
    // The visible pieces, then the point half-way along their total length.
    struct Piece
    {
        double y1, x1, y2, x2, len;
    };
    std::vector<Piece> pieces;
    double total = 0.0;
    for (size_t i = 1; i < m_Points.size(); ++i)
    {
        double y1 = m_Points[i - 1].Y, x1 = m_Points[i - 1].X, y2 = m_Points[i].Y, x2 = m_Points[i].X;
        if (!ClipSegmentToBox(view.MinY, view.MaxY, view.MinX, view.MaxX, y1, x1, y2, x2)) continue;
        const double len = std::hypot(y2 - y1, x2 - x1);
        pieces.push_back({y1, x1, y2, x2, len});
        total += len;
    }
    if (pieces.empty()) return false;
    double rest = total / 2.0;
    for (const Piece& p : pieces)
    {
        if (rest <= p.len || &p == &pieces.back())
        {
            const double t = p.len > 0.0 ? std::min(1.0, rest / p.len) : 0.0;
            pos = {float(p.y1 + t * (p.y2 - p.y1)), float(p.x1 + t * (p.x2 - p.x1))};
            return true;
        }
        rest -= p.len;
    }
    return false;
}

CMap_ShapePlane::CMap_ShapePlane(long fid, std::vector<ShapePair> ring, long fillColor)
    : CMap_ShapeLine(fid, std::move(ring)), m_FillColor(fillColor)
{
}

bool CMap_ShapePlane::Contains(double y, double x) const
{
    if (m_Points.size() < 3) return false;
    bool in = false;
    for (size_t i = 0, j = m_Points.size() - 1; i < m_Points.size(); j = i++)
    {
        const double ay = m_Points[i].Y, ax = m_Points[i].X, by = m_Points[j].Y, bx = m_Points[j].X;
        if ((ay > y) != (by > y) && x < ax + (y - ay) / (by - ay) * (bx - ax)) in = !in;
    }
    return in;
}

bool CMap_ShapePlane::GetTextPos(const ShapeBox& view, ShapePair& pos) const
{
    if (m_Points.size() < 3 || !m_Box.Meets(view)) return false;
    std::vector<Pt> ring;
    ring.reserve(m_Points.size());
    for (const ShapePair& p : m_Points) ring.push_back({p.Y, p.X});
    const std::vector<Pt> clipped = ClipRingToBox(ring, view);
    if (clipped.size() < 3) return false;

    double a2 = 0.0, cy = 0.0, cx = 0.0;
    for (size_t i = 0, j = clipped.size() - 1; i < clipped.size(); j = i++)
    {
        const double cross = clipped[j].y * clipped[i].x - clipped[i].y * clipped[j].x;
        a2 += cross;
        cy += (clipped[j].y + clipped[i].y) * cross;
        cx += (clipped[j].x + clipped[i].x) * cross;
    }
    if (std::fabs(a2) < 1e-300) return false;
    cy /= 3.0 * a2;
    cx /= 3.0 * a2;
    if (InsideRing(clipped, cy, cx))
    {
        pos = {float(cy), float(cx)};
        return true;
    }
    // A bent ring: the widest inside stretch of the line of constant northing through the centroid.
    std::vector<double> cuts;
    for (size_t i = 0, j = clipped.size() - 1; i < clipped.size(); j = i++)
    {
        const Pt& a = clipped[i];
        const Pt& b = clipped[j];
        if ((a.y > cy) != (b.y > cy)) cuts.push_back(a.x + (cy - a.y) / (b.y - a.y) * (b.x - a.x));
    }
    std::sort(cuts.begin(), cuts.end());
    double best = -1.0;
    for (size_t i = 0; i + 1 < cuts.size(); i += 2)
        if (cuts[i + 1] - cuts[i] > best)
        {
            best = cuts[i + 1] - cuts[i];
            pos = {float(cy), float((cuts[i] + cuts[i + 1]) / 2.0)};
        }
    return best >= 0.0;
}
