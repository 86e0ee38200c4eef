#pragma once

// Writes small shapefiles with GDAL for the shape source tests.

#include "platform/MessageSink.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <string>
#include <utility>
#include <vector>

namespace shapetest
{
struct Field
{
    const char* name;
    OGRFieldType type;
};

struct Feature
{
    std::string wkt; // empty: no geometry
    QStringList values;
};

// A UTF-8 shapefile (with its ".cpg") at `path`; false when GDAL refuses.
inline bool WriteShapefile(const QString& path, OGRwkbGeometryType type, const std::vector<Field>& fields,
                           const std::vector<Feature>& features)
{
    GDALAllRegister();
    const QFileInfo info(path);
    for (const char* ext : {"shp", "shx", "dbf", "cpg", "prj"})
        QFile::remove(info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + QLatin1String(ext)));
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
    if (!driver) return false;
    GDALDataset* ds = driver->Create(QFile::encodeName(path).constData(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!ds) return false;
    const char* options[] = {"ENCODING=UTF-8", nullptr};
    OGRLayer* layer = ds->CreateLayer(QFileInfo(path).completeBaseName().toUtf8().constData(), nullptr, type, const_cast<char**>(options));
    bool ok = layer != nullptr;
    for (const Field& f : fields)
    {
        OGRFieldDefn defn(f.name, f.type);
        if (f.type == OFTReal) defn.SetPrecision(6);
        ok = ok && layer->CreateField(&defn) == OGRERR_NONE;
    }
    for (const Feature& in : features)
    {
        if (!ok) break;
        OGRFeature* f = OGRFeature::CreateFeature(layer->GetLayerDefn());
        for (int i = 0; i < in.values.size(); ++i) f->SetField(i, in.values[i].toUtf8().constData());
        if (!in.wkt.empty())
        {
            OGRGeometry* g = nullptr;
            OGRGeometryFactory::createFromWkt(in.wkt.c_str(), nullptr, &g);
            f->SetGeometryDirectly(g);
        }
        ok = layer->CreateFeature(f) == OGRERR_NONE;
        OGRFeature::DestroyFeature(f);
    }
    GDALClose(ds);
    return ok;
}

inline std::string Square(double x0, double y0, double side)
{
    char buf[256];
    std::snprintf(buf, sizeof buf, "POLYGON ((%.6f %.6f,%.6f %.6f,%.6f %.6f,%.6f %.6f,%.6f %.6f))", x0, y0, x0 + side, y0,
                  x0 + side, y0 + side, x0, y0 + side, x0, y0);
    return buf;
}

// Records the messages shown while it lives.
struct MessageRecorder
{
    QStringList texts;
    MessageHandler previous;
    MessageRecorder()
    {
        previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind) {
            texts << text;
            return MessageAnswer::Ok;
        });
    }
    ~MessageRecorder() { SetMessageHandler(previous); }
};
} // namespace shapetest
