#include "road/RouteOptionFile.h"

#include "markup/CXmlDocument.h"
#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "platform/TextCodec.h"

int ReadRouteOptionFile(const QString& path, const QString& section, Road_Calculate_Option& option)
{
    CXmlDocument doc;
    if (!doc.Load(path)) return 0;
    if (!doc.FindElem(QStringLiteral("HEAD"))) return 0;
    doc.IntoElem();
    if (!doc.FindElem(section)) return 0;
    doc.IntoElem();
    // Elements are read in document order: the version comes first and is not used.
    doc.FindElem(QStringLiteral("Ver"));
    if (doc.FindElem(QStringLiteral("Option")))
    {
        if (doc.FindChildElem(QStringLiteral("CalculateMode"))) option.CalculateMode = LeadingInteger(doc.GetChildData());
        if (doc.FindChildElem(QStringLiteral("Interval"))) option.Interval = LeadingNumber(doc.GetChildData());
    }
    return 1;
}

int SaveRouteOptionFile(const QString& path, const QString& section, int calculateMode, const QString& intervalText)
{
    CXmlDocument doc;
    doc.SetDoc(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    doc.AddElem(QStringLiteral("HEAD"));
    doc.IntoElem();
    doc.AddElem(section);
    doc.IntoElem();
    doc.AddElem(QStringLiteral("Ver"), QStringLiteral("1.0.1.1"));
    doc.AddElem(QStringLiteral("Option"));
    doc.AddChildElem(QStringLiteral("CalculateMode"), QString::number(calculateMode));
    doc.AddChildElem(QStringLiteral("Interval"), intervalText);
    return WriteFileAtomically(path, ToUtf8(doc.GetDoc())) ? 1 : 0;
}
