#include "geometry/PlaneSimilarityFit.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(PlaneSimilarityFit, RecoversRotationScaleAndShiftAboutAnyOrigin)
{
    // target = k·R(θ)·(source − O) + O + shift, with survey-sized coordinates.
    const double k = 0.99998, th = -0.7, ox = 3400000.0, oy = 500000.0, sx = 12.5, sy = -40.25;
    std::vector<PlanePointPair> pairs;
    for (int i = 0; i < 5; ++i)
    {
        const double x = ox + 150.0 * i, y = oy - 30.0 * i * i;
        const double dx = x - ox, dy = y - oy;
        pairs.push_back({x, y, k * (std::cos(th) * dx - std::sin(th) * dy) + ox + sx,
                         k * (std::sin(th) * dx + std::cos(th) * dy) + oy + sy});
    }
    const PlaneSimilarityFit fit = FitPlaneSimilarity(pairs);
    EXPECT_NEAR(fit.rotation, th, 1e-12);
    EXPECT_NEAR(fit.scale, k, 1e-12);
    EXPECT_GT(fit.sourceSpread, 0.0);
    double dx = 0, dy = 0;
    fit.ShiftAbout(ox, oy, dx, dy);
    EXPECT_NEAR(dx, sx, 1e-6);
    EXPECT_NEAR(dy, sy, 1e-6);
    // About another origin the shift differs, the transformation does not.
    const double px = pairs[3].sourceX, py = pairs[3].sourceY;
    fit.ShiftAbout(0.0, 0.0, dx, dy);
    const double c = fit.scale * std::cos(fit.rotation), s = fit.scale * std::sin(fit.rotation);
    EXPECT_NEAR(c * px - s * py + dx, pairs[3].targetX, 1e-6);
    EXPECT_NEAR(s * px + c * py + dy, pairs[3].targetY, 1e-6);
}

TEST(PlaneSimilarityFit, CoincidentOrMissingSourcesDetermineNoRotation)
{
    const PlaneSimilarityFit none = FitPlaneSimilarity({});
    EXPECT_EQ(none.sourceSpread, 0.0);
    EXPECT_EQ(none.scale, 1.0);

    const PlaneSimilarityFit same = FitPlaneSimilarity({{5, 5, 10, 0}, {5, 5, 20, 4}});
    EXPECT_EQ(same.sourceSpread, 0.0);
    EXPECT_EQ(same.rotation, 0.0);
    EXPECT_EQ(same.scale, 1.0);
    EXPECT_EQ(same.targetMeanX, 15.0);
    EXPECT_EQ(same.targetMeanY, 2.0);
}
