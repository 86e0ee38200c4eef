#pragma once

#include "coord/CoordinateSystemDefine.h"
#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "platform/PointRect.h"
#include "sources/CMap_ShapeConvert.h"
#include "sources/CMap_ShapeItem.h"
#include "sources/CShapeConfigFillColor.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class CAnalyseResult;
class GDALDataset;
class IProgressListener;
class OGRLayer;
class OGRPolygon;
class OGRSpatialReference;
class QPainter;

// One record of the entity index, 28 bytes, also the record of the cache file. Rectangles are in
// data set coordinates, northing (the data set's Y) first.
struct ShapeIndexRecord
{
    std::int32_t FID = -1; // -1: the feature had no geometry
    float MinY = 0.0f;
    float MinX = 0.0f;
    float MaxY = 0.0f;
    float MaxX = 0.0f;
    float SizeKey = 0.0f;     // MaxY + MaxX - MinY - MinX for lines and planes, 0 for points
    std::int32_t Loaded = 0;  // the entity's items are in memory
};
static_assert(sizeof(ShapeIndexRecord) == 28, "the cache file holds 28-byte records");

// The coordinate system of a data set as its ".prj" gives it. Projection.Type -1: geographic
// (coordinates in degrees). Angles of the projection record are radians.
struct ShapeCoordinateSystem
{
    QString Name;
    CoordinateSystem_EllipsoidParameter Ellipsoid;
    double PrimeMeridian = 0.0;                    // degrees east of Greenwich
    double AngularUnit = 0.0174532925199433;       // radians per unit
    double LinearUnit = 1.0;                       // metres per unit
    CoordinateSystem_ProjectParameter Projection;  // Type -1 when geographic
};

struct SpatialRefDeleter
{
    TESVANE_API void operator()(OGRSpatialReference* srs) const;
};
using SpatialRefPtr = std::unique_ptr<OGRSpatialReference, SpatialRefDeleter>;

// A vector data set (an ESRI shapefile or a MapInfo TAB file, read through GDAL's OGR) shown as
// one map layer: points, lines or planes by the first feature's geometry (the item's Style: 1, 2,
// 3). Features become light items with single-precision coordinates, drawn through one linear
// transform per picture; polygons can be filled by the value of one attribute (the ".shc" file,
// CShapeConfigFillColor).
//
// Side files beside the data set "roads.shp": "roads.prj" (its coordinate system, ESRI text),
// "roads.shc" (fill colours) and "roads.shpinf" (the entity index, 28 bytes an entity). The index
// cache is used only when it has exactly one record per feature, every identifier belongs to the
// layer and it is not older than the data set; otherwise it is rebuilt. Every side file is written
// whole to a temporary file and renamed into place.
//
// Threads: a load may run on a worker thread and be stopped with StopLoading from another. Draw,
// DrawTextW and DrawSelectEntity run on the map's drawing thread; the data set itself is reached
// under a lock of the source, so labels may be read while the owner thread selects.
// Sorts the index of a line or plane layer largest entity first (by SizeKey, ties by identifier).
// Above 40,000 entities it is sorted in parts (2 below 80,000, 3 below 120,000, 4 below 160,000, 5
// below 200,000, else 8) that are then merged; returns the number of parts.
TESVANE_API int SortShapeIndexBySize(std::vector<ShapeIndexRecord>& index);

class TESVANE_API CMap_Shape
{
public:
    CMap_Shape();
    virtual ~CMap_Shape();
    CMap_Shape(const CMap_Shape&) = delete;
    CMap_Shape& operator=(const CMap_Shape&) = delete;

    // Opens the data set at the item's FullPathName read-only: coordinate system, extent, count,
    // kind and (for planes) the fill-colour file. 1 on success.
    int Open();
    // Builds the entity index and, for a visible layer, the items of every entity. 1 on success;
    // 0 without a data set or features, or when stopped.
    int LoadShapeData();
    // Releases the items and empties the selection, writing the index cache first when it is
    // missing. The data set stays open.
    void Clear();

    // Points as squares of half-width Size in clrOutLine; lines in clrOutLine, Size pixels wide;
    // planes largest first, outlined likewise (no outline with Size 0) and filled with their own
    // colour or clrFill, at half opacity with SemiTransparence. Entities smaller than a pixel are
    // one pixel.
    void Draw(QPainter* painter);
    void DrawTextW(QPainter* painter);
    // The selected entities outlined in cyan, three pixels wide (points: a larger cyan square).
    void DrawSelectEntity(QPainter* painter);
    // Selects what the client rectangle p1-p2 meets (a click selects what lies under it); at most
    // 21 entities, largest first. Returns the count.
    int SelectEntity(CPoint p1, CPoint p2);
    void AddSelectFID(long fid) { m_SelectFIDs.push_back(fid); }
    void ClearSelectEntity() { m_SelectFIDs.clear(); }
    const std::vector<long>& GetSelectFIDArray() const { return m_SelectFIDs; }

    // Keeps the entity kind (Style) found at Open; empties the selection when Select changes.
    void SetMapItem(const MapConfigItem& item);
    MapConfigItem GetMapItem() const { return m_MapItem; }
    void SetConvert(CMapConvert* convert) { m_Convert.SetConvert(convert); }
    CMap_ShapeConvert* GetShapeConvert() { return &m_Convert; }

    // Extents as minimum and maximum northing (x), then easting (y). _Shape: the data set's own
    // coordinates; _Survey: converted to the survey system. 1 when there is one.
    int GetRange_Shape(double& minX, double& maxX, double& minY, double& maxY) const;
    int GetRange_Survey(double& minX, double& maxX, double& minY, double& maxY);
    // One feature's extent (from the index); 0 for an identifier not in it.
    int GetRangeShapeByID(long fid, double& minX, double& maxX, double& minY, double& maxY) const;
    int GetRangeSurveyByID(long fid, double& minX, double& maxX, double& minY, double& maxY);

    // Reads the ".prj" (or, without one, the data set's own reference; else WGS84 geographic) and
    // hands the system to the coordinate bridge. Writes it back (ESRI text); 1 on success.
    int ReadPROJParameter();
    int SavePROJParameter();
    const ShapeCoordinateSystem& GetShapeSystem() const { return m_System; }
    void SetShapeSystem(const ShapeCoordinateSystem& system);
    SpatialRefPtr GetSpatialRef() const;

    GDALDataset* GetDataSource() const { return m_DataSource.get(); }
    CShapeConfigFillColor* GetShapeConfigFillColor() { return &m_FillConfig; }
    // Re-reads the fill colours of the planes in memory (after the colouring attribute or a colour
    // changed).
    void UpdateFillColors();
    QString GetLayerName() const { return m_MapItem.LayerName; }
    QString GetFullPathNameW() const { return m_MapItem.FullPathName; }
    long long GetEntityCount() const { return m_EntityCount; }
    long long GetLoadedCount() const { return m_LoadedCount; }
    bool IsEmpty() const { return m_Index.empty(); }
    // 1 point, 2 line, 3 plane; 0 before Open.
    int GetEntityKind() const { return m_Kind; }
    QStringList GetFieldNames() const;
    // Every attribute of one feature as text, in field order (as labels show them); empty for an
    // identifier the data set does not have.
    QStringList GetFieldValues(long fid);
    const std::vector<ShapeIndexRecord>& GetIndex() const { return m_Index; }
    int GetPointCount() const { return static_cast<int>(m_Points.size()); }
    int GetLineCount() const { return static_cast<int>(m_Lines.size()); }
    int GetPlaneCount() const { return static_cast<int>(m_Planes.size()); }
    const CMap_ShapePlane* GetPlane(int i) const { return m_Planes[size_t(i)].get(); }
    const CMap_ShapeLine* GetLine(int i) const { return m_Lines[size_t(i)].get(); }
    const CMap_ShapePoint* GetPoint(int i) const { return m_Points[size_t(i)].get(); }
    // The labels of the last DrawTextW.
    const std::vector<std::unique_ptr<CMap_ShapeText>>& GetTexts() const { return m_Texts; }

    void SetProgressHWND(IProgressListener* progress) { m_pProgress = progress; }
    void StopLoading() { m_Stop = 1; }

    // Red-line analysis of a plane layer: one row per feature whose overlap with the polygon is an
    // area, with the chosen attributes (all those of integer, real or text kind when `fields` is
    // null) and the overlap's area as "JoinArea". With withGeometry the row also receives the
    // overlap's rings: each ring a part, exterior rings before their holes, vertices as (northing,
    // easting), closed. Only the polygon's exterior ring counts. 1 when it ran.
    int RedLineAnalyse(OGRPolygon* polygon, CAnalyseResult* result, int withGeometry,
                       const std::vector<unsigned int>* fields);
    // The same for hosts without GDAL: a ring of (northing, easting) in data set coordinates, or
    // a polygon as well-known text (X easting, Y northing, as GIS tools write it).
    int RedLineAnalyseRing(const std::vector<xyhCoord>& ring, CAnalyseResult* result, int withGeometry,
                           const std::vector<unsigned int>* fields);
    int RedLineAnalyseWkt(const QByteArray& wkt, CAnalyseResult* result, int withGeometry,
                          const std::vector<unsigned int>* fields);

private:
    struct DataSetCloser
    {
        void operator()(GDALDataset* ds) const;
    };
    // Where a feature's items lie in the point, line and plane arrays.
    struct ItemSpan
    {
        int first[3] = {0, 0, 0};
        int count[3] = {0, 0, 0};
    };

    OGRLayer* Layer() const;
    QString CachePath() const;
    bool ReadCache(long long count);
    void WriteCache();
    bool BuildIndex(long long count);
    bool LoadGeometries(bool fromCache);
    void AddGeometry(long fid, const class OGRGeometry* geometry, long fillColor);
    void SortItemsByIndex();
    void ReportProgress(long long done);
    bool FitView(ShapeViewTransform& view);
    QString LabelText(long fid);
    const ItemSpan* ItemsOf(long fid) const;
    int SlotOf(long fid) const;
    void BuildSlots();
    void ClearSlots();

    MapConfigItem m_MapItem;
    std::unique_ptr<GDALDataset, DataSetCloser> m_DataSource;
    mutable std::mutex m_DataLock; // the data set is read by one thread at a time
    CMap_ShapeConvert m_Convert;
    CShapeConfigFillColor m_FillConfig;
    ShapeCoordinateSystem m_System;
    QByteArray m_Encoding;
    IProgressListener* m_pProgress = nullptr;
    std::atomic<int> m_Stop{0};
    int m_Kind = 0;
    long long m_EntityCount = 0;
    long long m_LoadedCount = 0;
    long long m_FirstFID = 0;
    int m_LastPercent = -1;
    double m_MinX = 0, m_MaxX = 0, m_MinY = 0, m_MaxY = 0; // data set X easting, Y northing
    bool m_HasExtent = false;
    qint64 m_IndexBuiltFor = -1; // data set modification time (ms) the index in memory matches
    QString m_IndexPath;         // and the data set it was built from

    std::vector<ShapeIndexRecord> m_Index;
    // Index position by identifier: identifiers are nearly always m_FirstFID onwards without gaps,
    // so a table does; any others go to the map.
    std::vector<int> m_SlotOfFID;
    std::unordered_map<long, int> m_SlotOfOddFID;
    std::vector<ItemSpan> m_SpanOfSlot;
    std::vector<std::unique_ptr<CMap_ShapePoint>> m_Points;
    std::vector<std::unique_ptr<CMap_ShapeLine>> m_Lines;
    std::vector<std::unique_ptr<CMap_ShapePlane>> m_Planes;
    std::vector<std::unique_ptr<CMap_ShapeText>> m_Texts;
    std::vector<long> m_SelectFIDs;
    int m_LabelField = -1;
    std::unordered_map<long, QString> m_LabelCache;
};
