#include "road/RouteCalculation.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

namespace
{
void Warn(const char* text) { ShowMessage(QString::fromUtf8(text), WarningCaption(), MessageKind::Warning); }
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
    if (!CheckRouteElements(route)) return RouteApplyStatus::ChecksFailed;
    if (!checkModel.LoadRoadData(&route)) return RouteApplyStatus::CalculationFailed;
    if (!route.REToTDFE(curvePath))
    {
        Warn("线路计算错误，请检查！");
        return RouteApplyStatus::WriteFailed;
    }
    return RouteApplyStatus::Written;
}

RouteApplyStatus ApplyCrossPointRoute(CRoadDesign_CrossPoint& route, const QString& curvePath)
{
    if (!route.RPtoTDFE(curvePath))
    {
        Warn("线路计算错误，请检查！");
        return RouteApplyStatus::WriteFailed;
    }
    return RouteApplyStatus::Written;
}

RouteFileStatus CalculateRouteFile(const QString& routePath, CRoadDesign& target, const QString& curvePath)
{
    target.UnLoad();
    const QString curve = curvePath.isEmpty() ? CurveFilePathOf(routePath) : curvePath;
    RouteApplyStatus applied = RouteApplyStatus::WriteFailed;
    switch (RouteModeOfPath(routePath))
    {
    case RouteMode::Element:
    {
        CRoadDesign_Element route;
        if (!route.LibraryFile_Read(routePath)) return RouteFileStatus::ReadFailed;
        CRoadDesign checkModel;
        applied = ApplyElementRoute(route, checkModel, curve);
        break;
    }
    case RouteMode::CrossPoint:
    {
        CRoadDesign_CrossPoint route;
        if (!route.LibraryFile_Read(routePath)) return RouteFileStatus::ReadFailed;
        applied = ApplyCrossPointRoute(route, curve);
        break;
    }
    case RouteMode::None:
        return RouteFileStatus::UnknownMode;
    }
    switch (applied)
    {
    case RouteApplyStatus::Written:
        break;
    case RouteApplyStatus::ChecksFailed:
        return RouteFileStatus::ChecksFailed;
    case RouteApplyStatus::CalculationFailed:
        return RouteFileStatus::CalculationFailed;
    case RouteApplyStatus::WriteFailed:
        return RouteFileStatus::WriteFailed;
    }
    return target.LoadTDFEFile(curve) ? RouteFileStatus::Loaded : RouteFileStatus::CalculationFailed;
}
