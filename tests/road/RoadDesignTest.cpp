#include "RoadDesignFixtures.h"

#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace RoadFixtures;

namespace
{
struct Recorded
{
    QString text, caption;
    MessageKind kind;
};

// Records library messages for the lifetime of the object.
class MessageRecorder
{
public:
    MessageRecorder()
    {
        m_previous = SetMessageHandler([this](const QString& t, const QString& c, MessageKind k) {
            messages.push_back({t, c, k});
            return MessageAnswer::Ok;
        });
    }
    ~MessageRecorder() { SetMessageHandler(m_previous); }
    std::vector<Recorded> messages;

private:
    MessageHandler m_previous;
};

QStringList Labels(const CRoadDesign& model)
{
    QStringList labels;
    for (const SurveyCoord& p : model.m_MainPoints) labels << p.name;
    return labels;
}

double AngleDifference(double a, double b) { return std::remainder(a - b, 2 * kPi); }
} // namespace

TEST(RoadDesign, MainPointsAreLabelledNumberedAndInStationOrder)
{
    CRoadDesign_Element route = HighwayRoute(12345.678);
    CRoadDesign model;
    ASSERT_EQ(model.LoadRoadData(&route), 1);
    EXPECT_EQ(model.IsLoad(), 1);
    EXPECT_EQ(model.m_RoadName, QStringLiteral("test route"));
    EXPECT_EQ(Labels(model), QStringList({"QD", "ZH-01", "HY-01", "QZ-01", "YH-01", "HZ-01", "ZH-02", "HY-02",
                                          "QZ-02", "YH-02", "HZ-02", "ZH-03", "HY-03", "QZ-03", "YH-03",
                                          "HY-04", "QZ-04", "YH-04", "HZ-03", "ZD"}));
    // A transition between two arcs repeats the label of the point before it ("YH-03"): only the
    // second arc after it gets a new one.
    ASSERT_EQ(model.m_MainPoints.size(), 20u);
    EXPECT_EQ(model.m_MainPoints[0].note, QStringLiteral("12345.6780"));
    EXPECT_EQ(model.m_MainPoints[1].note, QStringLiteral("12665.6780"));
    EXPECT_EQ(model.m_MainPoints[3].note, QStringLiteral("12915.6780")); // 12785.678 + 260 / 2
    double total = 0;
    for (const Road_Element& e : route.m_Elements) total += e.length;
    EXPECT_EQ(model.m_MainPoints.back().note, QString::asprintf("%.4f", 12345.678 + total));
    for (size_t i = 1; i < model.m_MainPoints.size(); ++i)
        EXPECT_LE(model.m_MainPoints[i - 1].note.toDouble(), model.m_MainPoints[i].note.toDouble());

    // Main points lie on the centre line at their stations, and the extent is theirs.
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const SurveyCoord& p : model.m_MainPoints)
    {
        double x = 0, y = 0, b = 0;
        ASSERT_EQ(model.GetAngleAndXY(p.note.toDouble(), x, y, b, 0), 1);
        EXPECT_NEAR(x, p.x, 1e-3) << p.name.toStdString();
        EXPECT_NEAR(y, p.y, 1e-3) << p.name.toStdString();
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    double a = 0, b = 0, c = 0, d = 0;
    ASSERT_EQ(model.GetRange(a, b, c, d, 0), 1);
    EXPECT_EQ(a, minX);
    EXPECT_EQ(b, maxX);
    EXPECT_EQ(c, minY);
    EXPECT_EQ(d, maxY);
}

TEST(RoadDesign, PositionAndBearingAreContinuousAcrossEveryJoint)
{
    for (unsigned seed : {1u, 2u, 3u})
    {
        CRoadDesign_Element route = seed == 1 ? HighwayRoute() : RandomRoute(120, seed);
        CRoadDesign model;
        ASSERT_EQ(model.LoadRoadData(&route), 1);
        const auto& r = model.m_RoadElements;
        for (size_t i = 2; i < r.size(); ++i)
        {
            const double joint = r[i].m_StartStation;
            ASSERT_EQ(joint, r[i - 1].m_EndStation);
            for (double offset : {0.0, -7.5, 12.0})
            {
                double x1 = 0, y1 = 0, b1 = 0, x2 = 0, y2 = 0, b2 = 0;
                ASSERT_EQ(r[i - 1].GetAngleAndXY(joint, x1, y1, b1, offset), 1);
                ASSERT_EQ(r[i].GetAngleAndXY(joint, x2, y2, b2, offset), 1);
                EXPECT_LT(std::hypot(x1 - x2, y1 - y2), 1e-6) << "seed " << seed << " joint " << i;
                EXPECT_LT(std::fabs(AngleDifference(b1, b2)), 1e-9) << "seed " << seed << " joint " << i;
            }
        }
    }
}

TEST(RoadDesign, ForwardAndInverseRoundTripAlongTheWholeRoute)
{
    CRoadDesign_Element route = HighwayRoute(500.0);
    CRoadDesign model;
    ASSERT_EQ(model.LoadRoadData(&route), 1);
    const double start = model.m_RoadElements.front().m_StartStation;
    const double end = model.m_RoadElements.back().m_EndStation;
    for (double s = start; s <= end; s += 0.7)
        for (double offset : {-25.0, -3.0, 0.0, 4.5, 30.0})
        {
            double x = 0, y = 0, b = 0, s2 = 0, o2 = 0;
            ASSERT_EQ(model.GetAngleAndXY(s, x, y, b, offset), 1) << s;
            EXPECT_GT(b, 1e-5);
            EXPECT_LE(b, 2 * kPi + 1e-5);
            ASSERT_EQ(model.GetPegAndOffset(x, y, s2, o2, 0, 0), 1) << s << " " << offset;
            EXPECT_NEAR(s2, s, 1e-5) << offset;
            EXPECT_NEAR(o2, offset, 1e-5) << s;
            // The same through the station window around the station itself.
            ASSERT_EQ(model.GetPegAndOffset(x, y, s2, o2, 1, s), 1);
            EXPECT_NEAR(s2, s, 1e-5);
        }
    // Offsets are positive to the right of the direction of travel.
    double x0 = 0, y0 = 0, b0 = 0, xr = 0, yr = 0;
    model.GetAngleAndXY(600, x0, y0, b0, 0);
    model.GetAngleAndXY(600, xr, yr, b0, 2);
    EXPECT_NEAR(xr - x0, -2 * std::sin(b0), 1e-9);
    EXPECT_NEAR(yr - y0, 2 * std::cos(b0), 1e-9);
    // At exactly the start the first element answers; outside the route nothing does.
    double x = 0, y = 0, b = 0;
    ASSERT_EQ(model.GetAngleAndXY(start, x, y, b, 0), 1);
    EXPECT_EQ(x, 3400000.0);
    EXPECT_EQ(y, 500000.0);
    EXPECT_NEAR(b, 35.5 * kPi / 180, 1e-15);
    EXPECT_EQ(model.GetAngleAndXY(start - 0.01, x, y, b, 0), 0);
    EXPECT_EQ(model.GetAngleAndXY(end + 0.01, x, y, b, 0), 0);
}

// A tight bend: a point inside it lies beside both straights and beyond the arc's centre; the
// answer is the element with the smallest offset, and the station window and the station limit
// pick among the elements they allow.
TEST(RoadDesign, InverseInsideABendTakesTheSmallestOffset)
{
    CRoadDesign_Element route;
    route.m_Elements = {Point(0, 0), Line(100, 0.0), Arc(kPi / 2 * 30, 30), Line(100)};
    CRoadDesign model;
    ASSERT_EQ(model.LoadRoadData(&route), 1);
    // North from the origin, right round the centre (100, 30), then east along x = 130.
    const double arcEnd = 100 + kPi / 2 * 30;
    struct Case
    {
        double x, y, station, offset;
    } cases[] = {
        {95, 33, 95, 33},          // first straight 33, last straight 35, arc 30 + 5.83
        {97, 36, arcEnd + 6, 33},  // first straight 36, last straight 33
        {95, 35, arcEnd + 5, 35},  // a tie: the later element wins
    };
    for (const Case& c : cases)
    {
        int claims = 0;
        for (const CRoadElement& r : model.m_RoadElements)
        {
            double rs = 0, ro = 0;
            claims += r.GetPegAndOffset(c.x, c.y, rs, ro);
        }
        EXPECT_EQ(claims, 3) << c.x << "," << c.y;
        double s = 0, o = 0;
        ASSERT_EQ(model.GetPegAndOffset(c.x, c.y, s, o, 0, 0), 1);
        EXPECT_NEAR(s, c.station, 1e-9) << c.x << "," << c.y;
        EXPECT_NEAR(o, c.offset, 1e-9) << c.x << "," << c.y;
    }

    // The route runs east, turns left round and comes back west 100 m further north.
    CRoadDesign_Element loop;
    loop.m_Elements = {Point(0, 0), Line(1000, 90.0), Arc(kPi * 50, -50), Line(1000)};
    CRoadDesign back;
    ASSERT_EQ(back.LoadRoadData(&loop), 1);
    const double returnStation = 1000 + kPi * 50 + 500;
    double s = 0, o = 0;
    ASSERT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 0, 0), 1);
    EXPECT_NEAR(s, 500.0, 1e-6);
    EXPECT_NEAR(o, -40.0, 1e-6); // north of an eastward road is its left
    // The window keeps the answer near the given station, though the first leg is nearer.
    ASSERT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 1, returnStation), 1);
    EXPECT_NEAR(s, returnStation, 1e-6);
    EXPECT_NEAR(o, -60.0, 1e-6);
    // A window that holds no claiming element falls back to the whole route.
    ASSERT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 1, 5000), 1);
    EXPECT_NEAR(s, 500.0, 1e-6);
    // The station limit applies to every query until it is switched off.
    back.SetPegLimitPar(1, 1200, 1100);
    ASSERT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 0, 0), 1);
    EXPECT_NEAR(s, returnStation, 1e-6);
    back.SetPegLimitPar(1, 3000, 4000);
    EXPECT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 0, 0), 0);
    back.SetPegLimitPar(0, 0, 0);
    ASSERT_EQ(back.GetPegAndOffset(40.0, 500.0, s, o, 0, 0), 1);
    EXPECT_NEAR(s, 500.0, 1e-6);
    // A point no element claims: behind the start, outside the arc's sector and its mirror.
    EXPECT_EQ(model.GetPegAndOffset(-50.0, -50.0, s, o, 0, 0), 0);
}

TEST(RoadDesign, RefusedRoutesLeaveTheModelUnloadedAndSilentToQueries)
{
    MessageRecorder recorder;
    CRoadDesign model;
    EXPECT_EQ(model.LoadRoadData(nullptr), 0);

    CRoadDesign_Element tooShort;
    tooShort.m_Elements = {Point(1, 2), Arc(0.0, 100), Spiral(1e-11)};
    EXPECT_EQ(model.LoadRoadData(&tooShort), 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, QString::fromUtf8("道路元素不能少于2个!"));
    EXPECT_EQ(recorder.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(recorder.messages[0].kind, MessageKind::Warning);

    const std::vector<std::vector<Road_Element>> refused = {
        {Point(0, 0), Arc(100, 300), Line(100)},                   // curve with no bearing to start from
        {Point(0, 0), Line(100, 10), Spiral(50)},                  // transition with nothing after it
        {Point(0, 0), Line(100, 10), Spiral(50), Line(100)},       // transition between two straights
        {Point(0, 0), Line(100, 10), Spiral(50), Arc(50, 300), Spiral(50), Arc(50, 300), Line(10)}, // equal radii
        {Point(0, 0), Line(std::nan(""), 10), Line(100)},          // NaN length
        {Point(0, 0), Line(1e308, 10), Line(1e308)},               // overflows to infinity
        {Line(100, 10), Line(100, 10)},                            // no start point
    };
    for (size_t k = 0; k < refused.size(); ++k)
    {
        CRoadDesign_Element route;
        route.m_Elements = refused[k];
        EXPECT_EQ(model.LoadRoadData(&route), 0) << k;
        EXPECT_EQ(model.IsLoad(), 0);
        double x = 0, y = 0, b = 0, s = 0, o = 0;
        EXPECT_EQ(model.GetAngleAndXY(50, x, y, b, 0), 0) << k;
        EXPECT_EQ(model.GetPegAndOffset(0, 0, s, o, 0, 0), 0) << k;
    }
    EXPECT_EQ(recorder.messages.size(), 1u);

    // A good load after a failed one answers again; UnLoad clears all but the extent.
    CRoadDesign_Element good = HighwayRoute();
    ASSERT_EQ(model.LoadRoadData(&good), 1);
    model.SetPegLimitPar(1, 0, 100);
    model.UnLoad();
    EXPECT_EQ(model.IsLoad(), 0);
    EXPECT_TRUE(model.m_RoadElements.empty());
    EXPECT_TRUE(model.m_MainPoints.empty());
    EXPECT_TRUE(model.m_RoadName.isEmpty());
    EXPECT_EQ(model.m_PegLimitOn, 0);
    EXPECT_NE(model.m_MaxX, 0.0);
    double a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(model.GetRange(a, b, c, d, 1), 0);
}

TEST(RoadDesign, PackedDegreesBothWays)
{
    EXPECT_EQ(CRoadDesign::RAD(kPi / 4, 0), 45.0);
    const double bearing = (30 + 15 / 60.0 + 30 / 3600.0) * kPi / 180;
    EXPECT_EQ(QString::asprintf("%.10f", CRoadDesign::RAD(bearing, 0)), QStringLiteral("30.1530000000"));
    EXPECT_NEAR(CRoadDesign::RAD(30.1530, 1), bearing, 1e-15);
    // Seconds that round up carry into minutes and degrees.
    EXPECT_EQ(CRoadDesign::RAD((59 + 59 / 60.0 + 59.9999999 / 3600) * kPi / 180, 0), 60.0);
    EXPECT_EQ(CRoadDesign::RAD(-kPi / 4, 0), -45.0);
    EXPECT_EQ(CRoadDesign::RAD(1e-12, 0), 0.0);
    EXPECT_EQ(CRoadDesign::RAD(1e-12, 1), 0.0);
    EXPECT_NEAR(CRoadDesign::RAD(-45.3015, 1), -(45 + 30 / 60.0 + 15 / 3600.0) * kPi / 180, 1e-15);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> angle(0.001, 2 * kPi);
    for (int i = 0; i < 10000; ++i)
    {
        const double a = angle(rng);
        const double packed = CRoadDesign::RAD(a, 0);
        const double minutes = std::fmod(packed * 100, 100), seconds = std::fmod(packed * 10000, 100);
        ASSERT_LT(minutes, 60.0);
        ASSERT_LT(seconds, 60.0);
        // Ten decimals of the packed form are 1e-6 of a second.
        ASSERT_NEAR(CRoadDesign::RAD(packed, 1), a, 1e-11) << a;
    }
}
