#pragma once

#include "coord/CCoordinateConvert.h"
#include "platform/Export.h"
#include "platform/PointRect.h"
#include "sources/CppSQLite3.h"
#include "sources/TileImageCache.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class CMapConvert;
class IProgressListener;
class QImage;
class QPainter;
class QRect;

// The tile index extent of one zoom level: inclusive columns and rows; all zero when the level
// holds no tiles.
struct TileLevelExtent
{
    int minColumn = 0, minRow = 0, maxColumn = 0, maxRow = 0;
};

// A tile set: 256 x 256 JPEG tiles in the spherical-Mercator tiling (zoom levels from 0, columns
// eastward from 180° W, rows southward from the northern edge), kept as blobs in one SQLite file
// with a table Tiles<level> (X, Y, Name, Tile) for each of the levels 4 to 17. The source answers
// range and draw requests in the map's plane coordinates through a CCoordinateConvert.
//
// Tiles are extracted once into a cache folder beside the database (the database path without its
// extension, then <level>/<column>/<row>.jpg) and decoded tiles stay in memory (TileImageCache),
// so a redraw decodes nothing. Where the cache folder cannot be created (read-only media) tiles are
// decoded straight from the database. The database is only ever opened read-only.
//
// Finding a tile costs O(log n): a level whose table has an index on (X, Y), as the tileset
// command writes it, is asked directly; for any other level the (column, row) -> rowid map is read
// once, when the level is first drawn, and blobs are then fetched by rowid.
//
// Threads: opened and configured on the owner thread, drawn on the map's drawing thread.
class TESVANE_API CMap_Google
{
public:
    static constexpr int kLevelCount = 18;
    static constexpr int kFirstStoredLevel = 4;
    static constexpr int kLastStoredLevel = 17;

    CMap_Google();
    ~CMap_Google();
    CMap_Google(const CMap_Google&) = delete;
    CMap_Google& operator=(const CMap_Google&) = delete;

    // Opens the tile database read-only and reads each level's extent; 1 on success, 0 when the
    // file is missing or no SQLite database (the source is then closed). Progress goes to
    // `progress` when given: the path, a reset, then the percentage after each level.
    int OpenMapFile(const QString& path, IProgressListener* progress);
    void Close();
    bool IsOpen() const { return m_DB.isopen(); }

    // Extent of the finest level: with `projected` 0 in degrees (x latitude, y longitude), else
    // the plane coordinates of its south-west and north-east corners. 0 when no level has tiles.
    int GetRange(double& xMin, double& xMax, double& yMin, double& yMax, int projected);
    // Centre and scale from the visible extent (x1/y1 one corner, x2/y2 the other); with
    // `projected` non-zero the corners are plane coordinates.
    void SetRange(double x1, double x2, double y1, double y2, int projected);

    void SetDrawRect(const CRect& rect) { m_DrawRect = rect; }
    CRect GetDrawRect() const { return m_DrawRect; }
    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    // The survey system. Until an ellipsoid with an axis is given, the map is taken to be drawn
    // in degrees (x latitude, y longitude), since a conversion onto no ellipsoid gives nothing.
    void SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetProjection(const CoordinateSystem_ProjectParameter& projection);
    bool ConvertsToPlane() const { return m_HasSurveySystem; }

    // Draws the visible tiles of the level that suits the converter's scale.
    void OnDraw(QPainter* painter);

    int GetMinLevel() const { return m_MinLevel; }
    int GetMaxLevel() const { return m_MaxLevel; }
    TileLevelExtent GetLevelExtent(int level) const;
    // Tiles stored in all levels.
    long long GetTileCount() const { return m_TileCount; }
    double GetScale() const { return m_Scale; }
    double GetCentreLatitude() const { return m_CentreLatitude; }
    double GetCentreLongitude() const { return m_CentreLongitude; }
    // The level the last draw chose, -1 before any.
    int GetDrawnLevel() const { return m_DrawnLevel; }
    QString GetCacheDirectory() const { return m_CacheDirectory; }
    // False when the cache folder could not be created (read-only media): tiles are then decoded
    // from the database. Known after the first tile was drawn.
    bool CachesOnDisk() const { return m_CachesOnDisk; }
    // The decoded tiles (256 MB by default; SetBudgetBytes changes it).
    TileImageCache& DecodedTiles() { return m_Decoded; }

    // The level whose tiles fit a view of `scale` finest-level tile pixels per screen pixel:
    // coarser levels are taken while a tile pixel spans less than 0.7 screen pixels, never below
    // minLevel. `ratio` receives the screen pixels per tile pixel at that level.
    static int ChooseLevel(double scale, int minLevel, int maxLevel, double& ratio);

protected:
    // Draws the tile (level, column, row) from `source` to `destination`; 1 when drawn, 0 when
    // it lies outside the level's extent, the database is closed or the tile is missing.
    int DrawSegment(QPainter* painter, const QRect& source, const QRect& destination, int level, int column,
                    int row);

private:
    // How the tiles of one level are found.
    struct LevelLookup
    {
        bool prepared = false;
        bool indexed = false;                           // the table has an index on (X, Y)
        std::vector<std::pair<std::uint64_t, std::int64_t>> rowids; // (column<<32|row) -> rowid, sorted
    };
    void PrepareLookup(int level);
    // The tile's JPEG bytes from the database; empty when absent or unreadable.
    QByteArray FetchTile(int level, int column, int row);
    // The decoded tile, through the memory cache and the cache folder; null when there is none.
    const QImage* TileImage(int level, int column, int row);
    QString TilePath(int level, int column, int row) const;

    QString m_CacheDirectory;
    bool m_CachesOnDisk = false;
    bool m_CacheChecked = false; // whether the cache folder was made (or found unmakeable)
    CppSQLite3DB m_DB;
    CRect m_DrawRect;
    double m_CentreLongitude = 0.0;
    double m_CentreLatitude = 0.0;
    double m_Scale = 8.0;
    CMapConvert* m_pMapConvert = nullptr;
    CCoordinateConvert m_CoordConvert;
    bool m_HasSurveySystem = false;
    std::array<TileLevelExtent, kLevelCount> m_Extents{};
    std::array<LevelLookup, kLevelCount> m_Lookups{};
    int m_MinLevel = kLastStoredLevel;
    int m_MaxLevel = kFirstStoredLevel;
    int m_DrawnLevel = -1;
    long long m_TileCount = 0;
    TileImageCache m_Decoded;
};
