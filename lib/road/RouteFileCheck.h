#pragma once

#include "platform/Export.h"
#include "road/RouteCalculation.h"

#include <QString>
#include <vector>

// Tells whether a file is a route file of a mode before anything relies on it. The readers take
// any text: an unknown key is skipped and a value that is not a number reads as 0, so a text file
// or random bytes read as an empty route, and a damaged value quietly becomes 0. Whoever would
// write the route back (the desktop program saves on open) first asks this check.

// One line that is not a valid record of the mode.
struct RouteFileLineProblem
{
    int line = 0;         // 1-based line number in the file
    QString text;         // the line as read (cut to a readable length)
    QString reason;       // why it is not a valid record, in Chinese
    int recordIndex = -1; // for a damaged record of the mode's list (element or crossing point):
                          // its index among the records the reader returns; -1 otherwise
};

struct RouteFileCheckResult
{
    bool readable = false; // the file exists and could be read
    int goodRecords = 0;   // lines that are valid records of the mode
    std::vector<RouteFileLineProblem> problems; // in file order

    // A file that is mostly route records: at least one valid record and more valid records than
    // damaged lines. Anything else (empty, text, random bytes, the other mode's file) is not a
    // route file of this mode.
    bool IsRouteFile() const { return readable && goodRecords > 0 && goodRecords > static_cast<int>(problems.size()); }
};

// Checks every line of the route file at `path` against the record formats of `mode`: the
// name line, the start-station line (element mode), and the element or crossing-point lines with
// numbers where numbers belong (an empty field is allowed; the reader takes it as 0) and an
// element kind from 1 to 4. Lines the reader skips (shorter than 8 characters, blank) are not
// checked.
TESVANE_API RouteFileCheckResult CheckRouteFile(const QString& path, RouteMode mode);
