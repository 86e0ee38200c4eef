#pragma once

// Angles: π, degrees and radians, bearings, and the packed degrees.minutes-seconds form in which
// surveyors type and read angles (45.301550 means 45°30′15.50″: whole degrees, then two digits
// of minutes, two digits of seconds and the fractions of a second).
//
// Units are named in every function name. Bearings are measured from north (x) towards east (y),
// in radians unless the name says degrees. Several conversions exist for the packed form because
// files and screens written with them must keep their exact digits; each one names its rounding
// rule, and the comment says which files or screens use it. New code should use the plain ones
// (PackedDmsToRadians, RadiansToPackedDmsText) unless it writes one of those formats.

#include "platform/Export.h"

#include <QString>

namespace Angle
{
// π to the precision of a double, and the multiples every caller needs.
constexpr double kPi = 3.14159265358979323846264338327950;
constexpr double kHalfPi = kPi / 2.0;
constexpr double kTwoPi = 2.0 * kPi;
// One degree in radians, for code that converts many values by one multiplication.
constexpr double kDegree = kPi / 180.0;

// degrees · π / 180 and radians · 180 / π, computed in that order (not with kDegree) so that the
// results match the values the library has always written, to the last bit.
inline double DegreesToRadians(double degrees) { return degrees * kPi / 180.0; }
inline double RadiansToDegrees(double radians) { return radians * 180.0 / kPi; }

// A bearing brought into [0, 2π) by removing whole turns exactly (fmod). A tiny negative value
// may give 2π itself (the sum rounds up). Infinite or NaN input gives NaN.
TESVANE_API double NormaliseBearing(double radians);

// A bearing brought into [low, low + 2π] by whole turns. The alignment elements keep a bearing
// of exactly north as 2π rather than 0 (low slightly above 0). Values far outside one turn have
// whole turns removed by fmod first. A value that is not finite is returned as it is.
TESVANE_API double WrapBearingFrom(double radians, double low);

// ---------------------------------------------------------------------------------------------
// Packed degrees.minutes-seconds to degrees or radians. Negative values are read as negative
// angles (the sign applies to the whole angle); NaN and |packed| ≤ 1e-9 give 0.

// The digits are split with a tolerance of 1e-8 of a minute and of a second (45.3 is 45°30′,
// not 45°29′59.99…″) and the remainder is kept as it is, so the result is correct to about one
// unit in the last place of the input. Minutes or seconds of 60 or more are not refused;
// infinity is returned as it is.
TESVANE_API double PackedDmsToRadians(double packed);

// Typed bearings and control-point latitudes and longitudes: 1e-12 is added to the value and to
// the minutes and seconds before each split, and those additions stay in the result, which is
// therefore up to 3e-12° (1e-8″) large. Route files store the typed bearings converted this way.
// Infinity gives 0.
TESVANE_API double PackedDmsToDegreesNudged(double packed);

// Whether the minutes and seconds of a packed value are below 60, split as
// PackedDmsToDegreesNudged splits them (so 45.3 has 30 minutes, and 45.75 has 75).
enum class PackedDmsCheck
{
    Valid,
    MinutesOutOfRange,
    SecondsOutOfRange
};
TESVANE_API PackedDmsCheck CheckPackedDms(double packed);

// A typed packed angle: blank text is 0°; anything else must be a whole decimal number
// (blanks around it allowed) with minutes and seconds below 60.
struct PackedDmsEntry
{
    enum Status
    {
        Valid,
        NotANumber,
        MinutesOutOfRange,
        SecondsOutOfRange
    };
    Status status = Valid;
    double degrees = 0.0; // PackedDmsToDegreesNudged of the number; 0 unless Valid
};
TESVANE_API PackedDmsEntry ReadPackedDmsEntry(const QString& text);

// ---------------------------------------------------------------------------------------------
// Radians or degrees to the packed form.

// Stake files (ten decimals): degrees, minutes and seconds truncated with a tolerance of 1e-8,
// a fraction of a second of 0.999999 or more carried into the next second, and the packed value
// rounded to 10 decimals as the file writes it. The sign is that of the angle; |radians| ≤ 1e-9
// and NaN give 0, infinity is returned as it is.
TESVANE_API double RadiansToPackedDmsRounded10(double radians);

// The computed element list: truncated with a tolerance of 1e-12, a fraction of a second of
// 0.9999 or more carried, the packed value rounded to 12 decimals. Not finite or |radians| ≤ 1e-9
// gives 0.
TESVANE_API double RadiansToPackedDmsRounded12(double radians);

// The text of the bearing field and of the element list, "D.MMSSssssss" (seconds with six
// decimals): seconds within 0.0001″ of a full minute become the next minute (so a bearing read
// back from "45.3" shows as 45.3000000000), the rest are rounded to six decimals. A minus sign
// only for angles below -0.000001°. Not finite gives "0.0000000000".
TESVANE_API QString DegreesToPackedDmsTextSnapped(double degrees);

// Packed text with the seconds rounded to the nearest unit of their last decimal and carried
// into minutes and degrees: "D.MMSS" followed by `secondDecimals` (0 to 9) digits. The
// command-line tool prints bearings with five decimals of a second. Not finite counts as 0.
TESVANE_API QString RadiansToPackedDmsText(double radians, int secondDecimals);

// A packed text as people read it: "45.3015500000" gives "45°30′15.5″", "-12.3" gives
// "-12°30′00″" (trailing zeros of the fraction of a second dropped, whole seconds and minutes
// always two digits). Text that is not a packed number gives an empty string.
TESVANE_API QString PackedDmsTextReadable(const QString& packedText);
} // namespace Angle
