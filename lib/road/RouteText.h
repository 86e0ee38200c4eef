#pragma once

#include "platform/Export.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Text helpers shared by the readers and writers of route, curve exchange and stake files.
// Numbers in them are read and written with platform/NumberText.h.

// Splits file text into lines. A line ends at CR LF, LF or CR alone, so files from any system
// read alike; every line is kept, including a last line without a line end, and no line keeps
// a line-end character.
TESVANE_API QStringList SplitTextLines(const QString& text);

// Reads a whole text file in the ANSI code page. False when the file is missing or unreadable.
TESVANE_API bool ReadAnsiTextFile(const QString& path, QString& text);

// One record of a route library file: a nine-character key such as "ROADNAME:" and the values
// after it.
struct RouteFileLine
{
    QString key;
    QString values;
};

// Reads a route library file (ANSI text, one record a line). Lines shorter than 8 characters are
// skipped. False, with `records` untouched, when the path is blank, names no file or cannot be
// read, so a failed read never clears a route held in memory.
TESVANE_API bool ReadRouteFileLines(const QString& path, std::vector<RouteFileLine>& records);

// The route name of a "ROADNAME:" record: the text before the first comma.
TESVANE_API QString RouteNameOf(const QString& values);

// Writes text (lines already ended with "\r\n") in the ANSI code page, atomically: the previous
// file stays intact if anything fails.
TESVANE_API bool WriteAnsiTextFile(const QString& path, const QString& text);

// Splits a record's value part at commas; fields past the end are empty.
TESVANE_API QStringList SplitFields(const QString& values, int minimumCount);

// A text stored between commas must not contain a comma (it would end the field early and shift
// every value after it into the wrong place) nor a line break (it would end the record): such
// characters become a full-width comma and a blank; everything else is kept as it is.
TESVANE_API QString FieldText(const QString& text);
