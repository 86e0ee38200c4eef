#pragma once

#include "road/RouteCalculation.h"

#include <QString>

// The route the main window is editing: path (empty when none is open), name, start station and
// the total length of the last computed route.
struct RouteRecord
{
    QString path;
    QString name;
    double startMileage = 0.0;
    double runningMileage = 0.0;
};

// What the property dialog asks for.
struct RouteProperties
{
    QString name;
    double startMileage = 0.0;
    RouteMode mode = RouteMode::Element;
};

// The stake export options, kept in "RoadExport.cfg".
struct ExportOptions
{
    int mode = 0;           // 0 stakes at whole multiples of the interval, 1 every interval from the start
    double interval = 50.0; // metres
    double offset = 0.0;    // metres, negative to the left of the centre line
    int layout = 0;         // 0 the stake file's own lines, 1 the field layout name,code,east,north,height
};

// One row of a route list: the row image (-1 none), the column texts, whether the computed columns
// (coordinates, stations, computed bearing and deflection) still describe the route, and what is
// wrong with the record when the route file held a damaged line for it.
struct ListRow
{
    enum Image
    {
        NoImage = -1,
        ImageStraight = 0,
        ImageArc = 1,
        ImageTransition = 2,
        ImagePoint = 3
    };
    int image = NoImage;
    QString text[8];
    QString tip[8]; // a cell's value as people read it (bearings as 45°30′00″), shown as its tooltip
    bool outOfDate = false;
    QString problem;
};
