#pragma once

#include "map/CMapLayer.h"
#include "sources/CMap_Google.h"
#include "sources/MapLayerInfo.h"

// Layer format 7: a tile set database.
class TESVANE_API CMapLayer_Google : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_Google();
    ~CMapLayer_Google() override;

    void SetConvert(CMapConvert* convert) override;
    // In plane coordinates once a survey system is given, else in degrees (x latitude).
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 7; }
    int Open() override;
    void SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid) override;
    void SetProjection(const CoordinateSystem_ProjectParameter& projection) override;

    // The source; owned by the layer.
    CMap_Google* GetMapGoogle() { return &m_Google; }

    QString KindName() const override { return QStringLiteral("CMapLayer_Google"); }
    // Tiles stored.
    long long ItemCount() const override { return m_Google.GetTileCount(); }
    QStringList InfoLines() const override;

private:
    CMap_Google m_Google;
};
