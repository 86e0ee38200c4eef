// tesvane fit: conversion parameters from a control-point table.

#include "CliUtil.h"
#include "Command.h"

#include "coord/CCoordinateCalculate.h"
#include "coord/CCoordinateSystem.h"
#include "geometry/Angle.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>

namespace
{
bool IsFlag(const QString& text, int& value)
{
    const QString t = text.trimmed();
    if (t == QLatin1String("0") || t == QLatin1String("1"))
    {
        value = t.toInt();
        return true;
    }
    return false;
}

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error, csPath, method, outPath;
    bool found = false;
    if (!TakeOption(args, QStringLiteral("--cs"), csPath, found, error)) return UsageError(error);
    if (!found) return UsageError(QStringLiteral("fit needs --cs BASE.xml"));
    if (!TakeOption(args, QStringLiteral("--method"), method, found, error)) return UsageError(error);
    if (!found) return UsageError(QStringLiteral("fit needs --method seven|plane-height|shift"));
    if (!TakeOption(args, QStringLiteral("-o"), outPath, found, error)) return UsageError(error);
    if (!found) return UsageError(QStringLiteral("fit needs -o RESULT.xml"));
    const bool linear = args.removeAll(QStringLiteral("--linear")) > 0;
    if (method != QLatin1String("seven") && method != QLatin1String("plane-height") && method != QLatin1String("shift"))
        return UsageError(QStringLiteral("unknown method \"%1\" (seven, plane-height or shift)").arg(method));
    if (args.size() != 1) return UsageError(QStringLiteral("fit needs exactly one CONTROL.csv"));
    const QString csvPath = args.first();

    CCoordinateSystem base;
    base.SetFileName(csPath);
    if (!base.ConfigRead()) return UsageError(QStringLiteral("cannot read the coordinate system file %1").arg(csPath));

    QFile csv(csvPath);
    if (!csv.open(QIODevice::ReadOnly)) return UsageError(QStringLiteral("cannot open %1").arg(csvPath));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));

    CCoordinateCalculate calc;
    calc.SetCoordinateSystem(base.Get());
    CoordinateSystem_ConvertCalculateParameter option;
    option.sevenMode = linear ? 0 : 1;
    calc.SetConvertCalculatePar(option);
    for (int i = 0; i < lines.size(); ++i)
    {
        const QString line = lines[i].trimmed();
        const int lineNo = i + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(QLatin1Char(','));
        if (lineNo == 1 && f.value(0).trimmed().compare(QLatin1String("label"), Qt::CaseInsensitive) == 0) continue;
        if (f.size() != 9)
            return UsageError(QStringLiteral("%1 line %2: expected 9 fields (label,x,y,h,B,L,H,use-plane,use-height), got %3")
                                  .arg(csvPath)
                                  .arg(lineNo)
                                  .arg(f.size()));
        static const char* names[] = {"label", "x", "y", "h", "B", "L", "H"};
        for (int k = 1; k <= 6; ++k)
        {
            double v = 0;
            if (!ParseNumber(f[k], v))
                return UsageError(QStringLiteral("%1 line %2: %3 \"%4\" is not a number")
                                      .arg(csvPath)
                                      .arg(lineNo)
                                      .arg(QString::fromLatin1(names[k]), f[k].trimmed()));
        }
        ControlCoordinateLibraryData d;
        d.label = f[0].trimmed();
        d.x = f[1].trimmed();
        d.y = f[2].trimmed();
        d.h = f[3].trimmed();
        d.B = f[4].trimmed();
        d.L = f[5].trimmed();
        d.H = f[6].trimmed();
        if (std::fabs(CCoordinateCalculate::PackedDmsToRadians(d.B)) > Angle::kHalfPi)
            return UsageError(QStringLiteral("%1 line %2: latitude %3 is outside ±90°").arg(csvPath).arg(lineNo).arg(d.B));
        if (!IsFlag(f[7], d.usePlane) || !IsFlag(f[8], d.useHeight))
            return UsageError(QStringLiteral("%1 line %2: use-plane and use-height must be 0 or 1").arg(csvPath).arg(lineNo));
        calc.ControlCoordinateLibrary_Add(d);
    }
    if (calc.ControlCoordinateLibrary_GetSize() == 0) return UsageError(QStringLiteral("%1 holds no control points").arg(csvPath));

    int ok = 0;
    if (method == QLatin1String("seven")) ok = calc.Calculate_SevernPar();
    else if (method == QLatin1String("plane-height")) ok = calc.Calculate_HAndVPar(base.Get().SevenParameter.Use);
    else ok = calc.Calculate_CorrectPar();
    if (!ok) return Failure(QStringLiteral("the calculation failed: not enough usable control points"));

    CoordinateSystem_Parameter result = calc.GetCalculateCoordinateSystem();
    if (result.Name.isEmpty()) result.Name = base.Get().Name;
    CCoordinateSystem out;
    out.SetFileName(outPath);
    if (!out.Set(result)) return Failure(QStringLiteral("cannot write %1").arg(outPath));

    QString text = QStringLiteral("label plane-residual height-residual\n");
    for (int i = 0; i < calc.ControlCoordinateLibrary_GetSize(); ++i)
    {
        ControlCoordinateLibraryData d;
        calc.ControlCoordinateLibrary_GetAt(i, d);
        text += QStringLiteral("%1 %2 %3\n").arg(d.label, QString::asprintf("%.4f", d.planeResidual),
                                               QString::asprintf("%.4f", d.heightResidual));
    }
    Out(text);
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("fit"),
                           QStringLiteral("fit CONTROL.csv --cs BASE.xml --method seven|plane-height|shift -o RESULT.xml"),
                           QStringLiteral(
                               "usage: tesvane fit CONTROL.csv --cs BASE.xml --method seven|plane-height|shift\n"
                               "         -o RESULT.xml [--linear]\n\n"
                               "Computes conversion parameters from control points. Each CSV row holds\n"
                               "label,x,y,h,B,L,H,use-plane,use-height: known grid northing, easting and height,\n"
                               "WGS84 latitude and longitude as packed degrees.minutes-seconds (DDD.MMSSss) and the\n"
                               "ellipsoidal height; use-plane and use-height are 0 or 1. A first row starting with\n"
                               "\"label\" is a header. Methods: seven (seven-parameter datum shift, rigorous unless\n"
                               "--linear), plane-height (four-parameter plane fit and height surface on top of the\n"
                               "base system), shift (constant shifts). Writes the result system and prints every\n"
                               "point's residuals (plane distance, converted minus known height)."),
                           &Run});
} // namespace
