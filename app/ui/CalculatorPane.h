#pragma once

#include "app/core/StationCalculator.h"

#include <QWidget>
#include <functional>
#include <vector>

class CRouteShell;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "计算器": 正算 (station and offset → N, E, bearing) and 反算 (N, E → station, offset, side) for
// one point typed in, or for a list pasted into the box below; results in a table that can be
// copied; 转到里程 centres the map on a station.
class CCalculatorPane : public QWidget
{
    Q_OBJECT
public:
    CCalculatorPane(CRouteShell& shell, QWidget* parent = nullptr);

    QRadioButton* ForwardMode() const { return m_Forward; }
    QRadioButton* InverseMode() const { return m_Inverse; }
    QLineEdit* FirstField() const { return m_First; }
    QLineEdit* SecondField() const { return m_Second; }
    QPlainTextEdit* ListBox() const { return m_List; }
    QTableWidget* Results() const { return m_Results; }

    void CalculateOne();
    void CalculateList();
    // Puts the results on the clipboard as tab-separated text.
    void CopyResults();
    // Centres the map on the station typed (正算 mode) or on the last result.
    void GoToStation();
    const std::vector<CalculatorResult>& LastResults() const { return m_Last; }

    // The map centres on a plane point and marks it.
    std::function<void(double x, double y)> onGoTo;

private:
    void ModeChanged();
    void ShowResults(const std::vector<CalculatorResult>& results);

    CRouteShell& m_Shell;
    QRadioButton* m_Forward = nullptr;
    QRadioButton* m_Inverse = nullptr;
    QLabel* m_FirstLabel = nullptr;
    QLabel* m_SecondLabel = nullptr;
    QLineEdit* m_First = nullptr;
    QLineEdit* m_Second = nullptr;
    QPlainTextEdit* m_List = nullptr;
    QTableWidget* m_Results = nullptr;
    std::vector<CalculatorResult> m_Last;
};
