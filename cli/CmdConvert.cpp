// tesvane convert: geodetic coordinates to the grid of a coordinate system file, or back.

#include "CliUtil.h"
#include "Command.h"

#include "coord/CCoordinateConvert.h"
#include "coord/CCoordinateSystem.h"

#include <QRegularExpression>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace
{
int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error, csPath;
    bool found = false;
    if (!TakeOption(args, QStringLiteral("--cs"), csPath, found, error)) return UsageError(error);
    if (!found) return UsageError(QStringLiteral("convert needs --cs FILE"));
    const bool inverse = args.removeAll(QStringLiteral("--inverse")) > 0;
    if (!args.isEmpty()) return UsageError(QStringLiteral("unexpected argument %1").arg(args.first()));
    CCoordinateSystem file;
    file.SetFileName(csPath);
    if (!file.ConfigRead()) return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));
    const CoordinateSystem_Parameter cs = file.Get();

    CCoordinateConvert converter;
    converter.SetDestinationEllipsoid(cs.EllipsoidParameter);
    converter.SetProjection(cs.ProjectParameter);
    converter.SetSevenParameter(cs.SevenParameter);
    converter.SetFourParameter(cs.FourParameter);
    converter.SetCorrectPar(cs.CorrectParameter);
    converter.SetHeightFittingPar(cs.HeightFittingParameter);
    converter.SetVerticalBalancingPar(cs.VerticalBalancingParameter);

    QTextStream in(stdin);
    QString out;
    int lineNo = 0;
    while (!in.atEnd())
    {
        const QString trimmed = in.readLine().trimmed();
        ++lineNo;
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = trimmed.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        double v[3] = {0, 0, 0};
        if (f.size() != 3 || !ParseNumber(f[0], v[0]) || !ParseNumber(f[1], v[1]) || !ParseNumber(f[2], v[2]))
        {
            Out(out);
            return UsageError(QStringLiteral("line %1: expected three numbers, got \"%2\"").arg(lineNo).arg(trimmed));
        }
        if (inverse)
        {
            BLHCoord blh;
            converter.xyhToBLH(xyhCoord{v[0], v[1], v[2]}, blh);
            out += QString::asprintf("%.9f %.9f %.4f\n", blh.B, blh.L, blh.H);
        }
        else
        {
            if (std::fabs(v[0]) > 90.0)
                return UsageError(QStringLiteral("line %1: latitude %2 is outside ±90°").arg(lineNo).arg(v[0]));
            xyhCoord xyh;
            converter.BLHToxyh(BLHCoord{v[0], v[1], v[2]}, xyh);
            out += QString::asprintf("%.4f %.4f %.4f\n", xyh.x, xyh.y, xyh.h);
        }
    }
    Out(out);
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("convert"), QStringLiteral("convert --cs FILE [--inverse]"),
                           QStringLiteral("usage: tesvane convert --cs FILE [--inverse]\n\n"
                                          "Reads \"B L H\" (WGS84 latitude and longitude in decimal degrees, ellipsoidal\n"
                                          "height in metres) per line from standard input and writes \"x y h\" through\n"
                                          "every step of the coordinate system file: seven parameters, projection,\n"
                                          "four parameters, shifts and height corrections. --inverse goes back."),
                           &Run});
} // namespace
