#pragma once

// The drawing primitives of the drawing-exchange source and the colour layer that holds them.
// Points are map points (x the northing = DXF Y, y the easting = DXF X). Internal to the library.

#include "geometry/CVector.h"
#include "platform/Export.h"

#include <QString>

#include <vector>

class CMapConvert;
class QPainter;

// Extent of a primitive in map coordinates, for skipping what lies outside the view.
struct DxfBox
{
    double minX = 0.0, minY = 0.0, maxX = -1.0, maxY = -1.0; // empty while min > max

    bool IsEmpty() const { return minX > maxX; }
    void Add(const CVector& p);
    void Add(const DxfBox& b);
    bool Overlaps(const DxfBox& b) const
    {
        return !IsEmpty() && !b.IsEmpty() && minX <= b.maxX && b.minX <= maxX && minY <= b.maxY && b.minY <= maxY;
    }
};

class TESVANE_API CMap_DXFPointData
{
public:
    void SetPoint(const CVector& p) { m_Point = p; }
    const CVector& GetPoint() const { return m_Point; }

private:
    CVector m_Point;
};

// An open polyline.
class TESVANE_API CMap_DXFLineData
{
public:
    explicit CMap_DXFLineData(int n = 0) : m_Points(size_t(n > 0 ? n : 0)) {}
    void SetPoint(int index, const CVector& p) { m_Points[size_t(index)] = p; }
    void AddPoint(const CVector& p) { m_Points.push_back(p); }
    int GetPointNum() const { return int(m_Points.size()); }
    const std::vector<CVector>& Points() const { return m_Points; }
    std::vector<CVector>& Points() { return m_Points; }

private:
    std::vector<CVector> m_Points;
};

// A filled polygon of one or more rings, filled with the even-odd rule so that a ring inside
// another is a hole (hatch islands).
class TESVANE_API CMap_DXFPlaneData
{
public:
    explicit CMap_DXFPlaneData(int n = 0) : m_Points(size_t(n > 0 ? n : 0)) {}
    void SetPoint(int index, const CVector& p) { m_Points[size_t(index)] = p; }
    void AddPoint(const CVector& p) { m_Points.push_back(p); }
    // Starts a further ring at the next point added.
    void StartRing();
    int GetPointNum() const { return int(m_Points.size()); }
    const std::vector<CVector>& Points() const { return m_Points; }
    std::vector<CVector>& Points() { return m_Points; }
    // Index of the first point of every ring after the first.
    const std::vector<int>& RingStarts() const { return m_RingStarts; }

private:
    std::vector<CVector> m_Points;
    std::vector<int> m_RingStarts;
};

// A text at an anchor point. Height in drawing units, angle in degrees counter-clockwise, and the
// alignment words: vertical 0 top, 6 middle, 8 bottom; horizontal 0 left, 6 centre, 2 right.
class TESVANE_API CMap_DXFTextData
{
public:
    CMap_DXFTextData(double height = 0.0, double angle = 0.0, int vertical = 0, int horizontal = 0)
        : m_Height(height), m_Angle(angle), m_Vertical(vertical), m_Horizontal(horizontal)
    {
    }
    void SetPos(const CVector& p) { m_Pos = p; }
    void SetText(const QString& text) { m_Text = text; }
    const CVector& GetPos() const { return m_Pos; }
    const QString& GetText() const { return m_Text; }
    double GetHeight() const { return m_Height; }
    double GetAngle() const { return m_Angle; }
    int GetVertical() const { return m_Vertical; }
    int GetHorizontal() const { return m_Horizontal; }
    void SetHeight(double h) { m_Height = h; }
    void SetAngle(double a) { m_Angle = a; }

private:
    CVector m_Pos;
    QString m_Text;
    double m_Height;
    double m_Angle;
    int m_Vertical;
    int m_Horizontal;
};

// An axis-parallel ellipse outline (circles).
class TESVANE_API CMap_DXFEllipseData
{
public:
    void SetCenter(const CVector& c) { m_Center = c; }
    void SetRadius(double rx, double ry)
    {
        m_RadiusX = rx;
        m_RadiusY = ry;
    }
    const CVector& GetCenter() const { return m_Center; }
    double GetRadiusX() const { return m_RadiusX; }
    double GetRadiusY() const { return m_RadiusY; }

private:
    CVector m_Center;
    double m_RadiusX = 0.0, m_RadiusY = 0.0;
};

// A run of points inside a colour layer's flat point array.
class DxfPointSpan
{
public:
    DxfPointSpan(const CVector* begin, const CVector* end) : m_Begin(begin), m_End(end) {}
    const CVector* begin() const { return m_Begin; }
    const CVector* end() const { return m_End; }
    size_t size() const { return size_t(m_End - m_Begin); }
    int GetPointNum() const { return int(size()); }
    const CVector& front() const { return *m_Begin; }
    const CVector& back() const { return *(m_End - 1); }
    const CVector& operator[](size_t i) const { return m_Begin[i]; }
    DxfPointSpan Points() const { return *this; }

private:
    const CVector* m_Begin;
    const CVector* m_End;
};

// Everything of one DXF colour number, drawn with one pen and one brush. Polylines are kept in
// one flat point array, so that drawing a layer reads its memory front to back.
class TESVANE_API CMap_DXFLayer
{
public:
    explicit CMap_DXFLayer(int colour) : m_Colour(colour) {}

    int GetLayerName() const { return m_Colour; }
    void SetConvert(CMapConvert* convert) { m_pConvert = convert; }

    void AddData(const CMap_DXFPointData& p);
    void AddData(CMap_DXFLineData&& line);
    void AddData(CMap_DXFPlaneData&& plane);
    void AddData(CMap_DXFTextData&& text);
    void AddData(const CMap_DXFEllipseData& e);

    // Draws in this colour (inverted when it equals the background).
    void Draw(QPainter* painter, unsigned long background) const;

    long long PrimitiveCount() const;
    const DxfBox& Extent() const { return m_Extent; }
    // The colour of a DXF colour number from dxflib's table (0x00BBGGRR); 7 for numbers outside 1..255.
    static unsigned long ColourOf(int number);

    const std::vector<CMap_DXFPointData>& Points() const { return m_Points; }
    int GetLineCount() const { return int(m_LineBoxes.size()); }
    DxfPointSpan GetLine(int index) const
    {
        return DxfPointSpan(m_LinePoints.data() + m_LineStarts[size_t(index)],
                            m_LinePoints.data() + m_LineStarts[size_t(index) + 1]);
    }
    // Every polyline (for tools and tests; drawing walks the flat array).
    std::vector<DxfPointSpan> Lines() const;
    const std::vector<CMap_DXFPlaneData>& Planes() const { return m_Planes; }
    const std::vector<CMap_DXFTextData>& Texts() const { return m_Texts; }
    const std::vector<CMap_DXFEllipseData>& Ellipses() const { return m_Ellipses; }

private:
    int m_Colour;
    CMapConvert* m_pConvert = nullptr;
    int m_PenWidth = 0;
    int m_PenStyle = 0;
    std::vector<CMap_DXFPointData> m_Points;
    std::vector<CVector> m_LinePoints;
    std::vector<size_t> m_LineStarts{0}; // polyline i is m_LinePoints[start i .. start i+1)
    std::vector<DxfBox> m_LineBoxes;
    std::vector<CMap_DXFPlaneData> m_Planes;
    std::vector<DxfBox> m_PlaneBoxes;
    std::vector<CMap_DXFTextData> m_Texts;
    std::vector<CMap_DXFEllipseData> m_Ellipses;
    DxfBox m_Extent;
};
