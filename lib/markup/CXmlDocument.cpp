#include "markup/CXmlDocument.h"

#include "markup/XmlElemIndex.h"
#include "markup/XmlEntities.h"
#include "markup/XmlScan.h"

#include <vector>

namespace
{
const QString kLineBreak = QStringLiteral("\r\n");

// A CDATA section cannot hold "]]>": split it across two sections so the value survives.
QString CDataSection(const QString& value)
{
    QString v = value;
    v.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
    return QLatin1String("<![CDATA[") + v + QLatin1String("]]>");
}

QString ElementMarkup(const QString& name, const QString& value, int flags)
{
    if (value.isEmpty())
        return QLatin1Char('<') + name + ((flags & CXmlDocument::AddEmptyWithSpace) ? QLatin1String(" />")
                                                                                     : QLatin1String("/>"));
    const QString content = (flags & CXmlDocument::AddWithCData) ? CDataSection(value) : XmlEscape(value, 0);
    return QLatin1Char('<') + name + QLatin1Char('>') + content + QLatin1String("</") + name + QLatin1Char('>');
}
} // namespace

CXmlDocument::CXmlDocument() : m_index(std::make_unique<XmlElemIndex>()) {}

CXmlDocument::CXmlDocument(const QString& text) : m_index(std::make_unique<XmlElemIndex>()) { SetDoc(text); }

CXmlDocument::CXmlDocument(const CXmlDocument& other)
    : m_doc(other.m_doc), m_result(other.m_result), m_parent(other.m_parent), m_main(other.m_main),
      m_child(other.m_child), m_nodeType(other.m_nodeType), m_nodeOffset(other.m_nodeOffset),
      m_nodeLength(other.m_nodeLength), m_docFlags(other.m_docFlags), m_savedPos(other.m_savedPos),
      m_index(std::make_unique<XmlElemIndex>(*other.m_index))
{
}

CXmlDocument& CXmlDocument::operator=(const CXmlDocument& other)
{
    if (this != &other)
    {
        CXmlDocument copy(other);
        m_doc.swap(copy.m_doc);
        m_result.swap(copy.m_result);
        m_parent = copy.m_parent;
        m_main = copy.m_main;
        m_child = copy.m_child;
        m_nodeType = copy.m_nodeType;
        m_nodeOffset = copy.m_nodeOffset;
        m_nodeLength = copy.m_nodeLength;
        m_docFlags = copy.m_docFlags;
        m_savedPos.swap(copy.m_savedPos);
        m_index.swap(copy.m_index);
    }
    return *this;
}

CXmlDocument::~CXmlDocument() = default;

// ---------------------------------------------------------------------------------------------
// Whole document

bool CXmlDocument::SetDoc(const QString& text)
{
    if (m_docFlags & (DocReadFile | DocWriteFile)) return false;
    m_result.clear();
    if (text.size() >= MaxDocumentLength)
    {
        m_doc.clear();
        ParseWhole();
        Report(XmlResultEntry("document_too_large", {{"length", QString::number(text.size())}}));
        return false;
    }
    m_doc = text;
    ParseWhole();
    return true;
}

bool CXmlDocument::SetDoc(const char16_t* text)
{
    return SetDoc(text ? QString::fromUtf16(text) : QString());
}

bool CXmlDocument::IsWellFormed() const
{
    if (m_docFlags & DocWriteFile) return true;
    const XmlElemIndex& idx = *m_index;
    const int root = idx[0].firstChild;
    if (!root || idx[root].IsIllFormed()) return false;
    if (m_docFlags & DocReadFile) return true;
    return !idx[root].next && !idx[0].IsIllFormed();
}

// ---------------------------------------------------------------------------------------------
// Element geometry

QStringView CXmlDocument::TagNameAt(int i) const
{
    if (i <= 0) return QStringView();
    const XmlElemRecord& r = (*m_index)[i];
    const qsizetype b = r.start + 1;
    const qsizetype e = r.start + r.startTagLength;
    qsizetype q = b;
    const QChar* s = m_doc.constData();
    while (q < e && !XmlIsNameEnd(s[q].unicode())) ++q;
    return QStringView(s + b, q - b);
}

qsizetype CXmlDocument::ContentBegin(int i) const
{
    const XmlElemRecord& r = (*m_index)[i];
    if (i == 0) return 0;
    return r.start + r.startTagLength;
}

qsizetype CXmlDocument::ContentEnd(int i) const
{
    const XmlElemRecord& r = (*m_index)[i];
    if (i == 0) return m_doc.size();
    return r.start + r.length - r.EndTagLength();
}

bool CXmlDocument::NameMatches(int i, const QString& name) const
{
    if (name.isEmpty()) return true;
    const QStringView tag = TagNameAt(i);
    return tag.compare(name, (m_docFlags & DocIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

int CXmlDocument::FindSibling(int after, int parent, const QString& name) const
{
    const XmlElemIndex& idx = *m_index;
    for (int i = after ? idx[after].next : idx[parent].firstChild; i; i = idx[i].next)
        if (NameMatches(i, name)) return i;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Navigation

void CXmlDocument::ClearNode()
{
    m_nodeType = 0;
    m_nodeOffset = 0;
    m_nodeLength = 0;
}

bool CXmlDocument::FindElem(const QString& name)
{
    const int found = FindSibling(m_main, m_parent, name);
    if (!found) return false;
    m_main = found;
    m_child = 0;
    ClearNode();
    return true;
}

bool CXmlDocument::FindChildElem(const QString& name)
{
    if (!m_main || m_nodeType)
    {
        if (!FindElem()) return false;
    }
    const int found = FindSibling(m_child, m_main, name);
    if (!found) return false;
    m_child = found;
    return true;
}

bool CXmlDocument::IntoElem()
{
    if (!m_main || m_nodeType) return false;
    m_parent = m_main;
    m_main = m_child;
    m_child = 0;
    return true;
}

bool CXmlDocument::OutOfElem()
{
    if (!m_parent) return false;
    m_child = m_main;
    m_main = m_parent;
    m_parent = (*m_index)[m_parent].parent;
    ClearNode();
    return true;
}

void CXmlDocument::ResetPos()
{
    m_parent = m_main = m_child = 0;
    ClearNode();
}

void CXmlDocument::ResetMainPos()
{
    m_main = m_child = 0;
    ClearNode();
}

void CXmlDocument::ResetChildPos() { m_child = 0; }

QString CXmlDocument::GetTagName() const { return m_nodeType ? QString() : TagNameAt(m_main).toString(); }

QString CXmlDocument::GetChildTagName() const { return TagNameAt(m_child).toString(); }

bool CXmlDocument::SavePos(const QString& name)
{
    m_savedPos[name] = Position{m_parent, m_main, m_child};
    return true;
}

bool CXmlDocument::RestorePos(const QString& name)
{
    const auto it = m_savedPos.find(name);
    if (it == m_savedPos.end()) return false;
    const Position p = it->second;
    const XmlElemIndex& idx = *m_index;
    // A saved element may since have been removed (and its record reused): check the chain.
    if (p.parent && !idx.IsLive(p.parent)) return false;
    if (p.main && (!idx.IsLive(p.main) || idx[p.main].parent != p.parent)) return false;
    if (p.child && (!p.main || !idx.IsLive(p.child) || idx[p.child].parent != p.main)) return false;
    m_parent = p.parent;
    m_main = p.main;
    m_child = p.child;
    ClearNode();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Data and attributes

QString CXmlDocument::DataOf(int i) const
{
    if (i <= 0) return QString();
    const XmlElemIndex& idx = *m_index;
    if (idx[i].firstChild) return QString();
    const qsizetype b = ContentBegin(i);
    const qsizetype e = ContentEnd(i);
    if (e <= b) return QString();
    const QStringView content(m_doc.constData() + b, e - b);
    if (content.indexOf(u'<') < 0) return XmlUnescape(content);
    // Text with CDATA sections (and perhaps comments or instructions, which hold no data).
    QString out;
    qsizetype p = 0;
    const qsizetype n = content.size();
    while (p < n)
    {
        qsizetype lt = content.indexOf(u'<', p);
        if (lt < 0) lt = n;
        out += XmlUnescape(content.mid(p, lt - p));
        if (lt >= n) break;
        const QStringView rest = content.mid(lt);
        qsizetype close;
        if (rest.startsWith(u"<![CDATA["))
        {
            close = content.indexOf(u"]]>", lt + 9);
            if (close < 0) close = n;
            out += content.mid(lt + 9, close - lt - 9);
            p = close + 3;
        }
        else if (rest.startsWith(u"<!--"))
        {
            close = content.indexOf(u"-->", lt + 4);
            p = close < 0 ? n : close + 3;
        }
        else if (rest.startsWith(u"<?"))
        {
            close = content.indexOf(u"?>", lt + 2);
            p = close < 0 ? n : close + 2;
        }
        else
        {
            close = content.indexOf(u'>', lt + 1);
            p = close < 0 ? n : close + 1;
        }
    }
    return out;
}

QString CXmlDocument::GetData() const { return DataOf(m_nodeType ? 0 : m_main); }
QString CXmlDocument::GetChildData() const { return DataOf(m_nodeType ? 0 : m_child); }

namespace
{
struct AttribSpan
{
    qsizetype nameBegin, nameEnd;
    qsizetype valueBegin, valueEnd; // as written, quotes included; empty when there is no '='
    qsizetype innerBegin, innerEnd; // the value without quotes
    bool hasValue;
};

// Calls f(span) for each attribute of the start tag s[tagBegin, tagEnd) ('<' to '>' inclusive) until
// f returns true. Malformed attribute text is skipped, never read past the tag.
template <typename F>
void ForEachAttrib(const QChar* s, qsizetype nameEnd, qsizetype tagEnd, F f)
{
    qsizetype end = tagEnd - 1; // the '>'
    if (end > nameEnd && s[end - 1] == u'/') --end;
    qsizetype q = nameEnd;
    while (q < end)
    {
        const char16_t c = s[q].unicode();
        if (XmlIsSpace(c) || c == '/')
        {
            ++q;
            continue;
        }
        AttribSpan a{};
        a.nameBegin = q;
        while (q < end && !XmlIsNameEnd(s[q].unicode())) ++q;
        a.nameEnd = q;
        if (a.nameEnd == a.nameBegin)
        {
            ++q; // a stray '=' or quote
            continue;
        }
        qsizetype v = q;
        while (v < end && XmlIsSpace(s[v].unicode())) ++v;
        if (v < end && s[v] == u'=')
        {
            ++v;
            while (v < end && XmlIsSpace(s[v].unicode())) ++v;
            a.hasValue = true;
            a.valueBegin = v;
            if (v < end && (s[v] == u'"' || s[v] == u'\''))
            {
                const QChar quote = s[v];
                qsizetype w = v + 1;
                while (w < end && s[w] != quote) ++w;
                a.innerBegin = v + 1;
                a.innerEnd = w;
                q = w < end ? w + 1 : end;
            }
            else
            {
                qsizetype w = v;
                while (w < end && !XmlIsSpace(s[w].unicode())) ++w;
                a.innerBegin = v;
                a.innerEnd = w;
                q = w;
            }
            a.valueEnd = q;
        }
        else
        {
            a.hasValue = false;
            a.valueBegin = a.valueEnd = a.innerBegin = a.innerEnd = a.nameEnd;
        }
        if (f(a)) return;
    }
}
} // namespace

QString CXmlDocument::AttribOf(int i, const QString& name) const
{
    if (i <= 0 || name.isEmpty()) return QString();
    const XmlElemRecord& r = (*m_index)[i];
    const QChar* s = m_doc.constData();
    const qsizetype nameEnd = r.start + 1 + TagNameAt(i).size();
    const Qt::CaseSensitivity cs = (m_docFlags & DocIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    QString value;
    ForEachAttrib(s, nameEnd, r.start + r.startTagLength, [&](const AttribSpan& a) {
        if (QStringView(s + a.nameBegin, a.nameEnd - a.nameBegin).compare(name, cs) != 0) return false;
        value = XmlUnescape(QStringView(s + a.innerBegin, a.innerEnd - a.innerBegin));
        return true;
    });
    return value;
}

QString CXmlDocument::GetAttrib(const QString& name) const { return AttribOf(m_nodeType ? 0 : m_main, name); }
QString CXmlDocument::GetChildAttrib(const QString& name) const
{
    return AttribOf(m_nodeType ? 0 : m_child, name);
}

bool CXmlDocument::GetNthAttrib(int n, QString& name, QString& value) const
{
    const int i = m_nodeType ? 0 : m_main;
    if (i <= 0 || n < 0) return false;
    const XmlElemRecord& r = (*m_index)[i];
    const QChar* s = m_doc.constData();
    int k = 0;
    bool found = false;
    ForEachAttrib(s, r.start + 1 + TagNameAt(i).size(), r.start + r.startTagLength, [&](const AttribSpan& a) {
        if (k++ != n) return false;
        name = QString(s + a.nameBegin, a.nameEnd - a.nameBegin);
        value = XmlUnescape(QStringView(s + a.innerBegin, a.innerEnd - a.innerBegin));
        found = true;
        return true;
    });
    return found;
}

QString CXmlDocument::GetAttribName(int n) const
{
    QString name, value;
    return GetNthAttrib(n, name, value) ? name : QString();
}

bool CXmlDocument::SetAttribOf(int i, const QString& name, const QString& value)
{
    if (i <= 0 || !XmlIsValidName(name)) return false;
    const XmlElemRecord r = (*m_index)[i];
    const QChar* s = m_doc.constData();
    const qsizetype nameEnd = r.start + 1 + TagNameAt(i).size();
    const qsizetype tagEnd = r.start + r.startTagLength;
    const Qt::CaseSensitivity cs = (m_docFlags & DocIgnoreCase) ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString quoted = QLatin1Char('"') + XmlEscape(value, EscapeQuotes) + QLatin1Char('"');
    bool found = false;
    AttribSpan span{};
    ForEachAttrib(s, nameEnd, tagEnd, [&](const AttribSpan& a) {
        if (QStringView(s + a.nameBegin, a.nameEnd - a.nameBegin).compare(name, cs) != 0) return false;
        span = a;
        found = true;
        return true;
    });
    qsizetype pos, oldLen;
    QString text;
    if (found && span.hasValue)
    {
        pos = span.valueBegin;
        oldLen = span.valueEnd - span.valueBegin;
        text = quoted;
    }
    else if (found)
    {
        pos = span.nameEnd;
        oldLen = 0;
        text = QLatin1Char('=') + quoted;
    }
    else
    {
        pos = tagEnd - 1;
        if (pos > nameEnd && s[pos - 1] == u'/') --pos;
        while (pos > nameEnd && XmlIsSpace(s[pos - 1].unicode())) --pos;
        oldLen = 0;
        text = QLatin1Char(' ') + name + QLatin1Char('=') + quoted;
        // Keep "<a />" spelled with its space before the slash.
        if (pos < tagEnd - 1 && s[pos] != u'/' && s[tagEnd - 2] == u'/') text += QLatin1Char(' ');
    }
    const qsizetype delta = ReplaceText(i, pos, oldLen, text);
    if (delta == -1 - MaxDocumentLength) return false;
    (*m_index)[i].startTagLength += static_cast<int32_t>(delta);
    return true;
}

bool CXmlDocument::SetAttrib(const QString& name, const QString& value)
{
    return SetAttribOf(m_nodeType ? 0 : m_main, name, value);
}
bool CXmlDocument::SetAttrib(const QString& name, int value) { return SetAttrib(name, QString::number(value)); }
bool CXmlDocument::SetChildAttrib(const QString& name, const QString& value)
{
    return SetAttribOf(m_nodeType ? 0 : m_child, name, value);
}
bool CXmlDocument::SetChildAttrib(const QString& name, int value)
{
    return SetChildAttrib(name, QString::number(value));
}

bool CXmlDocument::SetDataOf(int i, const QString& value, int flags)
{
    if (i <= 0) return false;
    if ((*m_index)[i].firstChild) return false; // would destroy the child elements
    const QString content =
        value.isEmpty() ? QString() : ((flags & AddWithCData) ? CDataSection(value) : XmlEscape(value, 0));
    const XmlElemRecord& r = (*m_index)[i];
    const bool emptyTag = r.EndTagLength() == 0 && r.length == r.startTagLength && r.startTagLength >= 3 &&
                          m_doc[r.start + r.startTagLength - 2] == u'/';
    if (emptyTag)
    {
        if (content.isEmpty()) return true;
        if (!OpenEmptyElement(i, AddNoLineBreak)) return false;
    }
    const qsizetype b = ContentBegin(i);
    const qsizetype e = ContentEnd(i);
    return ReplaceText(i, b, e - b, content) != -1 - MaxDocumentLength;
}

bool CXmlDocument::SetData(const QString& value, int flags) { return SetDataOf(m_nodeType ? 0 : m_main, value, flags); }
bool CXmlDocument::SetData(int value) { return SetData(QString::number(value)); }
bool CXmlDocument::SetChildData(const QString& value, int flags)
{
    return SetDataOf(m_nodeType ? 0 : m_child, value, flags);
}
bool CXmlDocument::SetChildData(int value) { return SetChildData(QString::number(value)); }

QString CXmlDocument::GetElemContent() const
{
    const int i = m_nodeType ? 0 : m_main;
    if (i <= 0) return QString();
    const qsizetype b = ContentBegin(i);
    const qsizetype e = ContentEnd(i);
    return e > b ? m_doc.mid(b, e - b) : QString();
}

bool CXmlDocument::SetElemContent(const QString& markup)
{
    const int i = m_nodeType ? 0 : m_main;
    if (i <= 0) return false;
    XmlElemIndex& idx = *m_index;
    {
        const XmlElemRecord& r = idx[i];
        const bool emptyTag = r.EndTagLength() == 0 && r.length == r.startTagLength && r.startTagLength >= 3 &&
                              m_doc[r.start + r.startTagLength - 2] == u'/';
        if (emptyTag && !markup.isEmpty() && !OpenEmptyElement(i, AddNoLineBreak)) return false;
    }
    const qsizetype b = ContentBegin(i);
    const qsizetype e = ContentEnd(i);
    if (m_doc.size() - (e - b) + markup.size() >= MaxDocumentLength) return false;
    for (int c = idx[i].firstChild; c;)
    {
        const int next = idx[c].next;
        FreeSubtree(c);
        c = next;
    }
    idx[i].firstChild = 0;
    m_child = 0;
    ReplaceText(i, b, e - b, markup);
    int last = 0;
    const int first = ParseRange(b, b + markup.size(), i, &last);
    idx[i].firstChild = first;
    if (first) idx[first].prev = last;
    return true;
}

QString CXmlDocument::SubDocOf(int i) const
{
    if (i <= 0) return QString();
    const XmlElemRecord& r = (*m_index)[i];
    return m_doc.mid(r.start, r.length);
}

QString CXmlDocument::GetSubDoc() const { return SubDocOf(m_nodeType ? 0 : m_main); }
QString CXmlDocument::GetChildSubDoc() const { return SubDocOf(m_nodeType ? 0 : m_child); }

// ---------------------------------------------------------------------------------------------
// Editing

// Replaces doc[pos, pos+oldLength) by `text`, where `container` is the innermost element holding
// the whole range and no element starts inside it. Lengths of the container and its ancestors
// grow by the difference; every element starting after the range moves. Returns the difference,
// or -1 - MaxDocumentLength (and changes nothing) when the document would grow past its limit.
qsizetype CXmlDocument::ReplaceText(int container, qsizetype pos, qsizetype oldLength, const QString& text)
{
    const qsizetype delta = text.size() - oldLength;
    if (m_doc.size() + delta >= MaxDocumentLength) return -1 - MaxDocumentLength;
    m_doc.replace(pos, oldLength, text);
    if (delta == 0) return 0;
    XmlElemIndex& idx = *m_index;
    const int32_t d = static_cast<int32_t>(delta);
    const qsizetype editEnd = pos + oldLength;

    auto shiftSubtree = [&](int root) {
        int i = root;
        while (true)
        {
            idx[i].start += d;
            if (idx[i].firstChild)
            {
                i = idx[i].firstChild;
                continue;
            }
            while (i != root && !idx[i].next) i = idx[i].parent;
            if (i == root) break;
            i = idx[i].next;
        }
    };

    // Children of the container after the edit, walked back from its last child.
    if (const int first = idx[container].firstChild)
    {
        int c = idx[first].prev;
        while (idx[c].start >= editEnd)
        {
            shiftSubtree(c);
            if (c == first) break;
            c = idx[c].prev;
        }
    }
    for (int a = container; a != 0; a = idx[a].parent)
    {
        idx[a].length += d;
        for (int sib = idx[a].next; sib; sib = idx[sib].next) shiftSubtree(sib);
    }
    idx[0].length = static_cast<int32_t>(m_doc.size());
    if (m_nodeType && m_nodeOffset >= editEnd) m_nodeOffset += delta;
    return delta;
}

// "<name/>" becomes "<name>" [line break] "</name>".
bool CXmlDocument::OpenEmptyElement(int i, int flags)
{
    const XmlElemRecord r = (*m_index)[i];
    const qsizetype tagEnd = r.start + r.startTagLength;
    const QString name = TagNameAt(i).toString();
    qsizetype q = tagEnd - 2;
    while (q > r.start + 1 + name.size() && XmlIsSpace(m_doc[q - 1].unicode())) --q;
    const QString lb = (flags & AddNoLineBreak) ? QString() : kLineBreak;
    const QString text = QLatin1Char('>') + lb + QLatin1String("</") + name + QLatin1Char('>');
    if (ReplaceText(i, q, tagEnd - q, text) == -1 - MaxDocumentLength) return false;
    XmlElemRecord& w = (*m_index)[i];
    w.startTagLength = static_cast<int32_t>(q + 1 - r.start);
    w.SetEndTagLength(static_cast<int32_t>(name.size() + 3));
    return true;
}

namespace
{
// The position after a line break at p, if one starts there and ends by `limit`, the end of the
// parent's content. An element that is never closed ends where its last child ends, so the line
// break after that child belongs to an outer element: taking it into an edit of the inner one
// would make that edit reach outside its container and corrupt the element index.
qsizetype AfterLineBreak(const QString& doc, qsizetype p, qsizetype limit)
{
    if (p + 1 < limit && doc[p] == u'\r' && doc[p + 1] == u'\n') return p + 2;
    if (p < limit && doc[p] == u'\n') return p + 1;
    return p;
}
} // namespace

// Inserts `markup` relative to the current position: after (or before) the main position under
// the parent, or with `child` after (or before) the child position under the main element. The
// new element (or node) becomes the main (or child) position.
bool CXmlDocument::InsertMarkup(bool child, bool before, const QString& markup, int flags)
{
    XmlElemIndex& idx = *m_index;
    const bool lineBreak = !(flags & AddNoLineBreak);
    int parent;
    int ref;
    bool nodeRef = false;
    if (child)
    {
        parent = m_nodeType ? 0 : m_main;
        if (!parent) return false;
        ref = m_child;
    }
    else
    {
        parent = m_parent;
        ref = m_main;
        nodeRef = m_nodeType != 0;
    }
    if (m_doc.size() + markup.size() + 4 >= MaxDocumentLength) return false;

    qsizetype pos;
    bool append = false;
    if (nodeRef)
    {
        pos = before ? m_nodeOffset : AfterLineBreak(m_doc, m_nodeOffset + m_nodeLength, ContentEnd(parent));
        append = !before;
    }
    else if (ref)
    {
        pos = before ? idx[ref].start : AfterLineBreak(m_doc, idx[ref].End(), ContentEnd(parent));
        append = !before;
    }
    else
    {
        if (parent)
        {
            const XmlElemRecord& r = idx[parent];
            const bool emptyTag = r.EndTagLength() == 0 && r.length == r.startTagLength &&
                                  r.startTagLength >= 3 && m_doc[r.start + r.startTagLength - 2] == u'/';
            if (emptyTag && !OpenEmptyElement(parent, flags)) return false;
        }
        const int first = idx[parent].firstChild;
        if (before && first)
            pos = idx[first].start;
        else if (first)
        {
            pos = AfterLineBreak(m_doc, idx[idx[first].prev].End(), ContentEnd(parent));
            append = true;
        }
        else
        {
            pos = ContentEnd(parent);
            append = true;
        }
    }
    QString text;
    if (append && lineBreak && pos > 0 && m_doc[pos - 1] != u'\n') text = kLineBreak;
    const qsizetype markupStart = pos + text.size();
    text += markup;
    if (lineBreak) text += kLineBreak;
    if (ReplaceText(parent, pos, 0, text) == -1 - MaxDocumentLength) return false;

    int last = 0;
    const int first = ParseRange(markupStart, markupStart + markup.size(), parent, &last);
    if (first)
    {
        // Splice the new elements in after the last child that starts before them.
        int prev = 0;
        if (const int f = idx[parent].firstChild)
        {
            int c = idx[f].prev;
            while (true)
            {
                if (idx[c].start < markupStart)
                {
                    prev = c;
                    break;
                }
                if (c == f) break;
                c = idx[c].prev;
            }
        }
        const int oldFirst = idx[parent].firstChild;
        const int oldLast = oldFirst ? idx[oldFirst].prev : 0;
        const int next = prev ? idx[prev].next : oldFirst;
        if (prev)
        {
            idx[prev].next = first;
            idx[first].prev = prev;
        }
        else
            idx[parent].firstChild = first;
        idx[last].next = next;
        if (next) idx[next].prev = last;
        const int newFirst = idx[parent].firstChild;
        idx[newFirst].prev = next ? oldLast : last;
    }

    if (first && !child)
    {
        m_main = first;
        m_child = 0;
        ClearNode();
    }
    else if (first)
    {
        m_child = first;
    }
    else if (!child)
    {
        // A node other than an element: the main position is the element before it.
        int prevElem = 0;
        if (const int f = idx[parent].firstChild)
        {
            int c = idx[f].prev;
            while (true)
            {
                if (idx[c].start < markupStart)
                {
                    prevElem = c;
                    break;
                }
                if (c == f) break;
                c = idx[c].prev;
            }
        }
        m_main = prevElem;
        m_child = 0;
        m_nodeOffset = markupStart;
        m_nodeLength = markup.size();
        m_nodeType = NodeText; // refined by the caller
    }
    return true;
}

bool CXmlDocument::AddElem(const QString& name, const QString& value, int flags)
{
    return XmlIsValidName(name) && InsertMarkup(false, false, ElementMarkup(name, value, flags), flags);
}
bool CXmlDocument::InsertElem(const QString& name, const QString& value, int flags)
{
    return XmlIsValidName(name) && InsertMarkup(false, true, ElementMarkup(name, value, flags), flags);
}
bool CXmlDocument::AddChildElem(const QString& name, const QString& value, int flags)
{
    return XmlIsValidName(name) && InsertMarkup(true, false, ElementMarkup(name, value, flags), flags);
}
bool CXmlDocument::InsertChildElem(const QString& name, const QString& value, int flags)
{
    return XmlIsValidName(name) && InsertMarkup(true, true, ElementMarkup(name, value, flags), flags);
}
bool CXmlDocument::AddElem(const QString& name, int value, int flags)
{
    return AddElem(name, QString::number(value), flags);
}
bool CXmlDocument::InsertElem(const QString& name, int value, int flags)
{
    return InsertElem(name, QString::number(value), flags);
}
bool CXmlDocument::AddChildElem(const QString& name, int value, int flags)
{
    return AddChildElem(name, QString::number(value), flags);
}
bool CXmlDocument::InsertChildElem(const QString& name, int value, int flags)
{
    return InsertChildElem(name, QString::number(value), flags);
}

bool CXmlDocument::InsertSubDocImpl(bool child, bool before, const QString& subDoc, int flags)
{
    // Only the root element of the text is taken, so surrounding junk cannot enter the document.
    CXmlDocument sub;
    sub.m_docFlags = m_docFlags & DocIgnoreCase;
    if (!sub.SetDoc(subDoc)) return false;
    const int root = (*sub.m_index)[0].firstChild;
    if (!root) return false;
    return InsertMarkup(child, before, sub.SubDocOf(root), flags);
}

bool CXmlDocument::AddSubDoc(const QString& subDoc, int flags) { return InsertSubDocImpl(false, false, subDoc, flags); }
bool CXmlDocument::InsertSubDoc(const QString& subDoc, int flags)
{
    return InsertSubDocImpl(false, true, subDoc, flags);
}
bool CXmlDocument::AddChildSubDoc(const QString& subDoc, int flags)
{
    return InsertSubDocImpl(true, false, subDoc, flags);
}
bool CXmlDocument::InsertChildSubDoc(const QString& subDoc, int flags)
{
    return InsertSubDocImpl(true, true, subDoc, flags);
}

void CXmlDocument::FreeSubtree(int i)
{
    XmlElemIndex& idx = *m_index;
    std::vector<int> pending{i};
    while (!pending.empty())
    {
        const int x = pending.back();
        pending.pop_back();
        for (int c = idx[x].firstChild; c; c = idx[c].next) pending.push_back(c);
        idx.Release(x);
    }
}

// Removes element i with the line break that follows it; its records go to the free list.
bool CXmlDocument::RemoveElement(int i)
{
    if (i <= 0) return false;
    XmlElemIndex& idx = *m_index;
    const int parent = idx[i].parent;
    const qsizetype start = idx[i].start;
    const qsizetype end = AfterLineBreak(m_doc, idx[i].End(), ContentEnd(parent));
    // Unlink from the sibling chain (the first child's prev names the last child).
    const int first = idx[parent].firstChild;
    const int last = idx[first].prev;
    const int prevSib = (i == first) ? 0 : idx[i].prev;
    const int nextSib = idx[i].next;
    if (prevSib)
        idx[prevSib].next = nextSib;
    else
        idx[parent].firstChild = nextSib;
    if (nextSib && prevSib) idx[nextSib].prev = prevSib;
    if (const int nf = idx[parent].firstChild) idx[nf].prev = (i == last) ? prevSib : last;
    FreeSubtree(i);
    ReplaceText(parent, start, end - start, QString());
    return true;
}

bool CXmlDocument::RemoveElem()
{
    const int i = m_nodeType ? 0 : m_main;
    if (!i) return false;
    const XmlElemIndex& idx = *m_index;
    const int prev = (idx[idx[i].parent].firstChild == i) ? 0 : idx[i].prev;
    RemoveElement(i);
    m_main = prev;
    m_child = 0;
    return true;
}

bool CXmlDocument::RemoveChildElem()
{
    const int i = m_nodeType ? 0 : m_child;
    if (!i) return false;
    const XmlElemIndex& idx = *m_index;
    const int prev = (idx[idx[i].parent].firstChild == i) ? 0 : idx[i].prev;
    RemoveElement(i);
    m_child = prev;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Nodes

int CXmlDocument::FindNode(int typeMask)
{
    const XmlElemIndex& idx = *m_index;
    const int parent = m_parent;
    const qsizetype rangeEnd = ContentEnd(parent);
    qsizetype pos;
    int prevElem = m_main;
    if (m_nodeType)
        pos = m_nodeOffset + m_nodeLength;
    else if (m_main)
        pos = idx[m_main].End();
    else
        pos = ContentBegin(parent);
    const QString& d = m_doc;
    while (pos < rangeEnd)
    {
        const int nextElem = prevElem ? idx[prevElem].next : idx[parent].firstChild;
        const qsizetype limit = nextElem ? idx[nextElem].start : rangeEnd;
        int type;
        qsizetype len;
        if (nextElem && idx[nextElem].start == pos)
        {
            type = NodeElement;
            len = idx[nextElem].length;
        }
        else
        {
            const QStringView rest(d.constData() + pos, limit - pos);
            auto until = [&](QStringView close, qsizetype from) {
                const qsizetype at = rest.indexOf(close, from);
                return at < 0 ? rest.size() : at + close.size();
            };
            if (rest.startsWith(u"<!--"))
            {
                type = NodeComment;
                len = until(u"-->", 4);
            }
            else if (rest.startsWith(u"<![CDATA["))
            {
                type = NodeCData;
                len = until(u"]]>", 9);
            }
            else if (rest.startsWith(u"<?"))
            {
                type = NodeProcessingInstruction;
                len = until(u"?>", 2);
            }
            else if (rest.startsWith(u"<!"))
            {
                type = NodeDocumentType;
                len = until(u">", 2);
            }
            else if (rest.startsWith(u"</"))
            {
                type = NodeLoneEndTag;
                len = until(u">", 2);
            }
            else
            {
                qsizetype at = rest.indexOf(u'<', 1);
                len = at < 0 ? rest.size() : at;
                type = NodeWhitespace;
                for (qsizetype k = 0; k < len; ++k)
                    if (!XmlIsSpace(rest[k].unicode()))
                    {
                        type = NodeText;
                        break;
                    }
            }
            if (len < 1) len = 1;
        }
        if (!typeMask || (typeMask & type))
        {
            if (type == NodeElement)
            {
                m_main = nextElem;
                m_child = 0;
                ClearNode();
            }
            else
            {
                m_main = prevElem;
                m_child = 0;
                m_nodeType = type;
                m_nodeOffset = pos;
                m_nodeLength = len;
            }
            return type;
        }
        if (type == NodeElement) prevElem = nextElem;
        pos += len;
    }
    return 0;
}

bool CXmlDocument::AddNode(int nodeType, const QString& text) { return AddNodeImpl(nodeType, text, false); }
bool CXmlDocument::InsertNode(int nodeType, const QString& text) { return AddNodeImpl(nodeType, text, true); }

bool CXmlDocument::AddNodeImpl(int nodeType, const QString& text, bool before)
{
    QString markup;
    switch (nodeType)
    {
    case NodeElement:
        if (!XmlIsValidName(text)) return false;
        markup = QLatin1Char('<') + text + QLatin1String("/>");
        return InsertMarkup(false, before, markup, 0);
    case NodeText: markup = XmlEscape(text, 0); break;
    case NodeWhitespace:
        for (QChar c : text)
            if (!XmlIsSpace(c.unicode())) return false;
        markup = text;
        break;
    case NodeCData: markup = CDataSection(text); break;
    case NodeProcessingInstruction:
        if (text.isEmpty() || text.contains(QLatin1String("?>"))) return false;
        markup = QLatin1String("<?") + text + QLatin1String("?>");
        break;
    case NodeComment:
        if (text.contains(QLatin1String("--")) || text.endsWith(QLatin1Char('-'))) return false;
        markup = QLatin1String("<!--") + text + QLatin1String("-->");
        break;
    case NodeDocumentType:
        if (text.contains(QLatin1Char('<')) || text.contains(QLatin1Char('>'))) return false;
        markup = QLatin1String("<!DOCTYPE ") + text + QLatin1Char('>');
        break;
    default: return false;
    }
    if (markup.isEmpty()) return false;
    const bool textLike = nodeType == NodeText || nodeType == NodeWhitespace || nodeType == NodeCData;
    if (!InsertMarkup(false, before, markup, textLike ? AddNoLineBreak : 0)) return false;
    m_nodeType = nodeType;
    return true;
}

bool CXmlDocument::RemoveNode()
{
    if (!m_nodeType) return RemoveElem();
    ReplaceText(m_parent, m_nodeOffset, m_nodeLength, QString());
    ClearNode();
    return true;
}
