#pragma once

#include "platform/Export.h"
#include "sources/CMap_ImageGeo.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>

class CMapConvert;
class QPainter;

// One tile of a raster pyramid held between draws: where it lies, its decoded picture (read on
// first draw) and where it lands on screen. The picture comes from the tile's cache file, or,
// when the cache could not be written, from the JPEG bytes handed over at construction.
class TESVANE_API CMap_ImageItem
{
public:
    CMap_ImageItem(const Image_PictureData& tile, QByteArray jpeg);

    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    // Recomputes the destination rectangle; true when it meets the client rectangle.
    bool UpdateDestination();
    // Decodes the picture unless it is held already; false when it cannot be decoded.
    bool LoadBitmap();
    void ReleaseBitmap() { m_Bitmap = QImage(); }
    bool HasBitmap() const { return !m_Bitmap.isNull(); }
    // Stretches the picture into the destination rectangle.
    void Draw(QPainter* painter) const;

    const QString& FileName() const { return m_Tile.FileName; }
    const Image_PictureData& Tile() const { return m_Tile; }
    QRectF Destination() const { return m_Destination; }
    // The picture of a tile file or of JPEG bytes; null when the bytes are no picture, or when
    // it claims a size beyond `limit` (damage that would otherwise allocate gigabytes).
    static QImage DecodeJpeg(const QByteArray& jpeg, QSize limit);
    qsizetype BitmapBytes() const { return m_Bitmap.sizeInBytes(); }

private:
    Image_PictureData m_Tile;
    QByteArray m_Jpeg;
    CMapConvert* m_pMapConvert = nullptr;
    QImage m_Bitmap;
    QRectF m_Destination;
    bool m_DecodeFailed = false;
};
