// `tesvane mainpoints`: the main points of a route.
#include "CmdRouteShared.h"

#include "platform/NumberText.h"

namespace
{
const char* const kHelp =
    "usage: tesvane mainpoints ROUTE\n"
    "\n"
    "Prints the main points of the computed route in station order, one line each:\n"
    "  label,station,x,y\n"
    "Labels: QD start, ZH/HY/QZ/YH/HZ transition and curve points, ZY/YZ curve points without\n"
    "transitions, ZD end. x is the northing and y the easting. Nothing is written to disk.\n"
    "Exit status: 0 printed, 1 the route cannot be computed, 2 bad arguments or unreadable route.";

int Run(const QStringList& args)
{
    if (args.size() != 1) return UsageError(QStringLiteral("give one route file (see --help)"));
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
    for (const SurveyCoord& p : model.m_MainPoints)
        Out(QStringLiteral("%1,%2,%3,%4\n").arg(p.name, p.note, FormatFixed(p.x, 4), FormatFixed(p.y, 4)));
    return kExitOk;
}

RegisterCommand registration({"mainpoints", "mainpoints ROUTE          main points with labels, stations and coordinates",
                              kHelp, &Run});
} // namespace
