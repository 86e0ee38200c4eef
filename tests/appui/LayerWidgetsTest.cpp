// The map layer widgets offscreen: the 图层 tab over a real layer list, the property dialog with
// a shapefile's fill colours, the coordinate-system dialog and the load watcher's 取消.
#include "app/core/CRouteShell.h"
#include "app/core/MapLayerList.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/LayerDialogs.h"
#include "app/ui/LayerPane.h"
#include "platform/MessageSink.h"
#include "sources/CMapLayer_SHP.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
QString Example(const QString& name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + name; }

// Copies of the example layers (opening writes caches beside them) and a configuration folder.
class LayerWidgets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind) {
            messages << text;
            return MessageAnswer::Yes;
        });
        for (const char* name : {"points-jinggangao.dat", "parcels-jinggangao.shp", "parcels-jinggangao.shx",
                                 "parcels-jinggangao.dbf", "parcels-jinggangao.prj", "parcels-jinggangao.cpg"})
            ASSERT_TRUE(QFile::copy(Example(QString::fromLatin1(name)), data.filePath(QString::fromLatin1(name))));
    }
    void TearDown() override { SetMessageHandler(previous); }
    QString Data(const char* name) const { return data.filePath(QString::fromLatin1(name)); }
    // Lets the watcher put finished loads into the map, as its timer does.
    static void LoadAll(CMainFrame& frame)
    {
        frame.Layers().WaitForLoads();
        frame.LoadWatcher()->Poll();
    }
    QPushButton* Button(CMainFrame& frame, const char* name)
    {
        return frame.LayerPane()->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    QTemporaryDir config, data;
    QStringList messages;
    MessageHandler previous;
};
} // namespace

TEST_F(LayerWidgets, TheLayerTabShowsOrdersHidesAndRemovesLayers)
{
    CMainFrame frame(config.path());
    frame.resize(1200, 800);
    QTabWidget* tabs = frame.InputPane()->Tabs();
    ASSERT_EQ(tabs->tabText(tabs->indexOf(frame.LayerPane())), QStringLiteral("图层"));

    frame.AddLayerFiles({Data("parcels-jinggangao.shp"), Data("points-jinggangao.dat")});
    // Given again (a second start with the same command line): left as they are.
    frame.AddLayerFiles({Data("points-jinggangao.dat")});
    LoadAll(frame);
    QTableWidget* table = frame.LayerPane()->Table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("points-jinggangao"));
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("点文件"));
    EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("Shapefile"));
    EXPECT_EQ(table->item(1, 3)->text(), QStringLiteral("已加载"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // The check box hides the layer in the map.
    table->item(1, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(frame.Layers().Row(1).visible);
    EXPECT_FALSE(frame.Shell().Map().m_MapLayers[1]->GetMapItem().Visible);

    // Buttons follow the selection; moving keeps the moved row selected.
    frame.LayerPane()->SelectRow(1);
    EXPECT_FALSE(Button(frame, "layerDown")->isEnabled());
    EXPECT_TRUE(Button(frame, "layerZoom")->isEnabled());
    QTest::mouseClick(Button(frame, "layerUp"), Qt::LeftButton);
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("parcels-jinggangao"));
    EXPECT_EQ(table->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(frame.LayerPane()->CurrentRow(), 0);

    // Removing asks first.
    QTest::mouseClick(Button(frame, "layerRemove"), Qt::LeftButton);
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_TRUE(messages.last().contains(QStringLiteral("parcels-jinggangao")));
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("points-jinggangao"));
}

TEST_F(LayerWidgets, CancelInTheProgressDialogStopsTheLoad)
{
    CMainFrame frame(config.path());
    QString error;
    ASSERT_TRUE(frame.Layers().AddLayer(Data("parcels-jinggangao.shp"), 0, &error));
    frame.LoadWatcher()->Poll();
    EXPECT_TRUE(frame.LoadWatcher()->Dialog()->labelText().contains(QStringLiteral("parcels-jinggangao.shp")));
    emit frame.LoadWatcher()->Dialog()->canceled();
    LoadAll(frame);
    EXPECT_FALSE(frame.LoadWatcher()->Dialog()->isVisible());
    EXPECT_EQ(frame.LayerPane()->Table()->item(0, 3)->text(), QStringLiteral("未加载（已取消）"));
    // 重新加载 opens it after all.
    frame.LayerPane()->SelectRow(0);
    QTest::mouseClick(Button(frame, "layerReload"), Qt::LeftButton);
    LoadAll(frame);
    EXPECT_EQ(frame.LayerPane()->Table()->item(0, 3)->text(), QStringLiteral("已加载"));
}

TEST_F(LayerWidgets, ThePropertyDialogEditsTheItemAndTheShapefileFillColours)
{
    CMainFrame frame(config.path());
    ASSERT_TRUE(frame.Layers().AddLayer(Data("parcels-jinggangao.shp"), 0));
    LoadAll(frame);
    CMapLayer* layer = frame.Layers().Layer(0);
    ASSERT_TRUE(layer && layer->IsLoad());

    CLayerPropertiesDlg dlg(frame.Layers().Item(0), layer);
    ASSERT_NE(dlg.FillFieldBox(), nullptr);
    EXPECT_EQ(dlg.FillFieldBox()->count(), 5); // none, then DKBH, QSR, DLMC, MJ
    dlg.FillFieldBox()->setCurrentIndex(dlg.FillFieldBox()->findText(QStringLiteral("DLMC")));
    EXPECT_TRUE(dlg.FillColoursChanged());
    QStringList values;
    for (int i = 0; i < dlg.FillTable()->rowCount(); ++i) values << dlg.FillTable()->item(i, 0)->text();
    EXPECT_TRUE(values.contains(QStringLiteral("宅基地"))) << values.join(',').toStdString();
    dlg.NameEdit()->setText(QStringLiteral("  地块  "));
    frame.Layers().SetItem(0, dlg.Item());
    frame.Layers().FillColoursChanged(0);
    EXPECT_EQ(frame.Layers().Row(0).name, QStringLiteral("地块"));
    auto* shape = dynamic_cast<CMapLayer_SHP*>(frame.Layers().Layer(0))->GetMapShape();
    EXPECT_EQ(shape->GetShapeConfigFillColor()->GetConfigFiledIndex(), 2);

    // A layer that is not loaded has no fill colours to configure.
    CLayerPropertiesDlg unloaded(frame.Layers().Item(0), nullptr);
    EXPECT_EQ(unloaded.FillFieldBox(), nullptr);
}

TEST_F(LayerWidgets, TheCoordinateSystemDialogShowsTheSystemInDegrees)
{
    CMainFrame frame(config.path());
    CCoordinateSystemDlg dlg(frame.Layers());
    EXPECT_TRUE(dlg.Description()->text().contains(QStringLiteral("没有设置坐标系")));
    dlg.chooseFile = [] { return Example(QStringLiteral("coord/beijing54_114.xml")); };
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("chooseCoordinateFile")), Qt::LeftButton);
    const QString text = dlg.Description()->text();
    EXPECT_TRUE(text.contains(QStringLiteral("beijing54_114.xml")));
    EXPECT_TRUE(text.contains(QStringLiteral("6378245.000"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("中央子午线 114.000000°"))) << text.toStdString();
    EXPECT_TRUE(frame.Layers().HasCoordinateSystem());
}
