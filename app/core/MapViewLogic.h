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

// The status bar texts for the mouse at a client point: coordinates (N, E), station, offset, and
// the bearing of the centre line there with the element it lies on. Digits follow the scale:
// what a pixel resolves and no more than millimetres; stations in the display style.
struct MouseStatusTexts
{
    QString coordinate;
    QString station;
    QString offset;
    QString element; // "方位角 45°30′15″  圆曲线 R=500" or empty off the route
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

// The scale one wheel notch (or the + and − keys) moves to: the next bar length of the finer
// round series 1, 1.5, 2, 3, 4, 5, 7.5 times a power of ten metres, so that each step changes
// the scale by a factor of 1.25 to 1.5 (the 1-2-5 steps of the zoom commands are 2 to 2.5, too
// coarse for a wheel). `notches` > 0 zooms in. Stays within the scale limits.
double WheelScale(double scale, int notches);

// Sets the scale, keeping the world point under `fixed` at that client point.
void ZoomMapKeeping(CMapManage& map, double scale, CPoint fixed);

// The view changed size from `before` to the map's current client rectangle: keeps the world
// point at the centre of the view and the scale.
void KeepCentreOnResize(CMapManage& map, const CRect& before, const CRect& after);
