#include "road/LandXml.h"

#include "geometry/Angle.h"
#include "markup/CXmlDocument.h"
#include "platform/NumberText.h"

#include <QHash>

#include <cmath>

namespace
{
// Element names without a namespace prefix ("lx:Line" is a Line).
QString LocalName(const QString& tag)
{
    const qsizetype colon = tag.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? tag : tag.mid(colon + 1);
}

// Metres per linear unit of the schema's enumeration (and the spellings seen in files).
bool MetresPerUnit(const QString& unit, double& factor)
{
    const QString u = unit.trimmed().toLower();
    if (u.isEmpty() || u == QLatin1String("meter") || u == QLatin1String("metre")) factor = 1.0;
    else if (u == QLatin1String("millimeter") || u == QLatin1String("millimetre")) factor = 0.001;
    else if (u == QLatin1String("centimeter") || u == QLatin1String("centimetre")) factor = 0.01;
    else if (u == QLatin1String("kilometer") || u == QLatin1String("kilometre")) factor = 1000.0;
    else if (u == QLatin1String("foot") || u == QLatin1String("internationalfoot") || u == QLatin1String("intlfoot"))
        factor = 0.3048;
    else if (u == QLatin1String("ussurveyfoot")) factor = 1200.0 / 3937.0;
    else if (u == QLatin1String("inch")) factor = 0.0254;
    else if (u == QLatin1String("mile")) factor = 1609.344;
    else return false;
    return true;
}

// Radians per direction unit; packed degrees.minutes-seconds are converted on their own.
enum class DirectionUnit
{
    Radians,
    Grads,
    Degrees,
    PackedDms
};

DirectionUnit DirectionUnitOf(const QString& unit)
{
    const QString u = unit.trimmed().toLower();
    if (u == QLatin1String("radians")) return DirectionUnit::Radians;
    if (u == QLatin1String("grads") || u == QLatin1String("gradians")) return DirectionUnit::Grads;
    if (u.contains(QLatin1String("dd.mm.ss"))) return DirectionUnit::PackedDms;
    return DirectionUnit::Degrees;
}

double ToRadians(double value, DirectionUnit unit)
{
    switch (unit)
    {
    case DirectionUnit::Radians: return value;
    case DirectionUnit::Grads: return value * Angle::kPi / 200.0;
    case DirectionUnit::PackedDms: return Angle::PackedDmsToRadians(value);
    case DirectionUnit::Degrees: break;
    }
    return Angle::DegreesToRadians(value);
}

// A finite number filling the whole text (blanks around it allowed).
bool WholeNumber(const QString& text, double& value)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool ok = false;
    value = t.toDouble(&ok);
    return ok && std::isfinite(value);
}

// A radius attribute: "INF" (either sign) or nothing means a straight end (0).
bool RadiusValue(const QString& text, double& radius)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.compare(QLatin1String("INF"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("-INF"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("+INF"), Qt::CaseInsensitive) == 0)
    {
        radius = 0.0;
        return true;
    }
    if (!WholeNumber(t, radius)) return false;
    radius = std::fabs(radius);
    return true;
}

struct ReadContext
{
    double metres = 1.0;
    DirectionUnit directions = DirectionUnit::Degrees;
    QHash<QString, LandXmlPoint> points; // CgPoints by name (and by oID)
};

// "northing easting [elevation]" in the file's unit.
bool ParsePointText(const QString& text, double metres, LandXmlPoint& point)
{
    const QStringList parts = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    double n = 0.0, e = 0.0;
    if (parts.size() < 2 || !WholeNumber(parts[0], n) || !WholeNumber(parts[1], e)) return false;
    point.present = true;
    point.north = n * metres;
    point.east = e * metres;
    return true;
}

// Reads the CgPoints of the document (children of the main element, which is a CgPoints).
void ReadCgPoints(CXmlDocument& xml, ReadContext& context)
{
    xml.IntoElem();
    while (xml.FindElem())
    {
        if (LocalName(xml.GetTagName()) != QLatin1String("CgPoint")) continue;
        LandXmlPoint p;
        if (!ParsePointText(xml.GetData(), context.metres, p)) continue;
        const QString name = xml.GetAttrib(QStringLiteral("name"));
        const QString id = xml.GetAttrib(QStringLiteral("oID"));
        if (!name.isEmpty()) context.points.insert(name, p);
        if (!id.isEmpty() && !context.points.contains(id)) context.points.insert(id, p);
    }
    xml.OutOfElem();
}

QString KindName(LandXmlElement::Kind kind)
{
    switch (kind)
    {
    case LandXmlElement::Line: return QStringLiteral("Line");
    case LandXmlElement::Curve: return QStringLiteral("Curve");
    case LandXmlElement::Spiral: return QStringLiteral("Spiral");
    }
    return QString();
}

QString StationText(const LandXmlElement& e, int index)
{
    return e.hasStaStart ? QStringLiteral("%1 at station %2").arg(KindName(e.kind), FormatFixed(e.staStart, 3))
                         : QStringLiteral("%1 (element %2)").arg(KindName(e.kind)).arg(index + 1);
}

// Reads the children of one geometry element (the main position) into `e`. Returns an empty
// text, or why the element cannot be used.
QString ReadElementChildren(CXmlDocument& xml, const ReadContext& context, LandXmlElement& e, int index)
{
    xml.IntoElem();
    QString problem;
    while (xml.FindElem())
    {
        const QString name = LocalName(xml.GetTagName());
        LandXmlPoint* target = nullptr;
        if (name == QLatin1String("Start")) target = &e.start;
        else if (name == QLatin1String("End")) target = &e.end;
        else if (name == QLatin1String("Center")) target = &e.center;
        else if (name == QLatin1String("PI")) target = &e.pi;
        if (!target) continue;
        const QString ref = xml.GetAttrib(QStringLiteral("pntRef"));
        bool read = false;
        if (!ref.isEmpty())
        {
            const auto it = context.points.constFind(ref.trimmed());
            read = it != context.points.constEnd();
            if (read) *target = *it;
            else if (problem.isEmpty())
                problem = QStringLiteral("%1: point reference \"%2\" of its %3 is not among the CgPoints")
                              .arg(StationText(e, index), ref, name);
            continue;
        }
        read = ParsePointText(xml.GetData(), context.metres, *target);
        if (!read && problem.isEmpty())
            problem = QStringLiteral("%1: its %2 is not \"northing easting\"").arg(StationText(e, index), name);
    }
    xml.OutOfElem();
    return problem;
}

double AttributeNumber(const CXmlDocument& xml, const char* name, double factor, bool* present = nullptr)
{
    double value = 0.0;
    const bool ok = WholeNumber(xml.GetAttrib(QString::fromLatin1(name)), value);
    if (present) *present = ok;
    return ok ? value * factor : 0.0;
}

int RotationOf(const QString& rot)
{
    const QString r = rot.trimmed().toLower();
    if (r == QLatin1String("cw")) return 1;
    if (r == QLatin1String("ccw")) return -1;
    return 0;
}

// Reads the CoordGeom at the main position into the alignment.
void ReadCoordGeom(CXmlDocument& xml, const ReadContext& context, LandXmlAlignment& alignment)
{
    xml.IntoElem();
    while (xml.FindElem())
    {
        const QString name = LocalName(xml.GetTagName());
        const int index = static_cast<int>(alignment.elements.size());
        LandXmlElement e;
        if (name == QLatin1String("Line")) e.kind = LandXmlElement::Line;
        else if (name == QLatin1String("Curve")) e.kind = LandXmlElement::Curve;
        else if (name == QLatin1String("Spiral")) e.kind = LandXmlElement::Spiral;
        else if (name == QLatin1String("IrregularLine") || name == QLatin1String("Chain"))
        {
            if (alignment.refusal.isEmpty())
                alignment.refusal = QStringLiteral("%1 (element %2) is not supported: only Line, Curve and clothoid "
                                                   "Spiral elements are read")
                                        .arg(name)
                                        .arg(index + 1);
            continue;
        }
        else
            continue;

        e.staStart = AttributeNumber(xml, "staStart", context.metres, &e.hasStaStart);
        e.length = AttributeNumber(xml, "length", context.metres);
        e.rotation = RotationOf(xml.GetAttrib(QStringLiteral("rot")));
        if (e.kind == LandXmlElement::Line)
        {
            double dir = 0.0;
            e.hasDir = WholeNumber(xml.GetAttrib(QStringLiteral("dir")), dir);
            if (e.hasDir) e.dir = ToRadians(dir, context.directions);
        }
        else if (e.kind == LandXmlElement::Curve)
        {
            e.radius = std::fabs(AttributeNumber(xml, "radius", context.metres));
        }
        else
        {
            const QString type = xml.GetAttrib(QStringLiteral("spiType")).trimmed();
            if (!type.isEmpty() && type.compare(QLatin1String("clothoid"), Qt::CaseInsensitive) != 0 &&
                alignment.refusal.isEmpty())
                alignment.refusal = QStringLiteral("%1: spiral type \"%2\" is not supported (only clothoid)")
                                        .arg(StationText(e, index), type);
            double rs = 0.0, re = 0.0;
            if ((!RadiusValue(xml.GetAttrib(QStringLiteral("radiusStart")), rs) ||
                 !RadiusValue(xml.GetAttrib(QStringLiteral("radiusEnd")), re)) &&
                alignment.refusal.isEmpty())
                alignment.refusal = QStringLiteral("%1: a radius is neither a number nor INF").arg(StationText(e, index));
            e.radiusStart = rs * context.metres;
            e.radiusEnd = re * context.metres;
        }
        const QString problem = ReadElementChildren(xml, context, e, index);
        if (!problem.isEmpty() && alignment.refusal.isEmpty()) alignment.refusal = problem;
        alignment.elements.push_back(e);
    }
    xml.OutOfElem();
}

// Reads the Alignment at the main position.
LandXmlAlignment ReadAlignment(CXmlDocument& xml, const ReadContext& context)
{
    LandXmlAlignment alignment;
    alignment.name = xml.GetAttrib(QStringLiteral("name"));
    alignment.staStart = AttributeNumber(xml, "staStart", context.metres);
    alignment.length = AttributeNumber(xml, "length", context.metres);
    bool geometry = false;
    xml.IntoElem();
    while (xml.FindElem())
    {
        const QString name = LocalName(xml.GetTagName());
        if (name == QLatin1String("CoordGeom") && !geometry)
        {
            geometry = true;
            ReadCoordGeom(xml, context, alignment);
        }
        else if (name == QLatin1String("StaEquation"))
        {
            LandXmlStationEquation q;
            q.back = AttributeNumber(xml, "staBack", context.metres);
            q.ahead = AttributeNumber(xml, "staAhead", context.metres);
            alignment.equations.push_back(q);
        }
    }
    xml.OutOfElem();
    if (alignment.refusal.isEmpty() && alignment.elements.empty())
        alignment.refusal = QStringLiteral("it has no Line, Curve or Spiral in a CoordGeom");
    return alignment;
}

// Reads Units (the main position) into the context. False for an unknown linear unit.
bool ReadUnits(CXmlDocument& xml, ReadContext& context, LandXmlDocument& document, QString& error)
{
    xml.IntoElem();
    bool ok = true;
    while (xml.FindElem())
    {
        const QString system = LocalName(xml.GetTagName());
        if (system != QLatin1String("Metric") && system != QLatin1String("Imperial")) continue;
        QString unit = xml.GetAttrib(QStringLiteral("linearUnit")).trimmed();
        if (unit.isEmpty()) unit = system == QLatin1String("Imperial") ? QStringLiteral("foot") : QStringLiteral("meter");
        if (!MetresPerUnit(unit, context.metres))
        {
            error = QStringLiteral("unknown linear unit \"%1\"").arg(unit);
            ok = false;
        }
        document.linearUnit = unit;
        QString direction = xml.GetAttrib(QStringLiteral("directionUnit"));
        if (direction.trimmed().isEmpty()) direction = xml.GetAttrib(QStringLiteral("angularUnit"));
        context.directions = DirectionUnitOf(direction);
        break;
    }
    xml.OutOfElem();
    return ok;
}

// CgPoints may follow the alignments that refer to them: they are collected first.
void CollectCgPoints(CXmlDocument& xml, ReadContext& context)
{
    xml.ResetMainPos();
    while (xml.FindElem())
        if (LocalName(xml.GetTagName()) == QLatin1String("CgPoints")) ReadCgPoints(xml, context);
}
} // namespace

bool ReadLandXmlText(const QString& text, LandXmlDocument& document, QString& error)
{
    document = LandXmlDocument();
    CXmlDocument xml;
    xml.SetDoc(text);
    xml.ResetPos();
    bool root = false;
    while (xml.FindElem())
        if (LocalName(xml.GetTagName()) == QLatin1String("LandXML"))
        {
            root = true;
            break;
        }
    if (!root)
    {
        error = QStringLiteral("not a LandXML document (no LandXML element)");
        return false;
    }
    ReadContext context;
    xml.IntoElem();
    while (xml.FindElem())
        if (LocalName(xml.GetTagName()) == QLatin1String("Units"))
        {
            if (!ReadUnits(xml, context, document, error)) return false;
            break;
        }
    CollectCgPoints(xml, context);
    xml.ResetMainPos();
    while (xml.FindElem())
    {
        if (LocalName(xml.GetTagName()) != QLatin1String("Alignments")) continue;
        xml.IntoElem();
        while (xml.FindElem())
            if (LocalName(xml.GetTagName()) == QLatin1String("Alignment"))
                document.alignments.push_back(ReadAlignment(xml, context));
        xml.OutOfElem();
    }
    if (document.alignments.empty())
    {
        error = QStringLiteral("the file holds no Alignment");
        return false;
    }
    return true;
}

bool ReadLandXmlFile(const QString& path, LandXmlDocument& document, QString& error)
{
    QString text, result;
    if (!CXmlDocument::ReadTextFile(path, text, &result))
    {
        error = QStringLiteral("cannot read the file");
        return false;
    }
    return ReadLandXmlText(text, document, error);
}
