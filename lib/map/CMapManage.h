#pragma once

#include "coord/CoordinateSystemDefine.h"
#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "platform/PointRect.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CMouseListenerManage;
class IMapOwnerView;
class IProgressListener;
class QPainter;

// The map a view displays: the configured layers (main list, read from "MapLayer.cfg"), the
// host's own layers (overlay list), the world/client converter and the mouse tools, composed into
// one picture.
//
// Pictures are composed off the owner thread. Every change of position or scale requests a
// picture; a drawing thread owned by the manager draws the latest request into an off-screen
// image, publishes it as the display buffer and asks the view to repaint. Requests that pile up
// while a picture is being drawn are merged (only the newest state is drawn), and a picture whose
// state has been superseded is abandoned between layers, so the last picture published is always
// the complete drawing of the latest request. Pictures of all managers are drawn one at a time
// (a process-wide lock), because data sources share process-wide state.
//
// Threads: everything except the drawing runs on the owner thread. The drawing thread sees the
// converter's parameters, the layer lists and the layers' visibility as they were when the picture
// was requested. The manager waits for the drawing thread before it opens, clears or destroys its
// layers, and stops it in its destructor. Host layers (overlay list) must not change their data
// while a picture is drawn: call WaitForDrawing first.
class TESVANE_API CMapManage
{
public:
    CMapManage();
    virtual ~CMapManage();
    CMapManage(const CMapManage&) = delete;
    CMapManage& operator=(const CMapManage&) = delete;

    // Configuration.
    void SetConfigPath(const QString& folder);
    QString GetConfigPath() const { return m_ConfigPath; }
    int ConfigRead();
    int ConfigSave();
    int InsertMapLayer(int index, const MapConfigItem& item);
    void Load(IProgressListener* progress);
    // Empties the main list and destroys its layers.
    void Clear();

    // The view. SetOwnerView ignores null; a view that goes away first calls ReleaseOwnerView,
    // which waits for the drawing thread so that it no longer calls the view.
    void SetOwnerView(IMapOwnerView* view);
    IMapOwnerView* GetOwnerView() const { return m_pOwnerView; }
    void ReleaseOwnerView();
    void SetHWND(IProgressListener* progress);
    void SetClientRect(const CRect& rect);
    void SetBackGroundColor(unsigned long color);

    // Position and scale.
    void SetStartCorAndScale(const xyhCoord& start, double scale, int force);
    int ZoomIn(CPoint p1, CPoint p2);
    int ZoomOut(CPoint p1, CPoint p2);
    int Move(CPoint from, CPoint to);
    void SetCenter(double x, double y, int unused);
    void SetMapRect(double minX, double minY, double maxX, double maxY);
    int CalScale(double minX, double minY, double maxX, double maxY, xyhCoord& start, double& scale) const;
    int GetMapRect(double& minX, double& minY, double& maxX, double& maxY, int extend) const;
    void ComputeStartCor(const xyhCoord& point, int& changed);

    // Pictures.
    // Shows the display buffer shifted by (dx, dy) without transient drawings: clears the view's
    // overlay and asks for a repaint; the shift applies to the paints until the next picture.
    void Draw_ToView(int dx, int dy);
    // The paint handler's part: the display buffer at (dx, dy), then the north arrow and the scale
    // bar. A null painter falls back to Draw_ToView.
    void OnDraw(QPainter* painter, int dx, int dy);
    // Draws one visible main-list layer straight into the display buffer on this thread.
    void DrawLayerToBitmap(int index);
    void DrawScale(QPainter* painter) const;
    void DrawNorthPointer(QPainter* painter) const;
    void DrawLine(QPainter* painter, CPoint p1, CPoint p2) const;
    static int GetDistance(CPoint a, CPoint b);
    // Cohen-Sutherland outcode of a point against the client rectangle (1 left, 2 right, 4 above,
    // 8 below) and the clipping of a segment to it; 0 and both points at (-1000, -1000) when the
    // segment lies wholly outside.
    int EnCode(CPoint p) const;
    int JudgeLineInRect(CPoint& p1, CPoint& p2) const;

    // The position marker, drawn with an exclusive-or raster operation into the painter given.
    void DrawPointer(QPainter* painter, const xyhCoord& position, int repaint);
    void DrawPointer_OnPaint(QPainter* painter);
    void ClearPointer() { m_PointerShape.clear(); }
    void DrawCircle(QPainter* painter, CPoint centre, int radius) const;

    // Coordinate system handed to every layer created afterwards.
    void SetSurveyDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetSurveyDestinationEllipsoid(double axis, double reciprocalFlattening);
    void SetSurveyProjection(const CoordinateSystem_ProjectParameter& projection);
    void SetSurveyProjection(int type, double a, double b, double c, double d, double e, double f, double g, double h);
    CoordinateSystem_EllipsoidParameter GetSurveyEllipsoid() const { return m_SurveyEllipsoid; }
    CoordinateSystem_ProjectParameter GetSurveyProjection() const { return m_SurveyProjection; }

    CMouseListenerManage* GetMouseListenerManage() const { return m_pMouseListenerManage.get(); }

    // Blocks until every requested picture has been drawn (or skipped as superseded).
    void WaitForDrawing();
    // A copy of the last composed picture (null before the first).
    QImage GetDisplayBuffer() const;
    // Pictures requested and pictures published so far (for tests and diagnostics).
    std::uint64_t RequestCount() const;
    std::uint64_t PublishedCount() const;
    // For long layer drawings: true on a drawing thread whose picture has been superseded by a
    // newer request; the layer may stop early, the picture will not be shown.
    static bool DrawingSuperseded();

    // The position marker's state.
    const std::vector<xyhCoord>& PointerPositions() const { return m_PointerPositions; }
    const std::vector<CPoint>& PointerShape() const { return m_PointerShape; }

    CMapConvert m_MapConvert;
    // Owned, in configuration order; the first is drawn on top.
    std::vector<std::unique_ptr<CMapLayer>> m_MapLayers;
    // The host's layers, drawn after the main list in this order; not owned, never saved.
    std::vector<CMapLayer*> m_OverlayLayers;

private:
    struct Request;
    void RequestDraw();
    void WorkerLoop();
    void DrawFrame(const Request& request, std::uint64_t generation);
    bool Superseded(std::uint64_t generation) const;
    // Immediate feedback: the display buffer's `source` part redrawn into `target`.
    void Feedback(const QRectF& source, const QRectF& target);

    std::unique_ptr<CMouseListenerManage> m_pMouseListenerManage;
    std::vector<xyhCoord> m_PointerPositions;
    std::vector<CPoint> m_PointerShape;
    IMapOwnerView* m_pOwnerView = nullptr;
    QString m_ConfigPath;
    IProgressListener* m_hWnd = nullptr;
    CoordinateSystem_ProjectParameter m_SurveyProjection;
    CoordinateSystem_EllipsoidParameter m_SurveyEllipsoid;

    // Display buffer, shared with the drawing thread.
    mutable std::mutex m_BufferMutex;
    QImage m_Display;
    CRect m_BufferRect;
    // The picture the last published one replaced: drawn into again when nobody holds it any more,
    // which spares the drawing thread a fresh 8 MB buffer (and its page faults) on every frame.
    // Touched only under the global drawing lock.
    QImage m_SparePicture;
    QPoint m_ViewShift;

    // Requests.
    mutable std::mutex m_RequestMutex;
    std::condition_variable m_RequestCv;
    std::condition_variable m_IdleCv;
    std::unique_ptr<Request> m_Pending;
    std::uint64_t m_Requested = 0; // generation of the newest request
    std::uint64_t m_Finished = 0;  // generation up to which every request is drawn or skipped
    std::atomic<std::uint64_t> m_Latest{0};
    std::atomic<std::uint64_t> m_Published{0};
    std::atomic<bool> m_Stop{false};
    std::thread m_Worker;
};
