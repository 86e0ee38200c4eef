#include "road/CurveTable.h"

#include "geometry/Angle.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"

#include <cmath>

namespace
{
using Angle::kPi;
using Angle::kTwoPi;

double BearingOf(const SurveyCoord& a, const SurveyCoord& b)
{
    const double t = CRoadDesign_CrossPoint::ComputeAngle(a.x, a.y, b.x, b.y);
    return t < 0.0 ? t + kTwoPi : t;
}

double DistanceOf(const SurveyCoord& a, const SurveyCoord& b)
{
    return CRoadDesign_CrossPoint::ComputeDistance(a.x, a.y, b.x, b.y);
}

// Deflection and side at b, decided as the conversion decides them.
void Deflection(const SurveyCoord& a, const SurveyCoord& b, const SurveyCoord& c, double& alpha, int& side)
{
    double D = BearingOf(b, a) - BearingOf(b, c);
    if (D < 0.0) D += kTwoPi;
    side = D < kPi ? 1 : -1;
    alpha = D < kPi ? kPi - D : D - kPi;
}

// The curve elements of one crossing point with deflection α (0 < α < π). The centre lies R + p1
// from the entry tangent and R + p2 from the exit tangent; unequal transitions move the tangent
// points by (p1 − p2) / sin α.
void FitCurve(CrossPointTableRow& row)
{
    const double R = row.radius;
    const double L1 = row.entryTransition;
    const double L2 = row.exitTransition;
    const double a = row.deflection;
    double p1 = 0.0, q1 = 0.0, p2 = 0.0, q2 = 0.0;
    if (L1 > 0.0) CRoadDesign_CrossPoint::TransitionShift(R, L1, p1, q1);
    if (L2 > 0.0) CRoadDesign_CrossPoint::TransitionShift(R, L2, p2, q2);
    const double shift = (p1 - p2) / std::sin(a);
    row.entryTangent = (R + p1) * std::tan(a / 2.0) + q1 - shift;
    row.exitTangent = (R + p2) * std::tan(a / 2.0) + q2 + shift;

    double arc = R * (a - L1 / (2.0 * R) - L2 / (2.0 * R));
    // The conversion gives a curve at least a millimetre of circle.
    if (!(arc >= 0.001))
    {
        arc = 0.001;
        row.problem = QStringLiteral("缓和曲线过长：转角容不下两段缓和曲线");
    }
    row.curveLength = L1 + arc + L2;
    row.tangentExcess = row.entryTangent + row.exitTangent - row.curveLength;

    // Crossing point to the centre: along the entry tangent the centre's foot lies
    // ((R + p1) cos α − (R + p2)) / sin α beyond the crossing point, and R + p1 beside it.
    const double along = ((R + p1) * std::cos(a) - (R + p2)) / std::sin(a);
    row.external = std::hypot(along, R + p1) - R;
}
} // namespace

std::vector<CrossPointTableRow> BuildCrossPointTable(const CRoadDesign_CrossPoint& route)
{
    std::vector<CrossPointTableRow> rows;
    const std::vector<Road_CrossPoint>& cp = route.m_CrossPoints;
    const size_t n = cp.size();
    if (n < 3) return rows;

    rows.resize(n);
    double previousStation = route.StartStation();
    double previousExcess = 0.0;
    double previousEnd = previousStation; // where the straight before the next curve starts
    for (size_t k = 0; k < n; ++k)
    {
        CrossPointTableRow& row = rows[k];
        const Road_CrossPoint& p = cp[k];
        row.name = p.point.name;
        row.x = p.point.x;
        row.y = p.point.y;
        if (k == 0)
        {
            row.station = previousStation;
            continue;
        }
        row.distanceFromPrevious = DistanceOf(cp[k - 1].point, p.point);
        row.bearingFromPrevious = BearingOf(cp[k - 1].point, p.point);
        row.station = previousStation + row.distanceFromPrevious - previousExcess;
        if (k + 1 < n)
        {
            row.radius = p.radius;
            row.entryTransition = p.leftTransition > 1e-8 ? p.leftTransition : 0.0;
            row.exitTransition = p.rightTransition > 1e-8 ? p.rightTransition : 0.0;
            const double distanceOut = DistanceOf(p.point, cp[k + 1].point);
            if (row.distanceFromPrevious > 1e-6 && distanceOut > 1e-6)
                Deflection(cp[k - 1].point, p.point, cp[k + 1].point, row.deflection, row.side);
            // Tangents that do not cross (straight on, or doubling back) take no curve.
            row.curved = p.radius > 1e-6 && row.side != 0 && std::sin(row.deflection) > 1e-9;
        }
        if (row.curved)
        {
            FitCurve(row);
            row.zh = row.station - row.entryTangent;
            row.hy = row.zh + row.entryTransition;
            row.hz = row.zh + row.curveLength;
            row.yh = row.hz - row.exitTransition;
            // The middle of the circle, where the stake file and the map put QZ; with equal
            // transitions it is also the middle of the curve.
            row.qz = (row.hy + row.yh) / 2.0;
            row.straightBefore = row.zh - previousEnd;
            previousEnd = row.hz;
            previousExcess = row.tangentExcess;
        }
        else
        {
            // A plain bend (or the end): the straight runs on to the crossing point itself.
            row.straightBefore = row.station - previousEnd;
            previousEnd = row.station;
            previousExcess = 0.0;
        }
        if (row.straightBefore < -0.0005 && row.problem.isEmpty())
            row.problem = QStringLiteral("与前一曲线重叠 %1 m").arg(-row.straightBefore, 0, 'f', 3);
        previousStation = row.station;
    }
    return rows;
}

std::vector<ElementTableRow> BuildElementTable(const CRoadDesign& road)
{
    std::vector<ElementTableRow> rows;
    if (!road.IsLoad()) return rows;
    for (const CRoadElement& e : road.m_RoadElements)
    {
        if (e.m_Kind == CRoadElement::StartPoint) continue;
        ElementTableRow row;
        row.kind = e.m_Kind;
        row.length = e.m_Length;
        row.startStation = e.m_StartStation;
        row.endStation = e.m_EndStation;
        row.startX = e.m_StartX;
        row.startY = e.m_StartY;
        row.endX = e.m_EndX;
        row.endY = e.m_EndY;
        row.startBearing = Angle::NormaliseBearing(e.m_StartBearing);
        row.endBearing = Angle::NormaliseBearing(e.m_EndBearing);
        row.startRadius = e.m_StartRadius;
        row.endRadius = e.m_EndRadius;
        rows.push_back(row);
    }
    return rows;
}
