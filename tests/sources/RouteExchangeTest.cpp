// A route's drawing and field stake file, read back through the library's own DXF and point-file
// sources.

#include "DxfTestUtil.h"
#include "SourcesTestUtil.h"
#include "common/FileBytes.h"

#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"
#include "road/RouteCalculation.h"
#include "sources/CMap_DAT.h"
#include "sources/CMap_DATPoint.h"
#include "sources/RouteDxfWriter.h"

#include "../road/RoadDesignFixtures.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
struct RouteExchange : ::testing::Test
{
    QTemporaryDir dir;
    CRoadDesign model;

    void SetUp() override
    {
        CRoadDesign_Element route = RoadFixtures::HighwayRoute(1000.0);
        CRoadDesign check;
        QString text;
        ASSERT_TRUE(check.LoadRoadData(&route) && route.REToTDFEText(text) && model.LoadTDFEText(text));
    }
    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }

    // The centre line's extent sampled every metre (x the northing).
    void CentreExtent(double& minX, double& maxX, double& minY, double& maxY) const
    {
        minX = minY = HUGE_VAL;
        maxX = maxY = -HUGE_VAL;
        const double start = model.m_RoadElements.front().m_StartStation, end = model.m_RoadElements.back().m_EndStation;
        for (double s = start; s <= end; s += 1.0)
        {
            double x = 0, y = 0, b = 0;
            ASSERT_TRUE(model.GetAngleAndXY(std::min(s, end), x, y, b, 0.0));
            minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
};

int Count(RouteDxfCounts c) { return c.lines + c.arcs + c.polylines + c.points + c.texts; }
} // namespace

TEST_F(RouteExchange, DrawingReadsBackWithTheCentreLinesExtentAndEveryEntity)
{
    for (const bool r12 : {false, true})
    {
        SCOPED_TRACE(r12 ? "R12" : "2000");
        RouteDxfOptions options;
        options.r12 = r12;
        RouteDxfCounts counts;
        QString error;
        const QString path = Path(r12 ? "road12.dxf" : "road.dxf");
        ASSERT_TRUE(WriteRouteDxf(model, path, options, error, &counts)) << error.toStdString();
        // 4 straights, 4 arcs, 7 transitions; every main point as a point and a text.
        EXPECT_EQ(counts.lines, 4);
        EXPECT_EQ(counts.arcs, 4);
        EXPECT_EQ(counts.polylines, 7);
        EXPECT_EQ(counts.points, static_cast<int>(model.m_MainPoints.size()));
        EXPECT_EQ(counts.texts, counts.points);

        CMap_DXF dxf;
        MapConfigItem item = dxf.GetMapItem();
        item.FullPathName = path;
        dxf.SetMapItem(item);
        ASSERT_EQ(dxf.Open(), 1);
        EXPECT_EQ(dxf.GetPrimitiveCount(), Count(counts));
        double minX = 0, maxX = 0, minY = 0, maxY = 0, cMinX = 0, cMaxX = 0, cMinY = 0, cMaxY = 0;
        dxf.GetRange(minX, maxX, minY, maxY);
        CentreExtent(cMinX, cMaxX, cMinY, cMaxY);
        EXPECT_NEAR(minX, cMinX, 0.01);
        EXPECT_NEAR(maxX, cMaxX, 0.01);
        EXPECT_NEAR(minY, cMinY, 0.01);
        EXPECT_NEAR(maxY, cMaxY, 0.01);
    }
}

TEST_F(RouteExchange, TransitionPolylinesStayWithinAMillimetreOfTheClothoid)
{
    QString error;
    const QString path = Path("road.dxf");
    ASSERT_TRUE(WriteRouteDxf(model, path, RouteDxfOptions(), error));
    CMap_DXF dxf;
    ASSERT_EQ(dxftest::OpenBytes(dxf, path, ReadBytes(path)), 1);
    int checked = 0;
    for (const std::vector<CVector>& line : dxftest::AllLines(dxf))
        for (size_t i = 0; i + 1 < line.size(); ++i)
        {
            // The middle of each chord lies within 1 mm of the centre line.
            const double x = 0.5 * (line[i].x + line[i + 1].x), y = 0.5 * (line[i].y + line[i + 1].y);
            double station = 0, offset = 0;
            ASSERT_TRUE(model.GetPegAndOffset(x, y, station, offset, 0, 0.0));
            // Arcs are tessellated by the reader, not the writer: only transitions count here.
            const auto record = std::find_if(model.m_RoadElements.begin(), model.m_RoadElements.end(), [&](const CRoadElement& r) {
                return r.m_Kind != CRoadElement::StartPoint && station > r.m_StartStation && station < r.m_EndStation;
            });
            if (record == model.m_RoadElements.end() || record->m_Kind != CRoadElement::Transition) continue;
            EXPECT_LT(std::fabs(offset), 0.001) << station;
            ++checked;
        }
    EXPECT_GT(checked, 20);
}

TEST_F(RouteExchange, OffsetsAndStakesGoOnTheirOwnLayers)
{
    const QString stakes = Path("stakes.dat");
    ASSERT_EQ(model.Export(stakes, 50.0, 0.0, 0, StakeLayout::Field), 1);
    RouteDxfOptions options;
    options.offsets = {-3.75, 3.75};
    options.stakesPath = stakes;
    RouteDxfCounts counts;
    QString error;
    ASSERT_TRUE(WriteRouteDxf(model, Path("full.dxf"), options, error, &counts)) << error.toStdString();
    int stakeLines = 0;
    model.Stakes(50.0, 0.0, 0, [&](const RoadCoordinate&) { ++stakeLines; });
    EXPECT_EQ(counts.polylines, 7 + 2 * 15); // each element once per offset
    EXPECT_EQ(counts.points, static_cast<int>(model.m_MainPoints.size()) + stakeLines);

    options.stakesPath = Path("missing.dat");
    EXPECT_FALSE(WriteRouteDxf(model, Path("bad.dxf"), options, error));
    EXPECT_NE(error.indexOf(QStringLiteral("missing.dat")), -1);
    EXPECT_FALSE(QFile::exists(Path("bad.dxf")));
}

TEST_F(RouteExchange, FieldLayoutReadsBackAtTheSameCoordinates)
{
    const QString field = Path("field.dat");
    const QString own = Path("own.dat");
    ASSERT_EQ(model.Export(field, 20.0, 2.5, 0, StakeLayout::Field), 1);
    ASSERT_EQ(model.Export(own, 20.0, 2.5, 0), 1);
    const QStringList lines = QString::fromLatin1(ReadBytes(field)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("QD,K1+000.0000,"))) << lines.front().toStdString();

    std::vector<RoadCoordinate> expected;
    model.Stakes(20.0, 2.5, 0, [&](const RoadCoordinate& r) { expected.push_back(r); });
    CMap_DAT points;
    MapConfigItem item = points.GetMapItem();
    item.FullPathName = field;
    points.SetMapItem(item);
    ASSERT_EQ(points.ImportData(nullptr), 1);
    ASSERT_EQ(points.GetPointCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < points.GetPointCount(); ++i)
    {
        const CMap_DATPoint* p = points.GetPointData(i);
        const RoadCoordinate& r = expected[static_cast<size_t>(i)];
        EXPECT_EQ(p->GetPointName(), r.name);
        EXPECT_NEAR(p->GetPoint().x, r.x, 0.00006);
        EXPECT_NEAR(p->GetPoint().y, r.y, 0.00006);
    }
    // The stake file's own layout is still what validation reads.
    EXPECT_EQ(model.ValidateCalculate(own), 1);
    EXPECT_FALSE(ReadBytes(own + QStringLiteral("_Validate.txt")).contains("CalFailed"));
}

TEST(RouteExchangeCli, CommandsWriteAndRefuseWithClearMessages)
{
    using sourcestest::RunCli;
    QTemporaryDir dir;
    const QString xml = QStringLiteral(TESVANE_SOURCE_DIR "/tests/data/landxml/aplitop_mdt8_UT-Alignment-Aplitop-1.xml");
    const QString route = dir.filePath(QStringLiteral("imported.RE"));

    auto r = RunCli({"landxml", "import", xml, "--list"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Horizontal\tlength 507.067 m\t15 elements\tstart station 0.000"))) << r.out.toStdString();

    r = RunCli({"landxml", "import", xml, route});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_NE(r.out.indexOf(QStringLiteral("largest end deviation 0.0000")), -1) << r.out.toStdString();
    r = RunCli({"landxml", "import", xml, route, "--alignment", "nope"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.indexOf(QStringLiteral("\"Horizontal\"")), -1) << r.err.toStdString();
    r = RunCli({"landxml", "import", dir.filePath(QStringLiteral("missing.xml")), route});
    EXPECT_EQ(r.code, 2);

    const QString out = dir.filePath(QStringLiteral("back.xml"));
    r = RunCli({"landxml", "export", route, out});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, out + QStringLiteral(": alignment \"Horizontal\", 15 elements\n"));

    r = RunCli({"dxf", route, dir.filePath(QStringLiteral("a.dxf")), "--offsets", "-3.5,3.5"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_NE(r.out.indexOf(QStringLiteral("4 lines, 4 arcs, 37 polylines")), -1) << r.out.toStdString();
    r = RunCli({"dxf", route, dir.filePath(QStringLiteral("b.dxf")), "--offsets", "3.5,wide"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.indexOf(QStringLiteral("\"wide\"")), -1);

    r = RunCli({"stakes", route, dir.filePath(QStringLiteral("s.dat")), "--layout", "field"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = RunCli({"stakes", route, dir.filePath(QStringLiteral("t.dat")), "--layout", "csv"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.indexOf(QStringLiteral("stake or field")), -1);
}
