#pragma once

#include <QStringList>

// The recent-files list of the 线路 menu: newest first, each file once (compared as the system
// compares paths), at most `limit` entries.
QStringList AddRecentFile(const QStringList& list, const QString& path, int limit = 8);
// The list without files that no longer exist.
QStringList ExistingRecentFiles(const QStringList& list);
