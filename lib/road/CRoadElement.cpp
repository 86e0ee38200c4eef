#include "road/CRoadElement.h"

#include "geometry/Angle.h"
#include "road/CXHuanQu.h"
#include "road/CXLine.h"
#include "road/CXLuoXuan.h"
#include "road/CXYuan.h"

#include <cmath>

namespace
{
// Which geometry a transition record stands for.
enum class TransitionShape
{
    None,
    BetweenCircles, // CXLuoXuan from the start radius to the end radius
    CircleToLine,   // CXHuanQu direction 0 with the start radius
    LineToCircle    // CXHuanQu direction 1 with the end radius
};

// Building and forward evaluation compare the radii with 0 exactly.
TransitionShape ShapeExact(double r1, double r2)
{
    if (r1 != 0.0 && r2 != 0.0)
        return TransitionShape::BetweenCircles;
    if (r1 != 0.0)
        return TransitionShape::CircleToLine;
    if (r2 != 0.0)
        return TransitionShape::LineToCircle;
    return TransitionShape::None;
}

// The inverse treats radii below 1e-6 in magnitude as a straight's.
TransitionShape ShapeByMagnitude(double r1, double r2)
{
    const bool curved1 = std::fabs(r1) > 1e-6;
    const bool curved2 = std::fabs(r2) > 1e-6;
    if (curved1 && curved2)
        return TransitionShape::BetweenCircles;
    if (curved1 && std::fabs(r2) < 1e-6)
        return TransitionShape::CircleToLine;
    if (std::fabs(r1) < 1e-6 && curved2)
        return TransitionShape::LineToCircle;
    return TransitionShape::None;
}

// Forward evaluation of a transition record; false when no geometry can be built.
bool TransitionPoint(const CRoadElement& e, TransitionShape shape, double l, double& bearing, double& x, double& y,
                     double offset)
{
    switch (shape)
    {
    case TransitionShape::BetweenCircles:
    {
        CXLuoXuan curve;
        if (!curve.SetPars(e.m_StartX, e.m_StartY, e.m_StartBearing, e.m_Length, e.m_StartRadius, e.m_EndRadius))
            return false;
        curve.GetVXY(l, bearing, x, y, offset);
        return true;
    }
    case TransitionShape::CircleToLine:
    case TransitionShape::LineToCircle:
    {
        const bool toLine = shape == TransitionShape::CircleToLine;
        CXHuanQu curve;
        if (!curve.SetPars(e.m_StartX, e.m_StartY, e.m_StartBearing, e.m_Length,
                           toLine ? e.m_StartRadius : e.m_EndRadius, toLine ? 0 : 1))
            return false;
        curve.GetVXY(l, bearing, x, y, offset);
        return true;
    }
    case TransitionShape::None:
        break;
    }
    return false;
}
} // namespace

int CRoadElement::AddPar(unsigned int kind, double a, double b)
{
    m_Kind = static_cast<int>(kind);
    switch (kind)
    {
    case StartPoint:
        m_StartX = b;
        m_StartY = a;
        return 1;
    case Straight:
        m_Length = a;
        m_StartBearing = Angle::DegreesToRadians(b);
        return 1;
    case CircularCurve:
        m_Length = a;
        m_StartRadius = b;
        return a > 1e-10 ? 1 : 0;
    case Transition:
        m_Length = a;
        return a > 1e-10 ? 1 : 0;
    default:
        return 0;
    }
}

int CRoadElement::Compute()
{
    switch (m_Kind)
    {
    case StartPoint:
        m_EndX = m_StartX;
        m_EndY = m_StartY;
        m_EndStation = m_StartStation;
        return 1;
    case Straight:
    {
        CXLine line;
        line.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length);
        line.GetVXY(m_Length, m_EndX, m_EndY, 0.0);
        m_EndBearing = m_StartBearing;
        m_EndStation = m_StartStation + m_Length;
        return 1;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length, m_StartRadius))
            return 0;
        arc.GetVXY(m_Length, m_EndBearing, m_EndX, m_EndY, 0.0);
        m_EndRadius = m_StartRadius;
        m_EndStation = m_StartStation + m_Length;
        return 1;
    }
    case Transition:
    {
        m_EndStation = m_StartStation + m_Length;
        const TransitionShape shape = ShapeExact(m_StartRadius, m_EndRadius);
        if (shape == TransitionShape::None)
            return 1; // both radii 0: nothing to compute, the station still carries on
        double bearing = 0.0, x = 0.0, y = 0.0;
        if (!TransitionPoint(*this, shape, m_Length, bearing, x, y, 0.0))
            return 0;
        m_EndBearing = bearing;
        m_EndX = x;
        m_EndY = y;
        return 1;
    }
    default:
        return 0;
    }
}

int CRoadElement::GetAngleAndXY(double station, double& x, double& y, double& bearing, double offset) const
{
    const double l = station - m_StartStation;
    switch (m_Kind)
    {
    case Straight:
    {
        CXLine line;
        line.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length);
        line.GetVXY(l, x, y, offset);
        bearing = m_StartBearing;
        return 1;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length, m_StartRadius))
            return 0;
        arc.GetVXY(l, bearing, x, y, offset);
        return 1;
    }
    case Transition:
        return TransitionPoint(*this, ShapeExact(m_StartRadius, m_EndRadius), l, bearing, x, y, offset) ? 1 : 0;
    default:
        return 0; // start point or unknown kind
    }
}

int CRoadElement::GetPegAndOffset(double x, double y, double& station, double& offset) const
{
    double l = 0.0;
    double off = 0.0;
    int onElement = 0;
    switch (m_Kind)
    {
    case Straight:
    {
        CXLine line;
        line.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length);
        onElement = line.Compute(x, y, l, off);
        break;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length, m_StartRadius))
            return 0;
        onElement = arc.Compute(x, y, l, off);
        break;
    }
    case Transition:
        switch (ShapeByMagnitude(m_StartRadius, m_EndRadius))
        {
        case TransitionShape::BetweenCircles:
        {
            CXLuoXuan curve;
            if (!curve.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length, m_StartRadius, m_EndRadius))
                return 0;
            onElement = curve.Compute(x, y, l, off);
            break;
        }
        case TransitionShape::CircleToLine:
        case TransitionShape::LineToCircle:
        {
            const bool toLine = std::fabs(m_StartRadius) > 1e-6;
            CXHuanQu curve;
            if (!curve.SetPars(m_StartX, m_StartY, m_StartBearing, m_Length,
                               toLine ? m_StartRadius : m_EndRadius, toLine ? 0 : 1))
                return 0;
            onElement = curve.Compute(x, y, l, off);
            break;
        }
        case TransitionShape::None:
            return 0;
        }
        break;
    default:
        return 0; // start point or unknown kind
    }
    if (!onElement)
        return 0;
    station = m_StartStation + l;
    offset = off;
    return 1;
}
