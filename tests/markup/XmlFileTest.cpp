#include "markup/CXmlDocument.h"

#include "platform/TextCodec.h"

#include "common/FileSizeLimit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include "common/FileBytes.h"

namespace
{
// Writes the bytes, loads them, saves them to a second file and returns both.
QByteArray LoadAndSave(const QTemporaryDir& dir, const QByteArray& bytes, CXmlDocument& doc,
                       QString* loadResult = nullptr)
{
    const QString in = dir.filePath("in.xml");
    const QString out = dir.filePath("out.xml");
    EXPECT_TRUE(WriteBytes(in, bytes));
    EXPECT_TRUE(doc.Load(in)) << doc.GetError().toStdString();
    if (loadResult) *loadResult = doc.GetResult();
    EXPECT_TRUE(doc.Save(out)) << doc.GetError().toStdString();
    return ReadBytes(out);
}

QString RootData(CXmlDocument& doc)
{
    doc.ResetPos();
    return doc.FindElem() ? doc.GetData() : QStringLiteral("<no root>");
}
} // namespace

TEST(XmlFile, ByteOrderMarksAreDetectedAndWrittenBack)
{
    QTemporaryDir dir;
    const QString jing = QString::fromUtf8("京");
    struct Case
    {
        QByteArray bytes;
        int flag;
    };
    const Case cases[] = {
        {QByteArray("\xEF\xBB\xBF<r>\xE4\xBA\xAC</r>\r\n"), CXmlDocument::DocUtf8Bom},
        {QByteArray("\xFF\xFE<\0r\0>\0\xAC\x4E<\0/\0r\0>\0", 18), CXmlDocument::DocUtf16LeFile},
        {QByteArray("\xFE\xFF\0<\0r\0>\x4E\xAC\0<\0/\0r\0>", 18), CXmlDocument::DocUtf16BeFile},
    };
    for (const Case& c : cases)
    {
        CXmlDocument doc;
        QString loadResult;
        EXPECT_EQ(LoadAndSave(dir, c.bytes, doc, &loadResult), c.bytes);
        EXPECT_EQ(doc.GetDocFlags() & c.flag, c.flag);
        EXPECT_EQ(RootData(doc), jing);
        EXPECT_TRUE(loadResult.contains(QStringLiteral("<bom"))) << loadResult.toStdString();
    }
}

TEST(XmlFile, DeclaredEncodingsReadAndWriteBackByteIdentical)
{
    QTemporaryDir dir;
    const QByteArray gb = QByteArray("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<r>\xBE\xA9\xB8\xDB</r>\r\n");
    CXmlDocument doc;
    EXPECT_EQ(LoadAndSave(dir, gb, doc), gb);
    EXPECT_EQ(RootData(doc), QString::fromUtf8("京港"));

    QByteArray latin("<?xml version='1.0' encoding='ISO-8859-1'?><r>caf\xE9 \xA0\xFF</r>");
    EXPECT_EQ(LoadAndSave(dir, latin, doc), latin);
    EXPECT_EQ(RootData(doc), QString::fromUtf8("café \u00a0ÿ"));

    // The charset of an HTML page's Content-Type meta element.
    QByteArray html("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                    "</head><body>\x80</body></html>");
    EXPECT_EQ(LoadAndSave(dir, html, doc), html);
    EXPECT_TRUE(doc.GetDoc().contains(QString::fromUtf8("€")));
}

TEST(XmlFile, UndeclaredFilesUseUtf8DetectionElseTheAnsiCodePage)
{
    QTemporaryDir dir;
    CXmlDocument doc;
    // Valid UTF-8 without declaration or mark.
    const QByteArray utf8("<r>\xE4\xBA\xAC</r>");
    EXPECT_EQ(LoadAndSave(dir, utf8, doc), utf8);
    EXPECT_EQ(RootData(doc), QString::fromUtf8("京"));

    // GBK bytes are not valid UTF-8: read in the ANSI code page instead of being lost.
    const QByteArray gbkText = ToAnsi(QString::fromUtf8("京港澳高速"));
    ASSERT_TRUE(WriteBytes(dir.filePath("gbk.xml"), "<r>" + gbkText + "</r>"));
    ASSERT_TRUE(doc.Load(dir.filePath("gbk.xml")));
    EXPECT_EQ(RootData(doc), QString::fromUtf8("京港澳高速"));
    EXPECT_TRUE(doc.GetResult().contains(QStringLiteral("<ANSI"))) << doc.GetResult().toStdString();

    // Text that does not start with a tag goes through detection too.
    ASSERT_TRUE(WriteBytes(dir.filePath("plain.txt"), "abc \xE4\xBA\xAC"));
    QString text;
    QString result;
    int flags = 0;
    QString encoding;
    ASSERT_TRUE(CXmlDocument::ReadTextFile(dir.filePath("plain.txt"), text, &result, &flags, &encoding));
    EXPECT_EQ(text, QString::fromUtf8("abc 京"));
    EXPECT_EQ(encoding, QStringLiteral("UTF-8"));
    EXPECT_TRUE(result.contains(QStringLiteral("utf8_detection")));
    EXPECT_TRUE(CXmlDocument().GetError().isEmpty());
}

TEST(XmlFile, WritingConvertsAndReportsLoss)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.xml");
    QString result;
    QString enc = QStringLiteral("ISO-8859-1");
    ASSERT_TRUE(CXmlDocument::WriteTextFile(path, QString::fromUtf8("<r>é京?</r>"), &result, nullptr, &enc));
    EXPECT_EQ(ReadBytes(path), QByteArray("<r>\xE9?" "?</r>"));
    EXPECT_TRUE(result.contains(QStringLiteral("conversion_loss"))) << result.toStdString();

    // A lone surrogate cannot go to UTF-8; it becomes U+FFFD and is reported.
    QString lone = QStringLiteral("<r>x</r>");
    lone.insert(4, QChar(0xD800));
    ASSERT_TRUE(CXmlDocument::WriteTextFile(path, lone, &result));
    EXPECT_EQ(ReadBytes(path), QByteArray("<r>x\xEF\xBF\xBD</r>"));
    EXPECT_TRUE(result.contains(QStringLiteral("conversion_loss")));

    // Append mode adds to the file.
    int flags = CXmlDocument::DocAppendFile;
    ASSERT_TRUE(CXmlDocument::WriteTextFile(path, QStringLiteral("<s/>"), &result, &flags));
    EXPECT_TRUE(ReadBytes(path).endsWith("</r><s/>"));
}

TEST(XmlFile, EdgeFilesAreHandledWithoutFailureOrCrash)
{
    QTemporaryDir dir;
    CXmlDocument doc;
    // Missing file.
    EXPECT_FALSE(doc.Load(dir.filePath("missing.xml")));
    EXPECT_TRUE(doc.GetResult().contains(QStringLiteral("file_error")));
    EXPECT_FALSE(doc.GetError().isEmpty());
    // Empty file: read, no root.
    ASSERT_TRUE(WriteBytes(dir.filePath("empty.xml"), QByteArray()));
    EXPECT_TRUE(doc.Load(dir.filePath("empty.xml")));
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_TRUE(doc.GetDoc().isEmpty());
    // Embedded NULs are removed; an odd UTF-16 length is reported, not read past.
    ASSERT_TRUE(WriteBytes(dir.filePath("nul.xml"), QByteArray("<r>a\0b</r>", 10)));
    ASSERT_TRUE(doc.Load(dir.filePath("nul.xml")));
    EXPECT_EQ(RootData(doc), QStringLiteral("ab"));
    EXPECT_TRUE(doc.GetError().contains(QStringLiteral("removed 1 nulls"))) << doc.GetError().toStdString();
    ASSERT_TRUE(WriteBytes(dir.filePath("odd.xml"), QByteArray("\xFF\xFE<\0r\0/\0>\0\x01", 11)));
    ASSERT_TRUE(doc.Load(dir.filePath("odd.xml")));
    EXPECT_EQ(doc.GetDoc(), QStringLiteral("<r/>"));
    EXPECT_TRUE(doc.GetResult().contains(QStringLiteral("truncation_error")));
    // Streaming modes refuse whole-document operations.
    doc.SetDocFlags(CXmlDocument::DocReadFile);
    EXPECT_FALSE(doc.Load(dir.filePath("nul.xml")));
    EXPECT_FALSE(doc.SetDoc(QStringLiteral("<r/>")));
    EXPECT_FALSE(doc.Save(dir.filePath("x.xml")));
}

TEST(XmlFile, FailedSaveKeepsThePreviousFile)
{
    {
        QTemporaryDir dir;
        CXmlDocument doc(QStringLiteral("<r/>"));
        EXPECT_FALSE(doc.Save(dir.filePath("no/such/folder/x.cfg")));
        EXPECT_TRUE(doc.GetResult().contains(QStringLiteral("file_error")));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("MapLayer.cfg");
    CXmlDocument doc(QStringLiteral("<HEAD><Ver>1</Ver></HEAD>"));
    ASSERT_TRUE(doc.Save(path));
    const QByteArray before = ReadBytes(path);
    doc.FindElem();
    doc.SetAttrib(QStringLiteral("changed"), QString(100000, QLatin1Char('x')));
    {
        FileSizeLimit full(4096); // the disk fills up half-way through the save
        ASSERT_TRUE(full.active());
        EXPECT_FALSE(doc.Save(path));
    }
    EXPECT_TRUE(doc.GetResult().contains(QStringLiteral("file_error")));
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(XmlFile, EncodingTableAndCharacterConversions)
{
    EXPECT_EQ(CXmlDocument::GetEncodingCodePage(u"ibm863"), 863);
    EXPECT_EQ(CXmlDocument::GetEncodingCodePage(u"GB2312"), 936);
    EXPECT_EQ(CXmlDocument::GetEncodingCodePage(u"utf-8"), 65001);
    EXPECT_EQ(CXmlDocument::GetEncodingCodePage(u"Iso-8859-1"), 28591);
    EXPECT_EQ(CXmlDocument::GetEncodingCodePage(u"no-such-charset"), 0);
    EXPECT_EQ(CXmlDocument::GetDeclaredEncoding(u"<?xml version=\"1.0\" encoding = 'gbk' ?><r/>"), QStringLiteral("gbk"));
    EXPECT_EQ(CXmlDocument::GetDeclaredEncoding(u"<r encoding='x'/>"), QString());

    // Overlong forms, surrogates and cut sequences are invalid UTF-8.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xBA", "\xFF"})
        EXPECT_FALSE(CXmlDocument::DetectUTF8(bad, qsizetype(strlen(bad)))) << bad;
    EXPECT_TRUE(CXmlDocument::DetectUTF8("\xE4\xBA", 2, nullptr, true));
    int invalid = 0;
    EXPECT_EQ(CXmlDocument::UTF8To16(QByteArray("a\xFF\xE4\xBA\xAC\xF0\x9F\x98\x80"), &invalid),
              QString::fromUtf8("a\uFFFD京😀"));
    EXPECT_EQ(invalid, 1);
    const QString all = QString::fromUtf8("aé京😀");
    EXPECT_EQ(CXmlDocument::UTF8To16(CXmlDocument::UTF16To8(all)), all);
}

#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 kLargeFileBytes = 16 << 20; // the sanitizers make the full size too slow
#else
constexpr qint64 kLargeFileBytes = 100 << 20;
#endif

TEST(XmlFile, LargeFilesLoadInBoundedTimeAndOversizedOnesAreRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("large.xml");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>\r\n");
        const QByteArray record = QString::fromUtf8("<P n=\"1\"><X>123.456</X><Y>线路</Y></P>\r\n").toUtf8();
        QByteArray block;
        while (block.size() < (1 << 20)) block += record;
        for (qint64 written = 0; written < kLargeFileBytes; written += block.size()) f.write(block);
        f.write("</HEAD>\r\n");
    }
    QElapsedTimer timer;
    timer.start();
    CXmlDocument doc;
    ASSERT_TRUE(doc.Load(path)) << doc.GetError().toStdString();
    EXPECT_TRUE(doc.IsWellFormed());
    ASSERT_TRUE(doc.FindElem(QStringLiteral("HEAD")));
    ASSERT_TRUE(doc.IntoElem());
    qint64 count = 0;
    while (doc.FindElem()) ++count;
    EXPECT_GT(count, kLargeFileBytes / 64);
    EXPECT_LT(timer.elapsed(), 60000);

    // Beyond the file limit: refused with a message, not read into memory.
    const QString hugePath = dir.filePath("huge.xml");
    {
        QFile f(hugePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(CXmlDocument::MaxFileBytes + 1)); // sparse: costs no disk space
    }
    EXPECT_FALSE(doc.Load(hugePath));
    EXPECT_TRUE(doc.GetError().contains(QStringLiteral("too large"))) << doc.GetError().toStdString();
    EXPECT_TRUE(doc.GetDoc().isEmpty());
}
