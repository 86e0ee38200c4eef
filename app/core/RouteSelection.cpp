#include "app/core/RouteSelection.h"

#include "app/core/CRouteShell.h"
#include "road/CurveTable.h"

#include <cmath>

namespace
{
// The computed elements stand one to one for the rows only while the list is what was applied.
bool ElementsMatchRows(CRouteShell& shell)
{
    const CRoadDesign& road = shell.Road();
    return road.IsLoad() && road.m_RoadElements.size() == shell.m_ElementList.m_Route.m_Elements.size();
}

StationSpan CrossPointSpan(const CrossPointTableRow& r)
{
    StationSpan span;
    span.valid = true;
    span.from = r.curved ? r.zh : r.station;
    span.to = r.curved ? r.hz : r.station;
    return span;
}
} // namespace

StationSpan RowSpan(CRouteShell& shell, int row)
{
    StationSpan span;
    if (row < 0 || !shell.Road().IsLoad()) return span;
    if (shell.Mode() == RouteMode::Element)
    {
        if (!ElementsMatchRows(shell) || size_t(row) >= shell.Road().m_RoadElements.size()) return span;
        const CRoadElement& e = shell.Road().m_RoadElements[size_t(row)];
        span.valid = true;
        // A start point is where the next element begins.
        if (e.m_Kind == CRoadElement::StartPoint)
        {
            const auto& all = shell.Road().m_RoadElements;
            span.from = span.to = size_t(row) + 1 < all.size() ? all[size_t(row) + 1].m_StartStation : 0.0;
            return span;
        }
        span.from = e.m_StartStation;
        span.to = e.m_EndStation;
        return span;
    }
    const std::vector<CrossPointTableRow> table = BuildCrossPointTable(shell.m_CrossPointList.m_Route);
    if (size_t(row) < table.size()) span = CrossPointSpan(table[size_t(row)]);
    return span;
}

int RowAtStation(CRouteShell& shell, double station)
{
    if (!shell.Road().IsLoad() || !std::isfinite(station)) return -1;
    if (shell.Mode() == RouteMode::Element)
    {
        if (!ElementsMatchRows(shell)) return -1;
        const auto& all = shell.Road().m_RoadElements;
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].m_Kind != CRoadElement::StartPoint && station >= all[i].m_StartStation &&
                station <= all[i].m_EndStation)
                return static_cast<int>(i);
        return -1;
    }
    // A curve holds the stations from ZH to HZ; elsewhere the nearest crossing point is meant.
    const std::vector<CrossPointTableRow> table = BuildCrossPointTable(shell.m_CrossPointList.m_Route);
    int nearest = -1;
    double best = 0.0;
    for (size_t i = 0; i < table.size(); ++i)
    {
        const StationSpan span = CrossPointSpan(table[i]);
        if (table[i].curved && station >= span.from && station <= span.to) return static_cast<int>(i);
        const double d = std::fabs(station - table[i].station);
        if (nearest < 0 || d < best)
        {
            nearest = static_cast<int>(i);
            best = d;
        }
    }
    return nearest;
}
