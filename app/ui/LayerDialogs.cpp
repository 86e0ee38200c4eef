#include "app/ui/LayerDialogs.h"

#include "coord/CCoordinateSystem.h"
#include "geometry/Angle.h"
#include "platform/Color.h"
#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "sources/CMapLayer_SHP.h"
#include "sources/CMap_Shape.h"
#include "sources/CShapeConfigFillColor.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
QIcon Swatch(unsigned long colour)
{
    QPixmap p(28, 14);
    p.fill(ToQColor(colour));
    return QIcon(p);
}

// The label choices of a kind: (text, DisplayField value); "无" (-1) first.
std::vector<std::pair<QString, int>> LabelChoices(int format, CMapLayer* layer)
{
    std::vector<std::pair<QString, int>> choices{{QStringLiteral("无"), -1}};
    switch (format)
    {
    case 5:
    case 9: choices.insert(choices.end(), {{QStringLiteral("点名"), 0}, {QStringLiteral("标记"), 1}}); break;
    case 10: choices.insert(choices.end(), {{QStringLiteral("第一标注"), 0}, {QStringLiteral("第二标注"), 1}}); break;
    case 2:
    case 4:
        if (auto* shp = dynamic_cast<CMapLayer_SHP*>(layer))
        {
            const QStringList names = shp->GetMapShape()->GetFieldNames();
            for (int i = 0; i < names.size(); ++i) choices.push_back({names[i], i});
        }
        break;
    default: break;
    }
    return choices;
}

QString ProjectionName(int type)
{
    switch (type)
    {
    case CoordinateSystem_Gauss3: return QStringLiteral("高斯-克吕格投影（3 度带）");
    case CoordinateSystem_Gauss6: return QStringLiteral("高斯-克吕格投影（6 度带）");
    case CoordinateSystem_Stereographic: return QStringLiteral("极射赤面投影");
    case CoordinateSystem_ObliqueStereographic: return QStringLiteral("斜轴极射赤面投影");
    case CoordinateSystem_Mercator: return QStringLiteral("墨卡托投影");
    case CoordinateSystem_Lambert1: return QStringLiteral("兰勃特投影（单标准纬线）");
    case CoordinateSystem_Lambert2: return QStringLiteral("兰勃特投影（双标准纬线）");
    default: return QStringLiteral("高斯-克吕格投影");
    }
}
} // namespace

// ---------------------------------------------------------------------------------------------

CColourButton::CColourButton(unsigned long colour, QWidget* parent) : QPushButton(parent), m_Colour(colour)
{
    SetColour(colour);
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(ToQColor(m_Colour), this, QStringLiteral("选择颜色"));
        if (chosen.isValid()) SetColour(FromQColor(chosen));
    });
}

void CColourButton::SetColour(unsigned long colour)
{
    m_Colour = colour;
    setIcon(Swatch(colour));
    const QColor c = ToQColor(colour);
    setText(QStringLiteral("%1, %2, %3").arg(c.red()).arg(c.green()).arg(c.blue()));
}

// ---------------------------------------------------------------------------------------------

CLayerPropertiesDlg::CLayerPropertiesDlg(const MapConfigItem& item, CMapLayer* layer, QWidget* parent)
    : QDialog(parent), m_Item(item)
{
    setWindowTitle(QStringLiteral("图层属性"));
    auto* form = new QFormLayout;
    m_Name = new QLineEdit(item.LayerName, this);
    form->addRow(QStringLiteral("名称:"), m_Name);
    auto* path = new QLabel(item.FullPathName, this);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setWordWrap(true);
    form->addRow(QStringLiteral("文件:"), path);
    form->addRow(QStringLiteral("类型:"), new QLabel(CMapLayerList::KindName(item.Format), this));
    m_Outline = new CColourButton(item.clrOutLine, this);
    m_Fill = new CColourButton(item.clrFill, this);
    m_Text = new CColourButton(item.clrText, this);
    form->addRow(QStringLiteral("线条颜色:"), m_Outline);
    form->addRow(QStringLiteral("填充颜色:"), m_Fill);
    form->addRow(QStringLiteral("文字颜色:"), m_Text);
    m_Size = new QSpinBox(this);
    m_Size->setRange(0, 50);
    m_Size->setValue(item.Size);
    form->addRow(QStringLiteral("大小 (像素):"), m_Size);
    m_Label = new QComboBox(this);
    for (const auto& [text, value] : LabelChoices(item.Format, layer))
    {
        m_Label->addItem(text, value);
        if (value == item.DisplayField) m_Label->setCurrentIndex(m_Label->count() - 1);
    }
    form->addRow(QStringLiteral("标注字段:"), m_Label);
    m_Semi = new QCheckBox(QStringLiteral("半透明填充"), this);
    m_Semi->setChecked(item.SemiTransparence != 0);
    m_Select = new QCheckBox(QStringLiteral("可以选择（识别）"), this);
    m_Select->setChecked(item.Select != 0);
    m_Search = new QCheckBox(QStringLiteral("可以查找"), this);
    m_Search->setChecked(item.Search != 0);
    form->addRow(QString(), m_Semi);
    form->addRow(QString(), m_Select);
    form->addRow(QString(), m_Search);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);

    // Fill colours by attribute: only for an opened shapefile of planes.
    auto* shp = dynamic_cast<CMapLayer_SHP*>(layer);
    if (shp && layer->IsLoad() && shp->GetMapShape()->GetEntityKind() == 3 &&
        shp->GetMapShape()->GetShapeConfigFillColor()->IsValid())
    {
        m_FillConfig = shp->GetMapShape()->GetShapeConfigFillColor();
        auto* group = new QGroupBox(QStringLiteral("按属性填充颜色"), this);
        auto* g = new QVBoxLayout(group);
        m_FillField = new QComboBox(group);
        m_FillField->setObjectName(QStringLiteral("fillField"));
        m_FillField->addItem(QStringLiteral("不按属性（统一填充颜色）"), -1);
        QStringList names;
        m_FillConfig->GetFiledArray(names);
        for (int i = 0; i < names.size(); ++i) m_FillField->addItem(names[i], i);
        m_FillField->setCurrentIndex(m_FillConfig->GetConfigFiledIndex() + 1);
        m_FillTable = new QTableWidget(0, 2, group);
        m_FillTable->setHorizontalHeaderLabels({QStringLiteral("属性值"), QStringLiteral("颜色（双击更改）")});
        m_FillTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_FillTable->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_FillTable->horizontalHeader()->setStretchLastSection(true);
        m_FillTable->verticalHeader()->setVisible(false);
        m_FillTable->setMinimumHeight(160);
        g->addWidget(m_FillField);
        g->addWidget(m_FillTable);
        layout->addWidget(group);
        FillColourRows();
        connect(m_FillField, &QComboBox::currentIndexChanged, this, [this](int index) {
            m_FillConfig->SetConfigFiledIndex(m_FillField->itemData(index).toInt());
            m_FillChanged = true;
            FillColourRows();
        });
        connect(m_FillTable, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
            const FiledColor entry = m_FillConfig->GetFiledColor(row);
            const QColor start = entry.Color >= 0 ? ToQColor(static_cast<unsigned long>(entry.Color)) : Qt::white;
            const QColor chosen = QColorDialog::getColor(start, this, QStringLiteral("填充颜色：%1").arg(entry.Value));
            if (!chosen.isValid()) return;
            if (m_FillConfig->SetFiledColor(row, static_cast<long>(FromQColor(chosen)))) m_FillChanged = true;
            FillColourRows();
        });
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CLayerPropertiesDlg::FillColourRows()
{
    if (!m_FillTable) return;
    const int n = m_FillConfig->GetFiledColorCount();
    m_FillTable->setRowCount(n);
    for (int i = 0; i < n; ++i)
    {
        const FiledColor entry = m_FillConfig->GetFiledColor(i);
        m_FillTable->setItem(i, 0, new QTableWidgetItem(entry.Value));
        auto* colour = new QTableWidgetItem;
        if (entry.Color >= 0)
        {
            const unsigned long c = static_cast<unsigned long>(entry.Color);
            colour->setIcon(Swatch(c));
            const QColor q = ToQColor(c);
            colour->setText(QStringLiteral("%1, %2, %3").arg(q.red()).arg(q.green()).arg(q.blue()));
        }
        m_FillTable->setItem(i, 1, colour);
    }
}

MapConfigItem CLayerPropertiesDlg::Item() const
{
    MapConfigItem item = m_Item;
    item.LayerName = m_Name->text().trimmed();
    item.clrOutLine = m_Outline->Colour();
    item.clrFill = m_Fill->Colour();
    item.clrText = m_Text->Colour();
    item.Size = m_Size->value();
    item.DisplayField = m_Label->currentData().toInt();
    item.SemiTransparence = m_Semi->isChecked() ? 1 : 0;
    item.Select = m_Select->isChecked() ? 1 : 0;
    item.Search = m_Search->isChecked() ? 1 : 0;
    return item;
}

// ---------------------------------------------------------------------------------------------

CCoordinateSystemDlg::CCoordinateSystemDlg(CMapLayerList& layers, QWidget* parent) : QDialog(parent), m_Layers(layers)
{
    setWindowTitle(QStringLiteral("坐标系"));
    chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("选择坐标系文件"), QString(),
                                            QStringLiteral("坐标系文件 (*.xml);;所有文件 (*)"));
    };
    m_Text = new QLabel(this);
    m_Text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_Text->setMinimumWidth(420);
    auto* choose = new QPushButton(QStringLiteral("选择坐标系文件…"), this);
    choose->setObjectName(QStringLiteral("chooseCoordinateFile"));
    auto* clear = new QPushButton(QStringLiteral("不使用坐标系"), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(choose);
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Text);
    layout->addLayout(buttons);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile ? chooseFile() : QString();
        if (path.isEmpty()) return;
        QString error;
        if (!m_Layers.SetCoordinateSystem(path, &error)) ShowMessage(error, WarningCaption(), MessageKind::Warning);
        Describe();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        m_Layers.ClearCoordinateSystem();
        Describe();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    Describe();
}

void CCoordinateSystemDlg::Describe()
{
    if (!m_Layers.HasCoordinateSystem())
    {
        m_Text->setText(QStringLiteral("没有设置坐标系：每个图层按自身的坐标显示。\n"
                                       "经纬度的点文件、其他坐标系的 Shapefile 和瓦片集需要线路所用的坐标系才能落在线路上。"));
        return;
    }
    const CoordinateSystem_Parameter cs = m_Layers.CoordinateSystem();
    const auto& e = cs.EllipsoidParameter;
    const auto& p = cs.ProjectParameter;
    m_Text->setText(QStringLiteral("文件：%1\n名称：%2\n椭球：%3（长半轴 %4 m，扁率倒数 %5）\n"
                                   "投影：%6，中央子午线 %7°，X 加常数 %8 m，Y 加常数 %9 m，比例 %10，投影面高程 %11 m")
                        .arg(m_Layers.CoordinateSystemPath(), cs.Name, e.Name, FormatFixed(e.Axis, 3),
                             FormatFixed(e.ReciprocalofFlatRate, 9), ProjectionName(p.Type), FormatFixed(Angle::RadiansToDegrees(p.CentralMeridian), 6),
                             FormatFixed(p.Tx, 3), FormatFixed(p.Ty, 3))
                        .arg(FormatFixed(p.TK, 6), FormatFixed(p.ProjectionHeight, 3)));
}

// ---------------------------------------------------------------------------------------------

CFindPointDlg::CFindPointDlg(CMapLayerList& layers, QWidget* parent) : QDialog(parent), m_Layers(layers)
{
    setWindowTitle(QStringLiteral("查找点"));
    m_Text = new QLineEdit(this);
    m_Mode = new QComboBox(this);
    m_Mode->addItem(QStringLiteral("点名或标记"), 0);
    m_Mode->addItem(QStringLiteral("点名"), 1);
    m_Mode->addItem(QStringLiteral("标记"), 2);
    m_Result = new QLabel(this);
    m_Result->setWordWrap(true);
    m_Result->setMinimumHeight(m_Result->fontMetrics().lineSpacing() * 3);
    setMinimumWidth(420);
    auto* find = new QPushButton(QStringLiteral("查找下一个"), this);
    find->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("查找内容:"), m_Text);
    form->addRow(QStringLiteral("查找范围:"), m_Mode);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(find);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_Result);
    layout->addLayout(buttons);
    connect(find, &QPushButton::clicked, this, &CFindPointDlg::FindNext);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

void CFindPointDlg::FindNext()
{
    const QString text = m_Text->text().trimmed();
    if (text.isEmpty())
    {
        m_Result->setText(QStringLiteral("请输入点名或标记。"));
        return;
    }
    // A new search starts at the top; the same one goes on after the last hit, and wraps once.
    const QString key = text + QLatin1Char('\n') + QString::number(m_Mode->currentIndex());
    if (key != m_LastText) m_Last = FoundPoint();
    m_LastText = key;
    FoundPoint hit;
    const int mode = m_Mode->currentData().toInt();
    bool found = m_Layers.FindPoint(text, mode, m_Last, hit);
    if (!found && m_Last.layer >= 0) found = m_Layers.FindPoint(text, mode, FoundPoint(), hit);
    if (!found)
    {
        m_Last = FoundPoint();
        m_Result->setText(QStringLiteral("没有找到“%1”。（只查找已加载、可以查找的点图层）").arg(text));
        return;
    }
    m_Last = hit;
    m_Layers.ShowPosition(hit.x, hit.y);
    m_Result->setText(QStringLiteral("%1：%2 %3\nX = %4  Y = %5")
                          .arg(hit.layerName, hit.name, hit.mark, FormatFixed(hit.x, 3), FormatFixed(hit.y, 3)));
}

// ---------------------------------------------------------------------------------------------

CIdentifyDlg::CIdentifyDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("要素属性"));
    m_Table = new QTableWidget(0, 3, this);
    m_Table->setHorizontalHeaderLabels({QStringLiteral("图层"), QStringLiteral("要素"), QStringLiteral("属性")});
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->verticalHeader()->setVisible(false);
    m_Table->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Table);
    resize(520, 320);
}

void CIdentifyDlg::Show(const std::vector<IdentifiedFeature>& features)
{
    int rows = 0;
    for (const IdentifiedFeature& f : features) rows += std::max<int>(1, f.attributes.size());
    m_Table->setRowCount(rows);
    int r = 0;
    for (const IdentifiedFeature& f : features)
    {
        const int n = std::max<int>(1, f.attributes.size());
        for (int i = 0; i < n; ++i, ++r)
        {
            m_Table->setItem(r, 0, new QTableWidgetItem(i == 0 ? f.layerName : QString()));
            m_Table->setItem(r, 1, new QTableWidgetItem(i == 0 ? f.feature : QString()));
            m_Table->setItem(r, 2, new QTableWidgetItem(f.attributes.value(i)));
        }
    }
    if (features.empty())
    {
        m_Table->setRowCount(1);
        m_Table->setItem(0, 2, new QTableWidgetItem(QStringLiteral("这里没有可以选择的要素。")));
    }
    m_Table->resizeColumnsToContents();
    show();
    raise();
}

// ---------------------------------------------------------------------------------------------

CLayerLoadWatcher::CLayerLoadWatcher(CMapLayerList& layers, QWidget* window) : QObject(window), m_Layers(layers)
{
    m_Dialog = new QProgressDialog(window);
    m_Dialog->setWindowTitle(QStringLiteral("打开图层"));
    m_Dialog->setWindowModality(Qt::NonModal);
    m_Dialog->setCancelButtonText(QStringLiteral("取消"));
    m_Dialog->setRange(0, 100);
    m_Dialog->setAutoReset(false);
    m_Dialog->setAutoClose(false);
    m_Dialog->setMinimumWidth(480);
    // QProgressDialog shows itself after its minimum duration once a value is set; it appears
    // only when Poll says so.
    m_Dialog->setMinimumDuration(1 << 30);
    m_Dialog->reset();
    m_Dialog->hide();
    connect(m_Dialog, &QProgressDialog::canceled, this, [this] {
        m_Layers.CancelLoads();
        Poll();
    });
    m_Timer = new QTimer(this);
    m_Timer->setInterval(100);
    connect(m_Timer, &QTimer::timeout, this, &CLayerLoadWatcher::Poll);
    m_Timer->start();
}

void CLayerLoadWatcher::Poll()
{
    // A failed load's message box runs its own event loop, in which the timer fires again.
    if (m_Polling) return;
    m_Polling = true;
    // A finished load may bring a message box: the progress of it must not stand behind the box.
    if (m_Layers.CurrentLoad() && m_Layers.CurrentLoad()->IsFinished() && m_Dialog->isVisible()) m_Dialog->hide();
    bool changed = false;
    while (m_Layers.FinishLoads()) changed = true;
    const CLayerLoader* load = m_Layers.CurrentLoad();
    if (m_Layers.LoadStateChanges() != m_SeenChanges) changed = true;
    m_SeenChanges = m_Layers.LoadStateChanges();
    if (load)
    {
        m_Dialog->setLabelText(QStringLiteral("正在打开\n%1").arg(load->Caption()));
        m_Dialog->setValue(load->Percent());
        if (m_Dialog->isHidden()) m_Dialog->show();
    }
    else if (m_Dialog->isVisible())
    {
        m_Dialog->hide();
    }
    m_Polling = false;
    if (changed && onChanged) onChanged();
}
