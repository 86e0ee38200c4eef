#include "map/CMapLayer.h"

#include <map>
#include <mutex>

CMapLayer::CMapLayer()
{
    m_MapItem.LayerName.clear();
    m_MapItem.Visible = 1;
    m_MapItem.Search = 0;
    m_MapItem.Select = 0;
    m_MapItem.Edit = 0;
    m_MapItem.MapDataType = 0;
    m_MapItem.Reload = 0;
}

CMapLayer::~CMapLayer() = default;

void CMapLayer::SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }

void CMapLayer::SetHWND(IProgressListener* progress) { m_hWnd = progress; }

int CMapLayer::SetMapItem(const MapConfigItem& item)
{
    m_MapItem = item;
    return 1;
}

MapConfigItem CMapLayer::GetMapItem() const { return m_MapItem; }

void CMapLayer::Clear()
{
    m_MapItem.LayerName.clear();
    m_MapItem.Visible = 1;
    m_MapItem.Search = 0;
    m_MapItem.Select = 0;
    m_MapItem.Edit = 0;
    m_MapItem.MapDataType = 0;
    m_MapItem.Reload = 0;
    m_IsLoad = 0;
}

int CMapLayer::GetRange(double&, double&, double&, double&, int) { return 0; }

void CMapLayer::DrawAll(QPainter*, int) {}

int CMapLayer::GetType() const { return 0; }

int CMapLayer::Open() { return 0; }

void CMapLayer::Close() {}

void CMapLayer::SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid) { m_Ellipsoid = ellipsoid; }

void CMapLayer::SetProjection(const CoordinateSystem_ProjectParameter& projection) { m_Projection = projection; }

namespace
{
std::mutex& KindsMutex()
{
    static std::mutex m;
    return m;
}

std::map<int, MapLayerMaker>& Kinds()
{
    static std::map<int, MapLayerMaker> kinds;
    return kinds;
}
} // namespace

MapLayerMaker RegisterMapLayerKind(int format, MapLayerMaker maker)
{
    std::lock_guard<std::mutex> lock(KindsMutex());
    MapLayerMaker previous;
    auto it = Kinds().find(format);
    if (it != Kinds().end())
    {
        previous = std::move(it->second);
        Kinds().erase(it);
    }
    if (maker) Kinds()[format] = std::move(maker);
    return previous;
}

std::unique_ptr<CMapLayer> CreateMapLayer(int format)
{
    MapLayerMaker maker;
    {
        std::lock_guard<std::mutex> lock(KindsMutex());
        auto it = Kinds().find(format);
        if (it == Kinds().end()) return nullptr;
        maker = it->second;
    }
    try
    {
        return maker();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}
