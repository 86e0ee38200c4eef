#pragma once

#include "map/CMapLayer_Road.h"
#include "app/core/IRouteUser.h"
#include "app/core/RouteEditHistory.h"
#include "app/core/RouteLists.h"
#include "app/core/RouteTypes.h"
#include "map/CMapManage.h"

#include <QString>

struct LandXmlAlignment;

// The route commands of the main window (New, Open, Save, Properties, Apply, Export, the save
// prompt on closing) without any widget: it owns the map manager, the road layer with the route
// being shown, the route record and both route lists, and talks to the user through IRouteUser.
class CRouteShell
{
public:
    CRouteShell(IRouteUser& user, const QString& configDir);
    ~CRouteShell();
    CRouteShell(const CRouteShell&) = delete;
    CRouteShell& operator=(const CRouteShell&) = delete;

    // Commands.
    void NewRoute();
    void OpenRoute();
    // Open without the file dialog (command line, tests). True when the route was loaded and
    // computed. A file that is not a route file of its mode is refused and left as it is; a route
    // file with a few damaged lines opens with those rows marked, uncomputed and unsaved.
    bool OpenRoutePath(const QString& path);
    void SaveRoute();
    // Saves the route under a new name (same mode; the ending is added when missing) and makes
    // that the route's file; its curve exchange file is written beside it when the route is shown.
    // False when cancelled or the file could not be written (the route keeps its old file).
    bool SaveRouteAs();
    bool SaveRouteAsPath(const QString& path);
    // Closes the route after the save prompt; false when the user cancelled.
    bool CloseRoute();
    void EditProperties();
    void ExportStakes();
    // 导入 LandXML: one alignment of a LandXML file becomes an element route file, then opens.
    void ImportLandXml();
    // The same without dialogs; true when the route was written, opened and computed.
    bool ImportLandXmlAlignmentTo(const LandXmlAlignment& alignment, const QString& routePath);
    // The computed route as a DXF drawing (centre line and main points).
    void ExportDxf();
    // The lists' Apply buttons: apply, then load the curve exchange file into the view.
    bool ApplyElements();
    bool ApplyCrossPoints();

    // Before the window closes (and before New and Open): offers to save unsaved changes. False
    // when the user cancelled or the save failed: the command must not go on, so that the changes
    // are not thrown away.
    bool SavePrompt();
    // Undo and redo of list edits and property changes. NoteEdit is called just before an edit,
    // with what the menu calls it ("插入交点").
    void NoteEdit(const QString& label) { m_History.Record(label, CaptureEditState(*this)); }
    bool Undo();
    bool Redo();
    const CRouteEditHistory& History() const { return m_History; }

    // Empties the route record, the lists and the road layer.
    void ClearRouteState();
    // Loads the route's curve exchange file into the road layer; zooms to it on success.
    bool LoadCurveFile(bool zoomToRoute = true);

    bool HasRoute() const { return !m_Record.path.isEmpty(); }
    RouteMode Mode() const { return RouteModeOfPath(m_Record.path); }
    QString WindowTitle() const;

    CMapManage& Map() { return m_Map; }
    CMapLayer_Road& RoadLayer() { return m_RoadLayer; }
    CRoadDesign& Road() { return m_RoadLayer.m_RoadDesign; }
    QString ConfigDir() const { return m_ConfigDir; }
    // The stake file the last export command wrote; empty when it wrote none (cancelled, failed).
    QString LastStakeFile() const { return m_LastStakeFile; }

    RouteRecord m_Record;
    CRouteElementList m_ElementList;
    CRouteCrossPointList m_CrossPointList;

private:
    bool SaveDefinition();
    bool ApplyCurrentMode(bool& written);
    // Applies the current mode and shows the result; a route that could not be computed is taken
    // off the map rather than leaving an older one there as if it were current.
    bool ApplyAndShow(bool zoomToRoute);
    void UnloadRoad();

    IRouteUser& m_User;
    QString m_ConfigDir;
    QString m_LastStakeFile;
    CRouteEditHistory m_History;
    // The layer is declared first so that it outlives the manager, which draws it until destroyed.
    CMapLayer_Road m_RoadLayer;
    CMapManage m_Map;
};
