// Feeds arbitrary bytes to the raster pyramid source: the bytes up to the first NUL are the
// descriptor, the rest the tile container. The source must load or refuse it, report an ordered
// extent, and draw the whole image, a close-up and a far view without reading outside the
// container or stalling; the tiles it lists must lie on the chosen level.

#include "FuzzSupport.h"
#include "map/CMapConvert.h"
#include "sources/CMap_Image.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{
bool Write(const QString& path, const char* data, size_t size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data, qint64(size)) == qint64(size);
}

void DrawView(CMap_Image& image, CMapConvert& convert, double x0, double y0, double scale)
{
    convert.SetStartCor(xyhCoord{x0, y0, 0});
    convert.SetScale(scale);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    image.Draw(&painter);
    const int levels = int(image.Geo().Levels().size());
    for (const Image_PictureData& tile : image.NeededTiles())
    {
        Check(tile.Level >= 0 && tile.Level < levels, "tiles lie on a listed level");
        Check(tile.Row >= 0 && tile.Column >= 0, "tile indexes are not negative");
    }
    // A draw that finds no tile keeps what was held; otherwise only tiles in view are held.
    if (!image.NeededTiles().empty())
        Check(image.GetItemCount() <= int(image.NeededTiles().size()), "only tiles in view are held");
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The JPEG decoder's complaints about damaged tiles are expected here by the thousand.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString folder = ScratchPath("fuzz_image", "dir");
    QDir(folder).removeRecursively(); // no tile cached by an earlier input
    QDir().mkpath(folder);
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* nul = static_cast<const char*>(std::memchr(bytes, 0, size));
    const size_t descriptorSize = nul ? size_t(nul - bytes) : size;
    const QString path = folder + QStringLiteral("/image.img");
    if (!Write(path, bytes, descriptorSize)) return 0;
    if (nul && !Write(path + QLatin1Char('S'), nul + 1, size - descriptorSize - 1)) return 0;

    CMap_Image image;
    if (!image.SetImage(path, 1, nullptr)) return 0;
    const CMap_ImageGeo& geo = image.Geo();
    Check(geo.TileWidth() >= 1 && geo.TileHeight() >= 1, "a loaded image has whole tiles");

    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, 64, 48));
    image.SetConvert(&convert);
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (image.GetRange(xMin, xMax, yMin, yMax))
    {
        Check(xMin <= xMax && yMin <= yMax, "the extent is ordered");
        const double span = std::max(xMax - xMin, yMax - yMin);
        DrawView(image, convert, xMin, yMin, span / 48.0);
        DrawView(image, convert, xMax - span / 10.0, yMin, span / 4800.0);
        DrawView(image, convert, xMin - span * 50.0, yMin - span * 50.0, span * 2.0);
    }
    DrawView(image, convert, geo.OriginX() - 10.0, geo.OriginY(), 0.5);
    image.Clear();
    Check(image.GetItemCount() == 0 && !image.Geo().IsLoaded(), "Clear frees everything");
    return 0;
}
