#include "app/ui/CalculatorPane.h"

#include "app/core/CRouteShell.h"
#include "app/core/StationDisplay.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

CCalculatorPane::CCalculatorPane(CRouteShell& shell, QWidget* parent) : QWidget(parent), m_Shell(shell)
{
    setObjectName(QStringLiteral("calculatorPane"));
    m_Forward = new QRadioButton(QStringLiteral("正算"), this);
    m_Inverse = new QRadioButton(QStringLiteral("反算"), this);
    m_Forward->setToolTip(QStringLiteral("里程、偏距 → 坐标、方位角"));
    m_Inverse->setToolTip(QStringLiteral("坐标 → 里程、偏距"));
    m_Forward->setChecked(true);
    m_FirstLabel = new QLabel(this);
    m_SecondLabel = new QLabel(this);
    m_First = new QLineEdit(this);
    m_Second = new QLineEdit(this);
    m_List = new QPlainTextEdit(this);
    m_List->setPlaceholderText(QStringLiteral("粘贴多行，每行一点"));
    m_List->setMaximumWidth(260);
    auto* one = new QPushButton(QStringLiteral("计算"), this);
    auto* list = new QPushButton(QStringLiteral("计算列表"), this);
    auto* copy = new QPushButton(QStringLiteral("复制结果"), this);
    auto* go = new QPushButton(QStringLiteral("转到里程"), this);
    one->setObjectName(QStringLiteral("calculateOne"));
    list->setObjectName(QStringLiteral("calculateList"));
    copy->setObjectName(QStringLiteral("copyResults"));
    go->setObjectName(QStringLiteral("goToStation"));
    copy->setToolTip(QStringLiteral("以制表符分隔复制到剪贴板，可直接粘贴到电子表格"));
    go->setToolTip(QStringLiteral("地图居中到该里程并标出位置"));
    one->setDefault(true);
    m_Results = new QTableWidget(this);
    m_Results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Results->verticalHeader()->setVisible(false);
    m_Results->setColumnCount(static_cast<int>(CStationCalculator::FieldTitles().size()));
    m_Results->setHorizontalHeaderLabels(CStationCalculator::FieldTitles());

    auto* form = new QGridLayout;
    form->addWidget(m_Forward, 0, 0);
    form->addWidget(m_Inverse, 0, 1);
    form->addWidget(m_FirstLabel, 1, 0);
    form->addWidget(m_First, 1, 1);
    form->addWidget(m_SecondLabel, 2, 0);
    form->addWidget(m_Second, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(one);
    buttons->addWidget(go);
    form->addLayout(buttons, 3, 0, 1, 2);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(list);
    listButtons->addWidget(copy);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_List, 1);
    left->addLayout(listButtons);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(left);
    layout->addWidget(m_Results, 1);

    connect(m_Forward, &QRadioButton::toggled, this, &CCalculatorPane::ModeChanged);
    connect(one, &QPushButton::clicked, this, &CCalculatorPane::CalculateOne);
    connect(list, &QPushButton::clicked, this, &CCalculatorPane::CalculateList);
    connect(copy, &QPushButton::clicked, this, &CCalculatorPane::CopyResults);
    connect(go, &QPushButton::clicked, this, &CCalculatorPane::GoToStation);
    connect(m_First, &QLineEdit::returnPressed, this, &CCalculatorPane::CalculateOne);
    connect(m_Second, &QLineEdit::returnPressed, this, &CCalculatorPane::CalculateOne);
    ModeChanged();
}

void CCalculatorPane::ModeChanged()
{
    const bool forward = m_Forward->isChecked();
    m_FirstLabel->setText(forward ? QStringLiteral("里程") : QStringLiteral("N(X)"));
    m_SecondLabel->setText(forward ? QStringLiteral("偏距") : QStringLiteral("E(Y)"));
    m_First->setPlaceholderText(forward ? QStringLiteral("K12+345.678 或 12345.678") : QString());
    m_Second->setPlaceholderText(forward ? QStringLiteral("左负右正，空为中线") : QString());
    m_List->setToolTip(forward ? QStringLiteral("每行：[名称] 里程 [偏距]") : QStringLiteral("每行：[名称] N E"));
}

void CCalculatorPane::CalculateOne()
{
    const CStationCalculator calc(m_Shell.Road());
    ShowResults({m_Forward->isChecked() ? calc.ForwardText(m_First->text(), m_Second->text())
                                        : calc.InverseText(m_First->text(), m_Second->text())});
}

void CCalculatorPane::CalculateList()
{
    const CStationCalculator calc(m_Shell.Road());
    const QString text = m_List->toPlainText();
    ShowResults(m_Forward->isChecked() ? calc.ForwardList(text) : calc.InverseList(text));
}

void CCalculatorPane::ShowResults(const std::vector<CalculatorResult>& results)
{
    m_Last = results;
    m_Results->setRowCount(static_cast<int>(results.size()));
    for (int r = 0; r < static_cast<int>(results.size()); ++r)
    {
        const QStringList fields = CStationCalculator::ResultFields(results[size_t(r)], DisplayStationStyle());
        for (int c = 0; c < fields.size(); ++c)
        {
            auto* item = new QTableWidgetItem(fields[c]);
            if (!results[size_t(r)].ok) item->setForeground(QColor(200, 0, 0));
            m_Results->setItem(r, c, item);
        }
    }
    m_Results->resizeColumnsToContents();
}

void CCalculatorPane::CopyResults()
{
    if (QClipboard* clipboard = QApplication::clipboard())
        clipboard->setText(CStationCalculator::ResultsText(m_Last, DisplayStationStyle()));
}

void CCalculatorPane::GoToStation()
{
    if (m_Forward->isChecked()) CalculateOne();
    for (const CalculatorResult& r : m_Last)
        if (r.ok)
        {
            if (onGoTo) onGoTo(r.x, r.y);
            return;
        }
}
