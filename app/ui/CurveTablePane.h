#pragma once

#include <QWidget>

class CRouteShell;
class QPushButton;
class QTableWidget;

// "曲线表": the curve-element table (直线、曲线及转角表) of the route in the input pane, with
// refresh and CSV export.
class CCurveTablePane : public QWidget
{
    Q_OBJECT
public:
    CCurveTablePane(CRouteShell& shell, QWidget* parent = nullptr);
    QTableWidget* Table() const { return m_Table; }
    // Shows the table of the route as it now stands.
    void Refresh();
    // Asks for a file and writes the table; ExportTo writes without asking (tests).
    void ExportCommand();
    bool ExportTo(const QString& path);

private:
    CRouteShell& m_Shell;
    QTableWidget* m_Table = nullptr;
    QPushButton* m_Refresh = nullptr;
    QPushButton* m_Export = nullptr;
};
