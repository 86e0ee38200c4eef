#include "sources/RouteDxfWriter.h"

#include "geometry/Angle.h"
#include "map/CMapLayer.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"
#include "road/CRoadDesign.h"
#include "sources/CMap_DAT.h"
#include "sources/CMap_DATPoint.h"

#include <dxflib/dl_dxf.h>

#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
const char* const kCentre = "ROUTE_CENTRE";
const char* const kOffset = "ROUTE_OFFSET";
const char* const kMain = "ROUTE_MAIN";
const char* const kStakes = "ROUTE_STAKES";
// The largest distance between a polyline's chord and the curve it stands for; half of the
// promised millimetre, so that rounding of the written numbers cannot take it over.
constexpr double kChordError = 0.0005;

struct Vertex
{
    double east = 0.0, north = 0.0;
};

struct Entity
{
    enum Kind
    {
        Line,
        Arc,
        Polyline,
        Point,
        Text
    };
    Kind kind = Line;
    const char* layer = kCentre;
    std::vector<Vertex> vertices; // Line: two; Polyline: all; Point/Text: one
    double radius = 0.0, angle1 = 0.0, angle2 = 0.0; // Arc: centre in vertices[0], degrees from east
    std::string text;
};

struct Box
{
    double minE = HUGE_VAL, minN = HUGE_VAL, maxE = -HUGE_VAL, maxN = -HUGE_VAL;
    void Add(double e, double n)
    {
        minE = std::min(minE, e), maxE = std::max(maxE, e);
        minN = std::min(minN, n), maxN = std::max(maxN, n);
    }
    bool Valid() const { return minE <= maxE && minN <= maxN; }
};

// Points along a record every step short enough for the curvature at `offset`.
bool SampleRecord(const CRoadElement& r, double offset, std::vector<Vertex>& out)
{
    double curvature = 0.0;
    for (const double radius : {r.m_StartRadius, r.m_EndRadius})
        if (radius != 0.0) curvature = std::max(curvature, 1.0 / std::max(std::fabs(radius) - std::fabs(offset), 1e-3));
    const double length = r.m_EndStation - r.m_StartStation;
    const double step = curvature > 0.0 ? std::sqrt(8.0 * kChordError / curvature) : length;
    const long long pieces = std::clamp<long long>(static_cast<long long>(std::ceil(length / std::max(step, 1e-6))), 1, 100000);
    for (long long i = 0; i <= pieces; ++i)
    {
        const double station = i == pieces ? r.m_EndStation : r.m_StartStation + length * double(i) / double(pieces);
        double x = 0.0, y = 0.0, bearing = 0.0;
        if (!r.GetAngleAndXY(station, x, y, bearing, offset) || !std::isfinite(x) || !std::isfinite(y)) return false;
        out.push_back({y, x});
    }
    return true;
}

double DegreesFromEast(double dn, double de) { return Angle::RadiansToDegrees(std::atan2(dn, de)); }

// The centre line, the offsets and the main points of the model as entities.
bool RouteEntities(const CRoadDesign& model, const RouteDxfOptions& options, std::vector<Entity>& out)
{
    for (const CRoadElement& r : model.m_RoadElements)
    {
        if (r.m_Kind == CRoadElement::StartPoint) continue;
        Entity e;
        if (r.m_Kind == CRoadElement::Straight)
        {
            e.kind = Entity::Line;
            e.vertices.push_back({r.m_StartY, r.m_StartX});
            e.vertices.push_back({r.m_EndY, r.m_EndX});
        }
        else if (r.m_Kind == CRoadElement::CircularCurve)
        {
            const double radius = std::fabs(r.m_StartRadius);
            const double side = r.m_StartRadius > 0.0 ? 1.0 : -1.0;
            const double toCentre = r.m_StartBearing + side * Angle::kPi / 2.0;
            const Vertex c{r.m_StartY + radius * std::sin(toCentre), r.m_StartX + radius * std::cos(toCentre)};
            const double a = DegreesFromEast(r.m_StartX - c.north, r.m_StartY - c.east);
            const double b = DegreesFromEast(r.m_EndX - c.north, r.m_EndY - c.east);
            e.kind = Entity::Arc;
            e.vertices.push_back(c);
            e.radius = radius;
            // DXF arcs run counter-clockwise: a right turn is drawn from its end to its start.
            e.angle1 = side > 0 ? b : a;
            e.angle2 = side > 0 ? a : b;
            // The extent needs the arc's own points, not only its ends.
            if (!SampleRecord(r, 0.0, e.vertices)) return false;
        }
        else
        {
            e.kind = Entity::Polyline;
            if (!SampleRecord(r, 0.0, e.vertices)) return false;
        }
        out.push_back(std::move(e));
        for (const double offset : options.offsets)
        {
            Entity o;
            o.kind = Entity::Polyline;
            o.layer = kOffset;
            if (!SampleRecord(r, offset, o.vertices)) return false;
            out.push_back(std::move(o));
        }
    }
    for (const SurveyCoord& p : model.m_MainPoints)
    {
        Entity point;
        point.kind = Entity::Point;
        point.layer = kMain;
        point.vertices.push_back({p.y, p.x});
        Entity text = point;
        text.kind = Entity::Text;
        text.text = ToAnsi(p.name + QLatin1Char(' ') + p.note).toStdString();
        out.push_back(std::move(point));
        out.push_back(std::move(text));
    }
    return true;
}

bool StakeEntities(const QString& path, std::vector<Entity>& out, QString& error)
{
    CMap_DAT points;
    MapConfigItem item = points.GetMapItem();
    item.FullPathName = path;
    points.SetMapItem(item);
    if (!points.ImportData(nullptr))
    {
        error = QStringLiteral("%1: the stake file cannot be read").arg(path);
        return false;
    }
    for (int i = 0; i < points.GetPointCount(); ++i)
    {
        const CMap_DATPoint* p = points.GetPointData(i);
        if (!p) continue;
        Entity point;
        point.kind = Entity::Point;
        point.layer = kStakes;
        point.vertices.push_back({p->GetPoint().y, p->GetPoint().x});
        Entity text = point;
        text.kind = Entity::Text;
        text.text = ToAnsi(p->GetPointName()).toStdString();
        out.push_back(std::move(point));
        out.push_back(std::move(text));
    }
    return true;
}

void WriteTables(DL_Dxf& dxf, DL_WriterA& dw)
{
    dw.sectionTables();
    dxf.writeVPort(dw);
    dw.tableLinetypes(3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(5);
    const std::pair<const char*, int> layers[] = {{"0", 7}, {kCentre, 1}, {kOffset, 3}, {kMain, 2}, {kStakes, 4}};
    for (const auto& [name, colour] : layers)
        dxf.writeLayer(dw, DL_LayerData(name, 0), DL_Attributes("", colour, 0, "CONTINUOUS", 1.0));
    dw.tableEnd();
    dw.tableStyle(1);
    dxf.writeStyle(dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dxf.writeAppid(dw, "ACAD");
    dw.tableEnd();
    dxf.writeDimStyle(dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(dw);
    dw.tableEnd();
    dw.sectionEnd();
    dw.sectionBlocks();
    for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"})
    {
        dxf.writeBlock(dw, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, block);
    }
    dw.sectionEnd();
}

void WriteEntity(DL_Dxf& dxf, DL_WriterA& dw, const Entity& e, double textHeight, RouteDxfCounts& counts)
{
    const DL_Attributes attributes(e.layer, 256, -1, "BYLAYER", 1.0);
    const Vertex& v = e.vertices.front();
    switch (e.kind)
    {
    case Entity::Line:
        dxf.writeLine(dw, DL_LineData(v.east, v.north, 0.0, e.vertices[1].east, e.vertices[1].north, 0.0), attributes);
        ++counts.lines;
        break;
    case Entity::Arc:
        dxf.writeArc(dw, DL_ArcData(v.east, v.north, 0.0, e.radius, e.angle1, e.angle2), attributes);
        ++counts.arcs;
        break;
    case Entity::Polyline:
        dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(e.vertices.size()), 0, 0, 0), attributes);
        for (const Vertex& p : e.vertices) dxf.writeVertex(dw, DL_VertexData(p.east, p.north, 0.0, 0.0));
        dxf.writePolylineEnd(dw);
        ++counts.polylines;
        break;
    case Entity::Point:
        dxf.writePoint(dw, DL_PointData(v.east, v.north, 0.0), attributes);
        ++counts.points;
        break;
    case Entity::Text:
        // Beside the point, a little up and right of it.
        dxf.writeText(dw,
                      DL_TextData(v.east + 0.5 * textHeight, v.north + 0.5 * textHeight, 0.0, 0.0, 0.0, 0.0, textHeight,
                                  1.0, 0, 0, 0, e.text, "Standard", 0.0),
                      attributes);
        ++counts.texts;
        break;
    }
}
} // namespace

bool WriteRouteDxf(const CRoadDesign& model, const QString& path, const RouteDxfOptions& options, QString& error,
                   RouteDxfCounts* countsOut)
{
    if (!model.IsLoad() || model.m_RoadElements.size() < 2)
    {
        error = QStringLiteral("the route is not computed");
        return false;
    }
    for (const double offset : options.offsets)
        if (!std::isfinite(offset))
        {
            error = QStringLiteral("an offset is not a number");
            return false;
        }
    std::vector<Entity> entities;
    if (!RouteEntities(model, options, entities))
    {
        error = QStringLiteral("the route cannot be computed at every station");
        return false;
    }
    if (!options.stakesPath.isEmpty() && !StakeEntities(options.stakesPath, entities, error)) return false;
    Box box;
    for (const Entity& e : entities)
        for (size_t i = e.kind == Entity::Arc ? 1 : 0; i < e.vertices.size(); ++i) // not an arc's centre
            box.Add(e.vertices[i].east, e.vertices[i].north);
    if (!box.Valid())
    {
        error = QStringLiteral("the drawing would be empty");
        return false;
    }

    // dxflib writes to a named file; the target is replaced only by the complete drawing.
    QTemporaryFile scratch;
    if (!scratch.open())
    {
        error = QStringLiteral("no scratch file for the drawing");
        return false;
    }
    scratch.close();
    RouteDxfCounts counts;
    {
        DL_Dxf dxf;
        const DL_Codes::version version = options.r12 ? DL_Codes::AC1009 : DL_Codes::AC1015;
        std::unique_ptr<DL_WriterA> dw(dxf.out(QFile::encodeName(scratch.fileName()).constData(), version));
        if (!dw)
        {
            error = QStringLiteral("no scratch file for the drawing");
            return false;
        }
        dxf.writeHeader(*dw);
        dw->dxfString(9, "$DWGCODEPAGE");
        dw->dxfString(3, "ANSI_936");
        dw->dxfString(9, "$EXTMIN");
        dw->dxfReal(10, box.minE);
        dw->dxfReal(20, box.minN);
        dw->dxfReal(30, 0.0);
        dw->dxfString(9, "$EXTMAX");
        dw->dxfReal(10, box.maxE);
        dw->dxfReal(20, box.maxN);
        dw->dxfReal(30, 0.0);
        dw->sectionEnd();
        WriteTables(dxf, *dw);
        dw->sectionEntities();
        for (const Entity& e : entities) WriteEntity(dxf, *dw, e, options.textHeight, counts);
        dw->sectionEnd();
        if (!options.r12)
        {
            dxf.writeObjects(*dw);
            dxf.writeObjectsEnd(*dw);
        }
        dw->dxfEOF();
        dw->close();
    }
    QByteArray bytes;
    if (!ReadWholeFile(scratch.fileName(), bytes, qint64(1) << 31, &error) || !WriteFileAtomically(path, bytes, &error))
    {
        if (error.isEmpty()) error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    if (countsOut) *countsOut = counts;
    return true;
}
