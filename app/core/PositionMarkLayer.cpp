#include "app/core/PositionMarkLayer.h"

#include "map/CMapConvert.h"
#include "platform/Color.h"

#include <QPainter>

void CPositionMarkLayer::DrawAll(QPainter* painter, int)
{
    if (!painter || !m_Shown || !m_pMapConvert) return;
    CPoint c;
    m_pMapConvert->WorldToClient(m_Position, c);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(Qt::NoBrush);
    // Red on a dark ring, so the marker stands out on imagery as well as on the black map.
    painter->setPen(QPen(Qt::black, 5));
    painter->drawEllipse(c.toQPoint(), 20, 20);
    painter->setPen(QPen(ToQColor(RGB(255, 0, 0)), 3));
    painter->drawEllipse(c.toQPoint(), 20, 20);
    painter->drawEllipse(c.toQPoint(), 4, 4);
    painter->drawLine(c.x - 28, c.y, c.x - 12, c.y);
    painter->drawLine(c.x + 12, c.y, c.x + 28, c.y);
    painter->drawLine(c.x, c.y - 28, c.x, c.y - 12);
    painter->drawLine(c.x, c.y + 12, c.x, c.y + 28);
    painter->restore();
}
