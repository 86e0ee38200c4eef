// Character conversions, entity helpers and the declared-encoding lookup.

#include "markup/CXmlDocument.h"
#include "markup/XmlEncodings.h"
#include "markup/XmlEntities.h"
#include "markup/XmlScan.h"

namespace
{
inline bool IsCont(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at p (1..4), 0 when invalid, -1 when cut off by `end`.
int Utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    int n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2;
    else if (b >= 0xE0 && b <= 0xEF)
    {
        n = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F; // no surrogates
    }
    else if (b >= 0xF0 && b <= 0xF4)
    {
        n = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    }
    else
        return 0;
    for (int k = 1; k < n; ++k)
    {
        if (p + k >= end) return -1;
        const unsigned char c = p[k];
        if (k == 1 ? (c < lo || c > hi) : !IsCont(c)) return 0;
    }
    return n;
}
} // namespace

int CXmlDocument::EncodeCharUTF8(int c, char* out)
{
    if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    char buf[4];
    char* o = out ? out : buf;
    if (c < 0x80)
    {
        o[0] = char(c);
        return 1;
    }
    if (c < 0x800)
    {
        o[0] = char(0xC0 | (c >> 6));
        o[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000)
    {
        o[0] = char(0xE0 | (c >> 12));
        o[1] = char(0x80 | ((c >> 6) & 0x3F));
        o[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    o[0] = char(0xF0 | (c >> 18));
    o[1] = char(0x80 | ((c >> 12) & 0x3F));
    o[2] = char(0x80 | ((c >> 6) & 0x3F));
    o[3] = char(0x80 | (c & 0x3F));
    return 4;
}

int CXmlDocument::DecodeCharUTF8(const char*& p, const char* end)
{
    if (p >= end) return -1;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    const int n = Utf8SequenceLength(u, reinterpret_cast<const unsigned char*>(end));
    if (n <= 0)
    {
        ++p;
        return -1;
    }
    int c;
    switch (n)
    {
    case 1: c = u[0]; break;
    case 2: c = ((u[0] & 0x1F) << 6) | (u[1] & 0x3F); break;
    case 3: c = ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F); break;
    default: c = ((u[0] & 0x07) << 18) | ((u[1] & 0x3F) << 12) | ((u[2] & 0x3F) << 6) | (u[3] & 0x3F); break;
    }
    p += n;
    return c;
}

int CXmlDocument::EncodeCharUTF16(int c, char16_t* out)
{
    if (c < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    char16_t buf[2];
    char16_t* o = out ? out : buf;
    if (c < 0x10000)
    {
        o[0] = char16_t(c);
        return 1;
    }
    c -= 0x10000;
    o[0] = char16_t(0xD800 + (c >> 10));
    o[1] = char16_t(0xDC00 + (c & 0x3FF));
    return 2;
}

int CXmlDocument::DecodeCharUTF16(const char16_t*& p, const char16_t* end)
{
    if (p >= end) return -1;
    const char16_t u = *p++;
    if (u < 0xD800 || u > 0xDFFF) return u;
    if (u >= 0xDC00 || p >= end || *p < 0xDC00 || *p > 0xDFFF) return -1; // lone surrogate
    const char16_t v = *p++;
    return 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00);
}

QByteArray CXmlDocument::UTF16To8(QStringView text, int* lost)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 4 + 16);
    const char16_t* p = text.utf16();
    const char16_t* end = p + text.size();
    int bad = 0;
    while (p < end)
    {
        // ASCII runs go straight through.
        const char16_t* run = p;
        while (p < end && *p < 0x80) ++p;
        if (p > run)
        {
            const qsizetype n = p - run;
            const qsizetype at = out.size();
            out.resize(at + n);
            char* o = out.data() + at;
            for (qsizetype k = 0; k < n; ++k) o[k] = char(run[k]);
            if (p >= end) break;
        }
        int c = DecodeCharUTF16(p, end);
        if (c < 0)
        {
            ++bad;
            c = 0xFFFD;
        }
        char buf[4];
        out.append(buf, EncodeCharUTF8(c, buf));
    }
    if (lost) *lost = bad;
    return out;
}

QString CXmlDocument::UTF8To16(const QByteArray& bytes, int* invalid)
{
    QString out;
    out.resize(bytes.size());
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    char16_t* const o0 = o;
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    int bad = 0;
    while (p < end)
    {
        const unsigned char b = static_cast<unsigned char>(*p);
        if (b < 0x80)
        {
            *o++ = b;
            ++p;
            continue;
        }
        int c = DecodeCharUTF8(p, end);
        if (c < 0)
        {
            ++bad;
            c = 0xFFFD;
        }
        o += EncodeCharUTF16(c, o); // never longer than the bytes it came from
    }
    out.resize(o - o0);
    if (invalid) *invalid = bad;
    return out;
}

bool CXmlDocument::DetectUTF8(const char* bytes, qsizetype length, int* nonAscii, bool allowCutEnd)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + length;
    int count = 0;
    bool ok = true;
    while (p < end)
    {
        if (*p < 0x80)
        {
            ++p;
            continue;
        }
        const int n = Utf8SequenceLength(p, end);
        if (n == -1 && allowCutEnd) break;
        if (n <= 0)
        {
            ok = false;
            break;
        }
        ++count;
        p += n;
    }
    if (nonAscii) *nonAscii = count;
    return ok;
}

QString CXmlDocument::EscapeText(QStringView text, int flags) { return XmlEscape(text, flags); }
QString CXmlDocument::UnescapeText(QStringView text) { return XmlUnescape(text); }
int CXmlDocument::GetEncodingCodePage(QStringView name) { return XmlEncodingCodePage(name); }

namespace
{
// Value of attribute `name` inside s (a tag's text), case-insensitive name; empty when absent.
QString AttributeIn(QStringView s, QStringView name)
{
    qsizetype from = 0;
    while (true)
    {
        const qsizetype at = s.indexOf(name, from, Qt::CaseInsensitive);
        if (at < 0) return QString();
        from = at + name.size();
        if (at > 0 && !XmlIsSpace(s[at - 1].unicode())) continue;
        qsizetype q = from;
        while (q < s.size() && XmlIsSpace(s[q].unicode())) ++q;
        if (q >= s.size() || s[q] != u'=') continue;
        ++q;
        while (q < s.size() && XmlIsSpace(s[q].unicode())) ++q;
        if (q >= s.size()) return QString();
        if (s[q] == u'"' || s[q] == u'\'')
        {
            const qsizetype close = s.indexOf(s[q], q + 1);
            if (close < 0) return QString();
            return s.mid(q + 1, close - q - 1).toString();
        }
        qsizetype e = q;
        while (e < s.size() && !XmlIsSpace(s[e].unicode()) && s[e] != u'>' && s[e] != u'/') ++e;
        return s.mid(q, e - q).toString();
    }
}
} // namespace

QString CXmlDocument::GetDeclaredEncoding(QStringView text)
{
    // Only the start of the text counts, as only the start of a file is examined when reading.
    QStringView s = text.left(1024);
    if (s.startsWith(u'\xFEFF')) s = s.mid(1);
    if (s.startsWith(u"<?xml") && s.size() > 5 && (XmlIsSpace(s[5].unicode()) || s[5] == u'?'))
    {
        const qsizetype close = s.indexOf(u"?>");
        if (close < 0) return QString();
        return AttributeIn(s.mid(5, close - 5), u"encoding").trimmed();
    }
    // An HTML page: <meta http-equiv="Content-Type" content="text/html; charset=..."> in the head.
    const qsizetype html = s.indexOf(u"<html", 0, Qt::CaseInsensitive);
    if (html < 0) return QString();
    const qsizetype head = s.indexOf(u"<head", html, Qt::CaseInsensitive);
    if (head < 0) return QString();
    qsizetype from = head;
    while (true)
    {
        const qsizetype meta = s.indexOf(u"<meta", from, Qt::CaseInsensitive);
        if (meta < 0) return QString();
        const qsizetype close = s.indexOf(u'>', meta);
        if (close < 0) return QString();
        const QStringView tag = s.mid(meta + 5, close - meta - 5);
        from = close;
        if (AttributeIn(tag, u"http-equiv").compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) != 0)
            continue;
        const QString content = AttributeIn(tag, u"content");
        const qsizetype cs = content.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
        if (cs < 0) continue;
        QString name = content.mid(cs + 8);
        const qsizetype stop = name.indexOf(QLatin1Char(';'));
        if (stop >= 0) name.truncate(stop);
        return name.trimmed();
    }
}
