#include "platform/MessageSink.h"

#include <cstdio>
#include <mutex>

namespace
{
std::mutex& HandlerMutex()
{
    static std::mutex m;
    return m;
}

MessageHandler& CurrentHandler()
{
    static MessageHandler h;
    return h;
}

MessageAnswer DefaultHandler(const QString& text, const QString& caption, MessageKind kind)
{
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    return kind == MessageKind::Question ? MessageAnswer::No : MessageAnswer::Ok;
}
} // namespace

MessageHandler SetMessageHandler(MessageHandler handler)
{
    std::lock_guard<std::mutex> lock(HandlerMutex());
    MessageHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageKind kind)
{
    std::lock_guard<std::mutex> lock(HandlerMutex());
    if (CurrentHandler()) return CurrentHandler()(text, caption, kind);
    return DefaultHandler(text, caption, kind);
}

QString WarningCaption() { return QStringLiteral("Warning"); }
QString ErrorCaption() { return QStringLiteral("Error"); }
QString QuestionCaption() { return QString::fromUtf8("提示"); }
