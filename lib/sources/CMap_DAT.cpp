#include "sources/CMap_DAT.h"

#include "map/CMapConvert.h"
#include "map/MapPaint.h"

#include <QPainter>

#include <algorithm>

CMap_DAT::CMap_DAT()
{
    m_MapItem.Format = 5;
    m_MapItem.Style = 1;
    m_MapItem.Size = 2;
    m_MapItem.clrOutLine = m_MapItem.clrFill = m_MapItem.clrText = 0;
    m_MapItem.DisplayField = -1;
    m_MapItem.Visible = 1;
    m_MapItem.Search = 0;
    m_MapItem.Select = 1;
    m_MapItem.SemiTransparence = 0;
    m_MapItem.Reload = 0;
    // Geographic files are taken as WGS84 latitude/longitude.
    m_CoordConvert.SetSouceEllipsoid(6378137.0, 298.257223563);
}

CMap_DAT::~CMap_DAT() = default;

void CMap_DAT::Release()
{
    m_Selection.clear();
    m_Points.clear();
    m_Points.shrink_to_fit();
    m_IsPlane = 1;
}

void CMap_DAT::SetMapItem(const MapConfigItem& item)
{
    if (item.Select != m_MapItem.Select) m_Selection.clear();
    m_MapItem = item;
}

void CMap_DAT::SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    m_CoordConvert.SetDestinationEllipsoid(ellipsoid);
    m_HasSurveySystem = ellipsoid.Axis > 0.0;
}

void CMap_DAT::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    m_CoordConvert.SetProjection(projection);
}

int CMap_DAT::GetRange(double& minX, double& maxX, double& minY, double& maxY)
{
    if (m_Points.empty()) return 0;
    if (!ConvertsGeographic())
    {
        minX = m_MinX;
        maxX = m_MaxX;
        minY = m_MinY;
        maxY = m_MaxY;
        return 1;
    }
    xyhCoord topLeft, bottomRight;
    m_CoordConvert.BLHToxyh(BLHCoord{m_MaxX, m_MinY, 0.0}, topLeft);
    m_CoordConvert.BLHToxyh(BLHCoord{m_MinX, m_MaxY, 0.0}, bottomRight);
    maxX = topLeft.x;
    minY = topLeft.y;
    minX = bottomRight.x;
    maxY = bottomRight.y;
    return 1;
}

int CMap_DAT::GetRangeByID(int index, double& minX, double& maxX, double& minY, double& maxY)
{
    if (index < 0 || index >= GetPointCount()) return 0;
    xyhCoord c = m_Points[size_t(index)].GetPoint();
    if (ConvertsGeographic()) m_CoordConvert.BLHToxyh(BLHCoord{c.x, c.y, c.h}, c);
    minX = maxX = c.x;
    minY = maxY = c.y;
    return 1;
}

RangeData CMap_DAT::ClientBoxToData(CPoint p1, CPoint p2)
{
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    m_pMapConvert->ClientToWorld(p1.x, p1.y, x1, y1);
    m_pMapConvert->ClientToWorld(p2.x, p2.y, x2, y2);
    if (ConvertsGeographic())
    {
        BLHCoord a, b;
        m_CoordConvert.xyhToBLH(xyhCoord{x1, y1, 0.0}, a);
        m_CoordConvert.xyhToBLH(xyhCoord{x2, y2, 0.0}, b);
        x1 = a.B, y1 = a.L, x2 = b.B, y2 = b.L;
    }
    return RangeData{std::min(x1, x2), std::max(x1, x2), std::min(y1, y2), std::max(y1, y2)};
}

void CMap_DAT::OnDraw(QPainter* painter)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter || m_Points.empty()) return;
    const CRect client = m_pMapConvert->GetClientRect();
    const RangeData view = ClientBoxToData(CPoint(client.left, client.top), CPoint(client.right, client.bottom));

    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(ToQColor(m_MapItem.clrOutLine)));
    painter->setBackgroundMode(Qt::TransparentMode);
    CCoordinateConvert* geographic = ConvertsGeographic() ? &m_CoordConvert : nullptr;
    const int label = m_MapItem.DisplayField;
    const bool labelled = label == 0 || label == 1;
    const int size = m_MapItem.Size;
    if (!labelled && !geographic && size > 0 && size <= 256)
    {
        // Without labels the picture is the union of equal squares of one colour: stamp them into
        // a coverage image (the client area widened by the square's size) and draw that once,
        // instead of a million painter calls for as many points.
        const int left = client.left - size, top = client.top - size;
        const int w = client.Width() + 2 * size, h = client.Height() + 2 * size;
        if (w <= 0 || h <= 0)
        {
            painter->restore();
            return;
        }
        QImage stamp(w, h, QImage::Format_ARGB32_Premultiplied);
        stamp.fill(Qt::transparent);
        const QRgb ink = ToQColor(m_MapItem.clrOutLine).rgba();
        const int side = 2 * size;
        for (const CMap_DATPoint& p : m_Points)
        {
            if (!p.IsPointInRange(view)) continue;
            CPoint c;
            m_pMapConvert->WorldToClient(p.GetPoint(), c);
            const int x0 = std::max(0, c.x - size - left), x1 = std::min(w, c.x - size - left + side);
            const int y0 = std::max(0, c.y - size - top), y1 = std::min(h, c.y - size - top + side);
            for (int y = y0; y < y1; ++y)
            {
                QRgb* row = reinterpret_cast<QRgb*>(stamp.scanLine(y));
                std::fill(row + x0, row + std::max(x0, x1), ink);
            }
        }
        painter->drawImage(QPoint(left, top), stamp);
    }
    else
    {
        const QColor textColor = ToQColor(m_MapItem.clrText);
        for (const CMap_DATPoint& p : m_Points)
            if (p.IsPointInRange(view)) p.OnDraw(painter, m_pMapConvert, geographic, size, label, textColor);
    }
    painter->restore();
}

int CMap_DAT::SelectEntity(CPoint p1, CPoint p2)
{
    if (!m_MapItem.Visible || !m_MapItem.Select || !m_pMapConvert) return 0;
    m_Selection.clear();
    if (p1.x == p2.x) p2.x += 1;
    if (p1.y == p2.y) p2.y += 1;
    const RangeData box = ClientBoxToData(p1, p2);
    for (size_t i = 0; i < m_Points.size(); ++i)
    {
        if (!m_Points[i].IsPointInRange(box)) continue;
        m_Selection.push_back(qint32(i));
        if (m_Selection.size() > 20) break;
    }
    return m_Selection.empty() ? 0 : 1;
}

void CMap_DAT::DrawSelectEntity(QPainter* painter)
{
    if (m_Selection.empty() || !m_MapItem.Visible || !painter || !m_pMapConvert) return;
    painter->save();
    painter->setPen(mappaint::SolidPen(0x0000FF, 2));
    painter->setBrush(QBrush(ToQColor(0xC28ECA)));
    CCoordinateConvert* geographic = ConvertsGeographic() ? &m_CoordConvert : nullptr;
    for (qint32 index : m_Selection)
        if (index >= 0 && size_t(index) < m_Points.size())
            m_Points[size_t(index)].OnDraw(painter, m_pMapConvert, geographic, m_MapItem.Size + 1, -1);
    painter->restore();
}

void CMap_DAT::AddSelectFID(long index) { m_Selection.push_back(qint32(index)); }

void CMap_DAT::ClearSelectEntity() { m_Selection.clear(); }

CMap_DATPoint* CMap_DAT::GetPointData(int index)
{
    if (index < 0 || index >= GetPointCount()) return nullptr;
    return &m_Points[size_t(index)];
}

CMap_DATPoint* CMap_DAT::FindData(const QString& text, int& index, int mode)
{
    if (index < 0) index = 0;
    if (index >= GetPointCount())
    {
        index = -1;
        return nullptr;
    }
    if (text.isEmpty()) return &m_Points[size_t(index)];
    for (int i = index; i < GetPointCount(); ++i)
    {
        const CMap_DATPoint& p = m_Points[size_t(i)];
        if ((mode != 2 && p.GetPointName().contains(text)) || (mode != 1 && p.GetPointMark().contains(text)))
        {
            index = i;
            return &m_Points[size_t(i)];
        }
    }
    index = -1;
    return nullptr;
}
