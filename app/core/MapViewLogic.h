#pragma once

#include "platform/PointRect.h"

#include <QString>

class CMapConvert;
class CMapManage;
class CRoadDesign;

// Zooms the map to the extent of its layers: a route without width (a single point) is centred,
// any other is fitted. False when there is nothing to show.
bool ZoomMapToFullExtent(CMapManage& map);
// The same for one extent (x the northing): a layer's, the route's.
bool ZoomMapToExtent(CMapManage& map, double minX, double minY, double maxX, double maxY);

// The status bar texts for the mouse at a client point: coordinates, station and offset.
struct MouseStatusTexts
{
    QString coordinate;
    QString station;
    QString offset;
};
MouseStatusTexts StatusTextsAt(const CMapConvert& convert, const CRoadDesign& road, CPoint client);

// The client centre as the zoom commands use it.
CPoint ClientCentre(const CRect& client);

// The scales (metres per pixel) the view uses: the map's 100-pixel scale bar then stands for a
// round length, 1, 2 or 5 times a power of ten metres, never something like 575 m. Zooming out
// stops at kMaxMapScale (a 50 km bar, a view some 700 km wide), zooming in at kMinMapScale.
constexpr double kMaxMapScale = 500.0;
constexpr double kMinMapScale = 0.0001;
// The smallest round scale not below `scale`, and the largest one below it, within the limits.
double RoundScaleAtLeast(double scale);
double RoundScaleBelow(double scale);

// After the map zoomed from `before` to its current scale (a click, the wheel, a box, the full
// extent): moves the scale to the round one in the same direction, keeping the world point under
// `fixed` where it is. False when nothing had to change.
bool RoundScaleAfterZoom(CMapManage& map, double before, CPoint fixed);

// The view changed size from `before` to the map's current client rectangle: keeps the world
// point at the centre of the view and the scale.
void KeepCentreOnResize(CMapManage& map, const CRect& before, const CRect& after);
