// Where primitives go: templates of the block being defined, or the colour layers, with block
// inserts expanded (cycles, depth and total size bounded) and dimensions drawn.

#include "sources/CMap_DXF.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <cmath>

using dxfcurve::Pt;

namespace
{
constexpr double kDegree = 57.29577951308232;

bool AllUsable(const std::vector<Pt>& pts)
{
    return std::all_of(pts.begin(), pts.end(), [](const Pt& p) { return dxfcurve::Usable(p); });
}

// The shape carried through a map: points moved, circles kept when the map keeps them round and
// sampled otherwise, texts scaled and turned.
CMap_DXFTemData Transformed(const CMap_DXFTemData& in, const DxfAffine& m)
{
    if (m.IsIdentity()) return in;
    CMap_DXFTemData out = in;
    if (in.kind == CMap_DXFTemData::Circle && !m.KeepsCircles() && !in.points.empty())
    {
        out.kind = CMap_DXFTemData::Line;
        out.points.clear();
        dxfcurve::SampleEllipseArc(in.points[0], {in.radius, 0.0}, 1.0, 0.0, 6.283185307179586, true, true, out.points);
    }
    else if (in.kind == CMap_DXFTemData::Circle)
        out.radius = in.radius * m.LengthScale();
    for (Pt& p : out.points) p = m.Apply(p);
    if (in.kind == CMap_DXFTemData::Text)
    {
        out.height = in.height * m.LengthScale();
        out.angle = std::fmod(in.angle + m.RotationDegrees() + 360.0, 360.0);
    }
    return out;
}

CVector ToMap(const Pt& p) { return CVector(p.y, p.x); }
} // namespace

void CMap_DXF::Put(CMap_DXFTemData&& shape, const DxfAffine& ocs)
{
    if (m_pBlock)
    {
        CMap_DXFTemData t = Transformed(shape, ocs);
        t.colour = TemplateColour();
        m_pBlock->AddData(std::move(t));
        return;
    }
    AddToLayers(shape, ocs, ResolvedColour());
}

void CMap_DXF::PutLine(std::vector<Pt>&& points, const DxfAffine& ocs)
{
    if (points.empty()) return;
    CMap_DXFTemData t;
    t.kind = CMap_DXFTemData::Line;
    t.points = std::move(points);
    Put(std::move(t), ocs);
}

void CMap_DXF::AddToLayers(const CMap_DXFTemData& shape, const DxfAffine& m, int colour)
{
    CMap_DXFTemData moved;
    if (!m.IsIdentity()) moved = Transformed(shape, m);
    const CMap_DXFTemData& t = m.IsIdentity() ? shape : moved;
    if (t.points.empty()) return;
    if (!AllUsable(t.points) || (t.kind == CMap_DXFTemData::Circle && !dxfcurve::Usable(t.radius)) ||
        (t.kind == CMap_DXFTemData::Text && !dxfcurve::Usable(t.height)))
    {
        ++m_DroppedEntities;
        return;
    }
    CMap_DXFLayer* layer = GetActiveLayer(colour);
    switch (t.kind)
    {
    case CMap_DXFTemData::Point:
    {
        CMap_DXFPointData p;
        p.SetPoint(ToMap(t.points[0]));
        layer->AddData(p);
        break;
    }
    case CMap_DXFTemData::Line:
    {
        CMap_DXFLineData line(int(t.points.size()));
        for (size_t i = 0; i < t.points.size(); ++i) line.SetPoint(int(i), ToMap(t.points[i]));
        layer->AddData(std::move(line));
        break;
    }
    case CMap_DXFTemData::Plane:
    {
        CMap_DXFPlaneData plane;
        size_t ring = 0;
        for (size_t i = 0; i < t.points.size(); ++i)
        {
            if (ring < t.ringStarts.size() && int(i) == t.ringStarts[ring])
            {
                plane.StartRing();
                ++ring;
            }
            plane.AddPoint(ToMap(t.points[i]));
        }
        layer->AddData(std::move(plane));
        break;
    }
    case CMap_DXFTemData::Text:
    {
        CMap_DXFTextData text(t.height, t.angle, t.vertical, t.horizontal);
        text.SetPos(ToMap(t.points[0]));
        text.SetText(t.text);
        layer->AddData(std::move(text));
        break;
    }
    case CMap_DXFTemData::Circle:
    {
        CMap_DXFEllipseData e;
        e.SetCenter(ToMap(t.points[0]));
        e.SetRadius(t.radius, t.radius);
        layer->AddData(e);
        break;
    }
    }
}

void CMap_DXF::InsertBlock(const QString& name, const DxfAffine& m, int colour)
{
    if (!m.IsUsable())
    {
        ++m_DroppedEntities;
        return;
    }
    if (m_pBlock)
    {
        // Inside a definition the insert is kept by name and expanded with the outer block, so
        // blocks defined later in the file are found as well.
        m_pBlock->AddInsert(CMap_DXFInsertRef{name, m, colour});
        return;
    }
    const CMap_DXFBlock* block = GetBlock(name);
    if (!block) return; // unknown blocks are ignored
    std::vector<const CMap_DXFBlock*> stack;
    Expand(*block, m, colour < 1 || colour > 255 ? 7 : colour, 0, stack);
}

void CMap_DXF::Expand(const CMap_DXFBlock& block, const DxfAffine& m, int colour, int depth,
                      std::vector<const CMap_DXFBlock*>& stack)
{
    // A block that reaches itself again, directly or through others, would never end.
    if (depth > kMaxInsertDepth || std::find(stack.begin(), stack.end(), &block) != stack.end() ||
        m_Expanded >= m_ExpansionLimit)
    {
        ++m_SkippedInserts;
        return;
    }
    stack.push_back(&block);
    for (const CMap_DXFTemData& t : block.Templates())
    {
        if (++m_Expanded > m_ExpansionLimit) break;
        // By layer (on layer "0") and by block both take the insert's colour.
        const int c = t.colour == 256 || t.colour == 0 ? colour : t.colour;
        AddToLayers(t, m, c);
    }
    for (const CMap_DXFInsertRef& ref : block.Inserts())
    {
        if (m_Stop.load()) break;
        const CMap_DXFBlock* inner = GetBlock(ref.name);
        if (!inner) continue;
        const DxfAffine composed = m.After(ref.transform);
        if (!composed.IsUsable())
        {
            ++m_DroppedEntities;
            continue;
        }
        const int c = ref.colour == 256 || ref.colour == 0 ? colour : ref.colour;
        Expand(*inner, composed, c, depth + 1, stack);
    }
    stack.pop_back();
}

void CMap_DXF::setVariableDouble(const std::string& key, double value, int)
{
    if (key == "$DIMTXT" && value > 0.0 && std::isfinite(value)) m_DimTxtHigh = value;
}

// Dimensions draw themselves through an anonymous block that the writing program rendered;
// without one (some writers leave it out) their lines and measured text are drawn here.
void CMap_DXF::DimensionFallback(const DL_DimensionData& data, const std::vector<Pt>& lines, double measured,
                                 bool angle)
{
    for (size_t i = 0; i + 1 < lines.size(); i += 2) PutLine({lines[i], lines[i + 1]});
    QString text = QString::fromStdString(data.text);
    const QString value = std::isfinite(measured) ? FormatFixed(measured, angle ? 1 : 2) + (angle ? QStringLiteral("°") : QString())
                                                  : QString();
    if (text.isEmpty()) text = QStringLiteral("<>");
    text.replace(QLatin1String("<>"), value);
    PutText(text, {data.mpx, data.mpy}, m_DimTxtHigh, 0.0, 5);
}

namespace
{
Pt Sub(Pt a, Pt b) { return {a.x - b.x, a.y - b.y}; }
Pt Add(Pt a, Pt b) { return {a.x + b.x, a.y + b.y}; }
Pt Mul(Pt a, double s) { return {a.x * s, a.y * s}; }
double Dot(Pt a, Pt b) { return a.x * b.x + a.y * b.y; }
double Len(Pt a) { return std::hypot(a.x, a.y); }
double AngleBetween(Pt a, Pt b)
{
    const double t = std::fabs(std::atan2(a.x * b.y - a.y * b.x, Dot(a, b))) * kDegree;
    return t;
}
} // namespace

// Inserts the current dimension's block when the drawing has it; false when the dimension must be
// drawn from its own points.
bool CMap_DXF::DimensionBlock()
{
    FinishPending();
    CMap_DXFBlock* block = m_EntityBlockName.isEmpty() ? nullptr : GetBlock(m_EntityBlockName);
    if (!block) return false;
    if (!m_pBlock) block->SetColor(ResolvedColour());
    InsertBlock(m_EntityBlockName, DxfAffine(), m_pBlock ? TemplateColour() : ResolvedColour());
    return true;
}

void CMap_DXF::addDimAlign(const DL_DimensionData& data, const DL_DimAlignedData& e)
{
    if (DimensionBlock()) return;
    const Pt a{e.epx1, e.epy1}, b{e.epx2, e.epy2}, p{data.dpx, data.dpy};
    const Pt d = Sub(b, a);
    const double len = Len(d);
    if (!(len > 0.0)) return DimensionFallback(data, {}, 0.0, false);
    const Pt u = Mul(d, 1.0 / len);
    const Pt off = Sub(Sub(p, b), Mul(u, Dot(Sub(p, b), u)));
    DimensionFallback(data, {a, Add(a, off), b, Add(b, off), Add(a, off), Add(b, off)}, len, false);
}

void CMap_DXF::addDimLinear(const DL_DimensionData& data, const DL_DimLinearData& e)
{
    if (DimensionBlock()) return;
    const Pt a{e.dpx1, e.dpy1}, b{e.dpx2, e.dpy2}, p{data.dpx, data.dpy};
    const Pt u{std::cos(e.angle / kDegree), std::sin(e.angle / kDegree)};
    const Pt pa = Add(p, Mul(u, Dot(Sub(a, p), u))), pb = Add(p, Mul(u, Dot(Sub(b, p), u)));
    DimensionFallback(data, {a, pa, b, pb, pa, pb}, std::fabs(Dot(Sub(b, a), u)), false);
}

void CMap_DXF::addDimRadial(const DL_DimensionData& data, const DL_DimRadialData& e)
{
    if (DimensionBlock()) return;
    const Pt c{data.dpx, data.dpy}, q{e.dpx, e.dpy};
    DimensionFallback(data, {c, q}, Len(Sub(q, c)), false);
}

void CMap_DXF::addDimDiametric(const DL_DimensionData& data, const DL_DimDiametricData& e)
{
    if (DimensionBlock()) return;
    const Pt a{data.dpx, data.dpy}, b{e.dpx, e.dpy};
    DimensionFallback(data, {a, b}, Len(Sub(b, a)), false);
}

void CMap_DXF::addDimAngular(const DL_DimensionData& data, const DL_DimAngular2LData& e)
{
    if (DimensionBlock()) return;
    const Pt a1{e.dpx1, e.dpy1}, a2{e.dpx2, e.dpy2}, b1{e.dpx3, e.dpy3}, b2{e.dpx4, e.dpy4};
    DimensionFallback(data, {a1, a2, b1, b2}, AngleBetween(Sub(a2, a1), Sub(b2, b1)), true);
}

void CMap_DXF::addDimAngular3P(const DL_DimensionData& data, const DL_DimAngular3PData& e)
{
    if (DimensionBlock()) return;
    const Pt p1{e.dpx1, e.dpy1}, p2{e.dpx2, e.dpy2}, vertex{e.dpx3, e.dpy3};
    DimensionFallback(data, {vertex, p1, vertex, p2}, AngleBetween(Sub(p1, vertex), Sub(p2, vertex)), true);
}

void CMap_DXF::addDimOrdinate(const DL_DimensionData& data, const DL_DimOrdinateData& e)
{
    if (DimensionBlock()) return;
    const Pt feature{e.dpx1, e.dpy1}, leaderEnd{e.dpx2, e.dpy2};
    DimensionFallback(data, {feature, leaderEnd}, e.xtype ? e.dpx1 - data.dpx : e.dpy1 - data.dpy, false);
}
