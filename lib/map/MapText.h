#pragma once

// Number parsing and formatting for the map configuration files. Internal.
//
// Numbers are read like the C library reads them (the longest leading number, 0 when the text
// does not start with one) but always with '.' as the decimal point, whatever locale the host set.

#include <QString>

#include <climits>
#include <cstdlib>
#include <locale.h>

namespace maptext
{
inline locale_t CLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

inline double ToDouble(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return strtod_l(bytes.constData(), nullptr, CLocale());
}

// Base-10 long (64-bit here), saturated like strtol.
inline long ToLong(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::strtol(bytes.constData(), nullptr, 10);
}

// The same, narrowed to a 32-bit field: values outside its range saturate instead of wrapping.
inline int ToInt(const QString& text)
{
    const long v = ToLong(text);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// Colours are 32-bit values written as signed decimals: read as a long and keep the low 32 bits,
// so "-1" and "4294967295" both give 0xFFFFFFFF.
inline unsigned long ToColor(const QString& text)
{
    return static_cast<unsigned long>(static_cast<unsigned int>(ToLong(text)));
}

inline QString ColorText(unsigned long color)
{
    return QString::number(static_cast<int>(static_cast<unsigned int>(color)));
}
} // namespace maptext
