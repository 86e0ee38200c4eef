#include "DxfTestUtil.h"

#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/CMapLayer_DXF.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>

using namespace dxftest;

namespace
{
struct Fixture : ::testing::Test
{
    QTemporaryDir dir;
    CMap_DXF dxf;
    QString Path(const char* name = "d.dxf") const { return dir.filePath(QString::fromLatin1(name)); }
    int Open(const QByteArray& bytes) { return OpenBytes(dxf, Path(), bytes); }
};

double MinOf(const std::vector<CVector>& pts, bool x)
{
    double m = 1e300;
    for (const CVector& p : pts) m = std::min(m, x ? p.x : p.y);
    return m;
}
} // namespace

using DxfSource = Fixture;

TEST_F(DxfSource, MapsDxfXToEastingAndKeepsTheHeaderExtent)
{
    ASSERT_EQ(Open(Drawing(G({{0, "POINT"}, {8, "0"}, {10, "500"}, {20, "300"}}), {}, {}, Header(10, 20, 600, 400))),
              1);
    ASSERT_EQ(dxf.GetLayers().size(), 1u);
    const CVector p = dxf.GetLayers()[0]->Points().at(0).GetPoint();
    EXPECT_EQ(p.x, 300.0); // northing = DXF Y
    EXPECT_EQ(p.y, 500.0);
    double minX, maxX, minY, maxY;
    dxf.GetRange(minX, maxX, minY, maxY);
    EXPECT_EQ(minX, 20.0);
    EXPECT_EQ(maxX, 400.0);
    EXPECT_EQ(minY, 10.0);
    EXPECT_EQ(maxY, 600.0);
}

TEST_F(DxfSource, AHeaderWithoutBothCornersIsNotLoaded)
{
    const QByteArray noMax = Section("HEADER", G({{9, "$EXTMIN"}, {10, "0"}, {20, "0"}}));
    EXPECT_EQ(Open(Drawing(Line(0, 0, 1, 1), {}, {}, noMax)), 0);
    CMapLayer_DXF layer;
    MapConfigItem item = layer.GetMapItem();
    EXPECT_EQ(item.Format, 3);
    item.FullPathName = Path();
    layer.SetMapItem(item);
    EXPECT_EQ(layer.Open(), 0);
    EXPECT_EQ(layer.IsLoad(), 0);
    EXPECT_EQ(layer.ItemCount(), 0);
    // Not a drawing at all, and a missing file.
    EXPECT_EQ(Open("hello\nworld\n"), 0);
    item.FullPathName = Path("missing.dxf");
    layer.SetMapItem(item);
    EXPECT_EQ(layer.Open(), 0);
}

TEST_F(DxfSource, AnEmptyDrawingsInvertedHeaderFallsBackToWhatWasRead)
{
    ASSERT_EQ(Open(Drawing(Line(1, 2, 3, 4), {}, {}, Header(1e20, 1e20, -1e20, -1e20))), 1);
    double minX, maxX, minY, maxY;
    dxf.GetRange(minX, maxX, minY, maxY);
    EXPECT_EQ(minX, 2.0);
    EXPECT_EQ(maxX, 4.0);
    EXPECT_EQ(minY, 1.0);
    EXPECT_EQ(maxY, 3.0);
}

TEST_F(DxfSource, ArcsAreDroppedWhenEmptyAndDrawnThroughZeroDegrees)
{
    const auto arc = [](double a1, double a2) {
        return G({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "10"}, {50, QByteArray::number(a1)},
                  {51, QByteArray::number(a2)}});
    };
    ASSERT_EQ(Open(Drawing(arc(30, 30) + arc(350, 10))), 1);
    const auto lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 1u);
    const auto& pts = lines[0];
    // 20 degrees in steps of at most 0.02 rad.
    EXPECT_GE(pts.size(), 18u);
    EXPECT_NEAR(pts.front().y, 10 * std::cos(350 / 57.29577951308232), 1e-9);
    EXPECT_NEAR(pts.back().x, 10 * std::sin(10 / 57.29577951308232), 1e-9);
    for (const CVector& p : pts) EXPECT_GT(p.y, 9.8); // east of the centre all the way: through 0°
}

TEST_F(DxfSource, ClosedPolylinesRepeatTheirFirstVertexAndBulgesBecomeArcs)
{
    const QByteArray triangle = LwPolyline({{{0, 0, 0}}, {{10, 0, 0}}, {{0, 10, 0}}}, true);
    ASSERT_EQ(Open(Drawing(triangle)), 1);
    auto lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].size(), 4u);
    EXPECT_EQ(lines[0].front(), lines[0].back());

    // A half circle from (0,0) to (10,0) turning counter-clockwise passes (5,-5); the old-style
    // POLYLINE with VERTEX entities bulges the same way.
    const QByteArray old = G({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "0"}, {0, "VERTEX"}, {8, "0"}, {10, "20"},
                              {20, "0"}, {42, "1"}, {0, "VERTEX"}, {8, "0"}, {10, "30"}, {20, "0"}, {0, "SEQEND"}});
    ASSERT_EQ(Open(Drawing(LwPolyline({{{0, 0, 1}}, {{10, 0, 0}}}) + old)), 1);
    lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& l : lines)
    {
        EXPECT_GT(l.size(), 100u);
        EXPECT_NEAR(MinOf(l, true), -5.0, 1e-3); // lowest northing: the arc's bottom
    }
    EXPECT_NEAR(lines[0].back().y, 10.0, 1e-12);
    EXPECT_NEAR(lines[1].back().y, 30.0, 1e-12);
}

TEST_F(DxfSource, ColoursByBlockAndByLayerResolve)
{
    ASSERT_EQ(Open(Drawing(Line(0, 0, 1, 1, 0) + Line(0, 0, 2, 2, 256, "RED") + Line(0, 0, 3, 3, 256, "NOWHERE"), {},
                           Layer("RED", 1))),
              1);
    ASSERT_NE(LayerOf(dxf, 7), nullptr);
    ASSERT_NE(LayerOf(dxf, 1), nullptr);
    // By layer on a layer the table does not list is the default colour too.
    EXPECT_EQ(LayerOf(dxf, 7)->Lines().size(), 2u);
    EXPECT_EQ(LayerOf(dxf, 1)->Lines().size(), 1u);
    EXPECT_EQ(dxf.GetColourCount(), 2);
    EXPECT_EQ(CMap_DXFLayer::ColourOf(1), 0x0000FFul);
    EXPECT_EQ(CMap_DXFLayer::ColourOf(256), CMap_DXFLayer::ColourOf(7));
}

TEST_F(DxfSource, BlocksAreInsertedAtTheirRotationAndNotDrawnThemselves)
{
    const QByteArray blocks = Block("TICK", Line(5, 5, 6, 5) + G({{0, "CIRCLE"}, {8, "0"}, {10, "5"}, {20, "5"}, {40, "2"}}), 5, 5);
    ASSERT_EQ(Open(Drawing(Insert("TICK", 100, 100, 0, 3) + Insert("tick", 200, 100, 90, 3), blocks)), 1);
    const CMap_DXFLayer* green = LayerOf(dxf, 3);
    ASSERT_NE(green, nullptr);
    ASSERT_EQ(green->Lines().size(), 2u);
    ASSERT_EQ(green->Ellipses().size(), 2u);
    EXPECT_EQ(dxf.GetPrimitiveCount(), 4);
    // Base point (5,5) lands on the insertion point; the tick points east, then north.
    const auto& a = green->Lines()[0].Points();
    const auto& b = green->Lines()[1].Points();
    EXPECT_NEAR(a[1].y, 101.0, 1e-12);
    EXPECT_NEAR(a[1].x, 100.0, 1e-12);
    EXPECT_NEAR(b[1].y, 200.0, 1e-12);
    EXPECT_NEAR(b[1].x, 101.0, 1e-12);
    EXPECT_NEAR(green->Ellipses()[1].GetCenter().y, 200.0, 1e-12);
    EXPECT_DOUBLE_EQ(green->Ellipses()[1].GetRadiusX(), 2.0);
}

TEST_F(DxfSource, NestedBlocksFlattenEvenWhenDefinedLaterAndTakeTheInsertsColour)
{
    // OUTER (defined first) uses INNER (defined later); INNER's line is by block.
    const QByteArray blocks = Block("OUTER", Insert("INNER", 10, 0, 0, 0) + Line(0, 0, 0, 1, 5)) +
                              Block("INNER", Line(0, 0, 1, 0, 0));
    ASSERT_EQ(Open(Drawing(Insert("OUTER", 100, 0, 0, 2), blocks)), 1);
    ASSERT_NE(LayerOf(dxf, 2), nullptr);
    ASSERT_NE(LayerOf(dxf, 5), nullptr);
    const auto& inner = LayerOf(dxf, 2)->Lines().at(0).Points();
    EXPECT_NEAR(inner[0].y, 110.0, 1e-12);
    EXPECT_NEAR(inner[1].y, 111.0, 1e-12);
    EXPECT_EQ(dxf.GetSkippedInserts(), 0);
}

TEST_F(DxfSource, BlocksThatInsertThemselvesAreCutOff)
{
    const QByteArray self = Block("A", Line(0, 0, 1, 0) + Insert("A", 1, 0));
    const QByteArray mutual = Block("B", Line(0, 0, 0, 1) + Insert("C", 0, 1)) + Block("C", Insert("B", 0, 1));
    ASSERT_EQ(Open(Drawing(Insert("A", 0, 0) + Insert("B", 50, 50) + Line(9, 9, 8, 8), self + mutual)), 1);
    // A: its line once; B: its line, then C, then B again (skipped); the plain line.
    EXPECT_EQ(AllLines(dxf).size(), 3u);
    EXPECT_EQ(dxf.GetSkippedInserts(), 2);
}

TEST_F(DxfSource, BlocksMultiplyingIntoBillionsStopAtTheBudget)
{
    // Ten levels, each inserting the next ten times: 10^10 lines if expanded.
    QByteArray blocks = Block("L9", Line(0, 0, 1, 1));
    for (int level = 8; level >= 0; --level)
    {
        QByteArray body;
        for (int i = 0; i < 10; ++i) body += Insert("L" + QByteArray::number(level + 1), i, 0);
        blocks += Block("L" + QByteArray::number(level), body);
    }
    dxf.SetExpansionLimit(50000);
    ASSERT_EQ(Open(Drawing(Insert("L0", 0, 0) + Line(5, 5, 6, 6), blocks)), 1);
    EXPECT_LE(dxf.GetPrimitiveCount(), 50001);
    EXPECT_GE(dxf.GetPrimitiveCount(), 40000);
    EXPECT_GT(dxf.GetSkippedInserts(), 0);
}

TEST_F(DxfSource, AbsurdParametersAreBoundedAndTheRestLoads)
{
    const QByteArray bad =
        G({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "1e300"}, {50, "0"}, {51, "90"}}) +
        G({{0, "CIRCLE"}, {8, "0"}, {10, "nan"}, {20, "0"}, {40, "1"}}) +
        G({{0, "ELLIPSE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "5"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "1e18"}}) +
        LwPolyline({{{0, 0, 1e308}}, {{1, 0, 0}}, {{2, 0, -1e308}}, {{3, 0, 0}}}) +
        G({{0, "SPLINE"}, {8, "0"}, {71, "1000"}, {72, "0"}, {73, "3"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
           {10, "2"}, {20, "0"}}) +
        G({{0, "SPLINE"}, {8, "0"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "nan"}, {40, "0"}, {40, "0"}, {40, "0"},
           {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}, {10, "2"}, {20, "1"},
           {10, "3"}, {20, "0"}});
    ASSERT_EQ(Open(Drawing(bad + Line(7, 7, 8, 8))), 1);
    size_t points = 0;
    for (const auto& l : AllLines(dxf))
    {
        points += l.size();
        for (const CVector& p : l) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    EXPECT_LT(points, 10000u);
    EXPECT_GE(dxf.GetDroppedEntities(), 1); // the huge arc
    EXPECT_EQ(AllLines(dxf).back().back().y, 8.0);
}

TEST_F(DxfSource, DeclaredCountsBeyondTheFileDoNotReachDxflib)
{
    // dxflib would allocate billions of knots and points up front, or fail on a negative count.
    const QByteArray spline = G({{0, "SPLINE"}, {8, "0"}, {71, "3"}, {72, "-5"}, {73, "2000000000"}, {74, "999999999"},
                                 {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}});
    const QByteArray lw = G({{0, "LWPOLYLINE"}, {8, "0"}, {90, "1500000000"}, {70, "0"}, {10, "0"}, {20, "0"},
                             {10, "5"}, {20, "5"}});
    const QByteArray leader = G({{0, "LEADER"}, {8, "0"}, {76, "2000000000"}, {10, "0"}, {20, "0"}, {10, "3"}, {20, "0"}});
    ASSERT_EQ(Open(Drawing(spline + lw + leader + Line(7, 7, 8, 8))), 1);
    const auto lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].size(), 2u); // the LWPOLYLINE's two real vertices
    EXPECT_EQ(lines[3].back().y, 8.0);

    // NUL bytes after the type end it for dxflib, so the entity is a SPLINE and clamped as one.
    const QByteArray nulType = G({{0, QByteArray("SPLINE\r\0\0\0", 10)}, {8, "0"}, {71, "1"}, {73, "2147483647"},
                                  {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}});
    ASSERT_EQ(Open(Drawing(nulType + Line(7, 7, 8, 8))), 1);
    EXPECT_EQ(AllLines(dxf).back().back().y, 8.0);
}

TEST_F(DxfSource, SplinesFollowTheirControlPointsOrTheirFitPoints)
{
    // A clamped cubic over four control points is a Bézier curve: at its middle (p0+3p1+3p2+p3)/8.
    const QByteArray bezier = G({{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "3"}, {72, "8"}, {73, "4"}, {40, "0"},
                                 {40, "0"}, {40, "0"}, {40, "0"}, {40, "1"}, {40, "1"}, {40, "1"}, {40, "1"}, {10, "0"},
                                 {20, "0"}, {10, "0"}, {20, "8"}, {10, "8"}, {20, "8"}, {10, "8"}, {20, "0"}});
    const QByteArray fit = G({{0, "SPLINE"}, {8, "0"}, {71, "3"}, {74, "3"}, {11, "20"}, {21, "0"}, {11, "25"},
                              {21, "5"}, {11, "30"}, {21, "0"}});
    ASSERT_EQ(Open(Drawing(bezier + fit)), 1);
    const auto lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 2u);
    double best = 1e9;
    for (const CVector& p : lines[0]) best = std::min(best, std::hypot(p.y - 4.0, p.x - 6.0));
    EXPECT_LT(best, 0.05);
    EXPECT_NEAR(lines[0].back().y, 8.0, 1e-12);
    ASSERT_EQ(lines[1].size(), 3u);
    EXPECT_EQ(lines[1][1].x, 5.0);
}

TEST_F(DxfSource, HatchesFillTheirLoopsWithIslandsAsHoles)
{
    const auto polyLoop = [](double a, double b) {
        return G({{92, "2"}, {72, "0"}, {73, "1"}, {93, "4"}, {10, QByteArray::number(a)}, {20, QByteArray::number(a)},
                  {10, QByteArray::number(b)}, {20, QByteArray::number(a)}, {10, QByteArray::number(b)},
                  {20, QByteArray::number(b)}, {10, QByteArray::number(a)}, {20, QByteArray::number(b)}, {97, "0"}});
    };
    const QByteArray hatch = G({{0, "HATCH"}, {8, "0"}, {62, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"},
                                {70, "1"}, {71, "0"}, {91, "2"}}) +
                             polyLoop(0, 10) + polyLoop(3, 7) + G({{75, "0"}, {76, "1"}, {98, "0"}});
    ASSERT_EQ(Open(Drawing(hatch)), 1);
    const CMap_DXFLayer* red = LayerOf(dxf, 1);
    ASSERT_NE(red, nullptr);
    ASSERT_EQ(red->Planes().size(), 1u);
    EXPECT_EQ(red->Planes()[0].RingStarts().size(), 1u);
    EXPECT_GE(red->Planes()[0].GetPointNum(), 8);
}

TEST_F(DxfSource, TextsKeepTheirAlignmentAndMultiLineTextLosesItsFormatting)
{
    const QByteArray text = G({{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "2"}, {40, "3"}, {1, "%%c50"}, {50, "30"},
                               {72, "1"}, {11, "4"}, {21, "5"}, {73, "2"}});
    const QByteArray mtext = G({{0, "MTEXT"}, {8, "0"}, {10, "7"}, {20, "8"}, {40, "2"}, {71, "9"},
                                {3, "{\\fArial|b0;first}\\Psec"}, {1, "ond \\S1^2;"}});
    ASSERT_EQ(Open(Drawing(text + mtext)), 1);
    const auto& texts = dxf.GetLayers().at(0)->Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].GetText(), QStringLiteral("Ø50"));
    EXPECT_EQ(texts[0].GetPos().x, 5.0); // the alignment point, not the insertion point
    EXPECT_NEAR(texts[0].GetAngle(), 30.0, 1e-9);
    EXPECT_EQ(texts[0].GetVertical(), 6);
    EXPECT_EQ(texts[0].GetHorizontal(), 6);
    EXPECT_EQ(texts[1].GetText(), QStringLiteral("first\nsecond 1/2"));
    EXPECT_EQ(texts[1].GetVertical(), 8);
    EXPECT_EQ(texts[1].GetHorizontal(), 2);
}

TEST_F(DxfSource, OldDrawingsInTheChineseCodePageDecode)
{
    const QByteArray header = Section("HEADER", G({{9, "$ACADVER"}, {1, "AC1009"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_936"},
                                                   {9, "$EXTMIN"}, {10, "0"}, {20, "0"}, {9, "$EXTMAX"}, {10, "9"},
                                                   {20, "9"}}));
    ASSERT_EQ(Open(Drawing(G({{0, "TEXT"}, {8, "0"}, {10, "1"}, {20, "1"}, {40, "1"}, {1, ToAnsi(QStringLiteral("桥梁"))}}), {},
                           {}, header)),
              1);
    EXPECT_EQ(dxf.GetLayers().at(0)->Texts().at(0).GetText(), QStringLiteral("桥梁"));
}

TEST_F(DxfSource, XLinesSpanTheDrawingAndDimensionsWithoutBlocksDrawTheirMeasure)
{
    const QByteArray xline = G({{0, "XLINE"}, {8, "0"}, {10, "50"}, {20, "50"}, {11, "1"}, {21, "0"}});
    const QByteArray radial = G({{0, "DIMENSION"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "2"}, {21, "2"}, {70, "4"},
                                 {1, "R<>"}, {15, "3"}, {25, "4"}});
    ASSERT_EQ(Open(Drawing(xline + radial)), 1);
    const auto lines = AllLines(dxf);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NEAR(lines[0].front().y, 50 - std::hypot(100, 100), 1e-9);
    EXPECT_NEAR(lines[0].back().y, 50 + std::hypot(100, 100), 1e-9);
    const auto& texts = dxf.GetLayers().at(0)->Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].GetText(), QStringLiteral("R5.00"));
}

namespace
{
struct Recorder : IProgressListener
{
    QString caption;
    int resets = 0;
    std::vector<int> percents;
    void SetCaption(const QString& c) override { caption = c; }
    void Reset() override { ++resets; }
    void SetPercent(int p) override { percents.push_back(p); }
};

QByteArray ManyLines(int n)
{
    QByteArray body;
    body.reserve(n * 60);
    for (int i = 0; i < n; ++i) body += Line(i, 0, i, 1, 1 + i % 200);
    return Drawing(body, {}, {}, Header(0, 0, n, 1));
}
} // namespace

TEST_F(DxfSource, ReportsProgressAndStopsFromAnotherThread)
{
    Recorder progress;
    dxf.SetProgressHWND(&progress);
    ASSERT_EQ(Open(ManyLines(20000)), 1);
    EXPECT_EQ(progress.caption, Path());
    EXPECT_EQ(progress.resets, 1);
    ASSERT_GE(progress.percents.size(), 10u);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_EQ(dxf.GetPrimitiveCount(), 20000);
    EXPECT_EQ(dxf.GetColourCount(), 200);
    EXPECT_EQ(dxf.GetLength(), dxf.GetLoadPos());

    // Stopped once it is under way, the import ends early and keeps what it read.
    dxf.SetProgressHWND(nullptr);
    dxf.Release();
    Write(Path(), ManyLines(400000));
    ASSERT_EQ(dxf.ReadHeaderExtent(), 1);
    std::thread stopper([&] {
        while (dxf.GetLoadPos() == 0) std::this_thread::yield();
        dxf.StopLoading();
    });
    EXPECT_EQ(dxf.Import(), 1);
    stopper.join();
    EXPECT_GT(dxf.GetPrimitiveCount(), 0);
    EXPECT_LT(dxf.GetPrimitiveCount(), 400000);
}

namespace
{
// Everything a drawing holds, written out exactly, for comparing two imports.
std::string Snapshot(const CMap_DXF& dxf)
{
    std::string out;
    const auto num = [&](double v) { out += QByteArray::number(v, 'g', 17).toStdString() + ' '; };
    for (const auto& layer : dxf.GetLayers())
    {
        out += "colour " + std::to_string(layer->GetLayerName()) + '\n';
        for (const auto& l : layer->Lines())
        {
            out += "line ";
            for (const CVector& p : l) num(p.x), num(p.y);
            out += '\n';
        }
        for (const auto& p : layer->Planes())
        {
            out += "plane ";
            for (const CVector& v : p.Points()) num(v.x), num(v.y);
            out += '\n';
        }
        for (const auto& e : layer->Ellipses())
            out += "circle ", num(e.GetCenter().x), num(e.GetCenter().y), num(e.GetRadiusX()), out += '\n';
        for (const auto& t : layer->Texts())
            out += "text " + t.GetText().toStdString() + ' ', num(t.GetPos().x), num(t.GetPos().y), num(t.GetAngle()), out += '\n';
        for (const auto& p : layer->Points()) out += "point ", num(p.GetPoint().x), num(p.GetPoint().y), out += '\n';
    }
    return out;
}

// The drawing imported with the common entities read directly and with dxflib reading all.
std::pair<std::string, std::string> BothWays(const QString& path)
{
    std::string snapshots[2];
    for (int direct = 0; direct < 2; ++direct)
    {
        CMap_DXF dxf;
        dxf.SetDirectReading(direct == 1);
        MapConfigItem item = dxf.GetMapItem();
        item.FullPathName = path;
        dxf.SetMapItem(item);
        const int opened = dxf.Open();
        snapshots[direct] = std::to_string(opened) + '\n' + Snapshot(dxf);
    }
    return {snapshots[0], snapshots[1]};
}
} // namespace

TEST_F(DxfSource, EntitiesReadDirectlyComeOutAsDxflibMakesThem)
{
    // Colours by layer, by block and given; a mirrored extrusion (and a tilted one with an
    // elevation); numbers written with commas, signs, exponents and not at all; an LWPOLYLINE
    // with more vertices than it declares; an old-style POLYLINE ended by the LINE after it.
    const QByteArray mirrored = G({{210, "0"}, {220, "0"}, {230, "-1"}});
    const QByteArray entities =
        Line(1, 2, 30, 40, 256, "Walls") + Line(-5, 0, 5, 0, 3) +
        G({{0, "LINE"}, {8, "Walls"}, {10, "1,5"}, {20, "+2e1"}, {30, "7"}, {11, "abc"}, {21, "-3.25E+00x"}}) +
        G({{0, "ARC"}, {8, "0"}, {62, "5"}, {10, "10"}, {20, "20"}, {40, "7.5"}, {50, "300"}, {51, "45"}}) + mirrored +
        G({{0, "CIRCLE"}, {8, "Walls"}, {10, "50"}, {20, "60"}, {30, "2"}, {40, "4"}}) + mirrored +
        G({{0, "CIRCLE"}, {8, "0"}, {62, "0"}, {10, "1"}, {20, "1"}, {40, "1e400"}}) +
        LwPolyline({{{0, 0, 0.5}}, {{10, 0, -1}}, {{10, 10, 0}}, {{0, 10, 0.25}}}, true, 4) +
        G({{0, "LWPOLYLINE"}, {8, "Walls"}, {90, "2"}, {70, "0"}, {38, "12"}, {10, "1"}, {20, "1"}, {42, "0.3"},
           {10, "9"}, {20, "2"}, {10, "20"}, {20, "20"}, {210, "0.6"}, {220, "0"}, {230, "0.8"}}) +
        G({{0, "ARC"}, {8, "0"}, {10, "3"}, {20, "4"}, {30, "5"}, {40, "2"}, {50, "10"}, {51, "200"}, {210, "0"},
           {220, "0.28"}, {230, "0.96"}}) +
        G({{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "0"}, {0, "VERTEX"}, {8, "0"}, {10, "20"}, {20, "0"}, {42, "1"},
           {0, "VERTEX"}, {8, "0"}, {10, "30"}, {20, "0"}}) +
        Line(0, 0, 1, 1, 6) + G({{0, "TEXT"}, {8, "0"}, {10, "3"}, {20, "4"}, {40, "2"}, {1, "K1"}}) +
        Line(2, 2, 3, 3) + Insert("B", 100, 100, 30, 2) + Insert("B", -100, 0, 0, 256);
    const QByteArray blocks = Block("B", Line(0, 0, 10, 0, 0) + Line(0, 0, 0, 10, 256, "Walls") +
                                             G({{0, "ARC"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "3"}, {50, "0"}, {51, "90"}}) +
                                             LwPolyline({{{0, 0, 1}}, {{4, 0, 0}}}));
    ASSERT_TRUE(Write(Path(), Drawing(entities, blocks, Layer("Walls", 1))));
    const auto [byDxflib, direct] = BothWays(Path());
    EXPECT_EQ(direct, byDxflib);
    EXPECT_GT(std::count(direct.begin(), direct.end(), '\n'), 15);
}

TEST(DxfRealFilesBothWays, EntitiesReadDirectlyComeOutAsDxflibMakesThem)
{
    const QDir shared(QStringLiteral(TESVANE_SOURCE_DIR "/../shared/data/dxf"));
    if (!shared.exists()) GTEST_SKIP() << "no shared test data";
    for (const QString& name : shared.entryList({QStringLiteral("*.dxf")}))
    {
        const auto [byDxflib, direct] = BothWays(shared.filePath(name));
        EXPECT_EQ(direct, byDxflib) << name.toStdString();
    }
}
