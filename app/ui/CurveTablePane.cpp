#include "app/ui/CurveTablePane.h"

#include "app/core/CRouteShell.h"
#include "app/core/RouteCurveTable.h"
#include "platform/MessageSink.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

CCurveTablePane::CCurveTablePane(CRouteShell& shell, QWidget* parent) : QWidget(parent), m_Shell(shell)
{
    setObjectName(QStringLiteral("curveTablePane"));
    m_Table = new QTableWidget(this);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Table->verticalHeader()->setVisible(false);
    m_Refresh = new QPushButton(QStringLiteral("刷新"), this);
    m_Export = new QPushButton(QStringLiteral("导出CSV..."), this);
    m_Refresh->setToolTip(QStringLiteral("按当前线路重新计算曲线表"));
    m_Export->setToolTip(QStringLiteral("导出为CSV文件（UTF-8），可用电子表格打开"));
    for (QPushButton* b : {m_Refresh, m_Export}) b->setFixedSize(90, 26);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_Refresh);
    buttons->addWidget(m_Export);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_Table, 1);
    layout->addLayout(buttons);

    connect(m_Refresh, &QPushButton::clicked, this, &CCurveTablePane::Refresh);
    connect(m_Export, &QPushButton::clicked, this, &CCurveTablePane::ExportCommand);
}

void CCurveTablePane::Refresh()
{
    const std::vector<QStringList> table = RouteCurveTable(m_Shell);
    m_Table->clear();
    if (table.empty()) return;
    m_Table->setColumnCount(static_cast<int>(table[0].size()));
    m_Table->setHorizontalHeaderLabels(table[0]);
    m_Table->setRowCount(static_cast<int>(table.size()) - 1);
    for (size_t r = 1; r < table.size(); ++r)
        for (int c = 0; c < table[r].size(); ++c)
            m_Table->setItem(static_cast<int>(r) - 1, c, new QTableWidgetItem(table[r][c]));
    m_Table->resizeColumnsToContents();
    m_Export->setEnabled(m_Shell.HasRoute());
}

void CCurveTablePane::ExportCommand()
{
    QString suggested;
    if (m_Shell.HasRoute())
    {
        const QFileInfo route(m_Shell.m_Record.path);
        suggested = route.dir().filePath(route.completeBaseName() + QStringLiteral("-曲线表.csv"));
    }
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出曲线表"), suggested,
                                                      QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    if (!path.isEmpty()) ExportTo(path);
}

bool CCurveTablePane::ExportTo(const QString& path)
{
    QString error;
    if (ExportRouteCurveTable(m_Shell, path, error)) return true;
    ShowMessage(QStringLiteral("曲线表不能写入 %1：%2").arg(path, error), QStringLiteral("Veylor"), MessageKind::Error);
    return false;
}
