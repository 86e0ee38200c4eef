#include "ShapeTestUtil.h"

#include "geometry/CAnalyseResult.h"
#include "sources/CMap_Shape.h"

#include <gtest/gtest.h>

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
