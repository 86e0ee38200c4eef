// Accuracy of the transition curves against an independent reference, and of their inverses.
//
// The reference integrates the tangent of a curve whose curvature runs linearly along it,
// theta(t) = theta0 + k0·t + (k1 − k0)·t²/(2L), with composite Gauss–Legendre quadrature in long
// double. It knows nothing of clothoid parameters, series origins, directions or mirroring.

#include "road/CXHuanQu.h"
#include "road/CXLuoXuan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <vector>

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr double kX0 = 3456789.123; // grid coordinates of realistic size
constexpr double kY0 = 512345.678;

struct Pose
{
    long double x, y, theta;
};

// Nodes and weights of n-point Gauss–Legendre quadrature on [−1, 1].
struct GaussLegendre
{
    std::vector<long double> nodes, weights;
    explicit GaussLegendre(int n)
    {
        for (int i = 1; i <= n; ++i)
        {
            long double x = std::cos(kPi * (i - 0.25L) / (n + 0.5L));
            long double dp = 0;
            for (int it = 0; it < 100; ++it)
            {
                long double p0 = 1, p1 = x;
                for (int k = 2; k <= n; ++k)
                {
                    const long double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                dp = n * (x * p1 - p0) / (x * x - 1);
                const long double dx = p1 / dp;
                x -= dx;
                if (std::fabs(dx) < 1e-19L)
                    break;
            }
            nodes.push_back(x);
            weights.push_back(2 / ((1 - x * x) * dp * dp));
        }
    }
};

// Poses at t = i·L/n, i = 0..n, of the curve starting at (x0, y0, theta0) with signed curvature
// k0 at the start and k1 at the end (positive bending right, towards increasing bearing).
std::vector<Pose> Reference(double theta0, double k0, double k1, double length, int n)
{
    static const GaussLegendre gl(12);
    const long double c = (static_cast<long double>(k1) - k0) / length;
    auto theta = [&](long double t) { return theta0 + k0 * t + c * t * t / 2; };
    std::vector<Pose> out;
    long double x = kX0, y = kY0;
    out.push_back({x, y, theta(0)});
    const long double h = static_cast<long double>(length) / n;
    for (int i = 1; i <= n; ++i)
    {
        const long double a = (i - 1) * h, mid = a + h / 2;
        long double sx = 0, sy = 0;
        for (size_t j = 0; j < gl.nodes.size(); ++j)
        {
            const long double th = theta(mid + gl.nodes[j] * h / 2);
            sx += gl.weights[j] * std::cos(th);
            sy += gl.weights[j] * std::sin(th);
        }
        x += sx * h / 2;
        y += sy * h / 2;
        out.push_back({x, y, theta(i * h)});
    }
    return out;
}

double AngleDiff(double a, long double b)
{
    long double d = std::fmod(static_cast<long double>(a) - b, 2 * static_cast<long double>(kPi));
    if (d > kPi)
        d -= 2 * kPi;
    if (d < -kPi)
        d += 2 * kPi;
    return static_cast<double>(std::fabs(d));
}

// Largest omitted terms of the 6-term series at s = q·A (the series alternate, so they bound the
// truncation error of each coordinate).
double TruncationBound(double a, double q)
{
    return a * (std::pow(q, 25) / 49049763840000.0 + std::pow(q, 27) / 1377317368627200.0);
}

struct Errors
{
    double position = 0, bearing = 0;
};

// Samples an element densely against its reference, with offsets cycling through 0, +25, −25.
template <class Element>
Errors Sample(const Element& e, double theta0, double k0, double k1, double length)
{
    const int n = std::max(200, static_cast<int>(std::ceil(length / 1.0)));
    const std::vector<Pose> ref = Reference(theta0, k0, k1, length, n);
    Errors err;
    for (int i = 0; i <= n; ++i)
    {
        const double d = (i % 3 == 0) ? 0.0 : (i % 3 == 1 ? 25.0 : -25.0);
        double b = -1, x = 0, y = 0;
        e.GetVXY(length * i / n, b, x, y, d);
        const Pose& p = ref[i];
        const long double ex = p.x - d * std::sin(p.theta), ey = p.y + d * std::cos(p.theta);
        err.position = std::max(err.position, static_cast<double>(std::hypot(x - ex, y - ey)));
        err.bearing = std::max(err.bearing, AngleDiff(b, p.theta));
        EXPECT_TRUE(b >= 0.0 && b <= 2 * kPi) << "bearing " << b << " not normalised";
    }
    return err;
}

const double kParameters[] = {30, 60, 100, 200, 350, 500, 800, 1200, 2000, 3000};
const double kRatios[] = {0.25, 0.5, 1.0, 1.5, 2.0, 2.5}; // largest s/A on the element
const double kBearings[] = {0.7, kPi / 2, 6.1};

// Prints one table of largest position errors and checks the accuracy claims: within 1e-6 m for
// highway geometry (s/A <= 1.5, A <= 1500 m), and nowhere worse than the series truncation allows.
void CheckTable(const char* title, const std::map<std::pair<double, double>, Errors>& table)
{
    std::cout << title << ": largest position error [m] by A (rows) and largest s/A (columns)\n     A";
    for (double q : kRatios)
        std::printf("  %9.2f", q);
    std::printf("\n");
    double worstBearing = 0, worstPractical = 0;
    for (double a : kParameters)
    {
        std::printf("%6.0f", a);
        for (double q : kRatios)
        {
            const Errors& e = table.at({a, q});
            std::printf("  %9.2e", e.position);
            worstBearing = std::max(worstBearing, e.bearing);
            if (q <= 1.5 && a <= 1500)
            {
                worstPractical = std::max(worstPractical, e.position);
                EXPECT_LE(e.position, 1e-6) << "A " << a << " s/A " << q;
            }
            EXPECT_LE(e.position, 2.2 * TruncationBound(a, q) + 2e-8) << "A " << a << " s/A " << q;
        }
        std::printf("\n");
    }
    std::printf("%s: largest bearing error %.2e rad; largest position error for s/A <= 1.5, A <= 1500 m: %.2e m\n",
                title, worstBearing, worstPractical);
    EXPECT_LE(worstBearing, 1e-12);
}

} // namespace

TEST(ClothoidAccuracy, TransitionFromOrToStraightMatchesFresnelIntegrals)
{
    std::map<std::pair<double, double>, Errors> table;
    for (double a : kParameters)
        for (double q : kRatios)
        {
            const double length = q * a, radius = a / q;
            Errors& worst = table[{a, q}];
            for (int direction = 0; direction < 2; ++direction)
                for (int side : {1, -1})
                    for (double theta : kBearings)
                    {
                        CXHuanQu h;
                        ASSERT_EQ(h.SetPars(kX0, kY0, theta, length, side * radius, direction), 1);
                        const double k = side / radius;
                        const Errors e = Sample(h, theta, direction == 1 ? 0.0 : k, direction == 1 ? k : 0.0, length);
                        worst.position = std::max(worst.position, e.position);
                        worst.bearing = std::max(worst.bearing, e.bearing);
                    }
        }
    CheckTable("CXHuanQu", table);
}

TEST(ClothoidAccuracy, TransitionBetweenCirclesMatchesFresnelIntegrals)
{
    std::map<std::pair<double, double>, Errors> table;
    for (double a : kParameters)
        for (double q : kRatios)
        {
            // The piece from s = q·A/2 to s = q·A of the clothoid, run both ways.
            const double sNear = q * a / 2, sFar = q * a;
            const double rLarge = a * a / sNear, rSmall = a * a / sFar;
            Errors& worst = table[{a, q}];
            for (int growing = 0; growing < 2; ++growing)
                for (int side : {1, -1})
                    for (double theta : kBearings)
                    {
                        const double r1 = side * (growing ? rLarge : rSmall);
                        const double r2 = side * (growing ? rSmall : rLarge);
                        CXLuoXuan c;
                        ASSERT_EQ(c.SetPars(kX0, kY0, theta, sFar - sNear, r1, r2), 1);
                        const Errors e = Sample(c, theta, 1 / r1, 1 / r2, sFar - sNear);
                        worst.position = std::max(worst.position, e.position);
                        worst.bearing = std::max(worst.bearing, e.bearing);
                    }
        }
    CheckTable("CXLuoXuan", table);
}

namespace
{

struct RoundTrip
{
    double station = 0, offset = 0;
    int misses = 0;
};

// Compute(GetVXY(l, d)) over the element for the given offsets; "misses" counts points reported
// off the element.
template <class Element>
void Trip(const Element& e, double length, const std::vector<double>& offsets, RoundTrip& worst)
{
    for (int i = 0; i <= 40; ++i)
    {
        const double l = length * i / 40;
        for (double d : offsets)
        {
            double b = 0, x = 0, y = 0, l2 = -99, d2 = -99;
            e.GetVXY(l, b, x, y, d);
            if (!e.Compute(x, y, l2, d2))
                ++worst.misses;
            worst.station = std::max(worst.station, std::fabs(l2 - l));
            worst.offset = std::max(worst.offset, std::fabs(d2 - d));
        }
    }
}

// Offsets within `reach` of the centre line; on the inner side (sign of the radius) only up to
// half the smallest radius of the element, where the normal foot is unique.
std::vector<double> Offsets(double radiusSign, double smallestRadius, double reach)
{
    std::vector<double> out;
    for (double d : {0.0, 0.5, 5.0, 20.0, 60.0, 100.0, 250.0, 500.0})
    {
        if (d > reach)
            continue;
        out.push_back(-radiusSign * d); // outer side
        if (d <= 0.5 * smallestRadius)
            out.push_back(radiusSign * d);
    }
    return out;
}

} // namespace

// The polynomial first estimate alone is off by 1e-4 m, 4 mm and 0.3 m on these three for a point
// 20 m off the line.
TEST(ClothoidAccuracy, TransitionInverseAgreesWithForwardOnSharpTransitions)
{
    const double cases[][2] = {{100, 600}, {150, 400}, {250, 250}};
    for (const auto& c : cases)
    {
        RoundTrip worst;
        for (int direction = 0; direction < 2; ++direction)
            for (int side : {1, -1})
            {
                CXHuanQu h;
                ASSERT_EQ(h.SetPars(kX0, kY0, 0.7, c[0], side * c[1], direction), 1);
                Trip(h, c[0], {20.0, -20.0, 50.0, -50.0, 100.0, -100.0}, worst);
            }
        std::printf("CXHuanQu L=%g R=%g, offsets up to 100 m: station error %.2e m, offset error %.2e m\n", c[0],
                    c[1], worst.station, worst.offset);
        EXPECT_LE(worst.station, 1e-6);
        EXPECT_LE(worst.offset, 1e-6);
        EXPECT_EQ(worst.misses, 0);
    }
}

TEST(ClothoidAccuracy, InversesReturnStationAndOffsetUpTo500mOff)
{
    RoundTrip spiral, partial;
    const double spirals[][2] = {{40, 60}, {100, 600}, {250, 250}, {300, 3000}, {120, 1500}};
    for (const auto& c : spirals)
        for (int direction = 0; direction < 2; ++direction)
            for (int side : {1, -1})
                for (double theta : kBearings)
                {
                    CXHuanQu h;
                    ASSERT_EQ(h.SetPars(kX0, kY0, theta, c[0], side * c[1], direction), 1);
                    Trip(h, c[0], Offsets(side, c[1], 500), spiral);
                }
    const double partials[][3] = {{100, 1000, 500}, {80, 300, 200}, {150, 2000, 400}, {60, 150, 100}, {200, 800, 3000}};
    for (const auto& c : partials)
        for (int swap = 0; swap < 2; ++swap)
            for (int side : {1, -1})
                for (double theta : kBearings)
                {
                    const double r1 = side * (swap ? c[2] : c[1]), r2 = side * (swap ? c[1] : c[2]);
                    CXLuoXuan p;
                    ASSERT_EQ(p.SetPars(kX0, kY0, theta, c[0], r1, r2), 1);
                    Trip(p, c[0], Offsets(side, std::min(c[1], c[2]), 500), partial);
                }
    std::printf("Round trips up to 500 m off: CXHuanQu station %.2e offset %.2e; CXLuoXuan station %.2e offset %.2e\n",
                spiral.station, spiral.offset, partial.station, partial.offset);
    EXPECT_LE(spiral.station, 1e-6);
    EXPECT_LE(spiral.offset, 1e-6);
    EXPECT_EQ(spiral.misses, 0);
    EXPECT_LE(partial.station, 1e-6);
    EXPECT_LE(partial.offset, 1e-6);
    EXPECT_EQ(partial.misses, 0);
}

TEST(ClothoidAccuracy, PointsAtOrNearTheZeroCurvaturePointGiveFiniteAnswers)
{
    CXHuanQu in, out;
    ASSERT_EQ(in.SetPars(kX0, kY0, 0.3, 120, -500, 1), 1);
    ASSERT_EQ(out.SetPars(kX0, kY0, 0.3, 120, 500, 0), 1);
    double b = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    out.GetVXY(120, b, x1, y1, 0); // its zero-curvature end
    for (double eps : {0.0, 1e-12, 1e-9, 1e-6, 1e-3})
        for (double dx : {-eps, 0.0, eps})
        {
            double l = NAN, d = NAN;
            EXPECT_EQ(in.Compute(kX0 + dx, kY0 + eps, l, d), 1);
            EXPECT_NEAR(l, 0.0, 2e-3);
            EXPECT_NEAR(d, 0.0, 2e-3);
            out.Compute(x1 + dx, y1 - eps, l, d);
            EXPECT_NEAR(l, 120.0, 2e-3);
            EXPECT_NEAR(d, 0.0, 2e-3);
        }

    // A partial clothoid queried at the zero-curvature point of its underlying spiral, which lies
    // outside the element (l = −A²/R1 on its extension), around it and very far away.
    CXLuoXuan p;
    ASSERT_EQ(p.SetPars(kX0, kY0, 0.3, 100, 1000, 500), 1);
    const double a2 = 100.0 * 1000 * 500 / 500;
    p.GetVXY(-a2 / 1000, b, x0, y0, 0);
    for (double dx : {0.0, 1e-12, 1e-8, 1e-5, 1.0, 1e5})
        for (double dy : {0.0, -1e-10, 1e-3, 1e5})
        {
            double l = NAN, d = NAN;
            p.Compute(x0 + dx, y0 + dy, l, d);
            EXPECT_TRUE(std::isfinite(l) && std::isfinite(d)) << dx << " " << dy;
        }
}

TEST(ClothoidAccuracy, InvalidParametersLeaveTheElementSilent)
{
    CXHuanQu h;
    EXPECT_EQ(h.SetPars(0, 0, 0, 100, 5e-7, 1), 0);
    double b = 7, x = 7, y = 7, l = 7, d = 7;
    h.GetVXY(50, b, x, y, 0);
    EXPECT_EQ(h.Compute(10, 0, l, d), 0);
    EXPECT_TRUE(b == 7 && x == 7 && y == 7 && l == 7 && d == 7);

    CXLuoXuan p;
    EXPECT_EQ(p.SetPars(0, 0, 0, 100, 300, 300.0005), 0); // equal radii
    EXPECT_EQ(p.SetPars(0, 0, 0, 100, 300, -500), 0);     // opposite turns
    EXPECT_EQ(p.SetPars(0, 0, 0, 100, 0, 500), 0);
    p.GetVXY(50, b, x, y, 0);
    EXPECT_EQ(p.Compute(10, 0, l, d), 0);
    EXPECT_TRUE(b == 7 && x == 7 && y == 7 && l == 7 && d == 7);
}

TEST(ClothoidAccuracy, PointsBesideTheEndsAreFlaggedByTheirDistance)
{
    CXHuanQu h;
    ASSERT_EQ(h.SetPars(kX0, kY0, 1.0, 100, 400, 1), 1);
    CXLuoXuan p;
    ASSERT_EQ(p.SetPars(kX0, kY0, 1.0, 100, 1000, 400), 1);
    auto flag = [](const auto& e, double l) {
        double b = 0, x = 0, y = 0, l2 = 0, d2 = 0;
        e.GetVXY(l, b, x, y, 3.0);
        const int r = e.Compute(x, y, l2, d2);
        EXPECT_NEAR(l2, l, 1e-6);
        EXPECT_NEAR(d2, 3.0, 1e-6);
        return r;
    };
    EXPECT_EQ(flag(h, -0.005), 1);
    EXPECT_EQ(flag(h, -0.5), 0);
    EXPECT_EQ(flag(h, 100.5), 0);
    EXPECT_EQ(flag(p, 0.0), 1);
    EXPECT_EQ(flag(p, -0.5), 0);
    EXPECT_EQ(flag(p, 100.005), 1);
    EXPECT_EQ(flag(p, 100.5), 0);
}
