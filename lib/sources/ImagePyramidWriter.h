#pragma once

#include "platform/Export.h"

#include <QString>

class IProgressListener;

struct ImagePyramidOptions
{
    int TileSize = 256; // pixels, square tiles
    int Quality = 90;   // JPEG quality 1..100
};

// What a written pyramid holds.
struct ImagePyramidSummary
{
    int Width = 0, Height = 0; // full resolution, pixels
    int Levels = 0;
    long long Tiles = 0;
};

// Cuts a north-up raster that GDAL can open (a GeoTIFF with a geotransform, or an image with a
// world file) into a pyramid of JPEG tiles that CMap_Image draws: the descriptor `output` and the
// container `output` + "S". Level 0 is the full resolution; each further level halves it (2 x 2
// pixels averaged) until one tile holds the whole image. The input is read once, a strip of rows
// at a time, so images far larger than memory can be cut. One to three bands are read (one band
// as grey or through its palette, three as red, green, blue); values wider than 8 bits are
// stretched from the band's range onto 0..255.
//
// Both files are written atomically, the container first, so an interrupted run leaves either
// the previous pyramid or the new one. Progress goes to `progress` (may be null). Returns false
// with one sentence in `error` for unreadable input, a raster without georeferencing, a rotated
// or not north-up one, bad options or a failed write.
TESVANE_API bool WriteImagePyramid(const QString& input, const QString& output, const ImagePyramidOptions& options,
                                   IProgressListener* progress, QString* error, ImagePyramidSummary* summary = nullptr);
