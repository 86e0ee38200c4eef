#include "sources/CMap_Shape.h"

#include "geometry/Angle.h"
#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "platform/TextCodec.h"
#include "sources/CMap_Shape_Detail.h"

#include <QFileInfo>

#include <ogr_spatialref.h>

#include <cmath>

using namespace shapedetail;

namespace
{
constexpr double kDegree = 0.0174532925199433;
constexpr qint64 kMaxPrjBytes = 1 << 20;

QString PrjPathOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) return path + QStringLiteral(".prj");
    return path.left(path.size() - suffix.size()) + QStringLiteral("prj");
}

double NodeNumber(const OGR_SRSNode* node, int child)
{
    if (!node || child >= node->GetChildCount()) return 0.0;
    return LeadingNumber(QString::fromUtf8(node->GetChild(child)->GetValue()));
}

QString NodeText(const OGR_SRSNode* node, int child)
{
    if (!node || child >= node->GetChildCount()) return QString();
    return shapedetail::DecodeText(node->GetChild(child)->GetValue(), QByteArray());
}

// A direct child named `name` (not one of a nested system).
const OGR_SRSNode* Child(const OGR_SRSNode* node, const char* name)
{
    if (!node) return nullptr;
    const int i = node->FindChild(name);
    return i < 0 ? nullptr : node->GetChild(i);
}

// The projection names of ".prj" files and the type codes they stand for. Names this system
// writes itself read back as the type that wrote them; "Transverse_Mercator" is type 2.
int ProjectionType(const QString& name, const OGR_SRSNode* projcs)
{
    const QString n = name.toLower();
    if (n == QLatin1String("lambert_conformal_conic_1sp")) return 6;
    if (n == QLatin1String("lambert_conformal_conic_2sp")) return 7;
    if (n == QLatin1String("lambert_conformal_conic"))
    {
        // The ESRI name for both: two parallels make the two-parallel kind.
        for (int i = 0; i < projcs->GetChildCount(); ++i)
        {
            const OGR_SRSNode* c = projcs->GetChild(i);
            if (EQUAL(c->GetValue(), "PARAMETER") && c->GetChildCount() > 0 &&
                EQUAL(c->GetChild(0)->GetValue(), "standard_parallel_2"))
                return 7;
        }
        return 6;
    }
    if (n == QLatin1String("transverse_mercator")) return 2;
    if (n == QLatin1String("projecttype_stere")) return 3;
    if (n == QLatin1String("projecttype_sterea")) return 4;
    if (n.startsWith(QLatin1String("mercator"))) return 5; // Mercator, Mercator_1SP, Mercator_Variant_A, ...
    return 0;
}

// The coordinate system text as one classic WKT tree; WKT2 and other forms go through GDAL first.
bool ParseTree(const QByteArray& text, OGR_SRSNode& root)
{
    const char* p = text.constData();
    if (root.importFromWkt(&p) == OGRERR_NONE &&
        (EQUAL(root.GetValue(), "PROJCS") || EQUAL(root.GetValue(), "GEOGCS")))
        return true;
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(text.constData()) != OGRERR_NONE) return false;
    srs.morphToESRI();
    char* wkt = nullptr;
    if (srs.exportToWkt(&wkt) != OGRERR_NONE || !wkt)
    {
        CPLFree(wkt);
        return false;
    }
    OGR_SRSNode fresh;
    const char* q = wkt;
    const bool ok = fresh.importFromWkt(&q) == OGRERR_NONE;
    CPLFree(wkt);
    if (!ok) return false;
    root.ClearChildren();
    root.SetValue(fresh.GetValue());
    for (int i = 0; i < fresh.GetChildCount(); ++i) root.AddChild(fresh.GetChild(i)->Clone());
    return EQUAL(root.GetValue(), "PROJCS") || EQUAL(root.GetValue(), "GEOGCS");
}

bool ReadSystem(const QByteArray& text, ShapeCoordinateSystem& out)
{
    OGR_SRSNode root;
    if (!ParseTree(text, root)) return false;
    const bool projected = EQUAL(root.GetValue(), "PROJCS");
    const OGR_SRSNode* geogcs = projected ? Child(&root, "GEOGCS") : &root;
    const OGR_SRSNode* datum = Child(geogcs, "DATUM");
    const OGR_SRSNode* spheroid = Child(datum, "SPHEROID");
    ShapeCoordinateSystem s;
    s.Name = NodeText(&root, 0);
    s.Ellipsoid.Name = NodeText(spheroid, 0);
    s.Ellipsoid.Axis = NodeNumber(spheroid, 1);
    s.Ellipsoid.ReciprocalofFlatRate = NodeNumber(spheroid, 2);
    if (!(s.Ellipsoid.Axis > 1.0 && s.Ellipsoid.Axis < 1e9) || !(s.Ellipsoid.ReciprocalofFlatRate >= 0.0 &&
                                                                 s.Ellipsoid.ReciprocalofFlatRate < 1e12))
        return false;
    s.PrimeMeridian = NodeNumber(Child(geogcs, "PRIMEM"), 1);
    if (const OGR_SRSNode* unit = Child(geogcs, "UNIT"); unit && NodeNumber(unit, 1) > 0.0)
        s.AngularUnit = NodeNumber(unit, 1);
    s.Projection = CoordinateSystem_ProjectParameter{};
    s.Projection.Type = -1;
    const OGR_SRSNode* projection = projected ? Child(&root, "PROJECTION") : nullptr;
    if (projection && projection->GetChildCount() > 0)
    {
        if (const OGR_SRSNode* unit = Child(&root, "UNIT"); unit && NodeNumber(unit, 1) > 0.0)
            s.LinearUnit = NodeNumber(unit, 1);
        CoordinateSystem_ProjectParameter& p = s.Projection;
        p.Type = ProjectionType(NodeText(projection, 0), &root);
        for (int i = 0; i < root.GetChildCount(); ++i)
        {
            const OGR_SRSNode* c = root.GetChild(i);
            if (!EQUAL(c->GetValue(), "PARAMETER") || c->GetChildCount() < 2) continue;
            const QString name = NodeText(c, 0).toLower();
            const double v = NodeNumber(c, 1);
            if (name == QLatin1String("false_easting")) p.Ty = v;
            else if (name == QLatin1String("false_northing")) p.Tx = v;
            else if (name == QLatin1String("latitude_of_origin")) p.ReferenceLatitude = Angle::DegreesToRadians(v);
            else if (name == QLatin1String("central_meridian")) p.CentralMeridian = Angle::DegreesToRadians(v);
            else if (name == QLatin1String("standard_parallel_1")) p.Parallel1 = Angle::DegreesToRadians(v);
            else if (name == QLatin1String("standard_parallel_2")) p.Parallel2 = Angle::DegreesToRadians(v);
            else if (name == QLatin1String("scale_factor")) p.TK = v;
            else if (name == QLatin1String("satellite_height")) p.ProjectionHeight = v;
            else if (name == QLatin1String("longitude_of_origin")) p.ReferenceLongitude = Angle::DegreesToRadians(v);
        }
    }
    out = s;
    return true;
}
} // namespace

int CMap_Shape::ReadPROJParameter()
{
    ShapeCoordinateSystem system;
    system.Ellipsoid = WGS84Ellipsoid();
    system.Projection.Type = -1;
    QByteArray text;
    if (!ReadWholeFile(PrjPathOf(m_MapItem.FullPathName), text, kMaxPrjBytes))
    {
        text.clear();
        if (OGRLayer* layer = Layer())
            if (const OGRSpatialReference* srs = layer->GetSpatialRef())
            {
                char* wkt = nullptr;
                if (srs->exportToWkt(&wkt) == OGRERR_NONE && wkt) text = wkt;
                CPLFree(wkt);
            }
    }
    // Text that is no coordinate system leaves the data set geographic on WGS84.
    int ok = 1;
    if (!text.trimmed().isEmpty())
    {
        QuietGdal quiet;
        ok = ReadSystem(ToUtf8(shapedetail::DecodeText(text.constData(), QByteArray())), system) ? 1 : 0;
    }
    SetShapeSystem(system);
    return ok;
}

void CMap_Shape::SetShapeSystem(const ShapeCoordinateSystem& system)
{
    m_System = system;
    m_Convert.SetShapeDestinationEllipsoid(system.Ellipsoid);
    m_Convert.SetShapeProjection(system.Projection);
}

SpatialRefPtr CMap_Shape::GetSpatialRef() const
{
    const ShapeCoordinateSystem& s = m_System;
    const CoordinateSystem_ProjectParameter& p = s.Projection;
    SpatialRefPtr srs(new OGRSpatialReference());
    srs->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    const QByteArray name = ToUtf8(s.Name);
    const QByteArray ellipsoid = ToUtf8(s.Ellipsoid.Name.isEmpty() ? QStringLiteral("Unknown") : s.Ellipsoid.Name);
    if (!s.Name.isEmpty() && p.Type != -1) srs->SetProjCS(name.constData());
    const bool degrees = std::fabs(s.AngularUnit - kDegree) < 1e-12;
    srs->SetGeogCS(ellipsoid.constData(), ellipsoid.constData(), ellipsoid.constData(), s.Ellipsoid.Axis,
                   s.Ellipsoid.ReciprocalofFlatRate, "Greenwich", s.PrimeMeridian, degrees ? "Degree" : "Unit",
                   s.AngularUnit);
    const auto deg = [](double radians) { return Angle::RadiansToDegrees(radians); };
    const auto parm = [&](const char* key, double value) { srs->SetProjParm(key, value); };
    switch (p.Type)
    {
    case -1: return srs;
    case 0:
        srs->SetProjection("Gauss_Kruger");
        parm("false_easting", p.Ty);
        parm("false_northing", p.Tx);
        parm("central_meridian", deg(p.CentralMeridian));
        parm("scale_factor", p.TK);
        parm("latitude_of_origin", deg(p.ReferenceLatitude));
        break;
    case 1:
        srs->SetProjection("Transverse_Mercator");
        parm("latitude_of_origin", deg(p.ReferenceLatitude));
        parm("central_meridian", deg(p.CentralMeridian));
        parm("scale_factor", p.TK);
        parm("false_easting", p.Ty);
        parm("false_northing", p.Tx);
        break;
    case 2: srs->SetTM(deg(p.ReferenceLatitude), deg(p.CentralMeridian), p.TK, p.Ty, p.Tx); break;
    case 3: srs->SetProjection("ProjectType_STERE"); break;
    case 4:
        srs->SetProjection("ProjectType_STEREA");
        parm("standard_parallel_1", deg(p.Parallel1));
        parm("standard_parallel_2", deg(p.Parallel2));
        parm("latitude_of_origin", deg(p.ReferenceLatitude));
        parm("longitude_of_origin", deg(p.ReferenceLongitude));
        parm("central_meridian", deg(p.CentralMeridian));
        parm("scale_factor", p.TK);
        parm("false_easting", p.Ty);
        parm("false_northing", p.Tx);
        parm("satellite_height", p.ProjectionHeight);
        break;
    case 5: srs->SetMercator(deg(p.ReferenceLatitude), deg(p.CentralMeridian), p.TK, p.Ty, p.Tx); break;
    case 6: srs->SetLCC1SP(deg(p.ReferenceLatitude), deg(p.CentralMeridian), p.TK, p.Ty, p.Tx); break;
    case 7:
        srs->SetLCC(deg(p.Parallel1), deg(p.Parallel2), deg(p.ReferenceLatitude), deg(p.CentralMeridian), p.Ty, p.Tx);
        break;
    default: break;
    }
    // Every projected system states its unit, so other programs read it as metres.
    srs->SetLinearUnits("Meter", 1.0);
    return srs;
}

int CMap_Shape::SavePROJParameter()
{
    if (m_MapItem.FullPathName.isEmpty()) return 0;
    QuietGdal quiet;
    SpatialRefPtr srs = GetSpatialRef();
    if (srs->morphToESRI() != OGRERR_NONE) return 0;
    char* wkt = nullptr;
    if (srs->exportToWkt(&wkt) != OGRERR_NONE || !wkt)
    {
        CPLFree(wkt);
        return 0;
    }
    // GDAL's ESRI dialect calls a transverse Mercator "Gauss_Kruger" when the system's name
    // suggests it; the name written must say which type this is.
    const int type = m_System.Projection.Type;
    if (type == 0 || type == 1 || type == 2)
    {
        OGR_SRSNode tree;
        const char* p = wkt;
        if (tree.importFromWkt(&p) == OGRERR_NONE)
            if (OGR_SRSNode* projection = tree.GetNode("PROJECTION"); projection && projection->GetChildCount() > 0)
            {
                projection->GetChild(0)->SetValue(type == 0 ? "Gauss_Kruger" : "Transverse_Mercator");
                char* fixed = nullptr;
                if (tree.exportToWkt(&fixed) == OGRERR_NONE && fixed)
                {
                    CPLFree(wkt);
                    wkt = fixed;
                }
                else
                {
                    CPLFree(fixed);
                }
            }
    }
    const QString text = QString::fromUtf8(wkt);
    CPLFree(wkt);
    return WriteFileAtomically(PrjPathOf(m_MapItem.FullPathName), ToAnsi(text)) ? 1 : 0;
}
