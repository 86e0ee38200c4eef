// Reading and writing text files in the encodings configuration files come in, and the
// one-line description of the result log.

#include "markup/CXmlDocument.h"
#include "markup/XmlElemIndex.h"
#include "markup/XmlEncodings.h"
#include "markup/XmlScan.h"

#include "platform/FileIO.h"
#include "platform/TextCodec.h"

#include <QFileInfo>

namespace
{
QString Num(qint64 n) { return QString::number(n); }

QString DecodeUtf16(const QByteArray& bytes, qsizetype skip, bool bigEndian)
{
    const qsizetype units = (bytes.size() - skip) / 2;
    QString text(units, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(text.data());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + skip;
    for (qsizetype i = 0; i < units; ++i, p += 2)
        o[i] = bigEndian ? char16_t((p[0] << 8) | p[1]) : char16_t(p[0] | (p[1] << 8));
    return text;
}

QByteArray EncodeUtf16(const QString& text, bool bigEndian)
{
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < text.size(); ++i)
    {
        const char hi = char(s[i] >> 8), lo = char(s[i] & 0xFF);
        out[2 * i] = bigEndian ? hi : lo;
        out[2 * i + 1] = bigEndian ? lo : hi;
    }
    return out;
}

// The iconv name that reads or writes an encoding name from a file: through the table's code
// page, else the name itself when iconv knows it; empty when neither works.
QByteArray IconvNameFor(const QString& encoding)
{
    const int cp = CXmlDocument::GetEncodingCodePage(encoding);
    if (cp)
    {
        const QByteArray name = XmlCodePageIconvName(cp);
        if (IsEncodingKnown(name.constData())) return name;
    }
    const QByteArray direct = encoding.trimmed().toLatin1();
    if (!direct.isEmpty() && IsEncodingKnown(direct.constData())) return direct;
    return QByteArray();
}

qsizetype CountQuestionMarks(const char* p, qsizetype n)
{
    qsizetype k = 0;
    for (qsizetype i = 0; i < n; ++i) k += p[i] == '?';
    return k;
}
} // namespace

bool CXmlDocument::ReadTextFile(const QString& path, QString& text, QString* result, int* flags, QString* encoding)
{
    QString log;
    text.clear();
    QByteArray bytes;
    QString error;
    if (!ReadWholeFile(path, bytes, MaxFileBytes, &error))
    {
        if (error.isEmpty()) error = QStringLiteral("cannot read file");
        XmlAppendResult(&log, XmlResultEntry("file_error", {{"msg", error}}));
        if (result) *result = log;
        return false;
    }
    int docFlags = flags ? *flags : 0;
    docFlags &= ~(DocUtf16LeFile | DocUtf8Bom | DocUtf16BeFile);
    QString enc = encoding ? encoding->trimmed() : QString();

    const unsigned char* u = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype skip = 0;
    int utf16 = 0; // 1 little endian, 2 big endian
    if (size >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF)
    {
        skip = 3;
        enc = QStringLiteral("UTF-8");
        docFlags |= DocUtf8Bom;
    }
    else if (size >= 2 && u[0] == 0xFF && u[1] == 0xFE)
    {
        skip = 2;
        enc = QStringLiteral("UTF-16LE");
        docFlags |= DocUtf16LeFile;
        utf16 = 1;
    }
    else if (size >= 2 && u[0] == 0xFE && u[1] == 0xFF)
    {
        skip = 2;
        enc = QStringLiteral("UTF-16BE");
        docFlags |= DocUtf16BeFile;
        utf16 = 2;
    }
    if (skip) XmlAppendResult(&log, XmlResultEntry("bom", {{"encoding", enc}}));

    bool guessedFromTag = false;
    if (!skip && enc.isEmpty())
    {
        enc = GetDeclaredEncoding(UTF8To16(bytes.left(1024)));
        if (enc.isEmpty() && size > 0 && u[0] == '<')
        {
            enc = QStringLiteral("UTF-8");
            guessedFromTag = true;
        }
    }

    if (utf16)
    {
        if ((size - skip) % 2)
            XmlAppendResult(&log, XmlResultEntry("truncation_error", {{"length", Num(size - skip)}}));
        if (utf16 == 2) XmlAppendResult(&log, XmlResultEntry("endian_swap"));
        text = DecodeUtf16(bytes, skip, utf16 == 2);
    }
    else
    {
        int cp = enc.isEmpty() ? 0 : GetEncodingCodePage(enc);
        // A declaration that could be read byte by byte is not in a 16-bit encoding.
        if (cp == kCodePageUtf16Le || cp == kCodePageUtf16Be) cp = kCodePageUtf8;
        const char* data = bytes.constData() + skip;
        const qsizetype n = size - skip;
        if (enc.isEmpty() || guessedFromTag)
        {
            // No declared encoding: UTF-8 if the bytes are valid UTF-8, else the ANSI code page, so
            // that a GBK file without a declaration is not turned into replacement characters.
            if (DetectUTF8(data, n))
            {
                if (enc.isEmpty()) XmlAppendResult(&log, XmlResultEntry("utf8_detection"));
                enc = QStringLiteral("UTF-8");
                cp = kCodePageUtf8;
            }
            else
            {
                enc.clear();
                cp = 0;
            }
        }
        const QByteArray body = skip ? bytes.mid(skip) : bytes;
        QByteArray iconvName;
        if (cp == kCodePageUtf8 || enc.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
            text = UTF8To16(body);
        else if (!enc.isEmpty() && !(iconvName = IconvNameFor(enc)).isEmpty())
            text = DecodeText(body, iconvName.constData());
        else
        {
            XmlAppendResult(&log, XmlResultEntry("ANSI", {{"encoding", enc}}));
            enc.clear();
            text = FromAnsi(body);
        }
        XmlAppendResult(&log, XmlResultEntry("converted_to", {{"encoding", QStringLiteral("UTF-16")},
                                                              {"length", Num(text.size())}}));
    }
    const qsizetype nulls = text.count(QChar(0));
    if (nulls)
    {
        text.remove(QChar(0));
        XmlAppendResult(&log, XmlResultEntry("nulls_removed", {{"count", Num(nulls)}}));
    }
    XmlAppendResult(&log, XmlResultEntry("read", {{"encoding", enc.isEmpty() ? QStringLiteral("ANSI") : enc},
                                                   {"length", Num(size)}}));
    if (result) *result = log;
    if (flags) *flags = docFlags;
    if (encoding) *encoding = enc;
    return true;
}

bool CXmlDocument::WriteTextFile(const QString& path, const QString& text, QString* result, int* flags,
                                 QString* encoding)
{
    QString log;
    const int docFlags = flags ? *flags : 0;
    QString enc = (encoding && !encoding->trimmed().isEmpty()) ? encoding->trimmed() : GetDeclaredEncoding(text);
    if (enc.isEmpty()) enc = QStringLiteral("UTF-8");

    QByteArray out;
    qsizetype lost = 0;
    const bool append = (docFlags & DocAppendFile) != 0;
    QByteArray existing;
    if (append && QFileInfo::exists(path))
    {
        QString error;
        if (!ReadWholeFile(path, existing, MaxFileBytes, &error))
        {
            XmlAppendResult(&log, XmlResultEntry("file_error", {{"msg", error}}));
            if (result) *result = log;
            return false;
        }
    }
    const bool bomAllowed = existing.isEmpty();
    const int cp = GetEncodingCodePage(enc);
    if ((docFlags & (DocUtf16LeFile | DocUtf16BeFile)) || cp == kCodePageUtf16Le || cp == kCodePageUtf16Be)
    {
        const bool big = (docFlags & DocUtf16BeFile) || (!(docFlags & DocUtf16LeFile) && cp == kCodePageUtf16Be);
        enc = big ? QStringLiteral("UTF-16BE") : QStringLiteral("UTF-16LE");
        if (bomAllowed && (docFlags & (DocUtf16LeFile | DocUtf16BeFile)))
            out = big ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
        if (big) XmlAppendResult(&log, XmlResultEntry("endian_swap"));
        out += EncodeUtf16(text, big);
    }
    else
    {
        QByteArray iconvName;
        if (cp == kCodePageUtf8 || enc.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
        {
            if (bomAllowed && (docFlags & DocUtf8Bom)) out = QByteArray("\xEF\xBB\xBF", 3);
            int bad = 0;
            out += UTF16To8(text, &bad);
            lost = bad;
        }
        else
        {
            iconvName = IconvNameFor(enc);
            QByteArray encoded;
            if (iconvName.isEmpty())
            {
                XmlAppendResult(&log, XmlResultEntry("ANSI", {{"encoding", enc}}));
                encoded = ToAnsi(text);
            }
            else
                encoded = EncodeText(text, iconvName.constData());
            // Characters without a representation come out as '?'.
            const qsizetype before = text.count(QLatin1Char('?'));
            lost = CountQuestionMarks(encoded.constData(), encoded.size()) - before;
            out = encoded;
        }
        XmlAppendResult(&log, XmlResultEntry("converted_from", {{"encoding", enc}, {"length", Num(out.size())}}));
    }
    if (lost > 0) XmlAppendResult(&log, XmlResultEntry("conversion_loss", {{"count", Num(lost)}}));
    if (existing.size() + out.size() > MaxFileBytes)
    {
        XmlAppendResult(&log, XmlResultEntry("file_error", {{"msg", QStringLiteral("file too large")}}));
        if (result) *result = log;
        return false;
    }
    QString error;
    if (!WriteFileAtomically(path, existing.isEmpty() ? out : existing + out, &error))
    {
        if (error.isEmpty()) error = QStringLiteral("cannot write file");
        XmlAppendResult(&log, XmlResultEntry("file_error", {{"msg", error}}));
        if (result) *result = log;
        return false;
    }
    XmlAppendResult(&log, XmlResultEntry("write", {{"encoding", enc}, {"length", Num(out.size())}}));
    if (result) *result = log;
    if (encoding) *encoding = enc;
    return true;
}

bool CXmlDocument::Load(const QString& path)
{
    if (m_docFlags & (DocReadFile | DocWriteFile)) return false;
    QString text;
    QString result;
    int flags = m_docFlags;
    QString encoding;
    const bool ok = ReadTextFile(path, text, &result, &flags, &encoding);
    m_result = result;
    if (!ok)
    {
        m_doc.clear();
        ParseWhole();
        return false;
    }
    m_docFlags = flags;
    if (text.size() >= MaxDocumentLength)
    {
        m_doc.clear();
        ParseWhole();
        Report(XmlResultEntry("document_too_large", {{"length", Num(text.size())}}));
        return false;
    }
    m_doc = std::move(text);
    ParseWhole();
    return true;
}

bool CXmlDocument::Save(const QString& path)
{
    if (m_docFlags & (DocReadFile | DocWriteFile)) return false;
    int flags = m_docFlags & ~DocAppendFile;
    QString result;
    const bool ok = WriteTextFile(path, m_doc, &result, &flags, nullptr);
    m_result = result;
    return ok;
}

QString CXmlDocument::GetError() const
{
    QStringList parts;
    CXmlDocument log;
    log.m_doc = m_result;
    log.ParseWhole();
    while (log.FindElem())
    {
        const QString token = log.GetTagName();
        const QString offset = log.GetAttrib(QStringLiteral("offset"));
        const QString tagname = log.GetAttrib(QStringLiteral("tagname"));
        const QString length = log.GetAttrib(QStringLiteral("length"));
        const QString encoding = log.GetAttrib(QStringLiteral("encoding"));
        const QString syntax = QStringLiteral("tag syntax error at offset ") + offset;
        if (token == QLatin1String("root_has_sibling"))
            parts << QStringLiteral("root element has sibling");
        else if (token == QLatin1String("no_root_element"))
            parts << QStringLiteral("no root element");
        else if (token == QLatin1String("lone_end_tag"))
            parts << QStringLiteral("lone end tag '") + tagname + QStringLiteral("' at offset ") + offset;
        else if (token == QLatin1String("unended_start_tag"))
            parts << QStringLiteral("start tag '") + tagname + QStringLiteral("' at offset ") + offset +
                         QStringLiteral(" expecting end tag at offset ") + log.GetAttrib(QStringLiteral("offset2"));
        else if (token == QLatin1String("first_tag_syntax"))
            parts << syntax + QStringLiteral(" expecting tag name / ! or ?");
        else if (token == QLatin1String("exclamation_tag_syntax"))
            parts << syntax + QStringLiteral(" expecting 'DOCTYPE' [ or -");
        else if (token == QLatin1String("doctype_tag_syntax"))
            parts << syntax + QStringLiteral(" expecting markup declaration");
        else if (token == QLatin1String("comment_tag_syntax"))
            parts << syntax + QStringLiteral(" expecting - to begin comment");
        else if (token == QLatin1String("cdata_section_syntax"))
            parts << syntax + QStringLiteral(" expecting 'CDATA'");
        else if (token == QLatin1String("unterminated_tag_syntax"))
            parts << QStringLiteral("unterminated tag at offset ") + offset;
        else if (token == QLatin1String("document_too_large"))
            parts << QStringLiteral("document too large, length ") + length;
        else if (token == QLatin1String("file_error"))
            parts << log.GetAttrib(QStringLiteral("msg"));
        else if (token == QLatin1String("bom"))
            parts << QStringLiteral("BOM +");
        else if (token == QLatin1String("read") || token == QLatin1String("write"))
            parts << QStringLiteral("encoding ") + encoding + QStringLiteral(" length ") + length;
        else if (token == QLatin1String("converted_to") || token == QLatin1String("converted_from"))
            parts << QStringLiteral("to ") + encoding + QStringLiteral(" length ") + length;
        else if (token == QLatin1String("nulls_removed"))
            parts << QStringLiteral("removed ") + log.GetAttrib(QStringLiteral("count")) + QStringLiteral(" nulls");
        else if (token == QLatin1String("conversion_loss"))
            parts << QStringLiteral("(chars lost in conversion!)");
        else if (token == QLatin1String("utf8_detection"))
            parts << QStringLiteral("(used UTF-8 detection)");
        else if (token == QLatin1String("endian_swap"))
            parts << QStringLiteral("endian swap");
        else if (token == QLatin1String("truncation_error"))
            parts << QStringLiteral("length adjustment error");
        else if (token == QLatin1String("ANSI"))
            parts << QStringLiteral("ANSI");
        else
            parts << token;
    }
    return parts.join(QStringLiteral(", "));
}
