// Drawing of the computed alignment: the centre line and its labelled main points.
#include "road/CRoadDesign.h"

#include "map/CMapConvert.h"
#include "map/MapPaint.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{
// Client coordinates further out than this are clipped before they reach the painter: a deeply
// zoomed view puts the far end of a long element millions of pixels away, and the painter's
// fixed-point rasteriser is not made for such numbers.
constexpr double kMargin = 4096.0;

// Above this many samples a curve is sampled finely only where it may be seen.
constexpr long kDirectSamples = 4096;

struct Box
{
    double left, top, right, bottom;
    bool Contains(double x, double y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// Liang-Barsky clipping of a segment to the box; false when nothing of it remains.
bool ClipToBox(const Box& b, double& x1, double& y1, double& x2, double& y2)
{
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0.0, t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - b.left, b.right - x1, y1 - b.top, b.bottom - y1};
    for (int i = 0; i < 4; ++i)
    {
        if (p[i] == 0.0)
        {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double nx1 = x1 + t0 * dx, ny1 = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = nx1;
    y1 = ny1;
    return true;
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

QPointF ClientPoint(const CMapConvert* convert, double x, double y)
{
    long cx = 0, cy = 0;
    convert->WorldToClient(x, y, cx, cy);
    return QPointF(static_cast<double>(cx), static_cast<double>(cy));
}

// The sample stations of a curve: start, start + step, ... while below the end, then the end.
// Long sample runs are thinned where the curve cannot be seen: a stretch of arc of length d lies
// within d of its first point, so a stretch whose disc misses the (world) view contributes only
// its end points. Every sample that can fall in the view is kept.
class CurveSampler
{
public:
    CurveSampler(const CRoadElement& e, double step, double viewMinX, double viewMaxX, double viewMinY, double viewMaxY)
        : m_E(e), m_Step(step), m_MinX(viewMinX), m_MaxX(viewMaxX), m_MinY(viewMinY), m_MaxY(viewMaxY)
    {
        const double length = e.m_EndStation - e.m_StartStation;
        long k = static_cast<long>(std::ceil(length / step)) - 1; // intermediate samples
        if (k < 0) k = 0;
        while (k > 0 && !(e.m_StartStation + k * step < e.m_EndStation)) --k;
        while (e.m_StartStation + (k + 1) * step < e.m_EndStation) ++k;
        m_Last = k + 1;
    }

    long Count() const { return m_Last + 1; }

    void Collect(std::vector<xyhCoord>& out)
    {
        Emit(0, out);
        if (m_Last <= kDirectSamples)
            for (long i = 1; i <= m_Last; ++i) Emit(i, out);
        else
            Thin(0, m_Last, out);
    }

private:
    double Station(long i) const { return i >= m_Last ? m_E.m_EndStation : m_E.m_StartStation + i * m_Step; }

    void Emit(long i, std::vector<xyhCoord>& out) const
    {
        xyhCoord p;
        double bearing = 0;
        if (m_E.GetAngleAndXY(Station(i), p.x, p.y, bearing, 0.0)) out.push_back(p);
    }

    bool DiscMissesView(long i, long j) const
    {
        xyhCoord c;
        double bearing = 0;
        if (!m_E.GetAngleAndXY(Station(i), c.x, c.y, bearing, 0.0)) return false;
        const double r = Station(j) - Station(i);
        const double nx = std::clamp(c.x, m_MinX, m_MaxX), ny = std::clamp(c.y, m_MinY, m_MaxY);
        return std::hypot(c.x - nx, c.y - ny) > r;
    }

    // Emits the samples (i, j].
    void Thin(long i, long j, std::vector<xyhCoord>& out)
    {
        if (j - i <= 64)
        {
            for (long k = i + 1; k <= j; ++k) Emit(k, out);
            return;
        }
        if (DiscMissesView(i, j))
        {
            Emit(j, out);
            return;
        }
        const long mid = i + (j - i) / 2;
        Thin(i, mid, out);
        Thin(mid, j, out);
    }

    const CRoadElement& m_E;
    double m_Step;
    double m_MinX, m_MaxX, m_MinY, m_MaxY;
    long m_Last = 1;
};
} // namespace

void CRoadDesign::Draw(QPainter* painter, CMapConvert* convert, int labelMode) const
{
    if (!painter || !convert) return;
    const double scale = convert->GetScale();
    const CRect rc = convert->GetClientRect();
    const xyhCoord start = convert->GetStartCor();
    const Box safe{rc.left - kMargin, rc.top - kMargin, rc.right + kMargin, rc.bottom + kMargin};
    // The world rectangle of the view, widened by a pixel for rounding.
    const double viewMinX = start.x - scale, viewMaxX = start.x + (rc.Height() + 1) * scale;
    const double viewMinY = start.y - scale, viewMaxY = start.y + (rc.Width() + 1) * scale;

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
        samples.clear();
        if (!(length > 0.0) || !(step > 0.0) || !std::isfinite(length / step))
        {
            // Nothing to sample between: the two ends.
            double x, y, b;
            if (e.GetAngleAndXY(e.m_StartStation, x, y, b, 0.0)) samples.push_back({x, y, 0.0});
            if (e.GetAngleAndXY(e.m_EndStation, x, y, b, 0.0)) samples.push_back({x, y, 0.0});
        }
        else
        {
            CurveSampler sampler(e, step, viewMinX, viewMaxX, viewMinY, viewMaxY);
            sampler.Collect(samples);
        }

        client.clear();
        bool visible = false;
        for (const xyhCoord& p : samples)
        {
            long cx = 0, cy = 0;
            convert->WorldToClient(p.x, p.y, cx, cy);
            visible = visible || (cx >= rc.left && cx < rc.right && cy >= rc.top && cy < rc.bottom);
            client.emplace_back(static_cast<double>(cx), static_cast<double>(cy));
        }
        if (visible) DrawPolyline(painter, safe, client);
    }

    painter->setBackgroundMode(Qt::TransparentMode);
    const QBrush brush = mappaint::SelectedBrush(painter);
    const QColor red(255, 0, 0);
    for (const SurveyCoord& p : m_MainPoints)
    {
        long cx = 0, cy = 0;
        convert->WorldToClient(p.x, p.y, cx, cy);
        if (!(cx >= rc.left && cx < rc.right && cy >= rc.top && cy < rc.bottom)) continue;
        const int x = static_cast<int>(cx), y = static_cast<int>(cy);
        painter->setPen(roadPen);
        painter->setBrush(brush);
        painter->drawEllipse(QRect(x - 2, y - 2, 4, 4));
        QString text;
        if (labelMode == 1)
            text = p.name;
        else if (labelMode == 2)
            text = p.note;
        if (text.isEmpty()) continue;
        painter->setPen(red);
        painter->drawText(QRect(x + 5, y - 8, 400, 20), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
    painter->restore();
}
