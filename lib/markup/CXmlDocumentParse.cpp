// The scanner that builds the element index from the document text. It never recurses: open
// elements are kept on a heap stack, so nesting depth costs memory only. Every construct is
// scanned once, and a construct that cannot end (an unterminated comment, CDATA section or tag)
// ends the scan, so the time is linear in the length of the text whatever it holds.

#include "markup/CXmlDocument.h"
#include "markup/XmlElemIndex.h"
#include "markup/XmlEntities.h"
#include "markup/XmlScan.h"

#include <QHash>
#include <vector>

namespace
{
// Counts the open elements per name, so that an end tag matching no open element is recognised
// at once instead of by a walk up the whole stack (which would make a run of stray end tags under
// deep nesting quadratic). Keys are exact names, or case-folded names in the case-insensitive mode.
class OpenNames
{
public:
    explicit OpenNames(bool ignoreCase) : m_ignoreCase(ignoreCase) {}
    void Add(QStringView name)
    {
        if (m_ignoreCase)
            ++m_folded[name.toString().toCaseFolded()];
        else
            ++m_exact[name];
    }
    void Remove(QStringView name)
    {
        if (m_ignoreCase)
            Drop(m_folded, name.toString().toCaseFolded());
        else
            Drop(m_exact, name);
    }
    bool Contains(QStringView name) const
    {
        return m_ignoreCase ? m_folded.contains(name.toString().toCaseFolded()) : m_exact.contains(name);
    }

private:
    template <typename Map, typename Key>
    static void Drop(Map& map, const Key& key)
    {
        auto it = map.find(key);
        if (it != map.end() && --it.value() == 0) map.erase(it);
    }
    bool m_ignoreCase;
    QHash<QStringView, int> m_exact;
    QHash<QString, int> m_folded;
};

inline bool NamesEqual(const char16_t* a, const char16_t* b, qsizetype n, bool ignoreCase)
{
    if (!ignoreCase)
    {
        for (qsizetype i = 0; i < n; ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    return QStringView(a, n).compare(QStringView(b, n), Qt::CaseInsensitive) == 0;
}

// Index of the first occurrence of `pattern` in s[from, end), or -1.
qsizetype FindFrom(const char16_t* s, qsizetype from, qsizetype end, QStringView pattern)
{
    if (from >= end) return -1;
    const qsizetype at = QStringView(s + from, end - from).indexOf(pattern);
    return at < 0 ? -1 : from + at;
}

bool StartsWith(const char16_t* s, qsizetype pos, qsizetype end, const char* lit)
{
    for (qsizetype i = 0; lit[i]; ++i)
        if (pos + i >= end || s[pos + i] != char16_t(static_cast<unsigned char>(lit[i]))) return false;
    return true;
}

struct OpenElem
{
    int elem;
    int lastChild;
    qsizetype nameOffset;
    qsizetype nameLength;
};
} // namespace

QString XmlResultEntry(const char* token, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    QString e = QLatin1Char('<') + QLatin1String(token);
    for (const auto& a : attributes)
    {
        e += QLatin1Char(' ') + QLatin1String(a.first) + QLatin1String("=\"");
        e += XmlEscape(a.second.left(200), 0x100) + QLatin1Char('"');
    }
    e += QLatin1String("/>");
    return e;
}

void CXmlDocument::Report(const QString& entry) { XmlAppendResult(&m_result, entry); }

void CXmlDocument::MarkIllFormed(int i)
{
    XmlElemIndex& idx = *m_index;
    while (true)
    {
        XmlElemRecord& r = idx[i];
        if (r.IsIllFormed()) return;
        r.endTagAndFlags |= XmlElemRecord::FlagIllFormed;
        if (i == 0) return;
        i = r.parent;
    }
}

void CXmlDocument::ParseWhole()
{
    XmlElemIndex& idx = *m_index;
    idx.Clear();
    m_parent = m_main = m_child = 0;
    ClearNode();
    m_savedPos.clear();
    idx[0].length = static_cast<int32_t>(m_doc.size());
    int last = 0;
    const int first = ParseRange(0, m_doc.size(), 0, &last);
    idx[0].firstChild = first;
    if (first)
    {
        idx[first].prev = last;
        if (idx[first].next)
        {
            const XmlElemRecord& sib = idx[idx[first].next];
            if (!XmlResultFull(&m_result))
                Report(XmlResultEntry("root_has_sibling", {{"tagname", TagNameAt(idx[first].next).toString()},
                                                           {"offset", QString::number(sib.start)}}));
        }
    }
    else if (!m_doc.isEmpty())
    {
        Report(XmlResultEntry("no_root_element"));
    }
}

int CXmlDocument::ParseRange(qsizetype begin, qsizetype end, int parent, int* lastTop)
{
    XmlElemIndex& idx = *m_index;
    const char16_t* s = reinterpret_cast<const char16_t*>(m_doc.utf16());
    const bool ignoreCase = (m_docFlags & DocIgnoreCase) != 0;

    std::vector<OpenElem> open;
    OpenNames openNames(ignoreCase);
    auto nameAt = [s](qsizetype off, qsizetype len) { return QStringView(s + off, len); };
    int topFirst = 0;
    int topLast = 0;

    auto currentParent = [&]() { return open.empty() ? parent : open.back().elem; };
    auto problem = [&](const char* token, std::initializer_list<std::pair<const char*, QString>> attrs) {
        MarkIllFormed(currentParent());
        if (!XmlResultFull(&m_result)) Report(XmlResultEntry(token, attrs));
    };
    auto appendChild = [&](int e) {
        if (open.empty())
        {
            idx[e].parent = parent;
            if (topLast)
            {
                idx[topLast].next = e;
                idx[e].prev = topLast;
            }
            else
                topFirst = e;
            topLast = e;
        }
        else
        {
            OpenElem& o = open.back();
            idx[e].parent = o.elem;
            if (o.lastChild)
            {
                idx[o.lastChild].next = e;
                idx[e].prev = o.lastChild;
            }
            else
                idx[o.elem].firstChild = e;
            o.lastChild = e;
        }
    };
    // Pops the top open element. `closeAt` is where it ends; endTagLength 0 means it had none.
    auto closeTop = [&](qsizetype closeAt, qsizetype endTagLength) {
        const OpenElem o = open.back();
        open.pop_back();
        openNames.Remove(nameAt(o.nameOffset, o.nameLength));
        XmlElemRecord& r = idx[o.elem];
        r.length = static_cast<int32_t>(closeAt - r.start);
        r.SetEndTagLength(static_cast<int32_t>(endTagLength));
        if (r.firstChild) idx[r.firstChild].prev = o.lastChild;
        if (endTagLength == 0)
        {
            MarkIllFormed(o.elem);
            if (!XmlResultFull(&m_result))
                Report(XmlResultEntry("unended_start_tag",
                                      {{"tagname", QString(reinterpret_cast<const QChar*>(s + o.nameOffset),
                                                           o.nameLength)},
                                       {"offset", QString::number(r.start)},
                                       {"offset2", QString::number(closeAt)}}));
        }
    };

    qsizetype pos = begin;
    while (pos < end)
    {
        const char16_t* lt = s + pos;
        const char16_t* stop = s + end;
        while (lt < stop && *lt != '<') ++lt;
        if (lt == stop) break;
        pos = lt - s;
        if (pos + 1 >= end)
        {
            problem("unterminated_tag_syntax", {{"type", QStringLiteral("tag")}, {"offset", QString::number(pos)}});
            break;
        }
        const char16_t c = s[pos + 1];
        if (c == '/')
        {
            const qsizetype nameOff = pos + 2;
            qsizetype q = nameOff;
            while (q < end && !XmlIsNameEnd(s[q])) ++q;
            const qsizetype nameLen = q - nameOff;
            while (q < end && s[q] != '>' && s[q] != '<') ++q;
            if (q >= end || s[q] != '>')
            {
                problem("unterminated_tag_syntax",
                        {{"type", QStringLiteral("end_tag")}, {"offset", QString::number(pos)}});
                if (q >= end) break;
                pos = q;
                continue;
            }
            const qsizetype tagEnd = q + 1;
            bool matched = false;
            if (!open.empty() && open.back().nameLength == nameLen &&
                NamesEqual(s + open.back().nameOffset, s + nameOff, nameLen, ignoreCase))
            {
                closeTop(tagEnd, tagEnd - pos);
                matched = true;
            }
            else if (nameLen > 0 && openNames.Contains(nameAt(nameOff, nameLen)))
            {
                // An ancestor has this name: the elements above it were never ended.
                size_t k = open.size();
                while (k > 0)
                {
                    const OpenElem& o = open[k - 1];
                    if (o.nameLength == nameLen && NamesEqual(s + o.nameOffset, s + nameOff, nameLen, ignoreCase))
                        break;
                    --k;
                }
                if (k > 0)
                {
                    while (open.size() > k) closeTop(pos, 0);
                    closeTop(tagEnd, tagEnd - pos);
                    matched = true;
                }
            }
            if (!matched)
                problem("lone_end_tag", {{"tagname", QString(reinterpret_cast<const QChar*>(s + nameOff), nameLen)},
                                         {"offset", QString::number(pos)}});
            pos = tagEnd;
        }
        else if (c == '?')
        {
            const qsizetype q = FindFrom(s, pos + 2, end, u"?>");
            if (q < 0)
            {
                problem("unterminated_tag_syntax", {{"type", QStringLiteral("processing_instruction")},
                                                    {"offset", QString::number(pos)}});
                break;
            }
            pos = q + 2;
        }
        else if (c == '!')
        {
            if (StartsWith(s, pos, end, "<!--"))
            {
                const qsizetype q = FindFrom(s, pos + 4, end, u"-->");
                if (q < 0)
                {
                    problem("unterminated_tag_syntax",
                            {{"type", QStringLiteral("comment")}, {"offset", QString::number(pos)}});
                    break;
                }
                pos = q + 3;
            }
            else if (StartsWith(s, pos, end, "<![CDATA["))
            {
                const qsizetype q = FindFrom(s, pos + 9, end, u"]]>");
                if (q < 0)
                {
                    problem("unterminated_tag_syntax",
                            {{"type", QStringLiteral("cdata_section")}, {"offset", QString::number(pos)}});
                    break;
                }
                pos = q + 3;
            }
            else if (StartsWith(s, pos, end, "<!DOCTYPE"))
            {
                // Brackets enclose the internal subset; quoted literals may hold '>' and brackets.
                qsizetype q = pos + 9;
                int depth = 0;
                char16_t quote = 0;
                for (; q < end; ++q)
                {
                    const char16_t d = s[q];
                    if (quote)
                    {
                        if (d == quote) quote = 0;
                    }
                    else if (d == '"' || d == '\'')
                        quote = d;
                    else if (d == '[')
                        ++depth;
                    else if (d == ']')
                    {
                        if (depth > 0) --depth;
                    }
                    else if (d == '>' && depth == 0)
                        break;
                }
                if (q >= end)
                {
                    problem("unterminated_tag_syntax",
                            {{"type", QStringLiteral("document_type")}, {"offset", QString::number(pos)}});
                    break;
                }
                if (parent != 0 || !open.empty() || topFirst != 0)
                    problem("doctype_tag_syntax", {{"offset", QString::number(pos)}});
                pos = q + 1;
            }
            else
            {
                const char* token = "exclamation_tag_syntax";
                if (pos + 2 < end && s[pos + 2] == '-')
                    token = "comment_tag_syntax";
                else if (pos + 2 < end && s[pos + 2] == '[')
                    token = "cdata_section_syntax";
                problem(token, {{"offset", QString::number(pos)}});
                pos += 2;
            }
        }
        else if (XmlIsNameStart(c))
        {
            const qsizetype nameOff = pos + 1;
            qsizetype q = nameOff;
            while (q < end && !XmlIsNameEnd(s[q])) ++q;
            const qsizetype nameLen = q - nameOff;
            // '<' cannot appear inside a tag, not even in a quoted value; meeting one means the
            // tag was never closed, and scanning resumes there.
            char16_t quote = 0;
            for (; q < end; ++q)
            {
                const char16_t d = s[q];
                if (d == '<') break;
                if (quote)
                {
                    if (d == quote) quote = 0;
                }
                else if (d == '>')
                    break;
                else if (d == '"' || d == '\'')
                    quote = d;
            }
            if (q >= end || s[q] != '>')
            {
                problem("unterminated_tag_syntax",
                        {{"type", QStringLiteral("start_tag")}, {"offset", QString::number(pos)}});
                if (q >= end) break;
                pos = q;
                continue;
            }
            const qsizetype tagEnd = q + 1;
            const bool empty = s[q - 1] == '/' && q - 1 >= nameOff + nameLen;
            const int e = idx.Allocate();
            idx[e].start = static_cast<int32_t>(pos);
            idx[e].startTagLength = static_cast<int32_t>(tagEnd - pos);
            appendChild(e);
            if (empty)
                idx[e].length = static_cast<int32_t>(tagEnd - pos);
            else
            {
                open.push_back(OpenElem{e, 0, nameOff, nameLen});
                openNames.Add(nameAt(nameOff, nameLen));
            }
            pos = tagEnd;
        }
        else
        {
            problem("first_tag_syntax", {{"offset", QString::number(pos)}});
            pos += 1;
        }
    }
    while (!open.empty()) closeTop(end, 0);
    if (lastTop) *lastTop = topLast;
    return topFirst;
}
