#include "sources/CMap_DXF.h"

#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"

#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <charconv>
#include <exception>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <sstream>
#include <streambuf>

namespace
{
// A group code line: an integer, nothing else.
bool ParseCode(const char* line, int length, int& code)
{
    if (length <= 0) return false;
    const char* begin = line;
    if (*begin == '+') ++begin;
    const auto r = std::from_chars(begin, line + length, code);
    return r.ec == std::errc() && r.ptr == line + length;
}

// Hands dxflib one group at a time. Its parser keeps part of its state in the reading function
// (the group code that polyline, spline, hatch and text data are matched against), so groups go
// through that function rather than straight to the group handler.
// dxflib allocates the point and knot arrays of some entities at the size their count groups
// declare, before any point arrives: a count of billions is billions of doubles, a negative one a
// failed allocation. No entity can hold more items than the rest of the file has group pairs (at
// least four bytes each), so counts are clamped to that.
bool IsCountGroup(const std::string& entity, int code)
{
    if (entity == "SPLINE") return code == 72 || code == 73 || code == 74;
    if (entity == "LWPOLYLINE") return code == 90;
    if (entity == "LEADER") return code == 76;
    if (entity == "HATCH") return code == 91 || code == 93 || code == 95 || code == 96;
    return false;
}

// dxflib reads each value as a C string: a NUL byte ends it there, and the whitespace before the
// NUL is stripped as at the end of a line. Everything here must see the value as dxflib does, or
// an entity type with NULs after it ("SPLINE\r\0\0") would escape the count clamp below.
void CutAtNul(const char* line, int& length)
{
    const void* nul = std::memchr(line, '\0', size_t(length));
    if (!nul) return;
    length = int(static_cast<const char*>(nul) - line);
    while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t' || line[length - 1] == '\r' ||
                          line[length - 1] == '\n'))
        --length;
}

// What dxflib is given in place of an entity the source reads itself.
constexpr char kDirectPlaceholder[] = "TESVANE_READ_DIRECTLY";

class GroupBuffer : public std::streambuf
{
public:
    void Set(int code, const char* value, int length)
    {
        m_Text.clear();
        char digits[16];
        const auto r = std::to_chars(digits, digits + sizeof digits, code);
        m_Text.append(digits, r.ptr);
        m_Text += '\n';
        m_Text.append(value, size_t(length));
        m_Text += '\n';
        setg(m_Text.data(), m_Text.data(), m_Text.data() + m_Text.size());
    }

private:
    std::string m_Text;
};
} // namespace

void CMap_DXF::ReportProgress()
{
    const long long length = m_ReadFile.FileLength();
    const long long done = m_ReadFile.BytesConsumed();
    m_LoadPos.store(done);
    if (!m_pProgress || length <= 0) return;
    const int percent = int(done * 100 / length);
    if (percent != m_LastPercent)
    {
        m_LastPercent = percent;
        m_pProgress->SetPercent(percent);
    }
}

int CMap_DXF::Import()
{
    // A new import replaces the previous drawing; the header extent read for it stays.
    const double minX = m_MinX, minY = m_MinY, maxX = m_MaxX, maxY = m_MaxY;
    Release();
    m_MinX = minX, m_MinY = minY, m_MaxX = maxX, m_MaxY = maxY;
    m_Stop.store(false);
    m_Length.store(0);
    if (!m_ReadFile.Open(m_MapItem.FullPathName)) return 0;
    m_Length.store(m_ReadFile.FileLength());
    m_LastPercent = -1;
    if (m_pProgress)
    {
        m_pProgress->SetCaption(m_MapItem.FullPathName);
        m_pProgress->Reset();
    }

    DL_Dxf parser;
    {
        // Reading an empty stream puts the parser into its start state without a file.
        std::istringstream empty;
        parser.in(empty, this);
    }
    bool failed = false;
    GroupBuffer buffer;
    std::istream groups(&buffer);
    const char* line = nullptr;
    int length = 0;
    long long count = 0;
    while (!m_Stop.load() && m_ReadFile.ReadLine(line, length))
    {
        int code = 0;
        if (!ParseCode(line, length, code))
        {
            // Not a group code: the text is no DXF, or it lost its pairing. Blank lines at the
            // end of a file are harmless.
            if (length == 0) continue;
            failed = true;
            break;
        }
        if (!m_ReadFile.ReadLine(line, length)) break;
        CutAtNul(line, length);
        if (code != 0 && m_Direct.kind != DirectEntity::None)
        {
            TakeDirect(code, line, length);
            NoteGroup(code, line, length);
            while (m_ReadFile.LastLineCut() && m_ReadFile.ReadLine(line, length))
            {
            }
            if ((++count & 1023) == 0) ReportProgress();
            continue;
        }
        // The entity read directly ends here, before dxflib hears of the next one.
        if (code == 0) FinishDirect();
        const bool direct = code == 0 && m_DirectReading && StartDirect(line, length);
        char clamped[24];
        if (IsCountGroup(m_EntityType, code))
        {
            long long declared = 0;
            std::from_chars(line, line + length, declared);
            const long long most = (m_ReadFile.FileLength() - m_ReadFile.BytesConsumed()) / 4 + 1;
            const long long count = std::clamp(declared, 0LL, most);
            const auto r = std::to_chars(clamped, clamped + sizeof clamped, count);
            line = clamped;
            length = int(r.ptr - clamped);
        }
        // dxflib is told only that an entity it does not know starts: it closes its own.
        if (direct) buffer.Set(0, kDirectPlaceholder, int(sizeof kDirectPlaceholder) - 1);
        else buffer.Set(code, line, length);
        NoteGroup(code, line, length);
        const bool entityStarts = code == 0;
        if (entityStarts) m_NextEntityType.assign(line, size_t(length));
        // A value longer than the reader's line comes in pieces: keep the first, drop the rest,
        // so that the next line read is a group code again.
        while (m_ReadFile.LastLineCut() && m_ReadFile.ReadLine(line, length))
        {
        }
        groups.clear();
        try
        {
            parser.readDxfGroups(groups, this);
        }
        catch (const std::exception&)
        {
            // dxflib gave up on the group (an allocation it could not make): the file is damaged.
            failed = true;
            break;
        }
        if (entityStarts)
        {
            m_EntityType = m_NextEntityType;
            m_EntityBlockName.clear();
            m_MTextHasDirection = false;
            m_MTextDirX = 1.0, m_MTextDirY = 0.0;
            m_EntityGroups[0] = m_EntityGroups[1] = m_EntityGroups[2] = 0;
        }
        if ((++count & 1023) == 0) ReportProgress();
    }
    // The last entity is reported when the next one starts: a file cut short gets one.
    if (!failed)
    {
        FinishDirect();
        buffer.Set(0, "EOF", 3);
        groups.clear();
        try
        {
            parser.readDxfGroups(groups, this);
        }
        catch (const std::exception&)
        {
            failed = true;
        }
    }
    FinishPending();
    m_ReadFile.Close();
    m_Blocks.clear();
    m_BlockIndex.clear();
    m_pBlock = nullptr;
    if (failed)
    {
        Release();
        m_MinX = minX, m_MinY = minY, m_MaxX = maxX, m_MaxY = maxY;
        return 0;
    }
    if (m_pProgress && m_LastPercent != 100 && !m_Stop.load())
    {
        m_LastPercent = 100;
        m_pProgress->SetPercent(100);
    }
    m_LoadPos.store(m_ReadFile.FileLength());
    return 1;
}

void CMap_DXF::NoteGroup(int groupCode, const char* value, int length)
{
    // Only a few groups matter here; most pass without a copy.
    if (groupCode != 2 && groupCode != 10 && groupCode != 11 && groupCode != 21 && groupCode != 40) return;
    const std::string groupValue(value, size_t(length));
    // dxflib does not hand over the block a dimension draws itself with: take it from the stream.
    if (groupCode == 2 && m_EntityType == "DIMENSION") m_EntityBlockName = QString::fromStdString(groupValue);
    if (m_EntityType == "MTEXT" && (groupCode == 11 || groupCode == 21))
    {
        m_MTextHasDirection = true;
        (groupCode == 11 ? m_MTextDirX : m_MTextDirY) = std::strtod(groupValue.c_str(), nullptr);
    }
    // dxflib sizes the point arrays of LWPOLYLINE, SPLINE and LEADER by the counts the entity
    // declares and keeps them from one entity to the next: what this entity really has is
    // counted here, and no more points are taken from dxflib than that.
    if (groupCode == 10) ++m_EntityGroups[0];
    else if (groupCode == 11) ++m_EntityGroups[1];
    else if (groupCode == 40) ++m_EntityGroups[2];
}

void CMap_DXF::setVariableString(const std::string& key, const std::string& value, int)
{
    if (key == "$ACADVER") m_AcadVer = value;
    else if (key == "$DWGCODEPAGE") m_CodePage = value;
}

namespace
{
bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
} // namespace

QString CMap_DXF::DecodeBytes(const QByteArray& raw) const
{
    // From AutoCAD 2007 (AC1021) on, DXF text is UTF-8; before, it is in the drawing's code page.
    if (m_AcadVer >= "AC1021") return FromUtf8(raw);
    if (m_CodePage.size() > 5 && m_CodePage.compare(0, 5, "ANSI_") == 0 && m_CodePage != "ANSI_936")
    {
        const std::string name = "CP" + m_CodePage.substr(5);
        bool ok = false;
        const QString text = ::DecodeText(raw, name.c_str(), &ok);
        if (ok) return text;
    }
    // No code page, or Chinese: GBK, unless the bytes are plain UTF-8.
    const QString utf8 = FromUtf8(raw);
    return utf8.contains(QChar(0xFFFD)) ? FromAnsi(raw) : utf8;
}

QString CMap_DXF::DecodeText(const std::string& bytes) const
{
    // \U+XXXX stands for a character the code page could not hold. The escapes are cut out
    // before the bytes are decoded: a double-byte code page would otherwise take the backslash
    // as the second byte of a character.
    QString text;
    size_t from = 0;
    for (size_t at = bytes.find("\\U+"); at != std::string::npos; at = bytes.find("\\U+", at + 1))
    {
        if (at + 7 > bytes.size() || !IsHex(bytes[at + 3]) || !IsHex(bytes[at + 4]) || !IsHex(bytes[at + 5]) ||
            !IsHex(bytes[at + 6]))
            continue;
        text += DecodeBytes(QByteArray::fromStdString(bytes.substr(from, at - from)));
        const uint cp = uint(std::stoul(bytes.substr(at + 3, 4), nullptr, 16));
        if (cp > 0) text += QChar(char16_t(cp));
        from = at + 7;
        at += 6;
    }
    text += DecodeBytes(QByteArray::fromStdString(bytes.substr(from)));
    // Control codes of single-line texts.
    if (text.contains(QLatin1String("%%")))
    {
        text.replace(QLatin1String("%%d"), QStringLiteral("°"), Qt::CaseInsensitive);
        text.replace(QLatin1String("%%c"), QStringLiteral("Ø"), Qt::CaseInsensitive);
        text.replace(QLatin1String("%%p"), QStringLiteral("±"), Qt::CaseInsensitive);
        text.replace(QLatin1String("%%u"), QString(), Qt::CaseInsensitive);
        text.replace(QLatin1String("%%o"), QString(), Qt::CaseInsensitive);
        text.replace(QLatin1String("%%%"), QStringLiteral("%"));
    }
    return text;
}
