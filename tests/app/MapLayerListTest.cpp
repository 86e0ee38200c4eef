// The map layers of the desktop program without a display: adding, loading on worker threads,
// order, visibility, removal, the files that keep them between runs, the coordinate system handed
// to the layers, cancelled and failed loads, finding points and identifying features.
#include "app/core/MapLayerList.h"
#include "app/core/MapViewLogic.h"
#include "map/CMapManage.h"
#include "platform/MessageSink.h"
#include "common/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
QString Example(const QString& name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + name; }

class RecordedMessages
{
public:
    RecordedMessages()
    {
        m_Previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind kind) {
            texts << text;
            kinds.push_back(kind);
            return MessageAnswer::Ok;
        });
    }
    ~RecordedMessages() { SetMessageHandler(m_Previous); }
    QStringList texts;
    std::vector<MessageKind> kinds;

private:
    MessageHandler m_Previous;
};

// A configuration folder and copies of the example data (shapefiles and tile sets write caches
// beside themselves), with a map manager that reads its layer list from the folder as the
// program's view does.
class LayerListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"points-jinggangao.dat", "site-jinggangao.dxf", "parcels-jinggangao.shp",
                                 "parcels-jinggangao.shx", "parcels-jinggangao.dbf", "parcels-jinggangao.prj",
                                 "parcels-jinggangao.cpg", "tiles-jinggangao.db"})
            ASSERT_TRUE(QFile::copy(Example(QString::fromLatin1(name)), Path(name))) << name;
        Open();
    }
    void TearDown() override
    {
        list.reset();
        map.reset();
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // A fresh start of the program: a new map reading the saved list, and the layers restored.
    void Open()
    {
        list.reset();
        map = std::make_unique<CMapManage>();
        map->SetClientRect(CRect(0, 0, 800, 600));
        map->SetConfigPath(dir.path());
        list = std::make_unique<CMapLayerList>(*map, dir.path());
        list->Restore();
        list->WaitForLoads();
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < list->Count(); ++i) names << list->Row(i).name;
        return names;
    }

    QTemporaryDir dir;
    RecordedMessages messages;
    std::unique_ptr<CMapManage> map;
    std::unique_ptr<CMapLayerList> list;
};
} // namespace

TEST_F(LayerListTest, LayersAreAddedOnTopLoadedOrderedHiddenRemovedAndKeptBetweenRuns)
{
    ASSERT_TRUE(list->AddLayer(Path("site-jinggangao.dxf"), 0));
    ASSERT_TRUE(list->AddLayer(Path("parcels-jinggangao.shp"), 0));
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 0));
    list->WaitForLoads();
    ASSERT_EQ(Names(), QStringList({"points-jinggangao", "parcels-jinggangao", "site-jinggangao"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list->Row(i).state, LayerState::Loaded) << i;
    EXPECT_EQ(list->Row(0).kind, QStringLiteral("点文件"));
    EXPECT_EQ(list->Row(1).format, 2);
    EXPECT_EQ(list->Row(2).kind, QStringLiteral("DXF 图纸"));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();

    // The loaded layers are the map's own: extents as the files hold them (no coordinate system).
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    ASSERT_TRUE(list->LayerExtent(0, minX, maxX, minY, maxY));
    EXPECT_NEAR(minX, 3401275.149, 1e-3);
    EXPECT_NEAR(maxY, 502484.302, 1e-3);
    ASSERT_TRUE(list->LayerExtent(1, minX, maxX, minY, maxY));
    EXPECT_NEAR(minX, 3401100.0, 1e-6);
    EXPECT_NEAR(maxY, 500480.0, 1e-6);
    ASSERT_TRUE(list->ZoomToLayer(2));
    double a = 0, b = 0, c = 0, d = 0;
    ASSERT_TRUE(list->LayerExtent(2, a, b, c, d));
    const xyhCoord start = map->m_MapConvert.GetStartCor();
    const double scale = map->m_MapConvert.GetScale();
    EXPECT_NEAR(start.x + 300 * scale, (a + b) / 2, scale);
    EXPECT_NEAR(start.y + 400 * scale, (c + d) / 2, scale);
    // The whole layer in view, at one of the view's round scales.
    EXPECT_DOUBLE_EQ(RoundScaleAtLeast(scale), scale);
    EXPECT_GE(600 * scale, b - a);
    EXPECT_GE(800 * scale, d - c);

    // Order, visibility and properties.
    EXPECT_FALSE(list->Move(0, -1));
    EXPECT_FALSE(list->Move(2, +1));
    EXPECT_TRUE(list->Move(2, -1));
    EXPECT_EQ(Names(), QStringList({"points-jinggangao", "site-jinggangao", "parcels-jinggangao"}));
    list->SetVisible(2, false);
    EXPECT_FALSE(list->Row(2).visible);
    EXPECT_FALSE(map->m_MapLayers[2]->GetMapItem().Visible);
    MapConfigItem item = list->Item(0);
    item.LayerName = QStringLiteral("控制点");
    item.clrOutLine = 0x0000FF;
    item.FullPathName = QStringLiteral("/elsewhere.dat"); // never taken from the dialog
    item.Format = 3;
    list->SetItem(0, item);
    EXPECT_EQ(list->Row(0).name, QStringLiteral("控制点"));
    EXPECT_EQ(list->Row(0).path, QFileInfo(Path("points-jinggangao.dat")).absoluteFilePath());
    EXPECT_EQ(list->Row(0).format, 5);

    // The next start shows the same list, loaded, in the same order and state.
    Open();
    ASSERT_EQ(Names(), QStringList({"控制点", "site-jinggangao", "parcels-jinggangao"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list->Row(i).state, LayerState::Loaded) << i;
    EXPECT_TRUE(list->Row(0).visible);
    EXPECT_FALSE(list->Row(2).visible);
    EXPECT_EQ(list->Item(0).clrOutLine, 0x0000FFul);

    // Removing keeps the files and the rest of the list.
    list->Remove(1);
    EXPECT_EQ(Names(), QStringList({"控制点", "parcels-jinggangao"}));
    EXPECT_TRUE(QFileInfo::exists(Path("site-jinggangao.dxf")));
    Open();
    EXPECT_EQ(Names(), QStringList({"控制点", "parcels-jinggangao"}));
}

TEST_F(LayerListTest, FilesThatCannotBeLayersAreRefusedWithTheReason)
{
    QString error;
    EXPECT_FALSE(list->AddLayer(Path("missing.dat"), 0, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不存在")) && error.contains(QStringLiteral("missing.dat")));
    ASSERT_TRUE(WriteBytes(Path("notes.bin"), QByteArray("just some bytes\n")));
    EXPECT_FALSE(list->AddLayer(Path("notes.bin"), 0, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("图层类型"))) << error.toStdString();
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 0));
    EXPECT_FALSE(list->AddLayer(dir.path() + QStringLiteral("/./points-jinggangao.dat"), 0, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("已经")));
    list->WaitForLoads();
    EXPECT_EQ(list->Count(), 1);
}

TEST_F(LayerListTest, AFailedLoadIsToldOnceAndTheLayerStaysMarked)
{
    // Not a shapefile inside, and a kind chosen by the user that does not fit the file.
    ASSERT_TRUE(WriteBytes(Path("broken.shp"), QByteArray(300, '\x7f')));
    ASSERT_TRUE(list->AddLayer(Path("broken.shp"), 0));
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 3));
    list->WaitForLoads();
    ASSERT_EQ(list->Count(), 2);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(list->Row(i).state, LayerState::Failed) << i;
        EXPECT_FALSE(list->Row(i).reason.isEmpty());
    }
    const QStringList failures = messages.texts.filter(QStringLiteral("打开图层失败"));
    ASSERT_EQ(failures.size(), 2) << messages.texts.join('\n').toStdString();
    EXPECT_TRUE(failures.join('\n').contains(QStringLiteral("broken.shp")));
    EXPECT_FALSE(list->ZoomToLayer(0));

    // Kept in the list file, and tried again at the next start.
    Open();
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Row(1).state, LayerState::Failed);
}

TEST_F(LayerListTest, ACancelledLoadLeavesTheLayerUnloadedUntilReloaded)
{
    ASSERT_TRUE(list->AddLayer(Path("site-jinggangao.dxf"), 0));
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 0));
    ASSERT_TRUE(list->IsLoading());
    ASSERT_NE(list->CurrentLoad(), nullptr);
    EXPECT_EQ(list->CurrentLoad()->Path(), QFileInfo(Path("site-jinggangao.dxf")).absoluteFilePath());
    list->CancelLoads();
    EXPECT_FALSE(list->IsLoading());
    list->WaitForLoads();
    // The load running and the one waiting both stop; nothing is drawn from them and nobody is told.
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(list->Row(i).state, LayerState::Cancelled) << i;
        EXPECT_FALSE(list->Layer(i)->IsLoad());
    }
    EXPECT_TRUE(messages.texts.isEmpty());

    list->Reload(1);
    list->WaitForLoads();
    EXPECT_EQ(list->Row(1).state, LayerState::Loaded);
    EXPECT_EQ(list->Row(0).state, LayerState::Cancelled);
}

TEST_F(LayerListTest, RemovingALayerWhileItLoadsDropsTheLoad)
{
    ASSERT_TRUE(list->AddLayer(Path("parcels-jinggangao.shp"), 0));
    list->Remove(0);
    list->WaitForLoads();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(LayerListTest, TheCoordinateSystemIsHandedToEveryLayerAndKept)
{
    ASSERT_TRUE(list->AddLayer(Path("tiles-jinggangao.db"), 0));
    list->WaitForLoads();
    ASSERT_EQ(list->Row(0).state, LayerState::Loaded);
    // Without a coordinate system the tiles stay in degrees, and the user is told once.
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    ASSERT_TRUE(list->LayerExtent(0, minX, maxX, minY, maxY));
    EXPECT_LT(maxX, 90.0);
    EXPECT_EQ(messages.texts.filter(QStringLiteral("坐标系")).size(), 1);
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 0));
    list->WaitForLoads();

    // A coordinate-system file that cannot be read changes nothing.
    ASSERT_TRUE(WriteBytes(Path("bad.xml"), QByteArray("<HEAD>")));
    QString error;
    EXPECT_FALSE(list->SetCoordinateSystem(Path("bad.xml"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("bad.xml")));
    EXPECT_FALSE(list->HasCoordinateSystem());

    ASSERT_TRUE(list->SetCoordinateSystem(Example(QStringLiteral("coord/beijing54_114.xml")), &error))
        << error.toStdString();
    EXPECT_GT(map->GetSurveyEllipsoid().Axis, 6e6);
    ASSERT_TRUE(list->LayerExtent(1, minX, maxX, minY, maxY));
    // On the route's Gauss grid (as `tesvane layer-info --cs` reports it).
    EXPECT_NEAR(minX, 3399270.34, 0.5);
    EXPECT_NEAR(maxY, 504697.44, 0.5);
    // Grid point files are not changed by it.
    ASSERT_TRUE(list->LayerExtent(0, minX, maxX, minY, maxY));
    EXPECT_NEAR(minX, 3401275.149, 1e-3);

    // The next start uses the same system, also for layers loaded then.
    Open();
    EXPECT_TRUE(list->HasCoordinateSystem());
    ASSERT_TRUE(list->LayerExtent(1, minX, maxX, minY, maxY));
    EXPECT_NEAR(minX, 3399270.34, 0.5);

    list->ClearCoordinateSystem();
    ASSERT_TRUE(list->LayerExtent(1, minX, maxX, minY, maxY));
    EXPECT_LT(maxX, 90.0);
    Open();
    EXPECT_FALSE(list->HasCoordinateSystem());
}

TEST_F(LayerListTest, PointsAreFoundByNameOrMarkAndFeaturesIdentified)
{
    ASSERT_TRUE(list->AddLayer(Path("parcels-jinggangao.shp"), 0));
    ASSERT_TRUE(list->AddLayer(Path("points-jinggangao.dat"), 0));
    list->WaitForLoads();

    FoundPoint first, second, hit;
    ASSERT_TRUE(list->FindPoint(QStringLiteral("K12+400"), 1, FoundPoint(), first));
    EXPECT_EQ(first.layer, 0);
    EXPECT_NEAR(first.x, 3401289.464, 1e-6);
    EXPECT_NEAR(first.y, 498778.170, 1e-6);
    ASSERT_TRUE(list->FindPoint(QStringLiteral("K12+400"), 1, first, second));
    EXPECT_NEAR(second.x, 3401275.149, 1e-6);
    EXPECT_FALSE(list->FindPoint(QStringLiteral("K12+400"), 1, second, hit));
    // Mode 2 looks at the marks only.
    EXPECT_FALSE(list->FindPoint(QStringLiteral("K12+400"), 2, FoundPoint(), hit));
    EXPECT_FALSE(list->FindPoint(QString(), 0, FoundPoint(), hit));

    list->ShowPosition(first.x, first.y);
    EXPECT_TRUE(list->PositionMark().IsShown());
    CPoint centre;
    map->m_MapConvert.WorldToClient(list->PositionMark().Position(), centre);
    EXPECT_NEAR(centre.x, 400, 1);
    EXPECT_NEAR(centre.y, 300, 1);

    // A click inside parcel DK-001 (northing 3401100-3401160, easting 498640-498720) away from
    // every control point.
    map->SetMapRect(3401000, 498500, 3401300, 498900);
    xyhCoord inside;
    inside.x = 3401130;
    inside.y = 498680;
    CPoint click;
    map->m_MapConvert.WorldToClient(inside, click);
    const std::vector<IdentifiedFeature> found = list->Identify(click, click);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].layerName, QStringLiteral("parcels-jinggangao"));
    EXPECT_TRUE(found[0].attributes.contains(QStringLiteral("DKBH = DK-001"))) << found[0].attributes.join('|').toStdString();
    EXPECT_TRUE(found[0].attributes.contains(QStringLiteral("QSR = 刘家台村")));

    // A box around a control point picks the point with its name and coordinates.
    map->SetCenter(first.x, first.y, 0);
    CPoint p;
    map->m_MapConvert.WorldToClient(xyhCoord{first.x, first.y, 0}, p);
    const std::vector<IdentifiedFeature> points = list->Identify(CPoint(p.x - 3, p.y - 3), CPoint(p.x + 3, p.y + 3));
    ASSERT_FALSE(points.empty());
    EXPECT_EQ(points[0].feature, first.name);
    EXPECT_TRUE(points[0].attributes.contains(QStringLiteral("X = 3401289.464")));

    // A layer that may not be selected gives nothing.
    for (int i = 0; i < list->Count(); ++i)
    {
        MapConfigItem item = list->Item(i);
        item.Select = 0;
        list->SetItem(i, item);
    }
    EXPECT_TRUE(list->Identify(click, click).empty());
}

TEST_F(LayerListTest, AnExportedStakeFileIsShownAsAPointLayer)
{
    const QString stakes = Path("stakes.dat");
    ASSERT_TRUE(WriteBytes(stakes, QByteArray("QD,3401234.5670,498765.4320,0.0000,12345.6780,28.3000000000\r\n"
                                  "1,3401370.1878,498839.0681,0.0000,12500.0000,28.3000000000\r\n")));
    ASSERT_TRUE(list->ShowStakeFile(stakes));
    list->WaitForLoads();
    FoundPoint hit;
    ASSERT_TRUE(list->FindPoint(QStringLiteral("QD"), 1, FoundPoint(), hit));
    EXPECT_NEAR(hit.x, 3401234.567, 1e-6);
    EXPECT_EQ(hit.mark, QStringLiteral("12345.6780"));

    // Exported again (same file, new stakes): read again, still one layer.
    ASSERT_TRUE(WriteBytes(stakes, QByteArray("QD,3401000.0000,498000.0000,0.0000,12345.6780,28.3\r\n")));
    ASSERT_TRUE(list->ShowStakeFile(stakes));
    list->WaitForLoads();
    EXPECT_EQ(list->Count(), 1);
    ASSERT_TRUE(list->FindPoint(QStringLiteral("QD"), 1, FoundPoint(), hit));
    EXPECT_NEAR(hit.x, 3401000.0, 1e-6);
}

TEST_F(LayerListTest, LayersStillLoadingDoNotMoveTheFullExtent)
{
    // The route's own extent stands in for the overlay: only loaded layers may widen it.
    ASSERT_TRUE(list->AddLayer(Path("site-jinggangao.dxf"), 0));
    list->CancelLoads();
    list->WaitForLoads();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    EXPECT_FALSE(map->GetMapRect(minX, maxX, minY, maxY, 0));
    list->Reload(0);
    list->WaitForLoads();
    ASSERT_TRUE(map->GetMapRect(minX, minY, maxX, maxY, 0));
    EXPECT_NEAR(minX, 3401180.0, 1e-6);
}
