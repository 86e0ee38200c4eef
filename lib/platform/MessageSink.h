#pragma once

#include "platform/Export.h"

#include <QString>
#include <functional>

// Library code never shows windows. Where it has something to tell the user it calls
// ShowMessage; the host decides how to present it (the application shows a message box, the
// command-line tool prints to stderr, tests record the calls).

enum class MessageKind
{
    Warning,     // caption "Warning", exclamation icon
    Error,       // caption "Error", stop icon
    Information,
    Question     // caption "提示"; the handler returns the answer
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    Cancel
};

using MessageHandler = std::function<MessageAnswer(const QString& text, const QString& caption, MessageKind kind)>;

// Installs the process-wide handler and returns the previous one. An empty handler restores the
// default, which prints to stderr and answers Ok (No for questions).
TESVANE_API MessageHandler SetMessageHandler(MessageHandler handler);

// Thread-safe: the handler is called under a lock, one message at a time.
TESVANE_API MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageKind kind);

// The captions the whole system uses.
TESVANE_API QString WarningCaption();  // "Warning"
TESVANE_API QString ErrorCaption();    // "Error"
TESVANE_API QString QuestionCaption(); // "提示"
