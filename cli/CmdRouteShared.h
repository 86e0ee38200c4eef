#pragma once

// Loading a route for the route subcommands (stakes, tdfe, point, locate, mainpoints, validate).

#include "CliUtil.h"
#include "Command.h"

#include "road/CRoadDesign.h"
#include "road/RouteCalculation.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace RouteCli
{
// Reads, checks and computes the route at `routePath` and loads it into `model` exactly as the
// program does. With `keepCurveFile` the curve exchange file is written beside the route
// (ROUTE.TDFE, as the program writes it); otherwise it goes to a temporary folder, so that
// commands that only ask questions leave nothing behind. Returns kExitOk, or the exit code after
// printing what went wrong.
inline int LoadRoute(const QString& routePath, CRoadDesign& model, bool keepCurveFile)
{
    std::unique_ptr<QTemporaryDir> temp;
    QString curvePath;
    if (keepCurveFile)
    {
        curvePath = CurveFilePathOf(routePath);
    }
    else
    {
        temp = std::make_unique<QTemporaryDir>();
        if (!temp->isValid()) return Failure(QStringLiteral("cannot create a temporary folder"));
        curvePath = temp->filePath(QStringLiteral("route.TDFE"));
    }
    switch (CalculateRouteFile(routePath, model, curvePath))
    {
    case RouteFileStatus::Loaded:
        return kExitOk;
    case RouteFileStatus::UnknownMode:
        return UsageError(QStringLiteral("%1: a route file ends in .RE (elements) or .RP (crossing points)")
                              .arg(routePath));
    case RouteFileStatus::ReadFailed:
        return UsageError(QStringLiteral("%1: cannot read the route file").arg(routePath));
    case RouteFileStatus::ChecksFailed:
        return Failure(QStringLiteral("%1: the route's element sequence is refused").arg(routePath));
    case RouteFileStatus::CalculationFailed:
        return Failure(QStringLiteral("%1: the route cannot be computed").arg(routePath));
    case RouteFileStatus::WriteFailed:
        return Failure(QStringLiteral("%1: the curve exchange file %2 cannot be written")
                           .arg(routePath, QDir::toNativeSeparators(curvePath)));
    }
    return Failure(QStringLiteral("%1: the route cannot be computed").arg(routePath));
}

} // namespace RouteCli
