#include "road/CRoadElement.h"

#include "road/CXHuanQu.h"
#include "road/CXLine.h"
#include "road/CXLuoXuan.h"
#include "road/CXYuan.h"

#include <cmath>

namespace
{
constexpr double kPi = 3.14159265358979323846264338327950;

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
        if (!curve.SetPars(e.m_startX, e.m_startY, e.m_startBearing, e.m_length, e.m_startRadius, e.m_endRadius))
            return false;
        curve.GetVXY(l, bearing, x, y, offset);
        return true;
    }
    case TransitionShape::CircleToLine:
    case TransitionShape::LineToCircle:
    {
        const bool toLine = shape == TransitionShape::CircleToLine;
        CXHuanQu curve;
        if (!curve.SetPars(e.m_startX, e.m_startY, e.m_startBearing, e.m_length,
                           toLine ? e.m_startRadius : e.m_endRadius, toLine ? 0 : 1))
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
    m_kind = static_cast<int>(kind);
    switch (kind)
    {
    case StartPoint:
        m_startX = b;
        m_startY = a;
        return 1;
    case Straight:
        m_length = a;
        m_startBearing = b * kPi / 180.0;
        return 1;
    case CircularCurve:
        m_length = a;
        m_startRadius = b;
        return a > 1e-10 ? 1 : 0;
    case Transition:
        m_length = a;
        return a > 1e-10 ? 1 : 0;
    default:
        return 0;
    }
}

int CRoadElement::Compute()
{
    switch (m_kind)
    {
    case StartPoint:
        m_endX = m_startX;
        m_endY = m_startY;
        m_endStation = m_startStation;
        return 1;
    case Straight:
    {
        CXLine line;
        line.SetPars(m_startX, m_startY, m_startBearing, m_length);
        line.GetVXY(m_length, m_endX, m_endY, 0.0);
        m_endBearing = m_startBearing;
        m_endStation = m_startStation + m_length;
        return 1;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_startX, m_startY, m_startBearing, m_length, m_startRadius))
            return 0;
        arc.GetVXY(m_length, m_endBearing, m_endX, m_endY, 0.0);
        m_endRadius = m_startRadius;
        m_endStation = m_startStation + m_length;
        return 1;
    }
    case Transition:
    {
        m_endStation = m_startStation + m_length;
        const TransitionShape shape = ShapeExact(m_startRadius, m_endRadius);
        if (shape == TransitionShape::None)
            return 1; // both radii 0: nothing to compute, the station still carries on
        double bearing = 0.0, x = 0.0, y = 0.0;
        if (!TransitionPoint(*this, shape, m_length, bearing, x, y, 0.0))
            return 0;
        m_endBearing = bearing;
        m_endX = x;
        m_endY = y;
        return 1;
    }
    default:
        return 0;
    }
}

int CRoadElement::GetAngleAndXY(double station, double& x, double& y, double& bearing, double offset) const
{
    const double l = station - m_startStation;
    switch (m_kind)
    {
    case Straight:
    {
        CXLine line;
        line.SetPars(m_startX, m_startY, m_startBearing, m_length);
        line.GetVXY(l, x, y, offset);
        bearing = m_startBearing;
        return 1;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_startX, m_startY, m_startBearing, m_length, m_startRadius))
            return 0;
        arc.GetVXY(l, bearing, x, y, offset);
        return 1;
    }
    case Transition:
        return TransitionPoint(*this, ShapeExact(m_startRadius, m_endRadius), l, bearing, x, y, offset) ? 1 : 0;
    default:
        return 0; // start point or unknown kind
    }
}

int CRoadElement::GetPegAndOffset(double x, double y, double& station, double& offset) const
{
    double l = 0.0;
    double off = 0.0;
    int onElement = 0;
    switch (m_kind)
    {
    case Straight:
    {
        CXLine line;
        line.SetPars(m_startX, m_startY, m_startBearing, m_length);
        onElement = line.Compute(x, y, l, off);
        break;
    }
    case CircularCurve:
    {
        CXYuan arc;
        if (!arc.SetPars(m_startX, m_startY, m_startBearing, m_length, m_startRadius))
            return 0;
        onElement = arc.Compute(x, y, l, off);
        break;
    }
    case Transition:
        switch (ShapeByMagnitude(m_startRadius, m_endRadius))
        {
        case TransitionShape::BetweenCircles:
        {
            CXLuoXuan curve;
            if (!curve.SetPars(m_startX, m_startY, m_startBearing, m_length, m_startRadius, m_endRadius))
                return 0;
            onElement = curve.Compute(x, y, l, off);
            break;
        }
        case TransitionShape::CircleToLine:
        case TransitionShape::LineToCircle:
        {
            const bool toLine = std::fabs(m_startRadius) > 1e-6;
            CXHuanQu curve;
            if (!curve.SetPars(m_startX, m_startY, m_startBearing, m_length,
                               toLine ? m_startRadius : m_endRadius, toLine ? 0 : 1))
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
    station = m_startStation + l;
    offset = off;
    return 1;
}
