// tesvane layer-info: opens one map layer as the map manager would and describes it.

#include "CliUtil.h"
#include "Command.h"

#include "coord/CCoordinateSystem.h"
#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "platform/NumberText.h"
#include "sources/MapLayerInfo.h"

#include <QFileInfo>

namespace
{
const char kHelp[] =
    "usage: tesvane layer-info PATH [--format N] [--cs FILE]\n\n"
    "Opens PATH as one map layer and prints its format, kind, the number of points, entities or\n"
    "features loaded and its extent (MINX MAXX MINY MAXY: x the northing, y the easting), then\n"
    "what the kind adds. Without --format the format follows from the file: .dat, .txt and .csv\n"
    "are point files (5); .shp and .tab are vector data (2), shown with their data-extent (in the\n"
    "data set's own coordinates) and geometry; .dxf files are drawings (3); a file with its tile\n"
    "container (the same name with S added) beside it is a raster pyramid (1); an SQLite file with\n"
    "a table Point is a point database (9), with a table AttributeTable an entity database (10),\n"
    "with tables Tiles<level> a tile set (7). --cs gives the survey coordinate system into which\n"
    "geographic data are converted; without it coordinates are shown as stored.";

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error, csPath, formatText;
    bool csFound = false, formatFound = false;
    if (!TakeOption(args, QStringLiteral("--cs"), csPath, csFound, error)) return UsageError(error);
    if (!TakeOption(args, QStringLiteral("--format"), formatText, formatFound, error)) return UsageError(error);
    if (args.size() != 1) return UsageError(QStringLiteral("layer-info needs exactly one PATH"));
    const QString path = args.first();
    if (!QFileInfo(path).isFile()) return UsageError(QStringLiteral("cannot read \"%1\"").arg(path));

    int format = 0;
    if (formatFound)
    {
        bool ok = false;
        format = formatText.toInt(&ok);
        if (!ok) return UsageError(QStringLiteral("--format needs a number, not \"%1\"").arg(formatText));
    }
    else
    {
        format = DetectLayerFormat(path);
        if (!format)
            return UsageError(QStringLiteral("cannot tell the layer format of \"%1\"; give --format N").arg(path));
    }
    std::unique_ptr<CMapLayer> layer = CreateMapLayer(format);
    if (!layer) return UsageError(QStringLiteral("no layer kind reads format %1").arg(format));

    MapConfigItem item = layer->GetMapItem();
    item.LayerName = QFileInfo(path).completeBaseName();
    item.FullPathName = QFileInfo(path).absoluteFilePath();
    item.Format = format;
    layer->SetMapItem(item);
    if (csFound)
    {
        CCoordinateSystem file;
        file.SetFileName(csPath);
        if (!file.ConfigRead())
            return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));
        layer->SetEllipsoid(file.Get().EllipsoidParameter);
        layer->SetProjection(file.Get().ProjectParameter);
    }
    CMapConvert convert;
    layer->SetConvert(&convert);
    if (!layer->Open()) return UsageError(QStringLiteral("cannot open \"%1\" as a layer of format %2").arg(path).arg(format));

    const IMapLayerInfo* info = dynamic_cast<const IMapLayerInfo*>(layer.get());
    QString out = QStringLiteral("format: %1\n").arg(format);
    out += QStringLiteral("kind: %1\n").arg(info ? info->KindName() : QStringLiteral("unknown"));
    if (info) out += QStringLiteral("count: %1\n").arg(info->ItemCount());
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (layer->GetRange(minX, maxX, minY, maxY, 0))
        out += QStringLiteral("extent: %1 %2 %3 %4\n")
                   .arg(FormatFixed(minX, 4), FormatFixed(maxX, 4), FormatFixed(minY, 4), FormatFixed(maxY, 4));
    else
        out += QStringLiteral("extent: none\n");
    if (info)
        for (const QString& line : info->InfoLines()) out += line + QLatin1Char('\n');
    Out(out);
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("layer-info"), QStringLiteral("layer-info PATH [--format N] [--cs FILE]"),
                           QString::fromLatin1(kHelp), &Run});
} // namespace
