#include "sources/CMap_Shape.h"

#include "sources/CMap_Shape_Detail.h"

#include <gdal_priv.h>

#include <cstdlib>

using namespace shapedetail;

namespace
{
constexpr int kMaxSelected = 20;   // the selection stops once it holds more
constexpr int kClickPixels = 11;   // |dx| + |dy| below this is a click
constexpr int kWideDragPixels = 20;

bool HasType(const OGRGeometry* g, OGRwkbGeometryType single, OGRwkbGeometryType multi)
{
    if (!g || g->IsEmpty()) return false;
    const OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
    if (t == single || t == multi) return true;
    if (t != wkbGeometryCollection) return false;
    const OGRGeometryCollection* c = g->toGeometryCollection();
    for (int i = 0; i < c->getNumGeometries(); ++i)
        if (HasType(c->getGeometryRef(i), single, multi)) return true;
    return false;
}
} // namespace

int CMap_Shape::SelectEntity(CPoint p1, CPoint p2)
{
    m_SelectFIDs.clear();
    if (!m_MapItem.Visible || !m_MapItem.Select) return 0;
    ShapeViewTransform view;
    if (!FitView(view)) return 0;
    if (p1.x == p2.x) p2.x += 1;
    if (p1.y == p2.y) p2.y += 1;
    // Corners in data set coordinates: the clicked one first.
    double cy[4], cx[4];
    view.ToShape(p1.x, p1.y, cy[0], cx[0]);
    view.ToShape(p2.x, p2.y, cy[1], cx[1]);
    view.ToShape(p1.x, p2.y, cy[2], cx[2]);
    view.ToShape(p2.x, p1.y, cy[3], cx[3]);
    const ShapeBox rect{float(std::min(cy[0], cy[1])), float(std::min(cx[0], cx[1])), float(std::max(cy[0], cy[1])),
                        float(std::max(cx[0], cx[1]))};
    OGRLinearRing ring;
    ring.addPoint(cx[0], cy[0]);
    ring.addPoint(cx[3], cy[3]);
    ring.addPoint(cx[1], cy[1]);
    ring.addPoint(cx[2], cy[2]);
    ring.closeRings();
    OGRPolygon area;
    area.addRing(&ring);
    const bool click = std::abs(p1.x - p2.x) + std::abs(p1.y - p2.y) < kClickPixels;
    const int corners = std::abs(p1.x - p2.x) > kWideDragPixels ? 4 : 1;

    std::lock_guard<std::mutex> lock(m_DataLock);
    OGRLayer* layer = Layer();
    QuietGdal quiet;
    for (const ShapeIndexRecord& r : m_Index)
    {
        if (int(m_SelectFIDs.size()) > kMaxSelected) break;
        if (r.FID == -1 || !r.Loaded || !ShapeBox{r.MinY, r.MinX, r.MaxY, r.MaxX}.Meets(rect)) continue;
        const ItemSpan* span = ItemsOf(r.FID);
        if (!span) continue;
        if (span->count[0] > 0)
        {
            m_SelectFIDs.push_back(r.FID);
            continue;
        }
        const auto cornerInside = [&] {
            for (int i = 0; i < span->count[2]; ++i)
                for (int c = 0; c < corners; ++c)
                    if (m_Planes[size_t(span->first[2] + i)]->Contains(cy[c], cx[c])) return true;
            return false;
        };
        if (span->count[2] > 0 && click)
        {
            if (cornerInside()) m_SelectFIDs.push_back(r.FID);
            continue;
        }
        FeaturePtr f{layer ? layer->GetFeature(r.FID) : nullptr};
        const OGRGeometry* g = f ? f->GetGeometryRef() : nullptr;
        std::unique_ptr<OGRGeometry> cut(g && HasFiniteCoordinates(g) ? g->Intersection(&area) : nullptr);
        if (span->count[2] > 0)
        {
            if (cut ? HasType(cut.get(), wkbPolygon, wkbMultiPolygon) : cornerInside()) m_SelectFIDs.push_back(r.FID);
        }
        else if (HasType(cut.get(), wkbLineString, wkbMultiLineString))
        {
            m_SelectFIDs.push_back(r.FID);
        }
    }
    return static_cast<int>(m_SelectFIDs.size());
}
