// Projection dispatch, the conversion chain and the coordinate-system file.

#include "Reference.h"

#include "coord/CCoordinateConvert.h"
#include "coord/CCoordinateProject.h"
#include "coord/CCoordinateSystem.h"

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/TransverseMercatorExact.hpp>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

TEST(Project, GaussOnCentralMeridianAndTypeFallback)
{
    const GeographicLib::TransverseMercatorExact exact(6378245.0, 1 / 298.3, 1.0);
    CCoordinateProject p;
    p.SetEllipsoidPar(6378245.0, 298.3);
    for (int type : {0, 1, 2, 8, -1})
    {
        p.SetProjectPar(type, 117 * kDeg, 0.0, 0.0, 500000.0, 1.0, 0.0, 0.0, 0.0);
        double x = 0, y = 0, e = 0, n = 0;
        p.Proj_BLtoxy(36 * kDeg, 117 * kDeg, x, y);
        exact.Forward(117, 36, 117, e, n);
        EXPECT_NEAR(x, n, 1e-4) << type; // the meridian arc
        EXPECT_EQ(y, 500000.0) << type;
        double x2 = 0, y2 = 0;
        p.Proj_BLtoxy(36 * kDeg, 118.5 * kDeg, x2, y2);
        CCoordinateProject gauss = p;
        gauss.SetProjectPar(0, 117 * kDeg, 0.0, 0.0, 500000.0, 1.0, 0.0, 0.0, 0.0);
        double gx = 0, gy = 0;
        gauss.Proj_BLtoxy(36 * kDeg, 118.5 * kDeg, gx, gy);
        EXPECT_EQ(x2, gx);
        EXPECT_EQ(y2, gy);
    }
    // The inverse returns the central meridian exactly for any projection height.
    for (double H : {0.0, 800.0, -50.0})
    {
        p.SetProjectPar(0, 117 * kDeg, 0.0, 0.0, 500000.0, 1.0, H, 0.0, 0.0);
        double x = 0, y = 0, B = 0, L = 0;
        p.Proj_BLtoxy(40 * kDeg, 117 * kDeg, x, y);
        p.Proj_xytoBL(x, 500000.0, B, L);
        EXPECT_EQ(L, 117 * kDeg);
        EXPECT_NEAR(B, 40 * kDeg, 1e-11);
    }
}

TEST(Project, StereographicAspectsRunEastward)
{
    CCoordinateProject p;
    p.SetEllipsoidPar(6378137.0, 298.257223563);
    for (double B0 : {0.0, kPi / 2, -kPi / 2})
    {
        p.SetProjectPar(3, 0.0, B0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0);
        const double lat = B0 == 0 ? 0.0 : (B0 > 0 ? 80 * kDeg : -80 * kDeg);
        double xw = 0, yw = 0, xe = 0, ye = 0;
        p.Proj_BLtoxy(lat, -1 * kDeg, xw, yw);
        p.Proj_BLtoxy(lat, 1 * kDeg, xe, ye);
        EXPECT_GT(xe, xw) << B0;
        EXPECT_NEAR(ye, yw, 1e-6) << B0;
    }
    // Equatorial aspect: true to scale k0 at the origin.
    p.SetProjectPar(3, 0.0, 0.0, 0.0, 0.0, 0.9999, 0.0, 0.0, 0.0);
    double x = 0, y = 0;
    p.Proj_BLtoxy(0.0, 1e-6, x, y);
    EXPECT_NEAR(x / (6378137.0 * 1e-6), 0.9999, 1e-9);
}

TEST(Project, MercatorRewritesScaleAndRejectedSetupLeavesOutputs)
{
    CCoordinateProject p;
    p.SetEllipsoidPar(6378137.0, 298.257223563);
    p.SetProjectPar(5, 0.0, 30 * kDeg, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0);
    double x = 0, y = 0;
    p.Proj_BLtoxy(10 * kDeg, 1 * kDeg, x, y);
    const double e2 = 0.00669437999014, s = std::sin(30 * kDeg);
    EXPECT_NEAR(p.GetProjectPar().TK, std::cos(30 * kDeg) / std::sqrt(1 - e2 * s * s), 1e-12);

    // An ellipsoid the routine rejects (1/f outside [250, 350]): outputs stay as they were.
    p.SetEllipsoidPar(6378137.0, 100.0);
    for (int type : {5, 6, 7})
    {
        p.SetProjectPar(type, 0.0, 30 * kDeg, 0.0, 0.0, 1.0, 0.0, 20 * kDeg, 40 * kDeg);
        double ox = 123.0, oy = 456.0, B = 7.0, L = 8.0;
        p.Proj_BLtoxy(10 * kDeg, 1 * kDeg, ox, oy);
        p.Proj_xytoBL(1000.0, 1000.0, B, L);
        EXPECT_EQ(ox, 123.0);
        EXPECT_EQ(oy, 456.0);
        EXPECT_EQ(B, 7.0);
        EXPECT_EQ(L, 8.0);
    }
}

TEST(Project, GeneralRoutineErrorsAndKeptState)
{
    CCoordinateProject p;
    const double a = 6378137.0, f = 1 / 298.257223563;
    ASSERT_EQ(p.Set_Lambert_1_Parameters(a, f, 30 * kDeg, 110 * kDeg, 1, 2, 0.9999), 0);
    EXPECT_EQ(p.Set_Lambert_1_Parameters(a, f, 0.0, 120 * kDeg, 5, 6, 1.0), PROJ_ORIGIN_LAT_ERROR);
    EXPECT_EQ(p.Set_Lambert_1_Parameters(-1, 1 / 100.0, 30 * kDeg, 7.0, 0, 0, 5.0),
              PROJ_CENT_MER_ERROR | LAMBERT_1_SCALE_FACTOR_ERROR | LAMBERT_1_A_ERROR | LAMBERT_1_INV_F_ERROR);
    double ga, gf, lat, cm, fe, fn, k;
    p.Get_Lambert_1_Parameters(ga, gf, lat, cm, fe, fn, k);
    EXPECT_EQ(lat, 30 * kDeg);
    EXPECT_EQ(cm, 110 * kDeg);
    EXPECT_EQ(k, 0.9999);
    double scale = 0;
    EXPECT_EQ(p.Set_Mercator_Parameters(0.0, 1 / 400.0, 0, 0, 0, 0, scale), PROJ_A_ERROR | PROJ_INV_F_ERROR);
    // Central meridians above π are stored reduced by 2π.
    ASSERT_EQ(p.Set_Mercator_Parameters(a, f, 0, 4.0, 0, 0, scale), 0);
    p.Get_Mercator_Parameters(ga, gf, lat, cm, fe, fn, k);
    EXPECT_NEAR(cm, 4.0 - 2 * kPi, 1e-15);
    double E = 0, N = 0;
    EXPECT_EQ(p.Convert_Geodetic_To_Mercator(kPi / 2, 0.0, E, N), PROJ_LAT_ERROR);
    EXPECT_EQ(p.Convert_Geodetic_To_Mercator(0.0, 7.0, E, N), PROJ_LON_ERROR);
    // Lambert_2 reduced to one parallel equals the direct two-parallel form.
    ASSERT_EQ(p.Set_Lambert_2_Parameters(a, f, 30 * kDeg, 105 * kDeg, 25 * kDeg, 47 * kDeg, 1000, 2000), 0);
    double E2 = 0, N2 = 0;
    ASSERT_EQ(p.Convert_Geodetic_To_Lambert_2(35 * kDeg, 100 * kDeg, E, N), 0);
    ASSERT_EQ(p.Convert_Geodetic_To_Lambert(35 * kDeg, 100 * kDeg, E2, N2), 0);
    EXPECT_NEAR(E, E2, 1e-6);
    EXPECT_NEAR(N, N2, 1e-6);
    EXPECT_EQ(p.Set_Lambert_2_Parameters(a, f, 30 * kDeg, 105 * kDeg, 25 * kDeg, -25 * kDeg, 0, 0), PROJ_STDP_ERROR);
}

TEST(Project, GeneralRoutinesRoundTrip)
{
    CCoordinateProject p;
    const double a = 6378137.0, f = 1 / 298.257223563;
    ASSERT_EQ(p.Set_Equidistant_Cyl_Parameters(a, f, 20 * kDeg, 10 * kDeg, 100, 200), 0);
    ASSERT_EQ(p.Set_Trans_Cyl_Eq_Area_Parameters(a, f, 10 * kDeg, 30 * kDeg, 100, 200, 1.0), 0);
    ASSERT_EQ(p.Set_Oblique_Mercator_Parameters(a, f, 45 * kDeg, 40 * kDeg, -5 * kDeg, 50 * kDeg, 5 * kDeg, 1000, 2000, 0.9996), 0);
    double worst = 0;
    for (double lat = -60; lat <= 60; lat += 10)
        for (double dl = -40; dl <= 40; dl += 10)
        {
            double E, N, B, L;
            ASSERT_EQ(p.Convert_Geodetic_To_Equidistant_Cyl(lat * kDeg, (10 + dl) * kDeg, E, N), 0);
            ASSERT_EQ(p.Convert_Equidistant_Cyl_To_Geodetic(E, N, B, L), 0);
            worst = std::max(worst, AngularErrorMetres(a, 1 / f, lat * kDeg, B - lat * kDeg, L - (10 + dl) * kDeg));
            ASSERT_EQ(p.Convert_Geodetic_To_Trans_Cyl_Eq_Area(lat * kDeg, (30 + dl) * kDeg, E, N), 0);
            ASSERT_EQ(p.Convert_Trans_Cyl_Eq_Area_To_Geodetic(E, N, B, L), 0);
            worst = std::max(worst, AngularErrorMetres(a, 1 / f, lat * kDeg, B - lat * kDeg, L - (30 + dl) * kDeg));
            ASSERT_EQ(p.Convert_Geodetic_To_Oblique_Mercator((lat / 3 + 45) * kDeg, dl / 2 * kDeg, E, N), 0);
            ASSERT_EQ(p.Convert_Oblique_Mercator_To_Geodetic(E, N, B, L), 0);
            worst = std::max(worst, AngularErrorMetres(a, 1 / f, (lat / 3 + 45) * kDeg, B - (lat / 3 + 45) * kDeg, L - dl / 2 * kDeg));
        }
    EXPECT_LT(worst, 1e-6);
    // The transverse cylindrical equal-area projection keeps areas: a small square of the
    // ellipsoid maps to the same area on the plane.
    const double lat = 35 * kDeg, lon = 52 * kDeg, d = 1e-5;
    double e0, n0, e1, n1, e2, n2;
    p.Convert_Geodetic_To_Trans_Cyl_Eq_Area(lat, lon, e0, n0);
    p.Convert_Geodetic_To_Trans_Cyl_Eq_Area(lat + d, lon, e1, n1);
    p.Convert_Geodetic_To_Trans_Cyl_Eq_Area(lat, lon + d, e2, n2);
    const double planeArea = std::fabs((e1 - e0) * (n2 - n0) - (n1 - n0) * (e2 - e0));
    const double es = 2 * f - f * f, s = std::sin(lat), w = 1 - es * s * s;
    const double ellArea = a * (1 - es) / (w * std::sqrt(w)) * d * a / std::sqrt(w) * std::cos(lat) * d;
    EXPECT_NEAR(planeArea / ellArea, 1.0, 1e-5);
    // UTM.
    long zone = 0;
    char hemi = 0;
    double E = 0, N = 0, B = 0, L = 0;
    ASSERT_EQ(p.Convert_Geodetic_To_UTM(-33.9 * kDeg, 18.4 * kDeg, zone, hemi, E, N), 0);
    EXPECT_EQ(zone, 34);
    EXPECT_EQ(hemi, 'S');
    ProjReference utm("+proj=utm +zone=34 +south +ellps=WGS84");
    double re = 0, rn = 0;
    utm.Forward(-33.9 * kDeg, 18.4 * kDeg, re, rn);
    EXPECT_NEAR(E, re, 1e-6);
    EXPECT_NEAR(N, rn, 1e-6);
    ASSERT_EQ(p.Convert_UTM_To_Geodetic(zone, hemi, E, N, B, L), 0);
    EXPECT_NEAR(B, -33.9 * kDeg, 1e-12);
    EXPECT_EQ(p.Convert_UTM_To_Geodetic(61, 'N', E, N, B, L), PROJ_ZONE_ERROR);
}

// Two projection objects on two threads with different Mercator set-ups do not disturb each other.
TEST(Project, InstancesAreIndependentAcrossThreads)
{
    auto run = [](double B0, double L0, double* out) {
        CCoordinateProject p;
        p.SetEllipsoidPar(6378137.0, 298.257223563);
        p.SetProjectPar(5, L0, B0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0);
        double sum = 0;
        for (int i = 0; i < 20000; ++i)
        {
            double x = 0, y = 0;
            p.Proj_BLtoxy(20 * kDeg, L0 + 0.01, x, y);
            sum += x + y;
        }
        *out = sum / 20000;
    };
    double expectA = 0, expectB = 0, gotA = 0, gotB = 0;
    run(0.0, 0.0, &expectA);
    run(50 * kDeg, 2.0, &expectB);
    std::thread ta(run, 0.0, 0.0, &gotA), tb(run, 50 * kDeg, 2.0, &gotB);
    ta.join();
    tb.join();
    EXPECT_EQ(gotA, expectA);
    EXPECT_EQ(gotB, expectB);
}

namespace
{
CCoordinateConvert MakeConverter(int sevenMode)
{
    CCoordinateConvert c;
    c.SetSouceEllipsoid(WGS84Ellipsoid());
    CoordinateSystem_EllipsoidParameter cgcs;
    cgcs.Name = QStringLiteral("CGCS2000");
    cgcs.Axis = 6378137.0;
    cgcs.ReciprocalofFlatRate = 298.257222101;
    c.SetDestinationEllipsoid(Beijing54Ellipsoid());
    c.SetProjection(0, 0.0, 500000.0, 114 * kDeg, 1.0, 0, 0, 0, 120.0);
    CoordinateSystem_SevenParameter s;
    s.Use = 1;
    s.Mode = sevenMode;
    s.DX = 15.8;
    s.DY = -154.4;
    s.DZ = -82.3;
    s.RX = 2e-6;
    s.RY = -1.5e-6;
    s.RZ = 3e-6;
    s.K = 4.5e-6;
    c.SetSevenParameter(s);
    c.SetFourParameter(1, 12.0, -7.0, 0.0003, 1.00002, 3400000.0, 500000.0);
    c.SetCorrectPar(1, 0.5, -0.25, 0.1);
    c.SetHeightFittingPar(1, 2.0, 1e-5, -2e-5, 1e-11, 2e-11, -1e-11, 3400000.0, 500000.0);
    c.SetVerticalBalancingPar(1, 1, 3400000.0, 500000.0, 0.3, 1e-6, -2e-6);
    return c;
}
} // namespace

TEST(Convert, GeocentricGeodeticAgainstGeographicLibAndOnTheEquator)
{
    const GeographicLib::Geocentric ref(6378245.0, 1 / 298.3);
    for (double lat : {-89.0, -45.0, -0.001, 0.0, 0.001, 30.0, 60.0, 89.9})
        for (double H : {-100.0, 0.0, 5000.0})
        {
            double X, Y, Z, rx, ry, rz;
            CCoordinateConvert::BLH2XYZ(lat * kDeg, 114 * kDeg, H, X, Y, Z, 6378245.0, 298.3);
            ref.Forward(lat, 114, H, rx, ry, rz);
            EXPECT_NEAR(X, rx, 1e-6);
            EXPECT_NEAR(Y, ry, 1e-6);
            EXPECT_NEAR(Z, rz, 1e-6);
            double B, L, HH;
            CCoordinateConvert::XYZ2BLH(X, Y, Z, B, L, HH, 6378245.0, 298.3);
            EXPECT_NEAR(B, lat * kDeg, 1e-10) << lat;
            EXPECT_NEAR(L, 114 * kDeg, 1e-14);
            EXPECT_NEAR(HH, H, 1e-4) << lat;
        }
    // Exactly on the equatorial plane: a number, not NaN.
    double B = 1, L = 1, H = 1;
    CCoordinateConvert::XYZ2BLH(6378345.0, 0.0, 0.0, B, L, H, 6378245.0, 298.3);
    EXPECT_EQ(B, 0.0);
    EXPECT_NEAR(H, 100.0, 1e-9);
    CCoordinateConvert::XYZ2BLH(0.0, 0.0, 0.0, B, L, H, 6378245.0, 298.3);
    EXPECT_TRUE(std::isfinite(B) && std::isfinite(H));
}

TEST(Convert, RoundTripsThroughEveryConversion)
{
    for (int mode : {1, 0})
    {
        CCoordinateConvert c = MakeConverter(mode);
        // The small-angle model's backward step is a first-order inverse.
        const double tolM = mode == 1 ? 1e-4 : 0.05;
        for (double lat : {22.0, 35.5, 48.0})
            for (double lon : {112.0, 114.0, 116.5})
            {
                const double B = lat * kDeg, L = lon * kDeg, H = 85.0;
                xyhCoord g;
                c.BLHToxyh(BLHCoord{lat, lon, H}, g);
                double x, y, h;
                c.BLHToxyh(B, L, H, x, y, h);
                EXPECT_EQ(g.x, x);
                EXPECT_EQ(g.y, y);
                BLHCoord back;
                c.xyhToBLH(g, back);
                EXPECT_LT(AngularErrorMetres(6378137.0, 298.257223563, B, back.B * kDeg - B, back.L * kDeg - L), tolM);
                EXPECT_NEAR(back.H, H, tolM);

                // XYZ → xyh → XYZ.
                double X, Y, Z, X2, Y2, Z2;
                CCoordinateConvert::BLH2XYZ(B, L, H, X, Y, Z, 6378137.0, 298.257223563);
                c.XYZToxyh(X, Y, Z, x, y, h);
                EXPECT_NEAR(x, g.x, 1e-6);
                c.xyhToXYZ(x, y, h, X2, Y2, Z2);
                EXPECT_LT(std::sqrt((X - X2) * (X - X2) + (Y - Y2) * (Y - Y2) + (Z - Z2) * (Z - Z2)), 2 * tolM);

                // BLH → BLH (datum change) is undone by the backward seven parameters.
                double B2, L2, H2;
                c.BLHToBLH(B, L, H, B2, L2, H2);
                double X3, Y3, Z3;
                c.BLHToXYZ(B, L, H, X3, Y3, Z3);
                double Bt, Lt, Ht;
                CCoordinateConvert::XYZ2BLH(X3, Y3, Z3, Bt, Lt, Ht, 6378245.0, 298.3);
                EXPECT_NEAR(Bt, B2, 1e-12);
                EXPECT_NEAR(Ht, H2, 1e-4);

                // xyhToxyh applies the grid corrections once more: the four-parameter step and
                // the shift move every point.
                double gx = x, gy = y, gh = h;
                c.xyhToxyh(gx, gy, gh);
                EXPECT_GT(std::hypot(gx - x, gy - y), 1.0);
            }
    }
}

TEST(Convert, CorrectionStepsAndSevenParameterScale)
{
    CCoordinateConvert c;
    c.SetFourParameter(1, 10.0, -5.0, 0.0, 1.0, 0.0, 0.0);
    double x = 100, y = 200, h = 3;
    c.xyhToxyh(x, y, h);
    EXPECT_EQ(x, 110.0);
    EXPECT_EQ(y, 195.0);
    EXPECT_EQ(h, 3.0);

    c.SetFourParameter(0, 0, 0, 0, 1, 0, 0);
    c.SetHeightFittingPar(1, 2.5, 0, 0, 0, 0, 0, 0, 0);
    x = 100, y = 200, h = 3;
    c.xyhToxyh(x, y, h);
    EXPECT_DOUBLE_EQ(h, 0.5);

    for (int mode : {0, 1})
    {
        CCoordinateConvert s;
        CoordinateSystem_SevenParameter p;
        p.Use = 1;
        p.Mode = mode;
        p.K = 0.000001;
        s.SetSevenParameter(p);
        double X = 1e6, Y = -2e6, Z = 3e6;
        s.XYZToXYZ(X, Y, Z);
        EXPECT_NEAR(X, 1e6 * 1.000001, 1e-6);
        EXPECT_NEAR(Y, -2e6 * 1.000001, 1e-6);
        EXPECT_NEAR(Z, 3e6 * 1.000001, 1e-6);
    }

    // With the seven parameters off, BLHToxyh projects B, L unchanged whatever the source.
    CCoordinateConvert a, b;
    a.SetProjection(0, 0, 500000, 114 * kDeg, 1.0, 0, 0, 0, 0);
    b = a;
    b.SetSouceEllipsoid(6000000.0, 300.0);
    double ax, ay, ah, bx, by, bh;
    a.BLHToxyh(0.5, 2.0, 10, ax, ay, ah);
    b.BLHToxyh(0.5, 2.0, 10, bx, by, bh);
    EXPECT_EQ(ax, bx);
    EXPECT_EQ(ay, by);
}

TEST(SystemFile, SaveLoadDefaultsAndForwardOnlyReading)
{
    QTemporaryDir dir;
    CCoordinateSystem cs;
    CoordinateSystem_Parameter p = cs.Get();
    EXPECT_EQ(p.Name, QStringLiteral("Beijing54"));
    EXPECT_EQ(p.EllipsoidParameter.Axis, 6378245.0);
    EXPECT_EQ(p.ProjectParameter.Ty, 500000.0);
    EXPECT_EQ(p.VerticalBalancingParameter.Mode, 1);

    // Set without a path changes memory and reports the failed save.
    p.Name = QStringLiteral("测试 & <系统>");
    p.ProjectParameter.CentralMeridian = 114.0 * kDeg;
    p.ProjectParameter.ProjectionHeight = 123.4567890123;
    p.SevenParameter = {1, 1, 15.5, -154.25, -82.125, 1.2345e-6, -2.5e-6, 3e-7, 4.5e-6};
    p.VerticalBalancingParameter.DH = 0.75;
    p.HeightFittingParameter.a3 = 1.25e-11;
    EXPECT_EQ(cs.Set(p), 0);
    EXPECT_EQ(cs.Get().Name, p.Name);

    const QString path = dir.filePath("cs.xml");
    cs.SetFileName(path);
    ASSERT_EQ(cs.ConfigSave(), 1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_GT(bytes.indexOf("<VerticalParameter>"), bytes.indexOf("<CoordinateSystem_CorrectParameter>"));
    EXPECT_TRUE(bytes.contains("<CentralMeridian>" + QByteArray::number(114.0 * kDeg, 'f', 16) + "</CentralMeridian>"));

    CCoordinateSystem loaded;
    loaded.SetFileName(QStringLiteral("  ") + path + QStringLiteral(" "));
    ASSERT_EQ(loaded.ConfigRead(), 1);
    const CoordinateSystem_Parameter q = loaded.Get();
    EXPECT_EQ(q.Name, p.Name);
    EXPECT_NEAR(q.ProjectParameter.CentralMeridian, p.ProjectParameter.CentralMeridian, 1e-16);
    EXPECT_NEAR(q.ProjectParameter.ProjectionHeight, p.ProjectParameter.ProjectionHeight, 1e-12);
    EXPECT_EQ(q.SevenParameter.Mode, 1);
    EXPECT_NEAR(q.SevenParameter.RX, 1.2345e-6, 1e-16);
    EXPECT_EQ(q.VerticalBalancingParameter.DH, 0.75);
    EXPECT_NEAR(q.HeightFittingParameter.a3, 1.25e-11, 1e-16);

    // Only the outer elements: defaults. Blocks are searched forward in their fixed order, so a
    // seven-parameter block written after the four-parameter block hides the latter.
    auto write = [&](const char* text) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(text);
    };
    write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD><CoordinateSystem><Ver>1.0.1.1</Ver></CoordinateSystem></HEAD>");
    ASSERT_EQ(loaded.ConfigRead(), 1);
    EXPECT_EQ(loaded.Get().Name, QStringLiteral("Beijing54"));
    EXPECT_EQ(loaded.Get().ProjectParameter.TK, 1.0);
    write("<HEAD><CoordinateSystem><Ver>1</Ver><CoordinateSystem_FourParameter><Use>1</Use><Cx>5.5</Cx>"
          "</CoordinateSystem_FourParameter><CoordinateSystem_SevenParameter><Use>1</Use><DX>9</DX>"
          "</CoordinateSystem_SevenParameter></CoordinateSystem></HEAD>");
    ASSERT_EQ(loaded.ConfigRead(), 1);
    EXPECT_EQ(loaded.Get().SevenParameter.Use, 1);
    EXPECT_EQ(loaded.Get().SevenParameter.DX, 9.0);
    EXPECT_EQ(loaded.Get().FourParameter.Use, 0);
    EXPECT_EQ(loaded.Get().FourParameter.Cx, 0.0);

    // Failures leave the definition untouched.
    write("<OTHER/>");
    CCoordinateSystem keep;
    keep.SetFileName(path);
    CoordinateSystem_Parameter before = keep.Get();
    before.Name = QStringLiteral("kept");
    keep.Set(before); // writes the file again
    write("<OTHER/>");
    EXPECT_EQ(keep.ConfigRead(), 0);
    EXPECT_EQ(keep.Get().Name, QStringLiteral("kept"));
    keep.SetFileName(QStringLiteral("   "));
    EXPECT_EQ(keep.ConfigRead(), 0);
}
