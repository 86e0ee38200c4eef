#include "platform/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, GbkRoundTripsChineseText)
{
    const QString name = QString::fromUtf8("京港澳高速 K12+345 线路");
    const QByteArray gbk = ToAnsi(name);
    // "京" is 0xBEA9 in GBK.
    ASSERT_GE(gbk.size(), 2);
    EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xBE);
    EXPECT_EQ(static_cast<unsigned char>(gbk[1]), 0xA9);
    EXPECT_EQ(FromAnsi(gbk), name);
}

TEST(TextCodec, InvalidBytesBecomeReplacementCharactersNotFailures)
{
    // A lone lead byte at the end, and a byte GBK never uses (0xFF).
    const QByteArray bad("ab\xFF" "c\x81", 5);
    const QString s = FromAnsi(bad);
    EXPECT_TRUE(s.startsWith(QStringLiteral("ab")));
    EXPECT_TRUE(s.contains(QChar(0xFFFD)));
    EXPECT_TRUE(s.contains(QLatin1Char('c')));
}

TEST(TextCodec, UnencodableCharactersBecomeQuestionMarks)
{
    // An emoji (a surrogate pair) has no GBK form: exactly one '?' stands for it.
    const QString s = QStringLiteral("a") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("b");
    EXPECT_EQ(ToAnsi(s), QByteArray("a?b"));
    // A lone surrogate is not text at all; it must not crash or overrun.
    QString lone = QStringLiteral("x");
    lone.append(QChar(0xD800));
    EXPECT_EQ(ToAnsi(lone), QByteArray("x?"));
}

TEST(TextCodec, NamedEncodings)
{
    bool ok = false;
    EXPECT_EQ(DecodeText(QByteArray("\xE9", 1), "ISO-8859-1", &ok), QString(QChar(0xE9)));
    EXPECT_TRUE(ok);
    EXPECT_EQ(EncodeText(QString::fromUtf8("中"), "GB2312", &ok), QByteArray("\xD6\xD0"));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(DecodeText(QByteArray("abc"), "NO-SUCH-ENCODING", &ok).isEmpty());
    EXPECT_FALSE(ok);
    EXPECT_FALSE(IsEncodingKnown("NO-SUCH-ENCODING"));
    EXPECT_TRUE(IsEncodingKnown("GBK"));
}
