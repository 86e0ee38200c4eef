#pragma once

// LandXML 1.0 to 1.2 horizontal alignments: reading a file into plain records, turning one
// alignment into an element-mode route, and writing a computed route as LandXML 1.2.
//
// Files hold coordinates as "northing easting" (here x = north, y = east, as everywhere in the
// road engine). Each exporter writes its direction attributes in a convention of its own, so
// bearings are taken from the coordinates (Start, End, PI, Center); `dir` values only serve as a
// cross-check. Every length read is converted to metres through the file's Units.

#include "platform/Export.h"

#include <QString>
#include <QStringList>

#include <vector>

class CRoadDesign;
class CRoadDesign_Element;

struct LandXmlPoint
{
    bool present = false;
    double north = 0.0;
    double east = 0.0;
};

// One element of a CoordGeom, in metres. A radius of 0 stands for an infinite one ("INF").
struct LandXmlElement
{
    enum Kind
    {
        Line,
        Curve,
        Spiral
    };
    Kind kind = Line;
    double staStart = 0.0;
    bool hasStaStart = false;
    double length = 0.0; // as written; 0 when absent
    double radius = 0.0; // Curve
    double radiusStart = 0.0, radiusEnd = 0.0; // Spiral; 0 = straight end
    int rotation = 0;    // +1 clockwise (turns right), -1 counter-clockwise, 0 not given
    double dir = 0.0;    // Line: the `dir` attribute in radians as written (any convention)
    bool hasDir = false;
    LandXmlPoint start, end, center, pi;
};

struct LandXmlStationEquation
{
    double back = 0.0;
    double ahead = 0.0;
};

struct LandXmlAlignment
{
    QString name;
    double staStart = 0.0;
    double length = 0.0; // as written (metres); 0 when absent
    std::vector<LandXmlElement> elements;
    std::vector<LandXmlStationEquation> equations;
    // Why the alignment cannot be imported (an unsupported element, a point reference that is not
    // defined, ...); empty when it can. Other alignments of the file stay usable.
    QString refusal;
};

struct LandXmlDocument
{
    std::vector<LandXmlAlignment> alignments;
    QString linearUnit = QStringLiteral("meter");
};

// Reads the alignments of LandXML text. False with `error` set when the text is no LandXML
// document or its linear unit is unknown; a single alignment that cannot be read is refused on
// its own (LandXmlAlignment::refusal).
TESVANE_API bool ReadLandXmlText(const QString& text, LandXmlDocument& document, QString& error);
// The same from a file (any encoding the XML document class reads).
TESVANE_API bool ReadLandXmlFile(const QString& path, LandXmlDocument& document, QString& error);

struct LandXmlImportOptions
{
    bool strict = false; // a broken continuity refuses the import instead of warning
};

struct LandXmlImportResult
{
    bool ok = false;
    QString error;        // why nothing was imported
    QStringList warnings; // continuity breaks and disagreeing attributes, with stations
    QStringList notes;    // where the route was adjusted to stay on the file's coordinates
    // For each element of the alignment, the index in the route's element list of the element
    // that ends where it ends (-1 when it ends nowhere of its own: a dropped element of no length).
    // The route's elements and the computed model's records correspond one to one.
    std::vector<int> routeIndexOfEnd;
};

// Turns `alignment` into the element-mode route `route` (name, start station, a start point
// then straights, arcs and transitions). Lines take their bearing and length from their
// coordinates and arcs their radius and sweep from Start, Center and End; a straight absorbs the
// distance the chain has drifted along it, so the route stays on the file's coordinates when the
// file's lengths and radii are rounded. Elements the model cannot join directly are bridged by a
// connector of 0.01 mm (a spiral that ends in a radius no arc follows) and noted.
TESVANE_API LandXmlImportResult ImportLandXmlAlignment(const LandXmlAlignment& alignment,
                                                       const LandXmlImportOptions& options,
                                                       CRoadDesign_Element& route);

// The largest distance between the end of an element of the file and the end of its route
// element in `model` (computed from the imported route); `worstStation` receives the file's
// station of that end. -1 when nothing could be compared.
TESVANE_API double LandXmlEndDeviation(const LandXmlAlignment& alignment, const LandXmlImportResult& import,
                                       const CRoadDesign& model, double* worstStation = nullptr);

// The whole import as the program and the command line do it: reads `path`, takes the alignment
// named `name` (the first when empty), imports it into `route` and computes the route as an
// apply step would into `model`, then measures how far the model's element ends lie from the
// file's. False with `error` when any step fails; the warnings are in `result` either way.
struct LandXmlFileImport
{
    LandXmlAlignment alignment;
    LandXmlImportResult result;
    double worstDeviation = -1.0; // metres
    double worstStation = 0.0;
};
TESVANE_API bool ImportLandXmlFile(const QString& path, const QString& name, const LandXmlImportOptions& options,
                                   CRoadDesign_Element& route, CRoadDesign& model, LandXmlFileImport& import,
                                   QString& error);

// LandXML 1.2 text of a computed route: metric units, decimal-degree directions counter-clockwise
// from north (as the schema defines them), one Alignment named after the route with every
// element's coordinates, radii, rotation, directions, chord and, for spirals, their tangents.
TESVANE_API QString LandXmlTextOfRoute(const CRoadDesign& model);
// Writes that text as UTF-8, atomically. False with `error` when it cannot be written or the route
// is not computed.
TESVANE_API bool WriteLandXmlFile(const CRoadDesign& model, const QString& path, QString& error);
