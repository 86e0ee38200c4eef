#include "road/StationText.h"

#include "platform/NumberText.h"

#include <QRegularExpression>

#include <cmath>

QString FormatKiloMark(double station, int decimals)
{
    decimals = qBound(0, decimals, 6);
    if (!std::isfinite(station)) station = 0.0;
    if (std::fabs(station) >= 1e12) return FormatFixed(station, decimals);

    // Split in whole units of the last decimal, so that rounding carries into the kilometres.
    const double unitsPerMetre = std::pow(10.0, decimals);
    const long long units = std::llround(std::fabs(station) * unitsPerMetre);
    const long long unitsPerKm = static_cast<long long>(1000.0 * unitsPerMetre);
    const long long km = units / unitsPerKm;
    const double metres = double(units % unitsPerKm) / unitsPerMetre;

    QString m = FormatFixed(metres, decimals);
    // Metres always have three digits before the point: K12+005.000.
    const int point = decimals > 0 ? m.indexOf(QLatin1Char('.')) : m.size();
    if (point < 3) m.prepend(QString(3 - point, QLatin1Char('0')));
    const QString sign = station < 0.0 && units > 0 ? QStringLiteral("-") : QString();
    return sign + QStringLiteral("K%1+").arg(km) + m;
}

QString FormatStation(double station, StationStyle style, int decimals)
{
    if (style == StationStyle::KiloMark) return FormatKiloMark(station, decimals);
    return FormatFixed(station, qBound(0, decimals, 6));
}

bool ParseStation(const QString& text, double& station)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    static const QRegularExpression kiloMark(
        QStringLiteral("^(-)?\\s*[A-Za-z]{0,2}[Kk]\\s*(\\d+)\\s*\\+\\s*(\\d+(?:\\.\\d*)?)$"));
    const QRegularExpressionMatch m = kiloMark.match(t);
    if (m.hasMatch())
    {
        bool okKm = false;
        const double km = m.captured(2).toDouble(&okKm);
        const double metres = LeadingNumber(m.captured(3));
        if (!okKm || metres >= 1000.0) return false;
        const double value = km * 1000.0 + metres;
        if (!std::isfinite(value)) return false;
        station = m.captured(1).isEmpty() ? value : -value;
        return true;
    }
    static const QRegularExpression plain(QStringLiteral("^[-+]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][-+]?\\d+)?$"));
    if (!plain.match(t).hasMatch()) return false;
    double value = 0.0;
    if (ReadLeadingNumber(t, value) != LeadingNumberStatus::Number) return false;
    station = value;
    return true;
}
