// The creation interface: what dxflib reports becomes primitives of the drawing or templates of
// the block being defined.

#include "sources/CMap_DXF.h"

#include <algorithm>
#include <cmath>
#include <limits>

using dxfcurve::Pt;

namespace
{
constexpr double kDegree = 57.29577951308232;

// MTEXT inline formatting reduced to its text: paragraphs become line breaks, font, height,
// colour and other switches are dropped, stacked fractions read "a/b".
QString PlainMText(const QString& in)
{
    QString out;
    out.reserve(in.size());
    for (int i = 0; i < in.size(); ++i)
    {
        const QChar c = in[i];
        if (c == QLatin1Char('{') || c == QLatin1Char('}')) continue;
        if (c != QLatin1Char('\\') || i + 1 >= in.size())
        {
            out += c;
            continue;
        }
        const QChar k = in[++i];
        switch (k.unicode())
        {
        case 'P':
            out += QLatin1Char('\n');
            break;
        case '~':
            out += QLatin1Char(' ');
            break;
        case '\\':
        case '{':
        case '}':
            out += k;
            break;
        case 'S':
        {
            // \Sa^b; or \Sa/b; or \Sa#b;
            const int end = in.indexOf(QLatin1Char(';'), i + 1);
            QString stack = in.mid(i + 1, end < 0 ? -1 : end - i - 1);
            stack.replace(QLatin1Char('^'), QLatin1Char('/')).replace(QLatin1Char('#'), QLatin1Char('/'));
            out += stack;
            i = end < 0 ? int(in.size()) : end;
            break;
        }
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'N':
            break;
        default:
        {
            // \f..; \F..; \H..; \W..; \Q..; \T..; \A..; \C..; \c..; \p..; and the like
            const int end = in.indexOf(QLatin1Char(';'), i + 1);
            i = end < 0 ? int(in.size()) : end;
            break;
        }
        }
    }
    return out;
}

// The alignment words of an attachment point 1..9 (rows top, middle, bottom; columns left,
// centre, right).
void AlignmentOf(int attachment, int& vertical, int& horizontal)
{
    if (attachment < 1 || attachment > 9) attachment = 1;
    const int row = (attachment - 1) / 3, column = (attachment - 1) % 3;
    vertical = row == 0 ? 0 : row == 1 ? 6 : 8;
    horizontal = column == 0 ? 0 : column == 1 ? 6 : 2;
}
} // namespace

int CMap_DXF::ResolvedColour() const
{
    int colour = attributes.getColor();
    if (colour == 256)
    {
        const auto found = m_LayerColours.constFind(QString::fromStdString(attributes.getLayer()));
        // A layer the table does not list has no colour of its own: the default one.
        colour = found != m_LayerColours.constEnd() ? found.value() : 7;
    }
    if (colour == 0) colour = 7;
    if (colour < 0 || colour > 256) colour = 7;
    return colour;
}

int CMap_DXF::TemplateColour() const
{
    int colour = attributes.getColor();
    // By layer on a layer other than "0" is that layer's colour wherever the block goes; on
    // layer "0" it takes the insert's.
    if (colour == 256 && attributes.getLayer() != "0")
    {
        const auto found = m_LayerColours.constFind(QString::fromStdString(attributes.getLayer()));
        if (found != m_LayerColours.constEnd()) colour = found.value();
    }
    if (colour < 0 || colour > 256) colour = 7;
    return colour;
}

DxfAffine CMap_DXF::Ocs() const
{
    double n[3] = {0.0, 0.0, 1.0};
    extrusion->getDirection(n);
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(len > 0.0) || !std::isfinite(len)) return DxfAffine();
    for (double& v : n) v /= len;
    if (std::fabs(n[0]) < 1e-12 && std::fabs(n[1]) < 1e-12 && n[2] > 0.0) return DxfAffine();
    // The arbitrary axis algorithm of the DXF format.
    double ax[3];
    if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64)
        ax[0] = n[2], ax[1] = 0.0, ax[2] = -n[0]; // world Y × N
    else
        ax[0] = -n[1], ax[1] = n[0], ax[2] = 0.0; // world Z × N
    const double al = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
    for (double& v : ax) v /= al;
    const double ay[3] = {n[1] * ax[2] - n[2] * ax[1], n[2] * ax[0] - n[0] * ax[2], n[0] * ax[1] - n[1] * ax[0]};
    DxfAffine m;
    m.a = ax[0], m.b = ay[0], m.c = ax[1], m.d = ay[1];
    const double elevation = extrusion->getElevation();
    m.e = std::isfinite(elevation) ? elevation * n[0] : 0.0;
    m.f = std::isfinite(elevation) ? elevation * n[1] : 0.0;
    return m;
}

void CMap_DXF::addLayer(const DL_LayerData& data)
{
    FinishPending();
    // A negative number marks a layer that is switched off; its colour is the same.
    int colour = std::abs(attributes.getColor());
    if (colour < 1 || colour > 255) colour = 7;
    m_LayerColours.insert(QString::fromStdString(data.name), colour);
}

void CMap_DXF::addBlock(const DL_BlockData& data)
{
    FinishPending();
    const QString name = QString::fromStdString(data.name);
    const QString lower = name.toLower();
    static const char* const layouts[] = {"*paper_space0", "*paper_space", "*model_space",
                                          "$paper_space0", "$paper_space", "$model_space"};
    const bool layout = std::any_of(std::begin(layouts), std::end(layouts),
                                    [&](const char* l) { return lower == QLatin1String(l); });
    if (layout || m_pBlock || lower == QLatin1String("t1")) return;
    const Pt base{std::isfinite(data.bpx) ? data.bpx : 0.0, std::isfinite(data.bpy) ? data.bpy : 0.0};
    m_Blocks.push_back(std::make_unique<CMap_DXFBlock>(name, attributes.getColor(), base));
    m_pBlock = m_Blocks.back().get();
    // A later definition of the same name replaces the earlier one.
    m_BlockIndex.insert(lower, m_pBlock);
}

void CMap_DXF::endBlock()
{
    FinishPending();
    m_pBlock = nullptr;
}

void CMap_DXF::addPoint(const DL_PointData& data)
{
    FinishPending();
    CMap_DXFTemData t;
    t.kind = CMap_DXFTemData::Point;
    t.points.push_back({data.x, data.y});
    Put(std::move(t));
}

void CMap_DXF::addLine(const DL_LineData& data)
{
    FinishPending();
    PutLine({{data.x1, data.y1}, {data.x2, data.y2}});
}

double CMap_DXF::LongestExtent() const
{
    const double d = std::hypot(m_MaxX - m_MinX, m_MaxY - m_MinY);
    return std::isfinite(d) && d > 0.0 && d < dxfcurve::kMaxCoordinate ? d : 1000.0;
}

void CMap_DXF::addXLine(const DL_XLineData& data)
{
    FinishPending();
    // An endless construction line is drawn across the drawing's extent on both sides of its
    // base point.
    const double len = std::hypot(data.dx, data.dy);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    const double reach = LongestExtent();
    const double ux = data.dx / len * reach, uy = data.dy / len * reach;
    PutLine({{data.bx - ux, data.by - uy}, {data.bx + ux, data.by + uy}});
}

void CMap_DXF::addRay(const DL_RayData& data)
{
    FinishPending();
    const double len = std::hypot(data.dx, data.dy);
    if (!(len > 0.0) || !std::isfinite(len)) return;
    const double reach = LongestExtent();
    PutLine({{data.bx, data.by}, {data.bx + data.dx / len * reach, data.by + data.dy / len * reach}});
}

void CMap_DXF::addArc(const DL_ArcData& data)
{
    FinishPending();
    if (std::fabs(data.angle2 - data.angle1) < 1e-6) return;
    std::vector<Pt> pts;
    if (!dxfcurve::SampleEllipseArc({data.cx, data.cy}, {data.radius, 0.0}, 1.0, data.angle1 / kDegree,
                                    data.angle2 / kDegree, true, true, pts))
    {
        ++m_DroppedEntities;
        return;
    }
    PutLine(std::move(pts), Ocs());
}

void CMap_DXF::addCircle(const DL_CircleData& data)
{
    FinishPending();
    if (!dxfcurve::Usable(Pt{data.cx, data.cy}) || !dxfcurve::Usable(data.radius))
    {
        ++m_DroppedEntities;
        return;
    }
    CMap_DXFTemData t;
    t.kind = CMap_DXFTemData::Circle;
    t.points.push_back({data.cx, data.cy});
    t.radius = std::fabs(data.radius);
    Put(std::move(t), Ocs());
}

void CMap_DXF::addEllipse(const DL_EllipseData& data)
{
    FinishPending();
    std::vector<Pt> pts;
    if (!dxfcurve::SampleEllipseArc({data.cx, data.cy}, {data.mx, data.my}, data.ratio, data.angle1, data.angle2,
                                    true, true, pts))
    {
        ++m_DroppedEntities;
        return;
    }
    PutLine(std::move(pts));
}

void CMap_DXF::addPolyline(const DL_PolylineData& data)
{
    FinishPending();
    m_Pending = Pending::Polyline;
    m_PendingClosed = (data.flags & 1) != 0;
    m_PendingOcs = Ocs();
    m_Vertices.clear();
    m_Bulges.clear();
    // An LWPOLYLINE brings its vertices in its own groups; an old-style POLYLINE in VERTEX
    // entities that follow.
    m_PointLimit = m_EntityType == "LWPOLYLINE" ? m_EntityGroups[0] : std::numeric_limits<long long>::max();
}

void CMap_DXF::addVertex(const DL_VertexData& data)
{
    if (m_Pending != Pending::Polyline || m_PointLimit-- <= 0) return;
    m_Vertices.push_back({data.x, data.y});
    m_Bulges.push_back(data.bulge);
}

void CMap_DXF::addSpline(const DL_SplineData& data)
{
    FinishPending();
    m_Pending = Pending::Spline;
    m_SplineDegree = int(std::min(data.degree, 1000u));
    m_PendingClosed = (data.flags & 1) != 0;
    m_Vertices.clear();
    m_Weights.clear();
    m_Knots.clear();
    m_FitPoints.clear();
    m_PointLimit = m_EntityGroups[0];
    m_FitLimit = m_EntityGroups[1];
    m_KnotLimit = m_EntityGroups[2];
}

void CMap_DXF::addControlPoint(const DL_ControlPointData& data)
{
    if (m_Pending != Pending::Spline || m_PointLimit-- <= 0) return;
    m_Vertices.push_back({data.x, data.y});
    m_Weights.push_back(data.w);
}

void CMap_DXF::addFitPoint(const DL_FitPointData& data)
{
    if (m_Pending == Pending::Spline && m_FitLimit-- > 0) m_FitPoints.push_back({data.x, data.y});
}

void CMap_DXF::addKnot(const DL_KnotData& data)
{
    if (m_Pending == Pending::Spline && m_KnotLimit-- > 0) m_Knots.push_back(data.k);
}

void CMap_DXF::addLeader(const DL_LeaderData& data)
{
    FinishPending();
    m_Pending = Pending::Leader;
    m_LeaderArrow = data.arrowHeadFlag != 0;
    m_Vertices.clear();
    m_PointLimit = m_EntityGroups[0];
}

void CMap_DXF::addLeaderVertex(const DL_LeaderVertexData& data)
{
    if (m_Pending == Pending::Leader && m_PointLimit-- > 0) m_Vertices.push_back({data.x, data.y});
}

void CMap_DXF::addHatch(const DL_HatchData& data)
{
    FinishPending();
    m_Pending = Pending::Hatch;
    m_HatchSolid = data.solid;
    m_PendingOcs = Ocs();
    m_HatchRings.clear();
}

void CMap_DXF::addHatchLoop(const DL_HatchLoopData&)
{
    if (m_Pending == Pending::Hatch) m_HatchRings.emplace_back();
}

void CMap_DXF::addHatchEdge(const DL_HatchEdgeData& e)
{
    if (m_Pending != Pending::Hatch) return;
    if (m_HatchRings.empty()) m_HatchRings.emplace_back();
    std::vector<Pt>& ring = m_HatchRings.back();
    // A boundary of absurd size is cut off rather than followed.
    if (ring.size() > size_t(16 * dxfcurve::kMaxSamples)) return;
    if (!e.vertices.empty())
    {
        // A polyline boundary: x, y and an optional bulge per vertex, closed.
        std::vector<Pt> pts;
        for (const std::vector<double>& v : e.vertices)
            if (v.size() >= 2) pts.push_back({v[0], v[1]});
        for (size_t i = 0; i < pts.size(); ++i)
        {
            const std::vector<double>& v = e.vertices[i];
            if (i == 0) ring.push_back(pts[0]);
            dxfcurve::SampleBulge(pts[i], pts[(i + 1) % pts.size()], v.size() >= 3 ? v[2] : 0.0, ring);
        }
        return;
    }
    if (!e.defined) return;
    switch (e.type)
    {
    case 1:
        if (ring.empty()) ring.push_back({e.x1, e.y1});
        ring.push_back({e.x2, e.y2});
        break;
    case 2:
        dxfcurve::SampleEllipseArc({e.cx, e.cy}, {e.radius, 0.0}, 1.0, e.ccw ? e.angle1 : -e.angle1,
                                   e.ccw ? e.angle2 : -e.angle2, e.ccw, true, ring);
        break;
    case 3:
        dxfcurve::SampleEllipseArc({e.cx, e.cy}, {e.mx, e.my}, e.ratio, e.ccw ? e.angle1 : -e.angle1,
                                   e.ccw ? e.angle2 : -e.angle2, e.ccw, true, ring);
        break;
    case 4:
    {
        std::vector<Pt> control;
        for (const std::vector<double>& v : e.controlPoints)
            if (v.size() >= 2) control.push_back({v[0], v[1]});
        if (!dxfcurve::SampleSpline(int(std::min(e.degree, 1000u)), control, e.weights, e.knots, ring))
        {
            for (const std::vector<double>& v : e.fitPoints)
                if (v.size() >= 2) ring.push_back({v[0], v[1]});
        }
        break;
    }
    default:
        break;
    }
}

void CMap_DXF::addSolid(const DL_SolidData& data)
{
    FinishPending();
    CMap_DXFTemData t;
    t.kind = CMap_DXFTemData::Plane;
    // Corners 1, 2, 4, 3: the third and fourth points of a SOLID are in zigzag order.
    for (int i : {0, 1, 3, 2}) t.points.push_back({data.x[i], data.y[i]});
    Put(std::move(t), Ocs());
}

void CMap_DXF::addTrace(const DL_TraceData&) { FinishPending(); }

void CMap_DXF::PutText(const QString& text, Pt at, double height, double angle, int attachment, const DxfAffine& ocs)
{
    if (text.isEmpty()) return;
    if (!dxfcurve::Usable(at) || !dxfcurve::Usable(height) || !std::isfinite(angle))
    {
        ++m_DroppedEntities;
        return;
    }
    angle = std::fmod(angle, 360.0);
    if (angle < 0.0) angle += 360.0;
    CMap_DXFTemData t;
    t.kind = CMap_DXFTemData::Text;
    t.points.push_back(at);
    t.text = text;
    t.height = std::fabs(height);
    t.angle = angle;
    AlignmentOf(attachment, t.vertical, t.horizontal);
    Put(std::move(t), ocs);
}

void CMap_DXF::addText(const DL_TextData& data)
{
    FinishPending();
    const int h = data.hJustification, v = data.vJustification;
    Pt at{data.apx, data.apy};
    int attachment = 7;
    if ((h == 0 && v == 0) || h == 3 || h == 5)
        at = {data.ipx, data.ipy}; // left baseline, aligned and fit texts start at the insertion point
    else if (h == 4)
        attachment = 5;
    else
    {
        const int row = v == 3 ? 0 : v == 2 ? 1 : 2;
        const int column = std::clamp(h, 0, 2);
        attachment = row * 3 + column + 1;
    }
    PutText(DecodeText(data.text), at, data.height, data.angle * kDegree, attachment, Ocs());
}

void CMap_DXF::addAttribute(const DL_AttributeData& data) { addText(data); }

void CMap_DXF::addMTextChunk(const std::string& text) { m_MText += text; }

void CMap_DXF::addMText(const DL_MTextData& data)
{
    FinishPending();
    m_MText += data.text;
    const QString text = PlainMText(DecodeText(m_MText));
    m_MText.clear();
    const double angle = m_MTextHasDirection ? std::atan2(m_MTextDirY, m_MTextDirX) * kDegree : data.angle;
    PutText(text, {data.ipx, data.ipy}, data.height, angle, data.attachmentPoint);
}

void CMap_DXF::addInsert(const DL_InsertData& data)
{
    FinishPending();
    const QString name = QString::fromStdString(data.name);
    const DxfAffine ocs = Ocs();
    const double sx = data.sx == 0.0 ? 1.0 : data.sx, sy = data.sy == 0.0 ? 1.0 : data.sy;
    const CMap_DXFBlock* block = GetBlock(name);
    const Pt base = block ? block->GetBase() : Pt{};
    long long cols = std::max(1, data.cols), rows = std::max(1, data.rows);
    if (cols * rows > kMaxArrayCopies) cols = rows = 1;
    const double t = data.angle / kDegree;
    for (long long r = 0; r < rows; ++r)
        for (long long c = 0; c < cols; ++c)
        {
            // Array copies are spaced along the insert's own rotated axes.
            const double ox = c * data.colSp, oy = r * data.rowSp;
            const Pt at{data.ipx + ox * std::cos(t) - oy * std::sin(t), data.ipy + ox * std::sin(t) + oy * std::cos(t)};
            const DxfAffine m = ocs.After(DxfAffine::Insert(at, data.angle, sx, sy, base));
            InsertBlock(name, m, m_pBlock ? TemplateColour() : ResolvedColour());
        }
}

void CMap_DXF::endEntity() { FinishPending(); }

void CMap_DXF::endSequence() { FinishPending(); }

void CMap_DXF::FinishPending()
{
    const Pending pending = m_Pending;
    m_Pending = Pending::None;
    switch (pending)
    {
    case Pending::None:
        return;
    case Pending::Polyline:
    {
        if (m_Vertices.empty()) return;
        std::vector<Pt> pts;
        pts.push_back(m_Vertices[0]);
        const size_t n = m_Vertices.size();
        // The bulge of a vertex shapes the segment that starts there; a closed polyline's last
        // vertex bulges towards the first.
        for (size_t i = 0; i + 1 < n; ++i) dxfcurve::SampleBulge(m_Vertices[i], m_Vertices[i + 1], m_Bulges[i], pts);
        if (m_PendingClosed) dxfcurve::SampleBulge(m_Vertices[n - 1], m_Vertices[0], m_Bulges[n - 1], pts);
        PutLine(std::move(pts), m_PendingOcs);
        return;
    }
    case Pending::Spline:
    {
        std::vector<Pt> pts;
        if (!dxfcurve::SampleSpline(m_SplineDegree, m_Vertices, m_Weights, m_Knots, pts))
            pts = !m_FitPoints.empty() ? m_FitPoints : m_Vertices;
        if (m_PendingClosed && !pts.empty()) pts.push_back(pts.front());
        PutLine(std::move(pts));
        return;
    }
    case Pending::Leader:
    {
        if (m_Vertices.size() < 2) return;
        if (m_LeaderArrow)
        {
            // A filled arrowhead at the first vertex, a fifth of the first segment long (at most
            // the dimension text height), as wide as a third of its length.
            const Pt tip = m_Vertices[0], next = m_Vertices[1];
            const double len = std::hypot(next.x - tip.x, next.y - tip.y);
            if (len > 0.0 && std::isfinite(len))
            {
                const double size = std::min(len / 5.0, m_DimTxtHigh);
                const double ux = (next.x - tip.x) / len, uy = (next.y - tip.y) / len;
                const Pt back{tip.x + ux * size, tip.y + uy * size};
                const double w = size / 6.0;
                CMap_DXFTemData t;
                t.kind = CMap_DXFTemData::Plane;
                t.points = {tip, {back.x - uy * w, back.y + ux * w}, {back.x + uy * w, back.y - ux * w}};
                Put(std::move(t));
            }
        }
        PutLine(std::move(m_Vertices));
        m_Vertices.clear();
        return;
    }
    case Pending::Hatch:
    {
        std::vector<std::vector<Pt>> rings;
        for (std::vector<Pt>& r : m_HatchRings)
            if (r.size() >= 2) rings.push_back(std::move(r));
        m_HatchRings.clear();
        if (rings.empty()) return;
        if (!m_HatchSolid)
        {
            // Pattern lines are not in the file's boundary data: a patterned hatch shows its
            // boundary.
            for (std::vector<Pt>& r : rings)
            {
                r.push_back(r.front());
                PutLine(std::move(r), m_PendingOcs);
            }
            return;
        }
        CMap_DXFTemData t;
        t.kind = CMap_DXFTemData::Plane;
        for (const std::vector<Pt>& r : rings)
        {
            if (!t.points.empty()) t.ringStarts.push_back(int(t.points.size()));
            t.points.insert(t.points.end(), r.begin(), r.end());
        }
        Put(std::move(t), m_PendingOcs);
        return;
    }
    }
}
