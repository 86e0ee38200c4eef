#pragma once

#include "platform/Export.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <map>
#include <memory>

class XmlElemIndex;

// An XML document held as its text plus an index of its elements. The text is the master copy:
// every edit rewrites the affected part of the text and shifts the index, so GetDoc() always
// returns exactly what will be written. The caller walks the document with three positions:
// the parent, the main (current) element and the current child of the main element.
//
// Nothing throws on bad input. Parse and file problems are recorded in the result text
// (GetResult(), GetError()), ill-formed elements are flagged and parsing goes on.
//
// Limits: a document holds at most MaxDocumentLength characters and a file read or written is at
// most MaxFileBytes bytes; larger input is refused with a "file_error"/"document_too_large" entry
// instead of exhausting memory.
class TESVANE_API CXmlDocument
{
public:
    // Document flags (GetDocFlags/SetDocFlags, and the flags of ReadTextFile/WriteTextFile).
    enum DocFlag
    {
        DocUtf16LeFile = 0x1,
        DocUtf8Bom = 0x4,
        DocIgnoreCase = 0x8,
        DocReadFile = 0x10,
        DocWriteFile = 0x20,
        DocAppendFile = 0x40,
        DocUtf16BeFile = 0x80,
    };

    // Flags of AddElem/InsertElem/AddChildElem/InsertChildElem/AddNode/SetData.
    enum AddFlag
    {
        AddEmptyWithSpace = 0x1, // an element without value is written "<name />"
        AddNoLineBreak = 0x2,    // no "\r\n" after the added node
        AddWithCData = 0x4,      // the value goes into a CDATA section instead of being escaped
    };

    // Flags of EscapeText.
    enum EscapeFlag
    {
        EscapeKeepReferences = 0x8, // an ampersand starting a well-formed reference is kept
        EscapeQuotes = 0x100,       // quotation marks and apostrophes too (attribute values)
    };

    // Node kinds returned by FindNode and taken by AddNode/InsertNode.
    enum NodeType
    {
        NodeElement = 0x1,
        NodeText = 0x2,
        NodeWhitespace = 0x4,
        NodeCData = 0x8,
        NodeProcessingInstruction = 0x10,
        NodeComment = 0x20,
        NodeDocumentType = 0x40,
        NodeLoneEndTag = 0x80,
    };

    static constexpr qsizetype MaxDocumentLength = qsizetype(1) << 28; // characters
    static constexpr qint64 MaxFileBytes = qint64(1) << 28;              // bytes

    CXmlDocument();
    explicit CXmlDocument(const QString& text);
    CXmlDocument(const CXmlDocument& other);
    CXmlDocument& operator=(const CXmlDocument& other);
    virtual ~CXmlDocument();

    // Whole document.
    bool SetDoc(const QString& text);
    bool SetDoc(const char16_t* text); // null gives an empty document
    const QString& GetDoc() const { return m_doc; }
    bool IsWellFormed() const;
    QString GetResult() const { return m_result; }
    QString GetError() const;
    int GetDocFlags() const { return m_docFlags; }
    void SetDocFlags(int flags) { m_docFlags = flags; }

    // Files.
    bool Load(const QString& path);
    bool Save(const QString& path);
    static bool ReadTextFile(const QString& path, QString& text, QString* result = nullptr, int* flags = nullptr,
                             QString* encoding = nullptr);
    static bool WriteTextFile(const QString& path, const QString& text, QString* result = nullptr,
                              int* flags = nullptr, QString* encoding = nullptr);

    // Navigation.
    bool FindElem(const QString& name = QString());
    bool FindChildElem(const QString& name = QString());
    bool IntoElem();
    bool OutOfElem();
    void ResetPos();
    void ResetMainPos();
    void ResetChildPos();
    QString GetTagName() const;
    QString GetChildTagName() const;

    // Adding elements.
    bool AddElem(const QString& name, const QString& value = QString(), int flags = 0);
    bool InsertElem(const QString& name, const QString& value = QString(), int flags = 0);
    bool AddChildElem(const QString& name, const QString& value = QString(), int flags = 0);
    bool InsertChildElem(const QString& name, const QString& value = QString(), int flags = 0);
    bool AddElem(const QString& name, int value, int flags = 0);
    bool InsertElem(const QString& name, int value, int flags = 0);
    bool AddChildElem(const QString& name, int value, int flags = 0);
    bool InsertChildElem(const QString& name, int value, int flags = 0);

    // Data and attributes.
    QString GetData() const;
    QString GetChildData() const;
    bool SetData(const QString& value, int flags = 0);
    bool SetData(int value);
    bool SetChildData(const QString& value, int flags = 0);
    bool SetChildData(int value);
    QString GetAttrib(const QString& name) const;
    QString GetChildAttrib(const QString& name) const;
    bool SetAttrib(const QString& name, const QString& value);
    bool SetAttrib(const QString& name, int value);
    bool SetChildAttrib(const QString& name, const QString& value);
    bool SetChildAttrib(const QString& name, int value);
    bool AddAttrib(const QString& name, const QString& value) { return SetAttrib(name, value); }
    bool AddAttrib(const QString& name, int value) { return SetAttrib(name, value); }
    bool AddChildAttrib(const QString& name, const QString& value) { return SetChildAttrib(name, value); }
    bool AddChildAttrib(const QString& name, int value) { return SetChildAttrib(name, value); }
    // The n-th attribute (from 0) of the main element; false when there is none.
    bool GetNthAttrib(int n, QString& name, QString& value) const;
    QString GetAttribName(int n) const;
    // The markup between the start and end tag of the main element, as written.
    QString GetElemContent() const;
    bool SetElemContent(const QString& markup);

    // Whole elements as text.
    bool AddSubDoc(const QString& subDoc, int flags = 0);
    bool InsertSubDoc(const QString& subDoc, int flags = 0);
    QString GetSubDoc() const;
    bool AddChildSubDoc(const QString& subDoc, int flags = 0);
    bool InsertChildSubDoc(const QString& subDoc, int flags = 0);
    QString GetChildSubDoc() const;

    // Removal. The position moves to the previous sibling (or none).
    bool RemoveElem();
    bool RemoveChildElem();

    // Nodes of any kind under the parent position.
    int FindNode(int typeMask = 0); // the node type found, 0 when there is no further node
    int GetNodeType() const { return m_nodeType; }
    bool AddNode(int nodeType, const QString& text);
    bool InsertNode(int nodeType, const QString& text);
    bool RemoveNode(); // the main position becomes the element before the removed node

    // Named positions.
    bool SavePos(const QString& name = QString());
    bool RestorePos(const QString& name = QString());
    void SetMapSize(int size) { (void)size; }

    // Text helpers.
    static QString EscapeText(QStringView text, int flags = 0);
    static QString UnescapeText(QStringView text);
    static QString GetDeclaredEncoding(QStringView text);
    static int GetEncodingCodePage(QStringView name);

    // Character conversions. The encoders write at most 4 bytes / 2 units to `out` (which may be
    // null to count) and return how many. The decoders advance `p` and return the code point, or
    // -1 for an invalid or truncated sequence (after skipping one unit).
    static int EncodeCharUTF8(int codePoint, char* out);
    static int DecodeCharUTF8(const char*& p, const char* end);
    static int EncodeCharUTF16(int codePoint, char16_t* out);
    static int DecodeCharUTF16(const char16_t*& p, const char16_t* end);
    // Invalid sequences become U+FFFD, lone surrogates included; the count of those goes to *lost.
    static QByteArray UTF16To8(QStringView text, int* lost = nullptr);
    static QString UTF8To16(const QByteArray& bytes, int* invalid = nullptr);
    // True when every byte above 0x7F starts a valid UTF-8 sequence. `nonAscii` receives the number
    // of multibyte characters; a sequence cut off by the end of the buffer is accepted when
    // `allowCutEnd` (used on the first kilobyte of a file).
    static bool DetectUTF8(const char* bytes, qsizetype length, int* nonAscii = nullptr, bool allowCutEnd = false);

private:
    struct Position
    {
        int parent = 0;
        int main = 0;
        int child = 0;
    };

    // Parsing.
    void ParseWhole();
    int ParseRange(qsizetype begin, qsizetype end, int parent, int* lastTop);
    void Report(const QString& entry);

    // Element geometry.
    QStringView TagNameAt(int i) const;
    qsizetype ContentBegin(int i) const;
    qsizetype ContentEnd(int i) const;
    bool NameMatches(int i, const QString& name) const;
    int FindSibling(int after, int parent, const QString& name) const;
    QString DataOf(int i) const;
    QString AttribOf(int i, const QString& name) const;
    bool SetDataOf(int i, const QString& value, int flags);
    bool SetAttribOf(int i, const QString& name, const QString& value);
    QString SubDocOf(int i) const;

    // Editing.
    qsizetype ReplaceText(int container, qsizetype pos, qsizetype oldLength, const QString& text);
    bool OpenEmptyElement(int i, int flags);
    bool InsertMarkup(bool child, bool before, const QString& markup, int flags);
    bool AddNodeImpl(int nodeType, const QString& text, bool before);
    bool InsertSubDocImpl(bool child, bool before, const QString& subDoc, int flags);
    bool RemoveElement(int i);
    void FreeSubtree(int i);
    void MarkIllFormed(int i);
    void ClearNode();

    QString m_doc;
    QString m_result;
    int m_parent = 0;
    int m_main = 0;
    int m_child = 0;
    int m_nodeType = 0;
    qsizetype m_nodeOffset = 0;
    qsizetype m_nodeLength = 0;
    int m_docFlags = 0;
    std::map<QString, Position> m_savedPos;
    std::unique_ptr<XmlElemIndex> m_index;
};
