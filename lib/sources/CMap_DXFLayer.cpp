#include "sources/CMap_DXFData.h"

#include "map/CMapConvert.h"
#include "map/CMapPaint.h"
#include "map/MapPaint.h"

#include <dxflib/dl_codes.h>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <map>

void DxfBox::Add(const CVector& p)
{
    if (IsEmpty())
    {
        minX = maxX = p.x;
        minY = maxY = p.y;
        return;
    }
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
}

void DxfBox::Add(const DxfBox& b)
{
    if (b.IsEmpty()) return;
    Add(CVector(b.minX, b.minY));
    Add(CVector(b.maxX, b.maxY));
}

void CMap_DXFPlaneData::StartRing()
{
    if (!m_Points.empty() && (m_RingStarts.empty() || m_RingStarts.back() != int(m_Points.size())))
        m_RingStarts.push_back(int(m_Points.size()));
}

namespace
{
DxfBox BoxOf(const std::vector<CVector>& points)
{
    DxfBox b;
    for (const CVector& p : points) b.Add(p);
    return b;
}

// Client positions far outside the picture are pulled in: the drawing library works in 32-bit
// fixed point and absurd zooms must not overflow it. Lines that cross the picture stay close
// enough to exact at any zoom a user reaches.
constexpr double kFar = 1e7;

// floor, then clamped to ±kFar, without a call into the maths library per coordinate.
double FloorWithin(double v)
{
    if (!(v > -kFar)) return -kFar;
    if (v >= kFar) return kFar;
    const long long t = static_cast<long long>(v); // towards zero
    return double(t - (double(t) > v ? 1 : 0));
}

// The converter's world-to-client formula (CMapConvert::WorldToClientExact, same operations in
// the same order, so the same pixels) with the view read once: a drawing seen whole converts
// millions of vertices.
class ClientTransform
{
public:
    explicit ClientTransform(const CMapConvert* conv)
    {
        const xyhCoord start = conv->GetStartCor();
        const CRect client = conv->GetClientRect();
        m_X0 = start.x, m_Y0 = start.y, m_Scale = conv->GetScale();
        m_Left = client.left, m_Bottom = client.bottom;
        m_Usable = m_Scale >= 1e-7;
    }
    QPointF operator()(const CVector& p) const
    {
        if (!m_Usable) return QPointF(0.0, 0.0);
        const double cx = (p.y - m_Y0) / m_Scale + m_Left + 0.5;
        const double cy = m_Bottom - (p.x - m_X0) / m_Scale + 0.5;
        return QPointF(FloorWithin(cx), FloorWithin(cy));
    }
    QPoint Pixel(const CVector& p) const
    {
        const QPointF c = (*this)(p);
        return QPoint(int(c.x()), int(c.y()));
    }

private:
    double m_X0 = 0.0, m_Y0 = 0.0, m_Scale = 0.0, m_Left = 0.0, m_Bottom = 0.0;
    bool m_Usable = false;
};

// floor(v + 0.5) for the small steps of a short segment.
int RoundHalfUp(double v)
{
    const double u = v + 0.5;
    const int t = int(u);
    return t - (double(t) > u ? 1 : 0);
}
} // namespace

void CMap_DXFLayer::AddData(const CMap_DXFPointData& p)
{
    m_Points.push_back(p);
    m_Extent.Add(p.GetPoint());
}

void CMap_DXFLayer::AddData(CMap_DXFLineData&& line)
{
    if (line.GetPointNum() == 0) return;
    const DxfBox box = BoxOf(line.Points());
    m_Extent.Add(box);
    m_LineBoxes.push_back(box);
    m_LinePoints.insert(m_LinePoints.end(), line.Points().begin(), line.Points().end());
    m_LineStarts.push_back(m_LinePoints.size());
}

std::vector<DxfPointSpan> CMap_DXFLayer::Lines() const
{
    std::vector<DxfPointSpan> out;
    out.reserve(m_LineBoxes.size());
    for (int i = 0; i < GetLineCount(); ++i) out.push_back(GetLine(i));
    return out;
}

void CMap_DXFLayer::AddData(CMap_DXFPlaneData&& plane)
{
    if (plane.GetPointNum() == 0) return;
    const DxfBox box = BoxOf(plane.Points());
    m_Extent.Add(box);
    m_PlaneBoxes.push_back(box);
    m_Planes.push_back(std::move(plane));
}

void CMap_DXFLayer::AddData(CMap_DXFTextData&& text)
{
    if (text.GetText().isEmpty()) return;
    m_Extent.Add(text.GetPos());
    m_Texts.push_back(std::move(text));
}

void CMap_DXFLayer::AddData(const CMap_DXFEllipseData& e)
{
    m_Extent.Add(CVector(e.GetCenter().x - e.GetRadiusX(), e.GetCenter().y - e.GetRadiusY()));
    m_Extent.Add(CVector(e.GetCenter().x + e.GetRadiusX(), e.GetCenter().y + e.GetRadiusY()));
    m_Ellipses.push_back(e);
}

long long CMap_DXFLayer::PrimitiveCount() const
{
    return (long long)(m_Points.size() + m_LineBoxes.size() + m_Planes.size() + m_Texts.size() + m_Ellipses.size());
}

unsigned long CMap_DXFLayer::ColourOf(int number)
{
    if (number < 1 || number > 255) number = 7;
    const auto part = [&](int i) { return int(dxfColors[number][i] * 255.0); };
    return RGB(part(0), part(1), part(2));
}

void CMap_DXFLayer::Draw(QPainter* painter, unsigned long background) const
{
    if (!painter || !m_pConvert) return;
    const CMapConvert* conv = m_pConvert;
    const ClientTransform toClient(conv);
    unsigned long colour = ColourOf(m_Colour);
    if (colour == background) colour ^= 0xFFFFFF;

    // The view in world coordinates, widened by a few pixels so that thick outlines at the edge
    // are not cut off.
    const CRect client = conv->GetClientRect();
    const double margin = 4.0 * conv->GetScale();
    DxfBox view;
    double x = 0, y = 0;
    conv->ClientToWorld(client.left, client.bottom, x, y);
    view.Add(CVector(x - margin, y - margin));
    conv->ClientToWorld(client.right, client.top, x, y);
    view.Add(CVector(x + margin, y + margin));
    if (!view.Overlaps(m_Extent)) return;

    const QColor qc = ToQColor(colour);
    QPen pen = mappaint::SolidPen(colour, m_PenWidth);
    if (m_PenStyle != 0) pen.setStyle(Qt::PenStyle(m_PenStyle));
    painter->save();
    painter->setPen(pen);
    painter->setBrush(QBrush(qc));

    QPolygonF poly;
    for (size_t i = 0; i < m_Planes.size(); ++i)
    {
        if (!m_PlaneBoxes[i].Overlaps(view)) continue;
        const CMap_DXFPlaneData& plane = m_Planes[i];
        const std::vector<CVector>& pts = plane.Points();
        if (plane.RingStarts().empty())
        {
            poly.clear();
            for (const CVector& p : pts) poly.append(toClient(p));
            painter->drawPolygon(poly, Qt::OddEvenFill);
            continue;
        }
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        size_t ring = 0;
        for (size_t k = 0; k < pts.size(); ++k)
        {
            const QPointF c = toClient(pts[k]);
            const bool starts = k == 0 || (ring < plane.RingStarts().size() && int(k) == plane.RingStarts()[ring]);
            if (starts)
            {
                if (k > 0)
                {
                    path.closeSubpath();
                    ++ring;
                }
                path.moveTo(c);
            }
            else
                path.lineTo(c);
        }
        path.closeSubpath();
        painter->drawPath(path);
    }
    painter->setBrush(Qt::NoBrush);

    // Polylines become whole-pixel segments, collected and drawn in batches: a vertex on the
    // pixel of the one before adds nothing, so a drawing of millions of sampled arc points seen
    // whole costs what its pixels cost.
    // A segment to a neighbouring pixel colours just its first pixel (lines leave out their last
    // one), so those, the bulk of a drawing seen whole, are set as pixels.
    std::vector<QLine> segments;
    std::vector<QPoint> pixels;
    segments.reserve(8192);
    pixels.reserve(8192);
    const auto flush = [&] {
        if (!segments.empty()) painter->drawLines(segments.data(), int(segments.size()));
        if (!pixels.empty()) MapDrawPixels(painter, pixels.data(), int(pixels.size()));
        segments.clear();
        pixels.clear();
    };
    const auto pixelOf = [&](const CVector& p) { return toClient.Pixel(p); };
    const double pixel = conv->GetScale();
    for (size_t i = 0; i < m_LineBoxes.size(); ++i)
    {
        const DxfBox& box = m_LineBoxes[i];
        if (!box.Overlaps(view)) continue;
        const DxfPointSpan pts = GetLine(int(i));
        // A polyline a few pixels across needs no more than a few vertices per pixel: a sampled
        // arc seen from afar is not converted point by point.
        const double across = std::max(box.maxX - box.minX, box.maxY - box.minY) / pixel;
        const size_t stride = across < 1e6 ? std::max<size_t>(1, size_t(double(pts.size()) / (4.0 * across + 8.0))) : 1;
        QPoint last = pixelOf(pts.front());
        bool drawn = false;
        for (size_t k = 1; k < pts.size(); k += stride)
        {
            if (k + stride >= pts.size()) k = pts.size() - 1; // always end at the last vertex
            const QPoint c = pixelOf(pts[k]);
            if (c == last) continue;
            const int dx = c.x() - last.x(), dy = c.y() - last.y();
            const int steps = std::max(std::abs(dx), std::abs(dy));
            if (steps <= 16)
            {
                // Short segments (most of a drawing seen whole) are stepped here, their last
                // pixel left out as the line drawing does; long ones go to the painter.
                const double sx = double(dx) / steps, sy = double(dy) / steps;
                for (int k = 0; k < steps; ++k)
                    pixels.emplace_back(last.x() + RoundHalfUp(sx * k), last.y() + RoundHalfUp(sy * k));
            }
            else
                segments.emplace_back(last, c);
            last = c;
            drawn = true;
        }
        // A polyline within one pixel is that pixel.
        if (!drawn) pixels.push_back(last);
        if (segments.size() >= 8192 || pixels.size() >= 8192) flush();
    }
    flush();

    for (const CMap_DXFEllipseData& e : m_Ellipses)
    {
        DxfBox box;
        box.Add(CVector(e.GetCenter().x - e.GetRadiusX(), e.GetCenter().y - e.GetRadiusY()));
        box.Add(CVector(e.GetCenter().x + e.GetRadiusX(), e.GetCenter().y + e.GetRadiusY()));
        if (!box.Overlaps(view)) continue;
        const QPointF c = toClient(e.GetCenter());
        // The ellipse's x radius runs along the map's x, which is the screen's vertical.
        const double ry = double(conv->GetScreenLength(e.GetRadiusX()));
        const double rx = double(conv->GetScreenLength(e.GetRadiusY()));
        if (rx > kFar || ry > kFar) continue;
        // A circle smaller than a pixel is a dot (everything of a layer has one colour, so the
        // dots may join the batch of pixels).
        if (rx < 1.0 && ry < 1.0)
            pixels.emplace_back(int(c.x()), int(c.y()));
        else
            painter->drawEllipse(c, rx, ry);
    }

    for (const CMap_DXFPointData& p : m_Points)
    {
        if (p.GetPoint().x < view.minX || p.GetPoint().x > view.maxX || p.GetPoint().y < view.minY ||
            p.GetPoint().y > view.maxY)
            continue;
        // The two-pixel dash from (x - 1, y) to (x, y) colours its first pixel.
        const QPoint c = pixelOf(p.GetPoint());
        pixels.emplace_back(c.x() - 1, c.y());
    }
    flush();

    std::map<long, QFont> fonts;
    painter->setBackgroundMode(Qt::TransparentMode);
    for (const CMap_DXFTextData& t : m_Texts)
    {
        long cx = 0, cy = 0;
        conv->WorldToClient(t.GetPos().x, t.GetPos().y, cx, cy);
        const long height = conv->GetScreenLength(t.GetHeight());
        const CPoint anchor(int(std::clamp<long>(cx, -1000000, 1000000)), int(std::clamp<long>(cy, -1000000, 1000000)));
        if (!client.PtInRect(anchor) || height < 4)
        {
            // Too small to read, or anchored outside: a short dash from (x - 1, y) to (x + 1, y)
            // marks where it is.
            pixels.emplace_back(anchor.x - 1, anchor.y);
            pixels.emplace_back(anchor.x, anchor.y);
            if (pixels.size() >= 8192) flush();
            continue;
        }
        const long pixelHeight = std::min<long>(height, 4096);
        auto found = fonts.find(pixelHeight);
        if (found == fonts.end())
        {
            // The swiss family without a face name: whatever sans-serif font the system has.
            QFont font(QStringLiteral("Sans Serif"));
            font.setStyleHint(QFont::SansSerif);
            font.setPixelSize(int(pixelHeight));
            font.setWeight(QFont::Normal);
            found = fonts.emplace(pixelHeight, font).first;
        }
        painter->setFont(found->second);
        const QFontMetrics metrics(found->second);
        const QStringList lines = t.GetText().split(QLatin1Char('\n'));
        const int lineHeight = metrics.height();
        const int blockHeight = lineHeight * int(lines.size());
        painter->save();
        painter->translate(anchor.x, anchor.y);
        if (t.GetAngle() != 0.0) painter->rotate(-t.GetAngle());
        double top = 0.0;
        if (t.GetVertical() == 6) top = -blockHeight / 2.0;
        else if (t.GetVertical() == 8) top = -blockHeight;
        for (int k = 0; k < lines.size(); ++k)
        {
            const int width = metrics.horizontalAdvance(lines[k]);
            double left = 0.0;
            if (t.GetHorizontal() == 6) left = -width / 2.0;
            else if (t.GetHorizontal() == 2) left = -width;
            painter->drawText(QPointF(left, top + k * lineHeight + metrics.ascent()), lines[k]);
        }
        painter->restore();
    }
    flush();
    painter->restore();
}
