// A DXF drawing of survey size (about 25 MB: lines, bulged LWPOLYLINEs, circles, arcs, texts and
// a block inserted thousands of times, over 10 x 10 km in 20 colours): importing it beside GDAL's
// DXF driver reading every feature and geometry of the same file as a yardstick, and drawing the
// whole drawing in a full-HD view.

#include "map/CMapConvert.h"
#include "sources/CMap_DXF.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <random>

namespace
{
constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kE0 = 495000.0, kN0 = 3400000.0, kSize = 10000.0;

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_dxf";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance())
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

// Written once per run into the temporary folder (same name every run).
const QString& DrawingPath()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("tesvane_bench_site.dxf"));
        std::mt19937 rng(5);
        std::uniform_real_distribution<double> e(kE0, kE0 + kSize), n(kN0, kN0 + kSize), d(-40.0, 40.0),
            r(0.5, 30.0), a(0.0, 360.0), b(-1.0, 1.0);
        QByteArray out;
        out.reserve(28 << 20);
        const auto g = [&](int code, const QByteArray& v) {
            out += QByteArray::number(code);
            out += '\n';
            out += v;
            out += '\n';
        };
        const auto num = [](double v) { return QByteArray::number(v, 'f', 3); };
        g(0, "SECTION"), g(2, "HEADER"), g(9, "$ACADVER"), g(1, "AC1015");
        g(9, "$EXTMIN"), g(10, num(kE0)), g(20, num(kN0)), g(9, "$EXTMAX"), g(10, num(kE0 + kSize)),
            g(20, num(kN0 + kSize)), g(0, "ENDSEC");
        g(0, "SECTION"), g(2, "TABLES"), g(0, "TABLE"), g(2, "LAYER");
        for (int i = 1; i <= 20; ++i) g(0, "LAYER"), g(2, "L" + QByteArray::number(i)), g(70, "0"), g(62, QByteArray::number(i * 11 % 255 + 1)), g(6, "CONTINUOUS");
        g(0, "ENDTAB"), g(0, "ENDSEC");
        g(0, "SECTION"), g(2, "BLOCKS"), g(0, "BLOCK"), g(8, "0"), g(2, "MARK"), g(70, "0"), g(10, "0"), g(20, "0");
        g(0, "CIRCLE"), g(8, "0"), g(10, "0"), g(20, "0"), g(40, "2");
        g(0, "LINE"), g(8, "0"), g(10, "-3"), g(20, "0"), g(11, "3"), g(21, "0");
        g(0, "LINE"), g(8, "0"), g(10, "0"), g(20, "-3"), g(11, "0"), g(21, "3");
        g(0, "ENDBLK"), g(8, "0"), g(0, "ENDSEC");
        g(0, "SECTION"), g(2, "ENTITIES");
        int k = 0;
        const auto layer = [&] { return "L" + QByteArray::number(++k % 20 + 1); };
        while (out.size() < (25 << 20))
        {
            for (int i = 0; i < 40; ++i)
            {
                const double x = e(rng), y = n(rng);
                g(0, "LINE"), g(8, layer()), g(10, num(x)), g(20, num(y)), g(11, num(x + d(rng))), g(21, num(y + d(rng)));
            }
            for (int i = 0; i < 8; ++i)
            {
                double x = e(rng), y = n(rng);
                g(0, "LWPOLYLINE"), g(8, layer()), g(90, "6"), g(70, "0");
                for (int v = 0; v < 6; ++v)
                {
                    g(10, num(x)), g(20, num(y));
                    if (v % 2 == 1) g(42, num(b(rng) * 0.5));
                    x += d(rng), y += d(rng);
                }
            }
            for (int i = 0; i < 4; ++i)
                g(0, "CIRCLE"), g(8, layer()), g(10, num(e(rng))), g(20, num(n(rng))), g(40, num(r(rng)));
            for (int i = 0; i < 4; ++i)
                g(0, "ARC"), g(8, layer()), g(10, num(e(rng))), g(20, num(n(rng))), g(40, num(r(rng))), g(50, num(a(rng))),
                    g(51, num(a(rng)));
            for (int i = 0; i < 3; ++i)
                g(0, "TEXT"), g(8, layer()), g(10, num(e(rng))), g(20, num(n(rng))), g(40, "2.5"), g(1, "K12+345 桩号");
            for (int i = 0; i < 3; ++i)
                g(0, "INSERT"), g(8, layer()), g(2, "MARK"), g(10, num(e(rng))), g(20, num(n(rng))), g(50, num(a(rng)));
        }
        g(0, "ENDSEC"), g(0, "EOF");
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) f.write(out);
        return p;
    }();
    return path;
}

void Import(benchmark::State& state, bool direct)
{
    const QString path = DrawingPath();
    long long primitives = 0;
    for (auto _ : state)
    {
        CMap_DXF dxf;
        dxf.SetDirectReading(direct);
        MapConfigItem item = dxf.GetMapItem();
        item.FullPathName = path;
        dxf.SetMapItem(item);
        if (dxf.Open() != 1) state.SkipWithError("the drawing did not open");
        primitives = dxf.GetPrimitiveCount();
    }
    state.counters["MB"] = double(QFile(path).size()) / (1 << 20);
    state.counters["primitives"] = double(primitives);
}

void BM_DxfImport(benchmark::State& state) { Import(state, true); }
BENCHMARK(BM_DxfImport)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every group through dxflib, the common entities included: what reading those directly saves.
void BM_DxfImportAllThroughDxflib(benchmark::State& state) { Import(state, false); }
BENCHMARK(BM_DxfImportAllThroughDxflib)->Unit(benchmark::kMillisecond)->Iterations(3);

// GDAL's DXF driver reading every feature with its geometry (blocks inlined, its default).
void BM_GdalDxfReadAll(benchmark::State& state)
{
    const QString path = DrawingPath();
    GDALAllRegister();
    long long features = 0;
    for (auto _ : state)
    {
        features = 0;
        GDALDataset* ds = static_cast<GDALDataset*>(
            GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
        if (!ds)
        {
            state.SkipWithError("GDAL cannot open the drawing");
            break;
        }
        for (OGRLayer* layer : ds->GetLayers())
        {
            layer->ResetReading();
            while (OGRFeature* f = layer->GetNextFeature())
            {
                if (OGRGeometry* geom = f->GetGeometryRef()) benchmark::DoNotOptimize(geom->getGeometryType());
                ++features;
                OGRFeature::DestroyFeature(f);
            }
        }
        GDALClose(ds);
    }
    state.counters["features"] = double(features);
}
BENCHMARK(BM_GdalDxfReadAll)->Unit(benchmark::kMillisecond)->Iterations(3);

struct Loaded
{
    Loaded()
    {
        MapConfigItem item = dxf.GetMapItem();
        item.FullPathName = DrawingPath();
        dxf.SetMapItem(item);
        dxf.Open();
        convert.SetClientRect(CRect(0, 0, kWidth, kHeight));
        convert.SetBackGroundColor(0);
        dxf.SetConvert(&convert);
    }
    CMap_DXF dxf;
    CMapConvert convert;
};

Loaded& Drawing()
{
    static Loaded loaded;
    return loaded;
}

void DrawAt(benchmark::State& state, double scale, xyhCoord start)
{
    EnsureApplication();
    Loaded& l = Drawing();
    l.convert.SetScale(scale);
    l.convert.SetStartCor(start);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
    {
        image.fill(Qt::black);
        QPainter p(&image);
        l.dxf.Draw(&p);
    }
}

// The whole 10 x 10 km drawing in the view.
void BM_DxfDrawWhole(benchmark::State& state) { DrawAt(state, kSize / kHeight, xyhCoord{kN0, kE0 - 2000, 0}); }
BENCHMARK(BM_DxfDrawWhole)->Unit(benchmark::kMillisecond);

// A street-level view (0.5 m a pixel), where texts are written.
void BM_DxfDrawDetail(benchmark::State& state) { DrawAt(state, 0.5, xyhCoord{kN0 + 5000, kE0 + 5000, 0}); }
BENCHMARK(BM_DxfDrawDetail)->Unit(benchmark::kMillisecond);
} // namespace
