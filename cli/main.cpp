#include "Command.h"
#include "CliUtil.h"

#include "platform/MessageSink.h"

#include <QGuiApplication>
#include <algorithm>

namespace
{
std::vector<CliCommand>& Registry()
{
    static std::vector<CliCommand> commands;
    return commands;
}

void PrintUsage()
{
    QString text = QStringLiteral("usage: tesvane COMMAND [ARGS...]\n\n"
                                  "Road alignment and survey computations.\n\nCommands:\n");
    std::vector<CliCommand> commands = AllCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    for (const CliCommand& c : commands) text += QStringLiteral("  %1\n").arg(c.synopsis);
    text += QStringLiteral("\nRun 'tesvane COMMAND --help' for the details of one command.\n");
    Out(text);
}
} // namespace

const std::vector<CliCommand>& AllCommands() { return Registry(); }

RegisterCommand::RegisterCommand(CliCommand command) { Registry().push_back(std::move(command)); }

int main(int argc, char** argv)
{
    // A GUI application (without windows: the offscreen platform unless the user chose one), so
    // that commands drawing pictures have fonts.
    // Its start-up notes (such as a missing XDG_RUNTIME_DIR) are not the user's business.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const QtMessageHandler qtMessages = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    // Messages that library code addresses to the user go to stderr, captioned as in the program.
    SetMessageHandler([](const QString& text, const QString& caption, MessageKind kind) {
        Err((caption.isEmpty() ? QString() : caption + QStringLiteral(": ")) + text + QLatin1Char('\n'));
        return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
    });

    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") ||
        args[0] == QLatin1String("help"))
    {
        PrintUsage();
        return args.isEmpty() ? kExitUsage : kExitOk;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& c : AllCommands())
    {
        if (c.name != name) continue;
        if (WantsHelp(args))
        {
            Out(c.help + QLatin1Char('\n'));
            return kExitOk;
        }
        return c.run(args);
    }
    return UsageError(QStringLiteral("unknown command \"%1\"; run 'tesvane --help'").arg(name));
}
