#include "MapTestUtil.h"

#include <gtest/gtest.h>

#include <QFont>

#include <memory>
#include <thread>

using maptest::CountColor;
using maptest::CountNot;
using maptest::RectLayer;
using maptest::ViewedMap;

namespace
{
const QRgb kBlack = 0x000000, kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kWhite = 0xFFFFFF;

// The scale bar's text as DrawScale should draw it, rendered independently into the 104 x 20
// strip above the bar (the label rectangle starts 2 pixels down).
QImage ExpectedLabel(const QString& text, QRgb background)
{
    QImage img(104, 20, QImage::Format_RGB32);
    img.fill(background);
    QPainter p(&img);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    p.setFont(font);
    p.setPen(QColor::fromRgb(background ^ 0xFFFFFF));
    p.drawText(QRect(4, 2, 100, 18), Qt::AlignCenter | Qt::TextSingleLine, text);
    return img;
}
} // namespace

TEST(MapDrawing, LayersAppearWhereTheirCoordinatesSayInListOrder)
{
    ViewedMap v(200, 100);
    v.map.SetBackGroundColor(0);
    // World (0..100, 0..200) fills the view at scale 1.
    RectLayer first(0, 0, 50, 100, Qt::red);     // lower left quarter
    RectLayer second(25, 50, 100, 150, Qt::green); // overlaps it
    RectLayer overlay(40, 90, 60, 110, Qt::blue);
    v.map.m_OverlayLayers.push_back(&overlay);
    auto ownedFirst = std::make_unique<RectLayer>(0, 0, 50, 100, Qt::red);
    auto ownedSecond = std::make_unique<RectLayer>(25, 50, 100, 150, Qt::green);
    ownedFirst->SetConvert(&v.map.m_MapConvert);
    ownedSecond->SetConvert(&v.map.m_MapConvert);
    overlay.SetConvert(&v.map.m_MapConvert);
    RectLayer* top = ownedFirst.get();
    v.map.m_MapLayers.push_back(std::move(ownedFirst));
    v.map.m_MapLayers.push_back(std::move(ownedSecond));
    v.map.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    v.map.WaitForDrawing();
    const QImage img = v.map.GetDisplayBuffer();
    ASSERT_EQ(img.size(), QSize(200, 100));

    // World x 0..50 is the bottom half (rows 50..99), y 0..100 the left half.
    EXPECT_EQ(img.pixel(10, 90) & 0xFFFFFF, kRed);
    EXPECT_EQ(img.pixel(99, 70) & 0xFFFFFF, kRed);
    EXPECT_EQ(img.pixel(100, 70) & 0xFFFFFF, kGreen);
    EXPECT_EQ(img.pixel(10, 49) & 0xFFFFFF, kBlack);
    // The first layer of the main list lies on top of the second...
    EXPECT_EQ(img.pixel(70, 60) & 0xFFFFFF, kRed);
    EXPECT_EQ(img.pixel(120, 30) & 0xFFFFFF, kGreen);
    // ...and overlay layers come after all of them.
    EXPECT_EQ(img.pixel(95, 50) & 0xFFFFFF, kBlue);
    EXPECT_EQ(top->lastOverlayFlag.load(), 0);
    EXPECT_EQ(overlay.lastOverlayFlag.load(), 1);

    // A hidden layer is not drawn at all.
    MapConfigItem item = top->GetMapItem();
    item.Visible = 0;
    top->SetMapItem(item);
    const int draws = top->draws.load();
    v.map.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    v.map.WaitForDrawing();
    EXPECT_EQ(top->draws.load(), draws);
    EXPECT_EQ(v.map.GetDisplayBuffer().pixel(70, 60) & 0xFFFFFF, kGreen);

    // Drawing one layer into the buffer on the calling thread, without clearing it.
    item.Visible = 1;
    top->SetMapItem(item);
    v.map.DrawLayerToBitmap(0);
    v.map.DrawLayerToBitmap(7);
    EXPECT_EQ(v.map.GetDisplayBuffer().pixel(70, 60) & 0xFFFFFF, kRed);
    v.map.m_OverlayLayers.clear();
}

TEST(MapDrawing, NoViewNoPicture)
{
    CMapManage m;
    m.SetClientRect(CRect(0, 0, 50, 50));
    m.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    m.WaitForDrawing();
    EXPECT_TRUE(m.GetDisplayBuffer().isNull());
    EXPECT_EQ(m.PublishedCount(), 0u);
}

TEST(MapDrawing, NorthArrowAndScaleBar)
{
    ViewedMap v(300, 200);
    v.map.SetBackGroundColor(0);
    v.map.SetStartCorAndScale({0, 0, 0}, 0.1, 1);
    QImage img = v.Picture();
    const int R = 300;
    // Right half blue, left half filled with the painter's brush (white when it has none).
    EXPECT_EQ(img.pixel(R - 15, 40) & 0xFFFFFF, kBlue);
    EXPECT_EQ(img.pixel(R - 22, 40) & 0xFFFFFF, kWhite);
    EXPECT_EQ(img.pixel(R - 18, 2) & 0xFFFFFF, kBlack);
    EXPECT_EQ(img.pixel(R - 3, 40) & 0xFFFFFF, kBlack);
    EXPECT_EQ(CountColor(img, kBlue, QRect(R - 30, 0, 30, 60)), CountColor(img, kBlue));

    // The bar in the inverse of the background: ticks at x 4 and 104, the line at y + 6.
    const int y = 200 - 20;
    EXPECT_EQ(img.pixel(4, y) & 0xFFFFFF, kWhite);
    EXPECT_EQ(img.pixel(104, y + 11) & 0xFFFFFF, kWhite);
    EXPECT_EQ(img.pixel(50, y + 6) & 0xFFFFFF, kWhite);
    EXPECT_EQ(img.pixel(50, y + 3) & 0xFFFFFF, kBlack);

    // Labels at three scales, compared with the text rendered on its own.
    struct Case
    {
        double scale;
        const char* text;
    } cases[] = {{0.005, "0.50m"}, {0.025, "2.5m"}, {0.1, "10m"}, {7.0, "700m"}};
    for (const Case& c : cases)
    {
        v.map.SetStartCorAndScale({0, 0, 0}, c.scale, 1);
        img = v.Picture();
        const QImage label = img.copy(0, 200 - 40, 104, 20);
        EXPECT_EQ(label, ExpectedLabel(QString::fromLatin1(c.text), kBlack)) << c.text;
        EXPECT_GT(CountNot(label, kBlack), 10) << c.text;
    }

    // A scale no view uses (a picture fitted to its size) gets a shorter bar of a round length:
    // 6.67 m a pixel gives 500 m on 75 pixels, not "667m" on 100.
    v.map.SetStartCorAndScale({0, 0, 0}, 6.67, 1);
    img = v.Picture();
    EXPECT_EQ(img.pixel(4 + 75, y) & 0xFFFFFF, kWhite);
    EXPECT_EQ(img.pixel(104, y) & 0xFFFFFF, kBlack);
    QImage expected = ExpectedLabel(QString(), kBlack);
    {
        QPainter p(&expected);
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(9);
        p.setFont(font);
        p.setPen(QColor::fromRgb(kWhite));
        p.drawText(QRect(4, 2, 75, 18), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("500m"));
    }
    EXPECT_EQ(img.copy(0, 200 - 40, 104, 20), expected);

    // On a white background the bar turns black.
    v.map.SetBackGroundColor(0xFFFFFF);
    v.map.SetStartCorAndScale({0, 0, 0}, 0.1, 1);
    img = v.Picture();
    EXPECT_EQ(img.pixel(4, y) & 0xFFFFFF, kBlack);
}

TEST(MapDrawing, ClippedLines)
{
    CMapManage m;
    m.SetClientRect(CRect(0, 0, 100, 50));
    CPoint a(-50, 25), b(150, 25);
    ASSERT_EQ(m.JudgeLineInRect(a, b), 1);
    EXPECT_EQ(a, CPoint(0, 25));
    EXPECT_EQ(b, CPoint(100, 25));
    a = CPoint(-10, -10);
    b = CPoint(-5, 80);
    EXPECT_EQ(m.JudgeLineInRect(a, b), 0);
    EXPECT_EQ(a, CPoint(-1000, -1000));
    EXPECT_EQ(b, CPoint(-1000, -1000));
    a = CPoint(-10, 0);
    b = CPoint(90, 100); // slope 1: enters at (0, 10), leaves at (40, 50)
    ASSERT_EQ(m.JudgeLineInRect(a, b), 1);
    EXPECT_EQ(a, CPoint(0, 10));
    EXPECT_EQ(b, CPoint(40, 50));
    EXPECT_EQ(m.EnCode(CPoint(-1, -1)), 5);
    EXPECT_EQ(m.EnCode(CPoint(101, 51)), 10);
    EXPECT_EQ(CMapManage::GetDistance(CPoint(0, 0), CPoint(3, 5)), 5);

    QImage img(100, 50, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setPen(Qt::white);
    m.DrawLine(&p, CPoint(-1000000, 10), CPoint(1000000, 10));
    m.DrawLine(&p, CPoint(-5, -5), CPoint(-1, 80));
    p.end();
    EXPECT_EQ(CountColor(img, kWhite), 100);
    EXPECT_EQ(CountColor(img, kWhite, QRect(0, 10, 100, 1)), 100);
}

TEST(MapDrawing, PositionMarkerErasesItselfByExclusiveOr)
{
    CMapManage m;
    m.SetClientRect(CRect(0, 0, 200, 200));
    m.m_MapConvert.SetScale(1.0);
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(0x336699);
    const QImage clean = img.copy();
    QPainter p(&img);
    m.DrawPointer(&p, {100, 100, 0}, 0);
    m.DrawPointer(&p, {100, 100, 0}, 0);
    EXPECT_EQ(img, clean); // two positions stored, nothing drawn yet
    m.DrawPointer(&p, {100, 100.01, 0}, 0); // a small step: circles
    ASSERT_EQ(m.PointerShape().size(), 1u);
    EXPECT_NE(img, clean);
    m.DrawPointer(&p, {130, 140, 0}, 0); // a real move: the circles go, an arrow comes
    ASSERT_EQ(m.PointerShape().size(), 4u);
    // The arrow's tip lies 40 pixels ahead of the position in the direction of motion (up-right).
    const CPoint pb = m.PointerShape()[0], tip = m.PointerShape()[2];
    EXPECT_NEAR(tip.x - pb.x, 40 * 40.0 / 50, 1.01);
    EXPECT_NEAR(tip.y - pb.y, -40 * 30.0 / 50, 1.01);
    const QImage withArrow = img.copy();
    m.DrawPointer(&p, {130, 140, 0}, 0); // the same position: nothing happens
    EXPECT_EQ(img, withArrow);
    // Repainting: the shape is forgotten and drawn again from the stored positions.
    m.ClearPointer();
    m.DrawPointer(&p, {130, 140, 0}, 1); // erases nothing, draws once more
    EXPECT_EQ(img, clean);                // twice the same arrow: exclusive-or removes it
    p.end();

    QImage circle(60, 60, QImage::Format_RGB32);
    circle.fill(Qt::black);
    QPainter q(&circle);
    q.setPen(Qt::white);
    m.DrawCircle(&q, CPoint(30, 30), 20);
    m.DrawCircle(&q, CPoint(30, 30), 0);
    q.end();
    EXPECT_EQ(circle.pixel(50, 30) & 0xFFFFFF, kWhite);
    EXPECT_EQ(circle.pixel(30, 11) & 0xFFFFFF, kWhite);
    EXPECT_EQ(circle.pixel(30, 30) & 0xFFFFFF, kBlack);
}

TEST(MapDrawing, ImmediateFeedbackShiftsAndStretchesTheLastPicture)
{
    ViewedMap v(200, 100);
    v.map.SetBackGroundColor(0);
    RectLayer layer(0, 0, 100, 100, Qt::red); // the left half of the view
    layer.SetConvert(&v.map.m_MapConvert);
    v.map.m_OverlayLayers.push_back(&layer);
    v.map.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    v.map.WaitForDrawing();
    layer.delayMs = 200; // the new picture will take a while: the feedback shows first

    v.map.Move(CPoint(50, 50), CPoint(80, 50));
    QImage fb = v.map.GetDisplayBuffer();
    EXPECT_EQ(fb.pixel(10, 50) & 0xFFFFFF, kBlack); // uncovered: background
    EXPECT_EQ(fb.pixel(40, 50) & 0xFFFFFF, kRed);
    EXPECT_EQ(fb.pixel(129, 50) & 0xFFFFFF, kRed);
    EXPECT_EQ(fb.pixel(130, 50) & 0xFFFFFF, kBlack);
    v.map.WaitForDrawing();
    EXPECT_EQ(v.map.GetDisplayBuffer(), fb); // the drawn picture agrees with the feedback

    // Zooming out about the centre: the picture shrinks around the point clicked.
    v.map.ZoomOut(CPoint(100, 50), CPoint(100, 50));
    fb = v.map.GetDisplayBuffer();
    const double k = 1 / 1.375;
    EXPECT_EQ(fb.pixel(int(100 + (125 - 100) * k) + 2, 50) & 0xFFFFFF, kRed);
    EXPECT_EQ(fb.pixel(int(100 + (135 - 100) * k) + 2, 50) & 0xFFFFFF, kBlack);
    layer.delayMs = 0;
    v.map.WaitForDrawing();
    const QImage drawn = v.map.GetDisplayBuffer();
    EXPECT_LE(std::abs(CountColor(drawn, kRed) - CountColor(fb, kRed)), 200);
    v.map.m_OverlayLayers.clear();
}

TEST(MapDrawing, BurstOfRequestsEndsWithTheFullPictureOfTheLatestState)
{
    ViewedMap v(320, 200);
    v.map.SetBackGroundColor(0);
    std::vector<std::unique_ptr<RectLayer>> layers;
    for (int i = 0; i < 6; ++i)
    {
        layers.push_back(std::make_unique<RectLayer>(i * 10, i * 15, i * 10 + 40, i * 15 + 60,
                                                     QColor::fromHsv(i * 50, 255, 255)));
        layers.back()->SetConvert(&v.map.m_MapConvert);
        layers.back()->delayMs = 2;
        v.map.m_OverlayLayers.push_back(layers.back().get());
    }
    v.map.SetMapRect(0, 0, 100, 150);
    for (int i = 0; i < 50; ++i)
    {
        if (i % 3 == 0) v.map.ZoomIn(CPoint(100 + i, 80), CPoint(100 + i, 80));
        else if (i % 3 == 1) v.map.Move(CPoint(50, 50), CPoint(52 + i % 7, 47));
        else v.map.ZoomOut(CPoint(160, 100 - i % 5), CPoint(160, 100 - i % 5));
    }
    EXPECT_GE(v.map.RequestCount(), 51u);
    const QImage last = v.Picture();
    // Far fewer pictures than requests were drawn to the end.
    EXPECT_LT(v.map.PublishedCount(), 50u);

    // A fresh manager in the same state draws the same picture.
    ViewedMap fresh(320, 200);
    fresh.map.SetBackGroundColor(0);
    for (auto& layer : layers)
    {
        layer->SetConvert(&fresh.map.m_MapConvert);
        layer->delayMs = 0;
        fresh.map.m_OverlayLayers.push_back(layer.get());
    }
    fresh.map.SetStartCorAndScale(v.map.m_MapConvert.GetStartCor(), v.map.m_MapConvert.GetScale(), 1);
    EXPECT_EQ(last, fresh.Picture());
    EXPECT_GT(CountNot(last, kBlack), 500);
    v.map.m_OverlayLayers.clear();
}

TEST(MapDrawing, DestroyingTheManagerWhileItDrawsIsSafe)
{
    CMapOffscreenView view(QSize(100, 100));
    RectLayer layer(0, 0, 50, 50, Qt::red);
    layer.delayMs = 30;
    for (int round = 0; round < 3; ++round)
    {
        auto m = std::make_unique<CMapManage>();
        m->SetOwnerView(&view);
        m->SetClientRect(CRect(0, 0, 100, 100));
        layer.SetConvert(&m->m_MapConvert);
        m->m_OverlayLayers.push_back(&layer);
        for (int i = 0; i < 5; ++i) m->SetCenter(i, i, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 * round));
        m.reset(); // stops and joins the drawing thread
    }
    SUCCEED();
}

TEST(MapDrawing, TwoManagersDrawConcurrentlyWithoutInterference)
{
    ViewedMap a(120, 80), b(120, 80);
    RectLayer la(0, 0, 40, 60, Qt::red), lb(0, 0, 40, 60, Qt::blue);
    la.SetConvert(&a.map.m_MapConvert);
    lb.SetConvert(&b.map.m_MapConvert);
    a.map.m_OverlayLayers.push_back(&la);
    b.map.m_OverlayLayers.push_back(&lb);
    for (int i = 0; i < 20; ++i)
    {
        a.map.SetCenter(20 + i, 30, 0);
        b.map.SetCenter(20, 30 + i, 0);
    }
    const QImage ia = a.Picture(), ib = b.Picture();
    EXPECT_GT(CountColor(ia, kRed), 0);
    EXPECT_EQ(CountColor(ia, kBlue), CountColor(ia, kBlue, QRect(90, 0, 30, 60))); // only the arrow
    EXPECT_GT(CountColor(ib, kBlue), CountColor(ib, kBlue, QRect(90, 0, 30, 60)));
    a.map.m_OverlayLayers.clear();
    b.map.m_OverlayLayers.clear();
}

TEST(MapDrawing, FastPixelsMatchThePainter)
{
    std::vector<QPoint> pts = {{0, 0}, {5, 7}, {49, 49}, {-1, 3}, {50, 2}, {3, 50}, {20, 20}};
    QImage fast(50, 50, QImage::Format_RGB32), slow(50, 50, QImage::Format_RGB32);
    fast.fill(Qt::black);
    slow.fill(Qt::black);
    {
        QPainter p(&fast);
        p.setPen(QPen(QColor(10, 200, 30), 0));
        MapDrawPixels(&p, pts.data(), int(pts.size()));
        p.fillRect(0, 40, 5, 5, Qt::white); // the painter still works afterwards
    }
    {
        QPainter p(&slow);
        p.setPen(QPen(QColor(10, 200, 30), 0));
        p.drawPoints(pts.data(), int(pts.size()));
        p.fillRect(0, 40, 5, 5, Qt::white);
    }
    EXPECT_EQ(fast, slow);
    EXPECT_EQ(fast.pixel(5, 7), qRgb(10, 200, 30));

    // A transformed painter takes the painter's own path, which honours the transform.
    QImage moved(50, 50, QImage::Format_RGB32);
    moved.fill(Qt::black);
    {
        QPainter p(&moved);
        p.setPen(QPen(Qt::white, 0));
        p.translate(10, 10);
        MapDrawPixels(&p, pts.data(), 2);
    }
    EXPECT_EQ(moved.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(moved.pixel(15, 17), qRgb(255, 255, 255));
    EXPECT_EQ(moved.pixel(0, 0), qRgb(0, 0, 0));
}

// The drawing thread draws into the picture it published two frames ago when nobody holds it:
// a picture a caller still holds must never change, and a recycled one starts from the
// background again.
TEST(MapDrawing, RecycledPicturesNeitherChangeHeldOnesNorKeepOldContent)
{
    ViewedMap v;
    RectLayer layer(0, 0, 50, 100, Qt::red);
    layer.SetConvert(&v.map.m_MapConvert);
    v.map.m_OverlayLayers.push_back(&layer);
    v.map.SetStartCorAndScale({0, 0, 0}, 1.0, 1);
    v.map.WaitForDrawing();
    const QImage held = v.map.GetDisplayBuffer();
    const QImage heldCopy = held.copy();
    ASSERT_EQ(held.pixel(10, 90) & 0xFFFFFF, kRed);

    // Move the view several frames in a row; each picture must equal one drawn afresh.
    for (int k = 1; k <= 4; ++k)
    {
        v.map.SetStartCorAndScale({0, 20.0 * k, 0}, 1.0, 1);
        v.map.WaitForDrawing();
        ViewedMap fresh;
        RectLayer same(0, 0, 50, 100, Qt::red);
        same.SetConvert(&fresh.map.m_MapConvert);
        fresh.map.m_OverlayLayers.push_back(&same);
        fresh.map.SetStartCorAndScale({0, 20.0 * k, 0}, 1.0, 1);
        fresh.map.WaitForDrawing();
        const QImage now = v.map.GetDisplayBuffer();
        EXPECT_EQ(now, fresh.map.GetDisplayBuffer()) << "frame " << k;
        EXPECT_LT(CountColor(now, kRed), CountColor(held, kRed)) << "frame " << k;
        fresh.map.m_OverlayLayers.clear();
    }
    EXPECT_EQ(held, heldCopy);
    v.map.m_OverlayLayers.clear();
}
