#include "sources/CMap_DATPoint.h"

#include "coord/CCoordinateConvert.h"
#include "map/CMapConvert.h"
#include "sources/PointSymbol.h"

#include <QPainter>

void CMap_DATPoint::OnDraw(QPainter* painter, const CMapConvert* convert, CCoordinateConvert* coordConvert,
                           int size, int label, const QColor& textColor) const
{
    if (!painter || !convert) return;
    xyhCoord plane = m_Coord;
    if (coordConvert) coordConvert->BLHToxyh(BLHCoord{m_Coord.x, m_Coord.y, m_Coord.h}, plane);
    CPoint c;
    convert->WorldToClient(plane, c);
    pointsymbol::DrawSquare(painter, c, size);
    if (label == 0 || label == 1)
        pointsymbol::DrawLabel(painter, QRect(c.x + 5, c.y - 8, 400, 20), label == 0 ? m_Name : m_Mark, textColor,
                               Qt::AlignLeft | Qt::AlignVCenter);
}

int CMap_DATPoint::IsPointInRange(const RangeData& r) const
{
    return (m_Coord.x >= r.minX && m_Coord.x <= r.maxX && m_Coord.y >= r.minY && m_Coord.y <= r.maxY) ? 1 : 0;
}
