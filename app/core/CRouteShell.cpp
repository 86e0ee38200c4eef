#include "app/core/CRouteShell.h"

#include "app/core/ExportOptionsFile.h"
#include "platform/Color.h"
#include "platform/MessageSink.h"
#include "road/RouteFileCheck.h"

#include <QFileInfo>

#include <algorithm>

namespace
{
void Warn(const QString& text) { ShowMessage(text, WarningCaption(), MessageKind::Warning); }
void Fail(const QString& text) { ShowMessage(text, ErrorCaption(), MessageKind::Error); }

QString ModeName(RouteMode mode)
{
    return mode == RouteMode::CrossPoint ? QStringLiteral("交点模式") : QStringLiteral("元素模式");
}

QString ProblemLine(const RouteFileLineProblem& p)
{
    QString line = QStringLiteral("第%1行：%2").arg(p.line).arg(p.reason);
    if (!p.text.isEmpty()) line += QStringLiteral("\n    “%1”").arg(p.text);
    return line;
}

// Why a file is not opened: the file, the first line that is not a route record, and that the
// file was left alone.
QString RefusalText(const QString& path, RouteMode mode, const RouteFileCheckResult& check)
{
    QString text = QStringLiteral("打开线路文件失败！\n%1\n").arg(path);
    if (check.problems.empty())
        text += QStringLiteral("文件中没有%1线路的记录。").arg(ModeName(mode));
    else
        text += QStringLiteral("这不是%1线路文件，%2").arg(ModeName(mode), ProblemLine(check.problems.front()));
    return text + QStringLiteral("\n文件没有被改动。");
}

// The damaged lines of a file that still opens, at most a handful of them.
QString DamageText(const QString& path, const RouteFileCheckResult& check)
{
    const size_t shown = std::min<size_t>(check.problems.size(), 5);
    QString text = QStringLiteral("线路文件 %1 中有 %2 行已损坏：").arg(path).arg(check.problems.size());
    for (size_t i = 0; i < shown; ++i) text += QLatin1Char('\n') + ProblemLine(check.problems[i]);
    if (shown < check.problems.size()) text += QStringLiteral("\n……");
    return text + QStringLiteral("\n损坏的数值按0读入，其他损坏的行被略过；有问题的行已标出。"
                                 "文件没有被改动，线路尚未计算：改正后点击“应用”，或保存。");
}
} // namespace

CRouteShell::CRouteShell(IRouteUser& user, const QString& configDir) : m_User(user), m_ConfigDir(configDir)
{
    // The view's background is black: the route is drawn in white.
    Road().SetRoadColor(RGB(255, 255, 255));
    m_RoadLayer.SetConvert(&m_Map.m_MapConvert);
    m_ElementList.m_Route.SetConfigPath(configDir);
    m_CrossPointList.m_Route.SetConfigPath(configDir);
    ClearRouteState();
}

CRouteShell::~CRouteShell()
{
    m_Map.WaitForDrawing();
    m_Map.m_OverlayLayers.clear();
}

QString CRouteShell::WindowTitle() const
{
    return HasRoute() ? QStringLiteral("Veylor - ") + m_Record.path : QStringLiteral("Veylor");
}

void CRouteShell::UnloadRoad()
{
    // The drawing thread may be drawing the model.
    m_Map.WaitForDrawing();
    Road().UnLoad();
}

void CRouteShell::ClearRouteState()
{
    m_History.Clear();
    m_Record = RouteRecord();
    UnloadRoad();
    m_ElementList.Clear();
    m_CrossPointList.Clear();
    m_User.RouteChanged();
}

bool CRouteShell::SaveDefinition()
{
    int ok = 0;
    switch (Mode())
    {
    case RouteMode::Element:
        m_ElementList.m_Route.m_RoadName = m_Record.name;
        m_ElementList.m_Route.m_StartMileage = m_Record.startMileage;
        ok = m_ElementList.m_Route.LibraryFile_Save(m_Record.path);
        if (ok) m_ElementList.m_Modified = 0;
        break;
    case RouteMode::CrossPoint:
        m_CrossPointList.m_Route.m_RoadName = m_Record.name;
        ok = m_CrossPointList.m_Route.LibraryFile_Save(m_Record.path);
        if (ok) m_CrossPointList.m_Modified = 0;
        break;
    case RouteMode::None: return true;
    }
    if (!ok) Fail(QStringLiteral("保存线路文件失败！\n") + m_Record.path);
    return ok != 0;
}

bool CRouteShell::SavePrompt()
{
    if (m_Record.path.size() < 3) return true;
    const bool modified = (Mode() == RouteMode::Element && m_ElementList.m_Modified) ||
                          (Mode() == RouteMode::CrossPoint && m_CrossPointList.m_Modified);
    if (!modified) return true;
    switch (m_User.AskToSaveChanges(QStringLiteral("当前线路没有保存，是否保存？")))
    {
    case SaveChoice::Save: return SaveDefinition();
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: break;
    }
    return false;
}

void CRouteShell::NewRoute()
{
    if (!SavePrompt()) return;
    const QString chosen = m_User.ChooseSaveFile(QStringLiteral("新建线路文件"), QStringLiteral("所有文件 (*)"),
                                                 QString(), false);
    if (chosen.isEmpty()) return;
    RouteProperties props;
    props.name = QFileInfo(chosen).fileName();
    props.mode = RouteMode::Element;
    if (!m_User.EditProperties(props, true)) return;

    ClearRouteState();
    const bool crossPoint = props.mode == RouteMode::CrossPoint;
    m_Record.path = chosen + (crossPoint ? QStringLiteral(".RP") : QStringLiteral(".RE"));
    m_Record.name = props.name;
    m_Record.startMileage = crossPoint ? 0.0 : props.startMileage;
    m_User.ShowModeTab(crossPoint ? RouteMode::CrossPoint : RouteMode::Element);

    if (QFileInfo::exists(m_Record.path) &&
        ShowMessage(QStringLiteral("该线路文件已经存在，是否覆盖？"), WarningCaption(), MessageKind::Question) !=
            MessageAnswer::Yes)
    {
        ClearRouteState();
        m_User.SetWindowTitle(WindowTitle());
        return;
    }
    m_User.ShowInputPane();
    m_User.SetWindowTitle(WindowTitle());
    m_User.RouteChanged();
    m_Map.SetStartCorAndScale(m_Map.m_MapConvert.GetStartCor(), m_Map.m_MapConvert.GetScale(), 1);
}

void CRouteShell::OpenRoute()
{
    if (!SavePrompt()) return;
    const QString path = m_User.ChooseOpenFile(QStringLiteral("打开线路文件"),
                                               QStringLiteral("线路文件 (*.RE *.RP *.re *.rp);;所有文件 (*)"));
    if (path.isEmpty()) return;
    (void)OpenRoutePath(path);
}

bool CRouteShell::OpenRoutePath(const QString& path)
{
    const RouteMode mode = RouteModeOfPath(path);
    // A file of another kind changes nothing.
    if (path.size() < 3 || mode == RouteMode::None) return false;

    // The route is written back once opened: first make sure the file is a route file at all, so
    // that opening a stray file never overwrites it.
    const RouteFileCheckResult check = CheckRouteFile(path, mode);
    if (!check.readable)
    {
        Fail(QStringLiteral("打开线路文件失败！"));
        return false;
    }
    if (!check.IsRouteFile())
    {
        Fail(RefusalText(path, mode, check));
        return false;
    }

    RouteRecord request;
    request.path = path;
    bool loaded = false;
    if (mode == RouteMode::Element)
    {
        if (m_ElementList.Load(request))
        {
            UnloadRoad();
            m_CrossPointList.Clear();
            m_Record = m_ElementList.m_Record;
            loaded = true;
        }
    }
    else if (m_CrossPointList.Load(request))
    {
        UnloadRoad();
        m_ElementList.Clear();
        m_Record = m_CrossPointList.m_Record;
        loaded = true;
    }
    if (!loaded)
    {
        Fail(QStringLiteral("打开线路文件失败！"));
        return false;
    }
    m_History.Clear();
    m_User.ShowInputPane();
    m_User.ShowModeTab(mode);
    m_User.SetWindowTitle(WindowTitle());
    if (!check.problems.empty())
    {
        // Damaged lines read as 0 or are skipped: saving now would make that final. The rows show
        // what is wrong, and the file waits until the user applies or saves.
        std::vector<ListRow>& rows = mode == RouteMode::Element ? m_ElementList.m_Rows : m_CrossPointList.m_Rows;
        for (const RouteFileLineProblem& p : check.problems)
            if (p.recordIndex >= 0 && static_cast<size_t>(p.recordIndex) < rows.size())
                rows[static_cast<size_t>(p.recordIndex)].problem = QStringLiteral("第%1行：%2").arg(p.line).arg(p.reason);
        m_User.RouteChanged();
        Warn(DamageText(path, check));
        return false;
    }
    m_User.RouteChanged();
    ApplyAndShow(true);
    m_Map.SetStartCorAndScale(m_Map.m_MapConvert.GetStartCor(), m_Map.m_MapConvert.GetScale(), 1);
    return Road().IsLoad() != 0;
}

bool CRouteShell::ApplyCurrentMode(bool& written)
{
    written = false;
    RouteApplyStatus status = RouteApplyStatus::WriteFailed;
    switch (Mode())
    {
    case RouteMode::Element:
        status = m_ElementList.Apply(m_Record);
        if (status == RouteApplyStatus::Written) m_Record.runningMileage = m_ElementList.m_Record.runningMileage;
        break;
    case RouteMode::CrossPoint:
        status = m_CrossPointList.Apply(m_Record);
        if (status == RouteApplyStatus::Written)
        {
            m_Record.startMileage = m_CrossPointList.m_Record.startMileage;
            m_Record.runningMileage = m_CrossPointList.m_Record.runningMileage;
        }
        break;
    case RouteMode::None: return false;
    }
    written = status == RouteApplyStatus::Written;
    return true;
}

bool CRouteShell::ApplyAndShow(bool zoomToRoute)
{
    bool written = false;
    ApplyCurrentMode(written);
    // A route that could not be computed is taken off the map: the route drawn there would be an
    // older version, shown as if it were the one in the lists. An older curve exchange file on
    // disk is not loaded either.
    if (written)
        LoadCurveFile(zoomToRoute);
    else
        UnloadRoad();
    m_User.RouteChanged();
    return written;
}

bool CRouteShell::ApplyElements()
{
    if (Mode() != RouteMode::Element) return false;
    return ApplyAndShow(true);
}

bool CRouteShell::ApplyCrossPoints()
{
    if (Mode() != RouteMode::CrossPoint) return false;
    return ApplyAndShow(true);
}

bool CRouteShell::LoadCurveFile(bool zoomToRoute)
{
    m_Map.WaitForDrawing();
    if (!Road().LoadTDFEFile(CurveFilePathOf(m_Record.path)))
    {
        Fail(QStringLiteral("加载线路文件错误！"));
        return false;
    }
    if (zoomToRoute) m_User.ZoomToFullExtent();
    return true;
}

void CRouteShell::SaveRoute()
{
    if (!HasRoute()) return;
    SaveDefinition();
    m_User.RouteChanged();
}

void CRouteShell::EditProperties()
{
    if (!HasRoute()) return;
    RouteProperties props;
    props.name = m_Record.name;
    props.startMileage = m_Record.startMileage;
    props.mode = Mode() == RouteMode::CrossPoint ? RouteMode::CrossPoint : RouteMode::Element;
    if (!m_User.EditProperties(props, false)) return;
    NoteEdit(QStringLiteral("属性"));
    m_Record.name = props.name;
    if (Mode() == RouteMode::Element) m_Record.startMileage = props.startMileage;
    const bool shown = Road().IsLoad() != 0;
    if (!SaveDefinition()) return;
    // The stations of the rows and of the map follow the start station: compute the route again
    // (the definition was just saved as it stands, so this writes nothing the user did not have).
    if (shown)
    {
        ApplyAndShow(false);
        return;
    }
    if (Mode() == RouteMode::Element)
        for (ListRow& row : m_ElementList.m_Rows) row.outOfDate = true;
    m_User.RouteChanged();
}

void CRouteShell::ExportStakes()
{
    m_LastStakeFile.clear();
    if (!HasRoute()) return;
    const QString path =
        m_User.ChooseSaveFile(QStringLiteral("导出边桩文件"), QStringLiteral("边桩文件 (*.dat)"), QStringLiteral("dat"), true);
    if (path.isEmpty()) return;
    ExportOptions options;
    ReadExportOptions(m_ConfigDir, options);
    if (!m_User.EditExportOptions(options, m_ConfigDir)) return;

    // The export uses the route in the lists, saved and computed again. When that fails the route
    // on screen is an older one: its stakes would not match the lists, so nothing is exported.
    const bool written = ApplyAndShow(true);
    if (!written || !Road().IsLoad())
    {
        Warn(QStringLiteral("线路文件计算错误，不能导出边桩！"));
        return;
    }
    m_Map.WaitForDrawing();
    if (Road().Export(path, options.interval, options.offset, options.mode,
                      options.layout == 1 ? StakeLayout::Field : StakeLayout::StakeFile))
    {
        m_LastStakeFile = path;
        ShowMessage(QStringLiteral("边桩坐标导出完毕！"), QuestionCaption(), MessageKind::Information);
    }
    else
        Warn(QStringLiteral("线路计算错误，不能导出边桩坐标！"));
}

bool CRouteShell::Undo()
{
    if (!m_History.Undo(*this)) return false;
    m_User.RouteChanged();
    return true;
}

bool CRouteShell::Redo()
{
    if (!m_History.Redo(*this)) return false;
    m_User.RouteChanged();
    return true;
}

bool CRouteShell::SaveRouteAs()
{
    if (!HasRoute()) return false;
    const bool crossPoint = Mode() == RouteMode::CrossPoint;
    const QString path = m_User.ChooseSaveFile(QStringLiteral("线路另存为"),
                                               crossPoint ? QStringLiteral("交点线路文件 (*.RP)") : QStringLiteral("元素线路文件 (*.RE)"),
                                               crossPoint ? QStringLiteral("RP") : QStringLiteral("RE"), true);
    if (path.isEmpty()) return false;
    return SaveRouteAsPath(path);
}

bool CRouteShell::SaveRouteAsPath(const QString& chosen)
{
    if (!HasRoute() || chosen.trimmed().isEmpty()) return false;
    const RouteMode mode = Mode();
    QString path = chosen;
    // The ending decides how the file is read back: it must stay the route's own.
    if (RouteModeOfPath(path) != mode) path += mode == RouteMode::CrossPoint ? QStringLiteral(".RP") : QStringLiteral(".RE");
    const RouteRecord before = m_Record;
    m_Record.path = path;
    m_ElementList.m_Record.path = path;
    m_CrossPointList.m_Record.path = path;
    if (!SaveDefinition())
    {
        m_Record = before;
        m_ElementList.m_Record.path = before.path;
        m_CrossPointList.m_Record.path = before.path;
        m_User.RouteChanged();
        return false;
    }
    // A route on the map gets its curve exchange file beside the new name as well.
    if (Road().IsLoad()) ApplyAndShow(false);
    m_User.SetWindowTitle(WindowTitle());
    m_User.RouteChanged();
    return true;
}

bool CRouteShell::CloseRoute()
{
    if (!HasRoute()) return true;
    if (!SavePrompt()) return false;
    ClearRouteState();
    m_User.SetWindowTitle(WindowTitle());
    return true;
}
