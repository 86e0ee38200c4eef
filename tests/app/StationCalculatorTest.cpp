// The station/offset calculator on a route whose points can be worked out by hand: 100 m due
// north from (1000, 2000) at station 5000, then a right-hand circle of R = 100 through 90°.
#include "app/core/MapViewLogic.h"
#include "app/core/StationCalculator.h"
#include "app/core/StationDisplay.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846;

Road_Element Make(int type, double length = 0, double radius = 0, double x = 0, double y = 0)
{
    Road_Element e;
    e.type = type;
    e.length = length;
    e.radius = radius;
    e.point.x = x;
    e.point.y = y;
    return e;
}

class Calculator : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CRoadDesign_Element route;
        route.m_StartMileage = 5000.0;
        route.m_Elements = {Make(1, 0, 0, 1000, 2000), Make(2, 100), Make(3, 50 * kPi, 100)};
        ASSERT_TRUE(road.LoadRoadData(&route));
    }
    CRoadDesign road;
};
} // namespace

TEST_F(Calculator, ForwardAndInverseAgreeWithHandComputation)
{
    CStationCalculator calc(road);
    // On the straight: 5 m right of north is 5 m east.
    CalculatorResult r = calc.ForwardText(QStringLiteral("K5+060"), QStringLiteral("5"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_NEAR(r.x, 1060.0, 1e-9);
    EXPECT_NEAR(r.y, 2005.0, 1e-9);
    EXPECT_NEAR(r.bearing, 0.0, 1e-12);

    // On the circle, centre (1100, 2100): θ = (s − 5100)/R, the point R − d from the centre for d
    // right (towards it): N = 1100 + (R − d) sin θ, E = 2100 − (R − d) cos θ, bearing θ.
    const double s = 5100.0 + 30.0, d = -4.0, theta = 30.0 / 100.0;
    r = calc.Forward(s, d);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r.x, 1100.0 + (100.0 - d) * std::sin(theta), 1e-6);
    EXPECT_NEAR(r.y, 2100.0 - (100.0 - d) * std::cos(theta), 1e-6);
    EXPECT_NEAR(r.bearing, theta, 1e-9);

    // And back.
    const CalculatorResult back = calc.Inverse(r.x, r.y);
    ASSERT_TRUE(back.ok);
    EXPECT_NEAR(back.station, s, 1e-6);
    EXPECT_NEAR(back.offset, d, 1e-6);
    const QStringList fields = CStationCalculator::ResultFields(back, StationStyle::KiloMark);
    EXPECT_EQ(fields[1], QStringLiteral("K5+130.000"));
    EXPECT_EQ(fields[2], QStringLiteral("4.000"));
    EXPECT_EQ(fields[3], QStringLiteral("左"));

    // The ends belong to the route; beyond them nothing is answered.
    EXPECT_TRUE(calc.Forward(5000.0, 0).ok);
    EXPECT_TRUE(calc.Forward(5100.0 + 50 * kPi, 0).ok);
    r = calc.Forward(4999.0, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(QStringLiteral("K5+000.000"))) << r.message.toStdString();
    EXPECT_FALSE(calc.Inverse(900.0, 2000.0).ok); // before the start
    EXPECT_FALSE(calc.ForwardText(QStringLiteral("K5+1000"), QString()).ok);
    EXPECT_FALSE(calc.InverseText(QStringLiteral("1e999"), QStringLiteral("2000")).ok);
    EXPECT_FALSE(CStationCalculator(CRoadDesign()).Forward(0, 0).ok);
}

TEST_F(Calculator, PastedListsKeepEveryLineInOrder)
{
    CStationCalculator calc(road);
    const std::vector<CalculatorResult> fwd =
        calc.ForwardList(QStringLiteral("P1, K5+010, -2\r\n\r\n5050\tbad\nP3 K9+000\nK5+020 1 2\n"));
    ASSERT_EQ(fwd.size(), 4u);
    EXPECT_TRUE(fwd[0].ok);
    EXPECT_EQ(fwd[0].name, QStringLiteral("P1"));
    EXPECT_NEAR(fwd[0].y, 1998.0, 1e-9);
    EXPECT_FALSE(fwd[1].ok);
    EXPECT_TRUE(fwd[1].message.startsWith(QStringLiteral("第 3 行"))) << fwd[1].message.toStdString();
    EXPECT_FALSE(fwd[2].ok); // beyond the end
    EXPECT_EQ(fwd[2].name, QStringLiteral("P3"));
    EXPECT_FALSE(fwd[3].ok); // too many fields

    const std::vector<CalculatorResult> inv = calc.InverseList(QStringLiteral("A 1050 2003\n1020,1990\nB 1050\n"));
    ASSERT_EQ(inv.size(), 3u);
    EXPECT_NEAR(inv[0].station, 5050.0, 1e-9);
    EXPECT_NEAR(inv[0].offset, 3.0, 1e-9);
    EXPECT_NEAR(inv[1].offset, -10.0, 1e-9);
    EXPECT_FALSE(inv[2].ok);

    const QString text = CStationCalculator::ResultsText(inv, StationStyle::Metres);
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("名称\t里程\t偏距\t侧\tN(X)\tE(Y)\t方位角\t说明"));
    EXPECT_EQ(lines[1], QStringLiteral("A\t5050.000\t3.000\t右\t1050.0000\t2003.0000\t0°00′00″\t"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("B\t\t")));
}

TEST(ViewSteps, WheelNotchesAndStatusDigitsFollowTheScale)
{
    // Each notch changes the scale by 1.25 to 1.5 and lands on a bar of the series; in and out
    // come back to where they started.
    double s = 1.0;
    for (int i = 0; i < 12; ++i)
    {
        const double next = WheelScale(s, 1);
        EXPECT_GE(s / next, 1.25 - 1e-9) << s;
        EXPECT_LE(s / next, 1.5 + 1e-9) << s;
        EXPECT_NEAR(WheelScale(next, -1), s, s * 1e-9);
        s = next;
    }
    EXPECT_NEAR(WheelScale(1.0, 3), 0.4, 1e-12); // bars of 100 → 75 → 50 → 40 m
    EXPECT_EQ(WheelScale(kMinMapScale, 1), kMinMapScale);
    EXPECT_EQ(WheelScale(kMaxMapScale, -1), kMaxMapScale);
    EXPECT_NEAR(WheelScale(1.2, 1), 1.0, 1e-12); // off the series: the next bar below

    EXPECT_EQ(DecimalsForScale(5.0), 0);
    EXPECT_EQ(DecimalsForScale(1.0), 0);
    EXPECT_EQ(DecimalsForScale(0.5), 1);
    EXPECT_EQ(DecimalsForScale(0.1), 1);
    EXPECT_EQ(DecimalsForScale(0.02), 2);
    EXPECT_EQ(DecimalsForScale(0.0001), 3);
    EXPECT_EQ(DecimalsForScale(0.0), 3);
}
