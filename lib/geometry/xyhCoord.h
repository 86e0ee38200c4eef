#pragma once

// A surveyed position: x is the grid northing (drawn upwards), y the grid easting, h the height,
// all in metres.
struct xyhCoord
{
    double x = 0.0;
    double y = 0.0;
    double h = 0.0;
};
