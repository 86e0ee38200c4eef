#pragma once

#include <QString>
#include <QStringView>

// Entity encoding and decoding of character data and attribute values.

// Code point of a named entity ("amp", "nbsp", "eacute", ...), or -1 when the name is unknown.
// Names are case-sensitive, as in HTML ("Eacute" and "eacute" differ).
int XmlEntityCodePoint(QStringView name);

// Replaces & < > (and with quotes " and ') by references; see CXmlDocument::EscapeFlag.
QString XmlEscape(QStringView text, int flags);

// Decodes named, decimal and hexadecimal references; anything not recognised stays as written.
QString XmlUnescape(QStringView text);
