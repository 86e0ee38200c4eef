#include "geometry/CVector.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(CVector, AngleCoversTheFullTurnCounterClockwise)
{
    EXPECT_EQ(CVector(0, 0).angle(), 0.0);
    EXPECT_EQ(CVector(5e-7, 5e-7).angle(), 0.0); // too short to have a direction
    EXPECT_DOUBLE_EQ(CVector(-1, 0).angle(), M_PI);
    EXPECT_DOUBLE_EQ(CVector(0, -1).angle(), 1.5 * M_PI);
    EXPECT_DOUBLE_EQ(CVector(0, 2).angle(), 0.5 * M_PI);
    const double nearlyFull = CVector(1, -1e-12).angle();
    EXPECT_LT(nearlyFull, 2 * M_PI);
    EXPECT_GT(nearlyFull, 2 * M_PI - 1e-9);
    EXPECT_DOUBLE_EQ(CVector(1, 1).angleTo(CVector(1, 3)), 0.5 * M_PI);
}

TEST(CVector, RotationAndScalingAboutACentre)
{
    CVector p(2, 1);
    const CVector r = p.rotate(CVector(1, 1), M_PI / 2);
    EXPECT_NEAR(r.x, 1.0, 1e-12);
    EXPECT_NEAR(r.y, 2.0, 1e-12);
    EXPECT_EQ(r, p); // transformations change the vector and return it

    CVector q(3, 5);
    q.scale(CVector(1, 1), CVector(2, -1));
    EXPECT_EQ(q, CVector(5, -3));

    CVector m(3, 4);
    m.rotate(M_PI);
    EXPECT_NEAR(m.x, -3, 1e-12);
    EXPECT_NEAR(m.y, -4, 1e-12);
    EXPECT_NEAR(m.magnitude(), 5, 1e-12);
}

TEST(CVector, MirrorAcrossAxes)
{
    CVector p(2, 3);
    p.mirror(CVector(0, 0), CVector(1, 1)); // across y = x
    EXPECT_NEAR(p.x, 3, 1e-12);
    EXPECT_NEAR(p.y, 2, 1e-12);

    CVector onAxis(1, 1);
    onAxis.mirror(CVector(1, 1), CVector(5, 0));
    EXPECT_EQ(onAxis, CVector(1, 1));

    // Both axis points equal: the axis is taken parallel to x through that point.
    CVector q(2, 5);
    q.mirror(CVector(0, 1), CVector(0, 1));
    EXPECT_NEAR(q.x, 2, 1e-12);
    EXPECT_NEAR(q.y, -3, 1e-12);
}

TEST(CVector, WindowComparisonsAndExtremes)
{
    const CVector a(10, 0), b(0, 10);
    EXPECT_TRUE(CVector(5, 5).isInWindow(a, b));
    EXPECT_TRUE(CVector(10, 10).isInWindow(b, a)); // border included, corners in any order
    EXPECT_FALSE(CVector(10.0001, 5).isInWindow(a, b));
    EXPECT_FALSE(CVector(1, 2) == CVector(1, 2.0000000001));
    EXPECT_EQ(CVector::minimum(a, b), CVector(0, 0));
    EXPECT_EQ(CVector::maximum(a, b), CVector(10, 10));
    EXPECT_EQ(CVector::dotP(CVector(1, 2), CVector(3, -4)), -5.0);
    EXPECT_EQ(CVector(0, 0).lerp(CVector(10, -20), 0.25), CVector(2.5, -5));
    EXPECT_DOUBLE_EQ(CVector(1, 1).distanceTo(CVector(4, 5)), 5.0);
}
