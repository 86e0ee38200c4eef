#include "EntityDbUtil.h"

#include "map/MapTestUtil.h"
#include "sources/CMapLayer_GD.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QTemporaryDir>

using namespace entitytest;
using maptest::CountColor;

namespace
{
constexpr double kX0 = 3401000, kY0 = 498000;
const QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kCyan = 0x00FFFF, kWhite = 0xFFFFFF;

// A point inside a plane and a line beside it; the point class is listed before the plane class.
// World (kX0, kY0) is the bottom left corner of a 200 x 100 view at 1 m a pixel.
struct DrawnSite
{
    explicit DrawnSite(const QString& pointFont = QString(), int icon = 0)
    {
        path = dir.filePath(QStringLiteral("site.db"));
        dict = dir.filePath(QStringLiteral("site.dic"));
        {
            EntityDbWriter w(path);
            w.AddClass(QStringLiteral("点"), 0, QStringLiteral("名"));
            w.AddClass(QStringLiteral("线"), 1);
            w.AddClass(QStringLiteral("面"), 2);
            w.AddEntity(QStringLiteral("点"), QStringLiteral("P1"), {{kX0 + 50, kY0 + 160}}, {QStringLiteral("标签")});
            w.AddEntity(QStringLiteral("线"), QStringLiteral("L1"), {{kX0 + 10, kY0 + 100}, {kX0 + 90, kY0 + 100}});
            w.AddEntity(QStringLiteral("面"), QStringLiteral("S1"),
                        {{kX0 + 20, kY0 + 140}, {kX0 + 80, kY0 + 140}, {kX0 + 80, kY0 + 190}, {kX0 + 20, kY0 + 190}});
            StyleDictWriter d(dict);
            d.Point(QStringLiteral("点"), pointFont, icon, 0x0000FF, 30);
            d.Line(QStringLiteral("线"), 0, 0xFF0000, 1);
            d.Plane(QStringLiteral("面"), 5, 0, 1, 0, 0x00FF00);
        }
        convert.SetClientRect(CRect(0, 0, 200, 100));
        convert.SetStartCor({kX0, kY0, 0});
        convert.SetScale(1.0);
        gcd.SetConvert(&convert);
        MapConfigItem item = gcd.GetMapItem();
        item.SemiTransparence = 0;
        item.DisplayField = 2;
        item.clrText = 0;
        gcd.SetMapItem(item);
        EXPECT_EQ(OpenAndLoad(gcd, path, dict), 1);
    }
    QImage Draw(int displayField = 2, bool selection = false)
    {
        MapConfigItem item = gcd.GetMapItem();
        item.DisplayField = displayField;
        gcd.SetMapItem(item);
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        gcd.OnDraw(&p);
        if (selection) gcd.DrawSelectEntity(&p);
        return img;
    }
    QTemporaryDir dir;
    QString path, dict;
    CMapConvert convert;
    CMap_GCD gcd;
};

int CountDark(const QImage& img, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
        {
            const QRgb c = img.pixel(x, y);
            n += qRed(c) + qGreen(c) + qBlue(c) < 200 ? 1 : 0;
        }
    return n;
}

int CountNotWhiteOrGreen(const QImage& img, const QRect& r)
{
    return r.width() * r.height() - CountColor(img, kWhite, r) - CountColor(img, kGreen, r);
}
} // namespace

TEST(EntityDrawing, PlanesLieUnderPointsAndLinesAndPointsAreFourPixelSquares)
{
    DrawnSite s;
    const QImage img = s.Draw();
    // The point (client 160, 50) is a 4 x 4 red square on the green plane.
    EXPECT_EQ(CountColor(img, kRed), 16);
    EXPECT_EQ(CountColor(img, kRed, QRect(158, 48, 4, 4)), 16);
    EXPECT_EQ(img.pixel(150, 50) & 0xFFFFFF, kGreen);
    EXPECT_EQ(img.pixel(130, 50) & 0xFFFFFF, kWhite);
    // The line runs along client column 100 from row 90 up to row 10.
    EXPECT_EQ(img.pixel(100, 50) & 0xFFFFFF, kBlue);
    EXPECT_GE(CountColor(img, kBlue, QRect(100, 0, 1, 100)), 78);

    // A hidden layer, or one without converter, draws nothing.
    MapConfigItem item = s.gcd.GetMapItem();
    item.Visible = 0;
    s.gcd.SetMapItem(item);
    EXPECT_EQ(CountColor(s.Draw(), kWhite), 200 * 100);
}

TEST(EntityDrawing, AMissingSymbolFontFallsBackToTheSquareAndAnInstalledOneDrawsItsCharacter)
{
    DrawnSite missing(QStringLiteral("No Such Symbol Font 4711"), 0x41);
    EXPECT_EQ(CountColor(missing.Draw(), kRed, QRect(158, 48, 4, 4)), 16);

    const QStringList families = QFontDatabase::families();
    if (families.isEmpty()) GTEST_SKIP() << "no fonts installed";
    DrawnSite installed(families.front(), 0x4D); // 'M'
    const QImage img = installed.Draw();
    // The character's cell starts 10 pixels left of and above the point.
    EXPECT_GT(CountNotWhiteOrGreen(img, QRect(150, 40, 24, 30)), 10);
    EXPECT_LT(CountColor(img, kRed, QRect(158, 48, 4, 4)), 16);
}

TEST(EntityDrawing, SelectionIsHighlightedAndLabelsFollowTheDisplayField)
{
    DrawnSite s;
    EXPECT_EQ(CountDark(s.Draw(2), QRect(164, 40, 36, 20)), 0);
    EXPECT_GT(CountDark(s.Draw(0), QRect(164, 40, 36, 20)), 5); // beside the point
    EXPECT_EQ(CountDark(s.Draw(1), QRect(164, 40, 36, 20)), 0); // the class has no second label

    // The point and the plane it lies in.
    EXPECT_EQ(s.gcd.SelectEntity(CPoint(160, 50), CPoint(160, 50)), 2);
    QImage img = s.Draw(2, true);
    EXPECT_EQ(CountColor(img, kCyan, QRect(155, 45, 10, 10)), 36);
    EXPECT_EQ(img.pixel(140, 50) & 0xFFFFFF, kCyan); // the plane's outline
    EXPECT_EQ(img.pixel(150, 50) & 0xFFFFFF, kGreen);
    s.gcd.SelectEntity(CPoint(100, 50), CPoint(100, 50));
    img = s.Draw(2, true);
    EXPECT_EQ(img.pixel(100, 50) & 0xFFFFFF, kCyan);
    EXPECT_EQ(CountColor(img, kRed), 16);
    s.gcd.ClearSelectEntity();
    EXPECT_EQ(CountColor(s.Draw(2, true), kCyan), 0);
}

TEST(EntityDrawing, FormatTenMakesTheEntityLayerWhichTheMapOpensAndDraws)
{
    std::unique_ptr<CMapLayer> made = CreateMapLayer(10);
    ASSERT_TRUE(dynamic_cast<CMapLayer_GD*>(made.get()));
    EXPECT_EQ(made->GetType(), 1);

    DrawnSite s;
    maptest::ViewedMap v(200, 100);
    MapConfigItem item;
    item.Format = 10;
    item.FullPathName = s.path;
    item.DictionaryPathName = s.dict;
    item.DisplayField = 2;
    ASSERT_EQ(v.map.InsertMapLayer(-1, item), 1);
    v.map.Load(nullptr);
    auto* layer = dynamic_cast<CMapLayer_GD*>(v.map.m_MapLayers[0].get());
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->IsLoad(), 1);
    EXPECT_EQ(layer->ItemCount(), 3);
    double minX, maxX, minY, maxY;
    ASSERT_EQ(layer->GetRange(minX, maxX, minY, maxY, 0), 1);
    EXPECT_EQ(minY, kY0 + 100);
    EXPECT_EQ(maxX, kX0 + 90);
    v.map.SetStartCorAndScale({kX0, kY0, 0}, 1.0, 1);
    const QImage img = v.Picture();
    EXPECT_EQ(img.pixel(150, 50) & 0xFFFFFF, kGreen);
    EXPECT_EQ(CountColor(img, kRed, QRect(158, 48, 4, 4)), 16);

    // A mistyped path opens nothing and creates nothing.
    item.FullPathName = s.dir.filePath(QStringLiteral("typo.db"));
    ASSERT_EQ(v.map.InsertMapLayer(-1, item), 1);
    v.map.Load(nullptr);
    EXPECT_EQ(v.map.m_MapLayers[1]->IsLoad(), 0);
    EXPECT_FALSE(QFile::exists(item.FullPathName));
}
