// Parameter calculation from control points, and the matrix classes it rests on.

#include "Reference.h"

#include "coord/CCoordinateCalculate.h"
#include "coord/CCoordinateCalculate_Matrix.h"
#include "coord/CCoordinateMatrix.h"
#include "coord/CCoordinateSystem.h"
#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
QString Packed(double degrees)
{
    const bool neg = degrees < 0;
    double v = std::fabs(degrees);
    const long long units = std::llround(v * 3600.0 * 1e7); // 1e-7 seconds
    const long long d = units / (3600LL * 10000000LL);
    const long long m = (units / (60LL * 10000000LL)) % 60;
    const long long s = units % (60LL * 10000000LL);
    return QString::asprintf("%s%lld.%02lld%09lld", neg ? "-" : "", d, m, s);
}

CoordinateSystem_Parameter BaseSystem()
{
    CoordinateSystem_Parameter p;
    CCoordinateSystem::Initialize(p);
    p.ProjectParameter.CentralMeridian = 114 * kDeg;
    return p;
}

CoordinateSystem_SevenParameter TrueSeven()
{
    CoordinateSystem_SevenParameter s;
    s.Use = 1;
    s.Mode = 1;
    s.DX = -15.4;
    s.DY = 154.2;
    s.DZ = 82.7;
    s.RX = 1.8e-6;
    s.RY = -2.2e-6;
    s.RZ = 3.1e-6;
    s.K = -4.6e-6;
    return s;
}

// Control points: WGS84 positions and their grid coordinates in the base system reached through
// the true seven parameters, with normal noise of `noise` metres on the grid values.
std::vector<ControlCoordinateLibraryData> MakePoints(int n, double spreadDeg, double noise, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-spreadDeg, spreadDeg);
    std::normal_distribution<double> g(0.0, noise);
    CCoordinateConvert c;
    c.SetDestinationEllipsoid(Beijing54Ellipsoid());
    c.SetProjection(BaseSystem().ProjectParameter);
    c.SetSevenParameter(TrueSeven());
    std::vector<ControlCoordinateLibraryData> points;
    for (int i = 0; i < n; ++i)
    {
        const double lat = 30 + u(rng), lon = 114 + u(rng), H = 40 + 10 * u(rng);
        ControlCoordinateLibraryData d;
        d.B = Packed(lat);
        d.L = Packed(lon);
        d.H = QString::number(H, 'f', 4);
        // The grid values from the packed angles as they will be read back.
        double x, y, h;
        c.BLHToxyh(CCoordinateCalculate::PackedDmsToRadians(d.B), CCoordinateCalculate::PackedDmsToRadians(d.L),
                   d.H.toDouble(), x, y, h);
        d.x = QString::number(x + g(rng), 'f', 5);
        d.y = QString::number(y + g(rng), 'f', 5);
        d.h = QString::number(h + g(rng), 'f', 5);
        d.label = QStringLiteral("P%1").arg(i);
        points.push_back(d);
    }
    return points;
}
} // namespace

TEST(Calculate, PackedSexagesimal)
{
    EXPECT_NEAR(CCoordinateCalculate::PackedDmsToRadians(QStringLiteral("30.3000")), 30.5 * kDeg, 1e-13);
    EXPECT_NEAR(CCoordinateCalculate::PackedDmsToRadians(QStringLiteral("-114.0730")), -114.125 * kDeg, 1e-13);
    EXPECT_NEAR(CCoordinateCalculate::PackedDmsToRadians(QStringLiteral("36.59595")), (36 + 59 / 60.0 + 59.5 / 3600) * kDeg, 1e-13);
    EXPECT_EQ(CCoordinateCalculate::PackedDmsToRadians(QStringLiteral("abc")), 0.0);
}

TEST(Calculate, SevenParametersRecoveredFromNoisyControlPoints)
{
    for (int sevenMode : {1, 0})
        for (int n : {5, 12, 50})
        {
            CCoordinateCalculate calc;
            calc.SetCoordinateSystem(BaseSystem());
            CoordinateSystem_ConvertCalculateParameter opt;
            opt.sevenMode = sevenMode;
            calc.SetConvertCalculatePar(opt);
            for (const auto& p : MakePoints(n, 1.0, 0.002, 7u + n)) calc.ControlCoordinateLibrary_Add(p);
            ASSERT_EQ(calc.Calculate_SevernPar(), 1) << sevenMode << " " << n;
            const CoordinateSystem_Parameter r = calc.GetCalculateCoordinateSystem();
            EXPECT_EQ(r.SevenParameter.Use, 1);
            EXPECT_EQ(r.SevenParameter.Mode, sevenMode == 1 ? 1 : 0);
            double worstPlane = 0, worstHeight = 0;
            for (int i = 0; i < n; ++i)
            {
                ControlCoordinateLibraryData d;
                calc.ControlCoordinateLibrary_GetAt(i, d);
                worstPlane = std::max(worstPlane, d.planeResidual);
                worstHeight = std::max(worstHeight, std::fabs(d.heightResidual));
            }
            EXPECT_LT(worstPlane, 0.012) << sevenMode << " " << n;
            EXPECT_LT(worstHeight, 0.012) << sevenMode << " " << n;
            // Fresh points converted with the result agree with the true transform.
            CCoordinateConvert truth, fitted;
            truth.SetDestinationEllipsoid(Beijing54Ellipsoid());
            truth.SetProjection(BaseSystem().ProjectParameter);
            truth.SetSevenParameter(TrueSeven());
            fitted.SetDestinationEllipsoid(r.EllipsoidParameter);
            fitted.SetProjection(r.ProjectParameter);
            fitted.SetSevenParameter(r.SevenParameter);
            for (double dl : {-0.5, 0.3})
            {
                double x1, y1, h1, x2, y2, h2;
                truth.BLHToxyh((30 + dl) * kDeg, (114 - dl) * kDeg, 50, x1, y1, h1);
                fitted.BLHToxyh((30 + dl) * kDeg, (114 - dl) * kDeg, 50, x2, y2, h2);
                EXPECT_LT(std::hypot(x1 - x2, y1 - y2), 0.01) << sevenMode << " " << n;
                EXPECT_LT(std::fabs(h1 - h2), 0.01) << sevenMode << " " << n;
            }
        }
}

TEST(Calculate, SevenParameterValuesFromAWideNetwork)
{
    CCoordinateCalculate calc;
    calc.SetCoordinateSystem(BaseSystem());
    CoordinateSystem_ConvertCalculateParameter opt;
    opt.sevenMode = 1;
    calc.SetConvertCalculatePar(opt);
    for (const auto& p : MakePoints(30, 3.0, 0.0, 99u)) calc.ControlCoordinateLibrary_Add(p);
    // Points not used for heights take no part in the seven-parameter solution.
    ControlCoordinateLibraryData wild = MakePoints(1, 1.0, 0.0, 5u)[0];
    wild.x = QStringLiteral("0");
    wild.useHeight = 0;
    calc.ControlCoordinateLibrary_Add(wild);
    ASSERT_EQ(calc.Calculate_SevernPar(), 1);
    const CoordinateSystem_SevenParameter s = calc.GetCalculateCoordinateSystem().SevenParameter;
    const CoordinateSystem_SevenParameter t = TrueSeven();
    auto angle = [](double a) { return std::remainder(a, 2 * kPi); };
    EXPECT_NEAR(s.DX, t.DX, 0.05);
    EXPECT_NEAR(s.DY, t.DY, 0.05);
    EXPECT_NEAR(s.DZ, t.DZ, 0.05);
    EXPECT_NEAR(angle(s.RX), t.RX, 1e-8);
    EXPECT_NEAR(angle(s.RY), t.RY, 1e-8);
    EXPECT_NEAR(angle(s.RZ), t.RZ, 1e-8);
    EXPECT_NEAR(s.K, t.K, 1e-8);
}

TEST(Calculate, PlaneAndHeightFits)
{
    // Known grid = a rotated, scaled and shifted copy of the converted grid; known heights = the
    // ellipsoidal height minus a plane or a quadratic surface.
    auto build = [](int n, int surface, CCoordinateCalculate& calc) {
        CCoordinateConvert plain;
        plain.SetDestinationEllipsoid(Beijing54Ellipsoid());
        plain.SetProjection(BaseSystem().ProjectParameter);
        const double ca = 0.0012, ck = 1.00003, x0 = 3320000, y0 = 500000;
        for (int i = 0; i < n; ++i)
        {
            const double lat = 30 + 0.05 * std::sin(i * 1.7), lon = 114 + 0.05 * std::cos(i * 2.3);
            ControlCoordinateLibraryData d;
            d.B = Packed(lat);
            d.L = Packed(lon);
            d.H = QStringLiteral("100.0");
            double x, y, h;
            plain.BLHToxyh(CCoordinateCalculate::PackedDmsToRadians(d.B), CCoordinateCalculate::PackedDmsToRadians(d.L),
                           100.0, x, y, h);
            const double dx = x - x0, dy = y - y0;
            const double kx = x0 + 25.0 + ck * (dx * std::cos(ca) - dy * std::sin(ca));
            const double ky = y0 - 40.0 + ck * (dx * std::sin(ca) + dy * std::cos(ca));
            const double u = (kx - 3320000) / 1000, v = (ky - 500000) / 1000;
            const double sep = surface == 1 ? 12.0 + 0.02 * u - 0.03 * v : 12.0 + 0.02 * u - 0.03 * v + 0.004 * u * u - 0.002 * v * v + 0.001 * u * v;
            d.x = QString::number(kx, 'f', 6);
            d.y = QString::number(ky, 'f', 6);
            d.h = QString::number(h - sep, 'f', 6);
            calc.ControlCoordinateLibrary_Add(d);
        }
    };
    for (int surface : {1, 2})
    {
        CCoordinateCalculate calc;
        calc.SetCoordinateSystem(BaseSystem());
        calc.HeightFittingParameter_SetMode(surface);
        build(9, surface, calc);
        ASSERT_EQ(calc.Calculate_HAndVPar(0), 1);
        const CoordinateSystem_Parameter r = calc.GetCalculateCoordinateSystem();
        EXPECT_EQ(r.FourParameter.Use, 1);
        EXPECT_NEAR(r.FourParameter.Ca, 0.0012, 1e-9);
        EXPECT_NEAR(r.FourParameter.Ck, 1.00003, 1e-9);
        EXPECT_EQ(r.HeightFittingParameter.Use, 1);
        for (int i = 0; i < 9; ++i)
        {
            ControlCoordinateLibraryData d;
            calc.ControlCoordinateLibrary_GetAt(i, d);
            EXPECT_LT(d.planeResidual, 1e-4);
            // The calculated system reproduces the control heights.
            EXPECT_NEAR(d.heightResidual, 0.0, 1e-4) << surface;
        }
    }
}

TEST(Calculate, PointCountsChooseTheMethod)
{
    auto run = [](int n, int& heightUse, int& correctUse, double& dh) {
        CCoordinateCalculate calc;
        calc.SetCoordinateSystem(BaseSystem());
        CCoordinateConvert plain;
        plain.SetDestinationEllipsoid(Beijing54Ellipsoid());
        plain.SetProjection(BaseSystem().ProjectParameter);
        for (int i = 0; i < n; ++i)
        {
            ControlCoordinateLibraryData d;
            d.B = Packed(30 + 0.01 * i);
            d.L = Packed(114 + 0.013 * i * i);
            d.H = QStringLiteral("50");
            double x, y, h;
            plain.BLHToxyh(CCoordinateCalculate::PackedDmsToRadians(d.B), CCoordinateCalculate::PackedDmsToRadians(d.L),
                           50, x, y, h);
            d.x = QString::number(x + 3.0, 'f', 6);
            d.y = QString::number(y - 2.0, 'f', 6);
            d.h = QString::number(h - 10.0 - 0.1 * i, 'f', 6);
            calc.ControlCoordinateLibrary_Add(d);
        }
        EXPECT_EQ(calc.Calculate_HAndVPar(0), 1);
        const CoordinateSystem_Parameter r = calc.GetCalculateCoordinateSystem();
        heightUse = r.HeightFittingParameter.Use;
        correctUse = r.CorrectParameter.Use;
        dh = r.CorrectParameter.Dh;
        if (n == 1)
        {
            EXPECT_EQ(r.FourParameter.Use, 0);
            EXPECT_NEAR(r.CorrectParameter.Dx, 3.0, 1e-6);
            EXPECT_NEAR(r.CorrectParameter.Dy, -2.0, 1e-6);
        }
    };
    int hu, cu;
    double dh;
    run(1, hu, cu, dh);
    EXPECT_EQ(hu, 0);
    EXPECT_NEAR(dh, -10.0, 1e-6);
    run(3, hu, cu, dh); // three points in mode 3: the mean
    EXPECT_EQ(hu, 0);
    EXPECT_EQ(cu, 1);
    EXPECT_NEAR(dh, -10.1, 1e-6);
    run(5, hu, cu, dh); // a plane
    EXPECT_EQ(hu, 1);
    run(8, hu, cu, dh); // a quadratic surface
    EXPECT_EQ(hu, 1);
}

TEST(Calculate, ShiftsLibraryAccessAndEmptyInput)
{
    CCoordinateCalculate calc;
    calc.SetCoordinateSystem(BaseSystem());
    EXPECT_EQ(calc.Calculate_SevernPar(), 0);
    EXPECT_EQ(calc.Calculate_HAndVPar(0), 0);
    EXPECT_EQ(calc.Calculate_CorrectPar(), 0);
    ControlCoordinateLibraryData d;
    EXPECT_EQ(calc.ControlCoordinateLibrary_GetAt(0, d), 0);
    EXPECT_EQ(calc.ControlCoordinateLibrary_SetAt(-1, d), 0);
    for (const auto& p : MakePoints(4, 0.2, 0.0, 3u)) calc.ControlCoordinateLibrary_Add(p);
    ASSERT_EQ(calc.Calculate_CorrectPar(), 1);
    const CoordinateSystem_CorrectParameter c = calc.GetCalculateCoordinateSystem().CorrectParameter;
    EXPECT_EQ(c.Use, 1);
    // Shifting by the mean leaves residuals that average to zero in height.
    double sum = 0;
    for (int i = 0; i < 4; ++i)
    {
        calc.ControlCoordinateLibrary_GetAt(i, d);
        sum += d.heightResidual;
    }
    EXPECT_NEAR(sum, 0.0, 1e-6);
    ControlCoordinateLibraryData none;
    none.usePlane = none.useHeight = 0;
    EXPECT_EQ(calc.Calculate_AnotherCorrectPar(none), 0);
}

TEST(Matrix, InverseProductsAndSingularReport)
{
    std::vector<QString> messages;
    const MessageHandler old = SetMessageHandler([&](const QString& text, const QString& caption, MessageKind) {
        messages.push_back(caption + QStringLiteral("|") + text);
        return MessageAnswer::Ok;
    });
    CCoordinateMatrix m(4);
    const double v[16] = {4, 1, 2, 0.5, 1, 5, 1, 0, 2, 1, 6, 1, 0.5, 0, 1, 3};
    for (int i = 0; i < 16; ++i) m.SetData(i, v[i]);
    EXPECT_EQ(m.Symmetry(), 1);
    for (const CCoordinateMatrix& inv : {~m, m.Reverse()})
    {
        const CCoordinateMatrix id = m * inv;
        ASSERT_EQ(id.Rows(), 4);
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_NEAR(id.GetData(i, j), i == j ? 1.0 : 0.0, 1e-13);
    }
    CCoordinateMatrix ch(m);
    ASSERT_EQ(ch.matChole(), 1);
    EXPECT_NEAR((ch - ~m).Summation(), 0.0, 1e-13);
    EXPECT_TRUE(messages.empty());

    CCoordinateMatrix singular(3);
    singular = 1.0;
    EXPECT_TRUE((~singular).IsEmpty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("矩阵运算提示|错误，不能正确计算该矩阵的逆阵!"));
    EXPECT_EQ(singular.matChole(), 0);
    EXPECT_EQ(messages.back(), QStringLiteral("矩阵运算提示|\n CCoordinateMatrix can't be converted!"));
    EXPECT_EQ(m.SetData(4, 0, 1.0), 0);
    EXPECT_TRUE((CCoordinateMatrix(2, 3) * CCoordinateMatrix(2, 3)).IsEmpty());
    SetMessageHandler(old);
}

TEST(Matrix, TextbookDecompositions)
{
    using M = CCoordinateCalculate_Matrix;
    const double sym[16] = {4, 1, 2, 0.5, 1, 5, 1, 0, 2, 1, 6, 1, 0.5, 0, 1, 3};
    const M A(4, 4, sym);
    M inv = A;
    ASSERT_TRUE(inv.InvertGaussJordan());
    M ss = A;
    ASSERT_TRUE(ss.InvertSsgj());
    const double toe[16] = {5, 2, 1, 0.5, 2, 5, 2, 1, 1, 2, 5, 2, 0.5, 1, 2, 5};
    M T(4, 4, toe), Tg(4, 4, toe);
    ASSERT_TRUE(T.InvertTrench());
    ASSERT_TRUE(Tg.InvertGaussJordan());
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            EXPECT_NEAR(ss.GetElement(i, j), inv.GetElement(i, j), 1e-13);
            EXPECT_NEAR(T.GetElement(i, j), Tg.GetElement(i, j), 1e-13);
        }
    double det = 0;
    ASSERT_TRUE(A.DetCholesky(&det));
    EXPECT_NEAR(A.DetGauss(), det, 1e-9);
    EXPECT_EQ(A.RankGauss(), 4);
    const double low[6] = {1, 2, 3, 2, 4, 6};
    EXPECT_EQ(M(2, 3, low).RankGauss(), 1);

    M L, U, Q, R;
    ASSERT_TRUE(A.SplitLU(L, U));
    ASSERT_TRUE(A.SplitQR(Q, R));
    const double tall[12] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 1, 0, 1};
    const M B(4, 3, tall);
    M Us, Vs, S, P;
    ASSERT_TRUE(B.SplitUV(Us, Vs, S));
    ASSERT_TRUE(B.GInvertUV(P));
    const M LU = L * U, QR = Q * R, USV = Us * S * Vs.Transpose(), BPB = B * P * B;
    for (int i = 0; i < 4; ++i)
    {
        for (int j = 0; j < 4; ++j)
        {
            EXPECT_NEAR(LU.GetElement(i, j), A.GetElement(i, j), 1e-12);
            EXPECT_NEAR(QR.GetElement(i, j), A.GetElement(i, j), 1e-12);
        }
        for (int j = 0; j < 3; ++j)
        {
            EXPECT_NEAR(USV.GetElement(i, j), B.GetElement(i, j), 1e-12);
            EXPECT_NEAR(BPB.GetElement(i, j), B.GetElement(i, j), 1e-12);
        }
    }

    // Eigenvalues three ways on a symmetric matrix; the Hessenberg QR on a rotation-like matrix
    // with a complex pair.
    double ev1[4], ev2[4], b[4], c[4];
    M V1, V2, Qt, Tt;
    ASSERT_TRUE(A.JacobiEigenv(ev1, V1));
    ASSERT_TRUE(A.JacobiEigenv2(ev2, V2));
    ASSERT_TRUE(A.MakeSymTri(Qt, Tt, b, c));
    ASSERT_TRUE(M::SymTriEigenv(b, c, Qt));
    std::vector<double> e1(ev1, ev1 + 4), e2(ev2, ev2 + 4), e3(b, b + 4);
    std::sort(e1.begin(), e1.end());
    std::sort(e2.begin(), e2.end());
    std::sort(e3.begin(), e3.end());
    double trace = 0;
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(e1[i], e2[i], 1e-10);
        EXPECT_NEAR(e1[i], e3[i], 1e-10);
        trace += e1[i];
    }
    EXPECT_NEAR(trace, 18.0, 1e-10);
    const double gen[9] = {0, -2, 0, 2, 0, 0, 0, 0, 3};
    M H(3, 3, gen);
    H.MakeHberg();
    double re[3], im[3];
    ASSERT_TRUE(H.HBergEigenv(re, im));
    std::vector<std::pair<double, double>> eig = {{re[0], im[0]}, {re[1], im[1]}, {re[2], im[2]}};
    std::sort(eig.begin(), eig.end(), [](auto a, auto b) { return a.second < b.second; });
    EXPECT_NEAR(eig[0].second, -2.0, 1e-10);
    EXPECT_NEAR(eig[1].first, 3.0, 1e-10);
    EXPECT_NEAR(eig[2].second, 2.0, 1e-10);
    M sing(2, 2);
    EXPECT_FALSE(sing.InvertGaussJordan());
    EXPECT_EQ(A.ToString(QStringLiteral(","), true).count(QStringLiteral("\r\n")), 3);
}
