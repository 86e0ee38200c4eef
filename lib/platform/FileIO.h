#pragma once

#include "platform/Export.h"

#include <QByteArray>
#include <QString>

// Writes the bytes to a temporary file beside `path` and renames it over `path` only when every
// byte is on disk, so that a failure half-way (disk full, no permission) never leaves a truncated
// file and never loses the previous one. Returns false on any failure; `error` (when given)
// receives the reason.
TESVANE_API bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Reads a whole file. Returns false when it cannot be opened or read, or when it is larger than
// maxBytes (protection against reading a huge unrelated file into memory).
TESVANE_API bool ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxBytes = qint64(1) << 31,
                               QString* error = nullptr);

// Joins a folder and a file name with '/'. Names written with a leading "\" (as configuration
// names traditionally are) are accepted: the backslash is taken as the separator.
TESVANE_API QString JoinPath(const QString& folder, const QString& name);
