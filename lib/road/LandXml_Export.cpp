#include "road/LandXml.h"

#include "geometry/Angle.h"
#include "markup/CXmlDocument.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign.h"

#include <QDateTime>

#include <cmath>

namespace
{
// Eight decimals keep a re-import within a micrometre of the route even far from the origin.
QString Num(double v) { return FormatFixed(v, 8); }
QString PointText(double north, double east) { return Num(north) + QLatin1Char(' ') + Num(east); }
// Directions as the schema defines them: decimal degrees counter-clockwise from north.
QString Direction(double bearing)
{
    double d = Angle::RadiansToDegrees(Angle::NormaliseBearing(-bearing));
    if (d >= 360.0) d -= 360.0;
    return FormatFixed(d, 10);
}
QString Radius(double r) { return r == 0.0 ? QStringLiteral("INF") : Num(std::fabs(r)); }
QString Rotation(double signedRadius) { return signedRadius > 0.0 ? QStringLiteral("cw") : QStringLiteral("ccw"); }

void AddPoint(CXmlDocument& xml, const char* name, double north, double east)
{
    xml.AddElem(QString::fromLatin1(name), PointText(north, east));
}

// Where the tangents at two points meet; false when they are parallel.
bool TangentsMeet(double n1, double e1, double b1, double n2, double e2, double b2, double& n, double& e)
{
    const double d1n = std::cos(b1), d1e = std::sin(b1), d2n = std::cos(b2), d2e = std::sin(b2);
    const double det = d1n * (-d2e) - d1e * (-d2n);
    if (std::fabs(det) < 1e-12) return false;
    const double t = ((n2 - n1) * (-d2e) - (e2 - e1) * (-d2n)) / det;
    n = n1 + t * d1n;
    e = e1 + t * d1e;
    return std::isfinite(n) && std::isfinite(e);
}

void AddLine(CXmlDocument& xml, const CRoadElement& r)
{
    xml.AddElem(QStringLiteral("Line"));
    xml.SetAttrib(QStringLiteral("staStart"), Num(r.m_StartStation));
    xml.SetAttrib(QStringLiteral("length"), Num(r.m_Length));
    xml.SetAttrib(QStringLiteral("dir"), Direction(r.m_StartBearing));
    xml.IntoElem();
    AddPoint(xml, "Start", r.m_StartX, r.m_StartY);
    AddPoint(xml, "End", r.m_EndX, r.m_EndY);
    xml.OutOfElem();
}

void AddCurve(CXmlDocument& xml, const CRoadElement& r)
{
    const double radius = std::fabs(r.m_StartRadius);
    const double side = r.m_StartRadius > 0.0 ? 1.0 : -1.0; // the centre lies right of a right turn
    const double toCenter = r.m_StartBearing + side * Angle::kPi / 2.0;
    const double cn = r.m_StartX + radius * std::cos(toCenter), ce = r.m_StartY + radius * std::sin(toCenter);
    const double delta = r.m_Length / radius;
    xml.AddElem(QStringLiteral("Curve"));
    xml.SetAttrib(QStringLiteral("rot"), Rotation(r.m_StartRadius));
    xml.SetAttrib(QStringLiteral("crvType"), QStringLiteral("arc"));
    xml.SetAttrib(QStringLiteral("staStart"), Num(r.m_StartStation));
    xml.SetAttrib(QStringLiteral("length"), Num(r.m_Length));
    xml.SetAttrib(QStringLiteral("radius"), Num(radius));
    xml.SetAttrib(QStringLiteral("delta"), FormatFixed(Angle::RadiansToDegrees(delta), 10));
    xml.SetAttrib(QStringLiteral("chord"), Num(std::hypot(r.m_EndX - r.m_StartX, r.m_EndY - r.m_StartY)));
    xml.SetAttrib(QStringLiteral("dirStart"), Direction(r.m_StartBearing));
    xml.SetAttrib(QStringLiteral("dirEnd"), Direction(r.m_EndBearing));
    xml.IntoElem();
    AddPoint(xml, "Start", r.m_StartX, r.m_StartY);
    AddPoint(xml, "Center", cn, ce);
    AddPoint(xml, "End", r.m_EndX, r.m_EndY);
    // Half a turn or more has no point of intersection of its tangents in front of it.
    if (delta < Angle::kPi - 1e-9)
    {
        const double t = radius * std::tan(delta / 2.0);
        AddPoint(xml, "PI", r.m_StartX + t * std::cos(r.m_StartBearing), r.m_StartY + t * std::sin(r.m_StartBearing));
    }
    xml.OutOfElem();
}

void AddSpiral(CXmlDocument& xml, const CRoadElement& r)
{
    const double curvatureChange = std::fabs((r.m_EndRadius ? 1.0 / r.m_EndRadius : 0.0) -
                                             (r.m_StartRadius ? 1.0 / r.m_StartRadius : 0.0));
    const double turning = r.m_StartRadius ? r.m_StartRadius : r.m_EndRadius;
    xml.AddElem(QStringLiteral("Spiral"));
    xml.SetAttrib(QStringLiteral("spiType"), QStringLiteral("clothoid"));
    xml.SetAttrib(QStringLiteral("rot"), Rotation(turning));
    xml.SetAttrib(QStringLiteral("staStart"), Num(r.m_StartStation));
    xml.SetAttrib(QStringLiteral("length"), Num(r.m_Length));
    xml.SetAttrib(QStringLiteral("radiusStart"), Radius(r.m_StartRadius));
    xml.SetAttrib(QStringLiteral("radiusEnd"), Radius(r.m_EndRadius));
    if (curvatureChange > 0.0) xml.SetAttrib(QStringLiteral("constant"), Num(std::sqrt(r.m_Length / curvatureChange)));
    xml.SetAttrib(QStringLiteral("dirStart"), Direction(r.m_StartBearing));
    xml.SetAttrib(QStringLiteral("dirEnd"), Direction(r.m_EndBearing));
    xml.SetAttrib(QStringLiteral("theta"),
                  FormatFixed(Angle::RadiansToDegrees(std::fabs(std::remainder(r.m_EndBearing - r.m_StartBearing,
                                                                                Angle::kTwoPi))),
                              10));
    double pn = 0.0, pe = 0.0;
    const bool meet = TangentsMeet(r.m_StartX, r.m_StartY, r.m_StartBearing, r.m_EndX, r.m_EndY, r.m_EndBearing, pn, pe);
    if (meet)
    {
        // The long tangent lies at the flatter end.
        const double startTangent = std::hypot(pn - r.m_StartX, pe - r.m_StartY);
        const double endTangent = std::hypot(r.m_EndX - pn, r.m_EndY - pe);
        const bool startFlatter = r.m_StartRadius == 0.0 || (r.m_EndRadius != 0.0 &&
                                                             std::fabs(r.m_StartRadius) > std::fabs(r.m_EndRadius));
        xml.SetAttrib(QStringLiteral("tanLong"), Num(startFlatter ? startTangent : endTangent));
        xml.SetAttrib(QStringLiteral("tanShort"), Num(startFlatter ? endTangent : startTangent));
    }
    xml.IntoElem();
    AddPoint(xml, "Start", r.m_StartX, r.m_StartY);
    if (meet) AddPoint(xml, "PI", pn, pe);
    AddPoint(xml, "End", r.m_EndX, r.m_EndY);
    xml.OutOfElem();
}
} // namespace

QString LandXmlTextOfRoute(const CRoadDesign& model)
{
    double length = 0.0;
    for (const CRoadElement& r : model.m_RoadElements)
        if (r.m_Kind != CRoadElement::StartPoint) length += r.m_Length;
    const QDateTime now = QDateTime::currentDateTime();

    CXmlDocument xml;
    xml.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    xml.AddElem(QStringLiteral("LandXML"));
    xml.SetAttrib(QStringLiteral("xmlns"), QStringLiteral("http://www.landxml.org/schema/LandXML-1.2"));
    xml.SetAttrib(QStringLiteral("version"), QStringLiteral("1.2"));
    xml.SetAttrib(QStringLiteral("date"), now.toString(QStringLiteral("yyyy-MM-dd")));
    xml.SetAttrib(QStringLiteral("time"), now.toString(QStringLiteral("HH:mm:ss")));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("Units"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("Metric"));
    xml.SetAttrib(QStringLiteral("linearUnit"), QStringLiteral("meter"));
    xml.SetAttrib(QStringLiteral("areaUnit"), QStringLiteral("squareMeter"));
    xml.SetAttrib(QStringLiteral("volumeUnit"), QStringLiteral("cubicMeter"));
    xml.SetAttrib(QStringLiteral("angularUnit"), QStringLiteral("decimal degrees"));
    xml.SetAttrib(QStringLiteral("directionUnit"), QStringLiteral("decimal degrees"));
    xml.OutOfElem();
    xml.AddElem(QStringLiteral("Application"));
    xml.SetAttrib(QStringLiteral("name"), QStringLiteral("tesvane"));
    xml.AddElem(QStringLiteral("Alignments"));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("Alignment"));
    xml.SetAttrib(QStringLiteral("name"), model.m_RoadName);
    xml.SetAttrib(QStringLiteral("length"), Num(length));
    xml.SetAttrib(QStringLiteral("staStart"), Num(model.m_RoadElements.empty() ? model.m_StartMileage
                                                                               : model.m_RoadElements[0].m_StartStation));
    xml.IntoElem();
    xml.AddElem(QStringLiteral("CoordGeom"));
    xml.IntoElem();
    for (const CRoadElement& r : model.m_RoadElements)
    {
        switch (r.m_Kind)
        {
        case CRoadElement::Straight: AddLine(xml, r); break;
        case CRoadElement::CircularCurve: AddCurve(xml, r); break;
        case CRoadElement::Transition: AddSpiral(xml, r); break;
        default: break; // a start point is where the next element starts
        }
    }
    return xml.GetDoc();
}

bool WriteLandXmlFile(const CRoadDesign& model, const QString& path, QString& error)
{
    if (!model.IsLoad())
    {
        error = QStringLiteral("the route is not computed");
        return false;
    }
    QString result;
    if (!CXmlDocument::WriteTextFile(path, LandXmlTextOfRoute(model), &result))
    {
        error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}
