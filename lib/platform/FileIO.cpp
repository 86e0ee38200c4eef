#include "platform/FileIO.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    // Without this, QSaveFile falls back to writing in place when the folder does not allow a
    // temporary file, which is exactly what must not happen.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
    {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size())
    {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
    {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxBytes, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.size() > maxBytes)
    {
        if (error) *error = QStringLiteral("file too large");
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
    {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

QString JoinPath(const QString& folder, const QString& name)
{
    QString n = name;
    while (n.startsWith(QLatin1Char('\\')) || n.startsWith(QLatin1Char('/'))) n.remove(0, 1);
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (folder.isEmpty()) return n;
    return QDir(folder).filePath(n);
}
