#pragma once

// Curve sampling for the drawing-exchange source: arcs, ellipse arcs, bulged polyline segments and
// B-splines turned into polylines once at import. Everything here works in DXF coordinates (X
// east, Y north) and refuses absurd input (not finite, beyond kMaxCoordinate, more than
// kMaxSamples points) instead of producing it, so one broken entity cannot exhaust memory or time.

#include <vector>

namespace dxfcurve
{
struct Pt
{
    double x = 0.0;
    double y = 0.0;
};

constexpr double kStep = 0.02;            // radians between arc samples
constexpr int kMaxSamples = 4096;         // points one curve may add
constexpr double kMaxCoordinate = 1e12;   // no drawing unit makes sense beyond this
constexpr int kMaxSplineDegree = 10;

bool Usable(double v);
bool Usable(const Pt& p);

// Appends the points of the ellipse c + major·cos t + ratio·perp(major)·sin t for t from t1 to t2.
// Counter-clockwise: t2 is raised by 2π while not greater than t1; clockwise: t2 is lowered while
// not less than t1. A span beyond a full turn is one full turn. The last point is exactly the
// point at t2. With `withStart` false the point at t1 is not appended (for chaining). False, and
// nothing appended, for unusable parameters.
bool SampleEllipseArc(Pt c, Pt major, double ratio, double t1, double t2, bool ccw, bool withStart,
                      std::vector<Pt>& out);

// Appends the points of the segment from a to b with the given bulge (tan of a quarter of the
// included angle; positive turns counter-clockwise), not a itself but b last. A bulge of 0 or one
// that is not finite gives b alone, as a chord.
void SampleBulge(Pt a, Pt b, double bulge, std::vector<Pt>& out);

// Appends points along the B-spline of the given degree over its control points (weights make
// it rational; empty weights mean 1). Knots that do not fit (wrong count, decreasing, not finite)
// are replaced by clamped uniform ones. False when the control points cannot make a curve of that
// degree (then the caller draws them as they are).
bool SampleSpline(int degree, const std::vector<Pt>& control, const std::vector<double>& weights,
                  const std::vector<double>& knots, std::vector<Pt>& out);
} // namespace dxfcurve
