#include "markup/CXmlDocument.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <gtest/gtest.h>

namespace
{
// Every element in document order as "name=data", walked with the position API only.
QStringList Walk(CXmlDocument& doc)
{
    QStringList out;
    doc.ResetPos();
    while (true)
    {
        if (doc.FindElem())
        {
            out << doc.GetTagName() + QLatin1Char('=') + doc.GetData();
            doc.IntoElem();
            continue;
        }
        if (!doc.OutOfElem()) break;
    }
    return out;
}

// The index after edits must describe the text exactly as a fresh parse of it does.
void ExpectIndexMatchesText(CXmlDocument& doc)
{
    CXmlDocument fresh(doc.GetDoc());
    EXPECT_EQ(Walk(doc), Walk(fresh));
}

QString LargeDocument(int sections, int values)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<HEAD>\r\n");
    for (int s = 0; s < sections; ++s)
    {
        text += QStringLiteral("<S%1 id=\"%1\">\r\n").arg(s);
        for (int v = 0; v < values; ++v) text += QStringLiteral("<V%1>%2</V%1>\r\n").arg(v).arg(s * values + v);
        text += QStringLiteral("</S%1>\r\n").arg(s);
    }
    return text + QStringLiteral("</HEAD>\r\n");
}
} // namespace

TEST(XmlEdit, AddInsertRemoveInTheMiddleOfALargeDocument)
{
    CXmlDocument doc(LargeDocument(400, 25));
    ASSERT_TRUE(doc.IsWellFormed());
    const QStringList before = Walk(doc);
    ASSERT_EQ(before.size(), 1 + 400 * 26);

    doc.ResetPos();
    ASSERT_TRUE(doc.FindElem(QStringLiteral("HEAD")));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem(QStringLiteral("S200")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("V12")));
    ASSERT_TRUE(doc.InsertChildElem(QStringLiteral("Before"), QStringLiteral("b")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("V12")));
    ASSERT_TRUE(doc.AddChildElem(QStringLiteral("After"), QStringLiteral("a")));
    ASSERT_TRUE(doc.SetChildAttrib(QStringLiteral("k"), QStringLiteral("long value to shift everything")));
    ASSERT_TRUE(doc.SetAttrib(QStringLiteral("id"), QStringLiteral("changed")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("V20")));
    ASSERT_TRUE(doc.SetChildData(QStringLiteral("much longer data than before")));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("S201")));
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_EQ(doc.GetTagName(), QStringLiteral("S200")); // the position moved to the previous sibling
    ASSERT_TRUE(doc.AddSubDoc(QStringLiteral("<Sub a='1'><X>1</X><Y/></Sub>")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("Y")));
    ASSERT_TRUE(doc.RemoveChildElem());
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("X"));
    ASSERT_TRUE(doc.InsertElem(QStringLiteral("First")));

    EXPECT_TRUE(doc.IsWellFormed());
    ExpectIndexMatchesText(doc);
    const QStringList after = Walk(doc);
    EXPECT_EQ(after.size(), before.size() + 2 - 26 + 2 + 1);
    EXPECT_TRUE(after.contains(QStringLiteral("V20=much longer data than before")));
    EXPECT_FALSE(after.contains(QStringLiteral("S201=")));
    EXPECT_TRUE(after.contains(QStringLiteral("V0=5050"))); // S202 moved but reads right
    // Every line still holds one element.
    EXPECT_TRUE(doc.GetDoc().contains(QStringLiteral("<V12>5012</V12>\r\n<After k=\"long value to shift everything\">a</After>\r\n")));
    EXPECT_TRUE(doc.GetDoc().contains(QStringLiteral("<First/>\r\n<Sub a='1'>")));
}

TEST(XmlEdit, SubDocumentsNodesAndContent)
{
    CXmlDocument doc(QStringLiteral("<r><a><b>1</b></a>text<!--c--></r>"));
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("a")));
    EXPECT_EQ(doc.GetChildSubDoc(), QStringLiteral("<a><b>1</b></a>"));
    // Only the root element of a sub-document is taken; text without an element is refused.
    EXPECT_FALSE(doc.AddChildSubDoc(QStringLiteral("just text")));
    ASSERT_TRUE(doc.AddChildSubDoc(QStringLiteral("<?xml version='1.0'?>\n<n>2</n> trailing"), CXmlDocument::AddNoLineBreak));
    EXPECT_EQ(doc.GetDoc(), QStringLiteral("<r><a><b>1</b></a><n>2</n>text<!--c--></r>"));

    ASSERT_TRUE(doc.IntoElem());
    doc.ResetMainPos();
    QList<int> kinds;
    while (int type = doc.FindNode()) kinds << type;
    EXPECT_EQ(kinds, (QList<int>{CXmlDocument::NodeElement, CXmlDocument::NodeElement, CXmlDocument::NodeText,
                                 CXmlDocument::NodeComment}));
    EXPECT_EQ(doc.GetNodeType(), CXmlDocument::NodeComment);
    ASSERT_TRUE(doc.RemoveNode());
    ASSERT_TRUE(doc.AddNode(CXmlDocument::NodeCData, QStringLiteral("<x>")));
    EXPECT_FALSE(doc.AddNode(CXmlDocument::NodeComment, QStringLiteral("bad -- comment")));
    ASSERT_TRUE(doc.OutOfElem());
    // After a removal the position is the element before the removed node.
    EXPECT_EQ(doc.GetDoc(), QStringLiteral("<r><a><b>1</b></a><n>2</n><![CDATA[<x>]]>text</r>"));

    ASSERT_TRUE(doc.SetElemContent(QStringLiteral("<p>1</p><q/>")));
    EXPECT_EQ(doc.GetElemContent(), QStringLiteral("<p>1</p><q/>"));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("q")));
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("q"));
    ExpectIndexMatchesText(doc);
}

TEST(XmlEdit, SavedPositionsCopiesAndRemovedElements)
{
    CXmlDocument doc(QStringLiteral("<r><a/><b><c/></b></r>"));
    doc.FindElem();
    doc.IntoElem();
    doc.FindElem(QStringLiteral("b"));
    doc.FindChildElem(QStringLiteral("c"));
    ASSERT_TRUE(doc.SavePos(QStringLiteral("c")));
    CXmlDocument copy(doc);
    doc.ResetPos();
    ASSERT_TRUE(doc.RestorePos(QStringLiteral("c")));
    EXPECT_EQ(doc.GetChildTagName(), QStringLiteral("c"));
    ASSERT_TRUE(doc.RemoveChildElem());
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_FALSE(doc.RestorePos(QStringLiteral("c"))); // its elements are gone
    EXPECT_FALSE(doc.RestorePos(QStringLiteral("never saved")));
    // The copy is independent.
    EXPECT_EQ(copy.GetChildTagName(), QStringLiteral("c"));
    EXPECT_EQ(copy.GetDoc(), QStringLiteral("<r><a/><b><c/></b></r>"));
    copy = doc;
    EXPECT_EQ(copy.GetDoc(), doc.GetDoc());
    ExpectIndexMatchesText(copy);
}

TEST(XmlEdit, IllFormedInputIsReportedNotFatal)
{
    struct Case
    {
        const char16_t* text;
        const char* phrase;
    };
    const Case cases[] = {
        {u"<a><b></a>", "start tag 'b' at offset 3 expecting end tag at offset 6"},
        {u"<a></b></a>", "lone end tag 'b' at offset 3"},
        {u"<a/><b/>", "root element has sibling"},
        {u"<a><!-- never closed", "unterminated tag at offset 3"},
        {u"<a><![CDATA[ never closed", "unterminated tag at offset 3"},
        {u"<a x=\"1></a>", "unterminated tag at offset 0"},
        {u"<a>< b</a>", "tag syntax error at offset 3 expecting tag name / ! or ?"},
        {u"<a><!x></a>", "expecting 'DOCTYPE' [ or -"},
        {u"<a><!-x></a>", "expecting - to begin comment"},
        {u"<a><![x></a>", "expecting 'CDATA'"},
        {u"text only", "no root element"},
        {u"<a", "unterminated tag at offset 0"},
    };
    for (const Case& c : cases)
    {
        CXmlDocument doc;
        EXPECT_TRUE(doc.SetDoc(c.text));
        EXPECT_FALSE(doc.IsWellFormed()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_TRUE(doc.GetError().contains(QLatin1String(c.phrase)))
            << QString::fromUtf16(c.text).toStdString() << " -> " << doc.GetError().toStdString();
    }
    // The elements that could be recognised are still usable.
    CXmlDocument doc(QStringLiteral("<a><b>1</a><c>2</c>"));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("a")));
    ASSERT_TRUE(doc.FindChildElem(QStringLiteral("b")));
    EXPECT_EQ(doc.GetChildData(), QStringLiteral("1"));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("c")));
    EXPECT_EQ(doc.GetData(), QStringLiteral("2"));
    // The result log stays bounded however many problems there are.
    CXmlDocument noisy(QString(QStringLiteral("</x>")).repeated(100000));
    EXPECT_LE(noisy.GetResult().size(), 1200);
}

TEST(XmlEdit, DeepNestingHugeValuesAndHostileInputStayLinear)
{
    QElapsedTimer timer;
    timer.start();
    const int depth = 100000;
    QString deep = QStringLiteral("<a>").repeated(depth) + QStringLiteral("x") + QStringLiteral("</a>").repeated(depth);
    CXmlDocument doc(deep);
    EXPECT_TRUE(doc.IsWellFormed());
    int levels = 0;
    while (doc.FindElem())
    {
        ++levels;
        doc.IntoElem();
    }
    EXPECT_EQ(levels, depth);
    doc.OutOfElem();
    EXPECT_EQ(doc.GetData(), QStringLiteral("x"));
    ASSERT_TRUE(doc.SetData(QStringLiteral("deep edit")));
    ASSERT_TRUE(doc.AddElem(QStringLiteral("b")));
    EXPECT_TRUE(doc.IsWellFormed());

    // Unended start tags and end tags that match nothing: each must cost constant time.
    CXmlDocument unended(QStringLiteral("<a>").repeated(depth) + QStringLiteral("</b>").repeated(depth));
    EXPECT_FALSE(unended.IsWellFormed());
    CXmlDocument otherCase(QStringLiteral("<a>").repeated(depth) + QStringLiteral("</A>").repeated(depth));
    EXPECT_FALSE(otherCase.IsWellFormed());
    CXmlDocument interleaved(QStringLiteral("<a><b>").repeated(depth / 2) + QStringLiteral("</a>").repeated(depth));
    EXPECT_FALSE(interleaved.IsWellFormed());

    // A start tag far longer than any packed length field would hold.
    const QString huge(5'000'000, QLatin1Char('v'));
    CXmlDocument big(QStringLiteral("<r a=\"") + huge + QStringLiteral("\"><c>1</c></r>"));
    ASSERT_TRUE(big.FindElem());
    EXPECT_EQ(big.GetAttrib(QStringLiteral("a")).size(), huge.size());
    ASSERT_TRUE(big.FindChildElem(QStringLiteral("c")));
    EXPECT_EQ(big.GetChildData(), QStringLiteral("1"));
    ASSERT_TRUE(big.SetAttrib(QStringLiteral("b"), QStringLiteral("2")));
    EXPECT_EQ(big.GetChildData(), QStringLiteral("1"));

    // Lone surrogates and NULs inside the text are carried, not choked on.
    QString odd = QStringLiteral("<r a='x'>y</r>");
    odd[9] = QChar(0xDC00);
    odd.insert(3, QChar(0));
    CXmlDocument oddDoc(odd);
    ASSERT_TRUE(oddDoc.FindElem());
    EXPECT_EQ(oddDoc.GetData(), QString(QChar(0xDC00)));

    // Tags that never close, each starting inside the previous one.
    CXmlDocument broken(QStringLiteral("<a x=\"").repeated(200000));
    EXPECT_FALSE(broken.IsWellFormed());
    EXPECT_LT(timer.elapsed(), 90000); // quadratic behaviour would take hours
}

TEST(XmlEdit, TooLargeDocumentIsRefusedCleanly)
{
    CXmlDocument doc(QStringLiteral("<r/>"));
    QString tooLarge;
    tooLarge.resize(CXmlDocument::MaxDocumentLength);
    EXPECT_FALSE(doc.SetDoc(tooLarge));
    EXPECT_TRUE(doc.GetDoc().isEmpty());
    EXPECT_TRUE(doc.GetError().contains(QStringLiteral("too large")));
}

// <b> is never closed: it ends where its child <c/> ends, and the line break written after it,
// when <s/> is added beside <b>, belongs to <a>. Removing <c/> used to take that line break too,
// so <b> shrank to the single character "<" and later edits of <b> wrote into <a>: a configuration
// file saved afterwards was corrupted. Adding after <c/> went past the line break the same way.
// Found by fuzzing (fuzz/corpus/fuzz_xml/unclosed-parent-line-break).
TEST(XmlEdit, EditsInsideAnUnclosedElementStayInsideIt)
{
    CXmlDocument doc(QStringLiteral("<a><b><c/></a>"));
    ASSERT_TRUE(doc.FindElem(QStringLiteral("a")) && doc.IntoElem() && doc.FindElem(QStringLiteral("b")));
    ASSERT_TRUE(doc.AddElem(QStringLiteral("s")));
    ASSERT_EQ(doc.GetDoc(), QStringLiteral("<a><b><c/>\r\n<s/>\r\n</a>"));

    auto toC = [&doc] {
        doc.ResetPos();
        ASSERT_TRUE(doc.FindElem(QStringLiteral("a")) && doc.IntoElem() && doc.FindElem(QStringLiteral("b")) &&
                    doc.IntoElem() && doc.FindElem(QStringLiteral("c")));
    };
    // What <b> and <s> read, found afresh from the top.
    auto texts = [&doc] {
        QStringList t;
        doc.ResetPos();
        if (!doc.FindElem(QStringLiteral("a")) || !doc.IntoElem()) return t;
        if (doc.FindElem(QStringLiteral("b"))) t << doc.GetSubDoc();
        if (doc.FindElem(QStringLiteral("s"))) t << doc.GetSubDoc();
        return t;
    };

    toC();
    ASSERT_TRUE(doc.AddElem(QStringLiteral("d")));
    EXPECT_EQ(doc.GetSubDoc(), QStringLiteral("<d/>"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("<b><c/>\r\n<d/>\r\n"), QStringLiteral("<s/>")}));

    toC();
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_EQ(texts(), QStringList({QStringLiteral("<b><d/>\r\n"), QStringLiteral("<s/>")}));
    doc.ResetPos();
    ASSERT_TRUE(doc.FindElem(QStringLiteral("a")) && doc.IntoElem() && doc.FindElem(QStringLiteral("b")) &&
                doc.IntoElem() && doc.FindElem(QStringLiteral("d")));
    ASSERT_TRUE(doc.RemoveElem());
    EXPECT_EQ(doc.GetDoc(), QStringLiteral("<a><b>\r\n<s/>\r\n</a>"));
    EXPECT_EQ(texts(), QStringList({QStringLiteral("<b>"), QStringLiteral("<s/>")}));
}
