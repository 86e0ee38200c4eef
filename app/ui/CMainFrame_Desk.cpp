// The commands a road designer expects of a desktop program beyond the original menus: 另存为,
// 关闭 and recent files in 线路, undo and redo in 编辑, the station style under 视图.
#include "app/ui/CMainFrame.h"

#include "app/core/CRouteShell.h"
#include "app/core/RecentFiles.h"
#include "app/core/RoutePicture.h"
#include "app/core/RouteSelection.h"
#include "app/core/StationDisplay.h"
#include "app/ui/CVeylorView.h"
#include "app/ui/RouteListPanes.h"
#include "map/CMapConvert.h"
#include "app/ui/UiSupport.h"
#include "platform/MessageSink.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>

namespace
{
enum DeskCommandId
{
    IdSaveAs = 57604,
    IdClose = 57602,
    IdUndo = 57643,
    IdRedo = 57644,
    IdKiloMarks = 32900,
    IdExportPicture = 32920,
    IdPrint = 57607,
    IdLabelNone = 32910, // + label mode 0 to 3
};
const QString kRecentKey = QStringLiteral("RecentFiles");
const QString kStationStyleKey = QStringLiteral("StationStyle");
const QString kLabelModeKey = QStringLiteral("LabelMode");

// The road layer draws on the drawing thread: it changes only between pictures, then is drawn anew.
void ShowLabels(CRouteShell& shell, int mode)
{
    CMapManage& map = shell.Map();
    map.WaitForDrawing();
    shell.RoadLayer().m_LabelMode = mode;
    shell.RoadLayer().m_StationStyle = DisplayStationStyle();
    map.SetStartCorAndScale(map.m_MapConvert.GetStartCor(), map.m_MapConvert.GetScale(), 1);
}
} // namespace

void CMainFrame::CreateDeskCommands(QMenu* route, QMenu* view)
{
    // 线路: 另存为 after 保存, 关闭 and the recent files before 退出.
    QAction* exit = Action(57665);
    QAction* properties = Action(32807);
    QMenu scratch;
    QAction* saveAs = AddCommand(&scratch, IdSaveAs, QStringLiteral("另存为(&A)..."),
                                 QStringLiteral("以新文件名保存线路\n另存为"), QString(),
                                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QAction* close = AddCommand(&scratch, IdClose, QStringLiteral("关闭(&C)"), QStringLiteral("关闭当前线路\n关闭"),
                                QString(), QKeySequence(Qt::CTRL | Qt::Key_W));
    route->insertAction(properties ? properties : exit, saveAs);
    route->insertAction(properties ? properties : exit, close);
    route->insertSeparator(properties ? properties : exit);
    QAction* picture = AddCommand(&scratch, IdExportPicture, QStringLiteral("导出图片(&I)..."),
                                  QStringLiteral("把当前视图（线路、标注、指北针、比例尺）保存为PNG图片\n导出图片"), QString());
    QAction* print = AddCommand(&scratch, IdPrint, QStringLiteral("打印(&P)..."),
                                QStringLiteral("打印当前视图，附线路名、日期和比例的图签\n打印"), QString(),
                                QKeySequence(Qt::CTRL | Qt::Key_P));
    route->insertAction(exit, picture);
    route->insertAction(exit, print);
    route->insertSeparator(exit);
    connect(picture, &QAction::triggered, this, [this] { ExportPictureCommand(); });
    connect(print, &QAction::triggered, this, [this] { PrintCommand(); });
    m_RecentMenu = new QMenu(QStringLiteral("最近的文件(&F)"), route);
    route->insertMenu(exit, m_RecentMenu);
    route->insertSeparator(exit);
    connect(saveAs, &QAction::triggered, this, [this] { m_Shell->SaveRouteAs(); });
    connect(close, &QAction::triggered, this, [this] { m_Shell->CloseRoute(); });

    // 编辑, after 线路.
    auto* edit = new QMenu(QStringLiteral("编辑(&E)"), this);
    menuBar()->insertMenu(menuBar()->actions().value(1), edit);
    QAction* undo = AddCommand(edit, IdUndo, QStringLiteral("撤销(&U)"), QStringLiteral("撤销上一步修改\n撤销"),
                               QString(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = AddCommand(edit, IdRedo, QStringLiteral("重做(&R)"), QStringLiteral("重做撤销的修改\n重做"),
                               QString(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(undo, &QAction::triggered, this, [this] { m_Shell->Undo(); });
    connect(redo, &QAction::triggered, this, [this] { m_Shell->Redo(); });

    // 视图: stations as K-marks or plain metres, kept between runs.
    view->addSeparator();
    QAction* kiloMarks = AddCommand(view, IdKiloMarks, QStringLiteral("里程显示为K桩号(&K)"),
                                    QStringLiteral("里程显示为 K12+345.678，否则显示为米\n里程格式"), QString());
    kiloMarks->setCheckable(true);
    const bool useKiloMarks = ProgramSettings().value(kStationStyleKey, 0).toInt() == 0;
    SetDisplayStationStyle(useKiloMarks ? StationStyle::KiloMark : StationStyle::Metres);
    kiloMarks->setChecked(useKiloMarks);
    connect(kiloMarks, &QAction::toggled, this, [this](bool on) {
        SetDisplayStationStyle(on ? StationStyle::KiloMark : StationStyle::Metres);
        ProgramSettings().setValue(kStationStyleKey, on ? 0 : 1);
        ShowLabels(*m_Shell, m_Shell->RoadLayer().m_LabelMode);
        RouteChanged();
    });

    // The main-point labels: none, names, stations or both ("ZH1 K12+765.678").
    QMenu* labels = view->addMenu(QStringLiteral("主点标注(&L)"));
    auto* labelGroup = new QActionGroup(this);
    const char* const labelTexts[] = {"不标注(&N)", "名称(&A)", "里程(&S)", "名称和里程(&B)"};
    const int labelMode = qBound(0, ProgramSettings().value(kLabelModeKey, 3).toInt(), 3);
    for (int mode = 0; mode <= 3; ++mode)
    {
        QAction* a = AddCommand(labels, IdLabelNone + mode, QString::fromUtf8(labelTexts[mode]),
                                QStringLiteral("地图上主点的标注内容\n主点标注"), QString());
        a->setCheckable(true);
        a->setChecked(mode == labelMode);
        labelGroup->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode] {
            ProgramSettings().setValue(kLabelModeKey, mode);
            ShowLabels(*m_Shell, mode);
        });
    }
    ShowLabels(*m_Shell, labelMode);
    // The map keys work in the view; the toolbar tips name them, and every command's tip names
    // its shortcut.
    const std::pair<int, const char*> keys[] = {{32787, "+ / 滚轮向前"}, {32788, "− / 滚轮向后"}, {32790, "Home"},
                                                {32791, "方向键"}};
    for (const auto& [id, key] : keys)
        if (QAction* a = Action(id)) a->setToolTip(a->toolTip() + QStringLiteral(" (%1)").arg(QString::fromUtf8(key)));
    for (const auto& [id, a] : m_Actions)
        if (!a->shortcut().isEmpty() && !a->toolTip().contains(QLatin1Char('(')))
            a->setToolTip(a->toolTip() + QStringLiteral(" (%1)").arg(a->shortcut().toString(QKeySequence::NativeText)));
    RebuildRecentMenu();
    ConnectRowHighlight();
}

void CMainFrame::ConnectRowHighlight()
{
    // The selected row's stretch of route shows on the map; a click on the route selects its row.
    for (CRouteListPane* pane : {static_cast<CRouteListPane*>(m_InputPane->ElementList()),
                                 static_cast<CRouteListPane*>(m_InputPane->CrossPointList())})
    {
        connect(pane->Table(), &QTableWidget::itemSelectionChanged, this, [this, pane] {
            const StationSpan span = RowSpan(*m_Shell, pane->FirstSelectedRow());
            m_View->SetHighlight(span.valid, span.from, span.to);
        });
    }
    m_View->onPick = [this](double x, double y) {
        const CMapConvert& convert = m_Shell->Map().m_MapConvert;
        double station = 0, offset = 0;
        // Only a click on the line itself, within a few pixels, picks.
        if (!m_Shell->Road().GetPegAndOffset(x, y, station, offset, 0, 0) || std::fabs(offset) > 6 * convert.GetScale())
            return;
        const int row = RowAtStation(*m_Shell, station);
        if (row < 0) return;
        CRouteListPane* pane = m_Shell->Mode() == RouteMode::CrossPoint
                                   ? static_cast<CRouteListPane*>(m_InputPane->CrossPointList())
                                   : static_cast<CRouteListPane*>(m_InputPane->ElementList());
        ShowInputPane();
        m_InputPane->Tabs()->setCurrentWidget(pane);
        pane->SelectRow(row);
    };
}

void CMainFrame::UpdateDeskCommands()
{
    if (!m_Shell) return;
    const bool open = m_Shell->HasRoute();
    const CRouteEditHistory& history = m_Shell->History();
    if (QAction* a = Action(IdSaveAs)) a->setEnabled(open);
    if (QAction* a = Action(IdClose)) a->setEnabled(open);
    if (QAction* a = Action(IdExportPicture)) a->setEnabled(open);
    if (QAction* a = Action(IdPrint)) a->setEnabled(open);
    if (QAction* a = Action(IdUndo))
    {
        a->setEnabled(history.CanUndo());
        a->setText(history.CanUndo() ? QStringLiteral("撤销 %1(&U)").arg(history.UndoLabel()) : QStringLiteral("撤销(&U)"));
    }
    if (QAction* a = Action(IdRedo))
    {
        a->setEnabled(history.CanRedo());
        a->setText(history.CanRedo() ? QStringLiteral("重做 %1(&R)").arg(history.RedoLabel()) : QStringLiteral("重做(&R)"));
    }
    // The highlight follows the rows, which a change may have renumbered or emptied.
    if (m_View && m_InputPane)
    {
        CRouteListPane* pane = m_Shell->Mode() == RouteMode::CrossPoint
                                   ? static_cast<CRouteListPane*>(m_InputPane->CrossPointList())
                                   : static_cast<CRouteListPane*>(m_InputPane->ElementList());
        const StationSpan span = open ? RowSpan(*m_Shell, pane->FirstSelectedRow()) : StationSpan();
        m_View->SetHighlight(span.valid, span.from, span.to);
    }
    // A route that was opened, created or saved under a new name goes to the top of the list; the
    // position marked on the previous route means nothing there.
    const QString path = m_Shell->m_Record.path;
    if (m_View && (!open || path != m_LastRecent) && m_View->HasMarker()) m_View->ClearMarker();
    if (open && path != m_LastRecent && QFileInfo::exists(path))
    {
        m_LastRecent = path;
        QSettings settings = ProgramSettings();
        settings.setValue(kRecentKey, AddRecentFile(settings.value(kRecentKey).toStringList(), path));
        RebuildRecentMenu();
    }
}

void CMainFrame::RebuildRecentMenu()
{
    if (!m_RecentMenu) return;
    m_RecentMenu->clear();
    const QStringList files = ExistingRecentFiles(ProgramSettings().value(kRecentKey).toStringList());
    for (int i = 0; i < files.size(); ++i)
    {
        const QString path = files[i];
        QAction* a = m_RecentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setStatusTip(path);
        a->setToolTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            if (m_Shell->SavePrompt()) m_Shell->OpenRoutePath(path);
        });
    }
    m_RecentMenu->setEnabled(!files.isEmpty());
}

RoutePictureOptions CMainFrame::PictureOptions() const
{
    RoutePictureOptions options;
    options.labelMode = m_Shell->RoadLayer().m_LabelMode;
    options.stationStyle = DisplayStationStyle();
    return options;
}

bool CMainFrame::ExportPicture(const QString& path, QSize size)
{
    CMapManage& map = m_Shell->Map();
    map.WaitForDrawing();
    const QImage picture = RenderRoutePicture(m_Shell->Road(), map.m_MapConvert, size, PictureOptions());
    if (!picture.isNull() && picture.save(path, "PNG")) return true;
    ShowMessage(QStringLiteral("图片不能写入 %1").arg(path), QStringLiteral("Veylor"), MessageKind::Error);
    return false;
}

void CMainFrame::ExportPictureCommand()
{
    if (!m_Shell->HasRoute()) return;
    // The size: the view's by default, up to 20000 pixels a side.
    QDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("导出图片"));
    auto* width = new QSpinBox(&dlg);
    auto* height = new QSpinBox(&dlg);
    for (QSpinBox* box : {width, height})
    {
        box->setRange(16, 20000);
        box->setSuffix(QStringLiteral(" 像素"));
    }
    width->setValue(m_View->width());
    height->setValue(m_View->height());
    auto* form = new QFormLayout(&dlg);
    form->addRow(QStringLiteral("宽度"), width);
    form->addRow(QStringLiteral("高度"), height);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return;
    // Beside the route, named after it.
    const QFileInfo route(m_Shell->m_Record.path);
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出图片"),
                                                route.dir().filePath(route.completeBaseName() + QStringLiteral(".png")),
                                                QStringLiteral("PNG 图片 (*.png)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    ExportPicture(path, QSize(width->value(), height->value()));
}

void CMainFrame::PrintCommand()
{
    if (!m_Shell->HasRoute()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_Shell->m_Record.name);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted) return;
    PrintTo(printer);
}

bool CMainFrame::PrintTo(QPrinter& printer)
{
    CMapManage& map = m_Shell->Map();
    map.WaitForDrawing();
    const QRect page(QPoint(0, 0), printer.pageRect(QPrinter::DevicePixel).size().toSize());
    const PrintedPageLayout layout = LayOutPrintedPage(page);
    // A picture of screen-like resolution, enlarged onto the page: the labels, the arrow and the
    // scale bar keep a readable size.
    const QSize size = PrintedPictureSize(layout.mapArea, 2400);
    const QImage picture = RenderRoutePicture(m_Shell->Road(), map.m_MapConvert, size, PictureOptions());
    TitleBlock title;
    title.routeName = m_Shell->m_Record.name;
    title.date = QDate::currentDate();
    title.scaleDenominator =
        PrintedScaleDenominator(RoutePictureScale(map.m_MapConvert, size), layout.mapArea, size, printer.resolution());
    QPainter painter;
    if (picture.isNull() || !painter.begin(&printer))
    {
        ShowMessage(QStringLiteral("无法打印"), QStringLiteral("Veylor"), MessageKind::Error);
        return false;
    }
    PaintPrintedPage(painter, layout, picture, title);
    painter.end();
    return true;
}
