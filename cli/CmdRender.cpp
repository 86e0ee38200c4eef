// `tesvane render`: a route drawn by the map engine as the route view shows it, written to a PNG.
#include "CliUtil.h"
#include "Command.h"

#include "map/CMapLayer.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"
#include "road/CRoadDesign.h"
#include "road/RouteCalculation.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

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

// The route in the map: its extent for the full view and its drawing, as the application's
// road layer has them.
class RouteLayer : public CMapLayer
{
public:
    RouteLayer(CRoadDesign& road, int labels) : m_Road(road), m_Labels(labels) {}
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int) override
    {
        return m_Road.GetRange(minX, maxX, minY, maxY, 0);
    }
    void DrawAll(QPainter* painter, int) override
    {
        if (m_MapItem.Visible && m_pMapConvert && painter) m_Road.Draw(painter, m_pMapConvert, m_Labels);
    }
    int GetType() const override { return 1; }
    int Open() override { return m_IsLoad; }

private:
    CRoadDesign& m_Road;
    int m_Labels;
};

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
    // The computation writes a curve exchange file; keep it out of the route's folder.
    QTemporaryDir scratch;
    if (!scratch.isValid()) return Failure("cannot create a temporary folder");
    CRoadDesign road;
    switch (CalculateRouteFile(routePath, road, scratch.filePath(QStringLiteral("route.TDFE"))))
    {
    case RouteFileStatus::Loaded: break;
    case RouteFileStatus::UnknownMode: return UsageError("\"" + routePath + "\" is neither a .RE nor a .RP route");
    case RouteFileStatus::ReadFailed: return UsageError("cannot read the route \"" + routePath + "\"");
    case RouteFileStatus::ChecksFailed: return Failure("the route's element sequence is refused");
    case RouteFileStatus::CalculationFailed: return Failure("the route cannot be computed");
    case RouteFileStatus::WriteFailed: return Failure("the route's curves cannot be written");
    }
    road.SetRoadColor(RGB(255, 255, 255));

    // The layer outlives the manager, which draws it until it is destroyed.
    RouteLayer layer(road, labels);
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
