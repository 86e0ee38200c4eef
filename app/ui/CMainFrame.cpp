#include "app/ui/CMainFrame.h"

#include "app/core/CRouteShell.h"
#include "app/core/MapLayerList.h"
#include "app/core/MapViewLogic.h"
#include "app/ui/CVeylorView.h"
#include "app/ui/LayerDialogs.h"
#include "app/ui/LayerPane.h"
#include "app/ui/CalculatorPane.h"
#include "app/ui/CurveTablePane.h"
#include "app/ui/RouteDialogs.h"
#include "app/ui/RouteListPanes.h"
#include "app/ui/UiSupport.h"
#include "map/CMouseListenerView.h"
#include "platform/MessageSink.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QToolBar>

#include <algorithm>

namespace
{
enum CommandId
{
    IdNew = 32803,
    IdOpen = 32804,
    IdSave = 32805,
    IdProperties = 32807,
    IdExport = 32806,
    IdExit = 57665,
    // Exchange with other programs.
    IdImportLandXml = 32850,
    IdExportDxf = 32851,
    IdZoomIn = 32787,
    IdZoomOut = 32788,
    IdFullExtent = 32790,
    IdPan = 32791,
    IdMeasure = 32798,
    IdToolBar = 32796,
    IdInputPane = 32794,
    IdStatusBar = 59393,
    IdAbout = 57664,
    IdAddLayer = 33001,
    IdCoordinateSystem = 33002,
    IdFindPoint = 33003,
    IdSelect = 33004,
    IdClearSelection = 33005,
    LookPlatform = 210,
    LookWindows = 211,
    LookFusion = 214,
    LookFusionDark = 215
};

QSettings Settings() { return ProgramSettings(); }

QPalette DarkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 30), text(225, 225, 225), highlight(0, 122, 204);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Light, QColor(70, 70, 74));
    p.setColor(QPalette::Mid, QColor(60, 60, 64));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    return p;
}
} // namespace

// ---------------------------------------------------------------------------------------------

COutputWnd::COutputWnd(CRouteShell& shell, QWidget* parent) : QDockWidget(QStringLiteral("输入"), parent)
{
    setObjectName(QStringLiteral("inputPane"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_Tabs = new QTabWidget(this);
    m_Tabs->setTabPosition(QTabWidget::South);
    m_Elements = new CNew_ElementDlg(shell.m_ElementList, m_Tabs);
    m_CrossPoints = new CNew_CrossPointDlg(shell.m_CrossPointList, m_Tabs);
    m_Tabs->addTab(m_Elements, RowImage(0), QStringLiteral("元素"));
    m_Tabs->addTab(m_CrossPoints, RowImage(3), QStringLiteral("交点"));
    // Tables and calculator over whichever route is open.
    m_CurveTable = new CCurveTablePane(shell, m_Tabs);
    m_Calculator = new CCalculatorPane(shell, m_Tabs);
    m_Tabs->addTab(m_CurveTable, QStringLiteral("曲线表"));
    m_Tabs->addTab(m_Calculator, QStringLiteral("计算器"));
    setWidget(m_Tabs);
    // The list's four buttons stand beside it in a column: never less than that, so that shrinking
    // the window can never hide them.
    setMinimumHeight(m_Tabs->minimumSizeHint().height() + 30);
}

void COutputWnd::ShowModeTab(RouteMode mode)
{
    const int shown = mode == RouteMode::CrossPoint ? 1 : 0;
    m_Tabs->setTabVisible(shown, true);
    m_Tabs->setTabVisible(1 - shown, false);
    m_Tabs->setCurrentIndex(shown);
}

// ---------------------------------------------------------------------------------------------

CMainFrame::CMainFrame(const QString& configDir, QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Veylor"));
    setWindowIcon(ToolIcon(QStringLiteral("app")));
    m_PlatformStyle = QApplication::style() ? QApplication::style()->name() : QString();
    m_Shell = std::make_unique<CRouteShell>(*this, configDir);

    m_View = new CVeylorView(*m_Shell, this);
    setCentralWidget(m_View);

    m_InputPane = new COutputWnd(*m_Shell, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_InputPane);
    resizeDocks({m_InputPane}, {280}, Qt::Vertical);
    m_InputPane->ElementList()->onChanged = [this] { RouteChanged(); };
    m_InputPane->CrossPointList()->onChanged = [this] { RouteChanged(); };
    m_InputPane->ElementList()->onApply = [this] { m_Shell->ApplyElements(); };
    m_InputPane->CrossPointList()->onApply = [this] { m_Shell->ApplyCrossPoints(); };
    const auto confirm = [](const QString& question) {
        return ShowMessage(question, QuestionCaption(), MessageKind::Question) == MessageAnswer::Yes;
    };
    m_InputPane->ElementList()->confirmDelete = confirm;
    m_InputPane->CrossPointList()->confirmDelete = confirm;
    const auto noteEdit = [this](const QString& label) { m_Shell->NoteEdit(label); };
    m_InputPane->ElementList()->beforeChange = noteEdit;
    m_InputPane->CrossPointList()->beforeChange = noteEdit;
    m_InputPane->Calculator()->onGoTo = [this](double x, double y) { m_View->ShowMarker(x, y); };

    // Status bar: a message pane and the coordinate, station and offset panes. The panes are 300
    // pixels wide where there is room and give way on a narrow window, eliding their text rather
    // than running into each other.
    m_Panes[0] = new CElidedLabel(this);
    statusBar()->addWidget(m_Panes[0], 1);
    const char* const initial[3] = {"坐标:", "里程:", "偏距:"};
    for (int i = 1; i <= 3; ++i)
    {
        auto* pane = new CElidedLabel(QString::fromUtf8(initial[i - 1]), this);
        pane->SetPreferredWidth(300);
        m_Panes[i] = pane;
        m_Panes[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        m_Panes[i]->setMinimumWidth(i == 1 ? 200 : 130);
        m_Panes[i]->setMaximumWidth(300);
        m_Panes[i]->setFrameShape(QFrame::StyledPanel);
        m_Panes[i]->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(m_Panes[i]);
    }
    m_Panes[4] = new CElidedLabel(this);
    m_Panes[4]->setObjectName(QStringLiteral("statusPane4"));
    m_Panes[4]->setMinimumWidth(120);
    m_Panes[4]->setFrameShape(QFrame::StyledPanel);
    m_Panes[4]->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(m_Panes[4]);
    m_View->SetStatusPanes(m_Panes[1], m_Panes[2], m_Panes[3], m_Panes[4]);

    CreateMenus();

    // Map layers: the view has read the layer list from the configuration folder; they load in
    // the background while the window comes up.
    m_Layers = std::make_unique<CMapLayerList>(m_Shell->Map(), configDir);
    m_LayerPane = new CLayerPane(*m_Layers, m_InputPane->Tabs());
    m_InputPane->Tabs()->addTab(m_LayerPane, QStringLiteral("图层"));
    m_LayerPane->onAdd = [this] { AddLayerCommand(); };
    m_LayerPane->onProperties = [this](int row) { LayerPropertiesCommand(row); };
    m_LayerPane->confirmRemove = confirm;
    m_LoadWatcher = new CLayerLoadWatcher(*m_Layers, this);
    m_LoadWatcher->onChanged = [this] { LayersChanged(); };
    m_Identify = new CIdentifyDlg(this);
    m_Layers->Restore();
    LayersChanged();

    ApplyLook(Settings().value(QStringLiteral("ApplicationLook"), int(LookFusion)).toInt());
    // The pane appears when a route is created or opened.
    m_InputPane->hide();
    // Below this the status bar and the input pane's buttons no longer fit.
    setMinimumSize(800, 600);
    RouteChanged();
}

CMainFrame::~CMainFrame()
{
    // The panes report their visibility while the base class destroys them: nobody listens any more.
    disconnect(m_InputPane, nullptr, nullptr, nullptr);
    disconnect(m_ToolBar, nullptr, nullptr, nullptr);
    // The layer widgets go before the list they show, and the list before the map.
    delete m_LoadWatcher;
    m_LoadWatcher = nullptr;
    delete m_LayerPane;
    m_LayerPane = nullptr;
    m_Layers.reset();
    // The view releases the map before the shell that owns it goes.
    delete m_View;
    m_View = nullptr;
}

QAction* CMainFrame::Action(int id) const
{
    auto it = m_Actions.find(id);
    return it == m_Actions.end() ? nullptr : it->second;
}

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text, const QString& prompt, const QString& icon,
                                const QKeySequence& key)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    if (!icon.isEmpty()) action->setIcon(ToolIcon(icon));
    if (!key.isEmpty()) action->setShortcut(key);
    // The prompt is "status text\ntooltip".
    const QStringList parts = prompt.split(QLatin1Char('\n'));
    action->setStatusTip(parts.value(0));
    if (parts.size() > 1) action->setToolTip(parts.value(1));
    menu->addAction(action);
    m_Actions[id] = action;
    return action;
}

void CMainFrame::CreateMenus()
{
    // The shortcut is shown after a tab in the menu text; the key binding is the action's.
    QMenu* route = menuBar()->addMenu(QStringLiteral("线路(&R)"));
    AddCommand(route, IdNew, QStringLiteral("新建(&N)"), QStringLiteral("新建线路文件\n新建"), QStringLiteral("new"),
               QKeySequence(Qt::CTRL | Qt::Key_N));
    AddCommand(route, IdOpen, QStringLiteral("打开(&O)..."), QStringLiteral("打开线路文件\n打开"), QStringLiteral("open"),
               QKeySequence(Qt::CTRL | Qt::Key_O));
    AddCommand(route, IdSave, QStringLiteral("保存(&S)"), QStringLiteral("保存线路文件\n保存"), QStringLiteral("save"),
               QKeySequence(Qt::CTRL | Qt::Key_S));
    route->addSeparator();
    AddCommand(route, IdProperties, QStringLiteral("属性(&P)"), QStringLiteral("查看更改线路属性\n属性"),
               QStringLiteral("properties"));
    AddCommand(route, IdExport, QStringLiteral("导出(&E)"), QStringLiteral("导出中桩边桩\n导出"), QStringLiteral("export"));
    // Exchange with other programs.
    AddCommand(route, IdExportDxf, QStringLiteral("导出 DXF(&D)..."), QStringLiteral("导出线路图形到 DXF 文件\n导出 DXF"),
               QString());
    AddCommand(route, IdImportLandXml, QStringLiteral("导入 LandXML(&L)..."),
               QStringLiteral("从 LandXML 文件导入线形\n导入 LandXML"), QString());
    route->addSeparator();
    AddCommand(route, IdExit, QStringLiteral("退出(&X)"), QStringLiteral("退出应用程序；提示保存文档\n退出"), QString());

    QMenu* map = menuBar()->addMenu(QStringLiteral("地图(&M)"));
    AddCommand(map, IdZoomIn, QStringLiteral("放大(&I)"), QStringLiteral("地图放大\n放大"), QStringLiteral("zoomin"));
    AddCommand(map, IdZoomOut, QStringLiteral("缩小(&O)"), QStringLiteral("地图缩小\n缩小"), QStringLiteral("zoomout"));
    AddCommand(map, IdFullExtent, QStringLiteral("全局(&A)"), QStringLiteral("地图全局缩放\n全局缩放"), QStringLiteral("full"));
    AddCommand(map, IdPan, QStringLiteral("移动(&M)"), QStringLiteral("地图移动\n移动"), QStringLiteral("pan"));
    AddCommand(map, IdMeasure, QStringLiteral("量算(&S)"), QStringLiteral("屏幕量算\n量算"), QStringLiteral("measure"));
    CreateLayerCommands(map);

    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    QAction* toolbar = AddCommand(view, IdToolBar, QStringLiteral("工具栏(&M)"),
                                  QStringLiteral("显示或隐藏工具栏\n切换工具栏"), QString());
    // Without an icon: a checkable menu item with an icon shows the icon instead of the check mark.
    QAction* input = AddCommand(view, IdInputPane, QStringLiteral("输入栏(&I)"),
                                QStringLiteral("显示或隐藏输入栏\n切换输入栏"), QString());
    QAction* status = AddCommand(view, IdStatusBar, QStringLiteral("状态栏(&S)"),
                                 QStringLiteral("显示或隐藏状态栏\n切换状态栏"), QString());
    for (QAction* a : {toolbar, input, status}) a->setCheckable(true);
    view->addSeparator();
    QMenu* looks = view->addMenu(QStringLiteral("应用程序外观(&A)"));
    m_Looks = new QActionGroup(this);
    const struct
    {
        int id;
        const char* text;
    } lookItems[] = {{LookFusion, "Fusion 浅色(&F)"},
                     {LookFusionDark, "Fusion 深色(&D)"},
                     {LookWindows, "Windows 经典(&W)"},
                     {LookPlatform, "系统默认样式(&S)"}};
    for (const auto& item : lookItems)
    {
        QAction* a = AddCommand(looks, item.id, QString::fromUtf8(item.text), QStringLiteral("更改应用程序外观\n外观"), QString());
        a->setCheckable(true);
        m_Looks->addAction(a);
        connect(a, &QAction::triggered, this, [this, id = item.id] { ApplyLook(id); });
    }

    CreateDeskCommands(route, view);

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    AddCommand(help, IdAbout, QStringLiteral("关于 Veylor(&A)..."), QStringLiteral("显示程序信息、版本号和版权\n关于"),
               QStringLiteral("about"));

    m_ToolBar = addToolBar(QStringLiteral("标准"));
    m_ToolBar->setObjectName(QStringLiteral("standardToolBar"));
    m_ToolBar->setIconSize(QSize(24, 24));
    for (int id : {IdNew, IdOpen, IdSave})
        m_ToolBar->addAction(Action(id));
    m_ToolBar->addSeparator();
    for (int id : {IdProperties, IdExport})
        m_ToolBar->addAction(Action(id));
    m_ToolBar->addSeparator();
    for (int id : {IdZoomIn, IdZoomOut, IdFullExtent, IdPan, IdMeasure})
        m_ToolBar->addAction(Action(id));
    m_ToolBar->addSeparator();
    m_ToolBar->addAction(Action(IdAbout));

    connect(Action(IdNew), &QAction::triggered, this, [this] { m_Shell->NewRoute(); });
    connect(Action(IdOpen), &QAction::triggered, this, [this] { m_Shell->OpenRoute(); });
    connect(Action(IdSave), &QAction::triggered, this, [this] { m_Shell->SaveRoute(); });
    connect(Action(IdProperties), &QAction::triggered, this, [this] { m_Shell->EditProperties(); });
    connect(Action(IdExport), &QAction::triggered, this, [this] {
        m_Shell->ExportStakes();
        OfferStakeLayer();
    });
    connect(Action(IdExportDxf), &QAction::triggered, this, [this] { m_Shell->ExportDxf(); });
    connect(Action(IdImportLandXml), &QAction::triggered, this, [this] { m_Shell->ImportLandXml(); });
    connect(Action(IdExit), &QAction::triggered, this, &QWidget::close);
    // The map tools stay active after their first use: they are checked while active, one at a
    // time, and none once a tool hands back.
    m_Tools = new QActionGroup(this);
    m_Tools->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<int, int> tools[] = {{IdZoomIn, CMouseListenerView::ToolZoomIn},
                                         {IdZoomOut, CMouseListenerView::ToolZoomOut},
                                         {IdPan, CMouseListenerView::ToolPan},
                                         {IdMeasure, CMouseListenerView::ToolMeasure},
                                         {IdSelect, CMouseListenerView::ToolBox}};
    for (const auto& [id, key] : tools)
    {
        Action(id)->setCheckable(true);
        Action(id)->setData(key);
        m_Tools->addAction(Action(id));
    }
    connect(m_View, &CVeylorView::ToolChanged, this, [this](int key) {
        for (QAction* a : m_Tools->actions()) a->setChecked(key != 0 && a->data().toInt() == key);
    });
    connect(Action(IdZoomIn), &QAction::triggered, m_View, &CVeylorView::ZoomInCommand);
    connect(Action(IdZoomOut), &QAction::triggered, m_View, &CVeylorView::ZoomOutCommand);
    connect(Action(IdFullExtent), &QAction::triggered, m_View, &CVeylorView::FullExtentCommand);
    connect(Action(IdPan), &QAction::triggered, m_View, &CVeylorView::PanCommand);
    connect(Action(IdMeasure), &QAction::triggered, m_View, &CVeylorView::MeasureCommand);
    connect(Action(IdAbout), &QAction::triggered, this, [this] {
        CAboutDlg dlg(this);
        dlg.exec();
    });
    connect(toolbar, &QAction::triggered, m_ToolBar, &QWidget::setVisible);
    connect(m_ToolBar, &QToolBar::visibilityChanged, toolbar, &QAction::setChecked);
    connect(input, &QAction::triggered, m_InputPane, &QWidget::setVisible);
    connect(m_InputPane, &QDockWidget::visibilityChanged, input, [this, input] { input->setChecked(m_InputPane->isVisible()); });
    connect(status, &QAction::triggered, statusBar(), &QWidget::setVisible);
    toolbar->setChecked(true);
    status->setChecked(true);
}

void CMainFrame::ApplyLook(int id)
{
    if (id != LookPlatform && id != LookWindows && id != LookFusion && id != LookFusionDark) id = LookFusion;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString styleName = QStringLiteral("Fusion");
    if (id == LookWindows) styleName = QStringLiteral("Windows");
    if (id == LookPlatform && !m_PlatformStyle.isEmpty()) styleName = m_PlatformStyle;
    if (QStyle* style = QStyleFactory::create(styleName))
    {
        QApplication::setStyle(style);
        QApplication::setPalette(id == LookFusionDark ? DarkPalette() : style->standardPalette());
    }
    if (QAction* a = Action(id)) a->setChecked(true);
    Settings().setValue(QStringLiteral("ApplicationLook"), id);
    update();
    QApplication::restoreOverrideCursor();
}

QString CMainFrame::ChooseSaveFile(const QString& title, const QString& filter, const QString& defaultSuffix,
                                   bool confirmOverwrite)
{
    QFileDialog dlg(this, title, QString(), filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!defaultSuffix.isEmpty()) dlg.setDefaultSuffix(defaultSuffix);
    if (!confirmOverwrite) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return dlg.selectedFiles().constFirst();
}

QString CMainFrame::ChooseOpenFile(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(this, title, QString(), filter);
}

int CMainFrame::ChooseItem(const QString& title, const QString& label, const QStringList& items)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(this, title, label, items, 0, false, &ok);
    return ok ? static_cast<int>(items.indexOf(item)) : -1;
}

bool CMainFrame::EditProperties(RouteProperties& properties, bool modeChangeable)
{
    CNewPropertyDlg dlg(properties, modeChangeable, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    properties = dlg.m_Properties;
    return true;
}

bool CMainFrame::EditExportOptions(ExportOptions& options, const QString& configDir)
{
    CExportDlg dlg(options, configDir, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    options = dlg.m_Options;
    return true;
}

void CMainFrame::ShowModeTab(RouteMode mode) { m_InputPane->ShowModeTab(mode); }

void CMainFrame::ShowInputPane()
{
    if (m_InputPane->isHidden()) m_InputPane->show();
}

void CMainFrame::SetWindowTitle(const QString& title) { setWindowTitle(title); }

void CMainFrame::ZoomToFullExtent()
{
    if (!m_View) return;
    // The route, not the map layers around it: a tile set may cover a whole county.
    CMapManage& map = m_Shell->Map();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    if (!m_Shell->RoadLayer().GetRange(minX, maxX, minY, maxY, 0))
    {
        m_View->FullExtentCommand();
        return;
    }
    map.SetClientRect(m_View->GetClientRect());
    if (ZoomMapToExtent(map, minX, minY, maxX, maxY)) RoundScaleAfterZoom(map, 0.0, ClientCentre(m_View->GetClientRect()));
    m_View->update();
}

void CMainFrame::RouteChanged()
{
    const bool open = m_Shell && m_Shell->HasRoute();
    for (int id : {IdSave, IdProperties, IdExport, IdZoomIn, IdZoomOut, IdFullExtent, IdPan, IdMeasure})
        if (QAction* a = Action(id)) a->setEnabled(open);
    if (m_InputPane)
    {
        m_InputPane->ElementList()->Refresh();
        m_InputPane->CrossPointList()->Refresh();
        m_InputPane->CurveTable()->Refresh();
    }
    if (m_Shell) setWindowTitle(m_Shell->WindowTitle());
    UpdateDeskCommands();
    if (!open)
    {
        if (m_Panes[1]) m_Panes[1]->setText(QStringLiteral("坐标:"));
        if (m_Panes[2]) m_Panes[2]->setText(QStringLiteral("里程:"));
        if (m_Panes[3]) m_Panes[3]->setText(QStringLiteral("偏距:"));
        if (m_Panes[4]) m_Panes[4]->clear();
    }
    if (m_View) m_View->update();
}

SaveChoice CMainFrame::AskToSaveChanges(const QString& question)
{
    QMessageBox box(QMessageBox::Question, QuestionCaption(), question, QMessageBox::NoButton, this);
    QPushButton* save = box.addButton(QStringLiteral("保存(&S)"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("不保存(&N)"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    // Esc and the window's close button must never throw the changes away.
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return SaveChoice::Save;
    if (box.clickedButton() == discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // A window made small squeezes the input pane to its minimum; when it grows again the extra
    // room would all go to the map. Give the pane back a usable share.
    if (m_InputPane && m_InputPane->isVisible() && event->oldSize().isValid() &&
        event->size().height() > event->oldSize().height())
    {
        const int wanted = qMin(280, event->size().height() / 3);
        if (m_InputPane->height() < wanted) resizeDocks({m_InputPane}, {wanted}, Qt::Vertical);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_Shell->SavePrompt())
    {
        event->ignore();
        return;
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Map layers

void CMainFrame::CreateLayerCommands(QMenu* map)
{
    AddCommand(map, IdSelect, QStringLiteral("选择要素(&E)"), QStringLiteral("点击或拖框选择要素，显示其属性\n选择要素"),
               QString());
    AddCommand(map, IdClearSelection, QStringLiteral("清除选择(&C)"), QStringLiteral("清除所选要素\n清除选择"), QString());
    map->addSeparator();
    AddCommand(map, IdAddLayer, QStringLiteral("添加图层(&L)..."), QStringLiteral("把数据文件作为图层加入地图\n添加图层"),
               QString());
    AddCommand(map, IdCoordinateSystem, QStringLiteral("坐标系(&C)..."),
               QStringLiteral("选择线路所用的坐标系，各图层按它换算\n坐标系"), QString());
    AddCommand(map, IdFindPoint, QStringLiteral("查找点(&F)..."), QStringLiteral("按点名或标记查找点并居中显示\n查找点"),
               QString(), QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(Action(IdSelect), &QAction::triggered, this, [this] { m_View->SelectCommand(); });
    connect(Action(IdClearSelection), &QAction::triggered, this, [this] {
        m_Layers->ClearSelection();
        m_Layers->HidePosition();
    });
    connect(Action(IdAddLayer), &QAction::triggered, this, &CMainFrame::AddLayerCommand);
    connect(Action(IdCoordinateSystem), &QAction::triggered, this, &CMainFrame::CoordinateSystemCommand);
    connect(Action(IdFindPoint), &QAction::triggered, this, &CMainFrame::FindPointCommand);
    connect(m_View, &CVeylorView::FeaturesPicked, this, [this](QPoint from, QPoint to) {
        // At the view's right edge on first use, beside what was picked rather than over it.
        if (!m_Identify->isVisible())
            m_Identify->move(m_View->mapToGlobal(QPoint(std::max(0, m_View->width() - m_Identify->width() - 20), 20)));
        m_Identify->Show(m_Layers->Identify(CPoint(from), CPoint(to)));
    });
}

void CMainFrame::LayersChanged()
{
    if (m_LayerPane) m_LayerPane->Refresh();
}

void CMainFrame::AddLayerCommand()
{
    QFileDialog dlg(this, QStringLiteral("添加图层"), QString(), CMapLayerList::FileFilter());
    dlg.setFileMode(QFileDialog::ExistingFiles);
    if (dlg.exec() != QDialog::Accepted) return;
    // A kind's own filter overrides what the file looks like; "all map files" lets the file tell.
    int format = 0;
    const int chosen = dlg.nameFilters().indexOf(dlg.selectedNameFilter());
    if (chosen > 0 && chosen <= int(CMapLayerList::Kinds().size())) format = CMapLayerList::Kinds()[size_t(chosen - 1)].format;
    for (const QString& path : dlg.selectedFiles())
    {
        QString error;
        if (!m_Layers->AddLayer(path, format, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
    }
    ShowInputPane();
    m_InputPane->Tabs()->setCurrentWidget(m_LayerPane);
    LayersChanged();
    m_LayerPane->SelectRow(0);
}

void CMainFrame::AddLayerFiles(const QStringList& paths)
{
    for (const QString& path : paths)
    {
        if (m_Layers->RowOfPath(QFileInfo(path).absoluteFilePath()) >= 0) continue;
        QString error;
        if (!m_Layers->AddLayer(path, 0, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
    }
    LayersChanged();
}

void CMainFrame::LayerPropertiesCommand(int row)
{
    if (row < 0 || row >= m_Layers->Count()) return;
    CMapLayer* layer = m_Layers->Layer(row);
    CLayerPropertiesDlg dlg(m_Layers->Item(row), layer && layer->IsLoad() ? layer : nullptr, this);
    const bool accepted = dlg.exec() == QDialog::Accepted;
    // The fill colours are written to their file at once, whatever the answer.
    if (dlg.FillColoursChanged()) m_Layers->FillColoursChanged(row);
    if (accepted) m_Layers->SetItem(row, dlg.Item());
    LayersChanged();
}

void CMainFrame::CoordinateSystemCommand()
{
    CCoordinateSystemDlg dlg(*m_Layers, this);
    dlg.exec();
}

void CMainFrame::FindPointCommand()
{
    CFindPointDlg dlg(*m_Layers, this);
    // In the view's top left corner: the point found is marked in the middle of the view.
    dlg.move(m_View->mapToGlobal(QPoint(20, 20)));
    dlg.exec();
}

void CMainFrame::OfferStakeLayer()
{
    const QString path = m_Shell->LastStakeFile();
    if (path.isEmpty()) return; // the export was cancelled or failed
    if (ShowMessage(QStringLiteral("在地图上显示导出的桩点吗？\n%1").arg(path), QuestionCaption(), MessageKind::Question) !=
        MessageAnswer::Yes)
        return;
    QString error;
    if (!m_Layers->ShowStakeFile(path, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
    LayersChanged();
}
