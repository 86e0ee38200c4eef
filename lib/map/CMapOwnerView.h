#pragma once

#include "map/CMapOverlay.h"
#include "platform/Export.h"
#include "platform/PointRect.h"

#include <QImage>
#include <QSize>

#include <atomic>

class CMapManage;

// What the map engine needs from the view that shows a map. A toolkit view implements it and
// paints, in its paint handler, the manager's picture (CMapManage::OnDraw) and then the overlay
// (CMapOverlay::PaintOver).
class TESVANE_API IMapOwnerView
{
public:
    virtual ~IMapOwnerView() = default;
    // The drawing area in pixels (owner thread).
    virtual CRect GetClientRect() const = 0;
    // Asks for a repaint of the whole view soon. Called from the drawing thread as well: it must
    // be thread-safe and must not wait for the owner thread (post the request, don't block).
    virtual void RequestRepaint() = 0;
    // The surface for the mouse tools' transient drawings, the size of the client rectangle
    // (owner thread; the pointer stays valid as long as the view).
    virtual CMapOverlay* GetOverlay() = 0;
};

// A view without a window: a fixed client size and a paint step that composes what a window would
// show. Used by the command-line renderer and by tests.
class TESVANE_API CMapOffscreenView : public IMapOwnerView
{
public:
    explicit CMapOffscreenView(const QSize& size);

    CRect GetClientRect() const override { return CRect(0, 0, m_Size.width(), m_Size.height()); }
    void RequestRepaint() override { m_Repaints.fetch_add(1, std::memory_order_relaxed); }
    CMapOverlay* GetOverlay() override { return &m_Overlay; }

    // What the paint handler of a window would show now: the manager's picture with its north
    // arrow and scale bar, then the overlay.
    QImage Paint(CMapManage& manager);
    int RepaintRequests() const { return m_Repaints.load(std::memory_order_relaxed); }
    void Resize(const QSize& size);

private:
    QSize m_Size;
    CMapOverlay m_Overlay;
    std::atomic<int> m_Repaints{0};
};
