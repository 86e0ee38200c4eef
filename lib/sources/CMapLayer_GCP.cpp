#include "sources/CMapLayer_GCP.h"

namespace
{
// Registered from this file, which the library always links: formats 1 and 6 need no call.
const bool registered = (RegisterMapLayerKind(1, [] { return std::make_unique<CMapLayer_GCP>(); }),
                         RegisterMapLayerKind(6, [] { return std::make_unique<CMapLayer_GCP>(); }), true);
} // namespace

void CMapLayer_GCP::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_Image.SetConvert(convert);
}

int CMapLayer_GCP::Open()
{
    // The map manager has always opened images in mode 1 without a progress receiver.
    m_IsLoad = m_Image.SetImage(m_MapItem.FullPathName, 1, nullptr);
    return m_IsLoad;
}

int CMapLayer_GCP::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_Image.GetRange(minX, maxX, minY, maxY);
}

void CMapLayer_GCP::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_Image.Draw(painter);
}

long long CMapLayer_GCP::ItemCount() const
{
    long long tiles = 0;
    for (const Image_LayerData& level : m_Image.Geo().Levels()) tiles += (long long)level.TileRows * level.TileColumns;
    return tiles;
}

QStringList CMapLayer_GCP::InfoLines() const
{
    const CMap_ImageGeo& geo = m_Image.Geo();
    return {QStringLiteral("levels: %1").arg(geo.Levels().size()),
            QStringLiteral("size: %1 x %2").arg(geo.Width()).arg(geo.Height())};
}
