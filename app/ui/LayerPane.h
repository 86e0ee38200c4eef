#pragma once

#include <QWidget>

#include <functional>

class CMapLayerList;
class QPushButton;
class QTableWidget;

// The input pane's tab "图层": the map's layers with a check box for visibility, their kind and
// whether they are loaded, and the buttons that add, order, remove, zoom to and describe them.
// The list itself (CMapLayerList) does the work; the pane shows and forwards.
class CLayerPane : public QWidget
{
    Q_OBJECT
public:
    explicit CLayerPane(CMapLayerList& layers, QWidget* parent = nullptr);

    // Rebuilds the rows from the list, keeping the selected row.
    void Refresh();
    QTableWidget* Table() const { return m_Table; }
    int CurrentRow() const;
    void SelectRow(int row);

    // Set by the window: the file dialog of 添加图层, the property dialog, the question before
    // removing (true: go on).
    std::function<void()> onAdd;
    std::function<void(int row)> onProperties;
    std::function<bool(const QString& question)> confirmRemove;

private:
    void UpdateButtons();
    void MoveCurrent(int delta);

    CMapLayerList& m_Layers;
    QTableWidget* m_Table;
    QPushButton* m_Add;
    QPushButton* m_Up;
    QPushButton* m_Down;
    QPushButton* m_Remove;
    QPushButton* m_Zoom;
    QPushButton* m_Properties;
    QPushButton* m_Reload;
    bool m_Filling = false;
};
