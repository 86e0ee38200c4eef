#include "map/CMapOwnerView.h"

#include "map/CMapManage.h"

#include <QPainter>

CMapOffscreenView::CMapOffscreenView(const QSize& size) : m_Size(size) { m_Overlay.Resize(size); }

void CMapOffscreenView::Resize(const QSize& size)
{
    m_Size = size;
    m_Overlay.Resize(size);
}

QImage CMapOffscreenView::Paint(CMapManage& manager)
{
    QImage window(m_Size, QImage::Format_RGB32);
    window.fill(Qt::black);
    QPainter painter(&window);
    manager.OnDraw(&painter, 0, 0);
    m_Overlay.PaintOver(painter);
    painter.end();
    return window;
}
