#pragma once

// Synthetic raster pyramids for the image source tests: every tile a solid colour that tells
// its level, row and column.

#include "common/FileBytes.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QtEndian>

#include <cstdlib>
#include <vector>

namespace imagetest
{
inline QRgb TileColor(int level, int row, int column)
{
    return qRgb(40 + 60 * level, 30 + 50 * row, 30 + 50 * column);
}

// Colours survive JPEG only approximately.
inline bool Near(QRgb a, QRgb b, int tolerance = 12)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline QByteArray Jpeg(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return buffer.data();
}

inline void PutU32(QByteArray& out, quint32 v)
{
    uchar b[4];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 4);
}

inline void PutI64(QByteArray& out, qint64 v)
{
    uchar b[8];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 8);
}

// A square image of `size` pixels of one world unit each, upper-left corner at world (x0, y0),
// cut into tiles of `tile` pixels over `levels` levels (each halving the one before).
struct Pyramid
{
    double x0 = 1000.0, y0 = 2000.0;
    int size = 128, tile = 32, levels = 3;

    int TilesAcross(int level) const { return ((size >> level) + tile - 1) / tile; }

    QByteArray Descriptor() const
    {
        QByteArray d = QByteArray("0\r\n") + QByteArray::number(x0) + "," + QByteArray::number(y0) + "\r\n" +
                       QByteArray::number(size) + "," + QByteArray::number(size) + ",1,1\r\n" +
                       QByteArray::number(tile) + "," + QByteArray::number(tile) + "\r\n" +
                       QByteArray::number(levels) + "\r\n";
        for (int k = 0; k < levels; ++k)
            d += QByteArray::number(TilesAcross(k)) + "," + QByteArray::number(TilesAcross(k)) + "," +
                 QByteArray::number(1 << k) + "," + QByteArray::number(1 << k) + "\r\n";
        return d;
    }

    QByteArray Container() const
    {
        QByteArray head(20, '\0');
        PutU32(head, quint32(levels));
        std::vector<QByteArray> blocks;
        for (int k = 0; k < levels; ++k)
        {
            const int n = TilesAcross(k);
            QByteArray table, data;
            PutU32(table, quint32(n));
            PutU32(table, quint32(n));
            for (int r = 0; r < n; ++r)
                for (int c = 0; c < n; ++c)
                {
                    QImage img(tile, tile, QImage::Format_RGB32);
                    img.fill(TileColor(k, r, c));
                    const QByteArray jpeg = Jpeg(img);
                    PutU32(table, quint32(n * n * 8 + data.size()));
                    PutU32(table, quint32(jpeg.size()));
                    data += jpeg;
                }
            blocks.push_back(table + data);
        }
        qint64 block = 24 + 8 * levels;
        for (int k = 0; k < levels; ++k)
        {
            PutI64(head, block - (24 + 8 * k));
            block += blocks[size_t(k)].size();
        }
        for (const QByteArray& b : blocks) head += b;
        return head;
    }

    // Position of the entry of tile (level, row, column) in Container().
    qint64 EntryPos(int level, int row, int column) const
    {
        const QByteArray c = Container();
        const qint64 slot = 24 + 8 * level;
        const qint64 block = slot + qFromLittleEndian<qint64>(reinterpret_cast<const uchar*>(c.constData() + slot));
        return block + 8 + 8 * (qint64(TilesAcross(level)) * row + column);
    }
};
} // namespace imagetest
