#pragma once

#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QString>
#include <vector>

class CRoadDesign;

// Checks of a route definition beyond the shape the route calculation insists on (a point, then
// a straight, ..., a straight): values that cannot be built, and places where the route that is
// built is not what the numbers suggest. Each finding names the record by its position.
struct RouteFinding
{
    int index = -1; // position of the element or crossing point in the definition
    QString text;   // the reason, in Chinese
};

// Elements that cannot be built: a negative or non-numeric length, an arc without a radius, a
// transition curve with no circular arc beside it. Zero-length arcs and transitions are left out
// of the route by the model and pass.
std::vector<RouteFinding> ElementRouteErrors(const std::vector<Road_Element>& elements);

// After the route was computed into `computed`: straights whose own bearing turns the route
// without a curve (a kink), with the angle of the turn.
std::vector<RouteFinding> ElementRouteKinks(const std::vector<Road_Element>& elements, const CRoadDesign& computed);

// Intersection points without a radius whose transition lengths are ignored.
std::vector<RouteFinding> CrossPointRouteWarnings(const std::vector<Road_CrossPoint>& points);

// Whether a transition curve may go at `position` of the definition (the position it will have
// once inserted): refused only when both its neighbours exist and neither is a circular arc.
bool TransitionFitsAt(const std::vector<Road_Element>& elements, size_t position);

// Whether the road model keeps the element: it drops arcs and transitions without length.
bool ModelKeepsElement(const Road_Element& element);

// The element kind as the lists name it: "起点", "直线", "圆曲", "缓曲".
QString ElementKindName(int type);
