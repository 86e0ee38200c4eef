#include "app/core/AngleFormat.h"

#include <cmath>

double AngleEntry(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return 0.0;
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? AngleEntry(v) : 0.0;
}

double AngleEntry(double packed)
{
    if (!std::isfinite(packed)) return 0.0;
    const double sign = packed < 0 ? -1.0 : 1.0;
    double a = std::fabs(packed);
    if (a <= 1e-9) return 0.0;
    // The small additions keep 45.3 from being read as 45°29'59.999...".
    a += 1e-12;
    const double d = std::floor(a);
    const double minutesPart = (a - d) * 100.0 + 1e-12;
    const double m = std::floor(minutesPart);
    const double secondsPart = (minutesPart - m) * 100.0 + 1e-12;
    const double s = std::floor(secondsPart);
    const double r = secondsPart - s;
    return sign * (d + m / 60.0 + s / 3600.0 + r * 100.0 / 360000.0);
}

QString AngleText(double degrees)
{
    if (!std::isfinite(degrees)) return QStringLiteral("0.0000000000");
    const double v = std::fabs(degrees);
    double d = std::floor(v);
    const double minutes = (v - d) * 60.0;
    double m = std::floor(minutes);
    double s = (minutes - m) * 60.0;
    if (std::fabs(s - 60.0) < 0.0001)
    {
        s = 0.0;
        m += 1.0;
        if (std::fabs(m - 60.0) < 0.0001)
        {
            m = 0.0;
            d += 1.0;
        }
    }
    QString seconds = QString::asprintf("%09.6f", s);
    seconds.remove(QLatin1Char('.'));
    QString text = QString::asprintf("%d.%02d", static_cast<int>(d), static_cast<int>(m)) + seconds;
    // Only a value that is really negative gets the sign: a tiny positive bearing stays positive.
    if (degrees < -0.000001) text.prepend(QLatin1Char('-'));
    return text;
}

double PackedAngle(double radians)
{
    if (!std::isfinite(radians)) return 0.0;
    double sign = 1.0;
    double v = radians;
    if (v < 1e-10)
    {
        v = -v;
        sign = -1.0;
    }
    if (std::fabs(v) <= 1e-9) return 0.0;
    const double degrees = v * 180.0 / M_PI;
    double d = std::floor(degrees + 1e-12);
    const double minutes = (degrees - d) * 60.0;
    double m = std::floor(minutes + 1e-12);
    const double seconds = (minutes - m) * 60.0;
    double s = std::floor(seconds + 1e-12);
    double f = seconds - s;
    if (f < 0) f = 0;
    if (f * 10000.0 >= 9999.0)
    {
        s += 1.0;
        f = 0.0;
    }
    if (s >= 60.0)
    {
        s = 0.0;
        m += 1.0;
    }
    if (m >= 60.0)
    {
        m = 0.0;
        d += 1.0;
    }
    const double packed = d + m / 100.0 + s / 10000.0 + f / 10000.0;
    return sign * QString::asprintf("%.12f", packed).toDouble();
}

QString BuildDateText(const QString& date)
{
    if (date.size() <= 10) return QString();
    int month = 1;
    switch (date.at(2).toLatin1())
    {
    case 'b': month = 2; break;
    case 'c': month = 12; break;
    case 'g': month = 8; break;
    case 'l': month = 7; break;
    case 'n': month = date.at(1) == QLatin1Char('a') ? 1 : 6; break;
    case 'p': month = 9; break;
    case 'r': month = date.at(0) == QLatin1Char('M') ? 3 : 4; break;
    case 't': month = 10; break;
    case 'v': month = 11; break;
    case 'y': month = 5; break;
    default: month = 1; break;
    }
    auto digit = [](QChar c) { return c.isDigit() ? c.digitValue() : 0; };
    const int day = digit(date.at(4)) * 10 + digit(date.at(5));
    const int year = date.mid(7, 4).toInt();
    return QString::asprintf("%d-%d-%d", year, month, day);
}
