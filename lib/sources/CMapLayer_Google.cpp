#include "sources/CMapLayer_Google.h"

namespace
{
// Registered from this file, which the library always links: creating format 7 needs no call.
const bool registered = (RegisterMapLayerKind(7, [] { return std::make_unique<CMapLayer_Google>(); }), true);
} // namespace

CMapLayer_Google::CMapLayer_Google() { m_MapItem.Format = 7; }

CMapLayer_Google::~CMapLayer_Google() = default;

void CMapLayer_Google::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_Google.SetConvert(convert);
}

int CMapLayer_Google::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_Google.GetRange(minX, maxX, minY, maxY, m_Google.ConvertsToPlane() ? 1 : 0);
}

void CMapLayer_Google::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_Google.OnDraw(painter);
}

int CMapLayer_Google::Open()
{
    m_IsLoad = m_Google.OpenMapFile(m_MapItem.FullPathName, m_hWnd);
    return m_IsLoad;
}

void CMapLayer_Google::SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    CMapLayer::SetEllipsoid(ellipsoid);
    m_Google.SetDestinationEllipsoid(ellipsoid);
}

void CMapLayer_Google::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    CMapLayer::SetProjection(projection);
    m_Google.SetProjection(projection);
}

QStringList CMapLayer_Google::InfoLines() const
{
    if (m_Google.GetMaxLevel() < m_Google.GetMinLevel() ||
        (m_Google.GetLevelExtent(m_Google.GetMaxLevel()).maxColumn == 0 &&
         m_Google.GetLevelExtent(m_Google.GetMaxLevel()).maxRow == 0))
        return {QStringLiteral("levels: none")};
    return {QStringLiteral("levels: %1-%2").arg(m_Google.GetMinLevel()).arg(m_Google.GetMaxLevel()),
            QStringLiteral("coordinates: %1")
                .arg(m_Google.ConvertsToPlane() ? QStringLiteral("plane") : QStringLiteral("geographic"))};
}
