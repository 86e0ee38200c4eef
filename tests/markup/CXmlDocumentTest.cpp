#include "markup/CXmlDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
const QString kDecl = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");

// Builds a document the way every configuration writer does.
CXmlDocument WriterDocument()
{
    CXmlDocument doc;
    doc.SetDoc(kDecl);
    doc.AddElem(QStringLiteral("HEAD"));
    doc.IntoElem();
    doc.AddElem(QStringLiteral("Ver"), QStringLiteral("1.0.1.1"));
    doc.AddElem(QStringLiteral("MapConvert"));
    doc.AddChildElem(QStringLiteral("Scale"), QStringLiteral("0.125"));
    doc.AddChildElem(QStringLiteral("Name"), QString::fromUtf8("京港澳 <K12> & 'x'"));
    doc.AddChildElem(QStringLiteral("Count"), 42);
    doc.AddChildElem(QStringLiteral("Empty"));
    doc.AddElem(QStringLiteral("Tail"), QStringLiteral("end"));
    doc.OutOfElem();
    return doc;
}
} // namespace

TEST(CXmlDocument, WriterPatternHasOneElementPerLineAndReadsBack)
{
    const CXmlDocument built = WriterDocument();
    const QString expected = kDecl + QStringLiteral("<HEAD>\r\n"
                                                    "<Ver>1.0.1.1</Ver>\r\n"
                                                    "<MapConvert>\r\n"
                                                    "<Scale>0.125</Scale>\r\n") +
                             QString::fromUtf8("<Name>京港澳 &lt;K12&gt; &amp; 'x'</Name>\r\n") +
                             QStringLiteral("<Count>42</Count>\r\n"
                                            "<Empty/>\r\n"
                                            "</MapConvert>\r\n"
                                            "<Tail>end</Tail>\r\n"
                                            "</HEAD>\r\n");
    EXPECT_EQ(built.GetDoc(), expected);
    EXPECT_TRUE(built.IsWellFormed());

    QTemporaryDir dir;
    const QString path = dir.filePath("MapConvert.cfg");
    QString text = built.GetDoc();
    ASSERT_TRUE(CXmlDocument::WriteTextFile(path, text));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>\r\n")); // no BOM
    EXPECT_EQ(bytes, expected.toUtf8());

    CXmlDocument doc;
    ASSERT_TRUE(doc.Load(path));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("HEAD")));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem(QStringLiteral("Ver")));
    EXPECT_EQ(doc.GetData(), QStringLiteral("1.0.1.1"));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("MapConvert")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("Scale")));
    EXPECT_EQ(doc.GetChildData(), QStringLiteral("0.125"));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("Name")));
    EXPECT_EQ(doc.GetChildData(), QString::fromUtf8("京港澳 <K12> & 'x'"));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("Count")));
    EXPECT_EQ(doc.GetChildData().toInt(), 42);
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("Empty")));
    EXPECT_EQ(doc.GetChildData(), QString());
    // A missing element is reported, and the position stays where it was.
    EXPECT_FALSE(doc.FindChildElem(QStringLiteral("Missing")));
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("Empty"));
    EXPECT_FALSE(doc.FindElem(QStringLiteral("MapConvert")));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("Tail")));
    EXPECT_EQ(doc.GetData(), QStringLiteral("end"));
}

TEST(CXmlDocument, DeclarationOnlyHasNoRootUntilOneIsAdded)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.SetDoc(QStringLiteral("<?xml version=\"1.0\"?>")));
    EXPECT_FALSE(doc.IsWellFormed());
    EXPECT_TRUE(doc.GetError().contains(QStringLiteral("no root element")));
    ASSERT_TRUE(doc.AddElem(QStringLiteral("root"), QStringLiteral("v")));
    EXPECT_EQ(doc.GetDoc(), QStringLiteral("<?xml version=\"1.0\"?>\r\n<root>v</root>\r\n"));
    EXPECT_TRUE(doc.IsWellFormed());
    // Element names that would not read back are refused.
    EXPECT_FALSE(doc.AddChildElem(QStringLiteral("a b")));
    EXPECT_FALSE(doc.AddChildElem(QString()));
    EXPECT_FALSE(doc.SetAttrib(QStringLiteral("x=\"1\""), QStringLiteral("v")));
}

TEST(CXmlDocument, FindElemWalksSiblingsAndStopsAtTheLast)
{
    CXmlDocument doc(QStringLiteral("<r><a/><b>2</b><!-- c --><a x='1'/>text<c/></r>"));
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.IntoElem());
    QStringList names;
    while (doc.FindElem()) names << doc.GetTagName();
    EXPECT_EQ(names, (QStringList{"a", "b", "a", "c"}));
    EXPECT_EQ(doc.GetTagName(), QStringLiteral("c")); // unchanged after the failed search
    doc.ResetMainPos();
    ASSERT_TRUE(doc.FindElem(QStringLiteral("a")));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("a")));
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_FALSE(doc.FindElem(QStringLiteral("b")));
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_EQ(doc.GetTagName(), QStringLiteral("r"));
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("a"));
    EXPECT_FALSE(doc.OutOfElem());
}

TEST(CXmlDocument, DataAndAttributes)
{
    CXmlDocument doc(QStringLiteral("<r a=\"1 &amp; 2\" b='it&apos;s' c=bare d><x>a&lt;b<![CDATA[<raw>&amp;]]>&#65;&#x42;&copy;&bogus;</x>"
                                    "<y><z/></y><e/></r>"));
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("a")), QStringLiteral("1 & 2"));
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("b")), QStringLiteral("it's"));
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("c")), QStringLiteral("bare"));
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("d")), QString());
    EXPECT_EQ(doc.GetAttribName(2), QStringLiteral("c"));
    EXPECT_EQ(doc.GetAttribName(4), QString());
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("x")));
    EXPECT_EQ(doc.GetChildData(), QString::fromUtf8("a<b<raw>&amp;AB©&bogus;"));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("y")));
    EXPECT_EQ(doc.GetChildData(), QString()); // has a child element

    // Setting attributes: replace quoted and bare values, add a new one, escape quotes.
    EXPECT_TRUE(doc.SetAttrib(QStringLiteral("c"), QStringLiteral("say \"hi\" & 'bye'")));
    EXPECT_TRUE(doc.SetAttrib(QStringLiteral("d"), 7));
    EXPECT_TRUE(doc.SetAttrib(QStringLiteral("new"), QStringLiteral("<v>")));
    EXPECT_TRUE(doc.GetDoc().startsWith(
        QStringLiteral("<r a=\"1 &amp; 2\" b='it&apos;s' c=\"say &quot;hi&quot; &amp; &apos;bye&apos;\" d=\"7\" new=\"&lt;v&gt;\">")));
    EXPECT_EQ(doc.GetAttrib(QStringLiteral("c")), QStringLiteral("say \"hi\" & 'bye'"));
    // The child position survived the edit of the start tag before it.
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("y"));
    EXPECT_FALSE(doc.SetChildData(QStringLiteral("x"))); // would destroy <z/>
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("e")));
    EXPECT_TRUE(doc.SetChildData(QStringLiteral("a<b & 'c'")));
    EXPECT_TRUE(doc.SetChildAttrib(QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_TRUE(doc.GetDoc().endsWith(QStringLiteral("<e k=\"v\">a&lt;b &amp; 'c'</e></r>")));
    EXPECT_TRUE(doc.SetChildData(QStringLiteral("x]]>y"), CXmlDocument::AddWithCData));
    EXPECT_EQ(doc.GetChildData(), QStringLiteral("x]]>y"));
    EXPECT_TRUE(doc.IsWellFormed());
}

TEST(CXmlDocument, EscapingTable)
{
    const QString raw = QStringLiteral("a<b & 'c' \"d\" > &amp; &#65; &x");
    EXPECT_EQ(CXmlDocument::EscapeText(raw), QStringLiteral("a&lt;b &amp; 'c' \"d\" &gt; &amp;amp; &amp;#65; &amp;x"));
    EXPECT_EQ(CXmlDocument::EscapeText(raw, CXmlDocument::EscapeQuotes),
              QStringLiteral("a&lt;b &amp; &apos;c&apos; &quot;d&quot; &gt; &amp;amp; &amp;#65; &amp;x"));
    EXPECT_EQ(CXmlDocument::EscapeText(raw, CXmlDocument::EscapeKeepReferences),
              QStringLiteral("a&lt;b &amp; 'c' \"d\" &gt; &amp; &#65; &amp;x"));
    EXPECT_EQ(CXmlDocument::UnescapeText(CXmlDocument::EscapeText(raw, CXmlDocument::EscapeQuotes)), raw);
    EXPECT_EQ(CXmlDocument::UnescapeText(u"&#x4eac;&#20140;&#x1F600;&nbsp;&Eacute;&eacute;&euro;"),
              QString::fromUtf8("京京😀\u00a0Éé€"));
    // Not references, or references to nothing valid: kept as written.
    for (const char16_t* kept : {u"&unknown;", u"&#;", u"&#x;", u"&#xD800;", u"&#1114112;", u"&#0;", u"&amp",
                                 u"& amp;", u"&#99999999999999999999;", u"&"})
        EXPECT_EQ(CXmlDocument::UnescapeText(kept), QString::fromUtf16(kept));
}
