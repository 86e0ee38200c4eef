#pragma once

#include "map/CMapLayer.h"
#include "road/CRoadDesign.h"

// The route shown in the view: a map layer that owns the road design model, reports the extent
// of the route's main points and draws the centre line with its main points labelled by station.
class CMapLayer_Road : public CMapLayer
{
public:
    CMapLayer_Road();

    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 1; }
    int Open() override { return m_IsLoad; }
    void Close() override {}

    CRoadDesign m_RoadDesign;
};
