#include "platform/MessageSink.h"
#include "platform/TextCodec.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <limits>
#include "common/FileBytes.h"
#include "RoadDesignFixtures.h"

namespace
{
using RoadFixtures::CrossPoint;

constexpr double kPi = 3.14159265358979323846;

// One curve of a generated route: the leg before its crossing point, the deflection there
// (degrees, positive right) and the curve.
struct Leg
{
    double length;
    double deflection;
    double radius;
    double l1;
    double l2;
};

std::vector<Road_CrossPoint> Walk(double bearingDegrees, const std::vector<Leg>& legs, double lastLength)
{
    std::vector<Road_CrossPoint> points{CrossPoint("", 3400000.0, 500000.0)};
    double b = bearingDegrees * kPi / 180.0;
    for (const Leg& leg : legs)
    {
        const Road_CrossPoint& last = points.back();
        points.push_back(CrossPoint("", last.point.x + leg.length * std::cos(b), last.point.y + leg.length * std::sin(b),
                            leg.radius, leg.l1, leg.l2));
        b += leg.deflection * kPi / 180.0;
    }
    const Road_CrossPoint& last = points.back();
    points.push_back(CrossPoint("", last.point.x + lastLength * std::cos(b), last.point.y + lastLength * std::sin(b)));
    return points;
}

struct TdfeLine
{
    QString key;
    double length;
    double value;
};

struct Tdfe
{
    double start = 0.0;
    double x = 0.0;
    double y = 0.0;
    std::vector<TdfeLine> elements;
};

Tdfe Parse(const QByteArray& bytes)
{
    Tdfe t;
    for (const QString& line : FromAnsi(bytes).split(QStringLiteral("\r\n")))
    {
        const QStringList f = line.split(QLatin1Char(','));
        if (f.size() < 2) continue;
        if (f[0] == QStringLiteral("START CHAINAGE")) t.start = f[1].toDouble();
        if (f[0] == QStringLiteral("PT"))
        {
            t.y = f[1].toDouble();
            t.x = f[2].toDouble();
        }
        if (f[0] == QStringLiteral("R.") || f[0] == QStringLiteral("CL") || f[0] == QStringLiteral("CC"))
            t.elements.push_back({f[0], f[1].toDouble(), f[2].toDouble()});
    }
    return t;
}

struct Straight
{
    double x0, y0, x1, y1, bearing;
};

struct Trace
{
    std::vector<Straight> straights;
    std::vector<std::pair<double, double>> ends; // after each element
    double x = 0.0;
    double y = 0.0;
};

// Follows the written elements with their exact geometry, independently of the library: circles
// and clothoids are integrated numerically (Simpson), curvature running linearly along a
// transition between its neighbours. A straight after the second record whose bearing is below
// 1e-6 follows the element before it, as the road model does.
Trace Follow(const Tdfe& t)
{
    Trace tr;
    double x = t.x, y = t.y, b = 0.0;
    int record = 1;
    const size_t n = t.elements.size();
    for (size_t i = 0; i < n; ++i, ++record)
    {
        const TdfeLine& e = t.elements[i];
        if (e.key == QStringLiteral("R."))
        {
            double bearing = e.value * kPi / 180.0;
            if (record >= 3 && bearing < 1e-6) bearing = b;
            b = bearing;
            const double x0 = x, y0 = y;
            x += e.length * std::cos(b);
            y += e.length * std::sin(b);
            tr.straights.push_back({x0, y0, x, y, b});
            tr.ends.emplace_back(x, y);
            continue;
        }
        double k0, k1;
        if (e.key == QStringLiteral("CC"))
            k0 = k1 = 1.0 / e.value;
        else
        {
            k0 = i > 0 && t.elements[i - 1].key == QStringLiteral("CC") ? 1.0 / t.elements[i - 1].value : 0.0;
            k1 = i + 1 < n && t.elements[i + 1].key == QStringLiteral("CC") ? 1.0 / t.elements[i + 1].value : 0.0;
        }
        const double L = e.length;
        const int steps = 4000;
        const double h = L / steps;
        auto heading = [&](double s) { return b + k0 * s + (k1 - k0) * s * s / (2.0 * L); };
        double sx = 0.0, sy = 0.0;
        for (int j = 0; j <= steps; ++j)
        {
            const double w = (j == 0 || j == steps) ? 1.0 : (j % 2 ? 4.0 : 2.0);
            const double th = heading(j * h);
            sx += w * std::cos(th);
            sy += w * std::sin(th);
        }
        x += sx * h / 3.0;
        y += sy * h / 3.0;
        b = heading(L);
        tr.ends.emplace_back(x, y);
    }
    tr.x = x;
    tr.y = y;
    return tr;
}

double DistanceFromLine(double px, double py, const SurveyCoord& a, const SurveyCoord& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    return std::fabs((px - a.x) * dy - (py - a.y) * dx) / std::hypot(dx, dy);
}

// The largest distance of any straight's ends from the line between its crossing points; `end`
// receives the distance of the route's end from the last crossing point.
double LargestDeviation(const std::vector<Road_CrossPoint>& points, const QString& path, double* end = nullptr)
{
    CRoadDesign_CrossPoint route;
    route.m_CrossPoints = points;
    if (route.RPtoTDFE(path) != 1) return -1.0;
    const Trace tr = Follow(Parse(ReadBytes(path)));
    if (tr.straights.size() + 1 != points.size()) return -2.0;
    double worst = 0.0;
    for (size_t j = 0; j < tr.straights.size(); ++j)
    {
        const Straight& s = tr.straights[j];
        worst = std::max(worst, DistanceFromLine(s.x0, s.y0, points[j].point, points[j + 1].point));
        worst = std::max(worst, DistanceFromLine(s.x1, s.y1, points[j].point, points[j + 1].point));
    }
    if (end) *end = std::hypot(tr.x - points.back().point.x, tr.y - points.back().point.y);
    return worst;
}

struct MessageRecorder
{
    std::vector<std::pair<QString, MessageKind>> calls;
    MessageHandler previous;
    MessageRecorder()
    {
        previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind kind) {
            calls.emplace_back(text, kind);
            return MessageAnswer::Ok;
        });
    }
    ~MessageRecorder() { SetMessageHandler(previous); }
};
} // namespace

TEST(RouteCrossPointFile, RoundTripKeepsFileOrderValuesAndChineseBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.RP"));
    CRoadDesign_CrossPoint route;
    route.m_RoadName = QString::fromUtf8("京港澳高速示例");
    route.m_CrossPoints.push_back(CrossPoint("", 3400000.12344, 500000.5, 0, 0, 0, 12345.678));
    Road_CrossPoint jd = CrossPoint("", 3400800.0, 500600.0, 800.0, 100.0, 120.0, 0.0);
    jd.point.name = QString::fromUtf8("交点1");
    jd.point.h = 15.5;
    jd.point.note = QStringLiteral("n");
    route.m_CrossPoints.push_back(jd);
    route.m_CrossPoints.push_back(CrossPoint("", 3401500.0, 500700.0));
    ASSERT_EQ(route.LibraryFile_Save(path), 1);

    const QByteArray bytes = ReadBytes(path);
    EXPECT_EQ(bytes, ToAnsi(QString::fromUtf8(
                         "ROADNAME:京港澳高速示例,\r\n"
                         "CROSSPT :,3400000.1234,500000.5000,0.0000,,0.0000,0.0000,0.0000,12345.6780,\r\n"
                         "CROSSPT :交点1,3400800.0000,500600.0000,15.5000,n,100.0000,800.0000,120.0000,0.0000,\r\n"
                         "CROSSPT :,3401500.0000,500700.0000,0.0000,,0.0000,0.0000,0.0000,0.0000,\r\n")));

    CRoadDesign_CrossPoint back;
    back.m_StartMileage = 7.0;
    ASSERT_EQ(back.LibraryFile_Read(path), 1);
    EXPECT_EQ(back.m_StartMileage, 0.0);
    EXPECT_EQ(back.m_RoadName, route.m_RoadName);
    ASSERT_EQ(back.m_CrossPoints.size(), 3u);
    const Road_CrossPoint& b = back.m_CrossPoints[1];
    EXPECT_EQ(b.point.name, jd.point.name);
    EXPECT_EQ(b.point.note, QStringLiteral("n"));
    EXPECT_DOUBLE_EQ(b.leftTransition, 100.0);
    EXPECT_DOUBLE_EQ(b.radius, 800.0);
    EXPECT_DOUBLE_EQ(b.rightTransition, 120.0);
    EXPECT_DOUBLE_EQ(b.point.h, 15.5);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[0].point.x, 3400000.1234);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[0].station, 12345.678);

    const QString again = dir.filePath(QStringLiteral("again.RP"));
    ASSERT_EQ(back.LibraryFile_Save(again), 1);
    EXPECT_EQ(ReadBytes(again), bytes);

    // More than 1000 lines, carriage returns only, no final line end, short lines.
    QByteArray many("ROADNAME:x,\r");
    for (int i = 0; i < 1200; ++i) many += "CROSSPT :p," + QByteArray::number(i) + ",2\r";
    many += "CROSSPT :last,1,2,3,,4,5";
    ASSERT_TRUE(WriteBytes(path, many));
    ASSERT_EQ(back.LibraryFile_Read(path), 1);
    ASSERT_EQ(back.m_CrossPoints.size(), 1201u);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[1199].point.x, 1199.0);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[1199].point.y, 2.0);
    EXPECT_EQ(back.m_CrossPoints[1199].radius, 0.0);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[1200].leftTransition, 4.0);
    EXPECT_DOUBLE_EQ(back.m_CrossPoints[1200].radius, 5.0);
    EXPECT_EQ(back.m_CrossPoints[1200].rightTransition, 0.0);
    EXPECT_EQ(back.LibraryFile_Read(dir.filePath(QStringLiteral("none.RP"))), 0);
}

TEST(RouteCrossPointGeometry, HelpersGiveTheCircleAndRefuseDegenerateLines)
{
    // Without transitions the tangent is R·tan(α/2) and the arc ends lie on the circle.
    EXPECT_NEAR(CRoadDesign_CrossPoint::ComputeT(500.0, 60.0, 0.0), 500.0 * std::tan(kPi / 6.0), 1e-9);
    EXPECT_EQ(CRoadDesign_CrossPoint::ComputeT(0.0, 60.0, 100.0), 0.0); // no circle, no tangent
    double x1, y1, x2, y2;
    CRoadDesign_CrossPoint::ComputermathCurve(500.0, 90.0, 0.0, x1, y1, x2, y2, 1);
    EXPECT_NEAR(x1, 0.0, 1e-12);
    EXPECT_NEAR(y1, 0.0, 1e-12);
    EXPECT_NEAR(x2, 500.0, 1e-6);
    EXPECT_NEAR(y2, 500.0, 1e-6);
    CRoadDesign_CrossPoint::ComputermathCurve(500.0, 90.0, 0.0, x1, y1, x2, y2, 0);
    EXPECT_NEAR(y2, -500.0, 1e-6);

    double x = 42.0, y = 42.0;
    EXPECT_EQ(CRoadDesign_CrossPoint::ComputeJD(x, y, 0, 0, 10, 10, 0, 10, 10, 0), 1);
    EXPECT_DOUBLE_EQ(x, 5.0);
    EXPECT_DOUBLE_EQ(y, 5.0);
    x = y = 42.0;
    EXPECT_EQ(CRoadDesign_CrossPoint::ComputeJD(x, y, 0, 0, 0, 10, 1, 0, 1, 10), 0); // both east-west
    EXPECT_EQ(CRoadDesign_CrossPoint::ComputeJD(x, y, 0, 0, 10, 1, 0, 5, 10, 6), 0);  // parallel
    EXPECT_EQ(CRoadDesign_CrossPoint::ComputeJD(x, y, 3, 3, 3, 3, 0, 0, 10, 1), 0);   // a point, not a line
    EXPECT_EQ(x, 42.0);
    EXPECT_EQ(y, 42.0);
}

TEST(RouteCrossPointConversion, FewerThanThreePointsFailAndKeepThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.RP.TDFE"));
    ASSERT_TRUE(WriteBytes(path, "previous"));
    CRoadDesign_CrossPoint route;
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400100, 500000)};
    MessageRecorder messages;
    EXPECT_EQ(route.RPtoTDFE(path), 0);
    ASSERT_EQ(messages.calls.size(), 1u);
    EXPECT_EQ(messages.calls[0].first, QString::fromUtf8("交点必须大于3个！"));
    EXPECT_EQ(messages.calls[0].second, MessageKind::Information);
    EXPECT_EQ(ReadBytes(path), QByteArray("previous"));

    // Coordinates that overflow every distance: refused, previous file kept, no message.
    route.m_CrossPoints = {CrossPoint("", -1e308, 0), CrossPoint("", 1e308, 1e308), CrossPoint("", -1e308, 1e308)};
    EXPECT_EQ(route.RPtoTDFE(path), 0);
    route.m_CrossPoints[1].point.y = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(route.RPtoTDFE(path), 0);
    EXPECT_EQ(ReadBytes(path), QByteArray("previous"));
    EXPECT_EQ(messages.calls.size(), 1u);
}

TEST(RouteCrossPointConversion, PlainBendWritesTwoStraightsAndTheStartStation)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bend.TDFE"));
    CRoadDesign_CrossPoint route;
    route.m_RoadName = QString::fromUtf8("折线");
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400300, 500400, 0, 50, 50, 1500.0), CrossPoint("", 3400300, 500900)};
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    EXPECT_EQ(ReadBytes(path), ToAnsi(QString::fromUtf8("CURVE FILE(RP) Ver1.0\r\nMETRES\r\nDEGREES\r\n"
                                                         "START CHAINAGE,1000.0000\r\n" // 1500 − 500
                                                         "HORIZ\r\nRN,折线\r\n"
                                                         "PT,500000.000000,3400000.000000,\r\n"
                                                         "R.,500.000000,53.13010235,\r\n"
                                                         "R.,500.000000,90.00000000,\r\n")));
    EXPECT_DOUBLE_EQ(route.m_StartMileage, 1000.0);
    EXPECT_DOUBLE_EQ(route.m_RunningMileage, 1000.0);

    // A start station of its own wins.
    route.m_CrossPoints[0].station = 250.0;
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    EXPECT_DOUBLE_EQ(route.m_StartMileage, 250.0);

    // Due north after a bend: written as 360 degrees so that the model does not take it for a
    // straight that follows the element before it.
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400500, 500000), CrossPoint("", 3400500, 500500), CrossPoint("", 3401000, 500500)};
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    const QByteArray north = ReadBytes(path);
    EXPECT_TRUE(north.contains("R.,500.000000,0.00000000,\r\nR.,500.000000,90.00000000,\r\n"
                               "R.,500.000000,360.00000000,\r\n"));
    const Trace tr = Follow(Parse(north));
    EXPECT_NEAR(tr.x, 3401000.0, 1e-6);
    EXPECT_NEAR(tr.y, 500500.0, 1e-6);
}

TEST(RouteCrossPointConversion, SymmetricCurveAndMirrorImage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.TDFE"));
    const double R = 600.0, L = 150.0;
    // Leg of 800 m, right turn of 50°, leg of 900 m.
    const std::vector<Road_CrossPoint> right = Walk(30.0, {{800.0, 50.0, R, L, L}}, 900.0);
    CRoadDesign_CrossPoint route;
    route.m_CrossPoints = right;
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    const Tdfe r = Parse(ReadBytes(path));
    ASSERT_EQ(r.elements.size(), 5u);
    EXPECT_EQ(r.elements[1].key, QStringLiteral("CL"));
    EXPECT_NEAR(r.elements[1].value, std::sqrt(L * R), 1e-8);
    EXPECT_GT(r.elements[2].value, 0.0);

    const double alpha = 50.0 * kPi / 180.0;
    const double arcDegrees = (alpha - L / R) * 180.0 / kPi;
    EXPECT_NEAR(r.elements[2].length, R * (alpha - L / R), 1e-6);
    const double t = CRoadDesign_CrossPoint::ComputeT(R, arcDegrees, L);
    const double t1 = 800.0 - r.elements[0].length;
    const double t2 = 900.0 - r.elements[4].length;
    EXPECT_NEAR(t1, t2, 2e-6);
    // Both tangents equal ComputeT's, to the written precision.
    EXPECT_NEAR(t1, t, 2e-6);

    // The mirror image about the first leg's north line turns left: same lengths, negative radius.
    std::vector<Road_CrossPoint> left = right;
    for (Road_CrossPoint& p : left) p.point.y = 2 * 500000.0 - p.point.y;
    route.m_CrossPoints = left;
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    const Tdfe l = Parse(ReadBytes(path));
    ASSERT_EQ(l.elements.size(), r.elements.size());
    for (size_t i = 0; i < r.elements.size(); ++i)
    {
        EXPECT_EQ(l.elements[i].key, r.elements[i].key);
        EXPECT_NEAR(l.elements[i].length, r.elements[i].length, 2e-6) << i;
        if (r.elements[i].key == QStringLiteral("CC"))
            EXPECT_DOUBLE_EQ(l.elements[i].value, -r.elements[i].value);
        else if (r.elements[i].key == QStringLiteral("R."))
            EXPECT_NEAR(l.elements[i].value, 360.0 - r.elements[i].value, 1e-8);
        else
            EXPECT_DOUBLE_EQ(l.elements[i].value, r.elements[i].value);
    }

    // No transitions: straight, arc, straight; the tangent is R·tan(α/2).
    route.m_CrossPoints = Walk(30.0, {{800.0, -50.0, R, 0.0, 0.0}}, 900.0);
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    const Tdfe plain = Parse(ReadBytes(path));
    ASSERT_EQ(plain.elements.size(), 3u);
    EXPECT_EQ(plain.elements[1].key, QStringLiteral("CC"));
    EXPECT_DOUBLE_EQ(plain.elements[1].value, -R);
    EXPECT_NEAR(800.0 - plain.elements[0].length, R * std::tan(alpha / 2), 1e-6);
    EXPECT_NEAR(route.m_RunningMileage, plain.elements[0].length + R * alpha + plain.elements[2].length, 1e-6);
}

TEST(RouteCrossPointConversion, StraightsLieOnTheCrossingPointLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("acc.TDFE"));
    // A highway with radii of 300 to 3000 m both ways and transitions of 60 to 250 m, each at
    // most half its radius, some asymmetric.
    const std::vector<Leg> highway = {
        {1200, 35, 1200, 200, 200}, {1500, -62, 800, 150, 150},  {900, 28, 3000, 250, 250},
        {700, -85, 300, 120, 150},  {1100, 40, 2000, 180, 120},  {1300, -15, 3000, 250, 250},
        {800, 70, 500, 200, 250},   {1000, -44, 1500, 250, 180}, {600, 95, 400, 200, 200},
    };
    double end = 0.0;
    const double deviation = LargestDeviation(Walk(20.0, highway, 1400), path, &end);
    std::cout << "[ measure  ] realistic highway: largest deviation " << deviation * 1000 << " mm, end "
              << end * 1000 << " mm from the last crossing point\n";
    EXPECT_GE(deviation, 0.0);
    EXPECT_LT(deviation, 1e-3);
    EXPECT_LT(end, 1e-3);

    // A curve made of two transitions only (no arc to fit the frames on).
    const double spiralOnly = LargestDeviation(Walk(0.0, {{1000, 180.0 / kPi * 0.2, 500, 100, 100}}, 1000), path);
    EXPECT_GE(spiralOnly, 0.0);
    EXPECT_LT(spiralOnly, 1e-3);

    // L = R/2, and L = R, where the series lose accuracy: measured and reported.
    for (const double ratio : {0.5, 1.0})
    {
        for (const double R : {300.0, 1000.0, 3000.0})
        {
            double worst = 0.0;
            for (const double deflection : {75.0, 120.0, -150.0})
            {
                const double L = ratio * R;
                const double d = LargestDeviation(Walk(45.0, {{6 * R, deflection, R, L, L}}, 6 * R), path);
                ASSERT_GE(d, 0.0);
                worst = std::max(worst, d);
            }
            std::cout << "[ measure  ] L = " << ratio << " R, R = " << R << " m: largest deviation "
                      << worst * 1000 << " mm\n";
            if (ratio == 0.5)
            {
                EXPECT_LT(worst, 1e-3) << R;
            }
            else
            {
                EXPECT_LT(worst, 4e-6 * R) << R; // measured 3.6e-6·R
            }
        }
    }
}

TEST(RouteCrossPointConversion, PointsWhereTheRouteDoesNotTurnBecomePlainBends)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.TDFE"));
    CRoadDesign_CrossPoint route;
    // Straight on through a crossing point with a curve: no tangent intersection.
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400500, 500500, 800, 100, 100), CrossPoint("", 3401000, 501000)};
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    Tdfe t = Parse(ReadBytes(path));
    ASSERT_EQ(t.elements.size(), 2u);
    EXPECT_NEAR(t.elements[0].length, 500 * std::sqrt(2.0), 1e-6);
    EXPECT_NEAR(t.elements[1].value, 45.0, 1e-8);

    // Doubling back.
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400500, 500000, 800, 100, 100), CrossPoint("", 3400100, 500000)};
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    t = Parse(ReadBytes(path));
    ASSERT_EQ(t.elements.size(), 2u);
    EXPECT_NEAR(t.elements[1].value, 180.0, 1e-8);
    EXPECT_NEAR(route.m_RunningMileage, 900.0, 1e-6);

    // A crossing point on top of its neighbour, and negative transitions: finite output.
    route.m_CrossPoints = {CrossPoint("", 3400000, 500000), CrossPoint("", 3400000, 500000, 800, 100, 100), CrossPoint("", 3400500, 500300, 300, -50, 60),
                           CrossPoint("", 3401000, 500300)};
    ASSERT_EQ(route.RPtoTDFE(path), 1);
    const QByteArray bytes = ReadBytes(path);
    t = Parse(bytes);
    ASSERT_EQ(t.elements.size(), 5u); // R. (length 0), then R. CC CL and the closing R.
    EXPECT_EQ(t.elements[0].length, 0.0);
    EXPECT_EQ(t.elements[2].key, QStringLiteral("CC"));
    EXPECT_FALSE(bytes.contains("nan"));
    EXPECT_FALSE(bytes.contains("inf"));
    EXPECT_FALSE(bytes.contains("CL,-"));
}

TEST(RouteExamples, ExampleRoutesReadSaveByteIdenticalAndConvertCleanly)
{
    const QDir examples(QStringLiteral(TESVANE_SOURCE_DIR "/examples"));
    QTemporaryDir dir;
    int elementRoutes = 0;
    for (const QString& name : examples.entryList({QStringLiteral("*.RE")}, QDir::Files))
    {
        SCOPED_TRACE(name.toStdString());
        const QString path = examples.filePath(name);
        CRoadDesign_Element route;
        ASSERT_EQ(route.LibraryFile_Read(path), 1);
        ASSERT_GE(route.m_Elements.size(), 3u);
        EXPECT_EQ(route.m_Elements.front().type, 1);
        EXPECT_EQ(route.m_Elements[1].type, 2);
        EXPECT_EQ(route.m_Elements.back().type, 2);
        const QString copy = dir.filePath(name);
        ASSERT_EQ(route.LibraryFile_Save(copy), 1);
        EXPECT_EQ(ReadBytes(copy), ReadBytes(path));
        ASSERT_EQ(route.REToTDFE(copy + QStringLiteral(".TDFE")), 1);
        ++elementRoutes;
    }
    EXPECT_GE(elementRoutes, 3);

    int crossRoutes = 0;
    bool sawLongRoute = false;
    for (const QString& name : examples.entryList({QStringLiteral("*.RP")}, QDir::Files))
    {
        SCOPED_TRACE(name.toStdString());
        const QString path = examples.filePath(name);
        CRoadDesign_CrossPoint route;
        ASSERT_EQ(route.LibraryFile_Read(path), 1);
        const QString copy = dir.filePath(name);
        ASSERT_EQ(route.LibraryFile_Save(copy), 1);
        EXPECT_EQ(ReadBytes(copy), ReadBytes(path));

        const QString tdfe = copy + QStringLiteral(".TDFE");
        double end = 0.0;
        EXPECT_LT(LargestDeviation(route.m_CrossPoints, tdfe, &end), 1e-3);
        EXPECT_LT(end, 1e-3);
        ASSERT_EQ(route.RPtoTDFE(tdfe), 1);
        const Tdfe t = Parse(ReadBytes(tdfe));
        int curves = 0;
        for (const TdfeLine& e : t.elements)
        {
            EXPECT_GT(e.length, 0.0); // no overlapping tangents in the examples
            if (e.key == QStringLiteral("CC")) ++curves;
        }
        if (curves >= 40 && route.m_RunningMileage >= 20000.0) sawLongRoute = true;
        std::cout << "[ example  ] " << name.toStdString() << ": " << curves << " curves, "
                  << route.m_RunningMileage / 1000.0 << " km from station " << route.m_StartMileage << "\n";
        ++crossRoutes;
    }
    EXPECT_GE(crossRoutes, 3);
    EXPECT_TRUE(sawLongRoute);
}

TEST(RouteExamples, RoadModelFollowsTheWrittenElements)
{
    const QDir examples(QStringLiteral(TESVANE_SOURCE_DIR "/examples"));
    QTemporaryDir dir;
    // Crossing-point routes: the model's chain ends where the independent trace ends.
    for (const QString& name : examples.entryList({QStringLiteral("*.RP")}, QDir::Files))
    {
        SCOPED_TRACE(name.toStdString());
        CRoadDesign_CrossPoint route;
        ASSERT_EQ(route.LibraryFile_Read(examples.filePath(name)), 1);
        const QString tdfe = dir.filePath(name + QStringLiteral(".TDFE"));
        ASSERT_EQ(route.RPtoTDFE(tdfe), 1);
        const Trace tr = Follow(Parse(ReadBytes(tdfe)));
        CRoadDesign model;
        ASSERT_EQ(model.LoadTDFEFile(tdfe), 1);
        ASSERT_EQ(model.m_RoadElements.size(), tr.ends.size() + 1);
        double worst = 0.0;
        for (size_t i = 0; i < tr.ends.size(); ++i)
        {
            const CRoadElement& e = model.m_RoadElements[i + 1];
            worst = std::max(worst, std::hypot(e.m_EndX - tr.ends[i].first, e.m_EndY - tr.ends[i].second));
        }
        EXPECT_LT(worst, 1e-6);
        // Lengths are written with six decimals: the sum may differ by half a micrometre each.
        EXPECT_NEAR(model.m_RoadElements.back().m_EndStation, route.m_StartMileage + route.m_RunningMileage,
                    1e-6 * static_cast<double>(tr.ends.size()));
    }
    // Element routes: the exchange file loads into the same alignment as the route itself.
    for (const QString& name : examples.entryList({QStringLiteral("*.RE")}, QDir::Files))
    {
        SCOPED_TRACE(name.toStdString());
        CRoadDesign_Element route;
        ASSERT_EQ(route.LibraryFile_Read(examples.filePath(name)), 1);
        const QString tdfe = dir.filePath(name + QStringLiteral(".TDFE"));
        ASSERT_EQ(route.REToTDFE(tdfe), 1);
        CRoadDesign direct, viaFile;
        ASSERT_EQ(direct.LoadRoadData(&route), 1);
        ASSERT_EQ(viaFile.LoadTDFEFile(tdfe), 1);
        ASSERT_EQ(direct.m_RoadElements.size(), viaFile.m_RoadElements.size());
        for (size_t i = 0; i < direct.m_RoadElements.size(); ++i)
        {
            const CRoadElement& a = direct.m_RoadElements[i];
            const CRoadElement& b = viaFile.m_RoadElements[i];
            EXPECT_NEAR(a.m_EndX, b.m_EndX, 1e-5) << i;
            EXPECT_NEAR(a.m_EndY, b.m_EndY, 1e-5) << i;
            EXPECT_NEAR(a.m_EndStation, b.m_EndStation, 1e-5) << i;
        }
        EXPECT_EQ(viaFile.m_RoadName, route.m_RoadName);
    }
}
