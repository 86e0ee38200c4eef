#include "RoadDesignFixtures.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/RouteCalculation.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include "common/FileBytes.h"

using namespace RoadFixtures;

namespace
{
// Collects library messages while alive.
struct Messages
{
    Messages()
    {
        previous = SetMessageHandler([this](const QString& t, const QString& c, MessageKind) {
            texts << t;
            captions << c;
            return MessageAnswer::Ok;
        });
    }
    ~Messages() { SetMessageHandler(previous); }
    QStringList texts, captions;
    MessageHandler previous;
};

const QByteArray kHeader = "CURVE FILE(RE) Ver1.0\r\nMETRES\r\nDEGREES\r\n";
} // namespace

TEST(TdfeFile, WrittenByTheElementWriterReadsBackAsTheSameAlignment)
{
    QTemporaryDir dir;
    for (unsigned seed : {0u, 5u})
    {
        CRoadDesign_Element route = seed ? RandomRoute(80, seed, 12345.678) : HighwayRoute(12345.678);
        route.m_RoadName = QString::fromUtf8("京港澳高速");
        CRoadDesign direct;
        ASSERT_EQ(direct.LoadRoadData(&route), 1);
        const QString path = dir.filePath(QStringLiteral("route.RE.TDFE"));
        ASSERT_EQ(route.REToTDFE(path), 1);
        CRoadDesign read;
        ASSERT_EQ(read.LoadTDFEFile(path), 1);
        EXPECT_EQ(read.m_RoadName, route.m_RoadName);
        EXPECT_EQ(read.m_StartMileage, 12345.678);
        ASSERT_EQ(read.m_RoadElements.size(), direct.m_RoadElements.size());
        for (size_t i = 0; i < read.m_RoadElements.size(); ++i)
        {
            const CRoadElement& a = read.m_RoadElements[i];
            const CRoadElement& b = direct.m_RoadElements[i];
            EXPECT_EQ(a.m_Kind, b.m_Kind);
            // The file carries 6 decimals of metres and 10 of degrees.
            EXPECT_NEAR(a.m_EndX, b.m_EndX, 1e-4) << i;
            EXPECT_NEAR(a.m_EndY, b.m_EndY, 1e-4) << i;
            EXPECT_NEAR(a.m_EndStation, b.m_EndStation, 1e-5) << i;
        }
        ASSERT_EQ(read.m_MainPoints.size(), direct.m_MainPoints.size());
        for (size_t i = 0; i < read.m_MainPoints.size(); ++i)
            EXPECT_EQ(read.m_MainPoints[i].name, direct.m_MainPoints[i].name);
    }
}

TEST(TdfeFile, ReaderKeysFieldsAndLineEnds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.TDFE"));
    // PT carries the easting first; CR-only line ends; no line end after the last line (its
    // element is read, not lost); a CC of length 0 is dropped, an R. of length 0 kept; other
    // keys and the clothoid parameter are ignored.
    ASSERT_TRUE(WriteBytes(path, "CURVE FILE(RP) Ver1.0\rMETRES\rDEGREES\rSTART CHAINAGE,100.5000\rHORIZ\r"
                                 "RN,name with spaces\rXX,1,2,\rPT,500000.000000,3400000.000000,\r"
                                 "R.,100.000000,90.0000000000,\rCC,0.000000,300.000000,\rR.,0.000000,0,\r"
                                 "CL,50.000000,122.474487,\rCC,60.000000,300.000000,\rCL,50,0,\rR.,200,0,"));
    CRoadDesign model;
    ASSERT_EQ(model.LoadTDFEFile(path), 1);
    EXPECT_EQ(model.m_RoadName, QStringLiteral("name with spaces"));
    EXPECT_EQ(model.m_StartMileage, 100.5);
    const auto& r = model.m_RoadElements;
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(r[0].m_StartX, 3400000.0);
    EXPECT_EQ(r[0].m_StartY, 500000.0);
    EXPECT_EQ(r[2].m_Kind, CRoadElement::Straight);
    EXPECT_EQ(r[2].m_Length, 0.0);
    EXPECT_EQ(r[6].m_Kind, CRoadElement::Straight);
    EXPECT_EQ(r[6].m_EndStation, 100.5 + 100 + 50 + 60 + 50 + 200);
    EXPECT_EQ(model.m_MainPoints.back().name, QStringLiteral("ZD"));

    // CR LF files read the same, and the name carries no CR.
    QByteArray crlf = ReadBytes(path);
    crlf.replace("\r", "\r\n");
    ASSERT_TRUE(WriteBytes(path, crlf));
    CRoadDesign again;
    ASSERT_EQ(again.LoadTDFEFile(path), 1);
    EXPECT_EQ(again.m_RoadName, QStringLiteral("name with spaces"));
    EXPECT_EQ(again.m_RoadElements.back().m_EndX, r.back().m_EndX);
}

TEST(TdfeFile, TooFewRecordsAndMissingFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.TDFE"));
    Messages messages;
    CRoadDesign model;
    ASSERT_TRUE(WriteBytes(path, kHeader + "PT,500000,3400000,\r\nR.,10,45,\r\n"));
    EXPECT_EQ(model.LoadTDFEFile(path), 1); // a point and one element are enough
    EXPECT_TRUE(messages.texts.isEmpty());

    // A missing file changes nothing: the model keeps the route it had.
    EXPECT_EQ(model.LoadTDFEFile(dir.filePath(QStringLiteral("missing.TDFE"))), 0);
    EXPECT_EQ(model.IsLoad(), 1);
    EXPECT_EQ(model.LoadTDFEFile(dir.path()), 0);
    EXPECT_EQ(model.IsLoad(), 1);

    ASSERT_TRUE(WriteBytes(path, kHeader + "PT,500000,3400000,\r\n"));
    EXPECT_EQ(model.LoadTDFEFile(path), 0);
    EXPECT_EQ(model.IsLoad(), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QString::fromUtf8("道路元素不能少于2个!"));
    EXPECT_TRUE(messages.captions[0].isEmpty());
}

// Whatever the bytes, loading ends cleanly: either refused, or an alignment whose numbers are all
// finite, which the queries and the export handle.
TEST(TdfeFile, BadInputFailsCleanly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.TDFE"));
    const QString stakes = dir.filePath(QStringLiteral("bad.dat"));
    Messages quiet;
    std::vector<QByteArray> inputs = {
        QByteArray(),
        kHeader,
        "PT\r\nR.\r\nCC\r\n",                                           // fields missing: zeros
        "PT,,\r\nR.,,\r\nCL,,\r\nCC,,\r\nR.,,\r\n",
        "PT,1e308,1e308,\r\nR.,1e308,45,\r\nR.,1e308,0,\r\n",           // overflows
        "PT,500000,3400000,\r\nR.,1e300,45,\r\nR.,10,0,\r\n",           // a straight to 1e300
        "PT,nan,inf,\r\nR.,nan,nan,\r\nCC,nan,nan,\r\nR.,-inf,0,\r\n",  // NaN text reads as 0
        "PT,500000,3400000,\r\nR.,100,45,\r\nCL,50,0,\r\nCC,100,1e-300,\r\nCL,50,0,\r\nR.,100,0,\r\n",
        "PT,500000,3400000,\r\nR.,100,45,\r\nCL,50,0,\r\nCC,100,300,\r\nCL,50,0,\r\nCC,100,-300,\r\nCL,50,0,\r\nR.,1,0,\r\n",
        "PT,0,0,\r\nR.,-100,45,\r\nCC,50,20,\r\nPT,5,5,\r\nR.,10,0,\r\n", // negative length, a second start point
        QByteArray("PT,0,0,\0R.,10,10,\r\nR.,10,10,\r\n", 30),
    };
    // Random bytes are the fuzz target's business (fuzz/fuzz_tdfe.cpp).
    for (size_t k = 0; k < inputs.size(); ++k)
    {
        ASSERT_TRUE(WriteBytes(path, inputs[k]));
        CRoadDesign model;
        if (!model.LoadTDFEFile(path))
        {
            EXPECT_EQ(model.IsLoad(), 0);
            continue;
        }
        for (const CRoadElement& r : model.m_RoadElements)
        {
            ASSERT_TRUE(std::isfinite(r.m_EndX) && std::isfinite(r.m_EndY) && std::isfinite(r.m_EndStation)) << k;
        }
        double x = 0, y = 0, b = 0, s = 0, o = 0;
        const double start = model.m_RoadElements.front().m_StartStation;
        if (model.GetAngleAndXY(start, x, y, b, 1.0)) model.GetPegAndOffset(x, y, s, o, 1, start);
        model.GetPegAndOffset(0, 0, s, o, 0, 0);
        model.Export(stakes, 10.0, 0.0, 0);
    }
}

TEST(RouteCalculation, ModesChecksAndTheApplySequence)
{
    EXPECT_EQ(RouteModeOfPath(QStringLiteral("/a/b.RE")), RouteMode::Element);
    EXPECT_EQ(RouteModeOfPath(QStringLiteral("b.re")), RouteMode::Element);
    EXPECT_EQ(RouteModeOfPath(QStringLiteral("b.Rp")), RouteMode::CrossPoint);
    EXPECT_EQ(RouteModeOfPath(QStringLiteral("b.RE.TDFE")), RouteMode::None);
    EXPECT_EQ(CurveFilePathOf(QStringLiteral("x/r.RE")), QStringLiteral("x/r.RE.TDFE"));

    Messages messages;
    const struct
    {
        std::vector<Road_Element> elements;
        const char* message;
    } refused[] = {
        {{Point(0, 0)}, "线路元素不能小于2个，请检查！"},
        {{Line(10, 0), Line(10, 0)}, "第一元素必须为点，请检查！"},
        {{Point(0, 0), Arc(10, 100), Line(10)}, "第二元素必须为直线，请检查！"},
        {{Point(0, 0), Line(10, 5), Spiral(10), Arc(10, 100)}, "最后元素必须为直线，请检查！"},
    };
    QTemporaryDir dir;
    const QString curve = dir.filePath(QStringLiteral("r.RE.TDFE"));
    for (const auto& c : refused)
    {
        CRoadDesign_Element route;
        route.m_Elements = c.elements;
        CRoadDesign check;
        EXPECT_EQ(ApplyElementRoute(route, check, curve), RouteApplyStatus::ChecksFailed);
        ASSERT_FALSE(messages.texts.isEmpty());
        EXPECT_EQ(messages.texts.back(), QString::fromUtf8(c.message));
        EXPECT_EQ(messages.captions.back(), QStringLiteral("Warning"));
        EXPECT_FALSE(QFile::exists(curve));
    }
    // A start point and one straight pass.
    CRoadDesign_Element shortest;
    shortest.m_Elements = {Point(0, 0), Line(10, 5)};
    CRoadDesign check;
    EXPECT_EQ(ApplyElementRoute(shortest, check, curve), RouteApplyStatus::Written);

    // A route that passes the checks but cannot be computed writes nothing.
    const QByteArray before = ReadBytes(curve);
    CRoadDesign_Element broken;
    broken.m_Elements = {Point(0, 0), Line(10, 5), Spiral(10), Line(10)};
    EXPECT_EQ(ApplyElementRoute(broken, check, curve), RouteApplyStatus::CalculationFailed);
    EXPECT_EQ(ReadBytes(curve), before);

    // Through the route file: the model loaded from the curve exchange file is the route's.
    CRoadDesign_Element route = HighwayRoute(1000);
    const QString routePath = dir.filePath(QStringLiteral("h.re"));
    ASSERT_EQ(route.LibraryFile_Save(routePath), 1);
    CRoadDesign target;
    ASSERT_EQ(CalculateRouteFile(routePath, target), RouteFileStatus::Loaded);
    EXPECT_TRUE(QFile::exists(routePath + QStringLiteral(".TDFE")));
    EXPECT_EQ(target.m_MainPoints.size(), 20u);
    EXPECT_EQ(CalculateRouteFile(dir.filePath(QStringLiteral("none.RE")), target), RouteFileStatus::ReadFailed);
    EXPECT_EQ(target.IsLoad(), 0);
    EXPECT_EQ(CalculateRouteFile(dir.filePath(QStringLiteral("h.txt")), target), RouteFileStatus::UnknownMode);

    // Crossing points: converted, loaded; too few points keep the old file and report.
    CRoadDesign_CrossPoint cross;
    cross.m_StartMileage = 500;
    Road_CrossPoint p;
    p.point.x = 3400000, p.point.y = 500000;
    cross.m_CrossPoints.push_back(p);
    p.point.x = 3401000, p.point.y = 500300, p.radius = 800, p.leftTransition = p.rightTransition = 120;
    cross.m_CrossPoints.push_back(p);
    p.point.x = 3401500, p.point.y = 501400, p.radius = 0, p.leftTransition = p.rightTransition = 0;
    cross.m_CrossPoints.push_back(p);
    const QString rpPath = dir.filePath(QStringLiteral("c.RP"));
    ASSERT_EQ(cross.LibraryFile_Save(rpPath), 1);
    ASSERT_EQ(CalculateRouteFile(rpPath, target), RouteFileStatus::Loaded);
    EXPECT_EQ(target.m_MainPoints.front().name, QStringLiteral("QD"));
    EXPECT_EQ(target.m_MainPoints.back().name, QStringLiteral("ZD"));
    const QByteArray curveBefore = ReadBytes(rpPath + QStringLiteral(".TDFE"));
    cross.m_CrossPoints.resize(2);
    const int shown = messages.texts.size();
    EXPECT_EQ(ApplyCrossPointRoute(cross, rpPath + QStringLiteral(".TDFE")), RouteApplyStatus::WriteFailed);
    EXPECT_GT(messages.texts.size(), shown); // the conversion's own message, then the apply step's
    EXPECT_EQ(messages.texts.back(), QString::fromUtf8("线路计算错误，请检查！"));
    EXPECT_EQ(ReadBytes(rpPath + QStringLiteral(".TDFE")), curveBefore);
}
