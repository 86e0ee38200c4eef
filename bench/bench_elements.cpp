// Forward (GetVXY) and inverse (Compute) cost of each alignment element class. The inverse is
// queried at points spread along the element and up to 60 m either side of it.

#include "road/CXHuanQu.h"
#include "road/CXLine.h"
#include "road/CXLuoXuan.h"
#include "road/CXYuan.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

constexpr double kX0 = 3456789.123;
constexpr double kY0 = 512345.678;
constexpr int kPoints = 256;

struct Query
{
    double l, offset;
};

std::vector<Query> Queries(double length)
{
    std::vector<Query> q;
    for (int i = 0; i < kPoints; ++i)
        q.push_back({length * (i % 64) / 63.0, -60.0 + 120.0 * ((i * 37) % kPoints) / (kPoints - 1)});
    return q;
}

template <class Element>
std::vector<std::pair<double, double>> Points(const Element& e, double length)
{
    std::vector<std::pair<double, double>> pts;
    for (const Query& q : Queries(length))
    {
        double b = 0, x = 0, y = 0;
        e.GetVXY(q.l, b, x, y, q.offset);
        pts.emplace_back(x, y);
    }
    return pts;
}

template <class Element>
void Forward(benchmark::State& state, const Element& e, double length)
{
    const std::vector<Query> queries = Queries(length);
    size_t i = 0;
    for (auto _ : state)
    {
        double b = 0, x = 0, y = 0;
        const Query& q = queries[i++ % queries.size()];
        e.GetVXY(q.l, b, x, y, q.offset);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
    }
    state.SetItemsProcessed(state.iterations());
}

template <class Element>
void Inverse(benchmark::State& state, const Element& e, const std::vector<std::pair<double, double>>& pts)
{
    size_t i = 0;
    for (auto _ : state)
    {
        double l = 0, d = 0;
        const auto& p = pts[i++ % pts.size()];
        benchmark::DoNotOptimize(e.Compute(p.first, p.second, l, d));
        benchmark::DoNotOptimize(l);
    }
    state.SetItemsProcessed(state.iterations());
}

// A straight returns no bearing, so it gets its own adaptor.
struct LineAdaptor
{
    CXLine line;
    void GetVXY(double l, double&, double& x, double& y, double d) const { line.GetVXY(l, x, y, d); }
    int Compute(double x, double y, double& l, double& d) const { return line.Compute(x, y, l, d); }
};

LineAdaptor MakeLine()
{
    LineAdaptor a;
    a.line.SetPars(kX0, kY0, 0.7, 300);
    return a;
}
CXYuan MakeArc()
{
    CXYuan e;
    e.SetPars(kX0, kY0, 0.7, 300, -600);
    return e;
}
CXHuanQu MakeSpiral()
{
    CXHuanQu e;
    e.SetPars(kX0, kY0, 0.7, 150, -400, 0);
    return e;
}
CXLuoXuan MakePartial()
{
    CXLuoXuan e;
    e.SetPars(kX0, kY0, 0.7, 100, 1000, 500);
    return e;
}

void BM_CXLine_GetVXY(benchmark::State& s) { Forward(s, MakeLine(), 300); }
void BM_CXLine_Compute(benchmark::State& s) { const auto e = MakeLine(); Inverse(s, e, Points(e, 300)); }
void BM_CXYuan_GetVXY(benchmark::State& s) { Forward(s, MakeArc(), 300); }
void BM_CXYuan_Compute(benchmark::State& s) { const auto e = MakeArc(); Inverse(s, e, Points(e, 300)); }
void BM_CXHuanQu_GetVXY(benchmark::State& s) { Forward(s, MakeSpiral(), 150); }
void BM_CXHuanQu_Compute(benchmark::State& s) { const auto e = MakeSpiral(); Inverse(s, e, Points(e, 150)); }
void BM_CXLuoXuan_GetVXY(benchmark::State& s) { Forward(s, MakePartial(), 100); }
void BM_CXLuoXuan_Compute(benchmark::State& s) { const auto e = MakePartial(); Inverse(s, e, Points(e, 100)); }

} // namespace

BENCHMARK(BM_CXLine_GetVXY);
BENCHMARK(BM_CXLine_Compute);
BENCHMARK(BM_CXYuan_GetVXY);
BENCHMARK(BM_CXYuan_Compute);
BENCHMARK(BM_CXHuanQu_GetVXY);
BENCHMARK(BM_CXHuanQu_Compute);
BENCHMARK(BM_CXLuoXuan_GetVXY);
BENCHMARK(BM_CXLuoXuan_Compute);
