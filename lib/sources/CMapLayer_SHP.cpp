#include "sources/CMapLayer_SHP.h"

#include "platform/NumberText.h"

#include <QPainter>

void CMapLayer_SHP::SetConvert(CMapConvert* convert)
{
    CMapLayer::SetConvert(convert);
    m_Shape.SetConvert(convert);
}

void CMapLayer_SHP::SetHWND(IProgressListener* progress)
{
    CMapLayer::SetHWND(progress);
    m_Shape.SetProgressHWND(progress);
}

int CMapLayer_SHP::SetMapItem(const MapConfigItem& item)
{
    CMapLayer::SetMapItem(item);
    m_Shape.SetMapItem(item);
    return 1;
}

void CMapLayer_SHP::SetEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    CMapLayer::SetEllipsoid(ellipsoid);
    m_Shape.GetShapeConvert()->SetSurveyDestinationEllipsoid(ellipsoid);
}

void CMapLayer_SHP::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    CMapLayer::SetProjection(projection);
    m_Shape.GetShapeConvert()->SetSurveyProjection(projection);
}

int CMapLayer_SHP::Open()
{
    m_Shape.SetMapItem(m_MapItem);
    m_Shape.SetConvert(m_pMapConvert);
    m_Shape.SetProgressHWND(m_hWnd);
    if (!m_Shape.Open()) return 0;
    // The source decides the kind (Style) and may raise the point size.
    const MapConfigItem opened = m_Shape.GetMapItem();
    m_MapItem.Style = opened.Style;
    m_MapItem.Size = opened.Size;
    m_IsLoad = m_Shape.LoadShapeData();
    return m_IsLoad;
}

void CMapLayer_SHP::Close() { m_Shape.Clear(); }

void CMapLayer_SHP::Clear()
{
    CMapLayer::Clear();
    m_Shape.Clear();
}

int CMapLayer_SHP::GetRange(double& minX, double& maxX, double& minY, double& maxY, int)
{
    return m_Shape.GetRange_Survey(minX, maxX, minY, maxY);
}

void CMapLayer_SHP::DrawAll(QPainter* painter, int)
{
    if (!m_MapItem.Visible || !m_pMapConvert || !painter) return;
    m_Shape.Draw(painter);
    m_Shape.DrawTextW(painter);
    m_Shape.DrawSelectEntity(painter);
}

QStringList CMapLayer_SHP::InfoLines() const
{
    QStringList lines;
    double a, b, c, d;
    if (m_Shape.GetRange_Shape(a, b, c, d))
        lines << QStringLiteral("data-extent: %1 %2 %3 %4")
                     .arg(FormatFixed(a, 4), FormatFixed(b, 4), FormatFixed(c, 4), FormatFixed(d, 4));
    static const char* const kinds[4] = {"none", "point", "line", "plane"};
    const int kind = m_Shape.GetEntityKind();
    lines << QStringLiteral("geometry: %1").arg(QLatin1String(kinds[kind >= 0 && kind <= 3 ? kind : 0]));
    return lines;
}

namespace
{
// Registered when the library is loaded: formats 2 and 4 create this kind.
[[maybe_unused]] const bool registered = [] {
    const auto make = [] { return std::unique_ptr<CMapLayer>(new CMapLayer_SHP()); };
    RegisterMapLayerKind(2, make);
    RegisterMapLayerKind(4, make);
    return true;
}();
} // namespace
