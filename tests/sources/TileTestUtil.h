#pragma once

#include "sources/CppSQLite3.h"

#include <QBuffer>
#include <QImage>
#include <QString>

#include <cmath>
#include <functional>

namespace tiletest
{
// The colour of the synthetic tile (level, column, row): red tells the level, green and blue the
// column and row modulo 8, far enough apart to survive JPEG.
inline QRgb TileColour(int level, int column, int row)
{
    return qRgb(level * 14, 30 + (column % 8) * 30, 30 + (row % 8) * 30);
}

inline bool Near(QRgb a, QRgb b, int tolerance = 8)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

inline QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

inline QByteArray TileJpeg(int level, int column, int row, const char* format = "JPEG")
{
    QImage img(256, 256, QImage::Format_RGB32);
    img.fill(TileColour(level, column, row));
    return Encoded(img, format);
}

// Writes a tile database with the given tiles of each level: tables Tiles4 ... Tiles17, with an
// index on (X, Y) when `indexed`.
inline void WriteTileDb(const QString& path, const std::function<bool(int, int, int)>& wanted, int minLevel,
                        int maxLevel, int c0, int c1, int r0, int r1, bool indexed)
{
    CppSQLite3DB db;
    db.open(path.toUtf8().constData());
    db.execDML("begin;");
    for (int z = 4; z <= 17; ++z)
    {
        db.execDML(QStringLiteral("create table Tiles%1 (X integer, Y integer, Name text, Tile blob);").arg(z));
        if (indexed) db.execDML(QStringLiteral("create index Tiles%1_XY on Tiles%1 (X, Y);").arg(z));
        if (z < minLevel || z > maxLevel) continue;
        // The same area at every level: columns and rows of the finest level scaled down.
        const int shift = maxLevel - z;
        CppSQLite3Statement st =
            db.compileStatement(QStringLiteral("insert into Tiles%1 values (?, ?, ?, ?);").arg(z));
        for (int c = c0 >> shift; c <= (c1 >> shift); ++c)
            for (int r = r0 >> shift; r <= (r1 >> shift); ++r)
            {
                if (!wanted(z, c, r)) continue;
                const QByteArray jpeg = TileJpeg(z, c, r);
                st.bind(1, c);
                st.bind(2, r);
                st.bind(3, QStringLiteral("%1_%2_%3").arg(z).arg(c).arg(r));
                st.bind(4, reinterpret_cast<const unsigned char*>(jpeg.constData()), int(jpeg.size()));
                st.execDML();
            }
    }
    db.execDML("commit;");
}

// Spherical-Mercator tile corners at level z, exact.
inline double TileLongitude(double column, int z) { return column / std::ldexp(1.0, z) * 360.0 - 180.0; }
inline double TileLatitude(double row, int z)
{
    const double y = M_PI * (1.0 - 2.0 * row / std::ldexp(1.0, z));
    return std::atan(std::sinh(y)) * 180.0 / M_PI;
}
inline int ColumnAt(double longitude, int z) { return int((longitude + 180.0) / 360.0 * std::ldexp(1.0, z)); }
inline int RowAt(double latitude, int z)
{
    const double s = std::sin(latitude * M_PI / 180.0);
    return int((0.5 - std::log((1 + s) / (1 - s)) / (4 * M_PI)) * std::ldexp(1.0, z));
}
} // namespace tiletest
