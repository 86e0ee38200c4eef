#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"

#include <QColor>
#include <QString>

class CCoordinateConvert;
class CMapConvert;
class QPainter;

// An inclusive box in the coordinates the points are stored in (grid metres, or degrees for
// geographic files: x the latitude, y the longitude).
struct RangeData
{
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
};

// One named point of a point text file. For a geographic file x is the latitude and y the
// longitude in decimal degrees.
class TESVANE_API CMap_DATPoint
{
public:
    CMap_DATPoint() = default;
    CMap_DATPoint(QString name, QString mark, double x, double y, double h)
        : m_Name(std::move(name)), m_Mark(std::move(mark)), m_Coord{x, y, h}
    {
    }

    const QString& GetPointName() const { return m_Name; }
    const QString& GetPointMark() const { return m_Mark; }
    xyhCoord GetPoint() const { return m_Coord; }

    // Draws a filled square of half-side `size` with the painter's brush and pen, and the name
    // (label 0) or mark (label 1) beside it. With `coordConvert` the point is geographic and is
    // converted to the grid first. The label is written in `textColor`.
    void OnDraw(QPainter* painter, const CMapConvert* convert, CCoordinateConvert* coordConvert, int size,
                int label, const QColor& textColor = Qt::black) const;
    int IsPointInRange(const RangeData& range) const;

private:
    QString m_Name;
    QString m_Mark;
    xyhCoord m_Coord;
};
