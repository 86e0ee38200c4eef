#pragma once

// The curve-element table of a route (直线、曲线及转角表): for a crossing-point route one row per
// crossing point with its curve elements and main-point stations, for an element route one row
// per computed element. Computed from the route definition alone; nothing is written.

#include "platform/Export.h"
#include "road/StationText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class CRoadDesign;
class CRoadDesign_CrossPoint;

// One crossing point. The first and the last row are the start (QD) and end (ZD) of the route:
// they have no deflection and no curve. Angles in radians, lengths and stations in metres.
struct CrossPointTableRow
{
    QString name;
    double x = 0.0; // northing
    double y = 0.0; // easting
    // Station of the crossing point, carried along the alignment: the previous crossing point's
    // station plus the distance between them minus the previous curve's 切曲差 J.
    double station = 0.0;
    // Distance from the previous crossing point and the bearing of that tangent (0 on the first row).
    double distanceFromPrevious = 0.0;
    double bearingFromPrevious = 0.0;

    double deflection = 0.0; // α, the change of direction, 0 to π
    int side = 0;            // +1 turns right, -1 turns left, 0 none (first and last row)
    double radius = 0.0;     // 0: the route only bends here
    double entryTransition = 0.0;
    double exitTransition = 0.0;

    bool curved = false; // a curve was fitted; the values below are 0 otherwise
    double entryTangent = 0.0; // T1: crossing point to ZH (ZY)
    double exitTangent = 0.0;  // T2: crossing point to HZ (YZ)
    double curveLength = 0.0;  // L, transitions included
    double external = 0.0;     // E: crossing point to the circle, towards its centre
    double tangentExcess = 0.0; // J = T1 + T2 − L (切曲差)
    // Main-point stations. Without transitions ZH = HY (ZY) and YH = HZ (YZ); QZ is the middle of
    // the circular arc, as in the stake file.
    double zh = 0.0, hy = 0.0, qz = 0.0, yh = 0.0, hz = 0.0;

    // Straight from the end of the previous curve (or the start) to the start of this curve (or
    // the end of the route); negative when the curves overlap.
    double straightBefore = 0.0;
    // What is wrong with the row, empty when nothing is.
    QString problem;
};

// The table of a crossing-point route; empty for fewer than three crossing points. The curve
// geometry is the one the route's conversion uses (clothoid offsets p and q to the terms of the
// conversion), so the stations agree with the computed alignment.
TESVANE_API std::vector<CrossPointTableRow> BuildCrossPointTable(const CRoadDesign_CrossPoint& route);

// One computed element of an element route.
struct ElementTableRow
{
    int kind = 0; // CRoadElement::Kind: 2 straight, 3 circular curve, 4 transition
    double length = 0.0;
    double startStation = 0.0, endStation = 0.0;
    double startX = 0.0, startY = 0.0, endX = 0.0, endY = 0.0;
    double startBearing = 0.0, endBearing = 0.0; // radians
    double startRadius = 0.0, endRadius = 0.0;   // signed, positive turns right; 0 straight
};

// The elements of a loaded alignment in station order (start-point records left out); empty when
// nothing is loaded.
TESVANE_API std::vector<ElementTableRow> BuildElementTable(const CRoadDesign& road);

// The tables as rows of text for display and export; the first row holds the column titles.
// Stations in `style`, angles as 12°34′56.7″ (trailing zeros of the seconds dropped), lengths and coordinates with three decimals.
TESVANE_API std::vector<QStringList> CrossPointTableText(const std::vector<CrossPointTableRow>& rows, StationStyle style);
TESVANE_API std::vector<QStringList> ElementTableText(const std::vector<ElementTableRow>& rows, StationStyle style);

// Comma-separated text: a UTF-8 byte order mark (spreadsheet programs read the Chinese titles
// only with it), CR LF line ends, fields quoted where they hold a comma, a quote or a line break.
TESVANE_API QByteArray TableCsvBytes(const std::vector<QStringList>& table);
