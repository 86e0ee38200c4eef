#include "app/core/StationCalculator.h"

#include "geometry/Angle.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign.h"
#include "road/RouteText.h"

#include <QRegularExpression>

#include <cmath>

namespace
{
// A typed number: the whole text must be one finite decimal.
bool ReadNumber(const QString& text, double& value)
{
    const QString t = text.trimmed();
    static const QRegularExpression number(QStringLiteral("^[-+]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][-+]?\\d+)?$"));
    if (!number.match(t).hasMatch()) return false;
    return ReadLeadingNumber(t, value) == LeadingNumberStatus::Number;
}

bool RouteRange(const CRoadDesign& road, double& from, double& to)
{
    if (!road.IsLoad() || road.m_RoadElements.size() < 2) return false;
    from = road.m_RoadElements[1].m_StartStation;
    to = road.m_RoadElements.back().m_EndStation;
    return true;
}

// The model reports due north as 2π; people read it as 0°.
double ReadableBearing(double radians)
{
    const double b = Angle::NormaliseBearing(radians);
    return b >= Angle::kTwoPi ? 0.0 : b;
}

CalculatorResult Refused(const QString& message)
{
    CalculatorResult r;
    r.message = message;
    return r;
}

QStringList SplitLine(const QString& line)
{
    static const QRegularExpression separators(QStringLiteral("[,，;；\\t ]+"));
    return line.trimmed().split(separators, Qt::SkipEmptyParts);
}

// The name of a pasted line: its first field when that is neither a number nor a station.
QString TakeName(QStringList& fields, bool stationFirst)
{
    if (fields.isEmpty()) return QString();
    double ignored = 0.0;
    const bool value = stationFirst ? ParseStation(fields[0], ignored) : ReadNumber(fields[0], ignored);
    return value ? QString() : fields.takeFirst();
}
} // namespace

CalculatorResult CStationCalculator::Forward(double station, double offset) const
{
    double from = 0.0, to = 0.0;
    if (!RouteRange(m_Road, from, to)) return Refused(QStringLiteral("没有已计算的线路"));
    if (!std::isfinite(station) || !std::isfinite(offset)) return Refused(QStringLiteral("里程或偏距不是数字"));
    // A hair beyond the ends is the end itself; further out the route does not go.
    const double tolerance = 1e-6;
    if (station < from - tolerance || station > to + tolerance)
        return Refused(QStringLiteral("里程 %1 超出线路范围 %2 ~ %3")
                           .arg(FormatKiloMark(station), FormatKiloMark(from), FormatKiloMark(to)));
    const double clamped = std::min(std::max(station, from), to);
    CalculatorResult r;
    if (!m_Road.GetAngleAndXY(clamped, r.x, r.y, r.bearing, offset)) return Refused(QStringLiteral("该里程处无法计算"));
    r.bearing = ReadableBearing(r.bearing);
    r.ok = true;
    r.station = station;
    r.offset = offset;
    return r;
}

CalculatorResult CStationCalculator::Inverse(double x, double y) const
{
    double from = 0.0, to = 0.0;
    if (!RouteRange(m_Road, from, to)) return Refused(QStringLiteral("没有已计算的线路"));
    if (!std::isfinite(x) || !std::isfinite(y)) return Refused(QStringLiteral("坐标不是数字"));
    CalculatorResult r;
    if (!m_Road.GetPegAndOffset(x, y, r.station, r.offset, 0, 0))
    {
        r = Refused(QStringLiteral("该点不在线路旁（超出起点或终点）"));
        r.x = x;
        r.y = y;
        return r;
    }
    double cx = 0.0, cy = 0.0;
    m_Road.GetAngleAndXY(r.station, cx, cy, r.bearing, 0.0);
    r.bearing = ReadableBearing(r.bearing);
    r.ok = true;
    r.x = x;
    r.y = y;
    return r;
}

CalculatorResult CStationCalculator::ForwardText(const QString& station, const QString& offset) const
{
    double s = 0.0, o = 0.0;
    if (!ParseStation(station, s)) return Refused(QStringLiteral("里程“%1”无法识别（例如 K12+345.678 或 12345.678）").arg(station.trimmed()));
    if (!offset.trimmed().isEmpty() && !ReadNumber(offset, o))
        return Refused(QStringLiteral("偏距“%1”不是数字").arg(offset.trimmed()));
    return Forward(s, o);
}

CalculatorResult CStationCalculator::InverseText(const QString& x, const QString& y) const
{
    double nx = 0.0, ey = 0.0;
    if (!ReadNumber(x, nx)) return Refused(QStringLiteral("N 坐标“%1”不是数字").arg(x.trimmed()));
    if (!ReadNumber(y, ey)) return Refused(QStringLiteral("E 坐标“%1”不是数字").arg(y.trimmed()));
    return Inverse(nx, ey);
}

namespace
{
// One result per non-blank line, in order, each failure prefixed with its line number.
template <typename Answer>
std::vector<CalculatorResult> EachLine(const QString& text, bool stationFirst, Answer answer)
{
    std::vector<CalculatorResult> results;
    const QStringList lines = SplitTextLines(text);
    for (int i = 0; i < lines.size(); ++i)
    {
        QStringList f = SplitLine(lines[i]);
        if (f.isEmpty()) continue;
        const QString name = TakeName(f, stationFirst);
        CalculatorResult r = answer(f);
        r.name = name;
        if (!r.ok) r.message = QStringLiteral("第 %1 行：").arg(i + 1) + r.message;
        results.push_back(r);
    }
    return results;
}
} // namespace

std::vector<CalculatorResult> CStationCalculator::ForwardList(const QString& text) const
{
    return EachLine(text, true, [this](const QStringList& f) {
        return f.isEmpty() || f.size() > 2 ? Refused(QStringLiteral("应为：[名称] 里程 [偏距]")) : ForwardText(f[0], f.value(1));
    });
}

std::vector<CalculatorResult> CStationCalculator::InverseList(const QString& text) const
{
    return EachLine(text, false, [this](const QStringList& f) {
        return f.size() != 2 ? Refused(QStringLiteral("应为：[名称] N E")) : InverseText(f[0], f[1]);
    });
}

QStringList CStationCalculator::FieldTitles()
{
    return {QStringLiteral("名称"), QStringLiteral("里程"), QStringLiteral("偏距"), QStringLiteral("侧"),
            QStringLiteral("N(X)"), QStringLiteral("E(Y)"), QStringLiteral("方位角"), QStringLiteral("说明")};
}

QStringList CStationCalculator::ResultFields(const CalculatorResult& r, StationStyle style)
{
    if (!r.ok) return {r.name, QString(), QString(), QString(), QString(), QString(), QString(), r.message};
    const QString side = std::fabs(r.offset) < 0.0005 ? QStringLiteral("中") : r.offset < 0.0 ? QStringLiteral("左") : QStringLiteral("右");
    return {r.name,
            FormatStation(r.station, style),
            FormatFixed(std::fabs(r.offset), 3),
            side,
            FormatFixed(r.x, 4),
            FormatFixed(r.y, 4),
            Angle::PackedDmsTextReadable(Angle::RadiansToPackedDmsText(r.bearing, 1)),
            QString()};
}

QString CStationCalculator::ResultsText(const std::vector<CalculatorResult>& results, StationStyle style)
{
    QString text = FieldTitles().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const CalculatorResult& r : results) text += ResultFields(r, style).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}
