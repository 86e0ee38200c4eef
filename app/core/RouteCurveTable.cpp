#include "app/core/RouteCurveTable.h"

#include "app/core/CRouteShell.h"
#include "app/core/StationDisplay.h"
#include "platform/FileIO.h"
#include "road/CurveTable.h"

std::vector<QStringList> RouteCurveTable(CRouteShell& shell)
{
    const StationStyle style = DisplayStationStyle();
    if (shell.Mode() == RouteMode::CrossPoint)
        return CrossPointTableText(BuildCrossPointTable(shell.m_CrossPointList.m_Route), style);
    return ElementTableText(BuildElementTable(shell.Road()), style);
}

bool ExportRouteCurveTable(CRouteShell& shell, const QString& path, QString& error)
{
    if (path.trimmed().isEmpty())
    {
        error = QStringLiteral("没有文件名");
        return false;
    }
    return WriteFileAtomically(path, TableCsvBytes(RouteCurveTable(shell)), &error);
}
