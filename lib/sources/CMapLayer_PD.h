#pragma once

#include "map/CMapConvert.h"
#include "map/CMapLayer.h"
#include "sources/CppSQLite3.h"
#include "sources/MapLayerInfo.h"

#include <QFont>

#include <vector>

// One point of a point database, with its client position as last computed.
struct MapLayer_Dat_Point
{
    QString name;
    QString mark;
    double x = 0.0;
    double y = 0.0;
    double h = 0.0;
    int clientX = 0;
    int clientY = 0;
};

// Layer format 9: the table "Point" of an SQLite database (column 1 name, 2 mark, 6 to 8 x, y, h,
// 11 zero for rows that are shown), drawn thinned to at most one point per 8 x 8 pixel cell so
// that drawing costs what the window holds, not what the table holds.
class TESVANE_API CMapLayer_PD : public CMapLayer, public IMapLayerInfo
{
public:
    CMapLayer_PD();
    ~CMapLayer_PD() override;

    void Clear() override;
    // With recompute 0 the extent found when the table was read.
    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int recompute) override;
    // Client positions are recomputed when `recompute` is non-zero and whenever the view has
    // changed since they were last computed.
    void DrawAll(QPainter* painter, int recompute) override;
    int GetType() const override { return 9; }
    // Reads the database read-only; a missing file is never created.
    int Open() override;
    void Close() override;

    void DrawPt(QPainter* painter, const MapLayer_Dat_Point& point, int ownStyle, int useMark);

    const std::vector<MapLayer_Dat_Point>& GetPoints() const { return m_Points; }

    QString KindName() const override { return QStringLiteral("CMapLayer_PD"); }
    long long ItemCount() const override { return (long long)m_Points.size(); }

private:
    void ComputeExtent();
    // Which of the points drawn (indices in drawing order) get their label.
    std::vector<char> PlaceLabels(QPainter* painter, const std::vector<int>& drawn);

    CppSQLite3DB m_DB;
    std::vector<MapLayer_Dat_Point> m_Points;
    double m_MinX = 0.0, m_MaxX = 0.0, m_MinY = 0.0, m_MaxY = 0.0;
    GraphParameter m_PositionsFor; // the view the stored client positions belong to
    bool m_PositionsValid = false;
    // Label widths by point, measured when a label is first placed (-1: not yet), for the font
    // and resolution they were measured with. Laying out the text is most of a label's cost.
    std::vector<int> m_LabelWidths;
    QFont m_LabelFont;
    int m_LabelDpi = 0;
};
