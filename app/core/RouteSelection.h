#pragma once

class CRouteShell;

// Between the rows of the input pane and the route on the map: the stretch of the route a row
// stands for, and the row of a station.
struct StationSpan
{
    bool valid = false;
    double from = 0.0;
    double to = 0.0; // equal to `from` for a single point (a start, an end, a bend)
};

// Element route: the computed element of the row (when the rows are those of the route on the
// map, one computed element per row). Crossing-point route: the curve of the crossing point,
// ZH to HZ, or the crossing point's own station where it has no curve.
StationSpan RowSpan(CRouteShell& shell, int row);

// The row whose span holds `station`, -1 when none does.
int RowAtStation(CRouteShell& shell, double station);
