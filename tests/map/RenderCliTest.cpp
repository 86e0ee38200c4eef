#include "MapTestUtil.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

using maptest::CountColor;
using maptest::CountNot;

namespace
{
struct Result
{
    int code = -1;
    QString out, err;
};

Result RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

const QString kExamples = QStringLiteral(TESVANE_SOURCE_DIR "/examples/");

// ThreadSanitizer cannot follow a process that starts threads after it has forked, and the
// command-line tool has no threads of interest to it anyway.
#if defined(__SANITIZE_THREAD__)
#define SKIP_UNDER_TSAN() GTEST_SKIP() << "not under ThreadSanitizer"
#else
#define SKIP_UNDER_TSAN() (void)0
#endif
} // namespace

TEST(RenderCommand, DrawsAnExampleRouteAtFullExtent)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("ramp.png");
    const Result r = RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "640x480", "--labels", "names"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("640x480")) << r.out.toStdString();
    const QImage img(out);
    ASSERT_EQ(img.size(), QSize(640, 480));
    // White centre line, red labels, the blue north arrow, on black.
    EXPECT_GT(CountColor(img, 0xFFFFFF), 300);
    EXPECT_GT(CountColor(img, 0xFF0000), 100);
    EXPECT_GT(CountColor(img, 0x0000FF), 100);
    EXPECT_GT(CountColor(img, 0x000000), 640 * 480 * 9 / 10);
    // Full extent keeps a margin: nothing of the route in the outermost columns.
    EXPECT_EQ(CountColor(img, 0xFFFFFF, QRect(0, 0, 3, 400)), 0);
    // No curve exchange file is left beside the route.
    EXPECT_FALSE(QFile::exists(kExamples + "element-ramp.RE.TDFE"));
}

TEST(RenderCommand, RefusesBadArguments)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("x.png");
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "10x10"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--size", "big"}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "element-ramp.RE", out, "--labels", "all"}).code, 2);
    EXPECT_EQ(RunCli({"render", dir.filePath("missing.RE"), out}).code, 2);
    EXPECT_EQ(RunCli({"render", kExamples + "README.md", out}).code, 2);
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_NE(RunCli({"render", kExamples + "element-ramp.RE", dir.filePath("no/such/dir/x.png")}).code, 0);
}

namespace
{
const QString kPointFile = kExamples + "points-jinggangao.dat";
const QString kPointDatabase = kExamples + "points-jinggangao.db";
// A 100 m square around a point at 0.5 m per pixel in a 200 x 200 picture: the point lands on
// pixel (100, 100).
QString ExtentAround(double x, double y)
{
    return QStringLiteral("%1,%2,%3,%4").arg(x - 50, 0, 'f', 3).arg(x + 50, 0, 'f', 3).arg(y - 50, 0, 'f', 3).arg(y + 50, 0, 'f', 3);
}
const QRgb kFirstLayer = qRgb(255, 255, 0);   // colours of layers drawn in the background's colour
const QRgb kSecondLayer = qRgb(0, 255, 255);
const QRgb kDatabaseOutline = qRgb(136, 255, 0);
} // namespace

TEST(RenderCommand, DrawsLayersWithoutARouteWherePointsLie)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("points.png");
    // 控制点K17+400左 is written as field survey software writes it: name,code,east,north,height.
    const Result r = RunCli({"render", out, "--layer", kPointFile, "--size", "200x200", "--extent",
                             ExtentAround(3404516.971, 502467.184)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "points.png: 200x200, 1 layer, scale 0.5000 m/pixel\n");
    const QImage img(out);
    ASSERT_EQ(img.size(), QSize(200, 200));
    // The square (c - 2 .. c + 1) in the first layer's colour. Its partner on the right, 24.637 m
    // south and 17.118 m east, lands on (134, 149); nothing else is in the picture.
    EXPECT_EQ(CountColor(img, kFirstLayer, QRect(98, 98, 4, 4)), 16);
    EXPECT_EQ(CountColor(img, kFirstLayer, QRect(132, 147, 4, 4)), 16);
    EXPECT_EQ(CountColor(img, kFirstLayer), 32);

    // Without --extent the picture holds every point, within the full extent's margin.
    const Result full = RunCli({"render", out, "--layer", kPointFile + ":5", "--size", "300x300"});
    ASSERT_EQ(full.code, 0) << full.err.toStdString();
    const QImage all(out);
    EXPECT_GT(CountColor(all, kFirstLayer), 21 * 16);
    EXPECT_EQ(CountColor(all, kFirstLayer, QRect(12, 12, 276, 276)), CountColor(all, kFirstLayer));
}

TEST(RenderCommand, FirstLayerGivenIsDrawnOnTopAndTheRouteOverAll)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    // 控制点K12+400左 is in both files; the database draws a green-outlined square one pixel
    // larger than the point file's.
    const QString extent = ExtentAround(3401289.464, 498778.170);
    const QString fileOnTop = dir.filePath("a.png"), databaseOnTop = dir.filePath("b.png");
    ASSERT_EQ(RunCli({"render", fileOnTop, "--layer", kPointFile, "--layer", kPointDatabase, "--size", "200x200",
                      "--extent", extent})
                  .code,
              0);
    ASSERT_EQ(RunCli({"render", databaseOnTop, "--layer", kPointDatabase, "--layer", kPointFile, "--size", "200x200",
                      "--extent", extent})
                  .code,
              0);
    const QRect around(95, 95, 10, 10);
    const QImage a(fileOnTop), b(databaseOnTop);
    // The point file on top hides the left and top of the outline and all of the database's fill.
    EXPECT_EQ(CountColor(a, kFirstLayer, around), 16);
    EXPECT_EQ(CountColor(a, kSecondLayer, around), 0);
    EXPECT_LT(CountColor(a, kDatabaseOutline, around), 12);
    // The database on top shows its whole outline; the point file's square is hidden under it.
    EXPECT_EQ(CountColor(b, kDatabaseOutline, around), 16);
    EXPECT_EQ(CountColor(b, kSecondLayer, around), 0);
    // Its label is drawn 16 pixels right of and above the point, in the layer's text colour.
    EXPECT_GT(CountNot(b, 0x000000, QRect(116, 84, 60, 16)), 20);

    // A route given too is drawn over the layers: its white centre line crosses the picture.
    const QString withRoute = dir.filePath("c.png");
    ASSERT_EQ(RunCli({"render", kExamples + "element-jinggangao.RE", withRoute, "--layer", kPointFile, "--size",
                      "200x200", "--extent", extent, "--labels", "none"})
                  .code,
              0);
    EXPECT_GT(CountColor(QImage(withRoute), 0xFFFFFF), 50);
}

TEST(RenderCommand, EntityLayersTakeTheirDictionaryAndFailedLayersAreNamed)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString out = dir.filePath("site.png");
    const QString entities = kExamples + "entities-site.db", style = kExamples + "entities-site-style.db";
    ASSERT_EQ(RunCli({"render", out, "--layer", entities, "--dictionary", style, "--size", "400x400"}).code, 0);
    // Class styles (the parcels' green fill, the drainage ditch's blue dashes) come from the
    // dictionary: without it the picture differs.
    const QImage styled(out);
    ASSERT_EQ(RunCli({"render", out, "--layer", entities + ":10", "--size", "400x400"}).code, 0);
    EXPECT_NE(styled, QImage(out));

    const QString junk = dir.filePath("junk.db");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    Result r = RunCli({"render", out, "--layer", kPointFile, "--layer", junk + ":9"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "tesvane: cannot open \"" + junk + "\" as a layer of format 9\n");
    r = RunCli({"render", out, "--layer", junk});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(junk)) << r.err.toStdString();
    r = RunCli({"render", out, "--layer", dir.filePath("missing.dat")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("missing.dat")) << r.err.toStdString();
    // Bad option values, a dictionary without its layer and an output alone.
    EXPECT_EQ(RunCli({"render", out, "--layer", kPointFile, "--extent", "1,2,3"}).code, 2);
    EXPECT_EQ(RunCli({"render", out, "--layer", kPointFile, "--extent", "2,1,3,4"}).code, 2);
    EXPECT_EQ(RunCli({"render", out, "--dictionary", style, "--layer", entities}).code, 2);
    EXPECT_EQ(RunCli({"render", out, "--layer", kPointFile, "--cs", dir.filePath("none.cs")}).code, 2);
    EXPECT_EQ(RunCli({"render", out}).code, 2);
}

TEST(RenderCommand, GeographicLayersAreConvertedOnlyWithASurveySystem)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString points = dir.filePath("geo.dat"), out = dir.filePath("geo.png");
    QFile f(points);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A,30.5,114.2,10\nB,30.6,114.3,11\n");
    f.close();
    const auto scaleOf = [](const Result& r) {
        const int at = r.out.indexOf("scale ");
        return at < 0 ? -1.0 : r.out.mid(at + 6).section(' ', 0, 0).toDouble();
    };
    // In degrees as stored: 0.1 degree over 200 pixels is finer than the map's finest scale
    // (0.001 per pixel, with the margin 0.0011).
    const Result stored = RunCli({"render", out, "--layer", points, "--size", "200x200"});
    ASSERT_EQ(stored.code, 0) << stored.err.toStdString();
    EXPECT_NEAR(scaleOf(stored), 0.0011, 1e-6);
    // Converted to the Beijing 1954 grid: about 11 km north to south.
    const Result grid = RunCli({"render", out, "--layer", points, "--size", "200x200", "--cs",
                                kExamples + "coord/beijing54_114.xml"});
    ASSERT_EQ(grid.code, 0) << grid.err.toStdString();
    EXPECT_NEAR(scaleOf(grid), 11065.0 * 1.1 / 200, 1.0);
}

TEST(RenderCommand, BothLabelsWithKiloMarksDrawMoreThanNamesAlone)
{
    SKIP_UNDER_TSAN();
    QTemporaryDir dir;
    const QString names = dir.filePath("names.png"), both = dir.filePath("both.png");
    ASSERT_EQ(RunCli({"render", kExamples + "element-ramp.RE", names, "--size", "640x480", "--labels", "names"}).code, 0);
    const Result r = RunCli({"render", kExamples + "element-ramp.RE", both, "--size", "640x480", "--labels", "both", "--kmarks"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    // "ZH-01 K5+123.456" against "ZH-01".
    EXPECT_GT(CountColor(QImage(both), 0xFF0000), CountColor(QImage(names), 0xFF0000));
}
