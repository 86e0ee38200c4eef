#include "geometry/PlaneSimilarityFit.h"

#include <cmath>

void PlaneSimilarityFit::ShiftAbout(double ox, double oy, double& dx, double& dy) const
{
    const double c = scale * std::cos(rotation);
    const double s = scale * std::sin(rotation);
    dx = targetMeanX - c * (sourceMeanX - ox) + s * (sourceMeanY - oy) - ox;
    dy = targetMeanY - s * (sourceMeanX - ox) - c * (sourceMeanY - oy) - oy;
}

PlaneSimilarityFit FitPlaneSimilarity(const std::vector<PlanePointPair>& pairs)
{
    PlaneSimilarityFit fit;
    if (pairs.empty()) return fit;
    const double n = static_cast<double>(pairs.size());
    for (const PlanePointPair& p : pairs)
    {
        fit.sourceMeanX += p.sourceX;
        fit.sourceMeanY += p.sourceY;
        fit.targetMeanX += p.targetX;
        fit.targetMeanY += p.targetY;
    }
    fit.sourceMeanX /= n;
    fit.sourceMeanY /= n;
    fit.targetMeanX /= n;
    fit.targetMeanY /= n;

    // With centred coordinates the normal equations separate: a = k·cos θ and b = k·sin θ follow
    // from two sums over the spread of the source points.
    double a = 0.0, b = 0.0;
    for (const PlanePointPair& p : pairs)
    {
        const double sx = p.sourceX - fit.sourceMeanX, sy = p.sourceY - fit.sourceMeanY;
        const double tx = p.targetX - fit.targetMeanX, ty = p.targetY - fit.targetMeanY;
        a += tx * sx + ty * sy;
        b += sx * ty - tx * sy;
        fit.sourceSpread += sx * sx + sy * sy;
    }
    if (fit.sourceSpread != 0.0)
    {
        fit.rotation = std::atan2(b, a);
        fit.scale = std::sqrt(a * a + b * b) / fit.sourceSpread;
    }
    return fit;
}
