// Accuracy of the projections against independent implementations: GeographicLib's exact
// transverse Mercator for the Gauss types, PROJ for the others.

#include "Reference.h"

#include "coord/CCoordinateProject.h"

#include <GeographicLib/AzimuthalEquidistant.hpp>
#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/TransverseMercatorExact.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
CCoordinateProject MakeProjection(const Ellipsoid& ell, int type, double L0, double B0, double tx, double ty, double k0,
                                  double H = 0.0, double p1 = 0.0, double p2 = 0.0)
{
    CCoordinateProject p;
    p.SetEllipsoidPar(ell.a, ell.rf);
    p.SetProjectPar(type, L0, B0, tx, ty, k0, H, p1, p2);
    return p;
}

struct ErrorStats
{
    double forward = 0.0; // metres
    double inverse = 0.0; // metres on the ellipsoid
    void Merge(const ErrorStats& o)
    {
        forward = std::max(forward, o.forward);
        inverse = std::max(inverse, o.inverse);
    }
};
} // namespace

// The Gauss series (no height surface) against the exact transverse Mercator, on four
// ellipsoids, two central meridians, latitudes 18°–53°, up to 3.5° from the central meridian.
TEST(ProjectionAccuracy, GaussAgainstExactTransverseMercator)
{
    ErrorStats within3, within35;
    for (const Ellipsoid& ell : kEllipsoids)
    {
        const GeographicLib::TransverseMercatorExact exact(ell.a, 1.0 / ell.rf, 1.0);
        for (double L0deg : {114.0, 117.0})
        {
            CCoordinateProject p = MakeProjection(ell, 0, L0deg * kDeg, 0.0, 0.0, 500000.0, 1.0);
            for (double lat = 18.0; lat <= 53.0001; lat += 0.5)
                for (double dl = -3.5; dl <= 3.5001; dl += 0.25)
                {
                    double ex = 0, ny = 0;
                    exact.Forward(L0deg, lat, L0deg + dl, ex, ny);
                    double x = 0, y = 0;
                    p.Proj_BLtoxy(lat * kDeg, (L0deg + dl) * kDeg, x, y);
                    ErrorStats e;
                    e.forward = std::hypot(x - ny, y - 500000.0 - ex);
                    double B = 0, L = 0;
                    p.Proj_xytoBL(ny, ex + 500000.0, B, L);
                    e.inverse = AngularErrorMetres(ell.a, ell.rf, lat * kDeg, B - lat * kDeg, L - (L0deg + dl) * kDeg);
                    within35.Merge(e);
                    if (std::fabs(dl) <= 3.0) within3.Merge(e);
                }
        }
    }
    std::printf("[gauss vs TransverseMercatorExact] within 3deg: fwd %.3e m inv %.3e m; within 3.5deg: fwd %.3e m "
                "inv %.3e m\n",
                within3.forward, within3.inverse, within35.forward, within35.inverse);
    EXPECT_LT(within3.forward, 0.001);
    EXPECT_LT(within3.inverse, 0.001);
    EXPECT_LT(within35.forward, 0.005);
    EXPECT_LT(within35.inverse, 0.005);
}

// A latitude origin other than the equator shifts x by the meridian arc of the origin only.
TEST(ProjectionAccuracy, GaussLatitudeOriginAndScale)
{
    const Ellipsoid& ell = kEllipsoids[2];
    const double k0 = 0.9996;
    const GeographicLib::TransverseMercatorExact exact(ell.a, 1.0 / ell.rf, k0);
    CCoordinateProject p = MakeProjection(ell, 0, 117 * kDeg, 30 * kDeg, 1000.0, 500000.0, k0);
    double e0 = 0, n0 = 0;
    exact.Forward(117.0, 30.0, 117.0, e0, n0);
    double worst = 0.0;
    for (double lat = 25.0; lat <= 35.0; lat += 1.0)
        for (double dl = -2.0; dl <= 2.0; dl += 0.5)
        {
            double e = 0, n = 0, x = 0, y = 0;
            exact.Forward(117.0, lat, 117.0 + dl, e, n);
            p.Proj_BLtoxy(lat * kDeg, (117.0 + dl) * kDeg, x, y);
            worst = std::max(worst, std::hypot(x - (n - n0 + 1000.0), y - (e + 500000.0)));
        }
    EXPECT_LT(worst, 0.001);
}

// The projection-height surface enlarges the sphere of every radius by H(1 − e² sin²φ)/√(1 − e²):
// the east-west scale on the central meridian must be exactly that ratio.
TEST(ProjectionAccuracy, ProjectionHeightScaleOnCentralMeridian)
{
    for (const Ellipsoid& ell : kEllipsoids)
        for (double H : {50.0, 500.0, 3000.0})
            for (double lat : {18.0, 31.0, 45.0, 53.0})
            {
                // No false easting: the tiny offset must keep every significant digit.
                CCoordinateProject p = MakeProjection(ell, 0, 114 * kDeg, 0.0, 0.0, 0.0, 1.0, H);
                const double L = 114 * kDeg + 1e-7;
                const double dl = L - 114 * kDeg; // the longitude difference as the projection sees it
                double x = 0, y = 0;
                p.Proj_BLtoxy(lat * kDeg, L, x, y);
                const double f = 1.0 / ell.rf, e2 = 2 * f - f * f, s = std::sin(lat * kDeg);
                // Length of the parallel arc on the plain ellipsoid.
                const double arc = ell.a / std::sqrt(1 - e2 * s * s) * std::cos(lat * kDeg) * dl;
                const double expected = (ell.a + H * (1 - e2 * s * s) / std::sqrt(1 - e2)) / ell.a;
                EXPECT_NEAR(y / arc / expected, 1.0, 1e-12) << ell.name << " H=" << H << " lat=" << lat;
            }
}

TEST(ProjectionAccuracy, ProjectionHeightRoundTrip)
{
    CCoordinateProject p = MakeProjection(kEllipsoids[2], 0, 114 * kDeg, 0.0, 0.0, 500000.0, 1.0, 1250.0);
    double worst = 0.0;
    for (double lat = 18.0; lat <= 53.0; lat += 5.0)
        for (double dl = -3.0; dl <= 3.0; dl += 1.0)
        {
            double x = 0, y = 0, B = 0, L = 0;
            p.Proj_BLtoxy(lat * kDeg, (114 + dl) * kDeg, x, y);
            p.Proj_xytoBL(x, y, B, L);
            worst = std::max(worst, AngularErrorMetres(kEllipsoids[2].a, kEllipsoids[2].rf, lat * kDeg, B - lat * kDeg,
                                                       L - (114 + dl) * kDeg));
        }
    EXPECT_LT(worst, 0.001);
}

namespace
{
// Compares one of types 3 to 7 with a PROJ definition over a grid around the origin. `eastFirst`:
// the type's first plane coordinate is the easting (types 3 and 4).
ErrorStats CompareWithProj(CCoordinateProject& p, const ProjReference& ref, const Ellipsoid& ell, double B0deg,
                           double L0deg, double span, bool eastFirst)
{
    ErrorStats stats;
    for (double dB = -span; dB <= span + 1e-9; dB += span / 6)
        for (double dL = -span; dL <= span + 1e-9; dL += span / 6)
        {
            const double lat = std::max(-89.9, std::min(89.9, B0deg + dB)), lon = L0deg + dL;
            double e = 0, n = 0;
            if (!ref.Forward(lat * kDeg, lon * kDeg, e, n)) continue;
            double x = 0, y = 0;
            p.Proj_BLtoxy(lat * kDeg, lon * kDeg, x, y);
            const double myE = eastFirst ? x : y, myN = eastFirst ? y : x;
            stats.forward = std::max(stats.forward, std::hypot(myE - e, myN - n));
            double B = 0, L = 0;
            if (eastFirst)
                p.Proj_xytoBL(e, n, B, L);
            else
                p.Proj_xytoBL(n, e, B, L);
            double dLon = std::remainder(L - lon * kDeg, 2 * kPi);
            stats.inverse =
                std::max(stats.inverse, AngularErrorMetres(ell.a, ell.rf, lat * kDeg, B - lat * kDeg, dLon));
        }
    return stats;
}
} // namespace

TEST(ProjectionAccuracy, StereographicTypesAgainstProj)
{
    ErrorStats oblique, polar, equatorial, gaussSphere;
    for (const Ellipsoid& ell : kEllipsoids)
    {
        const std::string e = EllipsoidArgs(ell.a, ell.rf);
        for (double B0 : {18.0, 30.0, 53.0})
        {
            CCoordinateProject p3 = MakeProjection(ell, 3, 114 * kDeg, B0 * kDeg, 200000.0, 3000000.0, 0.9999);
            ProjReference r3("+proj=stere +lat_0=" + std::to_string(B0) + " +lon_0=114 +k_0=0.9999 +x_0=200000 +y_0=3000000" + e);
            ASSERT_TRUE(r3.Valid());
            oblique.Merge(CompareWithProj(p3, r3, ell, B0, 114, 3.5, true));

            CCoordinateProject p4 = MakeProjection(ell, 4, 117 * kDeg, B0 * kDeg, 100000.0, 200000.0, 0.9999);
            ProjReference r4("+proj=sterea +lat_0=" + std::to_string(B0) + " +lon_0=117 +k_0=0.9999 +x_0=100000 +y_0=200000" + e);
            ASSERT_TRUE(r4.Valid());
            gaussSphere.Merge(CompareWithProj(p4, r4, ell, B0, 117, 3.5, true));
        }
        CCoordinateProject pn = MakeProjection(ell, 3, 114 * kDeg, 90 * kDeg, 0.0, 0.0, 0.994);
        ProjReference rn("+proj=stere +lat_0=90 +lon_0=114 +k_0=0.994" + e);
        polar.Merge(CompareWithProj(pn, rn, ell, 80, 114, 9.0, true));
        CCoordinateProject ps = MakeProjection(ell, 3, 114 * kDeg, -90 * kDeg, 0.0, 0.0, 0.994);
        ProjReference rs("+proj=stere +lat_0=-90 +lon_0=114 +k_0=0.994" + e);
        polar.Merge(CompareWithProj(ps, rs, ell, -80, 114, 9.0, true));
        CCoordinateProject pe = MakeProjection(ell, 3, 114 * kDeg, 0.0, 0.0, 0.0, 1.0);
        ProjReference re("+proj=stere +lat_0=0 +lon_0=114 +k_0=1" + e);
        equatorial.Merge(CompareWithProj(pe, re, ell, 0, 114, 20.0, true));
    }
    std::printf("[type 3 vs stere] oblique fwd %.3e inv %.3e; polar fwd %.3e inv %.3e; equatorial fwd %.3e inv %.3e\n",
                oblique.forward, oblique.inverse, polar.forward, polar.inverse, equatorial.forward,
                equatorial.inverse);
    std::printf("[type 4 vs sterea] fwd %.3e inv %.3e\n", gaussSphere.forward, gaussSphere.inverse);
    EXPECT_LT(oblique.forward, 0.001);
    EXPECT_LT(oblique.inverse, 0.001);
    EXPECT_LT(polar.forward, 0.001);
    EXPECT_LT(polar.inverse, 0.001);
    EXPECT_LT(equatorial.forward, 0.001);
    EXPECT_LT(equatorial.inverse, 0.001);
    EXPECT_LT(gaussSphere.forward, 0.001);
    EXPECT_LT(gaussSphere.inverse, 0.001);
}

TEST(ProjectionAccuracy, MercatorAndLambertTypesAgainstProj)
{
    ErrorStats merc, lcc1, lcc2;
    for (const Ellipsoid& ell : kEllipsoids)
    {
        const std::string e = EllipsoidArgs(ell.a, ell.rf);
        for (double B0 : {18.0, 30.0, 53.0})
        {
            const std::string b0 = std::to_string(B0);
            CCoordinateProject p5 = MakeProjection(ell, 5, 114 * kDeg, B0 * kDeg, 1000.0, 500000.0, 1.0);
            ProjReference r5("+proj=merc +lat_ts=" + b0 + " +lon_0=114 +x_0=500000 +y_0=1000" + e);
            merc.Merge(CompareWithProj(p5, r5, ell, B0, 114, 3.5, false));

            CCoordinateProject p6 = MakeProjection(ell, 6, 117 * kDeg, B0 * kDeg, 2000.0, 400000.0, 0.9999);
            ProjReference r6("+proj=lcc +lat_1=" + b0 + " +lat_0=" + b0 + " +lon_0=117 +k_0=0.9999 +x_0=400000 +y_0=2000" + e);
            lcc1.Merge(CompareWithProj(p6, r6, ell, B0, 117, 3.5, false));

            const std::string p1 = std::to_string(B0 - 2), p2 = std::to_string(B0 + 3);
            CCoordinateProject p7 =
                MakeProjection(ell, 7, 117 * kDeg, B0 * kDeg, 2000.0, 400000.0, 1.0, 0.0, (B0 - 2) * kDeg, (B0 + 3) * kDeg);
            ProjReference r7("+proj=lcc +lat_1=" + p1 + " +lat_2=" + p2 + " +lat_0=" + b0 +
                             " +lon_0=117 +x_0=400000 +y_0=2000" + e);
            lcc2.Merge(CompareWithProj(p7, r7, ell, B0, 117, 3.5, false));
        }
    }
    std::printf("[type 5 vs merc] fwd %.3e inv %.3e; [type 6 vs lcc 1sp] fwd %.3e inv %.3e; [type 7 vs lcc 2sp] fwd "
                "%.3e inv %.3e\n",
                merc.forward, merc.inverse, lcc1.forward, lcc1.inverse, lcc2.forward, lcc2.inverse);
    EXPECT_LT(merc.forward, 0.001);
    EXPECT_LT(merc.inverse, 0.001);
    EXPECT_LT(lcc1.forward, 0.001);
    EXPECT_LT(lcc1.inverse, 0.001);
    EXPECT_LT(lcc2.forward, 0.001);
    EXPECT_LT(lcc2.inverse, 0.001);
}

// The general routines that no type code uses, against PROJ / GeographicLib where an equivalent
// exists, and by round trip.
TEST(ProjectionAccuracy, GeneralRoutinesAgainstReferences)
{
    const Ellipsoid& ell = kEllipsoids[3];
    const double a = ell.a, f = 1.0 / ell.rf;
    const std::string e = EllipsoidArgs(ell.a, ell.rf);
    CCoordinateProject p;
    struct Case
    {
        const char* name;
        std::string proj;
        std::function<long(double, double, double&, double&)> fwd;
        std::function<long(double, double, double&, double&)> inv;
        double lat0, lon0, span;
    };
    ASSERT_EQ(p.Set_Transverse_Mercator_Parameters(a, f, 10 * kDeg, 20 * kDeg, 500000, 100, 0.9996), 0);
    ASSERT_EQ(p.Set_Albers_Parameters(a, f, 23 * kDeg, -96 * kDeg, 29.5 * kDeg, 45.5 * kDeg, 100, 200), 0);
    ASSERT_EQ(p.Set_Stereographic_Parameters(a, f, 40 * kDeg, 10 * kDeg, 1000, 2000), 0);
    ASSERT_EQ(p.Set_Orthographic_Parameters(a, f, 40 * kDeg, 10 * kDeg, 1000, 2000), 0);
    ASSERT_EQ(p.Set_Cyl_Eq_Area_Parameters(a, f, 30 * kDeg, 10 * kDeg, 1000, 2000), 0);
    ASSERT_EQ(p.Set_Lambert_Parameters(a, f, 35 * kDeg, 110 * kDeg, 25 * kDeg, 47 * kDeg, 0, 0), 0);
    double mercatorScale = 0;
    ASSERT_EQ(p.Set_Mercator_Parameters(a, f, 0, 0, 0, 0, mercatorScale), 0);
    using namespace std::placeholders;
    std::vector<Case> cases = {
        {"tm", "+proj=etmerc +lat_0=10 +lon_0=20 +k_0=0.9996 +x_0=500000 +y_0=100" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Transverse_Mercator(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Transverse_Mercator_To_Geodetic(E, N, B, L); },
         10, 20, 20},
        {"albers", "+proj=aea +lat_0=23 +lon_0=-96 +lat_1=29.5 +lat_2=45.5 +x_0=100 +y_0=200" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Albers(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Albers_To_Geodetic(E, N, B, L); }, 37, -96,
         20},
        {"stereographic", "+proj=stere +lat_0=40 +lon_0=10 +k_0=1 +x_0=1000 +y_0=2000" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Stereographic(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Stereographic_To_Geodetic(E, N, B, L); }, 40,
         10, 30},
        {"orthographic", "+proj=ortho +lat_0=40 +lon_0=10 +x_0=1000 +y_0=2000" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Orthographic(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Orthographic_To_Geodetic(E, N, B, L); }, 40,
         10, 30},
        {"cyl eq area", "+proj=cea +lat_ts=30 +lon_0=10 +x_0=1000 +y_0=2000" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Cyl_Eq_Area(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Cyl_Eq_Area_To_Geodetic(E, N, B, L); }, 0, 10,
         80},
        {"lambert", "+proj=lcc +lat_0=35 +lon_0=110 +lat_1=25 +lat_2=47" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Lambert(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Lambert_To_Geodetic(E, N, B, L); }, 35, 110,
         25},
        {"mercator", "+proj=merc +lon_0=0" + e,
         [&](double B, double L, double& E, double& N) { return p.Convert_Geodetic_To_Mercator(B, L, E, N); },
         [&](double E, double N, double& B, double& L) { return p.Convert_Mercator_To_Geodetic(E, N, B, L); }, 0, 0,
         80},
    };
    for (const Case& c : cases)
    {
        ProjReference ref(c.proj);
        ASSERT_TRUE(ref.Valid()) << c.name;
        ErrorStats stats;
        for (double dB = -c.span; dB <= c.span + 1e-9; dB += c.span / 8)
            for (double dL = -c.span; dL <= c.span + 1e-9; dL += c.span / 8)
            {
                const double lat = (c.lat0 + dB) * kDeg, lon = (c.lon0 + dL) * kDeg;
                double E = 0, N = 0, re = 0, rn = 0;
                if (!ref.Forward(lat, lon, re, rn)) continue;
                ASSERT_EQ(c.fwd(lat, lon, E, N), 0) << c.name << " " << lat / kDeg << " " << lon / kDeg;
                stats.forward = std::max(stats.forward, std::hypot(E - re, N - rn));
                double B = 0, L = 0;
                ASSERT_EQ(c.inv(re, rn, B, L), 0) << c.name;
                stats.inverse = std::max(stats.inverse,
                                         AngularErrorMetres(ell.a, ell.rf, lat, B - lat, std::remainder(L - lon, 2 * kPi)));
            }
        std::printf("[general %s vs PROJ] fwd %.3e m inv %.3e m\n", c.name, stats.forward, stats.inverse);
        EXPECT_LT(stats.forward, 0.001) << c.name;
        EXPECT_LT(stats.inverse, 0.001) << c.name;
    }
}

TEST(ProjectionAccuracy, AzimuthalEquidistantAgainstGeodesics)
{
    const Ellipsoid& ell = kEllipsoids[3];
    CCoordinateProject p;
    ASSERT_EQ(p.Set_Azimuthal_Equidistant_Parameters(ell.a, 1 / ell.rf, 35 * kDeg, 115 * kDeg, 0, 0), 0);
    const GeographicLib::Geodesic geod(ell.a, 1 / ell.rf);
    const GeographicLib::AzimuthalEquidistant aeqd(geod);
    double worst = 0, worstInv = 0;
    for (double lat = -60; lat <= 80; lat += 10)
        for (double lon = 40; lon <= 190; lon += 15)
        {
            double x = 0, y = 0, azi = 0, rk = 0;
            aeqd.Forward(35, 115, lat, lon, x, y, azi, rk);
            double E = 0, N = 0;
            ASSERT_EQ(p.Convert_Geodetic_To_Azimuthal_Equidistant(lat * kDeg, lon * kDeg, E, N), 0);
            worst = std::max(worst, std::hypot(E - x, N - y));
            double B = 0, L = 0;
            ASSERT_EQ(p.Convert_Azimuthal_Equidistant_To_Geodetic(x, y, B, L), 0);
            worstInv = std::max(worstInv, AngularErrorMetres(ell.a, ell.rf, lat * kDeg, B - lat * kDeg,
                                                             std::remainder(L - lon * kDeg, 2 * kPi)));
        }
    std::printf("[general aeqd vs GeographicLib] fwd %.3e m inv %.3e m\n", worst, worstInv);
    EXPECT_LT(worst, 0.001);
    EXPECT_LT(worstInv, 0.001);
}
