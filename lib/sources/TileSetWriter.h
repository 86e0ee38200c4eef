#pragma once

#include "platform/Export.h"

#include <QString>
#include <QStringList>

class IProgressListener;

// What a conversion into a tile set did.
struct TileSetWriteResult
{
    bool ok = false;
    QString error;     // one line, when !ok
    QStringList notes; // what was left out and why
    long long tiles = 0;
    int minLevel = 0, maxLevel = 0;
};

// Converts tiles that users have into the tile database the tile set layer (format 7) reads:
// tables Tiles4 ... Tiles17 with X (column), Y (row counted from the north), Name
// ("level_column_row") and Tile (JPEG bytes), each with an index on (X, Y) so that a tile is
// found without reading the table.
//
// `input` is an MBTiles file (SQLite, tiles(zoom_level, tile_column, tile_row, tile_data), rows
// counted from the south) or a folder of z/x/y.jpg|jpeg|png tiles (rows from the north). Tiles
// that are not JPEG are re-encoded as JPEG with `quality`; levels outside 4 to 17 are left out
// with a note. The database is written to a temporary file beside `output` and renamed over it
// only when complete, so a failure never leaves a half-written database or loses an older one.
TESVANE_API TileSetWriteResult WriteTileSet(const QString& input, const QString& output, int quality = 90,
                                            IProgressListener* progress = nullptr);
