#include "road/LandXml.h"

#include "geometry/Angle.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"
#include "road/RouteCalculation.h"

#include <cmath>
#include <optional>

namespace
{
// The shortest element the route model keeps exactly (its curve file writes six decimals and
// takes anything below a micrometre for 0.1 mm): connectors and lead-in/out straights.
constexpr double kConnector = 1e-5;
// Ends further apart than this, or tangents turning more than kBearingJump, break continuity.
constexpr double kGap = 1e-3;
constexpr double kBearingJump = 1e-4;
// Lines shorter than this have no bearing of their own worth the name.
constexpr double kTinyLine = 1e-3;
// Radii written by two elements that meet are the same radius within the rounding of exporters.
bool SameRadius(double a, double b) { return std::fabs(a - b) <= 0.01 + 1e-6 * std::fabs(a); }

double BearingOf(double dn, double de) { return Angle::NormaliseBearing(std::atan2(de, dn)); }
double BearingOf(const LandXmlPoint& from, const LandXmlPoint& to)
{
    return BearingOf(to.north - from.north, to.east - from.east);
}
double Distance(const LandXmlPoint& a, const LandXmlPoint& b) { return std::hypot(a.north - b.north, a.east - b.east); }
// The signed difference b - a brought into (-π, π].
double Turn(double a, double b)
{
    double d = std::remainder(b - a, Angle::kTwoPi);
    if (d <= -Angle::kPi) d += Angle::kTwoPi;
    return d;
}

const char* KindName(LandXmlElement::Kind kind)
{
    switch (kind)
    {
    case LandXmlElement::Line: return "Line";
    case LandXmlElement::Curve: return "Curve";
    case LandXmlElement::Spiral: return "Spiral";
    }
    return "";
}

// An element measured from its coordinates, in the road model's terms.
struct Measured
{
    LandXmlElement::Kind kind = LandXmlElement::Line;
    double length = 0.0;
    double radius = 0.0;      // Curve: signed, positive turns right
    double radiusStart = 0.0; // Spiral: signed, 0 straight
    double radiusEnd = 0.0;
    std::optional<double> bearingStart, bearingEnd; // tangents from the coordinates, when known
    double stationStart = 0.0;
};

QString At(const LandXmlElement& e, const Measured& m)
{
    return QStringLiteral("%1 at station %2").arg(QLatin1String(KindName(e.kind)), FormatFixed(m.stationStart, 3));
}

// Measures one element; an empty text or why it cannot be used.
QString Measure(const LandXmlElement& e, int previousRotation, Measured& m)
{
    m.kind = e.kind;
    if (!e.start.present || !e.end.present)
        return QStringLiteral("%1 has no Start or End coordinates").arg(At(e, m));
    if (e.kind == LandXmlElement::Line)
    {
        m.length = Distance(e.start, e.end);
        if (m.length >= kTinyLine) m.bearingStart = m.bearingEnd = BearingOf(e.start, e.end);
        return QString();
    }
    if (e.kind == LandXmlElement::Spiral)
    {
        m.length = e.length;
        if (!(m.length >= 0.0)) return QStringLiteral("%1 has no length").arg(At(e, m));
        int rotation = e.rotation;
        if (e.pi.present && Distance(e.start, e.pi) > 1e-6 && Distance(e.pi, e.end) > 1e-6)
        {
            m.bearingStart = BearingOf(e.start, e.pi);
            m.bearingEnd = BearingOf(e.pi, e.end);
            if (!rotation && std::fabs(Turn(*m.bearingStart, *m.bearingEnd)) > 1e-9)
                rotation = Turn(*m.bearingStart, *m.bearingEnd) > 0 ? 1 : -1;
        }
        if (!rotation && (e.radiusStart > 0.0 || e.radiusEnd > 0.0))
            return QStringLiteral("%1 gives no rotation (rot) and no PI to tell it").arg(At(e, m));
        m.radiusStart = rotation * e.radiusStart;
        m.radiusEnd = rotation * e.radiusEnd;
        return QString();
    }

    // A circular curve: the centre from the file, else from radius, rotation and length.
    LandXmlPoint center = e.center;
    int rotation = e.rotation;
    if (!center.present)
    {
        const double chord = Distance(e.start, e.end);
        const double r = e.radius;
        if (!(r > 0.0) || !rotation || chord > 2.0 * r + 1e-6)
            return QStringLiteral("%1 has no Center and no usable radius and rotation").arg(At(e, m));
        const double half = std::sqrt(std::max(0.0, r * r - chord * chord / 4.0));
        const bool large = e.length > Angle::kPi * r;
        const double mn = 0.5 * (e.start.north + e.end.north), me = 0.5 * (e.start.east + e.end.east);
        // The centre lies right of the chord for a clockwise arc of less than half a turn.
        const double side = (large ? -1.0 : 1.0) * rotation;
        const double un = (e.end.north - e.start.north) / chord, ue = (e.end.east - e.start.east) / chord;
        // Right of direction (un, ue) in north-east coordinates is (-ue, un).
        center.present = true;
        center.north = mn - side * ue * half;
        center.east = me + side * un * half;
    }
    const double radius = Distance(center, e.start);
    if (!(radius > 1e-9) || !std::isfinite(radius)) return QStringLiteral("%1 has no radius").arg(At(e, m));
    const double toStart = BearingOf(center, e.start), toEnd = BearingOf(center, e.end);
    const auto sweepOf = [&](int rot) {
        double s = Angle::NormaliseBearing(rot > 0 ? toEnd - toStart : toStart - toEnd);
        if (s >= Angle::kTwoPi) s = 0.0;
        // A full circle has its end where it starts.
        if (s < 1e-12 && e.length > Angle::kPi * radius) s = Angle::kTwoPi;
        return s;
    };
    if (!rotation)
    {
        if (e.length > 0.0)
            rotation = std::fabs(sweepOf(1) * radius - e.length) <= std::fabs(sweepOf(-1) * radius - e.length) ? 1 : -1;
        else
            rotation = previousRotation ? previousRotation : (sweepOf(1) <= sweepOf(-1) ? 1 : -1);
    }
    m.length = sweepOf(rotation) * radius;
    m.radius = rotation * radius;
    m.bearingStart = Angle::NormaliseBearing(toStart + rotation * Angle::kPi / 2.0);
    m.bearingEnd = Angle::NormaliseBearing(toEnd + rotation * Angle::kPi / 2.0);
    return QString();
}

// Builds the route and runs the model's own chain over it as it grows, so that each straight can
// end on the file's coordinates and the ends can be compared.
class RouteBuilder
{
public:
    explicit RouteBuilder(CRoadDesign_Element& route) : m_route(route) {}

    void Start(double north, double east)
    {
        Road_Element p;
        p.type = 1;
        p.point.name = QStringLiteral("QD");
        p.point.x = north;
        p.point.y = east;
        Append(p);
    }
    // A straight of the given bearing that ends as near `end` as the chain allows; its length.
    double StraightTo(double bearing, const LandXmlPoint* end, double fallbackLength)
    {
        double length = fallbackLength;
        Settle(0.0);
        if (end)
        {
            // The chain's drift along the straight is absorbed here.
            const double dn = end->north - m_records.back().m_EndX, de = end->east - m_records.back().m_EndY;
            length = dn * std::cos(bearing) + de * std::sin(bearing);
        }
        if (!(length >= kConnector)) length = kConnector;
        Road_Element s;
        s.type = 2;
        s.azimuth = Angle::RadiansToDegrees(Angle::NormaliseBearing(bearing));
        s.length = length;
        Append(s);
        return length;
    }
    void Arc(double length, double signedRadius)
    {
        Road_Element a;
        a.type = 3;
        a.length = length;
        a.radius = signedRadius;
        Append(a);
    }
    void Transition(double length)
    {
        Road_Element t;
        t.type = 4;
        t.length = length;
        Append(t);
    }

    // The radius the chain has at its end: a transition's end radius is still open and taken
    // from whatever comes next.
    bool EndsInTransition() const { return m_route.m_Elements.back().type == 4; }
    double EndRadius() const { return m_records.back().m_EndRadius; }
    // The end of the chain so far; a transition at the end is computed as if a straight followed.
    double EndBearing()
    {
        if (!EndsInTransition()) return m_records.back().m_EndBearing;
        CRoadElement probe = m_records.back();
        probe.m_EndRadius = 0.0;
        return probe.Compute() ? probe.m_EndBearing : m_records.back().m_StartBearing;
    }
    int LastIndex() const { return static_cast<int>(m_route.m_Elements.size()) - 1; }
    const CRoadElement& Record(int index) const { return m_records[static_cast<size_t>(index)]; }
    // Every end within the range of survey grids (false offsets included).
    bool StaysOnTheGrid() const
    {
        for (const CRoadElement& r : m_records)
            if (!(std::fabs(r.m_EndX) < 1e9) || !(std::fabs(r.m_EndY) < 1e9)) return false;
        return true;
    }
    bool Failed() const { return m_failed; }

private:
    // Appends and computes as CRoadDesign::Calculate does: a transition is computed once its
    // successor (and with it its end radius) is known.
    void Append(const Road_Element& e)
    {
        m_route.m_Elements.push_back(e);
        CRoadElement r;
        r.m_Kind = e.type;
        switch (e.type)
        {
        case 1:
            r.m_StartX = e.point.x;
            r.m_StartY = e.point.y;
            r.m_StartStation = m_records.empty() ? m_route.m_StartMileage : 0.0;
            break;
        case 2:
            r.m_StartBearing = Angle::DegreesToRadians(e.azimuth);
            r.m_Length = e.length;
            break;
        case 3:
            r.m_Length = e.length;
            r.m_StartRadius = e.radius;
            break;
        default:
            r.m_Length = e.length;
            break;
        }
        Settle(r.m_StartRadius);
        if (r.m_Kind != CRoadElement::StartPoint && !m_records.empty())
        {
            const CRoadElement& p = m_records.back();
            r.m_StartX = p.m_EndX;
            r.m_StartY = p.m_EndY;
            r.m_StartStation = p.m_EndStation;
            const size_t i = m_records.size();
            if (r.m_Kind != CRoadElement::Straight || (i >= 3 && r.m_StartBearing < 1e-6)) r.m_StartBearing = p.m_EndBearing;
            if (r.m_Kind == CRoadElement::Transition) r.m_StartRadius = p.m_EndRadius;
        }
        if (r.m_Kind != CRoadElement::Transition && !r.Compute()) m_failed = true;
        m_records.push_back(r);
    }

    // Computes a transition at the end of the chain now that the radius after it is known.
    void Settle(double nextStartRadius)
    {
        if (m_records.empty() || m_records.back().m_Kind != CRoadElement::Transition) return;
        m_records.back().m_EndRadius = nextStartRadius;
        if (!m_records.back().Compute()) m_failed = true;
    }

    CRoadDesign_Element& m_route;
    std::vector<CRoadElement> m_records;
    bool m_failed = false;
};

QString Meters(double v) { return FormatFixed(v, 5) + QStringLiteral(" m"); }
} // namespace

LandXmlImportResult ImportLandXmlAlignment(const LandXmlAlignment& alignment, const LandXmlImportOptions& options,
                                           CRoadDesign_Element& route)
{
    LandXmlImportResult result;
    if (!alignment.refusal.isEmpty())
    {
        result.error = alignment.refusal;
        return result;
    }
    const std::vector<LandXmlElement>& elements = alignment.elements;
    const size_t n = elements.size();
    std::vector<Measured> measured(n);
    double running = alignment.staStart;
    int rotation = 0;
    for (size_t i = 0; i < n; ++i)
    {
        measured[i].stationStart = elements[i].hasStaStart ? elements[i].staStart : running;
        const QString problem = Measure(elements[i], rotation, measured[i]);
        if (!problem.isEmpty())
        {
            result.error = problem;
            return result;
        }
        running = measured[i].stationStart + measured[i].length;
        if (measured[i].radius) rotation = measured[i].radius > 0 ? 1 : -1;
        if (!std::isfinite(running))
        {
            result.error = QStringLiteral("%1: its values are not finite").arg(At(elements[i], measured[i]));
            return result;
        }
    }

    // Continuity, with the stations of both sides.
    QStringList breaks;
    for (size_t i = 0; i + 1 < n; ++i)
    {
        const double endStation = measured[i].stationStart + measured[i].length;
        const double gap = Distance(elements[i].end, elements[i + 1].start);
        if (gap > kGap)
            breaks << QStringLiteral("the end of %1 (station %2) and the start of %3 are %4 apart")
                          .arg(At(elements[i], measured[i]), FormatFixed(endStation, 3),
                               At(elements[i + 1], measured[i + 1]), Meters(gap));
        else if (measured[i].bearingEnd && measured[i + 1].bearingStart)
        {
            const double jump = std::fabs(Turn(*measured[i].bearingEnd, *measured[i + 1].bearingStart));
            if (jump > kBearingJump)
                breaks << QStringLiteral("the tangent turns by %1 rad between %2 (ending at station %3) and %4")
                              .arg(QString::number(jump, 'g', 4), At(elements[i], measured[i]),
                                   FormatFixed(endStation, 3), At(elements[i + 1], measured[i + 1]));
        }
    }
    if (!breaks.isEmpty() && options.strict)
    {
        result.error = QStringLiteral("continuity is broken: ") + breaks.join(QStringLiteral("; "));
        return result;
    }
    result.warnings << breaks;

    // Directions are cross-checked in every convention exporters use; one that fits none is
    // reported, the coordinates decide.
    for (size_t i = 0; i < n; ++i)
    {
        const LandXmlElement& e = elements[i];
        if (e.kind != LandXmlElement::Line || !e.hasDir || !measured[i].bearingStart) continue;
        const double b = *measured[i].bearingStart;
        bool fits = false;
        for (const double candidate : {b, -b, Angle::kPi / 2.0 - b})
            fits = fits || std::fabs(Turn(candidate, e.dir)) < 1e-3;
        if (!fits)
        {
            result.warnings << QStringLiteral("%1: its dir attribute does not match its coordinates; the coordinates "
                                              "are used")
                                   .arg(At(e, measured[i]));
            break;
        }
    }
    for (const LandXmlStationEquation& q : alignment.equations)
        result.warnings << QStringLiteral("station equation back %1 / ahead %2 is not applied (routes have none)")
                               .arg(FormatFixed(q.back, 3), FormatFixed(q.ahead, 3));

    route.Initialize();
    route.m_RoadName = alignment.name;
    route.m_StartMileage = measured.empty() ? alignment.staStart : measured[0].stationStart;
    if (n == 0)
    {
        result.error = QStringLiteral("the alignment has no elements");
        return result;
    }
    if (elements[0].hasStaStart && std::fabs(elements[0].staStart - alignment.staStart) > kGap)
        result.warnings << QStringLiteral("the alignment starts at station %1 but its first element at %2; the "
                                          "element's station is used")
                               .arg(FormatFixed(alignment.staStart, 3), FormatFixed(elements[0].staStart, 3));

    // A tiny line takes its bearing from its neighbours: the previous tangent, else the next.
    std::vector<std::optional<double>> lineBearing(n);
    for (size_t i = 0; i < n; ++i)
    {
        if (elements[i].kind != LandXmlElement::Line) continue;
        lineBearing[i] = measured[i].bearingStart;
        if (lineBearing[i]) continue;
        for (size_t j = i; j-- > 0 && !lineBearing[i];) lineBearing[i] = measured[j].bearingEnd;
        for (size_t j = i + 1; j < n && !lineBearing[i]; ++j) lineBearing[i] = measured[j].bearingStart;
        if (!lineBearing[i]) lineBearing[i] = BearingOf(elements[i].start, elements[i].end);
    }
    // The start tangent of the whole alignment, for a lead-in straight.
    std::optional<double> firstBearing;
    for (size_t i = 0; i < n && !firstBearing; ++i)
        firstBearing = elements[i].kind == LandXmlElement::Line ? lineBearing[i] : measured[i].bearingStart;
    if (!firstBearing)
    {
        result.error = QStringLiteral("no element gives the alignment's start direction");
        return result;
    }

    RouteBuilder builder(route);
    const LandXmlElement& first = elements[0];
    if (first.kind == LandXmlElement::Line)
        builder.Start(first.start.north, first.start.east);
    else
    {
        // The model starts with a straight: a lead-in that ends exactly at the file's start. The
        // stations after it are 0.01 mm higher: a route file keeps its start station to the
        // millimetre only, so moving the start back by the lead-in would be lost on saving.
        builder.Start(first.start.north - kConnector * std::cos(*firstBearing),
                      first.start.east - kConnector * std::sin(*firstBearing));
        builder.StraightTo(*firstBearing, nullptr, kConnector);
        result.notes << QStringLiteral("a straight of %1 leads into the first element, which is no Line")
                            .arg(Meters(kConnector));
    }

    // A connector of the model's shortest length that brings the chain to `radius`, so that the
    // transition before it ends there or the one after it starts there.
    const auto connect = [&](double radius, const Measured& m, const LandXmlElement& e) {
        if (radius == 0.0)
            builder.StraightTo(builder.EndBearing(), nullptr, kConnector);
        else
            builder.Arc(kConnector, radius);
        result.notes << QStringLiteral("a connector of %1 (radius %2) joins %3 to the element before it")
                            .arg(Meters(kConnector), radius == 0.0 ? QStringLiteral("INF") : FormatFixed(radius, 4),
                                 At(e, m));
    };

    result.routeIndexOfEnd.assign(n, -1);
    double pendingEndRadius = 0.0; // the end radius a transition at the chain's end must reach
    for (size_t i = 0; i < n; ++i)
    {
        const LandXmlElement& e = elements[i];
        Measured m = measured[i];
        // A spiral between two equal radii is an arc, one between two straight ends a line.
        if (e.kind == LandXmlElement::Spiral && m.radiusStart == m.radiusEnd)
        {
            if (m.radiusStart == 0.0) m.kind = LandXmlElement::Line;
            else m.kind = LandXmlElement::Curve, m.radius = m.radiusStart;
        }
        const bool afterTransition = builder.EndsInTransition();
        if (afterTransition)
        {
            // The transition before ends at the start radius of what follows; the model starts a
            // transition at 0 until it is computed.
            const bool spiral = m.kind == LandXmlElement::Spiral;
            const double next = m.kind == LandXmlElement::Curve ? m.radius : 0.0;
            if (spiral ? (pendingEndRadius != 0.0 || m.radiusStart != 0.0) : !SameRadius(next, pendingEndRadius))
                connect(pendingEndRadius, m, e);
        }
        if (m.kind == LandXmlElement::Spiral && m.length >= 1e-6 && !builder.EndsInTransition() &&
            !SameRadius(builder.EndRadius(), m.radiusStart))
            connect(m.radiusStart, m, e);
        switch (m.kind)
        {
        case LandXmlElement::Line:
        {
            const bool onlyNoise = m.length < 1e-6;
            if (onlyNoise && i > 0 && i + 1 < n)
            {
                result.notes << QStringLiteral("%1 of no length is left out").arg(At(e, m));
                continue;
            }
            const double bearing = lineBearing[i] ? *lineBearing[i] : BearingOf(e.start, e.end);
            const double length = builder.StraightTo(bearing, &e.end, m.length);
            if (std::fabs(length - m.length) > 1e-5)
                result.notes << QStringLiteral("%1: length %2 instead of %3 to end on the file's End")
                                    .arg(At(e, m), FormatFixed(length, 6), FormatFixed(m.length, 6));
            if (m.length < kTinyLine && m.length >= 1e-6)
                result.notes << QStringLiteral("%1 is shorter than 1 mm and takes its bearing from its neighbours")
                                    .arg(At(e, m));
            break;
        }
        case LandXmlElement::Curve:
        {
            if (m.length < 1e-6)
            {
                // An arc of no length still carries its radius between two spirals.
                const bool needed = afterTransition || (i + 1 < n && elements[i + 1].kind == LandXmlElement::Spiral);
                if (!needed)
                {
                    result.notes << QStringLiteral("%1 of no length is left out").arg(At(e, m));
                    continue;
                }
                result.notes << QStringLiteral("%1 of no length is kept %2 long for its radius")
                                    .arg(At(e, m), Meters(kConnector));
                m.length = kConnector;
            }
            builder.Arc(m.length, m.radius);
            break;
        }
        case LandXmlElement::Spiral:
        {
            if (m.length < 1e-6)
            {
                result.notes << QStringLiteral("%1 of no length is left out").arg(At(e, m));
                continue;
            }
            builder.Transition(m.length);
            pendingEndRadius = m.radiusEnd;
            break;
        }
        }
        result.routeIndexOfEnd[i] = builder.LastIndex();
    }
    // The model ends with a straight.
    if (builder.EndsInTransition() && pendingEndRadius != 0.0)
    {
        builder.Arc(kConnector, pendingEndRadius);
        result.notes << QStringLiteral("a connector of %1 keeps the last spiral's end radius").arg(Meters(kConnector));
    }
    if (route.m_Elements.back().type != 2)
    {
        builder.StraightTo(builder.EndBearing(), nullptr, kConnector);
        result.notes << QStringLiteral("a straight of %1 follows the last element, which is no Line")
                            .arg(Meters(kConnector));
    }
    if (builder.Failed())
    {
        result.error = QStringLiteral("the alignment's elements cannot be computed as a route");
        return result;
    }
    // The model computes clothoids by series that hold for the turns of roads; a spiral it cannot
    // follow (a coil of many turns, lengths that do not fit the coordinates) shows in its chord,
    // which no drift before it changes.
    for (size_t i = 0; i < n; ++i)
    {
        const int k = result.routeIndexOfEnd[i];
        if (elements[i].kind != LandXmlElement::Spiral || k < 0) continue;
        const CRoadElement& r = builder.Record(k);
        const double chord = std::hypot(r.m_EndX - r.m_StartX, r.m_EndY - r.m_StartY);
        const double fileChord = Distance(elements[i].start, elements[i].end);
        if (!(std::fabs(chord - fileChord) <= 0.05 + 1e-3 * measured[i].length))
        {
            result.error = QStringLiteral("%1: a clothoid of this length and these radii does not reach its End "
                                          "(chord %2 instead of %3)")
                               .arg(At(elements[i], measured[i]), Meters(chord), Meters(fileChord));
            return result;
        }
    }
    if (!builder.StaysOnTheGrid())
    {
        result.error = QStringLiteral("the route computed from the alignment leaves the range of survey coordinates");
        return result;
    }
    result.ok = true;
    return result;
}

double LandXmlEndDeviation(const LandXmlAlignment& alignment, const LandXmlImportResult& import,
                           const CRoadDesign& model, double* worstStation)
{
    double worst = -1.0;
    const size_t n = std::min(alignment.elements.size(), import.routeIndexOfEnd.size());
    double running = alignment.staStart;
    for (size_t i = 0; i < n; ++i)
    {
        const LandXmlElement& e = alignment.elements[i];
        const double station = (e.hasStaStart ? e.staStart : running) + e.length;
        running = station;
        const int k = import.routeIndexOfEnd[i];
        if (k < 0 || static_cast<size_t>(k) >= model.m_RoadElements.size() || !e.end.present) continue;
        const CRoadElement& r = model.m_RoadElements[static_cast<size_t>(k)];
        const double d = std::hypot(r.m_EndX - e.end.north, r.m_EndY - e.end.east);
        if (d > worst)
        {
            worst = d;
            if (worstStation) *worstStation = station;
        }
    }
    return worst;
}

bool ImportLandXmlFile(const QString& path, const QString& name, const LandXmlImportOptions& options,
                       CRoadDesign_Element& route, CRoadDesign& model, LandXmlFileImport& import, QString& error)
{
    LandXmlDocument document;
    if (!ReadLandXmlFile(path, document, error)) return false;
    const LandXmlAlignment* chosen = nullptr;
    for (const LandXmlAlignment& a : document.alignments)
        if (name.isEmpty() || a.name == name)
        {
            chosen = &a;
            break;
        }
    if (!chosen)
    {
        QStringList names;
        for (const LandXmlAlignment& a : document.alignments) names << QLatin1Char('"') + a.name + QLatin1Char('"');
        error = QStringLiteral("no alignment is named \"%1\" (the file holds %2)").arg(name, names.join(QStringLiteral(", ")));
        return false;
    }
    import.alignment = *chosen;
    import.result = ImportLandXmlAlignment(import.alignment, options, route);
    if (!import.result.ok)
    {
        error = QStringLiteral("alignment \"%1\": %2").arg(chosen->name, import.result.error);
        return false;
    }
    // Computed as the apply step computes a route: through the curve exchange text.
    CRoadDesign check;
    QString text;
    if (!CheckRouteElements(route) || !check.LoadRoadData(&route) || !route.REToTDFEText(text) || !model.LoadTDFEText(text))
    {
        error = QStringLiteral("alignment \"%1\": the imported route cannot be computed").arg(chosen->name);
        return false;
    }
    import.worstDeviation = LandXmlEndDeviation(import.alignment, import.result, model, &import.worstStation);
    return true;
}
