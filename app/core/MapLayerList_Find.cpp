// Finding points by name and identifying the features under the selection tool.
#include "app/core/MapLayerList.h"

#include "map/CMapManage.h"
#include "sources/CMapLayer_DAT.h"
#include "sources/CMapLayer_GD.h"
#include "sources/CMapLayer_PD.h"
#include "sources/CMapLayer_SHP.h"
#include "sources/CMap_DAT.h"
#include "sources/CMap_GCD.h"
#include "sources/CMap_GCDData.h"
#include "sources/CMap_GCDEntity.h"
#include "sources/CMap_Shape.h"

#include "platform/NumberText.h"

namespace
{
bool Matches(const QString& name, const QString& mark, const QString& text, int mode)
{
    return (mode != 2 && name.contains(text)) || (mode != 1 && mark.contains(text));
}

QString Coordinate(double v) { return FormatFixed(v, 3); }
} // namespace

bool CMapLayerList::FindPoint(const QString& text, int mode, const FoundPoint& after, FoundPoint& hit) const
{
    if (text.isEmpty()) return false;
    for (int row = std::max(after.layer, 0); row < Count(); ++row)
    {
        CMapLayer* layer = Layer(row);
        if (!layer || !layer->IsLoad() || !layer->GetMapItem().Search) continue;
        const int start = row == after.layer ? after.index + 1 : 0;
        hit = FoundPoint();
        hit.layer = row;
        hit.layerName = layer->GetMapItem().LayerName;
        if (auto* dat = dynamic_cast<CMapLayer_DAT*>(layer))
        {
            CMap_DAT* points = dat->GetMapDAT();
            int index = start;
            const CMap_DATPoint* p = points->FindData(text, index, mode);
            double minX = 0, maxX = 0, minY = 0, maxY = 0;
            if (!p || !points->GetRangeByID(index, minX, maxX, minY, maxY)) continue;
            hit.index = index;
            hit.name = p->GetPointName();
            hit.mark = p->GetPointMark();
            hit.x = minX;
            hit.y = minY;
            return true;
        }
        if (auto* pd = dynamic_cast<CMapLayer_PD*>(layer))
        {
            const auto& points = pd->GetPoints();
            for (size_t i = size_t(std::max(start, 0)); i < points.size(); ++i)
            {
                if (!Matches(points[i].name, points[i].mark, text, mode)) continue;
                hit.index = int(i);
                hit.name = points[i].name;
                hit.mark = points[i].mark;
                hit.x = points[i].x;
                hit.y = points[i].y;
                return true;
            }
        }
    }
    hit = FoundPoint();
    return false;
}

void CMapLayerList::ShowPosition(double x, double y)
{
    m_Map.WaitForDrawing();
    xyhCoord p;
    p.x = x;
    p.y = y;
    m_Mark.SetPosition(p);
    m_Map.SetCenter(x, y, 0);
}

void CMapLayerList::HidePosition()
{
    if (!m_Mark.IsShown()) return;
    m_Map.WaitForDrawing();
    m_Mark.Hide();
    Redraw();
}

void CMapLayerList::ClearSelection()
{
    m_Map.WaitForDrawing();
    for (int row = 0; row < Count(); ++row)
    {
        CMapLayer* layer = Layer(row);
        if (auto* dat = dynamic_cast<CMapLayer_DAT*>(layer)) dat->GetMapDAT()->ClearSelectEntity();
        if (auto* shp = dynamic_cast<CMapLayer_SHP*>(layer)) shp->GetMapShape()->ClearSelectEntity();
        if (auto* gd = dynamic_cast<CMapLayer_GD*>(layer)) gd->ClearSelectEntity();
    }
    Redraw();
}

std::vector<IdentifiedFeature> CMapLayerList::Identify(CPoint p1, CPoint p2)
{
    std::vector<IdentifiedFeature> found;
    // The selections are drawn by the layers: nobody may be drawing while they change.
    m_Map.WaitForDrawing();
    for (int row = 0; row < Count(); ++row)
    {
        CMapLayer* layer = Layer(row);
        if (!layer || !layer->IsLoad()) continue;
        const MapConfigItem item = layer->GetMapItem();
        const bool selectable = item.Visible && item.Select;
        if (auto* dat = dynamic_cast<CMapLayer_DAT*>(layer))
        {
            CMap_DAT* points = dat->GetMapDAT();
            points->ClearSelectEntity();
            if (!selectable || !points->SelectEntity(p1, p2)) continue;
            for (qint32 index : points->GetSelectFIDArray())
            {
                const CMap_DATPoint* p = points->GetPointData(index);
                double x = 0, maxX = 0, y = 0, maxY = 0;
                if (!p || !points->GetRangeByID(index, x, maxX, y, maxY)) continue;
                found.push_back({item.LayerName, p->GetPointName(),
                                 {QStringLiteral("点名 = %1").arg(p->GetPointName()),
                                  QStringLiteral("标记 = %1").arg(p->GetPointMark()),
                                  QStringLiteral("X = %1").arg(Coordinate(x)), QStringLiteral("Y = %1").arg(Coordinate(y)),
                                  QStringLiteral("H = %1").arg(Coordinate(p->GetPoint().h))}});
            }
        }
        else if (auto* shp = dynamic_cast<CMapLayer_SHP*>(layer))
        {
            CMap_Shape* shape = shp->GetMapShape();
            shape->ClearSelectEntity();
            if (!selectable || !shape->SelectEntity(p1, p2)) continue;
            const QStringList names = shape->GetFieldNames();
            for (long fid : shape->GetSelectFIDArray())
            {
                IdentifiedFeature f{item.LayerName, QStringLiteral("要素 %1").arg(fid), {}};
                const QStringList values = shape->GetFieldValues(fid);
                for (int i = 0; i < values.size(); ++i)
                    f.attributes << QStringLiteral("%1 = %2").arg(names.value(i), values[i]);
                found.push_back(f);
            }
        }
        else if (auto* gd = dynamic_cast<CMapLayer_GD*>(layer))
        {
            gd->ClearSelectEntity();
            if (!selectable || !gd->SelectEntity(p1, p2)) continue;
            const CMap_GCD* entities = gd->GetMapGCD();
            for (int c = 0; c < entities->GetEntityClassCount(); ++c)
            {
                const CMap_GCDEntity* cls = entities->GetEntityClass(c);
                if (!cls) continue;
                cls->ForEach([&](const CEntityData& e) {
                    if (!e.m_Selected) return;
                    IdentifiedFeature f{item.LayerName, e.m_EntityID, {QStringLiteral("类 = %1").arg(cls->GetName())}};
                    for (const QString& label : e.m_Label)
                        if (!label.isEmpty()) f.attributes << QStringLiteral("标注 = %1").arg(label);
                    found.push_back(f);
                });
            }
        }
    }
    Redraw();
    return found;
}
