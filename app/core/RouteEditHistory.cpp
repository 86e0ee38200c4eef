#include "app/core/RouteEditHistory.h"

#include "app/core/CRouteShell.h"

RouteEditState CaptureEditState(const CRouteShell& shell)
{
    RouteEditState s;
    s.record = shell.m_Record;
    s.elementRecord = shell.m_ElementList.m_Record;
    s.elementName = shell.m_ElementList.m_Route.m_RoadName;
    s.elementStart = shell.m_ElementList.m_Route.m_StartMileage;
    s.elements = shell.m_ElementList.m_Route.m_Elements;
    s.elementRows = shell.m_ElementList.m_Rows;
    s.crossPointRecord = shell.m_CrossPointList.m_Record;
    s.crossPointName = shell.m_CrossPointList.m_Route.m_RoadName;
    s.crossPointStart = shell.m_CrossPointList.m_Route.m_StartMileage;
    s.crossPoints = shell.m_CrossPointList.m_Route.m_CrossPoints;
    s.crossPointRows = shell.m_CrossPointList.m_Rows;
    return s;
}

void CRouteEditHistory::Record(const QString& label, RouteEditState before)
{
    m_Redo.clear();
    m_Undo.push_back({label, std::move(before)});
    if (m_Undo.size() > kMaxSteps) m_Undo.erase(m_Undo.begin());
}

void CRouteEditHistory::Restore(CRouteShell& shell, const RouteEditState& s)
{
    // The route keeps the file it now has: 另存为 is not an edit to take back.
    const QString path = shell.m_Record.path;
    shell.m_Record = s.record;
    shell.m_ElementList.m_Record = s.elementRecord;
    shell.m_ElementList.m_Route.m_RoadName = s.elementName;
    shell.m_ElementList.m_Route.m_StartMileage = s.elementStart;
    shell.m_ElementList.m_Route.m_Elements = s.elements;
    shell.m_ElementList.m_Rows = s.elementRows;
    shell.m_CrossPointList.m_Record = s.crossPointRecord;
    shell.m_CrossPointList.m_Route.m_RoadName = s.crossPointName;
    shell.m_CrossPointList.m_Route.m_StartMileage = s.crossPointStart;
    shell.m_CrossPointList.m_Route.m_CrossPoints = s.crossPoints;
    shell.m_CrossPointList.m_Rows = s.crossPointRows;
    shell.m_Record.path = path;
    shell.m_ElementList.m_Record.path = path;
    shell.m_CrossPointList.m_Record.path = path;
    // The map still shows the route as last applied; the rows say so until the next apply.
    for (ListRow& row : shell.m_ElementList.m_Rows) row.outOfDate = true;
    shell.m_ElementList.m_Modified = 1;
    shell.m_CrossPointList.m_Modified = 1;
}

bool CRouteEditHistory::Undo(CRouteShell& shell)
{
    if (m_Undo.empty()) return false;
    Step step = std::move(m_Undo.back());
    m_Undo.pop_back();
    m_Redo.push_back({step.label, CaptureEditState(shell)});
    Restore(shell, step.state);
    return true;
}

bool CRouteEditHistory::Redo(CRouteShell& shell)
{
    if (m_Redo.empty()) return false;
    Step step = std::move(m_Redo.back());
    m_Redo.pop_back();
    m_Undo.push_back({step.label, CaptureEditState(shell)});
    Restore(shell, step.state);
    return true;
}

void CRouteEditHistory::Clear()
{
    m_Undo.clear();
    m_Redo.clear();
}
