#pragma once

#include "platform/Export.h"

// A transition curve between a straight and a circle of radius R: a clothoid whose curvature
// runs linearly between 0 and 1/R over the length L (A² = |R|·L).
//
// Direction 1: the curvature grows from 0 at the start to 1/R at the end (straight to circle).
// Direction 0: it falls from 1/R at the start to 0 at the end (circle to straight).
class TESVANE_API CXHuanQu
{
public:
    CXHuanQu() = default;
    CXHuanQu(const CXHuanQu&) = default;
    CXHuanQu& operator=(const CXHuanQu&) = default;
    virtual ~CXHuanQu() = default;

    // 0 when |R| < 1e-6 (the element is then invalid), else 1.
    int SetPars(double x, double y, double bearing, double length, double radius, int direction);

    // Point and tangent bearing at distance l from the start, shifted by `offset` (positive to
    // the right). The bearing lies in [0, 2π].
    void GetVXY(double l, double& bearing, double& x, double& y, double offset) const;

    // Distance along the element and signed offset of (x, y). 1 when the point lies beside the
    // element, else 0.
    int Compute(double x, double y, double& l, double& offset) const;

    // First estimate of the clothoid distance (from the zero-curvature point) whose normal passes
    // through the local point (u, v), by Newton's method on a truncated polynomial form of the
    // normal-foot condition; A² = radius·length. Only approximate: the error grows with s/A and
    // with the distance of the point from the curve. Compute refines it.
    double ComputeMileage(double radius, double length, double u, double v) const;

    int IsValid() const { return m_Valid; }

private:
    // Normal-foot function and its derivative at clothoid distance l for the local point (u, v);
    // singular at l = 0.
    double fx(double l, double u, double v) const;
    double fxl(double l, double u, double v) const;

    double m_A2 = 0.0;            // A²
    double m_OriginBearing = 0.0; // tangent bearing at the zero-curvature point
    double m_OriginX = 0.0;       // zero-curvature point of the clothoid
    double m_OriginY = 0.0;
    double m_Length = 0.0;
    double m_GivenBearing = 0.0;  // start of the element as given to SetPars
    double m_GivenX = 0.0;
    double m_GivenY = 0.0;
    int m_Valid = 0;
    int m_Direction = 1;
    int m_TurnRight = 1;
};
