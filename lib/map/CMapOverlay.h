#pragma once

#include "platform/Export.h"

#include <QImage>
#include <QSize>

#include <atomic>

class QPainter;

// The mouse tools' transient drawings (rubber bands, measurement labels), kept apart from the map
// picture because a toolkit view may only paint inside its paint handler. The view paints the map
// first and then calls PaintOver.
//
// Two pictures make up the overlay:
// - the exclusive-or layer (RGB32, black means "no change"): painted onto the map with exclusive-or,
//   so a shape drawn into it with an exclusive-or raster operation looks on screen exactly as if it
//   had been drawn onto the map with that operation, and drawing it a second time removes it;
// - the picture (ARGB32 premultiplied, transparent means "no change"): painted over everything.
//
// Owner (user-interface) thread only, except Invalidate.
class TESVANE_API CMapOverlay
{
public:
    CMapOverlay() = default;
    CMapOverlay(const CMapOverlay&) = delete;
    CMapOverlay& operator=(const CMapOverlay&) = delete;

    // Sizes both pictures to the view; clears them when the size changes.
    void Resize(const QSize& size);
    QSize Size() const { return m_Picture.size(); }
    void Clear();
    // Thread-safe: the view has been invalidated, so the transient drawings are gone from the
    // screen; they are cleared before anything is drawn or painted next.
    void Invalidate() { m_Stale.store(true, std::memory_order_release); }

    QImage& XorLayer();
    QImage& Picture();
    // True when neither picture holds anything.
    bool IsEmpty();

    // The view's paint handler: combines the exclusive-or layer with what the painter already
    // holds and paints the picture over it.
    void PaintOver(QPainter& painter);

private:
    void ApplyPendingClear();

    QImage m_Xor;
    QImage m_Picture;
    std::atomic<bool> m_Stale{false};
};
