#pragma once

#include "app/core/IRouteUser.h"

#include <QDockWidget>
#include <QMainWindow>
#include <map>
#include <memory>

class CNew_CrossPointDlg;
class CNew_ElementDlg;
class CRouteShell;
class CVeylorView;
class QAction;
class QActionGroup;
class QLabel;
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
    // Shows the tab of the mode and hides the other.
    void ShowModeTab(RouteMode mode);

private:
    QTabWidget* m_Tabs;
    CNew_ElementDlg* m_Elements;
    CNew_CrossPointDlg* m_CrossPoints;
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

    // The visual styles (ids of the settings value "ApplicationLook").
    void ApplyLook(int id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text, const QString& prompt, const QString& icon,
                        const QKeySequence& key = QKeySequence());
    void CreateMenus();

    std::unique_ptr<CRouteShell> m_Shell;
    CVeylorView* m_View = nullptr;
    COutputWnd* m_InputPane = nullptr;
    QToolBar* m_ToolBar = nullptr;
    QLabel* m_Panes[4] = {nullptr, nullptr, nullptr, nullptr};
    QActionGroup* m_Looks = nullptr;
    QActionGroup* m_Tools = nullptr;
    std::map<int, QAction*> m_Actions;
    QString m_PlatformStyle;
};
