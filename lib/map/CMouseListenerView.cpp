#include "map/CMouseListenerView.h"

#include "map/CGeometry_AreaPerimeter.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"
#include "map/CMouseEvent.h"
#include "map/MapPaint.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

using namespace mappaint;

namespace
{
CMapManage* ManagerOf(const CMouseEvent* e) { return e ? static_cast<CMapManage*>(e->GetSource()) : nullptr; }

bool HasPoint(const CPoint& p) { return p.x != -1 || p.y != -1; }

// The owner view's overlay, sized to its client rectangle; null without a view.
CMapOverlay* OverlayOf(CMapManage* manager)
{
    IMapOwnerView* view = manager->GetOwnerView();
    if (!view) return nullptr;
    CMapOverlay* overlay = view->GetOverlay();
    if (!overlay) return nullptr;
    const CRect rc = view->GetClientRect();
    overlay->Resize(QSize(std::max(0, rc.Width()), std::max(0, rc.Height())));
    return overlay;
}

// Rubber bands: a dotted red pen under "not (pen xor screen)", no fill.
void SetBandStyle(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBackgroundMode(Qt::TransparentMode);
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.setPen(DotPen(RGB(255, 0, 0)));
    p.setBrush(Qt::NoBrush);
}
} // namespace

void CMouseListenerView::DrawBand(QPainter* painter, int tool, CPoint to) const
{
    const CPoint a = m_PressPoint;
    if (tool == ToolPan)
    {
        painter->drawLine(a.toQPoint(), to.toQPoint());
        return;
    }
    QPolygon band;
    band << a.toQPoint() << QPoint(a.x, to.y) << to.toQPoint() << QPoint(to.x, a.y) << a.toQPoint();
    painter->drawPolyline(band);
}

void CMouseListenerView::OnLButtonDown(CMouseEvent* e)
{
    CMapManage* manager = ManagerOf(e);
    if (!manager) return;
    m_PressPoint = e->GetPoint();
    m_SecondPoint = e->GetPoint();
    m_RubberBand.clear();
    if (e->GetOperate() == ToolMeasure) MeasureClick(manager, e->GetPoint());
}

void CMouseListenerView::MeasureClick(CMapManage* manager, CPoint point)
{
    const CMapConvert& convert = manager->m_MapConvert;
    xyhCoord world;
    convert.ClientToWorld(point, world);
    if (m_MeasurePoints.empty())
    {
        m_MeasurePoints.push_back(world);
        return;
    }

    manager->Draw_ToView(0, 0);
    CPoint lastClient;
    convert.WorldToClient(m_MeasurePoints.back(), lastClient);
    if (lastClient == point) return; // a double click adds no vertex
    m_MeasurePoints.push_back(world);

    CMapOverlay* overlay = OverlayOf(manager);
    if (!overlay || overlay->Picture().isNull()) return;
    QPainter p(&overlay->Picture());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBackgroundMode(Qt::TransparentMode);

    std::vector<CPoint> client(m_MeasurePoints.size());
    for (size_t i = 0; i < m_MeasurePoints.size(); ++i) convert.WorldToClient(m_MeasurePoints[i], client[i]);

    const QColor green = ToQColor(RGB(0, 255, 0));
    p.setPen(SolidPen(RGB(0, 255, 0), 1));
    QPolygon line;
    for (const CPoint& c : client) line << c.toQPoint();
    p.drawPolyline(line);

    const int labelFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    double total = 0.0;
    for (size_t i = 0; i + 1 < m_MeasurePoints.size(); ++i)
    {
        const xyhCoord& a = m_MeasurePoints[i];
        const xyhCoord& b = m_MeasurePoints[i + 1];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        total += length;
        const CPoint m(static_cast<int>((client[i].x + client[i + 1].x) / 2.0 + 0.5),
                       static_cast<int>((client[i].y + client[i + 1].y) / 2.0 + 0.5));
        p.setPen(green);
        p.drawText(QRect(m.x + 4, m.y - 8, 200, 20), labelFlags, QString::asprintf("%.2fm", length));
        const CPoint v = client[i + 1];
        p.drawText(QRect(v.x + 4, v.y - 8, 200, 20), labelFlags, QString::asprintf("%.2fm", total));
    }

    if (m_MeasurePoints.size() >= 3)
    {
        p.setPen(DotPen(RGB(255, 0, 0)));
        p.drawLine(point.toQPoint(), client.front().toQPoint());
        CGeometry_AreaPerimeter area;
        for (const xyhCoord& v : m_MeasurePoints) area.Add(v);
        int minX = client[0].x, maxX = minX, minY = client[0].y, maxY = minY;
        for (const CPoint& c : client)
        {
            minX = std::min(minX, c.x);
            maxX = std::max(maxX, c.x);
            minY = std::min(minY, c.y);
            maxY = std::max(maxY, c.y);
        }
        const int cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
        p.setPen(ToQColor(RGB(255, 0, 0)));
        p.drawText(QRect(cx - 150, cy - 10, 300, 20), Qt::AlignCenter | Qt::TextSingleLine,
                   QString::asprintf("%.2fm^2", area.GetArea()));
    }
}

void CMouseListenerView::OnMouseMove(CMouseEvent* e, QPainter* painter)
{
    CMapManage* manager = ManagerOf(e);
    if (!manager) return;
    const int tool = e->GetOperate();
    const CPoint cursor = e->GetPoint();
    const bool rectangle = tool == ToolZoomIn || tool == ToolZoomOut || tool == ToolBox;

    if (painter)
    {
        // Into the caller's picture: the clean map first, then a rectangle band (not remembered:
        // the next paint starts from a clean picture again). The pan line always goes to the view.
        manager->OnDraw(painter, 0, 0);
        if (rectangle)
        {
            if (!HasPoint(m_PressPoint)) return;
            painter->save();
            SetBandStyle(*painter);
            DrawBand(painter, tool, cursor);
            painter->restore();
            return;
        }
    }

    if (!rectangle && tool != ToolPan) return;
    // A band needs a press to start from.
    if (!HasPoint(m_PressPoint)) return;
    CMapOverlay* overlay = OverlayOf(manager);
    if (!overlay || overlay->XorLayer().isNull()) return;
    QPainter p(&overlay->XorLayer());
    SetBandStyle(p);
    if (!m_RubberBand.empty()) DrawBand(&p, tool, m_RubberBand.back()); // erase
    m_RubberBand.clear();
    DrawBand(&p, tool, cursor);
    m_RubberBand.push_back(cursor);
}

void CMouseListenerView::OnLButtonUp(CMouseEvent* e)
{
    CMapManage* manager = ManagerOf(e);
    if (!manager || !manager->GetOwnerView()) return;
    // A release without a press (the press went to another window) has no gesture to finish.
    if (HasPoint(m_PressPoint))
    {
        switch (e->GetOperate())
        {
        case ToolZoomIn: manager->ZoomIn(m_PressPoint, e->GetPoint()); break;
        case ToolZoomOut: manager->ZoomOut(m_PressPoint, e->GetPoint()); break;
        case ToolPan: manager->Move(m_PressPoint, e->GetPoint()); break;
        default: break;
        }
    }
    m_RubberBand.clear();
    m_PressPoint = CPoint(-1, -1);
}

void CMouseListenerView::OnRButtonDown(CMouseEvent* e)
{
    CMapManage* manager = ManagerOf(e);
    if (!manager || e->GetOperate() != ToolMeasure) return;
    m_MeasurePoints.clear();
    if (IMapOwnerView* view = manager->GetOwnerView())
    {
        if (CMapOverlay* overlay = view->GetOverlay()) overlay->Invalidate();
        view->RequestRepaint();
    }
}

void CMouseListenerView::OnCancel()
{
    m_MeasurePoints.clear();
    m_PressPoint = CPoint(-1, -1);
    m_SecondPoint = CPoint(-1, -1);
}
