#include "DxfTestUtil.h"
#include "SourcesTestUtil.h"

#include "sources/CMapLayer_DXF.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <array>

using namespace dxftest;
using sourcestest::Count;

namespace
{
// A 200 x 100 view at one drawing unit per pixel over DXF X 0..200, Y 0..100.
struct Drawn
{
    explicit Drawn(const QByteArray& bytes, unsigned long background = 0xFFFFFF)
    {
        path = dir.filePath(QStringLiteral("d.dxf"));
        Write(path, bytes);
        MapConfigItem item = layer.GetMapItem();
        item.FullPathName = path;
        layer.SetMapItem(item);
        sourcestest::SetView(convert, 0, 0);
        convert.SetBackGroundColor(background);
        layer.SetConvert(&convert);
        EXPECT_EQ(layer.Open(), 1);
        image = QImage(200, 100, QImage::Format_RGB32);
        image.fill(sourcestest::Rgb(background));
        QPainter p(&image);
        layer.DrawAll(&p, 0);
    }
    // The pixel of the DXF point (X, Y).
    QRgb At(int x, int y) const { return image.pixel(x, 100 - y) & 0xFFFFFF; }
    QTemporaryDir dir;
    QString path;
    CMapConvert convert;
    CMapLayer_DXF layer;
    QImage image;
};

constexpr QRgb kRed = 0xFF0000, kBlack = 0x000000, kWhite = 0xFFFFFF, kGreen = 0x00FF00;
} // namespace

TEST(DxfDraw, BulgedSegmentsAreDrawnAsArcsNotChords)
{
    // A half circle from (20,50) to (80,50) through (50,20): nothing on the chord's middle.
    Drawn d(Drawing(LwPolyline({{{20, 50, 1}}, {{80, 50, 0}}}, false, 1)));
    EXPECT_EQ(Count(d.image, kRed, QRect(45, 99 - 52, 10, 5)), 0);
    EXPECT_GT(Count(d.image, kRed, QRect(45, 99 - 22, 10, 5)), 3);
    EXPECT_GT(Count(d.image, kRed, QRect(18, 99 - 52, 5, 5)), 0);
}

TEST(DxfDraw, ABlockInsertedAtTwoRotationsAppearsTwiceAndItsDefinitionNot)
{
    const QByteArray blocks = Block("BAR", Line(0, 0, 30, 0, 256));
    Drawn d(Drawing(Insert("BAR", 20, 50, 0, 3) + Insert("BAR", 150, 20, 90, 3), blocks));
    // Horizontal from (20,50) to (50,50); vertical from (150,20) to (150,50).
    EXPECT_GE(Count(d.image, kGreen, QRect(22, 99 - 50 - 1, 26, 3)), 26);
    EXPECT_GE(Count(d.image, kGreen, QRect(149, 99 - 48, 3, 26)), 26);
    // The definition at the origin is not drawn.
    EXPECT_EQ(Count(d.image, kGreen, QRect(0, 95, 10, 5)), 0);
    EXPECT_LE(Count(d.image, kGreen), 2 * 32);
}

TEST(DxfDraw, ColoursEqualToTheBackgroundAreInverted)
{
    // Colour 7 is white in the table: on white it turns black, on black it stays white.
    Drawn onWhite(Drawing(Line(10, 50, 190, 50, 7) + Line(10, 20, 190, 20, 1)));
    EXPECT_GT(Count(onWhite.image, kBlack), 150);
    EXPECT_GT(Count(onWhite.image, kRed), 150);
    Drawn onBlack(Drawing(Line(10, 50, 190, 50, 7)), 0x000000);
    EXPECT_GT(Count(onBlack.image, kWhite), 150);
}

TEST(DxfDraw, SmallTextIsADashAndReadableTextIsWritten)
{
    const auto text = [](double x, double h) {
        return G({{0, "TEXT"}, {8, "0"}, {62, "1"}, {10, QByteArray::number(x)}, {20, "50"},
                  {40, QByteArray::number(h)}, {1, "HELLO"}});
    };
    Drawn d(Drawing(text(20, 3) + text(100, 20)));
    // 3 px: a dash from one pixel left of the anchor (the end pixel excluded, as lines are
    // drawn), nothing else around it.
    EXPECT_EQ(Count(d.image, kRed, QRect(10, 30, 20, 40)), 2);
    EXPECT_EQ(d.At(19, 50), kRed);
    EXPECT_EQ(d.At(20, 50), kRed);
    // 20 px: letters to the right of and above the anchor (left baseline text).
    int ink = 0;
    for (int y = 50; y < 75; ++y)
        for (int x = 100; x < 180; ++x) ink += d.At(x, y) != kWhite ? 1 : 0;
    EXPECT_GT(ink, 60);
}

TEST(DxfDraw, SolidHatchesFillAroundTheirIslands)
{
    const auto loop = [](double a, double b) {
        return G({{92, "2"}, {72, "0"}, {73, "1"}, {93, "4"}, {10, QByteArray::number(a)}, {20, QByteArray::number(a)},
                  {10, QByteArray::number(b)}, {20, QByteArray::number(a)}, {10, QByteArray::number(b)},
                  {20, QByteArray::number(b)}, {10, QByteArray::number(a)}, {20, QByteArray::number(b)}, {97, "0"}});
    };
    Drawn d(Drawing(G({{0, "HATCH"}, {8, "0"}, {62, "1"}, {2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "2"}}) +
                    loop(10, 90) + loop(40, 60) + G({{75, "0"}, {76, "1"}, {98, "0"}})));
    EXPECT_EQ(d.At(20, 20), kRed);
    EXPECT_EQ(d.At(50, 50), kWhite);
    EXPECT_EQ(d.At(95, 50), kWhite);
}

TEST(DxfDraw, AHiddenLayerOrOneWithoutConverterDrawsNothing)
{
    Drawn d(Drawing(Line(10, 50, 190, 50, 1)));
    MapConfigItem item = d.layer.GetMapItem();
    item.Visible = 0;
    d.layer.SetMapItem(item);
    QImage img = sourcestest::WhiteImage();
    {
        QPainter p(&img);
        d.layer.DrawAll(&p, 0);
    }
    EXPECT_EQ(Count(img, kRed), 0);
    CMapLayer_DXF fresh;
    QPainter p(&img);
    fresh.DrawAll(&p, 0);
}

TEST(DxfDraw, ALineEnteringFromOffTheViewKeepsItsSlope)
{
    // From client (-3.5, 0.5) to (4.5, 4.5): the vertex off the view rounds down to -4, not
    // towards zero, so the line climbs one row every two columns from there.
    Drawn d(Drawing(Line(-4, 100, 4, 96, 1)));
    const auto red = [&](int column, int row) { return (d.image.pixel(column, row) & 0xFFFFFF) == kRed; };
    EXPECT_TRUE(red(0, 2));
    EXPECT_TRUE(red(1, 3));
    EXPECT_FALSE(red(1, 2));
    EXPECT_TRUE(red(2, 3));
    EXPECT_TRUE(red(3, 4));
    EXPECT_FALSE(red(3, 3));
}
