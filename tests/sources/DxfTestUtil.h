#pragma once

// Small DXF drawings written as text for the drawing-source tests.

#include "sources/CMap_DXF.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace dxftest
{
// Group code / value pairs, one per line each.
inline QByteArray G(std::initializer_list<std::pair<int, QByteArray>> groups)
{
    QByteArray out;
    for (const auto& [code, value] : groups) out += QByteArray::number(code) + "\n" + value + "\n";
    return out;
}

inline QByteArray Section(const QByteArray& name, const QByteArray& body)
{
    return G({{0, "SECTION"}, {2, name}}) + body + G({{0, "ENDSEC"}});
}

inline QByteArray Header(double minX = 0, double minY = 0, double maxX = 100, double maxY = 100)
{
    return Section("HEADER", G({{9, "$ACADVER"}, {1, "AC1015"}, {9, "$EXTMIN"}, {10, QByteArray::number(minX)},
                                {20, QByteArray::number(minY)}, {30, "0"}, {9, "$EXTMAX"},
                                {10, QByteArray::number(maxX)}, {20, QByteArray::number(maxY)}, {30, "0"}}));
}

inline QByteArray Layer(const QByteArray& name, int colour)
{
    return G({{0, "LAYER"}, {2, name}, {70, "0"}, {62, QByteArray::number(colour)}, {6, "CONTINUOUS"}});
}

inline QByteArray Line(double x1, double y1, double x2, double y2, int colour = 256, const QByteArray& layer = "0")
{
    return G({{0, "LINE"}, {8, layer}, {62, QByteArray::number(colour)}, {10, QByteArray::number(x1)},
              {20, QByteArray::number(y1)}, {11, QByteArray::number(x2)}, {21, QByteArray::number(y2)}});
}

inline QByteArray Block(const QByteArray& name, const QByteArray& body, double bx = 0, double by = 0)
{
    return G({{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, QByteArray::number(bx)}, {20, QByteArray::number(by)},
              {3, name}}) +
           body + G({{0, "ENDBLK"}, {8, "0"}});
}

inline QByteArray Insert(const QByteArray& name, double x, double y, double angle = 0, int colour = 256)
{
    return G({{0, "INSERT"}, {8, "0"}, {62, QByteArray::number(colour)}, {2, name}, {10, QByteArray::number(x)},
              {20, QByteArray::number(y)}, {50, QByteArray::number(angle)}});
}

// LWPOLYLINE through (x, y, bulge) triples.
inline QByteArray LwPolyline(const std::vector<std::array<double, 3>>& v, bool closed = false, int colour = 256)
{
    QByteArray out = G({{0, "LWPOLYLINE"}, {8, "0"}, {62, QByteArray::number(colour)},
                        {90, QByteArray::number(int(v.size()))}, {70, closed ? "1" : "0"}});
    for (const auto& p : v)
    {
        out += G({{10, QByteArray::number(p[0], 'g', 17)}, {20, QByteArray::number(p[1], 'g', 17)}});
        if (p[2] != 0) out += G({{42, QByteArray::number(p[2], 'g', 17)}});
    }
    return out;
}

inline QByteArray Drawing(const QByteArray& entities, const QByteArray& blocks = {}, const QByteArray& layers = {},
                          const QByteArray& header = Header())
{
    QByteArray out = header;
    if (!layers.isEmpty()) out += Section("TABLES", G({{0, "TABLE"}, {2, "LAYER"}}) + layers + G({{0, "ENDTAB"}}));
    if (!blocks.isEmpty()) out += Section("BLOCKS", blocks);
    out += Section("ENTITIES", entities) + G({{0, "EOF"}});
    return out;
}

inline bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Opens `bytes` as a drawing in `dxf`; the result of Open.
inline int OpenBytes(CMap_DXF& dxf, const QString& path, const QByteArray& bytes)
{
    Write(path, bytes);
    MapConfigItem item = dxf.GetMapItem();
    item.FullPathName = path;
    dxf.SetMapItem(item);
    return dxf.Open();
}

// All polylines of all colours.
inline std::vector<std::vector<CVector>> AllLines(const CMap_DXF& dxf)
{
    std::vector<std::vector<CVector>> out;
    for (const auto& layer : dxf.GetLayers())
        for (const auto& l : layer->Lines()) out.emplace_back(l.begin(), l.end());
    return out;
}

inline const CMap_DXFLayer* LayerOf(const CMap_DXF& dxf, int colour)
{
    for (const auto& layer : dxf.GetLayers())
        if (layer->GetLayerName() == colour) return layer.get();
    return nullptr;
}
} // namespace dxftest
