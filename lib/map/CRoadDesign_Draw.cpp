// Drawing of the computed alignment: the centre line and its labelled main points. The road
// engine does not know the map engine, so the model's Draw is defined here, beside the road layer
// (map/CMapLayer_Road.h) that calls it.
#include "road/CRoadDesign.h"

#include "geometry/SegmentClip.h"
#include "map/CMapConvert.h"
#include "map/MapPaint.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QStaticText>
#include <QPolygon>

#include "platform/NumberText.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace
{
// Client coordinates further out than this are clipped before they reach the painter: a deeply
// zoomed view puts the far end of a long element millions of pixels away, and the painter's
// fixed-point rasteriser is not made for such numbers.
constexpr double kMargin = 4096.0;

struct Box
{
    double left, top, right, bottom;
    bool Contains(double x, double y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

bool ClipToBox(const Box& b, double& x1, double& y1, double& x2, double& y2)
{
    return ClipSegmentToBox(b.left, b.right, b.top, b.bottom, x1, y1, x2, y2);
}

QPoint Pixel(double x, double y) { return QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))); }

// Draws a polyline of whole-pixel client points, passing runs inside the safe box straight to the
// painter and clipping the segments that leave it.
void DrawPolyline(QPainter* painter, const Box& safe, const std::vector<QPointF>& points)
{
    QPolygon run;
    auto flush = [&]() {
        if (run.size() >= 2) painter->drawPolyline(run);
        run.clear();
    };
    for (size_t i = 0; i + 1 < points.size(); ++i)
    {
        const QPointF& a = points[i];
        const QPointF& b = points[i + 1];
        if (safe.Contains(a.x(), a.y()) && safe.Contains(b.x(), b.y()))
        {
            if (run.isEmpty()) run << Pixel(a.x(), a.y());
            run << Pixel(b.x(), b.y());
            continue;
        }
        flush();
        double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
        if (ClipToBox(safe, x1, y1, x2, y2)) painter->drawLine(Pixel(x1, y1), Pixel(x2, y2));
    }
    flush();
}

// Laid-out label texts: the same few hundred labels are drawn on every picture, and laying text
// out costs far more than drawing it. One cache per drawing thread, dropped when the font changes
// or it grows large.
const QStaticText& LabelText(const QString& text, const QFont& font)
{
    thread_local QHash<QString, QStaticText> cache;
    thread_local QFont cachedFont;
    if (cachedFont != font || cache.size() > 8192)
    {
        cache.clear();
        cachedFont = font;
    }
    auto it = cache.find(text);
    if (it == cache.end())
    {
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
        laidOut.prepare(QTransform(), font);
        it = cache.insert(text, laidOut);
    }
    return *it;
}

// A label already rendered and cropped to its ink; `offset` places the image relative to the
// text's top-left corner.
struct LabelImage
{
    QImage image;
    QPoint offset;
};

// The smallest rectangle holding every pixel that is not fully transparent.
QRect InkBounds(const QImage& image)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
    {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
        {
            if (qAlpha(line[x]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Labels rendered once into small premultiplied images. Blending a finished image is far cheaper
// than drawing its glyphs one by one (a glyph's coverage is blended pixel by pixel), and it gives
// the same pixels on a raster picture without a transform.
const LabelImage& RenderedLabel(const QString& text, const QFont& font, const QColor& colour)
{
    thread_local QHash<QString, LabelImage> cache;
    thread_local QFont cachedFont;
    thread_local QColor cachedColour;
    if (cachedFont != font || cachedColour != colour || cache.size() > 2048)
    {
        cache.clear();
        cachedFont = font;
        cachedColour = colour;
    }
    auto it = cache.find(text);
    if (it == cache.end())
    {
        const QStaticText& laidOut = LabelText(text, font);
        const QFontMetrics metrics(font);
        // Room round the text for glyphs that reach past their advance or line box.
        const int pad = 2 + metrics.height() / 2;
        const QSizeF size = laidOut.size();
        QImage canvas(static_cast<int>(std::ceil(size.width())) + 2 * pad,
                      static_cast<int>(std::ceil(size.height())) + 2 * pad, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        p.setFont(font);
        p.setPen(colour);
        p.drawStaticText(QPoint(pad, pad), laidOut);
        p.end();
        // Blending costs by the pixel: keep only the ink.
        const QRect ink = InkBounds(canvas);
        LabelImage label;
        if (!ink.isEmpty())
        {
            label.image = canvas.copy(ink);
            label.offset = ink.topLeft() - QPoint(pad, pad);
        }
        it = cache.insert(text, label);
    }
    return *it;
}

QPointF ClientPoint(const CMapConvert* convert, double x, double y)
{
    long cx = 0, cy = 0;
    convert->WorldToClient(x, y, cx, cy);
    return QPointF(static_cast<double>(cx), static_cast<double>(cy));
}

// Whether any segment of the polyline meets the rectangle.
bool PolylineMeets(const std::vector<QPointF>& points, const CRect& rc)
{
    // The client rectangle as a closed box of pixel positions (right and bottom edges excluded).
    const Box view{double(rc.left), double(rc.top), double(rc.right) - 1, double(rc.bottom) - 1};
    if (points.size() == 1) return view.Contains(points[0].x(), points[0].y());
    for (size_t i = 0; i + 1 < points.size(); ++i)
    {
        double x1 = points[i].x(), y1 = points[i].y(), x2 = points[i + 1].x(), y2 = points[i + 1].y();
        if (ClipToBox(view, x1, y1, x2, y2)) return true;
    }
    return false;
}
// The rectangles of the labels drawn so far, bucketed in cells so that a crowded view of a few
// thousand main points checks only the neighbours of each label.
class LabelSpace
{
public:
    // True, and the rectangle is taken, when it meets no label placed before.
    bool Take(const QRect& r)
    {
        const int x0 = Cell(r.left()), x1 = Cell(r.right()), y0 = Cell(r.top()), y1 = Cell(r.bottom());
        for (int cx = x0; cx <= x1; ++cx)
            for (int cy = y0; cy <= y1; ++cy)
            {
                auto it = m_Cells.find(Key(cx, cy));
                if (it == m_Cells.end()) continue;
                for (const QRect& other : it->second)
                    if (other.intersects(r)) return false;
            }
        for (int cx = x0; cx <= x1; ++cx)
            for (int cy = y0; cy <= y1; ++cy) m_Cells[Key(cx, cy)].push_back(r);
        return true;
    }

private:
    static int Cell(int v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }
    static unsigned long long Key(int cx, int cy)
    {
        return (static_cast<unsigned long long>(static_cast<unsigned>(cx)) << 32) | static_cast<unsigned>(cy);
    }
    std::unordered_map<unsigned long long, std::vector<QRect>> m_Cells;
};

QString LabelOf(const SurveyCoord& p, int labelMode, StationStyle style)
{
    const auto station = [&]() {
        return style == StationStyle::KiloMark ? FormatKiloMark(LeadingNumber(p.note)) : p.note;
    };
    switch (labelMode)
    {
    case 1: return p.name;
    case 2: return station();
    case 3: return p.name.isEmpty() ? station() : p.name + QLatin1Char(' ') + station();
    default: return QString();
    }
}
} // namespace

void CRoadDesign::Draw(QPainter* painter, CMapConvert* convert, int labelMode, StationStyle stationStyle) const
{
    if (!painter || !convert) return;
    const double scale = convert->GetScale();
    const CRect rc = convert->GetClientRect();
    const Box safe{rc.left - kMargin, rc.top - kMargin, rc.right + kMargin, rc.bottom + kMargin};

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QPen roadPen = mappaint::SolidPen(m_RoadColor, 1);
    painter->setPen(roadPen);

    std::vector<xyhCoord> samples;
    std::vector<QPointF> client;
    for (const CRoadElement& e : m_RoadElements)
    {
        if (e.m_Kind == CRoadElement::Straight)
        {
            double x1, y1, x2, y2, b;
            if (!e.GetAngleAndXY(e.m_StartStation, x1, y1, b, 0.0) || !e.GetAngleAndXY(e.m_EndStation, x2, y2, b, 0.0))
                continue;
            DrawPolyline(painter, safe, {ClientPoint(convert, x1, y1), ClientPoint(convert, x2, y2)});
            continue;
        }
        if (e.m_Kind != CRoadElement::CircularCurve && e.m_Kind != CRoadElement::Transition) continue;

        const double length = e.m_EndStation - e.m_StartStation;
        double step = 10.0;
        if (length / 10.0 < 5.0) step = length / 10.0;
        if (step <= scale) step = scale;
        // Samples: the start, every step while below the end, the end.
        samples.clear();
        auto sample = [&](double station) {
            xyhCoord p;
            double bearing = 0;
            if (e.GetAngleAndXY(station, p.x, p.y, bearing, 0.0)) samples.push_back(p);
        };
        sample(e.m_StartStation);
        if (length > 0.0 && step > 0.0 && std::isfinite(length / step))
            for (long k = 1; e.m_StartStation + k * step < e.m_EndStation; ++k) sample(e.m_StartStation + k * step);
        sample(e.m_EndStation);

        client.clear();
        for (const xyhCoord& p : samples) client.push_back(ClientPoint(convert, p.x, p.y));
        // Drawn when any part of it crosses the view. (Testing only the samples would lose a curve
        // zoomed in between two of its samples.)
        if (PolylineMeets(client, rc)) DrawPolyline(painter, safe, client);
    }

    painter->setBackgroundMode(Qt::TransparentMode);
    const QBrush brush = mappaint::SelectedBrush(painter);
    const QColor red(255, 0, 0);
    // Labels are single lines, left-aligned and vertically centred in a box 20 pixels high that
    // starts 8 pixels above the point.
    const QFont font = painter->font();
    const QFontMetrics metrics(font);
    // QStaticText is positioned by its top-left corner.
    const int top = -8 + (20 - metrics.height()) / 2;
    // Rendered labels stand in for the text only where they give the same pixels: a raster
    // picture drawn without a transform.
    const bool blitLabels = painter->paintEngine() && painter->paintEngine()->type() == QPaintEngine::Raster &&
                            painter->transform().isIdentity() && painter->opacity() == 1.0;
    // Every main point in view gets its marker; labels are laid out afterwards, the start and the
    // end first and then in station order, each only where it covers no label before it.
    std::vector<std::pair<size_t, QPoint>> shown;
    for (size_t i = 0; i < m_MainPoints.size(); ++i)
    {
        const SurveyCoord& p = m_MainPoints[i];
        long cx = 0, cy = 0;
        convert->WorldToClient(p.x, p.y, cx, cy);
        if (!(cx >= rc.left && cx < rc.right && cy >= rc.top && cy < rc.bottom)) continue;
        const int x = static_cast<int>(cx), y = static_cast<int>(cy);
        painter->setPen(roadPen);
        painter->setBrush(brush);
        painter->drawEllipse(QRect(x - 2, y - 2, 4, 4));
        shown.emplace_back(i, QPoint(x, y));
    }
    if (labelMode >= 1 && labelMode <= 3)
    {
        const size_t last = m_MainPoints.empty() ? 0 : m_MainPoints.size() - 1;
        std::stable_partition(shown.begin(), shown.end(),
                              [last](const std::pair<size_t, QPoint>& s) { return s.first == 0 || s.first == last; });
        LabelSpace space;
        painter->setPen(red);
        for (const auto& [index, at] : shown)
        {
            const QString text = LabelOf(m_MainPoints[index], labelMode, stationStyle);
            if (text.isEmpty()) continue;
            const QStaticText& laidOut = LabelText(text, font);
            const QPoint origin(at.x() + 5, at.y() + top);
            const QSizeF size = laidOut.size();
            // A pixel of air around each label keeps neighbours apart.
            if (!space.Take(QRect(origin, QSize(int(std::ceil(size.width())) + 2, int(std::ceil(size.height())) + 1))))
                continue;
            if (blitLabels)
            {
                const LabelImage& label = RenderedLabel(text, font, red);
                if (!label.image.isNull()) painter->drawImage(origin + label.offset, label.image);
                continue;
            }
            painter->drawStaticText(origin, laidOut);
        }
    }
    painter->restore();
}
