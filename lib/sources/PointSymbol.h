#pragma once

// The square point symbol and its label, shared by the point-file and point-database layers.
// Internal.

#include "platform/PointRect.h"

#include <QPainter>
#include <QString>

namespace pointsymbol
{
// The square with corners (c.x ± size, c.y ± size) filled with the painter's brush and outlined
// with its pen, as a device context fills a polygon: the right and bottom edges lie outside the
// fill, the outline runs along the corners.
inline void DrawSquare(QPainter* painter, const CPoint& c, int size)
{
    const int side = 2 * size;
    if (painter->pen().style() == Qt::NoPen)
    {
        if (side > 0) painter->fillRect(QRect(c.x - size, c.y - size, side, side), painter->brush());
        return;
    }
    const QPoint corners[4] = {QPoint(c.x - size, c.y - size), QPoint(c.x + size, c.y - size),
                               QPoint(c.x + size, c.y + size), QPoint(c.x - size, c.y + size)};
    painter->drawPolygon(corners, 4);
}

// Text takes its colour from the pen in a painter; a device context keeps a separate text colour,
// so the pen is swapped for the text and put back.
inline void DrawLabel(QPainter* painter, const QRect& box, const QString& text, const QColor& color, int flags)
{
    if (text.isEmpty()) return;
    const QPen pen = painter->pen();
    painter->setPen(color);
    painter->drawText(box, flags | Qt::TextSingleLine, text);
    painter->setPen(pen);
}
} // namespace pointsymbol
