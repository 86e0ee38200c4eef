// `tesvane locate`: station and offset of plane points.
#include "CmdRouteShared.h"

#include "platform/NumberText.h"

#include <cstdio>
#include <string>

namespace
{
const char* const kHelp =
    "usage: tesvane locate ROUTE X Y [X Y ...]\n"
    "       tesvane locate ROUTE < points.txt\n"
    "\n"
    "Prints the station and offset (negative left, positive right) of each point, one line each:\n"
    "  x,y,station,offset    or    x,y,off    when no element of the route claims the point.\n"
    "Points come as pairs of arguments, or without them as \"x,y\" lines on standard input (blank\n"
    "lines are skipped). x is the northing and y the easting. Nothing is written to disk.\n"
    "Exit status: 0 printed, 1 the route cannot be computed, 2 bad arguments, a bad input line or\n"
    "an unreadable route.";

void Locate(const CRoadDesign& model, double x, double y)
{
    double station = 0, offset = 0;
    const QString point = FormatFixed(x, 4) + QLatin1Char(',') + FormatFixed(y, 4);
    if (model.GetPegAndOffset(x, y, station, offset, 0, 0.0))
        Out(point + QLatin1Char(',') + FormatFixed(station, 4) + QLatin1Char(',') + FormatFixed(offset, 4) +
            QLatin1Char('\n'));
    else
        Out(point + QStringLiteral(",off\n"));
}

int Run(const QStringList& args)
{
    if (args.isEmpty()) return UsageError(QStringLiteral("give a route file (see --help)"));
    if (args.size() % 2 == 0) return UsageError(QStringLiteral("points come in pairs: X Y"));
    std::vector<std::pair<double, double>> points;
    for (int i = 1; i + 1 < args.size(); i += 2)
    {
        double x = 0, y = 0;
        if (!ParseNumber(args[i], x) || !ParseNumber(args[i + 1], y))
            return UsageError(QStringLiteral("\"%1 %2\" is not a point").arg(args[i], args[i + 1]));
        points.emplace_back(x, y);
    }

    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
    if (args.size() > 1)
    {
        for (const auto& p : points) Locate(model, p.first, p.second);
        return kExitOk;
    }
    // One line at a time, so that a pipe gets its answers as it goes.
    std::string line;
    int number = 0;
    int c = 0;
    while (c != EOF)
    {
        line.clear();
        while ((c = std::fgetc(stdin)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
        ++number;
        const QString text = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).trimmed();
        if (text.isEmpty()) continue;
        const QStringList parts = text.split(QLatin1Char(','));
        double x = 0, y = 0;
        if (parts.size() != 2 || !ParseNumber(parts[0], x) || !ParseNumber(parts[1], y))
            return UsageError(QStringLiteral("standard input, line %1: expected x,y, got \"%2\"").arg(number).arg(text));
        Locate(model, x, y);
        std::fflush(stdout);
    }
    return kExitOk;
}

RegisterCommand registration({"locate", "locate ROUTE X Y [X Y ...]   station and offset of points (or x,y lines on stdin)",
                              kHelp, &Run});
} // namespace
