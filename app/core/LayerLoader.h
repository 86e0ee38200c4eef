#pragma once

#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "platform/ProgressListener.h"

#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// Opens one map layer on a thread of its own, so that a large file never freezes the window.
//
// The layer is a private copy, configured like the one in the map's list but never drawn: the
// drawing thread and the owner thread cannot meet it while it is opened. When the load has
// finished the owner thread takes the layer and puts it in the map in place of the unopened one.
// Progress (caption and percentage, as the source reports it) is kept in atomics for the window
// to poll; nothing here waits on the window.
class CLayerLoader
{
public:
    // `layer` is configured (item, coordinate system) but not open; `view` is copied for layers
    // that look at the view while they open.
    CLayerLoader(std::unique_ptr<CMapLayer> layer, const CMapConvert& view);
    // Asks the load to stop and waits for the thread.
    ~CLayerLoader();
    CLayerLoader(const CLayerLoader&) = delete;
    CLayerLoader& operator=(const CLayerLoader&) = delete;

    QString Path() const { return m_Path; }
    QString Caption() const;
    int Percent() const { return m_Percent.load(); }

    // Asks the source to stop where it can (point files cannot); whatever it read is thrown away,
    // also when it had just finished. Returns at once.
    void Cancel();
    bool IsCancelled() const { return m_Cancelled.load(); }
    bool IsFinished() const { return m_Finished.load(); }
    // Blocks until the thread is done (tests and shutdown only).
    void Wait();

    // After IsFinished: whether Open succeeded, and the layer itself (null once taken).
    bool Opened() const { return m_Opened.load(); }
    std::unique_ptr<CMapLayer> TakeLayer();

private:
    class Progress : public IProgressListener
    {
    public:
        explicit Progress(CLayerLoader& owner) : m_Owner(owner) {}
        void SetCaption(const QString& path) override;
        void Reset() override { m_Owner.m_Percent.store(0); }
        void SetPercent(int percent) override { m_Owner.m_Percent.store(percent < 0 ? 0 : percent > 100 ? 100 : percent); }

    private:
        CLayerLoader& m_Owner;
    };

    void Run();

    std::unique_ptr<CMapLayer> m_Layer;
    CMapLayer* m_Opening = nullptr; // the same layer, for Cancel while the thread holds it
    CMapConvert m_View;
    Progress m_Progress{*this};
    QString m_Path;
    mutable std::mutex m_CaptionLock;
    QString m_Caption;
    std::atomic<int> m_Percent{0};
    std::atomic<bool> m_Cancelled{false};
    std::atomic<bool> m_Finished{false};
    std::atomic<bool> m_Opened{false};
    std::thread m_Thread;
};
