#include "sources/CMap_GCDEntity.h"

#include "map/CMapConvert.h"

#include <algorithm>

namespace
{
// A click (a rectangle narrower than this in both directions) selects what lies within this many
// pixels of the point, so that a 4-pixel square or a thin line can be hit.
constexpr int kHitTolerance = 3;
} // namespace

CMap_GCDEntity::CMap_GCDEntity(int type, const QString& name) : m_Type(type), m_Name(name) {}

CMap_GCDEntity::~CMap_GCDEntity() = default;

int CMap_GCDEntity::GetCount() const
{
    return static_cast<int>(m_Points.size() + m_Lines.size() + m_Planes.size());
}

CPointData* CMap_GCDEntity::AddData(std::unique_ptr<CPointData> item)
{
    if (!item || m_Type != 0) return nullptr;
    m_Points.push_back(std::move(item));
    return m_Points.back().get();
}

CLineData* CMap_GCDEntity::AddData(std::unique_ptr<CLineData> item)
{
    if (!item || m_Type != 1 || item->GetType() != 1) return nullptr;
    m_Lines.push_back(std::move(item));
    return m_Lines.back().get();
}

CPlaneData* CMap_GCDEntity::AddData(std::unique_ptr<CPlaneData> item)
{
    if (!item || m_Type != 2) return nullptr;
    m_Planes.push_back(std::move(item));
    return m_Planes.back().get();
}

bool CMap_GCDEntity::UpdateData(const CLineData* line)
{
    if (!line || line->GetType() != m_Type) return false;
    auto* target = dynamic_cast<CLineData*>(GetEntityData(line->m_EntityID));
    if (!target) return false;
    target->m_Label[0] = line->m_Label[0];
    target->m_Label[1] = line->m_Label[1];
    target->SetPoints(line->GetPoints());
    return true;
}

CEntityData* CMap_GCDEntity::GetEntityData(const QString& id) const
{
    for (const auto& p : m_Points)
        if (p->m_EntityID == id) return p.get();
    for (const auto& l : m_Lines)
        if (l->m_EntityID == id) return l.get();
    for (const auto& s : m_Planes)
        if (s->m_EntityID == id) return s.get();
    return nullptr;
}

template <class T> int CMap_GCDEntity::RemoveFrom(std::vector<std::unique_ptr<T>>& items, const QString& id)
{
    const auto end = std::remove_if(items.begin(), items.end(), [&](const auto& i) { return i->m_EntityID == id; });
    const int removed = static_cast<int>(items.end() - end);
    items.erase(end, items.end());
    return removed;
}

int CMap_GCDEntity::RemoveEntity(const QString& id)
{
    return RemoveFrom(m_Points, id) + RemoveFrom(m_Lines, id) + RemoveFrom(m_Planes, id);
}

bool CMap_GCDEntity::RemoveEntityCoor(const QString& id, int index)
{
    CEntityData* item = GetEntityData(id);
    if (!item) return false;
    if (auto* point = dynamic_cast<CPointData*>(item))
    {
        if (index != 0 || !point->m_HasPosition) return false;
        RemoveEntity(id);
        return true;
    }
    auto* line = static_cast<CLineData*>(item);
    if (!line->RemovePoint(index)) return false;
    if (line->GetPointCount() == 0) RemoveEntity(id);
    return true;
}

void CMap_GCDEntity::RemoveAll()
{
    m_Points.clear();
    m_Lines.clear();
    m_Planes.clear();
}

int CMap_GCDEntity::SelectEntity(CPoint p1, CPoint p2, const CMapConvert* convert)
{
    if (!convert) return GetSelectCount();
    long left = std::min(p1.x, p2.x), right = std::max(p1.x, p2.x);
    long top = std::min(p1.y, p2.y), bottom = std::max(p1.y, p2.y);
    if (right - left < kHitTolerance && bottom - top < kHitTolerance)
    {
        left -= kHitTolerance;
        right += kHitTolerance;
        top -= kHitTolerance;
        bottom += kHitTolerance;
    }
    // Client y grows downwards, world x upwards: the bottom left corner holds the minima.
    double minX, minY, maxX, maxY;
    convert->ClientToWorld(left, bottom, minX, minY);
    convert->ClientToWorld(right, top, maxX, maxY);
    if (minX > maxX) std::swap(minX, maxX);
    if (minY > maxY) std::swap(minY, maxY);

    for (const auto& p : m_Points)
        if (p->m_HasPosition && p->m_Point.x >= minX && p->m_Point.x <= maxX && p->m_Point.y >= minY &&
            p->m_Point.y <= maxY)
            p->m_Selected = true;
    for (const auto& l : m_Lines)
        if (l->IsLineInRange(minX, maxX, minY, maxY)) l->m_Selected = true;
    const std::vector<xyhCoord> rect = {{minX, minY, 0}, {maxX, minY, 0}, {maxX, maxY, 0}, {minX, maxY, 0}};
    for (const auto& s : m_Planes)
        if (s->GetPointCount() > 0 && s->m_MaxX >= minX && s->m_MinX <= maxX && s->m_MaxY >= minY &&
            s->m_MinY <= maxY && s->IsSelect(rect))
            s->m_Selected = true;
    return GetSelectCount();
}

void CMap_GCDEntity::ClearSelect()
{
    for (const auto& p : m_Points) p->m_Selected = false;
    for (const auto& l : m_Lines) l->m_Selected = false;
    for (const auto& s : m_Planes) s->m_Selected = false;
}

int CMap_GCDEntity::GetSelectCount() const
{
    int n = 0;
    ForEach([&](const CEntityData& e) { n += e.m_Selected ? 1 : 0; });
    return n;
}

int CMap_GCDEntity::GetRange(double& minX, double& maxX, double& minY, double& maxY, int extend) const
{
    bool found = false;
    ForEach([&](const CEntityData& e) {
        double a, b, c, d;
        if (!e.GetExtent(a, b, c, d)) return;
        if (!found && !extend)
        {
            minX = a;
            maxX = b;
            minY = c;
            maxY = d;
        }
        else
        {
            minX = std::min(minX, a);
            maxX = std::max(maxX, b);
            minY = std::min(minY, c);
            maxY = std::max(maxY, d);
        }
        found = true;
    });
    return found ? 1 : 0;
}
