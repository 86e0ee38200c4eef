// Feeds arbitrary bytes to the XML document class: as UTF-8 or UTF-16 text to SetDoc, or as a file
// to Load. Then walks every element, reads its data and attributes, edits the document and checks
// that the index still describes the text. Any crash, sanitizer report or broken invariant fails.

#include "FuzzSupport.h"
#include "markup/CXmlDocument.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
// Depth-first walk with the position API; returns the tag names in document order.
QStringList Walk(CXmlDocument& doc, bool readEverything)
{
    QStringList names;
    doc.ResetPos();
    while (true)
    {
        if (doc.FindElem())
        {
            const QString tag = doc.GetTagName();
            names << tag;
            const QString sub = doc.GetSubDoc();
            Check(sub.startsWith(QLatin1Char('<') + tag), "element text starts with its tag");
            if (readEverything)
            {
                (void)doc.GetData();
                (void)doc.GetElemContent();
                QString n, v;
                for (int i = 0; i < 16 && doc.GetNthAttrib(i, n, v); ++i)
                    if (i == 0) Check(doc.GetAttrib(n) == v, "first attribute reads back by name");
            }
            doc.IntoElem();
            continue;
        }
        if (!doc.OutOfElem()) break;
    }
    return names;
}

void Edit(CXmlDocument& doc, const uint8_t* data, size_t size)
{
    doc.ResetPos();
    size_t step = 0;
    int edits = 0;
    while (edits < 12)
    {
        if (!doc.FindElem())
        {
            if (!doc.OutOfElem()) break;
            continue;
        }
        const uint8_t choice = size ? data[step % size] : 0;
        ++step;
        switch (choice % 11)
        {
        case 0: doc.SetAttrib(QStringLiteral("fz"), QStringLiteral("v&<\"'>")); ++edits; break;
        case 1: doc.SetData(QStringLiteral("d<&>]]>"), choice & 0x10 ? CXmlDocument::AddWithCData : 0); ++edits; break;
        case 2: doc.AddChildElem(QStringLiteral("n"), QStringLiteral("1"), choice >> 6); ++edits; break;
        case 3: doc.InsertElem(QStringLiteral("i"), QString(), choice >> 6); ++edits; break;
        case 4:
            if (doc.FindChildElem()) doc.RemoveChildElem();
            ++edits;
            break;
        case 5: doc.AddSubDoc(QStringLiteral("<s a='1'><t/>x</s>")); ++edits; break;
        case 6: doc.SetElemContent(QStringLiteral("<c>1</c><c/>")); ++edits; break;
        case 7:
            doc.RemoveElem();
            ++edits;
            break;
        case 8: doc.AddNode(CXmlDocument::NodeComment, QStringLiteral("note")); ++edits; break;
        case 9:
            doc.FindNode();
            doc.RemoveNode();
            ++edits;
            break;
        default: break;
        }
        if (doc.GetNodeType()) continue;
        doc.IntoElem();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    CXmlDocument doc;
    if (mode == 0)
        doc.SetDoc(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    else if (mode == 1)
        doc.SetDoc(QString(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2)));
    else
    {
        static const QString path = QDir::tempPath() + QStringLiteral("/fuzz_xml_%1.xml").arg(getpid());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
        f.close();
        doc.Load(path);
        Check(!doc.GetDoc().contains(QChar(0)), "nulls removed");
    }
    (void)doc.GetError();
    const bool wellFormed = doc.IsWellFormed();
    Walk(doc, true);

    // A well-formed document reparsed from its own text has the same elements.
    if (wellFormed)
    {
        CXmlDocument again(doc.GetDoc());
        Check(again.IsWellFormed(), "reparse stays well-formed");
        Check(Walk(again, false) == Walk(doc, false), "reparse gives the same elements");
    }

    const QString escaped = CXmlDocument::EscapeText(doc.GetDoc().left(4096), CXmlDocument::EscapeQuotes);
    Check(CXmlDocument::UnescapeText(escaped) == doc.GetDoc().left(4096), "escape round trip");

    CXmlDocument copy(doc);
    Edit(copy, data, size);
    const QStringList edited = Walk(copy, true);
    // The index after edits must describe the text exactly as a fresh parse does.
    if (wellFormed && copy.IsWellFormed())
    {
        CXmlDocument fresh(copy.GetDoc());
        Check(Walk(fresh, false) == edited, "edited index matches a fresh parse");
    }
    (void)copy.GetError();
    return 0;
}
