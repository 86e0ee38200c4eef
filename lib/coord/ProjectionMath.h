#pragma once

// Small ellipsoid helpers shared by the projection sources. Internal: not part of the interface
// (no exported symbols; everything is inline).

#include "geometry/Angle.h"

#include <algorithm>
#include <cmath>

namespace projmath
{
using Angle::kHalfPi;
using Angle::kPi;
using Angle::kTwoPi;

// Brings a longitude difference into [-π, π].
inline double WrapPi(double lambda)
{
    if (!std::isfinite(lambda)) return lambda;
    if (lambda > kPi || lambda < -kPi) lambda = std::remainder(lambda, kTwoPi);
    return lambda;
}

// tan((π/2 − φ)/2) / ((1 − e sinφ)/(1 + e sinφ))^(e/2): the conformal "t" of the conic and
// polar projections.
inline double Tsfn(double phi, double e)
{
    const double es = e * std::sin(phi);
    return std::tan(0.5 * (kHalfPi - phi)) / std::pow((1.0 - es) / (1.0 + es), 0.5 * e);
}

// tan((φ + π/2)/2) · ((1 − e sinφ)/(1 + e sinφ))^(e/2)
inline double Ssfn(double phi, double e)
{
    const double es = e * std::sin(phi);
    return std::tan(0.5 * (phi + kHalfPi)) * std::pow((1.0 - es) / (1.0 + es), 0.5 * e);
}

// Latitude from the conformal t (inverse of Tsfn).
inline double PhiFromT(double t, double e)
{
    double phi = kHalfPi - 2.0 * std::atan(t);
    for (int i = 0; i < 30; ++i)
    {
        const double es = e * std::sin(phi);
        const double next = kHalfPi - 2.0 * std::atan(t * std::pow((1.0 - es) / (1.0 + es), 0.5 * e));
        if (std::fabs(next - phi) < 1e-14)
        {
            phi = next;
            break;
        }
        phi = next;
    }
    return phi;
}

// Authalic q(φ) = (1 − e²)[sinφ/(1 − e² sin²φ) − 1/(2e) ln((1 − e sinφ)/(1 + e sinφ))].
inline double Qsfn(double phi, double e, double e2)
{
    const double s = std::sin(phi);
    if (e < 1e-12) return 2.0 * s;
    const double es = e * s;
    return (1.0 - e2) * (s / (1.0 - es * es) - 0.5 / e * std::log((1.0 - es) / (1.0 + es)));
}

// Latitude with the given q (inverse of Qsfn), by the usual fixed-point iteration.
inline double PhiFromQ(double q, double e, double e2)
{
    double phi = std::asin(std::max(-1.0, std::min(1.0, 0.5 * q)));
    if (e < 1e-12) return phi;
    for (int i = 0; i < 40; ++i)
    {
        const double s = std::sin(phi), c = std::cos(phi);
        if (std::fabs(c) < 1e-15) break;
        const double es = e * s;
        const double w = 1.0 - es * es;
        const double d = w * w / (2.0 * c) *
                         (q / (1.0 - e2) - s / w + 0.5 / e * std::log((1.0 - es) / (1.0 + es)));
        phi += d;
        if (std::fabs(d) < 1e-15) break;
    }
    return phi;
}

// Meridian arc from the equator and its inverse (rectifying latitude series in n = f/(2 − f)).
struct MeridianArc
{
    double scale = 0, c2 = 0, c4 = 0, c6 = 0, c8 = 0, d2 = 0, d4 = 0, d6 = 0, d8 = 0;
    MeridianArc() = default;
    MeridianArc(double a, double f)
    {
        const double n = f / (2.0 - f), n2 = n * n, n3 = n2 * n, n4 = n3 * n;
        scale = a / (1.0 + n) * (1.0 + n2 / 4.0 + n4 / 64.0);
        c2 = -1.5 * n + 9.0 / 16.0 * n3;
        c4 = 15.0 / 16.0 * n2 - 15.0 / 32.0 * n4;
        c6 = -35.0 / 48.0 * n3;
        c8 = 315.0 / 512.0 * n4;
        d2 = 1.5 * n - 27.0 / 32.0 * n3;
        d4 = 21.0 / 16.0 * n2 - 55.0 / 32.0 * n4;
        d6 = 151.0 / 96.0 * n3;
        d8 = 1097.0 / 512.0 * n4;
    }
    double Arc(double phi) const
    {
        return scale * (phi + c2 * std::sin(2 * phi) + c4 * std::sin(4 * phi) + c6 * std::sin(6 * phi) +
                        c8 * std::sin(8 * phi));
    }
    double Latitude(double arc) const
    {
        const double mu = arc / scale;
        return mu + d2 * std::sin(2 * mu) + d4 * std::sin(4 * mu) + d6 * std::sin(6 * mu) + d8 * std::sin(8 * mu);
    }
};
} // namespace projmath
