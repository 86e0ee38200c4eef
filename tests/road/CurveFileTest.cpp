// The curve exchange file's one writer and reader, and routes computed without writing it.
#include "RoadDesignFixtures.h"

#include "platform/MessageSink.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CurveFile.h"
#include "road/RouteCalculation.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
CurveFileRecord Record(CurveFileRecord::Kind kind, double length, double value)
{
    CurveFileRecord r;
    r.kind = kind;
    r.length = length;
    if (kind == CurveFileRecord::Straight) r.bearingDegrees = value;
    if (kind == CurveFileRecord::Transition) r.parameter = value;
    if (kind == CurveFileRecord::Arc) r.radius = value;
    return r;
}

CurveFile Sample()
{
    CurveFile file;
    file.roadName = QStringLiteral("A,B");
    file.startStation = 1234.56789;
    CurveFileRecord start;
    start.kind = CurveFileRecord::Point;
    start.x = 3400000.5;
    start.y = 500000.25;
    file.records = {start, Record(CurveFileRecord::Straight, 100, 45.123456789012345),
                    Record(CurveFileRecord::Transition, 60, std::sqrt(60.0 * 500.0)),
                    Record(CurveFileRecord::Arc, 80, -500)};
    return file;
}

// Quiet while alive: the route checks report through the message sink.
struct QuietMessages
{
    QuietMessages() : previous(SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; })) {}
    ~QuietMessages() { SetMessageHandler(previous); }
    MessageHandler previous;
};
} // namespace

TEST(CurveFile, EachRouteModeKeepsItsOwnDecimals)
{
    const CurveFile file = Sample();
    QString element, crossPoint;
    ASSERT_TRUE(CurveFileText(file, CurveFileSource::ElementRoute, element));
    ASSERT_TRUE(CurveFileText(file, CurveFileSource::CrossPointRoute, crossPoint));
    const QString common = QStringLiteral("METRES\r\nDEGREES\r\nSTART CHAINAGE,1234.5679\r\nHORIZ\r\n") +
                           QString::fromUtf8("RN,A，B\r\n") + QStringLiteral("PT,500000.250000,3400000.500000,\r\n");
    EXPECT_EQ(element, QStringLiteral("CURVE FILE(RE) Ver1.0\r\n") + common +
                           QStringLiteral("R.,100.000000,45.1234567890,\r\nCL,60.000000,173.205081,\r\n"
                                          "CC,80.000000,-500.000000,\r\n"));
    EXPECT_EQ(crossPoint, QStringLiteral("CURVE FILE(RP) Ver1.0\r\n") + common +
                              QStringLiteral("R.,100.000000,45.12345679,\r\nCL,60.000000,173.20508076,\r\n"
                                             "CC,80.000000,-500.000000,\r\n"));
}

TEST(CurveFile, ValuesThatAreNotFiniteAreRefusedAndTheReaderTakesBackTheRest)
{
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    for (int k = 0; k < 6; ++k)
    {
        CurveFile file = Sample();
        switch (k)
        {
        case 0: file.startStation = inf; break;
        case 1: file.records[0].y = nan; break;
        case 2: file.records[1].bearingDegrees = -inf; break;
        case 3: file.records[2].parameter = nan; break;
        case 4: file.records[3].radius = inf; break;
        case 5: file.records[3].length = nan; break;
        }
        QString text = QStringLiteral("previous");
        EXPECT_FALSE(CurveFileText(file, CurveFileSource::CrossPointRoute, text)) << k;
        EXPECT_EQ(text, QStringLiteral("previous")) << k;
    }

    QString text;
    ASSERT_TRUE(CurveFileText(Sample(), CurveFileSource::ElementRoute, text));
    // Unknown lines and other line ends read alike.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).append(QStringLiteral("VERT,1,2,\nCC,5,300"));
    const CurveFile back = ReadCurveFileText(text);
    ASSERT_TRUE(back.roadName && back.startStation);
    EXPECT_EQ(*back.roadName, QString::fromUtf8("A，B"));
    EXPECT_EQ(*back.startStation, 1234.5679);
    ASSERT_EQ(back.records.size(), 5u);
    EXPECT_EQ(back.records[0].kind, CurveFileRecord::Point);
    EXPECT_EQ(back.records[0].x, 3400000.5);
    EXPECT_EQ(back.records[0].y, 500000.25);
    EXPECT_EQ(back.records[1].bearingDegrees, 45.123456789);
    EXPECT_EQ(back.records[2].parameter, 173.205081);
    EXPECT_EQ(back.records[3].radius, -500.0);
    EXPECT_EQ(back.records[4].length, 5.0);
    EXPECT_EQ(CurveFileLength(back), 100.0 + 60.0 + 80.0 + 5.0);

    const CurveFile empty = ReadCurveFileText(QStringLiteral("\r\n\r\nR.\r\n"));
    EXPECT_FALSE(empty.roadName);
    EXPECT_FALSE(empty.startStation);
    ASSERT_EQ(empty.records.size(), 1u); // a key without values reads as zeros
    EXPECT_EQ(empty.records[0].length, 0.0);
}

// The command-line tool computes routes without writing their curve exchange file: the model must
// be exactly the one the file gives.
TEST(RouteCalculation, InMemoryTheModelIsTheOneTheFileGives)
{
    QTemporaryDir dir;
    const QStringList routes =
        QDir(QStringLiteral(TESVANE_SOURCE_DIR "/examples")).entryList({QStringLiteral("*.RE"), QStringLiteral("*.RP")});
    ASSERT_GE(routes.size(), 7);
    for (const QString& name : routes)
    {
        const QString route = dir.filePath(name);
        ASSERT_TRUE(QFile::copy(QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + name, route));
        CRoadDesign inMemory, viaFile;
        ASSERT_EQ(CalculateRouteInMemory(route, inMemory), RouteFileStatus::Loaded) << name.toStdString();
        EXPECT_FALSE(QFile::exists(CurveFilePathOf(route))) << name.toStdString();
        ASSERT_EQ(CalculateRouteFile(route, viaFile), RouteFileStatus::Loaded) << name.toStdString();
        EXPECT_TRUE(QFile::exists(CurveFilePathOf(route)));

        EXPECT_EQ(inMemory.m_RoadName, viaFile.m_RoadName);
        EXPECT_EQ(inMemory.m_StartMileage, viaFile.m_StartMileage);
        ASSERT_EQ(inMemory.m_RoadElements.size(), viaFile.m_RoadElements.size()) << name.toStdString();
        for (size_t i = 0; i < inMemory.m_RoadElements.size(); ++i)
        {
            const CRoadElement& a = inMemory.m_RoadElements[i];
            const CRoadElement& b = viaFile.m_RoadElements[i];
            EXPECT_EQ(a.m_Kind, b.m_Kind);
            EXPECT_EQ(a.m_StartX, b.m_StartX);
            EXPECT_EQ(a.m_StartY, b.m_StartY);
            EXPECT_EQ(a.m_EndX, b.m_EndX);
            EXPECT_EQ(a.m_EndY, b.m_EndY);
            EXPECT_EQ(a.m_StartBearing, b.m_StartBearing);
            EXPECT_EQ(a.m_StartRadius, b.m_StartRadius);
            EXPECT_EQ(a.m_EndStation, b.m_EndStation);
        }
        ASSERT_EQ(inMemory.m_MainPoints.size(), viaFile.m_MainPoints.size());
        for (size_t i = 0; i < inMemory.m_MainPoints.size(); ++i)
        {
            EXPECT_EQ(inMemory.m_MainPoints[i].name, viaFile.m_MainPoints[i].name);
            EXPECT_EQ(inMemory.m_MainPoints[i].x, viaFile.m_MainPoints[i].x);
            EXPECT_EQ(inMemory.m_MainPoints[i].y, viaFile.m_MainPoints[i].y);
        }
    }
}

TEST(RouteCalculation, FailuresInMemoryAndOnDiskWriteNothing)
{
    QuietMessages quiet;
    QTemporaryDir dir;
    // Too few crossing points: the conversion fails, with or without the file.
    CRoadDesign_CrossPoint cross;
    Road_CrossPoint p;
    p.point.x = 3400000, p.point.y = 500000;
    cross.m_CrossPoints = {p, p};
    cross.m_CrossPoints[1].point.x = 3401000;
    const QString rp = dir.filePath(QStringLiteral("two.RP"));
    ASSERT_EQ(cross.LibraryFile_Save(rp), 1);
    CRoadDesign target;
    EXPECT_EQ(CalculateRouteInMemory(rp, target), RouteFileStatus::CalculationFailed);
    EXPECT_EQ(CalculateRouteFile(rp, target), RouteFileStatus::CalculationFailed);
    EXPECT_FALSE(QFile::exists(CurveFilePathOf(rp)));
    EXPECT_EQ(target.IsLoad(), 0);

    // A refused element sequence.
    CRoadDesign_Element refused;
    refused.m_Elements = {RoadFixtures::Point(0, 0), RoadFixtures::Line(10), RoadFixtures::Arc(10, 100)};
    const QString re = dir.filePath(QStringLiteral("refused.RE"));
    ASSERT_EQ(refused.LibraryFile_Save(re), 1);
    EXPECT_EQ(CalculateRouteInMemory(re, target), RouteFileStatus::ChecksFailed);
    EXPECT_EQ(CalculateRouteFile(re, target), RouteFileStatus::ChecksFailed);
    EXPECT_FALSE(QFile::exists(CurveFilePathOf(re)));

    // A good route whose curve exchange file cannot be written.
    const QString good = dir.filePath(QStringLiteral("good.RE"));
    ASSERT_EQ(RoadFixtures::HighwayRoute().LibraryFile_Save(good), 1);
    EXPECT_EQ(CalculateRouteFile(good, target, dir.filePath(QStringLiteral("no/such/folder/x.TDFE"))),
              RouteFileStatus::WriteFailed);
    EXPECT_EQ(target.IsLoad(), 0);
    EXPECT_EQ(CalculateRouteInMemory(good, target), RouteFileStatus::Loaded);
    EXPECT_EQ(target.IsLoad(), 1);
}
