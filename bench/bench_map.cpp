// Map engine frame times: a long route, a million points, a hundred thousand polylines, and a
// burst of zoom requests.
#include "map/CMapLayer.h"
#include "map/CMapLayer_Road.h"
#include "map/CMapManage.h"
#include "map/CMapOwnerView.h"
#include "map/CMapPaint.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr int kW = 1920, kH = 1080;

// A route of 500 elements: a start point, then straights, transitions and circular curves turning
// alternately right and left.
CRoadDesign& LongRoute()
{
    static CRoadDesign road = [] {
        CRoadDesign_Element route;
        Road_Element e;
        e.type = 1;
        e.point.x = 3400000;
        e.point.y = 500000;
        route.m_Elements.push_back(e);
        double bearing = 45;
        for (int i = 0; route.m_Elements.size() < 500; ++i)
        {
            Road_Element s;
            s.type = 2;
            s.azimuth = bearing;
            s.length = 300;
            route.m_Elements.push_back(s);
            const double radius = (i % 2 ? -1 : 1) * (600 + 50 * (i % 7));
            Road_Element t1;
            t1.type = 4;
            t1.length = 80;
            Road_Element c;
            c.type = 3;
            c.radius = radius;
            c.length = 200;
            Road_Element t2 = t1;
            route.m_Elements.push_back(t1);
            route.m_Elements.push_back(c);
            route.m_Elements.push_back(t2);
            // The bearing after the curve: the transitions turn by L / (2R) each, the arc by L / R.
            bearing += (80 / radius + 200 / radius) * 180 / M_PI;
        }
        route.m_Elements.resize(500);
        CRoadDesign d;
        d.LoadRoadData(&route);
        d.SetRoadColor(0xFFFFFF);
        return d;
    }();
    return road;
}

// A host layer of points, drawn as single pixels.
class PointLayer : public CMapLayer
{
public:
    explicit PointLayer(size_t n)
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> x(0, 10000), y(0, 20000);
        m_Points.resize(n);
        for (auto& p : m_Points) p = {x(rng), y(rng), 0};
    }
    int GetRange(double& a, double& b, double& c, double& d, int) override
    {
        a = 0;
        b = 10000;
        c = 0;
        d = 20000;
        return 1;
    }
    void DrawAll(QPainter* p, int) override
    {
        if (!p || !m_pMapConvert) return;
        p->setPen(QPen(QColor(255, 255, 0), 0)); // cosmetic: one pixel, the fast path
        std::vector<QPoint> batch;
        batch.reserve(4096);
        const CRect rc = m_pMapConvert->GetClientRect();
        for (const xyhCoord& w : m_Points)
        {
            long cx, cy;
            m_pMapConvert->WorldToClient(w.x, w.y, cx, cy);
            if (cx < rc.left || cx >= rc.right || cy < rc.top || cy >= rc.bottom) continue;
            batch.emplace_back(int(cx), int(cy));
            if (batch.size() == 4096)
            {
                MapDrawPixels(p, batch.data(), int(batch.size()));
                batch.clear();
                // A newer picture has been asked for: this one will not be shown.
                if (CMapManage::DrawingSuperseded()) return;
            }
        }
        if (!batch.empty()) MapDrawPixels(p, batch.data(), int(batch.size()));
    }

private:
    std::vector<xyhCoord> m_Points;
};

// A host layer of short polylines (ten vertices each).
class PolylineLayer : public CMapLayer
{
public:
    explicit PolylineLayer(size_t n)
    {
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> x(0, 10000), y(0, 20000), d(-15, 15);
        m_Lines.resize(n);
        for (auto& line : m_Lines)
        {
            xyhCoord p{x(rng), y(rng), 0};
            for (int i = 0; i < 10; ++i)
            {
                line.push_back(p);
                p.x += d(rng);
                p.y += d(rng);
            }
        }
    }
    int GetRange(double& a, double& b, double& c, double& d, int) override
    {
        a = 0;
        b = 10000;
        c = 0;
        d = 20000;
        return 1;
    }
    void DrawAll(QPainter* p, int) override
    {
        if (!p || !m_pMapConvert) return;
        p->setPen(QPen(QColor(0, 200, 255), 0));
        QPoint pts[10];
        for (const auto& line : m_Lines)
        {
            for (int i = 0; i < 10; ++i)
            {
                long cx, cy;
                m_pMapConvert->WorldToClient(line[i].x, line[i].y, cx, cy);
                pts[i] = QPoint(int(cx), int(cy));
            }
            p->drawPolyline(pts, 10);
        }
    }

private:
    std::vector<std::vector<xyhCoord>> m_Lines;
};

struct Scene
{
    explicit Scene(CMapLayer* layer) : view(QSize(kW, kH))
    {
        map.SetOwnerView(&view);
        map.SetClientRect(view.GetClientRect());
        map.SetBackGroundColor(0);
        layer->SetConvert(&map.m_MapConvert);
        map.m_OverlayLayers.push_back(layer);
        double a, b, c, d;
        map.GetMapRect(a, b, c, d, 0);
        map.SetMapRect(a, b, c, d);
        map.WaitForDrawing();
    }
    ~Scene() { map.m_OverlayLayers.clear(); }
    // One full picture through the drawing thread.
    void Frame()
    {
        map.SetStartCorAndScale(map.m_MapConvert.GetStartCor(), map.m_MapConvert.GetScale(), 1);
        map.WaitForDrawing();
    }
    CMapOffscreenView view;
    CMapManage map;
};

void BM_RouteDraw(benchmark::State& state)
{
    CMapLayer_Road layer; // the road layer the route view uses
    layer.m_RoadDesign = LongRoute();
    const CRoadDesign& road = layer.m_RoadDesign;
    Scene scene(&layer);
    QImage img(kW, kH, QImage::Format_RGB32);
    for (auto _ : state)
    {
        img.fill(Qt::black);
        QPainter p(&img);
        road.Draw(&p, &scene.map.m_MapConvert, int(state.range(0)));
    }
    state.counters["elements"] = double(road.m_RoadElements.size());
    state.counters["mainpoints"] = double(road.m_MainPoints.size());
}
// Label modes: 0 markers only, 2 stations (as the route view draws it).
BENCHMARK(BM_RouteDraw)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_RouteFrame(benchmark::State& state)
{
    CMapLayer_Road layer;
    layer.m_RoadDesign = LongRoute();
    Scene scene(&layer);
    for (auto _ : state) scene.Frame();
}
// The picture is drawn by the drawing thread: its CPU time is counted with the process's, so
// that the CPU column still tells the frame's cost when other programs load the machine.
BENCHMARK(BM_RouteFrame)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

void BM_PointLayerFrame(benchmark::State& state)
{
    PointLayer layer(1000000);
    Scene scene(&layer);
    for (auto _ : state) scene.Frame();
}
BENCHMARK(BM_PointLayerFrame)->Unit(benchmark::kMillisecond);

void BM_PolylineLayerFrame(benchmark::State& state)
{
    PolylineLayer layer(100000);
    Scene scene(&layer);
    for (auto _ : state) scene.Frame();
}
BENCHMARK(BM_PolylineLayerFrame)->Unit(benchmark::kMillisecond);

// Twenty wheel steps in quick succession, then waiting for the picture of the last one.
void BM_ZoomBurstToPicture(benchmark::State& state)
{
    PointLayer layer(1000000);
    Scene scene(&layer);
    int i = 0;
    for (auto _ : state)
    {
        for (int k = 0; k < 20; ++k, ++i)
        {
            const CPoint at(900 + i % 50, 500 + i % 30);
            if (i % 2)
                scene.map.ZoomOut(at, at);
            else
                scene.map.ZoomIn(at, at);
        }
        scene.map.WaitForDrawing();
    }
    state.counters["published/burst"] =
        benchmark::Counter(double(scene.map.PublishedCount()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ZoomBurstToPicture)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
