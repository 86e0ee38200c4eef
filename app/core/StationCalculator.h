#pragma once

#include "road/StationText.h"

#include <QString>
#include <QStringList>
#include <vector>

class CRoadDesign;

// The station/offset calculator without widgets: 正算 (station and offset to north, east and
// bearing) and 反算 (north and east to station, offset and side) for one point or a pasted list.
// A line that cannot be answered keeps its place in the results with the reason, so nothing the
// user pasted is lost.
struct CalculatorResult
{
    bool ok = false;
    QString name;           // the first field of a pasted line when it is not a number
    double station = 0.0;
    double offset = 0.0;    // negative left of the centre line
    double x = 0.0;         // north
    double y = 0.0;         // east
    double bearing = 0.0;   // radians, of the centre line at the station
    QString message;        // why the line has no answer; empty when ok
};

class CStationCalculator
{
public:
    explicit CStationCalculator(const CRoadDesign& road) : m_Road(road) {}

    // 正算: the point at `offset` (negative left) beside the centre line at `station`. A station
    // outside the route is refused with the route's range in the message.
    CalculatorResult Forward(double station, double offset) const;
    // 反算: station and offset of a plane point; refused when the point lies beside no element.
    CalculatorResult Inverse(double x, double y) const;

    // Text forms as typed in the pane: a station as a K-mark or metres, numbers with '.'.
    CalculatorResult ForwardText(const QString& station, const QString& offset) const;
    CalculatorResult InverseText(const QString& x, const QString& y) const;

    // A pasted list, one point a line, fields separated by commas, tabs or blanks, an optional
    // name first. 正算 lines: [name] station [offset]; 反算 lines: [name] N E. Blank lines are
    // skipped; every other line gives one result, in order.
    std::vector<CalculatorResult> ForwardList(const QString& text) const;
    std::vector<CalculatorResult> InverseList(const QString& text) const;

    // Results as tab-separated text with a title line, ready for the clipboard and a spreadsheet.
    static QString ResultsText(const std::vector<CalculatorResult>& results, StationStyle style);
    // One result's fields as the pane's table shows them: 名称, 里程, 偏距, 侧, N, E, 方位角, 说明.
    static QStringList ResultFields(const CalculatorResult& result, StationStyle style);
    static QStringList FieldTitles();

private:
    const CRoadDesign& m_Road;
};
