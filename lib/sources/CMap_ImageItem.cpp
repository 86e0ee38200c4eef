#include "sources/CMap_ImageItem.h"

#include "map/CMapConvert.h"
#include "platform/FileIO.h"
#include "sources/CMap_ImageContainer.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace
{
constexpr int kMaxTileSide = 8192;
} // namespace

CMap_ImageItem::CMap_ImageItem(const Image_PictureData& tile, QByteArray jpeg) : m_Tile(tile), m_Jpeg(std::move(jpeg)) {}

QImage CMap_ImageItem::DecodeJpeg(const QByteArray& jpeg, QSize limit)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "jpeg");
    const QSize size = reader.size();
    limit = limit.boundedTo(QSize(kMaxTileSide, kMaxTileSide));
    if (!size.isValid() || size.width() > limit.width() || size.height() > limit.height()) return {};
    QImage image = reader.read();
    if (image.isNull()) return {};
    // One pixel format for every tile, the one the view's picture uses, so drawing never converts.
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

bool CMap_ImageItem::LoadBitmap()
{
    if (!m_Bitmap.isNull()) return true;
    if (m_DecodeFailed) return false; // a broken tile is not decoded again at every draw
    QByteArray bytes = m_Jpeg;
    if (bytes.isEmpty() && !ReadWholeFile(m_Tile.FileName, bytes, CMap_ImageContainer::kMaxTileBytes)) bytes.clear();
    // A picture far larger than its tile is damage; refusing it keeps one tile from taking
    // hundreds of megabytes.
    m_Bitmap = DecodeJpeg(bytes, QSize(2 * m_Tile.TileWidth, 2 * m_Tile.TileHeight));
    m_DecodeFailed = m_Bitmap.isNull();
    return !m_DecodeFailed;
}

bool CMap_ImageItem::UpdateDestination()
{
    if (!m_pMapConvert) return false;
    // A tile picture smaller than the tile size (the right and bottom edges of an image) covers
    // only its own pixels' share of the tile's box.
    const double pixelY = (m_Tile.YHigh - m_Tile.YLow) / m_Tile.TileWidth;
    const double pixelX = (m_Tile.XHigh - m_Tile.XLow) / m_Tile.TileHeight;
    const int w = m_Bitmap.isNull() ? m_Tile.TileWidth : m_Bitmap.width();
    const int h = m_Bitmap.isNull() ? m_Tile.TileHeight : m_Bitmap.height();
    double left = 0, top = 0, right = 0, bottom = 0;
    m_pMapConvert->WorldToClientExact(m_Tile.XHigh, m_Tile.YLow, left, top);
    m_pMapConvert->WorldToClientExact(m_Tile.XHigh - h * pixelX, m_Tile.YLow + w * pixelY, right, bottom);
    // Edges snap to whole pixels: drawn at fractional edges, neighbouring tiles are rounded apart
    // and leave a one-pixel seam of background between them at some scales.
    const auto snap = [](double v) { return std::floor(v + 0.5); };
    m_Destination = QRectF(QPointF(snap(left), snap(top)), QPointF(snap(right), snap(bottom)));
    const CRect c = m_pMapConvert->GetClientRect();
    return m_Destination.intersects(QRectF(c.left, c.top, c.Width(), c.Height()));
}

void CMap_ImageItem::Draw(QPainter* painter) const
{
    if (m_Bitmap.isNull() || !painter) return;
    painter->drawImage(m_Destination, m_Bitmap, QRectF(m_Bitmap.rect()));
}
