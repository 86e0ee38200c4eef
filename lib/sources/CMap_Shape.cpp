#include "sources/CMap_Shape.h"

#include "map/CMapDefine.h"
#include "sources/CMap_Shape_Detail.h"

#include <QFile>
#include <QFileInfo>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <mutex>

using namespace shapedetail;

namespace shapedetail
{
QuietGdal::QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
QuietGdal::~QuietGdal() { CPLPopErrorHandler(); }

void RegisterDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}
} // namespace shapedetail

void SpatialRefDeleter::operator()(OGRSpatialReference* srs) const
{
    if (srs) srs->Release();
}

void CMap_Shape::DataSetCloser::operator()(GDALDataset* ds) const { GDALClose(ds); }

CMap_Shape::CMap_Shape()
{
    RegisterDrivers();
    const CMapDefine palette;
    m_MapItem.Format = 2;
    m_MapItem.Style = 1;
    m_MapItem.Size = 1;
    m_MapItem.clrOutLine = palette.GetRandColor();
    m_MapItem.clrFill = palette.GetRandColor();
    m_MapItem.clrText = palette.GetRandColor();
    m_MapItem.DisplayField = -1;
    m_MapItem.Visible = 1;
    m_MapItem.Search = 1;
    m_MapItem.Select = 1;
    m_MapItem.SemiTransparence = 1;
    m_System.Ellipsoid = WGS84Ellipsoid();
    m_System.Projection.Type = -1;
}

CMap_Shape::~CMap_Shape()
{
    Clear();
    std::lock_guard<std::mutex> lock(m_DataLock);
    m_DataSource.reset();
}

OGRLayer* CMap_Shape::Layer() const
{
    if (!m_DataSource || m_DataSource->GetLayerCount() < 1) return nullptr;
    return m_DataSource->GetLayer(0);
}

void CMap_Shape::SetMapItem(const MapConfigItem& item)
{
    if (item.Select != m_MapItem.Select) m_SelectFIDs.clear();
    const int kind = m_MapItem.Style;
    const bool labelsChanged = item.DisplayField != m_MapItem.DisplayField;
    m_MapItem = item;
    if (m_Kind) m_MapItem.Style = kind;
    if (labelsChanged)
    {
        std::lock_guard<std::mutex> lock(m_DataLock);
        m_LabelCache.clear();
    }
}

int CMap_Shape::Open()
{
    Clear();
    m_Index.clear();
    ClearSlots();
    const QString path = m_MapItem.FullPathName;
    QuietGdal quiet;
    {
        std::lock_guard<std::mutex> lock(m_DataLock);
        m_DataSource.reset();
        m_LabelCache.clear();
        m_Kind = 0;
        m_EntityCount = 0;
        m_FirstFID = 0;
        m_HasExtent = false;
        const QByteArray file = QFile::encodeName(path);
        const char* const drivers[] = {"ESRI Shapefile", "MapInfo File", nullptr};
        // Texts are decoded by the source (DecodeText), so the driver must not recode them.
        const char* const shapeOptions[] = {"ENCODING=", nullptr};
        const bool isShape = QFileInfo(path).suffix().compare(QLatin1String("shp"), Qt::CaseInsensitive) == 0;
        if (!path.isEmpty() && QFileInfo(path).isFile())
            m_DataSource.reset(GDALDataset::Open(file.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers,
                                                 isShape ? shapeOptions : nullptr, nullptr));
        if (m_DataSource && !Layer()) m_DataSource.reset();
    }
    if (!m_DataSource)
    {
        m_FillConfig.LoadShapeConfig(QString(), nullptr, nullptr);
        return 0;
    }
    ReadPROJParameter();
    OGRLayer* layer = Layer();
    m_Encoding = LayerEncoding(layer);
    OGREnvelope env;
    if (layer->GetExtent(&env, TRUE) == OGRERR_NONE && std::isfinite(env.MinX) && std::isfinite(env.MaxX) &&
        std::isfinite(env.MinY) && std::isfinite(env.MaxY))
    {
        m_MinX = env.MinX;
        m_MaxX = env.MaxX;
        m_MinY = env.MinY;
        m_MaxY = env.MaxY;
        m_HasExtent = true;
    }
    m_EntityCount = std::max<GIntBig>(0, layer->GetFeatureCount(TRUE));
    m_Kind = 1;
    layer->ResetReading();
    if (FeaturePtr first{layer->GetNextFeature()})
    {
        m_FirstFID = first->GetFID();
        if (const OGRGeometry* g = first->GetGeometryRef())
        {
            const OGRwkbGeometryType t = wkbFlatten(g->getGeometryType());
            if (t == wkbPolygon || t == wkbMultiPolygon || t == wkbCurvePolygon || t == wkbMultiSurface)
                m_Kind = 3;
            else if (t == wkbLineString || t == wkbMultiLineString || t == wkbCircularString ||
                     t == wkbCompoundCurve || t == wkbMultiCurve)
                m_Kind = 2;
        }
    }
    layer->ResetReading();
    m_MapItem.Style = m_Kind;
    if (m_Kind == 1) m_MapItem.Size = std::max(m_MapItem.Size, 2);
    if (m_Kind == 3)
        m_FillConfig.LoadShapeConfig(path, layer, m_pProgress);
    else
        m_FillConfig.LoadShapeConfig(QString(), nullptr, nullptr);
    return 1;
}

int CMap_Shape::GetRange_Shape(double& minX, double& maxX, double& minY, double& maxY) const
{
    if (!m_HasExtent) return 0;
    minX = m_MinY; // northing first
    maxX = m_MaxY;
    minY = m_MinX;
    maxY = m_MaxX;
    return 1;
}

namespace
{
// The survey rectangle around a data set rectangle: corners and edge midpoints converted, since a
// straight edge in one system bends in another.
void SurveyBox(CMap_ShapeConvert& convert, double minN, double maxN, double minE, double maxE, double& minX,
               double& maxX, double& minY, double& maxY)
{
    minX = minY = HUGE_VAL;
    maxX = maxY = -HUGE_VAL;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
        {
            double x, y;
            convert.ShapeToSurvey(minN + (maxN - minN) * i / 2.0, minE + (maxE - minE) * j / 2.0, x, y);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
}
} // namespace

int CMap_Shape::GetRange_Survey(double& minX, double& maxX, double& minY, double& maxY)
{
    double a, b, c, d;
    if (!GetRange_Shape(a, b, c, d)) return 0;
    SurveyBox(m_Convert, a, b, c, d, minX, maxX, minY, maxY);
    return 1;
}

int CMap_Shape::GetRangeShapeByID(long fid, double& minX, double& maxX, double& minY, double& maxY) const
{
    const int slot = SlotOf(fid);
    if (fid < 0 || slot < 0) return 0;
    const ShapeIndexRecord& r = m_Index[size_t(slot)];
    minX = r.MinY;
    maxX = r.MaxY;
    minY = r.MinX;
    maxY = r.MaxX;
    return 1;
}

int CMap_Shape::GetRangeSurveyByID(long fid, double& minX, double& maxX, double& minY, double& maxY)
{
    double a, b, c, d;
    if (!GetRangeShapeByID(fid, a, b, c, d)) return 0;
    SurveyBox(m_Convert, a, b, c, d, minX, maxX, minY, maxY);
    return 1;
}

QStringList CMap_Shape::GetFieldNames() const
{
    QStringList names;
    std::lock_guard<std::mutex> lock(m_DataLock);
    if (OGRLayer* layer = Layer())
    {
        OGRFeatureDefn* defn = layer->GetLayerDefn();
        for (int i = 0; i < defn->GetFieldCount(); ++i) names << DecodeText(defn->GetFieldDefn(i)->GetNameRef(), m_Encoding);
    }
    return names;
}

void CMap_Shape::UpdateFillColors()
{
    std::lock_guard<std::mutex> lock(m_DataLock);
    OGRLayer* layer = Layer();
    if (!layer || m_Planes.empty()) return;
    QuietGdal quiet;
    for (auto& plane : m_Planes)
    {
        FeaturePtr f{layer->GetFeature(plane->GetFID())};
        plane->SetFillColor(f ? m_FillConfig.GetFillColor(f.get()) : -1);
    }
}
