#include "map/CMapLayer_Road.h"

CMapLayer_Road::CMapLayer_Road() = default;

int CMapLayer_Road::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_RoadDesign.GetRange(minX, maxX, minY, maxY, 0);
}

void CMapLayer_Road::DrawAll(QPainter* painter, int)
{
    if (m_MapItem.Visible && m_pMapConvert && painter) m_RoadDesign.Draw(painter, m_pMapConvert, m_LabelMode, m_StationStyle);
}
