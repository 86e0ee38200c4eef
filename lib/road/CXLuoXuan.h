#pragma once

#include "platform/Export.h"

// A transition between two circles of different radius (same turn direction): the piece of a
// clothoid between the points where its radius is R1 and R2.
class TESVANE_API CXLuoXuan
{
public:
    CXLuoXuan() = default;
    CXLuoXuan(const CXLuoXuan&) = default;
    CXLuoXuan& operator=(const CXLuoXuan&) = default;
    virtual ~CXLuoXuan() = default;

    // 0 (element invalid) when |R1 − R2| < 0.001 or the radii are not both non-zero with the
    // same sign; else 1.
    int SetPars(double x, double y, double bearing, double length, double startRadius, double endRadius);

    // Point and tangent bearing at distance l from the start, shifted by `offset` (positive to
    // the right). The bearing lies in [0, 2π].
    void GetVXY(double l, double& bearing, double& x, double& y, double offset) const;

    // Distance along the element and signed offset of (x, y). 1 when the point lies beside the
    // element, else 0.
    int Compute(double x, double y, double& l, double& offset) const;

    int IsValid() const { return m_Valid; }

private:
    // Clothoid distance of the foot of the local point (u, v) by a damped Newton iteration on the
    // normal-foot function: slow (it converges linearly), kept for points whose exact foot
    // condition has no solution near the element.
    double DampedFoot(double u, double v) const;
    double m_A2 = 0.0;            // A²
    double m_OriginBearing = 0.0; // tangent bearing at the zero-curvature point
    double m_OriginX = 0.0;       // zero-curvature point of the underlying clothoid
    double m_OriginY = 0.0;
    double m_StartDistance = 0.0; // clothoid distance of the element's start from that point
    double m_Length = 0.0;
    double m_GivenBearing = 0.0;
    double m_GivenX = 0.0;
    double m_GivenY = 0.0;
    int m_Valid = 0;
    int m_Direction = 1; // 1: curvature grows along the element (|R1| > |R2|)
    int m_TurnRight = 1;
};
