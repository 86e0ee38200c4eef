#include "sources/CMapLayer_GD.h"

#include <QPainter>

void CMapLayer_GD::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_GCD.SetConvert(convert);
}

int CMapLayer_GD::SetMapItem(const MapConfigItem& item)
{
    CMapLayer::SetMapItem(item);
    // The source draws with the item's flags and colours, so it follows every change.
    m_GCD.SetMapItem(item);
    return 1;
}

int CMapLayer_GD::Open()
{
    m_GCD.SetMapItem(m_MapItem);
    m_GCD.SetConvert(m_pMapConvert);
    m_GCD.SetProgressHWND(m_hWnd);
    // Opening alone would show nothing: the layer reads its entities as well.
    m_IsLoad = m_GCD.OpenFile() && m_GCD.LoadEntityData() ? 1 : 0;
    return m_IsLoad;
}

int CMapLayer_GD::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_GCD.GetRange(minX, maxX, minY, maxY);
}

void CMapLayer_GD::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_GCD.OnDraw(painter);
    m_GCD.DrawSelectEntity(painter);
}

QStringList CMapLayer_GD::InfoLines() const
{
    static const char* const kinds[3] = {"point", "line", "plane"};
    QStringList lines{QStringLiteral("classes: %1").arg(m_GCD.GetEntityClassCount())};
    for (int i = 0; i < m_GCD.GetEntityClassCount(); ++i)
    {
        const CMap_GCDEntity* e = m_GCD.GetEntityClass(i);
        lines << QStringLiteral("class: %1 (%2) %3")
                     .arg(e->GetName(), QLatin1String(kinds[e->GetType()]))
                     .arg(e->GetCount());
    }
    return lines;
}

namespace
{
// Registered when the library is loaded: format 10 creates this kind.
[[maybe_unused]] const bool registered = [] {
    RegisterMapLayerKind(10, [] { return std::unique_ptr<CMapLayer>(new CMapLayer_GD()); });
    return true;
}();
} // namespace
