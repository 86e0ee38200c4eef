#include "MapTestUtil.h"

#include "platform/FileIO.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <limits>
#include <thread>
#include "common/FileBytes.h"

namespace
{
CMapConvert Example()
{
    CMapConvert c;
    c.SetStartCor({1000, 2000, 0});
    c.SetScale(0.5);
    c.SetClientRect(CRect(0, 0, 800, 600));
    return c;
}

} // namespace

TEST(MapConvert, ConvertsBothWaysWithPixelRounding)
{
    CMapConvert c = Example();
    long cx = -1, cy = -1;
    c.WorldToClient(1000, 2000, cx, cy);
    EXPECT_EQ(cx, 0);
    EXPECT_EQ(cy, 600);
    double x = 0, y = 0;
    c.ClientToWorld(100, 500, x, y);
    EXPECT_DOUBLE_EQ(x, 1050);
    EXPECT_DOUBLE_EQ(y, 2050);

    // -3.2 + 0.5 = -2.7 truncates toward zero: -2, not -3.
    c.WorldToClient(1000, 2000 - 1.6, cx, cy);
    EXPECT_EQ(cx, -2);
    // 0.5 rounds half up for positive values.
    c.WorldToClient(1000, 2000 + 0.25, cx, cy);
    EXPECT_EQ(cx, 1);

    // In-place forms: client values come back as whole numbers; client input is truncated first.
    double a = 1000.2, b = 2010.1;
    c.WorldToClient(a, b);
    EXPECT_EQ(a, 20.0);
    EXPECT_EQ(b, 600.0);
    a = 100.9;
    b = 500.7;
    c.ClientToWorld(a, b);
    EXPECT_DOUBLE_EQ(a, 1050);
    EXPECT_DOUBLE_EQ(b, 2050);

    xyhCoord w;
    w.h = 7;
    c.ClientToWorld(CPoint(0, 600), w);
    EXPECT_DOUBLE_EQ(w.x, 1000);
    EXPECT_DOUBLE_EQ(w.h, 0);

    EXPECT_EQ(c.GetScreenLength(10.2), 20);
    EXPECT_DOUBLE_EQ(c.GetSurveyLength(7), 3.5);
    EXPECT_EQ(c.PtInClientRect(CPoint(0, 0)), 1);
    EXPECT_EQ(c.PtInClientRect(CPoint(800, 10)), 0);
    EXPECT_EQ(c.PtInClientRect(CPoint(10, 600)), 0);
}

TEST(MapConvert, SettersRefuseOutOfRangeAndNonFiniteValues)
{
    CMapConvert c;
    c.SetScale(0.0000005);
    EXPECT_EQ(c.GetScale(), 1.0);
    c.SetScale(2000000);
    EXPECT_EQ(c.GetScale(), 1.0);
    c.SetScale(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(c.GetScale(), 1.0);
    c.SetScale(1e-6);
    EXPECT_EQ(c.GetScale(), 1e-6);
    c.SetScale(1e6);
    EXPECT_EQ(c.GetScale(), 1e6);

    c.SetStartCor({1e11, -1e11, 5});
    EXPECT_EQ(c.GetStartCor().x, 1e11);
    c.SetStartCor({1.0000001e11, 0, 0});
    EXPECT_EQ(c.GetStartCor().x, 1e11);
    c.SetStartCor({std::numeric_limits<double>::quiet_NaN(), 0, 0});
    EXPECT_EQ(c.GetStartCor().x, 1e11);
    c.SetStartCor({0, std::numeric_limits<double>::infinity(), 0});
    EXPECT_EQ(c.GetStartCor().y, -1e11);
}

TEST(MapConvert, ExtremeValuesNeverOverflow)
{
    CMapConvert c;
    c.SetScale(1e-6);
    c.SetStartCor({-1e11, -1e11, 0});
    c.SetClientRect(CRect(0, 0, 100, 100));
    long cx = 0, cy = 0;
    c.WorldToClient(1e11, 1e11, cx, cy); // 2e17 pixels away: fits a long
    EXPECT_GT(cx, 100000000000000000L);
    CPoint p;
    c.WorldToClient(xyhCoord{1e11, 1e11, 0}, p); // saturates in an int point
    EXPECT_EQ(p.x, std::numeric_limits<int>::max());
    EXPECT_EQ(p.y, std::numeric_limits<int>::min());
    EXPECT_EQ(TruncToLong(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncToLong(1e300), std::numeric_limits<long>::max());
}

TEST(MapConvert, ChangeCheckSavesOnlyRealChanges)
{
    QTemporaryDir dir;
    CMapConvert c;
    c.SetConfigPath(dir.path());
    const QString file = dir.filePath("MapConvert.cfg");
    EXPECT_EQ(c.IsGraphParChanged(), 0);
    EXPECT_FALSE(QFile::exists(file));

    xyhCoord s = c.GetStartCor();
    s.h += 0.00005;
    c.SetStartCor(s);
    EXPECT_EQ(c.IsGraphParChanged(), 0);

    GraphParameter p = c.GetGraphPar();
    p.BackGround = 0x123456;
    p.ClientRect = CRect(0, 0, 5, 5);
    c.SetGraphPar(p); // saves by itself
    ASSERT_TRUE(QFile::exists(file));
    QFile::remove(file);
    EXPECT_EQ(c.IsGraphParChanged(), 1);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(c.IsGraphParChanged(), 0);

    c.SetClientRect(CRect(0, 0, 9, 9)); // the client rectangle is not compared
    EXPECT_EQ(c.IsGraphParChanged(), 0);
}

TEST(MapConvert, ViewFileRoundTripsAndHasTheExpectedShape)
{
    QTemporaryDir dir;
    CMapConvert c;
    c.SetConfigPath(dir.path());
    GraphParameter p;
    p.StartCor = {3456789.123456, 512345.98761, 12.5};
    p.Scale = 0.123456789;
    p.BackGround = 0xFF00FF80; // above 0x7FFFFFFF: written as a negative number
    c.SetGraphPar(p);

    QFile f(dir.filePath("MapConvert.cfg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD"));
    EXPECT_TRUE(text.contains("<Ver>1.0.1.1</Ver>"));
    EXPECT_TRUE(text.contains("<Coorx>3456789.1235</Coorx>"));
    EXPECT_TRUE(text.contains("<Scale>0.12345679</Scale>"));
    EXPECT_TRUE(text.contains("<BackGround>-16711808</BackGround>"));
    EXPECT_LT(text.indexOf("<StartCor>"), text.indexOf("<Scale>"));

    CMapConvert back;
    back.SetConfigPath(dir.path());
    EXPECT_NEAR(back.GetStartCor().x, 3456789.1235, 1e-9);
    EXPECT_NEAR(back.GetStartCor().y, 512345.9876, 1e-9);
    EXPECT_NEAR(back.GetStartCor().h, 12.5, 1e-9);
    EXPECT_NEAR(back.GetScale(), 0.12345679, 1e-15);
    EXPECT_EQ(back.GetBackGroundColor(), 0xFF00FF80ul);
}

TEST(MapConvert, ViewFileToleratesMissingMalformedAndHostileContent)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("MapConvert.cfg");
    CMapConvert c;
    c.SetConfigPath(dir.path()); // missing
    EXPECT_EQ(c.ConfigRead(), 0);
    EXPECT_EQ(c.GetScale(), 1.0);
    EXPECT_EQ(c.GetBackGroundColor(), 0xFFFFFFul);

    ASSERT_TRUE(WriteBytes(file, "this is not xml"));
    EXPECT_EQ(c.ConfigRead(), 0);
    ASSERT_TRUE(WriteBytes(file, "<HEAD><Other/></HEAD>"));
    EXPECT_EQ(c.ConfigRead(), 0);
    EXPECT_EQ(c.GetScale(), 1.0);

    // Start coordinate beyond 1e11: both parts reset, the read still succeeds.
    ASSERT_TRUE(WriteBytes(file, "<HEAD><MapConfig><StartCor><Coorx>5e11</Coorx><Coory>7</Coory></StartCor>"
                    "<Scale>2</Scale></MapConfig></HEAD>"));
    EXPECT_EQ(c.ConfigRead(), 1);
    EXPECT_EQ(c.GetStartCor().x, 0.0);
    EXPECT_EQ(c.GetStartCor().y, 0.0);
    EXPECT_EQ(c.GetScale(), 2.0);

    // Scale 0 is loaded as it is, and every conversion then yields 0, 0.
    ASSERT_TRUE(WriteBytes(file, "<HEAD><MapConfig><Scale>0</Scale><BackGround>255</BackGround></MapConfig></HEAD>"));
    EXPECT_EQ(c.ConfigRead(), 1);
    EXPECT_EQ(c.GetScale(), 0.0);
    EXPECT_EQ(c.GetBackGroundColor(), 255ul);
    long cx = 5, cy = 5;
    c.SetClientRect(CRect(0, 0, 100, 100));
    c.WorldToClient(10, 10, cx, cy);
    EXPECT_EQ(cx, 0);
    EXPECT_EQ(cy, 0);
    EXPECT_EQ(c.GetScreenLength(100), 0);

    // Non-numbers that would poison the conversion are ignored like missing values.
    c.SetScale(3);
    ASSERT_TRUE(WriteBytes(file, "<HEAD><MapConfig><StartCor><Coorx>nan</Coorx></StartCor><Scale>inf</Scale></MapConfig></HEAD>"));
    EXPECT_EQ(c.ConfigRead(), 1);
    EXPECT_EQ(c.GetScale(), 3.0);
    EXPECT_TRUE(std::isfinite(c.GetStartCor().x));

    // Elements are searched forward: a Scale before StartCor is not seen after StartCor is found.
    ASSERT_TRUE(WriteBytes(file, "<HEAD><MapConfig><Scale>9</Scale><StartCor><Coorx>1</Coorx></StartCor></MapConfig></HEAD>"));
    EXPECT_EQ(c.ConfigRead(), 1);
    EXPECT_EQ(c.GetStartCor().x, 1.0);
    EXPECT_EQ(c.GetScale(), 3.0);
}

TEST(MapConvert, WithoutAFolderNothingIsWritten)
{
    QTemporaryDir dir;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    CMapConvert c;
    c.SetBackGroundColor(0);
    EXPECT_EQ(c.ConfigSave(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("MapConvert.cfg")));
    QDir::setCurrent(cwd);
}

TEST(MapConvert, DrawingThreadSeesTheFrameParameters)
{
    CMapConvert c = Example();
    GraphParameter frame = c.GetGraphPar();
    frame.Scale = 2.0;
    long onThread = 0;
    std::thread t([&] {
        CMapConvert::FrameScope scope(&c, &frame);
        long cy;
        c.WorldToClient(1000, 2010, onThread, cy);
    });
    t.join();
    EXPECT_EQ(onThread, 5); // 10 / 2.0
    long here, cy;
    c.WorldToClient(1000, 2010, here, cy);
    EXPECT_EQ(here, 20); // 10 / 0.5: the owner thread is unaffected
}
