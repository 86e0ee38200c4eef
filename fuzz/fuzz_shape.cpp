// Feeds arbitrary bytes as a shapefile to the shape source: the input is split into the ".shp",
// ".shx" and ".dbf" files by a header of two little-endian 32-bit lengths (the ".shp" and ".shx"
// sizes; the rest is the ".dbf"). Opening, loading, drawing with labels, selecting and a red-line
// analysis of what was read must not fail; every entity counted must have one index record, no
// more entities may be loaded than counted, and every index identifier must be unique.

#include "FuzzSupport.h"
#include "geometry/CAnalyseResult.h"
#include "map/CMapConvert.h"
#include "platform/MessageSink.h"
#include "sources/CMap_Shape.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <unistd.h>

namespace
{
QString Folder()
{
    const QString folder = ScratchPath("fuzz_shape", "dir");
    QDir().mkpath(folder);
    return folder;
}

void Write(const QString& path, const uint8_t* data, size_t size)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(reinterpret_cast<const char*>(data), qint64(size));
}

uint32_t ReadLength(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
} // namespace

// Leaks inside third-party libraries, not ours: fontconfig keeps its font cache for the process,
// and GEOS loses segment strings when an overlay of a damaged polygon throws.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libgeos\n"; }

// Labels are drawn, which needs fonts and so a GUI application (offscreen).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
        return true;
    }();
    (void)quiet;
    if (size < 8) return 0;
    const size_t shpSize = std::min<size_t>(ReadLength(data), size - 8);
    const size_t shxSize = std::min<size_t>(ReadLength(data + 4), size - 8 - shpSize);
    const uint8_t* shp = data + 8;
    const uint8_t* shx = shp + shpSize;
    const uint8_t* dbf = shx + shxSize;
    const size_t dbfSize = size - 8 - shpSize - shxSize;

    static const QString folder = Folder();
    const QString base = folder + QStringLiteral("/f");
    for (const char* side : {".shpinf", ".shc", ".prj"}) QFile::remove(base + QLatin1String(side));
    Write(base + QStringLiteral(".shp"), shp, shpSize);
    Write(base + QStringLiteral(".shx"), shx, shxSize);
    Write(base + QStringLiteral(".dbf"), dbf, dbfSize);

    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, 64, 48));
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = base + QStringLiteral(".shp");
    item.DisplayField = 0;
    shape.SetMapItem(item);
    shape.SetConvert(&convert);
    if (!shape.Open()) return 0;
    if (shape.LoadShapeData())
    {
        Check(shape.GetIndex().size() == size_t(shape.GetEntityCount()), "one index record per entity");
        Check(shape.GetLoadedCount() <= shape.GetEntityCount(), "no more loaded than counted");
        std::set<int> fids;
        for (const ShapeIndexRecord& r : shape.GetIndex())
            if (r.FID != -1) Check(fids.insert(r.FID).second, "identifiers are unique");
        double minX = 0, maxX = 1, minY = 0, maxY = 1;
        shape.GetRange_Shape(minX, maxX, minY, maxY);
        const double scale = std::max(1e-3, std::min(1e5, std::max(maxX - minX, maxY - minY) / 40.0));
        convert.SetScale(std::isfinite(scale) ? scale : 1.0);
        convert.SetStartCor(xyhCoord{std::isfinite(minX) ? minX : 0.0, std::isfinite(minY) ? minY : 0.0, 0.0});
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            shape.Draw(&p);
            shape.DrawTextW(&p);
            shape.SelectEntity(CPoint{10, 10}, CPoint{50, 40});
            shape.SelectEntity(CPoint{20, 20}, CPoint{20, 20});
            shape.DrawSelectEntity(&p);
        }
        CAnalyseResult result;
        shape.RedLineAnalyseRing({{minX, minY, 0}, {maxX, minY, 0}, {maxX, (minY + maxY) / 2, 0}}, &result, 1, nullptr);
        shape.Clear();
        // The cache just written must be taken again (or rebuilt) without harm.
        shape.LoadShapeData();
    }
    return 0;
}
