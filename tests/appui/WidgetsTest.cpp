// The widgets offscreen: the element list's rows, the angle fields, the list layout on resize and
// the status bar under the mouse.
#include "app/core/CRouteShell.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CVeylorView.h"
#include "app/ui/RouteDialogs.h"
#include "app/ui/RouteListPanes.h"
#include "app/ui/UiSupport.h"
#include "map/CMapConvert.h"
#include "platform/MessageSink.h"
#include "road/StationText.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{
QString Example(const char* name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + QLatin1String(name); }

// Records messages instead of showing boxes.
class QuietMessages
{
public:
    QuietMessages()
    {
        m_Previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind) {
            texts << text;
            return MessageAnswer::No;
        });
    }
    ~QuietMessages() { SetMessageHandler(m_Previous); }
    QStringList texts;

private:
    MessageHandler m_Previous;
};

Road_Element Straight(double bearing, double length)
{
    Road_Element e;
    e.type = 2;
    e.azimuth = bearing;
    e.length = length;
    return e;
}
} // namespace

TEST(ElementListWidget, InsertsAfterTheSelectionAndNumbersRowsByCount)
{
    CRouteElementList list;
    CNew_ElementDlg pane(list);
    pane.resize(900, 300);
    Road_Element start;
    start.type = 1;
    start.point.x = 3400000;
    start.point.y = 500000;
    pane.InsertElement(start);
    pane.Table()->clearSelection();
    pane.InsertElement(Straight(10, 100));
    pane.Table()->clearSelection();
    pane.InsertElement(Straight(20, 100));
    ASSERT_EQ(pane.Table()->rowCount(), 3);

    pane.Table()->clearSelection();
    pane.Table()->selectRow(0);
    pane.InsertElement(Straight(45.0 + 30.0 / 60 + 15.5 / 3600, 80));
    ASSERT_EQ(pane.Table()->rowCount(), 4);
    EXPECT_EQ(pane.Table()->item(1, 0)->text(), QStringLiteral("4"));
    EXPECT_EQ(pane.Table()->item(1, 3)->text(), QStringLiteral("45.3015500000"));
    EXPECT_EQ(pane.Table()->item(1, 4)->text(), QStringLiteral("80.0000"));
    EXPECT_EQ(pane.Table()->item(2, 0)->text(), QStringLiteral("2"));
    EXPECT_EQ(pane.FirstSelectedRow(), 1); // the new row is selected
    EXPECT_FALSE(pane.Table()->item(1, 0)->icon().isNull());
    EXPECT_EQ(list.m_Route.m_Elements[1].length, 80.0);
    EXPECT_EQ(list.m_Modified, 1);

    // Delete without a selection does nothing.
    pane.Table()->clearSelection();
    QTest::mouseClick(pane.Button(2), Qt::LeftButton);
    EXPECT_EQ(pane.Table()->rowCount(), 4);
    pane.Table()->selectRow(1);
    QTest::mouseClick(pane.Button(2), Qt::LeftButton);
    EXPECT_EQ(pane.Table()->rowCount(), 3);
    EXPECT_EQ(list.m_Route.m_Elements[1].azimuth, 10.0);
}

TEST(LineDialog, BearingTypedAndShownInDegreesMinutesSeconds)
{
    CNew_Element_Add_LineDlg dlg;
    dlg.SetValues(45.0 + 30.0 / 60 + 15.5 / 3600, 120);
    auto* bearing = dlg.findChild<QLineEdit*>(QStringLiteral("bearing"));
    auto* length = dlg.findChild<QLineEdit*>(QStringLiteral("length"));
    ASSERT_TRUE(bearing && length);
    EXPECT_EQ(bearing->text(), QStringLiteral("45.3015500000"));

    const struct
    {
        const char* typed;
        double degrees;
    } cases[] = {{"45.30155", 45.0 + 30.0 / 60 + 15.5 / 3600}, {"90", 90}, {"90.3", 90.5}, {"-45.3", -45.5}, {"", 0}};
    for (const auto& c : cases)
    {
        bearing->setText(QString::fromLatin1(c.typed));
        length->setText(QStringLiteral("33.5"));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.typed;
        EXPECT_NEAR(dlg.BearingDegrees(), c.degrees, 1e-10) << c.typed;
        EXPECT_EQ(dlg.m_Length, 33.5);
        dlg.setResult(QDialog::Rejected);
    }

    QuietMessages messages;
    bearing->setText(QStringLiteral("4x"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("请输入一个数字。")});
}

// 45.75 used to be taken as 45°75′ = 46°15′ without a word; the field names its format and
// minutes or seconds of 60 are refused, while the list shows bearings as people read them.
TEST(LineDialog, RefusesMinutesOrSecondsOfSixtyAndTheListShowsDegreesMinutesSeconds)
{
    CNew_Element_Add_LineDlg dlg;
    auto* bearing = dlg.findChild<QLineEdit*>(QStringLiteral("bearing"));
    auto* length = dlg.findChild<QLineEdit*>(QStringLiteral("length"));
    ASSERT_TRUE(bearing && length);
    EXPECT_TRUE(bearing->toolTip().contains(QString::fromUtf8("45.3000 表示 45°30′00″")));
    const QString hint = QString::fromUtf8("方位按度.分秒输入，例如 45.3000 表示 45°30′00″。");
    const struct
    {
        const char* typed;
        const char* message;
    } refused[] = {{"45.75", "方位的分必须小于60，请重新输入！\n"}, {"45.3060", "方位的秒必须小于60，请重新输入！\n"}};
    for (const auto& c : refused)
    {
        QuietMessages messages;
        bearing->setText(QString::fromLatin1(c.typed));
        length->setText(QStringLiteral("10"));
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << c.typed;
        EXPECT_EQ(messages.texts, QStringList{QString::fromUtf8(c.message) + hint}) << c.typed;
    }

    CRouteElementList list;
    CNew_ElementDlg pane(list);
    pane.InsertElement(Straight(45.0 + 30.0 / 60 + 15.5 / 3600, 80));
    EXPECT_EQ(pane.Table()->item(0, 3)->text(), QStringLiteral("45.3015500000"));
    EXPECT_EQ(pane.Table()->item(0, 3)->toolTip(), QString::fromUtf8("45°30′15.5″"));
}

TEST(CurveDialog, RefusesALengthBelowATenthOfAMillimetre)
{
    QuietMessages messages;
    CNew_Element_Add_CurveDlg dlg;
    dlg.findChild<QLineEdit*>(QStringLiteral("radius"))->setText(QStringLiteral("-500"));
    dlg.findChild<QLineEdit*>(QStringLiteral("length"))->setText(QStringLiteral("0.00005"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("长度不能小于0，请重新输入！")});
    dlg.findChild<QLineEdit*>(QStringLiteral("length"))->setText(QStringLiteral("100"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_Radius, -500.0);
}

TEST(ElementListWidget, ButtonsFollowThePaneShape)
{
    CRouteElementList list;
    CNew_ElementDlg pane(list);
    pane.show();
    const int w = pane.Button(0)->width();
    pane.resize(900, 300); // wide: a column at the right edge
    QApplication::processEvents();
    EXPECT_EQ(pane.Button(0)->geometry().right(), 900 - 6 - 1);
    EXPECT_EQ(pane.Button(1)->x(), pane.Button(0)->x());
    EXPECT_GT(pane.Button(3)->y(), pane.Button(2)->y());
    EXPECT_LT(pane.Table()->geometry().right(), pane.Button(0)->x());

    pane.resize(2 * w + 30, 600); // tall and narrow: two a row, below the list
    QApplication::processEvents();
    EXPECT_EQ(pane.Button(0)->y(), pane.Button(1)->y());
    EXPECT_GT(pane.Button(2)->y(), pane.Button(1)->y());
    EXPECT_EQ(pane.Button(3)->geometry().bottom(), 600 - 6 - 1);
    EXPECT_LT(pane.Table()->geometry().bottom(), pane.Button(0)->y());

    const QRect before = pane.Button(0)->geometry();
    pane.resize(90, 600); // too small: the layout stays
    QApplication::processEvents();
    EXPECT_EQ(pane.Button(0)->geometry(), before);
}

TEST(MainWindow, StatusBarShowsStationAndSideUnderTheMouse)
{
    QuietMessages messages;
    QTemporaryDir dir;
    const QString route = dir.filePath(QStringLiteral("ramp.RE"));
    ASSERT_TRUE(QFile::copy(Example("element-ramp.RE"), route));
    CMainFrame frame(dir.path());
    frame.resize(1200, 800);
    frame.show();
    ASSERT_TRUE(frame.Shell().OpenRoutePath(route));
    CVeylorView* view = frame.View();
    ASSERT_TRUE(view);
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Veylor - ") + route);

    CMapManage& map = frame.Shell().Map();
    CRoadDesign& road = frame.Shell().Road();
    const double station = road.m_RoadElements[1].m_StartStation + 20.0;
    QPoint client(400, 300);
    // Fine scale, and the start corner moved so that the client point lies exactly on `world`.
    map.SetStartCorAndScale(map.m_MapConvert.GetStartCor(), 0.001, 1);
    auto placeAt = [&](double offset) {
        // A new point each time: a move to where the mouse already is sends no event.
        client += QPoint(10, 5);
        double x = 0, y = 0, bearing = 0;
        EXPECT_TRUE(road.GetAngleAndXY(station, x, y, bearing, offset));
        double cx = 0, cy = 0;
        map.m_MapConvert.ClientToWorld(client.x(), client.y(), cx, cy);
        xyhCoord start = map.m_MapConvert.GetStartCor();
        start.x += x - cx;
        start.y += y - cy;
        map.SetStartCorAndScale(start, map.m_MapConvert.GetScale(), 1);
        QTest::mouseMove(view, client);
        QApplication::processEvents();
    };

    placeAt(2.5);
    // At a millimetre a pixel: stations as K-marks, everything to three decimals.
    EXPECT_EQ(frame.StatusPane(2)->text(), QStringLiteral("里程: ") + FormatKiloMark(station, 3));
    EXPECT_EQ(frame.StatusPane(3)->text(), QStringLiteral("右偏: 2.500"));
    EXPECT_TRUE(frame.StatusPane(1)->text().startsWith(QStringLiteral("N: ")));
    EXPECT_TRUE(frame.StatusPane(1)->text().contains(QStringLiteral("  E: ")));

    placeAt(-7.25);
    EXPECT_EQ(frame.StatusPane(3)->text(), QStringLiteral("左偏: 7.250"));

    // On the centre line the offset reads as a left offset of zero.
    placeAt(0.0);
    EXPECT_EQ(frame.StatusPane(3)->text(), QStringLiteral("左偏: 0.000"));
    EXPECT_EQ(frame.StatusPane(2)->text(), QStringLiteral("里程: ") + FormatKiloMark(station, 3));
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
}

TEST(MainWindow, WithoutARouteTheMapIsGreyAndTheMouseChangesNothing)
{
    QTemporaryDir dir;
    CMainFrame frame(dir.path());
    frame.resize(1000, 700);
    frame.show();
    QApplication::processEvents();
    CVeylorView* view = frame.View();
    QTest::mouseMove(view, QPoint(100, 100));
    EXPECT_EQ(frame.StatusPane(1)->text(), QStringLiteral("坐标:"));
    EXPECT_EQ(frame.StatusPane(2)->text(), QStringLiteral("里程:"));
    EXPECT_EQ(view->grab().toImage().pixelColor(50, 50), QColor(171, 171, 171));
    EXPECT_FALSE(frame.Action(32805)->isEnabled()); // Save needs a route
    EXPECT_TRUE(frame.InputPane()->isHidden());
}

// ---------------------------------------------------------------------------------------------
// Prompts, layout and texts of the main window.

namespace
{
// Runs `act` on the next modal box once it is shown (the box's exec() blocks the test).
void OnNextModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
        {
            OnNextModal(act);
            return;
        }
        act(modal);
    });
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(MainWindow, SavePromptOffersCancelAndEscapeKeepsTheWindowAndTheChanges)
{
    QuietMessages messages;
    QTemporaryDir dir;
    const QString route = dir.filePath(QStringLiteral("ramp.RE"));
    ASSERT_TRUE(QFile::copy(Example("element-ramp.RE"), route));
    CMainFrame frame(dir.path());
    frame.show();
    ASSERT_TRUE(frame.Shell().OpenRoutePath(route));
    const QByteArray before = FileBytes(route);
    frame.Shell().m_ElementList.Remove(2);

    QStringList buttons;
    OnNextModal([&buttons](QWidget* box) {
        for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) buttons << b->text();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("不保存(&N)"), QStringLiteral("保存(&S)"), QStringLiteral("取消")}));
    EXPECT_EQ(frame.Shell().m_ElementList.m_Modified, 1);
    EXPECT_EQ(FileBytes(route), before);

    // 不保存 closes without writing.
    OnNextModal([](QWidget* box) {
        for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
            if (b->text() == QStringLiteral("不保存(&N)")) b->click();
    });
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(FileBytes(route), before);
}

TEST(MainWindow, DeleteAsksFirstAndRowsBelowAreMarkedUntilApplied)
{
    QTemporaryDir dir;
    const QString route = dir.filePath(QStringLiteral("ramp.RE"));
    ASSERT_TRUE(QFile::copy(Example("element-ramp.RE"), route));
    CMainFrame frame(dir.path());
    frame.show();
    ASSERT_TRUE(frame.Shell().OpenRoutePath(route));
    CNew_ElementDlg* pane = frame.InputPane()->ElementList();
    const int rows = pane->Table()->rowCount();
    pane->SelectRow(2);

    MessageAnswer answer = MessageAnswer::No;
    QStringList asked;
    const MessageHandler previous = SetMessageHandler([&](const QString& text, const QString&, MessageKind) {
        asked << text;
        return answer;
    });
    QTest::mouseClick(pane->Button(2), Qt::LeftButton);
    EXPECT_EQ(pane->Table()->rowCount(), rows);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("确定删除元素 3（缓曲）吗？"));
    answer = MessageAnswer::Yes;
    QTest::mouseClick(pane->Button(2), Qt::LeftButton);
    SetMessageHandler(previous);
    ASSERT_EQ(pane->Table()->rowCount(), rows - 1);
    EXPECT_EQ(pane->Table()->item(2, 0)->text(), QStringLiteral("3"));
    EXPECT_NE(pane->Table()->item(2, 7)->foreground().color(), pane->Table()->item(1, 7)->foreground().color());
}

TEST(MainWindow, PaneAndStatusBarStayUsableAtTheSmallestSize)
{
    QuietMessages messages;
    QTemporaryDir dir;
    const QString route = dir.filePath(QStringLiteral("ramp.RE"));
    ASSERT_TRUE(QFile::copy(Example("element-ramp.RE"), route));
    CMainFrame frame(dir.path());
    frame.resize(1400, 900);
    frame.show();
    ASSERT_TRUE(frame.Shell().OpenRoutePath(route));
    QApplication::processEvents();
    // Smaller than allowed, then large again.
    frame.resize(500, 400);
    QApplication::processEvents();
    EXPECT_GE(frame.width(), 800);
    EXPECT_GE(frame.height(), 600);
    frame.resize(800, 600);
    QApplication::processEvents();
    auto buttonsReachable = [&] {
        CNew_ElementDlg* pane = frame.InputPane()->ElementList();
        for (int i = 0; i < 4; ++i)
        {
            const QRect b = pane->Button(i)->geometry();
            EXPECT_TRUE(pane->rect().contains(b)) << i << " " << b.y() << "+" << b.height() << " in " << pane->height();
        }
    };
    buttonsReachable();
    // The status panes lie side by side within the window, none over another.
    for (int i = 1; i <= 3; ++i)
    {
        const QRect r = frame.StatusPane(i)->geometry();
        EXPECT_LE(r.right(), frame.statusBar()->width()) << i;
        if (i < 3) EXPECT_LE(r.right(), frame.StatusPane(i + 1)->geometry().left()) << i;
    }
    frame.resize(1400, 900);
    QApplication::processEvents();
    buttonsReachable();
    EXPECT_GE(frame.InputPane()->height(), 250);
}

TEST(MainWindow, TextsMenusAndTools)
{
    QTemporaryDir dir;
    CMainFrame frame(dir.path());
    RouteProperties props;
    EXPECT_EQ(CNewPropertyDlg(props, false).windowTitle(), QStringLiteral("线路属性"));
    EXPECT_EQ(CNewPropertyDlg(props, true).windowTitle(), QStringLiteral("新建线路"));
    // The pane toggle shows a check mark, not an icon.
    QAction* input = frame.Action(32794);
    EXPECT_TRUE(input->isCheckable());
    EXPECT_TRUE(input->icon().isNull());
    // The map tools look pressed while active, one at a time.
    QAction* zoomOut = frame.Action(32788);
    QAction* pan = frame.Action(32791);
    zoomOut->setEnabled(true);
    pan->setEnabled(true);
    zoomOut->trigger();
    EXPECT_TRUE(zoomOut->isChecked());
    pan->trigger();
    EXPECT_TRUE(pan->isChecked());
    EXPECT_FALSE(zoomOut->isChecked());
    EXPECT_FALSE(frame.Action(32790)->isCheckable()); // full extent is a command, not a tool

    // Qt's own dialogs in Chinese.
    ASSERT_TRUE(InstallQtTranslations(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

TEST(ElementDialogs, RefuseAStraightWithoutLengthAndAnArcWithoutRadius)
{
    QuietMessages messages;
    CNew_Element_Add_LineDlg line;
    line.findChild<QLineEdit*>(QStringLiteral("length"))->setText(QStringLiteral("-20"));
    line.accept();
    EXPECT_EQ(line.result(), QDialog::Rejected);
    CNew_Element_Add_CurveDlg arc;
    arc.findChild<QLineEdit*>(QStringLiteral("radius"))->setText(QStringLiteral("0"));
    arc.findChild<QLineEdit*>(QStringLiteral("length"))->setText(QStringLiteral("100"));
    arc.accept();
    EXPECT_EQ(arc.result(), QDialog::Rejected);
    EXPECT_EQ(messages.texts, (QStringList{QStringLiteral("长度不能小于0，请重新输入！"),
                                           QStringLiteral("半径不能为0，请重新输入！（右转为正，左转为负）")}));
}
