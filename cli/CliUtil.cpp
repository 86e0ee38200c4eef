#include "CliUtil.h"

#include <cmath>
#include <cstdio>

void Out(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void Err(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

int UsageError(const QString& message)
{
    Err(QStringLiteral("tesvane: ") + message + QLatin1Char('\n'));
    return 2;
}

int Failure(const QString& message)
{
    Err(QStringLiteral("tesvane: ") + message + QLatin1Char('\n'));
    return 1;
}

bool ParseNumber(const QString& text, double& value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool TakeOption(QStringList& args, const QString& name, QString& value, bool& found, QString& error)
{
    found = false;
    for (int i = 0; i < args.size(); ++i)
    {
        const QString& a = args[i];
        if (a == name)
        {
            if (i + 1 >= args.size())
            {
                error = QStringLiteral("option %1 needs a value").arg(name);
                return false;
            }
            value = args[i + 1];
            args.remove(i, 2);
            found = true;
            return true;
        }
        if (a.startsWith(name + QLatin1Char('=')))
        {
            value = a.mid(name.size() + 1);
            args.removeAt(i);
            found = true;
            return true;
        }
    }
    return true;
}

bool TakeNumberOption(QStringList& args, const QString& name, double& value, QString& error)
{
    QString text;
    bool found = false;
    if (!TakeOption(args, name, text, found, error)) return false;
    if (!found) return true;
    if (!ParseNumber(text, value))
    {
        error = QStringLiteral("option %1: \"%2\" is not a number").arg(name, text);
        return false;
    }
    return true;
}

bool WantsHelp(const QStringList& args)
{
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}
