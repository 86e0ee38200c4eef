#include "sources/CMap_DAT.h"

#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>

namespace
{
struct Field
{
    const char* begin = nullptr;
    int length = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal number at the start of the field, as the C library reads one: leading blanks, sign,
// digits, point, exponent; whatever follows is ignored. `whole` tells whether the number filled
// the field (blanks aside). Values that are not finite read as no number.
bool ReadNumber(const Field& f, double& value, bool* whole = nullptr)
{
    const char* p = f.begin;
    const char* end = f.begin + f.length;
    while (p < end && IsBlank(*p)) ++p;
    const char* start = p;
    if (p < end && (*p == '+' || *p == '-')) ++p;
    const char* digits = p;
    while (p < end && *p >= '0' && *p <= '9') ++p;
    bool any = p > digits;
    if (p < end && *p == '.')
    {
        const char* frac = ++p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        any = any || p > frac;
    }
    value = 0.0;
    if (whole) *whole = false;
    if (!any) return false;
    if (p < end && (*p == 'e' || *p == 'E'))
    {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        const char* expDigits = q;
        while (q < end && *q >= '0' && *q <= '9') ++q;
        if (q > expDigits) p = q;
    }
    // from_chars takes no '+'; skip it.
    const char* from = (*start == '+') ? start + 1 : start;
    double v = 0.0;
    auto result = std::from_chars(from, p, v);
    if (result.ec != std::errc() || !std::isfinite(v)) return false;
    value = v;
    if (whole)
    {
        const char* rest = p;
        while (rest < end && IsBlank(*rest)) ++rest;
        *whole = rest == end;
    }
    return true;
}

bool IsWholeNumber(const Field& f, double& value)
{
    bool whole = false;
    return ReadNumber(f, value, &whole) && whole;
}

QString Text(const Field& f)
{
    for (int i = 0; i < f.length; ++i)
        if (static_cast<unsigned char>(f.begin[i]) >= 0x80) return FromAnsi(QByteArray(f.begin, f.length));
    return QString::fromLatin1(f.begin, f.length);
}
} // namespace

bool CMap_DAT::ParseLine(const char* line, int length, CMap_DATPoint& point)
{
    if (length <= 0) return false;
    // Commas never occur inside a GBK character (its second byte is 0x40 or above), so the bytes
    // split exactly as the decoded text would.
    Field fields[5];
    int count = 0;
    const char* p = line;
    const char* end = line + length;
    while (count < 5)
    {
        const char* comma = static_cast<const char*>(std::memchr(p, ',', size_t(end - p)));
        const char* stop = comma ? comma : end;
        fields[count++] = Field{p, int(stop - p)};
        if (!comma) break;
        p = comma + 1;
    }

    double x = 0, y = 0, h = 0;
    const Field* markField = &fields[4];
    double second = 0, east = 0, north = 0;
    const bool surveyLayout = count >= 4 && !IsWholeNumber(fields[1], second) && IsWholeNumber(fields[2], east) &&
                              IsWholeNumber(fields[3], north);
    if (surveyLayout)
    {
        x = north;
        y = east;
        ReadNumber(fields[4], h);
        markField = &fields[1];
    }
    else
    {
        ReadNumber(fields[1], x);
        ReadNumber(fields[2], y);
        ReadNumber(fields[3], h);
    }
    if (std::fabs(x) < 0.0001 || std::fabs(y) < 0.0001) return false;
    point = CMap_DATPoint(Text(fields[0]), Text(*markField), x, y, h);
    return true;
}

int CMap_DAT::ImportData(IProgressListener* progress)
{
    if (!m_ReadFile.Open(m_MapItem.FullPathName)) return 0;
    Release();
    if (progress)
    {
        progress->SetCaption(m_MapItem.FullPathName);
        progress->Reset();
    }
    const qint64 fileLength = m_ReadFile.FileLength();
    int lastPercent = -1;
    const char* line = nullptr;
    int length = 0;
    CMap_DATPoint point;
    while (m_ReadFile.ReadLine(line, length))
    {
        if (ParseLine(line, length, point))
        {
            const xyhCoord c = point.GetPoint();
            if (m_Points.empty())
            {
                m_MinX = m_MaxX = c.x;
                m_MinY = m_MaxY = c.y;
            }
            else
            {
                m_MinX = std::min(m_MinX, c.x);
                m_MaxX = std::max(m_MaxX, c.x);
                m_MinY = std::min(m_MinY, c.y);
                m_MaxY = std::max(m_MaxY, c.y);
            }
            m_Points.push_back(std::move(point));
        }
        if (progress && fileLength > 0)
        {
            // A file that grows while it is read must not report more than all of it.
            const int percent = int(std::min<qint64>(100, m_ReadFile.BytesConsumed() * 100 / fileLength));
            if (percent != lastPercent)
            {
                lastPercent = percent;
                progress->SetPercent(percent);
            }
        }
    }
    m_IsPlane = (!m_Points.empty() && m_MinX > -90 && m_MaxX < 90 && m_MinY > -180 && m_MaxY < 180) ? 0 : 1;
    m_ReadFile.Close();
    return 1;
}
