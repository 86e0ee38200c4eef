#pragma once

#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "road/CRoadDesign.h"

// The route on the map: a layer that owns the road design model, reports the extent of the
// route's main points and draws the centre line with its main points. The program's route view,
// the command-line renderer and the benchmarks all show the route through it.
class TESVANE_API CMapLayer_Road : public CMapLayer
{
public:
    CMapLayer_Road();

    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int option) override;
    void DrawAll(QPainter* painter, int overlay) override;
    int GetType() const override { return 1; }
    int Open() override { return m_IsLoad; }
    void Close() override {}

    CRoadDesign m_RoadDesign;
    // Main-point labels as CRoadDesign::Draw takes them: 0 none, 1 names, 2 stations (the view's),
    // 3 both.
    int m_LabelMode = 2;
    // How the labels write stations.
    StationStyle m_StationStyle = StationStyle::Metres;
};
