// `tesvane dxf`: a route as a DXF drawing for CAD.
#include "CmdRouteShared.h"

#include "sources/RouteDxfWriter.h"

namespace
{
const char* const kHelp =
    "usage: tesvane dxf ROUTE OUT.dxf [--stakes FILE.dat] [--offsets W1,W2,...] [--r12]\n"
    "\n"
    "Writes the route (.RE or .RP) as a DXF drawing (AutoCAD 2000, or R12 with --r12): the centre\n"
    "line on layer ROUTE_CENTRE (straights as LINE, arcs as ARC, transitions as polylines within\n"
    "1 mm of the clothoid), lines at the given offsets on ROUTE_OFFSET (negative left), the main\n"
    "points with label and station on ROUTE_MAIN and, with --stakes, the points of a stake file\n"
    "(either line layout) with their names on ROUTE_STAKES. X is the easting, Y the northing.\n"
    "Exit status: 0 written, 1 the route or the drawing failed, 2 bad arguments or unreadable input.";

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error, stakes, offsetsText;
    bool hasStakes = false, hasOffsets = false;
    if (!TakeOption(args, QStringLiteral("--stakes"), stakes, hasStakes, error) ||
        !TakeOption(args, QStringLiteral("--offsets"), offsetsText, hasOffsets, error))
        return UsageError(error);
    RouteDxfOptions options;
    options.r12 = args.removeAll(QStringLiteral("--r12")) > 0;
    options.stakesPath = stakes;
    if (hasOffsets)
        for (const QString& part : offsetsText.split(QLatin1Char(','), Qt::SkipEmptyParts))
        {
            double w = 0.0;
            if (!ParseNumber(part.trimmed(), w))
                return UsageError(QStringLiteral("--offsets takes numbers separated by commas, not \"%1\"").arg(part));
            options.offsets.push_back(w);
        }
    if (args.size() != 2) return UsageError(QStringLiteral("give a route file and an output file OUT.dxf (see --help)"));
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
    RouteDxfCounts counts;
    if (!WriteRouteDxf(model, args[1], options, error, &counts))
        return Failure(QStringLiteral("%1: %2").arg(args[1], error));
    Out(QStringLiteral("%1: %2 lines, %3 arcs, %4 polylines, %5 points, %6 texts\n")
            .arg(args[1])
            .arg(counts.lines)
            .arg(counts.arcs)
            .arg(counts.polylines)
            .arg(counts.points)
            .arg(counts.texts));
    return kExitOk;
}

RegisterCommand registration({"dxf", "dxf ROUTE OUT.dxf [--stakes FILE.dat] [--offsets W1,W2,...] [--r12]", kHelp,
                              &Run});
} // namespace
