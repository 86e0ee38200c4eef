// Gauss projection and full grid conversion throughput, next to PROJ's transverse Mercator on
// the same points (PROJ serves only as a yardstick here).

#include "coord/CCoordinateConvert.h"
#include "coord/CCoordinateProject.h"

#include <benchmark/benchmark.h>
#include <proj.h>

#include <cmath>
#include <vector>

namespace
{
constexpr double kDeg = M_PI / 180.0;

struct Points
{
    std::vector<double> lat, lon, x, y;
    Points()
    {
        for (int i = 0; i < 4096; ++i)
        {
            lat.push_back((18.0 + 35.0 * ((i * 37) % 4096) / 4096.0) * kDeg);
            lon.push_back((114.0 - 3.0 + 6.0 * ((i * 101) % 4096) / 4096.0) * kDeg);
        }
        CCoordinateProject p = Gauss();
        x.resize(lat.size());
        y.resize(lat.size());
        for (size_t i = 0; i < lat.size(); ++i) p.Proj_BLtoxy(lat[i], lon[i], x[i], y[i]);
    }
    static CCoordinateProject Gauss()
    {
        CCoordinateProject p;
        p.SetEllipsoidPar(6378137.0, 298.257222101);
        p.SetProjectPar(0, 114 * kDeg, 0.0, 0.0, 500000.0, 1.0, 0.0, 0.0, 0.0);
        return p;
    }
};

const Points& Data()
{
    static const Points points;
    return points;
}

void BM_GaussForward(benchmark::State& state)
{
    const Points& d = Data();
    CCoordinateProject p = Points::Gauss();
    size_t i = 0;
    for (auto _ : state)
    {
        double x, y;
        p.Proj_BLtoxy(d.lat[i], d.lon[i], x, y);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GaussForward);

void BM_GaussInverse(benchmark::State& state)
{
    const Points& d = Data();
    CCoordinateProject p = Points::Gauss();
    size_t i = 0;
    for (auto _ : state)
    {
        double B, L;
        p.Proj_xytoBL(d.x[i], d.y[i], B, L);
        benchmark::DoNotOptimize(B);
        benchmark::DoNotOptimize(L);
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GaussInverse);

void BM_BLHToxyhFull(benchmark::State& state)
{
    const Points& d = Data();
    CCoordinateConvert c;
    c.SetDestinationEllipsoid(Beijing54Ellipsoid());
    c.SetProjection(0, 0.0, 500000.0, 114 * kDeg, 1.0, 0, 0, 0, 0);
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
    c.SetSevenParameter(s);
    c.SetFourParameter(1, 12.0, -7.0, 0.0003, 1.00002, 3400000.0, 500000.0);
    c.SetCorrectPar(1, 0.5, -0.25, 0.1);
    c.SetHeightFittingPar(1, 2.0, 1e-5, -2e-5, 1e-11, 2e-11, -1e-11, 3400000.0, 500000.0);
    size_t i = 0;
    for (auto _ : state)
    {
        double x, y, h;
        c.BLHToxyh(d.lat[i], d.lon[i], 50.0, x, y, h);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(h);
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BLHToxyhFull);

void ProjTmerc(benchmark::State& state, const char* definition, PJ_DIRECTION direction)
{
    const Points& d = Data();
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = proj_create(ctx, definition);
    if (!pj)
    {
        state.SkipWithError("PROJ definition rejected");
        proj_context_destroy(ctx);
        return;
    }
    size_t i = 0;
    for (auto _ : state)
    {
        const PJ_COORD in = direction == PJ_FWD ? proj_coord(d.lon[i], d.lat[i], 0, 0)
                                                : proj_coord(d.y[i], d.x[i], 0, 0);
        const PJ_COORD out = proj_trans(pj, direction, in);
        benchmark::DoNotOptimize(out);
        i = (i + 1) & 4095;
    }
    state.SetItemsProcessed(state.iterations());
    proj_destroy(pj);
    proj_context_destroy(ctx);
}

void BM_ProjTmercForward(benchmark::State& state)
{
    ProjTmerc(state, "+proj=tmerc +lon_0=114 +x_0=500000 +a=6378137 +rf=298.257222101", PJ_FWD);
}
BENCHMARK(BM_ProjTmercForward);

void BM_ProjTmercInverse(benchmark::State& state)
{
    ProjTmerc(state, "+proj=tmerc +lon_0=114 +x_0=500000 +a=6378137 +rf=298.257222101", PJ_INV);
}
BENCHMARK(BM_ProjTmercInverse);

void BM_ProjTmercApproxForward(benchmark::State& state)
{
    ProjTmerc(state, "+proj=tmerc +approx +lon_0=114 +x_0=500000 +a=6378137 +rf=298.257222101", PJ_FWD);
}
BENCHMARK(BM_ProjTmercApproxForward);

void BM_ProjTmercApproxInverse(benchmark::State& state)
{
    ProjTmerc(state, "+proj=tmerc +approx +lon_0=114 +x_0=500000 +a=6378137 +rf=298.257222101", PJ_INV);
}
BENCHMARK(BM_ProjTmercApproxInverse);
} // namespace
