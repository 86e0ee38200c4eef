#include "app/core/RecentFiles.h"

#include <QFileInfo>

QStringList AddRecentFile(const QStringList& list, const QString& path, int limit)
{
    const QString added = QFileInfo(path).absoluteFilePath();
    QStringList result{added};
    for (const QString& p : list)
    {
        if (result.size() >= limit) break;
        if (QFileInfo(p).absoluteFilePath() != added && !p.isEmpty()) result << p;
    }
    return result;
}

QStringList ExistingRecentFiles(const QStringList& list)
{
    QStringList result;
    for (const QString& p : list)
        if (QFileInfo::exists(p)) result << p;
    return result;
}
