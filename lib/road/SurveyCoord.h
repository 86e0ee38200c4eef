#pragma once

#include <QString>

// A named point of a route: the start point of an element route, a crossing point, or a main
// point of a computed alignment (then `note` carries its station).
struct SurveyCoord
{
    QString name;
    double x = 0.0; // north, metres
    double y = 0.0; // east, metres
    double h = 0.0; // height, metres
    QString note;   // free text, carried unchanged through files
};
