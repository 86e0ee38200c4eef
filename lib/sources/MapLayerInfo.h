#pragma once

#include "platform/Export.h"

#include <QString>
#include <QStringList>

// What a built-in layer kind tells about itself beyond the layer interface, for tools that
// describe a layer (the command line's layer-info). The source layer kinds implement it beside
// CMapLayer; hosts find it with dynamic_cast.
class TESVANE_API IMapLayerInfo
{
public:
    virtual ~IMapLayerInfo();
    virtual QString KindName() const = 0;
    // Points, entities or features loaded.
    virtual long long ItemCount() const = 0;
    // Further "key: value" lines worth showing; none by default.
    virtual QStringList InfoLines() const;
};

// The layer format a data file most likely holds, judged from its name and content: 5 for
// ".dat", ".txt" and ".csv" text, 2 for ".shp" and ".tab" vector data, 3 for ".dxf" drawings, 9
// for an SQLite file with a table "Point", 10 with a table "AttributeTable", 7 with tables
// "Tiles<level>"; 1 for a raster pyramid's descriptor (a file with its container, the same name
// with "S" added, beside it); 0 when none fits. Opens nothing for writing.
TESVANE_API int DetectLayerFormat(const QString& path);

// True when the file starts with the SQLite header.
TESVANE_API bool IsSqliteFile(const QString& path);
