#pragma once

#include "coord/CCoordinateConvert.h"
#include "map/CMapLayer.h"
#include "platform/PointRect.h"
#include "sources/CMap_DATPoint.h"
#include "sources/DL_ReadFile.h"

#include <QString>

#include <vector>

class CMapConvert;
class IProgressListener;
class QPainter;

// A comma-separated text file of named points: imports it, decides whether it holds grid
// coordinates or latitude/longitude, draws the points as squares with optional labels, and
// searches and selects them.
//
// Two line layouts are read:
//   name,x,y,h,mark              (x the northing, y the easting)
//   name,code,east,north,height  (field survey software; the code often empty)
// A line whose second field is empty or no number while the third and fourth are numbers is
// taken in the second layout.
class TESVANE_API CMap_DAT
{
public:
    CMap_DAT();
    ~CMap_DAT();
    CMap_DAT(const CMap_DAT&) = delete;
    CMap_DAT& operator=(const CMap_DAT&) = delete;

    // Reads the file named by the item's FullPathName, replacing the points; 1 on success, 0 when
    // it cannot be opened (the points are then kept).
    int ImportData(IProgressListener* progress);
    void Release();

    // World extent (x the northing); 0 without points.
    int GetRange(double& minX, double& maxX, double& minY, double& maxY);
    int GetRangeByID(int index, double& minX, double& maxX, double& minY, double& maxY);

    void OnDraw(QPainter* painter);
    // Selects the points in the client box from p1 to p2 (at most 21); 1 when any.
    int SelectEntity(CPoint p1, CPoint p2);
    void DrawSelectEntity(QPainter* painter);
    void AddSelectFID(long index);
    void ClearSelectEntity();
    const std::vector<qint32>& GetSelectFIDArray() const { return m_Selection; }

    // Searches from `index` for a point whose name (mode 1), mark (mode 2) or either (mode 0)
    // contains `text`; index becomes its position, or -1 with a null result.
    CMap_DATPoint* FindData(const QString& text, int& index, int mode);
    CMap_DATPoint* GetPointData(int index);
    int GetPointCount() const { return int(m_Points.size()); }
    // 1 when the points are grid coordinates, 0 when latitude/longitude.
    int IsPlane() const { return m_IsPlane; }
    // Geographic points are converted only when a survey coordinate system was given (an
    // ellipsoid with an axis); without one they are drawn and measured in degrees as stored,
    // since a conversion onto no ellipsoid gives no numbers at all.
    bool ConvertsGeographic() const { return !m_IsPlane && m_HasSurveySystem; }

    void SetMapItem(const MapConfigItem& item);
    MapConfigItem GetMapItem() const { return m_MapItem; }
    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    void SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetProjection(const CoordinateSystem_ProjectParameter& projection);

    // Parses one trimmed line (bytes in the ANSI code page) into a point; false when the line
    // gives no point (empty, or a coordinate below 0.0001 in magnitude).
    static bool ParseLine(const char* line, int length, CMap_DATPoint& point);

private:
    RangeData ClientBoxToData(CPoint p1, CPoint p2);

    DL_ReadFile m_ReadFile;
    double m_MinX = 0.0, m_MinY = 0.0, m_MaxX = 0.0, m_MaxY = 0.0;
    MapConfigItem m_MapItem;
    CMapConvert* m_pMapConvert = nullptr;
    std::vector<CMap_DATPoint> m_Points;
    std::vector<qint32> m_Selection;
    CCoordinateConvert m_CoordConvert;
    int m_IsPlane = 1;
    bool m_HasSurveySystem = false; // a destination ellipsoid with an axis was given
};
