// tesvane project: forward or inverse map projection of points read from standard input.

#include "CliUtil.h"
#include "Command.h"

#include "coord/CCoordinateProject.h"
#include "coord/CCoordinateSystem.h"
#include "geometry/Angle.h"

#include <QRegularExpression>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace
{
constexpr double kDeg = Angle::kDegree;

bool ParsePair(const QString& text, double& a, double& b)
{
    const QStringList parts = text.split(QLatin1Char(','));
    return parts.size() == 2 && ParseNumber(parts[0], a) && ParseNumber(parts[1], b);
}

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error, csPath, ellipsoidText, parallelsText;
    bool found = false;
    if (!TakeOption(args, QStringLiteral("--cs"), csPath, found, error)) return UsageError(error);

    CoordinateSystem_Parameter system;
    CCoordinateSystem::Initialize(system);
    if (found)
    {
        CCoordinateSystem file;
        file.SetFileName(csPath);
        if (!file.ConfigRead()) return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));
        system = file.Get();
    }
    CoordinateSystem_ProjectParameter& pp = system.ProjectParameter;
    CoordinateSystem_EllipsoidParameter& ell = system.EllipsoidParameter;
    if (!TakeOption(args, QStringLiteral("--ellipsoid"), ellipsoidText, found, error)) return UsageError(error);
    if (found && !ParsePair(ellipsoidText, ell.Axis, ell.ReciprocalofFlatRate))
        return UsageError(QStringLiteral("--ellipsoid needs A,RF (semi-major axis and reciprocal flattening)"));
    double type = pp.Type, cm = pp.CentralMeridian / kDeg, lat0 = pp.ReferenceLatitude / kDeg;
    double p1 = pp.Parallel1 / kDeg, p2 = pp.Parallel2 / kDeg;
    if (!TakeNumberOption(args, QStringLiteral("--type"), type, error) ||
        !TakeNumberOption(args, QStringLiteral("--central-meridian"), cm, error) ||
        !TakeNumberOption(args, QStringLiteral("--origin-latitude"), lat0, error) ||
        !TakeNumberOption(args, QStringLiteral("--false-northing"), pp.Tx, error) ||
        !TakeNumberOption(args, QStringLiteral("--false-easting"), pp.Ty, error) ||
        !TakeNumberOption(args, QStringLiteral("--scale"), pp.TK, error) ||
        !TakeNumberOption(args, QStringLiteral("--height"), pp.ProjectionHeight, error))
        return UsageError(error);
    if (!TakeOption(args, QStringLiteral("--parallels"), parallelsText, found, error)) return UsageError(error);
    if (found && !ParsePair(parallelsText, p1, p2)) return UsageError(QStringLiteral("--parallels needs DEG,DEG"));
    const bool inverse = args.removeAll(QStringLiteral("--inverse")) > 0;
    if (!args.isEmpty()) return UsageError(QStringLiteral("unexpected argument %1").arg(args.first()));
    if (type != std::floor(type)) return UsageError(QStringLiteral("--type needs an integer"));
    if (!(ell.Axis > 0) || !(ell.ReciprocalofFlatRate > 1)) return UsageError(QStringLiteral("unusable ellipsoid"));
    if (pp.TK == 0.0) return UsageError(QStringLiteral("--scale must not be 0"));
    pp.Type = static_cast<int>(type);
    pp.CentralMeridian = cm * kDeg;
    pp.ReferenceLatitude = lat0 * kDeg;
    pp.Parallel1 = p1 * kDeg;
    pp.Parallel2 = p2 * kDeg;

    CCoordinateProject projection;
    projection.SetEllipsoidPar(ell);
    projection.SetProjectPar(pp);

    QTextStream in(stdin);
    QString out;
    int lineNo = 0;
    while (!in.atEnd())
    {
        const QString line = in.readLine();
        ++lineNo;
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = trimmed.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        double a = 0, b = 0;
        if (f.size() != 2 || !ParseNumber(f[0], a) || !ParseNumber(f[1], b))
        {
            Out(out);
            return UsageError(QStringLiteral("line %1: expected two numbers, got \"%2\"").arg(lineNo).arg(trimmed));
        }
        if (inverse)
        {
            double B = 0, L = 0;
            projection.Proj_xytoBL(a, b, B, L);
            out += QString::asprintf("%.9f %.9f\n", B / kDeg, L / kDeg);
        }
        else
        {
            if (std::fabs(a) > 90.0) return UsageError(QStringLiteral("line %1: latitude %2 is outside ±90°").arg(lineNo).arg(a));
            double x = 0, y = 0;
            projection.Proj_BLtoxy(a * kDeg, b * kDeg, x, y);
            out += QString::asprintf("%.4f %.4f\n", x, y);
        }
    }
    Out(out);
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("project"),
                           QStringLiteral("project [--cs FILE | --ellipsoid A,RF --type N ...] [--inverse]"),
                           QStringLiteral(
                               "usage: tesvane project [--cs FILE | --ellipsoid A,RF --type N --central-meridian DEG\n"
                               "         --origin-latitude DEG --false-northing M --false-easting M --scale K\n"
                               "         --height H --parallels DEG,DEG] [--inverse]\n\n"
                               "Reads \"latitude longitude\" in decimal degrees, one point per line, from standard\n"
                               "input and writes \"x y\" (northing, easting) with 4 decimals. With --inverse reads\n"
                               "\"x y\" and writes \"latitude longitude\". The projection comes from a coordinate\n"
                               "system file (--cs) or from the options; options given with --cs override the file.\n"
                               "Defaults: Krassovsky ellipsoid, type 0 (Gauss), false easting 500000, scale 1.\n"
                               "Types: 0-2 Gauss with projection height, 3 stereographic, 4 oblique stereographic,\n"
                               "5 Mercator, 6 Lambert one parallel, 7 Lambert two parallels."),
                           &Run});
} // namespace
