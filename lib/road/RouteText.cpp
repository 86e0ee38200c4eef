#include "road/RouteText.h"

#include "platform/FileIO.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i)
    {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

bool ReadAnsiTextFile(const QString& path, QString& text)
{
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    // Text files never hold NULs; a C reader would stop at the first one.
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    text = FromAnsi(bytes);
    return true;
}

bool ReadRouteFileLines(const QString& path, std::vector<RouteFileLine>& records)
{
    const QString source = path.trimmed();
    if (source.isEmpty() || !QFileInfo(source).isFile()) return false;
    QString text;
    if (!ReadAnsiTextFile(source, text)) return false;
    records.clear();
    for (const QString& line : SplitTextLines(text))
    {
        if (line.size() < 8) continue;
        records.push_back(RouteFileLine{line.left(9), line.mid(9)});
    }
    return true;
}

QString RouteNameOf(const QString& values)
{
    const qsizetype comma = values.indexOf(QLatin1Char(','));
    return comma < 0 ? values : values.left(comma);
}

bool WriteAnsiTextFile(const QString& path, const QString& text)
{
    return WriteFileAtomically(path, ToAnsi(text));
}

QStringList SplitFields(const QString& values, int minimumCount)
{
    QStringList fields = values.split(QLatin1Char(','));
    while (fields.size() < minimumCount) fields.append(QString());
    return fields;
}

QString FieldText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char(','), QChar(0xFF0C));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}
