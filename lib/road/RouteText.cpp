#include "road/RouteText.h"

#include "platform/FileIO.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

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

QString FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) value = 0.0;
    char buffer[400]; // the largest double has 309 integer digits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return QStringLiteral("0");
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString FieldText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char(','), QChar(0xFF0C));
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

double LeadingNumber(const QString& text)
{
    // Scanned by hand rather than with strtod, whose decimal point follows the process locale
    // (a program running in a German locale would read "12.5" as 12).
    const QByteArray latin = text.toLatin1();
    const char* p = latin.constData();
    const char* const end = p + latin.size();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    const char* const digitsStart = p;
    bool anyDigit = false;
    while (p < end && std::isdigit(static_cast<unsigned char>(*p))) { ++p; anyDigit = true; }
    if (p < end && *p == '.')
    {
        ++p;
        while (p < end && std::isdigit(static_cast<unsigned char>(*p))) { ++p; anyDigit = true; }
    }
    if (!anyDigit) return 0.0;
    const char* mantissaEnd = p;
    if (p < end && (*p == 'e' || *p == 'E'))
    {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        if (q < end && std::isdigit(static_cast<unsigned char>(*q)))
        {
            while (q < end && std::isdigit(static_cast<unsigned char>(*q))) ++q;
            mantissaEnd = q;
        }
    }
    double v = 0.0;
    const auto result = std::from_chars(digitsStart, mantissaEnd, v, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(v)) return 0.0;
    return negative ? -v : v;
}

int LeadingInteger(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const char* begin = latin.constData();
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || v > INT_MAX || v < INT_MIN) return 0;
    return static_cast<int>(v);
}
