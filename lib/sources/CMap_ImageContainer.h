#pragma once

// Reading tiles out of a raster pyramid's container file. Internal.
//
// Layout (little-endian): bytes 0-19 free; uint32 level count at 20; for level L an 8-byte
// distance R at 24 + 8L, the level's block starting at (24 + 8L) + R; a block holds uint32 tile
// columns C, uint32 tile rows, then rows x C entries (uint32 offset, uint32 size) in row-major
// order; a tile's JPEG bytes start `offset` bytes after the start of the entry table.

#include <QByteArray>
#include <QFile>
#include <QString>

class CMap_ImageContainer
{
public:
    // No tile is larger than this: a size beyond it is damage, not a picture.
    static constexpr quint32 kMaxTileBytes = 64u << 20;

    explicit CMap_ImageContainer(const QString& path) : m_File(path) {}

    // The JPEG bytes of one tile; false when the container cannot be opened or does not hold the
    // tile. Every number read from the file is checked against the file's size before it is used,
    // so a damaged container never makes this seek or allocate beyond the file.
    bool ReadTile(int level, int row, int column, QByteArray& bytes);

private:
    bool ReadAt(qint64 pos, char* out, qint64 n);

    QFile m_File;
    bool m_Tried = false;
    qint64 m_Size = 0;
};
