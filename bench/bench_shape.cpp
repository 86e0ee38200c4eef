// The shapefile source at land-register scale: a shapefile of 100,000 parcels (written here with
// GDAL) opened and loaded beside GDAL's own reading of every feature and geometry of the same
// file, drawn whole in a full-HD view and again after a pan, and a red-line analysis of a 10 km
// corridor over all of it.

#include "geometry/CAnalyseResult.h"
#include "map/CMapConvert.h"
#include "sources/CMap_Shape.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <random>

namespace
{
constexpr int kSide = 317;            // parcels per row and column: 100,489 in all
constexpr double kCell = 32.0;        // metres: the grid spans 10.1 km
constexpr double kE0 = 495000, kN0 = 3395000;
constexpr int kWidth = 1920, kHeight = 1080;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_shape";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance())
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

// Parcels of six to nine vertices (a square with its sides slightly broken), written once.
const QString& ParcelFile()
{
    static const QString path = [] {
        const QString folder = QDir::temp().filePath(QStringLiteral("bench_shape"));
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        const QString file = QDir(folder).filePath(QStringLiteral("parcels.shp"));
        GDALAllRegister();
        GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile")
                              ->Create(file.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr);
        const char* options[] = {"ENCODING=UTF-8", nullptr};
        OGRLayer* layer = ds->CreateLayer("parcels", nullptr, wkbPolygon, const_cast<char**>(options));
        OGRFieldDefn no("DKBH", OFTInteger), use("DLMC", OFTString);
        layer->CreateField(&no);
        layer->CreateField(&use);
        const char* uses[] = {"水田", "旱地", "林地", "宅基地", "坑塘水面"};
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> jitter(-1.5, 1.5);
        int id = 0;
        for (int r = 0; r < kSide; ++r)
            for (int c = 0; c < kSide; ++c)
            {
                const double e = kE0 + c * kCell, n = kN0 + r * kCell;
                OGRLinearRing ring;
                ring.addPoint(e, n);
                ring.addPoint(e + kCell / 2, n + jitter(rng) * 0.2);
                ring.addPoint(e + kCell, n);
                ring.addPoint(e + kCell + jitter(rng) * 0.2, n + kCell / 2);
                ring.addPoint(e + kCell, n + kCell);
                if (id % 3 == 0) ring.addPoint(e + kCell / 2, n + kCell + jitter(rng) * 0.2);
                ring.addPoint(e, n + kCell);
                ring.closeRings();
                OGRPolygon poly;
                poly.addRing(&ring);
                OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
                f->SetField(0, ++id);
                f->SetField(1, uses[id % 5]);
                f->SetGeometry(&poly);
                layer->CreateFeature(f);
                OGRFeature::DestroyFeature(f);
            }
        GDALClose(ds);
        return file;
    }();
    return path;
}

std::unique_ptr<CMap_Shape> OpenParcels(CMapConvert* convert)
{
    auto shape = std::make_unique<CMap_Shape>();
    MapConfigItem item = shape->GetMapItem();
    item.FullPathName = ParcelFile();
    item.SemiTransparence = 0;
    item.Size = 1;
    shape->SetMapItem(item);
    shape->SetConvert(convert);
    if (!shape->Open() || !shape->LoadShapeData()) return nullptr;
    return shape;
}

// The first open builds the fill-colour file and the index cache; what is measured is every
// later open, as a map opens its layers.
void BM_ShapeOpenAndLoad(benchmark::State& state)
{
    CMapConvert convert;
    OpenParcels(&convert);
    for (auto _ : state)
    {
        auto shape = OpenParcels(&convert);
        if (!shape) state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(shape.get());
    }
    state.counters["features"] = kSide * kSide;
}
BENCHMARK(BM_ShapeOpenAndLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// GDAL's own reading of the same file: every feature and every vertex of its geometry.
void BM_GdalReadEveryFeature(benchmark::State& state)
{
    GDALAllRegister();
    for (auto _ : state)
    {
        GDALDataset* ds = GDALDataset::Open(ParcelFile().toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY);
        OGRLayer* layer = ds->GetLayer(0);
        double sum = 0;
        while (OGRFeature* f = layer->GetNextFeature())
        {
            const OGRPolygon* p = f->GetGeometryRef()->toPolygon();
            const OGRLinearRing* ring = p->getExteriorRing();
            for (int i = 0; i < ring->getNumPoints(); ++i) sum += ring->getX(i) + ring->getY(i);
            sum += f->GetFieldAsInteger(0);
            OGRFeature::DestroyFeature(f);
        }
        benchmark::DoNotOptimize(sum);
        GDALClose(ds);
    }
}
BENCHMARK(BM_GdalReadEveryFeature)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void FitWhole(CMapConvert& convert)
{
    convert.SetClientRect(CRect(0, 0, kWidth, kHeight));
    const double span = kSide * kCell;
    convert.SetScale(span / kHeight);
    convert.SetStartCor(xyhCoord{kN0, kE0 - (kWidth * span / kHeight - span) / 2, 0});
}

void BM_ShapeDrawWhole(benchmark::State& state)
{
    EnsureApplication();
    CMapConvert convert;
    FitWhole(convert);
    auto shape = OpenParcels(&convert);
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
    {
        img.fill(Qt::white);
        QPainter p(&img);
        shape->Draw(&p);
    }
}
BENCHMARK(BM_ShapeDrawWhole)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Zoomed in to 2 m a pixel (a few thousand parcels in view), then panned by 200 pixels each time.
void BM_ShapeRedrawAfterPan(benchmark::State& state)
{
    EnsureApplication();
    CMapConvert convert;
    convert.SetClientRect(CRect(0, 0, kWidth, kHeight));
    convert.SetScale(2.0);
    auto shape = OpenParcels(&convert);
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state)
    {
        convert.SetStartCor(xyhCoord{kN0 + 2000, kE0 + 1000 + 400.0 * (step++ % 10), 0});
        img.fill(Qt::white);
        QPainter p(&img);
        shape->Draw(&p);
    }
}
BENCHMARK(BM_ShapeRedrawAfterPan)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A 60 m corridor bending gently over 10 km of the parcels.
void BM_ShapeRedLine10km(benchmark::State& state)
{
    CMapConvert convert;
    auto shape = OpenParcels(&convert);
    std::vector<xyhCoord> left, ring;
    const int samples = 400;
    for (int i = 0; i <= samples; ++i)
    {
        const double t = double(i) / samples;
        const double e = kE0 + 100 + t * 9800, n = kN0 + 5000 + 1500 * std::sin(t * 3.0);
        const double de = 9800, dn = 1500 * 3.0 * std::cos(t * 3.0);
        const double len = std::hypot(de, dn);
        ring.push_back({n - 30 * de / len, e + 30 * dn / len, 0});
        left.push_back({n + 30 * de / len, e - 30 * dn / len, 0});
    }
    ring.insert(ring.end(), left.rbegin(), left.rend());
    double total = 0;
    int rows = 0;
    for (auto _ : state)
    {
        CAnalyseResult result;
        shape->RedLineAnalyseRing(ring, &result, 0, nullptr);
        rows = result.GetResultDataCount();
        total = 0;
        for (int i = 0; i < rows; ++i) total += result.GetResultData(i)->GetDataFieldValue(2).toDouble();
    }
    state.counters["parcels"] = rows;
    state.counters["area_m2"] = total;
}
BENCHMARK(BM_ShapeRedLine10km)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace
