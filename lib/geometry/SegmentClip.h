#pragma once

#include "platform/Export.h"

// Liang-Barsky clipping of the segment (x1, y1)-(x2, y2) to the closed box [minX, maxX] x
// [minY, maxY]: false when no part of it lies in the box, otherwise the ends are moved onto the
// part inside. Works in any plane coordinates (world or client).
TESVANE_API bool ClipSegmentToBox(double minX, double maxX, double minY, double maxY, double& x1, double& y1,
                                  double& x2, double& y2);
