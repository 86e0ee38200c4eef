#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"
#include "platform/PointRect.h"

#include <vector>

class CMapManage;
class CMouseEvent;
class QPainter;

// The map tools, chosen by the event's operation (the listener sub-key): 11 zoom in, 12 zoom out,
// 13 pan, 17 box, 22 measure. Rubber bands and measurement labels go to the owner view's overlay
// (or into a painter the caller gives to OnMouseMove).
class TESVANE_API CMouseListenerView
{
public:
    enum Tool
    {
        ToolZoomIn = 11,
        ToolZoomOut = 12,
        ToolPan = 13,
        ToolBox = 17,
        ToolMeasure = 22
    };

    CMouseListenerView() = default;
    virtual ~CMouseListenerView() = default;

    virtual void OnLButtonDown(CMouseEvent* e);
    virtual void OnLButtonUp(CMouseEvent* e);
    virtual void OnRButtonDown(CMouseEvent* e);
    virtual void OnMouseMove(CMouseEvent* e, QPainter* painter);
    virtual void OnCancel();
    virtual void OnLButtonDBLClick(CMouseEvent*) {}
    virtual void OnMouseDrag(CMouseEvent*) {}
    virtual void OnRButtonUp(CMouseEvent*) {}

    CPoint GetPressPoint() const { return m_PressPoint; }
    CPoint GetSecondPoint() const { return m_SecondPoint; }

    // The vertices of the current measurement, world coordinates. The host reads and empties it.
    std::vector<xyhCoord> m_MeasurePoints;

private:
    void MeasureClick(CMapManage* manager, CPoint point);
    void DrawBand(QPainter* painter, int tool, CPoint to) const;

    CPoint m_PressPoint{-1, -1};
    CPoint m_SecondPoint{-1, -1};
    std::vector<CPoint> m_RubberBand; // the last band end drawn on the overlay, to erase it
};
