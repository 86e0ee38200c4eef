// `tesvane curve-table`: the curve-element table of a route as CSV.
#include "CmdRouteShared.h"

#include "platform/FileIO.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CurveTable.h"

namespace
{
const char* const kHelp =
    "usage: tesvane curve-table ROUTE [-o OUT.csv] [--metres]\n"
    "\n"
    "Prints the curve-element table of a route (直线、曲线及转角表) as comma-separated text.\n"
    "A crossing-point route (.RP) gives one row per crossing point: station, coordinates,\n"
    "deflection and side, radius, transition lengths, tangent lengths T1 and T2, curve length L,\n"
    "external distance E, J, the stations of ZH, HY, QZ, YH, HZ (ZY, QZ, YZ without transitions),\n"
    "the straight before the curve, the distance and bearing from the previous crossing point.\n"
    "An element route (.RE) gives one row per computed element: start and end stations,\n"
    "coordinates, bearings and radii. The route is computed first; nothing else is written.\n"
    "\n"
    "  -o OUT.csv   write the table to a file (UTF-8 with a byte order mark, so that spreadsheet\n"
    "               programs read the Chinese titles) instead of printing it\n"
    "  --metres     stations in plain metres instead of K-marks (K12+345.678)\n"
    "\n"
    "Exit status: 0 written, 1 the route cannot be computed or the file cannot be written,\n"
    "2 bad arguments or unreadable route.";

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error, outPath;
    bool hasOut = false;
    if (!TakeOption(args, QStringLiteral("-o"), outPath, hasOut, error)) return UsageError(error);
    const StationStyle style = args.removeAll(QStringLiteral("--metres")) > 0 ? StationStyle::Metres : StationStyle::KiloMark;
    if (args.size() != 1) return UsageError(QStringLiteral("give one route file (see --help)"));
    if (hasOut && outPath.trimmed().isEmpty()) return UsageError(QStringLiteral("-o needs a file name"));

    const QString routePath = args[0];
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(routePath, model, false); code != kExitOk) return code;

    std::vector<QStringList> table;
    if (RouteModeOfPath(routePath) == RouteMode::CrossPoint)
    {
        CRoadDesign_CrossPoint route;
        if (!route.LibraryFile_Read(routePath)) return UsageError(QStringLiteral("%1: cannot read the route file").arg(routePath));
        table = CrossPointTableText(BuildCrossPointTable(route), style);
    }
    else
    {
        table = ElementTableText(BuildElementTable(model), style);
    }

    const QByteArray csv = TableCsvBytes(table);
    if (!hasOut)
    {
        // A terminal or a pipe wants the text without the byte order mark.
        Out(QString::fromUtf8(csv.mid(3)));
        return kExitOk;
    }
    QString writeError;
    if (!WriteFileAtomically(outPath, csv, &writeError))
        return Failure(QStringLiteral("%1: cannot write the table: %2").arg(outPath, writeError));
    Out(QStringLiteral("%1: %2 rows\n").arg(outPath).arg(table.size() - 1));
    return kExitOk;
}

RegisterCommand registration({"curve-table", "curve-table ROUTE [-o OUT.csv] [--metres]  curve-element table as CSV",
                              kHelp, &Run});
} // namespace
