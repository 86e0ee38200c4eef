#include "app/core/RouteChecks.h"

#include "road/CRoadDesign.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;
// A turn smaller than about one second of arc is rounding, not a kink.
constexpr double kKinkTolerance = 5e-6;

bool IsArc(const Road_Element& e) { return e.type == 3; }
} // namespace

QString ElementKindName(int type)
{
    switch (type)
    {
    case 1: return QStringLiteral("起点");
    case 2: return QStringLiteral("直线");
    case 3: return QStringLiteral("圆曲");
    case 4: return QStringLiteral("缓曲");
    default: return QStringLiteral("未知元素");
    }
}

bool ModelKeepsElement(const Road_Element& e)
{
    switch (e.type)
    {
    case 1:
    case 2: return true;
    case 3:
    case 4: return e.length > 1e-10;
    default: return false;
    }
}

bool TransitionFitsAt(const std::vector<Road_Element>& elements, size_t position)
{
    // Once inserted, its neighbours are the element before the position and the one now there;
    // appended, an arc may still follow.
    if (position == 0 || position >= elements.size()) return true;
    return IsArc(elements[position - 1]) || IsArc(elements[position]);
}

std::vector<RouteFinding> ElementRouteErrors(const std::vector<Road_Element>& elements)
{
    std::vector<RouteFinding> found;
    for (size_t i = 0; i < elements.size(); ++i)
    {
        const Road_Element& e = elements[i];
        const int at = static_cast<int>(i);
        if (e.type < 2 || e.type > 4) continue;
        if (!std::isfinite(e.length) || e.length < 0)
        {
            found.push_back({at, QStringLiteral("长度不能为负（%1）").arg(e.length, 0, 'f', 4)});
            continue;
        }
        if (e.type == 2 && !std::isfinite(e.azimuth)) found.push_back({at, QStringLiteral("方位角不是数字")});
        if (e.type == 3 && e.length > 1e-10 && (!std::isfinite(e.radius) || std::fabs(e.radius) < 1e-6))
            found.push_back({at, QStringLiteral("圆曲半径不能为0")});
        if (e.type == 4 && e.length > 1e-10)
        {
            const bool arcBefore = i > 0 && IsArc(elements[i - 1]);
            const bool arcAfter = i + 1 < elements.size() && IsArc(elements[i + 1]);
            if (!arcBefore && !arcAfter) found.push_back({at, QStringLiteral("缓曲必须紧挨圆曲（在圆曲之前或之后）")});
        }
    }
    return found;
}

std::vector<RouteFinding> ElementRouteKinks(const std::vector<Road_Element>& elements, const CRoadDesign& computed)
{
    std::vector<RouteFinding> found;
    const std::vector<CRoadElement>& chain = computed.m_RoadElements;
    size_t next = 0;
    for (size_t i = 0; i < elements.size() && next < chain.size(); ++i)
    {
        if (!ModelKeepsElement(elements[i])) continue;
        const size_t j = next++;
        if (j < 2 || chain[j].m_Kind != CRoadElement::Straight) continue;
        const CRoadElement& previous = chain[j - 1];
        double turn = chain[j].m_StartBearing - previous.m_EndBearing;
        turn = std::remainder(turn, 2 * kPi);
        if (std::fabs(turn) <= kKinkTolerance) continue;
        const QString before = previous.m_Kind == CRoadElement::Straight ? QStringLiteral("前一直线") : QStringLiteral("前面曲线的终点");
        found.push_back({static_cast<int>(i),
                         QStringLiteral("方位角与%1方位相差 %2，线路在此处折转而没有曲线（方位角填0则接续前一元素的方向）")
                             .arg(before, QString::asprintf("%.4f°", std::fabs(turn) * 180.0 / kPi))});
    }
    return found;
}

std::vector<RouteFinding> CrossPointRouteWarnings(const std::vector<Road_CrossPoint>& points)
{
    std::vector<RouteFinding> found;
    // The first and last points are the ends of the route: their curve values are not used.
    for (size_t k = 1; k + 1 < points.size(); ++k)
    {
        const Road_CrossPoint& p = points[k];
        if (p.radius <= 1e-6 && (p.leftTransition > 1e-8 || p.rightTransition > 1e-8))
            found.push_back({static_cast<int>(k), QStringLiteral("%1半径为0，左右缓曲长（%2，%3）不起作用：此处只有两条直线相交")
                                                      .arg(p.point.name.isEmpty() ? QString() : p.point.name + QStringLiteral(" 的"))
                                                      .arg(p.leftTransition, 0, 'f', 4)
                                                      .arg(p.rightTransition, 0, 'f', 4)});
    }
    return found;
}
