// `tesvane element`: the geometry of one alignment element, forward and back.
#include "CliUtil.h"
#include "Command.h"

#include "geometry/Angle.h"
#include "platform/NumberText.h"
#include "road/CRoadElement.h"

#include <cmath>

namespace
{
const char* const kHelp =
    "usage: tesvane element straight|circle|transition --start X,Y --bearing DEG --length M\n"
    "                      [--radius R] [--end-radius R] [--station S] [--offset D] [--step M]\n"
    "\n"
    "Prints the point and tangent bearing along one element every STEP metres (default 20) and\n"
    "at its end, shifted by the offset (positive to the right), and the station and offset that\n"
    "the inverse computation finds for each printed point.\n"
    "\n"
    "  --start X,Y       start point: X northing, Y easting (metres)\n"
    "  --bearing DEG     start bearing, decimal degrees clockwise from north\n"
    "  --length M        element length\n"
    "  --radius R        circle radius, or the transition's radius at its start (0 = straight);\n"
    "                    positive turns right, negative left\n"
    "  --end-radius R    the transition's radius at its end (0 = straight)\n"
    "  --station S       station of the start point (default 0)\n";

bool ParsePoint(const QString& text, double& x, double& y)
{
    const QStringList parts = text.split(QLatin1Char(','));
    return parts.size() == 2 && ParseNumber(parts[0], x) && ParseNumber(parts[1], y);
}

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    QString error;
    QString start;
    bool hasStart = false;
    double bearing = 0, length = 0, radius = 0, endRadius = 0, station = 0, offset = 0, step = 20;
    bool hasBearing = false, hasLength = false;
    {
        QString text;
        if (!TakeOption(args, "--start", start, hasStart, error)) return UsageError(error);
        if (!TakeOption(args, "--bearing", text, hasBearing, error)) return UsageError(error);
        if (hasBearing && !ParseNumber(text, bearing)) return UsageError("--bearing: \"" + text + "\" is not a number");
        if (!TakeOption(args, "--length", text, hasLength, error)) return UsageError(error);
        if (hasLength && !ParseNumber(text, length)) return UsageError("--length: \"" + text + "\" is not a number");
    }
    if (!TakeNumberOption(args, "--radius", radius, error) || !TakeNumberOption(args, "--end-radius", endRadius, error) ||
        !TakeNumberOption(args, "--station", station, error) || !TakeNumberOption(args, "--offset", offset, error) ||
        !TakeNumberOption(args, "--step", step, error))
        return UsageError(error);
    if (args.size() != 1) return UsageError("give one element kind: straight, circle or transition (see --help)");
    if (!hasStart || !hasLength) return UsageError("--start and --length are required");

    CRoadElement e;
    const QString kind = args[0];
    if (kind == "straight")
        e.m_Kind = CRoadElement::Straight;
    else if (kind == "circle")
        e.m_Kind = CRoadElement::CircularCurve;
    else if (kind == "transition")
        e.m_Kind = CRoadElement::Transition;
    else
        return UsageError("unknown element kind \"" + kind + "\"; use straight, circle or transition");
    if (!ParsePoint(start, e.m_StartX, e.m_StartY)) return UsageError("--start needs X,Y, got \"" + start + "\"");
    if (!(length > 0)) return UsageError("--length must be positive");
    if (!(step > 0)) return UsageError("--step must be positive");
    if (length / step > 1e6) return UsageError("--step is too small for this length (more than a million points)");
    e.m_StartBearing = Angle::DegreesToRadians(bearing);
    e.m_Length = length;
    e.m_StartStation = station;
    e.m_StartRadius = radius;
    e.m_EndRadius = kind == "circle" ? radius : endRadius;
    if (kind == "circle" && radius == 0) return UsageError("a circle needs --radius");
    if (kind == "transition" && radius == 0 && endRadius == 0)
        return UsageError("a transition needs --radius or --end-radius (or both)");
    if (!e.Compute()) return Failure("the element cannot be computed with these values (equal or opposite radii?)");

    Out(QString::asprintf("%12s %15s %15s %14s %16s %12s %10s\n", "station", "x", "y", "bearing(deg)",
                          "bearing(dms)", "inv.station", "inv.offset"));
    const long steps = static_cast<long>(std::floor(length / step + 1e-9));
    for (long i = 0; i <= steps + 1; ++i)
    {
        double s = station + std::min(i * step, length);
        if (i == steps + 1 && std::fabs(steps * step - length) < 1e-9) break; // the end was a step
        double x = 0, y = 0, b = 0;
        e.GetAngleAndXY(s, x, y, b, offset);
        double backStation = 0, backOffset = 0;
        const bool found = e.GetPegAndOffset(x, y, backStation, backOffset);
        Out(QString::asprintf("%12.4f %15.4f %15.4f %14s %16s ", s, x, y, FormatFixed(Angle::RadiansToDegrees(b), 8).toUtf8().constData(),
                              Angle::RadiansToPackedDmsText(b, 5).toUtf8().constData()) +
            (found ? QString("%1 %2\n").arg(FormatFixed(backStation, 4), 12).arg(FormatFixed(backOffset, 4), 10) : QStringLiteral("         off\n")));
    }
    return kExitOk;
}

RegisterCommand registration({"element",
                              "element KIND --start X,Y --bearing DEG --length M [...]   one element's geometry",
                              kHelp, &Run});
} // namespace
