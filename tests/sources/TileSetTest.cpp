#include "SourcesTestUtil.h"
#include "TileTestUtil.h"

#include "coord/CCoordinateConvert.h"
#include "platform/ProgressListener.h"
#include "sources/CMapLayer_Google.h"
#include "sources/CMap_Google.h"
#include "sources/MapLayerInfo.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

using namespace tiletest;

namespace
{
constexpr double kLat = 30.74, kLon = 114.0;
constexpr int kFinest = 15;

class ProgressLog : public IProgressListener
{
public:
    void SetCaption(const QString& path) override { log << "caption:" + path; }
    void Reset() override { log << "reset"; }
    void SetPercent(int percent) override { log << QString::number(percent); }
    QStringList log;
};

// WGS84 Gauss grid with the central meridian 114° E, the example route's zone.
CoordinateSystem_EllipsoidParameter Wgs84()
{
    CoordinateSystem_EllipsoidParameter e;
    e.Axis = 6378137.0;
    e.ReciprocalofFlatRate = 298.257223563;
    return e;
}
CoordinateSystem_ProjectParameter Gauss114()
{
    CoordinateSystem_ProjectParameter p;
    p.Type = 0;
    p.CentralMeridian = 114.0 * M_PI / 180.0;
    p.Ty = 500000.0;
    p.TK = 1.0;
    return p;
}
xyhCoord Grid(double lat, double lon)
{
    CCoordinateConvert c;
    c.SetDestinationEllipsoid(Wgs84());
    c.SetProjection(Gauss114());
    xyhCoord xyh;
    c.BLHToxyh(BLHCoord{lat, lon, 0.0}, xyh);
    return xyh;
}

// Tiles of levels 12 to 15 three tiles around the centre point.
struct TileSetFixture : ::testing::Test
{
    QTemporaryDir dir;
    QString db;
    int c = ColumnAt(kLon, kFinest), r = RowAt(kLat, kFinest);
    void SetUp() override
    {
        db = QDir(dir.path()).filePath("tiles.db");
        WriteTileDb(db, [](int, int, int) { return true; }, 12, kFinest, c - 3, c + 3, r - 3, r + 3, GetParam());
    }
    virtual bool GetParam() const { return true; }

    void Configure(CMap_Google& g, CMapConvert& conv)
    {
        g.SetDestinationEllipsoid(Wgs84());
        g.SetProjection(Gauss114());
        g.SetConvert(&conv);
    }
    // A w x h view centred on (lat, lon) at `scale` metres per pixel.
    static void Centre(CMapConvert& conv, double lat, double lon, double scale, int w = 400, int h = 300)
    {
        const xyhCoord p = Grid(lat, lon);
        sourcestest::SetView(conv, p.x - h / 2.0 * scale, p.y - w / 2.0 * scale, scale, w, h);
    }
    static QImage Draw(CMap_Google& g, int w = 400, int h = 300)
    {
        QImage img = sourcestest::WhiteImage(w, h);
        QPainter p(&img);
        g.OnDraw(&p);
        return img;
    }
};
struct UnindexedTileSet : TileSetFixture
{
    bool GetParam() const override { return false; }
};

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}
} // namespace

TEST(TileSet, OpensWithTheLevelsThatHoldTilesAndReportsProgress)
{
    QTemporaryDir dir;
    const QString db = QDir(dir.path()).filePath("levels.db");
    WriteTileDb(db, [](int, int, int) { return true; }, 10, 15, 800, 801, 400, 400, false);
    CMap_Google g;
    ProgressLog progress;
    ASSERT_EQ(g.OpenMapFile(db, &progress), 1);
    EXPECT_EQ(g.GetMinLevel(), 10);
    EXPECT_EQ(g.GetMaxLevel(), 15);
    for (int z : {4, 9, 16, 17}) EXPECT_EQ(g.GetLevelExtent(z).maxColumn, 0) << z;
    EXPECT_EQ(g.GetLevelExtent(15).minColumn, 800);
    EXPECT_EQ(g.GetLevelExtent(15).maxColumn, 801);
    EXPECT_EQ(g.GetLevelExtent(14).minColumn, 400);
    EXPECT_EQ(g.GetTileCount(), 2 + 5);
    EXPECT_EQ(progress.log.join(','), "caption:" + db +
                                          ",reset,7,14,21,28,35,42,50,57,64,71,78,85,92,100");
    // Opening alone leaves nothing beside the database.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"levels.db"});
    EXPECT_EQ(DetectLayerFormat(db), 7);
}

TEST(TileSet, ExtentOfASingleColumnUsesTheTraditionalConstant)
{
    QTemporaryDir dir;
    const QString db = QDir(dir.path()).filePath("one.db");
    const int z = 13, column = 6690, row = 3370;
    WriteTileDb(db, [](int, int, int) { return true; }, z, z, column, column, row, row, false);
    CMap_Google g;
    ASSERT_EQ(g.OpenMapFile(db, nullptr), 1);
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    ASSERT_EQ(g.GetRange(xMin, xMax, yMin, yMax, 0), 1);
    const double n = 256.0 * std::ldexp(1.0, z), half = n / 2;
    EXPECT_DOUBLE_EQ(yMin, (256.0 * column - half) / (n / 360.0));
    EXPECT_NEAR(yMax - yMin, 360.0 / std::ldexp(1.0, z), 1e-9);
    auto traditional = [&](double p) {
        const double q = std::pow(2.71828, 2.0 * (half - p) / (n / (2 * M_PI)));
        return std::asin((q - 1) / (q + 1)) * 180.0 / M_PI;
    };
    EXPECT_DOUBLE_EQ(xMin, traditional((row + 1) * 256.0));
    EXPECT_DOUBLE_EQ(xMax, traditional(row * 256.0));
    // ...which is not quite the exact tile edge.
    EXPECT_GT(std::fabs(xMax - TileLatitude(row, z)), 1e-7);
    EXPECT_NEAR(xMax, TileLatitude(row, z), 1e-4);

    // Projected: the corners through the survey system.
    g.SetDestinationEllipsoid(Wgs84());
    g.SetProjection(Gauss114());
    double pxMin = 0, pxMax = 0, pyMin = 0, pyMax = 0;
    ASSERT_EQ(g.GetRange(pxMin, pxMax, pyMin, pyMax, 1), 1);
    const xyhCoord sw = Grid(xMin, yMin), ne = Grid(xMax, yMax);
    EXPECT_NEAR(pxMin, sw.x, 1e-6);
    EXPECT_NEAR(pyMax, ne.y, 1e-6);

    CMap_Google empty;
    EXPECT_EQ(empty.GetRange(xMin, xMax, yMin, yMax, 0), 0);
}

TEST(TileSet, ScaleAndLevelChoice)
{
    CMap_Google g;
    g.SetRange(30.0, 31.0, 114.0, 115.0, 0);
    EXPECT_DOUBLE_EQ(g.GetScale(), 8.0) << "an empty draw rectangle";
    EXPECT_DOUBLE_EQ(g.GetCentreLatitude(), 30.5);
    EXPECT_DOUBLE_EQ(g.GetCentreLongitude(), 114.5);
    double ratio = 0;
    EXPECT_EQ(CMap_Google::ChooseLevel(0.5, 10, 15, ratio), 15);
    EXPECT_DOUBLE_EQ(ratio, 2.0);
    EXPECT_EQ(CMap_Google::ChooseLevel(1.0 / 0.7, 10, 15, ratio), 15) << "0.7 itself is kept";
    EXPECT_EQ(CMap_Google::ChooseLevel(3.0, 10, 15, ratio), 13);
    EXPECT_NEAR(ratio, 4.0 / 3.0, 1e-12);
    EXPECT_EQ(CMap_Google::ChooseLevel(1e6, 10, 15, ratio), 10) << "never below the coarsest level";
}

TEST_F(TileSetFixture, TilesAreDrawnWhereTheirCornersLie)
{
    CMap_Google g;
    CMapConvert conv;
    Configure(g, conv);
    ASSERT_EQ(g.OpenMapFile(db, nullptr), 1);
    // About one tile pixel per screen pixel at level 15.
    Centre(conv, kLat, kLon, 4.0);
    const QImage img = Draw(g);
    ASSERT_EQ(g.GetDrawnLevel(), kFinest);
    // The north-west corner of a tile near the centre, in client pixels.
    const int tc = c, tr = r;
    CPoint corner;
    conv.WorldToClient(Grid(TileLatitude(tr, kFinest), TileLongitude(tc, kFinest)), corner);
    ASSERT_TRUE(QRect(60, 60, 280, 180).contains(corner.x, corner.y)) << corner.x << "," << corner.y;
    // Within one pixel: the tile starts at most one pixel either side of its corner.
    EXPECT_TRUE(Near(img.pixel(corner.x + 1, corner.y + 40), TileColour(kFinest, tc, tr)));
    EXPECT_TRUE(Near(img.pixel(corner.x - 2, corner.y + 40), TileColour(kFinest, tc - 1, tr)));
    EXPECT_TRUE(Near(img.pixel(corner.x + 40, corner.y + 1), TileColour(kFinest, tc, tr)));
    EXPECT_TRUE(Near(img.pixel(corner.x + 40, corner.y - 2), TileColour(kFinest, tc, tr - 1)));
    EXPECT_EQ(sourcestest::Count(img, qRgb(255, 255, 255)), 0) << "the tiles cover the view";
}

TEST_F(TileSetFixture, ZoomingOutDrawsCoarserLevelsDownToTheCoarsest)
{
    CMap_Google g;
    CMapConvert conv;
    Configure(g, conv);
    ASSERT_EQ(g.OpenMapFile(db, nullptr), 1);
    Centre(conv, kLat, kLon, 1.0);
    QImage img = Draw(g);
    EXPECT_EQ(g.GetDrawnLevel(), 15) << "zoomed in, the finest level";
    EXPECT_EQ(qRed(img.pixel(200, 150)) / 14, 15);
    Centre(conv, kLat, kLon, 4.0 * 3.5); // a tile pixel of level 15 spans 0.29 screen pixels
    img = Draw(g);
    EXPECT_EQ(g.GetDrawnLevel(), 13);
    EXPECT_NEAR(qRed(img.pixel(200, 150)), 13 * 14, 8);
    Centre(conv, kLat, kLon, 40.0);
    img = Draw(g);
    EXPECT_EQ(g.GetDrawnLevel(), 12);
    EXPECT_NEAR(qRed(img.pixel(200, 150)), 12 * 14, 8);
}

TEST_F(UnindexedTileSet, DrawsFromTheCacheFolderWithoutWritingTheDatabase)
{
    const QByteArray before = FileHash(db);
    CMap_Google g;
    CMapConvert conv;
    Configure(g, conv);
    ASSERT_EQ(g.OpenMapFile(db, nullptr), 1);
    Centre(conv, kLat, kLon, 4.0);
    const QImage first = Draw(g);
    EXPECT_TRUE(g.CachesOnDisk());
    const QString cached = QDir(dir.path()).filePath(QStringLiteral("tiles/15/%1/%2.jpg").arg(c).arg(r));
    ASSERT_TRUE(QFile::exists(cached));
    // Nothing but tiles in the cache folder: no temporary file is left.
    QDirIterator it(QDir(dir.path()).filePath("tiles"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) EXPECT_TRUE(it.next().endsWith(".jpg"));

    // A redraw takes the decoded tiles from memory: removing the cache folder changes nothing.
    QDir(QDir(dir.path()).filePath("tiles")).removeRecursively();
    EXPECT_EQ(Draw(g), first);
    EXPECT_FALSE(QFile::exists(cached));
    EXPECT_GT(g.DecodedTiles().Count(), 0u);
    EXPECT_EQ(FileHash(db), before) << "the database is only read";

    // A cache file cut short by a crash is extracted again rather than drawn wrong for ever.
    CMap_Google again;
    Configure(again, conv);
    ASSERT_EQ(again.OpenMapFile(db, nullptr), 1);
    QDir().mkpath(QFileInfo(cached).path());
    const QByteArray whole = TileJpeg(kFinest, c, r);
    sourcestest::WriteBytes(cached, whole.left(whole.size() / 3));
    EXPECT_EQ(Draw(again), first);
    QFile f(cached);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), whole.size());
}

TEST_F(TileSetFixture, ReadOnlyCacheFolderDecodesStraightFromTheDatabase)
{
    // A plain file where the cache folder would go: it cannot be created, even as root.
    ASSERT_TRUE(sourcestest::WriteBytes(QDir(dir.path()).filePath("tiles"), "not a folder"));
    CMap_Google g;
    CMapConvert conv;
    Configure(g, conv);
    ASSERT_EQ(g.OpenMapFile(db, nullptr), 1);
    Centre(conv, kLat, kLon, 4.0);
    const QImage img = Draw(g);
    EXPECT_FALSE(g.CachesOnDisk());
    EXPECT_EQ(sourcestest::Count(img, qRgb(255, 255, 255)), 0);
    CPoint corner;
    conv.WorldToClient(Grid(TileLatitude(r, kFinest), TileLongitude(c, kFinest)), corner);
    EXPECT_TRUE(Near(img.pixel(corner.x + 5, corner.y + 5), TileColour(kFinest, c, r)));
}

TEST_F(TileSetFixture, LayerForwardsTheSurveySystemAndDescribesItself)
{
    std::unique_ptr<CMapLayer> layer = CreateMapLayer(7);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->GetType(), 7);
    MapConfigItem item = layer->GetMapItem();
    item.FullPathName = db;
    layer->SetMapItem(item);
    layer->SetEllipsoid(Wgs84());
    layer->SetProjection(Gauss114());
    CMapConvert conv;
    layer->SetConvert(&conv);
    ASSERT_EQ(layer->Open(), 1);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    ASSERT_EQ(layer->GetRange(x0, x1, y0, y1, 0), 1);
    const xyhCoord centre = Grid(kLat, kLon);
    EXPECT_LT(x0, centre.x);
    EXPECT_GT(x1, centre.x);
    EXPECT_LT(y0, centre.y);
    EXPECT_GT(y1, centre.y);
    auto* info = dynamic_cast<IMapLayerInfo*>(layer.get());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->InfoLines().first(), "levels: 12-15");
    long long tiles = 0;
    for (int z = 12; z <= 15; ++z)
        tiles += (((c + 3) >> (15 - z)) - ((c - 3) >> (15 - z)) + 1) * (((r + 3) >> (15 - z)) - ((r - 3) >> (15 - z)) + 1);
    EXPECT_EQ(info->ItemCount(), tiles);
}

TEST(TileSet, DamagedDatabasesNeverCrash)
{
    QTemporaryDir dir;
    const QString good = QDir(dir.path()).filePath("good.db");
    const int c = ColumnAt(kLon, 14), r = RowAt(kLat, 14);
    WriteTileDb(good, [](int, int, int) { return true; }, 14, 14, c - 2, c + 2, r - 2, r + 2, false);
    QByteArray bytes;
    {
        QFile f(good);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll();
    }
    CMapConvert conv;
    auto tryOpenAndDraw = [&](const QString& path) {
        CMap_Google g;
        g.SetDestinationEllipsoid(Wgs84());
        g.SetProjection(Gauss114());
        g.SetConvert(&conv);
        const int opened = g.OpenMapFile(path, nullptr);
        const xyhCoord p = Grid(kLat, kLon);
        sourcestest::SetView(conv, p.x - 600, p.y - 800, 8.0, 200, 150);
        QImage img = sourcestest::WhiteImage(200, 150);
        QPainter painter(&img);
        g.OnDraw(&painter);
        return opened;
    };
    // Not a database at all, or cut short.
    const QString text = QDir(dir.path()).filePath("text.db");
    sourcestest::WriteBytes(text, "hello, not a database");
    EXPECT_EQ(tryOpenAndDraw(text), 0);
    EXPECT_EQ(tryOpenAndDraw(QDir(dir.path()).filePath("missing.db")), 0);
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath("missing.db")));
    for (double part : {0.1, 0.5, 0.9})
    {
        const QString cut = QDir(dir.path()).filePath(QStringLiteral("cut%1.db").arg(part));
        sourcestest::WriteBytes(cut, bytes.left(int(bytes.size() * part)));
        tryOpenAndDraw(cut);
    }
    // Garbage in the pages after the header.
    for (int seed = 0; seed < 6; ++seed)
    {
        QByteArray damaged = bytes;
        for (int i = 100 + seed * 37; i < damaged.size(); i += 97 + seed) damaged[i] = char(damaged[i] ^ (0x5A + seed));
        const QString path = QDir(dir.path()).filePath(QStringLiteral("damaged%1.db").arg(seed));
        sourcestest::WriteBytes(path, damaged);
        tryOpenAndDraw(path);
    }
    // Well-formed but absurd rows: text coordinates, huge numbers, tiles that are no images.
    const QString odd = QDir(dir.path()).filePath("odd.db");
    {
        CppSQLite3DB db;
        db.open(odd.toUtf8().constData());
        db.execDML("create table Tiles14 (X integer, Y integer, Name text, Tile blob);"
                   "create table Tiles15 (X, Y, Name, Tile);");
        db.execDML(QStringLiteral("insert into Tiles14 values (%1, %2, 'x', x'00010203');").arg(c).arg(r));
        db.execDML(QStringLiteral("insert into Tiles14 values (%1, %2, 'x', NULL);").arg(c + 1).arg(r));
        db.execDML("insert into Tiles15 values ('abc', -5, 'y', 'text'), (2147483647, 2147483647, 'z', x'FFD8FF');");
    }
    EXPECT_EQ(tryOpenAndDraw(odd), 1);
}
