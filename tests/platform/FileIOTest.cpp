#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "platform/PointRect.h"
#include "platform/Color.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include "common/FileSizeLimit.h"

TEST(FileIO, AtomicWriteReplacesWholeFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("route.RE");
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("first version, longer\r\n")));
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("second\r\n")));
    QByteArray bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, QByteArray("second\r\n"));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(FileIO, FailedWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.dat");
    ASSERT_TRUE(WriteFileAtomically(path, QByteArray("precious")));

    QString error;
    bool written = true;
    {
        FileSizeLimit full(4096);
        ASSERT_TRUE(full.active());
        written = WriteFileAtomically(path, QByteArray(100000, 'x'), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    QByteArray bytes;
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, QByteArray("precious"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary left behind
}

TEST(FileIO, WriteIntoMissingFolderFails)
{
    QTemporaryDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir.filePath("no/such/folder/x.dat"), QByteArray("x")));
    QByteArray bytes;
    EXPECT_FALSE(ReadWholeFile(dir.filePath("missing"), bytes));
}

TEST(FileIO, JoinPathAcceptsBackslashNames)
{
    EXPECT_EQ(JoinPath("/opt/veylor", "\\MapConvert.cfg"), QString("/opt/veylor/MapConvert.cfg"));
    EXPECT_EQ(JoinPath("/opt/veylor/", "MapLayer.cfg"), QString("/opt/veylor/MapLayer.cfg"));
}

TEST(Platform, RectangleRightAndBottomEdgesAreOutside)
{
    CRect r(10, 20, 30, 40);
    EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));
    EXPECT_TRUE(r.PtInRect(CPoint(29, 39)));
    EXPECT_FALSE(r.PtInRect(CPoint(30, 25)));
    EXPECT_FALSE(r.PtInRect(CPoint(15, 40)));
    // Round trip through QRect keeps the size (QRect's right() is inclusive).
    EXPECT_EQ(CRect(r.toQRect()), r);
    EXPECT_EQ(r.toQRect().width(), 20);
}

TEST(Platform, ColoursKeepTheirStoredByteOrder)
{
    const COLORREF c = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(c, 0x563412UL);
    EXPECT_EQ(FromQColor(ToQColor(c)), c);
    EXPECT_EQ(ToQColor(c).red(), 0x12);
}

TEST(Platform, MessageSinkReachesTheInstalledHandler)
{
    QString seen;
    MessageKind seenKind = MessageKind::Information;
    MessageHandler previous = SetMessageHandler([&](const QString& text, const QString& caption, MessageKind kind) {
        seen = caption + ":" + text;
        seenKind = kind;
        return MessageAnswer::Yes;
    });
    EXPECT_EQ(ShowMessage("保存修改吗?", QuestionCaption(), MessageKind::Question), MessageAnswer::Yes);
    EXPECT_EQ(seen, QString::fromUtf8("提示:保存修改吗?"));
    EXPECT_EQ(seenKind, MessageKind::Question);
    SetMessageHandler(previous);
}
