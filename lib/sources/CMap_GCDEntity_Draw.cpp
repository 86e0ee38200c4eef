#include "sources/CMap_GCDEntity.h"

#include "map/CMapConvert.h"
#include "platform/Color.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace
{
// Points whose symbol may reach into the view are drawn although the position lies outside.
constexpr int kSymbolMargin = 32;

enum ViewSide
{
    MinX,
    MaxX,
    MinY,
    MaxY
};

// The world extent of the client area, widened by `margin` pixels.
void ViewRect(const CMapConvert* convert, int margin, double view[4])
{
    const CRect r = convert->GetClientRect();
    convert->ClientToWorld(r.left - margin, r.bottom + margin, view[MinX], view[MinY]);
    convert->ClientToWorld(r.right + margin, r.top - margin, view[MaxX], view[MaxY]);
    if (view[MinX] > view[MaxX]) std::swap(view[MinX], view[MaxX]);
    if (view[MinY] > view[MaxY]) std::swap(view[MinY], view[MaxY]);
}

bool ExtentInView(const CEntityData& e, const double view[4])
{
    double a, b, c, d;
    return e.GetExtent(a, b, c, d) && b >= view[MinX] && a <= view[MaxX] && d >= view[MinY] && c <= view[MaxY];
}

// Pen styles as stored in the dictionary: solid, dash, dot, dash-dot, dash-dot-dot, none;
// anything else draws solid.
Qt::PenStyle PenStyleOf(int style)
{
    switch (style)
    {
    case 1: return Qt::DashLine;
    case 2: return Qt::DotLine;
    case 3: return Qt::DashDotLine;
    case 4: return Qt::DashDotDotLine;
    case 5: return Qt::NoPen;
    default: return Qt::SolidLine;
    }
}

QPen StylePen(int style, int width, unsigned long color)
{
    QPen pen(ToQColor(color));
    pen.setStyle(PenStyleOf(style));
    pen.setWidth(std::max(1, width));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QPolygonF ClientPolygon(const std::vector<xyhCoord>& points, const CMapConvert* convert)
{
    QPolygonF poly;
    poly.reserve(static_cast<int>(points.size()));
    for (const xyhCoord& p : points)
    {
        double cx, cy;
        convert->WorldToClientExact(p.x, p.y, cx, cy);
        poly.append(QPointF(cx, cy));
    }
    return poly;
}

QFont LabelFont()
{
    QFont font;
    font.setPixelSize(13);
    font.setWeight(QFont::Light); // weight 300
    return font;
}

// Label texts centred on a client position (lines and planes).
void DrawCentredLabel(QPainter* painter, const QPointF& at, const QString& text)
{
    if (text.isEmpty()) return;
    const QRectF box(at.x() - 500, at.y() - 50, 1000, 100);
    painter->drawText(box, Qt::AlignCenter | Qt::TextDontClip | Qt::TextSingleLine, text);
}

QString IconText(int code)
{
    const char32_t c = static_cast<char32_t>(code);
    return QString::fromUcs4(&c, 1);
}
} // namespace

bool CMap_GCDEntity::UsesSymbolFont() const
{
    if (m_Type != 0 || m_FontName.isEmpty() || m_Value1 <= 0x20 || m_Value1 > 0x10FFFF) return false;
    return QFontDatabase::hasFamily(m_FontName);
}

void CMap_GCDEntity::OnDraw(QPainter* painter, const CMapConvert* convert, int semiTransparence, int displayField,
                            unsigned long textColor) const
{
    if (!painter || !convert) return;
    painter->save();
    double view[4];
    ViewRect(convert, m_Type == 0 ? kSymbolMargin : 0, view);
    if (m_Type == 0)
        DrawPoints(painter, convert, view, displayField);
    else if (m_Type == 1)
        DrawLines(painter, convert, view, displayField);
    else if (m_Type == 2)
        DrawPlanes(painter, convert, view, semiTransparence, displayField);

    // Labels come last so that no entity of the class covers them.
    if (displayField == 0 || displayField == 1)
    {
        painter->setFont(LabelFont());
        painter->setPen(ToQColor(textColor));
        painter->setBrush(Qt::NoBrush);
        const int symbolRight = UsesSymbolFont() ? 12 : 4;
        ForEach([&](const CEntityData& e) {
            const QString& text = e.m_Label[displayField];
            if (text.isEmpty() || !ExtentInView(e, view)) return;
            if (const auto* p = dynamic_cast<const CPointData*>(&e))
            {
                // Beside the symbol, vertically centred on the position.
                double cx, cy;
                convert->WorldToClientExact(p->m_Point.x, p->m_Point.y, cx, cy);
                painter->drawText(QRectF(cx + symbolRight, cy - 50, 1000, 100),
                                  Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine, text);
                return;
            }
            const xyhCoord at = static_cast<const CLineData&>(e).GetLabelPosition();
            double cx, cy;
            convert->WorldToClientExact(at.x, at.y, cx, cy);
            DrawCentredLabel(painter, QPointF(cx, cy), text);
        });
    }
    painter->restore();
}

void CMap_GCDEntity::PrepareIcon(QPainter* painter, bool symbol, unsigned long color) const
{
    if (symbol)
    {
        // A point font of Icon_Size x 4 tenths of a point, on a 96 dpi screen.
        QFont font(m_FontName);
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(m_Size * 0.4 * 96.0 / 72.0))));
        painter->setFont(font);
        painter->setPen(ToQColor(color));
    }
    else
    {
        painter->setPen(Qt::NoPen);
        painter->setBrush(ToQColor(color));
    }
}

void CMap_GCDEntity::DrawIcon(QPainter* painter, CPoint client, bool symbol, int halfWidth) const
{
    if (symbol)
    {
        // The character's cell starts 10 pixels left of and above the position.
        painter->drawText(QPointF(client.x - 10, client.y - 10 + painter->fontMetrics().ascent()), IconText(m_Value1));
        return;
    }
    // A square around the position, right and bottom edges outside as for a device context.
    painter->fillRect(QRect(int(client.x) - halfWidth, int(client.y) - halfWidth, 2 * halfWidth, 2 * halfWidth),
                      painter->brush().color());
}

void CMap_GCDEntity::OnDrawIcon(QPainter* painter, CPoint client) const
{
    const bool symbol = UsesSymbolFont();
    PrepareIcon(painter, symbol, m_Color);
    DrawIcon(painter, client, symbol, 2);
}

void CMap_GCDEntity::OnDrawSelectedIcon(QPainter* painter, CPoint client) const
{
    const bool symbol = UsesSymbolFont();
    PrepareIcon(painter, symbol, SelectColor);
    DrawIcon(painter, client, symbol, 3);
}

void CMap_GCDEntity::DrawPoints(QPainter* painter, const CMapConvert* convert, const double view[4], int) const
{
    const bool symbol = UsesSymbolFont();
    PrepareIcon(painter, symbol, m_Color);
    for (const auto& p : m_Points)
    {
        if (!p->m_HasPosition || p->m_Point.x < view[MinX] || p->m_Point.x > view[MaxX] ||
            p->m_Point.y < view[MinY] || p->m_Point.y > view[MaxY])
            continue;
        CPoint c;
        convert->WorldToClient(p->m_Point, c);
        DrawIcon(painter, c, symbol, 2);
    }
}

void CMap_GCDEntity::DrawLines(QPainter* painter, const CMapConvert* convert, const double view[4], int) const
{
    painter->setPen(StylePen(m_Value1, m_Size, m_Color));
    painter->setBrush(Qt::NoBrush);
    for (const auto& l : m_Lines)
    {
        if (!ExtentInView(*l, view)) continue;
        const QPolygonF poly = ClientPolygon(l->GetPoints(), convert);
        if (poly.size() == 1)
            painter->drawPoint(poly[0]);
        else
            painter->drawPolyline(poly);
    }
}

void CMap_GCDEntity::DrawPlanes(QPainter* painter, const CMapConvert* convert, const double view[4],
                                int semiTransparence, int) const
{
    painter->setPen(StylePen(m_Value1, m_Size, m_Color));
    if (m_FillStyle == 0)
    {
        QColor fill = ToQColor(m_FillColor);
        if (semiTransparence) fill.setAlpha(128);
        painter->setBrush(fill);
    }
    else
    {
        painter->setBrush(Qt::NoBrush);
    }
    for (const auto& s : m_Planes)
    {
        if (!ExtentInView(*s, view)) continue;
        painter->drawPolygon(ClientPolygon(s->GetPoints(), convert));
    }
}

void CMap_GCDEntity::DrawSelected(QPainter* painter, const CMapConvert* convert) const
{
    if (!painter || !convert || GetSelectCount() == 0) return;
    painter->save();
    double view[4];
    ViewRect(convert, kSymbolMargin, view);
    QPen pen(ToQColor(SelectColor));
    pen.setWidth(std::max(3, m_Size + 2));
    pen.setJoinStyle(Qt::MiterJoin);
    const bool symbol = UsesSymbolFont();
    if (m_Type == 0) PrepareIcon(painter, symbol, SelectColor);
    for (const auto& p : m_Points)
    {
        if (!p->m_Selected || !ExtentInView(*p, view)) continue;
        CPoint c;
        convert->WorldToClient(p->m_Point, c);
        DrawIcon(painter, c, symbol, 3);
    }
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    for (const auto& l : m_Lines)
        if (l->m_Selected && ExtentInView(*l, view)) painter->drawPolyline(ClientPolygon(l->GetPoints(), convert));
    for (const auto& s : m_Planes)
        if (s->m_Selected && ExtentInView(*s, view)) painter->drawPolygon(ClientPolygon(s->GetPoints(), convert));
    painter->restore();
}
