#include "app/ui/RouteListPanes.h"

#include "app/core/RouteLists.h"
#include "app/core/ListLayout.h"
#include "app/core/RouteChecks.h"
#include "app/core/StationDisplay.h"
#include "platform/MessageSink.h"
#include "app/ui/RouteDialogs.h"
#include "app/ui/UiSupport.h"

#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTableWidget>

namespace
{
// "桩号" in both lists.
constexpr int kStationColumn = 7;
} // namespace

CRouteListPane::CRouteListPane(QWidget* parent) : QWidget(parent)
{
    m_Table = new QTableWidget(this);
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->setShowGrid(true);
    m_Table->verticalHeader()->setVisible(false);
    m_Table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_Table->setIconSize(QSize(24, 20));
    const char* const titles[4] = {"插入", "编辑", "删除", "应用"};
    for (int i = 0; i < 4; ++i)
    {
        m_Buttons[i] = new QPushButton(QString::fromUtf8(titles[i]), this);
        m_Buttons[i]->setFixedSize(75, 26);
    }
    connect(m_Buttons[0], &QPushButton::clicked, this, [this] { OnInsert(); });
    connect(m_Buttons[1], &QPushButton::clicked, this, [this] { OnEdit(); });
    connect(m_Buttons[2], &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_Buttons[3], &QPushButton::clicked, this, [this] {
        if (onApply) onApply();
    });
    connect(m_Table, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnEdit(); });
    // Delete in the list removes the selected row, after the same question as the button.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, m_Table, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] { OnDelete(); });
    m_Buttons[2]->setToolTip(QStringLiteral("删除选中的行 (Delete)"));
}

void CRouteListPane::SetColumns(const QStringList& titles, const QList<int>& widths, int rowHeight)
{
    m_Table->setColumnCount(static_cast<int>(titles.size()));
    m_Table->setHorizontalHeaderLabels(titles);
    for (int i = 0; i < widths.size(); ++i) m_Table->setColumnWidth(i, widths[i]);
    m_Table->verticalHeader()->setDefaultSectionSize(rowHeight);
}

int CRouteListPane::FirstSelectedRow() const
{
    int first = -1;
    for (const QModelIndex& index : m_Table->selectionModel()->selectedRows())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void CRouteListPane::ShowRows(const std::vector<ListRow>& rows, bool images)
{
    m_Table->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    {
        const ListRow& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < m_Table->columnCount() && c < 8; ++c)
        {
            // The station column holds metres as the file does; people read it in the display style.
            double station = 0.0;
            const bool stationCell = c == kStationColumn && DisplayStationStyle() == StationStyle::KiloMark &&
                                     ParseStation(row.text[c], station);
            auto* item = new QTableWidgetItem(stationCell ? DisplayStation(station) : row.text[c]);
            if (stationCell) item->setToolTip(row.text[c] + QStringLiteral(" m"));
            if (c == 0 && images && row.image >= 0) item->setIcon(RowImage(row.image));
            if (!row.tip[c].isEmpty()) item->setToolTip(row.tip[c]);
            m_Table->setItem(r, c, item);
        }
        MarkRow(r, row);
    }
}

void CRouteListPane::MarkRow(int r, const ListRow& row)
{
    if (!row.problem.isEmpty())
    {
        for (int c = 0; c < m_Table->columnCount(); ++c)
            if (QTableWidgetItem* item = m_Table->item(r, c))
            {
                item->setBackground(QColor(255, 215, 215));
                item->setToolTip(QStringLiteral("文件中的这一行已损坏：") + row.problem);
            }
        return;
    }
    if (!row.outOfDate) return;
    for (int c : m_ComputedColumns)
        if (QTableWidgetItem* item = m_Table->item(r, c))
        {
            item->setForeground(QColor(150, 150, 150));
            item->setToolTip(QStringLiteral("线路已修改：点击“应用”后更新"));
        }
}

bool CRouteListPane::DeleteConfirmed(const QString& question) const
{
    return !confirmDelete || confirmDelete(question);
}

void CRouteListPane::SelectRow(int row)
{
    if (row < 0 || row >= m_Table->rowCount()) return;
    m_Table->clearSelection();
    m_Table->selectRow(row);
    m_Table->setCurrentCell(row, 0);
    m_Table->scrollToItem(m_Table->item(row, 0));
}

void CRouteListPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const ListLayout layout = ComputeListLayout(event->size(), m_Buttons[0]->size());
    if (!layout.valid) return;
    m_Table->setGeometry(layout.list);
    for (int i = 0; i < 4; ++i) m_Buttons[i]->setGeometry(layout.buttons[i]);
}

// ---------------------------------------------------------------------------------------------

CNew_ElementDlg::CNew_ElementDlg(CRouteElementList& list, QWidget* parent) : CRouteListPane(parent), m_List(list)
{
    setObjectName(QStringLiteral("elementList"));
    SetColumns({QStringLiteral("元素"), QStringLiteral("北坐标"), QStringLiteral("东坐标"), QStringLiteral("方位角"),
                QStringLiteral("长度"), QStringLiteral("半径"), QStringLiteral("转角"), QStringLiteral("桩号")},
               {120, 200, 200, 200, 200, 200, 200, 200}, 24);
    m_ComputedColumns = {1, 2, 6, 7};
    Refresh();
}

void CNew_ElementDlg::Refresh() { ShowRows(m_List.m_Rows, true); }

void CNew_ElementDlg::InsertElement(const Road_Element& element)
{
    NoteChange(QStringLiteral("插入元素"));
    const int row = m_List.Insert(element, FirstSelectedRow());
    Refresh();
    SelectRow(row);
    if (onChanged) onChanged();
}

void CNew_ElementDlg::OnInsert()
{
    if (m_List.m_Route.m_Elements.empty())
    {
        CNew_Element_Add_PointDlg dlg(this);
        if (dlg.exec() != QDialog::Accepted) return;
        Road_Element e;
        CRoadDesign_Element::InitializeRoadElement(e);
        e.type = 1;
        e.point.x = dlg.m_x;
        e.point.y = dlg.m_y;
        e.point.h = dlg.m_h;
        InsertElement(e);
        return;
    }
    QMenu menu(QStringLiteral("增加要素"), this);
    menu.addAction(RowImage(0), QStringLiteral("直线"), this, [this] { InsertKind(2); });
    menu.addAction(RowImage(1), QStringLiteral("圆曲"), this, [this] { InsertKind(3); });
    menu.addAction(RowImage(2), QStringLiteral("缓曲"), this, [this] {
        if (m_List.TransitionFits(FirstSelectedRow()))
            InsertKind(4);
        else
            ShowMessage(QStringLiteral("缓曲必须紧挨圆曲，这里前后都不是圆曲：请先插入圆曲，或选中圆曲所在的行再插入缓曲。"),
                        WarningCaption(), MessageKind::Warning);
    });
    const QRect button = m_Buttons[0]->geometry();
    menu.exec(mapToGlobal(QPoint(button.left() - 6, button.bottom() + 1 + 10)));
}

void CNew_ElementDlg::InsertKind(int kind)
{
    Road_Element e;
    CRoadDesign_Element::InitializeRoadElement(e);
    e.type = kind;
    if (kind == 2)
    {
        CNew_Element_Add_LineDlg dlg(this);
        if (dlg.exec() != QDialog::Accepted) return;
        e.azimuth = dlg.BearingDegrees();
        e.length = dlg.m_Length;
    }
    else if (kind == 3)
    {
        CNew_Element_Add_CurveDlg dlg(this);
        if (dlg.exec() != QDialog::Accepted) return;
        e.radius = dlg.m_Radius;
        e.length = dlg.m_Length;
    }
    else
    {
        CNew_Element_Add_SpiralDlg dlg(this);
        if (dlg.exec() != QDialog::Accepted) return;
        e.length = dlg.m_Length;
    }
    InsertElement(e);
}

void CNew_ElementDlg::OnEdit()
{
    const int row = FirstSelectedRow();
    const Road_Element* current = m_List.ElementAt(row);
    if (!current) return;
    Road_Element e = *current;
    switch (e.type)
    {
    case 1:
    {
        CNew_Element_Add_PointDlg dlg(this);
        dlg.SetValues(e.point.x, e.point.y, e.point.h);
        if (dlg.exec() != QDialog::Accepted) return;
        e.point.x = dlg.m_x;
        e.point.y = dlg.m_y;
        e.point.h = dlg.m_h;
        break;
    }
    case 2:
    {
        CNew_Element_Add_LineDlg dlg(this);
        dlg.SetValues(e.azimuth, e.length);
        if (dlg.exec() != QDialog::Accepted) return;
        e.azimuth = dlg.BearingDegrees();
        e.length = dlg.m_Length;
        break;
    }
    case 3:
    {
        CNew_Element_Add_CurveDlg dlg(this);
        dlg.SetValues(e.radius, e.length);
        if (dlg.exec() != QDialog::Accepted) return;
        e.radius = dlg.m_Radius;
        e.length = dlg.m_Length;
        break;
    }
    case 4:
    {
        CNew_Element_Add_SpiralDlg dlg(this);
        dlg.SetValues(e.length);
        if (dlg.exec() != QDialog::Accepted) return;
        e.length = dlg.m_Length;
        break;
    }
    default: return;
    }
    NoteChange(QStringLiteral("编辑元素"));
    m_List.Replace(row, e);
    Refresh();
    SelectRow(row);
    if (onChanged) onChanged();
}

void CNew_ElementDlg::OnDelete()
{
    const int row = FirstSelectedRow();
    const Road_Element* element = m_List.ElementAt(row);
    if (!element ||
        !DeleteConfirmed(QStringLiteral("确定删除元素 %1（%2）吗？")
                             .arg(m_Table->item(row, 0) ? m_Table->item(row, 0)->text() : QString::number(row + 1),
                                  ElementKindName(element->type))))
        return;
    NoteChange(QStringLiteral("删除元素"));
    if (!m_List.Remove(row)) return;
    Refresh();
    if (row < m_Table->rowCount()) m_Table->scrollToItem(m_Table->item(row, 0));
    if (onChanged) onChanged();
}

// ---------------------------------------------------------------------------------------------

CNew_CrossPointDlg::CNew_CrossPointDlg(CRouteCrossPointList& list, QWidget* parent)
    : CRouteListPane(parent), m_List(list)
{
    setObjectName(QStringLiteral("crossPointList"));
    SetColumns({QStringLiteral("序号"), QStringLiteral("交点名"), QStringLiteral("北坐标"), QStringLiteral("东坐标"),
                QStringLiteral("左缓曲长"), QStringLiteral("半径"), QStringLiteral("右缓曲长"), QStringLiteral("桩号")},
               {120, 200, 300, 300, 200, 200, 200, 200}, 20);
    Refresh();
}

void CNew_CrossPointDlg::Refresh() { ShowRows(m_List.m_Rows, false); }

void CNew_CrossPointDlg::InsertCrossPoint(const Road_CrossPoint& point)
{
    NoteChange(QStringLiteral("插入交点"));
    const int row = m_List.Insert(point, FirstSelectedRow());
    Refresh();
    SelectRow(row);
    if (onChanged) onChanged();
}

void CNew_CrossPointDlg::OnInsert()
{
    CNew_CrossPoint_AddDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted) return;
    Road_CrossPoint p;
    CRoadDesign_CrossPoint::InitializeRoadCrossPoint(p);
    dlg.GetValues(p);
    InsertCrossPoint(p);
}

void CNew_CrossPointDlg::OnEdit()
{
    const int row = FirstSelectedRow();
    const Road_CrossPoint* current = m_List.PointAt(row);
    if (!current) return;
    Road_CrossPoint p = *current;
    CNew_CrossPoint_AddDlg dlg(this);
    dlg.SetValues(p);
    if (dlg.exec() != QDialog::Accepted) return;
    dlg.GetValues(p);
    NoteChange(QStringLiteral("编辑交点"));
    m_List.Replace(row, p);
    Refresh();
    SelectRow(row);
    if (onChanged) onChanged();
}

void CNew_CrossPointDlg::OnDelete()
{
    const int row = FirstSelectedRow();
    const Road_CrossPoint* point = m_List.PointAt(row);
    if (!point || !DeleteConfirmed(QStringLiteral("确定删除交点 %1（%2）吗？")
                                       .arg(m_Table->item(row, 0) ? m_Table->item(row, 0)->text() : QString::number(row + 1),
                                            point->point.name)))
        return;
    NoteChange(QStringLiteral("删除交点"));
    if (!m_List.Remove(row)) return;
    Refresh();
    if (onChanged) onChanged();
}
