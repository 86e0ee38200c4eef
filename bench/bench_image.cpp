// A raster pyramid of a 10,000 x 10,000 image: cutting it with `tesvane pyramid`'s writer beside
// GDAL's own translation of the same image to one JPEG (gdal_translate -of JPEG), the first draw
// of a full-HD view (extraction and decoding) and the warm redraw from the decoded tiles.

#include "map/CMapConvert.h"
#include "sources/CMap_Image.h"
#include "sources/ImagePyramidWriter.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <gdal_utils.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <vector>

namespace
{
constexpr int kSide = 10000;
constexpr int kWidth = 1920, kHeight = 1080;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_image";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance())
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

QString Folder()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/tesvane_bench_image");
    QDir().mkpath(folder);
    return folder;
}

// A tiled RGB GeoTIFF with smooth gradients and a grid, half a metre per pixel near the example
// road; written once per run.
QString Raster()
{
    static const QString path = [] {
        GDALAllRegister();
        const QString p = Folder() + QStringLiteral("/raster.tif");
        QFile::remove(p);
        GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        char** options = CSLSetNameValue(nullptr, "TILED", "YES");
        GDALDataset* ds = gtiff->Create(p.toUtf8().constData(), kSide, kSide, 3, GDT_Byte, options);
        CSLDestroy(options);
        double gt[6] = {498000.0, 0.5, 0.0, 3405000.0, 0.0, -0.5};
        ds->SetGeoTransform(gt);
        std::vector<unsigned char> row(size_t(kSide) * 3);
        int bands[3] = {1, 2, 3};
        for (int r = 0; r < kSide; ++r)
        {
            for (int c = 0; c < kSide; ++c)
            {
                const bool grid = r % 100 == 0 || c % 100 == 0;
                row[size_t(c) * 3] = grid ? 0 : (unsigned char)(c * 255 / kSide);
                row[size_t(c) * 3 + 1] = grid ? 0 : (unsigned char)(r * 255 / kSide);
                row[size_t(c) * 3 + 2] = (unsigned char)((r ^ c) & 0xFF);
            }
            (void)ds->RasterIO(GF_Write, 0, r, kSide, 1, row.data(), kSide, 1, GDT_Byte, 3, bands, 3, kSide * 3, 1,
                               nullptr);
        }
        GDALClose(ds);
        return p;
    }();
    return path;
}

QString Pyramid() { return Folder() + QStringLiteral("/raster.img"); }

void BM_PyramidWrite(benchmark::State& state)
{
    EnsureApplication();
    const QString in = Raster();
    for (auto _ : state)
    {
        QString error;
        ImagePyramidSummary summary;
        if (!WriteImagePyramid(in, Pyramid(), {256, 90}, nullptr, &error, &summary))
            state.SkipWithError(error.toUtf8().constData());
        state.counters["tiles"] = double(summary.Tiles);
    }
}
BENCHMARK(BM_PyramidWrite)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_GdalTranslateJpeg(benchmark::State& state)
{
    const QString in = Raster();
    const QString out = Folder() + QStringLiteral("/raster.jpg");
    for (auto _ : state)
    {
        GDALDatasetH src = GDALOpen(in.toUtf8().constData(), GA_ReadOnly);
        char* args[] = {const_cast<char*>("-of"), const_cast<char*>("JPEG"), const_cast<char*>("-co"),
                        const_cast<char*>("QUALITY=90"), nullptr};
        GDALTranslateOptions* options = GDALTranslateOptionsNew(args, nullptr);
        GDALDatasetH dst = GDALTranslate(out.toUtf8().constData(), src, options, nullptr);
        GDALTranslateOptionsFree(options);
        if (dst) GDALClose(dst);
        GDALClose(src);
    }
}
BENCHMARK(BM_GdalTranslateJpeg)->Unit(benchmark::kMillisecond)->Iterations(1);

struct View
{
    CMapConvert convert;
    QImage picture{kWidth, kHeight, QImage::Format_RGB32};
    // Full resolution over the image's middle: about 8 x 5 tiles of 256 pixels.
    View()
    {
        convert.SetClientRect(CRect(0, 0, kWidth, kHeight));
        convert.SetScale(0.5);
        convert.SetStartCor(xyhCoord{3402000.0, 500000.0, 0.0});
    }
    void Draw(CMap_Image& image)
    {
        picture.fill(Qt::white);
        QPainter painter(&picture);
        image.Draw(&painter);
    }
};

void RemoveCache()
{
    for (const QString& level : QDir(Folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        QDir(Folder() + QLatin1Char('/') + level).removeRecursively();
}

void BM_FirstDrawExtracting(benchmark::State& state)
{
    EnsureApplication();
    if (!QFileInfo::exists(Pyramid()))
    {
        QString error;
        WriteImagePyramid(Raster(), Pyramid(), {256, 90}, nullptr, &error);
    }
    View view;
    for (auto _ : state)
    {
        state.PauseTiming();
        RemoveCache();
        CMap_Image image;
        image.SetImage(Pyramid(), 1, nullptr);
        image.SetConvert(&view.convert);
        state.ResumeTiming();
        view.Draw(image);
        state.counters["tiles"] = double(image.NeededTiles().size());
    }
}
BENCHMARK(BM_FirstDrawExtracting)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WarmRedraw(benchmark::State& state)
{
    EnsureApplication();
    if (!QFileInfo::exists(Pyramid()))
    {
        QString error;
        WriteImagePyramid(Raster(), Pyramid(), {256, 90}, nullptr, &error);
    }
    View view;
    CMap_Image image;
    image.SetImage(Pyramid(), 1, nullptr);
    image.SetConvert(&view.convert);
    view.Draw(image);
    for (auto _ : state) view.Draw(image);
}
BENCHMARK(BM_WarmRedraw)->Unit(benchmark::kMillisecond);
} // namespace
