#include "MapTestUtil.h"

#include "map/CMouseListenerManage.h"
#include "map/CMouseListenerView.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include "common/FileBytes.h"

using maptest::RectLayer;

namespace
{
constexpr int kTestFormat = 5;

// A configured layer kind for the tests: counts opens and destructions.
struct CountingLayer : CMapLayer
{
    static inline int destroyed = 0;
    static inline int opened = 0;
    ~CountingLayer() override { ++destroyed; }
    int Open() override
    {
        ++opened;
        m_IsLoad = 1;
        return 1;
    }
    int GetType() const override { return 42; }
};

// Registers the counting kind under a format for the life of a test.
struct TestKind
{
    TestKind()
    {
        previous = RegisterMapLayerKind(kTestFormat, [] { return std::make_unique<CountingLayer>(); });
    }
    ~TestKind() { RegisterMapLayerKind(kTestFormat, previous); }
    MapLayerMaker previous;
};

MapConfigItem Item(const QString& path, int format = kTestFormat)
{
    MapConfigItem item;
    item.LayerName = "L " + path;
    item.FullPathName = path;
    item.Format = format;
    return item;
}

CMapManage& Sized(CMapManage& m, int w = 800, int h = 600, double scale = 1.0)
{
    m.SetClientRect(CRect(0, 0, w, h));
    m.m_MapConvert.SetScale(scale);
    return m;
}

} // namespace

TEST(MapManage, ZoomClicksKeepThePointUnderTheCursor)
{
    CMapManage m;
    Sized(m);
    m.m_MapConvert.SetStartCor({5000, 3000, 0});
    // At the centre the box is exactly 0.8 (1.25) times the view.
    const CPoint centre(400, 300);
    ASSERT_EQ(m.ZoomIn(centre, centre), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 0.88, 1e-12);
    ASSERT_EQ(m.ZoomOut(centre, centre), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 0.88 * 1.375, 1e-12);

    // Elsewhere the box corners are rounded toward zero, but the clicked point stays put.
    for (const CPoint c : {CPoint(300, 200), CPoint(17, 580)})
    {
        xyhCoord before, after;
        m.m_MapConvert.ClientToWorld(c, before);
        const double s = m.m_MapConvert.GetScale();
        ASSERT_EQ(m.ZoomIn(c, c), 1);
        EXPECT_NEAR(m.m_MapConvert.GetScale() / s, 0.88, 0.002);
        m.m_MapConvert.ClientToWorld(c, after);
        EXPECT_NEAR(after.x, before.x, 1e-9);
        EXPECT_NEAR(after.y, before.y, 1e-9);
        ASSERT_EQ(m.ZoomOut(c, c), 1);
        m.m_MapConvert.ClientToWorld(c, after);
        EXPECT_NEAR(after.x, before.x, 1e-9);
        EXPECT_NEAR(after.y, before.y, 1e-9);
    }

    // A box 4 pixels wide (however tall) is a click.
    m.m_MapConvert.SetScale(1.0);
    ASSERT_EQ(m.ZoomIn(CPoint(398, 100), CPoint(402, 500)), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 0.88, 1e-12);
}

TEST(MapManage, ZoomBoxes)
{
    CMapManage m;
    Sized(m);
    // Into a 200 x 100 box: the larger ratio wins, plus the 10 % margin, centred on the box.
    ASSERT_EQ(m.ZoomIn(CPoint(100, 100), CPoint(300, 200)), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 0.25 * 1.1, 1e-12);
    xyhCoord centre;
    m.m_MapConvert.ClientToWorld(CPoint(400, 300), centre);
    EXPECT_NEAR(centre.y, 200, 0.3);
    EXPECT_NEAR(centre.x, 450, 0.3);

    // A box finer than 0.001 world units per pixel still gives 0.0011.
    m.m_MapConvert.SetScale(0.001);
    ASSERT_EQ(m.ZoomIn(CPoint(100, 100), CPoint(110, 110)), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 0.0011, 1e-15);

    // Out of a 200 x 150 box: the view grows by max(800/200, 600/150) = 4, the box centre stays.
    m.m_MapConvert.SetScale(1.0);
    const CPoint c(200, 175);
    xyhCoord before, after;
    m.m_MapConvert.ClientToWorld(c, before);
    ASSERT_EQ(m.ZoomOut(CPoint(100, 100), CPoint(300, 250)), 1);
    EXPECT_NEAR(m.m_MapConvert.GetScale(), 4.4, 1e-12);
    m.m_MapConvert.ClientToWorld(c, after);
    EXPECT_NEAR(after.x, before.x, 1e-9);
    EXPECT_NEAR(after.y, before.y, 1e-9);
}

TEST(MapManage, MoveAndCentre)
{
    CMapManage m;
    Sized(m, 800, 600, 2.0);
    m.m_MapConvert.SetStartCor({100, 200, 0});
    const std::uint64_t requests = m.RequestCount();
    EXPECT_EQ(m.Move(CPoint(10, 10), CPoint(10, 10)), 0);
    EXPECT_EQ(m.RequestCount(), requests);

    xyhCoord grabbed, dropped;
    m.m_MapConvert.ClientToWorld(CPoint(10, 10), grabbed);
    ASSERT_EQ(m.Move(CPoint(10, 10), CPoint(30, 50)), 1);
    EXPECT_DOUBLE_EQ(m.m_MapConvert.GetStartCor().x, 180);
    EXPECT_DOUBLE_EQ(m.m_MapConvert.GetStartCor().y, 160);
    m.m_MapConvert.ClientToWorld(CPoint(30, 50), dropped);
    EXPECT_DOUBLE_EQ(dropped.x, grabbed.x);
    EXPECT_DOUBLE_EQ(dropped.y, grabbed.y);

    // Centring keeps the scale and always asks for a picture, even when nothing changes.
    m.SetCenter(1000, 2000, 0);
    EXPECT_EQ(m.m_MapConvert.GetScale(), 2.0);
    xyhCoord centre;
    m.m_MapConvert.ClientToWorld(CPoint(400, 300), centre);
    EXPECT_DOUBLE_EQ(centre.x, 1000);
    EXPECT_DOUBLE_EQ(centre.y, 2000);
    const std::uint64_t before = m.RequestCount();
    m.SetCenter(1000, 2000, 0);
    EXPECT_EQ(m.RequestCount(), before + 1);

    int changed = -1;
    m.ComputeStartCor({1100, 2100, 0}, changed); // inside the view
    EXPECT_EQ(changed, 0);
    m.ComputeStartCor({5000, 2000, 0}, changed);
    EXPECT_EQ(changed, 1);
    m.m_MapConvert.ClientToWorld(CPoint(400, 300), centre);
    EXPECT_DOUBLE_EQ(centre.x, 5000);
}

TEST(MapManage, StartAndScaleChangesSaveAndRequestOnlyWhenNeeded)
{
    QTemporaryDir dir;
    CMapManage m;
    m.SetConfigPath(dir.path());
    Sized(m);
    const QString file = dir.filePath("MapConvert.cfg");
    QFile::remove(file);
    const xyhCoord s = m.m_MapConvert.GetStartCor();
    const std::uint64_t r0 = m.RequestCount();
    m.SetStartCorAndScale(s, 1.0, 0);
    EXPECT_EQ(m.RequestCount(), r0);
    m.SetStartCorAndScale(s, 1.0, 1);
    EXPECT_EQ(m.RequestCount(), r0 + 1);
    EXPECT_FALSE(QFile::exists(file));
    m.SetStartCorAndScale({s.x + 1, s.y, 0}, 1.0, 0);
    EXPECT_EQ(m.RequestCount(), r0 + 2);
    EXPECT_TRUE(QFile::exists(file));

    // A scale out of range moves nothing: the start was computed for that scale.
    m.SetStartCorAndScale({s.x + 500, s.y, 0}, 5e6, 0);
    EXPECT_EQ(m.m_MapConvert.GetStartCor().x, s.x + 1);
    EXPECT_EQ(m.m_MapConvert.GetScale(), 1.0);
}

TEST(MapManage, ExtentAndScaleForARectangle)
{
    CMapManage m;
    Sized(m, 800, 600);
    xyhCoord start;
    double scale = 0;
    EXPECT_EQ(m.CalScale(10, 0, 0, 10, start, scale), 0);
    ASSERT_EQ(m.CalScale(0, 0, 600, 400, start, scale), 1);
    EXPECT_NEAR(scale, 1.1, 1e-12);
    EXPECT_NEAR(start.x, 300 - 1.1 * 300, 1e-9);
    EXPECT_NEAR(start.y, 200 - 1.1 * 400, 1e-9);
    ASSERT_EQ(m.CalScale(5, 5, 5, 5, start, scale), 1); // a point: the minimum scale
    EXPECT_NEAR(scale, 0.0011, 1e-15);

    CMapManage empty; // no client rectangle yet: no scale can show anything
    EXPECT_EQ(empty.CalScale(0, 0, 10, 10, start, scale), 0);

    double a = 0, b = 0, c = 0, d = 0;
    EXPECT_EQ(m.GetMapRect(a, b, c, d, 0), 0);
    a = 1;
    b = 2;
    c = 3;
    d = 4;
    EXPECT_EQ(m.GetMapRect(a, b, c, d, 1), 1); // the given rectangle counts
    EXPECT_EQ(a, 1);

    RectLayer one(0, 10, 100, 50, Qt::red), two(-20, 30, 40, 80, Qt::blue);
    m.m_OverlayLayers.push_back(&one);
    m.m_OverlayLayers.push_back(nullptr);
    m.m_OverlayLayers.push_back(&two);
    ASSERT_EQ(m.GetMapRect(a, b, c, d, 0), 1);
    EXPECT_EQ(a, -20);
    EXPECT_EQ(b, 10);
    EXPECT_EQ(c, 100);
    EXPECT_EQ(d, 80);
    a = -100;
    b = 0;
    c = 0;
    d = 0;
    ASSERT_EQ(m.GetMapRect(a, b, c, d, 1), 1);
    EXPECT_EQ(a, -100);
    EXPECT_EQ(d, 80);
    m.m_OverlayLayers.clear();
}

TEST(MapManage, InsertingLayers)
{
    TestKind kind;
    CMapManage m;
    CoordinateSystem_ProjectParameter projection;
    m.SetSurveyProjection(3, 1, 2, 3, 4, 5, 6, 7, 8);
    projection = m.GetSurveyProjection();
    EXPECT_EQ(projection.Type, 3);
    EXPECT_EQ(projection.Tx, 1);
    EXPECT_EQ(projection.Ty, 2);
    EXPECT_EQ(projection.CentralMeridian, 3);
    EXPECT_EQ(projection.TK, 4);
    EXPECT_EQ(projection.Parallel1, 5);
    EXPECT_EQ(projection.Parallel2, 6);
    EXPECT_EQ(projection.ReferenceLatitude, 7);
    EXPECT_EQ(projection.ProjectionHeight, 8);
    m.SetSurveyDestinationEllipsoid(6378137.0, 298.257223563);

    EXPECT_EQ(m.InsertMapLayer(-1, Item("/a")), 1);
    EXPECT_EQ(m.InsertMapLayer(-1, Item("/a")), 0);
    EXPECT_EQ(m.InsertMapLayer(-1, Item("/A")), 1); // identity is case-sensitive
    EXPECT_EQ(m.InsertMapLayer(0, Item("/b")), 1);
    EXPECT_EQ(m.InsertMapLayer(99, Item("/c")), 1);
    EXPECT_EQ(m.InsertMapLayer(-1, Item("/d", 8)), 0); // no kind for this format
    ASSERT_EQ(m.m_MapLayers.size(), 4u);
    EXPECT_EQ(m.m_MapLayers[0]->GetMapItem().FullPathName, "/b");
    EXPECT_EQ(m.m_MapLayers[3]->GetMapItem().FullPathName, "/c");
    CMapLayer* layer = m.m_MapLayers[1].get();
    EXPECT_EQ(layer->GetConvert(), &m.m_MapConvert);
    EXPECT_EQ(layer->GetEllipsoid().Axis, 6378137.0);
    EXPECT_EQ(layer->GetProjection().Type, 3);
    EXPECT_EQ(layer->IsLoad(), 0);

    // Load opens what is not open yet, and what asks to be reloaded.
    CountingLayer::opened = 0;
    m.Load(nullptr);
    EXPECT_EQ(CountingLayer::opened, 4);
    m.Load(nullptr);
    EXPECT_EQ(CountingLayer::opened, 4);
    MapConfigItem reload = layer->GetMapItem();
    reload.Reload = 1;
    layer->SetMapItem(reload);
    m.Load(nullptr);
    EXPECT_EQ(CountingLayer::opened, 5);

    CountingLayer::destroyed = 0;
    m.Clear();
    EXPECT_TRUE(m.m_MapLayers.empty());
    EXPECT_EQ(CountingLayer::destroyed, 4);
}

TEST(MapManage, LayerBaseClassBehaviour)
{
    CMapLayer layer;
    EXPECT_EQ(layer.GetMapItem().Visible, 1);
    MapConfigItem item = Item("/x", 3);
    item.Visible = 0;
    item.Edit = 1;
    item.clrFill = 0x112233;
    EXPECT_EQ(layer.SetMapItem(item), 1);
    layer.Clear();
    const MapConfigItem after = layer.GetMapItem();
    EXPECT_EQ(after.FullPathName, "/x");
    EXPECT_EQ(after.Format, 3);
    EXPECT_EQ(after.clrFill, 0x112233ul);
    EXPECT_EQ(after.Visible, 1);
    EXPECT_EQ(after.Edit, 0);
    EXPECT_TRUE(after.LayerName.isEmpty());
    double a, b, c, d;
    EXPECT_EQ(layer.GetRange(a, b, c, d, 0), 0);
    EXPECT_EQ(layer.Open(), 0);
    EXPECT_EQ(layer.GetType(), 0);
    EXPECT_EQ(CreateMapLayer(8), nullptr);
}

TEST(MapManage, LayerFileRoundTripsAndCarriesFieldsForward)
{
    TestKind kind;
    QTemporaryDir dir;
    {
        CMapManage m;
        m.SetConfigPath(dir.path());
        MapConfigItem a = Item("/data/a.dat");
        a.DictionaryPathName = "/dict/ä.txt";
        a.Style = 3;
        a.Size = 12;
        a.clrOutLine = 0xFFFFFFFF;
        a.clrFill = 0x00FF00;
        a.clrText = 0x0000FF;
        a.DisplayField = 2;
        a.Visible = 0;
        a.Search = 0;
        a.Select = 1;
        a.SemiTransparence = 1;
        a.Edit = 1;
        a.MapDataType = 77;
        a.Reload = 1;
        ASSERT_EQ(m.InsertMapLayer(-1, a), 1);
        ASSERT_EQ(m.InsertMapLayer(-1, Item("/data/<b>&c")), 1);
        ASSERT_EQ(m.ConfigSave(), 1);
    }
    CMapManage back;
    back.SetConfigPath(dir.path());
    ASSERT_EQ(back.m_MapLayers.size(), 2u);
    const MapConfigItem a = back.m_MapLayers[0]->GetMapItem();
    EXPECT_EQ(a.LayerName, "L /data/a.dat");
    EXPECT_EQ(a.DictionaryPathName, "/dict/ä.txt");
    EXPECT_EQ(a.Style, 3);
    EXPECT_EQ(a.Size, 12);
    EXPECT_EQ(a.clrOutLine, 0xFFFFFFFFul);
    EXPECT_EQ(a.clrFill, 0x00FF00ul);
    EXPECT_EQ(a.clrText, 0x0000FFul);
    EXPECT_EQ(a.DisplayField, 2);
    EXPECT_EQ(a.Visible, 0);
    EXPECT_EQ(a.Search, 0);
    EXPECT_EQ(a.Select, 1);
    EXPECT_EQ(a.SemiTransparence, 1);
    EXPECT_EQ(a.Edit, 1);
    EXPECT_EQ(a.MapDataType, 77);
    EXPECT_EQ(a.Reload, 0); // not saved
    EXPECT_EQ(back.m_MapLayers[1]->GetMapItem().FullPathName, "/data/<b>&c");

    // An item that leaves fields out takes the previous item's, except name and flags.
    ASSERT_TRUE(WriteBytes(dir.filePath("MapLayer.cfg"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD><MapLayer><Ver>1.0.1.1</Ver>"
              "<MapLayer_Item><LayerName>one</LayerName><FullPathName>/1</FullPathName><Format>5</Format>"
              "<Style>4</Style><Select>1</Select><Search>0</Search></MapLayer_Item>"
              "<MapLayer_Item><FullPathName>/2</FullPathName></MapLayer_Item>"
              "<MapLayer_Item><FullPathName>/3</FullPathName><Format>8</Format></MapLayer_Item>"
              "<MapLayer_Item><FullPathName>/1</FullPathName><Format>5</Format></MapLayer_Item>"
              "</MapLayer></HEAD>"));
    ASSERT_EQ(back.ConfigRead(), 1);
    ASSERT_EQ(back.m_MapLayers.size(), 2u); // /3 has no kind, the second /1 is a duplicate
    const MapConfigItem second = back.m_MapLayers[1]->GetMapItem();
    EXPECT_EQ(second.FullPathName, "/2");
    EXPECT_EQ(second.Format, 5);
    EXPECT_EQ(second.Style, 4);
    EXPECT_TRUE(second.LayerName.isEmpty());
    EXPECT_EQ(second.Select, 0);
    EXPECT_EQ(second.Search, 1);

    // Broken files leave the list as it is.
    ASSERT_TRUE(WriteBytes(dir.filePath("MapLayer.cfg"), "<HEAD><Other/></HEAD>"));
    EXPECT_EQ(back.ConfigRead(), 0);
    ASSERT_TRUE(WriteBytes(dir.filePath("MapLayer.cfg"), "\x01\x02 garbage <<<"));
    EXPECT_EQ(back.ConfigRead(), 0);
    QFile::remove(dir.filePath("MapLayer.cfg"));
    EXPECT_EQ(back.ConfigRead(), 0);
    EXPECT_EQ(back.m_MapLayers.size(), 2u);
}

TEST(MapManage, OwnsItsDefaultMouseTool)
{
    CMapManage m;
    CMouseListenerManage* tools = m.GetMouseListenerManage();
    ASSERT_NE(tools, nullptr);
    EXPECT_NE(tools->Find(10), nullptr);
    EXPECT_EQ(tools->GetMouseListener(), nullptr); // key 0 until the host picks a tool
    tools->SetMouseListenerKey(10, 11);
    EXPECT_EQ(tools->GetMouseListener(), tools->Find(10));
}
