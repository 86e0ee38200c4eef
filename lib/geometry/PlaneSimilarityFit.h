#pragma once

#include "platform/Export.h"

#include <vector>

// One point of a plane similarity fit: where it lies in the source frame and where it must go in
// the target frame.
struct PlanePointPair
{
    double sourceX = 0.0;
    double sourceY = 0.0;
    double targetX = 0.0;
    double targetY = 0.0;
};

// The least-squares plane similarity (the "four-parameter" transformation: rotation, scale and a
// shift) that carries the source points onto the target points, written about an origin O:
//   target = scale · R(rotation) · (source − O) + O + shift.
struct TESVANE_API PlaneSimilarityFit
{
    double sourceMeanX = 0.0;
    double sourceMeanY = 0.0;
    double targetMeanX = 0.0;
    double targetMeanY = 0.0;
    // The sum of squared distances of the source points from their centroid. When it is 0 every
    // source point coincides and nothing determines a rotation or a scale: they stay 0 and 1, and
    // each caller decides what such a fit means (and below which spread it trusts none).
    double sourceSpread = 0.0;
    double rotation = 0.0; // radians, counter-clockwise from source to target
    double scale = 1.0;

    // The shift that completes the transformation about the origin (ox, oy): it maps the source
    // centroid onto the target centroid.
    void ShiftAbout(double ox, double oy, double& dx, double& dy) const;
};

// Fits rotation and scale about the centroids. An empty list gives the identity with no spread.
TESVANE_API PlaneSimilarityFit FitPlaneSimilarity(const std::vector<PlanePointPair>& pairs);
