#include "road/CRoadDesign.h"

#include "platform/NumberText.h"
#include "road/CRoadDesign_Detail.h"

#include <cmath>

using namespace RoadDesignDetail;

namespace
{
bool EndIsFinite(const CRoadElement& r)
{
    return std::isfinite(r.m_EndX) && std::isfinite(r.m_EndY) && std::isfinite(r.m_EndBearing) &&
           std::isfinite(r.m_EndStation) && std::isfinite(r.m_StartBearing) && std::isfinite(r.m_Length) &&
           std::isfinite(r.m_StartRadius) && std::isfinite(r.m_EndRadius);
}

void StartFrom(CRoadElement& record, const CRoadElement& previous)
{
    record.m_StartX = previous.m_EndX;
    record.m_StartY = previous.m_EndY;
    record.m_StartStation = previous.m_EndStation;
}
} // namespace

int CRoadDesign::Calculate()
{
    m_Index.reset();
    const size_t n = m_RoadElements.size();

    // The bearing of a curve right after the start point would be that of the start point,
    // which has none: such a chain has no defined geometry.
    if (n >= 2 && m_RoadElements[1].m_Kind != CRoadElement::Straight) return 0;

    for (size_t i = 0; i < n; ++i)
    {
        CRoadElement& record = m_RoadElements[i];
        switch (record.m_Kind)
        {
        case CRoadElement::StartPoint:
            break;
        case CRoadElement::Straight:
        {
            if (i < 1) return 0;
            const CRoadElement& previous = m_RoadElements[i - 1];
            StartFrom(record, previous);
            if (i >= 3 && record.m_StartBearing < 1e-6) record.m_StartBearing = previous.m_EndBearing;
            break;
        }
        case CRoadElement::CircularCurve:
        {
            if (i < 1) return 0;
            const CRoadElement& previous = m_RoadElements[i - 1];
            StartFrom(record, previous);
            record.m_StartBearing = previous.m_EndBearing;
            break;
        }
        case CRoadElement::Transition:
        {
            if (i < 1 || i + 1 >= n) return 0;
            const CRoadElement& previous = m_RoadElements[i - 1];
            StartFrom(record, previous);
            record.m_StartBearing = previous.m_EndBearing;
            record.m_StartRadius = previous.m_EndRadius;
            record.m_EndRadius = m_RoadElements[i + 1].m_StartRadius;
            // Between two straights a transition has no curvature to change: it would compute no
            // end point, and every element after it would start at the origin of the grid.
            if (record.m_StartRadius == 0.0 && record.m_EndRadius == 0.0) return 0;
            break;
        }
        default:
            return 0;
        }
        if (!record.Compute()) return 0;
        // Huge or non-numeric values in a route overflow the geometry; such a chain is refused
        // rather than answering every query with NaN.
        if (!EndIsFinite(record) || !std::isfinite(record.m_StartX) || !std::isfinite(record.m_StartY) ||
            !std::isfinite(record.m_StartStation))
            return 0;
    }

    m_MainPoints.clear();
    MainPointLabeler labeler;
    int previousKind = 0;
    for (size_t i = 0; i < n; ++i)
    {
        const CRoadElement& record = m_RoadElements[i];
        if (record.m_Kind != CRoadElement::StartPoint)
        {
            SurveyCoord start;
            start.name = labeler.StartLabel(static_cast<int>(i), record.m_Kind, previousKind);
            start.x = record.m_StartX;
            start.y = record.m_StartY;
            start.note = FormatFixed(record.m_StartStation, 4);
            m_MainPoints.push_back(start);

            if (record.m_Kind == CRoadElement::CircularCurve)
            {
                const double middle = record.m_StartStation + 0.5 * (record.m_EndStation - record.m_StartStation);
                SurveyCoord mid;
                mid.name = labeler.MiddleLabel();
                double bearing = 0.0;
                record.GetAngleAndXY(middle, mid.x, mid.y, bearing, 0.0);
                mid.note = FormatFixed(middle, 4);
                m_MainPoints.push_back(mid);
            }
            previousKind = record.m_Kind;
        }
        if (i + 1 == n)
        {
            SurveyCoord end;
            end.name = QStringLiteral("ZD");
            end.x = record.m_EndX;
            end.y = record.m_EndY;
            end.note = FormatFixed(record.m_EndStation, 4);
            m_MainPoints.push_back(end);
        }
    }

    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    GetRange(minX, maxX, minY, maxY, 1);
    BuildIndex();
    return 1;
}
