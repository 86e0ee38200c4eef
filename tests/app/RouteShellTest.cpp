// The route commands of the desktop program driven without a display: a scripted user answers
// the file dialogs, the property and export dialogs and the questions.
#include "app/core/BuildDate.h"
#include "app/core/CRouteShell.h"
#include "app/core/ExportOptionsFile.h"
#include "app/core/ListLayout.h"
#include "app/core/MapViewLogic.h"
#include "app/core/RecentFiles.h"
#include "app/core/RouteSelection.h"
#include "geometry/Angle.h"
#include "platform/FileIO.h"
#include "road/RouteFileCheck.h"
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

// ---------------------------------------------------------------------------------------------
// Never lose or silently change the user's work.

namespace
{
QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// Deterministic noise: the same "random" file on every run.
QByteArray Noise(int size)
{
    QByteArray b;
    quint32 state = 12345;
    for (int i = 0; i < size; ++i)
    {
        state = state * 1103515245u + 12345u;
        b.append(static_cast<char>(state >> 16));
    }
    return b;
}
} // namespace

TEST_F(RouteShellTest, OpeningAFileThatIsNotARouteRefusesItAndLeavesItAlone)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    const QString current = shell->m_Record.path;
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* mentions; // in the message after the path
    } cases[] = {
        {"garbage.RE", Noise(3000), "元素模式"},
        {"text.RP", "This is a plain text file.\r\nIt has a few lines of prose,\r\nnone of them a route.\r\n", "第1行：不是线路记录"},
        {"empty.RE", QByteArray(), "文件中没有元素模式线路的记录"},
        {"crosspoints.RE", Bytes(Example("crosspoint-hukun.RP")), "交点模式"},
        {"letters.RE", "ROADNAME:x,\r\nELEMENT :1,,abc,def,0,,0,0,0,0,\r\nELEMENT :2,,0,0,0,,abc,xyz,0,0,\r\n", "“北坐标”不是数字（abc）"},
    };
    for (const auto& c : cases)
    {
        const QString path = Write(dir, c.name, c.bytes);
        user.messages.clear();
        EXPECT_FALSE(shell->OpenRoutePath(path)) << c.name;
        // Byte for byte as before, and no curve file beside it.
        EXPECT_EQ(Bytes(path), c.bytes) << c.name;
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".TDFE"))) << c.name;
        ASSERT_EQ(user.messages.size(), 1u) << c.name;
        const QString text = user.messages[0].text;
        EXPECT_EQ(user.messages[0].caption, QStringLiteral("Error"));
        EXPECT_TRUE(text.startsWith(QStringLiteral("打开线路文件失败！\n") + path)) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.mentions))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("文件没有被改动。"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("线路元素不能小于2个")));
        // The route being edited stays.
        EXPECT_EQ(shell->m_Record.path, current);
        EXPECT_TRUE(shell->Road().IsLoad());
    }
}

TEST_F(RouteShellTest, ADamagedLineAmongGoodOnesOpensMarkedAndUnsaved)
{
    QByteArray bytes = Bytes(Example("element-ramp.RE"));
    // Line 5, the first transition (element 3): its length becomes "abc".
    bytes.replace("ELEMENT :4,,0.000000,0.000000,0.000000,,0.000000000000,80.000000,",
                  "ELEMENT :4,,0.000000,0.000000,0.000000,,0.000000000000,abc,");
    const QString path = Write(dir, "damaged.RE", bytes);
    EXPECT_FALSE(shell->OpenRoutePath(path)); // opened, not computed
    EXPECT_EQ(shell->m_Record.path, path);
    EXPECT_EQ(Bytes(path), bytes);
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".TDFE")));
    EXPECT_FALSE(shell->Road().IsLoad());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("第5行：“长度”不是数字（abc）"))) << user.messages[0].text.toStdString();
    const CRouteElementList& list = shell->m_ElementList;
    ASSERT_GT(list.m_Rows.size(), 3u);
    EXPECT_TRUE(list.m_Rows[1].problem.isEmpty());
    EXPECT_TRUE(list.m_Rows[2].problem.contains(QStringLiteral("长度"))) << list.m_Rows[2].problem.toStdString();
    // Nothing asks to save a file the user has not touched; closing leaves it as it was.
    EXPECT_EQ(list.m_Modified, 0);
    EXPECT_TRUE(shell->SavePrompt());
    EXPECT_EQ(Bytes(path), bytes);
}

TEST_F(RouteShellTest, CancelAtTheSavePromptKeepsTheChangesAndTheRoute)
{
    const QString path = Copy("element-ramp.RE");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    const QByteArray before = Bytes(path);
    shell->m_ElementList.Remove(2);
    user.messages.clear();

    user.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(shell->SavePrompt()); // closing stops
    EXPECT_EQ(shell->m_ElementList.m_Modified, 1);

    // Open: cancelled before the file dialog.
    user.answers = {MessageAnswer::Cancel};
    user.openFile = Copy("element-ring-road.RE");
    shell->OpenRoute();
    EXPECT_EQ(shell->m_Record.path, path);

    // New likewise.
    user.answers = {MessageAnswer::Cancel};
    user.saveFile = dir.filePath(QStringLiteral("fresh"));
    user.properties = {QStringLiteral("F"), 0, RouteMode::Element};
    shell->NewRoute();
    EXPECT_EQ(shell->m_Record.path, path);
    EXPECT_EQ(shell->m_ElementList.m_Modified, 1);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(user.messages.size(), 3u);
}

TEST_F(RouteShellTest, ApplyNamesEveryElementThatCannotBeBuiltAndTakesTheOldRouteOffTheMap)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    ASSERT_TRUE(shell->Road().IsLoad());
    CRouteElementList& list = shell->m_ElementList;
    list.Clear();
    Road_Element flat;
    flat.type = 3;
    flat.length = 100;
    flat.radius = 0;
    Road_Element spiral;
    spiral.type = 4;
    spiral.length = 50;
    for (const Road_Element& e : {Point(3400000, 500000), Straight(30, 100), flat, Straight(0, -40), spiral, Straight(0, 60)})
        list.Insert(e, -1);
    user.messages.clear();
    EXPECT_FALSE(shell->ApplyElements());
    ASSERT_EQ(user.messages.size(), 1u) << user.Texts().join('\n').toStdString();
    const QString text = user.messages[0].text;
    EXPECT_TRUE(text.contains(QStringLiteral("元素 3：圆曲半径不能为0"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("元素 4：长度不能为负（-40.0000）"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("元素 5：缓曲必须紧挨圆曲"))) << text.toStdString();
    // The route drawn before described other elements: it is no longer shown as current.
    EXPECT_FALSE(shell->Road().IsLoad());

    // A transition is refused where neither neighbour is an arc, allowed at the end.
    list.Clear();
    list.Insert(Point(0, 0), -1);
    list.Insert(Straight(10, 100), -1);
    list.Insert(Straight(10, 100), -1);
    EXPECT_FALSE(list.TransitionFits(1));
    EXPECT_TRUE(list.TransitionFits(2));
}

TEST_F(RouteShellTest, KinksAndIgnoredTransitionsAreReportedByName)
{
    user.saveFile = dir.filePath(QStringLiteral("k"));
    user.properties = {QStringLiteral("K"), 0, RouteMode::Element};
    shell->NewRoute();
    CRouteElementList& list = shell->m_ElementList;
    Road_Element arc;
    arc.type = 3;
    arc.radius = 500;
    arc.length = 100;
    for (const Road_Element& e : {Point(3400000, 500000), Straight(30, 100), arc, Straight(90, 100)}) list.Insert(e, -1);
    EXPECT_TRUE(shell->ApplyElements());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].caption, QStringLiteral("Warning"));
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("元素 4：方位角与前面曲线的终点方位相差"))) << user.messages[0].text.toStdString();
    // A bearing of 0 follows the curve: no kink.
    list.Replace(3, Straight(0, 100));
    user.messages.clear();
    EXPECT_TRUE(shell->ApplyElements());
    EXPECT_TRUE(user.messages.empty()) << user.Texts().join('\n').toStdString();

    ASSERT_TRUE(shell->OpenRoutePath(Copy("crosspoint-hukun.RP")));
    Road_CrossPoint p = *shell->m_CrossPointList.PointAt(1);
    p.radius = 0;
    shell->m_CrossPointList.Replace(1, p);
    user.messages.clear();
    EXPECT_TRUE(shell->ApplyCrossPoints());
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(user.messages[0].text.contains(QStringLiteral("交点 2：JD1 的半径为0，左右缓曲长（200.0000，200.0000）不起作用")))
        << user.messages[0].text.toStdString();
}

TEST_F(RouteShellTest, RowsAreRenumberedAtOnceAndMarkedUntilApplied)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    CRouteElementList& list = shell->m_ElementList;
    const QString lastStation = list.m_Rows.back().text[7];
    ASSERT_TRUE(list.Remove(2));
    for (size_t i = 0; i < list.m_Rows.size(); ++i)
    {
        EXPECT_EQ(list.m_Rows[i].text[0], QString::number(i + 1));
        EXPECT_EQ(list.m_Rows[i].outOfDate, i >= 2) << i;
    }
    ASSERT_TRUE(shell->ApplyElements());
    for (const ListRow& row : list.m_Rows) EXPECT_FALSE(row.outOfDate);
    EXPECT_NE(list.m_Rows.back().text[7], lastStation);

    // A crossing-point list is numbered again too.
    ASSERT_TRUE(shell->OpenRoutePath(Copy("crosspoint-hukun.RP")));
    ASSERT_TRUE(shell->m_CrossPointList.Remove(0));
    EXPECT_EQ(shell->m_CrossPointList.m_Rows[0].text[0], QStringLiteral("1"));
}

TEST_F(RouteShellTest, ANewStartStationReachesTheRowsAndTheMapAtOnce)
{
    const QString path = Copy("element-ramp.RE");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    const int zooms = user.zooms;
    const double length = shell->Road().m_RoadElements.back().m_EndStation - 5000.0;
    user.properties = {QStringLiteral("Interchange Ramp A"), 6000.0, RouteMode::Element};
    shell->EditProperties();
    EXPECT_DOUBLE_EQ(shell->Road().m_RoadElements.front().m_StartStation, 6000.0);
    EXPECT_EQ(shell->m_ElementList.m_Rows.back().text[7], QString::asprintf("%.4f", 6000.0 + length));
    EXPECT_EQ(user.zooms, zooms); // the view stays where it was
    CRoadDesign_Element onDisk;
    ASSERT_TRUE(onDisk.LibraryFile_Read(path));
    EXPECT_DOUBLE_EQ(onDisk.m_StartMileage, 6000.0);
}

TEST(MapViewLogicTest, ScalesStayRoundAndWithinLimits)
{
    // The 100-pixel scale bar: 575 m becomes 1000 m, never an odd length.
    EXPECT_DOUBLE_EQ(RoundScaleAtLeast(5.75), 10.0);
    EXPECT_DOUBLE_EQ(RoundScaleAtLeast(2.0), 2.0);
    EXPECT_DOUBLE_EQ(RoundScaleAtLeast(0.0031), 0.005);
    EXPECT_DOUBLE_EQ(RoundScaleBelow(10.0), 5.0);
    EXPECT_DOUBLE_EQ(RoundScaleBelow(5.0), 2.0);
    EXPECT_DOUBLE_EQ(RoundScaleBelow(0.02), 0.01);
    EXPECT_DOUBLE_EQ(RoundScaleAtLeast(1e9), kMaxMapScale);

    CMapManage map;
    map.SetClientRect(CRect(0, 0, 800, 600));
    map.SetStartCorAndScale({3400000, 500000, 0}, 1.0, 1);
    const CPoint centre(400, 300);
    // Zooming out again and again stops at the limit, about the same point.
    double x0 = 0, y0 = 0;
    map.m_MapConvert.ClientToWorld(centre.x, centre.y, x0, y0);
    for (int i = 0; i < 80; ++i)
    {
        const double before = map.m_MapConvert.GetScale();
        map.ZoomOut(centre, centre);
        RoundScaleAfterZoom(map, before, centre);
        const double s = map.m_MapConvert.GetScale();
        EXPECT_LE(s, kMaxMapScale);
        EXPECT_DOUBLE_EQ(RoundScaleAtLeast(s), s) << s;
    }
    EXPECT_DOUBLE_EQ(map.m_MapConvert.GetScale(), kMaxMapScale);
    // Zooming in from a round scale goes to the next round one below, never back up.
    const double before = map.m_MapConvert.GetScale();
    map.ZoomIn(centre, centre);
    RoundScaleAfterZoom(map, before, centre);
    EXPECT_DOUBLE_EQ(map.m_MapConvert.GetScale(), 200.0);
    double x1 = 0, y1 = 0;
    map.m_MapConvert.ClientToWorld(centre.x, centre.y, x1, y1);
    EXPECT_NEAR(x1, x0, 2 * kMaxMapScale);
    EXPECT_NEAR(y1, y0, 2 * kMaxMapScale);

    // A resize keeps the world point at the centre of the view.
    map.SetStartCorAndScale({3400000, 500000, 0}, 0.5, 1);
    map.m_MapConvert.ClientToWorld(400, 300, x0, y0);
    KeepCentreOnResize(map, CRect(0, 0, 800, 600), CRect(0, 0, 1400, 900));
    map.m_MapConvert.ClientToWorld(700, 450, x1, y1);
    EXPECT_NEAR(x1, x0, 1.0);
    EXPECT_NEAR(y1, y0, 1.0);
    EXPECT_DOUBLE_EQ(map.m_MapConvert.GetScale(), 0.5);
}

TEST(RouteFileCheckTest, NamesTheLineAndTheReason)
{
    QTemporaryDir dir;
    const QString re = Write(dir, "a.RE",
                             "ROADNAME:A,\r\nMELIAGE :12x,\r\nshort\r\n\r\nELEMENT :1,,1,2,3,,0,0,0,0,\r\n"
                             "ELEMENT :7,,0,0,0,,0,5,0,0,\r\nELEMENT :2,,0,0,0,,45,100\r\n");
    const RouteFileCheckResult r = CheckRouteFile(re, RouteMode::Element);
    EXPECT_TRUE(r.readable);
    EXPECT_EQ(r.goodRecords, 3); // name, point, and the straight with its missing values
    ASSERT_EQ(r.problems.size(), 2u);
    EXPECT_EQ(r.problems[0].line, 2);
    EXPECT_EQ(r.problems[0].reason, QStringLiteral("起点里程不是数字（12x）"));
    EXPECT_EQ(r.problems[0].recordIndex, -1);
    EXPECT_EQ(r.problems[1].line, 6);
    EXPECT_EQ(r.problems[1].reason, QStringLiteral("元素类型必须是1至4（7）"));
    EXPECT_EQ(r.problems[1].recordIndex, 1);
    EXPECT_TRUE(r.IsRouteFile());

    // A NUL cuts the file where the readers stop.
    const QString nul = Write(dir, "b.RP", QByteArray("ROADNAME:B,\r\nCROSSPT :P,1,2,3,,0,0,0,0,\r\n") + QByteArray(1, '\0') + QByteArray("rest"));
    const RouteFileCheckResult b = CheckRouteFile(nul, RouteMode::CrossPoint);
    ASSERT_EQ(b.problems.size(), 1u);
    EXPECT_EQ(b.problems[0].line, 3);
    EXPECT_TRUE(b.problems[0].reason.contains(QStringLiteral("二进制")));
    EXPECT_FALSE(CheckRouteFile(dir.filePath(QStringLiteral("none.RE")), RouteMode::Element).readable);
    // Every example route is a clean route file of its mode.
    for (const char* name : {"element-ramp.RE", "element-ring-road.RE", "element-jinggangao.RE", "crosspoint-hukun.RP",
                             "crosspoint-outer-ring.RP", "crosspoint-mountain.RP", "crosspoint-long-45-curves.RP"})
    {
        const QString path = Example(name);
        const RouteFileCheckResult e = CheckRouteFile(path, RouteModeOfPath(path));
        EXPECT_TRUE(e.problems.empty()) << name << ": " << (e.problems.empty() ? "" : e.problems[0].reason.toStdString());
        EXPECT_TRUE(e.IsRouteFile()) << name;
    }
}

TEST_F(RouteShellTest, TwoStraightsInARowMeetAtACrossingPointNotASecondStart)
{
    user.saveFile = dir.filePath(QStringLiteral("s"));
    user.properties = {QStringLiteral("S"), 0, RouteMode::Element};
    shell->NewRoute();
    for (const Road_Element& e : {Point(3400000, 500000), Straight(30, 100), Straight(60, 100), Straight(90, 100)})
        shell->m_ElementList.Insert(e, -1);
    ASSERT_TRUE(shell->ApplyElements());
    QStringList labels;
    for (const SurveyCoord& p : shell->Road().m_MainPoints) labels << p.name;
    EXPECT_EQ(labels, (QStringList{QStringLiteral("QD"), QStringLiteral("JD-01"), QStringLiteral("JD-02"), QStringLiteral("ZD")}));
}

TEST_F(RouteShellTest, UndoAndRedoTakeBackListEditsAndProperties)
{
    const QString path = Copy("crosspoint-hukun.RP");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    CRouteCrossPointList& list = shell->m_CrossPointList;
    const std::vector<Road_CrossPoint> original = list.m_Route.m_CrossPoints;
    const QString secondName = original[1].point.name;
    EXPECT_FALSE(shell->History().CanUndo());

    shell->NoteEdit(QStringLiteral("删除交点"));
    ASSERT_TRUE(list.Remove(1));
    Road_CrossPoint moved = list.m_Route.m_CrossPoints[1];
    moved.radius = 777.0;
    shell->NoteEdit(QStringLiteral("编辑交点"));
    ASSERT_TRUE(list.Replace(1, moved));
    EXPECT_EQ(shell->History().UndoLabel(), QStringLiteral("编辑交点"));

    ASSERT_TRUE(shell->Undo());
    EXPECT_NE(list.m_Route.m_CrossPoints[1].radius, 777.0);
    ASSERT_TRUE(shell->Undo());
    ASSERT_EQ(list.m_Route.m_CrossPoints.size(), original.size());
    EXPECT_EQ(list.m_Route.m_CrossPoints[1].point.name, secondName);
    EXPECT_EQ(list.m_Rows.size(), original.size());
    EXPECT_FALSE(shell->Undo());
    EXPECT_EQ(list.m_Modified, 1); // the restored list is not what the file holds until saved

    ASSERT_TRUE(shell->Redo());
    EXPECT_EQ(list.m_Route.m_CrossPoints.size(), original.size() - 1);
    ASSERT_TRUE(shell->Redo());
    EXPECT_EQ(list.m_Route.m_CrossPoints[1].radius, 777.0);
    EXPECT_FALSE(shell->Redo());

    // A new edit after an undo drops what could have been redone.
    shell->Undo();
    shell->NoteEdit(QStringLiteral("插入交点"));
    list.Insert(moved, 0);
    EXPECT_FALSE(shell->History().CanRedo());

    // Properties are undone too.
    user.properties = {QStringLiteral("renamed"), 0, RouteMode::CrossPoint};
    shell->EditProperties();
    EXPECT_EQ(shell->m_Record.name, QStringLiteral("renamed"));
    ASSERT_TRUE(shell->Undo());
    EXPECT_NE(shell->m_Record.name, QStringLiteral("renamed"));

    // Another route starts a history of its own.
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    EXPECT_FALSE(shell->History().CanUndo());
    EXPECT_FALSE(shell->History().CanRedo());
}

TEST_F(RouteShellTest, SaveAsKeepsTheModeAndTheOldFileAndUndoKeepsTheNewName)
{
    const QString path = Copy("crosspoint-hukun.RP");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    const QByteArray before = Bytes(path);
    shell->NoteEdit(QStringLiteral("删除交点"));
    shell->m_CrossPointList.Remove(2);

    user.saveFile = dir.filePath(QStringLiteral("copy"));
    ASSERT_TRUE(shell->SaveRouteAs());
    const QString copy = dir.filePath(QStringLiteral("copy.RP"));
    EXPECT_EQ(shell->m_Record.path, copy);
    EXPECT_TRUE(QFileInfo::exists(copy));
    EXPECT_TRUE(QFileInfo::exists(copy + QStringLiteral(".TDFE")));
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(shell->m_CrossPointList.m_Modified, 0);

    // Undo changes the list, never the file the route now lives in.
    shell->Undo();
    EXPECT_EQ(shell->m_Record.path, copy);
    EXPECT_EQ(shell->m_CrossPointList.m_Record.path, copy);

    // A folder that does not exist: refused, the route keeps its file.
    EXPECT_FALSE(shell->SaveRouteAsPath(dir.filePath(QStringLiteral("missing/dir/x"))));
    EXPECT_EQ(shell->m_Record.path, copy);
    EXPECT_FALSE(user.messages.empty());
}

TEST_F(RouteShellTest, CloseAsksFirstAndLeavesNoRoute)
{
    const QString path = Copy("element-ramp.RE");
    ASSERT_TRUE(shell->OpenRoutePath(path));
    shell->m_ElementList.Remove(2);
    user.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(shell->CloseRoute());
    EXPECT_TRUE(shell->HasRoute());
    user.answers = {MessageAnswer::No};
    EXPECT_TRUE(shell->CloseRoute());
    EXPECT_FALSE(shell->HasRoute());
    EXPECT_FALSE(shell->Road().IsLoad());
    EXPECT_TRUE(shell->m_ElementList.m_Rows.empty());
}

TEST(RecentFiles, NewestFirstEachOnceAtMostTheLimit)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.RE")), b = dir.filePath(QStringLiteral("b.RP"));
    QStringList list = AddRecentFile({}, a);
    list = AddRecentFile(list, b);
    list = AddRecentFile(list, a);
    EXPECT_EQ(list, QStringList({a, b}));
    for (int i = 0; i < 20; ++i) list = AddRecentFile(list, dir.filePath(QStringLiteral("r%1.RE").arg(i)), 8);
    EXPECT_EQ(list.size(), 8);
    EXPECT_EQ(list.front(), dir.filePath(QStringLiteral("r19.RE")));
    // Files that went away are not offered.
    ASSERT_TRUE(WriteFileAtomically(a, "x"));
    EXPECT_EQ(ExistingRecentFiles({b, a}), QStringList({a}));
}

TEST_F(RouteShellTest, RowsAndStretchesOfTheRouteFindEachOther)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("crosspoint-hukun.RP")));
    // JD1 of the example: ZH K12+995.400 to HZ K13+907.494 (its curve table row).
    StationSpan span = RowSpan(*shell, 1);
    ASSERT_TRUE(span.valid);
    EXPECT_NEAR(span.from, 12995.400, 5e-4);
    EXPECT_NEAR(span.to, 13907.494, 5e-4);
    EXPECT_EQ(RowAtStation(*shell, 13500.0), 1);
    // On the straight between two curves the nearer crossing point is meant; the start is row 0.
    EXPECT_EQ(RowAtStation(*shell, 12400.0), 0);
    span = RowSpan(*shell, 0);
    EXPECT_TRUE(span.valid);
    EXPECT_DOUBLE_EQ(span.from, span.to);
    EXPECT_FALSE(RowSpan(*shell, 99).valid);
    EXPECT_FALSE(RowSpan(*shell, -1).valid);

    // Element routes: one computed element per row while the rows are those applied.
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    const CRoadElement& third = shell->Road().m_RoadElements[2];
    span = RowSpan(*shell, 2);
    ASSERT_TRUE(span.valid);
    EXPECT_DOUBLE_EQ(span.from, third.m_StartStation);
    EXPECT_DOUBLE_EQ(span.to, third.m_EndStation);
    EXPECT_EQ(RowAtStation(*shell, (third.m_StartStation + third.m_EndStation) / 2), 2);
    // After a deletion the rows no longer match the route on the map: nothing is claimed.
    shell->m_ElementList.Remove(2);
    EXPECT_FALSE(RowSpan(*shell, 2).valid);
    EXPECT_EQ(RowAtStation(*shell, third.m_StartStation), -1);
}

TEST_F(RouteShellTest, FieldLayoutIsRememberedOnlyWhenChosen)
{
    ASSERT_TRUE(shell->OpenRoutePath(Copy("element-ramp.RE")));
    user.saveFile = dir.filePath(QStringLiteral("field.dat"));
    ExportOptions field{0, 20.0, 0.0};
    field.layout = 1;
    user.exportAttempts = {field};
    shell->ExportStakes();
    QString stakes;
    ASSERT_TRUE(ReadAnsiTextFile(user.saveFile, stakes));
    const QStringList first = stakes.section(QStringLiteral("\r\n"), 0, 0).split(QLatin1Char(','));
    ASSERT_EQ(first.size(), 5) << stakes.left(200).toStdString();
    EXPECT_TRUE(first[1].startsWith(QLatin1Char('K'))) << first[1].toStdString();

    ExportOptions next;
    ReadExportOptions(config, next);
    EXPECT_EQ(next.layout, 1);
    // Going back to the stake file's own layout writes the file as earlier versions did, and a
    // file without the element reads as that layout.
    ASSERT_TRUE(SaveExportOptions(config, ExportOptions{0, 20.0, 0.0}));
    QFile cfg(ExportOptionsPath(config));
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_FALSE(cfg.readAll().contains("Layout"));
    ExportOptions fresh;
    ReadExportOptions(config, fresh);
    EXPECT_EQ(fresh.layout, 0);
}

TEST_F(RouteShellTest, LandXmlImportOpensTheRouteAndDxfExportWritesIt)
{
    user.openFile = QStringLiteral(TESVANE_SOURCE_DIR "/tests/data/landxml/aplitop_mdt8_UT-Alignment-Aplitop-1.xml");
    user.saveFile = dir.filePath(QStringLiteral("imported.RE"));
    shell->ImportLandXml();
    ASSERT_TRUE(shell->Road().IsLoad()) << user.Texts().join('\n').toStdString();
    EXPECT_EQ(shell->m_Record.path, user.saveFile);
    ASSERT_FALSE(user.messages.empty());
    EXPECT_TRUE(user.messages.back().text.startsWith(QStringLiteral("已导入线形“Horizontal”"))) << user.Texts().join('\n').toStdString();

    user.messages.clear();
    user.saveFile = dir.filePath(QStringLiteral("route.dxf"));
    shell->ExportDxf();
    EXPECT_EQ(user.Texts(), QStringList{QStringLiteral("DXF 导出完毕！")});
    EXPECT_TRUE(QFileInfo(user.saveFile).size() > 1000);

    // A file that is no LandXML leaves the route as it was.
    user.messages.clear();
    user.openFile = Copy("element-ramp.RE");
    user.saveFile = dir.filePath(QStringLiteral("other.RE"));
    shell->ImportLandXml();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_TRUE(user.messages[0].text.startsWith(QStringLiteral("读取 LandXML 文件失败"))) << user.Texts().join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(user.saveFile));
}
