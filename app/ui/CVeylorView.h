#pragma once

#include "map/CMapOverlay.h"
#include "map/CMapOwnerView.h"

#include <QWidget>

class CRouteShell;
class QLabel;

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
    void SetStatusPanes(QLabel* coordinate, QLabel* station, QLabel* offset);

    // The map commands.
    void ZoomInCommand();
    void ZoomOutCommand();
    void FullExtentCommand();
    void PanCommand();
    void MeasureCommand();
    // The selection tool: a click or a dragged box picks features (see FeaturesPicked).
    void SelectCommand();

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

private:
    void DiscardMeasurement();
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
};
