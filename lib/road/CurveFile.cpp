#include "road/CurveFile.h"

#include "platform/NumberText.h"
#include "road/RouteText.h"

#include <cmath>

namespace
{
struct Decimals
{
    int bearing;
    int parameter;
};

Decimals DecimalsOf(CurveFileSource source)
{
    return source == CurveFileSource::ElementRoute ? Decimals{10, 6} : Decimals{8, 8};
}

bool Finite(const CurveFileRecord& r)
{
    switch (r.kind)
    {
    case CurveFileRecord::Point:
        return std::isfinite(r.x) && std::isfinite(r.y);
    case CurveFileRecord::Straight:
        return std::isfinite(r.length) && std::isfinite(r.bearingDegrees);
    case CurveFileRecord::Transition:
        return std::isfinite(r.length) && std::isfinite(r.parameter);
    case CurveFileRecord::Arc:
        return std::isfinite(r.length) && std::isfinite(r.radius);
    }
    return false;
}
} // namespace

bool CurveFileText(const CurveFile& file, CurveFileSource source, QString& text)
{
    const double start = file.startStation.value_or(0.0);
    if (!std::isfinite(start)) return false;
    for (const CurveFileRecord& r : file.records)
        if (!Finite(r)) return false;

    const Decimals decimals = DecimalsOf(source);
    const QString comma = QStringLiteral(",");
    const QString end = QStringLiteral(",\r\n");
    QString out = source == CurveFileSource::ElementRoute ? QStringLiteral("CURVE FILE(RE) Ver1.0\r\n")
                                                          : QStringLiteral("CURVE FILE(RP) Ver1.0\r\n");
    out += QStringLiteral("METRES\r\nDEGREES\r\n");
    out += QStringLiteral("START CHAINAGE,") + FormatFixed(start, 4) + QStringLiteral("\r\n");
    out += QStringLiteral("HORIZ\r\nRN,") + FieldText(file.roadName.value_or(QString())) + QStringLiteral("\r\n");
    for (const CurveFileRecord& r : file.records)
    {
        switch (r.kind)
        {
        case CurveFileRecord::Point:
            out += QStringLiteral("PT,") + FormatFixed(r.y, 6) + comma + FormatFixed(r.x, 6) + end;
            break;
        case CurveFileRecord::Straight:
            out += QStringLiteral("R.,") + FormatFixed(r.length, 6) + comma + FormatFixed(r.bearingDegrees, decimals.bearing) + end;
            break;
        case CurveFileRecord::Transition:
            out += QStringLiteral("CL,") + FormatFixed(r.length, 6) + comma + FormatFixed(r.parameter, decimals.parameter) + end;
            break;
        case CurveFileRecord::Arc:
            out += QStringLiteral("CC,") + FormatFixed(r.length, 6) + comma + FormatFixed(r.radius, 6) + end;
            break;
        }
    }
    text = out;
    return true;
}

CurveFile ReadCurveFileText(const QString& text)
{
    CurveFile file;
    // Every line is read, also a last one without a line end. Line ends never belong to a value,
    // so a route name carries no trailing CR.
    for (const QString& line : SplitTextLines(text))
    {
        if (line.isEmpty()) continue;
        const QStringList fields = SplitFields(line, 3);
        const QString& key = fields.at(0);
        CurveFileRecord record;
        if (key == QLatin1String("RN"))
        {
            file.roadName = fields.at(1);
            continue;
        }
        if (key == QLatin1String("START CHAINAGE"))
        {
            file.startStation = LeadingNumber(fields.at(1));
            continue;
        }
        if (key == QLatin1String("PT"))
        {
            record.kind = CurveFileRecord::Point;
            record.y = LeadingNumber(fields.at(1));
            record.x = LeadingNumber(fields.at(2));
        }
        else if (key == QLatin1String("R."))
        {
            record.kind = CurveFileRecord::Straight;
            record.length = LeadingNumber(fields.at(1));
            record.bearingDegrees = LeadingNumber(fields.at(2));
        }
        else if (key == QLatin1String("CL"))
        {
            record.kind = CurveFileRecord::Transition;
            record.length = LeadingNumber(fields.at(1));
            record.parameter = LeadingNumber(fields.at(2));
        }
        else if (key == QLatin1String("CC"))
        {
            record.kind = CurveFileRecord::Arc;
            record.length = LeadingNumber(fields.at(1));
            record.radius = LeadingNumber(fields.at(2));
        }
        else
        {
            continue;
        }
        file.records.push_back(record);
    }
    return file;
}

double CurveFileLength(const CurveFile& file)
{
    double total = 0.0;
    for (const CurveFileRecord& r : file.records)
        if (r.kind != CurveFileRecord::Point) total += r.length;
    return total;
}
