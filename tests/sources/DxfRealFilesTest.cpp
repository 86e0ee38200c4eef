// Drawings written by other programs: DXF libraries' samples (R12 and 2018) and GDAL's DXF
// writer.

#include "DxfTestUtil.h"
#include "SourcesTestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace dxftest;

namespace
{
const QString kShared = QStringLiteral(TESVANE_SOURCE_DIR "/../shared/data/dxf/");

struct Summary
{
    int opened = 0;
    long long points = 0, lines = 0, planes = 0, texts = 0, circles = 0, vertices = 0;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
};

Summary OpenFile(CMap_DXF& dxf, const QString& path)
{
    MapConfigItem item = dxf.GetMapItem();
    item.FullPathName = path;
    dxf.SetMapItem(item);
    Summary s;
    s.opened = dxf.Open();
    dxf.GetRange(s.minX, s.maxX, s.minY, s.maxY);
    for (const auto& layer : dxf.GetLayers())
    {
        s.points += (long long)layer->Points().size();
        s.lines += (long long)layer->Lines().size();
        s.planes += (long long)layer->Planes().size();
        s.texts += (long long)layer->Texts().size();
        s.circles += (long long)layer->Ellipses().size();
        for (const auto& l : layer->Lines()) s.vertices += l.GetPointNum();
    }
    return s;
}

#define SKIP_WITHOUT_SHARED()                                                                                    \
    if (!QDir(kShared).exists()) GTEST_SKIP() << "no shared test data"
} // namespace

TEST(DxfRealFiles, R12LinesAndATextBlock)
{
    SKIP_WITHOUT_SHARED();
    CMap_DXF dxf;
    const Summary s = OpenFile(dxf, kShared + "ezdxf_ASCII_R12.dxf");
    ASSERT_EQ(s.opened, 1);
    EXPECT_EQ(s.lines, 2);
    ASSERT_EQ(s.texts, 1); // the block *U1's TEXT, through the INSERT
    // Code page 1252 text with \U+ escapes for the Greek letters.
    const QString text = dxf.GetLayers()[0]->Texts()[0].GetText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("ABC"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("αβγ"))) << text.toStdString();
    EXPECT_NEAR(s.minY, 9.9692, 1e-4);
    EXPECT_NEAR(s.maxY, 17.4286, 1e-4);
}

TEST(DxfRealFiles, R12OldStylePolylinesWithBulges)
{
    SKIP_WITHOUT_SHARED();
    CMap_DXF dxf;
    const Summary s = OpenFile(dxf, kShared + "ezdxf_POLI-ALL210_12_R12.dxf");
    ASSERT_EQ(s.opened, 1);
    EXPECT_EQ(s.lines, 30);
    // 37 bulged vertices sample into far more points than the polylines' own vertices.
    EXPECT_GT(s.vertices, 1000);
    EXPECT_EQ(dxf.GetDroppedEntities(), 0);
    for (const auto& layer : dxf.GetLayers())
        for (const auto& l : layer->Lines())
            for (const CVector& p : l.Points())
            {
                // Everything lies within the header's extent (give or take the arcs' sampling).
                EXPECT_GE(p.x, s.minX - 0.5);
                EXPECT_LE(p.x, s.maxX + 0.5);
            }
}

TEST(DxfRealFiles, Dxf2018SampleWithEveryEntityKind)
{
    SKIP_WITHOUT_SHARED();
    CMap_DXF dxf;
    const Summary s = OpenFile(dxf, kShared + "netdxf_sample_AC1032.dxf");
    ASSERT_EQ(s.opened, 1);
    EXPECT_GE(dxf.GetColourCount(), 5);
    EXPECT_GE(s.planes, 3);  // solids, arrowheads and the solid hatches
    EXPECT_GE(s.texts, 12);  // MTEXT, TEXT, attributes and dimension texts from their blocks
    EXPECT_GE(s.circles, 4);
    EXPECT_GE(s.lines, 50);
    EXPECT_EQ(dxf.GetSkippedInserts(), 0);
    EXPECT_EQ(dxf.GetDroppedEntities(), 0);
    QStringList texts;
    for (const auto& layer : dxf.GetLayers())
        for (const auto& t : layer->Texts())
        {
            EXPECT_FALSE(t.GetText().contains(QLatin1Char('\\'))) << t.GetText().toStdString();
            texts << t.GetText();
        }
    // Radial, diametric and angular dimensions through their blocks; a stacked fraction.
    EXPECT_TRUE(texts.contains(QStringLiteral("R20")));
    EXPECT_TRUE(texts.contains(QStringLiteral("∅80")));
    EXPECT_TRUE(texts.contains(QStringLiteral("94°")));
    EXPECT_TRUE(texts.contains(QStringLiteral("7'-03/4\"")));
}

TEST(DxfRealFiles, Dxf2018UncommonEntitiesDoNotStopTheRest)
{
    SKIP_WITHOUT_SHARED();
    CMap_DXF dxf;
    const Summary s = OpenFile(dxf, kShared + "ezdxf_uncommon_AC1032.dxf");
    ASSERT_EQ(s.opened, 1);
    EXPECT_GT(s.lines + s.planes + s.texts, 100);
    EXPECT_NEAR(s.maxY, 138.0681, 1e-4);
    // Drawing the whole file at its extent puts ink on the picture.
    CMapConvert convert;
    sourcestest::SetView(convert, s.minX, s.minY, (s.maxY - s.minY) / 190.0);
    dxf.SetConvert(&convert);
    QImage img = sourcestest::WhiteImage();
    QPainter p(&img);
    dxf.Draw(&p);
    p.end();
    EXPECT_GT(sourcestest::CountInk(img, img.rect()), 500);
}

TEST(DxfRealFiles, DrawingsWrittenByGdal)
{
    const QString ogr2ogr = QStandardPaths::findExecutable(QStringLiteral("ogr2ogr"));
    if (ogr2ogr.isEmpty()) GTEST_SKIP() << "ogr2ogr not installed";
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("site.csv"));
    Write(in, "id,WKT\n"
              "1,\"POLYGON ((500000 3400000,500100 3400000,500100 3400050,500000 3400050,500000 3400000))\"\n"
              "2,\"LINESTRING (500000 3400000,500200 3400100,500300 3400100)\"\n"
              "3,\"POINT (500150 3400020)\"\n"
              "4,\"MULTILINESTRING ((500010 3400010,500020 3400020),(500030 3400030,500040 3400040))\"\n");
    const QString out = dir.filePath(QStringLiteral("site.dxf"));
    QProcess p;
    p.start(ogr2ogr, {QStringLiteral("-f"), QStringLiteral("DXF"), out, in, QStringLiteral("-oo"),
                      QStringLiteral("GEOM_POSSIBLE_NAMES=WKT")});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    CMap_DXF dxf;
    const Summary s = OpenFile(dxf, out);
    ASSERT_EQ(s.opened, 1);
    // GDAL writes the data's extent into the header: northing first on the map.
    EXPECT_NEAR(s.minX, 3400000, 1e-6);
    EXPECT_NEAR(s.maxX, 3400100, 1e-6);
    EXPECT_NEAR(s.minY, 500000, 1e-6);
    EXPECT_NEAR(s.maxY, 500300, 1e-6);
    // GDAL writes the polygon as a solid HATCH, the lines as LWPOLYLINEs (the multiline in two).
    EXPECT_EQ(s.lines, 3);
    EXPECT_EQ(s.points, 1);
    ASSERT_EQ(s.planes, 1);
    const auto& plane = dxf.GetLayers()[0]->Planes()[0];
    EXPECT_GE(plane.GetPointNum(), 4);
    for (const CVector& p : plane.Points())
    {
        EXPECT_TRUE(p.x == 3400000 || p.x == 3400050);
        EXPECT_TRUE(p.y == 500000 || p.y == 500100);
    }
}
