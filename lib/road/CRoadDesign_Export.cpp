#include "road/CRoadDesign.h"

#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign_Detail.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

using namespace RoadDesignDetail;

namespace
{
// More stakes than this would make a file of gigabytes; such an interval is a typing error (the
// export dialog accepts anything from 1e-6 m), not a request to fill the disk.
constexpr double kMaxStakes = 10'000'000.0;

// The running station before the first stake of a whole-station export: the last whole multiple
// of the interval at or below the start, so that the first stake is the next multiple.
double WholeStationBase(double start, double interval)
{
    const double shifted = start + 1e-12;
    // Integer intervals keep exactly the whole-number arithmetic stake files have always used.
    if (interval == std::trunc(interval) && interval <= static_cast<double>(INT_MAX) && shifted >= 0.0 &&
        shifted < 9.0e15)
    {
        const long long whole = static_cast<long long>(shifted);
        const long long step = static_cast<long long>(interval);
        return static_cast<double>(whole - whole % step);
    }
    // Any other interval (12.5, 0.5, or a start before station 0): multiples of the interval itself.
    return std::floor(shifted / interval) * interval;
}

// The total length of the elements over the interval: about the number of stakes.
double ExpectedStakes(const std::vector<CRoadElement>& records, double interval)
{
    double total = 0.0;
    for (size_t i = 1; i < records.size(); ++i) total += std::fabs(records[i].m_EndStation - records[i].m_StartStation);
    return total / interval;
}

// Fills the one record handed to the caller, reusing its strings: a stake walk of a long road
// yields millions of records and should not allocate for each.
class StakeYield
{
public:
    explicit StakeYield(const std::function<void(const RoadCoordinate&)>& yield) : m_yield(yield) {}

    void MainPoint(const QString& label, double x, double y, double station, double bearing)
    {
        m_record.type = 0;
        m_record.name = label;
        Yield(x, y, station, bearing);
    }

    void Numbered(int number, double x, double y, double station, double bearing)
    {
        char buffer[16];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, number);
        m_record.type = 2;
        m_record.name = QLatin1StringView(buffer, r.ptr - buffer);
        Yield(x, y, station, bearing);
    }

private:
    void Yield(double x, double y, double station, double bearing)
    {
        m_record.x = x;
        m_record.y = y;
        m_record.h = 0.0;
        m_record.mileage = station;
        m_record.azimuth = bearing;
        m_digits.clear();
        AppendFixedAsPrintf(m_digits, station, 4);
        m_record.note = QLatin1StringView(m_digits.data(), static_cast<qsizetype>(m_digits.size()));
        m_yield(m_record);
    }

    const std::function<void(const RoadCoordinate&)>& m_yield;
    RoadCoordinate m_record;
    std::string m_digits;
};

// The station as field controllers show it: K<kilometres>+<metres with 4 decimals>. Rounded
// once as a whole, so that 999.99996 m reads K1+000.0000 and never K0+1000.0000.
void AppendStationCode(std::string& out, double station)
{
    const double tenths = std::round(std::fabs(station) * 10000.0);
    out.push_back('K');
    if (!(tenths < 9.0e18))
    {
        AppendFixedAsPrintf(out, station, 4); // beyond any road; still a readable number
        return;
    }
    const long long t = static_cast<long long>(tenths);
    if (station < 0.0 && t > 0) out.push_back('-');
    char buffer[48];
    const int n = std::snprintf(buffer, sizeof buffer, "%lld+%03lld.%04lld", t / 10000000, (t / 10000) % 1000, t % 10000);
    out.append(buffer, static_cast<size_t>(n));
}

// The text of a stake file: name,x,y,h,station,bearing (packed degrees.minutes-seconds), or in the
// field layout name,code,east,north,height.
class StakeWriter
{
public:
    StakeWriter(size_t expectedLines, StakeLayout layout) : m_layout(layout) { m_text.reserve(expectedLines * 72 + 256); }

    void Add(const RoadCoordinate& r)
    {
        if (m_layout == StakeLayout::Field)
        {
            AppendLatin1(r.name);
            m_text.push_back(',');
            AppendStationCode(m_text, r.mileage);
            m_text.push_back(',');
            AppendFixedAsPrintf(m_text, r.y, 4);
            m_text.push_back(',');
            AppendFixedAsPrintf(m_text, r.x, 4);
            m_text.push_back(',');
            AppendFixedAsPrintf(m_text, r.h, 4);
            m_text.append("\r\n");
            return;
        }
        AppendLatin1(r.name); // labels and stake numbers are plain ASCII
        m_text.push_back(',');
        AppendFixedAsPrintf(m_text, r.x, 4);
        m_text.push_back(',');
        AppendFixedAsPrintf(m_text, r.y, 4);
        m_text.push_back(',');
        AppendFixedAsPrintf(m_text, r.h, 4);
        m_text.push_back(',');
        AppendLatin1(r.note); // the station with 4 decimals
        m_text.push_back(',');
        double bearing = r.azimuth;
        if (bearing < 1e-5) bearing += kTwoPi;
        AppendFixedAsPrintf(m_text, CRoadDesign::RAD(bearing, 0), 10);
        m_text.append("\r\n");
    }

    bool Save(const QString& path) const
    {
        // Every byte is ASCII, which the ANSI code page writes unchanged; the file is replaced
        // only once it is complete.
        return WriteFileAtomically(path, QByteArray(m_text.data(), static_cast<qsizetype>(m_text.size())));
    }

private:
    void AppendLatin1(const QString& text)
    {
        for (const QChar c : text) m_text.push_back(c.unicode() < 0x100 ? static_cast<char>(c.unicode()) : '?');
    }

    StakeLayout m_layout;
    std::string m_text;
};

// Point and bearing of a record at a station; false when it cannot be computed or gives no
// usable number (a stake file must never carry "nan").
bool PointAt(const CRoadElement& record, double station, double offset, double& x, double& y, double& bearing)
{
    if (!record.GetAngleAndXY(station, x, y, bearing, offset)) return false;
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    return NormaliseBearing(bearing);
}
} // namespace

int CRoadDesign::Export(const QString& path, double interval, double offset, int mode, StakeLayout layout)
{
    if (path.isEmpty()) return 0;
    const double expected = ExpectedStakes(m_RoadElements, interval);
    StakeWriter writer(expected >= 0.0 && expected <= kMaxStakes ? static_cast<size_t>(expected) + 4 * m_RoadElements.size()
                                                                  : 0,
                       layout);
    const StakeWalk walk = Stakes(interval, offset, mode, [&writer](const RoadCoordinate& r) { writer.Add(r); });
    if (walk == StakeWalk::Refused) return 0;
    // As before, the points up to a failure are written and the failure is reported.
    if (!writer.Save(path)) return 0;
    return walk == StakeWalk::Complete ? 1 : 0;
}

StakeWalk CRoadDesign::Stakes(double interval, double offset, int mode,
                              const std::function<void(const RoadCoordinate&)>& yield) const
{
    // A zero, negative or non-numeric interval would never advance the running station.
    if (!(interval > 0.0) || !std::isfinite(interval) || !std::isfinite(offset)) return StakeWalk::Refused;
    if (!m_Loaded || m_RoadElements.size() < 2) return StakeWalk::Refused;
    if (!(ExpectedStakes(m_RoadElements, interval) <= kMaxStakes)) return StakeWalk::Refused;

    const size_t n = m_RoadElements.size();
    const double start = m_RoadElements[0].m_StartStation;
    double c = mode ? start : WholeStationBase(start, interval);
    if (!std::isfinite(c)) return StakeWalk::Refused;

    StakeYield out(yield);
    MainPointLabeler labeler;
    int previousKind = 0;
    int stakeNumber = 0;
    bool ok = true;
    const CRoadElement* lastRecord = nullptr;

    for (size_t i = 1; i < n && ok; ++i)
    {
        const CRoadElement& record = m_RoadElements[i];
        if (record.m_Kind == CRoadElement::StartPoint) continue; // adds no point and has no bearing
        lastRecord = &record;

        const QString label = labeler.StartLabel(static_cast<int>(i), record.m_Kind, previousKind);
        previousKind = record.m_Kind;
        double x = 0.0, y = 0.0, bearing = 0.0;
        if (!PointAt(record, record.m_StartStation, offset, x, y, bearing))
        {
            ok = false;
            break;
        }
        out.MainPoint(label, x, y, record.m_StartStation, bearing);
        double lastStation = record.m_StartStation;

        const bool circle = record.m_Kind == CRoadElement::CircularCurve;
        // The middle is numbered by its curve, whether or not it is written, so that QZ-03 in
        // the stake file is the same point as QZ-03 among the main points.
        const QString middleLabel = circle ? labeler.MiddleLabel() : QString();
        const double middle = record.m_StartStation + 0.5 * (record.m_EndStation - record.m_StartStation);

        c = c + interval;
        while (c - record.m_EndStation < 1e-6)
        {
            if (circle && lastStation + 1e-6 < middle && middle < c - 1e-6)
            {
                if (!PointAt(record, middle, offset, x, y, bearing))
                {
                    ok = false;
                    break;
                }
                out.MainPoint(middleLabel, x, y, middle, bearing);
                lastStation = middle;
            }
            if (!PointAt(record, c, offset, x, y, bearing))
            {
                ok = false;
                break;
            }
            out.Numbered(++stakeNumber, x, y, c, bearing);
            lastStation = c;
            const double next = c + interval;
            // Far from station 0 a tiny interval can vanish in rounding; the walk would not advance.
            if (!(next > c))
            {
                ok = false;
                break;
            }
            c = next;
        }
        c = c - interval;
    }

    if (ok && lastRecord)
    {
        double x = 0.0, y = 0.0, bearing = 0.0;
        if (PointAt(*lastRecord, lastRecord->m_EndStation, offset, x, y, bearing))
            out.MainPoint(QStringLiteral("ZD"), x, y, lastRecord->m_EndStation, bearing);
        else
            ok = false;
    }
    return ok ? StakeWalk::Complete : StakeWalk::Interrupted;
}
