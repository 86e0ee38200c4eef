// `tesvane tdfe`: writes a route's curve exchange file.
#include "CmdRouteShared.h"

#include "platform/NumberText.h"

namespace
{
const char* const kHelp =
    "usage: tesvane tdfe ROUTE\n"
    "\n"
    "Computes the route (.RE: elements checked and computed; .RP: crossing points converted) and\n"
    "writes its curve exchange file ROUTE.TDFE, as the program's apply step does. The file is\n"
    "loaded back to make sure it describes a usable alignment.\n"
    "Exit status: 0 written, 1 the route cannot be computed, 2 bad arguments or unreadable route.";

int Run(const QStringList& args)
{
    if (args.size() != 1) return UsageError(QStringLiteral("give one route file (see --help)"));
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, true); code != kExitOk) return code;
    Out(QStringLiteral("%1: %2 elements, stations %3 to %4\n")
            .arg(CurveFilePathOf(args[0]))
            .arg(model.m_RoadElements.size())
            .arg(FormatFixed(model.m_RoadElements.front().m_StartStation, 4),
                 FormatFixed(model.m_RoadElements.back().m_EndStation, 4)));
    return kExitOk;
}

RegisterCommand registration({"tdfe", "tdfe ROUTE                write the route's curve exchange file ROUTE.TDFE",
                              kHelp, &Run});
} // namespace
