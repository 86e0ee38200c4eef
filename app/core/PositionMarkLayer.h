#pragma once

#include "geometry/xyhCoord.h"
#include "map/CMapLayer.h"

// The position marker over the map: red rings around one world position (a point found by
// name). A host layer in the map's overlay list; it has no extent, so zooming to the whole map
// ignores it. Change the position only while nothing is drawn (CMapManage::WaitForDrawing).
class CPositionMarkLayer : public CMapLayer
{
public:
    void SetPosition(const xyhCoord& position)
    {
        m_Position = position;
        m_Shown = true;
    }
    void Hide() { m_Shown = false; }
    bool IsShown() const { return m_Shown; }
    xyhCoord Position() const { return m_Position; }

    void DrawAll(QPainter* painter, int overlay) override;

private:
    xyhCoord m_Position;
    bool m_Shown = false;
};
