#include "road/CRoadDesign.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

// The inverse query asks every record whether a point lies beside it and keeps the answer with
// the smallest offset. Asking all records costs one curve inversion each, so the model keeps a
// bounding-volume tree over the records and only asks those that could still win.
//
// Why pruning cannot change an answer: whenever a record accepts a point, the offset it reports
// is the distance from the point to a point of its own centre line (the foot on a straight, the
// point at the returned distance on a transition, the circle point on the ray through the point
// or, beyond the centre, |R| + ρ, which is at least the distance to any point of the arc). Those
// centre-line points lie within the record's accepted range, which runs a little past its ends
// (0.01 on straights and transitions; on arcs 0.01 past the end and 1e-3 rad of the circle before
// the start). Each record's box holds
// that whole extended range, widened for sampling and rounding, so the distance from the point
// to the box is a lower bound of any offset the record can report. A record whose bound already
// exceeds what could replace the best answer is not asked.

class CRoadDesignIndex
{
public:
    struct Box
    {
        double minX = std::numeric_limits<double>::infinity();
        double minY = std::numeric_limits<double>::infinity();
        double maxX = -std::numeric_limits<double>::infinity();
        double maxY = -std::numeric_limits<double>::infinity();

        void Add(double x, double y)
        {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
        void Add(const Box& b)
        {
            minX = std::min(minX, b.minX);
            maxX = std::max(maxX, b.maxX);
            minY = std::min(minY, b.minY);
            maxY = std::max(maxY, b.maxY);
        }
        void Grow(double d)
        {
            minX -= d;
            minY -= d;
            maxX += d;
            maxY += d;
        }
        bool IsFinite() const
        {
            return std::isfinite(minX) && std::isfinite(minY) && std::isfinite(maxX) && std::isfinite(maxY);
        }
        double Distance2(double x, double y) const
        {
            const double dx = x < minX ? minX - x : (x > maxX ? x - maxX : 0.0);
            const double dy = y < minY ? minY - y : (y > maxY ? y - maxY : 0.0);
            return dx * dx + dy * dy;
        }
    };

    struct Node
    {
        Box box;
        double minStart = 0.0; // smallest start station of its records
        double maxEnd = 0.0;   // largest end station
        double minStation = 0.0; // smallest start or end station
        double maxStation = 0.0; // largest start or end station
        int left = -1;
        int right = -1;
        int first = 0; // leaf: range in m_items
        int count = 0;
    };

    // A record's centre line as a polyline: the distance from a point to it, less the record's
    // slack, is a tighter lower bound than the distance to its box.
    struct Outline
    {
        int first = 0; // range in points
        int count = 0;
        double slack = 0.0;
    };

    double LowerBound(size_t record, double x, double y) const
    {
        const Outline& o = outlines[record];
        double best2 = std::numeric_limits<double>::infinity();
        const double* p = &points[static_cast<size_t>(o.first) * 2];
        for (int k = 0; k + 1 < o.count; ++k, p += 2)
        {
            const double ax = p[0], ay = p[1], dx = p[2] - ax, dy = p[3] - ay;
            const double len2 = dx * dx + dy * dy;
            double t = len2 > 0.0 ? ((x - ax) * dx + (y - ay) * dy) / len2 : 0.0;
            t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
            const double ex = ax + t * dx - x, ey = ay + t * dy - y;
            best2 = std::min(best2, ex * ex + ey * ey);
        }
        return std::sqrt(best2) - o.slack;
    }

    size_t recordCount = 0;
    std::vector<Outline> outlines; // per record
    std::vector<double> points;    // x, y pairs of all outlines
    std::vector<Box> boxes;        // per record
    std::vector<int> items;        // record numbers, grouped by leaf
    std::vector<Node> nodes;       // nodes[0] is the root
    std::vector<int> alwaysAsk;    // records that cannot be bounded: asked for every point
};

namespace
{
// Records that can never accept a point: start points, and curves whose geometry cannot be built.
bool NeverAccepts(const CRoadElement& r)
{
    switch (r.m_Kind)
    {
    case CRoadElement::Straight:
        return false;
    case CRoadElement::CircularCurve:
        return !(std::fabs(r.m_StartRadius) >= 1e-6);
    case CRoadElement::Transition:
    {
        const bool c1 = std::fabs(r.m_StartRadius) > 1e-6;
        const bool c2 = std::fabs(r.m_EndRadius) > 1e-6;
        const bool s1 = std::fabs(r.m_StartRadius) < 1e-6;
        const bool s2 = std::fabs(r.m_EndRadius) < 1e-6;
        return !((c1 && c2) || (c1 && s2) || (s1 && c2));
    }
    default:
        return true;
    }
}

// The box and outline of every centre-line point the record can report an offset against, or
// false when they cannot be drawn with confidence.
bool RecordOutline(const CRoadElement& r, CRoadDesignIndex& index, size_t record)
{
    const double length = r.m_Length;
    const double absRadius = std::max(std::fabs(r.m_StartRadius), std::fabs(r.m_EndRadius));
    // Beyond survey sizes (an arc wound round its circle countless times, a straight longer than
    // the earth) neither the sampled outline nor its rounding margins can be trusted.
    if (!(length <= 1e7) || !(absRadius <= 1e9)) return false;
    // Nor can a bearing of many turns (a malformed file's 1e40 rad): the forward evaluation adds
    // the turn along the curve to it, where the rounding swallows the turn and every sample falls
    // on the start, while the inverse measures angles from the centre and still finds the curve.
    if (!(std::fabs(r.m_StartBearing) <= 1e3)) return false;
    double minRadius = 0.0;
    double extension = 0.02;
    if (r.m_Kind == CRoadElement::CircularCurve)
    {
        minRadius = std::fabs(r.m_StartRadius);
        // The arc answers for points up to 1e-3 rad before its start (and, when it is flatter
        // than the 1e-4 rad range tolerance, for any direction); with a margin.
        extension += 1.5e-3 * minRadius;
    }
    else if (r.m_Kind == CRoadElement::Transition)
    {
        // The forward evaluation picks the curve by exact comparison with 0, the inverse by
        // magnitude; where they could differ, do not trust an outline drawn with the forward one.
        const bool exactBoth = r.m_StartRadius != 0.0 && r.m_EndRadius != 0.0;
        const bool magBoth = std::fabs(r.m_StartRadius) > 1e-6 && std::fabs(r.m_EndRadius) > 1e-6;
        if (exactBoth != magBoth) return false;
        const double a = std::fabs(r.m_StartRadius), b = std::fabs(r.m_EndRadius);
        minRadius = (a > 0.0 && b > 0.0) ? std::min(a, b) : std::max(a, b);
        if (!(minRadius >= 1e-6)) return false;
        // The curve is evaluated by truncated series, which follow the spiral only while its
        // tangent has turned little (highway transitions turn a few tenths of a radian); far
        // beyond that the computed curve is a wild polynomial whose bends no sampling bounds.
        double turn = length / (2.0 * minRadius);
        if (a > 0.0 && b > 0.0)
        {
            const double maxRadius = std::max(a, b);
            turn = length * maxRadius / (2.0 * minRadius * (maxRadius - minRadius));
        }
        if (!(turn <= 1.5)) return false;
    }

    const double lFrom = std::min(0.0, length) - extension;
    const double lTo = std::max(0.0, length) + extension;
    const double span = lTo - lFrom;
    if (!std::isfinite(span)) return false;

    // The chord between two samples strays from the curve by at most h²κ/8 (h the sample
    // spacing, κ the largest curvature; a transition's keeps growing a little past its end).
    int steps = 1;
    double sagitta = 0.0;
    if (r.m_Kind != CRoadElement::Straight)
    {
        const double curvature = 1.5 / minRadius;
        const double idealStep = std::sqrt(8.0 * 0.5 / curvature); // half a metre of stray
        steps = static_cast<int>(std::min(64.0, std::max(2.0, std::ceil(span / idealStep))));
        const double h = span / steps;
        sagitta = h * h * curvature / 8.0;
    }
    // The record's inverse finds its distance along the curve from the geometry alone and only
    // then adds the start station; sample the outline the same way. Through the station, a start
    // station of 1e17 or more would round every sample to the start point.
    CRoadElement local = r;
    local.m_StartStation = 0.0;
    CRoadDesignIndex::Box box;
    const size_t first = index.points.size() / 2;
    for (int k = 0; k <= steps; ++k)
    {
        const double l = k == steps ? lTo : lFrom + span * k / steps;
        double x = 0.0, y = 0.0, bearing = 0.0;
        if (!local.GetAngleAndXY(l, x, y, bearing, 0.0) || !std::isfinite(x) || !std::isfinite(y))
        {
            index.points.resize(first * 2);
            return false;
        }
        box.Add(x, y);
        index.points.push_back(x);
        index.points.push_back(y);
    }
    // Rounding in the element's own arithmetic grows with the size of the coordinates (for a
    // nearly east-facing straight the foot is found through a steep slope), with the element's
    // size, and on the nearly east-facing straight with its length (taken as exactly east-west).
    const double coordinate = std::max(std::max(std::fabs(box.minX), std::fabs(box.maxX)),
                                       std::max(std::fabs(box.minY), std::fabs(box.maxY)));
    const double margin = 0.05 + sagitta + 1e-6 * (std::fabs(length) + absRadius) + 1e-8 * coordinate;
    box.Grow(margin);
    if (!box.IsFinite() || !std::isfinite(margin))
    {
        index.points.resize(first * 2);
        return false;
    }
    index.boxes[record] = box;
    index.outlines[record] = {static_cast<int>(first), steps + 1, margin};
    return true;
}

int BuildNode(CRoadDesignIndex& index, const std::vector<CRoadElement>& records, int first, int count)
{
    const int id = static_cast<int>(index.nodes.size());
    index.nodes.emplace_back();
    CRoadDesignIndex::Node node;
    node.minStart = node.minStation = std::numeric_limits<double>::infinity();
    node.maxEnd = node.maxStation = -std::numeric_limits<double>::infinity();
    CRoadDesignIndex::Box centres;
    for (int k = first; k < first + count; ++k)
    {
        const int i = index.items[k];
        const CRoadDesignIndex::Box& b = index.boxes[i];
        node.box.Add(b);
        centres.Add(0.5 * (b.minX + b.maxX), 0.5 * (b.minY + b.maxY));
        const CRoadElement& r = records[i];
        node.minStart = std::min(node.minStart, r.m_StartStation);
        node.maxEnd = std::max(node.maxEnd, r.m_EndStation);
        node.minStation = std::min({node.minStation, r.m_StartStation, r.m_EndStation});
        node.maxStation = std::max({node.maxStation, r.m_StartStation, r.m_EndStation});
    }
    if (count <= 4)
    {
        node.first = first;
        node.count = count;
        index.nodes[id] = node;
        return id;
    }
    const bool alongX = (centres.maxX - centres.minX) >= (centres.maxY - centres.minY);
    const int half = count / 2;
    auto begin = index.items.begin() + first;
    std::nth_element(begin, begin + half, begin + count, [&](int a, int b) {
        const CRoadDesignIndex::Box& ba = index.boxes[a];
        const CRoadDesignIndex::Box& bb = index.boxes[b];
        return alongX ? (ba.minX + ba.maxX) < (bb.minX + bb.maxX) : (ba.minY + ba.maxY) < (bb.minY + bb.maxY);
    });
    node.left = BuildNode(index, records, first, half);
    node.right = BuildNode(index, records, first + half, count - half);
    index.nodes[id] = node;
    return id;
}

struct Candidate
{
    size_t record;
    double station;
    double offset;
};

// The largest amount by which the answer's offset may exceed the smallest offset and still be
// settled among the candidates gathered near the smallest one (see the second pass below).
constexpr double kGatherMargin = 1e-3;
} // namespace

void CRoadDesign::BuildIndex()
{
    m_Index.reset();
    auto index = std::make_shared<CRoadDesignIndex>();
    index->recordCount = m_RoadElements.size();
    index->boxes.resize(m_RoadElements.size());
    index->outlines.resize(m_RoadElements.size());
    for (size_t i = 0; i < m_RoadElements.size(); ++i)
    {
        const CRoadElement& r = m_RoadElements[i];
        if (NeverAccepts(r)) continue;
        if (RecordOutline(r, *index, i))
            index->items.push_back(static_cast<int>(i));
        else
            index->alwaysAsk.push_back(static_cast<int>(i));
    }
    if (!index->items.empty()) BuildNode(*index, m_RoadElements, 0, static_cast<int>(index->items.size()));
    m_Index = std::move(index);
}

bool CRoadDesign::PassesPegLimit(const CRoadElement& record) const
{
    if (!m_PegLimitOn) return true;
    return CheckPegLimit(record.m_StartStation, m_PegLimitFrom, m_PegLimitTo) ||
           CheckPegLimit(record.m_EndStation, m_PegLimitFrom, m_PegLimitTo);
}

namespace
{
bool InWindow(const CRoadElement& r, double nearStation)
{
    return r.m_EndStation - (nearStation - 500.0) >= 1e-6 && r.m_StartStation - (nearStation + 500.0) <= 1e-6;
}
} // namespace

int CRoadDesign::GetPegAndOffsetFullScan(double x, double y, double& station, double& offset, int useWindow,
                                         double nearStation) const
{
    if (!m_Loaded) return 0;
    if (useWindow)
    {
        bool found = false;
        PegOffsetData best;
        for (const CRoadElement& r : m_RoadElements)
        {
            if (!InWindow(r, nearStation) || !PassesPegLimit(r)) continue;
            PegOffsetData c;
            if (!r.GetPegAndOffset(x, y, c.peg, c.offset)) continue;
            if (!found || std::fabs(c.offset) < std::fabs(best.offset)) best = c;
            found = true;
        }
        if (found)
        {
            station = best.peg;
            offset = best.offset;
            return 1;
        }
    }
    bool found = false;
    PegOffsetData best;
    for (const CRoadElement& r : m_RoadElements)
    {
        if (!PassesPegLimit(r)) continue;
        PegOffsetData c;
        if (!r.GetPegAndOffset(x, y, c.peg, c.offset)) continue;
        if (!found || std::fabs(c.offset) < std::fabs(best.offset) + 1e-6) best = c;
        found = true;
    }
    if (!found) return 0;
    station = best.peg;
    offset = best.offset;
    return 1;
}

int CRoadDesign::GetPegAndOffset(double x, double y, double& station, double& offset, int useWindow,
                                 double nearStation) const
{
    if (!m_Loaded) return 0;
    // A route with records the index cannot bound (degenerate or oversized geometry) is answered
    // by the plain scan: asking those records out of route order could break ties differently.
    if (m_Index && m_Index->recordCount == m_RoadElements.size() && m_Index->alwaysAsk.empty() &&
        std::isfinite(x) && std::isfinite(y))
    {
        bool decided = false;
        const int result = GetPegAndOffsetIndexed(x, y, station, offset, useWindow, nearStation, decided);
        if (decided) return result;
    }
    return GetPegAndOffsetFullScan(x, y, station, offset, useWindow, nearStation);
}

int CRoadDesign::GetPegAndOffsetIndexed(double x, double y, double& station, double& offset, int useWindow,
                                        double nearStation, bool& decided) const
{
    const CRoadDesignIndex& index = *m_Index;
    decided = false;
    thread_local std::vector<Candidate> candidates;
    // Best first: groups and records wait in one queue ordered by the lower bound of what they
    // could report, so that the nearest records are asked first and the bound shrinks before any
    // far record is reached. Everything still queued when the smallest waiting bound exceeds the
    // current one cannot win.
    struct Pending
    {
        double lower;
        int id;         // node or record number
        bool isRecord;
        bool operator>(const Pending& o) const { return lower > o.lower; }
    };
    thread_local std::vector<Pending> queue;

    // Asks the records that could hold a point closer than bound(); the bound only ever shrinks.
    // `windowed` restricts the search to the records near the given station.
    // Distances to a far point carry the rounding of its own coordinates, which the outlines'
    // margins (sized by the route's coordinates) do not cover: widen every bound by it.
    const double pointRounding = 1e-9 * (std::fabs(x) + std::fabs(y));
    auto Widen = [&](double b) { return b + 1e-9 * b + pointRounding; };
    auto search = [&](bool windowed, auto&& bound, auto&& accept) {
        auto ask = [&](size_t i) {
            const CRoadElement& r = m_RoadElements[i];
            if (windowed && !InWindow(r, nearStation)) return;
            if (!PassesPegLimit(r)) return;
            Candidate c{i, 0.0, 0.0};
            if (!r.GetPegAndOffset(x, y, c.station, c.offset)) return;
            accept(c);
        };
        for (int i : index.alwaysAsk) ask(static_cast<size_t>(i));
        if (index.nodes.empty()) return;
        auto push = [&](double lower, int id, bool isRecord) {
            queue.push_back({lower, id, isRecord});
            std::push_heap(queue.begin(), queue.end(), std::greater<Pending>());
        };
        queue.clear();
        push(std::sqrt(index.nodes[0].box.Distance2(x, y)), 0, false);
        while (!queue.empty())
        {
            std::pop_heap(queue.begin(), queue.end(), std::greater<Pending>());
            const Pending next = queue.back();
            queue.pop_back();
            const double b = Widen(bound());
            if (next.lower > b) break;
            if (next.isRecord)
            {
                ask(static_cast<size_t>(next.id));
                continue;
            }
            const CRoadDesignIndex::Node& node = index.nodes[static_cast<size_t>(next.id)];
            // Skip whole groups whose stations cannot pass the window or the station limit; the
            // tests are those of the records, applied to the group's extreme stations.
            if (windowed && !(node.maxEnd - (nearStation - 500.0) >= 1e-6 &&
                              node.minStart - (nearStation + 500.0) <= 1e-6))
                continue;
            if (m_PegLimitOn)
            {
                const double low = std::min(m_PegLimitFrom, m_PegLimitTo);
                const double high = std::max(m_PegLimitFrom, m_PegLimitTo);
                if (!(node.maxStation - low >= -1e-6 && node.minStation - high <= 1e-6)) continue;
            }
            if (node.left < 0)
            {
                for (int k = node.first; k < node.first + node.count; ++k)
                {
                    const int i = index.items[static_cast<size_t>(k)];
                    if (index.boxes[static_cast<size_t>(i)].Distance2(x, y) > b * b) continue;
                    const double lower = index.LowerBound(static_cast<size_t>(i), x, y);
                    if (lower <= b) push(lower, i, true);
                }
                continue;
            }
            for (int child : {node.left, node.right})
            {
                const double d2 = index.nodes[static_cast<size_t>(child)].box.Distance2(x, y);
                if (d2 <= b * b) push(std::sqrt(d2), child, false);
            }
        }
    };

    constexpr double kInfinity = std::numeric_limits<double>::infinity();

    if (useWindow)
    {
        // First pass: the answer is the first record, in route order, with the smallest offset.
        // That does not depend on the order in which records are asked.
        bool found = false;
        Candidate best{0, 0.0, 0.0};
        double bestAbs = kInfinity;
        bool unordered = false;
        search(
            true, [&] { return bestAbs; },
            [&](const Candidate& c) {
                const double a = std::fabs(c.offset);
                if (!std::isfinite(a) || !std::isfinite(c.station)) unordered = true;
                if (!found || a < bestAbs || (a == bestAbs && c.record < best.record))
                {
                    best = c;
                    bestAbs = a;
                }
                found = true;
            });
        if (unordered) return 0; // let the plain scan decide
        if (found)
        {
            station = best.station;
            offset = best.offset;
            decided = true;
            return 1;
        }
    }

    // Second pass: in route order, a later candidate replaces the best when its offset is below
    // the best one's plus 1e-6. The candidate with the smallest offset m always becomes the best
    // when its turn comes (its offset is below every earlier best), so only candidates after it
    // matter, and of those only ones below the running best + 1e-6. All candidates below
    // m + kGatherMargin are gathered; as long as the running best + 1e-6 stays at or below
    // m + kGatherMargin, no candidate outside that set could replace it.
    candidates.clear();
    double smallest = kInfinity;
    bool unordered = false;
    search(
        false, [&] { return smallest + kGatherMargin; },
        [&](const Candidate& c) {
            const double a = std::fabs(c.offset);
            if (!std::isfinite(a) || !std::isfinite(c.station)) unordered = true;
            smallest = std::min(smallest, a);
            candidates.push_back(c);
        });
    if (unordered) return 0;
    decided = true;
    if (candidates.empty()) return 0;

    // Computed as the comparisons are, in floating point: for offsets of 1e13 and more, adding
    // the margin (or 1e-6) changes nothing, and candidates at the limit must still be gathered.
    const double limit = smallest + kGatherMargin;
    candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                    [&](const Candidate& c) { return !(std::fabs(c.offset) <= limit); }),
                     candidates.end());
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.record < b.record; });
    size_t k = 0;
    while (k < candidates.size() && std::fabs(candidates[k].offset) != smallest) ++k;
    if (k == candidates.size())
    {
        decided = false;
        return 0;
    }
    Candidate best = candidates[k];
    for (++k; k < candidates.size(); ++k)
    {
        if (std::fabs(candidates[k].offset) < std::fabs(best.offset) + 1e-6)
        {
            best = candidates[k];
            if (!(std::fabs(best.offset) + 1e-6 <= limit))
            {
                decided = false; // the running best drifted too far: the plain scan decides
                return 0;
            }
        }
    }
    station = best.station;
    offset = best.offset;
    return 1;
}
