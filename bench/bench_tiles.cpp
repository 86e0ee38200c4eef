// Tile sets at survey scale: a full-HD view over a level of 1,000,000 tiles. The first draw finds,
// extracts and decodes every visible tile; a redraw takes the decoded tiles from memory. Levels
// written by the tileset command carry an index on (X, Y); a level without one (from an older
// writer) is read once into a (column, row) -> rowid map on its first draw, which is measured too.

#include "map/CMapConvert.h"
#include "sources/CMap_Google.h"
#include "sources/CppSQLite3.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

namespace
{
constexpr int kSide = 1000; // 1000 x 1000 tiles per level
constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kLat = 30.74, kLon = 114.0;

int ColumnAt(double lon, int z) { return int((lon + 180.0) / 360.0 * (1 << z)); }
int RowAt(double lat, int z)
{
    const double s = std::sin(lat * M_PI / 180.0);
    return int((0.5 - std::log((1 + s) / (1 - s)) / (4 * M_PI)) * (1 << z));
}

// One file: level 17 as the tileset command writes it (indexed), level 16 without an index.
struct TileFile
{
    QTemporaryDir dir;
    QString path;
    TileFile()
    {
        path = QDir(dir.path()).filePath("bench.db");
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(qRgb(90, 140, 60));
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        img.save(&buffer, "JPEG", 10);
        CppSQLite3DB db;
        db.open(path.toUtf8().constData());
        db.execDML("pragma journal_mode = off; pragma synchronous = off; begin;");
        for (int z : {16, 17})
        {
            db.execDML(QStringLiteral("create table Tiles%1 (X integer, Y integer, Name text, Tile blob);").arg(z));
            CppSQLite3Statement st = db.compileStatement(QStringLiteral("insert into Tiles%1 values (?, ?, ?, ?);").arg(z));
            const int c0 = ColumnAt(kLon, z) - kSide / 2, r0 = RowAt(kLat, z) - kSide / 2;
            for (int c = c0; c < c0 + kSide; ++c)
                for (int r = r0; r < r0 + kSide; ++r)
                {
                    st.bind(1, c);
                    st.bind(2, r);
                    st.bind(3, QStringLiteral("%1_%2_%3").arg(z).arg(c).arg(r));
                    st.bind(4, reinterpret_cast<const unsigned char*>(jpeg.constData()), int(jpeg.size()));
                    st.execDML();
                }
        }
        db.execDML("create index Tiles17_XY on Tiles17 (X, Y); commit;");
    }
};

TileFile& File()
{
    static TileFile file;
    return file;
}

// A full-HD view in degrees centred on the tiles, one screen pixel per tile pixel of `level`.
void View(CMapConvert& conv, int level)
{
    const double degreesPerPixel = 360.0 / std::ldexp(256.0, level);
    conv.SetClientRect(CRect(0, 0, kWidth, kHeight));
    conv.SetScale(degreesPerPixel);
    conv.SetStartCor(xyhCoord{kLat - kHeight / 2.0 * degreesPerPixel, kLon - kWidth / 2.0 * degreesPerPixel, 0.0});
}

void Draw(CMap_Google& g, QImage& img)
{
    QPainter p(&img);
    g.OnDraw(&p);
}

void FirstDraw(benchmark::State& state, int level)
{
    TileFile& file = File();
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    CMapConvert conv;
    View(conv, level);
    for (auto _ : state)
    {
        state.PauseTiming();
        QDir(QDir(file.dir.path()).filePath("bench")).removeRecursively();
        auto g = std::make_unique<CMap_Google>();
        g->SetConvert(&conv);
        g->OpenMapFile(file.path, nullptr);
        state.ResumeTiming();
        Draw(*g, img);
        state.PauseTiming();
        if (g->GetDrawnLevel() != level) state.SkipWithError("wrong level");
        g.reset();
        state.ResumeTiming();
    }
}

void BM_TilesFirstDraw(benchmark::State& state) { FirstDraw(state, 17); }
void BM_TilesFirstDrawUnindexedLevel(benchmark::State& state) { FirstDraw(state, 16); }

void BM_TilesRedraw(benchmark::State& state)
{
    TileFile& file = File();
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    CMapConvert conv;
    View(conv, 17);
    CMap_Google g;
    g.SetConvert(&conv);
    g.OpenMapFile(file.path, nullptr);
    Draw(g, img);
    for (auto _ : state) Draw(g, img);
    state.counters["decoded"] = double(g.DecodedTiles().Count());
}

void BM_TilesOpen(benchmark::State& state)
{
    TileFile& file = File();
    for (auto _ : state)
    {
        CMap_Google g;
        benchmark::DoNotOptimize(g.OpenMapFile(file.path, nullptr));
    }
}
} // namespace

BENCHMARK(BM_TilesFirstDraw)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TilesFirstDrawUnindexedLevel)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TilesRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TilesOpen)->Unit(benchmark::kMillisecond)->Iterations(2);
