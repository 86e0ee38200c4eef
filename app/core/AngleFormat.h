#pragma once

#include <QString>

// Angles as surveyors type and read them: degrees.minutes-seconds packed into one decimal number,
// 45.30155 meaning 45°30'15.5".

// Typed bearing text to decimal degrees. Empty text gives 0.
double AngleEntry(const QString& text);
double AngleEntry(double packed);

// Decimal degrees to the packed text "D.MMSSssssss" (seconds with six decimals):
// 45°30'15.5" gives "45.3015500000".
QString AngleText(double degrees);

// Radians to the packed number DDD.MMSSffff (rounded to 12 decimals).
double PackedAngle(double radians);

// A compiler date such as "Jul  5 2013" as "2013-7-5"; empty for text of 10 characters or fewer.
QString BuildDateText(const QString& compilerDate);
