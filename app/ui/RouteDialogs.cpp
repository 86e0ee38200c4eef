#include "app/ui/RouteDialogs.h"

#include "app/core/BuildDate.h"
#include "app/core/ExportOptionsFile.h"
#include "app/ui/UiSupport.h"
#include "geometry/Angle.h"
#include "platform/MessageSink.h"
#include "road/CRoadDesign_CrossPoint.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

CFieldDialog::CFieldDialog(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_Form = new QFormLayout;
    m_Form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    m_Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(m_Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CFieldDialog::FinishLayout()
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_Form);
    layout->addWidget(m_Buttons);
    setMinimumWidth(300);
}

QLineEdit* CFieldDialog::AddField(const QString& label, const QString& objectName)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    edit->setMinimumWidth(180);
    m_Form->addRow(label, edit);
    return edit;
}

void CFieldDialog::SetNumber(QLineEdit* field, double value) { field->setText(FieldText(value)); }

bool CFieldDialog::ReadNumber(QLineEdit* field, double& value)
{
    if (ParseField(field->text(), value)) return true;
    ShowMessage(QStringLiteral("请输入一个数字。"), WarningCaption(), MessageKind::Warning);
    field->setFocus();
    field->selectAll();
    return false;
}

void CFieldDialog::accept()
{
    if (Exchange()) QDialog::accept();
}

// ---------------------------------------------------------------------------------------------

CNew_Element_Add_PointDlg::CNew_Element_Add_PointDlg(QWidget* parent)
    : CFieldDialog(QStringLiteral("起点"), parent)
{
    m_X = AddField(QStringLiteral("坐标x:"), QStringLiteral("x"));
    m_Y = AddField(QStringLiteral("坐标y:"), QStringLiteral("y"));
    m_H = AddField(QStringLiteral("坐标h:"), QStringLiteral("h"));
    SetValues(0, 0, 0);
    FinishLayout();
}

void CNew_Element_Add_PointDlg::SetValues(double x, double y, double h)
{
    SetNumber(m_X, x);
    SetNumber(m_Y, y);
    SetNumber(m_H, h);
}

bool CNew_Element_Add_PointDlg::Exchange()
{
    return ReadNumber(m_X, m_x) && ReadNumber(m_Y, m_y) && ReadNumber(m_H, m_h);
}

// ---------------------------------------------------------------------------------------------

namespace
{
const QString kBearingFormatHint = QStringLiteral("方位按度.分秒输入，例如 45.3000 表示 45°30′00″。");

// Every element needs a length: a negative one would run the stations backwards.
bool CheckLength(double length, QLineEdit* field)
{
    if (length < 0.0001)
    {
        ShowMessage(QStringLiteral("长度不能小于0，请重新输入！"), WarningCaption(), MessageKind::Warning);
        field->setFocus();
        field->selectAll();
        return false;
    }
    return true;
}

// An arc without a radius has no shape.
bool CheckRadius(double radius, QLineEdit* field)
{
    if (std::fabs(radius) < 0.0001)
    {
        ShowMessage(QStringLiteral("半径不能为0，请重新输入！（右转为正，左转为负）"), WarningCaption(), MessageKind::Warning);
        field->setFocus();
        field->selectAll();
        return false;
    }
    return true;
}
} // namespace

CNew_Element_Add_LineDlg::CNew_Element_Add_LineDlg(QWidget* parent) : CFieldDialog(QStringLiteral("直线"), parent)
{
    m_BearingEdit = AddField(QStringLiteral("方位(度.分秒):"), QStringLiteral("bearing"));
    m_BearingEdit->setPlaceholderText(QStringLiteral("度.分秒"));
    m_BearingEdit->setToolTip(kBearingFormatHint);
    m_LengthEdit = AddField(QStringLiteral("长度:"), QStringLiteral("length"));
    SetValues(0, 0);
    FinishLayout();
}

void CNew_Element_Add_LineDlg::SetValues(double bearingDegrees, double length)
{
    m_BearingEdit->setText(Angle::DegreesToPackedDmsTextSnapped(bearingDegrees));
    SetNumber(m_LengthEdit, length);
}

double CNew_Element_Add_LineDlg::BearingDegrees() const { return Angle::ReadPackedDmsEntry(m_Bearing).degrees; }

bool CNew_Element_Add_LineDlg::Exchange()
{
    double packed = 0;
    if (!m_BearingEdit->text().trimmed().isEmpty() && !ReadNumber(m_BearingEdit, packed)) return false;
    // 45.75 is not 45°75′: minutes and seconds of 60 or more are refused rather than carried.
    const Angle::PackedDmsEntry entry = Angle::ReadPackedDmsEntry(m_BearingEdit->text());
    if (entry.status == Angle::PackedDmsEntry::MinutesOutOfRange || entry.status == Angle::PackedDmsEntry::SecondsOutOfRange)
    {
        const QString what = entry.status == Angle::PackedDmsEntry::MinutesOutOfRange ? QStringLiteral("分") : QStringLiteral("秒");
        ShowMessage(QStringLiteral("方位的%1必须小于60，请重新输入！\n").arg(what) + kBearingFormatHint, WarningCaption(),
                    MessageKind::Warning);
        m_BearingEdit->setFocus();
        m_BearingEdit->selectAll();
        return false;
    }
    m_Bearing = m_BearingEdit->text().trimmed();
    return ReadNumber(m_LengthEdit, m_Length) && CheckLength(m_Length, m_LengthEdit);
}

// ---------------------------------------------------------------------------------------------

CNew_Element_Add_CurveDlg::CNew_Element_Add_CurveDlg(QWidget* parent) : CFieldDialog(QStringLiteral("圆曲"), parent)
{
    m_RadiusEdit = AddField(QStringLiteral("半径:"), QStringLiteral("radius"));
    m_RadiusEdit->setToolTip(QStringLiteral("右转为正，左转为负"));
    m_LengthEdit = AddField(QStringLiteral("长度:"), QStringLiteral("length"));
    SetValues(0, 0);
    FinishLayout();
}

void CNew_Element_Add_CurveDlg::SetValues(double radius, double length)
{
    SetNumber(m_RadiusEdit, radius);
    SetNumber(m_LengthEdit, length);
}

bool CNew_Element_Add_CurveDlg::Exchange()
{
    return ReadNumber(m_RadiusEdit, m_Radius) && CheckRadius(m_Radius, m_RadiusEdit) && ReadNumber(m_LengthEdit, m_Length) &&
           CheckLength(m_Length, m_LengthEdit);
}

CNew_Element_Add_SpiralDlg::CNew_Element_Add_SpiralDlg(QWidget* parent) : CFieldDialog(QStringLiteral("缓曲"), parent)
{
    m_LengthEdit = AddField(QStringLiteral("长度:"), QStringLiteral("length"));
    SetValues(0);
    FinishLayout();
}

void CNew_Element_Add_SpiralDlg::SetValues(double length) { SetNumber(m_LengthEdit, length); }

bool CNew_Element_Add_SpiralDlg::Exchange() { return ReadNumber(m_LengthEdit, m_Length) && CheckLength(m_Length, m_LengthEdit); }

// ---------------------------------------------------------------------------------------------

CNew_CrossPoint_AddDlg::CNew_CrossPoint_AddDlg(QWidget* parent) : CFieldDialog(QStringLiteral("交点"), parent)
{
    m_Name = AddField(QStringLiteral("点名:"), QStringLiteral("name"));
    m_X = AddField(QStringLiteral("坐标x:"), QStringLiteral("x"));
    m_Y = AddField(QStringLiteral("坐标y:"), QStringLiteral("y"));
    m_H = AddField(QStringLiteral("坐标h:"), QStringLiteral("h"));
    m_Left = AddField(QStringLiteral("左缓曲长:"), QStringLiteral("left"));
    m_Radius = AddField(QStringLiteral("半径:"), QStringLiteral("radius"));
    m_Right = AddField(QStringLiteral("右缓曲长:"), QStringLiteral("right"));
    m_Station = AddField(QStringLiteral("桩号:"), QStringLiteral("station"));
    SetValues(Road_CrossPoint());
    FinishLayout();
}

void CNew_CrossPoint_AddDlg::SetValues(const Road_CrossPoint& p)
{
    m_Name->setText(p.point.name);
    SetNumber(m_X, p.point.x);
    SetNumber(m_Y, p.point.y);
    SetNumber(m_H, p.point.h);
    SetNumber(m_Left, p.leftTransition);
    SetNumber(m_Radius, p.radius);
    SetNumber(m_Right, p.rightTransition);
    SetNumber(m_Station, p.station);
}

bool CNew_CrossPoint_AddDlg::Exchange()
{
    QLineEdit* fields[7] = {m_X, m_Y, m_H, m_Left, m_Radius, m_Right, m_Station};
    for (int i = 0; i < 7; ++i)
        if (!ReadNumber(fields[i], m_Values[i])) return false;
    m_NameValue = m_Name->text();
    return true;
}

void CNew_CrossPoint_AddDlg::GetValues(Road_CrossPoint& p) const
{
    p.point.name = m_NameValue;
    p.point.x = m_Values[0];
    p.point.y = m_Values[1];
    p.point.h = m_Values[2];
    p.leftTransition = m_Values[3];
    p.radius = m_Values[4];
    p.rightTransition = m_Values[5];
    p.station = m_Values[6];
}

// ---------------------------------------------------------------------------------------------

CNewPropertyDlg::CNewPropertyDlg(const RouteProperties& properties, bool modeChangeable, QWidget* parent)
    : CFieldDialog(modeChangeable ? QStringLiteral("新建线路") : QStringLiteral("线路属性"), parent), m_Properties(properties)
{
    m_Name = AddField(QStringLiteral("线路名称:"), QStringLiteral("name"));
    m_Station = AddField(QStringLiteral("起点里程:"), QStringLiteral("station"));
    m_ElementMode = new QRadioButton(QStringLiteral("元素模式"), this);
    m_CrossPointMode = new QRadioButton(QStringLiteral("交点模式"), this);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_ElementMode);
    modes->addWidget(m_CrossPointMode);
    modes->addStretch();
    m_Form->addRow(QString(), modes);
    auto* group = new QButtonGroup(this);
    group->addButton(m_ElementMode);
    group->addButton(m_CrossPointMode);

    m_Name->setText(properties.name);
    SetNumber(m_Station, properties.startMileage);
    (properties.mode == RouteMode::CrossPoint ? m_CrossPointMode : m_ElementMode)->setChecked(true);
    m_ElementMode->setEnabled(modeChangeable);
    m_CrossPointMode->setEnabled(modeChangeable);
    connect(m_ElementMode, &QRadioButton::toggled, this, &CNewPropertyDlg::UpdateStationField);
    UpdateStationField();
    FinishLayout();
    setMinimumWidth(360);
}

void CNewPropertyDlg::UpdateStationField()
{
    // A crossing-point route takes its start station from its first point.
    m_Station->setEnabled(m_ElementMode->isChecked());
}

bool CNewPropertyDlg::Exchange()
{
    double station = m_Properties.startMileage;
    if (m_Station->isEnabled() && !ReadNumber(m_Station, station)) return false;
    if (m_Name->text().trimmed().isEmpty())
    {
        ShowMessage(QStringLiteral("线路名称不能为空，请重新输入！"), WarningCaption(), MessageKind::Warning);
        m_Name->setFocus();
        return false;
    }
    m_Properties.name = m_Name->text();
    m_Properties.startMileage = station;
    m_Properties.mode = m_CrossPointMode->isChecked() ? RouteMode::CrossPoint : RouteMode::Element;
    return true;
}

// ---------------------------------------------------------------------------------------------

CExportDlg::CExportDlg(const ExportOptions& options, const QString& configDir, QWidget* parent)
    : CFieldDialog(QStringLiteral("导出边桩文件"), parent), m_Options(options), m_ConfigDir(configDir)
{
    auto* box = new QGroupBox(QStringLiteral("选项"), this);
    auto* inner = new QFormLayout(box);
    m_WholeStations = new QRadioButton(QStringLiteral("按照整桩号计算"), box);
    m_EveryInterval = new QRadioButton(QStringLiteral("按照整桩距计算"), box);
    auto* modes = new QHBoxLayout;
    modes->addWidget(m_WholeStations);
    modes->addWidget(m_EveryInterval);
    inner->addRow(modes);
    m_Interval = new QLineEdit(box);
    m_Interval->setObjectName(QStringLiteral("interval"));
    inner->addRow(QStringLiteral("加桩间隔(米):"), m_Interval);
    m_Offset = new QLineEdit(box);
    m_Offset->setObjectName(QStringLiteral("offset"));
    auto* offsetRow = new QHBoxLayout;
    offsetRow->addWidget(m_Offset);
    offsetRow->addWidget(new QLabel(QStringLiteral("(左负右正)"), box));
    inner->addRow(QStringLiteral("偏离距离(米):"), offsetRow);
    m_Layout = new QComboBox(box);
    m_Layout->setObjectName(QStringLiteral("layout"));
    m_Layout->addItem(QStringLiteral("边桩文件 (点名,X,Y,H,里程,方位角)"));
    m_Layout->addItem(QStringLiteral("外业手簿 (点名,编码,东,北,高)"));
    m_Layout->setCurrentIndex(options.layout == 1 ? 1 : 0);
    inner->addRow(QStringLiteral("文件格式:"), m_Layout);
    m_Form->addRow(box);

    (options.mode == 1 ? m_EveryInterval : m_WholeStations)->setChecked(true);
    SetNumber(m_Interval, options.interval);
    SetNumber(m_Offset, options.offset);
    FinishLayout();
    setMinimumWidth(380);
}

bool CExportDlg::Exchange()
{
    ExportOptions o = m_Options;
    o.mode = m_EveryInterval->isChecked() ? 1 : 0;
    o.layout = m_Layout->currentIndex() == 1 ? 1 : 0;
    if (!ReadNumber(m_Interval, o.interval) || !ReadNumber(m_Offset, o.offset)) return false;
    if (!AcceptExportOptions(m_ConfigDir, o))
    {
        m_Interval->setFocus();
        m_Interval->selectAll();
        return false;
    }
    m_Options = o;
    return true;
}

// ---------------------------------------------------------------------------------------------

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("关于 Veylor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* icon = new QLabel(this);
    icon->setPixmap(ToolIcon(QStringLiteral("app")).pixmap(48, 48));
    auto* version = new QLabel(QStringLiteral("Veylor，1.0 版"), this);
    auto* date = new QLabel(QStringLiteral("Build Date: %1").arg(BuildDateText(QString::fromLatin1(__DATE__))), this);
    date->setObjectName(QStringLiteral("buildDate"));
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(date);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok);
    setMinimumWidth(320);
}
