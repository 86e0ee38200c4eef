// The route commands of the desktop program driven without a display: a scripted user answers
// the file dialogs, the property and export dialogs and the questions.
#include "app/core/BuildDate.h"
#include "app/core/CRouteShell.h"
#include "app/core/ExportOptionsFile.h"
#include "app/core/ListLayout.h"
#include "geometry/Angle.h"
#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "road/RouteText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace
{
struct Message
{
    QString text, caption;
    MessageKind kind;
};

class ScriptedUser : public IRouteUser
{
public:
    ScriptedUser()
    {
        m_Previous = SetMessageHandler([this](const QString& text, const QString& caption, MessageKind kind) {
            messages.push_back({text, caption, kind});
            if (kind != MessageKind::Question) return MessageAnswer::Ok;
            if (answers.empty()) return MessageAnswer::No;
            const MessageAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~ScriptedUser() override { SetMessageHandler(m_Previous); }

    QString ChooseSaveFile(const QString&, const QString&, const QString&, bool) override { return saveFile; }
    QString ChooseOpenFile(const QString&, const QString&) override { return openFile; }
    bool EditProperties(RouteProperties& p, bool changeable) override
    {
        modeChangeable = changeable;
        shownName = p.name;
        if (!acceptProperties) return false;
        p = properties;
        return true;
    }
    // Types each set of options in turn, pressing OK until the dialog accepts one.
    bool EditExportOptions(ExportOptions& options, const QString& dir) override
    {
        shownOptions = options;
        for (const ExportOptions& typed : exportAttempts)
            if (AcceptExportOptions(dir, typed))
            {
                options = typed;
                return true;
            }
        return false;
    }
    void ZoomToFullExtent() override { ++zooms; }

    QStringList Texts() const
    {
        QStringList t;
        for (const Message& m : messages) t << m.text;
        return t;
    }

    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    QString saveFile, openFile, shownName;
    RouteProperties properties;
    bool acceptProperties = true;
    bool modeChangeable = false;
    std::vector<ExportOptions> exportAttempts;
    ExportOptions shownOptions;
    int zooms = 0;

private:
    MessageHandler m_Previous;
};

QString Example(const char* name) { return QStringLiteral(TESVANE_SOURCE_DIR "/examples/") + QLatin1String(name); }

class RouteShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        config = dir.filePath(QStringLiteral("config"));
        QDir().mkpath(config);
        shell = std::make_unique<CRouteShell>(user, config);
    }
    QString Copy(const char* name)
    {
        const QString target = dir.filePath(QLatin1String(name));
        QFile::copy(Example(name), target);
        return target;
    }
    Road_Element Straight(double bearing, double length)
    {
        Road_Element e;
        e.type = 2;
        e.azimuth = bearing;
        e.length = length;
        return e;
    }
    Road_Element Point(double x, double y)
    {
        Road_Element e;
        e.type = 1;
        e.point.x = x;
        e.point.y = y;
        return e;
    }

    QTemporaryDir dir;
    QString config;
    ScriptedUser user;
    std::unique_ptr<CRouteShell> shell;
};
} // namespace

TEST_F(RouteShellTest, NewAppendsTheModeEndingAndWritesNothing)
{
    user.saveFile = dir.filePath(QStringLiteral("road"));
    user.properties = {QStringLiteral("G1"), 100.0, RouteMode::CrossPoint};
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, dir.filePath(QStringLiteral("road.RP")));
    EXPECT_EQ(shell->m_Record.name, QStringLiteral("G1"));
    EXPECT_TRUE(user.modeChangeable);
    EXPECT_EQ(user.shownName, QStringLiteral("road"));
    EXPECT_FALSE(QFileInfo::exists(shell->m_Record.path));

    // An ending already typed is kept: the mode's ending is appended all the same.
    user.saveFile = dir.filePath(QStringLiteral("road.RP"));
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, dir.filePath(QStringLiteral("road.RP.RP")));

    user.saveFile = dir.filePath(QStringLiteral("line"));
    user.properties = {QStringLiteral("L"), 2500.5, RouteMode::Element};
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, dir.filePath(QStringLiteral("line.RE")));
    EXPECT_DOUBLE_EQ(shell->m_Record.startMileage, 2500.5);
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(RouteShellTest, NewAsksBeforeOverwritingAndRefusalLeavesNoRoute)
{
    const QString existing = Copy("element-ramp.RE");
    const QByteArray before = [&] { QFile f(existing); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    user.saveFile = dir.filePath(QStringLiteral("element-ramp"));
    user.properties = {QStringLiteral("X"), 0, RouteMode::Element};
    user.answers = {MessageAnswer::No};
    shell->NewRoute();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("该线路文件已经存在，是否覆盖？"));
    EXPECT_EQ(user.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_FALSE(shell->HasRoute());

    user.answers = {MessageAnswer::Yes};
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, existing);
    // Nothing is written until the route is saved.
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);

    // Cancelling the property dialog ends the command with the current route untouched.
    user.acceptProperties = false;
    user.saveFile = dir.filePath(QStringLiteral("other"));
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, existing);
}

TEST_F(RouteShellTest, OpenChoosesTheModeFromTheEndingInAnyCase)
{
    const QString lower = dir.filePath(QStringLiteral("ramp.re"));
    QFile::copy(Example("element-ramp.RE"), lower);
    user.openFile = lower;
    shell->OpenRoute();
    EXPECT_EQ(shell->Mode(), RouteMode::Element);
    EXPECT_TRUE(shell->Road().IsLoad());
    EXPECT_EQ(shell->m_Record.name, QStringLiteral("Interchange Ramp A"));
    EXPECT_DOUBLE_EQ(shell->m_Record.startMileage, 5000.0);
    EXPECT_TRUE(QFileInfo::exists(lower + QStringLiteral(".TDFE")));
    EXPECT_EQ(user.zooms, 1);
    EXPECT_EQ(shell->m_ElementList.m_Rows.size(), shell->m_ElementList.m_Route.m_Elements.size());
    // The applied rows carry the computed stations; the last ends where the route ends.
    EXPECT_EQ(shell->m_ElementList.m_Rows.back().text[7], QString::asprintf("%.4f", shell->Road().m_RoadElements.back().m_EndStation));
    EXPECT_TRUE(user.messages.empty()) << user.Texts().join('\n').toStdString();

    const QString rp = Copy("crosspoint-hukun.RP");
    user.openFile = rp;
    shell->OpenRoute();
    EXPECT_EQ(shell->Mode(), RouteMode::CrossPoint);
    EXPECT_TRUE(shell->Road().IsLoad());
    EXPECT_DOUBLE_EQ(shell->m_Record.startMileage, 12345.678);
    EXPECT_EQ(shell->m_CrossPointList.m_Rows.size(), shell->m_CrossPointList.m_Route.m_CrossPoints.size());
    EXPECT_TRUE(shell->m_ElementList.m_Rows.empty());

    // Another ending changes nothing and says nothing.
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile::copy(Example("element-ramp.RE"), text);
    user.openFile = text;
    shell->OpenRoute();
    EXPECT_EQ(shell->m_Record.path, rp);
    EXPECT_TRUE(shell->Road().IsLoad());
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(RouteShellTest, FailedOpenReportsAndKeepsTheRouteBeingEdited)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ring-road.RE")));
    const size_t elements = shell->m_ElementList.m_Route.m_Elements.size();
    user.openFile = dir.filePath(QStringLiteral("missing.RE"));
    shell->OpenRoute();
    ASSERT_EQ(user.Texts(), QStringList{QStringLiteral("打开线路文件失败！")});
    EXPECT_EQ(user.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(shell->m_ElementList.m_Route.m_Elements.size(), elements);
    EXPECT_TRUE(shell->m_Record.path.endsWith(QStringLiteral("element-ring-road.RE")));
    EXPECT_TRUE(shell->Road().IsLoad());
}

TEST_F(RouteShellTest, SavePromptOnNewAndOnClose)
{
    const QString path = Copy("element-ramp.RE");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    // Nothing changed: no question.
    EXPECT_TRUE(shell->SavePrompt());
    EXPECT_TRUE(user.messages.empty());

    shell->m_ElementList.Remove(static_cast<int>(shell->m_ElementList.m_Rows.size()) - 1);
    const size_t count = shell->m_ElementList.m_Route.m_Elements.size();
    // No: closes without saving.
    user.answers = {MessageAnswer::No};
    EXPECT_TRUE(shell->SavePrompt());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, QStringLiteral("当前线路没有保存，是否保存？"));
    EXPECT_EQ(user.messages[0].caption, QStringLiteral("提示"));
    CRoadDesign_Element onDisk;
    ASSERT_TRUE(onDisk.LibraryFile_Read(path));
    EXPECT_EQ(onDisk.m_Elements.size(), count + 1);

    // New asks as well; Yes saves with the route's name and start station before the dialog.
    shell->m_Record.name = QStringLiteral("Renamed");
    user.answers = {MessageAnswer::Yes};
    user.saveFile.clear(); // the file dialog is then cancelled
    shell->NewRoute();
    EXPECT_EQ(user.messages.size(), 2u);
    ASSERT_TRUE(onDisk.LibraryFile_Read(path));
    EXPECT_EQ(onDisk.m_Elements.size(), count);
    EXPECT_EQ(onDisk.m_RoadName, QStringLiteral("Renamed"));
    EXPECT_DOUBLE_EQ(onDisk.m_StartMileage, 5000.0);
    EXPECT_EQ(shell->m_ElementList.m_Modified, 0);
}

TEST_F(RouteShellTest, UnsavableChangesKeepTheWindowOpen)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    shell->m_ElementList.Remove(1);
    // The folder went away: saving fails, and closing must not throw the changes away.
    shell->m_Record.path = dir.filePath(QStringLiteral("gone/element-ramp.RE"));
    user.answers = {MessageAnswer::Yes};
    EXPECT_FALSE(shell->SavePrompt());
    EXPECT_EQ(user.messages.back().caption, QStringLiteral("Error"));
    EXPECT_EQ(shell->m_ElementList.m_Modified, 1);
}

TEST_F(RouteShellTest, ApplyReportsEachElementCheckAndStillSavesTheRoute)
{
    user.saveFile = dir.filePath(QStringLiteral("r"));
    user.properties = {QStringLiteral("R"), 0, RouteMode::Element};
    shell->NewRoute();
    CRouteElementList& list = shell->m_ElementList;
    struct Case
    {
        std::vector<Road_Element> elements;
        const char* message;
    };
    Road_Element arc;
    arc.type = 3;
    arc.radius = 500;
    arc.length = 100;
    const std::vector<Case> cases = {
        {{Point(100, 100)}, "线路元素不能小于2个，请检查！"},
        {{Straight(30, 100), Straight(40, 100)}, "第一元素必须为点，请检查！"},
        {{Point(100, 100), arc, Straight(40, 100)}, "第二元素必须为直线，请检查！"},
        {{Point(100, 100), Straight(40, 100), arc}, "最后元素必须为直线，请检查！"},
    };
    for (const Case& c : cases)
    {
        user.messages.clear();
        list.Clear();
        for (const Road_Element& e : c.elements) list.Insert(e, -1);
        EXPECT_FALSE(shell->ApplyElements());
        EXPECT_EQ(user.Texts(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(user.messages.back().caption, QStringLiteral("Warning"));
        EXPECT_FALSE(shell->Road().IsLoad());
        // The route file has been written before the checks.
        CRoadDesign_Element onDisk;
        ASSERT_TRUE(onDisk.LibraryFile_Read(shell->m_Record.path));
        EXPECT_EQ(onDisk.m_Elements.size(), c.elements.size());
        EXPECT_EQ(list.m_Modified, 0);
    }

    // A start point and one straight is a route.
    list.Clear();
    list.Insert(Point(3400000, 500000), -1);
    list.Insert(Straight(Angle::ReadPackedDmsEntry(QStringLiteral("45.30155")).degrees, 250), 0);
    user.messages.clear();
    EXPECT_TRUE(shell->ApplyElements());
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(shell->Road().IsLoad());
    ASSERT_EQ(list.m_Rows.size(), 2u);
    EXPECT_EQ(list.m_Rows[1].text[3], QStringLiteral("45.3015500000"));
    EXPECT_EQ(list.m_Rows[1].text[7], QStringLiteral("250.0000"));
    EXPECT_DOUBLE_EQ(shell->m_Record.runningMileage, 250.0);
}

TEST_F(RouteShellTest, ElementRowsStayOnePerElementAroundZeroLengthCurves)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    CRouteElementList& list = shell->m_ElementList;
    Road_Element empty;
    empty.type = 4;
    empty.length = 0;
    list.Insert(empty, 1);
    ASSERT_TRUE(shell->ApplyElements());
    ASSERT_EQ(list.m_Rows.size(), list.m_Route.m_Elements.size());
    // Each row still shows its own element: editing row i edits element i.
    for (size_t i = 0; i < list.m_Rows.size(); ++i)
        EXPECT_EQ(list.m_Rows[i].image, list.m_Route.m_Elements[i].type == 1 ? 3 : list.m_Route.m_Elements[i].type - 2) << i;
}

TEST_F(RouteShellTest, ListInsertsAfterTheSelectedRowWithItsOwnNumber)
{
    CRouteElementList list;
    list.Insert(Point(1, 2), -1);
    list.Insert(Straight(10, 100), -1);
    list.Insert(Straight(20, 100), -1);
    Road_Element arc;
    arc.type = 3;
    arc.radius = -300;
    arc.length = 50;
    EXPECT_EQ(list.Insert(arc, 0), 1);
    ASSERT_EQ(list.m_Rows.size(), 4u);
    EXPECT_EQ(list.m_Rows[1].text[0], QStringLiteral("4"));
    EXPECT_EQ(list.m_Rows[1].text[5], QStringLiteral("-300.0000"));
    EXPECT_EQ(list.m_Route.m_Elements[1].type, 3);
    EXPECT_EQ(list.m_Rows[2].text[0], QStringLiteral("2"));
    // The last row selected appends.
    EXPECT_EQ(list.Insert(Straight(5, 5), 3), 4);
    EXPECT_FALSE(list.Remove(-1));
    EXPECT_FALSE(list.Remove(5));
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.m_Route.m_Elements[1].type, 2);
}

TEST_F(RouteShellTest, ExportRefusesABadIntervalAndKeepsTheOptionsAsEntered)
{
    for (double bad : {0.0, -5.0, 1e-7})
    {
        user.messages.clear();
        EXPECT_FALSE(AcceptExportOptions(config, ExportOptions{0, bad, 0}));
        EXPECT_EQ(user.Texts(), QStringList{QStringLiteral("间隔输入错误，请重新输入！")});
    }
    EXPECT_FALSE(QFileInfo::exists(ExportOptionsPath(config)));

    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    user.messages.clear();
    user.saveFile = dir.filePath(QStringLiteral("stakes.dat"));
    user.exportAttempts = {ExportOptions{1, 0.0, 0}, ExportOptions{1, 12.7, -3.6}};
    shell->ExportStakes();
    EXPECT_EQ(user.shownOptions.interval, 50.0); // defaults without an option file
    ASSERT_EQ(user.Texts(), (QStringList{QStringLiteral("间隔输入错误，请重新输入！"), QStringLiteral("边桩坐标导出完毕！")}));
    EXPECT_EQ(user.messages.back().caption, QStringLiteral("提示"));
    // This export used 12.7 m: a stake 12.7 m after the start station.
    QString stakes;
    ASSERT_TRUE(ReadAnsiTextFile(user.saveFile, stakes));
    EXPECT_TRUE(stakes.contains(QStringLiteral("5012.7000"))) << stakes.left(400).toStdString();

    ExportOptions next;
    ReadExportOptions(config, next);
    EXPECT_EQ(next.mode, 1);
    EXPECT_EQ(next.interval, 12.7);
    EXPECT_EQ(next.offset, -3.6);
    QFile cfg(ExportOptionsPath(config));
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    const QByteArray bytes = cfg.readAll();
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("<OffsetDistance>-3.6</OffsetDistance>"));
}

TEST_F(RouteShellTest, ExportOptionsComeBackAsEntered)
{
    // Fractions of a metre used to be cut off: 3.5 came back as 3, 0.01 as 0 (which the next
    // dialog then refused).
    for (const ExportOptions& typed : {ExportOptions{0, 3.5, -3.75}, ExportOptions{1, 0.01, 0.125},
                                       ExportOptions{0, 1234567.891, -1e-3}})
    {
        ASSERT_TRUE(AcceptExportOptions(config, typed));
        ExportOptions back{-1, -1, -1};
        ReadExportOptions(config, back);
        EXPECT_EQ(back.mode, typed.mode);
        EXPECT_EQ(back.interval, typed.interval);
        EXPECT_EQ(back.offset, typed.offset);
    }

    // Whole metres are written as before, and a value below a micrometre is 0, never "-0".
    ASSERT_TRUE(SaveExportOptions(config, ExportOptions{1, 20.0, -0.0000001}));
    QFile cfg(ExportOptionsPath(config));
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_EQ(cfg.readAll(), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>\r\n"
                                        "<RoadDesign_Export>\r\n<Ver>1.0.1.1</Ver>\r\n<Option>\r\n"
                                        "<CalculateMode>1</CalculateMode>\r\n<Interval>20</Interval>\r\n"
                                        "<OffsetDistance>0</OffsetDistance>\r\n</Option>\r\n"
                                        "</RoadDesign_Export>\r\n</HEAD>\r\n"));
    cfg.close();

    // A file of an earlier version, values in any order, reads as it always did.
    ASSERT_TRUE(WriteFileAtomically(ExportOptionsPath(config),
                                    "<HEAD><RoadDesign_Export><Ver>1.0.1.1</Ver><Option><OffsetDistance>-2"
                                    "</OffsetDistance><Interval>25</Interval></Option></RoadDesign_Export></HEAD>"));
    ExportOptions old;
    ReadExportOptions(config, old);
    EXPECT_EQ(old.mode, 0);
    EXPECT_EQ(old.interval, 25.0);
    EXPECT_EQ(old.offset, -2.0);
}

TEST_F(RouteShellTest, ExportAfterAFailedApplyWritesNoStakes)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    ASSERT_TRUE(shell->Road().IsLoad());
    // The last element is no longer a straight: the lists no longer describe the route on screen.
    shell->m_ElementList.Remove(static_cast<int>(shell->m_ElementList.m_Rows.size()) - 1);
    user.messages.clear();
    user.saveFile = dir.filePath(QStringLiteral("stale.dat"));
    user.exportAttempts = {ExportOptions{0, 20, 0}};
    shell->ExportStakes();
    EXPECT_EQ(user.Texts(), (QStringList{QStringLiteral("最后元素必须为直线，请检查！"),
                                         QStringLiteral("线路文件计算错误，不能导出边桩！")}));
    EXPECT_FALSE(QFileInfo::exists(user.saveFile));

    // A route never computed cannot be exported either.
    user.saveFile = dir.filePath(QStringLiteral("n"));
    user.properties = {QStringLiteral("N"), 0, RouteMode::CrossPoint};
    shell->NewRoute();
    user.messages.clear();
    user.saveFile = dir.filePath(QStringLiteral("none.dat"));
    shell->ExportStakes();
    EXPECT_TRUE(user.Texts().contains(QStringLiteral("线路文件计算错误，不能导出边桩！")));
    EXPECT_FALSE(QFileInfo::exists(user.saveFile));
}

TEST_F(RouteShellTest, PropertiesSaveTheNewNameWithoutTheModeChoice)
{
    const QString path = Copy("crosspoint-outer-ring.RP");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    user.properties = {QStringLiteral("新名称"), 999, RouteMode::CrossPoint};
    shell->EditProperties();
    EXPECT_FALSE(user.modeChangeable);
    CRoadDesign_CrossPoint onDisk;
    ASSERT_TRUE(onDisk.LibraryFile_Read(path));
    EXPECT_EQ(onDisk.m_RoadName, QStringLiteral("新名称"));
    // A crossing-point route's start station comes from its first point, not from the dialog.
    EXPECT_DOUBLE_EQ(shell->m_Record.startMileage, 0.0);
}

TEST(AngleFormatTest, BuildDate)
{
    EXPECT_EQ(BuildDateText(QStringLiteral("Jul  5 2013")), QStringLiteral("2013-7-5"));
    EXPECT_EQ(BuildDateText(QStringLiteral("Jun 30 2024")), QStringLiteral("2024-6-30"));
    EXPECT_EQ(BuildDateText(QStringLiteral("Mar 14 2021")), QStringLiteral("2021-3-14"));
    EXPECT_EQ(BuildDateText(QStringLiteral("Apr  1 2021")), QStringLiteral("2021-4-1"));
    EXPECT_EQ(BuildDateText(QStringLiteral("Jul 5 2013")), QString());
}

TEST(ListLayoutTest, ButtonsBesideOrBelowTheList)
{
    const QSize button(75, 26);
    EXPECT_FALSE(ComputeListLayout(QSize(100, 300), button).valid);
    const ListLayout wide = ComputeListLayout(QSize(800, 300), button);
    ASSERT_TRUE(wide.valid);
    EXPECT_EQ(wide.buttons[0].topLeft(), QPoint(800 - 6 - 75, 6));
    EXPECT_EQ(wide.buttons[3].top(), 6 + 3 * 32);
    EXPECT_EQ(wide.list.right(), 800 - 6 - 75 - 6 - 1);
    // Tall panes: 1, 2, 3 or 4 buttons a row depending on the width.
    const struct
    {
        int width, perRow;
    } rows[] = {{167, 1}, {168, 2}, {248, 2}, {249, 3}, {329, 3}, {330, 4}};
    for (const auto& r : rows)
    {
        const ListLayout l = ComputeListLayout(QSize(r.width, 600), button);
        ASSERT_TRUE(l.valid);
        int inFirstRow = 0;
        for (const QRect& b : l.buttons) inFirstRow += b.top() == l.buttons[0].top();
        EXPECT_EQ(inFirstRow, r.perRow) << r.width;
        EXPECT_EQ(l.buttons[3].bottom(), 600 - 6 - 1);
        EXPECT_LT(l.list.bottom(), l.buttons[0].top());
    }
}
