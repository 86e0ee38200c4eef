#include "app/core/StationDisplay.h"

#include <atomic>
#include <cmath>

namespace
{
std::atomic<StationStyle> g_Style{StationStyle::KiloMark};
}

StationStyle DisplayStationStyle() { return g_Style.load(); }

void SetDisplayStationStyle(StationStyle style) { g_Style.store(style); }

QString DisplayStation(double station, int decimals) { return FormatStation(station, DisplayStationStyle(), decimals); }

int DecimalsForScale(double metresPerPixel)
{
    if (!(metresPerPixel > 0.0) || !std::isfinite(metresPerPixel)) return 3;
    // The mouse is no better than a pixel: 0.1 m a pixel shows decimetres, 0.5 m too.
    const int decimals = static_cast<int>(std::ceil(-std::log10(metresPerPixel) - 1e-9));
    return std::max(0, std::min(3, decimals));
}
