#pragma once

// Loading a route for the route subcommands (stakes, tdfe, point, locate, mainpoints, validate,
// render).

#include "CliUtil.h"
#include "Command.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"
#include "road/RouteCalculation.h"

#include <QDir>

#include <vector>

namespace RouteCli
{
// Reads, checks and computes the route at `routePath` and loads it into `model` exactly as the
// program does. With `keepCurveFile` the curve exchange file is written beside the route
// (ROUTE.TDFE, as the program writes it); otherwise nothing is written, so that commands that
// only ask questions leave nothing behind. Returns kExitOk, or the exit code after printing what
// went wrong: one line with the route file, what failed and the library's own reason.
inline int LoadRoute(const QString& routePath, CRoadDesign& model, bool keepCurveFile)
{
    // The library tells the user why a route is refused through the message sink; those
    // messages are held back and become the reason of the one failure line below.
    struct Message
    {
        QString text, caption;
        MessageKind kind;
    };
    std::vector<Message> held;
    const MessageHandler previous =
        SetMessageHandler([&held](const QString& text, const QString& caption, MessageKind kind) {
            held.push_back({text, caption, kind});
            return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
        });
    const QString curvePath = CurveFilePathOf(routePath);
    const RouteFileStatus status =
        keepCurveFile ? CalculateRouteFile(routePath, model, curvePath) : CalculateRouteInMemory(routePath, model);
    SetMessageHandler(previous);

    const auto report = [&](int (*print)(const QString&), const QString& what) {
        QString line = QStringLiteral("%1: %2").arg(routePath, what);
        for (size_t i = 0; i < held.size(); ++i) line += (i ? QStringLiteral(" ") : QStringLiteral(": ")) + held[i].text;
        return print(line);
    };
    switch (status)
    {
    case RouteFileStatus::Loaded:
        // Nothing failed: whatever the library said still reaches the user.
        for (const Message& m : held) ShowMessage(m.text, m.caption, m.kind);
        return kExitOk;
    case RouteFileStatus::UnknownMode:
        return report(UsageError, QStringLiteral("a route file ends in .RE (elements) or .RP (crossing points)"));
    case RouteFileStatus::ReadFailed:
        return report(UsageError, QStringLiteral("cannot read the route file"));
    case RouteFileStatus::ChecksFailed:
        return report(Failure, QStringLiteral("the route's element sequence is refused"));
    case RouteFileStatus::CalculationFailed:
        return report(Failure, QStringLiteral("the route cannot be computed"));
    case RouteFileStatus::WriteFailed:
        return report(Failure, QStringLiteral("the curve exchange file %1 cannot be written")
                                   .arg(QDir::toNativeSeparators(curvePath)));
    }
    return report(Failure, QStringLiteral("the route cannot be computed"));
}

} // namespace RouteCli
