#include "sources/CMap_DXFCurves.h"

#include <algorithm>
#include <cmath>

namespace dxfcurve
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;
}

bool Usable(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxCoordinate; }
bool Usable(const Pt& p) { return Usable(p.x) && Usable(p.y); }

bool SampleEllipseArc(Pt c, Pt major, double ratio, double t1, double t2, bool ccw, bool withStart,
                      std::vector<Pt>& out)
{
    if (!Usable(c) || !Usable(major) || !std::isfinite(ratio) || !std::isfinite(t1) || !std::isfinite(t2))
        return false;
    const double majorLength = std::hypot(major.x, major.y);
    if (majorLength == 0.0 || std::fabs(ratio) * majorLength > kMaxCoordinate) return false;
    // Bring huge parameters near zero first, so that raising by 2π below ends.
    t1 = std::fmod(t1, kTwoPi);
    t2 = std::fmod(t2, kTwoPi);
    double span = ccw ? t2 - t1 : t1 - t2;
    while (span <= 0.0) span += kTwoPi;
    span = std::min(span, kTwoPi);
    const double direction = ccw ? 1.0 : -1.0;
    const Pt minor{-major.y * ratio, major.x * ratio};
    const int n = std::clamp(int(std::ceil(span / kStep)), 1, kMaxSamples);
    const auto at = [&](double t) {
        return Pt{c.x + major.x * std::cos(t) + minor.x * std::sin(t), c.y + major.y * std::cos(t) + minor.y * std::sin(t)};
    };
    const Pt first = at(t1), last = at(t1 + direction * span);
    if (!Usable(first) || !Usable(last)) return false;
    if (withStart) out.push_back(first);
    // cos and sin of the parameter advance by one rotation per step instead of a call each.
    const double step = direction * span / n, cs = std::cos(step), sn = std::sin(step);
    double c0 = std::cos(t1), s0 = std::sin(t1);
    for (int i = 1; i < n; ++i)
    {
        const double c1 = c0 * cs - s0 * sn;
        s0 = s0 * cs + c0 * sn;
        c0 = c1;
        out.push_back(Pt{c.x + major.x * c0 + minor.x * s0, c.y + major.y * c0 + minor.y * s0});
    }
    out.push_back(last);
    return true;
}

void SampleBulge(Pt a, Pt b, double bulge, std::vector<Pt>& out)
{
    const double chord = std::hypot(b.x - a.x, b.y - a.y);
    if (bulge == 0.0 || !std::isfinite(bulge) || !(chord > 0.0) || !std::isfinite(chord))
    {
        out.push_back(b);
        return;
    }
    const double included = 4.0 * std::atan(bulge); // within (-2π, 2π)
    const double half = included / 2.0;
    const double toCentre = chord / 2.0 / std::tan(half);
    const Pt mid{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
    const Pt left{-(b.y - a.y) / chord, (b.x - a.x) / chord};
    const Pt c{mid.x + left.x * toCentre, mid.y + left.y * toCentre};
    if (!Usable(c))
    {
        out.push_back(b);
        return;
    }
    const int n = std::clamp(int(std::ceil(std::fabs(included) / kStep)), 1, kMaxSamples);
    // The radius vector from the centre turns by one rotation per step.
    const double cs = std::cos(included / n), sn = std::sin(included / n);
    double rx = a.x - c.x, ry = a.y - c.y;
    for (int i = 1; i < n; ++i)
    {
        const double x = rx * cs - ry * sn;
        ry = rx * sn + ry * cs;
        rx = x;
        out.push_back(Pt{c.x + rx, c.y + ry});
    }
    out.push_back(b);
}

namespace
{
bool KnotsFit(const std::vector<double>& knots, size_t count)
{
    if (knots.size() != count) return false;
    for (size_t i = 0; i < knots.size(); ++i)
    {
        if (!std::isfinite(knots[i])) return false;
        if (i > 0 && knots[i] < knots[i - 1]) return false;
    }
    return true;
}

std::vector<double> ClampedUniformKnots(int degree, int n)
{
    std::vector<double> k;
    k.reserve(size_t(n + degree + 1));
    for (int i = 0; i <= degree; ++i) k.push_back(0.0);
    for (int i = 1; i < n - degree; ++i) k.push_back(double(i));
    for (int i = 0; i <= degree; ++i) k.push_back(double(std::max(1, n - degree)));
    return k;
}
} // namespace

bool SampleSpline(int degree, const std::vector<Pt>& control, const std::vector<double>& weights,
                  const std::vector<double>& knotsGiven, std::vector<Pt>& out)
{
    const int n = int(control.size());
    if (degree < 1 || degree > kMaxSplineDegree || n < degree + 1) return false;
    for (const Pt& p : control)
        if (!Usable(p)) return false;
    std::vector<double> knots = knotsGiven;
    if (!KnotsFit(knots, size_t(n + degree + 1))) knots = ClampedUniformKnots(degree, n);
    if (!(knots[size_t(n)] > knots[size_t(degree)])) knots = ClampedUniformKnots(degree, n);
    const double lo = knots[size_t(degree)], hi = knots[size_t(n)];
    const bool rational = weights.size() == control.size();
    const int samples = std::clamp(8 * n, 16, kMaxSamples);
    // Homogeneous de Boor: x·w, y·w, w.
    std::vector<double> dx(size_t(degree + 1)), dy(size_t(degree + 1)), dw(size_t(degree + 1));
    for (int s = 0; s <= samples; ++s)
    {
        const double u = s == samples ? hi : lo + (hi - lo) * s / samples;
        // The span k with knots[k] <= u < knots[k+1], kept within degree..n-1.
        int k = int(std::upper_bound(knots.begin() + degree, knots.begin() + n, u) - knots.begin()) - 1;
        k = std::clamp(k, degree, n - 1);
        for (int j = 0; j <= degree; ++j)
        {
            const Pt& p = control[size_t(j + k - degree)];
            double w = rational ? weights[size_t(j + k - degree)] : 1.0;
            if (!(w > 0.0) || !std::isfinite(w)) w = 1.0;
            dx[size_t(j)] = p.x * w;
            dy[size_t(j)] = p.y * w;
            dw[size_t(j)] = w;
        }
        for (int r = 1; r <= degree; ++r)
            for (int j = degree; j >= r; --j)
            {
                const double a0 = knots[size_t(j + k - degree)], a1 = knots[size_t(j + 1 + k - r)];
                const double alpha = a1 > a0 ? (u - a0) / (a1 - a0) : 0.0;
                dx[size_t(j)] = (1.0 - alpha) * dx[size_t(j - 1)] + alpha * dx[size_t(j)];
                dy[size_t(j)] = (1.0 - alpha) * dy[size_t(j - 1)] + alpha * dy[size_t(j)];
                dw[size_t(j)] = (1.0 - alpha) * dw[size_t(j - 1)] + alpha * dw[size_t(j)];
            }
        const double w = dw[size_t(degree)];
        const Pt p{dx[size_t(degree)] / w, dy[size_t(degree)] / w};
        if (Usable(p)) out.push_back(p);
    }
    return true;
}
} // namespace dxfcurve
