#pragma once

#include "markup/CXmlDocument.h"
#include "platform/Export.h"

#include <QString>

// A configuration file of the program's one layout:
//
//   <?xml version="1.0" encoding="UTF-8"?>
//   <HEAD><section><Ver>1.0.1.1</Ver> values, and groups holding values </section></HEAD>
//
// (each element on a line of its own, lines ended with "\r\n"). A value is an element of the
// section or a child of a group element. Reading walks the document forward, as writing does: a
// value is looked for after the one found before it, so readers ask for values in the order the
// writer adds them, and a value that is missing (or out of that order) is not found and the
// caller's value is left as it was. The version is written for older readers and never compared.
class TESVANE_API ConfigDocument
{
public:
    // A new document holding the section and its version, ready for values to be added.
    explicit ConfigDocument(const QString& section);

    // Replaces the document by the file and steps into its section, past the version. False when
    // the file cannot be read or has no HEAD or no such section (nothing can be read then).
    bool Load(const QString& path);
    // Writes the whole document in UTF-8 without a byte-order mark, atomically: a failed save
    // leaves the previous file as it was.
    bool Save(const QString& path);

    // Values of the section itself.
    void Add(const QString& name, const QString& text);
    void Add(const QString& name, int value);
    bool Read(const QString& name, QString& text);
    // `parse` turns the text into a T; each file keeps its own number reading.
    template <class T, class Parse> bool Read(const QString& name, T& value, Parse parse)
    {
        QString text;
        if (!Read(name, text)) return false;
        value = parse(text);
        return true;
    }

    // Groups: an element of the section whose children are values. AddGroup makes the new group
    // the one AddChild writes into; FindGroup moves to the next group of that name (false when
    // there is none after the current position) for ReadChild.
    void AddGroup(const QString& name);
    bool FindGroup(const QString& name);
    void AddChild(const QString& name, const QString& text);
    void AddChild(const QString& name, int value);
    bool ReadChild(const QString& name, QString& text);
    template <class T, class Parse> bool ReadChild(const QString& name, T& value, Parse parse)
    {
        QString text;
        if (!ReadChild(name, text)) return false;
        value = parse(text);
        return true;
    }
    // The next ReadChild searches the group from its first child again, for files whose groups
    // may hold their values in any order.
    void RewindChildren();

private:
    QString m_section;
    CXmlDocument m_xml;
};
