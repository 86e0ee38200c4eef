// Point sources at survey scale: importing a 1,000,000-point text file (beside GDAL's own CSV
// reading of the same file, as a yardstick), drawing those points in a full-HD view, and loading
// and drawing a point database of 1,000,000 rows.

#include "map/CMapConvert.h"
#include "sources/CMapLayer_DAT.h"
#include "sources/CMapLayer_PD.h"
#include "sources/CppSQLite3.h"

#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <random>

namespace
{
constexpr int kPoints = 1000000;
constexpr int kWidth = 1920, kHeight = 1080;

// Labels need fonts, and fonts need a GUI application.
void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "bench_sources";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance())
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}

struct Survey
{
    double x, y, h;
};

// Points scattered over 5 x 9 km near a road, the same every run.
const std::vector<Survey>& Points()
{
    static const std::vector<Survey> points = [] {
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> dx(3400000.0, 3405000.0), dy(495000.0, 504000.0), dh(80.0, 160.0);
        std::vector<Survey> v(kPoints);
        for (Survey& s : v) s = {dx(rng), dy(rng), dh(rng)};
        return v;
    }();
    return points;
}

// The data files are written anew into the temporary folder by every run (same names each time,
// so runs do not pile them up).

// A header line GDAL takes for its column names; the point reader discards it (no coordinates).
const QString& TextFile()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("tesvane_bench_points.csv"));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        QByteArray out = "Name,X,Y,H,Mark\n";
        out.reserve(48 * kPoints);
        int i = 0;
        for (const Survey& s : Points())
        {
            char line[96];
            const int n = std::snprintf(line, sizeof line, "P%07d,%.3f,%.3f,%.3f,GPS\n", ++i, s.x, s.y, s.h);
            out.append(line, n);
        }
        f.write(out);
        return p;
    }();
    return path;
}

QString MakeDatabase(bool named)
{
    {
        const QString p = QDir::temp().filePath(QStringLiteral("tesvane_bench_points_%1.db").arg(named ? 1 : 0));
        QFile::remove(p);
        CppSQLite3DB db;
        db.open(p.toUtf8().constData());
        db.execDML("create table Point(ID integer primary key, Name text, Mark text, C3, C4, C5, X real, Y real,"
                   " H real, C9, C10, Hidden integer);");
        db.execDML("begin;");
        CppSQLite3Statement insert = db.compileStatement("insert into Point values(?,?,'GPS',0,0,0,?,?,?,0,0,0);");
        int i = 0;
        for (const Survey& s : Points())
        {
            insert.bind(1, ++i);
            insert.bind(2, named ? QStringLiteral("P%1").arg(i, 7, 10, QLatin1Char('0')) : QString());
            insert.bind(3, s.x);
            insert.bind(4, s.y);
            insert.bind(5, s.h);
            insert.execDML();
        }
        db.execDML("commit;");
        return p;
    }
}

const QString& DatabaseFile()
{
    static const QString path = MakeDatabase(true);
    return path;
}

const QString& UnnamedDatabaseFile()
{
    static const QString path = MakeDatabase(false);
    return path;
}

void FitView(CMapConvert& convert)
{
    convert.SetClientRect(CRect(0, 0, kWidth, kHeight));
    convert.SetScale(9000.0 / kWidth);
    convert.SetStartCor(xyhCoord{3400000.0, 495000.0, 0.0});
}

void BM_PointFileImport(benchmark::State& state)
{
    const QString path = TextFile();
    CMap_DAT dat;
    MapConfigItem item = dat.GetMapItem();
    item.FullPathName = path;
    dat.SetMapItem(item);
    for (auto _ : state)
    {
        if (!dat.ImportData(nullptr) || dat.GetPointCount() != kPoints) state.SkipWithError("import failed");
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
    state.counters["points"] = dat.GetPointCount();
}
BENCHMARK(BM_PointFileImport)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GdalCsvRead(benchmark::State& state)
{
    const QString path = TextFile();
    GDALAllRegister();
    const char* options[] = {"X_POSSIBLE_NAMES=X", "Y_POSSIBLE_NAMES=Y", "AUTODETECT_TYPE=YES", nullptr};
    long long features = 0;
    for (auto _ : state)
    {
        GDALDataset* ds = static_cast<GDALDataset*>(
            GDALOpenEx(path.toUtf8().constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, options, nullptr));
        if (!ds)
        {
            state.SkipWithError("GDAL cannot open the file");
            return;
        }
        OGRLayer* layer = ds->GetLayer(0);
        features = 0;
        double sum = 0.0;
        for (auto& feature : layer)
        {
            if (const OGRGeometry* g = feature->GetGeometryRef()) sum += g->toPoint()->getX();
            ++features;
        }
        benchmark::DoNotOptimize(sum);
        GDALClose(ds);
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
    state.counters["points"] = double(features);
}
BENCHMARK(BM_GdalCsvRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opens the layer on `path` and draws it into a full-HD picture once per iteration.
void DrawLoop(benchmark::State& state, CMapLayer& layer, const QString& path, int displayField, int recompute)
{
    EnsureApplication();
    MapConfigItem item = layer.GetMapItem();
    item.FullPathName = path;
    item.clrOutLine = 0x0000FF;
    item.DisplayField = displayField;
    layer.SetMapItem(item);
    CMapConvert convert;
    FitView(convert);
    layer.SetConvert(&convert);
    if (!layer.Open()) state.SkipWithError("open failed");
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
    {
        image.fill(Qt::white);
        QPainter painter(&image);
        layer.DrawAll(&painter, recompute);
    }
}

void BM_PointFileDraw(benchmark::State& state)
{
    CMapLayer_DAT layer;
    // Unlabelled: a million labels would only blacken the view.
    DrawLoop(state, layer, TextFile(), -1, 0);
    state.counters["points"] = double(layer.GetMapDAT()->GetPointCount());
}
BENCHMARK(BM_PointFileDraw)->Unit(benchmark::kMillisecond);

void BM_PointDatabaseLoad(benchmark::State& state)
{
    const QString path = DatabaseFile();
    CMapLayer_PD layer;
    MapConfigItem item = layer.GetMapItem();
    item.FullPathName = path;
    layer.SetMapItem(item);
    for (auto _ : state)
        if (!layer.Open()) state.SkipWithError("open failed");
    state.counters["points"] = double(layer.GetPoints().size());
}
BENCHMARK(BM_PointDatabaseLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

// Argument 1: every drawn point has a name, so each of the ~32,000 cells writes a label;
// argument 0: the same rows without names (squares only).
void BM_PointDatabaseDraw(benchmark::State& state)
{
    CMapLayer_PD layer;
    // Recomputing every position: the dearest draw.
    DrawLoop(state, layer, state.range(0) ? DatabaseFile() : UnnamedDatabaseFile(), -1, 1);
    state.counters["points"] = double(layer.GetPoints().size());
}
BENCHMARK(BM_PointDatabaseDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace
