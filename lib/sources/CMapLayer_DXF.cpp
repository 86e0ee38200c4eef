#include "sources/CMapLayer_DXF.h"

#include "sources/CMap_DXF.h"

namespace
{
const bool registered = (RegisterMapLayerKind(3, [] { return std::make_unique<CMapLayer_DXF>(); }), true);
} // namespace

CMapLayer_DXF::CMapLayer_DXF() : m_pDxf(std::make_unique<CMap_DXF>()) { m_MapItem = m_pDxf->GetMapItem(); }

CMapLayer_DXF::~CMapLayer_DXF() = default;

void CMapLayer_DXF::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_pDxf->SetConvert(convert);
}

void CMapLayer_DXF::SetHWND(IProgressListener* progress)
{
    CMapLayer::SetHWND(progress);
    m_pDxf->SetProgressHWND(progress);
}

int CMapLayer_DXF::SetMapItem(const MapConfigItem& item)
{
    CMapLayer::SetMapItem(item);
    m_pDxf->SetMapItem(item);
    return 1;
}

void CMapLayer_DXF::Clear()
{
    CMapLayer::Clear();
    m_pDxf->Release();
}

int CMapLayer_DXF::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    // A drawing not (yet) imported has no extent; its empty header box at the origin would pull
    // the map's full extent there.
    if (!m_IsLoad) return 0;
    return m_pDxf->GetRange(minX, maxX, minY, maxY);
}

void CMapLayer_DXF::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_pDxf->Draw(painter);
}

int CMapLayer_DXF::Open()
{
    m_pDxf->Release();
    if (!m_pDxf->ReadHeaderExtent()) return 0;
    m_IsLoad = m_pDxf->Import();
    return m_IsLoad;
}

void CMapLayer_DXF::Close() { m_pDxf->Release(); }

void CMapLayer_DXF::StopLoading() { m_pDxf->StopLoading(); }

long long CMapLayer_DXF::ItemCount() const { return m_pDxf->GetPrimitiveCount(); }

QStringList CMapLayer_DXF::InfoLines() const
{
    return {QStringLiteral("colours: %1").arg(m_pDxf->GetColourCount()),
            QStringLiteral("primitives: %1").arg(m_pDxf->GetPrimitiveCount())};
}
