#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <utility>

// Character classes and the result-log helpers shared by the parser, the editor and the file code.

inline bool XmlIsSpace(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Characters that end a tag or attribute name.
inline bool XmlIsNameEnd(char16_t c)
{
    return XmlIsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=' || c == '"' || c == '\'';
}

inline bool XmlIsNameStart(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

// A name the editor may write: it must read back as the same single name.
inline bool XmlIsValidName(QStringView name)
{
    if (name.isEmpty() || !XmlIsNameStart(name[0].unicode())) return false;
    for (QChar qc : name)
    {
        const char16_t c = qc.unicode();
        const bool ok = XmlIsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok || (c >= 0xFFFE)) return false;
    }
    return true;
}

// The result text is a list of small elements; it stops growing at this many characters.
constexpr qsizetype kMaxResultLength = 1000;

inline bool XmlResultFull(const QString* result) { return !result || result->size() >= kMaxResultLength; }

// Appends `<token a="v" .../>`; attribute values are escaped.
QString XmlResultEntry(const char* token, std::initializer_list<std::pair<const char*, QString>> attributes = {});
inline void XmlAppendResult(QString* result, const QString& entry)
{
    if (!XmlResultFull(result)) result->append(entry);
}
