#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"

#include <vector>

// Area and open perimeter of a ring of plane vertices (x, y; h ignored).
class TESVANE_API CGeometry_AreaPerimeter
{
public:
    void Add(const xyhCoord& vertex) { m_Vertices.push_back(vertex); }
    void RemoveAll() { m_Vertices.clear(); }
    int GetSize() const { return static_cast<int>(m_Vertices.size()); }
    // Shoelace area of the closed ring; 0 for fewer than three vertices.
    double GetArea() const;
    // Sum of the distances between consecutive vertices, without the closing side.
    double GetPerimeter() const;

private:
    std::vector<xyhCoord> m_Vertices;
};
