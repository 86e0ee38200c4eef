#include "road/RouteText.h"

#include <QTemporaryDir>
#include <clocale>
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

TEST(RouteText, NumbersAreReadLikeCButNeverNaNAndNotLocaleDependent)
{
    EXPECT_DOUBLE_EQ(LeadingNumber("12.5,rest"), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("  -3.25e2x"), -325.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("+7."), 7.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e"), 1.0);
    EXPECT_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_EQ(LeadingNumber(""), 0.0);
    EXPECT_EQ(LeadingNumber("nan"), 0.0);
    EXPECT_EQ(LeadingNumber("inf"), 0.0);
    EXPECT_EQ(LeadingNumber("1e999"), 0.0);
    EXPECT_EQ(LeadingNumber(QString::fromUtf8("中12")), 0.0);

    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    {
        EXPECT_DOUBLE_EQ(LeadingNumber("12.5"), 12.5);
        std::setlocale(LC_NUMERIC, saved.c_str());
    }

    EXPECT_EQ(LeadingInteger("4,x"), 4);
    EXPECT_EQ(LeadingInteger("-2"), -2);
    EXPECT_EQ(LeadingInteger("x"), 0);
    EXPECT_EQ(LeadingInteger("99999999999999"), 0);
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
