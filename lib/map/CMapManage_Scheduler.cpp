// The map manager's drawing scheduler: a request copies what a picture depends on, one worker
// thread draws the newest request and publishes the picture unless a newer request superseded it.
#include "map/CMapManage.h"

#include "map/CMapManage_Request.h"
#include "map/CMapOwnerView.h"

#include <QPainter>
#include <utility>

namespace
{
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
} // namespace

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
        if (m_SparePicture.width() == rc.Width() && m_SparePicture.height() == rc.Height() &&
            m_SparePicture.format() == QImage::Format_RGB32 && m_SparePicture.isDetached())
            picture = std::move(m_SparePicture);
        else
            picture = QImage(rc.Width(), rc.Height(), QImage::Format_RGB32);
        m_SparePicture = QImage();
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
        std::swap(m_Display, picture);
        m_BufferRect = rc;
        m_ViewShift = QPoint();
    }
    m_SparePicture = std::move(picture);
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
