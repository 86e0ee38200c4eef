#include "sources/CMap_DXFBlock.h"

#include <cmath>

DxfAffine DxfAffine::After(const DxfAffine& in) const
{
    DxfAffine r;
    r.a = a * in.a + b * in.c;
    r.b = a * in.b + b * in.d;
    r.c = c * in.a + d * in.c;
    r.d = c * in.b + d * in.d;
    r.e = a * in.e + b * in.f + e;
    r.f = c * in.e + d * in.f + f;
    return r;
}

DxfAffine DxfAffine::Insert(dxfcurve::Pt at, double angleDegrees, double sx, double sy, dxfcurve::Pt base)
{
    const double t = angleDegrees / 57.29577951308232;
    const double cs = std::cos(t), sn = std::sin(t);
    DxfAffine r;
    r.a = cs * sx;
    r.b = -sn * sy;
    r.c = sn * sx;
    r.d = cs * sy;
    r.e = at.x - (r.a * base.x + r.b * base.y);
    r.f = at.y - (r.c * base.x + r.d * base.y);
    return r;
}

double DxfAffine::LengthScale() const { return std::sqrt(std::fabs(a * d - b * c)); }

double DxfAffine::RotationDegrees() const { return std::atan2(c, a) * 57.29577951308232; }

bool DxfAffine::KeepsCircles() const
{
    const double tol = 1e-9 * (std::fabs(a) + std::fabs(b) + std::fabs(c) + std::fabs(d));
    const bool plain = std::fabs(a - d) <= tol && std::fabs(b + c) <= tol;
    const bool mirrored = std::fabs(a + d) <= tol && std::fabs(b - c) <= tol;
    return plain || mirrored;
}

bool DxfAffine::IsUsable() const
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) && dxfcurve::Usable(e) &&
           dxfcurve::Usable(f) && std::fabs(a) < 1e12 && std::fabs(b) < 1e12 && std::fabs(c) < 1e12 && std::fabs(d) < 1e12;
}
