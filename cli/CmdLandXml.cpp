// `tesvane landxml`: alignments from and to LandXML files.
#include "CmdRouteShared.h"

#include "platform/NumberText.h"
#include "road/CRoadDesign_Element.h"
#include "road/LandXml.h"

#include <QDir>

namespace
{
const char* const kHelp =
    "usage: tesvane landxml import FILE.xml OUT.RE [--alignment NAME] [--strict]\n"
    "       tesvane landxml import FILE.xml --list\n"
    "       tesvane landxml export ROUTE OUT.xml\n"
    "\n"
    "import  reads the horizontal geometry (Line, Curve, clothoid Spiral) of one alignment, the\n"
    "        first or the one named, and writes it as an element route. Bearings come from the\n"
    "        coordinates; lengths are converted from the file's units to metres. Breaks in\n"
    "        continuity (ends more than 1 mm apart, tangents turning more than 1e-4 rad) are\n"
    "        reported with their stations; --strict refuses such a file. Station equations are\n"
    "        reported, not applied. The route is computed afterwards and the largest distance\n"
    "        between its element ends and the file's End coordinates is printed.\n"
    "  --list  prints each alignment: name, length, element count and start station.\n"
    "export  writes a route (.RE or .RP) as a LandXML 1.2 alignment (metres, decimal degrees).\n"
    "Exit status: 0 done, 1 the alignment or route cannot be used, 2 bad arguments or unreadable input.";

int List(const QString& path)
{
    LandXmlDocument document;
    QString error;
    if (!ReadLandXmlFile(path, document, error)) return UsageError(QStringLiteral("%1: %2").arg(path, error));
    for (const LandXmlAlignment& a : document.alignments)
    {
        QString line = QStringLiteral("%1\tlength %2 m\t%3 elements\tstart station %4")
                           .arg(a.name, FormatFixed(a.length, 3))
                           .arg(a.elements.size())
                           .arg(FormatFixed(a.staStart, 3));
        if (!a.refusal.isEmpty()) line += QStringLiteral("\tnot importable: ") + a.refusal;
        Out(line + QLatin1Char('\n'));
    }
    return kExitOk;
}

int Import(QStringList args)
{
    QString error, name;
    bool hasName = false;
    if (!TakeOption(args, QStringLiteral("--alignment"), name, hasName, error)) return UsageError(error);
    const bool strict = args.removeAll(QStringLiteral("--strict")) > 0;
    if (args.removeAll(QStringLiteral("--list")) > 0)
    {
        if (args.size() != 1) return UsageError(QStringLiteral("--list takes one LandXML file"));
        return List(args[0]);
    }
    if (args.size() != 2) return UsageError(QStringLiteral("give a LandXML file and a route file OUT.RE (see --help)"));
    const QString in = args[0], out = args[1];
    if (RouteModeOfPath(out) != RouteMode::Element)
        return UsageError(QStringLiteral("%1: the route written is an element route and ends in .RE").arg(out));

    LandXmlImportOptions options;
    options.strict = strict;
    CRoadDesign_Element route;
    CRoadDesign model;
    LandXmlFileImport import;
    RouteCli::HeldMessages held; // the route checks speak through the message sink
    const bool ok = ImportLandXmlFile(in, name, options, route, model, import, error);
    held.Stop();
    for (const QString& w : import.result.warnings) Err(QStringLiteral("%1: warning: %2\n").arg(in, w));
    if (!ok)
    {
        const bool unreadable = import.alignment.elements.empty() && import.result.error.isEmpty();
        return unreadable ? UsageError(QStringLiteral("%1: %2").arg(in, error))
                          : Failure(QStringLiteral("%1: %2").arg(in, error) + held.Reason());
    }
    held.Show(); // nothing failed: whatever the route checks said still reaches the user
    for (const QString& n : import.result.notes) Out(QStringLiteral("%1: note: %2\n").arg(in, n));
    if (!route.LibraryFile_Save(out))
        return Failure(QStringLiteral("%1: cannot be written").arg(QDir::toNativeSeparators(out)));
    Out(QStringLiteral("%1: alignment \"%2\", %3 route elements, stations %4 to %5, largest end deviation %6 m "
                       "(at station %7)\n")
            .arg(out, import.alignment.name)
            .arg(route.m_Elements.size())
            .arg(FormatFixed(model.m_RoadElements.front().m_StartStation, 4),
                 FormatFixed(model.m_RoadElements.back().m_EndStation, 4), FormatFixed(import.worstDeviation, 6),
                 FormatFixed(import.worstStation, 3)));
    return kExitOk;
}

int Export(const QStringList& args)
{
    if (args.size() != 2) return UsageError(QStringLiteral("give a route file and an output file OUT.xml (see --help)"));
    CRoadDesign model;
    if (const int code = RouteCli::LoadRoute(args[0], model, false); code != kExitOk) return code;
    QString error;
    if (!WriteLandXmlFile(model, args[1], error)) return Failure(QStringLiteral("%1: %2").arg(args[1], error));
    int elements = 0;
    for (const CRoadElement& r : model.m_RoadElements) elements += r.m_Kind != CRoadElement::StartPoint;
    Out(QStringLiteral("%1: alignment \"%2\", %3 elements\n").arg(args[1], model.m_RoadName).arg(elements));
    return kExitOk;
}

int Run(const QStringList& arguments)
{
    QStringList args = arguments;
    if (args.isEmpty()) return UsageError(QStringLiteral("landxml needs import or export (see --help)"));
    const QString action = args.takeFirst();
    if (action == QLatin1String("import")) return Import(args);
    if (action == QLatin1String("export")) return Export(args);
    return UsageError(QStringLiteral("landxml: unknown action \"%1\" (import or export)").arg(action));
}

RegisterCommand registration({"landxml",
                              "landxml import|export ...  alignments from and to LandXML 1.x (see --help)", kHelp,
                              &Run});
} // namespace
