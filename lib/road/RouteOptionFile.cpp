#include "road/RouteOptionFile.h"

#include "markup/ConfigDocument.h"
#include "platform/NumberText.h"

int ReadRouteOptionFile(const QString& path, const QString& section, Road_Calculate_Option& option)
{
    ConfigDocument cfg(section);
    if (!cfg.Load(path)) return 0;
    // A file without options is still an option file: the options keep their values.
    if (cfg.FindGroup(QStringLiteral("Option")))
    {
        cfg.ReadChild(QStringLiteral("CalculateMode"), option.CalculateMode, LeadingInteger);
        cfg.ReadChild(QStringLiteral("Interval"), option.Interval, LeadingNumber);
    }
    return 1;
}

int SaveRouteOptionFile(const QString& path, const QString& section, int calculateMode, const QString& intervalText)
{
    ConfigDocument cfg(section);
    cfg.AddGroup(QStringLiteral("Option"));
    cfg.AddChild(QStringLiteral("CalculateMode"), calculateMode);
    cfg.AddChild(QStringLiteral("Interval"), intervalText);
    return cfg.Save(path) ? 1 : 0;
}
