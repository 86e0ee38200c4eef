#include "ShapeTestUtil.h"
#include "SourcesTestUtil.h"

#include "map/CMapConvert.h"
#include "sources/CMap_Shape.h"
#include "sources/CppSQLite3.h"
#include "geometry/CAnalyseResult.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <limits>

using namespace shapetest;
using namespace sourcestest;

namespace
{
constexpr double kE0 = 500000, kN0 = 3400000;

// Two 50 m parcels in a 200 x 100 view at 1 m a pixel: A at client x 10..60, B at 100..150, both
// at client y 40..90. Attribute 0 a name with quotes, 1 a real, 2 a text with blanks.
struct Parcels
{
    QTemporaryDir dir;
    QString path;
    CMapConvert convert;
    std::unique_ptr<CMap_Shape> shape;

    explicit Parcels(int semi = 0, int display = -1)
    {
        path = dir.filePath("parcels.shp");
        EXPECT_TRUE(WriteShapefile(path, wkbPolygon, {{"name", OFTString}, {"rate", OFTReal}, {"note", OFTString}},
                                   {{Square(kE0 + 10, kN0 + 10, 50), {"O'Brien", "12.5", "a b"}},
                                    {Square(kE0 + 100, kN0 + 10, 50), {"张'三", "3", "c"}}}));
        SetView(convert, kN0, kE0);
        Reopen(semi, display);
    }
    void Reopen(int semi = 0, int display = -1)
    {
        shape = std::make_unique<CMap_Shape>();
        MapConfigItem item = shape->GetMapItem();
        item.FullPathName = path;
        item.clrOutLine = 0x000000;
        item.clrFill = 0xFFFFFF;
        item.clrText = 0x000000;
        item.Size = 1;
        item.SemiTransparence = semi;
        item.DisplayField = display;
        shape->SetMapItem(item);
        shape->SetConvert(&convert);
        EXPECT_EQ(shape->Open(), 1);
        EXPECT_EQ(shape->LoadShapeData(), 1);
    }
    QImage Draw(bool labels = false, bool selection = false)
    {
        QImage img = WhiteImage();
        QPainter p(&img);
        shape->Draw(&p);
        if (labels) shape->DrawTextW(&p);
        if (selection) shape->DrawSelectEntity(&p);
        return img;
    }
    int EntryOf(const QString& value) const
    {
        CShapeConfigFillColor* c = shape->GetShapeConfigFillColor();
        for (int i = 0; i < c->GetFiledColorCount(); ++i)
            if (c->GetFiledColor(i).Value == value) return i;
        return -1;
    }
};
} // namespace

TEST(ShapeFillColour, ConfigFileIsBuiltOnceWithBoundValues)
{
    Parcels site;
    const QString shc = site.dir.filePath("parcels.shc");
    ASSERT_TRUE(QFile::exists(shc));
    CShapeConfigFillColor* config = site.shape->GetShapeConfigFillColor();
    ASSERT_TRUE(config->IsValid());
    EXPECT_EQ(config->GetConfigFiledIndex(), -1);
    QStringList names;
    EXPECT_EQ(config->GetFiledArray(names), 3);
    EXPECT_EQ(names, QStringList({"name", "rate", "note"}));
    {
        // The tables earlier versions create, to the letter.
        CppSQLite3DB db;
        db.openReadOnly(shc.toUtf8().constData());
        QStringList schema;
        for (CppSQLite3Query q = db.execQuery("select sql from sqlite_master order by rowid;"); !q.eof(); q.nextRow())
            schema << q.getTextField(0);
        EXPECT_EQ(schema, QStringList({"CREATE TABLE [ColorConfig](ColorFiledIndex INT)",
                                       "CREATE TABLE [FiledConfig](FiledIndex INT, FiledName CHAR, FiledType INT, ColorValid INT)",
                                       "CREATE TABLE [0](Filed CHAR, Color INT64)", "CREATE TABLE [1](Filed CHAR, Color INT64)",
                                       "CREATE TABLE [2](Filed CHAR, Color INT64)"}));
        EXPECT_EQ(db.execScalar("select count(*) from [0] where Filed = 'O''Brien';"), 1);
        EXPECT_EQ(db.execScalar("select FiledType from [FiledConfig] where FiledIndex = 1;"), int(OFTReal));
    }
    // Value texts: the real without trailing zeros, the text without blanks.
    ASSERT_EQ(config->SetConfigFiledIndex(1), 1);
    EXPECT_EQ(site.EntryOf("12.5"), 0) << "ascending text order: 12.5 before 3";
    EXPECT_EQ(site.EntryOf("3"), 1);
    ASSERT_EQ(config->SetConfigFiledIndex(2), 1);
    EXPECT_GE(site.EntryOf("ab"), 0);

    // Colour by the quoted names; a second open only reads the file.
    ASSERT_EQ(config->SetConfigFiledIndex(0), 1);
    ASSERT_EQ(config->SetFiledColor(site.EntryOf("O'Brien"), 0x0000FF), 1);
    ASSERT_EQ(config->SetFiledColor(site.EntryOf("张'三"), 0x00FF00), 1);
    const QDateTime built = QFileInfo(shc).lastModified();
    site.Reopen();
    EXPECT_EQ(QFileInfo(shc).lastModified(), built);
    EXPECT_EQ(site.shape->GetShapeConfigFillColor()->GetConfigFiledIndex(), 0);
    const QImage img = site.Draw();
    EXPECT_EQ(img.pixel(35, 65) & 0xFFFFFF, 0xFF0000u) << "O'Brien is red";
    EXPECT_EQ(img.pixel(125, 65) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img.pixel(10, 65) & 0xFFFFFF, 0x000000u) << "black outline";
    EXPECT_EQ(img.pixel(80, 65) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FALSE(QFile::exists(site.dir.filePath("parcels.shc.tmp")));
    EXPECT_EQ(QDir(site.dir.path()).entryList({"parcels.shc.*"}, QDir::Files).size(), 0);
}

TEST(ShapeFillColour, SemiTransparentFillsShowWhatLiesBeneath)
{
    Parcels site(1);
    CShapeConfigFillColor* config = site.shape->GetShapeConfigFillColor();
    ASSERT_EQ(config->SetConfigFiledIndex(0), 1);
    ASSERT_EQ(config->SetFiledColor(site.EntryOf("O'Brien"), 0xFF0000), 1); // blue
    site.shape->UpdateFillColors();
    QImage img = WhiteImage();
    {
        QPainter p(&img);
        p.fillRect(QRect(30, 0, 4, 100), Qt::red);
        site.shape->Draw(&p);
    }
    const QColor over = img.pixelColor(45, 65);
    EXPECT_EQ(over.blue(), 255);
    EXPECT_NEAR(over.red(), 128, 3);
    const QColor overRed = img.pixelColor(31, 65);
    EXPECT_NEAR(overRed.red(), 128, 3) << "the red stripe shows through";
    EXPECT_NEAR(overRed.blue(), 128, 3);
    // Outside any plane nothing changes.
    EXPECT_EQ(img.pixel(80, 65) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(ShapeDraw, LabelsSitInsideTheirPlanes)
{
    Parcels site(0, 0);
    const QImage plain = site.Draw(false);
    const QImage labelled = site.Draw(true);
    const QRect inA(15, 45, 41, 41), inB(105, 45, 41, 41);
    EXPECT_EQ(CountInk(plain, inA), 0);
    EXPECT_GT(CountInk(labelled, inA), 20);
    EXPECT_GT(CountInk(labelled, inB), 20);
    ASSERT_EQ(site.shape->GetTexts().size(), 2u);
    EXPECT_EQ(site.shape->GetTexts()[0]->GetFieldText(), "O'Brien");
    // Real labels as "%f".
    site.Reopen(0, 1);
    site.Draw(true);
    ASSERT_EQ(site.shape->GetTexts().size(), 2u);
    EXPECT_EQ(site.shape->GetTexts()[0]->GetFieldText(), "12.500000");
    // Panned so that only part of A is in view: the label stays inside the visible part.
    SetView(site.convert, kN0, kE0 + 40);
    site.Draw(true);
    ASSERT_FALSE(site.shape->GetTexts().empty());
    const ShapePair pos = site.shape->GetTexts()[0]->GetPos();
    EXPECT_GE(pos.X, kE0 + 40);
    EXPECT_LE(pos.X, kE0 + 60);
}

TEST(ShapeSelect, ClicksAndDragsSelectPlanes)
{
    Parcels site;
    EXPECT_EQ(site.shape->SelectEntity(CPoint{35, 65}, CPoint{35, 65}), 1);
    EXPECT_EQ(site.shape->GetSelectFIDArray(), std::vector<long>({0}));
    const QImage img = site.Draw(false, true);
    EXPECT_GT(Count(img, qRgb(0, 255, 255), QRect(8, 38, 5, 55)), 30) << "cyan outline of A";
    EXPECT_EQ(Count(img, qRgb(0, 255, 255), QRect(98, 38, 5, 55)), 0);
    EXPECT_EQ(site.shape->SelectEntity(CPoint{80, 65}, CPoint{80, 65}), 0);
    // A drag over both, and one over a corner of B only.
    EXPECT_EQ(site.shape->SelectEntity(CPoint{0, 30}, CPoint{199, 99}), 2);
    EXPECT_EQ(site.shape->SelectEntity(CPoint{140, 80}, CPoint{170, 95}), 1);
    EXPECT_EQ(site.shape->GetSelectFIDArray(), std::vector<long>({1}));
    // A drag between the parcels meets neither although B's rectangle is near.
    EXPECT_EQ(site.shape->SelectEntity(CPoint{65, 30}, CPoint{95, 99}), 0);
    MapConfigItem item = site.shape->GetMapItem();
    item.Select = 0;
    site.shape->SetMapItem(item);
    EXPECT_EQ(site.shape->SelectEntity(CPoint{35, 65}, CPoint{35, 65}), 0);
}

TEST(ShapeDraw, LinesAndPointsInTheLayerColours)
{
    QTemporaryDir dir;
    const QString lines = dir.filePath("l.shp");
    ASSERT_TRUE(WriteShapefile(lines, wkbLineString, {{"n", OFTInteger}},
                               {{"LINESTRING (500010 3400050,500190 3400050)", {"1"}}}));
    CMapConvert convert;
    SetView(convert, kN0, kE0);
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = lines;
    item.clrOutLine = 0x0000FF;
    item.Size = 3;
    shape.SetMapItem(item);
    shape.SetConvert(&convert);
    ASSERT_EQ(shape.Open(), 1);
    ASSERT_EQ(shape.LoadShapeData(), 1);
    QImage img = WhiteImage();
    {
        QPainter p(&img);
        shape.Draw(&p);
    }
    EXPECT_EQ(Count(img, qRgb(255, 0, 0), QRect(100, 40, 1, 20)), 3) << "three pixels wide";
    EXPECT_EQ(shape.SelectEntity(CPoint{95, 45}, CPoint{105, 55}), 1);
    EXPECT_EQ(shape.SelectEntity(CPoint{95, 20}, CPoint{105, 30}), 0);

    const QString pts = dir.filePath("p.shp");
    ASSERT_TRUE(WriteShapefile(pts, wkbPoint, {{"n", OFTInteger}}, {{"POINT (500050 3400050)", {"1"}}}));
    CMap_Shape points;
    item.FullPathName = pts;
    item.Size = 1;
    points.SetMapItem(item);
    points.SetConvert(&convert);
    ASSERT_EQ(points.Open(), 1);
    ASSERT_EQ(points.LoadShapeData(), 1);
    img = WhiteImage();
    {
        QPainter p(&img);
        points.Draw(&p);
    }
    EXPECT_EQ(Count(img, qRgb(255, 0, 0)), 16) << "a square of half-width 2";
    // Hidden layers draw nothing.
    item.Visible = 0;
    points.SetMapItem(item);
    img = WhiteImage();
    {
        QPainter p(&img);
        points.Draw(&p);
    }
    EXPECT_EQ(Count(img, qRgb(255, 0, 0)), 0);
}

TEST(ShapeSelect, VerticesThatAreNoNumbersNeitherCrashNorSelect)
{
    // A damaged file: parcel B has a NaN vertex. The overlay library crashes on such rings, so a
    // drag over B must leave it out, a drag over A still finds A, and the red-line analysis of a
    // corridor over both counts A alone; a corridor that is itself no number is refused.
    QTemporaryDir dir;
    const QString path = dir.filePath("nan.shp");
    ASSERT_TRUE(WriteShapefile(path, wkbPolygon, {{"name", OFTString}},
                               {{Square(kE0 + 10, kN0 + 10, 50), {"A"}},
                                {"POLYGON ((500100 3400010,500150 3400010,nan 3400060,500100 3400060,500100 3400010))", {"B"}}}));
    CMapConvert convert;
    SetView(convert, kN0, kE0);
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = path;
    shape.SetMapItem(item);
    shape.SetConvert(&convert);
    ASSERT_EQ(shape.Open(), 1);
    ASSERT_EQ(shape.LoadShapeData(), 1);
    EXPECT_EQ(shape.SelectEntity(CPoint{0, 30}, CPoint{199, 99}), 1);
    EXPECT_EQ(shape.GetSelectFIDArray(), std::vector<long>({0}));

    CAnalyseResult result;
    const std::vector<xyhCoord> corridor{{kN0 + 20, kE0, 0}, {kN0 + 20, kE0 + 160, 0}, {kN0 + 30, kE0 + 160, 0}, {kN0 + 30, kE0, 0}};
    ASSERT_EQ(shape.RedLineAnalyseRing(corridor, &result, 0, nullptr), 1);
    EXPECT_EQ(result.GetResultDataCount(), 1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(shape.RedLineAnalyseRing({{kN0, kE0, 0}, {kN0, nan, 0}, {kN0 + 9, kE0, 0}}, &result, 0, nullptr), 0);
}
