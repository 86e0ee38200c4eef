#include "app/core/ExportOptionsFile.h"

#include "markup/ConfigDocument.h"
#include "platform/FileIO.h"
#include "platform/MessageSink.h"
#include "platform/NumberText.h"

#include <cmath>

namespace
{
const QString kSection = QStringLiteral("RoadDesign_Export");

// A distance as entered, to the micrometre: trailing zeros are dropped, so whole metres read
// "50" as earlier versions wrote them and 3.5 m stays 3.5 m. Never "-0" nor "nan".
QString DistanceText(double metres)
{
    QString text = FormatFixed(metres, 6);
    if (text.contains(QLatin1Char('.')))
    {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}
} // namespace

QString ExportOptionsPath(const QString& configDir) { return JoinPath(configDir, QStringLiteral("\\RoadExport.cfg")); }

void ReadExportOptions(const QString& configDir, ExportOptions& options)
{
    ConfigDocument cfg(kSection);
    if (!cfg.Load(ExportOptionsPath(configDir))) return;
    if (!cfg.FindGroup(QStringLiteral("Option"))) return;
    // The options may come in any order.
    cfg.ReadChild(QStringLiteral("CalculateMode"), options.mode, LeadingInteger);
    cfg.RewindChildren();
    cfg.ReadChild(QStringLiteral("Interval"), options.interval, LeadingNumber);
    cfg.RewindChildren();
    cfg.ReadChild(QStringLiteral("OffsetDistance"), options.offset, LeadingNumber);
    // Files of earlier versions have no layout: they keep the stake file's own.
    cfg.RewindChildren();
    cfg.ReadChild(QStringLiteral("Layout"), options.layout, LeadingInteger);
    if (options.layout != 1) options.layout = 0;
}

bool SaveExportOptions(const QString& configDir, const ExportOptions& options)
{
    ConfigDocument cfg(kSection);
    cfg.AddGroup(QStringLiteral("Option"));
    cfg.AddChild(QStringLiteral("CalculateMode"), options.mode);
    cfg.AddChild(QStringLiteral("Interval"), DistanceText(options.interval));
    cfg.AddChild(QStringLiteral("OffsetDistance"), DistanceText(options.offset));
    // Only a layout other than the stake file's own is written, so that files stay as earlier
    // versions wrote them unless the user chose the field layout.
    if (options.layout == 1) cfg.AddChild(QStringLiteral("Layout"), options.layout);
    return cfg.Save(ExportOptionsPath(configDir));
}

bool AcceptExportOptions(const QString& configDir, const ExportOptions& options)
{
    // Written so that NaN is refused as well.
    if (!(std::fabs(options.interval) >= 1e-6) || !(options.interval >= 1e-6) || !std::isfinite(options.interval) ||
        !std::isfinite(options.offset))
    {
        ShowMessage(QStringLiteral("间隔输入错误，请重新输入！"), WarningCaption(), MessageKind::Warning);
        return false;
    }
    (void)SaveExportOptions(configDir, options);
    return true;
}
