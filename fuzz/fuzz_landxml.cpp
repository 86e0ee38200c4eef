// Feeds arbitrary bytes as LandXML text to the alignment reader and the import. Every alignment
// the import accepts must be a route the model's checks take (a start point, a straight after it
// and at the end, finite values), its end map must point into the route, and when the route
// computes, its LandXML export must read back and import again. Any crash, sanitizer report or
// broken invariant fails.

#include "FuzzSupport.h"
#include "platform/MessageSink.h"
#include "road/CRoadDesign.h"
#include "road/CRoadDesign_Element.h"
#include "road/LandXml.h"
#include "road/RouteCalculation.h"

#include <cmath>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 200000) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    LandXmlDocument document;
    QString error;
    if (!ReadLandXmlText(text, document, error))
    {
        Check(!error.isEmpty(), "a refused document says why");
        return 0;
    }
    for (const LandXmlAlignment& alignment : document.alignments)
    {
        for (const bool strict : {false, true})
        {
            LandXmlImportOptions options;
            options.strict = strict;
            CRoadDesign_Element route;
            const LandXmlImportResult result = ImportLandXmlAlignment(alignment, options, route);
            if (!result.ok)
            {
                Check(!result.error.isEmpty(), "a refused import says why");
                continue;
            }
            const auto& e = route.m_Elements;
            Check(e.size() >= 2 && e.front().type == 1 && e[1].type == 2 && e.back().type == 2,
                  "an imported route starts with a point and a straight and ends with a straight");
            for (const Road_Element& r : e)
                Check(std::isfinite(r.length) && r.length >= 0.0 && std::isfinite(r.radius) && std::isfinite(r.azimuth) &&
                          std::isfinite(r.point.x) && std::isfinite(r.point.y),
                      "imported values are finite");
            Check(result.routeIndexOfEnd.size() == alignment.elements.size(), "one end per element");
            for (const int k : result.routeIndexOfEnd)
                Check(k >= -1 && k < static_cast<int>(e.size()), "ends point into the route");
            if (strict) continue;

            CRoadDesign check, model;
            QString curve;
            if (!CheckRouteElements(route) || !check.LoadRoadData(&route) || !route.REToTDFEText(curve) ||
                !model.LoadTDFEText(curve))
                continue;
            (void)LandXmlEndDeviation(alignment, result, model);
            LandXmlDocument again;
            Check(ReadLandXmlText(LandXmlTextOfRoute(model), again, error), "an export reads back");
            Check(again.alignments.size() == 1, "an export holds one alignment");
            CRoadDesign_Element reimported;
            Check(ImportLandXmlAlignment(again.alignments[0], LandXmlImportOptions(), reimported).ok,
                  "an export imports again");
        }
    }
    return 0;
}
