#pragma once

// Number parsing for text held in coordinate-system files and control-point tables. Internal.
//
// Like the C library's string-to-number conversions, the longest leading number is taken and
// text that does not start with one gives 0; unlike them, the decimal point is always '.',
// whatever locale the host program has set.

#include <QString>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace coordtext
{
inline locale_t CLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

inline double ToDouble(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const double v = strtod_l(bytes.constData(), nullptr, CLocale());
    return v;
}

// Base-10 integer, saturated to the 32-bit range.
inline int ToInt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const long v = std::strtol(bytes.constData(), nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}
} // namespace coordtext
