#include "MapTestUtil.h"

#include "map/CGeometry_AreaPerimeter.h"
#include "map/CMouseEvent.h"
#include "map/CMouseListenerManage.h"
#include "map/CMouseListenerView.h"

#include <gtest/gtest.h>

using maptest::CountColor;
using maptest::CountNot;
using maptest::ViewedMap;

namespace
{
struct Tool
{
    explicit Tool(ViewedMap& v, int subKey) : map(v.map), view(v.view), sub(subKey)
    {
        map.GetMouseListenerManage()->SetMouseListenerKey(10, subKey);
        listener = map.GetMouseListenerManage()->GetMouseListener();
    }
    CMouseEvent Event(int x, int y) { return CMouseEvent(&map, CPoint(x, y), 0, sub); }
    void Down(int x, int y)
    {
        CMouseEvent e = Event(x, y);
        listener->OnLButtonDown(&e);
    }
    void MoveTo(int x, int y, QPainter* p = nullptr)
    {
        CMouseEvent e = Event(x, y);
        listener->OnMouseMove(&e, p);
    }
    void Up(int x, int y)
    {
        CMouseEvent e = Event(x, y);
        listener->OnLButtonUp(&e);
    }
    void Right(int x, int y)
    {
        CMouseEvent e = Event(x, y);
        listener->OnRButtonDown(&e);
    }
    CMapManage& map;
    CMapOffscreenView& view;
    int sub;
    CMouseListenerView* listener = nullptr;
};

// A listener that reports its destruction.
struct Watched : CMouseListenerView
{
    explicit Watched(int* counter) : deaths(counter) {}
    ~Watched() override { ++*deaths; }
    int* deaths;
};

const QRgb kCyan = 0x00FFFF; // "not (red xor black)"
} // namespace

TEST(MapTools, ListenerTableKeysAndOwnership)
{
    int deaths = 0;
    {
        CMouseListenerManage tools;
        EXPECT_EQ(tools.SetMouseListenerKey(10, 11), 0);
        EXPECT_EQ(tools.SetMouseListenerKey(3, 0), 10);
        EXPECT_EQ(tools.GetMouseListenerSubKey(), 0);
        auto* a = new Watched(&deaths);
        auto* b = new Watched(&deaths);
        tools.AddMouseListener(3, a);
        tools.AddMouseListener(4, nullptr);
        EXPECT_EQ(tools.Find(4), nullptr);
        EXPECT_EQ(tools.GetMouseListener(), a);
        tools.AddMouseListener(3, b); // replaces without deleting
        EXPECT_EQ(deaths, 0);
        EXPECT_EQ(tools.GetMouseListener(), b);
        tools.RemoveMouseListener(b); // hands it back
        EXPECT_EQ(tools.GetMouseListener(), nullptr);
        EXPECT_EQ(deaths, 0);
        tools.AddMouseListener(5, a);
        tools.AddMouseListener(6, a); // one listener under two keys
        tools.RemoveMouseListener(5); // deleted once, both entries gone
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(tools.Find(6), nullptr);
        tools.AddMouseListener(7, b);
        tools.AddMouseListener(8, b);
    }
    EXPECT_EQ(deaths, 2); // the destructor deleted b once
}

TEST(MapTools, AreaAndPerimeter)
{
    CGeometry_AreaPerimeter g;
    EXPECT_EQ(g.GetArea(), 0);
    g.Add({0, 0, 0});
    EXPECT_EQ(g.GetPerimeter(), 0);
    g.Add({0, 10, 0});
    EXPECT_EQ(g.GetArea(), 0);
    g.Add({10, 10, 0});
    g.Add({10, 0, 0});
    EXPECT_DOUBLE_EQ(g.GetArea(), 100);
    EXPECT_DOUBLE_EQ(g.GetPerimeter(), 30);
    EXPECT_EQ(g.GetSize(), 4);
    g.RemoveAll();
    EXPECT_EQ(g.GetSize(), 0);
}

TEST(MapTools, ZoomRectangleRubberBandAndRelease)
{
    ViewedMap v(200, 100);
    v.map.SetBackGroundColor(0);
    v.map.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    v.map.WaitForDrawing();
    Tool t(v, CMouseListenerView::ToolZoomIn);
    t.MoveTo(50, 50); // no press: nothing
    EXPECT_TRUE(v.view.GetOverlay()->IsEmpty());
    t.Down(20, 20);
    EXPECT_EQ(t.listener->GetPressPoint(), CPoint(20, 20));
    t.MoveTo(60, 50);
    QImage screen = v.view.Paint(v.map);
    // A dotted rectangle in the inverse of red over the black map, nothing elsewhere.
    EXPECT_GT(CountColor(screen, kCyan, QRect(20, 20, 41, 1)), 10);
    EXPECT_GT(CountColor(screen, kCyan, QRect(60, 20, 1, 31)), 5);
    EXPECT_EQ(CountColor(screen, kCyan, QRect(21, 21, 39, 29)), 0);
    t.MoveTo(100, 80); // the old band is erased, the new one drawn
    screen = v.view.Paint(v.map);
    EXPECT_EQ(CountColor(screen, kCyan, QRect(60, 21, 1, 29)), 0);
    EXPECT_GT(CountColor(screen, kCyan, QRect(100, 20, 1, 61)), 10);

    // A caller's painter gets the clean map plus the band, and the overlay is left alone.
    QImage clean(200, 100, QImage::Format_RGB32), into(200, 100, QImage::Format_RGB32);
    into.fill(Qt::gray);
    {
        QPainter p(&clean);
        v.map.OnDraw(&p, 0, 0);
    }
    QPainter p(&into);
    t.MoveTo(120, 90, &p);
    p.end();
    EXPECT_GT(CountColor(into, kCyan, QRect(120, 20, 1, 71)), 10);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
        {
            if (into.pixel(x, y) != clean.pixel(x, y))
            {
                EXPECT_TRUE(x == 20 || x == 120 || y == 20 || y == 90) << x << "," << y;
            }
        }

    const double before = v.map.m_MapConvert.GetScale();
    t.Up(100, 80); // a box from (20, 20) to (100, 80)
    EXPECT_EQ(t.listener->GetPressPoint(), CPoint(-1, -1));
    EXPECT_NEAR(v.map.m_MapConvert.GetScale(), before * 0.6 * 1.1, 1e-12);
    // The finished picture invalidates the view: the band is gone at the next paint.
    v.map.WaitForDrawing();
    screen = v.view.Paint(v.map);
    EXPECT_EQ(CountColor(screen, kCyan), 0);
    EXPECT_TRUE(v.view.GetOverlay()->IsEmpty());

    // A press and release 3 pixels apart zooms in about the midpoint by the click factor.
    t.Down(50, 50);
    t.Up(53, 53);
    EXPECT_NEAR(v.map.m_MapConvert.GetScale(), before * 0.66 * 0.88, 1e-12);

    // Zoom out by the same protocol.
    Tool out(v, CMouseListenerView::ToolZoomOut);
    out.Down(100, 50);
    out.Up(100, 50);
    EXPECT_NEAR(v.map.m_MapConvert.GetScale(), before * 0.66 * 0.88 * 1.375, 1e-12);
}

TEST(MapTools, PanLineAndRelease)
{
    ViewedMap v(200, 100);
    v.map.SetBackGroundColor(0);
    Tool t(v, CMouseListenerView::ToolPan);
    const xyhCoord s0 = v.map.m_MapConvert.GetStartCor();
    t.Down(10, 10);
    t.Up(10, 10); // no movement: Move refuses, nothing changes
    EXPECT_EQ(v.map.m_MapConvert.GetStartCor().x, s0.x);

    t.Down(10, 10);
    t.MoveTo(50, 10);
    QImage screen = v.view.Paint(v.map);
    EXPECT_GT(CountColor(screen, kCyan, QRect(10, 10, 41, 1)), 10);
    t.MoveTo(10, 60);
    screen = v.view.Paint(v.map);
    EXPECT_EQ(CountColor(screen, kCyan, QRect(12, 10, 39, 1)), 0);
    t.Up(10, 60);
    EXPECT_DOUBLE_EQ(v.map.m_MapConvert.GetStartCor().x, s0.x + 50);

    // Without an owner view nothing happens on release.
    CMapManage bare;
    bare.SetClientRect(CRect(0, 0, 100, 100));
    bare.GetMouseListenerManage()->SetMouseListenerKey(10, CMouseListenerView::ToolPan);
    CMouseListenerView* l = bare.GetMouseListenerManage()->GetMouseListener();
    CMouseEvent down(&bare, CPoint(0, 0), 0, 13), up(&bare, CPoint(30, 30), 0, 13), sourceless(nullptr, CPoint(), 0, 13);
    l->OnLButtonDown(&down);
    l->OnMouseMove(&up, nullptr);
    l->OnLButtonUp(&up);
    EXPECT_EQ(bare.m_MapConvert.GetStartCor().x, 0);
    l->OnLButtonDown(&sourceless);
    l->OnMouseMove(&sourceless, nullptr);
    l->OnLButtonUp(&sourceless);
    l->OnRButtonDown(&sourceless);
}

TEST(MapTools, MeasuringLabelsLengthsTotalsAndArea)
{
    ViewedMap v(300, 300);
    v.map.SetBackGroundColor(0);
    // Scale 0.1: world (0, 0) at client (0, 300); ten metres are a hundred pixels.
    v.map.SetStartCorAndScale({-15, -5, 0}, 0.1, 1);
    v.map.WaitForDrawing();
    Tool t(v, CMouseListenerView::ToolMeasure);
    CPoint p[3];
    v.map.m_MapConvert.WorldToClient(xyhCoord{0, 0, 0}, p[0]);
    v.map.m_MapConvert.WorldToClient(xyhCoord{0, 10, 0}, p[1]);
    v.map.m_MapConvert.WorldToClient(xyhCoord{10, 10, 0}, p[2]);
    ASSERT_EQ(p[0], CPoint(50, 150));

    t.Down(p[0].x, p[0].y);
    ASSERT_EQ(t.listener->m_MeasurePoints.size(), 1u);
    EXPECT_TRUE(v.view.GetOverlay()->IsEmpty()); // the first vertex draws nothing
    t.Down(p[1].x, p[1].y);
    t.Down(p[1].x, p[1].y); // the same pixel again: no vertex
    ASSERT_EQ(t.listener->m_MeasurePoints.size(), 2u);
    t.Down(p[2].x, p[2].y);
    ASSERT_EQ(t.listener->m_MeasurePoints.size(), 3u);
    EXPECT_DOUBLE_EQ(t.listener->m_MeasurePoints[2].x, 10);
    EXPECT_DOUBLE_EQ(t.listener->m_MeasurePoints[2].y, 10);

    // Render the labels the listener should have written, one by one, and compare.
    const QImage overlay = v.view.GetOverlay()->Picture().copy();
    auto expectText = [&](const QRect& r, const QString& text, QColor color, int flags) {
        QImage expected(r.size(), QImage::Format_ARGB32_Premultiplied);
        expected.fill(0);
        QPainter q(&expected);
        q.setPen(color);
        q.drawText(QRect(QPoint(0, 0), r.size()), flags, text);
        q.end();
        int glyph = 0, match = 0;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                if (qAlpha(expected.pixel(x, y)) > 200)
                {
                    ++glyph;
                    if (overlay.pixel(r.x() + x, r.y() + y) == expected.pixel(x, y)) ++match;
                }
        EXPECT_GT(glyph, 10) << text.toStdString();
        EXPECT_GE(match, glyph * 9 / 10) << text.toStdString();
    };
    const int left = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    const QColor green(0, 255, 0), red(255, 0, 0);
    const CPoint m01((p[0].x + p[1].x) / 2, (p[0].y + p[1].y) / 2), m12((p[1].x + p[2].x) / 2, (p[1].y + p[2].y) / 2);
    expectText(QRect(m01.x + 4, m01.y - 8, 200, 20), "10.00m", green, left);
    expectText(QRect(m12.x + 4, m12.y - 8, 200, 20), "10.00m", green, left);
    expectText(QRect(p[1].x + 4, p[1].y - 8, 200, 20), "10.00m", green, left);
    expectText(QRect(p[2].x + 4, p[2].y - 8, 200, 20), "20.00m", green, left);
    const int cx = (50 + 150) / 2, cy = (50 + 150) / 2;
    expectText(QRect(cx - 150, cy - 10, 300, 20), "50.00m^2", red, Qt::AlignCenter | Qt::TextSingleLine);
    // The polyline in green, the closing line in dotted red.
    EXPECT_EQ(overlay.pixel(75, 150), qRgb(0, 255, 0));
    EXPECT_GT(CountColor(overlay, 0xFF0000, QRect(60, 60, 80, 80)), 20);

    // A right press in another mode does nothing; in measuring mode it clears the measurement.
    Tool pan(v, CMouseListenerView::ToolPan);
    pan.Right(5, 5);
    EXPECT_EQ(pan.listener->m_MeasurePoints.size(), 3u);
    const int repaints = v.view.RepaintRequests();
    t.Right(5, 5);
    EXPECT_TRUE(t.listener->m_MeasurePoints.empty());
    EXPECT_GT(v.view.RepaintRequests(), repaints);
    v.view.Paint(v.map);
    EXPECT_TRUE(v.view.GetOverlay()->IsEmpty());

    t.Down(10, 10);
    t.listener->OnCancel();
    EXPECT_TRUE(t.listener->m_MeasurePoints.empty());
    EXPECT_EQ(t.listener->GetPressPoint(), CPoint(-1, -1));
}
