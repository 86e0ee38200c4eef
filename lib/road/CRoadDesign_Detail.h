#pragma once

// Helpers shared by the source files of CRoadDesign; not part of the library's interface.

#include <QString>

#include <charconv>
#include <cmath>
#include <string>

namespace RoadDesignDetail
{
constexpr double kPi = 3.14159265358979323846264338327950;
constexpr double kTwoPi = 2.0 * kPi;

// Appends value as printf's "%.Nf" writes it in the C locale. The desktop program runs in the
// user's locale, where printf would write a decimal comma into comma-separated files.
inline void AppendFixedSlow(std::string& out, double value, int decimals)
{
    char buffer[400]; // 309 integer digits for the largest double, the decimals and a sign
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc())
        out.append(buffer, result.ptr);
    else
        out.append(std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf"));
}

// The same digits, computed directly for the 4 and 10 decimals of stake files (a stake file of
// a long road holds millions of numbers). The value scaled by 10^N is rounded to the nearest
// integer exactly as printf rounds the binary value: the product's rounding error, recovered
// with a fused multiply-add, decides the rare values that lie next to a half.
inline void AppendFixed(std::string& out, double value, int decimals)
{
    static constexpr double kScale[] = {1.0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    if (decimals < 1 || decimals > 10 || !std::isfinite(value))
    {
        AppendFixedSlow(out, value, decimals);
        return;
    }
    const double magnitude = std::fabs(value);
    const double scale = kScale[decimals];
    const double p = magnitude * scale;
    if (!(p < 4.0e15)) // integers and their halves stay exact below 2^52
    {
        AppendFixedSlow(out, value, decimals);
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


// Brings a bearing into (1e-5, 2π + 1e-5] the way the model reports bearings. False for a value
// that is not finite (no turn count can bring it into range).
inline bool NormaliseBearing(double& bearing)
{
    if (!std::isfinite(bearing)) return false;
    // Far outside one turn, remove whole turns exactly first so the loops below stay short.
    if (std::fabs(bearing) > 64.0) bearing = std::fmod(bearing, kTwoPi);
    while (bearing < 1e-5) bearing += kTwoPi;
    while (bearing - kTwoPi > 1e-5) bearing -= kTwoPi;
    return true;
}

// Labels the main points at element starts. A label is made from the kind of the element and
// of the last element before it that is not a start point; each label kind has its own counter.
// A straight after a straight starts at a crossing point without a curve: "JD-nn" (repeating the
// previous label there would call two different points "QD"). Other combinations without a label
// of their own repeat the previous main point's label.
class MainPointLabeler
{
public:
    // `index` is the record's position in the chain, `previousKind` 0 when no element precedes it.
    QString StartLabel(int index, int kind, int previousKind)
    {
        QString label;
        if (kind == 2)
        {
            if (index == 1) label = QStringLiteral("QD");
            else if (previousKind == 3) label = Numbered("YZ", m_yz);
            else if (previousKind == 4) label = Numbered("HZ", m_hz);
            else if (previousKind == 2) label = Numbered("JD", m_jd);
        }
        else if (kind == 3)
        {
            if (previousKind == 2) label = Numbered("ZY", m_zy);
            else if (previousKind == 4) label = Numbered("HY", m_hy);
        }
        else if (kind == 4)
        {
            if (previousKind == 2) label = Numbered("ZH", m_zh);
            else if (previousKind == 3) label = Numbered("YH", m_yh);
        }
        if (label.isEmpty()) return m_last;
        m_last = label;
        return label;
    }

    // The label of the next curve middle; counts circular curves.
    QString MiddleLabel() { return Numbered("QZ", m_qz); }

private:
    static QString Numbered(const char* prefix, int& counter)
    {
        ++counter;
        return QString::asprintf("%s-%02d", prefix, counter);
    }

    int m_zh = 0, m_hy = 0, m_yh = 0, m_hz = 0, m_zy = 0, m_yz = 0, m_qz = 0, m_jd = 0;
    QString m_last;
};
} // namespace RoadDesignDetail
