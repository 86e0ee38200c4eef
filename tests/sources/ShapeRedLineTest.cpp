#include "ShapeTestUtil.h"
#include "SourcesTestUtil.h"

#include "geometry/CAnalyseResult.h"
#include "sources/CMap_Shape.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

using namespace shapetest;

namespace
{
constexpr double kE0 = 500000, kN0 = 3400000;

// A row of four 10 m parcels along the easting, the third with a 2 m hole.
struct Row
{
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<CMap_Shape> shape;
    Row()
    {
        path = dir.filePath("row.shp");
        std::vector<Feature> f;
        const char* names[] = {"甲'一", "乙", "丙", "丁"};
        for (int i = 0; i < 4; ++i) f.push_back({Square(kE0 + 10 * i, kN0, 10), {names[i], QString::number(i + 1), "1.5"}});
        f[2].wkt = "POLYGON ((500020 3400000,500030 3400000,500030 3400010,500020 3400010,500020 3400000),"
                   "(500024 3400004,500026 3400004,500026 3400006,500024 3400006,500024 3400004))";
        EXPECT_TRUE(WriteShapefile(path, wkbPolygon, {{"name", OFTString}, {"no", OFTInteger}, {"w", OFTReal}}, f));
        shape = std::make_unique<CMap_Shape>();
        MapConfigItem item = shape->GetMapItem();
        item.FullPathName = path;
        shape->SetMapItem(item);
        EXPECT_EQ(shape->Open(), 1);
        EXPECT_EQ(shape->LoadShapeData(), 1);
    }
};

// A rectangle corridor as (northing, easting) corners.
std::vector<xyhCoord> Corridor(double e1, double e2, double n1, double n2)
{
    return {{n1, e1, 0}, {n1, e2, 0}, {n2, e2, 0}, {n2, e1, 0}};
}
} // namespace

TEST(ShapeRedLine, AreasOfACorridorOverSquareParcels)
{
    Row row;
    CAnalyseResult result;
    // Easting 5..35, northing 2..8: 5 x 6 of the first, 10 x 6 of the second, 10 x 6 less the
    // hole of the third, 5 x 6 of the fourth.
    ASSERT_EQ(row.shape->RedLineAnalyseRing(Corridor(kE0 + 5, kE0 + 35, kN0 + 2, kN0 + 8), &result, 0, nullptr), 1);
    ASSERT_EQ(result.GetFieldCount(), 4);
    EXPECT_EQ(result.GetFieldName(0), "name");
    EXPECT_EQ(result.GetFieldType(0), 2);
    EXPECT_EQ(result.GetFieldType(1), 0);
    EXPECT_EQ(result.GetFieldType(2), 1);
    EXPECT_EQ(result.GetFieldName(3), "JoinArea");
    ASSERT_EQ(result.GetResultDataCount(), 4);
    const double expected[] = {30, 60, 56, 30};
    double total = 0;
    for (int i = 0; i < 4; ++i)
    {
        const CResultData* r = result.GetResultData(i);
        EXPECT_EQ(r->GetDataFieldValue(1), QString::number(i + 1));
        EXPECT_NEAR(r->GetDataFieldValue(3).toDouble(), expected[i], 1e-6) << i;
        total += r->GetDataFieldValue(3).toDouble();
    }
    EXPECT_EQ(result.GetResultData(0)->GetDataFieldValue(0), "甲'一");
    EXPECT_NEAR(total, 176, 1e-6);
    EXPECT_EQ(result.GetResultData(0)->GetPointCount(), 0);
}

TEST(ShapeRedLine, ChosenFieldsGeometryAndEdges)
{
    Row row;
    CAnalyseResult result;
    const std::vector<unsigned int> fields{1, 9};
    // Only the second parcel, with its overlap's rings; the third is touched along an edge only.
    ASSERT_EQ(row.shape->RedLineAnalyseRing(Corridor(kE0 + 12, kE0 + 20, kN0 - 5, kN0 + 15), &result, 1, &fields), 1);
    ASSERT_EQ(result.GetFieldCount(), 2);
    EXPECT_EQ(result.GetFieldName(0), "no");
    ASSERT_EQ(result.GetResultDataCount(), 1);
    const CResultData* r = result.GetResultData(0);
    EXPECT_EQ(r->GetDataFieldValue(0), "2");
    EXPECT_NEAR(r->GetDataFieldValue(1).toDouble(), 80, 1e-6);
    EXPECT_EQ(r->GetPartStarts(), std::vector<unsigned int>({0}));
    ASSERT_EQ(r->GetPointCount(), 5) << "a closed rectangle";
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_GE(r->GetPoint(i).x, kN0);
        EXPECT_LE(r->GetPoint(i).y, kE0 + 20);
    }
    // The holed parcel: its overlap has two rings, two parts.
    ASSERT_EQ(row.shape->RedLineAnalyseRing(Corridor(kE0 + 21, kE0 + 29, kN0 + 1, kN0 + 9), &result, 1, nullptr), 1);
    ASSERT_EQ(result.GetResultDataCount(), 1);
    EXPECT_EQ(result.GetResultData(0)->GetPartStarts(), std::vector<unsigned int>({0, 5}));
    EXPECT_NEAR(result.GetResultData(0)->GetDataFieldValue(3).toDouble(), 60, 1e-6);
    // Nothing met: an empty table with its columns; a well-known-text polygon (X easting first).
    ASSERT_EQ(row.shape->RedLineAnalyseRing(Corridor(kE0 + 100, kE0 + 120, kN0, kN0 + 10), &result, 0, nullptr), 1);
    EXPECT_EQ(result.GetResultDataCount(), 0);
    EXPECT_EQ(result.GetFieldCount(), 4);
    ASSERT_EQ(row.shape->RedLineAnalyseWkt("POLYGON ((500000 3400000,500040 3400000,500040 3400010,500000 3400000))",
                                          &result, 0, nullptr),
              1);
    double total = 0;
    for (int i = 0; i < result.GetResultDataCount(); ++i) total += result.GetResultData(i)->GetDataFieldValue(3).toDouble();
    EXPECT_NEAR(total, 200 - 4, 1e-6) << "half the rectangle, less the hole, which lies wholly below the diagonal";
    EXPECT_EQ(row.shape->RedLineAnalyseWkt("not a polygon", &result, 0, nullptr), 0);
}

TEST(ShapeRedLine, OnlyPlaneLayersAreAnalysed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("l.shp");
    ASSERT_TRUE(WriteShapefile(path, wkbLineString, {{"n", OFTInteger}}, {{"LINESTRING (0 0,10 10)", {"1"}}}));
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = path;
    shape.SetMapItem(item);
    ASSERT_EQ(shape.Open(), 1);
    ASSERT_EQ(shape.LoadShapeData(), 1);
    CAnalyseResult result;
    EXPECT_EQ(shape.RedLineAnalyseRing(Corridor(0, 10, 0, 10), &result, 0, nullptr), 0);
}

namespace
{
using sourcestest::CliResult;

CliResult Redline(const QStringList& args) { return sourcestest::RunCli(QStringList{"redline"} + args); }

QString ReadText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

const QString kRoute = QStringLiteral(TESVANE_SOURCE_DIR "/examples/element-jinggangao.RE");
} // namespace

TEST(RedlineCli, ACorridorAlongTheExampleRouteHasItsExactArea)
{
    // One parcel under the whole route: the area taken is the corridor's. A band of equal widths
    // has the area width x length, curves or not.
    QTemporaryDir dir;
    const QString path = dir.filePath("all.shp");
    ASSERT_TRUE(WriteShapefile(path, wkbPolygon, {{"名称", OFTString}}, {{Square(498000, 3400500, 5000), {"全线"}}}));
    const QString out = dir.filePath("out.csv");
    CliResult r = Redline({kRoute, path, "--left", "15", "--right", "15", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = ReadText(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "名称,JoinArea");
    EXPECT_TRUE(lines[1].startsWith("全线,"));
    const double length = 17415.928 - 12345.678;
    EXPECT_NEAR(lines[2].section(',', 1).toDouble() / (30 * length), 1.0, 0.001);
    // A piece of the first straight, one side only: 400 m x 10 m exactly.
    r = Redline({kRoute, path, "--left", "0", "--right", "10", "--from", "12345.678", "--to", "12745.678", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_NEAR(ReadText(out).split('\n', Qt::SkipEmptyParts).last().section(',', 1).toDouble(), 4000.0, 0.01);
}

TEST(RedlineCli, PolygonTableAndMistakes)
{
    Row row;
    const QString wkt = row.dir.filePath("c.wkt");
    ASSERT_TRUE(QFile(wkt).open(QIODevice::WriteOnly));
    {
        QFile f(wkt);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("POLYGON ((500005 3400002,500035 3400002,500035 3400008,500005 3400008,500005 3400002))\n");
    }
    const QString out = row.dir.filePath("t.csv");
    CliResult r = Redline({row.path, "--polygon", wkt, "--fields", "name,no", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(ReadText(out), "name,no,JoinArea\n甲'一,1,30.0000\n乙,2,60.0000\n丙,3,56.0000\n丁,4,30.0000\n"
                             "total,,176.0000\n");
    EXPECT_TRUE(r.out.contains("parcels: 4, JoinArea total 176.0000")) << r.out.toStdString();

    r = Redline({row.path, "--polygon", wkt, "--fields", "name,nope", "-o", out});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("no field \"nope\"")) << r.err.toStdString();
    r = Redline({row.path, "--polygon", wkt});
    EXPECT_EQ(r.code, 2);
    r = Redline({kRoute, row.path, "-o", out});
    EXPECT_EQ(r.code, 2) << "widths are needed";
    r = Redline({kRoute, row.path, "--left", "5", "--right", "5", "--from", "100", "-o", out});
    EXPECT_EQ(r.code, 2) << "a station before the route";
    r = Redline({row.path, "--polygon", row.dir.filePath("none.wkt"), "-o", out});
    EXPECT_EQ(r.code, 2);
}

TEST(RedlineCli, ARouteInAnotherSystemIsConvertedThroughItsFile)
{
    // The parcels are in the Beijing 1954 3-degree zone 38 grid, whose eastings carry the zone
    // number; the route is in the plain 114E grid of examples/coord. Only through --cs does the
    // corridor land on the parcels, and the translation must keep its area to the millimetre.
    QTemporaryDir dir;
    const QString path = dir.filePath("zone38.shp");
    ASSERT_TRUE(WriteShapefile(path, wkbPolygon, {{"名称", OFTString}},
                               {{Square(38498000, 3400500, 5000), {"全线"}}, {Square(498000, 3400500, 5000), {"错位"}}}));
    {
        QFile prj(dir.filePath("zone38.prj"));
        ASSERT_TRUE(prj.open(QIODevice::WriteOnly));
        prj.write("PROJCS[\"Beijing_1954_3_Degree_GK_Zone_38\",GEOGCS[\"GCS_Beijing_1954\",DATUM[\"D_Beijing_1954\","
                  "SPHEROID[\"Krasovsky_1940\",6378245.0,298.3]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
                  "0.0174532925199433]],PROJECTION[\"Gauss_Kruger\"],PARAMETER[\"False_Easting\",38500000.0],"
                  "PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",114.0],PARAMETER[\"Scale_Factor\","
                  "1.0],PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
    }
    const QString cs = QStringLiteral(TESVANE_SOURCE_DIR "/examples/coord/beijing54_114.xml");
    const QString out = dir.filePath("out.csv");
    CliResult r = Redline({kRoute, path, "--left", "0", "--right", "10", "--from", "12345.678", "--to", "12745.678",
                           "--cs", cs, "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QStringList lines = ReadText(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << ReadText(out).toStdString();
    EXPECT_TRUE(lines[1].startsWith("全线,")) << lines[1].toStdString();
    EXPECT_NEAR(lines[2].section(',', 1).toDouble(), 4000.0, 0.01);

    // Taken as the parcels' own grid, the same corridor lies on the parcel with the plain eastings.
    r = Redline({kRoute, path, "--left", "0", "--right", "10", "--from", "12345.678", "--to", "12745.678", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    lines = ReadText(out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("错位,")) << lines[1].toStdString();

    r = Redline({kRoute, path, "--left", "5", "--right", "5", "--cs", dir.filePath("none.xml"), "-o", out});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("cannot read the coordinate system file")) << r.err.toStdString();
}
