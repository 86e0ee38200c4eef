#pragma once

#include "app/core/IRouteUser.h"

#include <QDockWidget>
#include <QMainWindow>
#include <map>
#include <memory>

class CIdentifyDlg;
class CLayerLoadWatcher;
class CLayerPane;
class CMapLayerList;
class CCalculatorPane;
class CCurveTablePane;
class CNew_CrossPointDlg;
class CNew_ElementDlg;
class CRouteShell;
class CVeylorView;
class QAction;
class QActionGroup;
class QLabel;
class QPrinter;
struct RoutePictureOptions;
class QTabWidget;

// The docked pane "输入" with the tabs "元素" and "交点".
class COutputWnd : public QDockWidget
{
    Q_OBJECT
public:
    COutputWnd(CRouteShell& shell, QWidget* parent = nullptr);
    QTabWidget* Tabs() const { return m_Tabs; }
    CNew_ElementDlg* ElementList() const { return m_Elements; }
    CNew_CrossPointDlg* CrossPointList() const { return m_CrossPoints; }
    CCurveTablePane* CurveTable() const { return m_CurveTable; }
    CCalculatorPane* Calculator() const { return m_Calculator; }
    // Shows the tab of the mode and hides the other.
    void ShowModeTab(RouteMode mode);

private:
    QTabWidget* m_Tabs;
    CNew_ElementDlg* m_Elements;
    CNew_CrossPointDlg* m_CrossPoints;
    CCurveTablePane* m_CurveTable = nullptr;
    CCalculatorPane* m_Calculator = nullptr;
};

// The main window: menus, toolbar, status bar, the route view and the input pane. The route
// commands themselves live in CRouteShell; the window presents and asks.
class CMainFrame : public QMainWindow, public IRouteUser
{
    Q_OBJECT
public:
    explicit CMainFrame(const QString& configDir, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CRouteShell& Shell() { return *m_Shell; }
    CVeylorView* View() const { return m_View; }
    COutputWnd* InputPane() const { return m_InputPane; }
    QLabel* StatusPane(int i) const { return m_Panes[i]; }
    QAction* Action(int id) const;

    // IRouteUser
    QString ChooseSaveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                           bool confirmOverwrite) override;
    QString ChooseOpenFile(const QString& title, const QString& filter) override;
    int ChooseItem(const QString& title, const QString& label, const QStringList& items) override;
    bool EditProperties(RouteProperties& properties, bool modeChangeable) override;
    bool EditExportOptions(ExportOptions& options, const QString& configDir) override;
    void ShowModeTab(RouteMode mode) override;
    void ShowInputPane() override;
    void SetWindowTitle(const QString& title) override;
    void ZoomToFullExtent() override;
    void RouteChanged() override;
    SaveChoice AskToSaveChanges(const QString& question) override;

    // 导出图片 and 打印 without their dialogs (tests).
    bool ExportPicture(const QString& path, QSize size);
    bool PrintTo(QPrinter& printer);

    // The visual styles (ids of the settings value "ApplicationLook").
    void ApplyLook(int id);

    // Map layers (the 图层 tab and the map menu's layer commands).
    CMapLayerList& Layers() { return *m_Layers; }
    CLayerPane* LayerPane() const { return m_LayerPane; }
    CLayerLoadWatcher* LoadWatcher() const { return m_LoadWatcher; }
    CIdentifyDlg* IdentifyDialog() const { return m_Identify; }
    // Layers named on the command line; files already in the list are left as they are.
    void AddLayerFiles(const QStringList& paths);
    void AddLayerCommand();
    void LayerPropertiesCommand(int row);
    void CoordinateSystemCommand();
    void FindPointCommand();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text, const QString& prompt, const QString& icon,
                        const QKeySequence& key = QKeySequence());
    void CreateMenus();
    void CreateLayerCommands(QMenu* map);
    void LayersChanged();
    void OfferStakeLayer();
    // The desk commands (CMainFrame_Desk.cpp): 另存为, 关闭, recent files, 编辑 with undo and
    // redo, the station style and label mode under 视图, picture export and printing.
    void CreateDeskCommands(QMenu* route, QMenu* view);
    void UpdateDeskCommands();
    void RebuildRecentMenu();
    void ExportPictureCommand();
    void ConnectRowHighlight();
    void PrintCommand();
    RoutePictureOptions PictureOptions() const;
    QMenu* m_RecentMenu = nullptr;
    QString m_LastRecent;

    std::unique_ptr<CRouteShell> m_Shell;
    CVeylorView* m_View = nullptr;
    COutputWnd* m_InputPane = nullptr;
    QToolBar* m_ToolBar = nullptr;
    // 0 messages, 1 coordinates, 2 station, 3 offset, 4 bearing and element under the mouse.
    QLabel* m_Panes[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
    QActionGroup* m_Looks = nullptr;
    QActionGroup* m_Tools = nullptr;
    std::map<int, QAction*> m_Actions;
    QString m_PlatformStyle;
    // Map layers; declared last so that the list goes before the widgets' shell and map.
    std::unique_ptr<CMapLayerList> m_Layers;
    CLayerPane* m_LayerPane = nullptr;
    CLayerLoadWatcher* m_LoadWatcher = nullptr;
    CIdentifyDlg* m_Identify = nullptr;
};
