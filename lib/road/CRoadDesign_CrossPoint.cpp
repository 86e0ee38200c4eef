#include "road/CRoadDesign_CrossPoint.h"

#include "geometry/Angle.h"
#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/RouteOptionFile.h"
#include "road/RouteText.h"


#include <charconv>
#include <cmath>

namespace
{
using Angle::kPi;
using Angle::kTwoPi;

double Bearing(double x1, double y1, double x2, double y2)
{
    double a = CRoadDesign_CrossPoint::ComputeAngle(x1, y1, x2, y2);
    if (a < 0.0) a += kTwoPi;
    return a;
}

const QString kRoadNameKey = QStringLiteral("ROADNAME:");
const QString kCrossPointKey = QStringLiteral("CROSSPT :");
const QString kConfigName = QStringLiteral("\\RoadDesign_CrossPoint.cfg");

// Collects the curve records of the conversion. The model lets a straight after the first one
// whose bearing is (almost) 0 follow the element before it; a straight that really runs due north
// is recorded as 360 degrees so that it keeps its own direction.
struct CurveRecords
{
    std::vector<CurveFileRecord>& records;
    int straights = 0;

    void Straight(double length, double bearing)
    {
        double degrees = Angle::RadiansToDegrees(bearing);
        if (straights > 0 && bearing < 1e-5) degrees += 360.0;
        ++straights;
        CurveFileRecord r;
        r.kind = CurveFileRecord::Straight;
        r.length = length;
        r.bearingDegrees = degrees;
        records.push_back(r);
    }
    void Transition(double length, double radius)
    {
        CurveFileRecord r;
        r.kind = CurveFileRecord::Transition;
        r.length = length;
        r.parameter = std::sqrt(length * radius);
        records.push_back(r);
    }
    void Arc(double length, double radius)
    {
        CurveFileRecord r;
        r.kind = CurveFileRecord::Arc;
        r.length = length;
        r.radius = radius;
        records.push_back(r);
    }
};

bool EnoughCrossPoints(size_t count)
{
    if (count >= 3) return true;
    ShowMessage(QString::fromUtf8("交点必须大于3个！"), QStringLiteral("Veylor"), MessageKind::Information);
    return false;
}
} // namespace

void CRoadDesign_CrossPoint::Initialize()
{
    m_RoadName.clear();
    m_StartMileage = 0.0;
    m_RunningMileage = 0.0;
    m_CrossPoints.clear();
    m_Option = Road_Calculate_Option();
}

void CRoadDesign_CrossPoint::InitializeRoadCrossPoint(Road_CrossPoint& point)
{
    point = Road_CrossPoint();
}

int CRoadDesign_CrossPoint::LibraryFile_Read(const QString& path)
{
    std::vector<RouteFileLine> lines;
    if (!ReadRouteFileLines(path, lines)) return 0;

    m_RoadName.clear();
    m_StartMileage = 0.0;
    m_CrossPoints.clear();
    for (const RouteFileLine& line : lines)
    {
        const QString& key = line.key;
        const QString& values = line.values;
        if (key == kRoadNameKey)
        {
            m_RoadName = RouteNameOf(values);
        }
        else if (key == kCrossPointKey)
        {
            // File order: name, x, y, h, note, entry transition, radius, exit transition, station.
            const QStringList f = SplitFields(values, 10);
            Road_CrossPoint p;
            InitializeRoadCrossPoint(p);
            p.point.name = f.at(0);
            p.point.x = LeadingNumber(f.at(1));
            p.point.y = LeadingNumber(f.at(2));
            p.point.h = LeadingNumber(f.at(3));
            p.point.note = f.at(4);
            p.leftTransition = LeadingNumber(f.at(5));
            p.radius = LeadingNumber(f.at(6));
            p.rightTransition = LeadingNumber(f.at(7));
            p.station = LeadingNumber(f.at(8));
            m_CrossPoints.push_back(p);
        }
    }
    return 1;
}

int CRoadDesign_CrossPoint::LibraryFile_Save(const QString& path)
{
    const QString target = path.trimmed();
    if (target.isEmpty()) return 0;

    QString text = kRoadNameKey + FieldText(m_RoadName) + QStringLiteral(",\r\n");
    const QString comma = QStringLiteral(",");
    for (const Road_CrossPoint& p : m_CrossPoints)
    {
        text += kCrossPointKey + FieldText(p.point.name) + comma + FormatFixed(p.point.x, 4) + comma + FormatFixed(p.point.y, 4) +
                comma + FormatFixed(p.point.h, 4) + comma + FieldText(p.point.note) + comma + FormatFixed(p.leftTransition, 4) +
                comma + FormatFixed(p.radius, 4) + comma + FormatFixed(p.rightTransition, 4) + comma + FormatFixed(p.station, 4) +
                QStringLiteral(",\r\n");
    }
    return WriteAnsiTextFile(target, text) ? 1 : 0;
}

int CRoadDesign_CrossPoint::SetConfigPath(const QString& dir)
{
    m_ConfigPath = dir;
    return Config_Read();
}

void CRoadDesign_CrossPoint::SetOption(const Road_Calculate_Option& option)
{
    m_Option = option;
    (void)Config_Save();
}

int CRoadDesign_CrossPoint::Config_Read()
{
    return ReadRouteOptionFile(JoinPath(m_ConfigPath, kConfigName), QStringLiteral("RoadDesign_CrossPoint"), m_Option);
}

int CRoadDesign_CrossPoint::Config_Save()
{
    return SaveRouteOptionFile(JoinPath(m_ConfigPath, kConfigName), QStringLiteral("RoadDesign_CrossPoint"),
                               m_Option.CalculateMode, FormatFixed(m_Option.Interval, 4));
}

double CRoadDesign_CrossPoint::ComputeAngle(double x1, double y1, double x2, double y2)
{
    return std::atan2(y2 - y1, x2 - x1);
}

double CRoadDesign_CrossPoint::ComputeDistance(double x1, double y1, double x2, double y2)
{
    return std::hypot(x2 - x1, y2 - y1);
}

double CRoadDesign_CrossPoint::ComputeT(double R, double arcAngleDegrees, double L)
{
    // Without a circle the route only bends at the crossing point: no tangent length.
    if (std::fabs(R) <= 1e-6) return 0.0;
    double p = 0.0, q = 0.0;
    TransitionShift(R, L, p, q);
    const double a = Angle::DegreesToRadians(arcAngleDegrees) + L / R;
    return (R + p) * std::tan(a / 2.0) + q;
}

void CRoadDesign_CrossPoint::TransitionShift(double R, double L, double& p, double& q)
{
    const double L2 = L * L;
    p = L2 / (24.0 * R) - L2 * L2 / (2688.0 * R * R * R);
    // The tangent extension keeps its third term: with one term fewer the two frames of a curve
    // place their arc ends differently from the tangent lengths, and the straight after a curve
    // with long transitions runs off its crossing-point line (0.9 mm per km of radius when the
    // transitions are half the radius).
    q = L / 2.0 - L2 * L / (240.0 * R * R) + L2 * L2 * L / (34560.0 * R * R * R * R);
}

void CRoadDesign_CrossPoint::ComputermathCurve(double R, double arcAngleDegrees, double L, double& x1, double& y1,
                                               double& x2, double& y2, int side)
{
    const double r = std::fabs(R);
    if (r <= 1e-6)
    {
        x1 = y1 = x2 = y2 = 0.0;
        return;
    }
    double p = 0.0, q = 0.0;
    TransitionShift(r, L, p, q);

    // Nine terms of the series of r·sin(l/r) and r·(1 − cos(l/r)).
    auto point = [&](double l, double& x, double& y) {
        const double ratio = -(l * l) / (r * r);
        double s = l;
        double c = l * l / (2.0 * r);
        double sumS = 0.0;
        double sumC = 0.0;
        for (int k = 0; k < 9; ++k)
        {
            sumS += s;
            sumC += c;
            s *= ratio / ((2.0 * k + 2.0) * (2.0 * k + 3.0));
            c *= ratio / ((2.0 * k + 3.0) * (2.0 * k + 4.0));
        }
        x = q + sumS;
        y = p + sumC;
    };
    point(L / 2.0, x1, y1);
    point(Angle::DegreesToRadians(r * arcAngleDegrees) + L / 2.0, x2, y2);
    if (side == 0)
    {
        y1 = -y1;
        y2 = -y2;
    }
}

int CRoadDesign_CrossPoint::ComputeJD(double& x, double& y, double x1, double y1, double x2, double y2, double x3,
                                      double y3, double x4, double y4)
{
    const double dx1 = x2 - x1;
    const double dy1 = y2 - y1;
    const double dx2 = x4 - x3;
    const double dy2 = y4 - y3;
    if (std::fabs(dx1) < 1e-6 && std::fabs(dx2) < 1e-6) return 0;
    if ((std::fabs(dx1) < 1e-6 && std::fabs(dy1) < 1e-6) || (std::fabs(dx2) < 1e-6 && std::fabs(dy2) < 1e-6))
        return 0;
    // Parallel lines have no intersection; dividing by their cross product would give inf/NaN.
    const double cross = dx1 * dy2 - dy1 * dx2;
    if (!(std::fabs(cross) > 1e-12 * std::hypot(dx1, dy1) * std::hypot(dx2, dy2))) return 0;
    const double t = ((x3 - x1) * dy2 - (y3 - y1) * dx2) / cross;
    const double rx = x1 + t * dx1;
    const double ry = y1 + t * dy1;
    if (!std::isfinite(rx) || !std::isfinite(ry)) return 0;
    x = rx;
    y = ry;
    return 1;
}

int CRoadDesign_CrossPoint::RPtoTDFE(const QString& path)
{
    // Everything is checked and computed before the file is touched, and the file is replaced in
    // one step: a failed conversion leaves the previous curve exchange file in place.
    if (!EnoughCrossPoints(m_CrossPoints.size())) return 0;
    if (path.trimmed().isEmpty()) return 0;
    QString text;
    if (!RPtoTDFEText(text)) return 0;
    return WriteAnsiTextFile(path, text) ? 1 : 0;
}

int CRoadDesign_CrossPoint::RPtoTDFEText(QString& text)
{
    if (!EnoughCrossPoints(m_CrossPoints.size())) return 0;
    CurveFile file;
    if (!ToCurveFile(file) || !CurveFileText(file, CurveFileSource::CrossPointRoute, text)) return 0;
    m_StartMileage = file.startStation.value_or(0.0);
    m_RunningMileage = CurveFileLength(file);
    return 1;
}

double CRoadDesign_CrossPoint::StartStation() const
{
    const std::vector<Road_CrossPoint>& cp = m_CrossPoints;
    if (cp.empty()) return 0.0;
    if (cp[0].station > 0.0001 || cp.size() < 2) return cp[0].station;
    return cp[1].station - ComputeDistance(cp[0].point.x, cp[0].point.y, cp[1].point.x, cp[1].point.y);
}

bool CRoadDesign_CrossPoint::ToCurveFile(CurveFile& file)
{
    const size_t n = m_CrossPoints.size();
    if (n < 3) return false;

    const std::vector<Road_CrossPoint>& cp = m_CrossPoints;
    file = CurveFile();
    file.roadName = m_RoadName;
    file.startStation = StartStation();
    CurveFileRecord start;
    start.kind = CurveFileRecord::Point;
    start.x = cp[0].point.x;
    start.y = cp[0].point.y;
    file.records.push_back(start);
    CurveRecords out{file.records};
    double exitTangentBefore = 0.0; // exit tangent length of the previous curve
    for (size_t k = 1; k + 1 < n; ++k)
    {
        const SurveyCoord& a = cp[k - 1].point;
        const SurveyCoord& b = cp[k].point;
        const SurveyCoord& c = cp[k + 1].point;
        const double lengthIn = ComputeDistance(a.x, a.y, b.x, b.y);
        const double bearingIn = Bearing(a.x, a.y, b.x, b.y);
        const double R = cp[k].radius;

        // Transition lengths that are not positive are written as none, so the geometry must
        // not use them either.
        const double L1 = cp[k].leftTransition > 1e-8 ? cp[k].leftTransition : 0.0;
        const double L2 = cp[k].rightTransition > 1e-8 ? cp[k].rightTransition : 0.0;

        // A crossing point on top of a neighbour has no direction on that side, so no curve can
        // be fitted there either.
        bool curved = R > 1e-6 && lengthIn > 1e-6 && ComputeDistance(b.x, b.y, c.x, c.y) > 1e-6;
        double T1 = 0.0, T2 = 0.0, arcLength = 0.0, deflectionSide = 1.0;
        if (curved)
        {
            const double bearingOut = Bearing(b.x, b.y, c.x, c.y);
            const double bearingBack = Bearing(b.x, b.y, a.x, a.y);
            double D = bearingBack - bearingOut;
            if (D < 0.0) D += kTwoPi;
            const bool right = D < kPi;
            deflectionSide = right ? 1.0 : -1.0;
            const double alpha = right ? kPi - D : D - kPi;

            const double arcAngle = alpha - L1 / (2.0 * R) - L2 / (2.0 * R);
            arcLength = R * arcAngle;
            if (!(arcLength >= 0.001)) arcLength = 0.001;
            const double arcDegrees = Angle::RadiansToDegrees(arcAngle);

            // Arc start and end in the entry frame (origin at the start of the entry transition,
            // x toward the crossing point) and in the exit frame (origin at the end of the exit
            // transition, x toward the crossing point).
            double inX1, inY1, inX2, inY2, outX1, outY1, outX2, outY2;
            ComputermathCurve(R, arcDegrees, L1, inX1, inY1, inX2, inY2, right ? 1 : 0);
            ComputermathCurve(R, arcDegrees, L2, outX1, outY1, outX2, outY2, right ? 0 : 1);

            // Carry the exit frame into the entry frame; its origin there is the end of the exit
            // transition. Seen from the exit side the arc runs backwards, so its first point is the
            // entry side's last one.
            m_Convert.SetFourPar(0.0, 0.0, 0.0, 1.0, 0.0, 0.0);
            if (std::hypot(inX2 - inX1, inY2 - inY1) > 1e-3)
            {
                Road_convertfour p1, p2;
                p1.sourceX = outX2;
                p1.sourceY = outY2;
                p1.targetX = inX1;
                p1.targetY = inY1;
                p2.sourceX = outX1;
                p2.sourceY = outY1;
                p2.targetX = inX2;
                p2.targetY = inY2;
                m_Convert.m_PointPairs = {p1, p2};
                m_Convert.CalFourParameter();
            }
            else
            {
                // The arc has (almost) no length, as in a curve made of two transitions only: two
                // coinciding points fix no rotation. The exit frame's x axis points along −D in
                // the entry frame, which fixes the rotation; the common arc point fixes the shift.
                const double theta = -D;
                const double dx = inX1 - (outX1 * std::cos(theta) - outY1 * std::sin(theta));
                const double dy = inY1 - (outX1 * std::sin(theta) + outY1 * std::cos(theta));
                m_Convert.m_PointPairs.clear();
                m_Convert.SetFourPar(dx, dy, theta, 1.0, 0.0, 0.0);
            }
            double ex = 0.0, ey = 0.0;
            m_Convert.XYtoXY(ex, ey);

            const double t1 = ComputeT(R, arcDegrees, L1);
            const double t2 = ComputeT(R, arcDegrees, L2);
            double jx = 0.0, jy = 0.0;
            if (ComputeJD(jx, jy, 0.0, 0.0, t1, 0.0, ex, ey, ex + t2 * std::cos(-D), ey + t2 * std::sin(-D)))
            {
                T1 = std::hypot(jx, jy);
                T2 = std::hypot(jx - ex, jy - ey);
            }
            else
            {
                // The tangents do not intersect: the route runs straight on (or doubles back) at
                // this point, and no curve fits. It is written as a plain bend.
                curved = false;
            }
        }

        if (!curved)
        {
            out.Straight(lengthIn - exitTangentBefore, bearingIn);
            exitTangentBefore = 0.0;
            continue;
        }
        out.Straight(lengthIn - T1 - exitTangentBefore, bearingIn);
        if (L1 > 1e-8) out.Transition(L1, R);
        out.Arc(arcLength, deflectionSide * R);
        if (L2 > 1e-8) out.Transition(L2, R);
        exitTangentBefore = T2;
    }
    const SurveyCoord& a = cp[n - 2].point;
    const SurveyCoord& b = cp[n - 1].point;
    out.Straight(ComputeDistance(a.x, a.y, b.x, b.y) - exitTangentBefore, Bearing(a.x, a.y, b.x, b.y));

    return true;
}
