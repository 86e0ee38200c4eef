#include "platform/NumberText.h"

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace
{
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithWord(const char* p, const char* end, const char* word)
{
    for (; *word; ++word, ++p)
        if (p >= end || Lower(*p) != *word) return false;
    return true;
}

// Latin-1 keeps one byte per character, so positions stay those of the text; characters beyond
// Latin-1 become '?', which is never part of a number.
const char* SkipBlanks(const char* p, const char* end)
{
    while (p < end && IsBlank(*p)) ++p;
    return p;
}

// The power of ten of the first significant digit of a decimal number ("123" 2, "0.05" -2,
// "5e-400" -400); only its sign matters, so the exponent is clamped.
long DecimalExponent(const char* p, const char* end)
{
    long position = 0;
    bool seenPoint = false, significant = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p)
    {
        if (*p == '.') { seenPoint = true; continue; }
        if (!significant && *p == '0') { if (seenPoint) --position; continue; }
        if (!significant) { significant = true; position = seenPoint ? position - 1 : 0; continue; }
        if (!seenPoint) ++position;
    }
    if (!significant) return -1; // zero never overflows
    long exponent = 0;
    if (p < end)
    {
        ++p;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '+' || *p == '-')) ++p;
        for (; p < end && IsDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 100000L);
        if (negative) exponent = -exponent;
    }
    return position + exponent;
}

// Scanned by hand rather than with strtod, whose decimal point follows the process locale
// (a program running in a German locale would read "12.5" as 12).
LeadingNumberStatus Scan(const QByteArray& latin, double& value)
{
    value = 0.0;
    const char* p = SkipBlanks(latin.constData(), latin.constData() + latin.size());
    const char* const end = latin.constData() + latin.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    if (StartsWithWord(p, end, "nan") || StartsWithWord(p, end, "inf")) return LeadingNumberStatus::NotFinite;
    const char* const digitsStart = p;
    bool anyDigit = false;
    while (p < end && IsDigit(*p)) { ++p; anyDigit = true; }
    if (p < end && *p == '.')
    {
        ++p;
        while (p < end && IsDigit(*p)) { ++p; anyDigit = true; }
    }
    if (!anyDigit) return LeadingNumberStatus::NoNumber;
    const char* mantissaEnd = p;
    if (p < end && (*p == 'e' || *p == 'E'))
    {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        if (q < end && IsDigit(*q))
        {
            while (q < end && IsDigit(*q)) ++q;
            mantissaEnd = q;
        }
    }
    double v = 0.0;
    const auto result = std::from_chars(digitsStart, mantissaEnd, v, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
    {
        // Too small for a double is C's underflow to 0; too large is not finite.
        return DecimalExponent(digitsStart, mantissaEnd) < 0 ? LeadingNumberStatus::Number
                                                             : LeadingNumberStatus::NotFinite;
    }
    if (result.ec != std::errc() || !std::isfinite(v)) return LeadingNumberStatus::NotFinite;
    value = negative ? -v : v;
    return LeadingNumberStatus::Number;
}

// Digits of a decimal integer after blanks and an optional sign; 0 when out of [low, high].
long long ScanInteger(const QString& text, long long low, long long high)
{
    const QByteArray latin = text.toLatin1();
    const char* const end = latin.constData() + latin.size();
    const char* p = SkipBlanks(latin.constData(), end);
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
    // Accumulated as a negative number, whose range includes the most negative integer.
    long long v = 0;
    for (; p < end && IsDigit(*p); ++p)
    {
        const int digit = *p - '0';
        if (v < (LLONG_MIN + digit) / 10) return 0;
        v = v * 10 - digit;
    }
    if (!negative)
    {
        if (v == LLONG_MIN) return 0;
        v = -v;
    }
    return (v < low || v > high) ? 0 : v;
}

void AppendSlow(std::string& out, double value, int decimals)
{
    char buffer[400]; // 309 integer digits for the largest double, the decimals and a sign
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) out.append(buffer, result.ptr);
}
} // namespace

LeadingNumberStatus ReadLeadingNumber(const QString& text, double& value) { return Scan(text.toLatin1(), value); }

double LeadingNumber(const QString& text)
{
    double v = 0.0;
    return ReadLeadingNumber(text, v) == LeadingNumberStatus::Number ? v : 0.0;
}

int LeadingInteger(const QString& text) { return static_cast<int>(ScanInteger(text, INT_MIN, INT_MAX)); }

long long LeadingInteger64(const QString& text) { return ScanInteger(text, LLONG_MIN, LLONG_MAX); }

QString FormatFixed(double value, int decimals)
{
    std::string text;
    AppendFixedAsPrintf(text, value, decimals);
    if (!text.empty() && text.front() == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// For 1 to 10 decimals the value scaled by 10^N is rounded to the nearest integer exactly as
// printf rounds the binary value: the product's rounding error, recovered with a fused
// multiply-add, decides the rare values that lie next to a half.
void AppendFixedAsPrintf(std::string& out, double value, int decimals)
{
    static constexpr double kScale[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    if (!std::isfinite(value)) value = 0.0;
    if (decimals < 1 || decimals > 10)
    {
        AppendSlow(out, value, decimals);
        return;
    }
    const double magnitude = std::fabs(value);
    const double scale = kScale[decimals];
    const double p = magnitude * scale;
    if (!(p < 4.0e15)) // integers and their halves stay exact below 2^52
    {
        AppendSlow(out, value, decimals);
        return;
    }
    const double error = std::fma(magnitude, scale, -p); // exact: magnitude·scale = p + error
    const double whole = std::floor(p);
    const double t = (p - whole) - 0.5; // exact
    bool up = false;
    if (t > 0.0 || (t == 0.0 && error > 0.0))
        up = true;
    else if (t == 0.0 && error == 0.0) // an exact tie rounds to even
        up = std::fmod(whole, 2.0) != 0.0;
    unsigned long long n = static_cast<unsigned long long>(whole) + (up ? 1u : 0u);

    char digits[32];
    int len = 0;
    for (int k = 0; k < decimals; ++k)
    {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    digits[len++] = '.';
    do
    {
        digits[len++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n);
    if (std::signbit(value)) digits[len++] = '-';
    while (len) out.push_back(digits[--len]);
}

unsigned long ColorValueFromText(const QString& text)
{
    return static_cast<unsigned long>(static_cast<unsigned int>(LeadingInteger64(text)));
}

QString ColorValueText(unsigned long color)
{
    return QString::number(static_cast<int>(static_cast<unsigned int>(color)));
}
