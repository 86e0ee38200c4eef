#include "app/ui/LayerPane.h"

#include "app/core/MapLayerList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{
QString StateText(const LayerRow& row)
{
    switch (row.state)
    {
    case LayerState::Loaded: return QStringLiteral("已加载");
    case LayerState::Loading: return QStringLiteral("正在加载…");
    case LayerState::Failed: return QStringLiteral("未加载（打开失败）");
    case LayerState::Cancelled: return QStringLiteral("未加载（已取消）");
    case LayerState::NotLoaded: break;
    }
    return QStringLiteral("未加载");
}
} // namespace

CLayerPane::CLayerPane(CMapLayerList& layers, QWidget* parent) : QWidget(parent), m_Layers(layers)
{
    setObjectName(QStringLiteral("layerPane"));
    m_Table = new QTableWidget(0, 4, this);
    m_Table->setHorizontalHeaderLabels({QStringLiteral("显示"), QStringLiteral("名称"), QStringLiteral("类型"),
                                        QStringLiteral("状态")});
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->verticalHeader()->setVisible(false);
    m_Table->horizontalHeader()->setStretchLastSection(true);
    m_Table->setColumnWidth(0, 48);
    m_Table->setColumnWidth(1, 220);
    m_Table->setColumnWidth(2, 100);

    auto button = [this](const QString& text, const QString& name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    };
    m_Add = button(QStringLiteral("添加…"), QStringLiteral("layerAdd"));
    m_Up = button(QStringLiteral("上移"), QStringLiteral("layerUp"));
    m_Down = button(QStringLiteral("下移"), QStringLiteral("layerDown"));
    m_Remove = button(QStringLiteral("移除"), QStringLiteral("layerRemove"));
    m_Zoom = button(QStringLiteral("缩放到图层"), QStringLiteral("layerZoom"));
    m_Properties = button(QStringLiteral("属性…"), QStringLiteral("layerProperties"));
    m_Reload = button(QStringLiteral("重新加载"), QStringLiteral("layerReload"));

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {m_Add, m_Up, m_Down, m_Remove, m_Zoom, m_Properties, m_Reload}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_Table, 1);
    layout->addLayout(buttons);

    connect(m_Add, &QPushButton::clicked, this, [this] {
        if (onAdd) onAdd();
    });
    connect(m_Up, &QPushButton::clicked, this, [this] { MoveCurrent(-1); });
    connect(m_Down, &QPushButton::clicked, this, [this] { MoveCurrent(+1); });
    connect(m_Remove, &QPushButton::clicked, this, [this] {
        const int row = CurrentRow();
        if (row < 0) return;
        const QString question = QStringLiteral("从地图中移除图层“%1”吗？\n数据文件不会被删除。").arg(m_Layers.Row(row).name);
        if (confirmRemove && !confirmRemove(question)) return;
        m_Layers.Remove(row);
        Refresh();
    });
    connect(m_Zoom, &QPushButton::clicked, this, [this] { m_Layers.ZoomToLayer(CurrentRow()); });
    connect(m_Properties, &QPushButton::clicked, this, [this] {
        if (onProperties && CurrentRow() >= 0) onProperties(CurrentRow());
    });
    connect(m_Reload, &QPushButton::clicked, this, [this] {
        m_Layers.Reload(CurrentRow());
        Refresh();
    });
    connect(m_Table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (m_Filling || item->column() != 0) return;
        m_Layers.SetVisible(item->row(), item->checkState() == Qt::Checked);
    });
    connect(m_Table, &QTableWidget::itemSelectionChanged, this, &CLayerPane::UpdateButtons);
    connect(m_Table, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column != 0 && onProperties) onProperties(row);
    });
    Refresh();
}

int CLayerPane::CurrentRow() const
{
    const auto rows = m_Table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CLayerPane::SelectRow(int row)
{
    if (row >= 0 && row < m_Table->rowCount()) m_Table->selectRow(row);
    UpdateButtons();
}

void CLayerPane::Refresh()
{
    // The selection follows the layer, not the row number, when layers come or go above it.
    const QString selectedPath = CurrentRow() >= 0 ? m_Layers.Row(CurrentRow()).path : QString();
    m_Filling = true;
    m_Table->setRowCount(m_Layers.Count());
    for (int i = 0; i < m_Layers.Count(); ++i)
    {
        const LayerRow row = m_Layers.Row(i);
        auto* shown = new QTableWidgetItem;
        shown->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        shown->setCheckState(row.visible ? Qt::Checked : Qt::Unchecked);
        m_Table->setItem(i, 0, shown);
        auto* name = new QTableWidgetItem(row.name);
        name->setToolTip(row.path);
        m_Table->setItem(i, 1, name);
        m_Table->setItem(i, 2, new QTableWidgetItem(row.kind));
        auto* state = new QTableWidgetItem(StateText(row));
        if (!row.reason.isEmpty()) state->setToolTip(row.reason);
        if (row.state == LayerState::Failed) state->setForeground(Qt::red);
        m_Table->setItem(i, 3, state);
    }
    m_Filling = false;
    m_Table->clearSelection();
    const int selected = selectedPath.isEmpty() ? -1 : m_Layers.RowOfPath(selectedPath);
    if (selected >= 0) m_Table->selectRow(selected);
    UpdateButtons();
}

void CLayerPane::MoveCurrent(int delta)
{
    const int row = CurrentRow();
    if (!m_Layers.Move(row, delta)) return;
    Refresh();
    SelectRow(row + delta);
}

void CLayerPane::UpdateButtons()
{
    const int row = CurrentRow();
    const bool any = row >= 0;
    const LayerRow r = any ? m_Layers.Row(row) : LayerRow();
    m_Up->setEnabled(any && row > 0);
    m_Down->setEnabled(any && row + 1 < m_Layers.Count());
    m_Remove->setEnabled(any);
    m_Zoom->setEnabled(any && r.state == LayerState::Loaded);
    m_Properties->setEnabled(any);
    m_Reload->setEnabled(any && (r.state == LayerState::Failed || r.state == LayerState::Cancelled));
}
