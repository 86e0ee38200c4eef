// `tesvane point`: the point and bearing at a station.
#include "CmdRouteShared.h"

#include "geometry/Angle.h"
#include "platform/NumberText.h"

namespace
{
const char* const kHelp =
    "usage: tesvane point ROUTE STATION [--offset D]\n"
    "\n"
    "Prints the point of the route at a station, shifted by the offset (negative left, positive\n"
    "right), and the tangent bearing there, as one line:\n"
    "  x,y,bearing in decimal degrees,bearing as degrees.minutes-seconds\n"
    "x is the northing and y the easting. Nothing is written to disk.\n"
    "Exit status: 0 printed, 1 the station is outside the route or the route cannot be computed,\n"
    "2 bad arguments or unreadable route.";

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error;
    double offset = 0.0;
    if (!TakeNumberOption(args, QStringLiteral("--offset"), offset, error)) return UsageError(error);
    if (args.size() != 2) return UsageError(QStringLiteral("give a route file and a station (see --help)"));
    double station = 0.0;
    if (!ParseNumber(args[1], station)) return UsageError(QStringLiteral("\"%1\" is not a station").arg(args[1]));

    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
    double x = 0, y = 0, bearing = 0;
    if (!model.GetAngleAndXY(station, x, y, bearing, offset))
        return Failure(QStringLiteral("station %1 is outside the route (%2 to %3)")
                           .arg(args[1], FormatFixed(model.m_RoadElements.front().m_StartStation, 4),
                                FormatFixed(model.m_RoadElements.back().m_EndStation, 4)));
    Out(QStringLiteral("%1,%2,%3,%4\n")
            .arg(FormatFixed(x, 4), FormatFixed(y, 4), FormatFixed(Angle::RadiansToDegrees(bearing), 8), Angle::RadiansToPackedDmsText(bearing, 5)));
    return kExitOk;
}

RegisterCommand registration({"point", "point ROUTE STATION [--offset D]   point and bearing at a station", kHelp,
                              &Run});
} // namespace
