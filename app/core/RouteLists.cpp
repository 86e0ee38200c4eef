#include "app/core/RouteLists.h"

#include "app/core/RouteChecks.h"
#include "geometry/Angle.h"
#include "platform/MessageSink.h"

#include <QStringList>

#include <cmath>

namespace
{
QString Num(double v) { return QString::asprintf("%.4f", v); }

// Where a new row goes: after the selected one, at the end without a selection.
size_t InsertPosition(int selectedRow, size_t count)
{
    if (selectedRow < 0 || static_cast<size_t>(selectedRow) + 1 >= count) return count;
    return static_cast<size_t>(selectedRow) + 1;
}

// Rows from `from` on show coordinates and stations of a route that no longer exists.
void MarkOutOfDate(std::vector<ListRow>& rows, size_t from)
{
    for (size_t i = from; i < rows.size(); ++i) rows[i].outOfDate = true;
}

// The records of a list and their rows change together: these keep them in step for both lists.
template <typename T, typename RowOfRecord>
int InsertRecord(std::vector<T>& records, std::vector<ListRow>& rows, const T& record, int selectedRow,
                 RowOfRecord rowOf)
{
    const size_t at = InsertPosition(selectedRow, records.size());
    const int number = static_cast<int>(rows.size()) + 1; // the label counts rows, not positions
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(at), record);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), rowOf(record, number));
    MarkOutOfDate(rows, at + 1);
    return static_cast<int>(at);
}

template <typename T, typename RowOfRecord>
bool ReplaceRecord(std::vector<T>& records, std::vector<ListRow>& rows, int row, const T& record, RowOfRecord rowOf)
{
    if (row < 0 || static_cast<size_t>(row) >= records.size() || static_cast<size_t>(row) >= rows.size())
        return false;
    const size_t at = static_cast<size_t>(row);
    records[at] = record;
    const QString number = rows[at].text[0];
    rows[at] = rowOf(record, 0);
    rows[at].text[0] = number;
    MarkOutOfDate(rows, at);
    return true;
}

template <typename T>
bool RemoveRecord(std::vector<T>& records, std::vector<ListRow>& rows, int row)
{
    if (row < 0 || static_cast<size_t>(row) >= records.size() || static_cast<size_t>(row) >= rows.size())
        return false;
    records.erase(records.begin() + row);
    rows.erase(rows.begin() + row);
    // The rows below move up: number them again at once, so that no two rows share a number.
    for (size_t i = 0; i < rows.size(); ++i) rows[i].text[0] = QString::number(i + 1);
    MarkOutOfDate(rows, static_cast<size_t>(row));
    return true;
}

void ReportSaveFailure(const QString& path)
{
    ShowMessage(QStringLiteral("保存线路文件失败！\n") + path, ErrorCaption(), MessageKind::Error);
}

void Warn(const QString& text) { ShowMessage(text, WarningCaption(), MessageKind::Warning); }

// One message for all findings, each naming its row by the number the list shows.
QString FindingsText(const std::vector<RouteFinding>& findings, const std::vector<ListRow>& rows, const QString& what)
{
    QStringList lines;
    for (const RouteFinding& f : findings)
    {
        const size_t at = static_cast<size_t>(f.index);
        const QString number = at < rows.size() ? rows[at].text[0] : QString::number(f.index + 1);
        lines << QStringLiteral("%1 %2：%3").arg(what, number, f.text);
    }
    return lines.join(QLatin1Char('\n'));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Element list

ListRow CRouteElementList::RowOf(const Road_Element& e, int number)
{
    ListRow row;
    row.text[0] = QString::number(number);
    switch (e.type)
    {
    case 1:
        row.image = ListRow::ImagePoint;
        row.text[1] = Num(e.point.x);
        row.text[2] = Num(e.point.y);
        break;
    case 2:
        row.image = ListRow::ImageStraight;
        row.text[3] = Angle::DegreesToPackedDmsTextSnapped(e.azimuth);
        row.tip[3] = Angle::PackedDmsTextReadable(row.text[3]);
        row.text[4] = Num(e.length);
        break;
    case 3:
        row.image = ListRow::ImageArc;
        row.text[4] = Num(e.length);
        row.text[5] = Num(e.radius);
        break;
    case 4:
        row.image = ListRow::ImageTransition;
        row.text[4] = Num(e.length);
        break;
    default: break;
    }
    return row;
}

int CRouteElementList::Load(const RouteRecord& record)
{
    if (record.path.isEmpty()) return 0;
    // Read into a copy: a file that cannot be read must not wipe the route being edited.
    CRoadDesign_Element route = m_Route;
    if (!route.LibraryFile_Read(record.path)) return 0;
    m_Route = std::move(route);
    m_Record = record;
    m_Record.startMileage = m_Route.m_StartMileage;
    m_Record.runningMileage = m_Route.m_RunningMileage;
    m_Record.name = m_Route.m_RoadName;
    m_Rows.clear();
    for (const Road_Element& e : m_Route.m_Elements) m_Rows.push_back(RowOf(e, static_cast<int>(m_Rows.size()) + 1));
    m_Modified = 0;
    return 1;
}

int CRouteElementList::Insert(const Road_Element& element, int selectedRow)
{
    m_Modified = 1;
    return InsertRecord(m_Route.m_Elements, m_Rows, element, selectedRow, &RowOf);
}

bool CRouteElementList::TransitionFits(int selectedRow) const
{
    return TransitionFitsAt(m_Route.m_Elements, InsertPosition(selectedRow, m_Route.m_Elements.size()));
}

const Road_Element* CRouteElementList::ElementAt(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= m_Route.m_Elements.size()) return nullptr;
    return &m_Route.m_Elements[static_cast<size_t>(row)];
}

bool CRouteElementList::Replace(int row, const Road_Element& element)
{
    if (!ReplaceRecord(m_Route.m_Elements, m_Rows, row, element, &RowOf)) return false;
    m_Modified = 1;
    return true;
}

bool CRouteElementList::Remove(int row)
{
    if (!RemoveRecord(m_Route.m_Elements, m_Rows, row)) return false;
    m_Modified = 1;
    return true;
}

void CRouteElementList::Clear()
{
    m_Route.m_Elements.clear();
    m_Rows.clear();
    m_CheckModel.UnLoad();
    m_Modified = 0;
}

RouteApplyStatus CRouteElementList::Apply(const RouteRecord& frameRecord, bool* saved)
{
    m_Record = frameRecord;
    m_Route.m_RoadName = m_Record.name;
    m_Route.m_StartMileage = m_Record.startMileage;
    const bool written = m_Route.LibraryFile_Save(m_Record.path) != 0;
    if (saved) *saved = written;
    if (written)
        m_Modified = 0;
    else
        ReportSaveFailure(m_Record.path);

    // The shape of the route first, then the values of each element, so that one message names
    // every element that cannot be built.
    if (!CheckRouteElements(m_Route)) return RouteApplyStatus::ChecksFailed;
    const std::vector<RouteFinding> errors = ElementRouteErrors(m_Route.m_Elements);
    if (!errors.empty())
    {
        Warn(QStringLiteral("线路无法计算：\n") + FindingsText(errors, m_Rows, QStringLiteral("元素")) +
             QStringLiteral("\n请改正后再点击“应用”。"));
        return RouteApplyStatus::ChecksFailed;
    }
    const RouteApplyStatus status = ApplyElementRoute(m_Route, m_CheckModel, CurveFilePathOf(m_Record.path));
    if (status == RouteApplyStatus::CalculationFailed)
        Warn(QStringLiteral("线路无法计算，请检查各元素的长度、半径和方位角！"));
    if (status != RouteApplyStatus::Written) return status;
    m_Record.runningMileage = m_Route.m_RunningMileage;
    const std::vector<RouteFinding> kinks = ElementRouteKinks(m_Route.m_Elements, m_CheckModel);
    if (!kinks.empty()) Warn(QStringLiteral("线路已计算，但有折角：\n") + FindingsText(kinks, m_Rows, QStringLiteral("元素")));
    RebuildFromModel();
    return status;
}

void CRouteElementList::RebuildFromModel()
{
    const std::vector<CRoadElement>& computed = m_CheckModel.m_RoadElements;
    std::vector<ListRow> rows;
    double total = 0.0;
    size_t next = 0;
    for (const Road_Element& e : m_Route.m_Elements)
    {
        const int number = static_cast<int>(rows.size()) + 1;
        if (!ModelKeepsElement(e) || next >= computed.size())
        {
            rows.push_back(RowOf(e, number));
            continue;
        }
        const CRoadElement& c = computed[next++];
        ListRow row;
        row.text[0] = QString::number(number);
        switch (c.m_Kind)
        {
        case CRoadElement::StartPoint:
            row.image = ListRow::ImagePoint;
            row.text[1] = Num(c.m_StartX);
            row.text[2] = Num(c.m_StartY);
            row.text[7] = Num(c.m_EndStation);
            break;
        case CRoadElement::Straight:
            row.image = ListRow::ImageStraight;
            row.text[1] = Num(c.m_EndX);
            row.text[2] = Num(c.m_EndY);
            row.text[3] = QString::asprintf("%.10f", Angle::RadiansToPackedDmsRounded12(c.m_EndBearing));
            row.tip[3] = Angle::PackedDmsTextReadable(row.text[3]);
            row.text[4] = Num(c.m_Length);
            row.text[7] = Num(c.m_EndStation);
            total += c.m_Length;
            break;
        case CRoadElement::CircularCurve:
        {
            row.image = ListRow::ImageArc;
            row.text[1] = Num(c.m_EndX);
            row.text[2] = Num(c.m_EndY);
            row.text[4] = Num(c.m_Length);
            row.text[5] = Num(c.m_StartRadius);
            double deflection = c.m_EndBearing - c.m_StartBearing;
            if (deflection < 0) deflection += Angle::kTwoPi;
            row.text[6] = Angle::DegreesToPackedDmsTextSnapped(Angle::RadiansToDegrees(deflection));
            row.tip[6] = Angle::PackedDmsTextReadable(row.text[6]);
            row.text[7] = Num(c.m_EndStation);
            total += c.m_Length;
            break;
        }
        case CRoadElement::Transition:
            row.image = ListRow::ImageTransition;
            row.text[1] = Num(c.m_EndX);
            row.text[2] = Num(c.m_EndY);
            row.text[4] = Num(c.m_Length);
            row.text[7] = Num(c.m_EndStation);
            total += c.m_Length;
            break;
        default: row = RowOf(e, number); break;
        }
        rows.push_back(row);
    }
    m_Rows = std::move(rows);
    m_Record.runningMileage = total;
}

// ---------------------------------------------------------------------------------------------
// Crossing-point list

ListRow CRouteCrossPointList::RowOf(const Road_CrossPoint& p, int number)
{
    ListRow row;
    row.text[0] = QString::number(number);
    row.text[1] = p.point.name;
    row.text[2] = Num(p.point.x);
    row.text[3] = Num(p.point.y);
    row.text[4] = Num(p.leftTransition);
    row.text[5] = Num(p.radius);
    row.text[6] = Num(p.rightTransition);
    row.text[7] = Num(p.station);
    return row;
}

int CRouteCrossPointList::Load(const RouteRecord& record)
{
    if (record.path.isEmpty()) return 0;
    CRoadDesign_CrossPoint route = m_Route;
    if (!route.LibraryFile_Read(record.path)) return 0;
    m_Route = std::move(route);
    m_Record = record;
    m_Record.startMileage = m_Route.m_StartMileage;
    m_Record.runningMileage = m_Route.m_RunningMileage;
    m_Record.name = m_Route.m_RoadName;
    m_Rows.clear();
    for (const Road_CrossPoint& p : m_Route.m_CrossPoints)
        m_Rows.push_back(RowOf(p, static_cast<int>(m_Rows.size()) + 1));
    m_Modified = 0;
    return 1;
}

int CRouteCrossPointList::Insert(const Road_CrossPoint& point, int selectedRow)
{
    m_Modified = 1;
    return InsertRecord(m_Route.m_CrossPoints, m_Rows, point, selectedRow, &RowOf);
}

const Road_CrossPoint* CRouteCrossPointList::PointAt(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= m_Route.m_CrossPoints.size()) return nullptr;
    return &m_Route.m_CrossPoints[static_cast<size_t>(row)];
}

bool CRouteCrossPointList::Replace(int row, const Road_CrossPoint& point)
{
    if (!ReplaceRecord(m_Route.m_CrossPoints, m_Rows, row, point, &RowOf)) return false;
    m_Modified = 1;
    return true;
}

bool CRouteCrossPointList::Remove(int row)
{
    if (!RemoveRecord(m_Route.m_CrossPoints, m_Rows, row)) return false;
    m_Modified = 1;
    return true;
}

void CRouteCrossPointList::Clear()
{
    m_Route.m_CrossPoints.clear();
    m_Rows.clear();
    m_Modified = 0;
}

RouteApplyStatus CRouteCrossPointList::Apply(const RouteRecord& frameRecord, bool* saved)
{
    m_Record = frameRecord;
    m_Route.m_RoadName = m_Record.name;
    const bool written = m_Route.LibraryFile_Save(m_Record.path) != 0;
    if (saved) *saved = written;
    if (written)
        m_Modified = 0;
    else
        ReportSaveFailure(m_Record.path);
    const RouteApplyStatus status = ApplyCrossPointRoute(m_Route, CurveFilePathOf(m_Record.path));
    if (status == RouteApplyStatus::Written)
    {
        m_Record.startMileage = m_Route.m_StartMileage;
        m_Record.runningMileage = m_Route.m_RunningMileage;
        for (ListRow& row : m_Rows)
        {
            row.outOfDate = false;
            row.problem.clear();
        }
        const std::vector<RouteFinding> dropped = CrossPointRouteWarnings(m_Route.m_CrossPoints);
        if (!dropped.empty()) Warn(QStringLiteral("线路已计算，但有交点的缓曲被略去：\n") + FindingsText(dropped, m_Rows, QStringLiteral("交点")));
    }
    return status;
}
