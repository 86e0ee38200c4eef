#include "ShapeTestUtil.h"
#include "SourcesTestUtil.h"

#include "sources/CMap_Shape.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>

using namespace shapetest;
using sourcestest::WriteBytes;

namespace
{
constexpr double kDeg = M_PI / 180.0;

QString OnePoint(const QString& folder)
{
    const QString path = QDir(folder).filePath("p.shp");
    EXPECT_TRUE(WriteShapefile(path, wkbPoint, {{"n", OFTInteger}}, {{"POINT (500000 3400000)", {"1"}}}));
    return path;
}

ShapeCoordinateSystem Reopen(const QString& path)
{
    CMap_Shape shape;
    MapConfigItem item = shape.GetMapItem();
    item.FullPathName = path;
    shape.SetMapItem(item);
    EXPECT_EQ(shape.Open(), 1);
    return shape.GetShapeSystem();
}

QString PrjText(const QString& shp)
{
    QFile f(QString(shp).replace(".shp", ".prj"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

TEST(ShapePrj, WithoutPrjTheDataAreGeographicOnWgs84)
{
    QTemporaryDir dir;
    const ShapeCoordinateSystem s = Reopen(OnePoint(dir.path()));
    EXPECT_EQ(s.Projection.Type, -1);
    EXPECT_EQ(s.Ellipsoid.Name, "WGS84");
    EXPECT_DOUBLE_EQ(s.Ellipsoid.Axis, 6378137.0);
    EXPECT_DOUBLE_EQ(s.Ellipsoid.ReciprocalofFlatRate, 298.257223563);
}

TEST(ShapePrj, EveryProjectionTypeRoundTrips)
{
    QTemporaryDir dir;
    const QString path = OnePoint(dir.path());
    for (int type = -1; type <= 7; ++type)
    {
        SCOPED_TRACE(type);
        ShapeCoordinateSystem s;
        s.Name = QStringLiteral("CGCS2000_3_Degree_GK_CM_114E");
        s.Ellipsoid = {QStringLiteral("CGCS2000"), 6378137.0, 298.257222101};
        CoordinateSystem_ProjectParameter& p = s.Projection;
        p.Type = type;
        p.CentralMeridian = 114 * kDeg;
        p.Tx = 100;
        p.Ty = 500000;
        p.TK = 0.9996;
        p.ReferenceLatitude = 10 * kDeg;
        if (type == 4 || type == 7)
        {
            p.Parallel1 = 25 * kDeg;
            p.Parallel2 = 47 * kDeg;
        }
        if (type == 4) p.ProjectionHeight = 35786000;
        CMap_Shape writer;
        MapConfigItem item = writer.GetMapItem();
        item.FullPathName = path;
        writer.SetMapItem(item);
        writer.SetShapeSystem(s);
        ASSERT_EQ(writer.SavePROJParameter(), 1);
        const QString text = PrjText(path);
        EXPECT_FALSE(text.endsWith('\n')) << "one line without terminator";
        EXPECT_TRUE(text.contains("SPHEROID[\"CGCS2000\",6378137.0,298.257222101]")) << text.toStdString();

        const ShapeCoordinateSystem r = Reopen(path);
        EXPECT_EQ(r.Ellipsoid.Name, "CGCS2000");
        EXPECT_DOUBLE_EQ(r.Ellipsoid.Axis, 6378137.0);
        EXPECT_DOUBLE_EQ(r.Ellipsoid.ReciprocalofFlatRate, 298.257222101);
        // Transverse Mercator under its own name reads as type 2, like the file's other writers.
        EXPECT_EQ(r.Projection.Type, type == 1 ? 2 : type);
        if (type == -1 || type == 3)
        {
            if (type == 3) EXPECT_TRUE(text.contains("PROJECTION[\"ProjectType_STERE\"]"));
            continue;
        }
        EXPECT_EQ(r.Name, s.Name);
        EXPECT_NEAR(r.Projection.CentralMeridian, p.CentralMeridian, 1e-12);
        EXPECT_DOUBLE_EQ(r.Projection.Ty, 500000.0);
        EXPECT_DOUBLE_EQ(r.Projection.Tx, 100.0);
        EXPECT_DOUBLE_EQ(r.LinearUnit, 1.0);
        // A Mercator's origin lies on the equator: no latitude of origin is written for it.
        if (type != 7 && type != 5) EXPECT_NEAR(r.Projection.ReferenceLatitude, p.ReferenceLatitude, 1e-12);
        if (type == 0) EXPECT_TRUE(text.contains("PROJECTION[\"Gauss_Kruger\"]"));
        if (type == 1 || type == 2) EXPECT_TRUE(text.contains("PROJECTION[\"Transverse_Mercator\"]"));
        if (type != 3 && type != 7) EXPECT_DOUBLE_EQ(r.Projection.TK, 0.9996);
        if (type == 4 || type == 7)
        {
            EXPECT_NEAR(r.Projection.Parallel1, p.Parallel1, 1e-12);
            EXPECT_NEAR(r.Projection.Parallel2, p.Parallel2, 1e-12);
        }
        if (type == 4) EXPECT_DOUBLE_EQ(r.Projection.ProjectionHeight, 35786000.0);
    }
}

TEST(ShapePrj, ForeignTextsAndRefusedWrites)
{
    QTemporaryDir dir;
    const QString path = OnePoint(dir.path());
    const QString prj = QString(path).replace(".shp", ".prj");
    // A transverse Mercator of another program, its parameters in its own capitalisation.
    WriteBytes(prj, "PROJCS[\"Xian_1980_3_Degree_GK_CM_117E\",GEOGCS[\"GCS_Xian_1980\",DATUM[\"D_Xian_1980\","
                    "SPHEROID[\"Xian_1980\",6378140.0,298.257]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
                    "0.0174532925199433]],PROJECTION[\"Gauss_Kruger\"],PARAMETER[\"False_Easting\",39500000.0],"
                    "PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",117.0],PARAMETER[\"Scale_Factor\","
                    "1.0],PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
    ShapeCoordinateSystem s = Reopen(path);
    EXPECT_EQ(s.Projection.Type, 0);
    EXPECT_EQ(s.Ellipsoid.Name, "Xian_1980");
    EXPECT_DOUBLE_EQ(s.Projection.Ty, 39500000.0);
    EXPECT_DOUBLE_EQ(s.Projection.TK, 1.0);
    // Text that is no coordinate system leaves the default.
    WriteBytes(prj, "garbage [[[");
    s = Reopen(path);
    EXPECT_EQ(s.Projection.Type, -1);
    EXPECT_DOUBLE_EQ(s.Ellipsoid.Axis, 6378137.0);
    // A write that cannot happen leaves what was there.
    QFile::remove(prj);
    ASSERT_TRUE(QDir().mkdir(prj));
    CMap_Shape writer;
    MapConfigItem item = writer.GetMapItem();
    item.FullPathName = path;
    writer.SetMapItem(item);
    EXPECT_EQ(writer.SavePROJParameter(), 0);
    EXPECT_TRUE(QFileInfo(prj).isDir());
}
