#pragma once

#include "map/CMapLayer.h"
#include "sources/CMap_Image.h"
#include "sources/MapLayerInfo.h"

// Layer formats 1 and 6: a raster pyramid (CMap_Image).
class TESVANE_API CMapLayer_GCP : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_GCP() = default;

    void SetConvert(CMapConvert* convert) override;
    // Loads the descriptor named by FullPathName; the loaded flag is the result.
    int Open() override;
    void Close() override { m_Image.Clear(); }
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 1; }

    CMap_Image* GetMapImage() { return &m_Image; }

    QString KindName() const override { return QStringLiteral("CMapLayer_GCP"); }
    // Tiles listed over all levels.
    long long ItemCount() const override;
    // "levels: N" and "size: WIDTH x HEIGHT" (pixels at full resolution).
    QStringList InfoLines() const override;

private:
    CMap_Image m_Image;
};
