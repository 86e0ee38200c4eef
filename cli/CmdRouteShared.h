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
// Holds back what the library tells the user (through the message sink) while a file is read, so
// that a failure is reported as one line with the library's reasons, and a success still passes
// the messages on. Questions are answered No.
class HeldMessages
{
public:
    HeldMessages()
        : m_Previous(SetMessageHandler([this](const QString& text, const QString& caption, MessageKind kind) {
              m_Held.push_back({text, caption, kind});
              return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
          }))
    {
    }
    ~HeldMessages() { Stop(); }
    HeldMessages(const HeldMessages&) = delete;
    HeldMessages& operator=(const HeldMessages&) = delete;

    // Puts the previous handler back; later messages are no longer held.
    void Stop()
    {
        if (m_Holding) SetMessageHandler(m_Previous);
        m_Holding = false;
    }
    // ": first second ..." to end a failure line, or nothing when nothing was said.
    QString Reason() const
    {
        QString reason;
        for (size_t i = 0; i < m_Held.size(); ++i)
            reason += (i ? QStringLiteral(" ") : QStringLiteral(": ")) + m_Held[i].text;
        return reason;
    }
    // Passes the held messages on, each after `prefix`.
    void Show(const QString& prefix = QString()) const
    {
        for (const Message& m : m_Held) ShowMessage(prefix + m.text, m.caption, m.kind);
    }

private:
    struct Message
    {
        QString text, caption;
        MessageKind kind;
    };
    std::vector<Message> m_Held;
    MessageHandler m_Previous;
    bool m_Holding = true;
};

// Reads, checks and computes the route at `routePath` and loads it into `model` exactly as the
// program does. With `keepCurveFile` the curve exchange file is written beside the route
// (ROUTE.TDFE, as the program writes it); otherwise nothing is written, so that commands that
// only ask questions leave nothing behind. Returns kExitOk, or the exit code after printing what
// went wrong: one line with the route file, what failed and the library's own reason.
inline int LoadRoute(const QString& routePath, CRoadDesign& model, bool keepCurveFile)
{
    // The library tells the user why a route is refused through the message sink; those
    // messages are held back and become the reason of the one failure line below.
    HeldMessages held;
    const QString curvePath = CurveFilePathOf(routePath);
    const RouteFileStatus status =
        keepCurveFile ? CalculateRouteFile(routePath, model, curvePath) : CalculateRouteInMemory(routePath, model);
    held.Stop();

    const auto report = [&](int (*print)(const QString&), const QString& what) {
        return print(QStringLiteral("%1: %2").arg(routePath, what) + held.Reason());
    };
    switch (status)
    {
    case RouteFileStatus::Loaded:
        // Nothing failed: whatever the library said still reaches the user.
        held.Show();
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
