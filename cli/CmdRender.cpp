// `tesvane render`: a route and map layers drawn by the map engine as the route view shows them,
// written to a PNG.
#include "CmdRouteShared.h"

#include "coord/CCoordinateSystem.h"
#include "map/CMapLayer_Road.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"
#include "sources/MapLayerInfo.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cmath>

namespace
{
const char* const kHelp =
    "usage: tesvane render [ROUTE] OUT.png [--size WxH] [--labels none|names|stations|both] [--kmarks]\n"
    "                      [--layer PATH[:FORMAT] [--dictionary FILE]]... [--cs FILE]\n"
    "                      [--extent MINX,MAXX,MINY,MAXY]\n"
    "\n"
    "Computes the route (.RE element route or .RP crossing-point route) and draws it the way the\n"
    "route view shows it after \"zoom to full extent\": the centre line in white on black, the\n"
    "main points with red labels, the north arrow and the scale bar. Writes the picture as PNG.\n"
    "Map layers are drawn under the route; the route may be left out when layers are given.\n"
    "\n"
    "  --size WxH        picture size in pixels (default 1280x960)\n"
    "  --labels MODE     main-point labels: none, names (QD, ZH-01, ...), stations (default) or\n"
    "                    both (\"ZH-01 K12+765.678\"); a label that would cover another is left out\n"
    "  --kmarks          stations as K-marks (K12+345.678) instead of metres\n"
    "  --layer PATH[:FORMAT]\n"
    "                    a map layer, opened as the map manager opens it; repeatable. The layers\n"
    "                    are drawn in the order of the map's layer list: the first given on top.\n"
    "                    Without :FORMAT the format follows from the file as for layer-info (5 a\n"
    "                    point file, 9 a point database, 10 an entity database). A layer whose\n"
    "                    colours are the background's is drawn in a colour of its own.\n"
    "  --dictionary FILE the style dictionary of the --layer just before it (an entity\n"
    "                    database's class styles)\n"
    "  --cs FILE         the survey coordinate system handed to every layer: geographic data are\n"
    "                    converted into it. Without it each layer is drawn in its own coordinates.\n"
    "  --extent MINX,MAXX,MINY,MAXY\n"
    "                    the part of the world to show (x the northing, y the easting, as\n"
    "                    layer-info prints it), fitted into the picture; without it the full\n"
    "                    extent of the route and the layers, with a margin\n";

const unsigned long kBackground = RGB(0, 0, 0);

struct LayerArgument
{
    QString path;
    int format = 0; // 0: detect from the file
    QString dictionary;
};

// "PATH:FORMAT" when the text after the last colon is a format number; otherwise the whole text
// is the path (a path may hold colons of its own).
LayerArgument ParseLayerArgument(const QString& text)
{
    LayerArgument layer;
    layer.path = text;
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon > 0)
    {
        bool ok = false;
        const int format = text.mid(colon + 1).toInt(&ok);
        if (ok && format > 0 && !text.mid(colon + 1).startsWith(QLatin1Char('+')))
        {
            layer.path = text.left(colon);
            layer.format = format;
        }
    }
    return layer;
}

// Takes every --layer and --dictionary out of args, in order; a dictionary belongs to the layer
// given just before it.
bool TakeLayers(QStringList& args, std::vector<LayerArgument>& layers, QString& error)
{
    for (int i = 0; i < args.size();)
    {
        const QString a = args[i];
        const bool isLayer = a == QLatin1String("--layer") || a.startsWith(QLatin1String("--layer="));
        const bool isDictionary = a == QLatin1String("--dictionary") || a.startsWith(QLatin1String("--dictionary="));
        if (!isLayer && !isDictionary)
        {
            ++i;
            continue;
        }
        const QString name = isLayer ? QStringLiteral("--layer") : QStringLiteral("--dictionary");
        QString value;
        if (a.size() > name.size())
        {
            value = a.mid(name.size() + 1);
            args.removeAt(i);
        }
        else
        {
            if (i + 1 >= args.size())
            {
                error = QStringLiteral("option %1 needs a value").arg(name);
                return false;
            }
            value = args[i + 1];
            args.remove(i, 2);
        }
        if (value.isEmpty())
        {
            error = QStringLiteral("option %1 needs a value").arg(name);
            return false;
        }
        if (isLayer)
        {
            layers.push_back(ParseLayerArgument(value));
            continue;
        }
        if (layers.empty())
        {
            error = QStringLiteral("--dictionary belongs after the --layer it is for");
            return false;
        }
        if (!layers.back().dictionary.isEmpty())
        {
            error = QStringLiteral("one --dictionary per --layer");
            return false;
        }
        layers.back().dictionary = value;
    }
    return true;
}

bool ParseExtent(const QString& text, double extent[4])
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    for (int i = 0; i < 4; ++i)
        if (!ParseNumber(parts[i], extent[i])) return false;
    return extent[0] <= extent[1] && extent[2] <= extent[3] && (extent[1] > extent[0] || extent[3] > extent[2]);
}

// Colours for layers whose own colours would vanish into the background, by position in the list
// (0x00BBGGRR): yellow, cyan, magenta, orange, light green, pink.
unsigned long LayerColour(size_t index)
{
    static const unsigned long colours[] = {0x00FFFF, 0xFFFF00, 0xFF00FF, 0x0080FF, 0x80FF80, 0xC080FF};
    return colours[index % (sizeof colours / sizeof colours[0])];
}

// Adds one layer to the map's list and opens it as the map manager does. What the layer says
// while opening is held back: it becomes the reason of the one failure line, or reaches the user
// as it would have when the layer opened.
int AddLayer(CMapManage& map, const LayerArgument& argument, size_t index)
{
    const QString path = argument.path;
    if (!QFileInfo(path).isFile()) return UsageError(QStringLiteral("--layer: cannot read \"%1\"").arg(path));
    if (!argument.dictionary.isEmpty() && !QFileInfo(argument.dictionary).isFile())
        return UsageError(QStringLiteral("--dictionary: cannot read \"%1\"").arg(argument.dictionary));
    const int format = argument.format ? argument.format : DetectLayerFormat(path);
    if (!format)
        return UsageError(QStringLiteral("cannot tell the layer format of \"%1\"; give --layer PATH:FORMAT").arg(path));
    const std::unique_ptr<CMapLayer> defaults = CreateMapLayer(format);
    if (!defaults) return UsageError(QStringLiteral("\"%1\": no layer kind reads format %2").arg(path).arg(format));

    MapConfigItem item = defaults->GetMapItem();
    item.LayerName = QFileInfo(path).completeBaseName();
    item.FullPathName = QFileInfo(path).absoluteFilePath();
    if (!argument.dictionary.isEmpty()) item.DictionaryPathName = QFileInfo(argument.dictionary).absoluteFilePath();
    item.Format = format;
    if (item.clrOutLine == kBackground) item.clrOutLine = LayerColour(index);
    if (item.clrText == kBackground) item.clrText = LayerColour(index);
    if (!map.InsertMapLayer(-1, item))
        return UsageError(QStringLiteral("\"%1\" is given twice as a layer").arg(path));

    RouteCli::HeldMessages held;
    map.Load(nullptr);
    held.Stop();
    if (!map.m_MapLayers.back()->IsLoad())
        return UsageError(QStringLiteral("cannot open \"%1\" as a layer of format %2").arg(path).arg(format) +
                          held.Reason());
    held.Show(path + QStringLiteral(": "));
    return kExitOk;
}

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error, sizeText, labelText, csPath, extentText;
    bool hasSize = false, hasLabels = false, hasCs = false, hasExtent = false;
    std::vector<LayerArgument> layerArguments;
    if (!TakeOption(args, "--size", sizeText, hasSize, error) || !TakeOption(args, "--labels", labelText, hasLabels, error) ||
        !TakeOption(args, "--cs", csPath, hasCs, error) || !TakeOption(args, "--extent", extentText, hasExtent, error) ||
        !TakeLayers(args, layerArguments, error))
        return UsageError(error);
    const bool kiloMarks = args.removeAll(QStringLiteral("--kmarks")) > 0;
    if (args.size() != 2 && !(args.size() == 1 && !layerArguments.empty()))
        return UsageError("give a route file and an output file, or an output file and --layer (see --help)");
    for (const QString& a : args)
        if (a.startsWith(QLatin1String("--"))) return UsageError("unknown option " + a + " (see --help)");

    int width = 1280, height = 960;
    if (hasSize)
    {
        const QRegularExpressionMatch m = QRegularExpression("^(\\d{1,5})[xX](\\d{1,5})$").match(sizeText);
        if (!m.hasMatch()) return UsageError("--size needs WIDTHxHEIGHT, got \"" + sizeText + "\"");
        width = m.captured(1).toInt();
        height = m.captured(2).toInt();
        if (width < 64 || height < 64 || width > 16384 || height > 16384)
            return UsageError("--size: each side must be between 64 and 16384 pixels");
    }
    int labels = 2;
    if (hasLabels)
    {
        if (labelText == "none")
            labels = 0;
        else if (labelText == "names")
            labels = 1;
        else if (labelText == "stations")
            labels = 2;
        else if (labelText == "both")
            labels = 3;
        else
            return UsageError("--labels: use none, names, stations or both, not \"" + labelText + "\"");
    }
    double extent[4] = {0, 0, 0, 0};
    if (hasExtent && !ParseExtent(extentText, extent))
        return UsageError("--extent needs MINX,MAXX,MINY,MAXY with MINX <= MAXX, MINY <= MAXY and an area, got \"" +
                          extentText + "\"");
    CCoordinateSystem coordinateSystem;
    if (hasCs)
    {
        coordinateSystem.SetFileName(csPath);
        if (!coordinateSystem.ConfigRead())
            return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return Failure("drawing needs a GUI application object (fonts)");

    const bool hasRoute = args.size() == 2;
    const QString routePath = hasRoute ? args[0] : QString();
    const QString outPath = args.back();
    // The layer outlives the manager, which draws it until it is destroyed.
    CMapLayer_Road layer;
    CRoadDesign& road = layer.m_RoadDesign;
    if (hasRoute)
    {
        if (const int code = RouteCli::LoadRoute(routePath, road, false); code != kExitOk) return code;
        road.SetRoadColor(RGB(255, 255, 255));
        layer.m_LabelMode = labels;
        layer.m_StationStyle = kiloMarks ? StationStyle::KiloMark : StationStyle::Metres;
    }

    CMapOffscreenView view(QSize(width, height));
    CMapManage map;
    map.SetOwnerView(&view);
    map.SetClientRect(view.GetClientRect());
    map.SetBackGroundColor(kBackground);
    if (hasRoute)
    {
        layer.SetConvert(&map.m_MapConvert);
        map.m_OverlayLayers.push_back(&layer);
    }
    // Layers are handed the survey system when they are inserted. Without --cs they get none (an
    // ellipsoid without an axis), so that nothing is converted that need not be.
    if (hasCs)
    {
        map.SetSurveyDestinationEllipsoid(coordinateSystem.Get().EllipsoidParameter);
        map.SetSurveyProjection(coordinateSystem.Get().ProjectParameter);
    }
    else
        map.SetSurveyDestinationEllipsoid(CoordinateSystem_EllipsoidParameter());
    for (size_t i = 0; i < layerArguments.size(); ++i)
        if (const int code = AddLayer(map, layerArguments[i], i); code != kExitOk) return code;

    double first = 0, second = 0, third = 0, fourth = 0;
    if (hasExtent)
    {
        // The extent fitted into the picture and centred, without the full extent's margin.
        const double scale = std::max((extent[1] - extent[0]) / height, (extent[3] - extent[2]) / width);
        const xyhCoord start{(extent[0] + extent[1]) / 2 - scale * height / 2,
                             (extent[2] + extent[3]) / 2 - scale * width / 2, 0.0};
        map.SetStartCorAndScale(start, scale, 1);
    }
    // Full extent, as the route view computes it.
    else if (!map.GetMapRect(first, second, third, fourth, 0))
        return Failure(hasRoute ? "the route has no extent to show" : "the layers have no extent to show");
    else if (std::fabs(third - first) < 1e-6)
    {
        map.SetCenter(first, second, 1);
    }
    else
    {
        xyhCoord start;
        double scale = 0;
        if (!map.CalScale(first, second, third, fourth, start, scale))
            return Failure(hasRoute ? "no scale shows the route" : "no scale shows the layers");
        map.SetStartCorAndScale(start, scale, 1);
    }
    map.WaitForDrawing();
    const QImage picture = view.Paint(map);
    map.m_OverlayLayers.clear();

    if (!picture.save(outPath, "PNG")) return Failure("cannot write \"" + outPath + "\"");
    QString summary = QString::asprintf("%s: %dx%d", qPrintable(QFileInfo(outPath).fileName()), width, height);
    if (hasRoute)
        summary += QString::asprintf(", %d elements, %d main points", static_cast<int>(road.m_RoadElements.size()),
                                     static_cast<int>(road.m_MainPoints.size()));
    if (!layerArguments.empty())
        summary += QString::asprintf(", %d layer%s", static_cast<int>(layerArguments.size()),
                                     layerArguments.size() == 1 ? "" : "s");
    Out(summary + QString::asprintf(", scale %.4f m/pixel\n", map.m_MapConvert.GetScale()));
    return kExitOk;
}

RegisterCommand reg({QStringLiteral("render"),
                     QStringLiteral("render [ROUTE] OUT.png [--size WxH] [--labels MODE] [--layer PATH[:FORMAT] [--dictionary FILE]]... "
                                    "[--cs FILE] [--extent MINX,MAXX,MINY,MAXY]"),
                     QString::fromLatin1(kHelp), &Run});
} // namespace
