#include "map/CMapManage.h"

#include "coord/CCoordinateSystem.h"
#include "map/CMapManage_Request.h"
#include "map/CMapOwnerView.h"
#include "map/CMouseListenerManage.h"
#include "map/CMouseListenerView.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
int Trunc(double v) { return static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, TruncToLong(v)))); }
} // namespace

CMapManage::CMapManage() : m_pMouseListenerManage(std::make_unique<CMouseListenerManage>())
{
    m_pMouseListenerManage->AddMouseListener(10, new CMouseListenerView());
    CoordinateSystem_Parameter defaults;
    CCoordinateSystem::Initialize(defaults);
    m_SurveyEllipsoid = defaults.EllipsoidParameter;
    m_SurveyProjection = defaults.ProjectParameter;
}

CMapManage::~CMapManage()
{
    {
        std::lock_guard<std::mutex> lock(m_RequestMutex);
        m_Stop.store(true);
    }
    m_RequestCv.notify_all();
    if (m_Worker.joinable()) m_Worker.join();
    for (auto& layer : m_MapLayers)
        if (layer) layer->Clear();
    m_MapLayers.clear();
}

int CMapManage::InsertMapLayer(int index, const MapConfigItem& item)
{
    for (const auto& layer : m_MapLayers)
        if (layer && layer->GetMapItem().FullPathName == item.FullPathName) return 0;
    std::unique_ptr<CMapLayer> layer = CreateMapLayer(item.Format);
    if (!layer) return 0;
    layer->SetMapItem(item);
    layer->SetEllipsoid(m_SurveyEllipsoid);
    layer->SetProjection(m_SurveyProjection);
    layer->SetHWND(m_hWnd);
    layer->SetConvert(&m_MapConvert);
    // A picture being drawn works on its own copy of the list, so inserting needs no wait.
    if (index >= 0 && index < static_cast<int>(m_MapLayers.size()))
        m_MapLayers.insert(m_MapLayers.begin() + index, std::move(layer));
    else
        m_MapLayers.push_back(std::move(layer));
    return 1;
}

void CMapManage::Load(IProgressListener* progress)
{
    WaitForDrawing(); // layers are opened while nobody draws them
    for (auto& layer : m_MapLayers)
    {
        if (!layer) continue;
        layer->SetHWND(progress);
        if (!layer->IsLoad() || layer->GetMapItem().Reload) layer->Open();
    }
    RequestDraw();
}

void CMapManage::Clear()
{
    WaitForDrawing();
    for (auto& layer : m_MapLayers)
        if (layer) layer->Clear();
    m_MapLayers.clear();
}

void CMapManage::SetOwnerView(IMapOwnerView* view)
{
    if (view) m_pOwnerView = view;
}

void CMapManage::ReleaseOwnerView()
{
    m_pOwnerView = nullptr;
    WaitForDrawing();
}

void CMapManage::SetHWND(IProgressListener* progress)
{
    m_hWnd = progress;
    for (auto& layer : m_MapLayers)
        if (layer) layer->SetHWND(progress);
}

void CMapManage::SetClientRect(const CRect& rect)
{
    if (m_MapConvert.GetClientRect() != rect) m_MapConvert.SetClientRect(rect);
}

void CMapManage::SetBackGroundColor(unsigned long color)
{
    m_MapConvert.SetBackGroundColor(color);
    WaitForDrawing();
    for (auto& layer : m_MapLayers)
        if (layer) layer->SetBackGroundColor(color);
}

void CMapManage::SetSurveyDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    WaitForDrawing();
    m_SurveyEllipsoid = ellipsoid;
    for (auto& layer : m_MapLayers)
        if (layer) layer->SetEllipsoid(ellipsoid);
}

void CMapManage::SetSurveyDestinationEllipsoid(double axis, double reciprocalFlattening)
{
    CoordinateSystem_EllipsoidParameter e;
    e.Axis = axis;
    e.ReciprocalofFlatRate = reciprocalFlattening;
    SetSurveyDestinationEllipsoid(e);
}

void CMapManage::SetSurveyProjection(const CoordinateSystem_ProjectParameter& projection)
{
    WaitForDrawing();
    m_SurveyProjection = projection;
    for (auto& layer : m_MapLayers)
        if (layer) layer->SetProjection(projection);
}

void CMapManage::SetSurveyProjection(int type, double a, double b, double c, double d, double e, double f, double g,
                                     double h)
{
    CoordinateSystem_ProjectParameter p;
    p.Type = type;
    p.CentralMeridian = c;
    p.Tx = a;
    p.Ty = b;
    p.TK = d;
    p.ProjectionHeight = h;
    p.ReferenceLongitude = 0.0;
    p.ReferenceLatitude = g;
    p.Parallel1 = e;
    p.Parallel2 = f;
    SetSurveyProjection(p);
}

// ---------------------------------------------------------------------------------------------
// Position and scale

void CMapManage::SetStartCorAndScale(const xyhCoord& start, double scale, int force)
{
    const xyhCoord s0 = m_MapConvert.GetStartCor();
    const double k0 = m_MapConvert.GetScale();
    const bool changed =
        std::fabs(start.x - s0.x) >= 1e-7 || std::fabs(start.y - s0.y) >= 1e-7 || std::fabs(scale - k0) >= 1e-7;
    // A start coordinate is only meaningful together with the scale it was computed for: when the
    // scale is out of range, neither changes (the view would otherwise jump to a wrong place).
    const bool scaleOk = scale >= 1e-6 && scale <= 1e6;
    if (changed && scaleOk)
    {
        m_MapConvert.SetStartCor(start);
        m_MapConvert.SetScale(scale);
        m_MapConvert.ConfigSave();
    }
    if ((changed && scaleOk) || force) RequestDraw();
}

int CMapManage::CalScale(double minX, double minY, double maxX, double maxY, xyhCoord& start, double& scale) const
{
    if (!(maxX >= minX && maxY >= minY)) return 0;
    const CRect rc = m_MapConvert.GetClientRect();
    const double W = rc.Width();
    const double H = rc.Height();
    // An empty client rectangle has no scale that shows anything.
    if (!(W > 0 && H > 0)) return 0;
    double s = std::max((maxX - minX) / H, (maxY - minY) / W);
    if (!(s > 0.001)) s = 0.001;
    s *= 1.1;
    if (!std::isfinite(s)) return 0;
    scale = s;
    start.x = (maxX + minX) / 2 - s * H / 2;
    start.y = (maxY + minY) / 2 - s * W / 2;
    start.h = 0.0;
    return 1;
}

void CMapManage::SetMapRect(double minX, double minY, double maxX, double maxY)
{
    xyhCoord start;
    double scale = 0;
    if (CalScale(minX, minY, maxX, maxY, start, scale)) SetStartCorAndScale(start, scale, 1);
}

int CMapManage::GetMapRect(double& minX, double& minY, double& maxX, double& maxY, int extend) const
{
    bool have = extend != 0;
    auto visit = [&](CMapLayer* layer) {
        if (!layer) return;
        double a = 0, b = 0, c = 0, d = 0;
        if (!layer->GetRange(a, b, c, d, 0)) return;
        if (!have)
        {
            minX = a;
            maxX = b;
            minY = c;
            maxY = d;
            have = true;
            return;
        }
        minX = std::min(minX, a);
        maxX = std::max(maxX, b);
        minY = std::min(minY, c);
        maxY = std::max(maxY, d);
    };
    for (const auto& layer : m_MapLayers) visit(layer.get());
    for (CMapLayer* layer : m_OverlayLayers) visit(layer);
    return have ? 1 : 0;
}

void CMapManage::SetCenter(double x, double y, int)
{
    const CRect rc = m_MapConvert.GetClientRect();
    const double s = m_MapConvert.GetScale();
    xyhCoord start;
    start.x = x - rc.Height() * s / 2;
    start.y = y - rc.Width() * s / 2;
    SetStartCorAndScale(start, s, 1);
}

void CMapManage::ComputeStartCor(const xyhCoord& p, int& changed)
{
    changed = 0;
    const CRect rc = m_MapConvert.GetClientRect();
    const double s = m_MapConvert.GetScale();
    const xyhCoord S = m_MapConvert.GetStartCor();
    const double hx = rc.Height() * s / 2;
    const double hy = rc.Width() * s / 2;
    if (std::fabs(p.x - (S.x + hx)) <= hx && std::fabs(p.y - (S.y + hy)) <= hy) return;
    xyhCoord start;
    start.x = p.x - hx;
    start.y = p.y - hy;
    SetStartCorAndScale(start, s, 1);
    changed = 1;
}

int CMapManage::ZoomIn(CPoint p1, CPoint p2)
{
    const CRect rc = m_MapConvert.GetClientRect();
    const int W = rc.Width(), H = rc.Height();
    const CPoint c((p1.x + p2.x) / 2, (p1.y + p2.y) / 2);
    xyhCoord wc;
    m_MapConvert.ClientToWorld(c, wc);
    const bool click = std::abs(p1.x - p2.x) <= 5 || std::abs(p1.y - p2.y) <= 5;
    CPoint a = p1, b = p2;
    if (click)
    {
        a = CPoint(Trunc(c.x - 0.4 * W + 0.5), Trunc(c.y - 0.4 * H + 0.5));
        b = CPoint(Trunc(c.x + 0.4 * W + 0.5), Trunc(c.y + 0.4 * H + 0.5));
    }
    xyhCoord wa, wb;
    m_MapConvert.ClientToWorld(a, wa);
    m_MapConvert.ClientToWorld(b, wb);
    xyhCoord start;
    double scale = 0;
    if (!CalScale(std::min(wa.x, wb.x), std::min(wa.y, wb.y), std::max(wa.x, wb.x), std::max(wa.y, wb.y), start, scale))
        return 0;
    if (click)
    {
        start.x = wc.x - (H - (c.y - rc.top)) * scale;
        start.y = wc.y - (c.x - rc.left) * scale;
    }
    const double s = m_MapConvert.GetScale();
    const xyhCoord S = m_MapConvert.GetStartCor();
    // Immediate feedback: the part of the current picture that the new view shows, stretched to
    // the whole buffer.
    const double k = scale / s;
    const QRectF source((start.y - S.y) / s, H - (start.x - S.x) / s - H * k, W * k, H * k);
    Feedback(source, QRectF(0, 0, W, H));
    SetStartCorAndScale(start, scale, 1);
    return 1;
}

int CMapManage::ZoomOut(CPoint p1, CPoint p2)
{
    const CRect rc = m_MapConvert.GetClientRect();
    const int W = rc.Width(), H = rc.Height();
    const int L = rc.left, T = rc.top;
    const double s = m_MapConvert.GetScale();
    const CPoint c((p1.x + p2.x) / 2, (p1.y + p2.y) / 2);
    xyhCoord wc;
    m_MapConvert.ClientToWorld(c, wc);
    const int bw = std::abs(p1.x - p2.x), bh = std::abs(p1.y - p2.y);
    const bool click = bw <= 5 || bh <= 5;
    double minX, minY, maxX, maxY;
    if (click)
    {
        // The box 1.25 times the view around the click, in world units.
        minX = wc.x - 0.625 * H * s;
        maxX = wc.x + 0.625 * H * s;
        minY = wc.y - 0.625 * W * s;
        maxY = wc.y + 0.625 * W * s;
    }
    else
    {
        const double r = std::max(static_cast<double>(W) / bw, static_cast<double>(H) / bh);
        minX = wc.x - (H - (c.y - T)) * r * s;
        maxX = wc.x + (c.y - T) * r * s;
        minY = wc.y - (c.x - L) * r * s;
        maxY = wc.y + (W - (c.x - L)) * r * s;
    }
    xyhCoord start;
    double scale = 0;
    if (!CalScale(minX, minY, maxX, maxY, start, scale)) return 0;
    start.x = wc.x - (H - (c.y - T)) * scale;
    start.y = wc.y - (c.x - L) * scale;
    // Immediate feedback: the current picture shrunk to where its area lies in the new view.
    const xyhCoord S = m_MapConvert.GetStartCor();
    const double k = s / scale;
    const QRectF target((S.y - start.y) / scale, H - (S.x - start.x) / scale - H * k, W * k, H * k);
    Feedback(QRectF(0, 0, W, H), target);
    SetStartCorAndScale(start, scale, 1);
    return 1;
}

int CMapManage::Move(CPoint from, CPoint to)
{
    if (from == to) return 0;
    const CRect rc = m_MapConvert.GetClientRect();
    const int dx = to.x - from.x, dy = to.y - from.y;
    Feedback(QRectF(0, 0, rc.Width(), rc.Height()), QRectF(dx, dy, rc.Width(), rc.Height()));
    const xyhCoord S = m_MapConvert.GetStartCor();
    const double s = m_MapConvert.GetScale();
    xyhCoord start;
    start.x = S.x - (from.y - to.y) * s;
    start.y = S.y - (to.x - from.x) * s;
    SetStartCorAndScale(start, s, 1);
    return 1;
}

void CMapManage::Feedback(const QRectF& source, const QRectF& target)
{
    {
        std::lock_guard<std::mutex> lock(m_BufferMutex);
        if (m_Display.isNull() || !source.isValid() || !target.isValid()) return;
        if (!std::isfinite(target.width()) || !std::isfinite(source.width())) return;
        const QImage copy = m_Display.copy();
        m_Display.fill(ToQColor(m_MapConvert.GetBackGroundColor()));
        QPainter p(&m_Display);
        if (source.size() == target.size())
            p.drawImage(target.topLeft().toPoint(), copy, source.toRect()); // a plain shift
        else
            p.drawImage(target, copy, source);
        m_ViewShift = QPoint();
    }
    // A toolkit view shows nothing until it repaints; ask for it so the feedback is seen.
    if (m_pOwnerView) m_pOwnerView->RequestRepaint();
}
