#pragma once

#include "platform/Export.h"

#include <QByteArray>
#include <QString>

// Text files of the system (route files, curve exchange files, stake files) are written in the
// ANSI code page of Chinese Windows, GBK (code page 936), so that files exchanged with those
// machines read correctly. Every reader and writer converts through these functions.

// GBK bytes -> text. Bytes that are not valid GBK become U+FFFD; the conversion never fails.
TESVANE_API QString FromAnsi(const QByteArray& bytes);
// Text -> GBK bytes. Characters GBK cannot hold become '?'.
TESVANE_API QByteArray ToAnsi(const QString& text);

TESVANE_API QString FromUtf8(const QByteArray& bytes);
TESVANE_API QByteArray ToUtf8(const QString& text);

// Decodes bytes in the named encoding (as iconv names it: "GB2312", "ISO-8859-1", "UTF-16LE", ...).
// Invalid or truncated sequences become U+FFFD, one per offending byte, so decoding never fails on
// content; *ok is false only when the encoding is unknown (the result is then empty).
TESVANE_API QString DecodeText(const QByteArray& bytes, const char* encoding, bool* ok = nullptr);
// Encodes text in the named encoding; characters it cannot hold become '?'. *ok as for DecodeText.
TESVANE_API QByteArray EncodeText(const QString& text, const char* encoding, bool* ok = nullptr);

// True when iconv knows the encoding name.
TESVANE_API bool IsEncodingKnown(const char* encoding);
