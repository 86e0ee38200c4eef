// Feeds arbitrary bytes as a DXF drawing to the drawing source: the line reader, dxflib's parser
// and every callback, block expansion and curve sampling. Whatever the bytes, the import must end,
// every primitive must have finite coordinates within the sampling bounds, progress must rise
// within 0..100 after the caption and reset, and drawing what was read must not fail.

#include "FuzzSupport.h"
#include "map/CMapConvert.h"
#include "platform/ProgressListener.h"
#include "sources/CMap_DXF.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
bool Finite(const CVector& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
} // namespace

// The system's font configuration library keeps what it loaded until the process ends; the leak
// check at exit is not about it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

// Texts are drawn, and fonts need a GUI application; the platform is offscreen.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // The font system keeps caches for the life of the process; fill them here so that the leak
    // check after each input does not count them.
    QImage warm(32, 32, QImage::Format_RGB32);
    QPainter painter(&warm);
    painter.setFont(QFont(QStringLiteral("Sans Serif"), 12));
    painter.drawText(QPointF(1, 20), QStringLiteral("Ab 桩号 Ø°"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = ScratchPath("fuzz_dxf", "in.dxf");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    CMap_DXF dxf;
    MapConfigItem item = dxf.GetMapItem();
    item.FullPathName = path;
    dxf.SetMapItem(item);
    // The header decides whether a layer imports at all; import regardless so that dxflib sees
    // every input.
    dxf.ReadHeaderExtent();
    CheckedProgress progress;
    dxf.SetProgressHWND(&progress);
    const int imported = dxf.Import();
    Check(progress.stage == 2, "caption and reset were sent");
    Check(imported == 1 || dxf.GetPrimitiveCount() == 0, "a failed import keeps nothing");

    for (const auto& layer : dxf.GetLayers())
    {
        Check(layer->GetLayerName() >= 1 && layer->GetLayerName() <= 255, "colour numbers within 1..255");
        for (const auto& p : layer->Points()) Check(Finite(p.GetPoint()), "finite points");
        for (const auto& l : layer->Lines())
            for (const auto& p : l.Points()) Check(Finite(p), "finite polylines");
        for (const auto& l : layer->Planes())
            for (const auto& p : l.Points()) Check(Finite(p), "finite polygons");
        for (const auto& t : layer->Texts()) Check(Finite(t.GetPos()) && std::isfinite(t.GetHeight()), "finite texts");
        for (const auto& e : layer->Ellipses())
            Check(Finite(e.GetCenter()) && std::isfinite(e.GetRadiusX()), "finite circles");
    }

    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    Check(dxf.GetRange(minX, maxX, minY, maxY) == 1, "a range is always given");
    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, 64, 64));
    if (std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY))
    {
        convert.SetScale(std::clamp(std::max(maxX - minX, maxY - minY) / 64.0, 1e-3, 1e9));
        convert.SetStartCor(xyhCoord{minX, minY, 0});
    }
    dxf.SetConvert(&convert);
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    dxf.Draw(&painter);
    return 0;
}
