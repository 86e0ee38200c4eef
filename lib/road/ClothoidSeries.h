#pragma once

// Internal helpers shared by the two transition-curve classes (CXHuanQu, CXLuoXuan). Not part of
// the library's binary interface.
//
// The clothoid is evaluated in a local frame whose origin is the zero-curvature point, whose +u
// axis is the tangent there, and in which the curve bends towards +v. With A² the clothoid
// parameter squared, the tangent turn at distance s is tau = s²/(2A²).

namespace ClothoidSeries
{

// Fresnel series of the clothoid point at distance s, summing `terms` terms of each coordinate
// (the callers use 6 or 7).
void Point(double s, double a2, int terms, double& u, double& v);

// cos tau and sin tau as 6-term power series in tau (the derivative of the 6-term point series).
double CosSeries(double tau);
double SinSeries(double tau);

// Normal-foot function (u(s) - u)/tan tau + (v(s) - v), zero when the normal at s passes through
// (u, v), and its derivative with respect to s. Both are singular at s = 0 (tau = 0); callers
// must check the results for finiteness.
double Fx(double s, double u, double v, double a2);
double Fxl(double s, double u, double v, double a2);

// Refines a clothoid distance s so that the normal of the 6-term series curve at s passes exactly
// through the local point (u, v). Uses Newton's method on (P(s) - Q)·T(s) = 0, with T the unit
// tangent at bearing tau; this condition has no singularity at s = 0. Returns false, leaving s
// unchanged, when the iteration does not converge to a distance minimum (for instance a point
// beyond the curve's evolute) or produces a non-finite value.
bool RefineFoot(double a2, double u, double v, double& s);

// Finds the clothoid distance of the normal foot of the local point (u, v) on the part of the
// curve that belongs to an element, [sLow, sHigh]. `s` carries a first estimate in and the answer
// out. The estimate is refined first; when that fails or leads to a foot far from the element
// (another branch of the spiral), the foot condition is scanned over the element's range widened
// by its length on both sides, and the foot nearest to the point is taken. Returns false, leaving
// s unchanged, when no foot is found.
bool SolveFoot(double a2, double u, double v, double sLow, double sHigh, double& s);

// Reflects (x, y) in the straight line through (px, py) with the given bearing.
void Reflect(double px, double py, double bearing, double& x, double& y);

// Everything the forward evaluation of a transition element needs.
struct Placement
{
    double a2 = 0.0;            // A²
    double originX = 0.0;       // zero-curvature point of the underlying clothoid
    double originY = 0.0;
    double originBearing = 0.0; // tangent bearing there
    double givenX = 0.0;        // start of the element: mirror line for left/right
    double givenY = 0.0;
    double givenBearing = 0.0;
    bool forward = true;        // travel runs with increasing clothoid distance
    bool mirrored = false;      // the element bends the other way from the series
};

// Point and bearing at clothoid distance s, shifted by `offset` to the right of the direction of
// travel. The bearing is normalised into [0, 2π].
void Evaluate(const Placement& p, double s, double offset, double& bearing, double& x, double& y);

} // namespace ClothoidSeries
