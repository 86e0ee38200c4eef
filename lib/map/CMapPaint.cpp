#include "map/CMapPaint.h"

#include <QImage>
#include <QPainter>

void MapDrawPixels(QPainter* painter, const QPoint* points, int count)
{
    if (!painter || !points || count <= 0) return;
    QPaintDevice* device = painter->device();
    QImage* image = device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    const QPen pen = painter->pen();
    const bool plain = image && image->isDetached() && painter->transform().isIdentity() && !painter->hasClipping() &&
                       painter->opacity() == 1.0 && !painter->testRenderHint(QPainter::Antialiasing) &&
                       painter->compositionMode() == QPainter::CompositionMode_SourceOver &&
                       pen.style() == Qt::SolidLine && pen.widthF() <= 1.0 && pen.color().alpha() == 255 &&
                       (image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32 ||
                        image->format() == QImage::Format_ARGB32_Premultiplied);
    if (!plain)
    {
        painter->drawPoints(points, count);
        return;
    }
    const QRgb rgb = pen.color().rgba();
    const int w = image->width(), h = image->height();
    const qsizetype stride = image->bytesPerLine();
    // The painter is active on the image, so its data must not be detached: write through the
    // bits the painter itself uses.
    uchar* bits = const_cast<uchar*>(image->constBits());
    for (int i = 0; i < count; ++i)
    {
        const int x = points[i].x(), y = points[i].y();
        if (static_cast<unsigned>(x) < static_cast<unsigned>(w) && static_cast<unsigned>(y) < static_cast<unsigned>(h))
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
    }
}
