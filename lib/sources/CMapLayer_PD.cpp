#include "sources/CMapLayer_PD.h"

#include "platform/MessageSink.h"
#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/PointSymbol.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace
{
const bool registered = (RegisterMapLayerKind(9, [] { return std::make_unique<CMapLayer_PD>(); }), true);

enum Column
{
    kName = 1,
    kMark = 2,
    kX = 6,
    kY = 7,
    kH = 8,
    kHidden = 11,
    kColumnsNeeded = 12
};

// A number column as decimal text would read: stored numbers as they are, text by its leading
// number (0 when there is none), NULL as 0. Values that are not finite read as 0.
double NumberField(const CppSQLite3Query& q, int column)
{
    const int type = q.fieldDataType(column);
    double v = 0.0;
    if (type == 1 /*SQLITE_INTEGER*/ || type == 2 /*SQLITE_FLOAT*/) v = q.getFloatField(column);
    else if (const char* text = q.fieldValue(column)) v = std::strtod(text, nullptr);
    return std::isfinite(v) ? v : 0.0;
}

bool IsShown(const CppSQLite3Query& q)
{
    if (q.fieldDataType(kHidden) == 1 /*SQLITE_INTEGER*/) return q.getInt64Field(kHidden) == 0;
    const char* text = q.fieldValue(kHidden);
    return !text || std::strtoll(text, nullptr, 10) == 0;
}

// A label's top-left corner lies this many pixels right of and above its point.
constexpr int kLabelOffset = 16;

bool SameView(const GraphParameter& a, const GraphParameter& b)
{
    return a.StartCor.x == b.StartCor.x && a.StartCor.y == b.StartCor.y && a.Scale == b.Scale &&
           a.ClientRect == b.ClientRect;
}
} // namespace

CMapLayer_PD::CMapLayer_PD()
{
    m_MapItem.Format = 9;
    m_MapItem.Style = 1;
    m_MapItem.Size = 2;
    m_MapItem.DisplayField = -1;
    m_MapItem.Visible = 1;
    m_MapItem.Select = 1;
    m_MapItem.DictionaryPathName.clear();
    m_MapItem.Search = 0;
    m_MapItem.clrOutLine = m_MapItem.clrFill = m_MapItem.clrText = 0;
    m_MapItem.Edit = 0;
    m_MapItem.Reload = 0;
}

CMapLayer_PD::~CMapLayer_PD() = default;

void CMapLayer_PD::Close()
{
    m_Points.clear();
    m_Points.shrink_to_fit();
    m_LabelWidths.clear();
    m_LabelWidths.shrink_to_fit();
    m_PositionsValid = false;
    if (m_DB.isopen()) m_DB.close();
}

void CMapLayer_PD::Clear()
{
    Close();
    m_IsLoad = 0;
}

int CMapLayer_PD::Open()
{
    const QString path = m_MapItem.FullPathName.trimmed();
    if (path.isEmpty()) return 0;
    if (m_DB.isopen()) m_DB.close();
    m_IsLoad = 0;
    int count = 0;
    try
    {
        m_DB.openReadOnly(ToUtf8(path).constData());
        count = m_DB.execScalar("select count(*) from Point;");
    }
    catch (const CppSQLite3Exception&)
    {
        m_DB.close();
        return 0;
    }
    if (count <= 0) return 0;
    if (m_hWnd)
    {
        m_hWnd->SetCaption(m_MapItem.FullPathName);
        m_hWnd->Reset();
    }
    m_Points.clear();
    m_LabelWidths.clear();
    m_PositionsValid = false;
    // The count comes from the file: reserve no more than the file could hold.
    const qint64 fileSize = QFileInfo(path).size();
    m_Points.reserve(size_t(std::min<qint64>(count, fileSize / 16 + 1)));
    try
    {
        int lastPercent = -1;
        long long row = 0;
        for (CppSQLite3Query q = m_DB.execQuery("select * from Point;"); !q.eof(); q.nextRow())
        {
            ++row;
            const int percent = int(std::min<long long>(100, row * 100 / count));
            if (m_hWnd && percent != lastPercent) m_hWnd->SetPercent(percent);
            lastPercent = percent;
            if (q.numFields() < kColumnsNeeded)
                throw CppSQLite3Exception(-1, "the table Point has too few columns");
            if (!IsShown(q)) continue;
            MapLayer_Dat_Point p;
            p.name = q.getTextField(kName);
            p.mark = q.getTextField(kMark);
            p.x = NumberField(q, kX);
            p.y = NumberField(q, kY);
            p.h = NumberField(q, kH);
            m_Points.push_back(std::move(p));
        }
    }
    catch (const CppSQLite3Exception&)
    {
        ShowMessage(QStringLiteral("查找记录出错!"), ErrorCaption(), MessageKind::Error);
    }
    ComputeExtent();
    m_IsLoad = 1;
    return 1;
}

void CMapLayer_PD::ComputeExtent()
{
    if (m_Points.empty()) return;
    m_MinX = m_MaxX = m_Points.front().x;
    m_MinY = m_MaxY = m_Points.front().y;
    for (const MapLayer_Dat_Point& p : m_Points)
    {
        m_MinX = std::min(m_MinX, p.x);
        m_MaxX = std::max(m_MaxX, p.x);
        m_MinY = std::min(m_MinY, p.y);
        m_MaxY = std::max(m_MaxY, p.y);
    }
}

int CMapLayer_PD::GetRange(double& minX, double& maxX, double& minY, double& maxY, int recompute)
{
    if (m_Points.empty()) return 0;
    if (recompute) ComputeExtent();
    minX = m_MinX;
    maxX = m_MaxX;
    minY = m_MinY;
    maxY = m_MaxY;
    return 1;
}

void CMapLayer_PD::DrawAll(QPainter* painter, int recompute)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    const GraphParameter view = m_pMapConvert->GetGraphPar();
    // The manager draws its main list with recompute 0; positions computed for another view
    // would put every point in the wrong place, so a changed view recomputes them too.
    if (recompute || !m_PositionsValid || !SameView(view, m_PositionsFor))
    {
        for (MapLayer_Dat_Point& p : m_Points)
        {
            long cx = 0, cy = 0;
            m_pMapConvert->WorldToClient(p.x, p.y, cx, cy);
            p.clientX = int(std::clamp<long>(cx, INT_MIN, INT_MAX));
            p.clientY = int(std::clamp<long>(cy, INT_MIN, INT_MAX));
        }
        m_PositionsFor = view;
        m_PositionsValid = true;
    }
    const CRect client = view.ClientRect;
    if (client.IsRectEmpty()) return;
    // One cell per 8 x 8 pixels (client coordinates divided truncating toward zero); a later point
    // replaces an earlier one in its cell. Cells are drawn column by column.
    const int cellLeft = client.left / 8, cellTop = client.top / 8;
    const int columns = (client.right - 1) / 8 - cellLeft + 1;
    const int rows = (client.bottom - 1) / 8 - cellTop + 1;
    std::vector<int> cells(size_t(columns) * size_t(rows), -1);
    for (size_t i = 0; i < m_Points.size(); ++i)
    {
        const MapLayer_Dat_Point& p = m_Points[i];
        if (!client.PtInRect(CPoint(p.clientX, p.clientY))) continue;
        cells[size_t(p.clientX / 8 - cellLeft) * size_t(rows) + size_t(p.clientY / 8 - cellTop)] = int(i);
    }
    std::vector<int> drawn;
    for (int index : cells)
        if (index >= 0) drawn.push_back(index);

    painter->save();
    QPen pen(ToQColor(0x00FF88));
    pen.setWidth(0);
    painter->setPen(pen);
    painter->setBrush(QBrush(ToQColor(m_MapItem.clrOutLine)));
    painter->setBackgroundMode(Qt::TransparentMode);
    // Labels that would overlap a later one are left out; the rest are drawn as they always were,
    // each right after its square.
    const std::vector<char> labelled = PlaceLabels(painter, drawn);
    const QColor textColor = ToQColor(m_MapItem.clrText);
    for (size_t k = 0; k < drawn.size(); ++k)
    {
        const MapLayer_Dat_Point& p = m_Points[size_t(drawn[k])];
        const CPoint c(p.clientX, p.clientY);
        pointsymbol::DrawSquare(painter, c, 2);
        if (labelled[k])
            pointsymbol::DrawLabel(painter, QRect(c.x + kLabelOffset, c.y - kLabelOffset, 120, 32), p.name, textColor,
                                   Qt::AlignLeft | Qt::AlignTop);
    }
    painter->restore();
}

std::vector<char> CMapLayer_PD::PlaceLabels(QPainter* painter, const std::vector<int>& drawn)
{
    std::vector<char> labelled(drawn.size(), 0);
    // Unnamed points need no fonts (nor a GUI application to provide them).
    if (std::none_of(drawn.begin(), drawn.end(), [this](int i) { return !m_Points[size_t(i)].name.isEmpty(); }))
        return labelled;
    const QFontMetrics metrics = painter->fontMetrics();
    const int dpi = painter->device() ? painter->device()->logicalDpiY() : 0;
    if (m_LabelWidths.size() != m_Points.size() || painter->font() != m_LabelFont || dpi != m_LabelDpi)
    {
        m_LabelWidths.assign(m_Points.size(), -1);
        m_LabelFont = painter->font();
        m_LabelDpi = dpi;
    }
    const int labelHeight = metrics.height();
    pointsymbol::LabelWidthBound widthBound(metrics);
    const CRect client = m_pMapConvert->GetClientRect();
    pointsymbol::LabelSpace space(QRect(client.left, client.top, client.Width(), client.Height()));
    // From the label drawn last (on top) backwards, see LabelSpace.
    for (size_t k = drawn.size(); k-- > 0;)
    {
        const MapLayer_Dat_Point& p = m_Points[size_t(drawn[k])];
        if (p.name.isEmpty()) continue;
        const QPoint topLeft(p.clientX + kLabelOffset, p.clientY - kLabelOffset);
        // Most labels of a crowded view cannot fit even at their narrowest: no need to lay out
        // their text.
        if (!space.IsFree(QRect(topLeft, QSize(std::max(1, widthBound(p.name)), labelHeight)))) continue;
        int& width = m_LabelWidths[size_t(drawn[k])];
        if (width < 0) width = std::max(1, metrics.horizontalAdvance(p.name));
        const QRect box(topLeft, QSize(width, labelHeight));
        if (!space.IsFree(box)) continue;
        space.Place(box);
        labelled[k] = 1;
    }
    return labelled;
}

void CMapLayer_PD::DrawPt(QPainter* painter, const MapLayer_Dat_Point& point, int ownStyle, int useMark)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    const CPoint c(point.clientX, point.clientY);
    if (!m_pMapConvert->PtInClientRect(c)) return;
    if (ownStyle)
    {
        painter->save();
        QPen pen(ToQColor(0x000088));
        pen.setWidth(0);
        painter->setPen(pen);
        painter->setBrush(QBrush(ToQColor(m_MapItem.clrOutLine)));
        painter->setBackgroundMode(Qt::TransparentMode);
    }
    pointsymbol::DrawSquare(painter, c, 2);
    pointsymbol::DrawLabel(painter, QRect(c.x + kLabelOffset, c.y - kLabelOffset, 120, 32), useMark ? point.mark : point.name,
                           ToQColor(m_MapItem.clrText), Qt::AlignLeft | Qt::AlignTop);
    if (ownStyle) painter->restore();
}
