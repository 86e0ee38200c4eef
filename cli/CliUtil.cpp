#include "CliUtil.h"

#include "road/RouteText.h"

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

QString FormatNumber(double value, int decimals)
{
    QString text = FormatFixed(value, decimals);
    if (text.startsWith(QLatin1Char('-')))
    {
        bool allZero = true;
        for (qsizetype i = 1; i < text.size(); ++i)
            if (text[i] != QLatin1Char('0') && text[i] != QLatin1Char('.')) allZero = false;
        if (allZero) text.remove(0, 1);
    }
    return text;
}

QString FormatDegrees(double radians) { return QString::asprintf("%.8f", radians * 180.0 / M_PI); }

QString FormatPackedDms(double radians)
{
    double deg = radians * 180.0 / M_PI;
    const bool negative = deg < 0;
    deg = std::fabs(deg);
    // Work in hundred-thousandths of a second so that rounding carries into minutes and degrees.
    const long long units = std::llround(deg * 3600.0 * 100000.0);
    const long long d = units / (3600LL * 100000LL);
    const long long m = (units / (60LL * 100000LL)) % 60;
    const long long s = units % (60LL * 100000LL);
    return QString::asprintf("%s%lld.%02lld%07lld", negative ? "-" : "", d, m, s);
}
