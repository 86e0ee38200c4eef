#include "road/CurveTable.h"

#include "geometry/Angle.h"
#include "platform/NumberText.h"
#include "road/CRoadElement.h"

namespace
{
QString Metres(double value) { return FormatFixed(value, 3); }

QString Degrees(double radians) { return Angle::PackedDmsTextReadable(Angle::RadiansToPackedDmsText(radians, 1)); }

// A radius as the table shows it: empty for a straight, ∞ for the straight end of a transition.
QString RadiusText(int kind, double radius)
{
    if (kind == CRoadElement::Straight) return QString();
    if (radius == 0.0) return QStringLiteral("∞");
    return Metres(radius);
}

QString KindName(int kind)
{
    switch (kind)
    {
    case CRoadElement::Straight: return QStringLiteral("直线");
    case CRoadElement::CircularCurve: return QStringLiteral("圆曲线");
    case CRoadElement::Transition: return QStringLiteral("缓和曲线");
    default: return QString();
    }
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

std::vector<QStringList> CrossPointTableText(const std::vector<CrossPointTableRow>& rows, StationStyle style)
{
    std::vector<QStringList> table;
    table.push_back({QStringLiteral("交点号"), QStringLiteral("交点桩号"), QStringLiteral("N(X)"), QStringLiteral("E(Y)"),
                     QStringLiteral("转角"), QStringLiteral("偏向"), QStringLiteral("半径R"), QStringLiteral("缓和曲线长Ls1"),
                     QStringLiteral("缓和曲线长Ls2"), QStringLiteral("切线长T1"), QStringLiteral("切线长T2"),
                     QStringLiteral("曲线长L"), QStringLiteral("外距E"), QStringLiteral("切曲差J"), QStringLiteral("ZH(ZY)"),
                     QStringLiteral("HY"), QStringLiteral("QZ"), QStringLiteral("YH"), QStringLiteral("HZ(YZ)"),
                     QStringLiteral("直线长"), QStringLiteral("交点间距"), QStringLiteral("方位角"), QStringLiteral("备注")});
    const auto station = [style](double s) { return FormatStation(s, style); };
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const CrossPointTableRow& r = rows[i];
        const bool first = i == 0;
        const bool last = i + 1 == rows.size();
        QStringList t;
        t << r.name << station(r.station) << Metres(r.x) << Metres(r.y);
        if (r.side != 0)
            t << Degrees(r.deflection) << (r.side > 0 ? QStringLiteral("右") : QStringLiteral("左"));
        else
            t << QString() << QString();
        if (r.curved)
        {
            const bool transitions = r.entryTransition > 0.0 || r.exitTransition > 0.0;
            t << Metres(r.radius) << Metres(r.entryTransition) << Metres(r.exitTransition) << Metres(r.entryTangent)
              << Metres(r.exitTangent) << Metres(r.curveLength) << Metres(r.external) << Metres(r.tangentExcess)
              << station(r.zh) << (transitions ? station(r.hy) : QString()) << station(r.qz)
              << (transitions ? station(r.yh) : QString()) << station(r.hz);
        }
        else
        {
            for (int k = 0; k < 13; ++k) t << QString();
        }
        t << (first ? QString() : Metres(r.straightBefore)) << (first ? QString() : Metres(r.distanceFromPrevious))
          << (first ? QString() : Degrees(r.bearingFromPrevious));
        QString note = r.problem;
        if (first) note = QStringLiteral("起点");
        if (last) note = QStringLiteral("终点");
        t << note;
        table.push_back(t);
    }
    return table;
}

std::vector<QStringList> ElementTableText(const std::vector<ElementTableRow>& rows, StationStyle style)
{
    std::vector<QStringList> table;
    table.push_back({QStringLiteral("序号"), QStringLiteral("线元"), QStringLiteral("长度"), QStringLiteral("起点桩号"),
                     QStringLiteral("终点桩号"), QStringLiteral("起点N(X)"), QStringLiteral("起点E(Y)"),
                     QStringLiteral("终点N(X)"), QStringLiteral("终点E(Y)"), QStringLiteral("起点方位角"),
                     QStringLiteral("终点方位角"), QStringLiteral("起点半径"), QStringLiteral("终点半径")});
    for (size_t i = 0; i < rows.size(); ++i)
    {
        const ElementTableRow& r = rows[i];
        table.push_back({QString::number(i + 1), KindName(r.kind), Metres(r.length), FormatStation(r.startStation, style),
                         FormatStation(r.endStation, style), Metres(r.startX), Metres(r.startY), Metres(r.endX),
                         Metres(r.endY), Degrees(r.startBearing), Degrees(r.endBearing),
                         RadiusText(r.kind, r.startRadius), RadiusText(r.kind, r.endRadius)});
    }
    return table;
}

QByteArray TableCsvBytes(const std::vector<QStringList>& table)
{
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList& row : table)
    {
        QStringList fields;
        for (const QString& f : row) fields << CsvField(f);
        out += fields.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    return out;
}
