#pragma once

// The sequence that turns a route definition into the loaded alignment, shared by the desktop
// program's apply and export steps and by the command-line tool, so that both write the same
// curve exchange and stake files:
//
//   element route:        checks -> LoadRoadData into a check model -> REToTDFE
//   crossing-point route: RPtoTDFE
//   then the curve exchange file is loaded into the target model with LoadTDFEFile.
//
// The program saves the route file itself before applying (its dialogs hold the definition);
// the command-line tool reads the route file instead, and when it only answers questions it
// loads the curve exchange text straight into the model without writing the file.

#include "platform/Export.h"

#include <QString>

class CRoadDesign;
class CRoadDesign_CrossPoint;
class CRoadDesign_Element;

enum class RouteMode
{
    None,      // neither ending: nothing is loaded
    Element,   // ".RE"
    CrossPoint // ".RP"
};

// The mode a route path's ending selects, case-insensitively.
TESVANE_API RouteMode RouteModeOfPath(const QString& path);

// The curve exchange file of a route: the route path with ".TDFE" appended.
TESVANE_API QString CurveFilePathOf(const QString& routePath);

enum class RouteApplyStatus
{
    Written,           // the curve exchange file was written
    ChecksFailed,      // the element sequence was refused (message shown); nothing written
    CalculationFailed, // the check model could not be computed; nothing written
    WriteFailed        // the conversion or the writing failed (message shown); the old file is kept
};

// Checks an element route's sequence; shows the message of the first failure (caption "Warning")
// and returns false.
TESVANE_API bool CheckRouteElements(const CRoadDesign_Element& route);

// Applies an element route: checks, builds `checkModel` from it and writes the curve exchange
// file to `curvePath`. The program's element dialog returns 1 for Written and for
// CalculationFailed (it then loads whatever curve exchange file an earlier apply left), 0 for the
// others.
TESVANE_API RouteApplyStatus ApplyElementRoute(CRoadDesign_Element& route, CRoadDesign& checkModel,
                                               const QString& curvePath);

// Applies a crossing-point route: converts it and writes the curve exchange file to `curvePath`.
TESVANE_API RouteApplyStatus ApplyCrossPointRoute(CRoadDesign_CrossPoint& route, const QString& curvePath);

enum class RouteFileStatus
{
    Loaded,            // the route was read, applied and loaded into the target
    UnknownMode,       // the path ends neither in ".RE" nor in ".RP"
    ReadFailed,        // the route file could not be read
    ChecksFailed,      // as RouteApplyStatus
    CalculationFailed, // the route or the curve exchange file could not be computed
    WriteFailed        // the curve exchange file could not be written
};

// Reads the route file, applies it (writing the curve exchange file to `curvePath`, by default
// the route's own, see CurveFilePathOf) and loads that file into `target`. Unlike the program,
// which then shows the last route it could load, a failure at any step is reported and `target`
// is left unloaded. A conversion that fails is CalculationFailed (nothing is written); WriteFailed
// means the file itself could not be written.
TESVANE_API RouteFileStatus CalculateRouteFile(const QString& routePath, CRoadDesign& target,
                                               const QString& curvePath = QString());

// The same without writing anything: the curve exchange text goes from the conversion straight
// into `target`, which ends up as it would after loading the file. Never WriteFailed.
TESVANE_API RouteFileStatus CalculateRouteInMemory(const QString& routePath, CRoadDesign& target);
