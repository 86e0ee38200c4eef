#include "map/CMapOverlay.h"

#include <QPainter>

void CMapOverlay::Resize(const QSize& size)
{
    if (m_Picture.size() == size && !m_Picture.isNull()) return;
    m_Xor = QImage(size, QImage::Format_RGB32);
    m_Picture = QImage(size, QImage::Format_ARGB32_Premultiplied);
    m_Stale.store(false);
    m_Xor.fill(0xFF000000u);
    m_Picture.fill(0u);
}

void CMapOverlay::Clear()
{
    m_Stale.store(false);
    if (!m_Xor.isNull()) m_Xor.fill(0xFF000000u);
    if (!m_Picture.isNull()) m_Picture.fill(0u);
}

void CMapOverlay::ApplyPendingClear()
{
    if (m_Stale.exchange(false, std::memory_order_acq_rel)) Clear();
}

QImage& CMapOverlay::XorLayer()
{
    ApplyPendingClear();
    return m_Xor;
}

QImage& CMapOverlay::Picture()
{
    ApplyPendingClear();
    return m_Picture;
}

bool CMapOverlay::IsEmpty()
{
    ApplyPendingClear();
    for (int y = 0; y < m_Xor.height(); ++y)
    {
        const QRgb* a = reinterpret_cast<const QRgb*>(m_Xor.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(m_Picture.constScanLine(y));
        for (int x = 0; x < m_Xor.width(); ++x)
            if ((a[x] & 0xFFFFFFu) != 0 || b[x] != 0) return false;
    }
    return true;
}

void CMapOverlay::PaintOver(QPainter& painter)
{
    ApplyPendingClear();
    if (m_Xor.isNull()) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(0, 0, m_Xor);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, m_Picture);
    painter.restore();
}
