#pragma once

#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "sources/CMap_Shape.h"
#include "sources/MapLayerInfo.h"

// The layer kind of formats 2 and 4: a shapefile or MapInfo TAB file (CMap_Shape).
class TESVANE_API CMapLayer_SHP : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_SHP() = default;

    void SetConvert(CMapConvert* convert) override;
    void SetHWND(IProgressListener* progress) override;
    int SetMapItem(const MapConfigItem& item) override;
    void SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid) override;
    void SetProjection(const CoordinateSystem_ProjectParameter& projection) override;
    // Opens the data set and, when that succeeds, loads it; the loaded flag becomes the result of
    // the load (a failed open returns 0 and leaves the flag).
    int Open() override;
    void Close() override;
    void Clear() override;
    // The data set's extent in survey coordinates; 0 when nothing has been read.
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    // The shapes, their labels, then the selected entities.
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 2; }

    CMap_Shape* GetMapShape() { return &m_Shape; }

    QString KindName() const override { return QStringLiteral("CMapLayer_SHP"); }
    long long ItemCount() const override { return m_Shape.GetEntityCount(); }
    // "data-extent: MINX MAXX MINY MAXY" in the data set's own coordinates (northing first) and
    // "geometry: point|line|plane".
    QStringList InfoLines() const override;

private:
    CMap_Shape m_Shape;
};
