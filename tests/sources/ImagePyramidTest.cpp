#include "ImageTestUtil.h"
#include "SourcesTestUtil.h"

#include "sources/CMap_Image.h"
#include "sources/ImagePyramidWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using namespace imagetest;

namespace
{
// 300 x 200 pixels in blocks of 20 whose colour tells the block's row and column; half a metre
// per pixel, upper-left corner at x 3400000 (north), y 500000 (east).
QRgb BlockColor(int pixelRow, int pixelColumn) { return qRgb(20 + 15 * (pixelColumn / 20), 20 + 20 * (pixelRow / 20), 100); }

constexpr double kTop = 3400000.0, kLeft = 500000.0, kPixel = 0.5;

struct ImagePyramidTest : ::testing::Test
{
    QTemporaryDir dir;
    QString Input() const { return dir.filePath("blocks.png"); }
    QString Output() const { return dir.filePath("blocks.img"); }

    void WriteInput(const QByteArray& worldFile)
    {
        QImage img(300, 200, QImage::Format_RGB32);
        for (int r = 0; r < 200; ++r)
            for (int c = 0; c < 300; ++c) img.setPixel(c, r, BlockColor(r, c));
        ASSERT_TRUE(img.save(Input(), "PNG"));
        // World files give the centre of the upper-left pixel.
        ASSERT_TRUE(WriteBytes(dir.filePath("blocks.pgw"), worldFile));
    }
    static QByteArray NorthUp() { return "0.5\n0\n0\n-0.5\n500000.25\n3399999.75\n"; }
};

struct Cli
{
    int code;
    QString out, err;
};

Cli RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

TEST_F(ImagePyramidTest, WritesTheDescriptorAndContainerLevelsHalving)
{
    WriteInput(NorthUp());
    QString error;
    ImagePyramidSummary summary;
    ASSERT_TRUE(WriteImagePyramid(Input(), Output(), {64, 90}, nullptr, &error, &summary)) << error.toStdString();
    EXPECT_EQ(summary.Levels, 4);
    EXPECT_EQ(summary.Tiles, 20 + 6 + 2 + 1);
    EXPECT_EQ(ReadBytes(Output()), "0\r\n3400000,500000\r\n200,300,0.5,0.5\r\n64,64\r\n4\r\n"
                                   "4,5,0.5,0.5\r\n2,3,1,1\r\n1,2,2,2\r\n1,1,4,4\r\n");
    const QByteArray c = ReadBytes(Output() + "S");
    ASSERT_GT(c.size(), 24 + 4 * 8);
    EXPECT_EQ(qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(c.constData() + 20)), 4u);
    // Level 3's block: one column, one row, one tile whose bytes are a 38 x 25 JPEG.
    const qint64 slot = 24 + 8 * 3;
    const qint64 block = slot + qFromLittleEndian<qint64>(reinterpret_cast<const uchar*>(c.constData() + slot));
    const auto u32 = [&](qint64 pos) { return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(c.constData() + pos)); };
    EXPECT_EQ(u32(block), 1u);
    EXPECT_EQ(u32(block + 4), 1u);
    const QImage coarsest = QImage::fromData(c.mid(block + 8 + u32(block + 8), u32(block + 12)), "JPG");
    EXPECT_EQ(coarsest.size(), QSize(38, 25));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4) << "no scratch files left";
}

TEST_F(ImagePyramidTest, RasterPixelsAreDrawnAtTheirWorldPositions)
{
    WriteInput(NorthUp());
    QString error;
    ASSERT_TRUE(WriteImagePyramid(Input(), Output(), {64, 95}, nullptr, &error)) << error.toStdString();
    CMap_Image image;
    ASSERT_EQ(image.SetImage(Output(), 1, nullptr), 1);
    CMapConvert conv;
    image.SetConvert(&conv);

    auto drawnNear = [&](const QImage& img, int row, int column, QRgb expected) {
        CPoint p;
        conv.WorldToClient(xyhCoord{kTop - (row + 0.5) * kPixel, kLeft + (column + 0.5) * kPixel, 0}, p);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (img.rect().contains(p.x + dx, p.y + dy) && Near(img.pixel(p.x + dx, p.y + dy), expected, 16)) return true;
        return false;
    };
    for (double scale : {0.5, 1.0, 2.0}) // levels 0, 1 and 2: one screen pixel per level pixel
    {
        sourcestest::SetView(conv, kTop + 5.0 - 100.0 * scale, kLeft - 5.0, scale, 200, 100); // top-left at (+5, -5)
        QImage img = sourcestest::WhiteImage();
        QPainter painter(&img);
        image.Draw(&painter);
        painter.end();
        ASSERT_FALSE(image.NeededTiles().empty());
        EXPECT_EQ(image.NeededTiles().front().Level, scale == 0.5 ? 0 : scale == 1.0 ? 1 : 2);
        const int step = int(scale / kPixel); // image pixels per screen pixel
        int checked = 0;
        // Block corners: the first pixel of each block lies within a screen pixel of its place.
        for (int row = 40; row < 200; row += 40)
            for (int column = 20; column < 300; column += 60)
            {
                const double x = kTop - row * kPixel, y = kLeft + column * kPixel;
                if (kTop - x > 100.0 * scale - 5.0 - 2 * scale || y - kLeft > 200.0 * scale - 5.0 - 2 * scale) continue;
                EXPECT_TRUE(drawnNear(img, row + step / 2, column + step / 2, BlockColor(row, column)))
                    << "scale " << scale << " pixel " << row << "," << column;
                EXPECT_TRUE(drawnNear(img, row - step, column - step, BlockColor(row - 1, column - 1)))
                    << "scale " << scale << " pixel before " << row << "," << column;
                ++checked;
            }
        EXPECT_GE(checked, 4) << "scale " << scale;
    }
}

TEST_F(ImagePyramidTest, RefusesRotatedUngeoreferencedAndUnreadableInputKeepingThePreviousPyramid)
{
    WriteInput(NorthUp());
    QString error;
    ASSERT_TRUE(WriteImagePyramid(Input(), Output(), {}, nullptr, &error));
    const QByteArray descriptor = ReadBytes(Output()), container = ReadBytes(Output() + "S");

    ASSERT_TRUE(WriteBytes(dir.filePath("blocks.pgw"), "0.5\n0.1\n0.1\n-0.5\n500000.25\n3399999.75\n"));
    EXPECT_FALSE(WriteImagePyramid(Input(), Output(), {}, nullptr, &error));
    EXPECT_TRUE(error.contains("not a north-up raster")) << error.toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("blocks.pgw"), "0.5\n0\n0\n0.5\n500000.25\n3399999.75\n"));
    EXPECT_FALSE(WriteImagePyramid(Input(), Output(), {}, nullptr, &error));
    EXPECT_TRUE(error.contains("not a north-up raster")) << error.toStdString();
    QFile::remove(dir.filePath("blocks.pgw"));
    EXPECT_FALSE(WriteImagePyramid(Input(), Output(), {}, nullptr, &error));
    EXPECT_TRUE(error.contains("no georeferencing")) << error.toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("junk.tif"), "II*\0 not really a tiff"));
    EXPECT_FALSE(WriteImagePyramid(dir.filePath("junk.tif"), Output(), {}, nullptr, &error));
    EXPECT_EQ(error, "cannot read \"" + dir.filePath("junk.tif") + "\" as a raster");
    EXPECT_FALSE(WriteImagePyramid(Input(), Output(), {8, 90}, nullptr, &error));

    EXPECT_EQ(ReadBytes(Output()), descriptor);
    EXPECT_EQ(ReadBytes(Output() + "S"), container);
}

TEST_F(ImagePyramidTest, CommandLineCutsAndDescribesThePyramid)
{
    WriteInput(NorthUp());
    Cli r = RunCli({"pyramid", Input(), Output(), "--tile", "128", "--quality", "80"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "wrote " + Output() + " and " + Output() + "S: 300 x 200 pixels, 3 levels, 9 tiles\n");
    EXPECT_TRUE(r.err.contains("100%"));
    r = RunCli({"layer-info", Output()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "format: 1\nkind: CMapLayer_GCP\ncount: 9\n"
                     "extent: 3399900.0000 3400000.0000 500000.0000 500150.0000\nlevels: 3\nsize: 300 x 200\n");

    ASSERT_TRUE(WriteBytes(dir.filePath("blocks.pgw"), "0.5\n0.1\n0.1\n-0.5\n500000.25\n3399999.75\n"));
    r = RunCli({"pyramid", Input(), dir.filePath("rotated.img")});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("rotated.img")));
    r = RunCli({"pyramid", Input(), Output(), "--tile", "big"});
    EXPECT_EQ(r.code, 2);
}

TEST_F(ImagePyramidTest, WideValuesAreStretchedOntoTheirRangeNotClipped)
{
    // 16-bit grey, as image tools often write: values 1000 and 3000 would both clip to white.
    QImage wide(64, 32, QImage::Format_Grayscale16);
    for (int r = 0; r < 32; ++r)
    {
        auto* line = reinterpret_cast<quint16*>(wide.scanLine(r));
        for (int c = 0; c < 64; ++c) line[c] = c < 32 ? 1000 : 3000;
    }
    ASSERT_TRUE(wide.save(dir.filePath("wide.png"), "PNG"));
    ASSERT_TRUE(WriteBytes(dir.filePath("wide.pgw"), NorthUp()));
    QString error;
    ASSERT_TRUE(WriteImagePyramid(dir.filePath("wide.png"), Output(), {64, 95}, nullptr, &error)) << error.toStdString();
    const QByteArray c = ReadBytes(Output() + "S");
    const auto u32 = [&](qint64 pos) { return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(c.constData() + pos)); };
    const qint64 table = 24 + 8 + 8; // one level: its block follows the single distance
    const QImage tile = QImage::fromData(c.mid(table + u32(table), u32(table + 4)), "JPG");
    ASSERT_EQ(tile.size(), QSize(64, 32));
    EXPECT_LT(qGray(tile.pixel(8, 16)), 20);
    EXPECT_GT(qGray(tile.pixel(56, 16)), 235);
}

// Tiles drawn at fractional edges were rounded apart at some scales, leaving a one-pixel line of
// background across the picture (seen at 6.6 m per pixel under the example route).
TEST(ImagePyramidDrawing, NeighbouringTilesLeaveNoSeam)
{
    QTemporaryDir dir;
    const QString examples = QStringLiteral(TESVANE_SOURCE_DIR "/examples/");
    for (const char* name : {"raster-jinggangao.img", "raster-jinggangao.imgS", "element-jinggangao.RE"})
        ASSERT_TRUE(QFile::copy(examples + name, dir.filePath(name)));
    for (const char* size : {"900x700", "700x500", "1234x987"})
    {
        const QString png = dir.filePath(QStringLiteral("view.png"));
        const Cli r = RunCli({"render", dir.filePath("element-jinggangao.RE"), png, "--size", size, "--labels", "none",
                              "--layer", dir.filePath("raster-jinggangao.img")});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QImage picture(png);
        ASSERT_FALSE(picture.isNull());
        // A column left of the route crosses every tile row of the image; no pixel on it is black.
        const int x = picture.width() / 3;
        int black = 0;
        for (int y = picture.height() / 8; y < picture.height() * 7 / 8; ++y)
            black += (picture.pixel(x, y) & 0xFFFFFF) == 0;
        EXPECT_EQ(black, 0) << size;
    }
}
