#pragma once

#include "app/core/MapLayerList.h"
#include "map/CMapLayer.h"

#include <QDialog>
#include <QObject>
#include <QPushButton>

#include <functional>

class CShapeConfigFillColor;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

// A button showing a colour (0x00BBGGRR); a click opens the colour dialog.
class CColourButton : public QPushButton
{
    Q_OBJECT
public:
    CColourButton(unsigned long colour, QWidget* parent = nullptr);
    unsigned long Colour() const { return m_Colour; }
    void SetColour(unsigned long colour);

private:
    unsigned long m_Colour;
};

// 属性…: a layer's name, colours, size, label field and flags; for a shapefile of planes also
// the fill colours by the value of one attribute (the ".shc" beside the data, changed at once).
class CLayerPropertiesDlg : public QDialog
{
    Q_OBJECT
public:
    // `layer` is the opened layer, or null while it is not loaded (the fill colours need it).
    CLayerPropertiesDlg(const MapConfigItem& item, CMapLayer* layer, QWidget* parent = nullptr);
    MapConfigItem Item() const;
    // True when the fill colours were changed (the layer must re-read them).
    bool FillColoursChanged() const { return m_FillChanged; }

    QLineEdit* NameEdit() const { return m_Name; }
    QComboBox* FillFieldBox() const { return m_FillField; }
    QTableWidget* FillTable() const { return m_FillTable; }

private:
    void FillColourRows();

    MapConfigItem m_Item;
    CShapeConfigFillColor* m_FillConfig = nullptr;
    bool m_FillChanged = false;
    QLineEdit* m_Name;
    CColourButton* m_Outline;
    CColourButton* m_Fill;
    CColourButton* m_Text;
    QSpinBox* m_Size;
    QComboBox* m_Label;
    QCheckBox* m_Semi;
    QCheckBox* m_Select;
    QCheckBox* m_Search;
    QComboBox* m_FillField = nullptr;
    QTableWidget* m_FillTable = nullptr;
};

// 坐标系…: the survey coordinate system in use (file, name, ellipsoid, projection), and the
// buttons to choose another file or go without one.
class CCoordinateSystemDlg : public QDialog
{
    Q_OBJECT
public:
    CCoordinateSystemDlg(CMapLayerList& layers, QWidget* parent = nullptr);
    QLabel* Description() const { return m_Text; }
    // The file dialog; replaced by tests.
    std::function<QString()> chooseFile;

private:
    void Describe();
    CMapLayerList& m_Layers;
    QLabel* m_Text;
};

// 查找点…: searches the point layers by name or mark; each 查找下一个 centres the map on the next
// hit and marks it.
class CFindPointDlg : public QDialog
{
    Q_OBJECT
public:
    CFindPointDlg(CMapLayerList& layers, QWidget* parent = nullptr);
    QLineEdit* TextEdit() const { return m_Text; }
    QLabel* Result() const { return m_Result; }
    void FindNext();

private:
    CMapLayerList& m_Layers;
    QLineEdit* m_Text;
    QComboBox* m_Mode;
    QLabel* m_Result;
    FoundPoint m_Last;
    QString m_LastText;
};

// The attributes of the features the selection tool picked: one row per attribute.
class CIdentifyDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CIdentifyDlg(QWidget* parent = nullptr);
    void Show(const std::vector<IdentifiedFeature>& features);
    QTableWidget* Table() const { return m_Table; }

private:
    QTableWidget* m_Table;
};

// Watches the layer list's loads from the window: every tenth of a second it puts finished loads
// into the map and shows the running one in a progress dialog whose 取消 stops it. The dialog is
// not modal, so the map can be used while a file loads.
class CLayerLoadWatcher : public QObject
{
    Q_OBJECT
public:
    CLayerLoadWatcher(CMapLayerList& layers, QWidget* window);
    // One round of the timer (tests call it directly).
    void Poll();
    QProgressDialog* Dialog() const { return m_Dialog; }
    // A load finished (the layer list changed).
    std::function<void()> onChanged;

private:
    CMapLayerList& m_Layers;
    QProgressDialog* m_Dialog;
    QTimer* m_Timer;
    unsigned m_SeenChanges = 0;
    bool m_Polling = false;
};
