#include "ImageTestUtil.h"
#include "SourcesTestUtil.h"

#include "platform/ProgressListener.h"
#include "sources/CMapLayer_GCP.h"
#include "sources/MapLayerInfo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace imagetest;

namespace
{
struct ImageSourceTest : ::testing::Test
{
    QTemporaryDir dir;
    Pyramid pyramid;
    CMap_Image image;
    CMapConvert conv;

    QString Path() const { return dir.filePath(QStringLiteral("image.img")); }
    void WriteFiles(const QByteArray& container)
    {
        ASSERT_TRUE(WriteBytes(Path(), pyramid.Descriptor()));
        ASSERT_TRUE(WriteBytes(Path() + "S", container));
    }
    void Open(const QByteArray& container)
    {
        WriteFiles(container);
        ASSERT_EQ(image.SetImage(Path(), 1, nullptr), 1);
        image.SetConvert(&conv);
    }
    QImage Draw(double x0, double y0, double scale, int w = 200, int h = 100)
    {
        sourcestest::SetView(conv, x0, y0, scale, w, h);
        QImage out = sourcestest::WhiteImage(w, h);
        QPainter painter(&out);
        image.Draw(&painter);
        return out;
    }
    QRgb At(const QImage& img, double x, double y) const
    {
        CPoint c;
        conv.WorldToClient(xyhCoord{x, y, 0}, c);
        return img.rect().contains(c.x, c.y) ? img.pixel(c.x, c.y) : qRgb(255, 255, 255);
    }
    // True when the colour is drawn at the world point's client position or one pixel from it.
    bool DrawnNear(const QImage& img, double x, double y, QRgb expected) const
    {
        CPoint c;
        conv.WorldToClient(xyhCoord{x, y, 0}, c);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.rect().contains(c.x + dx, c.y + dy) && Near(img.pixel(c.x + dx, c.y + dy), expected)) return true;
        return false;
    }
};

struct RecordingProgress : IProgressListener
{
    QStringList calls;
    void SetCaption(const QString&) override { calls << "caption"; }
    void Reset() override { calls << "reset"; }
    void SetPercent(int percent) override { calls << QString::number(percent); }
};
} // namespace

TEST_F(ImageSourceTest, DescriptorFieldsFlagAndMode)
{
    ASSERT_TRUE(WriteBytes(Path(), "0\n3400000.5,500000.25\n\n 500 , 700 ,2,2.5\r\n256,128\n4\n2,3,2,2.5\n1,2,4,5\n"));
    RecordingProgress progress;
    ASSERT_EQ(image.SetImage(Path(), 7, &progress), 1);
    EXPECT_EQ(progress.calls, QStringList({"caption", "reset", "50", "100"}));
    const CMap_ImageGeo& geo = image.Geo();
    EXPECT_EQ(geo.FirstLineFlag(), 1);
    EXPECT_EQ(image.GetMode(), 7);
    EXPECT_EQ(geo.Height(), 500);
    EXPECT_EQ(geo.Width(), 700);
    EXPECT_EQ(geo.TileWidth(), 256);
    EXPECT_EQ(geo.TileHeight(), 128);
    EXPECT_EQ(geo.DeclaredLevelCount(), 4);
    ASSERT_EQ(geo.Levels().size(), 2u); // four declared, two given
    EXPECT_EQ(geo.Levels()[1].TileColumns, 2);
    EXPECT_DOUBLE_EQ(geo.Levels()[1].PixelSizeY, 5.0);
    EXPECT_EQ(geo.GetDirectory(), dir.path() + "/");
    EXPECT_EQ(image.CacheName(1, 2, 3), dir.path() + "/1/Sub2/2x3.jpg");

    double xMin, xMax, yMin, yMax, scale;
    ASSERT_EQ(image.GetRange(xMin, xMax, yMin, yMax), 1);
    EXPECT_DOUBLE_EQ(xMin, 3400000.5 - 1000.0);
    EXPECT_DOUBLE_EQ(xMax, 3400000.5);
    EXPECT_DOUBLE_EQ(yMin, 500000.25);
    EXPECT_DOUBLE_EQ(yMax, 500000.25 + 1750.0);
    ASSERT_EQ(image.GetMaxScale(scale), 1);
    EXPECT_DOUBLE_EQ(scale, 2.5);

    image.Clear();
    EXPECT_FALSE(image.Geo().IsLoaded());
    EXPECT_EQ(image.Geo().FirstLineFlag(), 1);
    EXPECT_EQ(image.GetRange(xMin, xMax, yMin, yMax), 0);
    EXPECT_EQ(image.GetMaxScale(scale), 0);

    ASSERT_TRUE(WriteBytes(Path(), "5\n10,20\n4,4,-1,0.5\n2,2\n1\n2,2,1,1\n"));
    ASSERT_EQ(image.SetImage(Path(), 0, nullptr), 1);
    EXPECT_EQ(image.Geo().FirstLineFlag(), 0);
    // A negative pixel size still gives each pair ordered low, high.
    ASSERT_EQ(image.GetRange(xMin, xMax, yMin, yMax), 1);
    EXPECT_DOUBLE_EQ(xMin, 10.0);
    EXPECT_DOUBLE_EQ(xMax, 14.0);
    EXPECT_DOUBLE_EQ(yMin, 20.0);
    EXPECT_DOUBLE_EQ(yMax, 22.0);
}

TEST_F(ImageSourceTest, UnusableDescriptorsAreRefused)
{
    const char* bad[] = {
        "0\n10,20\n4,4,1,1\n2,2\n1\n",                   // five lines
        "0\n10,20\n4,4,1,1\n0,2\n1\n1,1,1,1\n",          // tile width 0 would divide by zero
        "0\n10,20\n4,4,1,1\n2,-2\n1\n1,1,1,1\n",         // negative tile height
        "0\n10,20\n-4,4,1,1\n2,2\n1\n1,1,1,1\n",         // negative image height
        "0\n10,20\n4,4,1,1\n2,2\n1\n-1,1,1,1\n",         // negative tile rows
        "0\nnan,20\n4,4,1,1\n2,2\n1\n1,1,1,1\n",         // origin not a number
        "0\n10,20\n4,4,1,1\n2,2\n1\n1,1,1e999,1\n",      // level pixel size overflows
    };
    for (const char* text : bad)
    {
        ASSERT_TRUE(WriteBytes(Path(), text));
        EXPECT_EQ(image.SetImage(Path(), 1, nullptr), 0) << text;
        EXPECT_FALSE(image.Geo().IsLoaded()) << text;
    }
    EXPECT_EQ(image.SetImage(dir.filePath("missing.img"), 1, nullptr), 0);

    // A refused descriptor leaves the image that was loaded.
    ASSERT_TRUE(WriteBytes(Path(), "0\n10,20\n4,4,1,1\n2,2\n1\n2,2,1,1\n"));
    ASSERT_EQ(image.SetImage(Path(), 1, nullptr), 1);
    ASSERT_TRUE(WriteBytes(dir.filePath("bad.img"), bad[1]));
    EXPECT_EQ(image.SetImage(dir.filePath("bad.img"), 1, nullptr), 0);
    EXPECT_TRUE(image.Geo().IsLoaded());
    EXPECT_EQ(image.Geo().GetPath(), Path());
}

TEST_F(ImageSourceTest, FullResolutionTilesLandOnTheirWorldPositions)
{
    Open(pyramid.Container());
    const QImage img = Draw(880.0, 1990.0, 1.0); // x 880..980, y 1990..2190
    for (const Image_PictureData& t : image.NeededTiles()) EXPECT_EQ(t.Level, 0);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_TRUE(Near(At(img, 1000.0 - 32 * r - 16, 2000.0 + 32 * c + 16), TileColor(0, r, c))) << r << "," << c;
    // The first pixel of tile (1, 1) within a screen pixel, and its left neighbour still tile (1, 0).
    EXPECT_TRUE(DrawnNear(img, 1000.0 - 32 - 0.5, 2032.5, TileColor(0, 1, 1)));
    EXPECT_TRUE(Near(At(img, 1000.0 - 32 - 0.5, 2032.5 - 2.0), TileColor(0, 1, 0)));
    EXPECT_TRUE(Near(At(img, 1000.0 - 32 + 1.5, 2032.5), TileColor(0, 0, 1)));
    // Beyond the image's right edge nothing is drawn.
    EXPECT_EQ(At(img, 950.0, 2140.0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ImageSourceTest, ViewReachingAboveAndLeftOfTheImageStillDrawsItsFirstTiles)
{
    Open(pyramid.Container());
    const QImage img = Draw(950.0, 1950.0, 1.0); // x 950..1050, y 1950..2150
    EXPECT_TRUE(Near(At(img, 984.0, 2016.0), TileColor(0, 0, 0)));
    EXPECT_TRUE(Near(At(img, 984.0, 2112.0), TileColor(0, 0, 3)));
    EXPECT_EQ(At(img, 1020.0, 2016.0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ImageSourceTest, LevelFollowsTheScale)
{
    Open(pyramid.Container());
    QImage img = Draw(880.0, 1990.0, 0.1);
    ASSERT_FALSE(image.NeededTiles().empty());
    EXPECT_EQ(image.NeededTiles().front().Level, 0); // zoomed in: the finest level at once

    img = Draw(800.0, 1950.0, 2.0); // 400 x 200 units: level 1's tiles fit across
    ASSERT_FALSE(image.NeededTiles().empty());
    EXPECT_EQ(image.NeededTiles().front().Level, 1);
    EXPECT_TRUE(Near(At(img, 990.0, 2010.0), TileColor(1, 0, 0)));
    EXPECT_TRUE(Near(At(img, 900.0, 2100.0), TileColor(1, 1, 1)));
    EXPECT_TRUE(DrawnNear(img, 1000.0 - 64 - 1, 2064.0 + 1, TileColor(1, 1, 1)));

    img = Draw(-5000.0, -5000.0, 100.0); // far out: the coarsest level
    ASSERT_EQ(image.NeededTiles().size(), 1u);
    EXPECT_EQ(image.NeededTiles().front().Level, 2);
    EXPECT_TRUE(Near(At(img, 936.0, 2064.0), TileColor(2, 0, 0), 24));
}

TEST_F(ImageSourceTest, PanEvictsExactlyTheTilesThatLeftAndRedrawDecodesNothing)
{
    Open(pyramid.Container());
    Draw(936.5, 2000.5, 1.0, 64, 64); // rows 0-1, columns 0-2
    ASSERT_EQ(image.GetItemCount(), 6);
    const CMap_ImageItem* kept = image.FindItem(image.CacheName(0, 1, 2));
    ASSERT_NE(kept, nullptr);
    const long long decodes = image.DecodeCount();
    Draw(936.5, 2000.5, 1.0, 64, 64);
    EXPECT_EQ(image.DecodeCount(), decodes);

    Draw(936.5, 2064.5, 1.0, 64, 64); // rows 0-1, columns 2-3
    EXPECT_EQ(image.GetItemCount(), 4);
    EXPECT_EQ(image.FindItem(image.CacheName(0, 1, 2)), kept);
    EXPECT_EQ(image.FindItem(image.CacheName(0, 0, 0)), nullptr);
    EXPECT_EQ(image.FindItem(image.CacheName(0, 1, 1)), nullptr);
    EXPECT_NE(image.FindItem(image.CacheName(0, 1, 3)), nullptr);

    // A view off the image finds no tile and keeps the cache as it was.
    Draw(-9000.0, -9000.0, 1.0, 64, 64);
    EXPECT_EQ(image.GetItemCount(), 4);
}

TEST_F(ImageSourceTest, CacheFilesAreWrittenWholeAndRenewedWhenOlderThanTheContainer)
{
    const QByteArray container = pyramid.Container();
    Open(container);
    Draw(880.0, 1990.0, 1.0);
    const QString cached = image.CacheName(0, 1, 1);
    const QByteArray good = ReadBytes(cached);
    ASSERT_FALSE(good.isEmpty());
    EXPECT_TRUE(container.contains(good));
    EXPECT_EQ(QDir(dir.filePath("0/Sub1")).entryList(QDir::Files).size(), 4) << "no scratch files left";

    // A tile cut short by an earlier crash, older than the container: extracted again.
    ASSERT_TRUE(WriteBytes(cached, good.left(good.size() / 3)));
    QFile f(cached);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QFileInfo(Path() + "S").lastModified().addSecs(-3600), QFileDevice::FileModificationTime));
    f.close();
    CMap_Image fresh;
    ASSERT_EQ(fresh.SetImage(Path(), 1, nullptr), 1);
    fresh.SetConvert(&conv);
    QImage img = sourcestest::WhiteImage();
    QPainter painter(&img);
    fresh.Draw(&painter);
    painter.end();
    EXPECT_EQ(ReadBytes(cached), good);
    EXPECT_TRUE(Near(At(img, 1000.0 - 48, 2048.0), TileColor(0, 1, 1)));
}

TEST_F(ImageSourceTest, DamagedContainersSkipTilesAndNeverReadOutside)
{
    const QByteArray good = pyramid.Container();
    const qint64 entry = pyramid.EntryPos(0, 1, 1);
    auto patched = [&](qint64 pos, const QByteArray& bytes) {
        QByteArray c = good;
        c.replace(int(pos), bytes.size(), bytes);
        return c;
    };
    auto u32 = [](quint32 v) { QByteArray b; PutU32(b, v); return b; };
    auto i64 = [](qint64 v) { QByteArray b; PutI64(b, v); return b; };
    struct Case
    {
        const char* name;
        QByteArray container;
        bool tileDrawn;      // tile (0, 1, 1)
        bool neighbourDrawn; // tile (0, 1, 2)
    };
    const Case cases[] = {
        {"offset far beyond the file", patched(entry, u32(0xFFFFFFF0u)), false, true},
        {"size of 4 GiB", patched(entry + 4, u32(0xFFFFFFFFu)), false, true},
        {"size past the end", patched(entry + 4, u32(quint32(good.size()))), false, true},
        {"level count huge", patched(20, u32(0xFFFFFFFFu)), true, true},
        {"level count 0", patched(20, u32(0)), false, false},
        {"level block beyond the file", patched(24, i64(qint64(1) << 62)), false, false},
        {"level block before the file", patched(24, i64(-1000)), false, false},
        {"columns and rows huge", patched(entry - 8 * (4 * 1 + 1) - 8, u32(0xFFFFFFFFu) + u32(0xFFFFFFFFu)), false, false},
        {"truncated to the header", good.left(30), false, false},
        {"empty", QByteArray(), false, false},
    };
    for (const Case& c : cases)
    {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        CMap_Image fresh;
        ASSERT_TRUE(WriteBytes(Path(), pyramid.Descriptor()));
        ASSERT_TRUE(WriteBytes(Path() + "S", c.container));
        ASSERT_EQ(fresh.SetImage(Path(), 1, nullptr), 1);
        fresh.SetConvert(&conv);
        sourcestest::SetView(conv, 880.0, 1990.0, 1.0);
        QImage img = sourcestest::WhiteImage();
        QPainter painter(&img);
        fresh.Draw(&painter);
        painter.end();
        EXPECT_EQ(Near(At(img, 1000.0 - 48, 2048.0), TileColor(0, 1, 1)), c.tileDrawn) << c.name;
        EXPECT_EQ(Near(At(img, 1000.0 - 48, 2080.0), TileColor(0, 1, 2)), c.neighbourDrawn) << c.name;
        EXPECT_EQ(QFileInfo::exists(fresh.CacheName(0, 1, 1)), c.tileDrawn) << c.name;
    }
}

TEST_F(ImageSourceTest, UnwritableCacheDecodesStraightFromTheContainer)
{
    // A regular file where the level's cache folder belongs: nothing can be created below it
    // (unlike a read-only folder, this holds for root as well).
    ASSERT_TRUE(WriteBytes(dir.filePath("0"), "not a folder"));
    Open(pyramid.Container());
    const QImage img = Draw(880.0, 1990.0, 1.0);
    EXPECT_EQ(image.GetItemCount(), 16);
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_TRUE(Near(At(img, 1000.0 - 32 * r - 16, 2000.0 + 32 * c + 16), TileColor(0, r, c))) << r << "," << c;
    EXPECT_EQ(ReadBytes(dir.filePath("0")), "not a folder");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 3);
}

TEST_F(ImageSourceTest, LayerKindsOneAndSixOpenDrawAndDescribe)
{
    WriteFiles(pyramid.Container());
    EXPECT_EQ(DetectLayerFormat(Path()), 1);
    EXPECT_EQ(DetectLayerFormat(Path() + "S"), 0);
    for (int format : {1, 6})
    {
        std::unique_ptr<CMapLayer> layer = CreateMapLayer(format);
        auto* gcp = dynamic_cast<CMapLayer_GCP*>(layer.get());
        ASSERT_NE(gcp, nullptr);
        EXPECT_EQ(gcp->GetType(), 1);
        MapConfigItem item = gcp->GetMapItem();
        item.FullPathName = Path();
        item.Format = format;
        gcp->SetMapItem(item);
        gcp->SetConvert(&conv);
        ASSERT_EQ(gcp->Open(), 1);
        EXPECT_EQ(gcp->IsLoad(), 1);
        EXPECT_EQ(gcp->GetMapImage()->GetMode(), 1);
        double xMin, xMax, yMin, yMax;
        ASSERT_EQ(gcp->GetRange(xMin, xMax, yMin, yMax, 0), 1);
        EXPECT_DOUBLE_EQ(xMin, 872.0);
        EXPECT_DOUBLE_EQ(yMax, 2128.0);
        EXPECT_EQ(gcp->ItemCount(), 16 + 4 + 1);
        EXPECT_EQ(gcp->InfoLines(), QStringList({"levels: 3", "size: 128 x 128"}));

        sourcestest::SetView(conv, 880.0, 1990.0, 1.0);
        QImage img = sourcestest::WhiteImage();
        {
            QPainter painter(&img);
            item.Visible = 0;
            gcp->SetMapItem(item);
            gcp->DrawAll(&painter, 0);
        }
        EXPECT_EQ(sourcestest::Count(img, qRgb(255, 255, 255)), 200 * 100);
        {
            QPainter painter(&img);
            item.Visible = 1;
            gcp->SetMapItem(item);
            gcp->DrawAll(&painter, 0);
        }
        EXPECT_TRUE(Near(At(img, 952.0, 2048.0), TileColor(0, 1, 1)));
        gcp->Close();
        EXPECT_EQ(gcp->GetRange(xMin, xMax, yMin, yMax, 0), 0);
    }
}

TEST(ImageItem, PicturesFarLargerThanTheirTileAreNotDecoded)
{
    QImage big(200, 100, QImage::Format_RGB32);
    big.fill(Qt::red);
    EXPECT_TRUE(CMap_ImageItem::DecodeJpeg(Jpeg(big), QSize(64, 64)).isNull());
    const QImage ok = CMap_ImageItem::DecodeJpeg(Jpeg(big), QSize(200, 100));
    EXPECT_EQ(ok.size(), QSize(200, 100));
    EXPECT_EQ(ok.format(), QImage::Format_RGB32);
    EXPECT_TRUE(CMap_ImageItem::DecodeJpeg("not a jpeg", QSize(64, 64)).isNull());
}
