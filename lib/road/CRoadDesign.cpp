#include "road/CRoadDesign.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign_Detail.h"
#include "road/CRoadDesign_Element.h"

#include <algorithm>
#include <cmath>

using namespace RoadDesignDetail;

int CRoadDesign::LoadRoadData(CRoadDesign_Element* route)
{
    if (!route) return 0;
    m_Loaded = 0;
    m_Index.reset();
    m_RoadName = route->m_RoadName;
    m_StartMileage = route->m_StartMileage;
    m_RoadElements.clear();
    m_MainPoints.clear();

    for (const Road_Element& source : route->m_Elements)
    {
        CRoadElement record;
        switch (source.type)
        {
        case CRoadElement::StartPoint:
            record.m_StartX = source.point.x;
            record.m_StartY = source.point.y;
            break;
        case CRoadElement::Straight:
            record.m_StartBearing = Angle::DegreesToRadians(source.azimuth);
            record.m_Length = source.length;
            break;
        case CRoadElement::CircularCurve:
            // Written as "not above" so that a NaN length is dropped too.
            if (!(source.length > 1e-10)) continue;
            record.m_Length = source.length;
            record.m_StartRadius = source.radius;
            break;
        case CRoadElement::Transition:
            if (!(source.length > 1e-10)) continue;
            record.m_Length = source.length;
            break;
        default:
            continue;
        }
        record.m_Kind = source.type;
        m_RoadElements.push_back(record);
    }

    if (m_RoadElements.size() < 2)
    {
        ShowMessage(QString::fromUtf8("道路元素不能少于2个!"), WarningCaption(), MessageKind::Warning);
        return 0;
    }
    m_RoadElements[0].m_StartStation = m_StartMileage;
    if (!Calculate()) return 0;
    m_Loaded = 1;
    return 1;
}

void CRoadDesign::UnLoad()
{
    m_MainPoints.clear();
    m_RoadElements.clear();
    m_RoadName.clear();
    m_StartMileage = 0.0;
    m_PegLimitOn = 0;
    m_PegLimitFrom = 0.0;
    m_PegLimitTo = 0.0;
    m_Loaded = 0;
    m_Index.reset();
}

int CRoadDesign::GetRange(double& minX, double& maxX, double& minY, double& maxY, int recompute)
{
    if (m_MainPoints.empty()) return 0;
    if (recompute)
    {
        m_MinX = m_MaxX = m_MainPoints.front().x;
        m_MinY = m_MaxY = m_MainPoints.front().y;
        for (const SurveyCoord& p : m_MainPoints)
        {
            m_MinX = std::min(m_MinX, p.x);
            m_MaxX = std::max(m_MaxX, p.x);
            m_MinY = std::min(m_MinY, p.y);
            m_MaxY = std::max(m_MaxY, p.y);
        }
    }
    minX = m_MinX;
    maxX = m_MaxX;
    minY = m_MinY;
    maxY = m_MaxY;
    return 1;
}

void CRoadDesign::SetPegLimitPar(int on, double from, double to)
{
    m_PegLimitOn = on;
    m_PegLimitFrom = from;
    m_PegLimitTo = to;
}

int CRoadDesign::CheckPegLimit(double station, double a, double b)
{
    const double low = std::min(a, b);
    const double high = std::max(a, b);
    return (station - low >= -1e-6 && station - high <= 1e-6) ? 1 : 0;
}

int CRoadDesign::GetAngleAndXY(double station, double& x, double& y, double& bearing, double offset) const
{
    // A failed load may leave records behind; they are not a computed alignment.
    if (!m_Loaded || m_RoadElements.size() < 2) return 0;
    for (size_t i = 1; i < m_RoadElements.size(); ++i)
    {
        const CRoadElement& record = m_RoadElements[i];
        if (!CheckPegLimit(station, record.m_StartStation, record.m_EndStation)) continue;
        double px = 0.0, py = 0.0, b = 0.0;
        if (!record.GetAngleAndXY(station, px, py, b, offset)) return 0;
        if (!NormaliseBearing(b)) return 0;
        x = px;
        y = py;
        bearing = b;
        return 1;
    }
    return 0;
}

double CRoadDesign::RAD(double value, int mode)
{
    return mode == 0 ? Angle::RadiansToPackedDmsRounded10(value) : Angle::PackedDmsToRadians(value);
}
