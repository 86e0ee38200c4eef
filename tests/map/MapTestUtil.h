#pragma once

#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"
#include "map/CMapPaint.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

namespace maptest
{
// A host layer: a world rectangle filled with one colour, with that rectangle as its extent.
class RectLayer : public CMapLayer
{
public:
    RectLayer(double minX, double minY, double maxX, double maxY, QColor color)
        : m_MinX(minX), m_MinY(minY), m_MaxX(maxX), m_MaxY(maxY), m_Color(color)
    {
    }
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int) override
    {
        minX = m_MinX;
        maxX = m_MaxX;
        minY = m_MinY;
        maxY = m_MaxY;
        return 1;
    }
    void DrawAll(QPainter* p, int overlay) override
    {
        lastOverlayFlag.store(overlay);
        draws.fetch_add(1);
        if (!p || !m_pMapConvert || !m_MapItem.Visible) return;
        if (const int ms = delayMs.load()) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        long l, t, r, b;
        m_pMapConvert->WorldToClient(m_MaxX, m_MinY, l, t);
        m_pMapConvert->WorldToClient(m_MinX, m_MaxY, r, b);
        p->fillRect(QRect(QPoint(int(l), int(t)), QPoint(int(r) - 1, int(b) - 1)), m_Color);
    }
    std::atomic<int> draws{0};
    std::atomic<int> lastOverlayFlag{-1};
    std::atomic<int> delayMs{0};

private:
    double m_MinX, m_MinY, m_MaxX, m_MaxY;
    QColor m_Color;
};

inline int CountColor(const QImage& img, QRgb rgb, const QRect& area = QRect())
{
    const QRect r = area.isNull() ? img.rect() : area.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF)) ++n;
    return n;
}

inline int CountNot(const QImage& img, QRgb rgb, const QRect& area = QRect())
{
    const QRect r = area.isNull() ? img.rect() : area.intersected(img.rect());
    return r.width() * r.height() - CountColor(img, rgb, r);
}

// A manager shown in an off-screen view of the given size, drawing synchronously on request.
struct ViewedMap
{
    explicit ViewedMap(int w = 200, int h = 100) : view(QSize(w, h))
    {
        map.SetOwnerView(&view);
        map.SetClientRect(CRect(0, 0, w, h));
    }
    QImage Picture()
    {
        map.WaitForDrawing();
        return view.Paint(map);
    }
    CMapOffscreenView view;
    CMapManage map;
};
} // namespace maptest
