#include "sources/CMap_Shape.h"

#include "map/CMapManage.h"
#include "map/CMapPaint.h"
#include "platform/Color.h"
#include "platform/NumberText.h"
#include "sources/CMap_GCDEntity.h"
#include "sources/CMap_Shape_Detail.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>

#include <gdal_priv.h>

#include <algorithm>
#include <cmath>
#include <unordered_set>

using namespace shapedetail;

namespace
{
constexpr int kPollEvery = 4096;     // items between checks for a newer picture request
constexpr int kBulkLabelRead = 256;  // more missing labels than this are read in one pass

QPen OutlinePen(unsigned long color, int width)
{
    QPen pen(ToQColor(color));
    pen.setWidth(std::max(1, width));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// The client polygon of an item; false when it is smaller than a pixel, when `pixel` receives
// the one pixel to set instead.
bool ClientShape(const ShapeViewTransform& view, const std::vector<ShapePair>& points, const ShapeBox& box,
                 QPolygonF& poly, QPoint& pixel)
{
    if ((box.MaxX - box.MinX) < view.Scale && (box.MaxY - box.MinY) < view.Scale)
    {
        double cx, cy;
        view.ToClient(box.MinY, box.MinX, cx, cy);
        pixel = QPoint(int(std::floor(cx)), int(std::floor(cy)));
        return false;
    }
    poly.resize(int(points.size()));
    QPointF* out = poly.data();
    for (const ShapePair& p : points)
    {
        double cx, cy;
        view.ToClient(p.Y, p.X, cx, cy);
        *out++ = QPointF(cx, cy);
    }
    return true;
}
} // namespace

bool CMap_Shape::FitView(ShapeViewTransform& view) { return m_Convert.FitView(view); }

void CMap_Shape::Draw(QPainter* painter)
{
    if (!painter || !m_MapItem.Visible) return;
    ShapeViewTransform view;
    if (!FitView(view)) return;
    const int size = m_MapItem.Size;
    const ShapeBox box = view.Range(std::max(2, size + 1));
    painter->save();
    std::vector<QPoint> pixels;
    QPolygonF poly;
    QPoint pixel;
    int polled = 0;
    const auto superseded = [&] { return ++polled % kPollEvery == 0 && CMapManage::DrawingSuperseded(); };

    if (!m_Points.empty())
    {
        const QColor color = ToQColor(m_MapItem.clrOutLine);
        const int half = std::max(0, size);
        for (const auto& p : m_Points)
        {
            if (superseded()) break;
            const ShapePair pos = p->GetPos();
            if (pos.Y < box.MinY || pos.Y > box.MaxY || pos.X < box.MinX || pos.X > box.MaxX) continue;
            double cx, cy;
            view.ToClient(pos.Y, pos.X, cx, cy);
            const int x = int(std::floor(cx)), y = int(std::floor(cy));
            painter->fillRect(QRect(x - half, y - half, std::max(1, 2 * half), std::max(1, 2 * half)), color);
        }
    }

    if (!m_Lines.empty())
    {
        painter->setPen(OutlinePen(m_MapItem.clrOutLine, size));
        painter->setBrush(Qt::NoBrush);
        for (const auto& l : m_Lines)
        {
            if (superseded()) break;
            if (!l->GetBox().Meets(box)) continue;
            if (ClientShape(view, l->GetPoints(), l->GetBox(), poly, pixel))
                painter->drawPolyline(poly);
            else
                pixels.push_back(pixel);
        }
        if (size <= 1) MapDrawPixels(painter, pixels.data(), int(pixels.size()));
        pixels.clear();
    }

    if (!m_Planes.empty())
    {
        const QPen pen = size > 0 ? OutlinePen(m_MapItem.clrOutLine, size) : QPen(Qt::NoPen);
        const bool semi = m_MapItem.SemiTransparence != 0;
        // Semi-transparent fills let what lies beneath show through at half strength.
        const auto brushOf = [&](long color) {
            QColor c = ToQColor(color >= 0 ? static_cast<unsigned long>(color) : m_MapItem.clrFill);
            if (semi) c.setAlpha(128);
            return c;
        };
        painter->setPen(pen);
        long lastColor = -2;
        for (const auto& s : m_Planes)
        {
            if (superseded()) break;
            if (!s->GetBox().Meets(box)) continue;
            if (!ClientShape(view, s->GetPoints(), s->GetBox(), poly, pixel))
            {
                pixels.push_back(pixel);
                continue;
            }
            if (s->GetFillColor() != lastColor)
            {
                lastColor = s->GetFillColor();
                painter->setBrush(brushOf(lastColor));
            }
            painter->drawPolygon(poly);
        }
        // Planes smaller than a pixel are one pixel of the outline colour (or of the fill without one).
        painter->setPen(size > 0 ? QPen(ToQColor(m_MapItem.clrOutLine)) : QPen(ToQColor(m_MapItem.clrFill)));
        MapDrawPixels(painter, pixels.data(), int(pixels.size()));
    }
    painter->restore();
}

namespace
{
// Integers as "%d", reals as "%f", anything else as its text.
QString FormatLabel(OGRFeature* f, int field, const QByteArray& encoding)
{
    if (!f || field < 0 || field >= f->GetFieldCount() || !f->IsFieldSetAndNotNull(field)) return QString();
    switch (f->GetFieldDefnRef(field)->GetType())
    {
    case OFTInteger: return QString::number(f->GetFieldAsInteger(field));
    case OFTInteger64: return QString::number(f->GetFieldAsInteger64(field));
    case OFTReal: return FormatFixed(f->GetFieldAsDouble(field), 6);
    default: return DecodeText(f->GetFieldAsString(field), encoding);
    }
}
} // namespace

QString CMap_Shape::LabelText(long fid)
{
    // Caller holds m_DataLock.
    const auto it = m_LabelCache.find(fid);
    if (it != m_LabelCache.end()) return it->second;
    OGRLayer* layer = Layer();
    FeaturePtr f{layer ? layer->GetFeature(fid) : nullptr};
    const QString text = FormatLabel(f.get(), m_LabelField, m_Encoding);
    m_LabelCache.emplace(fid, text);
    return text;
}

QStringList CMap_Shape::GetFieldValues(long fid)
{
    QStringList values;
    std::lock_guard<std::mutex> lock(m_DataLock);
    OGRLayer* layer = Layer();
    FeaturePtr f{layer ? layer->GetFeature(fid) : nullptr};
    if (!f) return values;
    for (int i = 0; i < f->GetFieldCount(); ++i) values << FormatLabel(f.get(), i, m_Encoding);
    return values;
}

void CMap_Shape::DrawTextW(QPainter* painter)
{
    m_Texts.clear();
    if (!painter || !m_MapItem.Visible || m_MapItem.DisplayField < 0) return;
    ShapeViewTransform view;
    if (!FitView(view)) return;
    const ShapeBox box = view.Range();

    struct Found
    {
        long fid;
        ShapePair pos;
        bool centred;
    };
    std::vector<Found> found;
    std::unordered_set<long> seen;
    for (const auto& p : m_Points)
    {
        const ShapePair pos = p->GetPos();
        if (pos.Y >= box.MinY && pos.Y <= box.MaxY && pos.X >= box.MinX && pos.X <= box.MaxX &&
            seen.insert(p->GetFID()).second)
            found.push_back({p->GetFID(), pos, false});
    }
    const auto collect = [&](const auto& items) {
        for (const auto& item : items)
        {
            ShapePair pos;
            if (seen.count(item->GetFID()) || !item->GetTextPos(box, pos)) continue;
            seen.insert(item->GetFID());
            found.push_back({item->GetFID(), pos, true});
        }
    };
    collect(m_Lines);
    collect(m_Planes);
    if (found.empty()) return;

    std::vector<bool> centred;
    {
        std::lock_guard<std::mutex> lock(m_DataLock);
        QuietGdal quiet;
        if (m_LabelField != m_MapItem.DisplayField)
        {
            m_LabelCache.clear();
            m_LabelField = m_MapItem.DisplayField;
        }
        size_t missing = 0;
        for (const Found& f : found) missing += m_LabelCache.count(f.fid) ? 0 : 1;
        OGRLayer* layer = Layer();
        if (missing > size_t(kBulkLabelRead) && layer)
        {
            // Reading the whole layer once beats fetching thousands of features one by one.
            layer->ResetReading();
            while (FeaturePtr f{layer->GetNextFeature()})
                m_LabelCache[long(f->GetFID())] = FormatLabel(f.get(), m_LabelField, m_Encoding);
            layer->ResetReading();
        }
        for (const Found& f : found)
        {
            auto t = std::make_unique<CMap_ShapeText>();
            t->SetFieldText(LabelText(f.fid));
            t->SetPos(f.pos);
            m_Texts.push_back(std::move(t));
            centred.push_back(f.centred);
        }
    }

    painter->save();
    QFont font;
    font.setPixelSize(13);
    painter->setFont(font);
    painter->setPen(ToQColor(m_MapItem.clrText));
    painter->setBackgroundMode(Qt::TransparentMode);
    const int offset = std::max(0, m_MapItem.Size) + 2;
    for (size_t i = m_Texts.size(); i-- > 0;)
    {
        const QString text = m_Texts[i]->GetFieldText();
        if (text.isEmpty()) continue;
        double cx, cy;
        view.ToClient(m_Texts[i]->GetPos().Y, m_Texts[i]->GetPos().X, cx, cy);
        if (centred[i])
            painter->drawText(QRectF(cx - 500, cy - 50, 1000, 100),
                              Qt::AlignCenter | Qt::TextDontClip | Qt::TextSingleLine, text);
        else // beside the point symbol
            painter->drawText(QRectF(cx + offset, cy - 50, 1000, 100),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine, text);
    }
    painter->restore();
}

void CMap_Shape::DrawSelectEntity(QPainter* painter)
{
    if (!painter || !m_MapItem.Visible || m_SelectFIDs.empty()) return;
    ShapeViewTransform view;
    if (!FitView(view)) return;
    painter->save();
    const QColor cyan = ToQColor(CMap_GCDEntity::SelectColor);
    QPen pen(cyan);
    pen.setWidth(std::max(3, m_MapItem.Size + 2));
    pen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    QPolygonF poly;
    for (long fid : m_SelectFIDs)
    {
        const ItemSpan* span = ItemsOf(fid);
        if (!span) continue;
        for (int i = 0; i < span->count[0]; ++i)
        {
            const ShapePair pos = m_Points[size_t(span->first[0] + i)]->GetPos();
            double cx, cy;
            view.ToClient(pos.Y, pos.X, cx, cy);
            const int half = std::max(2, m_MapItem.Size + 2);
            painter->fillRect(QRect(int(std::floor(cx)) - half, int(std::floor(cy)) - half, 2 * half, 2 * half), cyan);
        }
        const auto outline = [&](const CMap_ShapeLine& item, bool closed) {
            poly.clear();
            for (const ShapePair& p : item.GetPoints())
            {
                double cx, cy;
                view.ToClient(p.Y, p.X, cx, cy);
                poly.append(QPointF(cx, cy));
            }
            if (closed)
                painter->drawPolygon(poly);
            else
                painter->drawPolyline(poly);
        };
        for (int i = 0; i < span->count[1]; ++i) outline(*m_Lines[size_t(span->first[1] + i)], false);
        for (int i = 0; i < span->count[2]; ++i) outline(*m_Planes[size_t(span->first[2] + i)], true);
    }
    painter->restore();
}
