#pragma once

#include "platform/Export.h"

// A straight alignment element: a start point, a bearing (radians, clockwise from north, x being
// the northing) and a length.
class TESVANE_API CXLine
{
public:
    CXLine() = default;
    CXLine(const CXLine&) = default;
    CXLine& operator=(const CXLine&) = default;
    virtual ~CXLine() = default;

    // Always succeeds (1).
    int SetPars(double x, double y, double bearing, double length);

    // Point at distance l from the start, shifted by `offset` (positive to the right).
    void GetVXY(double l, double& x, double& y, double offset) const;

    // Distance along the line and signed offset of (x, y). 1 when the point lies beside the
    // element (from 0.01 before its start to 0.01 beyond its end), else 0; l and offset are
    // filled in either case while the element is valid.
    int Compute(double x, double y, double& l, double& offset) const;

    int IsValid() const { return m_Valid; }

private:
    double m_Length = 0.0;
    double m_Bearing = 0.0;
    double m_StartX = 0.0;
    double m_StartY = 0.0;
    int m_Valid = 0;
};
