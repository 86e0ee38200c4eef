#include "ShapeTestUtil.h"
#include "SourcesTestUtil.h"

#include "map/CMapConvert.h"
#include "sources/CMapLayer_SHP.h"
#include "sources/CMap_Shape.h"
#include "platform/ProgressListener.h"
#include "sources/MapLayerInfo.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <random>

using namespace shapetest;

namespace
{
constexpr double kE0 = 500000, kN0 = 3400000; // a Gauss grid corner

// Three parcels of different size: 10 m, 30 m and 20 m squares, and a feature without geometry.
QString WriteParcels(const QString& folder, const char* name = "parcels.shp", double shift = 0)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    EXPECT_TRUE(WriteShapefile(path, wkbPolygon, {{"name", OFTString}, {"code", OFTInteger}},
                               {{Square(kE0 + shift, kN0, 10), {"甲", "1"}},
                                {Square(kE0 + 100 + shift, kN0, 30), {"乙", "2"}},
                                {Square(kE0 + 200 + shift, kN0 + 50, 20), {"丙", "3"}},
                                {"", {"空", "4"}}}));
    return path;
}

std::unique_ptr<CMap_Shape> OpenShape(const QString& path, int visible = 1)
{
    auto shape = std::make_unique<CMap_Shape>();
    MapConfigItem item = shape->GetMapItem();
    item.FullPathName = path;
    item.Visible = visible;
    shape->SetMapItem(item);
    EXPECT_EQ(shape->Open(), 1) << path.toStdString();
    return shape;
}

void SetModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

std::vector<ShapeIndexRecord> ReadCache(const QString& path)
{
    QFile f(path);
    std::vector<ShapeIndexRecord> records;
    if (!f.open(QIODevice::ReadOnly)) return records;
    const QByteArray bytes = f.readAll();
    records.resize(size_t(bytes.size()) / sizeof(ShapeIndexRecord));
    std::memcpy(records.data(), bytes.constData(), records.size() * sizeof(ShapeIndexRecord));
    return records;
}
} // namespace

TEST(ShapeSource, OpensIndexesAndReportsExtents)
{
    QTemporaryDir dir;
    const QString path = WriteParcels(dir.path());
    auto shape = OpenShape(path);
    EXPECT_EQ(shape->GetEntityKind(), 3);
    EXPECT_EQ(shape->GetMapItem().Style, 3);
    EXPECT_EQ(shape->GetEntityCount(), 4);
    double a, b, c, d;
    ASSERT_EQ(shape->GetRange_Shape(a, b, c, d), 1);
    EXPECT_DOUBLE_EQ(a, kN0); // northing first
    EXPECT_DOUBLE_EQ(b, kN0 + 70);
    EXPECT_DOUBLE_EQ(c, kE0);
    EXPECT_DOUBLE_EQ(d, kE0 + 220);
    ASSERT_EQ(shape->LoadShapeData(), 1);
    EXPECT_EQ(shape->GetLoadedCount(), 3);
    EXPECT_EQ(shape->GetPlaneCount(), 3);
    // Largest first; the feature without geometry has identifier -1.
    const auto& index = shape->GetIndex();
    ASSERT_EQ(index.size(), 4u);
    EXPECT_EQ(index[0].FID, 1);
    EXPECT_EQ(index[1].FID, 2);
    EXPECT_EQ(index[2].FID, 0);
    EXPECT_EQ(index[3].FID, -1);
    EXPECT_FLOAT_EQ(index[0].SizeKey, 60.0f);
    ASSERT_EQ(shape->GetRangeShapeByID(2, a, b, c, d), 1);
    EXPECT_DOUBLE_EQ(a, kN0 + 50);
    EXPECT_DOUBLE_EQ(d, kE0 + 220);
    EXPECT_EQ(shape->GetRangeShapeByID(3, a, b, c, d), 0);
    EXPECT_EQ(shape->GetRangeShapeByID(77, a, b, c, d), 0);
    // Without a survey system the survey extent is the data set's own.
    ASSERT_EQ(shape->GetRange_Survey(a, b, c, d), 1);
    EXPECT_DOUBLE_EQ(c, kE0);
    // Hidden layers index without loading items.
    auto hidden = OpenShape(path, 0);
    ASSERT_EQ(hidden->LoadShapeData(), 1);
    EXPECT_EQ(hidden->GetPlaneCount(), 0);
    EXPECT_EQ(hidden->GetIndex().size(), 4u);
}

TEST(ShapeSource, RefusesWhatIsNoDataSet)
{
    QTemporaryDir dir;
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = dir.filePath("missing.shp");
    shape.SetMapItem(item);
    EXPECT_EQ(shape.Open(), 0);
    EXPECT_EQ(shape.LoadShapeData(), 0);
    const QString junk = dir.filePath("junk.shp");
    ASSERT_TRUE(QFile(junk).open(QIODevice::WriteOnly));
    item.FullPathName = junk;
    shape.SetMapItem(item);
    EXPECT_EQ(shape.Open(), 0);
    // An empty layer opens but has nothing to load.
    const QString empty = dir.filePath("empty.shp");
    ASSERT_TRUE(WriteShapefile(empty, wkbPolygon, {{"a", OFTString}}, {}));
    auto e = OpenShape(empty);
    EXPECT_EQ(e->LoadShapeData(), 0);
}

TEST(ShapeSource, KindsOfPointsAndLines)
{
    QTemporaryDir dir;
    const QString pts = dir.filePath("pts.shp");
    std::vector<Feature> features;
    for (int i = 0; i < 400; ++i)
        features.push_back({"POINT (" + std::to_string(kE0 + i) + " " + std::to_string(kN0) + ")", {QString::number(i)}});
    ASSERT_TRUE(WriteShapefile(pts, wkbPoint, {{"n", OFTInteger}}, features));
    auto p = OpenShape(pts);
    EXPECT_EQ(p->GetEntityKind(), 1);
    EXPECT_EQ(p->GetMapItem().Size, 2) << "points are at least two pixels";
    ASSERT_EQ(p->LoadShapeData(), 1);
    // Interleaved: s = 20 halved = 10, q = 40: slot (i mod 40) * 10 + i div 40.
    const auto& index = p->GetIndex();
    EXPECT_EQ(index[0].FID, 0);
    EXPECT_EQ(index[1].FID, 40);
    EXPECT_EQ(index[10].FID, 1);
    EXPECT_EQ(index[399].FID, 399);
    EXPECT_FLOAT_EQ(index[5].SizeKey, 0.0f);

    const QString lines = dir.filePath("lines.shp");
    ASSERT_TRUE(WriteShapefile(lines, wkbMultiLineString, {{"n", OFTInteger}},
                               {{"MULTILINESTRING ((500000 3400000,500010 3400000),(500020 3400000,500030 3400005))", {"1"}},
                                {"LINESTRING (500000 3400010,500100 3400010)", {"2"}}}));
    auto l = OpenShape(lines);
    EXPECT_EQ(l->GetEntityKind(), 2);
    ASSERT_EQ(l->LoadShapeData(), 1);
    EXPECT_EQ(l->GetLineCount(), 3) << "one item per part";
    EXPECT_EQ(l->GetIndex()[0].FID, 1);
}

TEST(ShapeSource, LargeIndexesSortInPartsAndMerge)
{
    std::vector<ShapeIndexRecord> index(100000);
    std::mt19937 rng(7);
    for (size_t i = 0; i < index.size(); ++i)
    {
        index[i].FID = int(i);
        index[i].SizeKey = float(rng() % 5000);
    }
    EXPECT_EQ(SortShapeIndexBySize(index), 3);
    EXPECT_TRUE(std::is_sorted(index.begin(), index.end(), [](const auto& a, const auto& b) {
        return a.SizeKey > b.SizeKey || (a.SizeKey == b.SizeKey && a.FID < b.FID);
    }));
    std::vector<ShapeIndexRecord> small(39999);
    EXPECT_EQ(SortShapeIndexBySize(small), 1);
    std::vector<ShapeIndexRecord> huge(200000);
    EXPECT_EQ(SortShapeIndexBySize(huge), 8);
}

TEST(ShapeSource, IndexCacheIsWrittenAndTrustedOnlyWhenItFits)
{
    QTemporaryDir dir;
    const QString path = WriteParcels(dir.path());
    const QString cache = path + "inf";
    {
        auto shape = OpenShape(path);
        ASSERT_EQ(shape->LoadShapeData(), 1);
    }
    ASSERT_TRUE(QFile::exists(cache));
    EXPECT_EQ(QFileInfo(cache).size(), 4 * 28);
    std::vector<ShapeIndexRecord> records = ReadCache(cache);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].FID, 1);
    for (const auto& r : records) EXPECT_EQ(r.Loaded, 0);

    const auto writeCache = [&](const std::vector<ShapeIndexRecord>& r, qint64 extra = 0) {
        QFile f(cache);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(r.data()), qint64(r.size() * sizeof(ShapeIndexRecord)));
        f.write(QByteArray(int(extra), '\0'));
        f.close();
        SetModified(cache, QDateTime::currentDateTime().addSecs(60));
    };
    double a, b, c, d;
    // A sound cache is used as it is: a changed rectangle shows.
    std::vector<ShapeIndexRecord> tweaked = records;
    tweaked[2].MaxX = float(kE0 + 11);
    writeCache(tweaked);
    {
        auto shape = OpenShape(path);
        ASSERT_EQ(shape->LoadShapeData(), 1);
        ASSERT_EQ(shape->GetRangeShapeByID(0, a, b, c, d), 1);
        EXPECT_DOUBLE_EQ(d, kE0 + 11);
        EXPECT_EQ(shape->GetPlaneCount(), 3);
    }
    // Wrong size, an identifier outside the layer, a duplicate: rebuilt and rewritten.
    std::vector<ShapeIndexRecord> outside = tweaked;
    outside[0].FID = 4;
    std::vector<ShapeIndexRecord> twice = tweaked;
    twice[1].FID = twice[0].FID;
    for (int damage = 0; damage < 3; ++damage)
    {
        if (damage == 0) writeCache(tweaked, 5);
        if (damage == 1) writeCache(outside);
        if (damage == 2) writeCache(twice);
        auto shape = OpenShape(path);
        ASSERT_EQ(shape->LoadShapeData(), 1) << damage;
        ASSERT_EQ(shape->GetRangeShapeByID(0, a, b, c, d), 1);
        EXPECT_DOUBLE_EQ(d, kE0 + 10) << damage;
        EXPECT_EQ(shape->GetPlaneCount(), 3) << damage;
        EXPECT_EQ(QFileInfo(cache).size(), 4 * 28) << damage;
        EXPECT_EQ(ReadCache(cache)[2].MaxX, float(kE0 + 10)) << damage;
    }
    // The shapefile edited after the cache was written: the cache is stale.
    writeCache(tweaked);
    SetModified(cache, QDateTime::currentDateTime().addSecs(-600));
    WriteParcels(dir.path(), "parcels.shp", 1000);
    SetModified(path, QDateTime::currentDateTime());
    {
        auto shape = OpenShape(path);
        ASSERT_EQ(shape->LoadShapeData(), 1);
        ASSERT_EQ(shape->GetRangeShapeByID(0, a, b, c, d), 1);
        EXPECT_DOUBLE_EQ(c, kE0 + 1000);
    }
    // Deleted: the next load rebuilds and writes it again.
    ASSERT_TRUE(QFile::remove(cache));
    {
        auto shape = OpenShape(path);
        ASSERT_EQ(shape->LoadShapeData(), 1);
        EXPECT_TRUE(QFile::exists(cache));
        QFile::remove(cache);
        shape->Clear();
        EXPECT_TRUE(QFile::exists(cache)) << "Clear writes a missing cache";
        EXPECT_EQ(ReadCache(cache)[2].MinX, float(kE0 + 1000));
    }
    EXPECT_EQ(QDir(dir.path()).entryList({"*.shpinf.*", "*.tmp*"}, QDir::Files).size(), 0) << "no temporary left";
}

TEST(ShapeSource, ReadsTheRealWorldFile)
{
    const QString path =
        QStringLiteral(TESVANE_SOURCE_DIR "/../shared/data/shapefile/naturalearth_lowres_wgs84/naturalearth_lowres.shp");
    if (!QFile::exists(path)) GTEST_SKIP() << "shared data absent";
    QTemporaryDir dir;
    // Work on a copy: opening writes side files beside the data.
    for (const char* ext : {"shp", "shx", "dbf", "prj", "cpg"})
        ASSERT_TRUE(QFile::copy(QString(path).replace(".shp", QString(".") + ext), dir.filePath(QString("ne.") + ext)));
    auto shape = OpenShape(dir.filePath("ne.shp"));
    EXPECT_EQ(shape->GetEntityCount(), 177);
    EXPECT_EQ(shape->GetEntityKind(), 3);
    EXPECT_EQ(shape->GetShapeSystem().Projection.Type, -1);
    EXPECT_NEAR(shape->GetShapeSystem().Ellipsoid.ReciprocalofFlatRate, 298.257223563, 1e-9);
    double a, b, c, d;
    ASSERT_EQ(shape->GetRange_Shape(a, b, c, d), 1);
    EXPECT_NEAR(a, -90.0, 1e-6);
    EXPECT_NEAR(b, 83.64513, 1e-5);
    EXPECT_NEAR(c, -180.0, 1e-6);
    EXPECT_NEAR(d, 180.0, 1e-6);
    ASSERT_EQ(shape->LoadShapeData(), 1);
    EXPECT_GT(shape->GetPlaneCount(), 177) << "multipolygons give a plane per part";
    EXPECT_TRUE(QFile::exists(dir.filePath("ne.shc")));
    QStringList names;
    shape->GetShapeConfigFillColor()->GetFiledArray(names);
    EXPECT_EQ(names, QStringList({"pop_est", "continent", "name", "iso_a3", "gdp_md_est"}));

    // A projected copy made by GDAL's own converter reads as transverse Mercator (type 2).
    const QString ogr2ogr = QStandardPaths::findExecutable("ogr2ogr");
    if (ogr2ogr.isEmpty()) return;
    const QString projected = dir.filePath("ne_tm.shp");
    QProcess p;
    p.start(ogr2ogr, {"-q", "-spat", "100", "20", "130", "50", "-clipsrc", "spat_extent", "-t_srs",
                      "+proj=tmerc +lat_0=0 +lon_0=117 +k=1 +x_0=500000 +y_0=0 +ellps=GRS80 +units=m", projected,
                      dir.filePath("ne.shp")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    auto tm = OpenShape(projected);
    const ShapeCoordinateSystem& s = tm->GetShapeSystem();
    EXPECT_EQ(s.Projection.Type, 2);
    EXPECT_NEAR(s.Projection.CentralMeridian, 117.0 * M_PI / 180.0, 1e-12);
    EXPECT_DOUBLE_EQ(s.Projection.Ty, 500000.0);
    EXPECT_DOUBLE_EQ(s.Ellipsoid.Axis, 6378137.0);
    ASSERT_EQ(tm->LoadShapeData(), 1);
    EXPECT_GT(tm->GetEntityCount(), 5);
    ASSERT_EQ(tm->GetRange_Shape(a, b, c, d), 1);
    EXPECT_GT(a, 2000000.0); // northing of 20° N
    EXPECT_LT(b, 5800000.0);
}

TEST(ShapeSource, LayerKindAndLayerInfo)
{
    QTemporaryDir dir;
    const QString path = WriteParcels(dir.path());
    EXPECT_EQ(DetectLayerFormat(path), 2);
    EXPECT_EQ(DetectLayerFormat(dir.filePath("x.TAB")), 2);
    for (int format : {2, 4})
    {
        std::unique_ptr<CMapLayer> layer = CreateMapLayer(format);
        ASSERT_TRUE(layer);
        EXPECT_EQ(layer->GetType(), 2);
    }
    const sourcestest::CliResult r = sourcestest::RunCli({"layer-info", path});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "format: 2\nkind: CMapLayer_SHP\ncount: 4\nextent: 3400000.0000 3400070.0000 500000.0000 500220.0000\n"
              "data-extent: 3400000.0000 3400070.0000 500000.0000 500220.0000\ngeometry: plane\n");
}

namespace
{
// Records the progress of a load and can stop it at a given percentage.
struct Progress : IProgressListener
{
    CMap_Shape* shape = nullptr;
    int stopAt = 1000;
    QStringList calls;
    void SetCaption(const QString& path) override { calls << "caption " + QFileInfo(path).fileName(); }
    void Reset() override { calls << "reset"; }
    void SetPercent(int p) override
    {
        calls << QString::number(p);
        if (p >= stopAt) shape->StopLoading();
    }
};
} // namespace

TEST(ShapeSource, ProgressAndStopping)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("many.shp");
    std::vector<Feature> features;
    for (int i = 0; i < 500; ++i) features.push_back({Square(kE0 + 20 * i, kN0, 10), {QString::number(i)}});
    ASSERT_TRUE(WriteShapefile(path, wkbPolygon, {{"n", OFTInteger}}, features));
    auto shape = OpenShape(path);
    Progress progress;
    progress.shape = shape.get();
    shape->SetProgressHWND(&progress);
    ASSERT_EQ(shape->LoadShapeData(), 1);
    ASSERT_GE(progress.calls.size(), 3);
    EXPECT_EQ(progress.calls[0], "caption many.shp");
    EXPECT_EQ(progress.calls[1], "reset");
    EXPECT_EQ(progress.calls.last(), "100");
    // Stopped half-way: the load fails and keeps nothing.
    QFile::remove(path + "inf");
    progress.calls.clear();
    progress.stopAt = 50;
    EXPECT_EQ(shape->LoadShapeData(), 0);
    EXPECT_TRUE(shape->IsEmpty());
    EXPECT_EQ(shape->GetPlaneCount(), 0);
    // Only the complete index of the load before (still true to the file) is written.
    EXPECT_EQ(QFileInfo(path + "inf").size(), 500 * 28);
    EXPECT_FALSE(progress.calls.contains("100"));
}

TEST(ShapeSource, MapInfoTablesOpenToo)
{
    const QString ogr2ogr = QStandardPaths::findExecutable("ogr2ogr");
    if (ogr2ogr.isEmpty()) GTEST_SKIP() << "ogr2ogr absent";
    QTemporaryDir dir;
    const QString shp = WriteParcels(dir.path());
    const QString tab = dir.filePath("parcels.tab");
    QProcess p;
    p.start(ogr2ogr, {"-q", "-f", "MapInfo File", tab, shp});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    auto shape = OpenShape(tab);
    EXPECT_EQ(shape->GetEntityKind(), 3);
    ASSERT_EQ(shape->LoadShapeData(), 1);
    EXPECT_EQ(shape->GetPlaneCount(), 3);
    double a, b, c, d;
    ASSERT_EQ(shape->GetRangeShapeByID(2, a, b, c, d), 1) << "MapInfo counts features from 1";
    EXPECT_NEAR(c, kE0 + 100, 0.01);
    EXPECT_TRUE(QFile::exists(tab + "inf"));
    // The cache of a table numbered from 1 is taken again.
    auto again = OpenShape(tab);
    ASSERT_EQ(again->LoadShapeData(), 1);
    EXPECT_EQ(again->GetPlaneCount(), 3);
}
