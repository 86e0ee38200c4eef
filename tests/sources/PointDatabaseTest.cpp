#include "SourcesTestUtil.h"

#include "map/CMapManage.h"
#include "platform/MessageSink.h"
#include "platform/TextCodec.h"
#include "sources/CMapLayer_PD.h"
#include "sources/CppSQLite3.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace sourcestest;

namespace
{
struct Row
{
    QString name, mark;
    double x, y, h;
    int hidden = 0;
};

struct PointDatabaseTest : ::testing::Test
{
    QTemporaryDir dir;
    CMapLayer_PD layer;
    CMapConvert conv;
    QStringList messages;
    MessageHandler previous;

    void SetUp() override
    {
        previous = SetMessageHandler([this](const QString& text, const QString& caption, MessageKind) {
            messages << caption + ": " + text;
            return MessageAnswer::Ok;
        });
    }
    void TearDown() override { SetMessageHandler(previous); }

    QString Path(const char* name) const { return QDir(dir.path()).filePath(QString::fromLatin1(name)); }

    QString Create(const std::vector<Row>& rows, const char* name = "points.db")
    {
        CppSQLite3DB db;
        db.open(ToUtf8(Path(name)).constData());
        db.execDML("create table Point(ID integer, Name text, Mark text, C3, C4, C5, X, Y, H, C9, C10, Hidden);");
        CppSQLite3Statement insert = db.compileStatement("insert into Point values(?,?,?,0,0,0,?,?,?,0,0,?);");
        int id = 0;
        for (const Row& r : rows)
        {
            insert.bind(1, ++id);
            insert.bind(2, r.name);
            insert.bind(3, r.mark);
            insert.bind(4, r.x);
            insert.bind(5, r.y);
            insert.bind(6, r.h);
            insert.bind(7, r.hidden);
            insert.execDML();
        }
        return Path(name);
    }
    int Open(const QString& path)
    {
        MapConfigItem item = layer.GetMapItem();
        item.FullPathName = path;
        item.clrOutLine = 0x0000FF;
        item.clrText = 0xFF0000;
        layer.SetMapItem(item);
        layer.SetConvert(&conv);
        return layer.Open();
    }
    QImage Draw(int recompute = 1)
    {
        QImage img = WhiteImage();
        QPainter painter(&img);
        layer.DrawAll(&painter, recompute);
        return img;
    }
};

const QRgb kPen = qRgb(136, 255, 0);
} // namespace

TEST_F(PointDatabaseTest, ReadsShownRowsWithAwkwardNames)
{
    const QString odd = QStringLiteral("it's \"q\" ]; 桩号");
    ASSERT_EQ(Open(Create({{odd, "m1", 1050, 2050, 3}, {"hidden", "", 1060, 2060, 0, 1}, {"B", odd, 1020, 2150, 4}})),
              1);
    EXPECT_EQ(layer.IsLoad(), 1);
    ASSERT_EQ(layer.GetPoints().size(), 2u);
    EXPECT_EQ(layer.GetPoints()[0].name, odd);
    EXPECT_EQ(layer.GetPoints()[1].mark, odd);
    EXPECT_DOUBLE_EQ(layer.GetPoints()[1].h, 4.0);
    double minX, maxX, minY, maxY;
    // The extent is known right after reading, also when asked without recomputing.
    ASSERT_EQ(layer.GetRange(minX, maxX, minY, maxY, 0), 1);
    EXPECT_DOUBLE_EQ(minX, 1020);
    EXPECT_DOUBLE_EQ(maxX, 1050);
    EXPECT_DOUBLE_EQ(minY, 2050);
    EXPECT_DOUBLE_EQ(maxY, 2150);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(PointDatabaseTest, ThinsToOnePointPerCellAndFollowsTheView)
{
    SetView(conv, 1000, 2000);
    // Client (17, 50) and (20, 50) share the cell (2, 6); (40, 50) has its own.
    double x1, y1, x2, y2, x3, y3;
    conv.ClientToWorld(17, 50, x1, y1);
    conv.ClientToWorld(20, 50, x2, y2);
    conv.ClientToWorld(40, 50, x3, y3);
    ASSERT_EQ(Open(Create({{"", "", x1 - 0.5, y1 + 0.5, 0}, {"", "", x2 - 0.5, y2 + 0.5, 0}, {"", "", x3 - 0.5, y3 + 0.5, 0}})),
              1);
    QImage img = Draw();
    const CPoint later(layer.GetPoints()[1].clientX, layer.GetPoints()[1].clientY);
    ASSERT_EQ(later.x / 8, layer.GetPoints()[0].clientX / 8);
    // The square (c - 2 .. c + 2) outlined by the pen and filled with clrOutLine.
    EXPECT_EQ(img.pixel(later.x, later.y) & 0xFFFFFF, qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_GT(Count(img, kPen, QRect(later.x - 2, later.y - 2, 5, 5)), 10);
    EXPECT_EQ(Count(img, kPen, QRect(0, 0, 18, 100)), 0) << "the earlier point of the cell is not drawn";
    EXPECT_GT(Count(img, kPen, QRect(36, 40, 10, 20)), 10);

    // Drawn from the main list (recompute 0) after a pan, the points move with the view.
    SetView(conv, 1000, 2010);
    img = Draw(0);
    EXPECT_EQ(Count(img, kPen, QRect(later.x - 2, later.y - 2, 5, 5)), 0);
    EXPECT_GT(Count(img, kPen, QRect(later.x - 12, later.y - 2, 5, 5)), 10);
}

TEST_F(PointDatabaseTest, LabelsShowTheName)
{
    SetView(conv, 1000, 2000);
    ASSERT_EQ(Open(Create({{"WWWW", "", 1050, 2050, 0}})), 1);
    const QImage img = Draw();
    const CPoint c(layer.GetPoints()[0].clientX, layer.GetPoints()[0].clientY);
    EXPECT_GT(CountInk(img, QRect(c.x + 16, c.y - 16, 120, 32)), 10);
    EXPECT_EQ(CountInk(img, QRect(c.x + 3, 0, 13, 100)), 0) << "the label starts 16 pixels right";
}

TEST_F(PointDatabaseTest, StackedLabelsKeepOnlyTheOneOnTop)
{
    SetView(conv, 1000, 2000);
    // Client (20, 50) and (36, 50): different cells, but the first label would run under the
    // second. (20, 80) and (120, 80) have room for both labels.
    const auto at = [this](int cx, int cy, const char* name) {
        double x, y;
        conv.ClientToWorld(cx, cy, x, y);
        return Row{QString::fromLatin1(name), "", x - 0.5, y + 0.5, 0};
    };
    ASSERT_EQ(Open(Create({at(20, 50, "WWWW"), at(36, 50, "WWWW"), at(20, 85, "WW"), at(120, 85, "WW")})), 1);
    const QImage img = Draw();
    const auto client = [this](int i) { return CPoint(layer.GetPoints()[i].clientX, layer.GetPoints()[i].clientY); };
    const CPoint top = client(1);
    ASSERT_EQ(top.x - client(0).x, 16);
    // The label drawn last, on top, is kept whole; nothing of the one under it shows left of it.
    EXPECT_GT(CountInk(img, QRect(top.x + 16, top.y - 16, 60, 16)), 10);
    EXPECT_EQ(CountInk(img, QRect(top.x + 3, top.y - 16, 13, 13)), 0) << "the covered label is left out";
    // Labels with room are all drawn.
    for (int i : {2, 3}) EXPECT_GT(CountInk(img, QRect(client(i).x + 16, client(i).y - 16, 30, 16)), 10) << i;

    // Drawn again (widths measured once are reused), the picture is the same.
    EXPECT_EQ(Draw(), img);
}

TEST_F(PointDatabaseTest, MissingFilesAreNeverCreated)
{
    EXPECT_EQ(Open(Path("mistyped.db")), 0);
    EXPECT_FALSE(QFileInfo::exists(Path("mistyped.db")));
    EXPECT_EQ(Open(Create({})), 0) << "an empty table opens nothing";
    EXPECT_EQ(layer.IsLoad(), 0);
}

TEST_F(PointDatabaseTest, DamagedDatabasesGiveTheMessageAndWhatWasRead)
{
    // Random bytes and a database without the table: no layer, no message.
    ASSERT_TRUE(WriteBytes(Path("junk.db"), QByteArray(4096, 'j')));
    EXPECT_EQ(Open(Path("junk.db")), 0);
    {
        CppSQLite3DB db;
        db.open(ToUtf8(Path("other.db")).constData());
        db.execDML("create table Other(a);");
    }
    EXPECT_EQ(Open(Path("other.db")), 0);
    EXPECT_TRUE(messages.isEmpty());

    // Too few columns: the message, and a loaded layer with what was read (nothing).
    {
        CppSQLite3DB db;
        db.open(ToUtf8(Path("narrow.db")).constData());
        db.execDML("create table Point(ID, Name, Mark, X, Y); insert into Point values(1,'a','b',1,2);");
    }
    EXPECT_EQ(Open(Path("narrow.db")), 1);
    EXPECT_EQ(layer.IsLoad(), 1);
    EXPECT_TRUE(layer.GetPoints().empty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Error: 查找记录出错!");

    // Text where numbers belong reads as the number it starts with, or 0.
    {
        CppSQLite3DB db;
        db.open(ToUtf8(Path("text.db")).constData());
        db.execDML("create table Point(a,b,c,d,e,f,g,h,i,j,k,l);"
                   "insert into Point values(1,'n','m',0,0,0,'12.5abc','x',NULL,0,0,'0');"
                   "insert into Point values(2,'n2','m',0,0,0,1,2,3,0,0,'1 hidden');");
    }
    EXPECT_EQ(Open(Path("text.db")), 1);
    ASSERT_EQ(layer.GetPoints().size(), 1u);
    EXPECT_DOUBLE_EQ(layer.GetPoints()[0].x, 12.5);
    EXPECT_DOUBLE_EQ(layer.GetPoints()[0].y, 0.0);
}
