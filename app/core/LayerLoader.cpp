#include "app/core/LayerLoader.h"

#include "sources/CMapLayer_DXF.h"
#include "sources/CMapLayer_GD.h"
#include "sources/CMapLayer_SHP.h"
#include "sources/CMap_GCD.h"
#include "sources/CMap_Shape.h"

CLayerLoader::CLayerLoader(std::unique_ptr<CMapLayer> layer, const CMapConvert& view)
    : m_Layer(std::move(layer)), m_Opening(m_Layer.get())
{
    m_View.SetGraphPar(view.GetGraphPar());
    m_Path = m_Layer->GetMapItem().FullPathName;
    m_Caption = m_Path;
    m_Layer->SetConvert(&m_View);
    m_Layer->SetHWND(&m_Progress);
    m_Thread = std::thread(&CLayerLoader::Run, this);
}

CLayerLoader::~CLayerLoader()
{
    Cancel();
    Wait();
}

void CLayerLoader::Run()
{
    const int opened = m_Opening->Open();
    m_Opened.store(opened != 0 && m_Opening->IsLoad() != 0);
    m_Finished.store(true);
}

void CLayerLoader::Wait()
{
    if (m_Thread.joinable()) m_Thread.join();
}

QString CLayerLoader::Caption() const
{
    std::lock_guard<std::mutex> lock(m_CaptionLock);
    return m_Caption;
}

void CLayerLoader::Progress::SetCaption(const QString& path)
{
    std::lock_guard<std::mutex> lock(m_Owner.m_CaptionLock);
    m_Owner.m_Caption = path;
}

void CLayerLoader::Cancel()
{
    // A load cancelled just as it finished is still cancelled: the user said no to it.
    if (m_Cancelled.exchange(true) || m_Finished.load()) return;
    // The sources that read in a loop of their own stop between records; these calls are made
    // for another thread.
    if (auto* dxf = dynamic_cast<CMapLayer_DXF*>(m_Opening))
        dxf->StopLoading();
    else if (auto* shp = dynamic_cast<CMapLayer_SHP*>(m_Opening))
        shp->GetMapShape()->StopLoading();
    else if (auto* gd = dynamic_cast<CMapLayer_GD*>(m_Opening))
        gd->GetMapGCD()->StopLoading();
}

std::unique_ptr<CMapLayer> CLayerLoader::TakeLayer()
{
    if (!m_Finished.load()) return nullptr;
    Wait();
    if (m_Layer)
    {
        // The loader's listener goes with it; the caller hands the layer the map's converter.
        m_Layer->SetHWND(nullptr);
    }
    return std::move(m_Layer);
}
