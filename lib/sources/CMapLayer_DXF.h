#pragma once

#include "map/CMapLayer.h"
#include "sources/MapLayerInfo.h"

#include <memory>

class CMap_DXF;

// Layer format 3: a DXF drawing (R12 to 2018 text DXF), read through dxflib.
class TESVANE_API CMapLayer_DXF : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_DXF();
    ~CMapLayer_DXF() override;

    void SetConvert(CMapConvert* convert) override;
    void SetHWND(IProgressListener* progress) override;
    int SetMapItem(const MapConfigItem& item) override;
    void Clear() override;
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 3; }
    // Releases the previous drawing, reads the header extent and, when there is one, imports.
    int Open() override;
    void Close() override;

    // Stops an import running on another thread; what was read so far stays.
    void StopLoading();

    QString KindName() const override { return QStringLiteral("CMapLayer_DXF"); }
    // Primitives (points, polylines, filled polygons, texts, circles) after block expansion.
    long long ItemCount() const override;
    QStringList InfoLines() const override;

    // The source; owned by the layer. Its interface is internal to the library.
    CMap_DXF* GetMapDXF() { return m_pDxf.get(); }

private:
    std::unique_ptr<CMap_DXF> m_pDxf;
};
