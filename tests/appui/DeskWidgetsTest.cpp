// The desk tools offscreen: the curve table, the calculator, undo through the menu and the Delete
// key, the station style, pictures and printing.
#include "app/core/CRouteShell.h"
#include "app/core/RoutePicture.h"
#include "app/core/StationDisplay.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CVeylorView.h"
#include "app/ui/CalculatorPane.h"
#include "app/ui/CurveTablePane.h"
#include "app/ui/RouteListPanes.h"
#include "map/CMapConvert.h"
#include "platform/MessageSink.h"
#include "road/StationText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace
{
QString Example(const char* name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + QLatin1String(name); }

// Answers every question Yes and records the rest.
class YesMessages
{
public:
    YesMessages()
    {
        m_Previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind kind) {
            texts << text;
            return kind == MessageKind::Question ? MessageAnswer::Yes : MessageAnswer::Ok;
        });
    }
    ~YesMessages() { SetMessageHandler(m_Previous); }
    QStringList texts;

private:
    MessageHandler m_Previous;
};

struct OpenFrame
{
    explicit OpenFrame(const char* example)
    {
        route = dir.filePath(QLatin1String(example));
        QFile::copy(Example(example), route);
        frame = std::make_unique<CMainFrame>(dir.path());
        frame->resize(1200, 800);
        frame->show();
        ok = frame->Shell().OpenRoutePath(route);
        QApplication::processEvents();
    }
    QTemporaryDir dir;
    QString route;
    std::unique_ptr<CMainFrame> frame;
    bool ok = false;
};
} // namespace

TEST(DeskTools, CurveTableShowsTheCrossPointsAndExportsCsv)
{
    YesMessages messages;
    OpenFrame f("crosspoint-hukun.RP");
    ASSERT_TRUE(f.ok);
    CCurveTablePane* pane = f.frame->InputPane()->CurveTable();
    QTableWidget* table = pane->Table();
    EXPECT_EQ(table->rowCount(), static_cast<int>(f.frame->Shell().m_CrossPointList.m_Route.m_CrossPoints.size()));
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("交点号"));
    // The first crossing point of the example stands at station 12345.678.
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("K12+345.678"));

    const QString csv = f.dir.filePath(QStringLiteral("t.csv"));
    ASSERT_TRUE(pane->ExportTo(csv));
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF交点号"));
    EXPECT_FALSE(pane->ExportTo(f.dir.filePath(QStringLiteral("no/such/t.csv"))));
    EXPECT_FALSE(messages.texts.isEmpty());
}

TEST(DeskTools, CalculatorAnswersCopiesAndCentresTheMap)
{
    YesMessages messages;
    OpenFrame f("element-ramp.RE");
    ASSERT_TRUE(f.ok);
    CCalculatorPane* calc = f.frame->InputPane()->Calculator();
    CRoadDesign& road = f.frame->Shell().Road();
    const double station = road.m_RoadElements[1].m_StartStation + 30.0;

    calc->FirstField()->setText(FormatKiloMark(station));
    calc->SecondField()->setText(QStringLiteral("-3"));
    calc->CalculateOne();
    ASSERT_EQ(calc->Results()->rowCount(), 1);
    double x = 0, y = 0, bearing = 0;
    ASSERT_TRUE(road.GetAngleAndXY(station, x, y, bearing, -3.0));
    EXPECT_EQ(calc->Results()->item(0, 4)->text(), QString::asprintf("%.4f", x));
    EXPECT_EQ(calc->Results()->item(0, 3)->text(), QStringLiteral("左"));

    calc->CopyResults();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QStringLiteral("名称\t里程")));

    // 转到里程: the map's centre is the point, and it is marked.
    calc->GoToStation();
    CVeylorView* view = f.frame->View();
    EXPECT_TRUE(view->HasMarker());
    double cx = 0, cy = 0;
    f.frame->Shell().Map().m_MapConvert.ClientToWorld(view->width() / 2, view->height() / 2, cx, cy);
    const double scale = f.frame->Shell().Map().m_MapConvert.GetScale();
    EXPECT_NEAR(cx, x, 2 * scale);
    EXPECT_NEAR(cy, y, 2 * scale);

    // 反算 of a pasted list, one line bad.
    calc->InverseMode()->setChecked(true);
    calc->ListBox()->setPlainText(QString::asprintf("P %.4f %.4f\nnot a point\n", x, y));
    calc->CalculateList();
    ASSERT_EQ(calc->Results()->rowCount(), 2);
    EXPECT_EQ(calc->Results()->item(0, 1)->text(), FormatKiloMark(station));
    EXPECT_TRUE(calc->Results()->item(1, 7)->text().startsWith(QStringLiteral("第 2 行")));
}

TEST(DeskTools, DeleteKeyAndUndoRedoThroughTheMenu)
{
    YesMessages messages;
    OpenFrame f("crosspoint-hukun.RP");
    ASSERT_TRUE(f.ok);
    CNew_CrossPointDlg* list = f.frame->InputPane()->CrossPointList();
    const int rows = list->Table()->rowCount();
    QAction* undo = f.frame->Action(57643);
    QAction* redo = f.frame->Action(57644);
    ASSERT_TRUE(undo && redo);
    EXPECT_FALSE(undo->isEnabled());

    f.frame->InputPane()->Tabs()->setCurrentWidget(list);
    list->SelectRow(1);
    list->Table()->setFocus();
    QTest::keyClick(list->Table(), Qt::Key_Delete);
    EXPECT_EQ(list->Table()->rowCount(), rows - 1);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("撤销 删除交点(&U)"));

    undo->trigger();
    EXPECT_EQ(list->Table()->rowCount(), rows);
    EXPECT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_EQ(list->Table()->rowCount(), rows - 1);
}

TEST(DeskTools, StationStyleSwitchesTablesToMetres)
{
    YesMessages messages;
    OpenFrame f("crosspoint-hukun.RP");
    ASSERT_TRUE(f.ok);
    QAction* kiloMarks = f.frame->Action(32900);
    ASSERT_TRUE(kiloMarks && kiloMarks->isChecked());
    QTableWidget* list = f.frame->InputPane()->CrossPointList()->Table();
    EXPECT_EQ(list->item(0, 7)->text(), QStringLiteral("K12+345.678"));
    kiloMarks->setChecked(false);
    EXPECT_EQ(DisplayStationStyle(), StationStyle::Metres);
    EXPECT_EQ(list->item(0, 7)->text(), QStringLiteral("12345.6780")); // as the file has it
    EXPECT_EQ(f.frame->InputPane()->CurveTable()->Table()->item(0, 1)->text(), QStringLiteral("12345.678"));
    kiloMarks->setChecked(true);
    EXPECT_EQ(f.frame->InputPane()->CurveTable()->Table()->item(0, 1)->text(), QStringLiteral("K12+345.678"));
}

TEST(DeskTools, PictureAtTheChosenSizeAndAPrintedPageWithItsTitleBlock)
{
    YesMessages messages;
    OpenFrame f("element-ramp.RE");
    ASSERT_TRUE(f.ok);
    const QString png = f.dir.filePath(QStringLiteral("view.png"));
    ASSERT_TRUE(f.frame->ExportPicture(png, QSize(1600, 900)));
    QImage picture(png);
    ASSERT_EQ(picture.size(), QSize(1600, 900));
    // The route (white), its labels (red) and the north arrow (blue) are in the picture.
    int white = 0, red = 0, blue = 0;
    for (int y = 0; y < picture.height(); y += 1)
        for (int x = 0; x < picture.width(); x += 1)
        {
            const QRgb p = picture.pixel(x, y);
            white += p == qRgb(255, 255, 255);
            red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            blue += p == qRgb(0, 0, 255);
        }
    EXPECT_GT(white, 300);
    EXPECT_GT(red, 100);
    EXPECT_GT(blue, 100);
    EXPECT_FALSE(f.frame->ExportPicture(f.dir.filePath(QStringLiteral("no/such/v.png")), QSize(100, 100)));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = f.dir.filePath(QStringLiteral("view.pdf"));
    printer.setOutputFileName(pdf);
    ASSERT_TRUE(f.frame->PrintTo(printer));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));
    EXPECT_GT(file.size(), 10000);
}

TEST(DeskTools, TitleBlockAndPrintedScale)
{
    TitleBlock title;
    title.routeName = QStringLiteral("G1");
    title.date = QDate(2026, 12, 7);
    // 2 m a picture pixel; 2400 picture pixels over 4800 device pixels at 600 dpi: a picture
    // pixel is 2/600 inch = 0.08467 mm on paper, so 1 : 2 / 0.00008467 = 1 : 23622.
    title.scaleDenominator = PrintedScaleDenominator(2.0, QRect(0, 0, 4800, 3000), QSize(2400, 1500), 600);
    EXPECT_NEAR(title.scaleDenominator, 2.0 / (2.0 / 600 * 0.0254), 1e-6);
    EXPECT_EQ(title.Text(), QStringLiteral("线路：G1    日期：2026-12-07    比例 1:23622"));
    const PrintedPageLayout layout = LayOutPrintedPage(QRect(0, 0, 4800, 6000));
    EXPECT_EQ(layout.mapArea.bottom() + 1, layout.titleArea.top());
    EXPECT_EQ(layout.titleArea.bottom(), 5999);
}

TEST(DeskTools, SelectedRowIsHighlightedAndAClickOnTheRouteSelectsItsRow)
{
    YesMessages messages;
    OpenFrame f("crosspoint-hukun.RP");
    ASSERT_TRUE(f.ok);
    CVeylorView* view = f.frame->View();
    CNew_CrossPointDlg* list = f.frame->InputPane()->CrossPointList();
    EXPECT_FALSE(view->HasHighlight());
    list->SelectRow(2);
    EXPECT_TRUE(view->HasHighlight());

    // A click on the curve of JD1 (its middle, K13+451.447) selects row 1.
    double x = 0, y = 0, bearing = 0;
    ASSERT_TRUE(f.frame->Shell().Road().GetAngleAndXY(13451.447, x, y, bearing, 0.0));
    long cx = 0, cy = 0;
    f.frame->Shell().Map().m_MapConvert.WorldToClient(x, y, cx, cy);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(int(cx), int(cy)));
    EXPECT_EQ(list->FirstSelectedRow(), 1);
    // Far from the route nothing changes.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(list->FirstSelectedRow(), 1);
}
