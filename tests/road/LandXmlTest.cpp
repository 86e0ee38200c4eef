// LandXML alignments: real files from design programs land on their own coordinates, routes
// survive export and import, units, refused elements and broken continuity are reported.

#include "geometry/Angle.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"
#include "road/LandXml.h"
#include "road/RouteCalculation.h"

#include "RoadDesignFixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace RoadFixtures;

namespace
{
const QString kData = QStringLiteral(TESVANE_SOURCE_DIR "/tests/data/landxml/");

// Computes a route as the program's apply step does (through the curve exchange text).
bool Compute(CRoadDesign_Element& route, CRoadDesign& model)
{
    CRoadDesign check;
    QString text;
    return CheckRouteElements(route) && check.LoadRoadData(&route) && route.REToTDFEText(text) && model.LoadTDFEText(text);
}

// Imports the only (or first) alignment of LandXML text.
LandXmlImportResult ImportText(const QString& text, CRoadDesign_Element& route, bool strict = false)
{
    LandXmlDocument document;
    QString error;
    if (!ReadLandXmlText(text, document, error))
    {
        LandXmlImportResult failed;
        failed.error = error;
        return failed;
    }
    LandXmlImportOptions options;
    options.strict = strict;
    return ImportLandXmlAlignment(document.alignments.front(), options, route);
}

QString Wrap(const QString& geometry, const QString& units = QStringLiteral("<Metric linearUnit=\"meter\"/>"))
{
    return QStringLiteral("<?xml version=\"1.0\"?><LandXML><Units>%1</Units><Alignments>"
                          "<Alignment name=\"a\" staStart=\"500\"><CoordGeom>%2</CoordGeom></Alignment>"
                          "</Alignments></LandXML>")
        .arg(units, geometry);
}

void ExpectSameRecords(const CRoadDesign& a, const CRoadDesign& b, double tolerance)
{
    ASSERT_EQ(a.m_RoadElements.size(), b.m_RoadElements.size());
    for (size_t i = 0; i < a.m_RoadElements.size(); ++i)
    {
        const CRoadElement& p = a.m_RoadElements[i];
        const CRoadElement& q = b.m_RoadElements[i];
        SCOPED_TRACE(testing::Message() << "record " << i);
        EXPECT_EQ(p.m_Kind, q.m_Kind);
        EXPECT_NEAR(p.m_Length, q.m_Length, tolerance);
        EXPECT_NEAR(p.m_StartRadius, q.m_StartRadius, tolerance);
        EXPECT_NEAR(p.m_EndRadius, q.m_EndRadius, tolerance);
        EXPECT_NEAR(p.m_EndX, q.m_EndX, tolerance);
        EXPECT_NEAR(p.m_EndY, q.m_EndY, tolerance);
        EXPECT_NEAR(p.m_EndStation, q.m_EndStation, tolerance);
    }
}

// Model -> LandXML -> route -> model.
void RoundTrip(const CRoadDesign& model, CRoadDesign& back)
{
    CRoadDesign_Element route;
    const LandXmlImportResult result = ImportText(LandXmlTextOfRoute(model), route);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.warnings.isEmpty()) << result.warnings.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(Compute(route, back));
}
} // namespace

TEST(LandXmlRealFiles, ElementEndsLandOnTheFilesCoordinates)
{
    const struct
    {
        const char* file;
        size_t elements;
        double startStation; // metres
        double length;       // metres
    } cases[] = {
        // Grads clockwise from north, a reverse spiral pair without tangent.
        {"aplitop_mdt8_UT-Alignment-Aplitop-1.xml", 15, 0.0, 507.067},
        // Spiral into spiral (the arc between them has no length), a spiral between two radii.
        {"aplitop_mdt8_Alignment-Aplitop-2.xml", 9, 0.0, 5651.083},
        // US survey feet, no stations or directions on the elements.
        {"openroads_indot_PR_Twin_Branch_section_alignment.xml", 3, 2103.72056 * 1200.0 / 3937.0,
         2796.67902533 * 1200.0 / 3937.0},
        // Curve children in the order Start, End, Center; three-dimensional points.
        {"novapoint_TOI-M14334-0000A.xml", 7, 0.0, 616.442},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file);
        CRoadDesign_Element route;
        CRoadDesign model;
        LandXmlFileImport import;
        QString error;
        ASSERT_TRUE(ImportLandXmlFile(kData + QLatin1String(c.file), QString(), LandXmlImportOptions(), route, model,
                                      import, error))
            << error.toStdString();
        EXPECT_EQ(import.alignment.elements.size(), c.elements);
        EXPECT_TRUE(import.result.warnings.isEmpty()) << import.result.warnings.join(QLatin1Char('\n')).toStdString();
        EXPECT_GE(import.worstDeviation, 0.0);
        EXPECT_LT(import.worstDeviation, 0.001);
        EXPECT_NEAR(model.m_RoadElements.front().m_StartStation, c.startStation, 1e-4);
        EXPECT_NEAR(model.m_RoadElements.back().m_EndStation - c.startStation, c.length, 0.002);
    }
}

TEST(LandXmlRealFiles, SpiralIntoSpiralKeepsTheRadiusBetweenThem)
{
    CRoadDesign_Element route;
    CRoadDesign model;
    LandXmlFileImport import;
    QString error;
    ASSERT_TRUE(ImportLandXmlFile(kData + QStringLiteral("aplitop_mdt8_Alignment-Aplitop-2.xml"), QString(),
                                  LandXmlImportOptions(), route, model, import, error));
    // The first spiral reaches R 1103.685 and the second leaves it: a connector arc carries it.
    ASSERT_EQ(import.result.notes.filter(QStringLiteral("connector")).size(), 1);
    const int first = import.result.routeIndexOfEnd[1];
    ASSERT_GT(first, 0);
    EXPECT_NEAR(model.m_RoadElements[static_cast<size_t>(first)].m_EndRadius, 1103.684807, 1e-6);
    // The spiral between 972.8 m and 1387.2 m keeps both radii.
    const CRoadElement& partial = model.m_RoadElements[static_cast<size_t>(import.result.routeIndexOfEnd[5])];
    EXPECT_EQ(partial.m_Kind, CRoadElement::Transition);
    EXPECT_NEAR(partial.m_StartRadius, -972.836752, 1e-6);
    // The arc after it has a radius of 1387.1838 m by its coordinates (the file rounds them).
    EXPECT_NEAR(partial.m_EndRadius, -1387.185105, 0.002);
}

TEST(LandXmlRoundTrip, RoutesComeBackToTheMicrometre)
{
    for (const unsigned seed : {0u, 7u, 19u})
    {
        SCOPED_TRACE(seed);
        // The highway holds a transition between two arcs; the random routes reverse curves
        // whose spirals meet without a tangent.
        CRoadDesign_Element route = seed == 0 ? HighwayRoute(1234.5) : RandomRoute(40, seed);
        CRoadDesign model, back, again;
        ASSERT_TRUE(Compute(route, model));
        RoundTrip(model, back);
        ExpectSameRecords(model, back, 1e-6);
        RoundTrip(back, again);
        ExpectSameRecords(back, again, 1e-6);
    }
}

TEST(LandXmlRoundTrip, ChineseNamesSurviveAFile)
{
    QTemporaryDir dir;
    CRoadDesign_Element route = HighwayRoute();
    route.m_RoadName = QStringLiteral("京哈高速 K1 改线 <A&B>");
    CRoadDesign model;
    ASSERT_TRUE(Compute(route, model));
    const QString path = dir.filePath(QStringLiteral("线路.xml"));
    QString error;
    ASSERT_TRUE(WriteLandXmlFile(model, path, error)) << error.toStdString();
    LandXmlDocument document;
    ASSERT_TRUE(ReadLandXmlFile(path, document, error)) << error.toStdString();
    ASSERT_EQ(document.alignments.size(), 1u);
    EXPECT_EQ(document.alignments[0].name, route.m_RoadName);

    CRoadDesign unloaded;
    EXPECT_FALSE(WriteLandXmlFile(unloaded, dir.filePath(QStringLiteral("none.xml")), error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("none.xml"))));
}

TEST(LandXmlImport, FeetAreConvertedToMetres)
{
    // 100 ft north, then a right curve of radius 200 ft through a quarter turn.
    const QString geometry = QStringLiteral(
        "<Line staStart=\"1000\"><Start>0 0</Start><End>100 0</End></Line>"
        "<Curve rot=\"cw\" radius=\"200\"><Start>100 0</Start><Center>100 200</Center><End>300 200</End></Curve>"
        "<Line><Start>300 200</Start><End>300 300</End></Line>");
    for (const auto& [unit, metres] : {std::pair{"foot", 0.3048}, std::pair{"USSurveyFoot", 1200.0 / 3937.0}})
    {
        SCOPED_TRACE(unit);
        CRoadDesign_Element route;
        const LandXmlImportResult result =
            ImportText(Wrap(geometry, QStringLiteral("<Imperial linearUnit=\"%1\"/>").arg(QLatin1String(unit))), route);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        ASSERT_EQ(route.m_Elements.size(), 4u);
        EXPECT_NEAR(route.m_StartMileage, 1000 * metres, 1e-9);
        EXPECT_NEAR(route.m_Elements[1].length, 100 * metres, 1e-9);
        EXPECT_NEAR(route.m_Elements[2].radius, 200 * metres, 1e-9);
        EXPECT_NEAR(route.m_Elements[2].length, 200 * metres * Angle::kPi / 2, 1e-9);
        EXPECT_NEAR(route.m_Elements[3].azimuth, 90.0, 1e-9);
    }
    CRoadDesign_Element route;
    EXPECT_NE(ImportText(Wrap(geometry, QStringLiteral("<Metric linearUnit=\"furlong\"/>")), route).error.indexOf(
                  QStringLiteral("furlong")),
              -1);
}

TEST(LandXmlImport, CurvesWithoutCentreAndAlignmentsStartingOnACurve)
{
    // A left quarter circle of radius 50 starting at the origin heading north, given once by its
    // centre and once by radius and rotation only, and without a Line before it.
    const QString withCentre = QStringLiteral(
        "<Curve rot=\"ccw\" radius=\"50\" length=\"78.5398\"><Start>0 0</Start><Center>0 -50</Center><End>50 -50</End></Curve>");
    const QString withoutCentre =
        QStringLiteral("<Curve rot=\"ccw\" radius=\"50\" length=\"78.5398\"><Start>0 0</Start><End>50 -50</End></Curve>");
    for (const QString& curve : {withCentre, withoutCentre})
    {
        CRoadDesign_Element route;
        const LandXmlImportResult result = ImportText(Wrap(curve), route);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        CRoadDesign model;
        ASSERT_TRUE(Compute(route, model));
        // A lead-in and a lead-out straight of 0.01 mm; the curve itself starts where the file
        // says, at the alignment's station.
        ASSERT_EQ(result.notes.size(), 2);
        const CRoadElement& arc = model.m_RoadElements[static_cast<size_t>(result.routeIndexOfEnd[0])];
        EXPECT_NEAR(arc.m_StartX, 0.0, 1e-9);
        EXPECT_NEAR(arc.m_StartY, 0.0, 1e-9);
        EXPECT_NEAR(arc.m_StartStation, 500.0, 2e-5);
        EXPECT_NEAR(arc.m_StartRadius, -50.0, 1e-9);
        EXPECT_NEAR(arc.m_EndX, 50.0, 1e-6);
        EXPECT_NEAR(arc.m_EndY, -50.0, 1e-6);
    }
}

TEST(LandXmlImport, UnsupportedElementsAreRefusedByName)
{
    const QString line = QStringLiteral("<Line><Start>0 0</Start><End>100 0</End></Line>");
    const struct
    {
        QString geometry;
        const char* named;
    } cases[] = {
        {line + QStringLiteral("<Spiral staStart=\"100\" spiType=\"bloss\" length=\"50\" radiusStart=\"INF\" "
                               "radiusEnd=\"300\" rot=\"cw\"><Start>100 0</Start><End>150 1</End></Spiral>"),
         "\"bloss\""},
        {line + QStringLiteral("<Spiral spiType=\"sineHalfWave\" length=\"50\"><Start>100 0</Start><End>150 1</End></Spiral>"),
         "sineHalfWave"},
        {line + QStringLiteral("<IrregularLine><Start>100 0</Start><End>150 0</End></IrregularLine>"), "IrregularLine"},
        {line + QStringLiteral("<Chain>1 2</Chain>"), "Chain"},
        {QStringLiteral("<Line><Start pntRef=\"P9\"/><End>100 0</End></Line>"), "P9"},
        {QStringLiteral("<Line><Start>0 zero</Start><End>100 0</End></Line>"), "Start"},
        // A clothoid far longer than its coordinates: the series of the model would coil off.
        {line + QStringLiteral("<Spiral length=\"40000\" radiusStart=\"INF\" radiusEnd=\"50\" rot=\"cw\">"
                               "<Start>100 0</Start><End>140 2</End></Spiral>"),
         "does not reach its End"},
    };
    for (const auto& c : cases)
    {
        CRoadDesign_Element route;
        const LandXmlImportResult result = ImportText(Wrap(c.geometry), route);
        EXPECT_FALSE(result.ok) << c.named;
        EXPECT_NE(result.error.indexOf(QLatin1String(c.named)), -1) << result.error.toStdString();
    }
    LandXmlDocument document;
    QString error;
    EXPECT_FALSE(ReadLandXmlText(QStringLiteral("<kml><Alignment/></kml>"), document, error));
    EXPECT_FALSE(ReadLandXmlText(QStringLiteral("<LandXML><Units/></LandXML>"), document, error));
}

TEST(LandXmlImport, PointReferencesAndStationEquations)
{
    const QString text = QStringLiteral(
        "<LandXML><Alignments><Alignment name=\"r\" staStart=\"0\"><StaEquation staBack=\"80\" staAhead=\"100\"/>"
        "<CoordGeom><Line><Start pntRef=\"A\"/><End pntRef=\"B\"/></Line></CoordGeom></Alignment></Alignments>"
        "<CgPoints><CgPoint name=\"A\">10 20 5</CgPoint><CgPoint name=\"B\">10 120</CgPoint></CgPoints></LandXML>");
    CRoadDesign_Element route;
    const LandXmlImportResult result = ImportText(text, route);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_DOUBLE_EQ(route.m_Elements[0].point.x, 10.0);
    EXPECT_DOUBLE_EQ(route.m_Elements[0].point.y, 20.0);
    EXPECT_DOUBLE_EQ(route.m_Elements[1].length, 100.0);
    EXPECT_DOUBLE_EQ(route.m_Elements[1].azimuth, 90.0);
    ASSERT_EQ(result.warnings.size(), 1);
    EXPECT_NE(result.warnings[0].indexOf(QStringLiteral("not applied")), -1);
}

TEST(LandXmlImport, BrokenContinuityIsReportedWithBothStations)
{
    // The second line starts 5 mm beside the first one's end; the third turns by 0.01 rad.
    const QString geometry = QStringLiteral(
        "<Line staStart=\"500\"><Start>0 0</Start><End>100 0</End></Line>"
        "<Line staStart=\"600\"><Start>100 0.005</Start><End>200 0.005</End></Line>"
        "<Line staStart=\"700\"><Start>200 0.005</Start><End>300 1.005</End></Line>");
    CRoadDesign_Element route;
    const LandXmlImportResult lenient = ImportText(Wrap(geometry), route);
    ASSERT_TRUE(lenient.ok);
    ASSERT_EQ(lenient.warnings.size(), 2) << lenient.warnings.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(lenient.warnings[0].indexOf(QStringLiteral("station 600.000")), -1) << lenient.warnings[0].toStdString();
    EXPECT_NE(lenient.warnings[0].indexOf(QStringLiteral("0.00500 m")), -1);
    EXPECT_NE(lenient.warnings[1].indexOf(QStringLiteral("station 700.000")), -1) << lenient.warnings[1].toStdString();

    const LandXmlImportResult strict = ImportText(Wrap(geometry), route, true);
    EXPECT_FALSE(strict.ok);
    EXPECT_NE(strict.error.indexOf(QStringLiteral("continuity")), -1);
}

TEST(LandXmlImport, TinyElementsTakeTheirDirectionFromTheirNeighbours)
{
    // A 0.4 mm line between two long ones whose own coordinates point 45 degrees off, and a line
    // of no length that is left out.
    const QString geometry = QStringLiteral(
        "<Line><Start>0 0</Start><End>100 0</End></Line>"
        "<Line><Start>100 0</Start><End>100.0002 0.0002</End></Line>"
        "<Line><Start>100.0002 0.0002</Start><End>100.0002 0.0002</End></Line>"
        "<Line><Start>100.0002 0.0002</Start><End>200 0.0002</End></Line>");
    CRoadDesign_Element route;
    const LandXmlImportResult result = ImportText(Wrap(geometry), route);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    ASSERT_EQ(route.m_Elements.size(), 4u);
    EXPECT_NEAR(route.m_Elements[2].azimuth, 0.0, 1e-9);
    EXPECT_EQ(result.routeIndexOfEnd[2], -1);
    CRoadDesign model;
    ASSERT_TRUE(Compute(route, model));
    const CRoadElement& last = model.m_RoadElements.back();
    EXPECT_NEAR(last.m_EndX, 200.0, 1e-6);
    EXPECT_NEAR(last.m_EndY, 0.0002, 1e-3);
}

TEST(LandXmlImport, ASpiralEndingInAnotherRadiusThanItsArcGetsAConnector)
{
    CRoadDesign_Element route = HighwayRoute();
    CRoadDesign model;
    ASSERT_TRUE(Compute(route, model));
    QString text = LandXmlTextOfRoute(model);
    const QString written = QStringLiteral("radiusEnd=\"800.00000000\"");
    ASSERT_TRUE(text.contains(written));
    text.replace(text.indexOf(written), written.size(), QStringLiteral("radiusEnd=\"700\""));

    CRoadDesign_Element imported;
    const LandXmlImportResult result = ImportText(text, imported);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    // The edited spiral no longer fits its coordinates: the straights after it absorb the drift.
    const QStringList connectors = result.notes.filter(QStringLiteral("connector"));
    ASSERT_EQ(connectors.size(), 1) << result.notes.join(QLatin1Char('\n')).toStdString();
    EXPECT_NE(connectors[0].indexOf(QStringLiteral("radius 700.0000")), -1) << connectors[0].toStdString();
    // Point, straight, spiral, the connector, then the arc of 800 m as written.
    ASSERT_GT(imported.m_Elements.size(), 5u);
    EXPECT_EQ(imported.m_Elements[3].type, 3);
    EXPECT_DOUBLE_EQ(imported.m_Elements[3].radius, 700.0);
    EXPECT_NEAR(imported.m_Elements[4].radius, 800.0, 1e-6);
    CRoadDesign back;
    ASSERT_TRUE(Compute(imported, back));
    EXPECT_NEAR(back.m_RoadElements[2].m_EndRadius, 700.0, 1e-9);
}
