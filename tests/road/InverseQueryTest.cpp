#include "RoadDesignFixtures.h"

#include "platform/MessageSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <iomanip>
#include <limits>
#include <random>

using namespace RoadFixtures;

namespace
{
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Answer
{
    int result = 0;
    double station = 0, offset = 0;
};

Answer Indexed(const CRoadDesign& m, double x, double y, int window, double near)
{
    Answer a;
    a.result = m.GetPegAndOffset(x, y, a.station, a.offset, window, near);
    return a;
}

Answer Scan(const ReferenceModel& m, double x, double y, int window, double near)
{
    Answer a;
    a.result = m.GetPegAndOffsetFullScan(x, y, a.station, a.offset, window, near);
    return a;
}

bool Identical(const Answer& a, const Answer& b, double x, double y)
{
    const bool same = a.result == b.result && (!a.result || (SameBits(a.station, b.station) && SameBits(a.offset, b.offset)));
    if (!same)
        ADD_FAILURE() << std::setprecision(17) << "at " << x << "," << y << ": " << a.result << " " << a.station
                      << " " << a.offset << " vs " << b.result << " " << b.station << " " << b.offset;
    return same;
}

void ExpectIdentical(const Answer& a, const Answer& b, double x, double y) { Identical(a, b, x, y); }
} // namespace

// Compares the indexed query with the plain scan on `count` random points: near the route (where
// several elements compete at joints and in bends, some points exactly on the centre line), and
// anywhere in and around its extent (where claims come from far-away straights and arcs); every
// fifth point also through the station window, and a tenth of them under a station limit. Two
// threads share the work: the plain scan asks every element, which is what makes it slow.
void CompareOnRandomPoints(int elements, unsigned seed, int count)
{
    CRoadDesign_Element route = RandomRoute(elements, seed);
    ReferenceModel model;
    ASSERT_EQ(model.LoadRoadData(&route), 1);
    ReferenceModel limited = model;
    const double first = model.m_RoadElements.front().m_StartStation;
    const double last = model.m_RoadElements.back().m_EndStation;
    limited.SetPegLimitPar(1, first + 0.6 * (last - first), first + 0.3 * (last - first));

    std::atomic<int> claimed{0}, windowed{0}, mismatches{0};
    auto work = [&](unsigned part) {
        std::mt19937 rng(seed * 31 + part);
        std::uniform_real_distribution<double> station(first - 50, last + 50);
        std::uniform_real_distribution<double> nearOffset(-60, 60);
        std::uniform_real_distribution<double> unit(0, 1);
        const double wx = model.m_MaxX - model.m_MinX, wy = model.m_MaxY - model.m_MinY;
        std::uniform_real_distribution<double> ax(model.m_MinX - 0.2 * wx, model.m_MaxX + 0.2 * wx);
        std::uniform_real_distribution<double> ay(model.m_MinY - 0.2 * wy, model.m_MaxY + 0.2 * wy);
        for (int i = static_cast<int>(part); i < count; i += 2)
        {
            double x = 0, y = 0;
            if (i % 4 != 3)
            {
                double b = 0;
                const double s = std::min(std::max(station(rng), first), last);
                const double o = i % 50 == 0 ? 0.0 : nearOffset(rng) * (unit(rng) < 0.5 ? 0.05 : 1.0);
                model.GetAngleAndXY(s, x, y, b, o);
            }
            else
            {
                x = ax(rng);
                y = ay(rng);
            }
            const CRoadDesign& m = i % 10 == 7 ? limited : model;
            const ReferenceModel& ref = i % 10 == 7 ? limited : model;
            const Answer plain = Scan(ref, x, y, 0, 0);
            if (!Identical(Indexed(m, x, y, 0, 0), plain, x, y)) ++mismatches;
            claimed += plain.result;
            if (i % 5 == 0)
            {
                const double near = station(rng);
                const Answer w = Scan(ref, x, y, 1, near);
                if (!Identical(Indexed(m, x, y, 1, near), w, x, y)) ++mismatches;
                windowed += w.result;
            }
        }
    };
    std::thread other(work, 1u);
    work(0u);
    other.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_GT(claimed.load(), count * 8 / 10);
    EXPECT_GT(windowed.load(), count / 7);
}

// The index only skips elements that cannot win, so its answers must be those of the plain scan,
// bit for bit.
TEST(InverseQuery, IndexedAnswersEqualTheFullScanOnRandomPoints)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizer builds check memory and threads, not the answers: a tenth of the points keeps
    // them within CI's time while the optimised build compares all of them.
    const int points = 10000;
#else
    const int points = 100000;
#endif
    CompareOnRandomPoints(120, 42, points);
    CompareOnRandomPoints(500, 43, points / 20);
}

// Degenerate inputs take the plain path or agree with it.
TEST(InverseQuery, NonFiniteAndFarPointsAgreeWithTheFullScan)
{
    CRoadDesign_Element route = HighwayRoute();
    ReferenceModel model;
    ASSERT_EQ(model.LoadRoadData(&route), 1);
    const double inf = std::numeric_limits<double>::infinity();
    const double points[][2] = {{std::nan(""), 500000}, {3400000, inf}, {-inf, 0}, {1e300, -1e300},
                                {3400000 + 1e7, 500000}, {0, 0}};
    for (const auto& p : points)
        for (int window : {0, 1})
            ExpectIdentical(Indexed(model, p[0], p[1], window, 300), Scan(model, p[0], p[1], window, 300), p[0],
                            p[1]);
}

// Stations so large that adding a few metres to them changes nothing: every record then starts
// and ends at the same station, yet each still answers by its geometry. A flat arc claims points
// far before its start (1e-3 rad of its circle), so it must be asked for points beside the
// straight before it.
TEST(InverseQuery, AstronomicalStationsAgreeWithTheFullScan)
{
    for (double startStation : {1e17, 1.2345e43})
    {
        CRoadDesign_Element route;
        route.m_StartMileage = startStation;
        route.m_Elements = {Point(0.0, 0.0), Line(100.0, 90.0), Arc(47.12389, 500000.0), Line(100.0),
                            Spiral(40.0), Arc(60.0, 300.0)};
        ReferenceModel model;
        ASSERT_EQ(model.LoadRoadData(&route), 1);
        for (double along = -20.0; along <= 260.0; along += 10.0)
            for (double side : {-30.0, -7.5, 0.0, 7.5, 30.0})
                for (int window : {0, 1})
                    ExpectIdentical(Indexed(model, side, along, window, startStation),
                                    Scan(model, side, along, window, startStation), side, along);
    }
}

// Every curve file kept from fuzzing, queried on the centre line and beside it at stations along
// the route (also through the station window), off it, and at a corner of its extent.
TEST(InverseQuery, FuzzedCurveFilesAgreeWithTheFullScan)
{
    const QDir corpus(QStringLiteral(TESVANE_SOURCE_DIR "/fuzz/corpus/fuzz_tdfe"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    // Malformed files complain through the message sink; keep them quiet.
    const MessageHandler previous =
        SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
    for (const QString& name : files)
    {
        SCOPED_TRACE(name.toStdString());
        ReferenceModel model;
        if (!model.LoadTDFEFile(corpus.filePath(name))) continue;
        auto compare = [&](double x, double y, int window, double near) {
            ExpectIdentical(Indexed(model, x, y, window, near), Scan(model, x, y, window, near), x, y);
        };
        const double first = model.m_RoadElements.front().m_StartStation;
        const double last = model.m_RoadElements.back().m_EndStation;
        for (int k = 0; k <= 16; ++k)
            for (double side : {0.0, -7.5, 22.5})
            {
                const double s = first + (last - first) * k / 16.0;
                double x = 0, y = 0, b = 0;
                if (!model.GetAngleAndXY(s, x, y, b, side)) continue;
                compare(x, y, 0, 0);
                compare(x, y, 1, s);
                compare(x + 40, y - 25, 0, 0);
            }
        compare(model.m_MinX, model.m_MaxY, 0, 0);
    }
    SetMessageHandler(previous);
}
