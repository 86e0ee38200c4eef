#pragma once

#include "platform/Export.h"

// A plane point or vector. Angles are radians, counter-clockwise from the +x axis (this is the
// mathematical convention of drawing geometry, not the bearing convention of the road engine).
class TESVANE_API CVector
{
public:
    double x = 0.0;
    double y = 0.0;

    CVector() = default;
    CVector(double vx, double vy) : x(vx), y(vy) {}

    void set(double vx, double vy)
    {
        x = vx;
        y = vy;
    }
    void setPolar(double radius, double angle);

    double magnitude() const;
    // Direction in [0, 2π); 0 for vectors shorter than 1e-6.
    double angle() const;
    double angleTo(const CVector& v) const;
    double distanceTo(const CVector& v) const;
    CVector lerp(const CVector& v, double t) const;
    // Inclusive bounds; the corners may be given in any order.
    int isInWindow(const CVector& a, const CVector& b) const;

    CVector move(const CVector& offset);
    CVector rotate(double angle);
    CVector rotate(const CVector& centre, double angle);
    CVector scale(const CVector& factors);
    CVector scale(const CVector& centre, const CVector& factors);
    // Reflects the point across the line through the two axis points.
    CVector mirror(const CVector& axisPoint1, const CVector& axisPoint2);

    // Exact comparison: geometry that must match within a tolerance compares distances instead.
    bool operator==(const CVector& v) const { return x == v.x && y == v.y; }
    bool operator!=(const CVector& v) const { return !(*this == v); }

    CVector operator+(const CVector& v) const { return CVector(x + v.x, y + v.y); }
    CVector operator-(const CVector& v) const { return CVector(x - v.x, y - v.y); }
    CVector operator-() const { return CVector(-x, -y); }
    CVector operator*(double s) const { return CVector(x * s, y * s); }
    CVector operator/(double s) const { return CVector(x / s, y / s); }
    CVector& operator+=(const CVector& v);
    CVector& operator-=(const CVector& v);
    CVector& operator*=(double s);

    // Component-wise; on a tie the component of b is taken.
    static CVector minimum(const CVector& a, const CVector& b);
    static CVector maximum(const CVector& a, const CVector& b);
    static double dotP(const CVector& a, const CVector& b);
};
