#pragma once

#include "platform/Export.h"

// One element of a computed alignment: its kind, its defining values and, once computed, its end
// point, end bearing, end radius and station range. A plain value record; every query builds a
// temporary element object of the right class and delegates to it.
class TESVANE_API CRoadElement
{
public:
    enum Kind
    {
        StartPoint = 1,
        Straight = 2,
        CircularCurve = 3,
        Transition = 4
    };

    CRoadElement() = default;
    CRoadElement(const CRoadElement&) = default;
    CRoadElement& operator=(const CRoadElement&) = default;
    virtual ~CRoadElement() = default;

    // Stores the kind (also when the values are then rejected) and the values by kind:
    //   1 start point: start x (northing) = b, start y = a;
    //   2 straight: length = a, start bearing = b degrees;
    //   3 circular curve: length = a, start radius = b (0 when a <= 1e-10);
    //   4 transition: length = a (0 when a <= 1e-10); the radii come from the chain.
    // Any other kind gives 0.
    int AddPar(unsigned int kind, double a, double b);

    // Fills the end point, end bearing, end radius and end station from the start values.
    // 0 for an unknown kind or when the geometry rejects the values.
    int Compute();

    // Point and tangent bearing at an absolute station, shifted by `offset`; stations outside the
    // element are extrapolated on its own geometry. 0 for a start point, an unknown kind or a
    // record whose geometry cannot be built.
    int GetAngleAndXY(double station, double& x, double& y, double& bearing, double offset) const;

    // Station and signed offset of a plane point. 1 only when the point lies beside the element.
    int GetPegAndOffset(double x, double y, double& station, double& offset) const;

    int m_Kind = 0;
    double m_StartX = 0.0; // northing
    double m_StartY = 0.0; // easting
    double m_EndX = 0.0;
    double m_EndY = 0.0;
    double m_StartBearing = 0.0; // radians
    double m_EndBearing = 0.0;
    double m_Length = 0.0;
    double m_StartRadius = 0.0; // signed, positive turns right; 0 for a straight
    double m_EndRadius = 0.0;
    double m_StartStation = 0.0;
    double m_EndStation = 0.0;
};
