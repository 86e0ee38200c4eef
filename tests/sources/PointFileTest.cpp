#include "SourcesTestUtil.h"

#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/CMapLayer_DAT.h"
#include "sources/CMapLayer_PD.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>

using namespace sourcestest;

namespace
{
struct RecordingProgress : IProgressListener
{
    QStringList calls;
    void SetCaption(const QString& path) override { calls << "caption " + path; }
    void Reset() override { calls << "reset"; }
    void SetPercent(int percent) override { calls << QString::number(percent); }
};

struct PointFileTest : ::testing::Test
{
    QTemporaryDir dir;
    CMap_DAT dat;
    CMapConvert conv;

    QString Write(const QByteArray& bytes, const char* name = "points.dat")
    {
        const QString path = QDir(dir.path()).filePath(QString::fromLatin1(name));
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    int Import(const QByteArray& bytes, IProgressListener* progress = nullptr)
    {
        MapConfigItem item = dat.GetMapItem();
        item.FullPathName = Write(bytes);
        dat.SetMapItem(item);
        return dat.ImportData(progress);
    }
    void Configure(int displayField, int size = 2)
    {
        MapConfigItem item = dat.GetMapItem();
        item.DisplayField = displayField;
        item.Size = size;
        item.clrOutLine = 0x0000FF; // red squares
        item.clrText = 0xFF0000;    // blue labels
        dat.SetMapItem(item);
        dat.SetConvert(&conv);
    }
    CPoint Client(double x, double y) const
    {
        CPoint c;
        conv.WorldToClient(xyhCoord{x, y, 0}, c);
        return c;
    }
};
} // namespace

TEST_F(PointFileTest, BothLineLayoutsAndDiscardedLines)
{
    ASSERT_EQ(Import("P1,300.123,500.456,12.3,benchmark\r\n"
                     "P2,0,500000,0,x\n"
                     "onlyname\n"
                     "\n"
                     " \t  P3 ,301,501\t \r\n"
                     "12,,472023.502,3831702.467,136.490\n"
                     "K7,GPS,472030.5,3831710.25,140.5\n"
                     "N9,1e2,2.5e2\n"),
              1);
    ASSERT_EQ(dat.GetPointCount(), 5);
    const CMap_DATPoint* p = dat.GetPointData(0);
    EXPECT_EQ(p->GetPointName(), "P1");
    EXPECT_EQ(p->GetPointMark(), "benchmark");
    EXPECT_DOUBLE_EQ(p->GetPoint().x, 300.123);
    EXPECT_DOUBLE_EQ(p->GetPoint().y, 500.456);
    EXPECT_DOUBLE_EQ(p->GetPoint().h, 12.3);
    EXPECT_EQ(dat.GetPointData(1)->GetPointName(), "P3 ") << "only the line is trimmed, not fields";
    EXPECT_DOUBLE_EQ(dat.GetPointData(1)->GetPoint().h, 0.0);

    // name,code,east,north,height: x is the northing.
    p = dat.GetPointData(2);
    EXPECT_EQ(p->GetPointName(), "12");
    EXPECT_EQ(p->GetPointMark(), "");
    EXPECT_DOUBLE_EQ(p->GetPoint().x, 3831702.467);
    EXPECT_DOUBLE_EQ(p->GetPoint().y, 472023.502);
    EXPECT_DOUBLE_EQ(p->GetPoint().h, 136.490);
    p = dat.GetPointData(3);
    EXPECT_EQ(p->GetPointMark(), "GPS");
    EXPECT_DOUBLE_EQ(p->GetPoint().x, 3831710.25);
    EXPECT_DOUBLE_EQ(dat.GetPointData(4)->GetPoint().y, 250.0);
    EXPECT_EQ(dat.IsPlane(), 1);

    double minX, maxX, minY, maxY;
    ASSERT_EQ(dat.GetRange(minX, maxX, minY, maxY), 1);
    EXPECT_DOUBLE_EQ(minX, 100.0);
    EXPECT_DOUBLE_EQ(maxX, 3831710.25);
    EXPECT_DOUBLE_EQ(minY, 250.0);
    EXPECT_DOUBLE_EQ(maxY, 472030.5);
    EXPECT_EQ(dat.GetRangeByID(5, minX, maxX, minY, maxY), 0);
}

TEST_F(PointFileTest, ChineseNamesLongLinesAndZeroBytes)
{
    QByteArray bytes = ToAnsi(QStringLiteral("控制点一,3000.5,4000.5,1,水准点\n"));
    // 1100 bytes: read as a line of 1024 bytes and a second of the rest.
    QByteArray longLine = "L1,100,200,3," + QByteArray(1100 - 13, 'm');
    bytes += longLine + "\n";
    bytes += QByteArray("Z\0Z,700,800\n", 12);
    ASSERT_EQ(Import(bytes), 1);
    ASSERT_EQ(dat.GetPointCount(), 3);
    EXPECT_EQ(dat.GetPointData(0)->GetPointName(), QStringLiteral("控制点一"));
    EXPECT_EQ(dat.GetPointData(0)->GetPointMark(), QStringLiteral("水准点"));
    EXPECT_EQ(dat.GetPointData(1)->GetPointMark().size(), 1024 - 13);
    // The zero byte does not swallow the rest of the file.
    EXPECT_DOUBLE_EQ(dat.GetPointData(2)->GetPoint().y, 800.0);

    int index = 0;
    EXPECT_EQ(dat.FindData(QStringLiteral("水准"), index, 1), nullptr) << "mode 1 searches names only";
    EXPECT_EQ(index, -1);
    index = -5;
    EXPECT_EQ(dat.FindData(QStringLiteral("水准"), index, 2), dat.GetPointData(0));
    EXPECT_EQ(index, 0);
    index = 1;
    EXPECT_EQ(dat.FindData(QStringLiteral("L1"), index, 0), dat.GetPointData(1));
    index = 3;
    EXPECT_EQ(dat.FindData(QString(), index, 0), nullptr);
    EXPECT_EQ(index, -1);
}

TEST_F(PointFileTest, ProgressAndFailedOpenKeepsPoints)
{
    QByteArray bytes;
    for (int i = 1; i <= 5000; ++i) bytes += "P" + QByteArray::number(i) + "," + QByteArray::number(1000 + i) + ",2000,3\n";
    RecordingProgress progress;
    ASSERT_EQ(Import(bytes, &progress), 1);
    EXPECT_EQ(dat.GetPointCount(), 5000);
    ASSERT_GE(progress.calls.size(), 4);
    EXPECT_TRUE(progress.calls[0].startsWith("caption "));
    EXPECT_EQ(progress.calls[1], "reset");
    EXPECT_EQ(progress.calls.last(), "100");
    int last = -1;
    for (int i = 2; i < progress.calls.size(); ++i)
    {
        EXPECT_GT(progress.calls[i].toInt(), last) << "sent only when it changes";
        last = progress.calls[i].toInt();
    }

    MapConfigItem item = dat.GetMapItem();
    item.FullPathName = QDir(dir.path()).filePath("missing.dat");
    dat.SetMapItem(item);
    EXPECT_EQ(dat.ImportData(&progress), 0);
    EXPECT_EQ(dat.GetPointCount(), 5000);
    item.FullPathName = dir.path(); // a directory
    dat.SetMapItem(item);
    EXPECT_EQ(dat.ImportData(nullptr), 0);
}

TEST_F(PointFileTest, DrawsSquaresAndLabelsWhereTheConverterPutsThem)
{
    ASSERT_EQ(Import("A,1050,2050,0,markA\nB,1020,2150,0,markB\n"), 1);
    SetView(conv, 1000, 2000);
    Configure(-1, 3);
    QImage img = WhiteImage();
    {
        QPainter painter(&img);
        dat.OnDraw(&painter);
    }
    const CPoint a = Client(1050, 2050);
    // Size 3: a 6 x 6 filled square from (c - 3) to (c + 3), right and bottom edges outside.
    EXPECT_EQ(Count(img, qRgb(255, 0, 0), QRect(a.x - 3, a.y - 3, 6, 6)), 36);
    EXPECT_EQ(Count(img, qRgb(255, 0, 0)), 72);
    EXPECT_EQ(Count(img, qRgb(0, 0, 255)), 0) << "no labels with DisplayField -1";

    for (int field : {0, 1})
    {
        Configure(field, 3);
        img = WhiteImage();
        QPainter painter(&img);
        dat.OnDraw(&painter);
        painter.end();
        // Labels start five pixels right of the point.
        EXPECT_GT(CountInk(img, QRect(a.x + 5, a.y - 8, 60, 20)), 5) << field;
        EXPECT_EQ(CountInk(img, QRect(0, 0, a.x - 3, 100)), 0);
    }

    // Invisible or without converter: nothing.
    MapConfigItem item = dat.GetMapItem();
    item.Visible = 0;
    dat.SetMapItem(item);
    img = WhiteImage();
    QPainter painter(&img);
    dat.OnDraw(&painter);
    EXPECT_EQ(Count(img, qRgb(255, 255, 255)), 200 * 100);
}

TEST_F(PointFileTest, SelectsAtMost21AndHighlightsTheSelection)
{
    QByteArray bytes;
    for (int i = 0; i < 30; ++i) bytes += "S" + QByteArray::number(i) + ",1050," + QByteArray::number(2010 + 5 * i) + "\n";
    ASSERT_EQ(Import(bytes), 1);
    SetView(conv, 1000, 2000);
    Configure(-1, 2);
    EXPECT_EQ(dat.SelectEntity(CPoint(0, 0), CPoint(200, 100)), 1);
    EXPECT_EQ(dat.GetSelectFIDArray().size(), 21u);

    // A click selects the point within one pixel of it.
    const CPoint c = Client(1050, 2060);
    EXPECT_EQ(dat.SelectEntity(c, c), 1);
    ASSERT_EQ(dat.GetSelectFIDArray().size(), 1u);
    EXPECT_EQ(dat.GetSelectFIDArray()[0], 10);
    EXPECT_EQ(dat.SelectEntity(CPoint(0, 0), CPoint(0, 0)), 0);

    dat.SelectEntity(c, c);
    QImage img = WhiteImage();
    {
        QPainter painter(&img);
        dat.DrawSelectEntity(&painter);
    }
    // Size + 1 = 3: a lilac square outlined by a red pen of width 2.
    EXPECT_EQ(img.pixel(c.x, c.y) & 0xFFFFFF, qRgb(202, 142, 194) & 0xFFFFFF);
    EXPECT_GT(Count(img, qRgb(255, 0, 0), QRect(c.x - 4, c.y - 4, 9, 9)), 12);
    EXPECT_EQ(Count(img, qRgb(255, 255, 255), QRect(0, 0, c.x - 5, 100)), (c.x - 5) * 100) << "only that point";

    // Changing Select empties the selection; a layer that does not select selects nothing.
    MapConfigItem item = dat.GetMapItem();
    item.Select = 0;
    dat.SetMapItem(item);
    EXPECT_TRUE(dat.GetSelectFIDArray().empty());
    EXPECT_EQ(dat.SelectEntity(CPoint(0, 0), CPoint(200, 100)), 0);
}

TEST_F(PointFileTest, GeographicFilesDrawThroughTheCoordinateConverter)
{
    ASSERT_EQ(Import("G1,30.5,114.25,20\nG2,30.51,114.26,20\n"), 1);
    EXPECT_EQ(dat.IsPlane(), 0);
    // Without a survey coordinate system nothing is converted: the extent stays in degrees.
    double minX, maxX, minY, maxY;
    ASSERT_EQ(dat.GetRange(minX, maxX, minY, maxY), 1);
    EXPECT_DOUBLE_EQ(minX, 30.5);
    EXPECT_DOUBLE_EQ(maxY, 114.26);

    CoordinateSystem_EllipsoidParameter ellipsoid{QStringLiteral("CGCS2000"), 6378137.0, 298.257222101};
    CoordinateSystem_ProjectParameter projection;
    projection.Type = 0;
    projection.CentralMeridian = 114.0 * M_PI / 180.0;
    projection.Ty = 500000.0;
    projection.TK = 1.0;
    CMapLayer_DAT layer;
    MapConfigItem item = dat.GetMapItem();
    item.clrOutLine = 0x0000FF;
    layer.SetMapItem(item);
    layer.SetEllipsoid(ellipsoid);
    layer.SetProjection(projection);
    ASSERT_EQ(layer.Open(), 1);

    CCoordinateConvert reference;
    reference.SetSouceEllipsoid(6378137.0, 298.257223563);
    reference.SetDestinationEllipsoid(ellipsoid);
    reference.SetProjection(projection);
    xyhCoord g1, g2;
    reference.BLHToxyh(BLHCoord{30.5, 114.25, 20}, g1);
    reference.BLHToxyh(BLHCoord{30.51, 114.26, 20}, g2);
    ASSERT_GT(g1.y, 500000.0);

    // The extent from the corners (north-west, south-east) of the box in degrees.
    xyhCoord northWest, southEast;
    reference.BLHToxyh(BLHCoord{30.51, 114.25, 0}, northWest);
    reference.BLHToxyh(BLHCoord{30.5, 114.26, 0}, southEast);
    ASSERT_EQ(layer.GetRange(minX, maxX, minY, maxY, 0), 1);
    EXPECT_NEAR(maxX, northWest.x, 1e-6);
    EXPECT_NEAR(minY, northWest.y, 1e-6);
    EXPECT_NEAR(minX, southEast.x, 1e-6);
    EXPECT_NEAR(maxY, southEast.y, 1e-6);

    SetView(conv, g1.x - 100, g1.y - 100, 20.0);
    layer.SetConvert(&conv);
    QImage img = WhiteImage();
    {
        QPainter painter(&img);
        layer.DrawAll(&painter, 0);
    }
    const CPoint c1 = Client(g1.x, g1.y), c2 = Client(g2.x, g2.y);
    EXPECT_EQ(Count(img, qRgb(255, 0, 0), QRect(c1.x - 2, c1.y - 2, 4, 4)), 16);
    EXPECT_EQ(Count(img, qRgb(255, 0, 0), QRect(c2.x - 2, c2.y - 2, 4, 4)), 16);
    EXPECT_EQ(Count(img, qRgb(255, 0, 0)), 32);

    // One point outside latitude/longitude makes the whole file plane.
    ASSERT_EQ(Import("G1,30.5,114.25,20\nG2,95,114.26,20\n"), 1);
    EXPECT_EQ(dat.IsPlane(), 1);
}

TEST(LayerKinds, FormatsFiveAndNineAreRegistered)
{
    std::unique_ptr<CMapLayer> dat = CreateMapLayer(5);
    std::unique_ptr<CMapLayer> pd = CreateMapLayer(9);
    ASSERT_NE(dynamic_cast<CMapLayer_DAT*>(dat.get()), nullptr);
    ASSERT_NE(dynamic_cast<CMapLayer_PD*>(pd.get()), nullptr);
    EXPECT_EQ(dat->GetType(), 1);
    EXPECT_EQ(pd->GetType(), 9);
    EXPECT_EQ(dynamic_cast<IMapLayerInfo*>(pd.get())->KindName(), "CMapLayer_PD");
    EXPECT_EQ(CreateMapLayer(8), nullptr);
}
