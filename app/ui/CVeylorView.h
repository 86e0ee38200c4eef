#pragma once

#include "map/CMapOverlay.h"
#include "map/CMapOwnerView.h"

#include <QWidget>
#include <functional>

class CRouteShell;
class QLabel;
class QPainter;

// The map in the main window's client area: shows the map manager's picture with the route,
// forwards the mouse to the current map tool, zooms with the wheel and writes coordinates,
// station and offset under the mouse into the status bar.
class CVeylorView : public QWidget, public IMapOwnerView
{
    Q_OBJECT
public:
    CVeylorView(CRouteShell& shell, QWidget* parent = nullptr);
    ~CVeylorView() override;

    // IMapOwnerView
    CRect GetClientRect() const override;
    void RequestRepaint() override;
    CMapOverlay* GetOverlay() override { return &m_Overlay; }

    // The status bar panes for coordinates, station and offset.
    void SetStatusPanes(QLabel* coordinate, QLabel* station, QLabel* offset, QLabel* element = nullptr);

    // The map commands.
    void ZoomInCommand();
    void ZoomOutCommand();
    void FullExtentCommand();
    void PanCommand();
    void MeasureCommand();
    // The selection tool: a click or a dragged box picks features (see FeaturesPicked).
    void SelectCommand();
    // Centres the map on a plane point and marks it until the next route is shown.
    void ShowMarker(double x, double y);
    void ClearMarker();
    bool HasMarker() const { return m_HasMarker; }
    // Shows the stretch of the route between two stations (one station: a ring) in highlight.
    void SetHighlight(bool on, double from = 0.0, double to = 0.0);
    bool HasHighlight() const { return m_HighlightOn; }
    // A click on the map without a map tool, in world coordinates.
    std::function<void(double x, double y)> onPick;

signals:
    // The selection tool was released: the client rectangle from press to release.
    void FeaturesPicked(QPoint from, QPoint to);
    // The map tool changed (its key, 0 for none), also when a tool finished by itself.
    void ToolChanged(int subKey);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // + and − zoom about the centre, the arrow keys pan by a quarter of the view, Home shows the
    // whole route.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DiscardMeasurement();
    void ZoomByNotches(int notches, CPoint fixed);
    void SetTool(int subKey, const QCursor& cursor);
    int Flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const;
    // After a tool or command may have zoomed from `before`: keeps the scale round and in range.
    void RoundScale(double before, CPoint fixed);
    CPoint m_PressPoint;

    CRouteShell& m_Shell;
    CMapOverlay m_Overlay;
    QLabel* m_Coordinate = nullptr;
    QLabel* m_Station = nullptr;
    QLabel* m_Offset = nullptr;
    QLabel* m_Element = nullptr;
    int m_WheelRest = 0;
    bool m_HighlightOn = false;
    double m_HighlightFrom = 0.0;
    double m_HighlightTo = 0.0;
    void PaintHighlight(QPainter& painter);
    bool m_HasMarker = false;
    double m_MarkerX = 0.0;
    double m_MarkerY = 0.0;
};
