#pragma once

#include "platform/Export.h"
#include "platform/PointRect.h"

#include <QString>

#include <functional>
#include <vector>

// One pyramid level of a raster image, finest first.
struct Image_LayerData
{
    int TileRows = 0;
    int TileColumns = 0;
    double PixelSizeX = 0.0; // world units per level pixel along x (rows)
    double PixelSizeY = 0.0; // along y (columns)
};

// One tile covering the view at the last draw.
struct Image_PictureData
{
    int TileWidth = 0;
    int TileHeight = 0;
    double XLow = 0.0, XHigh = 0.0, YLow = 0.0, YHigh = 0.0; // the tile's world box
    QString FileName;                                           // its cache file
    int Level = 0, Row = 0, Column = 0;
};

// The georeferencing of a raster pyramid: reads the text descriptor, answers the extent and
// chooses the level and tiles that cover a view.
//
// Descriptor lines (comma-separated fields, blank lines skipped):
//   flag
//   origin x, origin y                         upper-left corner, x the northing
//   height, width, pixel size x, pixel size y   full resolution
//   tile width, tile height
//   level count N
//   tile rows, tile columns, pixel size x, pixel size y    one line per level, finest first
class TESVANE_API CMap_ImageGeo
{
public:
    // Reads the descriptor; false when it cannot be read, holds fewer than six lines, or gives
    // sizes no tile walk can use (tile width or height below 1, a negative image size, numbers
    // that are not finite). On failure the description is left cleared.
    bool Load(const QString& path);
    void Clear();

    // Extent in world units: x from origin x - height * pixel size x to origin x, y from origin y
    // to origin y + width * pixel size y, each pair ordered. False when not loaded or when both
    // pixel sizes are below 1e-8.
    bool GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const;
    // The larger full-resolution pixel size; false when not loaded, both below 1e-8 or no level.
    bool GetMaxScale(double& scale) const;

    // The level suited to a view of `client` pixels spanning `viewWidthY` by `viewHeightX` world
    // units: the finest whose tiles across or down fit the screen, else the coarsest. -1 when
    // there is no usable level.
    int ChooseLevel(const CRect& client, double viewWidthY, double viewHeightX) const;

    // Walks the tiles of `level` that meet the view box (x from viewBottom to viewTop, y from
    // viewLeft to viewRight) row by row, handing each to `visit` with its world box filled in.
    // Stops after `maxTiles` positions so a damaged descriptor cannot stall a draw.
    void WalkTiles(int level, double viewBottom, double viewTop, double viewLeft, double viewRight, long maxTiles,
                   const std::function<void(Image_PictureData&)>& visit) const;

    bool IsLoaded() const { return m_Loaded; }
    int FirstLineFlag() const { return m_FirstLineFlag; }
    QString GetPath() const { return m_Path; }
    // The descriptor's folder, ending with '/' (empty for a bare file name).
    QString GetDirectory() const { return m_Directory; }
    double OriginX() const { return m_OriginX; }
    double OriginY() const { return m_OriginY; }
    int Height() const { return m_Height; }
    int Width() const { return m_Width; }
    double PixelSizeX() const { return m_PixelSizeX; }
    double PixelSizeY() const { return m_PixelSizeY; }
    int TileWidth() const { return m_TileWidth; }
    int TileHeight() const { return m_TileHeight; }
    int DeclaredLevelCount() const { return m_DeclaredLevels; }
    const std::vector<Image_LayerData>& Levels() const { return m_Levels; }

private:
    QString m_Path;
    QString m_Directory;
    bool m_Loaded = false;
    int m_FirstLineFlag = 1;
    double m_OriginX = 0.0, m_OriginY = 0.0;
    int m_Height = 0, m_Width = 0;
    double m_PixelSizeX = 0.0, m_PixelSizeY = 0.0;
    int m_TileWidth = 0, m_TileHeight = 0;
    int m_DeclaredLevels = 0;
    std::vector<Image_LayerData> m_Levels;
};
