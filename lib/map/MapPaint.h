#pragma once

// Drawing helpers shared by the map engine and the road drawing. Internal.

#include "platform/Color.h"

#include <QBrush>
#include <QPainter>
#include <QPen>

namespace mappaint
{
// Where a drawing uses "whatever brush is selected": a fresh device context's brush is solid
// white, a fresh painter has none. A painter without a brush therefore fills white, so pictures
// look the same whoever set the painter up.
inline QBrush SelectedBrush(const QPainter* painter)
{
    const QBrush b = painter->brush();
    return b.style() == Qt::NoBrush ? QBrush(Qt::white) : b;
}

// A solid pen of the given width in pixels, square-ended like a device-context pen.
inline QPen SolidPen(unsigned long color, int width)
{
    QPen pen(ToQColor(color));
    pen.setWidth(width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

inline QPen DotPen(unsigned long color)
{
    QPen pen = SolidPen(color, 1);
    pen.setStyle(Qt::DotLine);
    return pen;
}
} // namespace mappaint
