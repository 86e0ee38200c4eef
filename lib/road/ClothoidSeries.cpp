#include "road/ClothoidSeries.h"

#include "geometry/Angle.h"

#include <algorithm>
#include <cmath>

namespace ClothoidSeries
{
namespace
{

using Angle::kTwoPi;

// Coefficients of the point series in powers of tau²:
//   u = s · Σ (−1)ⁿ tau²ⁿ / ((4n+1)·(2n)!),   v = s · Σ (−1)ⁿ tau²ⁿ⁺¹ / ((4n+3)·(2n+1)!)
// which is the usual Fresnel series s⁴ⁿ⁺¹/((4n+1)(2n)!(2A²)²ⁿ) written with tau = s²/(2A²).
constexpr int kMaxTerms = 7;
constexpr double kUCoef[kMaxTerms] = {
    1.0,
    -1.0 / (5.0 * 2.0),
    1.0 / (9.0 * 24.0),
    -1.0 / (13.0 * 720.0),
    1.0 / (17.0 * 40320.0),
    -1.0 / (21.0 * 3628800.0),
    1.0 / (25.0 * 479001600.0),
};
constexpr double kVCoef[kMaxTerms] = {
    1.0 / 3.0,
    -1.0 / (7.0 * 6.0),
    1.0 / (11.0 * 120.0),
    -1.0 / (15.0 * 5040.0),
    1.0 / (19.0 * 362880.0),
    -1.0 / (23.0 * 39916800.0),
    1.0 / (27.0 * 6227020800.0),
};

// 1/(2n)! and 1/(2n+1)! for the 6-term tangent series.
constexpr double kCosCoef[6] = {1.0, -1.0 / 2.0, 1.0 / 24.0, -1.0 / 720.0, 1.0 / 40320.0, -1.0 / 3628800.0};
constexpr double kSinCoef[6] = {1.0, -1.0 / 6.0, 1.0 / 120.0, -1.0 / 5040.0, 1.0 / 362880.0, -1.0 / 39916800.0};

double Horner(const double* coef, int terms, double x)
{
    double sum = 0.0;
    for (int i = terms - 1; i >= 0; --i)
        sum = sum * x + coef[i];
    return sum;
}

} // namespace

void Point(double s, double a2, int terms, double& u, double& v)
{
    if (terms > kMaxTerms)
        terms = kMaxTerms;
    const double tau = s * s / (2.0 * a2);
    const double tau2 = tau * tau;
    u = s * Horner(kUCoef, terms, tau2);
    v = s * tau * Horner(kVCoef, terms, tau2);
}

double CosSeries(double tau)
{
    return Horner(kCosCoef, 6, tau * tau);
}

double SinSeries(double tau)
{
    return tau * Horner(kSinCoef, 6, tau * tau);
}

double Fx(double s, double u, double v, double a2)
{
    const double tau = s * s / (2.0 * a2);
    double us = 0.0, vs = 0.0;
    Point(s, a2, 6, us, vs);
    return (us - u) / std::tan(tau) + (vs - v);
}

double Fxl(double s, double u, double /*v*/, double a2)
{
    const double tau = s * s / (2.0 * a2);
    double us = 0.0, vs = 0.0;
    Point(s, a2, 6, us, vs);
    const double sinTau = std::sin(tau);
    return SinSeries(tau) + CosSeries(tau) / std::tan(tau) - s * (us - u) / (a2 * sinTau * sinTau);
}

namespace
{

// g(s) = (P(s) − Q)·T(s) and its derivative. g' = 1 − κ(s)·h, h the offset of Q towards the
// inner side, so it stays positive while Q lies inside the evolute.
void FootCondition(double s, double u, double v, double a2, double& g, double& dg)
{
    const double tau = s * s / (2.0 * a2);
    double us = 0.0, vs = 0.0;
    Point(s, a2, 6, us, vs);
    const double c = std::cos(tau);
    const double sn = std::sin(tau);
    const double du = us - u;
    const double dv = vs - v;
    g = du * c + dv * sn;
    dg = CosSeries(tau) * c + SinSeries(tau) * sn + (s / a2) * (dv * c - du * sn);
}

} // namespace

bool RefineFoot(double a2, double u, double v, double& s)
{
    if (!(a2 > 0.0) || !std::isfinite(s) || !std::isfinite(u) || !std::isfinite(v))
        return false;

    double cur = s;
    double g = 0.0, dg = 0.0;
    FootCondition(cur, u, v, a2, g, dg);
    for (int iteration = 0; iteration < 60; ++iteration)
    {
        if (!std::isfinite(g) || !std::isfinite(dg) || dg <= 1e-9)
            return false;
        double step = g / dg;
        if (std::fabs(step) <= 1e-11 * std::max(1.0, std::fabs(cur)))
        {
            s = cur - step;
            return std::isfinite(s);
        }
        // Backtrack when a full step would increase the residual: far from the root the
        // curvature term can make Newton overshoot.
        double next = cur - step;
        double gNext = 0.0, dgNext = 0.0;
        FootCondition(next, u, v, a2, gNext, dgNext);
        int halvings = 0;
        while (!(std::fabs(gNext) < std::fabs(g)) && halvings < 40)
        {
            step *= 0.5;
            next = cur - step;
            FootCondition(next, u, v, a2, gNext, dgNext);
            ++halvings;
        }
        if (!(std::fabs(gNext) < std::fabs(g)))
        {
            // No decrease at all: either the residual is at rounding level (converged) or the
            // iteration is stuck.
            if (std::fabs(g) <= 1e-9 * std::max(1.0, std::fabs(u) + std::fabs(v)))
            {
                s = cur;
                return true;
            }
            return false;
        }
        cur = next;
        g = gNext;
        dg = dgNext;
    }
    return false;
}

bool SolveFoot(double a2, double u, double v, double sLow, double sHigh, double& s)
{
    if (!(a2 > 0.0) || !std::isfinite(u) || !std::isfinite(v) || !std::isfinite(sLow) || !std::isfinite(sHigh))
        return false;
    const double margin = std::max(sHigh - sLow, 1.0);
    const double lo = sLow - margin;
    const double hi = sHigh + margin;

    double refined = s;
    if (RefineFoot(a2, u, v, refined) && refined >= lo && refined <= hi)
    {
        s = refined;
        return true;
    }

    // Distance minima are where the foot condition changes sign from negative to positive.
    auto distance = [&](double t) {
        double pu = 0.0, pv = 0.0;
        Point(t, a2, 6, pu, pv);
        return std::hypot(pu - u, pv - v);
    };
    constexpr int samples = 64;
    bool found = false;
    double best = 0.0;
    double bestDistance = 0.0;
    double prevS = lo;
    double prevG = 0.0, dg = 0.0;
    FootCondition(prevS, u, v, a2, prevG, dg);
    for (int i = 1; i <= samples; ++i)
    {
        const double curS = lo + (hi - lo) * i / samples;
        double curG = 0.0;
        FootCondition(curS, u, v, a2, curG, dg);
        if (std::isfinite(prevG) && std::isfinite(curG) && prevG < 0.0 && curG >= 0.0)
        {
            double a = prevS, b = curS;
            for (int k = 0; k < 200 && b - a > 1e-12 * std::max(1.0, std::fabs(a)); ++k)
            {
                const double m = 0.5 * (a + b);
                double gm = 0.0;
                FootCondition(m, u, v, a2, gm, dg);
                if (gm < 0.0)
                    a = m;
                else
                    b = m;
            }
            double candidate = 0.5 * (a + b);
            double polished = candidate;
            if (RefineFoot(a2, u, v, polished) && polished >= prevS - 1e-6 && polished <= curS + 1e-6)
                candidate = polished;
            const double d = distance(candidate);
            if (std::isfinite(d) && (!found || d < bestDistance))
            {
                found = true;
                best = candidate;
                bestDistance = d;
            }
        }
        prevS = curS;
        prevG = curG;
    }
    if (!found)
        return false;
    s = best;
    return true;
}

void Reflect(double px, double py, double bearing, double& x, double& y)
{
    // Foot of the perpendicular by projection on the line's unit direction. This needs no special
    // case for east-west lines and keeps full precision with large grid coordinates, where a
    // slope-intercept form cancels badly.
    const double c = std::cos(bearing);
    const double sn = std::sin(bearing);
    const double along = (x - px) * c + (y - py) * sn;
    const double fx = px + along * c;
    const double fy = py + along * sn;
    x = 2.0 * fx - x;
    y = 2.0 * fy - y;
}

void Evaluate(const Placement& p, double s, double offset, double& bearing, double& x, double& y)
{
    const double tau = s * s / (2.0 * p.a2);
    double u = 0.0, v = 0.0;
    Point(s, p.a2, 6, u, v);

    double theta = p.originBearing + tau;
    // The offset is taken to the right of the series direction; travelling against the series or
    // mirroring the curve both swap the sides.
    double e = offset;
    if (!p.forward)
        e = -e;
    if (p.mirrored)
        e = -e;

    const double c0 = std::cos(p.originBearing);
    const double s0 = std::sin(p.originBearing);
    x = p.originX + u * c0 - v * s0 - e * std::sin(theta);
    y = p.originY + u * s0 + v * c0 + e * std::cos(theta);

    if (!p.forward)
        theta += kTwoPi / 2.0;
    if (p.mirrored)
    {
        Reflect(p.givenX, p.givenY, p.givenBearing, x, y);
        theta = 2.0 * p.givenBearing - theta;
    }
    bearing = Angle::WrapBearingFrom(theta, 0.0);
}

} // namespace ClothoidSeries
