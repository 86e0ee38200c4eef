// The curve-element table against the textbook formulas of a curve with transitions, worked out
// here by hand rather than through the library, and against the computed alignment itself.
#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CurveTable.h"
#include "road/StationText.h"
#include "RoadDesignFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using RoadFixtures::CrossPoint;

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

// Start 1000 m south of JD1 heading north, turn by `deflectionDegrees` (positive right) at JD1,
// run 800 m to the end.
CRoadDesign_CrossPoint OneCurve(double deflectionDegrees, double R, double l1, double l2, double startStation)
{
    CRoadDesign_CrossPoint route;
    const double b = deflectionDegrees * kRad;
    route.m_CrossPoints = {CrossPoint("QD", 3000000.0, 500000.0, 0, 0, 0, startStation), CrossPoint("JD1", 3001000.0, 500000.0, R, l1, l2),
                           CrossPoint("ZD", 3001000.0 + 800.0 * std::cos(b), 500000.0 + 800.0 * std::sin(b))};
    return route;
}

// Textbook p and q (two terms each, as printed in the design manuals).
double TextbookP(double R, double Ls) { return Ls * Ls / (24 * R) - std::pow(Ls, 4) / (2688 * R * R * R); }
double TextbookQ(double R, double Ls) { return Ls / 2 - std::pow(Ls, 3) / (240 * R * R); }

double MainPointStation(const CRoadDesign& road, const QString& name)
{
    for (const SurveyCoord& p : road.m_MainPoints)
        if (p.name == name) return p.note.toDouble();
    ADD_FAILURE() << "no main point " << name.toStdString();
    return NAN;
}

bool Compute(CRoadDesign_CrossPoint& route, CRoadDesign& road)
{
    QString text;
    return route.RPtoTDFEText(text) && road.LoadTDFEText(text);
}
} // namespace

TEST(CurveTable, SymmetricTransitionsMatchTextbookAndAlignment)
{
    // R = 500, Ls = 100, α = 30° right. By hand: p = 0.833036, q = 49.983333,
    // T = (R + p) tan 15° + q = 184.181141, L = R α + Ls = 361.799388,
    // E = (R + p) sec 15° − R = 18.500578, J = 2T − L = 6.562894.
    CRoadDesign_CrossPoint route = OneCurve(30.0, 500.0, 100.0, 100.0, 12000.0);
    const std::vector<CrossPointTableRow> rows = BuildCrossPointTable(route);
    ASSERT_EQ(rows.size(), 3u);
    const CrossPointTableRow& jd = rows[1];

    const double a = 30 * kRad, R = 500, Ls = 100;
    const double p = TextbookP(R, Ls), q = TextbookQ(R, Ls);
    const double T = (R + p) * std::tan(a / 2) + q;
    const double L = R * a + Ls;
    EXPECT_NEAR(T, 184.181141, 1e-5); // the formula typed right in this test
    EXPECT_NEAR(jd.entryTangent, T, 1e-4);
    EXPECT_NEAR(jd.exitTangent, T, 1e-4);
    EXPECT_NEAR(jd.curveLength, L, 1e-6);
    EXPECT_NEAR(jd.external, (R + p) / std::cos(a / 2) - R, 1e-4);
    EXPECT_NEAR(jd.tangentExcess, 2 * T - L, 2e-4);
    EXPECT_EQ(jd.side, 1);
    EXPECT_NEAR(jd.deflection, a, 1e-12);
    EXPECT_TRUE(jd.problem.isEmpty());

    // Stations: JD1 = 12000 + 1000; ZH = JD − T, HY = ZH + Ls, QZ = ZH + L/2, HZ = ZH + L; the end
    // lies 800 − J beyond JD1 along the alignment, 800 − T of it straight.
    EXPECT_NEAR(rows[0].station, 12000.0, 1e-9);
    EXPECT_NEAR(jd.station, 13000.0, 1e-9);
    EXPECT_NEAR(jd.zh, 13000.0 - T, 1e-4);
    EXPECT_NEAR(jd.hy, 13000.0 - T + Ls, 1e-4);
    EXPECT_NEAR(jd.qz, 13000.0 - T + L / 2, 1e-4);
    EXPECT_NEAR(jd.yh, 13000.0 - T + L - Ls, 1e-4);
    EXPECT_NEAR(jd.hz, 13000.0 - T + L, 1e-4);
    EXPECT_NEAR(jd.straightBefore, 1000.0 - T, 1e-4);
    EXPECT_NEAR(rows[2].station, 13800.0 - (2 * T - L), 2e-4);
    EXPECT_NEAR(rows[2].straightBefore, 800.0 - T, 1e-4);
    EXPECT_NEAR(rows[1].distanceFromPrevious, 1000.0, 1e-9);

    // The program's own alignment puts its main points at the same stations.
    CRoadDesign road;
    ASSERT_TRUE(Compute(route, road));
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("ZH-01")), jd.zh, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("HY-01")), jd.hy, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("QZ-01")), jd.qz, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("HZ-01")), jd.hz, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("ZD")), rows[2].station, 1e-3);
}

TEST(CurveTable, UnequalTransitionsMatchTextbookAndAlignment)
{
    // R = 600, Ls1 = 120, Ls2 = 80, α = 40° left. Unequal transitions move the tangent points by
    // (p1 − p2) / sin α: T1 = (R + p1) tan(α/2) + q1 − (p1 − p2)/sin α,
    // T2 = (R + p2) tan(α/2) + q2 + (p1 − p2)/sin α, L = R α + (Ls1 + Ls2)/2.
    CRoadDesign_CrossPoint route = OneCurve(-40.0, 600.0, 120.0, 80.0, 0.0);
    const std::vector<CrossPointTableRow> rows = BuildCrossPointTable(route);
    ASSERT_EQ(rows.size(), 3u);
    const CrossPointTableRow& jd = rows[1];

    const double a = 40 * kRad, R = 600, L1 = 120, L2 = 80;
    const double p1 = TextbookP(R, L1), q1 = TextbookQ(R, L1), p2 = TextbookP(R, L2), q2 = TextbookQ(R, L2);
    const double T1 = (R + p1) * std::tan(a / 2) + q1 - (p1 - p2) / std::sin(a);
    const double T2 = (R + p2) * std::tan(a / 2) + q2 + (p1 - p2) / std::sin(a);
    const double L = R * a + (L1 + L2) / 2;
    EXPECT_EQ(jd.side, -1);
    EXPECT_NEAR(jd.entryTangent, T1, 1e-4);
    EXPECT_NEAR(jd.exitTangent, T2, 1e-4);
    EXPECT_NEAR(jd.curveLength, L, 1e-6);
    EXPECT_NEAR(jd.tangentExcess, T1 + T2 - L, 2e-4);
    // Without a start station the start lies the first leg before JD1's (zero) station.
    EXPECT_NEAR(rows[0].station, -1000.0, 1e-9);
    EXPECT_NEAR(jd.zh, -T1, 1e-4);
    EXPECT_NEAR(jd.hy, -T1 + L1, 1e-4);
    EXPECT_NEAR(jd.yh, -T1 + L - L2, 1e-4);
    EXPECT_NEAR(jd.hz, -T1 + L, 1e-4);

    CRoadDesign road;
    ASSERT_TRUE(Compute(route, road));
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("ZH-01")), jd.zh, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("HY-01")), jd.hy, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("QZ-01")), jd.qz, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("YH-01")), jd.yh, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("HZ-01")), jd.hz, 1e-3);
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("ZD")), rows[2].station, 1e-3);

    // E is the distance from the crossing point to the circle: the alignment passes that close.
    double station = 0, offset = 0;
    ASSERT_TRUE(road.GetPegAndOffset(route.m_CrossPoints[1].point.x, route.m_CrossPoints[1].point.y, station, offset, 0, 0));
    EXPECT_NEAR(std::fabs(offset), jd.external, 1e-3);
    EXPECT_GT(station, jd.hy);
    EXPECT_LT(station, jd.yh);
}

TEST(CurveTable, SeveralCurvesCarryStationsAndStraights)
{
    // Two simple circular curves (no transitions): T = R tan(α/2), L = R α; the second crossing
    // point's station is the first's plus the distance between them less the first J.
    CRoadDesign_CrossPoint route;
    const double a1 = 90 * kRad, a2 = 90 * kRad, R1 = 200, R2 = 300;
    route.m_CrossPoints = {CrossPoint("QD", 0, 0, 0, 0, 0, 500.0), CrossPoint("JD1", 1000, 0, R1), CrossPoint("JD2", 1000, 1000, R2),
                           CrossPoint("ZD", 0, 1000)};
    const std::vector<CrossPointTableRow> rows = BuildCrossPointTable(route);
    ASSERT_EQ(rows.size(), 4u);
    const double T1 = R1 * std::tan(a1 / 2), L1 = R1 * a1, T2 = R2 * std::tan(a2 / 2), L2 = R2 * a2;
    EXPECT_NEAR(rows[1].station, 1500.0, 1e-9);
    EXPECT_NEAR(rows[2].station, 1500.0 + 1000.0 - (2 * T1 - L1), 1e-6);
    EXPECT_NEAR(rows[2].straightBefore, 1000.0 - T1 - T2, 1e-6);
    EXPECT_NEAR(rows[1].hy, rows[1].zh, 1e-12);     // ZY
    EXPECT_NEAR(rows[2].external, R2 * (std::sqrt(2.0) - 1), 1e-6);
    EXPECT_NEAR(rows[3].station, rows[2].station + 1000.0 - (2 * T2 - L2), 1e-6);
    EXPECT_EQ(rows[2].side, 1);

    CRoadDesign road;
    ASSERT_TRUE(Compute(route, road));
    EXPECT_NEAR(MainPointStation(road, QStringLiteral("ZD")), rows[3].station, 1e-3);
}

TEST(CurveTable, BendsOverlapsAndTooLongTransitionsAreReported)
{
    // A crossing point without radius is a plain bend: deflection shown, no curve elements.
    CRoadDesign_CrossPoint bend;
    bend.m_CrossPoints = {CrossPoint("QD", 0, 0), CrossPoint("JD1", 100, 0), CrossPoint("ZD", 200, 100)};
    std::vector<CrossPointTableRow> rows = BuildCrossPointTable(bend);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[1].curved);
    EXPECT_NEAR(rows[1].deflection, 45 * kRad, 1e-12);
    EXPECT_EQ(rows[1].side, 1);
    EXPECT_NEAR(rows[2].station, rows[1].station + std::hypot(100.0, 100.0), 1e-9);

    // Transitions of 400 m on R = 100 leave no room for the circle in 30°.
    rows = BuildCrossPointTable(OneCurve(30.0, 100.0, 400.0, 400.0, 0.0));
    EXPECT_FALSE(rows[1].problem.isEmpty());

    // Curves whose tangents overlap: the straight between them is negative and said so.
    CRoadDesign_CrossPoint tight;
    tight.m_CrossPoints = {CrossPoint("QD", 0, 0), CrossPoint("JD1", 1000, 0, 1000), CrossPoint("JD2", 1000, 100, 1000), CrossPoint("ZD", 0, 100)};
    rows = BuildCrossPointTable(tight);
    EXPECT_LT(rows[2].straightBefore, 0.0);
    EXPECT_TRUE(rows[2].problem.contains(QStringLiteral("重叠")));

    // Fewer than three points: no table, no crash.
    CRoadDesign_CrossPoint two;
    two.m_CrossPoints = {CrossPoint("QD", 0, 0), CrossPoint("ZD", 10, 0)};
    EXPECT_TRUE(BuildCrossPointTable(two).empty());
}

TEST(CurveTable, ElementTableFollowsTheComputedChain)
{
    CRoadDesign_CrossPoint route = OneCurve(30.0, 500.0, 100.0, 100.0, 12000.0);
    CRoadDesign road;
    ASSERT_TRUE(Compute(route, road));
    const std::vector<ElementTableRow> rows = BuildElementTable(road);
    ASSERT_EQ(rows.size(), 5u);
    const int kinds[] = {2, 4, 3, 4, 2};
    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ(rows[i].kind, kinds[i]);
        if (i > 0) EXPECT_NEAR(rows[i].startStation, rows[i - 1].endStation, 1e-9);
        EXPECT_NEAR(rows[i].endStation - rows[i].startStation, rows[i].length, 1e-6);
    }
    EXPECT_NEAR(rows[0].startStation, 12000.0, 1e-9);
    EXPECT_NEAR(rows[1].startRadius, 0.0, 1e-12);
    EXPECT_NEAR(rows[1].endRadius, 500.0, 1e-9);
    EXPECT_NEAR(rows[4].startBearing, 30 * kRad, 1e-6);
    EXPECT_TRUE(BuildElementTable(CRoadDesign()).empty());

    const std::vector<QStringList> text = ElementTableText(rows, StationStyle::KiloMark);
    ASSERT_EQ(text.size(), 6u);
    EXPECT_EQ(text[1][3], QStringLiteral("K12+000.000"));
    EXPECT_EQ(text[2][1], QStringLiteral("缓和曲线"));
    EXPECT_EQ(text[2][11], QStringLiteral("∞"));
    EXPECT_EQ(text[5][9], QStringLiteral("30°00′00″"));
}

TEST(CurveTable, CsvHasByteOrderMarkQuotingAndKiloMarks)
{
    CRoadDesign_CrossPoint route = OneCurve(30.0, 500.0, 100.0, 100.0, 12000.0);
    route.m_CrossPoints[1].point.name = QStringLiteral("JD,\"1\"");
    const std::vector<QStringList> table = CrossPointTableText(BuildCrossPointTable(route), StationStyle::KiloMark);
    ASSERT_EQ(table.size(), 4u);
    for (const QStringList& row : table) EXPECT_EQ(row.size(), table[0].size());
    EXPECT_EQ(table[2][1], QStringLiteral("K13+000.000"));
    EXPECT_EQ(table[2][4], QStringLiteral("30°00′00″"));
    EXPECT_EQ(table[2][5], QStringLiteral("右"));
    EXPECT_EQ(table[2][14], QStringLiteral("K12+815.819")); // ZH = 13000 − T

    const QByteArray csv = TableCsvBytes(table);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 5); // four rows and the empty text after the last line end
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("交点号,交点桩号,N(X),E(Y),转角")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("\"JD,\"\"1\"\"\",K13+000.000,")));
    EXPECT_TRUE(lines[4].isEmpty());
}

TEST(StationText, KiloMarksRoundCarryAndRead)
{
    EXPECT_EQ(FormatKiloMark(12345.678), QStringLiteral("K12+345.678"));
    EXPECT_EQ(FormatKiloMark(5.0), QStringLiteral("K0+005.000"));
    EXPECT_EQ(FormatKiloMark(12999.9996), QStringLiteral("K13+000.000"));
    EXPECT_EQ(FormatKiloMark(58123.4, 1), QStringLiteral("K58+123.4"));
    EXPECT_EQ(FormatKiloMark(1050.0, 0), QStringLiteral("K1+050"));
    EXPECT_EQ(FormatKiloMark(-12.345), QStringLiteral("-K0+012.345"));
    EXPECT_EQ(FormatKiloMark(-0.0001), QStringLiteral("K0+000.000"));
    EXPECT_EQ(FormatKiloMark(NAN), QStringLiteral("K0+000.000"));
    EXPECT_EQ(FormatKiloMark(2e12), QStringLiteral("2000000000000.000"));
    EXPECT_EQ(FormatStation(12345.678, StationStyle::Metres), QStringLiteral("12345.678"));

    double s = 0;
    EXPECT_TRUE(ParseStation(QStringLiteral("K12+345.678"), s));
    EXPECT_DOUBLE_EQ(s, 12345.678);
    EXPECT_TRUE(ParseStation(QStringLiteral(" dk3 + 200 "), s));
    EXPECT_DOUBLE_EQ(s, 3200.0);
    EXPECT_TRUE(ParseStation(QStringLiteral("-K0+012.5"), s));
    EXPECT_DOUBLE_EQ(s, -12.5);
    EXPECT_TRUE(ParseStation(QStringLiteral("12345.6"), s));
    EXPECT_DOUBLE_EQ(s, 12345.6);
    for (const char* bad : {"", "K12+1000", "K+5", "12a", "abc", "nan", "1e999", "K12+3+4"})
        EXPECT_FALSE(ParseStation(QString::fromUtf8(bad), s)) << bad;
}
