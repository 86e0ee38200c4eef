#pragma once

#include "app/core/LayerLoader.h"
#include "app/core/PositionMarkLayer.h"
#include "coord/CoordinateSystemDefine.h"
#include "map/CMapLayer.h"
#include "platform/PointRect.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class CMapManage;

// Where a layer of the map's main list stands.
enum class LayerState
{
    NotLoaded, // waiting for its turn
    Loading,
    Loaded,
    Failed,
    Cancelled
};

// One row of the layer list as the window shows it.
struct LayerRow
{
    QString name;
    QString path;
    int format = 0;
    QString kind; // the kind's name for people (点文件, Shapefile, …)
    LayerState state = LayerState::NotLoaded;
    QString reason; // why a load failed
    bool visible = true;
};

// A point found by name or mark.
struct FoundPoint
{
    int layer = -1; // row of the layer list
    int index = -1; // the point's position in its layer
    QString layerName, name, mark;
    double x = 0.0, y = 0.0; // on the map's grid
};

// One selected feature and what is known about it.
struct IdentifiedFeature
{
    QString layerName;
    QString feature; // point name, shape identifier or entity identifier
    QStringList attributes; // "name = value" lines
};

// The map layers of the program without any widget: the map manager's main list (the configured
// data files, drawn under the route), their loading on worker threads, their order, visibility
// and drawing properties, the survey coordinate system handed to every layer, finding points and
// identifying features. The list and the coordinate system are kept in the configuration folder
// (MapLayer.cfg and MapCoordinate.cfg) after every change.
//
// Loads: a layer added or restored is first put into the main list unopened (it draws nothing);
// a copy of it is opened by a CLayerLoader, one at a time, and FinishLoads (called by the window
// on a timer, by tests when they like) puts the opened copy in its place. Messages (a failed
// load, a layer that needs a coordinate system) go through the message sink on the owner thread.
// Every change asks the map for a new picture.
class CMapLayerList
{
public:
    CMapLayerList(CMapManage& map, const QString& configDir);
    ~CMapLayerList();
    CMapLayerList(const CMapLayerList&) = delete;
    CMapLayerList& operator=(const CMapLayerList&) = delete;

    // The kinds users can add: format code, name and file-dialog filter.
    struct Kind
    {
        int format;
        QString name;
        QString filter;
    };
    static const std::vector<Kind>& Kinds();
    static QString KindName(int format);
    // The file dialog's filters: all map files first, then one per kind.
    static QString FileFilter();

    // Reads the saved coordinate system and starts loading the layers the map read from
    // MapLayer.cfg. Call once, when the window is up.
    void Restore();
    // Adds a data file as a layer on top and starts loading it. `format` 0 takes the kind from the
    // file. False (with the reason in `error`) for a file that is missing, of no known kind, or
    // already in the list.
    bool AddLayer(const QString& path, int format, QString* error = nullptr);
    // Shows an exported stake file as a point layer (its lines are point records: name, x, y, h
    // and the station as the mark). A file already shown is read again.
    bool ShowStakeFile(const QString& path, QString* error = nullptr);

    // Loads.
    bool IsLoading() const { return m_Current != nullptr; }
    // The load running now (null when none): path, caption and percentage for the window.
    const CLayerLoader* CurrentLoad() const { return m_Current.get(); }
    // Stops the running load (the layer stays in the list, marked as cancelled) and every load
    // waiting for its turn.
    void CancelLoads();
    // Puts finished loads into the map and starts the next; true when a row changed.
    bool FinishLoads();
    // Blocks until every load has finished and been put into the map (tests).
    void WaitForLoads();
    // Counts the changes of load states (started, finished, failed, cancelled), for a window that
    // polls and refreshes its rows when the count moves.
    unsigned LoadStateChanges() const { return m_LoadStateChanges; }
    // Opens again a layer whose load failed or was cancelled.
    void Reload(int row);

    // The rows, top (drawn last, over the others) first.
    int Count() const;
    LayerRow Row(int row) const;
    CMapLayer* Layer(int row) const;
    int RowOfPath(const QString& path) const;

    void SetVisible(int row, bool visible);
    // Moves a layer up (-1) or down (+1) in the drawing order; false at either end.
    bool Move(int row, int delta);
    void Remove(int row);
    // The layer's extent on the map's grid; false when it has none (not loaded, empty).
    bool LayerExtent(int row, double& minX, double& maxX, double& minY, double& maxY) const;
    // Fits the view to the layer; false when it has no extent.
    bool ZoomToLayer(int row);
    MapConfigItem Item(int row) const;
    // New drawing properties (name, colours, size, label field, flags); the path and the kind
    // stay as they are.
    void SetItem(int row, const MapConfigItem& item);
    // The fill colours of a shapefile layer were changed in its colour file: re-read and redraw.
    void FillColoursChanged(int row);

    // The survey coordinate system. Without one, layers draw in their own coordinates.
    bool SetCoordinateSystem(const QString& path, QString* error = nullptr);
    void ClearCoordinateSystem();
    bool HasCoordinateSystem() const { return !m_CoordinatePath.isEmpty(); }
    QString CoordinateSystemPath() const { return m_CoordinatePath; }
    CoordinateSystem_Parameter CoordinateSystem() const { return m_Coordinate; }

    // Searches the point layers (point files and point databases) for a name (mode 1), mark
    // (mode 2) or either (mode 0) containing `text`, starting after `after` (a default FoundPoint
    // starts at the top). False when nothing more matches.
    bool FindPoint(const QString& text, int mode, const FoundPoint& after, FoundPoint& hit) const;
    // Centres the map on a point and marks it.
    void ShowPosition(double x, double y);
    void HidePosition();
    const CPositionMarkLayer& PositionMark() const { return m_Mark; }

    // Selects the features of the visible, selectable, loaded layers met by the client rectangle
    // p1-p2 (a click: near the point) and describes them; the selection is drawn highlighted.
    std::vector<IdentifiedFeature> Identify(CPoint p1, CPoint p2);
    void ClearSelection();

    // Writes MapLayer.cfg and MapCoordinate.cfg; false when either could not be written.
    bool Save();

private:
    struct Pending
    {
        QString path;
    };
    void StartNextLoad();
    void Queue(const QString& path);
    void PlaceLoadedLayer(CLayerLoader& loader);
    void Redraw();
    void ApplyCoordinateSystem();
    void TellNeedsCoordinateSystem(const CMapLayer& layer);
    bool ValidRow(int row) const;

    CMapManage& m_Map;
    QString m_ConfigDir;
    std::map<QString, LayerState> m_States; // by path
    std::map<QString, QString> m_Reasons;
    std::deque<Pending> m_Queue;
    std::unique_ptr<CLayerLoader> m_Current;
    // Cancelled loads whose source could not stop at once; dropped when their thread is done.
    std::vector<std::unique_ptr<CLayerLoader>> m_Draining;
    QString m_CoordinatePath;
    CoordinateSystem_Parameter m_Coordinate;
    bool m_ToldAboutCoordinates = false;
    unsigned m_LoadStateChanges = 0;
    CPositionMarkLayer m_Mark;
};
