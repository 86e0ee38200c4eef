#pragma once

#include "platform/Export.h"

#include <QString>

#include <vector>

// A data set position as the shape items keep it: northing first (the data set's Y), then the
// easting (its X), in single precision to halve the memory of large layers.
struct ShapePair
{
    float Y = 0.0f;
    float X = 0.0f;
};

// A data set rectangle, northing range first (the order of the entity index).
struct ShapeBox
{
    float MinY = 0.0f;
    float MinX = 0.0f;
    float MaxY = 0.0f;
    float MaxX = 0.0f;

    bool Meets(const ShapeBox& other) const
    {
        return MinY <= other.MaxY && other.MinY <= MaxY && MinX <= other.MaxX && other.MinX <= MaxX;
    }
};

// The light drawable items a shapefile's features become. Each carries the identifier of the
// feature it came from; a multi-part feature gives one item per part.

class TESVANE_API CMap_ShapePoint
{
public:
    CMap_ShapePoint(long fid, ShapePair pos) : m_FID(fid), m_Pos(pos) {}
    long GetFID() const { return m_FID; }
    ShapePair GetPos() const { return m_Pos; }

private:
    long m_FID;
    ShapePair m_Pos;
};

// A polyline. Its label sits half-way along the part of the line inside the view.
class TESVANE_API CMap_ShapeLine
{
public:
    CMap_ShapeLine(long fid, std::vector<ShapePair> points);
    virtual ~CMap_ShapeLine() = default;
    long GetFID() const { return m_FID; }
    int GetPointCount() const { return static_cast<int>(m_Points.size()); }
    const std::vector<ShapePair>& GetPoints() const { return m_Points; }
    const ShapeBox& GetBox() const { return m_Box; }
    // The label position for the view rectangle `view`; false when no part of the item is in it.
    virtual bool GetTextPos(const ShapeBox& view, ShapePair& pos) const;

protected:
    long m_FID;
    std::vector<ShapePair> m_Points;
    ShapeBox m_Box;
};

// The exterior ring of a polygon (holes are not kept) with its own fill colour, -1 for none.
// Its label sits at a point inside both the ring and the view: the centroid of the ring clipped
// to the view, or, when that falls outside (a bent ring), the middle of the widest inside stretch
// of the horizontal line through it.
class TESVANE_API CMap_ShapePlane : public CMap_ShapeLine
{
public:
    CMap_ShapePlane(long fid, std::vector<ShapePair> ring, long fillColor);
    long GetFillColor() const { return m_FillColor; }
    void SetFillColor(long color) { m_FillColor = color; }
    bool GetTextPos(const ShapeBox& view, ShapePair& pos) const override;
    // The position (northing, easting) lies inside the ring (even-odd rule).
    bool Contains(double y, double x) const;

private:
    long m_FillColor;
};

class TESVANE_API CMap_ShapeText
{
public:
    void SetFieldText(const QString& text) { m_Text = text; }
    QString GetFieldText() const { return m_Text; }
    void SetPos(ShapePair pos) { m_Pos = pos; }
    ShapePair GetPos() const { return m_Pos; }

private:
    QString m_Text;
    ShapePair m_Pos;
};
