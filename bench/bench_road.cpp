// Road design model: inverse queries, stake export and loading large curve exchange files.

#include "../tests/road/RoadDesignFixtures.h"

#include "road/RouteText.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace RoadFixtures;

namespace
{
struct Query
{
    double x, y;
};

ReferenceModel& Model500()
{
    static ReferenceModel model = [] {
        ReferenceModel m;
        CRoadDesign_Element route = RandomRoute(500, 42);
        m.LoadRoadData(&route);
        return m;
    }();
    return model;
}

// Points within 60 m of the centre line: the mouse over the road.
std::vector<Query> NearQueries(const CRoadDesign& model, int count)
{
    std::mt19937 rng(5);
    const double first = model.m_RoadElements.front().m_StartStation;
    const double last = model.m_RoadElements.back().m_EndStation;
    std::uniform_real_distribution<double> station(first, last), offset(-60, 60);
    std::vector<Query> q;
    for (int i = 0; i < count; ++i)
    {
        double x = 0, y = 0, b = 0;
        model.GetAngleAndXY(station(rng), x, y, b, offset(rng));
        q.push_back({x, y});
    }
    return q;
}

// Points anywhere in the route's extent: the mouse anywhere over the map.
std::vector<Query> ExtentQueries(const CRoadDesign& model, int count)
{
    std::mt19937 rng(6);
    std::uniform_real_distribution<double> ux(model.m_MinX, model.m_MaxX), uy(model.m_MinY, model.m_MaxY);
    std::vector<Query> q;
    for (int i = 0; i < count; ++i) q.push_back({ux(rng), uy(rng)});
    return q;
}

void BM_InverseIndexedNear(benchmark::State& state)
{
    const CRoadDesign& model = Model500();
    const std::vector<Query> q = NearQueries(model, 4096);
    size_t i = 0;
    for (auto _ : state)
    {
        double s = 0, o = 0;
        const Query& p = q[i++ & 4095];
        benchmark::DoNotOptimize(model.GetPegAndOffset(p.x, p.y, s, o, 0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InverseIndexedNear);

void BM_InverseIndexedExtent(benchmark::State& state)
{
    const CRoadDesign& model = Model500();
    const std::vector<Query> q = ExtentQueries(model, 4096);
    size_t i = 0;
    for (auto _ : state)
    {
        double s = 0, o = 0;
        const Query& p = q[i++ & 4095];
        benchmark::DoNotOptimize(model.GetPegAndOffset(p.x, p.y, s, o, 0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InverseIndexedExtent);

void BM_InverseFullScanNear(benchmark::State& state)
{
    const ReferenceModel& model = Model500();
    const std::vector<Query> q = NearQueries(model, 256);
    size_t i = 0;
    for (auto _ : state)
    {
        double s = 0, o = 0;
        const Query& p = q[i++ & 255];
        benchmark::DoNotOptimize(model.GetPegAndOffsetFullScan(p.x, p.y, s, o, 0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InverseFullScanNear);

void BM_InverseFullScanExtent(benchmark::State& state)
{
    const ReferenceModel& model = Model500();
    const std::vector<Query> q = ExtentQueries(model, 256);
    size_t i = 0;
    for (auto _ : state)
    {
        double s = 0, o = 0;
        const Query& p = q[i++ & 255];
        benchmark::DoNotOptimize(model.GetPegAndOffsetFullScan(p.x, p.y, s, o, 0, 0));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InverseFullScanExtent);

// About 100 km of road: a curve every kilometre or so.
const CRoadDesign& Model100km()
{
    static CRoadDesign model = [] {
        CRoadDesign m;
        CRoadDesign_Element route = RandomRoute(420, 7, 0.0);
        m.LoadRoadData(&route);
        return m;
    }();
    return model;
}

void BM_Export100kmEvery1m(benchmark::State& state)
{
    const CRoadDesign& model = Model100km();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stakes.dat"));
    CRoadDesign copy = model;
    for (auto _ : state) benchmark::DoNotOptimize(copy.Export(path, 1.0, 0.0, 0));
    state.counters["km"] = (model.m_RoadElements.back().m_EndStation - model.m_RoadElements.front().m_StartStation) / 1000;
}
BENCHMARK(BM_Export100kmEvery1m)->Unit(benchmark::kMillisecond);

void BM_LoadTdfe5000Elements(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.TDFE"));
    CRoadDesign_Element route = RandomRoute(5000, 11);
    CRoadDesign source;
    source.LoadRoadData(&route);
    // The file as the element-mode writer lays it out.
    QString text = QStringLiteral("CURVE FILE(RE) Ver1.0\r\nMETRES\r\nDEGREES\r\nSTART CHAINAGE,1000.0000\r\nHORIZ\r\nRN,long\r\n");
    for (const CRoadElement& r : source.m_RoadElements)
    {
        switch (r.m_Kind)
        {
        case 1: text += QString::asprintf("PT,%.6f,%.6f,\r\n", r.m_StartY, r.m_StartX); break;
        case 2: text += QString::asprintf("R.,%.6f,%.10f,\r\n", r.m_Length, r.m_StartBearing * 180 / kPi); break;
        case 3: text += QString::asprintf("CC,%.6f,%.6f,\r\n", r.m_Length, r.m_StartRadius); break;
        case 4: text += QString::asprintf("CL,%.6f,%.6f,\r\n", r.m_Length, 0.0); break;
        }
    }
    WriteAnsiTextFile(path, text);
    CRoadDesign model;
    for (auto _ : state) benchmark::DoNotOptimize(model.LoadTDFEFile(path));
    state.counters["elements"] = static_cast<double>(model.m_RoadElements.size());
}
BENCHMARK(BM_LoadTdfe5000Elements)->Unit(benchmark::kMillisecond);
} // namespace
