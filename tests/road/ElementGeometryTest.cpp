// Straight and circular-curve elements, and the computed element record that chains them.

#include "road/CRoadElement.h"
#include "road/CXLine.h"
#include "road/CXYuan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kX0 = 3456789.123;
constexpr double kY0 = 512345.678;

struct Inverse
{
    int result = -1;
    double l = NAN, offset = NAN;
};

template <class Element>
Inverse Invert(const Element& e, double x, double y)
{
    Inverse r;
    r.result = e.Compute(x, y, r.l, r.offset);
    return r;
}

// Exposes the range test of the circle.
class ArcProbe : public CXYuan
{
public:
    using CXYuan::JudgeInRange;
};
} // namespace

TEST(CXLine, PointBesideTheMiddleOfNorthAndEastStraights)
{
    for (double bearing : {0.0, kPi / 2})
    {
        CXLine line;
        ASSERT_EQ(line.SetPars(kX0, kY0, bearing, 200), 1);
        // North: right is east (+y). East: right is south (−x).
        const double rx = bearing == 0.0 ? 0.0 : -1.0, ry = bearing == 0.0 ? 1.0 : 0.0;
        const double mx = kX0 + 100 * std::cos(bearing), my = kY0 + 100 * std::sin(bearing);
        for (double d : {7.5, -7.5})
        {
            const Inverse r = Invert(line, mx + d * rx, my + d * ry);
            EXPECT_EQ(r.result, 1);
            EXPECT_NEAR(r.l, 100.0, 1e-9);
            EXPECT_NEAR(r.offset, d, 1e-9);
        }
    }
}

TEST(CXLine, EndsAndFlagsAlongTheLine)
{
    CXLine line;
    line.SetPars(kX0, kY0, 2.0, 50);
    double ex = 0, ey = 0;
    line.GetVXY(50, ex, ey, 0);
    Inverse r = Invert(line, kX0 + 4e-7, kY0 - 4e-7);
    EXPECT_TRUE(r.result == 1 && r.l == 0.0 && r.offset == 0.0);
    r = Invert(line, ex - 4e-7, ey + 4e-7);
    EXPECT_TRUE(r.result == 1 && r.l == 50.0 && r.offset == 0.0);

    // Behind the start the distance is negative; 0.01 of slack at both ends.
    const struct
    {
        double l;
        int result;
    } cases[] = {{-0.005, 1}, {-0.5, 0}, {50.005, 1}, {50.5, 0}, {25, 1}};
    for (const auto& c : cases)
    {
        double x = 0, y = 0;
        line.GetVXY(c.l, x, y, -3.0);
        r = Invert(line, x, y);
        EXPECT_EQ(r.result, c.result) << c.l;
        EXPECT_NEAR(r.l, c.l, 1e-8);
        EXPECT_NEAR(r.offset, -3.0, 1e-8);
    }
}

TEST(CXLine, InverseKeepsFullPrecisionNearEastWestBearings)
{
    // Bearings within a hair of π/2 with large grid coordinates: a slope-intercept foot loses
    // about 1e-4 m here.
    for (double bearing : {kPi / 2 - 3e-6, kPi / 2 + 5e-7, 3 * kPi / 2 + 2e-6, 0.3})
    {
        CXLine line;
        line.SetPars(kX0, kY0, bearing, 800);
        for (double l : {0.5, 400.0, 799.0})
            for (double d : {-120.0, 0.0, 35.0})
            {
                double x = 0, y = 0;
                line.GetVXY(l, x, y, d);
                const Inverse r = Invert(line, x, y);
                EXPECT_NEAR(r.l, l, 1e-8) << bearing;
                EXPECT_NEAR(r.offset, d, 1e-8) << bearing;
            }
    }
}

TEST(CXYuan, RoundTripOnBothSidesBeyondTheCentreAndAcrossNorth)
{
    // Arcs turning 1.2 rad; start bearings chosen so that some arcs pass centre angle 0.
    for (double radius : {150.0, -150.0, 1200.0, -1200.0})
        for (double bearing : {0.0, 0.7, 1.5, 4.9, 6.2})
        {
            const double r = std::fabs(radius), sign = radius > 0 ? 1 : -1, length = 1.2 * r;
            CXYuan arc;
            ASSERT_EQ(arc.SetPars(kX0, kY0, bearing, length, radius), 1);
            for (int i = 0; i <= 24; ++i)
            {
                const double l = length * i / 24;
                // Outer side up to 500 m, inner side up to 0.9 R, and beyond the centre.
                for (double d : {-500.0, -40.0, 0.0, 3.0, 0.9 * r, r + 30.0})
                {
                    double b = 0, x = 0, y = 0;
                    arc.GetVXY(l, b, x, y, sign * d);
                    const Inverse q = Invert(arc, x, y);
                    EXPECT_EQ(q.result, 1) << radius << " " << bearing << " " << l << " " << d;
                    EXPECT_NEAR(q.l, l, 1e-7) << radius << " " << bearing << " " << d;
                    EXPECT_NEAR(q.offset, sign * d, 1e-7) << radius << " " << bearing << " " << l;
                }
            }
        }
}

TEST(CXYuan, CentreAndPointsOffTheArc)
{
    CXYuan right, left;
    right.SetPars(kX0, kY0, 0.4, 100, 300);
    left.SetPars(kX0, kY0, 0.4, 100, -300);
    Inverse q = Invert(right, kX0 - 300 * std::sin(0.4), kY0 + 300 * std::cos(0.4));
    EXPECT_TRUE(q.result == 1 && q.l == 0.0 && q.offset == 300.0);
    q = Invert(left, kX0 + 300 * std::sin(0.4), kY0 - 300 * std::cos(0.4));
    EXPECT_TRUE(q.result == 1 && q.l == 0.0 && q.offset == -300.0);

    // A point at the centre angle of l = 150 lies off a 100 m arc; so does the point behind the
    // start tangent.
    double b = 0, x = 0, y = 0;
    right.GetVXY(150, b, x, y, 10);
    EXPECT_EQ(Invert(right, x, y).result, 0);
    right.GetVXY(-40, b, x, y, 10);
    EXPECT_EQ(Invert(right, x, y).result, 0);
}

TEST(CXYuan, RangeTestAcrossCentreAngleZero)
{
    ArcProbe right, left;
    right.SetPars(0, 0, 0.5, 100, 100);
    left.SetPars(0, 0, 0.5, 100, -100);
    EXPECT_EQ(right.JudgeInRange(6.2, 6.0, 0.3, 1), 1);
    EXPECT_EQ(right.JudgeInRange(0.1, 6.0, 0.3, 1), 1);
    EXPECT_EQ(right.JudgeInRange(3.0, 6.0, 0.3, 1), 0);
    EXPECT_EQ(right.JudgeInRange(3.0, 6.0, 0.3, 0), 1); // 3.0 + π lies on the arc
    EXPECT_EQ(right.JudgeInRange(6.2, 6.0, 0.3, 0), 0);
    // A left turn runs from 0.3 down through 0 to 6.0.
    EXPECT_EQ(left.JudgeInRange(0.1, 0.3, 6.0, 1), 1);
    EXPECT_EQ(left.JudgeInRange(6.2, 0.3, 6.0, 1), 1);
    EXPECT_EQ(left.JudgeInRange(3.0, 0.3, 6.0, 1), 0);
    // Ordinary arcs, and the ends with their 1e-4 tolerance.
    EXPECT_EQ(right.JudgeInRange(2.0, 1.0, 3.0, 1), 1);
    EXPECT_EQ(right.JudgeInRange(0.99995, 1.0, 3.0, 1), 1);
    EXPECT_EQ(right.JudgeInRange(0.999, 1.0, 3.0, 1), 0);
    EXPECT_EQ(left.JudgeInRange(2.0, 3.0, 1.0, 1), 1);
    EXPECT_EQ(left.JudgeInRange(3.5, 3.0, 1.0, 1), 0);
}

// Two mended cases: the far half of an arc turning more than π (a hairpin), and a point a
// fraction of the range tolerance before the start, which must not come back near πR.
TEST(CXYuan, HairpinAndPointJustBeforeTheStart)
{
    for (double radius : {40.0, -40.0})
    {
        CXYuan arc;
        const double length = 40 * 200 * kPi / 180;
        arc.SetPars(kX0, kY0, 2.5, length, radius);
        for (double l : {10.0, 100.0, 130.0, length})
        {
            double b = 0, x = 0, y = 0;
            arc.GetVXY(l, b, x, y, radius > 0 ? 8.0 : -8.0);
            const Inverse q = Invert(arc, x, y);
            EXPECT_EQ(q.result, 1);
            EXPECT_NEAR(q.l, l, 1e-8);
        }
    }
    CXYuan arc;
    arc.SetPars(kX0, kY0, 0.2, 100, 600);
    double b = 0, x = 0, y = 0;
    arc.GetVXY(-0.02, b, x, y, 1.0);
    const Inverse q = Invert(arc, x, y);
    EXPECT_EQ(q.result, 1);
    EXPECT_NEAR(q.l, -0.02, 1e-8);
    EXPECT_NEAR(q.offset, 1.0, 1e-8);
}

TEST(CXYuan, BearingsStayInOneTurnAndZeroReadsAsFullTurn)
{
    CXYuan arc;
    ASSERT_EQ(arc.SetPars(0, 0, 0.0, 100, 500), 1);
    double b = 0, x = 0, y = 0;
    arc.GetVXY(0, b, x, y, 0);
    EXPECT_DOUBLE_EQ(b, 2 * kPi);
    CXYuan left;
    left.SetPars(0, 0, 0.1, 200, -500); // turns through north
    for (double l : {0.0, 50.0, 100.0, 200.0})
    {
        left.GetVXY(l, b, x, y, 0);
        EXPECT_GE(b, 1e-6);
        EXPECT_LE(b, 2 * kPi + 1e-6);
        EXPECT_NEAR(std::remainder(b - (0.1 - l / 500), 2 * kPi), 0.0, 1e-12);
    }
    EXPECT_EQ(arc.SetPars(0, 0, 0, 100, 5e-7), 0);
    EXPECT_EQ(Invert(arc, 10, 10).result, 0);
}

TEST(CRoadElement, AddParStoresByKind)
{
    CRoadElement e;
    EXPECT_EQ(e.AddPar(1, 512000.5, 3400000.25), 1);
    EXPECT_EQ(e.m_StartX, 3400000.25);
    EXPECT_EQ(e.m_StartY, 512000.5);
    EXPECT_EQ(e.AddPar(2, 100.0, 90.0), 1);
    EXPECT_DOUBLE_EQ(e.m_StartBearing, kPi / 2);
    EXPECT_EQ(e.m_Length, 100.0);

    CRoadElement c;
    EXPECT_EQ(c.AddPar(3, 0.0, 200.0), 0);
    EXPECT_EQ(c.m_Kind, 3);
    EXPECT_EQ(c.m_StartRadius, 200.0);
    EXPECT_EQ(c.AddPar(4, 1e-11, 0), 0);
    EXPECT_EQ(c.AddPar(5, 10, 10), 0);
    EXPECT_EQ(c.Compute(), 0);
}

namespace
{
CRoadElement Next(const CRoadElement& prev, int kind, double length, double radius)
{
    CRoadElement e;
    e.m_Kind = kind;
    e.m_Length = length;
    e.m_StartX = prev.m_EndX;
    e.m_StartY = prev.m_EndY;
    e.m_StartBearing = prev.m_EndBearing;
    e.m_StartStation = prev.m_EndStation;
    e.m_StartRadius = kind == 4 ? prev.m_EndRadius : radius;
    e.m_EndRadius = kind == 4 ? radius : 0.0;
    return e;
}
} // namespace

// A left-hand curve with unequal transitions and a compound part, chained record by record: the
// final bearing must equal the sum of the turns, and every point set out along the chain must
// come back with its station and offset.
TEST(CRoadElement, ChainedCurveTurnsByItsTotalAndInvertsEverywhere)
{
    CRoadElement start;
    start.AddPar(1, kY0, kX0);
    start.m_StartStation = 1000;
    ASSERT_EQ(start.Compute(), 1);
    std::vector<CRoadElement> chain{start};
    CRoadElement straight = Next(start, 2, 150, 0);
    straight.m_StartBearing = 5.9;
    chain.push_back(straight);
    const struct
    {
        int kind;
        double length, radius;
    } parts[] = {{2, 150, 0}, {4, 80, -400}, {3, 120, -400}, {4, 60, -250}, {3, 50, -250}, {4, 70, 0}, {2, 100, 0}};
    for (size_t i = 0; i < std::size(parts); ++i)
    {
        if (i > 0)
            chain.push_back(Next(chain.back(), parts[i].kind, parts[i].length, parts[i].radius));
        ASSERT_EQ(chain.back().Compute(), 1) << i;
    }
    const double turn = -(80 / 800.0 + 120 / 400.0 + 60 * (1 / 400.0 + 1 / 250.0) / 2 + 50 / 250.0 + 70 / 500.0);
    EXPECT_NEAR(std::remainder(chain.back().m_EndBearing - (5.9 + turn), 2 * kPi), 0.0, 1e-9);
    EXPECT_NEAR(chain.back().m_EndStation, 1000 + 630, 1e-9);

    for (size_t i = 1; i < chain.size(); ++i)
    {
        const CRoadElement& e = chain[i];
        for (double f : {0.05, 0.5, 0.95})
            for (double d : {-30.0, 0.0, 12.0})
            {
                const double station = e.m_StartStation + f * e.m_Length;
                double x = 0, y = 0, b = 0, s = 0, o = 0;
                ASSERT_EQ(e.GetAngleAndXY(station, x, y, b, d), 1);
                ASSERT_EQ(e.GetPegAndOffset(x, y, s, o), 1) << i;
                EXPECT_NEAR(s, station, 1e-6) << i;
                EXPECT_NEAR(o, d, 1e-6) << i;
            }
        // The end computed by the record is where its own geometry ends.
        double x = 0, y = 0, b = 0;
        e.GetAngleAndXY(e.m_EndStation, x, y, b, 0);
        EXPECT_NEAR(x, e.m_EndX, 1e-9);
        EXPECT_NEAR(y, e.m_EndY, 1e-9);
    }
}

TEST(CRoadElement, TransitionRadiiAndStartPointRecords)
{
    CRoadElement t;
    t.m_Kind = 4;
    t.m_Length = 50;
    t.m_StartStation = 10;
    t.m_StartRadius = 300;
    t.m_EndRadius = 300;
    EXPECT_EQ(t.Compute(), 0);
    t.m_EndRadius = -500;
    EXPECT_EQ(t.Compute(), 0);
    t.m_StartRadius = t.m_EndRadius = 0;
    t.m_EndX = 1;
    EXPECT_EQ(t.Compute(), 1); // nothing to compute, but the station carries on
    EXPECT_EQ(t.m_EndStation, 60);
    EXPECT_EQ(t.m_EndX, 1);

    CRoadElement start;
    start.AddPar(1, 5, 6);
    double x = 0, y = 0, b = 0, s = 0, o = 0;
    EXPECT_EQ(start.GetAngleAndXY(0, x, y, b, 0), 0);
    EXPECT_EQ(start.GetPegAndOffset(6, 5, s, o), 0);

    CRoadElement line;
    line.AddPar(2, 100, 30);
    line.m_StartX = kX0;
    line.m_StartY = kY0;
    line.m_StartStation = 500;
    ASSERT_EQ(line.Compute(), 1);
    ASSERT_EQ(line.GetAngleAndXY(610, x, y, b, 0), 1);
    EXPECT_NEAR(x, line.m_EndX + 10 * std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(y, line.m_EndY + 10 * std::sin(kPi / 6), 1e-9);
    EXPECT_EQ(b, line.m_StartBearing);
    EXPECT_EQ(line.GetPegAndOffset(x, y, s, o), 0); // 10 m beyond its end
}
