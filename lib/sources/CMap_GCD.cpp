#include "sources/CMap_GCD.h"

#include "map/CMapConvert.h"
#include "map/CMapDefine.h"
#include "platform/Color.h"
#include "platform/TextCodec.h"
#include "sources/CppSQLite3.h"

#include <QFileInfo>
#include <QPainter>

CMap_GCD::CMap_GCD() : m_DB(std::make_unique<CppSQLite3DB>())
{
    const CMapDefine palette;
    m_MapItem.Format = 6;
    m_MapItem.Size = 1;
    m_MapItem.Style = 0;
    m_MapItem.DisplayField = 0;
    m_MapItem.Visible = 1;
    m_MapItem.Select = 1;
    m_MapItem.SemiTransparence = 1;
    m_MapItem.Search = 0;
    m_MapItem.clrOutLine = palette.GetRandColor();
    m_MapItem.clrFill = palette.GetRandColor();
    m_MapItem.clrText = palette.GetRandColor();
}

CMap_GCD::~CMap_GCD() = default;

bool CMap_GCD::OpenFile()
{
    CloseFile();
    const QString& path = m_MapItem.FullPathName;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
    try
    {
        m_DB->openReadOnly(ToUtf8(path).constData());
    }
    catch (const CppSQLite3Exception&)
    {
        return false;
    }
    return m_DB->isopen();
}

void CMap_GCD::StopLoading()
{
    m_Stop.store(true);
    m_DB->interrupt(); // a long statement ends now, not at its last row
}

void CMap_GCD::CloseFile()
{
    if (m_DB->isopen()) m_DB->close();
}

void CMap_GCD::Clear()
{
    m_Entities.clear();
    m_TotalCount = 0;
    m_LoadedCount = 0;
    m_LastPercent = -1;
}

CMap_GCDEntity* CMap_GCD::GetEntityClass(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_Entities.size())) return nullptr;
    return m_Entities[static_cast<size_t>(index)].get();
}

CMap_GCDEntity* CMap_GCD::FindEntityClass(const QString& name) const
{
    for (const auto& e : m_Entities)
        if (e->GetName() == name) return e.get();
    return nullptr;
}

int CMap_GCD::GetEntityCount() const
{
    int n = 0;
    for (const auto& e : m_Entities) n += e->GetCount();
    return n;
}

CEntityData* CMap_GCD::GetEntityData(const QString& className, const QString& id) const
{
    const CMap_GCDEntity* entity = FindEntityClass(className);
    return entity ? entity->GetEntityData(id) : nullptr;
}

int CMap_GCD::RemoveEntity(const QString& id)
{
    int removed = 0;
    for (const auto& e : m_Entities) removed += e->RemoveEntity(id);
    return removed > 0 ? 1 : 0;
}

int CMap_GCD::RemoveEntityCoor(const QString& id, int index)
{
    for (const auto& e : m_Entities)
        if (e->GetEntityData(id)) return e->RemoveEntityCoor(id, index) ? 1 : 0;
    return 0;
}

int CMap_GCD::GetRange(double& minX, double& maxX, double& minY, double& maxY) const
{
    int found = 0;
    for (const auto& e : m_Entities)
        if (e->GetRange(minX, maxX, minY, maxY, found)) found = 1;
    return found;
}

void CMap_GCD::OnDraw(QPainter* painter) const
{
    if (!painter || !m_pMapConvert || !m_MapItem.Visible) return;
    // Classes in array order: the planes, kept at the front, lie under lines and points.
    for (const auto& e : m_Entities)
        e->OnDraw(painter, m_pMapConvert, m_MapItem.SemiTransparence, m_MapItem.DisplayField, m_MapItem.clrText);
}

int CMap_GCD::SelectEntity(CPoint p1, CPoint p2)
{
    ClearSelectEntity();
    if (!m_pMapConvert || !m_MapItem.Visible || !m_MapItem.Select) return 0;
    int n = 0;
    for (const auto& e : m_Entities) n += e->SelectEntity(p1, p2, m_pMapConvert);
    return n;
}

void CMap_GCD::DrawSelectEntity(QPainter* painter) const
{
    if (!painter || !m_pMapConvert || !m_MapItem.Visible) return;
    for (const auto& e : m_Entities) e->DrawSelected(painter, m_pMapConvert);
}

void CMap_GCD::ClearSelectEntity()
{
    for (const auto& e : m_Entities) e->ClearSelect();
}
