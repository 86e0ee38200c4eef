#pragma once

// The curve exchange file (".TDFE"), read and written here and nowhere else. Both route modes
// turn their definition into curve records (a pure step of their own) and write them with
// CurveFileText; the road model reads them back with ReadCurveFileText.
//
//   CURVE FILE(RE) Ver1.0          "(RP)" when a crossing-point route wrote it
//   METRES
//   DEGREES
//   START CHAINAGE,<start station>
//   HORIZ
//   RN,<route name>
//   PT,<easting>,<northing>,        the start point
//   R.,<length>,<bearing>,          a straight; bearing in decimal degrees clockwise from north
//   CL,<length>,<parameter>,        a transition; the clothoid parameter A = sqrt(length * radius)
//   CC,<length>,<radius>,           a circular arc; radius signed, positive turns right
//
// Lines end in CR LF; numbers are written in the C locale.

#include "platform/Export.h"

#include <QString>

#include <optional>
#include <vector>

// One record of the file after its header.
struct CurveFileRecord
{
    enum Kind
    {
        Point,
        Straight,
        Transition,
        Arc
    };
    Kind kind = Straight;
    double x = 0.0;              // Point: northing
    double y = 0.0;              // Point: easting
    double length = 0.0;         // Straight, Transition, Arc: metres
    double bearingDegrees = 0.0; // Straight
    double parameter = 0.0;      // Transition: clothoid parameter (the reader of the model ignores it)
    double radius = 0.0;         // Arc: signed radius
};

struct CurveFile
{
    // Absent when the text read has no such line; the writer writes an empty name and station 0.
    std::optional<QString> roadName;
    std::optional<double> startStation;
    std::vector<CurveFileRecord> records;
};

// Which route mode writes the file. The modes have always written two values with different
// decimals, and other programs compare the files byte for byte, so each keeps its own:
//   element route:        bearing 10 decimals (the degrees the user typed), parameter 6
//   crossing-point route: bearing 8 decimals, parameter 8 (both computed by the conversion)
// Everything else (lengths, coordinates and radii 6 decimals, start station 4) is common.
enum class CurveFileSource
{
    ElementRoute,
    CrossPointRoute
};

// The text of the file (ANSI text once written). False, with `text` untouched, when a value to be
// written is not finite: the file would describe another route.
TESVANE_API bool CurveFileText(const CurveFile& file, CurveFileSource source, QString& text);

// The records and header values of curve exchange text. Lines may end in CR LF, LF or CR alone;
// empty lines and lines of unknown kinds are skipped; numbers are read as LeadingNumber reads them.
TESVANE_API CurveFile ReadCurveFileText(const QString& text);

// The total length of the records, summed in file order.
TESVANE_API double CurveFileLength(const CurveFile& file);
