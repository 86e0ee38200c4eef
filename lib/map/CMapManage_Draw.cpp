// The map manager's pictures on the owner thread: the view's paint, the decorations, clipped
// lines and the position marker.
#include "map/CMapManage.h"

#include "geometry/Angle.h"
#include "map/CMapOwnerView.h"
#include "map/MapPaint.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

using namespace mappaint;

void CMapManage::Draw_ToView(int dx, int dy)
{
    if (!m_pOwnerView) return;
    const CRect rc = m_pOwnerView->GetClientRect();
    if (CMapOverlay* overlay = m_pOwnerView->GetOverlay())
    {
        overlay->Resize(QSize(std::max(0, rc.Width()), std::max(0, rc.Height())));
        overlay->Clear();
    }
    {
        std::lock_guard<std::mutex> lock(m_BufferMutex);
        m_ViewShift = QPoint(dx, dy);
    }
    m_pOwnerView->RequestRepaint();
}

void CMapManage::OnDraw(QPainter* painter, int dx, int dy)
{
    if (!m_pOwnerView || !painter)
    {
        Draw_ToView(dx, dy);
        return;
    }
    const CRect rc = m_MapConvert.GetClientRect();
    {
        std::lock_guard<std::mutex> lock(m_BufferMutex);
        // Whatever the buffer does not cover (a shifted picture, a view that has grown) shows the
        // background.
        if (m_Display.isNull() || m_ViewShift + QPoint(dx, dy) != QPoint() ||
            m_Display.width() < rc.Width() || m_Display.height() < rc.Height())
            painter->fillRect(rc.toQRect(), ToQColor(m_MapConvert.GetBackGroundColor()));
        if (!m_Display.isNull()) painter->drawImage(QPoint(dx, dy) + m_ViewShift, m_Display);
    }
    DrawNorthPointer(painter);
    DrawScale(painter);
}

void CMapManage::DrawLayerToBitmap(int index)
{
    if (index < 0 || index >= static_cast<int>(m_MapLayers.size())) return;
    CMapLayer* layer = m_MapLayers[index].get();
    if (!layer || !layer->GetMapItem().Visible) return;
    WaitForDrawing(); // the layer must not be drawn by two threads at once
    std::lock_guard<std::mutex> lock(m_BufferMutex);
    if (m_Display.isNull()) return;
    QPainter painter(&m_Display);
    layer->DrawAll(&painter, 0);
}

void CMapManage::DrawNorthPointer(QPainter* painter) const
{
    if (!painter) return;
    const int R = m_MapConvert.GetClientRect().right;
    const QBrush previous = SelectedBrush(painter);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(SolidPen(RGB(0, 0, 255), 1));
    painter->setBrush(QBrush(ToQColor(RGB(0, 0, 255))));
    const QPoint right[3] = {QPoint(R - 18, 4), QPoint(R - 18, 44), QPoint(R - 6, 54)};
    painter->drawPolygon(right, 3);
    painter->setBrush(previous);
    const QPoint left[3] = {QPoint(R - 18, 4), QPoint(R - 18, 44), QPoint(R - 30, 54)};
    painter->drawPolygon(left, 3);
    painter->restore();
}

namespace
{
// The scale bar's length for `metres` on 100 pixels: the length itself when it reads with two
// significant digits (150 m, 2.5 m, 700 m: every scale the view uses), otherwise the longest of
// 1, 1.5, 2, 2.5, 3, 4, 5 and 7.5 times a power of ten that is shorter.
double RoundBarLength(double metres)
{
    if (!(metres > 0) || !std::isfinite(metres)) return metres;
    const double decade = std::pow(10.0, std::floor(std::log10(metres)));
    const double digits = metres / decade * 10;
    if (std::fabs(digits - std::round(digits)) < 1e-6 * digits) return metres;
    double best = decade;
    for (double step : {1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 7.5})
        if (step * decade <= metres) best = step * decade;
    return best;
}
} // namespace

void CMapManage::DrawScale(QPainter* painter) const
{
    if (!painter) return;
    const CRect rc = m_MapConvert.GetClientRect();
    const unsigned long color = (m_MapConvert.GetBackGroundColor() ^ 0xFFFFFFul) & 0xFFFFFFul;
    // The bar is 100 pixels at the view's scales. A picture drawn at another scale (an exported
    // picture fitted to its size) gets a shorter bar of a round length, not one of "667m".
    const double scale = m_MapConvert.GetScale();
    const double length = RoundBarLength(100 * scale);
    const int pixels = scale > 0 ? std::clamp(static_cast<int>(std::lround(length / scale)), 1, 100) : 100;
    const int x0 = rc.left + 4, x1 = x0 + pixels, y = rc.bottom - 20;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(SolidPen(color, 1));
    painter->drawLine(x0, y, x0, y + 12);
    painter->drawLine(x1, y, x1, y + 12);
    painter->drawLine(x0, y + 6, x1, y + 6);

    QString label;
    if (length < 1)
        label = QString::asprintf("%.2fm", length);
    else if (length < 5)
        label = QString::asprintf("%.1fm", length);
    else
        label = QString::asprintf("%.0fm", length);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    painter->setFont(font);
    painter->setBackgroundMode(Qt::TransparentMode);
    painter->drawText(QRect(x0, rc.bottom - 38, x1 - x0, 18), Qt::AlignCenter | Qt::TextSingleLine, label);
    painter->restore();
}

int CMapManage::GetDistance(CPoint a, CPoint b)
{
    const double dx = static_cast<double>(a.x) - b.x, dy = static_cast<double>(a.y) - b.y;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

int CMapManage::EnCode(CPoint p) const
{
    const CRect rc = m_MapConvert.GetClientRect();
    int code = 0;
    if (p.x < rc.left)
        code |= 1;
    else if (p.x > rc.right)
        code |= 2;
    if (p.y < rc.top)
        code |= 4;
    else if (p.y > rc.bottom)
        code |= 8;
    return code;
}

int CMapManage::JudgeLineInRect(CPoint& p1, CPoint& p2) const
{
    const CRect rc = m_MapConvert.GetClientRect();
    int c1 = EnCode(p1), c2 = EnCode(p2);
    // Each pass moves one end onto an edge and clears that edge's bit; four passes per end at most.
    for (int pass = 0; pass < 16; ++pass)
    {
        if ((c1 | c2) == 0) return 1;
        if (c1 & c2) break;
        const int c = c1 ? c1 : c2;
        const long long x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
        long long x = 0, y = 0;
        // Integer division truncates toward zero, as the slope arithmetic always has here.
        if (c & 1)
        {
            x = rc.left;
            y = y1 + (y2 - y1) * (x - x1) / (x2 - x1);
        }
        else if (c & 2)
        {
            x = rc.right;
            y = y1 + (y2 - y1) * (x - x1) / (x2 - x1);
        }
        else if (c & 4)
        {
            y = rc.top;
            x = x1 + (x2 - x1) * (y - y1) / (y2 - y1);
        }
        else
        {
            y = rc.bottom;
            x = x1 + (x2 - x1) * (y - y1) / (y2 - y1);
        }
        const CPoint q(static_cast<int>(x), static_cast<int>(y));
        if (c == c1)
        {
            p1 = q;
            c1 = EnCode(p1);
        }
        else
        {
            p2 = q;
            c2 = EnCode(p2);
        }
    }
    p1 = p2 = CPoint(-1000, -1000);
    return 0;
}

void CMapManage::DrawLine(QPainter* painter, CPoint p1, CPoint p2) const
{
    if (!painter) return;
    if (!JudgeLineInRect(p1, p2)) return;
    painter->drawLine(p1.toQPoint(), p2.toQPoint());
}

void CMapManage::DrawCircle(QPainter* painter, CPoint centre, int radius) const
{
    if (!painter || radius <= 0) return;
    const int n = static_cast<int>(2 * Angle::kPi * radius);
    if (n < 1) return;
    QPolygon ring(n);
    for (int i = 0; i < n; ++i)
    {
        const double a = 2 * Angle::kPi * i / n;
        ring[i] = QPoint(centre.x + static_cast<int>(radius * std::cos(a)), centre.y - static_cast<int>(radius * std::sin(a)));
    }
    painter->drawPolygon(ring);
}

void CMapManage::DrawPointer(QPainter* painter, const xyhCoord& position, int repaint)
{
    if (!painter) return;
    if (m_PointerPositions.size() < 2)
    {
        m_PointerPositions.push_back(position);
        return;
    }
    const xyhCoord last = m_PointerPositions.back();
    if (!repaint && std::fabs(position.x - last.x) < 1e-4 && std::fabs(position.y - last.y) < 1e-4) return;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    // Drawn with "not (pen xor screen)", so drawing the same shape again removes it.
    painter->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const QPen pen = SolidPen(RGB(255, 0, 0), 2);
    const QBrush brush(ToQColor(RGB(255, 0, 0)));

    auto drawMarker = [&](const std::vector<CPoint>& shape) {
        if (shape.size() == 1)
        {
            painter->setPen(pen);
            painter->setBrush(Qt::NoBrush);
            DrawCircle(painter, shape[0], 20);
            DrawCircle(painter, shape[0], 4);
        }
        else if (shape.size() == 4)
        {
            painter->setPen(pen);
            painter->setBrush(brush);
            QPolygon polygon;
            for (const CPoint& p : shape) polygon << p.toQPoint();
            painter->drawPolygon(polygon);
        }
    };

    drawMarker(m_PointerShape); // erase
    m_PointerShape.clear();
    if (!repaint) m_PointerPositions = {last, position};
    const xyhCoord A = m_PointerPositions[0], B = m_PointerPositions[1];
    const double dx = B.x - A.x, dy = B.y - A.y;
    if (std::fabs(dx) <= 1e-6 && std::fabs(dy) <= 1e-6)
    {
        painter->restore();
        return;
    }
    double heading = std::atan2(dx, dy) + Angle::kPi;
    if (heading <= 0) heading += 2 * Angle::kPi;
    const double distance = std::hypot(dx, dy);
    CPoint pb;
    m_MapConvert.WorldToClient(B, pb);
    if (distance - 0.05 < 1e-6)
    {
        m_PointerShape = {pb};
    }
    else
    {
        const double s = m_MapConvert.GetScale();
        xyhCoord ahead = B;
        ahead.x += dx * 40 * s / distance;
        ahead.y += dy * 40 * s / distance;
        CPoint tip;
        m_MapConvert.WorldToClient(ahead, tip);
        auto corner = [&](double h) {
            return CPoint(pb.x + static_cast<int>(std::cos(h) * 60 + 0.5), pb.y - static_cast<int>(std::sin(h) * 60 + 0.5));
        };
        m_PointerShape = {pb, corner(heading - 0.25), tip, corner(heading + 0.25)};
    }
    drawMarker(m_PointerShape);
    painter->restore();
}

void CMapManage::DrawPointer_OnPaint(QPainter* painter)
{
    if (m_PointerPositions.size() != 2) return;
    m_PointerShape.clear(); // the repainted picture no longer shows it
    DrawPointer(painter, m_PointerPositions[1], 1);
}
