#include "MapTestUtil.h"

#include "map/CMapLayer_Road.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"

#include <gtest/gtest.h>


#include <cmath>

using maptest::CountColor;
using maptest::CountNot;

namespace
{
const QRgb kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000;

Road_Element Element(int type, double azimuth, double length, double radius)
{
    Road_Element e;
    e.type = type;
    e.azimuth = azimuth;
    e.length = length;
    e.radius = radius;
    return e;
}

// From (1000, 2000): 100 m east, a quarter circle of radius 50 turning right, 50 m south.
std::unique_ptr<CRoadDesign> Route(double radius = 50, double straight = 100)
{
    CRoadDesign_Element route;
    Road_Element start;
    start.type = 1;
    start.point.x = 1000;
    start.point.y = 2000;
    route.m_Elements.push_back(start);
    route.m_Elements.push_back(Element(2, 90, straight, 0));
    route.m_Elements.push_back(Element(3, 0, M_PI * radius / 2, radius));
    route.m_Elements.push_back(Element(2, 180, 50, 0));
    auto design = std::make_unique<CRoadDesign>();
    EXPECT_EQ(design->LoadRoadData(&route), 1);
    design->SetRoadColor(0xFFFFFF);
    return design;
}

CMapConvert View(double startX, double startY, double scale, int w, int h)
{
    CMapConvert c;
    c.SetClientRect(CRect(0, 0, w, h));
    c.SetStartCor({startX, startY, 0});
    c.SetScale(scale);
    return c;
}

QImage Draw(const CRoadDesign& road, CMapConvert& c, int labels)
{
    const CRect rc = c.GetClientRect();
    QImage img(rc.Width(), rc.Height(), QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    road.Draw(&p, &c, labels);
    p.end();
    return img;
}

bool WhiteNear(const QImage& img, long cx, long cy, int radius = 1)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
        {
            const QPoint q(int(cx) + dx, int(cy) + dy);
            if (img.rect().contains(q) && (img.pixel(q) & 0xFFFFFF) == kWhite) return true;
        }
    return false;
}
} // namespace

TEST(RoadDrawing, CentreLineLiesWhereItsCoordinatesSay)
{
    auto road = Route();
    ASSERT_GE(road->m_RoadElements.size(), 4u);
    ASSERT_GE(road->m_MainPoints.size(), 4u);
    CMapConvert c = View(900, 1980, 1.0, 220, 140);
    const QImage img = Draw(*road, c, 0);

    // The straight: world x 1000 is row 140 - 100 = 40, from column 20 to 120.
    long cx, cy;
    c.WorldToClient(1000, 2050, cx, cy);
    EXPECT_EQ(cy, 40);
    EXPECT_EQ(CountColor(img, kWhite, QRect(25, 40, 91, 1)), 91);
    EXPECT_EQ(CountColor(img, kWhite, QRect(25, 41, 91, 1)), 0);
    // Along the curve and the last straight, at every metre.
    for (const CRoadElement& e : road->m_RoadElements)
    {
        if (e.m_Kind == CRoadElement::StartPoint) continue;
        for (double s = e.m_StartStation; s <= e.m_EndStation; s += 1.0)
        {
            double x, y, b;
            ASSERT_EQ(e.GetAngleAndXY(s, x, y, b, 0), 1);
            c.WorldToClient(x, y, cx, cy);
            EXPECT_TRUE(WhiteNear(img, cx, cy)) << "station " << s;
        }
    }
    // Nothing far from the line (the quarter circle's centre, 50 m south of its start).
    c.WorldToClient(950, 2100, cx, cy);
    EXPECT_EQ(CountColor(img, kWhite, QRect(int(cx) - 20, int(cy) - 20, 40, 40)), 0);
    EXPECT_EQ(CountColor(img, kRed), 0); // label mode 0: no text
}

TEST(RoadDrawing, LabelModesAndTheClientRectangleRule)
{
    auto road = Route();
    CMapConvert c = View(900, 1980, 1.0, 220, 140);
    const SurveyCoord& first = road->m_MainPoints.front();
    long cx, cy;
    c.WorldToClient(first.x, first.y, cx, cy);
    const QRect labelArea(int(cx) + 5, int(cy) - 8, 120, 20);

    EXPECT_EQ(CountColor(Draw(*road, c, 0), kRed), 0);
    EXPECT_EQ(CountColor(Draw(*road, c, 7), kRed), 0); // unknown mode: empty labels
    const QImage names = Draw(*road, c, 1);
    const QImage stations = Draw(*road, c, 2);
    EXPECT_GT(CountColor(names, kRed, labelArea), 10);
    EXPECT_GT(CountColor(stations, kRed, labelArea), 10);
    EXPECT_NE(names.copy(labelArea), stations.copy(labelArea)); // "QD" versus "0.0000"
    EXPECT_EQ(CountColor(names, kRed), CountColor(names, kRed, QRect(0, 0, 220, 140)));
    // The marker: a small filled circle on the point.
    EXPECT_EQ(names.pixel(int(cx), int(cy)) & 0xFFFFFF, kWhite);

    // A point on the right or bottom edge is outside the client rectangle: no marker, no label.
    CRoadDesign single;
    single.SetRoadColor(0xFFFFFF);
    single.m_MainPoints.push_back({"P", 100, 200, 0, "1.0000"});
    CMapConvert edge = View(0, 200 - 50, 1.0, 50, 100); // the point at column 50 of 0..49
    c.WorldToClient(100, 200, cx, cy);
    EXPECT_EQ(CountNot(Draw(single, edge, 1), kBlack), 0);
    edge.SetStartCor({0, 200 - 49, 0});
    EXPECT_GT(CountNot(Draw(single, edge, 1), kBlack), 0);
    CMapConvert bottom = View(100, 0, 1.0, 400, 100); // the point on row 100 of 0..99
    EXPECT_EQ(CountNot(Draw(single, bottom, 1), kBlack), 0);

    road->Draw(nullptr, &c, 1);
    QImage img(10, 10, QImage::Format_RGB32);
    QPainter p(&img);
    road->Draw(&p, nullptr, 1);
}

TEST(RoadDrawing, ZoomedInBetweenSamplesAndFarOffEnds)
{
    // A curve is a polyline through samples 10 m apart. Zoomed in between two samples, no sample
    // lies in the view, yet the polyline crosses it and must be drawn.
    auto road = Route(2000, 100);
    const CRoadElement* arc = nullptr;
    for (const CRoadElement& e : road->m_RoadElements)
        if (e.m_Kind == CRoadElement::CircularCurve) arc = &e;
    ASSERT_NE(arc, nullptr);
    double x1, y1, x2, y2, b;
    ASSERT_EQ(arc->GetAngleAndXY(arc->m_StartStation + 50, x1, y1, b, 0), 1);
    ASSERT_EQ(arc->GetAngleAndXY(arc->m_StartStation + 60, x2, y2, b, 0), 1);
    const int W = 400, H = 300;
    const double s = 0.001; // the view is 0.4 m wide
    CMapConvert c = View((x1 + x2) / 2 - H / 2 * s, (y1 + y2) / 2 - W / 2 * s, s, W, H);
    const QImage img = Draw(*road, c, 2);
    EXPECT_TRUE(WhiteNear(img, W / 2, H / 2, 2));
    EXPECT_GT(CountColor(img, kWhite), W / 2);

    // Far-off ends of a straight are clipped before drawing: the visible part is still exact.
    auto straight = Route(50, 100000);
    CMapConvert near = View(1000 - 0.05, 2000 + 50000 - 0.1, 0.001, 200, 100);
    const QImage line = Draw(*straight, near, 0);
    EXPECT_EQ(CountColor(line, kWhite, QRect(0, 50, 200, 1)), 200);
    EXPECT_EQ(CountColor(line, kWhite), 200);
}

// The road layer shows its own model: the model's extent, its drawing with the layer's label mode,
// nothing while hidden or without a converter.
TEST(RoadLayer, ShowsItsModelWithItsLabelMode)
{
    CMapLayer_Road layer;
    layer.m_RoadDesign = *Route();
    EXPECT_EQ(layer.GetType(), 1);
    double a[4] = {}, b[4] = {};
    ASSERT_EQ(layer.GetRange(a[0], a[1], a[2], a[3], 0), layer.m_RoadDesign.GetRange(b[0], b[1], b[2], b[3], 0));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i], b[i]);

    CMapConvert c = View(900, 1980, 1.0, 220, 140);
    auto draw = [&layer](CMapConvert* convert) {
        QImage img(220, 140, QImage::Format_RGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        layer.SetConvert(convert);
        layer.DrawAll(&p, 0);
        p.end();
        return img;
    };
    EXPECT_EQ(CountNot(draw(nullptr), kBlack), 0);
    const QImage stations = draw(&c); // the route view's labels by default
    EXPECT_EQ(stations, Draw(layer.m_RoadDesign, c, 2));
    EXPECT_GT(CountColor(stations, kRed), 10);
    layer.m_LabelMode = 0;
    EXPECT_EQ(CountColor(draw(&c), kRed), 0);
    EXPECT_GT(CountColor(draw(&c), kWhite), 100);
    MapConfigItem item = layer.GetMapItem();
    item.Visible = 0;
    layer.SetMapItem(item);
    EXPECT_EQ(CountNot(draw(&c), kBlack), 0);
    layer.SetConvert(nullptr);
}

// A long route seen whole: labels that would cover one already drawn are left out, the start
// and the end first, so the view shows a readable few instead of a smear.
// Label pixels, the smoothed edges of the letters included.
int Reddish(const QImage& img, QRgb, QRect area = QRect())
{
    if (area.isNull()) area = img.rect();
    area &= img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
        {
            const QRgb p = img.pixel(x, y);
            if (qRed(p) > 100 && qGreen(p) < 60 && qBlue(p) < 60) ++n;
        }
    return n;
}

TEST(RoadDrawing, CrowdedLabelsAreThinnedStartAndEndFirst)
{
    CRoadDesign_Element route;
    Road_Element start;
    start.type = 1;
    start.point.x = 1000;
    start.point.y = 2000;
    route.m_Elements.push_back(start);
    route.m_Elements.push_back(Element(2, 90, 100, 0));
    // Forty small bends along the way, each a curve with its own main points.
    for (int i = 0; i < 40; ++i)
    {
        route.m_Elements.push_back(Element(3, 0, 10, i % 2 ? 500 : -500));
        route.m_Elements.push_back(Element(2, 90, 100, 0));
    }
    CRoadDesign road;
    ASSERT_EQ(road.LoadRoadData(&route), 1);
    road.SetRoadColor(0xFFFFFF);
    ASSERT_GT(road.m_MainPoints.size(), 100u);

    // About 4.5 km on 300 pixels: the main points lie a pixel or two apart.
    CMapConvert c = View(900, 1950, 16.0, 300, 100);
    const QImage both = Draw(road, c, 3);
    const QImage one = [&] {
        CRoadDesign single = road;
        single.m_MainPoints.resize(1);
        return Draw(single, c, 3);
    }();
    const int perLabel = Reddish(one, kRed);
    ASSERT_GT(perLabel, 20);
    // A handful of labels, not one per main point.
    EXPECT_LT(Reddish(both, kRed), 6 * perLabel);
    // The start's label is drawn whatever lies near it, and so is the end's.
    long sx, sy, ex, ey;
    c.WorldToClient(road.m_MainPoints.front().x, road.m_MainPoints.front().y, sx, sy);
    EXPECT_GE(Reddish(both, kRed, QRect(int(sx) + 5, int(sy) - 8, 300, 20)), perLabel);
    c.WorldToClient(road.m_MainPoints.back().x, road.m_MainPoints.back().y, ex, ey);
    EXPECT_GT(Reddish(both, kRed, QRect(int(ex) + 5, int(ey) - 8, 300, 20)), 10);

    // Both names and stations, stations as K-marks when asked.
    CMapConvert near = View(900, 1980, 1.0, 400, 140);
    QImage names = Draw(road, near, 1), metres = Draw(road, near, 3);
    EXPECT_GT(Reddish(metres, kRed), Reddish(names, kRed));
    QImage img(400, 140, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    road.Draw(&p, &near, 2, StationStyle::KiloMark);
    p.end();
    EXPECT_NE(img, Draw(road, near, 2)); // "K0+000.000" versus "0.0000"
}

// Labels are blended from images rendered once; a painter with a transform draws the text itself.
// Both must give the same pixels, markers and centre line included.
TEST(RoadDrawing, RenderedLabelsGiveTheSamePixelsAsDrawnText)
{
    auto road = Route();
    CMapConvert c = View(900, 1980, 1.0, 220, 140);
    for (int labels : {1, 2, 3})
    {
        const QImage blended = Draw(*road, c, labels);
        QImage drawn(221, 140, QImage::Format_RGB32);
        drawn.fill(Qt::black);
        QPainter p(&drawn);
        p.translate(1, 0);
        road->Draw(&p, &c, labels);
        p.end();
        EXPECT_GT(CountColor(blended, kRed), 10);
        EXPECT_EQ(blended, drawn.copy(1, 0, 220, 140)) << "label mode " << labels;
    }
}
