#pragma once

#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "sources/CMap_GCD.h"
#include "sources/MapLayerInfo.h"

// The layer kind of format 10: a survey entity database (CMap_GCD) with its style dictionary
// (DictionaryPathName).
class TESVANE_API CMapLayer_GD : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_GD() = default;

    void SetConvert(CMapConvert* convert) override;
    int SetMapItem(const MapConfigItem& item) override;
    // Opens the database read-only and loads its entities; the loaded flag is the result.
    int Open() override;
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    // The entities, then the highlight of the selected ones.
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 1; }

    int SelectEntity(CPoint p1, CPoint p2) { return m_GCD.SelectEntity(p1, p2); }
    void ClearSelectEntity() { m_GCD.ClearSelectEntity(); }
    CMap_GCD* GetMapGCD() { return &m_GCD; }

    QString KindName() const override { return QStringLiteral("CMapLayer_GD"); }
    long long ItemCount() const override { return m_GCD.GetEntityCount(); }
    // "classes: N", then one "class: NAME (point|line|plane) COUNT" line per class.
    QStringList InfoLines() const override;

private:
    CMap_GCD m_GCD;
};
