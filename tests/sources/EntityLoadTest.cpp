#include "EntityDbUtil.h"

#include "platform/ProgressListener.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <random>

using namespace entitytest;

namespace
{
const QString kLoadError = QStringLiteral("加载画图信息出错!");
const QString kCountError = QStringLiteral("读取实体个数出错!");
const QString kStyleError = QStringLiteral("读取画图风格出错!");

std::vector<std::pair<double, double>> Positions(const CEntityData* e)
{
    std::vector<std::pair<double, double>> out;
    if (const auto* p = dynamic_cast<const CPointData*>(e))
    {
        if (p->m_HasPosition) out.push_back({p->m_Point.x, p->m_Point.y});
    }
    else if (const auto* l = dynamic_cast<const CLineData*>(e))
    {
        for (const xyhCoord& c : l->GetPoints()) out.push_back({c.x, c.y});
    }
    return out;
}

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct RecordingProgress : IProgressListener
{
    void SetCaption(const QString& path) override { calls << QStringLiteral("caption:") + path; }
    void Reset() override { calls << QStringLiteral("reset"); }
    void SetPercent(int percent) override
    {
        percents.push_back(percent);
        if (stopAt >= 0 && percent >= stopAt && gcd) gcd->StopLoading();
    }
    QStringList calls;
    std::vector<int> percents;
    int stopAt = -1;
    CMap_GCD* gcd = nullptr;
};
} // namespace

TEST(EntityDatabase, LoadsClassesWithPlanesFirstPositionsInRelationOrderAndLabelsInTheirSlots)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.db"));
    {
        EntityDbWriter w(path);
        w.AddClass(QStringLiteral("控制点"), 0, QStringLiteral("点名"), QStringLiteral("无"));
        w.AddClass(QStringLiteral("道路"), 1, QStringLiteral("名称"), QStringLiteral("编码"));
        w.AddClass(QStringLiteral("地块"), 2, QStringLiteral("无"), QStringLiteral("用途"));
        w.AddEntity(QStringLiteral("控制点"), QStringLiteral("K1"), {{100, 200}}, {QStringLiteral("一号")});
        w.AddEntity(QStringLiteral("控制点"), QStringLiteral("_K2"), {{110, 210}, {999, 999}});
        w.AddEntity(QStringLiteral("控制点"), QStringLiteral("K_3"), {{120, 220}}); // a part: skipped
        w.AddEntity(QStringLiteral("控制点"), QStringLiteral("K4"), {});            // no observation
        w.AddEntityRow(QStringLiteral("道路"), QStringLiteral("L1"), {QStringLiteral("主路"), QStringLiteral("R1")});
        w.AddEntityRow(QStringLiteral("地块"), QStringLiteral("S1"), {QStringLiteral("绿地")});
        // Observations of the two entities interleaved; GPS rows stored in another order than the
        // relation rows.
        w.DB().execDML("insert into GPSTable values(1003, 0, 0), (1002, 5, 5), (1001, 0, 10), (1004, 10, 10), "
                       "(1000, 10, 0);"
                       "insert into RelationTable values(1001, 'L1'), (1000, 'S1'), (1002, 'L1'), (1004, 'S1'), "
                       "(1003, 'L1'), (1001, 'S1');");
    }
    CMap_GCD gcd;
    MessageRecorder messages;
    ASSERT_EQ(OpenAndLoad(gcd, path), 1);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_EQ(gcd.GetEntityClassCount(), 3);
    EXPECT_EQ(gcd.GetEntityClass(0)->GetName(), QStringLiteral("地块"));
    EXPECT_EQ(gcd.GetEntityClass(1)->GetName(), QStringLiteral("控制点"));
    EXPECT_EQ(gcd.GetEntityClass(2)->GetName(), QStringLiteral("道路"));
    EXPECT_EQ(gcd.GetEntityCount(), 5);

    const CEntityData* k1 = gcd.GetEntityData(QStringLiteral("控制点"), QStringLiteral("K1"));
    ASSERT_TRUE(k1);
    EXPECT_EQ(Positions(k1), (std::vector<std::pair<double, double>>{{100, 200}}));
    EXPECT_EQ(k1->m_Label[0], QStringLiteral("一号"));
    // A point takes its first observation; a leading underscore is no part marker.
    EXPECT_EQ(Positions(gcd.GetEntityData(QStringLiteral("控制点"), QStringLiteral("_K2"))),
              (std::vector<std::pair<double, double>>{{110, 210}}));
    EXPECT_FALSE(gcd.GetEntityData(QStringLiteral("控制点"), QStringLiteral("K_3")));
    const CEntityData* k4 = gcd.GetEntityData(QStringLiteral("控制点"), QStringLiteral("K4"));
    ASSERT_TRUE(k4);
    EXPECT_EQ(k4->GetPointCount(), 0);

    const CEntityData* l1 = gcd.GetEntityData(QStringLiteral("道路"), QStringLiteral("L1"));
    EXPECT_EQ(Positions(l1), (std::vector<std::pair<double, double>>{{0, 10}, {5, 5}, {0, 0}}));
    EXPECT_EQ(l1->m_Label[0], QStringLiteral("主路"));
    EXPECT_EQ(l1->m_Label[1], QStringLiteral("R1"));
    const CEntityData* s1 = gcd.GetEntityData(QStringLiteral("地块"), QStringLiteral("S1"));
    EXPECT_EQ(Positions(s1), (std::vector<std::pair<double, double>>{{10, 0}, {10, 10}, {0, 10}}));
    // "无" as first label: the second label keeps its own slot.
    EXPECT_TRUE(s1->m_Label[0].isEmpty());
    EXPECT_EQ(s1->m_Label[1], QStringLiteral("绿地"));

    // The extent leaves out the entity without observations (it would pull in 0, 0 otherwise).
    double minX, maxX, minY, maxY;
    ASSERT_EQ(gcd.GetRange(minX, maxX, minY, maxY), 1);
    EXPECT_DOUBLE_EQ(minX, 0);
    EXPECT_DOUBLE_EQ(maxX, 110);
    EXPECT_DOUBLE_EQ(minY, 0);
    EXPECT_DOUBLE_EQ(maxY, 210);
}

TEST(EntityDatabase, TheExampleSiteLoadsBesideTheExampleRoute)
{
    const QString examples = QStringLiteral(TESVANE_SOURCE_DIR "/examples/");
    CMap_GCD gcd;
    MessageRecorder messages;
    ASSERT_EQ(OpenAndLoad(gcd, examples + QStringLiteral("entities-site.db"), examples + QStringLiteral("entities-site-style.db")), 1);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(gcd.GetEntityClassCount(), 6);
    EXPECT_EQ(gcd.GetEntityCount(), 14);
    EXPECT_EQ(gcd.GetEntityClass(0)->GetType(), 2);
    EXPECT_EQ(gcd.FindEntityClass(QStringLiteral("排水沟"))->m_Value1, 1);
    double minX, maxX, minY, maxY;
    ASSERT_EQ(gcd.GetRange(minX, maxX, minY, maxY), 1);
    EXPECT_NEAR(minX, 3401234.567, 50);
    EXPECT_NEAR(minY, 498765.432, 50);
    EXPECT_LT(maxX - minX, 500);
}

TEST(EntityDatabase, NamesAndIdentifiersWithQuotesBracketsSemicolonsAndChineseAreReadNotRun)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("names.db"));
    const QString dict = dir.filePath(QStringLiteral("names.dic"));
    const QStringList classes = {QStringLiteral("it's"), QStringLiteral("say \"hi\""), QStringLiteral("a]b"),
                                 QStringLiteral("x\"; drop table GPSTable; --"), QStringLiteral("管线'\"];")};
    const QString label1 = QStringLiteral("名'1\"]"), label2 = QStringLiteral("c;\" [x]");
    {
        EntityDbWriter w(path);
        StyleDictWriter d(dict);
        int n = 0;
        for (const QString& c : classes)
        {
            w.AddClass(c, 0, label1, label2);
            const QString id = QStringLiteral("O'Br\"ien]; %1").arg(n);
            w.AddEntity(c, id, {{double(n), double(n)}}, {c + QStringLiteral("-1"), c + QStringLiteral("-2")});
            d.Point(c, QString(), 0, 0x0000FF00u + unsigned(n), 3);
            ++n;
        }
        w.AddEntityRow(classes[0], QStringLiteral("late'\""));
    }
    const QByteArray before = FileHash(path);
    CMap_GCD gcd;
    MessageRecorder messages;
    ASSERT_EQ(OpenAndLoad(gcd, path, dict), 1);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(gcd.GetEntityCount(), 6);
    for (int n = 0; n < classes.size(); ++n)
    {
        const CEntityData* e = gcd.GetEntityData(classes[n], QStringLiteral("O'Br\"ien]; %1").arg(n));
        ASSERT_TRUE(e) << n;
        EXPECT_EQ(Positions(e), (std::vector<std::pair<double, double>>{{double(n), double(n)}}));
        EXPECT_EQ(e->m_Label[0], classes[n] + QStringLiteral("-1"));
        EXPECT_EQ(e->m_Label[1], classes[n] + QStringLiteral("-2"));
        EXPECT_EQ(gcd.FindEntityClass(classes[n])->m_Color, 0x0000FF00u + unsigned(n));
    }
    // A run-time addition looks its class and labels up by bound values too.
    EXPECT_EQ(gcd.AddLoadEntity(QStringLiteral("late'\""), 7, 8, -1), 1);
    EXPECT_EQ(Positions(gcd.GetEntityData(classes[0], QStringLiteral("late'\""))),
              (std::vector<std::pair<double, double>>{{7, 8}}));
    // Nothing was run and nothing written.
    EXPECT_EQ(FileHash(path), before);
    CppSQLite3DB check;
    check.openReadOnly(ToUtf8(path).constData());
    EXPECT_TRUE(check.tableExists(QStringLiteral("GPSTable")));
}

TEST(EntityDatabase, OpensReadOnlyAndNeverCreatesFiles)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("typo.db"));
    const QString missingDict = dir.filePath(QStringLiteral("typo.dic"));
    CMap_GCD gcd;
    EXPECT_EQ(OpenAndLoad(gcd, missing), -1);
    EXPECT_FALSE(QFile::exists(missing));

    const QString path = dir.filePath(QStringLiteral("ok.db"));
    {
        EntityDbWriter w(path);
        w.AddClass(QStringLiteral("P"), 0);
        w.AddEntity(QStringLiteral("P"), QStringLiteral("1"), {{1, 2}});
    }
    const QByteArray before = FileHash(path);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(OpenAndLoad(gcd, path, missingDict), 1);
    EXPECT_EQ(gcd.GetEntityClass(0)->m_Value1, -1); // no dictionary: no icon
    gcd.CloseFile();
    EXPECT_EQ(FileHash(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore);
}

TEST(EntityDatabase, DamagedDatabasesGiveTheMessageAndKeepWhatCouldBeRead)
{
    QTemporaryDir dir;
    auto good = [&](const QString& name, auto&& spoil) {
        const QString path = dir.filePath(name);
        {
            EntityDbWriter w(path);
            w.AddClass(QStringLiteral("P"), 0, QStringLiteral("名"));
            w.AddClass(QStringLiteral("L"), 1);
            for (int i = 0; i < 20; ++i)
                w.AddEntity(QStringLiteral("P"), QStringLiteral("p%1").arg(i), {{double(i), 1}}, {QStringLiteral("n")});
            w.AddEntity(QStringLiteral("L"), QStringLiteral("l"), {{0, 0}, {1, 1}});
            spoil(w.DB());
        }
        return path;
    };
    struct Case
    {
        const char* name;
        QString path;
        QString message; // empty: none
        int result;
        int entities;   // -1: any
    };
    std::vector<Case> cases;
    cases.push_back({"no GPS table", good("a.db", [](CppSQLite3DB& db) { db.execDML("drop table GPSTable;"); }),
                     kLoadError, 0, 0});
    cases.push_back({"no class table", good("b.db", [](CppSQLite3DB& db) { db.execDML("drop table L;"); }),
                     kCountError, 0, 0});
    cases.push_back({"label column missing", good("c.db", [](CppSQLite3DB& db) { db.execDML("alter table P drop column 名;"); }),
                     kLoadError, 0, 0});
    cases.push_back({"no label columns in AttributeTable",
                     good("d.db", [](CppSQLite3DB& db) { db.execDML("alter table AttributeTable drop column Label2;"); }),
                     kLoadError, 0, 0});
    cases.push_back({"text coordinate",
                     good("e.db", [](CppSQLite3DB& db) {
                         db.execDML("update GPSTable set LocalPlaneCoordinate_x = 'abc' where GPS_ID = 3;"
                                    "update GPSTable set LocalPlaneCoordinate_y = '7.5' where GPS_ID = 4;");
                     }),
                     kLoadError, 0, 21});
    cases.push_back({"class type as text", good("f.db", [](CppSQLite3DB& db) {
                         db.execDML("update AttributeTable set Entity_Type = 'line' where Entity_Name = 'L';");
                     }),
                     QString(), 1, 20});
    cases.push_back({"class table is an endless view", good("g.db", [](CppSQLite3DB& db) {
                         db.execDML("drop table L; create view L as with recursive r(n) as (select 1 union all "
                                    "select n + 1 from r) select n as Entity_ID from r;");
                     }),
                     kCountError, 0, 0});
    {
        const QString path = dir.filePath(QStringLiteral("random.db"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        std::mt19937 rng(7);
        QByteArray bytes(8192, 0);
        for (char& c : bytes) c = char(rng());
        f.write(bytes);
        cases.push_back({"random bytes", path, kLoadError, 0, 0});
        const QString empty = dir.filePath(QStringLiteral("empty.db"));
        QFile(empty).open(QIODevice::WriteOnly);
        cases.push_back({"empty file", empty, kLoadError, 0, 0});
    }
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CMap_GCD gcd;
        MessageRecorder messages;
        EXPECT_EQ(OpenAndLoad(gcd, c.path), c.result);
        EXPECT_EQ(messages.texts, c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.entities >= 0)
        {
            EXPECT_EQ(gcd.GetEntityCount(), c.entities);
        }
    }
    // The position given as text that reads as a number counts; the one that does not is left out.
    CMap_GCD gcd;
    MessageRecorder messages;
    OpenAndLoad(gcd, cases[4].path);
    EXPECT_EQ(gcd.GetEntityData(QStringLiteral("P"), QStringLiteral("p2"))->GetPointCount(), 0);
    EXPECT_EQ(Positions(gcd.GetEntityData(QStringLiteral("P"), QStringLiteral("p3"))),
              (std::vector<std::pair<double, double>>{{3, 7.5}}));

    // Every truncation of a good file loads or fails with a message, never crashes.
    const QString whole = good("h.db", [](CppSQLite3DB&) {});
    QFile in(whole);
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    for (int cut = 0; cut < bytes.size(); cut += 512)
    {
        const QString path = dir.filePath(QStringLiteral("cut%1.db").arg(cut));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes.left(cut + 100));
        out.close();
        CMap_GCD cutGcd;
        MessageRecorder cutMessages;
        if (OpenAndLoad(cutGcd, path) != 1)
        {
            EXPECT_FALSE(cutMessages.texts.isEmpty()) << cut;
        }
    }
}

TEST(EntityDatabase, DictionaryStylesApplyOnlyWhenEveryNameBelongsToTheDatabase)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.db"));
    {
        EntityDbWriter w(path);
        w.AddClass(QStringLiteral("点"), 0);
        w.AddClass(QStringLiteral("线"), 1);
        w.AddClass(QStringLiteral("面"), 2);
    }
    const QString dict = dir.filePath(QStringLiteral("own.dic"));
    {
        StyleDictWriter d(dict);
        d.Point(QStringLiteral("点"), QStringLiteral("Wingdings"), 0x6C, 0x0000FF, 30);
        d.Line(QStringLiteral("线"), 1, 0x00FF00, 3);
        d.Plane(QStringLiteral("面"), 0, 0xFF0000, 2, 1, 0x00FFFF);
    }
    CMap_GCD gcd;
    MessageRecorder messages;
    ASSERT_EQ(OpenAndLoad(gcd, path, dict), 1);
    const CMap_GCDEntity* point = gcd.FindEntityClass(QStringLiteral("点"));
    EXPECT_EQ(point->m_FontName, QStringLiteral("Wingdings"));
    EXPECT_EQ(point->m_Value1, 0x6C);
    EXPECT_EQ(point->m_Color, 0x0000FFu);
    EXPECT_EQ(point->m_Size, 30);
    const CMap_GCDEntity* line = gcd.FindEntityClass(QStringLiteral("线"));
    EXPECT_EQ(line->m_Value1, 1);
    EXPECT_EQ(line->m_Color, 0x00FF00u);
    EXPECT_EQ(line->m_Size, 3);
    const CMap_GCDEntity* plane = gcd.FindEntityClass(QStringLiteral("面"));
    EXPECT_EQ(plane->m_Value1, 0);
    EXPECT_EQ(plane->m_Color, 0xFF0000u);
    EXPECT_EQ(plane->m_Size, 2);
    EXPECT_EQ(plane->m_FillStyle, 1);
    EXPECT_EQ(plane->m_FillColor, 0x00FFFFu);

    const QString foreign = dir.filePath(QStringLiteral("foreign.dic"));
    {
        StyleDictWriter d(foreign);
        d.Point(QStringLiteral("点"), QStringLiteral("Wingdings"), 0x6C, 0x0000FF, 30);
        d.Line(QStringLiteral("别的线"), 1, 0x00FF00, 3);
    }
    ASSERT_EQ(OpenAndLoad(gcd, path, foreign), 1);
    EXPECT_EQ(gcd.FindEntityClass(QStringLiteral("点"))->m_Value1, -1);
    EXPECT_TRUE(gcd.FindEntityClass(QStringLiteral("点"))->m_FontName.isEmpty());

    const QString notDict = dir.filePath(QStringLiteral("plain.dic"));
    EntityDbWriter(notDict).Finish();
    ASSERT_EQ(OpenAndLoad(gcd, path, notDict), 1);
    EXPECT_EQ(messages.texts, QStringList{kStyleError});
}

TEST(EntityDatabase, ProgressFollowsTheLoadedEntitiesAndAStopEndsTheLoadEarly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.db"));
    {
        EntityDbWriter w(path);
        w.AddClass(QStringLiteral("P"), 0);
        w.AddClass(QStringLiteral("S"), 2);
        for (int i = 0; i < 300; ++i)
            w.AddEntity(i % 3 ? QStringLiteral("P") : QStringLiteral("S"), QString::number(i),
                        {{double(i), 0}, {double(i), 1}, {double(i) + 1, 1}});
    }
    CMap_GCD gcd;
    RecordingProgress progress;
    gcd.SetProgressHWND(&progress);
    ASSERT_EQ(OpenAndLoad(gcd, path), 1);
    EXPECT_EQ(progress.calls, (QStringList{QStringLiteral("caption:") + path, QStringLiteral("reset")}));
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_EQ(progress.percents.back(), 100);
    for (size_t i = 1; i < progress.percents.size(); ++i) EXPECT_GT(progress.percents[i], progress.percents[i - 1]);

    RecordingProgress stopping;
    stopping.stopAt = 30;
    stopping.gcd = &gcd;
    gcd.SetProgressHWND(&stopping);
    MessageRecorder messages;
    EXPECT_EQ(OpenAndLoad(gcd, path), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_GT(gcd.GetEntityCount(), 0);
    EXPECT_LT(gcd.GetEntityCount(), 120);
    // The next load starts afresh.
    gcd.SetProgressHWND(nullptr);
    EXPECT_EQ(OpenAndLoad(gcd, path), 1);
    EXPECT_EQ(gcd.GetEntityCount(), 300);
}
