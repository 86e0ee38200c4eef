#pragma once

// A computed route as a DXF drawing for CAD, written through dxflib's writer. Layers:
//   ROUTE_CENTRE   the centre line: straights as LINE, arcs as ARC, transitions as polylines
//                  whose chords stay within 1 mm of the clothoid
//   ROUTE_OFFSET   the lines at the requested offsets (negative left), as polylines within 1 mm
//   ROUTE_MAIN     main points: POINT plus TEXT "label station"
//   ROUTE_STAKES   the points of a stake file (either line layout): POINT plus TEXT name
// DXF X is the easting and Y the northing, so that north points up in CAD.

#include "platform/Export.h"

#include <QString>

#include <vector>

class CRoadDesign;

struct RouteDxfOptions
{
    std::vector<double> offsets; // metres, negative to the left of the centre line
    QString stakesPath;          // a stake file to draw; empty for none
    bool r12 = false;            // DXF R12 instead of 2000
    double textHeight = 2.0;     // drawing units (metres)
};

struct RouteDxfCounts
{
    int lines = 0, arcs = 0, polylines = 0, points = 0, texts = 0;
};

// Writes the drawing atomically. False with `error` when the route is not computed, the stake
// file cannot be read or the file cannot be written.
TESVANE_API bool WriteRouteDxf(const CRoadDesign& model, const QString& path, const RouteDxfOptions& options,
                               QString& error, RouteDxfCounts* counts = nullptr);
