#include "app/core/MapViewLogic.h"

#include "map/CMapConvert.h"
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

MouseStatusTexts StatusTextsAt(const CMapConvert& convert, const CRoadDesign& road, CPoint client)
{
    MouseStatusTexts t;
    double x = 0, y = 0;
    convert.ClientToWorld(client.x, client.y, x, y);
    t.coordinate = QString::asprintf("坐标:%.4f,  %.4f", x, y);
    t.station = QStringLiteral("里程: ");
    t.offset = QStringLiteral("偏距: ");
    if (road.IsLoad())
    {
        double station = 0, offset = 0;
        if (road.GetPegAndOffset(x, y, station, offset, 0, 0))
        {
            t.station = QString::asprintf("里程: %.4f", station);
            if (offset < 0.0001)
                t.offset = QString::asprintf("左偏: %.4f", std::fabs(offset));
            else
                t.offset = QString::asprintf("右偏: %.4f", offset);
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

// Sets the scale, keeping the world point under `fixed` at that client point.
void SetScaleKeeping(CMapManage& map, double scale, CPoint fixed)
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
} // namespace

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
    SetScaleKeeping(map, target, fixed);
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
