#include "road/CRoadConvert.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{
void AddPair(CRoadConvert& c, double sx, double sy, double tx, double ty)
{
    Road_convertfour p;
    p.sourceX = sx;
    p.sourceY = sy;
    p.targetX = tx;
    p.targetY = ty;
    c.m_PointPairs.push_back(p);
}
} // namespace

TEST(CRoadConvert, FitsAQuarterTurn)
{
    CRoadConvert c;
    AddPair(c, 1, 0, 0, 1);
    AddPair(c, 0, 2, -2, 0);
    ASSERT_EQ(c.CalFourParameter(), 1);
    EXPECT_NEAR(c.m_Theta, M_PI / 2, 1e-12);
    EXPECT_NEAR(c.m_K, 1.0, 1e-12);
    EXPECT_NEAR(c.m_Dx, 0.0, 1e-12);
    EXPECT_NEAR(c.m_Dy, 0.0, 1e-12);
}

TEST(CRoadConvert, RecoversAKnownSimilarityAndInvertsIt)
{
    // A survey-sized transformation: 3.4e6 N / 5e5 E, rotated by 0.3 rad and scaled.
    const double k = 1.0000123, th = 0.3, dx = 3400000.0, dy = 500000.0;
    CRoadConvert truth;
    truth.SetFourPar(dx, dy, th, k, 0, 0);
    CRoadConvert fit;
    for (int i = 0; i < 6; ++i)
    {
        double x = 100.0 * i, y = -50.0 * i * i;
        double tx = x, ty = y;
        truth.XYtoXY(tx, ty);
        AddPair(fit, x, y, tx, ty);
    }
    ASSERT_EQ(fit.CalFourParameter(), 1);
    EXPECT_NEAR(fit.m_K, k, 1e-12);
    EXPECT_NEAR(fit.m_Theta, th, 1e-12);
    double x = 123.456, y = -789.012;
    fit.XYtoXY(x, y);
    fit.XYtoXY1(x, y);
    EXPECT_NEAR(x, 123.456, 1e-6);
    EXPECT_NEAR(y, -789.012, 1e-6);
    // The centred copies are kept with each pair.
    EXPECT_NEAR(fit.m_PointPairs[0].centredSourceX, -250.0, 1e-9);
}

TEST(CRoadConvert, DegenerateAndEmptyFits)
{
    CRoadConvert single;
    AddPair(single, 5, 5, 100, -40);
    AddPair(single, 5, 5, 7, 8);
    ASSERT_EQ(single.CalFourParameter(), 1);
    EXPECT_EQ(single.m_K, 1.0);
    EXPECT_EQ(single.m_Theta, 0.0);
    EXPECT_EQ(single.m_Dx, 0.0);
    EXPECT_EQ(single.m_Dy, 0.0);

    CRoadConvert empty;
    empty.SetFourPar(1, 2, 0.5, 2, 0, 0);
    EXPECT_EQ(empty.CalFourParameter(), 0);
    EXPECT_EQ(empty.m_Dx, 1.0);
    EXPECT_EQ(empty.m_K, 2.0);

    // Before any fit the transformation is the identity, not garbage.
    CRoadConvert fresh;
    double x = 10, y = 20;
    fresh.XYtoXY(x, y);
    EXPECT_EQ(x, 10.0);
    EXPECT_EQ(y, 20.0);
}

TEST(CRoadConvert, ForwardUsesTheRotationCentre)
{
    // A quarter turn about (10, 0) with unit scale and no shift takes (11, 0) to (10, 1).
    CRoadConvert c;
    c.SetFourPar(0, 0, M_PI / 2, 1, 10, 0);
    double x = 11, y = 0;
    c.XYtoXY(x, y);
    EXPECT_NEAR(x, 10, 1e-12);
    EXPECT_NEAR(y, 1, 1e-12);
}
