// `tesvane stakes`: the stake file of a route, as the program's export writes it.
#include "CmdRouteShared.h"

namespace
{
const char* const kHelp =
    "usage: tesvane stakes ROUTE OUT.dat [--interval M] [--offset D] [--mode whole|interval]\n"
    "                      [--layout stake|field]\n"
    "\n"
    "Writes the stake file of a route: its main points and a stake every M metres, on the centre\n"
    "line or at a constant offset. The route is computed as the program computes it before an\n"
    "export: an element route (.RE) is checked, computed and written as ROUTE.TDFE, a\n"
    "crossing-point route (.RP) is converted to ROUTE.TDFE; that file is then loaded and the stakes\n"
    "are exported from it, so the command and the program write identical files.\n"
    "\n"
    "  --interval M   stake interval in metres (default 50)\n"
    "  --offset D     offset from the centre line, negative left, positive right (default 0)\n"
    "  --mode whole   stakes at whole multiples of the interval (default)\n"
    "  --mode interval  stakes every interval from the start station\n"
    "\n"
    "  --layout stake  each line name,x,y,h,station,bearing (bearing as degrees.minutes-seconds;\n"
    "                  the default, which the program's validation reads)\n"
    "  --layout field  each line name,code,east,north,height for total stations and GNSS\n"
    "                  controllers, the code carrying the station as K1+234.5000\n"
    "Exit status: 0 written, 1 the route or the export failed, 2 bad arguments or unreadable route.";

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error;
    double interval = 50.0, offset = 0.0;
    if (!TakeNumberOption(args, QStringLiteral("--interval"), interval, error) ||
        !TakeNumberOption(args, QStringLiteral("--offset"), offset, error))
        return UsageError(error);
    QString modeText = QStringLiteral("whole");
    bool hasMode = false;
    if (!TakeOption(args, QStringLiteral("--mode"), modeText, hasMode, error)) return UsageError(error);
    int mode = 0;
    if (modeText == QLatin1String("interval"))
        mode = 1;
    else if (modeText != QLatin1String("whole"))
        return UsageError(QStringLiteral("--mode is whole or interval, not \"%1\"").arg(modeText));
    QString layoutText = QStringLiteral("stake");
    bool hasLayout = false;
    if (!TakeOption(args, QStringLiteral("--layout"), layoutText, hasLayout, error)) return UsageError(error);
    if (layoutText != QLatin1String("stake") && layoutText != QLatin1String("field"))
        return UsageError(QStringLiteral("--layout is stake or field, not \"%1\"").arg(layoutText));
    const StakeLayout layout = layoutText == QLatin1String("field") ? StakeLayout::Field : StakeLayout::StakeFile;
    if (args.size() != 2) return UsageError(QStringLiteral("give a route file and an output file (see --help)"));
    // The export dialog's own check and message.
    if (!(interval >= 1e-6)) return UsageError(QString::fromUtf8("间隔输入错误，请重新输入！"));

    const QString routePath = args[0];
    const QString outPath = args[1];
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(routePath, model, true); code != kExitOk) return code;
    if (!model.Export(outPath, interval, offset, mode, layout))
        return Failure(QStringLiteral("%1: ").arg(outPath) + QString::fromUtf8("线路计算错误，不能导出边桩坐标！"));

    // The lines written are the records of the stake walk.
    int lines = 0;
    model.Stakes(interval, offset, mode, [&lines](const RoadCoordinate&) { ++lines; });
    Out(QStringLiteral("%1: %2 points, interval %3 m, offset %4 m, %5 stations\n")
            .arg(outPath)
            .arg(lines)
            .arg(QString::asprintf("%g", interval), QString::asprintf("%g", offset), mode ? "interval" : "whole"));
    return kExitOk;
}

RegisterCommand registration({"stakes", "stakes ROUTE OUT.dat [--interval M] [--offset D] [--mode whole|interval] [--layout stake|field]",
                              kHelp, &Run});
} // namespace
