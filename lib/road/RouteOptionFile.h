#pragma once

#include "road/CRoadDesign_Element.h"

#include <QString>

// The option file of a route mode: HEAD > <section> > Ver, Option > CalculateMode, Interval.
// The two modes differ only in the section name and in how the interval is written.

// Reads the options present in the file into `option`; 0 (option untouched) when the file cannot
// be loaded or HEAD or the section is missing.
int ReadRouteOptionFile(const QString& path, const QString& section, Road_Calculate_Option& option);

// Writes the whole file in one piece (a failed save keeps the previous options).
int SaveRouteOptionFile(const QString& path, const QString& section, int calculateMode, const QString& intervalText);
