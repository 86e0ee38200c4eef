#include "road/RouteText.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(RouteText, EveryLineEndReadsAlikeAndNoLineIsLost)
{
    const QStringList expected{"ROADNAME:a,", "MELIAGE :1.5,", "ELEMENT :1,"};
    EXPECT_EQ(SplitTextLines("ROADNAME:a,\r\nMELIAGE :1.5,\r\nELEMENT :1,\r\n"), expected);
    EXPECT_EQ(SplitTextLines("ROADNAME:a,\rMELIAGE :1.5,\rELEMENT :1,\r"), expected);
    EXPECT_EQ(SplitTextLines("ROADNAME:a,\nMELIAGE :1.5,\r\nELEMENT :1,"), expected); // mixed, no final end
    EXPECT_EQ(SplitTextLines("a\r\n\r\nb"), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(SplitTextLines("").isEmpty());
}

TEST(RouteText, AnsiFilesRoundTripChineseText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("线路.RE"));
    const QString text = QString::fromUtf8("ROADNAME:京港澳高速,\r\n");
    ASSERT_TRUE(WriteAnsiTextFile(path, text));
    QString back;
    ASSERT_TRUE(ReadAnsiTextFile(path, back));
    EXPECT_EQ(back, text);
    EXPECT_FALSE(ReadAnsiTextFile(dir.filePath("missing.RE"), back));
    EXPECT_EQ(SplitFields("a,b", 5).size(), 5);
}
