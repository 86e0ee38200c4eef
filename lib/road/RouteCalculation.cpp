#include "road/RouteCalculation.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"
#include "road/RouteText.h"

namespace
{
void Warn(const char* text) { ShowMessage(QString::fromUtf8(text), WarningCaption(), MessageKind::Warning); }

// The end of both modes' apply step: the conversion (with or without the file) and its message.
RouteApplyStatus Converted(bool ok)
{
    if (ok) return RouteApplyStatus::Written;
    Warn("线路计算错误，请检查！");
    return RouteApplyStatus::WriteFailed;
}

// The element route's apply step up to the conversion, which `convert` performs.
template <typename Convert>
RouteApplyStatus ApplyElements(CRoadDesign_Element& route, CRoadDesign& checkModel, Convert convert)
{
    if (!CheckRouteElements(route)) return RouteApplyStatus::ChecksFailed;
    if (!checkModel.LoadRoadData(&route)) return RouteApplyStatus::CalculationFailed;
    return Converted(convert());
}

// Reads the route file and converts it into curve exchange text as the apply step does. Loaded
// stands for success here: nothing is loaded yet.
RouteFileStatus RouteCurveText(const QString& routePath, QString& text)
{
    RouteApplyStatus applied = RouteApplyStatus::WriteFailed;
    switch (RouteModeOfPath(routePath))
    {
    case RouteMode::Element:
    {
        CRoadDesign_Element route;
        if (!route.LibraryFile_Read(routePath)) return RouteFileStatus::ReadFailed;
        CRoadDesign checkModel;
        applied = ApplyElements(route, checkModel, [&] { return route.REToTDFEText(text) != 0; });
        break;
    }
    case RouteMode::CrossPoint:
    {
        CRoadDesign_CrossPoint route;
        if (!route.LibraryFile_Read(routePath)) return RouteFileStatus::ReadFailed;
        applied = Converted(route.RPtoTDFEText(text) != 0);
        break;
    }
    case RouteMode::None:
        return RouteFileStatus::UnknownMode;
    }
    switch (applied)
    {
    case RouteApplyStatus::Written:
        return RouteFileStatus::Loaded;
    case RouteApplyStatus::ChecksFailed:
        return RouteFileStatus::ChecksFailed;
    case RouteApplyStatus::CalculationFailed:
    case RouteApplyStatus::WriteFailed: // nothing was written: the conversion failed
        return RouteFileStatus::CalculationFailed;
    }
    return RouteFileStatus::CalculationFailed;
}
} // namespace

RouteMode RouteModeOfPath(const QString& path)
{
    if (path.endsWith(QLatin1String(".RE"), Qt::CaseInsensitive)) return RouteMode::Element;
    if (path.endsWith(QLatin1String(".RP"), Qt::CaseInsensitive)) return RouteMode::CrossPoint;
    return RouteMode::None;
}

QString CurveFilePathOf(const QString& routePath) { return routePath + QStringLiteral(".TDFE"); }

bool CheckRouteElements(const CRoadDesign_Element& route)
{
    const std::vector<Road_Element>& e = route.m_Elements;
    if (e.size() < 2)
    {
        Warn("线路元素不能小于2个，请检查！");
        return false;
    }
    if (e.front().type != 1)
    {
        Warn("第一元素必须为点，请检查！");
        return false;
    }
    if (e[1].type != 2)
    {
        Warn("第二元素必须为直线，请检查！");
        return false;
    }
    if (e.back().type != 2)
    {
        Warn("最后元素必须为直线，请检查！");
        return false;
    }
    return true;
}

RouteApplyStatus ApplyElementRoute(CRoadDesign_Element& route, CRoadDesign& checkModel, const QString& curvePath)
{
    return ApplyElements(route, checkModel, [&] { return route.REToTDFE(curvePath) != 0; });
}

RouteApplyStatus ApplyCrossPointRoute(CRoadDesign_CrossPoint& route, const QString& curvePath)
{
    return Converted(route.RPtoTDFE(curvePath) != 0);
}

RouteFileStatus CalculateRouteFile(const QString& routePath, CRoadDesign& target, const QString& curvePath)
{
    target.UnLoad();
    QString text;
    const RouteFileStatus converted = RouteCurveText(routePath, text);
    if (converted != RouteFileStatus::Loaded) return converted;
    const QString curve = curvePath.isEmpty() ? CurveFilePathOf(routePath) : curvePath;
    if (!WriteAnsiTextFile(curve, text))
    {
        Warn("线路计算错误，请检查！");
        return RouteFileStatus::WriteFailed;
    }
    return target.LoadTDFEFile(curve) ? RouteFileStatus::Loaded : RouteFileStatus::CalculationFailed;
}

RouteFileStatus CalculateRouteInMemory(const QString& routePath, CRoadDesign& target)
{
    target.UnLoad();
    QString text;
    const RouteFileStatus converted = RouteCurveText(routePath, text);
    if (converted != RouteFileStatus::Loaded) return converted;
    return target.LoadTDFEText(text) ? RouteFileStatus::Loaded : RouteFileStatus::CalculationFailed;
}
