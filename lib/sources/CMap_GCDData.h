#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"

#include <QString>

#include <vector>

// One survey entity of an entity database, in survey plane coordinates (x northing, y easting).
// The three kinds share the identifier and the label texts; GetType gives the class geometry
// type (0 point, 1 line, 2 plane) the entity belongs to.
class TESVANE_API CEntityData
{
public:
    virtual ~CEntityData() = default;
    virtual int GetType() const = 0;
    // Number of surveyed positions held.
    virtual int GetPointCount() const = 0;
    // The entity's world extent; false when it has no position.
    virtual bool GetExtent(double& minX, double& maxX, double& minY, double& maxY) const = 0;

    QString m_EntityID;
    // Texts of the class's first and second label column (empty when the class has none).
    QString m_Label[2];
    // Set by the selection of its class; drawn highlighted.
    bool m_Selected = false;
};

class TESVANE_API CPointData : public CEntityData
{
public:
    int GetType() const override { return 0; }
    int GetPointCount() const override { return m_HasPosition ? 1 : 0; }
    bool GetExtent(double& minX, double& maxX, double& minY, double& maxY) const override;
    void SetPoint(const xyhCoord& p)
    {
        m_Point = p;
        m_HasPosition = true;
    }

    xyhCoord m_Point;
    // An entity whose observations are missing has no position: it is kept (it exists in the
    // database) but neither drawn, selected nor counted in the extent.
    bool m_HasPosition = false;
};

// A polyline. Every change of the positions updates the extent and the length.
class TESVANE_API CLineData : public CEntityData
{
public:
    int GetType() const override { return 1; }
    int GetPointCount() const override { return static_cast<int>(m_Points.size()); }
    bool GetExtent(double& minX, double& maxX, double& minY, double& maxY) const override;

    void AddPoint(const xyhCoord& p);
    // Inserts before `index`; an index outside 0..count appends.
    void InsertPoint(int index, const xyhCoord& p);
    // Removes the position at `index`; false when there is none.
    bool RemovePoint(int index);
    // The position at `index`; false when there is none.
    bool GetPoint(int index, xyhCoord& p) const;
    const std::vector<xyhCoord>& GetPoints() const { return m_Points; }
    void SetPoints(std::vector<xyhCoord> points);

    // Recomputes the length (and for planes the area) from the positions.
    virtual void GetLengthAndArea();
    double GetLength() const { return m_Length; }

    // True when the polyline (a plane: its outline) meets the world rectangle.
    bool IsLineInRange(double minX, double maxX, double minY, double maxY) const;
    // Where the label goes: the point halfway along the line.
    virtual xyhCoord GetLabelPosition() const;

    double m_MinX = 0, m_MaxX = 0, m_MinY = 0, m_MaxY = 0;

protected:
    void Changed();
    bool Closed() const { return GetType() == 2; }

    std::vector<xyhCoord> m_Points;
    double m_Length = 0;
};

// A closed polygon (the last position joins the first); the length is its perimeter.
class TESVANE_API CPlaneData : public CLineData
{
public:
    int GetType() const override { return 2; }
    void GetLengthAndArea() override;
    double GetArea() const { return m_Area; }

    // True when the plane and the polygon (world coordinates, closing side implied) share any
    // point: an edge crosses, or one lies inside the other.
    bool IsSelect(const std::vector<xyhCoord>& polygon) const;
    bool Contains(double x, double y) const;
    // The area centroid; the mean of the positions for a degenerate ring.
    xyhCoord GetLabelPosition() const override;

private:
    double m_Area = 0;
};
