#include "geometry/Angle.h"

#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace Angle
{
namespace
{
// The value a file holding it with `decimals` decimals gives back.
double RoundedAsWritten(double value, int decimals)
{
    std::string text;
    AppendFixedAsPrintf(text, value, decimals);
    double rounded = value;
    std::from_chars(text.data(), text.data() + text.size(), rounded);
    return rounded;
}

// Seconds or minutes that reached 60 after a carry become the next minute or degree.
void CarryWholeMinutes(double& d, double& m, double& s)
{
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
}

// The split of PackedDmsToDegreesNudged: the small additions keep 45.3 from being read as
// 45°29′59.999…″.
struct NudgedSplit
{
    double degrees, minutes, seconds, secondFraction;
};

NudgedSplit SplitNudged(double magnitude)
{
    const double a = magnitude + 1e-12;
    const double d = std::floor(a);
    const double minutesPart = (a - d) * 100.0 + 1e-12;
    const double m = std::floor(minutesPart);
    const double secondsPart = (minutesPart - m) * 100.0 + 1e-12;
    const double s = std::floor(secondsPart);
    return {d, m, s, secondsPart - s};
}
} // namespace

double NormaliseBearing(double radians)
{
    double a = std::fmod(radians, kTwoPi);
    if (a < 0) a += kTwoPi;
    return a;
}

double WrapBearingFrom(double radians, double low)
{
    if (!std::isfinite(radians)) return radians;
    // Far outside one turn, remove whole turns exactly first so the loops below stay short.
    if (std::fabs(radians) > 64.0) radians = std::fmod(radians, kTwoPi);
    while (radians < low) radians += kTwoPi;
    while (radians - kTwoPi > low) radians -= kTwoPi;
    return radians;
}

double PackedDmsToRadians(double packed)
{
    if (!(std::fabs(packed) > 1e-9)) return 0.0; // also NaN
    if (!std::isfinite(packed)) return packed;
    const bool negative = packed < 0.0;
    const double a = std::fabs(packed) + 1e-18;
    const double d = std::trunc(a);
    double t = (a - d) * 100.0;
    const double m = std::trunc(t + 1e-8);
    t = (t - m) * 100.0;
    const double s = std::trunc(t + 1e-8);
    const double hundredths = (t - s) * 100.0;
    const double degrees = d + m / 60.0 + s / 3600.0 + hundredths / 360000.0;
    const double radians = DegreesToRadians(degrees);
    return negative ? -radians : radians;
}

double PackedDmsToDegreesNudged(double packed)
{
    if (!std::isfinite(packed)) return 0.0;
    const double sign = packed < 0 ? -1.0 : 1.0;
    const double a = std::fabs(packed);
    if (a <= 1e-9) return 0.0;
    const NudgedSplit p = SplitNudged(a);
    return sign * (p.degrees + p.minutes / 60.0 + p.seconds / 3600.0 + p.secondFraction * 100.0 / 360000.0);
}

PackedDmsCheck CheckPackedDms(double packed)
{
    if (!std::isfinite(packed)) return PackedDmsCheck::Valid;
    const NudgedSplit p = SplitNudged(std::fabs(packed));
    if (p.minutes >= 60.0) return PackedDmsCheck::MinutesOutOfRange;
    if (p.seconds >= 60.0) return PackedDmsCheck::SecondsOutOfRange;
    return PackedDmsCheck::Valid;
}

PackedDmsEntry ReadPackedDmsEntry(const QString& text)
{
    PackedDmsEntry entry;
    const QString t = text.trimmed();
    if (t.isEmpty()) return entry;
    bool ok = false;
    const double v = t.toDouble(&ok); // QString reads numbers in the C locale
    if (!ok || !std::isfinite(v))
    {
        entry.status = PackedDmsEntry::NotANumber;
        return entry;
    }
    switch (CheckPackedDms(v))
    {
    case PackedDmsCheck::MinutesOutOfRange: entry.status = PackedDmsEntry::MinutesOutOfRange; return entry;
    case PackedDmsCheck::SecondsOutOfRange: entry.status = PackedDmsEntry::SecondsOutOfRange; return entry;
    case PackedDmsCheck::Valid: break;
    }
    entry.degrees = PackedDmsToDegreesNudged(v);
    return entry;
}

double RadiansToPackedDmsRounded10(double radians)
{
    const bool negative = radians < 1e-10;
    const double v = negative ? -radians : radians;
    if (!(std::fabs(v) > 1e-9)) return 0.0; // also NaN
    if (!std::isfinite(v)) return radians;
    const double degrees = RadiansToDegrees(v);
    double d = std::trunc(degrees + 1e-8);
    double t = (degrees - d) * 60.0;
    double m = std::trunc(t + 1e-8);
    t = (t - m) * 60.0;
    double s = std::trunc(t + 1e-8);
    double f = t - s;
    if (1000000.0 * f >= 999999.0)
    {
        f = 0.0;
        s += 1.0;
    }
    CarryWholeMinutes(d, m, s);
    const double packed = RoundedAsWritten(d + m / 100.0 + s / 10000.0 + f / 10000.0, 10);
    return negative ? -packed : packed;
}

double RadiansToPackedDmsRounded12(double radians)
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
    const double degrees = RadiansToDegrees(v);
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
    CarryWholeMinutes(d, m, s);
    return sign * RoundedAsWritten(d + m / 100.0 + s / 10000.0 + f / 10000.0, 12);
}

QString DegreesToPackedDmsTextSnapped(double degrees)
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

QString RadiansToPackedDmsText(double radians, int secondDecimals)
{
    if (!std::isfinite(radians)) radians = 0.0;
    if (secondDecimals < 0) secondDecimals = 0;
    if (secondDecimals > 9) secondDecimals = 9;
    long long unit = 1; // of a second
    for (int i = 0; i < secondDecimals; ++i) unit *= 10;
    double deg = RadiansToDegrees(radians);
    const bool negative = deg < 0;
    deg = std::fabs(deg);
    // Counted in units of the last digit so that rounding carries into minutes and degrees.
    const long long units = std::llround(deg * 3600.0 * static_cast<double>(unit));
    const long long d = units / (3600LL * unit);
    const long long m = (units / (60LL * unit)) % 60;
    const long long s = units % (60LL * unit);
    QString secondsText = QString::number(s);
    secondsText.prepend(QString(secondDecimals + 2 - secondsText.size(), QLatin1Char('0')));
    return QString::asprintf("%s%lld.%02lld", negative ? "-" : "", d, m) + secondsText;
}

QString PackedDmsTextReadable(const QString& packedText)
{
    const QString t = packedText.trimmed();
    qsizetype i = 0;
    QString sign;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
    {
        if (t[i] == QLatin1Char('-')) sign = QStringLiteral("-");
        ++i;
    }
    const qsizetype degreesStart = i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) ++i;
    const QString degrees = t.mid(degreesStart, i - degreesStart);
    QString rest;
    if (i < t.size() && t[i] == QLatin1Char('.'))
    {
        const qsizetype restStart = ++i;
        while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) ++i;
        rest = t.mid(restStart, i - restStart);
    }
    if (i != t.size() || (degrees.isEmpty() && rest.isEmpty())) return QString();
    while (rest.size() < 4) rest.append(QLatin1Char('0'));
    QString fraction = rest.mid(4);
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    QString text = sign + (degrees.isEmpty() ? QStringLiteral("0") : degrees) + QChar(0x00B0) + rest.left(2) +
                   QChar(0x2032) + rest.mid(2, 2);
    if (!fraction.isEmpty()) text += QLatin1Char('.') + fraction;
    return text + QChar(0x2033);
}
} // namespace Angle
