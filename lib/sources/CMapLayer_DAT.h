#pragma once

#include "map/CMapLayer.h"
#include "sources/CMap_DAT.h"
#include "sources/MapLayerInfo.h"

// Layer format 5: a point text file.
class TESVANE_API CMapLayer_DAT : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_DAT();
    ~CMapLayer_DAT() override;

    void SetConvert(CMapConvert* convert) override;
    int SetMapItem(const MapConfigItem& item) override;
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 1; }
    int Open() override;
    void Close() override;
    void SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid) override;
    void SetProjection(const CoordinateSystem_ProjectParameter& projection) override;

    // The source; owned by the layer.
    CMap_DAT* GetMapDAT() { return &m_Dat; }

    QString KindName() const override { return QStringLiteral("CMapLayer_DAT"); }
    long long ItemCount() const override { return m_Dat.GetPointCount(); }
    QStringList InfoLines() const override;

private:
    CMap_DAT m_Dat;
};
