#include "app/core/MapViewLogic.h"

#include "map/CMapConvert.h"
#include "map/CMapManage.h"
#include "road/CRoadDesign.h"

#include <cmath>

bool ZoomMapToFullExtent(CMapManage& map)
{
    double first = 0, second = 0, third = 0, fourth = 0;
    if (!map.GetMapRect(first, second, third, fourth, 0)) return false;
    if (std::fabs(third - first) < 1e-6)
    {
        map.SetCenter(first, second, 1);
        return true;
    }
    xyhCoord start;
    double scale = 0;
    if (!map.CalScale(first, second, third, fourth, start, scale)) return false;
    map.SetStartCorAndScale(start, scale, 1);
    return true;
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
