#pragma once

// Numbers as text in files, whatever locale the process runs in. The desktop program adopts the
// user's locale, where the C library would read and write a decimal comma; every file of the
// system uses '.' and is read and written here instead.
//
// Reading follows C's strtod and strtol: blanks (space, tab, line breaks, vertical tab, form
// feed) are skipped, the longest leading decimal number is taken and the rest ignored ("12.5abc"
// is 12.5), and text that does not start with a number is 0. Only decimal notation is read
// (no hexadecimal), and a file can never bring in a value that is not a finite number:
//
// Overflow rule: a number that does not fit its type (a decimal beyond ±1.8e308, an integer
// beyond the 32 or 64 bits asked for) reads as 0, exactly like "nan", "inf" and text that is
// not a number. A corrupt field then gives 0 rather than the largest value, which would make
// the geometry explode far from the place that caused it. Decimals too small for a double read
// as 0 too (C's underflow).
//
// Writing gives printf's "%.Nf" digits in the C locale. Values that are not finite are written
// as 0, since "nan" or "inf" in a file poisons every reader.

#include "platform/Export.h"

#include <QString>

#include <string>

// How the text at the start of a field read.
enum class LeadingNumberStatus
{
    Number,    // a finite number in range
    NoNumber,  // no number at all (value 0)
    NotFinite  // "nan", "inf", "infinity" or a decimal beyond the range of a double (value 0)
};

// The decimal number at the start of the text and how it read; `value` is 0 unless Number.
TESVANE_API LeadingNumberStatus ReadLeadingNumber(const QString& text, double& value);

// The same, 0 for anything but a finite number: "12.5,rest" gives 12.5, "abc", "nan", "1e999"
// give 0.
TESVANE_API double LeadingNumber(const QString& text);

// The decimal integer at the start of the text ("12abc" and "12.7" give 12); 0 when there is
// none or it lies outside the 32-bit range.
TESVANE_API int LeadingInteger(const QString& text);
// The same in 64 bits.
TESVANE_API long long LeadingInteger64(const QString& text);

// printf's "%.Nf" in the C locale (decimals 0 to 17), never "-0.000" (a value that rounds to
// zero is written without a sign) and 0 for a value that is not finite. Route files, the
// command-line tool's output and labels use it.
TESVANE_API QString FormatFixed(double value, int decimals);

// Appends exactly the digits of printf's "%.Nf" in the C locale, including the sign of a value
// that rounds to zero ("-0.0000"): stake files have always been written this way and are read by
// programs that compare them byte for byte. Values that are not finite are written as 0.
// Stake files of long roads hold millions of numbers; for 1 to 10 decimals the digits are
// computed directly, several times faster than printf.
TESVANE_API void AppendFixedAsPrintf(std::string& out, double value, int decimals);

// Colours (0x00BBGGRR) are stored as signed 32-bit decimals: "-1" and "4294967295" both read as
// 0xFFFFFFFF (the low 32 bits of a 64-bit integer), and 0xFFFFFFFF is written as "-1".
TESVANE_API unsigned long ColorValueFromText(const QString& text);
TESVANE_API QString ColorValueText(unsigned long color);
