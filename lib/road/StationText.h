#pragma once

// Stations as people read them. Chinese road drawings and tables write a station as a kilometre
// mark: K12+345.678 is 12 km plus 345.678 m. Files keep plain metres; only what is shown to a
// person (tables, labels, the status bar, the calculator) uses this text.

#include "platform/Export.h"

#include <QString>

enum class StationStyle
{
    KiloMark, // K12+345.678
    Metres    // 12345.678
};

// "K12+345.678" with `decimals` (0 to 6) digits after the point. The value is rounded before it
// is split, so 12999.9996 gives K13+000.000, never K12+1000.000. A negative station is written
// "-K0+012.345". Values that are not finite read as 0; values beyond a thousand billion metres,
// which no route reaches, are written in plain metres.
TESVANE_API QString FormatKiloMark(double station, int decimals = 3);

// The station in the chosen style, with `decimals` digits.
TESVANE_API QString FormatStation(double station, StationStyle style, int decimals = 3);

// Reads a station typed or pasted by a person: a K-mark ("K12+345.678", "k12+345", "DK3+200",
// blanks around the parts allowed, "-K0+012.5") or plain metres ("12345.678"). False for anything
// else, including metres of 1000 or more after the '+', which would be a typing error.
TESVANE_API bool ParseStation(const QString& text, double& station);
