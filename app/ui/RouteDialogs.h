#pragma once

#include "app/core/RouteTypes.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLineEdit;
class QRadioButton;

// A small modal dialog of labelled fields with OK and Cancel. Numbers are typed as decimal
// numbers; OK refuses text that is not one.
class CFieldDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CFieldDialog(const QString& caption, QWidget* parent = nullptr);
    void accept() override;

protected:
    QLineEdit* AddField(const QString& label, const QString& objectName);
    void SetNumber(QLineEdit* field, double value);
    // Reads a number field; shows "请输入一个数字。" and focuses the field when it is not one.
    bool ReadNumber(QLineEdit* field, double& value);
    // The dialog's own checks on OK; false keeps the dialog open.
    virtual bool Exchange() { return true; }
    void FinishLayout();

    QFormLayout* m_Form = nullptr;
    QDialogButtonBox* m_Buttons = nullptr;
};

// "起点": the start point of an element route.
class CNew_Element_Add_PointDlg : public CFieldDialog
{
    Q_OBJECT
public:
    explicit CNew_Element_Add_PointDlg(QWidget* parent = nullptr);
    void SetValues(double x, double y, double h);
    double m_x = 0, m_y = 0, m_h = 0;

protected:
    bool Exchange() override;

private:
    QLineEdit *m_X, *m_Y, *m_H;
};

// "直线": a straight, its bearing typed in degrees.minutes-seconds.
class CNew_Element_Add_LineDlg : public CFieldDialog
{
    Q_OBJECT
public:
    explicit CNew_Element_Add_LineDlg(QWidget* parent = nullptr);
    // The bearing in decimal degrees is shown as angle text.
    void SetValues(double bearingDegrees, double length);
    // The typed bearing in decimal degrees.
    double BearingDegrees() const;
    QString m_Bearing;
    double m_Length = 0;

protected:
    bool Exchange() override;

private:
    QLineEdit *m_BearingEdit, *m_LengthEdit;
};

// "圆曲": a circular arc (signed radius, length).
class CNew_Element_Add_CurveDlg : public CFieldDialog
{
    Q_OBJECT
public:
    explicit CNew_Element_Add_CurveDlg(QWidget* parent = nullptr);
    void SetValues(double radius, double length);
    double m_Radius = 0, m_Length = 0;

protected:
    bool Exchange() override;

private:
    QLineEdit *m_RadiusEdit, *m_LengthEdit;
};

// "缓曲": a transition curve (length).
class CNew_Element_Add_SpiralDlg : public CFieldDialog
{
    Q_OBJECT
public:
    explicit CNew_Element_Add_SpiralDlg(QWidget* parent = nullptr);
    void SetValues(double length);
    double m_Length = 0;

protected:
    bool Exchange() override;

private:
    QLineEdit* m_LengthEdit;
};

struct Road_CrossPoint;

// "交点": one crossing point.
class CNew_CrossPoint_AddDlg : public CFieldDialog
{
    Q_OBJECT
public:
    explicit CNew_CrossPoint_AddDlg(QWidget* parent = nullptr);
    void SetValues(const Road_CrossPoint& point);
    // The values typed, over `point` (other fields stay).
    void GetValues(Road_CrossPoint& point) const;

protected:
    bool Exchange() override;

private:
    QLineEdit *m_Name, *m_X, *m_Y, *m_H, *m_Left, *m_Radius, *m_Right, *m_Station;
    QString m_NameValue;
    double m_Values[7] = {0, 0, 0, 0, 0, 0, 0};
};

// "新建线路" (New, the mode can be chosen) or "线路属性" (Properties): route name, start station and
// mode.
class CNewPropertyDlg : public CFieldDialog
{
    Q_OBJECT
public:
    CNewPropertyDlg(const RouteProperties& properties, bool modeChangeable, QWidget* parent = nullptr);
    RouteProperties m_Properties;

protected:
    bool Exchange() override;

private:
    void UpdateStationField();
    QLineEdit *m_Name, *m_Station;
    QRadioButton *m_ElementMode, *m_CrossPointMode;
};

// "导出边桩文件": stake mode, interval, offset and line layout, kept in "RoadExport.cfg".
class CExportDlg : public CFieldDialog
{
    Q_OBJECT
public:
    CExportDlg(const ExportOptions& options, const QString& configDir, QWidget* parent = nullptr);
    ExportOptions m_Options;

protected:
    bool Exchange() override;

private:
    QString m_ConfigDir;
    QRadioButton *m_WholeStations, *m_EveryInterval;
    QLineEdit *m_Interval, *m_Offset;
    QComboBox* m_Layout;
};

// "关于 Veylor".
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
