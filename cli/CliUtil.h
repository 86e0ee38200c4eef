#pragma once

#include <QString>
#include <QStringList>

// Small helpers for argument parsing and output shared by the subcommands.

// Prints "tesvane: <message>" to stderr and returns the usage exit code.
int UsageError(const QString& message);
// Prints "tesvane: <message>" to stderr and returns the failure exit code.
int Failure(const QString& message);

// Writes UTF-8 text to stdout / stderr.
void Out(const QString& text);
void Err(const QString& text);

// Parses a finite decimal number ("1e3", "-12.5"); false for anything else, including NaN text.
bool ParseNumber(const QString& text, double& value);

// Takes the value of an option such as "--offset 5" or "--offset=5" out of args.
// Returns false with a message when the option is present but its value is missing.
// `found` tells whether the option was there.
bool TakeOption(QStringList& args, const QString& name, QString& value, bool& found, QString& error);

// Same, for a numeric option: keeps `value` when the option is absent.
bool TakeNumberOption(QStringList& args, const QString& name, double& value, QString& error);

// True when args hold "--help" or "-h".
bool WantsHelp(const QStringList& args);
