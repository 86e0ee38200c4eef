#pragma once

#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QWidget>
#include <functional>

class CRouteCrossPointList;
class CRouteElementList;
class QPushButton;
class QTableWidget;
struct ListRow;

// The common part of the two route lists: a table with full-row selection and grid lines, and the
// buttons "插入", "编辑", "删除", "应用" beside or below it.
class CRouteListPane : public QWidget
{
    Q_OBJECT
public:
    explicit CRouteListPane(QWidget* parent = nullptr);
    QTableWidget* Table() const { return m_Table; }
    QPushButton* Button(int i) const { return m_Buttons[i]; }
    // The first selected row, -1 without a selection.
    int FirstSelectedRow() const;
    // Shows the rows of the model.
    void ShowRows(const std::vector<ListRow>& rows, bool images);
    void SelectRow(int row);

    // Called after the pane changed the route (rows, modified flag) and after Apply.
    std::function<void()> onChanged;
    // The Apply button: the main window applies the route and loads it.
    std::function<void()> onApply;
    // Told just before the pane changes the list, with the edit's name, so that it can be undone.
    std::function<void(const QString& label)> beforeChange;
    // Asked before a row is deleted; without it rows are deleted at once.
    std::function<bool(const QString& question)> confirmDelete;

protected:
    void SetColumns(const QStringList& titles, const QList<int>& widths, int rowHeight);
    // Greys the computed columns of rows that are out of date and marks damaged records.
    void MarkRow(int r, const ListRow& row);
    void NoteChange(const QString& label)
    {
        if (beforeChange) beforeChange(label);
    }
    // Asks confirmDelete, when set.
    bool DeleteConfirmed(const QString& question) const;
    // Columns that show computed values (greyed while out of date).
    QList<int> m_ComputedColumns;
    void resizeEvent(QResizeEvent* event) override;
    virtual void OnInsert() = 0;
    virtual void OnEdit() = 0;
    virtual void OnDelete() = 0;

    QTableWidget* m_Table = nullptr;
    QPushButton* m_Buttons[4] = {nullptr, nullptr, nullptr, nullptr};
};

// "元素": the element list.
class CNew_ElementDlg : public CRouteListPane
{
    Q_OBJECT
public:
    CNew_ElementDlg(CRouteElementList& list, QWidget* parent = nullptr);
    void Refresh();
    // Inserts after the selected row and selects the new row.
    void InsertElement(const Road_Element& element);

protected:
    void OnInsert() override;
    void OnEdit() override;
    void OnDelete() override;

private:
    void InsertKind(int kind);
    CRouteElementList& m_List;
};

// "交点": the crossing-point list.
class CNew_CrossPointDlg : public CRouteListPane
{
    Q_OBJECT
public:
    CNew_CrossPointDlg(CRouteCrossPointList& list, QWidget* parent = nullptr);
    void Refresh();
    void InsertCrossPoint(const Road_CrossPoint& point);

protected:
    void OnInsert() override;
    void OnEdit() override;
    void OnDelete() override;

private:
    CRouteCrossPointList& m_List;
};
