// `tesvane render`: a route drawn by the map engine as the route view shows it, written to a PNG.
#include "CmdRouteShared.h"

#include "map/CMapLayer_Road.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <cmath>

namespace
{
const char* const kHelp =
    "usage: tesvane render ROUTE OUT.png [--size WxH] [--labels none|names|stations]\n"
    "\n"
    "Computes the route (.RE element route or .RP crossing-point route) and draws it the way the\n"
    "route view shows it after \"zoom to full extent\": the centre line in white on black, the\n"
    "main points with red labels, the north arrow and the scale bar. Writes the picture as PNG.\n"
    "\n"
    "  --size WxH      picture size in pixels (default 1280x960)\n"
    "  --labels MODE   main-point labels: none, names (QD, ZH-01, ...) or stations (default)\n";

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error, sizeText, labelText;
    bool hasSize = false, hasLabels = false;
    if (!TakeOption(args, "--size", sizeText, hasSize, error) || !TakeOption(args, "--labels", labelText, hasLabels, error))
        return UsageError(error);
    if (args.size() != 2) return UsageError("give a route file and an output file (see --help)");

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
        else
            return UsageError("--labels: use none, names or stations, not \"" + labelText + "\"");
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return Failure("drawing needs a GUI application object (fonts)");

    const QString routePath = args[0];
    const QString outPath = args[1];
    // The layer outlives the manager, which draws it until it is destroyed.
    CMapLayer_Road layer;
    if (const int code = RouteCli::LoadRoute(routePath, layer.m_RoadDesign, false); code != kExitOk) return code;
    CRoadDesign& road = layer.m_RoadDesign;
    road.SetRoadColor(RGB(255, 255, 255));
    layer.m_LabelMode = labels;

    CMapOffscreenView view(QSize(width, height));
    CMapManage map;
    map.SetOwnerView(&view);
    map.SetClientRect(view.GetClientRect());
    map.SetBackGroundColor(RGB(0, 0, 0));
    layer.SetConvert(&map.m_MapConvert);
    map.m_OverlayLayers.push_back(&layer);

    // Full extent, as the route view computes it.
    double first = 0, second = 0, third = 0, fourth = 0;
    if (!map.GetMapRect(first, second, third, fourth, 0)) return Failure("the route has no extent to show");
    if (std::fabs(third - first) < 1e-6)
    {
        map.SetCenter(first, second, 1);
    }
    else
    {
        xyhCoord start;
        double scale = 0;
        if (!map.CalScale(first, second, third, fourth, start, scale)) return Failure("no scale shows the route");
        map.SetStartCorAndScale(start, scale, 1);
    }
    map.WaitForDrawing();
    const QImage picture = view.Paint(map);
    map.m_OverlayLayers.clear();

    if (!picture.save(outPath, "PNG")) return Failure("cannot write \"" + outPath + "\"");
    Out(QString::asprintf("%s: %dx%d, %d elements, %d main points, scale %.4f m/pixel\n",
                          qPrintable(QFileInfo(outPath).fileName()), width, height,
                          static_cast<int>(road.m_RoadElements.size()), static_cast<int>(road.m_MainPoints.size()),
                          map.m_MapConvert.GetScale()));
    return kExitOk;
}

RegisterCommand reg({QStringLiteral("render"),
                     QStringLiteral("render ROUTE OUT.png [--size WxH] [--labels none|names|stations]"),
                     QString::fromLatin1(kHelp), &Run});
} // namespace
