#include "sources/CMapLayer_DAT.h"

namespace
{
// Registered from this file, which the library always links: creating format 5 needs no call.
const bool registered = (RegisterMapLayerKind(5, [] { return std::make_unique<CMapLayer_DAT>(); }), true);
} // namespace

// A fresh layer starts from the source's defaults (unlabelled squares of size 2, selectable).
CMapLayer_DAT::CMapLayer_DAT() { m_MapItem = m_Dat.GetMapItem(); }

CMapLayer_DAT::~CMapLayer_DAT() = default;

void CMapLayer_DAT::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_Dat.SetConvert(convert);
}

int CMapLayer_DAT::SetMapItem(const MapConfigItem& item)
{
    CMapLayer::SetMapItem(item);
    m_Dat.SetMapItem(item);
    return 1;
}

int CMapLayer_DAT::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_Dat.GetRange(minX, maxX, minY, maxY);
}

void CMapLayer_DAT::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_Dat.OnDraw(painter);
}

int CMapLayer_DAT::Open()
{
    m_IsLoad = m_Dat.ImportData(m_hWnd);
    return m_IsLoad;
}

void CMapLayer_DAT::Close() { m_Dat.Release(); }

void CMapLayer_DAT::SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    CMapLayer::SetEllipsoid(ellipsoid);
    m_Dat.SetDestinationEllipsoid(ellipsoid);
}

void CMapLayer_DAT::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    CMapLayer::SetProjection(projection);
    m_Dat.SetProjection(projection);
}

QStringList CMapLayer_DAT::InfoLines() const
{
    return {QStringLiteral("coordinates: %1")
                .arg(m_Dat.IsPlane() ? QStringLiteral("plane") : QStringLiteral("geographic"))};
}
