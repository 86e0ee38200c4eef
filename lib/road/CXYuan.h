#pragma once

#include "platform/Export.h"

// A circular-curve alignment element: start point, start bearing, length and signed radius
// (positive turns right).
class TESVANE_API CXYuan
{
public:
    CXYuan() = default;
    CXYuan(const CXYuan&) = default;
    CXYuan& operator=(const CXYuan&) = default;
    virtual ~CXYuan() = default;

    // 0 when |R| < 1e-6 (the element is then invalid), else 1.
    int SetPars(double x, double y, double bearing, double length, double radius);

    // Point and tangent bearing at distance l from the start, shifted by `offset` (positive to
    // the right). The bearing lies in [1e-6, 2π + 1e-6].
    void GetVXY(double l, double& bearing, double& x, double& y, double offset) const;

    // Distance along the arc and signed offset of (x, y). Points at the centre give l = 0 and
    // offset ±|R|; points on the far side of the centre from the arc get offset ±(|R| + ρ).
    // 1 when the point lies beside the arc, else 0.
    int Compute(double x, double y, double& l, double& offset) const;

    int IsValid() const { return m_Valid; }

protected:
    // Whether the centre angle phi lies on the arc from startAngle to endAngle (1e-4 tolerance),
    // with side 0 testing the point turned by π (beyond the centre).
    int JudgeInRange(double phi, double startAngle, double endAngle, int side) const;

private:
    double m_Radius = 0.0; // |R|
    double m_CentreX = 0.0;
    double m_CentreY = 0.0;
    double m_Length = 0.0;
    double m_StartBearing = 0.0;
    double m_StartX = 0.0;
    double m_StartY = 0.0;
    int m_TurnRight = 1;
    int m_Valid = 0;
    double m_StartAngle = 0.0; // bearing from the centre to the start point
    double m_EndAngle = 0.0;   // bearing from the centre to the end point
};
