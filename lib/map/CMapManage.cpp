#include "map/CMapManage.h"

#include "coord/CCoordinateSystem.h"
#include "map/CMapOwnerView.h"
#include "map/CMouseListenerManage.h"
#include "map/CMouseListenerView.h"
#include "markup/CXmlDocument.h"
#include "platform/FileIO.h"
#include "platform/NumberText.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
const QString kLayerFile = QStringLiteral("\\MapLayer.cfg");

// Data sources keep process-wide state (projections, caches), so pictures of all managers are
// drawn one at a time.
std::mutex& GlobalDrawLock()
{
    static std::mutex lock;
    return lock;
}

// The picture being drawn on this thread, for DrawingSuperseded.
thread_local const std::atomic<std::uint64_t>* tl_latest = nullptr;
thread_local const std::atomic<bool>* tl_stop = nullptr;
thread_local std::uint64_t tl_generation = 0;

int Trunc(double v) { return static_cast<int>(std::max<long>(INT_MIN, std::min<long>(INT_MAX, TruncToLong(v)))); }
} // namespace

// What one picture is drawn from: everything the owner thread may change meanwhile is copied.
struct CMapManage::Request
{
    GraphParameter par;
    std::vector<CMapLayer*> main; // in drawing order: the last of the list first
    std::vector<CMapLayer*> overlay;
    IMapOwnerView* view = nullptr;
    CMapOverlay* surface = nullptr;
};

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

// ---------------------------------------------------------------------------------------------
// Configuration

void CMapManage::SetConfigPath(const QString& folder)
{
    m_ConfigPath = folder;
    m_MapConvert.SetConfigPath(folder);
    ConfigRead();
}

int CMapManage::ConfigSave()
{
    // Without a folder the file would land in whatever the current directory happens to be.
    if (m_ConfigPath.isEmpty()) return 0;
    CXmlDocument xml;
    xml.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    xml.AddElem(QStringLiteral("HEAD"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("MapLayer"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("Ver"), QStringLiteral("1.0.1.1"));
    for (const auto& layer : m_MapLayers)
    {
        if (!layer) continue;
        const MapConfigItem item = layer->GetMapItem();
        xml.AddElem(QStringLiteral("MapLayer_Item"));
        xml.AddChildElem(QStringLiteral("LayerName"), item.LayerName);
        xml.AddChildElem(QStringLiteral("FullPathName"), item.FullPathName);
        xml.AddChildElem(QStringLiteral("DictionaryPathName"), item.DictionaryPathName);
        xml.AddChildElem(QStringLiteral("Format"), QString::number(item.Format));
        xml.AddChildElem(QStringLiteral("Style"), QString::number(item.Style));
        xml.AddChildElem(QStringLiteral("Size"), QString::number(item.Size));
        xml.AddChildElem(QStringLiteral("clrOutLine"), ColorValueText(item.clrOutLine));
        xml.AddChildElem(QStringLiteral("clrFill"), ColorValueText(item.clrFill));
        xml.AddChildElem(QStringLiteral("clrText"), ColorValueText(item.clrText));
        xml.AddChildElem(QStringLiteral("DisplayField"), QString::number(item.DisplayField));
        xml.AddChildElem(QStringLiteral("Visible"), QString::number(item.Visible));
        xml.AddChildElem(QStringLiteral("Search"), QString::number(item.Search));
        xml.AddChildElem(QStringLiteral("Select"), QString::number(item.Select));
        xml.AddChildElem(QStringLiteral("SemiTransparence"), QString::number(item.SemiTransparence));
        xml.AddChildElem(QStringLiteral("Edit"), QString::number(item.Edit));
        xml.AddChildElem(QStringLiteral("MapDataType"), QString::number(item.MapDataType));
    }
    return xml.Save(JoinPath(m_ConfigPath, kLayerFile)) ? 1 : 0;
}

int CMapManage::ConfigRead()
{
    if (m_ConfigPath.isEmpty()) return 0;
    CXmlDocument xml;
    if (!xml.Load(JoinPath(m_ConfigPath, kLayerFile))) return 0;
    if (!xml.FindElem(QStringLiteral("HEAD"))) return 0;
    xml.IntoElem();
    if (!xml.FindElem(QStringLiteral("MapLayer"))) return 0;
    xml.IntoElem();
    xml.FindElem(QStringLiteral("Ver"));

    Clear();

    // Fields an item leaves out keep the previous item's value, except the name and the flags,
    // which start afresh for every item.
    MapConfigItem item;
    while (xml.FindElem(QStringLiteral("MapLayer_Item")))
    {
        item.LayerName.clear();
        item.Search = 1;
        item.Select = 0;
        item.SemiTransparence = 0;
        item.Edit = 0;
        item.MapDataType = 0;
        item.Reload = 0;
        auto text = [&xml](const char* name, QString& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = xml.GetChildData();
        };
        auto number = [&xml](const char* name, int& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = LeadingInteger(xml.GetChildData());
        };
        auto color = [&xml](const char* name, unsigned long& value) {
            if (xml.FindChildElem(QString::fromLatin1(name))) value = ColorValueFromText(xml.GetChildData());
        };
        text("LayerName", item.LayerName);
        text("FullPathName", item.FullPathName);
        text("DictionaryPathName", item.DictionaryPathName);
        number("Format", item.Format);
        number("Style", item.Style);
        number("Size", item.Size);
        color("clrOutLine", item.clrOutLine);
        color("clrFill", item.clrFill);
        color("clrText", item.clrText);
        number("DisplayField", item.DisplayField);
        number("Visible", item.Visible);
        number("Search", item.Search);
        number("Select", item.Select);
        number("SemiTransparence", item.SemiTransparence);
        number("Edit", item.Edit);
        number("MapDataType", item.MapDataType);
        InsertMapLayer(-1, item);
    }
    return 1;
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

// ---------------------------------------------------------------------------------------------
// The drawing thread

void CMapManage::RequestDraw()
{
    auto request = std::make_unique<Request>();
    request->par = m_MapConvert.GetGraphPar();
    request->view = m_pOwnerView;
    request->surface = m_pOwnerView ? m_pOwnerView->GetOverlay() : nullptr;
    for (auto it = m_MapLayers.rbegin(); it != m_MapLayers.rend(); ++it)
        if (*it && (*it)->GetMapItem().Visible) request->main.push_back(it->get());
    for (CMapLayer* layer : m_OverlayLayers)
        if (layer && layer->GetMapItem().Visible) request->overlay.push_back(layer);

    {
        std::lock_guard<std::mutex> lock(m_RequestMutex);
        m_Pending = std::move(request);
        ++m_Requested;
        m_Latest.store(m_Requested, std::memory_order_release);
        if (!m_Worker.joinable()) m_Worker = std::thread(&CMapManage::WorkerLoop, this);
    }
    m_RequestCv.notify_one();
}

void CMapManage::WorkerLoop()
{
    std::unique_lock<std::mutex> lock(m_RequestMutex);
    for (;;)
    {
        m_RequestCv.wait(lock, [this] { return m_Stop.load() || m_Pending != nullptr; });
        if (m_Stop.load()) break;
        std::unique_ptr<Request> request = std::move(m_Pending);
        const std::uint64_t generation = m_Requested;
        lock.unlock();
        DrawFrame(*request, generation);
        lock.lock();
        m_Finished = generation;
        m_IdleCv.notify_all();
    }
    m_Finished = m_Requested;
    m_IdleCv.notify_all();
}

bool CMapManage::Superseded(std::uint64_t generation) const
{
    return m_Stop.load(std::memory_order_acquire) || m_Latest.load(std::memory_order_acquire) > generation;
}

bool CMapManage::DrawingSuperseded()
{
    if (!tl_latest) return false;
    return tl_stop->load(std::memory_order_acquire) || tl_latest->load(std::memory_order_acquire) > tl_generation;
}

void CMapManage::DrawFrame(const Request& request, std::uint64_t generation)
{
    std::lock_guard<std::mutex> global(GlobalDrawLock());
    if (!request.view || Superseded(generation)) return;

    const CRect rc = request.par.ClientRect;
    QImage picture;
    if (rc.Width() > 0 && rc.Height() > 0)
    {
        picture = QImage(rc.Width(), rc.Height(), QImage::Format_RGB32);
        picture.fill(ToQColor(request.par.BackGround));
        QPainter painter(&picture);
        CMapConvert::FrameScope scope(&m_MapConvert, &request.par);
        tl_latest = &m_Latest;
        tl_stop = &m_Stop;
        tl_generation = generation;
        bool abandoned = false;
        for (CMapLayer* layer : request.main)
        {
            if ((abandoned = Superseded(generation))) break;
            layer->DrawAll(&painter, 0);
        }
        if (!abandoned)
            for (CMapLayer* layer : request.overlay)
            {
                if ((abandoned = Superseded(generation))) break;
                layer->DrawAll(&painter, 1);
            }
        tl_latest = nullptr;
        tl_stop = nullptr;
        if (abandoned) return;
    }

    {
        // Checked under the buffer lock, so a picture of an older state never replaces the
        // immediate feedback of a newer one.
        std::lock_guard<std::mutex> lock(m_BufferMutex);
        if (Superseded(generation)) return;
        m_Display = picture;
        m_BufferRect = rc;
        m_ViewShift = QPoint();
    }
    m_Published.fetch_add(1, std::memory_order_acq_rel);
    if (request.surface) request.surface->Invalidate();
    request.view->RequestRepaint();
}

void CMapManage::WaitForDrawing()
{
    std::unique_lock<std::mutex> lock(m_RequestMutex);
    m_IdleCv.wait(lock, [this] { return m_Finished >= m_Requested; });
}

QImage CMapManage::GetDisplayBuffer() const
{
    std::lock_guard<std::mutex> lock(m_BufferMutex);
    return m_Display;
}

std::uint64_t CMapManage::RequestCount() const
{
    std::lock_guard<std::mutex> lock(m_RequestMutex);
    return m_Requested;
}

std::uint64_t CMapManage::PublishedCount() const { return m_Published.load(std::memory_order_acquire); }
