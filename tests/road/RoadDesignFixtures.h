#pragma once

// Element routes built in memory for the road design model tests and benchmarks.

#include "road/CRoadDesign.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <cmath>
#include <random>

namespace RoadFixtures
{
constexpr double kPi = 3.14159265358979323846;

// A crossing point at plane (x, y) with its curve's radius and transitions (0: none).
inline Road_CrossPoint CrossPoint(const char* name, double x, double y, double radius = 0.0, double l1 = 0.0,
                                  double l2 = 0.0, double station = 0.0)
{
    Road_CrossPoint p;
    p.point.name = QString::fromUtf8(name);
    p.point.x = x;
    p.point.y = y;
    p.radius = radius;
    p.leftTransition = l1;
    p.rightTransition = l2;
    p.station = station;
    return p;
}

inline Road_Element Point(double x, double y)
{
    Road_Element e;
    e.type = 1;
    e.point.x = x;
    e.point.y = y;
    return e;
}

// Bearing in decimal degrees; 0 after the first two elements means "follow the curve before".
inline Road_Element Line(double length, double bearingDegrees = 0.0)
{
    Road_Element e;
    e.type = 2;
    e.length = length;
    e.azimuth = bearingDegrees;
    return e;
}

inline Road_Element Arc(double length, double radius)
{
    Road_Element e;
    e.type = 3;
    e.length = length;
    e.radius = radius;
    return e;
}

inline Road_Element Spiral(double length)
{
    Road_Element e;
    e.type = 4;
    e.length = length;
    return e;
}

// A highway section near 3,400,000 N / 500,000 E: a right-hand curve with transitions, a
// left-hand one, and a compound curve whose two arcs are joined by a transition.
inline CRoadDesign_Element HighwayRoute(double startStation = 0.0)
{
    CRoadDesign_Element route;
    route.m_RoadName = QStringLiteral("test route");
    route.m_StartMileage = startStation;
    route.m_Elements = {Point(3400000.0, 500000.0), Line(320.0, 35.5), Spiral(120.0), Arc(260.0, 800.0),
                        Spiral(120.0), Line(400.0), Spiral(90.0), Arc(210.0, -450.0), Spiral(90.0), Line(250.0),
                        Spiral(100.0), Arc(150.0, 1200.0), Spiral(60.0), Arc(180.0, 600.0), Spiral(100.0),
                        Line(300.0)};
    return route;
}

// A random winding route of about `count` elements: curves of both hands with radii 300–3000 m,
// transitions 60–250 m (partly unequal), compound curves and reverse curves.
inline CRoadDesign_Element RandomRoute(int count, unsigned seed, double startStation = 1000.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> radius(300.0, 3000.0);
    std::uniform_real_distribution<double> spiral(60.0, 250.0);
    std::uniform_real_distribution<double> straight(50.0, 600.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    CRoadDesign_Element route;
    route.m_RoadName = QStringLiteral("random");
    route.m_StartMileage = startStation;
    route.m_Elements = {Point(3400000.0, 500000.0), Line(straight(rng), 360.0 * unit(rng))};
    double hand = 1.0;
    while (static_cast<int>(route.m_Elements.size()) < count - 1)
    {
        hand = unit(rng) < 0.5 ? -hand : hand;
        const double r = hand * radius(rng);
        // Keep each curve's turn below about 100 degrees so the route does not coil up.
        const double arc = std::min(std::fabs(r) * 1.2, 80.0 + 400.0 * unit(rng));
        route.m_Elements.push_back(Spiral(spiral(rng)));
        route.m_Elements.push_back(Arc(arc, r));
        const double shape = unit(rng);
        if (shape < 0.2)
        {
            // Compound: a transition between two arcs of the same hand.
            const double r2 = r * (unit(rng) < 0.5 ? 0.6 : 1.7);
            route.m_Elements.push_back(Spiral(spiral(rng)));
            route.m_Elements.push_back(Arc(std::min(std::fabs(r2) * 0.6, 150.0), r2));
        }
        route.m_Elements.push_back(Spiral(spiral(rng)));
        if (shape > 0.85)
        {
            // Reverse curve: straight to zero curvature and straight on into the opposite hand.
            hand = -hand;
            const double r3 = hand * radius(rng);
            route.m_Elements.push_back(Spiral(spiral(rng)));
            route.m_Elements.push_back(Arc(std::min(std::fabs(r3) * 0.8, 200.0), r3));
            route.m_Elements.push_back(Spiral(spiral(rng)));
        }
        route.m_Elements.push_back(Line(straight(rng)));
    }
    return route;
}

// Gives tests and benchmarks the plain full scan of the inverse query.
class ReferenceModel : public CRoadDesign
{
public:
    using CRoadDesign::GetPegAndOffsetFullScan;
};
} // namespace RoadFixtures
