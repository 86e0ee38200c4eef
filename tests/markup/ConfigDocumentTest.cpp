#include "markup/ConfigDocument.h"

#include "platform/FileIO.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
int ToInt(const QString& text) { return text.toInt(); }
} // namespace

TEST(ConfigDocument, WritesTheWholeLayoutInUtf8WithoutByteOrderMark)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.cfg"));
    ConfigDocument cfg(QStringLiteral("Section"));
    cfg.Add(QStringLiteral("Name"), QStringLiteral("北京 <&>"));
    cfg.AddGroup(QStringLiteral("Item"));
    cfg.AddChild(QStringLiteral("Count"), -7);
    cfg.AddChild(QStringLiteral("Empty"), QString());
    cfg.AddGroup(QStringLiteral("Item"));
    cfg.Add(QStringLiteral("Last"), 3);
    ASSERT_TRUE(cfg.Save(path));

    QByteArray bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                "<HEAD>\r\n<Section>\r\n<Ver>1.0.1.1</Ver>\r\n"
                                "<Name>\xE5\x8C\x97\xE4\xBA\xAC &lt;&amp;&gt;</Name>\r\n"
                                "<Item>\r\n<Count>-7</Count>\r\n<Empty/>\r\n</Item>\r\n"
                                "<Item/>\r\n<Last>3</Last>\r\n"
                                "</Section>\r\n</HEAD>\r\n"));

    // A save that cannot happen says so and leaves nothing behind.
    EXPECT_FALSE(cfg.Save(dir.filePath(QStringLiteral("missing/folder/a.cfg"))));
}

TEST(ConfigDocument, ReadsForwardInDocumentOrderAndLeavesMissingValuesAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.cfg"));
    ASSERT_TRUE(WriteFileAtomically(path, "<HEAD><S><Ver>9</Ver><A>1</A><G><X>10</X><Y>20</Y></G>"
                                          "<G><Y>21</Y><X>11</X></G><B>b</B></S></HEAD>"));
    ConfigDocument cfg(QStringLiteral("S"));
    ASSERT_TRUE(cfg.Load(path));
    int a = -1, x = -1, y = -1;
    QString b = QStringLiteral("kept");
    EXPECT_TRUE(cfg.Read(QStringLiteral("A"), a, ToInt));
    EXPECT_EQ(a, 1);
    ASSERT_TRUE(cfg.FindGroup(QStringLiteral("G")));
    EXPECT_TRUE(cfg.ReadChild(QStringLiteral("X"), x, ToInt));
    EXPECT_TRUE(cfg.ReadChild(QStringLiteral("Y"), y, ToInt));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);

    // In the second group Y comes first: asked for X then Y, Y is behind the position already.
    ASSERT_TRUE(cfg.FindGroup(QStringLiteral("G")));
    EXPECT_TRUE(cfg.ReadChild(QStringLiteral("X"), x, ToInt));
    EXPECT_FALSE(cfg.ReadChild(QStringLiteral("Y"), y, ToInt));
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, 20);
    cfg.RewindChildren();
    EXPECT_TRUE(cfg.ReadChild(QStringLiteral("Y"), y, ToInt));
    EXPECT_EQ(y, 21);

    EXPECT_FALSE(cfg.FindGroup(QStringLiteral("G")));
    EXPECT_FALSE(cfg.Read(QStringLiteral("A"), a, ToInt)); // behind the position
    EXPECT_TRUE(cfg.Read(QStringLiteral("B"), b));
    EXPECT_EQ(b, QStringLiteral("b"));
    EXPECT_EQ(a, 1);
}

TEST(ConfigDocument, RefusesFilesOfAnotherLayout)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.cfg"));
    ConfigDocument cfg(QStringLiteral("S"));
    EXPECT_FALSE(cfg.Load(path)); // no file
    for (const QByteArray& text : {QByteArray("<HEAD><T/></HEAD>"), QByteArray("<S><A>1</A></S>"),
                                   QByteArray("\x01\x02 not xml <<<"), QByteArray()})
    {
        ASSERT_TRUE(WriteFileAtomically(path, text));
        EXPECT_FALSE(cfg.Load(path)) << text.constData();
    }
    // Without a version the values are still found.
    ASSERT_TRUE(WriteFileAtomically(path, "<HEAD><S><A>5</A></S></HEAD>"));
    ASSERT_TRUE(cfg.Load(path));
    int a = 0;
    EXPECT_TRUE(cfg.Read(QStringLiteral("A"), a, ToInt));
    EXPECT_EQ(a, 5);
}
