#pragma once

// Independent references for the projection tests: PROJ pipelines through its C interface.

#include <proj.h>

#include <cmath>
#include <string>

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

struct Ellipsoid
{
    const char* name;
    double a;
    double rf;
};

inline const Ellipsoid kEllipsoids[] = {
    {"Krassovsky", 6378245.0, 298.3},
    {"IAG-75", 6378140.0, 298.257},
    {"CGCS2000", 6378137.0, 298.257222101},
    {"WGS84", 6378137.0, 298.257223563},
};

// A PROJ conversion given as a "+proj=..." string; angles in radians, plane in metres.
class ProjReference
{
public:
    explicit ProjReference(const std::string& definition)
    {
        m_ctx = proj_context_create();
        m_pj = proj_create(m_ctx, definition.c_str());
    }
    ~ProjReference()
    {
        if (m_pj) proj_destroy(m_pj);
        proj_context_destroy(m_ctx);
    }
    ProjReference(const ProjReference&) = delete;
    ProjReference& operator=(const ProjReference&) = delete;

    bool Valid() const { return m_pj != nullptr; }

    // (lat, lon) radians to (easting, northing).
    bool Forward(double lat, double lon, double& e, double& n) const
    {
        PJ_COORD c = proj_trans(m_pj, PJ_FWD, proj_coord(lon, lat, 0, 0));
        e = c.xy.x;
        n = c.xy.y;
        return std::isfinite(e) && std::isfinite(n);
    }
    bool Inverse(double e, double n, double& lat, double& lon) const
    {
        PJ_COORD c = proj_trans(m_pj, PJ_INV, proj_coord(e, n, 0, 0));
        lon = c.lp.lam;
        lat = c.lp.phi;
        return std::isfinite(lat) && std::isfinite(lon);
    }

private:
    PJ_CONTEXT* m_ctx = nullptr;
    PJ* m_pj = nullptr;
};

inline std::string EllipsoidArgs(double a, double rf)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, " +a=%.4f +rf=%.12f", a, rf);
    return buf;
}

// Distance on the ellipsoid that a small latitude/longitude error amounts to, metres.
inline double AngularErrorMetres(double a, double rf, double lat, double dLat, double dLon)
{
    const double f = 1.0 / rf, e2 = 2 * f - f * f;
    const double s = std::sin(lat), w = 1.0 - e2 * s * s;
    const double N = a / std::sqrt(w), M = a * (1 - e2) / (w * std::sqrt(w));
    return std::hypot(M * dLat, N * std::cos(lat) * dLon);
}
