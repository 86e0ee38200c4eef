#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class CRouteShell;

// The curve-element table of the route being edited, as text rows with the titles first: per
// crossing point for a crossing-point route (from the points as they stand in the list), per
// computed element for an element route (from the route on the map). Stations in the display
// style. Only the titles when there is nothing to tabulate.
std::vector<QStringList> RouteCurveTable(CRouteShell& shell);

// Writes the table as CSV (UTF-8 with a byte order mark) in one step; false with the reason.
bool ExportRouteCurveTable(CRouteShell& shell, const QString& path, QString& error);
