#pragma once

#include "platform/PointRect.h"

#include <QString>

class CMapConvert;
class CMapManage;
class CRoadDesign;

// Zooms the map to the extent of its layers: a route without width (a single point) is centred,
// any other is fitted. False when there is nothing to show.
bool ZoomMapToFullExtent(CMapManage& map);

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
