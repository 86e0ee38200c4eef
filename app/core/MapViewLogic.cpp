#include "app/core/MapViewLogic.h"

#include "app/core/StationDisplay.h"
#include "geometry/Angle.h"
#include "map/CMapConvert.h"
#include "platform/NumberText.h"
#include "map/CMapManage.h"
#include "road/CRoadDesign.h"

#include <algorithm>
#include <cmath>

bool ZoomMapToExtent(CMapManage& map, double minX, double minY, double maxX, double maxY)
{
    if (std::fabs(maxX - minX) < 1e-6)
    {
        map.SetCenter(minX, minY, 1);
        return true;
    }
    xyhCoord start;
    double scale = 0;
    if (!map.CalScale(minX, minY, maxX, maxY, start, scale)) return false;
    map.SetStartCorAndScale(start, scale, 1);
    return true;
}

bool ZoomMapToFullExtent(CMapManage& map)
{
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    if (!map.GetMapRect(minX, minY, maxX, maxY, 0)) return false;
    return ZoomMapToExtent(map, minX, minY, maxX, maxY);
}

namespace
{
// The element of the chain that holds `station` (records are in station order).
const CRoadElement* ElementAt(const CRoadDesign& road, double station)
{
    const auto& records = road.m_RoadElements;
    auto it = std::lower_bound(records.begin() + (records.empty() ? 0 : 1), records.end(), station,
                               [](const CRoadElement& e, double s) { return e.m_EndStation < s; });
    return it == records.end() ? nullptr : &*it;
}

QString ElementText(const CRoadElement& e)
{
    switch (e.m_Kind)
    {
    case CRoadElement::Straight: return QStringLiteral("直线");
    case CRoadElement::CircularCurve:
        return QStringLiteral("圆曲线 R=%1 %2").arg(FormatFixed(std::fabs(e.m_StartRadius), 3),
                                                  e.m_StartRadius < 0 ? QStringLiteral("左转") : QStringLiteral("右转"));
    case CRoadElement::Transition: return QStringLiteral("缓和曲线 L=%1").arg(FormatFixed(e.m_Length, 3));
    default: return QString();
    }
}
} // namespace

MouseStatusTexts StatusTextsAt(const CMapConvert& convert, const CRoadDesign& road, CPoint client)
{
    MouseStatusTexts t;
    double x = 0, y = 0;
    convert.ClientToWorld(client.x, client.y, x, y);
    const int decimals = DecimalsForScale(convert.GetScale());
    t.coordinate = QStringLiteral("N: %1  E: %2").arg(FormatFixed(x, decimals), FormatFixed(y, decimals));
    t.station = QStringLiteral("里程: ");
    t.offset = QStringLiteral("偏距: ");
    if (road.IsLoad())
    {
        double station = 0, offset = 0;
        if (road.GetPegAndOffset(x, y, station, offset, 0, 0))
        {
            t.station = QStringLiteral("里程: ") + DisplayStation(station, decimals);
            // The rounded offset decides the side, so that no "右偏: 0.00" appears.
            const bool right = offset >= 0.5 * std::pow(10.0, -decimals);
            t.offset = (right ? QStringLiteral("右偏: ") : QStringLiteral("左偏: ")) + FormatFixed(std::fabs(offset), decimals);
            double cx = 0, cy = 0, bearing = 0;
            if (road.GetAngleAndXY(station, cx, cy, bearing, 0.0))
            {
                // Due north is reported as 2π; it reads 0°.
                bearing = Angle::NormaliseBearing(bearing);
                if (bearing >= Angle::kTwoPi) bearing = 0.0;
                t.element = QStringLiteral("方位角 ") + Angle::PackedDmsTextReadable(Angle::RadiansToPackedDmsText(bearing, 0));
                if (const CRoadElement* e = ElementAt(road, station)) t.element += QStringLiteral("  ") + ElementText(*e);
            }
        }
    }
    return t;
}

CPoint ClientCentre(const CRect& r)
{
    return CPoint(static_cast<int>((r.left + r.right) * 0.5 + 0.5), static_cast<int>((r.top + r.bottom) * 0.5 + 0.5));
}

namespace
{
// The bar is 100 pixels long: a scale is round when 100 times it is 1, 2 or 5 times a power of ten.
constexpr double kBarPixels = 100.0;
constexpr double kRelative = 1e-9;

} // namespace

void ZoomMapKeeping(CMapManage& map, double scale, CPoint fixed)
{
    const CMapConvert& convert = map.m_MapConvert;
    const CRect rc = convert.GetClientRect();
    double wx = 0, wy = 0;
    convert.ClientToWorld(fixed.x, fixed.y, wx, wy);
    xyhCoord start = convert.GetStartCor();
    start.x = wx - (rc.Height() - (fixed.y - rc.top)) * scale;
    start.y = wy - (fixed.x - rc.left) * scale;
    map.SetStartCorAndScale(start, scale, 1);
}

double RoundScaleAtLeast(double scale)
{
    if (!(scale > kMinMapScale)) return kMinMapScale;
    if (scale >= kMaxMapScale) return kMaxMapScale;
    const double bar = scale * kBarPixels;
    const double power = std::pow(10.0, std::floor(std::log10(bar)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= bar * (1 - kRelative)) return m * power / kBarPixels;
    return 10 * power / kBarPixels;
}

double RoundScaleBelow(double scale)
{
    if (!(scale > kMinMapScale)) return kMinMapScale;
    if (scale > kMaxMapScale) return kMaxMapScale;
    const double bar = scale * kBarPixels;
    const double power = std::pow(10.0, std::floor(std::log10(bar)));
    for (double m : {5.0, 2.0, 1.0, 0.5})
        if (m * power < bar * (1 - kRelative)) return std::max(kMinMapScale, m * power / kBarPixels);
    return std::max(kMinMapScale, 0.5 * power / kBarPixels);
}

bool RoundScaleAfterZoom(CMapManage& map, double before, CPoint fixed)
{
    const double now = map.m_MapConvert.GetScale();
    double target = RoundScaleAtLeast(now);
    // Zooming in must show more than before, even when the round scale above lies past it.
    if (now < before && target >= before * (1 - kRelative)) target = RoundScaleBelow(before);
    if (std::fabs(target - now) <= now * kRelative) return false;
    ZoomMapKeeping(map, target, fixed);
    return true;
}

void KeepCentreOnResize(CMapManage& map, const CRect& before, const CRect& after)
{
    const double s = map.m_MapConvert.GetScale();
    const xyhCoord start = map.m_MapConvert.GetStartCor();
    // The start corner is the world point at the bottom left of the view.
    const double cx = start.x + before.Height() * s / 2, cy = start.y + before.Width() * s / 2;
    map.SetClientRect(after);
    xyhCoord moved = start;
    moved.x = cx - after.Height() * s / 2;
    moved.y = cy - after.Width() * s / 2;
    map.SetStartCorAndScale(moved, s, 1);
}

double WheelScale(double scale, int notches)
{
    static const double kSteps[] = {1.0, 1.5, 2.0, 3.0, 4.0, 5.0, 7.5};
    double s = std::min(std::max(scale, kMinMapScale), kMaxMapScale);
    for (int n = 0; n < std::abs(notches); ++n)
    {
        const double bar = s * kBarPixels;
        const double power = std::pow(10.0, std::floor(std::log10(bar)));
        double next = notches > 0 ? 0.0 : 10.0 * power;
        if (notches > 0)
        {
            // The largest bar of the series below the current one.
            next = 0.75 * power;
            for (double m : kSteps)
                if (m * power < bar * (1 - kRelative)) next = m * power;
        }
        else
        {
            for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it)
                if (*it * power > bar * (1 + kRelative)) next = *it * power;
        }
        s = std::min(std::max(next / kBarPixels, kMinMapScale), kMaxMapScale);
    }
    return s;
}
