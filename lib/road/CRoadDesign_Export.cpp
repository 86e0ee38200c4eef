#include "road/CRoadDesign.h"

#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign_Detail.h"

#include <charconv>
#include <climits>
#include <cmath>
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

class StakeWriter
{
public:
    explicit StakeWriter(size_t expectedLines) { m_text.reserve(expectedLines * 72 + 256); }

    void Add(const char* name, size_t nameLength, double x, double y, double station, double bearing)
    {
        m_text.append(name, nameLength);
        m_text.push_back(',');
        AppendFixedAsPrintf(m_text, x, 4);
        m_text.push_back(',');
        AppendFixedAsPrintf(m_text, y, 4);
        m_text.append(",0.0000,"); // h
        AppendFixedAsPrintf(m_text, station, 4);
        m_text.push_back(',');
        if (bearing < 1e-5) bearing += kTwoPi;
        AppendFixedAsPrintf(m_text, CRoadDesign::RAD(bearing, 0), 10);
        m_text.append("\r\n");
    }

    void Add(const QString& name, double x, double y, double station, double bearing)
    {
        const QByteArray latin = name.toLatin1(); // labels and stake numbers are plain ASCII
        Add(latin.constData(), static_cast<size_t>(latin.size()), x, y, station, bearing);
    }

    void AddNumbered(int number, double x, double y, double station, double bearing)
    {
        char buffer[16];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, number);
        Add(buffer, static_cast<size_t>(r.ptr - buffer), x, y, station, bearing);
    }

    bool Save(const QString& path) const
    {
        // Every byte is ASCII, which the ANSI code page writes unchanged; the file is replaced
        // only once it is complete.
        return WriteFileAtomically(path, QByteArray(m_text.data(), static_cast<qsizetype>(m_text.size())));
    }

private:
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

int CRoadDesign::Export(const QString& path, double interval, double offset, int mode)
{
    if (path.isEmpty()) return 0;
    // A zero, negative or non-numeric interval would never advance the running station.
    if (!(interval > 0.0) || !std::isfinite(interval) || !std::isfinite(offset)) return 0;
    if (!m_Loaded || m_RoadElements.size() < 2) return 0;

    const size_t n = m_RoadElements.size();
    double total = 0.0;
    for (size_t i = 1; i < n; ++i)
        total += std::fabs(m_RoadElements[i].m_EndStation - m_RoadElements[i].m_StartStation);
    const double expected = total / interval;
    if (!(expected <= kMaxStakes)) return 0;

    const double start = m_RoadElements[0].m_StartStation;
    double c = mode ? start : WholeStationBase(start, interval);
    if (!std::isfinite(c)) return 0;

    StakeWriter writer(static_cast<size_t>(expected) + 4 * n);
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
        writer.Add(label, x, y, record.m_StartStation, bearing);
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
                writer.Add(middleLabel, x, y, middle, bearing);
                lastStation = middle;
            }
            if (!PointAt(record, c, offset, x, y, bearing))
            {
                ok = false;
                break;
            }
            writer.AddNumbered(++stakeNumber, x, y, c, bearing);
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
        {
            ++stakeNumber;
            writer.Add("ZD", 2, x, y, lastRecord->m_EndStation, bearing);
        }
        else
        {
            ok = false;
        }
    }

    // As before, the points up to a failure are written and the failure is reported.
    if (!writer.Save(path)) return 0;
    return ok ? 1 : 0;
}
