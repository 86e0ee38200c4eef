#pragma once

// Block definitions of a drawing while it is imported: template primitives in block coordinates
// and the inserts of other blocks they contain. Internal to the library.

#include "sources/CMap_DXFCurves.h"

#include <QString>

#include <vector>

// A 2-D affine map in DXF coordinates: X' = a·x + b·y + e, Y' = c·x + d·y + f.
struct DxfAffine
{
    double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

    dxfcurve::Pt Apply(const dxfcurve::Pt& p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
    // This map applied after `inner`.
    DxfAffine After(const DxfAffine& inner) const;
    // Translation to the point, rotation (degrees, counter-clockwise) and scale, in the order an
    // insert applies them to a block drawn about its base point.
    static DxfAffine Insert(dxfcurve::Pt at, double angleDegrees, double sx, double sy, dxfcurve::Pt base);
    // Lengths scale by this (the geometric mean for unequal axes).
    double LengthScale() const;
    // Direction of the x axis, degrees counter-clockwise.
    double RotationDegrees() const;
    // True when circles stay circles (a rotation, uniform scale and perhaps a mirror).
    bool KeepsCircles() const;
    bool IsIdentity() const { return a == 1.0 && b == 0.0 && c == 0.0 && d == 1.0 && e == 0.0 && f == 0.0; }
    bool IsUsable() const;
};

// One template primitive of a block, in block coordinates, with its own colour number (0 by block
// and 256 by layer are resolved only when the block is inserted).
struct CMap_DXFTemData
{
    enum Kind
    {
        Point,
        Line,
        Plane,
        Text,
        Circle
    };
    Kind kind = Line;
    int colour = 256;
    std::vector<dxfcurve::Pt> points;
    std::vector<int> ringStarts; // further rings of a plane
    double radius = 0.0;          // circle
    QString text;
    double height = 0.0, angle = 0.0;
    int vertical = 0, horizontal = 0;
};

// An insert of another block inside a block definition, expanded when the outer block is.
struct CMap_DXFInsertRef
{
    QString name;
    DxfAffine transform;
    int colour = 256;
};

class CMap_DXFBlock
{
public:
    CMap_DXFBlock(const QString& name, int colour, dxfcurve::Pt base) : m_Name(name), m_Colour(colour), m_Base(base) {}

    const QString& GetBlockName() const { return m_Name; }
    int GetColor() const { return m_Colour; }
    void SetColor(int colour) { m_Colour = colour; }
    dxfcurve::Pt GetBase() const { return m_Base; }

    void AddData(CMap_DXFTemData&& t) { m_Templates.push_back(std::move(t)); }
    void AddInsert(CMap_DXFInsertRef&& r) { m_Inserts.push_back(std::move(r)); }
    const std::vector<CMap_DXFTemData>& Templates() const { return m_Templates; }
    const std::vector<CMap_DXFInsertRef>& Inserts() const { return m_Inserts; }

private:
    QString m_Name;
    int m_Colour;
    dxfcurve::Pt m_Base;
    std::vector<CMap_DXFTemData> m_Templates;
    std::vector<CMap_DXFInsertRef> m_Inserts;
};
