// `tesvane validate`: checks a stake file against its route.
#include "CmdRouteShared.h"

#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/RouteText.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace
{
const char* const kHelp =
    "usage: tesvane validate ROUTE STAKES.dat\n"
    "\n"
    "Runs every point of a stake file (name,x,y,h,station,...) back through the route's inverse\n"
    "computation and writes the report STAKES.dat_Validate.txt: one line per point, \"CalOK\" with\n"
    "the computed station, the file's station, their difference and the offset, or \"CalFailed\"\n"
    "when no element of the route claims the point. Prints how many points were OK and failed and\n"
    "the largest station difference.\n"
    "Exit status: 0 every point OK, 1 some point failed or the route cannot be computed, 2 bad\n"
    "arguments or an unreadable route or stake file.";

int Run(const QStringList& args)
{
    if (args.size() != 2) return UsageError(QStringLiteral("give a route file and a stake file (see --help)"));
    const QString stakes = args[1];
    if (!QFileInfo(stakes).isFile()) return UsageError(QStringLiteral("%1: cannot read the stake file").arg(stakes));

    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;

    // The summary below replaces the library's "finished" notice.
    MessageHandler previous;
    previous = SetMessageHandler([&previous](const QString& text, const QString& caption, MessageKind kind) {
        if (kind == MessageKind::Information) return MessageAnswer::Ok;
        return previous ? previous(text, caption, kind) : MessageAnswer::Ok;
    });
    const int written = model.ValidateCalculate(stakes);
    SetMessageHandler(previous);
    const QString reportPath = stakes + QStringLiteral("_Validate.txt");
    if (!written)
        return UsageError(QStringLiteral("%1: cannot read the stake file or write the report %2").arg(stakes, reportPath));

    QString report;
    if (!ReadAnsiTextFile(reportPath, report)) return Failure(QStringLiteral("%1: cannot read the report back").arg(reportPath));
    static const QRegularExpression difference(QStringLiteral(">=\\s*(\\S+)--OffsetDistance"));
    int ok = 0, failed = 0;
    double largest = 0.0;
    for (const QString& line : SplitTextLines(report))
    {
        if (line.endsWith(QLatin1String("--CalFailed,")))
        {
            ++failed;
            continue;
        }
        const QRegularExpressionMatch m = difference.match(line);
        if (!m.hasMatch()) continue;
        ++ok;
        largest = std::max(largest, std::fabs(m.captured(1).toDouble()));
    }
    Out(QStringLiteral("%1: %2 OK, %3 failed, largest station difference %4 m\nreport: %5\n")
            .arg(stakes)
            .arg(ok)
            .arg(failed)
            .arg(FormatFixed(largest, 4), reportPath));
    return failed ? kExitFailed : kExitOk;
}

RegisterCommand registration({"validate", "validate ROUTE STAKES.dat   check a stake file against the route", kHelp,
                              &Run});
} // namespace
