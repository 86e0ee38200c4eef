#include "platform/TextCodec.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include "common/FileBytes.h"

namespace
{
Road_Element Element(int type, double azimuth, double length, double radius)
{
    Road_Element e;
    e.type = type;
    e.azimuth = azimuth;
    e.length = length;
    e.radius = radius;
    return e;
}

CRoadDesign_Element SampleRoute()
{
    CRoadDesign_Element route;
    route.m_RoadName = QString::fromUtf8("京港澳高速示例");
    route.m_StartMileage = 12345.6786;
    Road_Element start;
    start.type = 1;
    start.point.name = QString::fromUtf8("起点");
    start.point.x = 3400000.125;
    start.point.y = 500000.5;
    start.point.h = 12.25;
    start.point.note = QString::fromUtf8("备注");
    route.m_Elements.push_back(start);
    route.m_Elements.push_back(Element(2, 45.123456789012, 200.0, 0.0));
    route.m_Elements.push_back(Element(4, 0.0, 120.0, 0.0));
    Road_Element arc = Element(3, 0.0, 300.0, -600.0);
    arc.spare = 7.5;
    route.m_Elements.push_back(arc);
    route.m_Elements.push_back(Element(4, 0.0, 120.0, 0.0));
    route.m_Elements.push_back(Element(2, 0.0, 150.0, 0.0));
    return route;
}
} // namespace

TEST(RouteElementFile, RoundTripKeepsValuesExactFormatAndChineseBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("示例.RE"));
    CRoadDesign_Element route = SampleRoute();
    ASSERT_EQ(route.LibraryFile_Save(QStringLiteral("  ") + path + QStringLiteral(" ")), 1);

    const QByteArray bytes = ReadBytes(path);
    const QByteArray expectedHead = ToAnsi(QString::fromUtf8("ROADNAME:京港澳高速示例,\r\nMELIAGE :12345.679,\r\n"
                                                             "ELEMENT :1,起点,3400000.125000,500000.500000,12.250000,备注,"
                                                             "0.000000000000,0.000000,0.000000,0.000000,\r\n"
                                                             "ELEMENT :2,,0.000000,0.000000,0.000000,,45.123456789012,"
                                                             "200.000000,0.000000,0.000000,\r\n"));
    EXPECT_TRUE(bytes.startsWith(expectedHead)) << bytes.left(400).toStdString();
    // GBK: two bytes per Chinese character.
    EXPECT_TRUE(bytes.startsWith(QByteArray("ROADNAME:\xbe\xa9\xb8\xdb\xb0\xc4\xb8\xdf\xcb\xd9\xca\xbe\xc0\xfd,")));
    EXPECT_TRUE(bytes.endsWith(",\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 8);

    CRoadDesign_Element back;
    back.m_RunningMileage = 5.0; // reading leaves it alone
    ASSERT_EQ(back.LibraryFile_Read(path), 1);
    EXPECT_EQ(back.m_RoadName, route.m_RoadName);
    EXPECT_DOUBLE_EQ(back.m_StartMileage, 12345.679); // three decimals only
    EXPECT_EQ(back.m_RunningMileage, 5.0);
    ASSERT_EQ(back.m_Elements.size(), route.m_Elements.size());
    for (size_t i = 0; i < route.m_Elements.size(); ++i)
    {
        const Road_Element& a = route.m_Elements[i];
        const Road_Element& b = back.m_Elements[i];
        EXPECT_EQ(b.type, a.type) << i;
        EXPECT_EQ(b.point.name, a.point.name) << i;
        EXPECT_EQ(b.point.note, a.point.note) << i;
        EXPECT_DOUBLE_EQ(b.point.x, a.point.x) << i;
        EXPECT_DOUBLE_EQ(b.point.y, a.point.y) << i;
        EXPECT_DOUBLE_EQ(b.point.h, a.point.h) << i;
        EXPECT_NEAR(b.azimuth, a.azimuth, 1e-12) << i;
        EXPECT_DOUBLE_EQ(b.length, a.length) << i;
        EXPECT_DOUBLE_EQ(b.radius, a.radius) << i;
        EXPECT_DOUBLE_EQ(b.spare, a.spare) << i;
    }

    // Saving what was read gives the same bytes again.
    const QString again = dir.filePath(QStringLiteral("again.RE"));
    ASSERT_EQ(back.LibraryFile_Save(again), 1);
    EXPECT_EQ(ReadBytes(again), bytes);
}

TEST(RouteElementFile, EveryLineIsReadWhateverTheLineEnds)
{
    QTemporaryDir dir;
    CRoadDesign_Element route;
    route.m_RoadName = QStringLiteral("long");
    route.m_Elements.push_back(Element(1, 0, 0, 0));
    for (int i = 0; i < 1500; ++i) route.m_Elements.push_back(Element(2, 0.0, 10.0 + i, 0.0));
    const QString crlf = dir.filePath(QStringLiteral("long.RE"));
    ASSERT_EQ(route.LibraryFile_Save(crlf), 1);

    CRoadDesign_Element back;
    ASSERT_EQ(back.LibraryFile_Read(crlf), 1);
    ASSERT_EQ(back.m_Elements.size(), 1501u); // nothing is cut after 1000 lines
    EXPECT_DOUBLE_EQ(back.m_Elements.back().length, 1509.0);

    // Carriage returns only, and no line end after the last line: the same route.
    QByteArray bytes = ReadBytes(crlf);
    bytes.replace("\r\n", "\r");
    bytes.chop(1);
    const QString cr = dir.filePath(QStringLiteral("cr.RE"));
    ASSERT_TRUE(WriteBytes(cr, bytes));
    CRoadDesign_Element crBack;
    ASSERT_EQ(crBack.LibraryFile_Read(cr), 1);
    ASSERT_EQ(crBack.m_Elements.size(), 1501u);
    EXPECT_DOUBLE_EQ(crBack.m_Elements.back().length, 1509.0);
    EXPECT_EQ(crBack.m_RoadName, QStringLiteral("long"));
}

TEST(RouteElementFile, BrokenLinesAndFilesNeverCrashAndLeaveZeros)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.RE"));
    ASSERT_TRUE(WriteBytes(path, "ROADNAME:road\r\n"            // no comma: the whole rest is the name
                                 "MELIAGE :nan,\r\n"            // not a number: 0
                                 "ELEMENT :2,,,,,,45.5,\n"       // short: length, radius, spare stay 0
                                 "ELEMENT :3\n"                  // only the kind
                                 "ELEMENT:4,,1,2,3,,4,5,6,7,\n" // wrong key (no blank): ignored
                                 "short\n"
                                 "ELEMENT :4,n,1e999,-inf,abc,,1.5e2,12abc,-3.5,1e308,\n"));
    CRoadDesign_Element route;
    route.m_StartMileage = 99.0;
    ASSERT_EQ(route.LibraryFile_Read(path), 1);
    EXPECT_EQ(route.m_RoadName, QStringLiteral("road"));
    EXPECT_EQ(route.m_StartMileage, 0.0);
    ASSERT_EQ(route.m_Elements.size(), 3u);
    EXPECT_EQ(route.m_Elements[0].type, 2);
    EXPECT_DOUBLE_EQ(route.m_Elements[0].azimuth, 45.5);
    EXPECT_EQ(route.m_Elements[0].length, 0.0);
    EXPECT_EQ(route.m_Elements[0].radius, 0.0);
    EXPECT_EQ(route.m_Elements[1].type, 3);
    EXPECT_EQ(route.m_Elements[1].length, 0.0);
    const Road_Element& odd = route.m_Elements[2];
    EXPECT_EQ(odd.point.x, 0.0); // out of range
    EXPECT_EQ(odd.point.y, 0.0); // infinity
    EXPECT_EQ(odd.point.h, 0.0); // not a number
    EXPECT_DOUBLE_EQ(odd.azimuth, 150.0);
    EXPECT_DOUBLE_EQ(odd.length, 12.0);
    EXPECT_DOUBLE_EQ(odd.radius, -3.5);
    EXPECT_DOUBLE_EQ(odd.spare, 1e308);

    // Empty and binary files read as an empty route; a missing file or a folder fails.
    ASSERT_TRUE(WriteBytes(path, QByteArray()));
    EXPECT_EQ(route.LibraryFile_Read(path), 1);
    EXPECT_TRUE(route.m_Elements.empty());
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage.append(static_cast<char>((i * 7919) & 0xFF));
    garbage.append(QByteArray("\nELEMENT :\xff\xfe,\x81,\n"));
    ASSERT_TRUE(WriteBytes(path, garbage));
    EXPECT_EQ(route.LibraryFile_Read(path), 1);
    EXPECT_EQ(route.LibraryFile_Read(dir.filePath(QStringLiteral("missing.RE"))), 0);
    EXPECT_EQ(route.LibraryFile_Read(dir.path()), 0);
    EXPECT_EQ(route.LibraryFile_Read(QStringLiteral("   ")), 0);
    EXPECT_EQ(route.LibraryFile_Save(QStringLiteral(" ")), 0);
    EXPECT_EQ(route.LibraryFile_Save(dir.filePath(QStringLiteral("no/such/folder/x.RE"))), 0);
}

TEST(RouteElementFile, CommasAndLineBreaksInNamesDoNotShiftValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.RE"));
    CRoadDesign_Element route;
    route.m_RoadName = QStringLiteral("G4, north\r\npart");
    Road_Element start = Element(1, 0, 0, 0);
    start.point.name = QStringLiteral("A,B");
    start.point.x = 3400000.0;
    start.point.y = 500000.0;
    start.point.note = QStringLiteral("n\no,te");
    route.m_Elements.push_back(start);
    ASSERT_EQ(route.LibraryFile_Save(path), 1);

    CRoadDesign_Element back;
    ASSERT_EQ(back.LibraryFile_Read(path), 1);
    EXPECT_EQ(back.m_RoadName, QString::fromUtf8("G4， north  part"));
    ASSERT_EQ(back.m_Elements.size(), 1u);
    EXPECT_EQ(back.m_Elements[0].point.name, QString::fromUtf8("A，B"));
    EXPECT_EQ(back.m_Elements[0].point.note, QString::fromUtf8("n o，te"));
    EXPECT_DOUBLE_EQ(back.m_Elements[0].point.x, 3400000.0);
    EXPECT_DOUBLE_EQ(back.m_Elements[0].point.y, 500000.0);
}

TEST(RouteElementFile, NonFiniteValuesAreWrittenAsZeroNotAsNan)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nan.RE"));
    CRoadDesign_Element route;
    route.m_StartMileage = std::numeric_limits<double>::quiet_NaN();
    route.m_Elements.push_back(Element(2, std::numeric_limits<double>::infinity(), 1e300, 0.0));
    ASSERT_EQ(route.LibraryFile_Save(path), 1);
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.contains("MELIAGE :0.000,\r\n"));
    EXPECT_FALSE(bytes.contains("nan"));
    EXPECT_FALSE(bytes.contains("inf"));
    CRoadDesign_Element back;
    ASSERT_EQ(back.LibraryFile_Read(path), 1);
    EXPECT_DOUBLE_EQ(back.m_Elements[0].length, 1e300); // written whole, all 301 digits

    // The exchange file refuses values without meaning instead of writing another route.
    EXPECT_EQ(route.REToTDFE(dir.filePath(QStringLiteral("nan.RE.TDFE"))), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nan.RE.TDFE"))));
}

TEST(RouteElementFile, CurveExchangeFileHasExactLinesAndTransitionParameters)
{
    QTemporaryDir dir;
    CRoadDesign_Element route = SampleRoute();
    route.m_StartMileage = 12345.678;
    route.m_Elements.push_back(Element(4, 0.0, 0.0, 0.0));  // zero length: written as 0.0001
    route.m_Elements.push_back(Element(3, 0.0, 80.0, 250.0)); // follows the transition above
    route.m_Elements.push_back(Element(9, 1.0, 1.0, 1.0));   // unknown kind: nothing
    route.m_Elements.push_back(Element(2, 30.25, 50.0, 0.0));
    const QString path = dir.filePath(QStringLiteral("r.RE.TDFE"));
    ASSERT_EQ(route.REToTDFE(path), 1);

    const QString expected = QString::fromUtf8(
        "CURVE FILE(RE) Ver1.0\r\nMETRES\r\nDEGREES\r\n"
        "START CHAINAGE,12345.6780\r\n"
        "HORIZ\r\nRN,京港澳高速示例\r\n"
        "PT,500000.500000,3400000.125000,\r\n"
        "R.,200.000000,45.1234567890,\r\n"
        "CL,120.000000,268.328157,\r\n" // √(120·600): the circle it leads into
        "CC,300.000000,-600.000000,\r\n"
        "CL,120.000000,268.328157,\r\n" // the circle it leaves
        "R.,150.000000,0.0000000000,\r\n"
        "CL,0.000100,0.000000,\r\n" // next circle, but the stored length 0 gives A = 0
        "CC,80.000000,250.000000,\r\n"
        "R.,50.000000,30.2500000000,\r\n");
    EXPECT_EQ(ReadBytes(path), ToAnsi(expected));
    EXPECT_NEAR(route.m_RunningMileage, 200 + 120 + 300 + 120 + 150 + 0.0001 + 80 + 50, 1e-9);

    // A transition between two circles takes the parameter of the one it leads into.
    CRoadDesign_Element between;
    between.m_Elements = {Element(1, 0, 0, 0), Element(2, 10, 100, 0), Element(3, 0, 50, 400),
                          Element(4, 0, 90, 0), Element(3, 0, 50, -900), Element(2, 0, 10, 0)};
    ASSERT_EQ(between.REToTDFE(path), 1);
    EXPECT_TRUE(ReadBytes(path).contains("CL,90.000000,284.604989,\r\n")); // √(90·900)

    // No elements: the head only.
    CRoadDesign_Element empty;
    ASSERT_EQ(empty.REToTDFE(path), 1);
    EXPECT_EQ(ReadBytes(path), QByteArray("CURVE FILE(RE) Ver1.0\r\nMETRES\r\nDEGREES\r\nSTART CHAINAGE,0.0000\r\n"
                                          "HORIZ\r\nRN,\r\n"));
    EXPECT_EQ(empty.REToTDFE(QStringLiteral("  ")), 0);
}

TEST(RouteOptionFiles, LayoutValuesAndDefaults)
{
    QTemporaryDir dir;
    CRoadDesign_Element element;
    element.m_ConfigPath = dir.path();
    Road_Calculate_Option option;
    option.CalculateMode = 2;
    option.Interval = 12.5;
    element.SetOption(option);
    const QString elementFile = dir.filePath(QStringLiteral("RoadDesign_Element.cfg"));
    EXPECT_EQ(ReadBytes(elementFile), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                 "<HEAD>\r\n<RoadDesign_Element>\r\n<Ver>1.0.1.1</Ver>\r\n"
                                                 "<Option>\r\n<CalculateMode>2</CalculateMode>\r\n"
                                                 "<Interval>12</Interval>\r\n</Option>\r\n"
                                                 "</RoadDesign_Element>\r\n</HEAD>\r\n"));
    CRoadDesign_Element elementBack;
    EXPECT_EQ(elementBack.SetConfigPath(dir.path()), 1);
    EXPECT_EQ(elementBack.GetOption().CalculateMode, 2);
    EXPECT_EQ(elementBack.GetOption().Interval, 12.0);

    CRoadDesign_CrossPoint cross;
    cross.m_ConfigPath = dir.path();
    cross.SetOption(option);
    const QByteArray crossBytes = ReadBytes(dir.filePath(QStringLiteral("RoadDesign_CrossPoint.cfg")));
    EXPECT_TRUE(crossBytes.contains("<RoadDesign_CrossPoint>\r\n<Ver>1.0.1.1</Ver>\r\n")) << crossBytes.toStdString();
    EXPECT_TRUE(crossBytes.contains("<Interval>12.5000</Interval>"));
    CRoadDesign_CrossPoint crossBack;
    EXPECT_EQ(crossBack.SetConfigPath(dir.path()), 1);
    EXPECT_EQ(crossBack.GetOption().Interval, 12.5);
    EXPECT_EQ(crossBack.GetOption().CalculateMode, 2);

    // Initialize resets the options but keeps the folder.
    crossBack.Initialize();
    EXPECT_EQ(crossBack.GetOption().Interval, 100.0);
    EXPECT_EQ(crossBack.m_ConfigPath, dir.path());

    // Missing, foreign or broken files keep the defaults; missing values keep theirs.
    QTemporaryDir other;
    CRoadDesign_Element fresh;
    EXPECT_EQ(fresh.SetConfigPath(other.path()), 0);
    EXPECT_EQ(fresh.GetOption().Interval, 100.0);
    const QString otherFile = other.filePath(QStringLiteral("RoadDesign_Element.cfg"));
    ASSERT_TRUE(WriteBytes(otherFile, "<HEAD><Other/></HEAD>"));
    EXPECT_EQ(fresh.Config_Read(), 0);
    ASSERT_TRUE(WriteBytes(otherFile, "\x01\xff<<<>>&&"));
    EXPECT_EQ(fresh.Config_Read(), 0);
    EXPECT_EQ(fresh.GetOption().Interval, 100.0);
    ASSERT_TRUE(WriteBytes(otherFile, "<HEAD><RoadDesign_Element><Option><Interval>25.5</Interval>"
                                      "</Option></RoadDesign_Element></HEAD>"));
    EXPECT_EQ(fresh.Config_Read(), 1);
    EXPECT_EQ(fresh.GetOption().Interval, 25.5);
    EXPECT_EQ(fresh.GetOption().CalculateMode, 0);
}
