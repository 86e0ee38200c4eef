#include "sources/CMap_Shape.h"

#include "platform/FileIO.h"
#include "platform/ProgressListener.h"
#include "sources/CMap_Shape_Detail.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <numeric>

using namespace shapedetail;

namespace
{
constexpr int kMaxNesting = 8; // geometry collections inside collections

bool Finite(float v) { return std::isfinite(v); }

bool FiniteBox(const ShapeIndexRecord& r)
{
    return Finite(r.MinY) && Finite(r.MinX) && Finite(r.MaxY) && Finite(r.MaxX) && Finite(r.SizeKey);
}

qint64 ModifiedMs(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
}

bool SizeFirst(const ShapeIndexRecord& a, const ShapeIndexRecord& b)
{
    if (a.SizeKey != b.SizeKey) return a.SizeKey > b.SizeKey;
    return a.FID < b.FID;
}

// Any prefix of the index is spread over the whole data set, so a partly drawn layer of points
// already shows its extent.
void InterleavePoints(std::vector<ShapeIndexRecord>& index)
{
    const size_t count = index.size();
    size_t s = static_cast<size_t>(std::sqrt(double(count)));
    s = s <= 100 ? std::max<size_t>(1, s / 2) : 50;
    const size_t q = count / s;
    std::vector<ShapeIndexRecord> out(index);
    for (size_t i = 0; i < q * s; ++i) out[(i % q) * s + i / q] = index[i];
    index.swap(out);
}
} // namespace

int SortShapeIndexBySize(std::vector<ShapeIndexRecord>& index)
{
    const size_t n = index.size();
    int parts = 1;
    if (n > 40000) parts = n < 80000 ? 2 : n < 120000 ? 3 : n < 160000 ? 4 : n < 200000 ? 5 : 8;
    std::vector<size_t> bounds;
    for (int p = 0; p <= parts; ++p) bounds.push_back(n * size_t(p) / size_t(parts));
    for (int p = 0; p < parts; ++p)
        std::sort(index.begin() + long(bounds[size_t(p)]), index.begin() + long(bounds[size_t(p) + 1]), SizeFirst);
    for (int p = 1; p < parts; ++p)
        std::inplace_merge(index.begin(), index.begin() + long(bounds[size_t(p)]),
                           index.begin() + long(bounds[size_t(p) + 1]), SizeFirst);
    return parts;
}

QString CMap_Shape::CachePath() const { return m_MapItem.FullPathName + QStringLiteral("inf"); }

void CMap_Shape::ReportProgress(long long done)
{
    if (!m_pProgress || m_EntityCount <= 0) return;
    const long long step = (m_EntityCount + 99) / 100;
    if (done % step != 0 && done != m_EntityCount) return;
    const int percent = int(std::min<long long>(100, done * 100 / m_EntityCount));
    if (percent == m_LastPercent) return;
    m_LastPercent = percent;
    m_pProgress->SetPercent(percent);
}

void CMap_Shape::Clear()
{
    WriteCache();
    for (ShapeIndexRecord& r : m_Index) r.Loaded = 0;
    m_Points.clear();
    m_Lines.clear();
    m_Planes.clear();
    m_Texts.clear();
    m_SpanOfSlot.assign(m_Index.size(), ItemSpan{});
    m_SelectFIDs.clear();
    m_LoadedCount = 0;
}

void CMap_Shape::WriteCache()
{
    // Only an index built from the data set as it is now may be cached.
    if (m_Index.empty() || m_IndexBuiltFor < 0 || m_IndexPath != m_MapItem.FullPathName ||
        ModifiedMs(m_IndexPath) != m_IndexBuiltFor)
        return;
    const QString cache = CachePath();
    if (QFileInfo::exists(cache)) return;
    QByteArray bytes(int(m_Index.size() * sizeof(ShapeIndexRecord)), Qt::Uninitialized);
    char* out = bytes.data();
    for (const ShapeIndexRecord& r : m_Index)
    {
        ShapeIndexRecord copy = r;
        copy.Loaded = 0;
        std::memcpy(out, &copy, sizeof copy);
        out += sizeof copy;
    }
    WriteFileAtomically(cache, bytes);
}

bool CMap_Shape::ReadCache(long long count)
{
    const QString cache = CachePath();
    const QFileInfo info(cache);
    if (!info.exists()) return false;
    // A cache from before the data set changed, of the wrong size or with identifiers that are not
    // the layer's would misplace or lose entities.
    if (info.size() != count * qint64(sizeof(ShapeIndexRecord))) return false;
    if (ModifiedMs(m_MapItem.FullPathName) > info.lastModified().toMSecsSinceEpoch()) return false;
    QFile file(cache);
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (file.read(reinterpret_cast<char*>(m_Index.data()), info.size()) != info.size()) return false;
    std::vector<bool> seen(size_t(count), false);
    for (ShapeIndexRecord& r : m_Index)
    {
        r.Loaded = 0;
        if (!FiniteBox(r)) return false;
        if (r.FID == -1) continue;
        const long long slot = (long long)r.FID - m_FirstFID;
        if (slot < 0 || slot >= count || seen[size_t(slot)]) return false;
        seen[size_t(slot)] = true;
    }
    return true;
}

int CMap_Shape::LoadShapeData()
{
    m_Stop = 0;
    m_LoadedCount = 0;
    m_LastPercent = -1;
    Clear();
    m_Index.clear();
    ClearSlots();
    m_IndexBuiltFor = -1;
    std::lock_guard<std::mutex> lock(m_DataLock);
    OGRLayer* layer = Layer();
    if (!layer) return 0;
    QuietGdal quiet;
    const long long count = m_EntityCount;
    if (count <= 0) return 0;
    try
    {
        m_Index.assign(size_t(count), ShapeIndexRecord{});
    }
    catch (const std::bad_alloc&)
    {
        m_Index.clear();
        return 0;
    }
    if (m_pProgress)
    {
        m_pProgress->SetCaption(m_MapItem.FullPathName);
        m_pProgress->Reset();
    }
    const qint64 modified = ModifiedMs(m_MapItem.FullPathName);
    // Only the colouring attribute is needed while loading; parsing the others would cost as much
    // as the geometry.
    OGRFeatureDefn* defn = layer->GetLayerDefn();
    std::vector<const char*> ignored;
    for (int i = 0; i < defn->GetFieldCount(); ++i)
        if (i != m_FillConfig.GetConfigFiledIndex()) ignored.push_back(defn->GetFieldDefn(i)->GetNameRef());
    ignored.push_back(nullptr);
    layer->SetIgnoredFields(ignored.data());
    if (m_MapItem.Visible)
    {
        if (m_Kind == 1) m_Points.reserve(size_t(count));
        if (m_Kind == 2) m_Lines.reserve(size_t(count));
        if (m_Kind == 3) m_Planes.reserve(size_t(count));
    }
    bool ok;
    if (ReadCache(count))
    {
        BuildSlots();
        ok = LoadGeometries(true);
    }
    else
    {
        QFile::remove(CachePath());
        std::fill(m_Index.begin(), m_Index.end(), ShapeIndexRecord{});
        ok = BuildIndex(count);
        BuildSlots();
    }
    layer->SetIgnoredFields(nullptr);
    if (!ok)
    {
        m_Index.clear();
        ClearSlots();
        m_Points.clear();
        m_Lines.clear();
        m_Planes.clear();
        m_LoadedCount = 0;
        return 0;
    }
    m_IndexBuiltFor = modified;
    m_IndexPath = m_MapItem.FullPathName;
    SortItemsByIndex();
    WriteCache();
    return 1;
}

bool CMap_Shape::BuildIndex(long long count)
{
    OGRLayer* layer = Layer();
    const bool visible = m_MapItem.Visible != 0;
    const bool colours = m_FillConfig.GetConfigFiledIndex() >= 0;
    long long i = 0;
    layer->ResetReading();
    while (FeaturePtr f{layer->GetNextFeature()})
    {
        if (m_Stop) return false;
        if (i >= count) break; // the layer grew since it was counted
        ShapeIndexRecord& r = m_Index[size_t(i)];
        const OGRGeometry* g = f->GetGeometryRef();
        OGREnvelope env;
        if (g && !g->IsEmpty()) g->getEnvelope(&env);
        const ShapeIndexRecord box{0, float(env.MinY), float(env.MinX), float(env.MaxY), float(env.MaxX), 0.0f, 0};
        if (g && !g->IsEmpty() && FiniteBox(box))
        {
            r = box;
            r.FID = std::int32_t(f->GetFID());
            if (m_Kind != 1) r.SizeKey = r.MaxY + r.MaxX - r.MinY - r.MinX;
            if (!Finite(r.SizeKey)) r.SizeKey = 0.0f;
            if (visible)
            {
                AddGeometry(long(f->GetFID()), g, colours ? m_FillConfig.GetFillColor(f.get()) : -1);
                r.Loaded = 1;
                ++m_LoadedCount;
            }
        }
        ++i;
        ReportProgress(i);
    }
    // Features the count promised but the layer did not deliver stay without geometry.
    if (m_Kind == 1)
        InterleavePoints(m_Index);
    else
        SortShapeIndexBySize(m_Index);
    return true;
}

bool CMap_Shape::LoadGeometries(bool)
{
    if (!m_MapItem.Visible) return true;
    OGRLayer* layer = Layer();
    const bool colours = m_FillConfig.GetConfigFiledIndex() >= 0;
    long long done = 0;
    layer->ResetReading();
    // One pass in file order reads far faster than fetching each identifier in index order.
    while (FeaturePtr f{layer->GetNextFeature()})
    {
        if (m_Stop) return false;
        const int slot = SlotOf(long(f->GetFID()));
        const OGRGeometry* g = f->GetGeometryRef();
        if (slot >= 0 && g && !m_Index[size_t(slot)].Loaded)
        {
            AddGeometry(long(f->GetFID()), g, colours ? m_FillConfig.GetFillColor(f.get()) : -1);
            m_Index[size_t(slot)].Loaded = 1;
            ++m_LoadedCount;
        }
        ReportProgress(++done);
    }
    return true;
}

namespace
{
void Vertices(const OGRSimpleCurve* curve, std::vector<ShapePair>& out)
{
    const int n = curve->getNumPoints();
    out.reserve(size_t(std::max(0, n)));
    for (int i = 0; i < n; ++i)
    {
        const float y = float(curve->getY(i)), x = float(curve->getX(i));
        if (std::isfinite(y) && std::isfinite(x)) out.push_back({y, x});
    }
}
} // namespace

void CMap_Shape::AddGeometry(long fid, const OGRGeometry* geometry, long fillColor)
{
    struct Walker
    {
        CMap_Shape& self;
        long fid;
        long fill;
        void Walk(const OGRGeometry* g, int depth)
        {
            if (!g || depth > kMaxNesting) return;
            switch (wkbFlatten(g->getGeometryType()))
            {
            case wkbPoint:
            {
                const OGRPoint* p = g->toPoint();
                if (p->IsEmpty()) return;
                const ShapePair pos{float(p->getY()), float(p->getX())};
                if (std::isfinite(pos.Y) && std::isfinite(pos.X))
                    self.m_Points.push_back(std::make_unique<CMap_ShapePoint>(fid, pos));
                return;
            }
            case wkbLineString:
            case wkbLinearRing:
            {
                std::vector<ShapePair> pts;
                Vertices(g->toSimpleCurve(), pts);
                if (!pts.empty()) self.m_Lines.push_back(std::make_unique<CMap_ShapeLine>(fid, std::move(pts)));
                return;
            }
            case wkbPolygon:
            {
                const OGRLinearRing* ring = g->toPolygon()->getExteriorRing();
                if (!ring) return;
                std::vector<ShapePair> pts;
                Vertices(ring, pts);
                if (!pts.empty())
                    self.m_Planes.push_back(std::make_unique<CMap_ShapePlane>(fid, std::move(pts), fill));
                return;
            }
            case wkbMultiPoint:
            case wkbMultiLineString:
            case wkbMultiPolygon:
            case wkbGeometryCollection:
            {
                const OGRGeometryCollection* c = g->toGeometryCollection();
                for (int i = 0; i < c->getNumGeometries(); ++i) Walk(c->getGeometryRef(i), depth + 1);
                return;
            }
            default:
            {
                // Arcs and curved polygons (MapInfo) as their straight-segment approximation.
                if (!g->hasCurveGeometry()) return;
                std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
                if (linear && !linear->hasCurveGeometry()) Walk(linear.get(), depth + 1);
                return;
            }
            }
        }
    };
    Walker{*this, fid, fillColor}.Walk(geometry, 0);
}

void CMap_Shape::ClearSlots()
{
    m_SlotOfFID.clear();
    m_SlotOfOddFID.clear();
    m_SpanOfSlot.clear();
}

void CMap_Shape::BuildSlots()
{
    ClearSlots();
    m_SlotOfFID.assign(m_Index.size(), -1);
    m_SpanOfSlot.assign(m_Index.size(), ItemSpan{});
    for (size_t i = 0; i < m_Index.size(); ++i)
    {
        const long fid = m_Index[i].FID;
        if (fid == -1) continue;
        const long long k = (long long)fid - m_FirstFID;
        if (k >= 0 && k < (long long)m_SlotOfFID.size())
            m_SlotOfFID[size_t(k)] = int(i);
        else
            m_SlotOfOddFID.emplace(fid, int(i));
    }
}

int CMap_Shape::SlotOf(long fid) const
{
    const long long k = (long long)fid - m_FirstFID;
    if (k >= 0 && k < (long long)m_SlotOfFID.size()) return m_SlotOfFID[size_t(k)];
    const auto it = m_SlotOfOddFID.find(fid);
    return it == m_SlotOfOddFID.end() ? -1 : it->second;
}

void CMap_Shape::SortItemsByIndex()
{
    const auto slot = [&](long fid) {
        const int i = SlotOf(fid);
        return i < 0 ? int(m_Index.size()) : i;
    };
    // Each item goes after the items of the entities before its own in the index: a counting
    // sort by index position, which keeps the parts of one feature in their order.
    const auto reorder = [&](auto& items, int kind) {
        std::vector<int> first(m_Index.size() + 2, 0);
        std::vector<int> at(items.size());
        for (size_t i = 0; i < items.size(); ++i)
        {
            at[i] = slot(items[i]->GetFID());
            ++first[size_t(at[i]) + 1];
        }
        for (size_t k = 1; k < first.size(); ++k) first[k] += first[k - 1];
        for (size_t k = 0; k < m_SpanOfSlot.size(); ++k)
        {
            m_SpanOfSlot[k].first[kind] = first[k];
            m_SpanOfSlot[k].count[kind] = first[k + 1] - first[k];
        }
        std::remove_reference_t<decltype(items)> sorted(items.size());
        for (size_t i = 0; i < items.size(); ++i) sorted[size_t(first[size_t(at[i])]++)] = std::move(items[i]);
        items.swap(sorted);
    };
    m_SpanOfSlot.assign(m_Index.size(), ItemSpan{});
    reorder(m_Points, 0);
    reorder(m_Lines, 1);
    reorder(m_Planes, 2);
}

const CMap_Shape::ItemSpan* CMap_Shape::ItemsOf(long fid) const
{
    const int slot = SlotOf(fid);
    return slot < 0 || slot >= int(m_SpanOfSlot.size()) ? nullptr : &m_SpanOfSlot[size_t(slot)];
}
