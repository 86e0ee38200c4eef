// `tesvane redline`: the parcels a road corridor crosses and the areas it takes from them.
#include "CmdRouteShared.h"

#include "coord/CCoordinateSystem.h"
#include "geometry/CAnalyseResult.h"
#include "map/CGeometry_AreaPerimeter.h"
#include "map/CMapConvert.h"
#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "sources/CMapLayer_SHP.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace
{
const char* const kHelp =
    "usage: tesvane redline ROUTE PARCELS.shp --left W --right W [--from S --to S] [--fields a,b]\n"
    "                       [--cs FILE] -o OUT.csv\n"
    "       tesvane redline PARCELS.shp --polygon FILE.wkt [--fields a,b] -o OUT.csv\n"
    "\n"
    "Red-line analysis for land acquisition: the corridor between the offset lines W metres left\n"
    "and right of the route's centre line, from station S to station S (default: the whole route),\n"
    "is intersected with the polygons of PARCELS.shp, and every parcel it takes area from is\n"
    "written as one row of OUT.csv (UTF-8): the parcel's attributes (all of integer, real or text\n"
    "kind, or those named by --fields), then JoinArea, the area taken, in the shapefile's units\n"
    "squared; a last line \"total\" adds the areas up.\n"
    "\n"
    "The offset lines are sampled densely enough that the corridor's area is within 0.01 % of the\n"
    "exact corridor. Without --cs the route is taken to be in the shapefile's own grid and nothing\n"
    "is converted; with --cs FILE the route is in that coordinate system and the corridor is\n"
    "converted into the shapefile's (by its .prj). --polygon analyses the polygon of a well-known\n"
    "text file instead (in the shapefile's coordinates, X the easting).\n"
    "Exit status: 0 written, 1 the analysis failed, 2 bad arguments or unreadable input.";

constexpr double kAreaTolerance = 0.0003; // relative change between two samplings that ends refining
constexpr int kMaxSplit = 4096;

// The offset line at `offset` from `from` to `to`: every element boundary in between and `split`
// equal steps within each element.
bool OffsetLine(const CRoadDesign& model, double from, double to, double offset, int split, std::vector<xyhCoord>& out)
{
    std::vector<double> stations{from};
    for (const CRoadElement& e : model.m_RoadElements)
        if (e.m_EndStation > from && e.m_EndStation < to) stations.push_back(e.m_EndStation);
    stations.push_back(to);
    out.clear();
    for (size_t i = 0; i + 1 < stations.size(); ++i)
        for (int k = 0; k < split; ++k)
        {
            const double s = stations[i] + (stations[i + 1] - stations[i]) * k / split;
            xyhCoord p;
            double bearing;
            if (!model.GetAngleAndXY(s, p.x, p.y, bearing, offset)) return false;
            out.push_back(p);
        }
    xyhCoord end;
    double bearing;
    if (!model.GetAngleAndXY(to, end.x, end.y, bearing, offset)) return false;
    out.push_back(end);
    return true;
}

// The corridor as one ring: the right offset line forward, the left one back.
bool CorridorRing(const CRoadDesign& model, double from, double to, double left, double right, int split,
                  std::vector<xyhCoord>& ring, double& area)
{
    std::vector<xyhCoord> back;
    if (!OffsetLine(model, from, to, right, split, ring) || !OffsetLine(model, from, to, -left, split, back)) return false;
    ring.insert(ring.end(), back.rbegin(), back.rend());
    CGeometry_AreaPerimeter measure;
    for (const xyhCoord& p : ring) measure.Add(p);
    area = measure.GetArea();
    return true;
}

QString CsvCell(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error, fieldsText, csPath, outPath, polygonPath;
    bool hasFields = false, hasCs = false, hasOut = false, hasPolygon = false;
    double left = NAN, right = NAN, from = NAN, to = NAN;
    if (!TakeNumberOption(args, QStringLiteral("--left"), left, error) ||
        !TakeNumberOption(args, QStringLiteral("--right"), right, error) ||
        !TakeNumberOption(args, QStringLiteral("--from"), from, error) ||
        !TakeNumberOption(args, QStringLiteral("--to"), to, error) ||
        !TakeOption(args, QStringLiteral("--fields"), fieldsText, hasFields, error) ||
        !TakeOption(args, QStringLiteral("--cs"), csPath, hasCs, error) ||
        !TakeOption(args, QStringLiteral("-o"), outPath, hasOut, error) ||
        !TakeOption(args, QStringLiteral("--polygon"), polygonPath, hasPolygon, error))
        return UsageError(error);
    if (!hasOut) return UsageError(QStringLiteral("give the output file with -o OUT.csv"));
    if (hasPolygon ? args.size() != 1 : args.size() != 2)
        return UsageError(hasPolygon ? QStringLiteral("with --polygon give only the shapefile")
                                     : QStringLiteral("give a route file and a shapefile (see --help)"));
    const QString shapePath = args.last();
    if (!QFileInfo(shapePath).isFile()) return UsageError(QStringLiteral("cannot read \"%1\"").arg(shapePath));

    // The parcels, as the map opens them.
    CMapLayer_SHP layer;
    MapConfigItem item = layer.GetMapItem();
    item.FullPathName = QFileInfo(shapePath).absoluteFilePath();
    item.LayerName = QFileInfo(shapePath).completeBaseName();
    item.Format = 2;
    item.Visible = 0; // the analysis reads the features themselves; no items are needed
    layer.SetMapItem(item);
    if (hasCs)
    {
        CCoordinateSystem file;
        file.SetFileName(csPath);
        if (!file.ConfigRead()) return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));
        layer.SetEllipsoid(file.Get().EllipsoidParameter);
        layer.SetProjection(file.Get().ProjectParameter);
    }
    CMapConvert convert;
    layer.SetConvert(&convert);
    CMap_Shape* shape = layer.GetMapShape();
    if (!layer.Open()) return UsageError(QStringLiteral("cannot open \"%1\" as a shapefile with features").arg(shapePath));
    if (shape->GetEntityKind() != 3) return UsageError(QStringLiteral("\"%1\" holds no polygons").arg(shapePath));

    std::vector<unsigned int> fields;
    if (hasFields)
    {
        const QStringList names = shape->GetFieldNames();
        for (const QString& name : fieldsText.split(QLatin1Char(','), Qt::SkipEmptyParts))
        {
            const int i = names.indexOf(name.trimmed());
            if (i < 0)
                return UsageError(QStringLiteral("the shapefile has no field \"%1\"; it has %2")
                                      .arg(name.trimmed(), names.join(QStringLiteral(", "))));
            fields.push_back(unsigned(i));
        }
    }

    CAnalyseResult result;
    int ran = 0;
    QString summary;
    if (hasPolygon)
    {
        QByteArray wkt;
        if (!ReadWholeFile(polygonPath, wkt, 64 << 20))
            return UsageError(QStringLiteral("cannot read the polygon file %1").arg(polygonPath));
        ran = shape->RedLineAnalyseWkt(wkt, &result, 0, hasFields ? &fields : nullptr);
        if (!ran) return UsageError(QStringLiteral("%1 holds no polygon as well-known text").arg(polygonPath));
    }
    else
    {
        if (!(left >= 0.0) || !(right >= 0.0) || left + right <= 0.0)
            return UsageError(QStringLiteral("give the corridor's widths with --left W --right W (metres, not both 0)"));
        CRoadDesign model;
        if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
        const double start = model.m_RoadElements.front().m_StartStation;
        const double end = model.m_RoadElements.back().m_EndStation;
        if (std::isnan(from)) from = start;
        if (std::isnan(to)) to = end;
        if (from < start || to > end || !(from < to))
            return UsageError(QStringLiteral("the stations must satisfy %1 <= --from < --to <= %2")
                                  .arg(FormatFixed(start, 4), FormatFixed(end, 4)));
        std::vector<xyhCoord> ring;
        double area = 0.0, previous = 0.0;
        int split = 1;
        for (;; split *= 2)
        {
            if (!CorridorRing(model, from, to, left, right, split, ring, area))
                return Failure(QStringLiteral("the route gives no point between stations %1 and %2")
                                   .arg(FormatFixed(from, 4), FormatFixed(to, 4)));
            if (split > 1 && std::fabs(area - previous) <= kAreaTolerance * area) break;
            if (split >= kMaxSplit) break;
            previous = area;
        }
        // Into the shapefile's coordinates (nothing changes without --cs).
        for (xyhCoord& p : ring)
        {
            double y, x;
            shape->GetShapeConvert()->SurveyToShape(p.x, p.y, y, x);
            p.x = y;
            p.y = x;
        }
        ran = shape->RedLineAnalyseRing(ring, &result, 0, hasFields ? &fields : nullptr);
        summary = QStringLiteral("corridor: stations %1 to %2, left %3 m, right %4 m, %5 vertices, area %6 m2\n")
                      .arg(FormatFixed(from, 3), FormatFixed(to, 3), FormatFixed(left, 3), FormatFixed(right, 3))
                      .arg(ring.size())
                      .arg(FormatFixed(area, 2));
    }
    if (!ran) return Failure(QStringLiteral("the red-line analysis of %1 did not run").arg(shapePath));

    QString csv;
    const int columns = result.GetFieldCount();
    QStringList header;
    for (int c = 0; c < columns; ++c) header << CsvCell(result.GetFieldName(c));
    csv += header.join(QLatin1Char(',')) + QLatin1Char('\n');
    double total = 0.0;
    for (int r = 0; r < result.GetResultDataCount(); ++r)
    {
        const CResultData* row = result.GetResultData(r);
        QStringList cells;
        for (int c = 0; c < columns; ++c) cells << CsvCell(row->GetDataFieldValue(c));
        csv += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
        total += LeadingNumber(row->GetDataFieldValue(columns - 1));
    }
    QStringList last(columns, QString());
    if (columns > 1) last[0] = QStringLiteral("total");
    last[columns - 1] = FormatFixed(total, 4);
    csv += last.join(QLatin1Char(',')) + QLatin1Char('\n');
    QString writeError;
    if (!WriteFileAtomically(outPath, csv.toUtf8(), &writeError))
        return Failure(QStringLiteral("cannot write %1: %2").arg(outPath, writeError));
    Out(summary + QStringLiteral("parcels: %1, JoinArea total %2\nwritten: %3\n")
                      .arg(result.GetResultDataCount())
                      .arg(FormatFixed(total, 4), outPath));
    return kExitOk;
}

RegisterCommand registration({"redline",
                              "redline ROUTE PARCELS.shp --left W --right W -o OUT.csv   areas a corridor takes",
                              kHelp, &Run});
} // namespace
