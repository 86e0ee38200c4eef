#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Exit codes shared by every subcommand.
enum ExitCode
{
    kExitOk = 0,
    kExitFailed = 1, // the computation failed
    kExitUsage = 2   // bad arguments or unreadable input
};

// One subcommand of the tool. Each lives in its own file and registers itself with a
// static RegisterCommand object, so adding a subcommand touches no other file.
struct CliCommand
{
    QString name;
    QString synopsis; // one line: "name ARGS..."
    QString help;     // the full --help text
    int (*run)(const QStringList& args); // arguments after the subcommand name
};

const std::vector<CliCommand>& AllCommands();

struct RegisterCommand
{
    explicit RegisterCommand(CliCommand command);
};
