#include "app/core/MapLayerList.h"

#include "app/core/MapViewLogic.h"
#include "coord/CCoordinateSystem.h"
#include "map/CMapManage.h"
#include "markup/ConfigDocument.h"
#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "sources/CMapLayer_DAT.h"
#include "sources/CMapLayer_Google.h"
#include "sources/CMapLayer_SHP.h"
#include "sources/CMap_DAT.h"
#include "sources/CMap_Shape.h"
#include "sources/MapLayerInfo.h"

#include <QFileInfo>

#include <algorithm>

namespace
{
const QString kCoordinateFile = QStringLiteral("MapCoordinate.cfg");
const QString kCoordinateSection = QStringLiteral("MapCoordinate");
const QString kCoordinateValue = QStringLiteral("CoordinateSystemFile");

// Layer colours that show on the map's black background, by position in the list (0x00BBGGRR):
// yellow, cyan, magenta, orange, light green, pink.
unsigned long DistinctColour(int index)
{
    static const unsigned long colours[] = {0x00FFFF, 0xFFFF00, 0xFF00FF, 0x0080FF, 0x80FF80, 0xC080FF};
    return colours[index % 6];
}

QString LoadFailureReason(const QString& path, int format)
{
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("文件不存在。");
    if (!info.isFile() || !info.isReadable()) return QStringLiteral("文件不能读取。");
    return QStringLiteral("文件不是可以读取的%1数据，或其中没有可以显示的内容。").arg(CMapLayerList::KindName(format));
}
} // namespace

CMapLayerList::CMapLayerList(CMapManage& map, const QString& configDir) : m_Map(map), m_ConfigDir(configDir)
{
    CCoordinateSystem::Initialize(m_Coordinate);
    // Until a coordinate system is chosen, layers keep their own coordinates: an ellipsoid without
    // an axis tells every source that there is no survey system to convert to.
    ApplyCoordinateSystem();
    m_Mark.SetConvert(&m_Map.m_MapConvert);
    m_Map.m_OverlayLayers.push_back(&m_Mark);
}

CMapLayerList::~CMapLayerList()
{
    m_Queue.clear();
    m_Current.reset();
    m_Draining.clear();
    m_Map.WaitForDrawing();
    auto& overlay = m_Map.m_OverlayLayers;
    overlay.erase(std::remove(overlay.begin(), overlay.end(), &m_Mark), overlay.end());
}

const std::vector<CMapLayerList::Kind>& CMapLayerList::Kinds()
{
    static const std::vector<Kind> kinds = {
        {5, QStringLiteral("点文件"), QStringLiteral("*.dat *.txt *.csv")},
        {9, QStringLiteral("点数据库"), QStringLiteral("*.db")},
        {2, QStringLiteral("Shapefile"), QStringLiteral("*.shp *.tab")},
        {3, QStringLiteral("DXF 图纸"), QStringLiteral("*.dxf")},
        {10, QStringLiteral("实体数据库"), QStringLiteral("*.db")},
        {7, QStringLiteral("瓦片集"), QStringLiteral("*.db")},
        {1, QStringLiteral("影像"), QStringLiteral("*.img")},
    };
    return kinds;
}

QString CMapLayerList::KindName(int format)
{
    if (format == 4) return QStringLiteral("Shapefile");
    if (format == 6) return QStringLiteral("影像");
    for (const Kind& k : Kinds())
        if (k.format == format) return k.name;
    return QStringLiteral("格式 %1").arg(format);
}

QString CMapLayerList::FileFilter()
{
    QStringList patterns;
    for (const Kind& k : Kinds())
        for (const QString& p : k.filter.split(QLatin1Char(' ')))
            if (!patterns.contains(p)) patterns << p;
    QStringList filters{QStringLiteral("所有地图文件 (%1)").arg(patterns.join(QLatin1Char(' ')))};
    for (const Kind& k : Kinds()) filters << QStringLiteral("%1 (%2)").arg(k.name, k.filter);
    return filters.join(QStringLiteral(";;"));
}

// ---------------------------------------------------------------------------------------------
// Rows

int CMapLayerList::Count() const { return static_cast<int>(m_Map.m_MapLayers.size()); }

bool CMapLayerList::ValidRow(int row) const { return row >= 0 && row < Count() && m_Map.m_MapLayers[size_t(row)]; }

CMapLayer* CMapLayerList::Layer(int row) const { return ValidRow(row) ? m_Map.m_MapLayers[size_t(row)].get() : nullptr; }

int CMapLayerList::RowOfPath(const QString& path) const
{
    for (int i = 0; i < Count(); ++i)
        if (ValidRow(i) && m_Map.m_MapLayers[size_t(i)]->GetMapItem().FullPathName == path) return i;
    return -1;
}

LayerRow CMapLayerList::Row(int row) const
{
    LayerRow r;
    const CMapLayer* layer = Layer(row);
    if (!layer) return r;
    const MapConfigItem item = layer->GetMapItem();
    r.name = item.LayerName.isEmpty() ? QFileInfo(item.FullPathName).completeBaseName() : item.LayerName;
    r.path = item.FullPathName;
    r.format = item.Format;
    r.kind = KindName(item.Format);
    r.visible = item.Visible != 0;
    if (layer->IsLoad())
        r.state = LayerState::Loaded;
    else
    {
        const auto it = m_States.find(item.FullPathName);
        r.state = it == m_States.end() ? LayerState::NotLoaded : it->second;
        if (r.state == LayerState::Loaded) r.state = LayerState::NotLoaded;
    }
    const auto reason = m_Reasons.find(item.FullPathName);
    if (reason != m_Reasons.end()) r.reason = reason->second;
    return r;
}

MapConfigItem CMapLayerList::Item(int row) const
{
    const CMapLayer* layer = Layer(row);
    return layer ? layer->GetMapItem() : MapConfigItem();
}

// ---------------------------------------------------------------------------------------------
// Adding and loading

bool CMapLayerList::AddLayer(const QString& pathIn, int format, QString* error)
{
    const QFileInfo info(pathIn);
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (!info.isFile()) return fail(QStringLiteral("文件不存在：\n%1").arg(pathIn));
    const QString path = info.absoluteFilePath();
    if (RowOfPath(path) >= 0) return fail(QStringLiteral("这个文件已经是地图的图层：\n%1").arg(path));
    if (format == 0) format = DetectLayerFormat(path);
    if (format == 0)
        return fail(QStringLiteral("不能判断文件的图层类型：\n%1\n请在文件对话框中选择图层类型后再打开。").arg(path));
    const std::unique_ptr<CMapLayer> defaults = CreateMapLayer(format);
    if (!defaults) return fail(QStringLiteral("没有能读取%1的图层类型：\n%2").arg(KindName(format), path));

    MapConfigItem item = defaults->GetMapItem();
    item.LayerName = info.completeBaseName();
    item.FullPathName = path;
    item.Format = format;
    item.Visible = 1;
    item.Search = 1;
    // Features of the vector kinds can be picked with the selection tool.
    item.Select = (format == 2 || format == 4 || format == 5 || format == 10) ? 1 : 0;
    // Points are shown with their names.
    if (format == 5 || format == 9) item.DisplayField = 0;
    // Parcels are filled with their colour at half opacity: a solid white fill would hide the
    // white centre line and whatever lies under them.
    if (format == 2 || format == 4)
    {
        item.clrFill = item.clrOutLine;
        item.SemiTransparence = 1;
    }
    if (item.clrOutLine == 0) item.clrOutLine = DistinctColour(Count());
    if (item.clrText == 0) item.clrText = DistinctColour(Count());
    // The first layer of the list is drawn on top: a new layer goes there.
    if (!m_Map.InsertMapLayer(0, item)) return fail(QStringLiteral("不能添加图层：\n%1").arg(path));
    Save();
    Queue(path);
    Redraw();
    return true;
}

bool CMapLayerList::ShowStakeFile(const QString& path, QString* error)
{
    const int row = RowOfPath(QFileInfo(path).absoluteFilePath());
    if (row >= 0) Remove(row);
    return AddLayer(path, 5, error);
}

void CMapLayerList::Restore()
{
    ConfigDocument cfg(kCoordinateSection);
    QString coordinatePath;
    if (cfg.Load(JoinPath(m_ConfigDir, kCoordinateFile)) && cfg.Read(kCoordinateValue, coordinatePath) &&
        !coordinatePath.isEmpty())
    {
        QString error;
        if (!SetCoordinateSystem(coordinatePath, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
    }
    for (int i = Count() - 1; i >= 0; --i)
        if (ValidRow(i) && !Layer(i)->IsLoad()) Queue(Layer(i)->GetMapItem().FullPathName);
}

void CMapLayerList::Reload(int row)
{
    const CMapLayer* layer = Layer(row);
    if (!layer || layer->IsLoad()) return;
    const QString path = layer->GetMapItem().FullPathName;
    if (m_Current && m_Current->Path() == path) return;
    for (const Pending& p : m_Queue)
        if (p.path == path) return;
    Queue(path);
}

void CMapLayerList::Queue(const QString& path)
{
    m_States[path] = LayerState::NotLoaded;
    m_Reasons.erase(path);
    m_Queue.push_back({path});
    if (!m_Current) StartNextLoad();
}

void CMapLayerList::StartNextLoad()
{
    while (!m_Current && !m_Queue.empty())
    {
        const QString path = m_Queue.front().path;
        m_Queue.pop_front();
        const int row = RowOfPath(path);
        if (row < 0) continue; // removed meanwhile
        const MapConfigItem item = Layer(row)->GetMapItem();
        std::unique_ptr<CMapLayer> copy = CreateMapLayer(item.Format);
        if (!copy) continue;
        copy->SetMapItem(item);
        copy->SetEllipsoid(m_Map.GetSurveyEllipsoid());
        copy->SetProjection(m_Map.GetSurveyProjection());
        copy->SetBackGroundColor(Layer(row)->GetBackGroundColor());
        m_States[path] = LayerState::Loading;
        ++m_LoadStateChanges;
        m_Current = std::make_unique<CLayerLoader>(std::move(copy), m_Map.m_MapConvert);
    }
}

bool CMapLayerList::FinishLoads()
{
    m_Draining.erase(std::remove_if(m_Draining.begin(), m_Draining.end(),
                                    [](const std::unique_ptr<CLayerLoader>& l) { return l->IsFinished(); }),
                     m_Draining.end());
    if (!m_Current || !m_Current->IsFinished()) return false;
    std::unique_ptr<CLayerLoader> done = std::move(m_Current);
    PlaceLoadedLayer(*done);
    done.reset();
    StartNextLoad();
    return true;
}

void CMapLayerList::PlaceLoadedLayer(CLayerLoader& loader)
{
    const QString path = loader.Path();
    const int row = RowOfPath(path);
    std::unique_ptr<CMapLayer> loaded = loader.TakeLayer();
    ++m_LoadStateChanges;
    if (row < 0 || !loaded) return; // removed while it loaded
    if (loader.IsCancelled())
    {
        m_States[path] = LayerState::Cancelled;
        return;
    }
    if (!loader.Opened())
    {
        m_States[path] = LayerState::Failed;
        const QString reason = LoadFailureReason(path, Layer(row)->GetMapItem().Format);
        m_Reasons[path] = reason;
        ShowMessage(QStringLiteral("打开图层失败！\n%1\n%2\n图层留在列表中，标为未加载。").arg(path, reason), ErrorCaption(),
                    MessageKind::Error);
        return;
    }
    // What the user changed while it loaded (name, visibility, colours) wins over the copy's
    // item; the coordinate system may have changed too.
    loaded->SetMapItem(Layer(row)->GetMapItem());
    loaded->SetEllipsoid(m_Map.GetSurveyEllipsoid());
    loaded->SetProjection(m_Map.GetSurveyProjection());
    loaded->SetConvert(&m_Map.m_MapConvert);
    m_Map.WaitForDrawing();
    m_Map.m_MapLayers[size_t(row)]->Clear();
    m_Map.m_MapLayers[size_t(row)] = std::move(loaded);
    m_States[path] = LayerState::Loaded;
    m_Reasons.erase(path);
    TellNeedsCoordinateSystem(*m_Map.m_MapLayers[size_t(row)]);
    Redraw();
}

void CMapLayerList::CancelLoads()
{
    ++m_LoadStateChanges;
    for (const Pending& p : m_Queue) m_States[p.path] = LayerState::Cancelled;
    m_Queue.clear();
    if (!m_Current) return;
    m_Current->Cancel();
    m_States[m_Current->Path()] = LayerState::Cancelled;
    // The thread ends on its own; the window goes on meanwhile.
    m_Draining.push_back(std::move(m_Current));
}

void CMapLayerList::WaitForLoads()
{
    for (;;)
    {
        if (m_Current) m_Current->Wait();
        FinishLoads();
        if (!m_Current && m_Queue.empty()) break;
    }
    for (auto& loader : m_Draining) loader->Wait();
    m_Draining.clear();
}

void CMapLayerList::TellNeedsCoordinateSystem(const CMapLayer& layer)
{
    if (HasCoordinateSystem() || m_ToldAboutCoordinates) return;
    bool geographic = dynamic_cast<const CMapLayer_Google*>(&layer) != nullptr;
    if (auto* dat = dynamic_cast<const CMapLayer_DAT*>(&layer))
        geographic = !const_cast<CMapLayer_DAT*>(dat)->GetMapDAT()->IsPlane();
    if (auto* shp = dynamic_cast<const CMapLayer_SHP*>(&layer))
        geographic = const_cast<CMapLayer_SHP*>(shp)->GetMapShape()->GetShapeSystem().Projection.Type == -1;
    if (!geographic) return;
    m_ToldAboutCoordinates = true;
    ShowMessage(QStringLiteral("图层“%1”是经纬度坐标，但还没有设置坐标系：它按自身的坐标显示，不会落在线路上。\n"
                               "请用“地图 → 坐标系…”选择线路所用的坐标系文件。")
                    .arg(layer.GetMapItem().LayerName),
                QuestionCaption(), MessageKind::Information);
}

// ---------------------------------------------------------------------------------------------
// Managing

void CMapLayerList::Redraw() { m_Map.SetStartCorAndScale(m_Map.m_MapConvert.GetStartCor(), m_Map.m_MapConvert.GetScale(), 1); }

void CMapLayerList::FillColoursChanged(int row)
{
    auto* shp = dynamic_cast<CMapLayer_SHP*>(Layer(row));
    if (!shp || !shp->IsLoad()) return;
    m_Map.WaitForDrawing();
    shp->GetMapShape()->UpdateFillColors();
    Redraw();
}

void CMapLayerList::SetVisible(int row, bool visible)
{
    CMapLayer* layer = Layer(row);
    if (!layer) return;
    MapConfigItem item = layer->GetMapItem();
    if ((item.Visible != 0) == visible) return;
    item.Visible = visible ? 1 : 0;
    m_Map.WaitForDrawing();
    layer->SetMapItem(item);
    Save();
    Redraw();
}

bool CMapLayerList::Move(int row, int delta)
{
    const int to = row + delta;
    if (!ValidRow(row) || to < 0 || to >= Count() || delta == 0) return false;
    auto& layers = m_Map.m_MapLayers;
    // A picture being drawn holds its own list of the layers: reordering frees nothing.
    std::swap(layers[size_t(row)], layers[size_t(to)]);
    Save();
    Redraw();
    return true;
}

void CMapLayerList::Remove(int row)
{
    if (!ValidRow(row)) return;
    const QString path = Layer(row)->GetMapItem().FullPathName;
    if (m_Current && m_Current->Path() == path)
    {
        m_Current->Cancel();
        m_Draining.push_back(std::move(m_Current));
    }
    m_Queue.erase(std::remove_if(m_Queue.begin(), m_Queue.end(), [&](const Pending& p) { return p.path == path; }),
                  m_Queue.end());
    m_States.erase(path);
    m_Reasons.erase(path);
    m_Map.WaitForDrawing();
    m_Map.m_MapLayers[size_t(row)]->Clear();
    m_Map.m_MapLayers.erase(m_Map.m_MapLayers.begin() + row);
    Save();
    StartNextLoad();
    Redraw();
}

bool CMapLayerList::LayerExtent(int row, double& minX, double& maxX, double& minY, double& maxY) const
{
    CMapLayer* layer = Layer(row);
    if (!layer || !layer->IsLoad()) return false;
    m_Map.WaitForDrawing();
    if (!layer->GetRange(minX, maxX, minY, maxY, 0)) return false;
    return std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY) && maxX >= minX &&
           maxY >= minY;
}

bool CMapLayerList::ZoomToLayer(int row)
{
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (!LayerExtent(row, minX, maxX, minY, maxY)) return false;
    if (!ZoomMapToExtent(m_Map, minX, minY, maxX, maxY)) return false;
    // The view shows round scales only, as after the full extent.
    RoundScaleAfterZoom(m_Map, 0.0, ClientCentre(m_Map.m_MapConvert.GetClientRect()));
    return true;
}

void CMapLayerList::SetItem(int row, const MapConfigItem& itemIn)
{
    CMapLayer* layer = Layer(row);
    if (!layer) return;
    const MapConfigItem old = layer->GetMapItem();
    MapConfigItem item = itemIn;
    item.FullPathName = old.FullPathName;
    item.Format = old.Format;
    item.DictionaryPathName = old.DictionaryPathName;
    if (item.LayerName.trimmed().isEmpty()) item.LayerName = old.LayerName;
    m_Map.WaitForDrawing();
    layer->SetMapItem(item);
    Save();
    Redraw();
}

// ---------------------------------------------------------------------------------------------
// Coordinate system and the configuration files

void CMapLayerList::ApplyCoordinateSystem()
{
    if (HasCoordinateSystem())
    {
        m_Map.SetSurveyDestinationEllipsoid(m_Coordinate.EllipsoidParameter);
        m_Map.SetSurveyProjection(m_Coordinate.ProjectParameter);
    }
    else
    {
        m_Map.SetSurveyDestinationEllipsoid(CoordinateSystem_EllipsoidParameter());
        m_Map.SetSurveyProjection(CoordinateSystem_ProjectParameter());
    }
}

bool CMapLayerList::SetCoordinateSystem(const QString& path, QString* error)
{
    CCoordinateSystem file;
    file.SetFileName(path);
    if (!QFileInfo(path).isFile() || !file.ConfigRead())
    {
        if (error) *error = QStringLiteral("不能读取坐标系文件：\n%1\n地图仍使用原来的坐标系。").arg(path);
        return false;
    }
    const CoordinateSystem_Parameter cs = file.Get();
    if (!(cs.EllipsoidParameter.Axis > 0.0))
    {
        if (error) *error = QStringLiteral("坐标系文件中没有椭球参数：\n%1\n地图仍使用原来的坐标系。").arg(path);
        return false;
    }
    m_Coordinate = cs;
    m_CoordinatePath = QFileInfo(path).absoluteFilePath();
    ApplyCoordinateSystem();
    Save();
    Redraw();
    return true;
}

void CMapLayerList::ClearCoordinateSystem()
{
    CCoordinateSystem::Initialize(m_Coordinate);
    m_CoordinatePath.clear();
    ApplyCoordinateSystem();
    Save();
    Redraw();
}

bool CMapLayerList::Save()
{
    if (m_ConfigDir.isEmpty()) return false;
    // The manager writes only the folder it was given; keep it pointing at ours.
    const bool layers = m_Map.GetConfigPath().isEmpty() ? false : m_Map.ConfigSave() != 0;
    ConfigDocument cfg(kCoordinateSection);
    cfg.Add(kCoordinateValue, m_CoordinatePath);
    const bool coordinates = cfg.Save(JoinPath(m_ConfigDir, kCoordinateFile));
    return layers && coordinates;
}
