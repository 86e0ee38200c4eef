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
    // The outline of a rectangle of width 2 * size runs through exactly these four corners.
    painter->drawRect(QRect(c.x - size, c.y - size, side, side));
}

// Text takes its colour from the pen in a painter; a device context keeps a separate text colour,
// so the pen is swapped for the text and put back.
inline void DrawLabel(QPainter* painter, const QRect& box, const QString& text, const QColor& color, int flags)
{
    if (text.isEmpty()) return;
    const QPen pen = painter->pen();
    painter->setPen(color);
    if (flags == int(Qt::AlignLeft | Qt::AlignTop))
    {
        // Top-left text needs no layout: the baseline lies one ascent below the top. This keeps
        // thousands of labels per picture cheap.
        painter->drawText(QPoint(box.left(), box.top() + painter->fontMetrics().ascent()), text);
    }
    else
        painter->drawText(box, flags | Qt::TextSingleLine, text);
    painter->setPen(pen);
}
} // namespace pointsymbol
