#include "sources/MapLayerInfo.h"

#include "platform/TextCodec.h"
#include "sources/CppSQLite3.h"

#include <QFile>
#include <QFileInfo>

IMapLayerInfo::~IMapLayerInfo() = default;

QStringList IMapLayerInfo::InfoLines() const { return {}; }

bool IsSqliteFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

int DetectLayerFormat(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("dxf")) return 3;
    if (suffix == QLatin1String("dat") || suffix == QLatin1String("txt") || suffix == QLatin1String("csv")) return 5;
    if (suffix == QLatin1String("shp") || suffix == QLatin1String("tab")) return 2;
    // A raster pyramid's descriptor has its tile container beside it, named with an "S" added.
    if (QFileInfo(path + QLatin1Char('S')).isFile() && !IsSqliteFile(path)) return 1;
    if (!IsSqliteFile(path)) return 0;
    try
    {
        CppSQLite3DB db;
        db.openReadOnly(ToUtf8(path).constData());
        if (db.tableExists(QStringLiteral("Point"))) return 9;
        if (db.tableExists(QStringLiteral("AttributeTable"))) return 10;
        for (int level = 0; level <= 17; ++level)
            if (db.tableExists(QStringLiteral("Tiles%1").arg(level))) return 7;
    }
    catch (const CppSQLite3Exception&)
    {
    }
    return 0;
}
