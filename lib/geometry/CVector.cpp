#include "geometry/CVector.h"

#include "geometry/Angle.h"

#include <cmath>

void CVector::setPolar(double radius, double angle)
{
    x = radius * std::cos(angle);
    y = radius * std::sin(angle);
}

double CVector::magnitude() const { return std::sqrt(x * x + y * y); }

double CVector::angle() const
{
    const double m = magnitude();
    if (m < 1e-6) return 0.0;
    // The angle from +x in [0, π], taken from atan2 rather than acos(x / m): acos loses about
    // half the digits near 0 and π, so a vector just below the x axis came out at exactly 2π.
    const double base = std::atan2(std::fabs(y), x);
    return y >= 0.0 ? base : Angle::kTwoPi - base;
}

double CVector::angleTo(const CVector& v) const { return (v - *this).angle(); }

double CVector::distanceTo(const CVector& v) const { return (*this - v).magnitude(); }

CVector CVector::lerp(const CVector& v, double t) const { return *this + (v - *this) * t; }

int CVector::isInWindow(const CVector& a, const CVector& b) const
{
    const CVector lo = minimum(a, b);
    const CVector hi = maximum(a, b);
    return (x >= lo.x && x <= hi.x && y >= lo.y && y <= hi.y) ? 1 : 0;
}

CVector CVector::move(const CVector& offset)
{
    *this += offset;
    return *this;
}

CVector CVector::rotate(double angleBy)
{
    const double m = magnitude();
    const double a = angle() + angleBy;
    x = m * std::cos(a);
    y = m * std::sin(a);
    return *this;
}

CVector CVector::rotate(const CVector& centre, double angleBy)
{
    CVector d = *this - centre;
    d.rotate(angleBy);
    *this = centre + d;
    return *this;
}

CVector CVector::scale(const CVector& factors)
{
    x *= factors.x;
    y *= factors.y;
    return *this;
}

CVector CVector::scale(const CVector& centre, const CVector& factors)
{
    CVector d = *this - centre;
    d.scale(factors);
    *this = centre + d;
    return *this;
}

CVector CVector::mirror(const CVector& axisPoint1, const CVector& axisPoint2)
{
    const double a1 = (*this - axisPoint1).angle();
    const double a2 = (axisPoint2 - axisPoint1).angle();
    const double r = axisPoint1.distanceTo(*this);
    const double s = axisPoint2.distanceTo(*this);
    // A point on an axis point stays where it is (its direction from that point is undefined).
    if (r >= 1e-6 && s >= 1e-6)
    {
        const double a = a1 + 2.0 * (a2 - a1);
        *this = axisPoint1 + CVector(r * std::cos(a), r * std::sin(a));
    }
    return *this;
}

CVector& CVector::operator+=(const CVector& v)
{
    x += v.x;
    y += v.y;
    return *this;
}

CVector& CVector::operator-=(const CVector& v)
{
    x -= v.x;
    y -= v.y;
    return *this;
}

CVector& CVector::operator*=(double s)
{
    x *= s;
    y *= s;
    return *this;
}

CVector CVector::minimum(const CVector& a, const CVector& b)
{
    return CVector(a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y);
}

CVector CVector::maximum(const CVector& a, const CVector& b)
{
    return CVector(a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y);
}

double CVector::dotP(const CVector& a, const CVector& b) { return a.x * b.x + a.y * b.y; }
