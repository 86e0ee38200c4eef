#include "sources/CMap_Shape.h"

#include "geometry/CAnalyseResult.h"
#include "platform/NumberText.h"
#include "sources/CMap_Shape_Detail.h"

#include <gdal_priv.h>
#include <ogr_api.h>

#include <algorithm>
#include <cmath>

using namespace shapedetail;

bool shapedetail::HasFiniteCoordinates(const OGRGeometry* g)
{
    if (!g) return true;
    const auto walk = [](OGRGeometryH geometry, const auto& self) -> bool {
        const int parts = OGR_G_GetGeometryCount(geometry);
        for (int i = 0; i < parts; ++i)
            if (!self(OGR_G_GetGeometryRef(geometry, i), self)) return false;
        const int points = OGR_G_GetPointCount(geometry);
        for (int i = 0; i < points; ++i)
            if (!std::isfinite(OGR_G_GetX(geometry, i)) || !std::isfinite(OGR_G_GetY(geometry, i))) return false;
        return true;
    };
    return walk(OGRGeometry::ToHandle(const_cast<OGRGeometry*>(g)), walk);
}

namespace
{
// The column type of an attribute kind: 0 integer, 1 real, 2 text; -1 for kinds left out.
int ColumnType(OGRFieldType type)
{
    switch (type)
    {
    case OFTInteger:
    case OFTInteger64: return 0;
    case OFTReal: return 1;
    case OFTString:
    case OFTDate:
    case OFTTime:
    case OFTDateTime: return 2;
    default: return -1;
    }
}

// The areal part of an overlap: polygons as they are, the polygons of a mixed collection (a
// parcel touching the corridor along an edge adds a line to its overlap); null when none.
std::unique_ptr<OGRMultiPolygon> ArealPart(const OGRGeometry* g)
{
    if (!g || g->IsEmpty()) return nullptr;
    auto out = std::make_unique<OGRMultiPolygon>();
    const auto add = [&](const OGRGeometry* part, auto& self) -> void {
        switch (wkbFlatten(part->getGeometryType()))
        {
        case wkbPolygon: out->addGeometry(part); break;
        case wkbMultiPolygon:
        case wkbGeometryCollection:
        {
            const OGRGeometryCollection* c = part->toGeometryCollection();
            for (int i = 0; i < c->getNumGeometries(); ++i) self(c->getGeometryRef(i), self);
            break;
        }
        default: break;
        }
    };
    add(g, add);
    if (out->IsEmpty()) return nullptr;
    return out;
}

struct PreparedDeleter
{
    void operator()(OGRPreparedGeometryH h) const { OGRDestroyPreparedGeometry(h); }
};
} // namespace

int CMap_Shape::RedLineAnalyse(OGRPolygon* polygon, CAnalyseResult* result, int withGeometry,
                               const std::vector<unsigned int>* fields)
{
    if (!polygon || !result || m_Kind != 3 || m_Index.empty() || !HasFiniteCoordinates(polygon)) return 0;
    std::lock_guard<std::mutex> lock(m_DataLock);
    OGRLayer* layer = Layer();
    if (!layer) return 0;
    QuietGdal quiet;
    result->Clear();

    OGRFeatureDefn* defn = layer->GetLayerDefn();
    std::vector<int> columns;
    std::vector<unsigned int> wanted;
    if (fields)
        wanted = *fields;
    else
        for (int i = 0; i < defn->GetFieldCount(); ++i) wanted.push_back(unsigned(i));
    for (unsigned int i : wanted)
    {
        if (i >= unsigned(defn->GetFieldCount())) continue;
        OGRFieldDefn* fd = defn->GetFieldDefn(int(i));
        const int type = ColumnType(fd->GetType());
        if (type < 0) continue;
        result->AddField(type, DecodeText(fd->GetNameRef(), m_Encoding));
        columns.push_back(int(i));
    }
    result->AddField(1, QStringLiteral("JoinArea"));

    const OGRLinearRing* exterior = polygon->getExteriorRing();
    if (!exterior || exterior->getNumPoints() < 4) return 1;
    OGRPolygon analysis;
    analysis.addRing(const_cast<OGRLinearRing*>(exterior));
    analysis.closeRings();
    OGREnvelope env;
    analysis.getEnvelope(&env);
    const ShapeBox box{float(env.MinY), float(env.MinX), float(env.MaxY), float(env.MaxX)};
    std::unique_ptr<std::remove_pointer_t<OGRPreparedGeometryH>, PreparedDeleter> prepared(
        OGRCreatePreparedGeometry(OGRGeometry::ToHandle(&analysis)));

    // Candidates in feature order, which is how a land-acquisition table is read.
    std::vector<long> candidates;
    for (const ShapeIndexRecord& r : m_Index)
        if (r.FID != -1 && ShapeBox{r.MinY, r.MinX, r.MaxY, r.MaxX}.Meets(box)) candidates.push_back(r.FID);
    std::sort(candidates.begin(), candidates.end());

    for (long fid : candidates)
    {
        FeaturePtr f{layer->GetFeature(fid)};
        const OGRGeometry* g = f ? f->GetGeometryRef() : nullptr;
        if (!g || g->IsEmpty() || !HasFiniteCoordinates(g)) continue;
        std::unique_ptr<OGRGeometry> cut;
        if (prepared)
        {
            if (!OGRPreparedGeometryIntersects(prepared.get(), OGRGeometry::ToHandle(const_cast<OGRGeometry*>(g))))
                continue;
            // A parcel wholly inside the corridor is taken whole, without an overlay.
            if (OGRPreparedGeometryContains(prepared.get(), OGRGeometry::ToHandle(const_cast<OGRGeometry*>(g))))
                cut.reset(g->clone());
        }
        if (!cut) cut.reset(g->Intersection(&analysis));
        std::unique_ptr<OGRMultiPolygon> areal = ArealPart(cut.get());
        if (!areal) continue;
        const double area = areal->get_Area();
        if (!(area > 0.0)) continue;

        auto row = std::make_unique<CResultData>();
        for (int c : columns)
            row->AddFieldValue(f->IsFieldSetAndNotNull(c) ? DecodeText(f->GetFieldAsString(c), m_Encoding) : QString());
        row->AddFieldValue(FormatFixed(area, 4));
        if (withGeometry)
        {
            for (const OGRPolygon* part : *areal)
                for (const OGRLinearRing* ring : *part)
                {
                    const int n = ring->getNumPoints();
                    for (int i = 0; i < n; ++i) row->AddPoint(xyhCoord{ring->getY(i), ring->getX(i), 0.0}, i == 0 ? 1 : 0);
                }
        }
        result->AddResultData(row.release());
    }
    return 1;
}

int CMap_Shape::RedLineAnalyseRing(const std::vector<xyhCoord>& ring, CAnalyseResult* result, int withGeometry,
                                   const std::vector<unsigned int>* fields)
{
    OGRLinearRing r;
    for (const xyhCoord& p : ring) r.addPoint(p.y, p.x);
    r.closeRings();
    OGRPolygon polygon;
    polygon.addRing(&r);
    return RedLineAnalyse(&polygon, result, withGeometry, fields);
}

int CMap_Shape::RedLineAnalyseWkt(const QByteArray& wkt, CAnalyseResult* result, int withGeometry,
                                  const std::vector<unsigned int>* fields)
{
    OGRGeometry* parsed = nullptr;
    {
        QuietGdal quiet;
        if (OGRGeometryFactory::createFromWkt(wkt.constData(), nullptr, &parsed) != OGRERR_NONE || !parsed) return 0;
    }
    std::unique_ptr<OGRGeometry> g(parsed);
    OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
    if (t == wkbMultiPolygon && g->toMultiPolygon()->getNumGeometries() == 1)
        return RedLineAnalyse(g->toMultiPolygon()->getGeometryRef(0), result, withGeometry, fields);
    if (t != wkbPolygon) return 0;
    return RedLineAnalyse(g->toPolygon(), result, withGeometry, fields);
}
