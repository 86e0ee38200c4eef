#include "app/ui/CVeylorView.h"

#include "app/core/CRouteShell.h"
#include "app/core/MapViewLogic.h"
#include "map/CMapConvert.h"
#include "map/CMouseEvent.h"
#include "map/CMouseListenerManage.h"
#include "map/CMouseListenerView.h"

#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace
{
// Button and key flags as the map tools receive them.
constexpr int kLeftButton = 0x1;
constexpr int kRightButton = 0x2;
constexpr int kShift = 0x4;
constexpr int kControl = 0x8;
constexpr int kMiddleButton = 0x10;
constexpr int kToolKey = 10;
// A tool that reports this operation has finished and hands back to "no tool".
constexpr int kToolDone = 23;
} // namespace

CVeylorView::CVeylorView(CRouteShell& shell, QWidget* parent) : QWidget(parent), m_Shell(shell)
{
    setObjectName(QStringLiteral("routeView"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::WheelFocus);
    setMinimumSize(200, 150);
    setCursor(Qt::ArrowCursor);

    // The configured layers are read here unopened; the window's layer list opens them in the
    // background, and the road layer is drawn over them.
    CMapManage& map = m_Shell.Map();
    map.Clear();
    map.SetConfigPath(m_Shell.ConfigDir());
    m_Shell.RoadLayer().SetConvert(&map.m_MapConvert);
    map.SetOwnerView(this);
    map.SetBackGroundColor(0);
    map.m_OverlayLayers.push_back(&m_Shell.RoadLayer());
}

CVeylorView::~CVeylorView()
{
    CMapManage& map = m_Shell.Map();
    map.ReleaseOwnerView();
    map.WaitForDrawing();
    auto& overlay = map.m_OverlayLayers;
    overlay.erase(std::remove(overlay.begin(), overlay.end(), &m_Shell.RoadLayer()), overlay.end());
}

CRect CVeylorView::GetClientRect() const { return CRect(0, 0, width(), height()); }

void CVeylorView::RequestRepaint()
{
    // Called from the drawing thread as well: post, never wait.
    QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

void CVeylorView::SetStatusPanes(QLabel* coordinate, QLabel* station, QLabel* offset, QLabel* element)
{
    m_Element = element;
    m_Coordinate = coordinate;
    m_Station = station;
    m_Offset = offset;
}

void CVeylorView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_Shell.HasRoute())
    {
        painter.fillRect(rect(), QColor(171, 171, 171));
        return;
    }
    m_Shell.Map().OnDraw(&painter, 0, 0);
    // The highlight and the marker lie on the map; the measurement and its labels stay on top.
    painter.save();
    if (m_HighlightOn) PaintHighlight(painter);
    if (m_HasMarker)
    {
        long cx = 0, cy = 0;
        m_Shell.Map().m_MapConvert.WorldToClient(m_MarkerX, m_MarkerY, cx, cy);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(255, 60, 60), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPoint(int(cx), int(cy)), 10, 10);
        painter.drawLine(int(cx) - 16, int(cy), int(cx) + 16, int(cy));
        painter.drawLine(int(cx), int(cy) - 16, int(cx), int(cy) + 16);
    }
    painter.restore();
    m_Overlay.PaintOver(painter);
}

void CVeylorView::ShowMarker(double x, double y)
{
    m_HasMarker = true;
    m_MarkerX = x;
    m_MarkerY = y;
    m_Shell.Map().SetClientRect(GetClientRect());
    m_Shell.Map().SetCenter(x, y, 0);
    update();
}

void CVeylorView::SetHighlight(bool on, double from, double to)
{
    m_HighlightOn = on;
    m_HighlightFrom = std::min(from, to);
    m_HighlightTo = std::max(from, to);
    update();
}

void CVeylorView::PaintHighlight(QPainter& painter)
{
    const CRoadDesign& road = m_Shell.Road();
    if (!road.IsLoad()) return;
    const CMapConvert& convert = m_Shell.Map().m_MapConvert;
    // Samples two pixels apart, at most a few thousand.
    const double length = m_HighlightTo - m_HighlightFrom;
    const int steps = std::clamp(static_cast<int>(length / (2.0 * convert.GetScale())), 1, 4000);
    QPolygon line;
    for (int i = 0; i <= steps; ++i)
    {
        double x = 0, y = 0, bearing = 0;
        if (!road.GetAngleAndXY(m_HighlightFrom + length * i / steps, x, y, bearing, 0.0)) continue;
        long cx = 0, cy = 0;
        convert.WorldToClient(x, y, cx, cy);
        // Far outside the window the painter's fixed-point numbers do not reach.
        line << QPoint(int(std::clamp(cx, -100000L, 100000L)), int(std::clamp(cy, -100000L, 100000L)));
    }
    if (line.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(255, 220, 0, 200), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (length <= 0.0 || line.size() < 2)
        painter.drawEllipse(line.front(), 8, 8);
    else
        painter.drawPolyline(line);
    painter.restore();
}

void CVeylorView::ClearMarker()
{
    m_HasMarker = false;
    update();
}

void CVeylorView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_Overlay.Resize(size());
    CMapManage& map = m_Shell.Map();
    const QSize old = event->oldSize();
    // Keep the centre and the scale; the picture is drawn again for the new size.
    if (old.isValid() && !old.isEmpty())
    {
        KeepCentreOnResize(map, CRect(0, 0, old.width(), old.height()), GetClientRect());
        return;
    }
    map.SetClientRect(GetClientRect());
    map.SetStartCorAndScale(map.m_MapConvert.GetStartCor(), map.m_MapConvert.GetScale(), 1);
}

void CVeylorView::RoundScale(double before, CPoint fixed)
{
    CMapManage& map = m_Shell.Map();
    if (map.m_MapConvert.GetScale() == before) return;
    RoundScaleAfterZoom(map, before, fixed);
}

int CVeylorView::Flags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) const
{
    int flags = 0;
    if (buttons & Qt::LeftButton) flags |= kLeftButton;
    if (buttons & Qt::RightButton) flags |= kRightButton;
    if (buttons & Qt::MiddleButton) flags |= kMiddleButton;
    if (modifiers & Qt::ShiftModifier) flags |= kShift;
    if (modifiers & Qt::ControlModifier) flags |= kControl;
    return flags;
}

void CVeylorView::mousePressEvent(QMouseEvent* event)
{
    CMapManage& map = m_Shell.Map();
    CMouseListenerManage* tools = map.GetMouseListenerManage();
    CMouseListenerView* tool = tools ? tools->GetMouseListener() : nullptr;
    m_PressPoint = CPoint(event->position().toPoint());
    // Without a map tool a click picks the element under it.
    const bool noTool = !tool || tools->GetMouseListenerSubKey() == 0;
    if (event->button() == Qt::LeftButton && noTool && onPick && m_Shell.HasRoute())
    {
        double x = 0, y = 0;
        map.m_MapConvert.ClientToWorld(m_PressPoint.x, m_PressPoint.y, x, y);
        onPick(x, y);
    }
    if (!tool) return;
    CMouseEvent e(&map, CPoint(event->position().toPoint()), Flags(event->buttons(), event->modifiers()),
                  tools->GetMouseListenerSubKey());
    const double before = map.m_MapConvert.GetScale();
    if (event->button() == Qt::LeftButton)
    {
        if (tools->GetMouseListenerSubKey() == CMouseListenerView::ToolPan) setCursor(Qt::ClosedHandCursor);
        tool->OnLButtonDown(&e);
        RoundScale(before, m_PressPoint);
    }
    else if (event->button() == Qt::RightButton)
    {
        tool->OnRButtonDown(&e);
    }
    update();
}

void CVeylorView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || (event->buttons() & Qt::LeftButton)) return;
    CMapManage& map = m_Shell.Map();
    CMouseListenerManage* tools = map.GetMouseListenerManage();
    CMouseListenerView* tool = tools ? tools->GetMouseListener() : nullptr;
    if (!tool) return;
    CMouseEvent e(&map, CPoint(event->position().toPoint()), Flags(event->buttons(), event->modifiers()),
                  tools->GetMouseListenerSubKey());
    const double before = map.m_MapConvert.GetScale();
    tool->OnLButtonUp(&e);
    // A click zooms about the point clicked, a box about the middle of the view it now fills.
    const CPoint released(event->position().toPoint());
    const bool click = std::abs(released.x - m_PressPoint.x) <= 5 || std::abs(released.y - m_PressPoint.y) <= 5;
    RoundScale(before, click ? released : ClientCentre(GetClientRect()));
    if (tools->GetMouseListenerSubKey() == CMouseListenerView::ToolBox)
        emit FeaturesPicked(m_PressPoint.toQPoint(), released.toQPoint());
    if (e.GetOperate() == kToolDone)
    {
        tools->SetMouseListenerKey(kToolKey, 0);
        emit ToolChanged(0);
    }
    if (tools->GetMouseListenerSubKey() == CMouseListenerView::ToolPan) setCursor(Qt::OpenHandCursor);
    update();
}

void CVeylorView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_Shell.HasRoute()) return;
    CMapManage& map = m_Shell.Map();
    const CPoint point(event->position().toPoint());
    const MouseStatusTexts texts = StatusTextsAt(map.m_MapConvert, m_Shell.Road(), point);
    if (m_Coordinate) m_Coordinate->setText(texts.coordinate);
    if (m_Station) m_Station->setText(texts.station);
    if (m_Offset) m_Offset->setText(texts.offset);
    if (m_Element) m_Element->setText(texts.element);

    CMouseListenerManage* tools = map.GetMouseListenerManage();
    CMouseListenerView* tool = tools ? tools->GetMouseListener() : nullptr;
    if (!tool) return;
    CMouseEvent e(&map, point, Flags(event->buttons(), event->modifiers()), tools->GetMouseListenerSubKey());
    tool->OnMouseMove(&e, nullptr);
    if (event->buttons() != Qt::NoButton || tools->GetMouseListenerSubKey() == CMouseListenerView::ToolMeasure) update();
}

void CVeylorView::wheelEvent(QWheelEvent* event)
{
    // One notch is 120; touchpads send smaller steps, which add up to a notch.
    m_WheelRest += event->angleDelta().y();
    const int notches = m_WheelRest / 120;
    m_WheelRest -= notches * 120;
    event->accept();
    if (notches == 0 || !m_Shell.HasRoute()) return;
    ZoomByNotches(notches, CPoint(event->position().toPoint()));
}

void CVeylorView::ZoomByNotches(int notches, CPoint fixed)
{
    CMapManage& map = m_Shell.Map();
    const double now = map.m_MapConvert.GetScale();
    const double target = WheelScale(now, notches);
    if (target != now) ZoomMapKeeping(map, target, fixed);
    update();
}

void CVeylorView::keyPressEvent(QKeyEvent* event)
{
    if (!m_Shell.HasRoute())
    {
        QWidget::keyPressEvent(event);
        return;
    }
    const CPoint centre = ClientCentre(GetClientRect());
    const int dx = width() / 4, dy = height() / 4;
    switch (event->key())
    {
    case Qt::Key_Plus:
    case Qt::Key_Equal: ZoomByNotches(1, centre); break;
    case Qt::Key_Minus: ZoomByNotches(-1, centre); break;
    case Qt::Key_Home: FullExtentCommand(); break;
    // The arrow shows where to look: the map moves the other way.
    case Qt::Key_Left: m_Shell.Map().Move(centre, CPoint(centre.x + dx, centre.y)); break;
    case Qt::Key_Right: m_Shell.Map().Move(centre, CPoint(centre.x - dx, centre.y)); break;
    case Qt::Key_Up: m_Shell.Map().Move(centre, CPoint(centre.x, centre.y + dy)); break;
    case Qt::Key_Down: m_Shell.Map().Move(centre, CPoint(centre.x, centre.y - dy)); break;
    default: QWidget::keyPressEvent(event); return;
    }
    update();
    event->accept();
}

void CVeylorView::DiscardMeasurement()
{
    CMouseListenerManage* tools = m_Shell.Map().GetMouseListenerManage();
    CMouseListenerView* tool = tools ? tools->GetMouseListener() : nullptr;
    if (!tool) return;
    const bool drawn = tool->m_MeasurePoints.size() >= 2;
    tool->m_MeasurePoints.clear();
    if (drawn)
    {
        m_Overlay.Invalidate();
        update();
    }
}

void CVeylorView::SetTool(int subKey, const QCursor& cursor)
{
    if (CMouseListenerManage* tools = m_Shell.Map().GetMouseListenerManage()) tools->SetMouseListenerKey(kToolKey, subKey);
    setCursor(cursor);
    emit ToolChanged(subKey);
}

void CVeylorView::ZoomInCommand()
{
    SetTool(CMouseListenerView::ToolZoomIn, Qt::CrossCursor);
    const CPoint c = ClientCentre(GetClientRect());
    const double before = m_Shell.Map().m_MapConvert.GetScale();
    m_Shell.Map().ZoomIn(c, c);
    RoundScale(before, c);
    update();
}

void CVeylorView::ZoomOutCommand()
{
    SetTool(CMouseListenerView::ToolZoomOut, Qt::CrossCursor);
    const CPoint c = ClientCentre(GetClientRect());
    const double before = m_Shell.Map().m_MapConvert.GetScale();
    m_Shell.Map().ZoomOut(c, c);
    RoundScale(before, c);
    update();
}

void CVeylorView::FullExtentCommand()
{
    CMapManage& map = m_Shell.Map();
    map.SetClientRect(GetClientRect());
    // The whole route must stay in view: the round scale at least as coarse as the fitted one.
    if (ZoomMapToFullExtent(map)) RoundScaleAfterZoom(map, 0.0, ClientCentre(GetClientRect()));
    update();
}

void CVeylorView::PanCommand() { SetTool(CMouseListenerView::ToolPan, Qt::OpenHandCursor); }

void CVeylorView::SelectCommand() { SetTool(CMouseListenerView::ToolBox, Qt::ArrowCursor); }

void CVeylorView::MeasureCommand()
{
    SetTool(CMouseListenerView::ToolMeasure, Qt::CrossCursor);
    DiscardMeasurement();
}
