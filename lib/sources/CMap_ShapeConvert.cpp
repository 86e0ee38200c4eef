#include "sources/CMap_ShapeConvert.h"

#include <algorithm>
#include <cmath>

ShapeBox ShapeViewTransform::Range(int margin) const
{
    double y1, x1, y2, x2;
    ToShape(Client.left - margin, Client.bottom + margin, y1, x1);
    ToShape(Client.right + margin, Client.top - margin, y2, x2);
    return {float(std::min(y1, y2)), float(std::min(x1, x2)), float(std::max(y1, y2)), float(std::max(x1, x2))};
}

namespace
{
// The (a, 1/f) and (type, eight values) forms go through the converter's own record forms, so the
// records compared by RouteNow are exactly those the converters hold.
CoordinateSystem_EllipsoidParameter EllipsoidRecord(double a, double rf)
{
    CCoordinateConvert c;
    c.SetSouceEllipsoid(a, rf);
    return c.GetSouceEllipsoid();
}

CoordinateSystem_ProjectParameter ProjectionRecord(int type, double Tx, double Ty, double cm, double TK, double p1,
                                                   double p2, double refLat, double height)
{
    CCoordinateConvert c;
    c.SetProjection(type, Tx, Ty, cm, TK, p1, p2, refLat, height);
    return c.GetProjection();
}

// Both ends of each converter lie on its own ellipsoid: it only (un)projects.
void SetOwnEllipsoid(CCoordinateConvert& converter, const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    converter.SetSouceEllipsoid(ellipsoid);
    converter.SetDestinationEllipsoid(ellipsoid);
}
} // namespace

CMap_ShapeConvert::CMap_ShapeConvert()
{
    m_ShapeEllipsoid = WGS84Ellipsoid();
    m_ShapeProjection.Type = -1;
    SetOwnEllipsoid(m_Shape, m_ShapeEllipsoid);
}

void CMap_ShapeConvert::SetShapeDestinationEllipsoid(double a, double rf)
{
    SetShapeDestinationEllipsoid(EllipsoidRecord(a, rf));
}

void CMap_ShapeConvert::SetShapeDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_ShapeEllipsoid = ellipsoid;
    SetOwnEllipsoid(m_Shape, ellipsoid);
}

void CMap_ShapeConvert::SetShapeProjection(int type, double Tx, double Ty, double cm, double TK, double p1, double p2,
                                           double refLat, double height)
{
    SetShapeProjection(ProjectionRecord(type, Tx, Ty, cm, TK, p1, p2, refLat, height));
}

void CMap_ShapeConvert::SetShapeProjection(const CoordinateSystem_ProjectParameter& projection)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_ShapeProjection = projection;
    m_Shape.SetProjection(projection);
}

void CMap_ShapeConvert::SetSurveyDestinationEllipsoid(double a, double rf)
{
    SetSurveyDestinationEllipsoid(EllipsoidRecord(a, rf));
}

void CMap_ShapeConvert::SetSurveyDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_SurveyEllipsoid = ellipsoid;
    SetOwnEllipsoid(m_Survey, ellipsoid);
}

void CMap_ShapeConvert::SetSurveyProjection(int type, double Tx, double Ty, double cm, double TK, double p1, double p2,
                                            double refLat, double height)
{
    SetSurveyProjection(ProjectionRecord(type, Tx, Ty, cm, TK, p1, p2, refLat, height));
}

void CMap_ShapeConvert::SetSurveyProjection(const CoordinateSystem_ProjectParameter& projection)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    m_SurveyProjection = projection;
    m_Survey.SetProjection(projection);
}

CMap_ShapeConvert::Route CMap_ShapeConvert::RouteNow() const
{
    if (!(m_SurveyEllipsoid.Axis > 0.0)) return Route::None;
    if (m_ShapeProjection.Type == -1) return Route::Geographic;
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 0.00000001; };
    const CoordinateSystem_ProjectParameter& a = m_ShapeProjection;
    const CoordinateSystem_ProjectParameter& b = m_SurveyProjection;
    const bool sameEllipsoid = std::fabs(m_ShapeEllipsoid.Axis - m_SurveyEllipsoid.Axis) <= 0.000001 &&
                               near(m_ShapeEllipsoid.ReciprocalofFlatRate, m_SurveyEllipsoid.ReciprocalofFlatRate);
    const bool sameProjection = a.Type == b.Type && near(a.CentralMeridian, b.CentralMeridian) && near(a.Tx, b.Tx) &&
                                near(a.Ty, b.Ty) && near(a.TK, b.TK) && near(a.ProjectionHeight, b.ProjectionHeight) &&
                                near(a.ReferenceLatitude, b.ReferenceLatitude) && near(a.Parallel1, b.Parallel1) &&
                                near(a.Parallel2, b.Parallel2);
    return sameEllipsoid && sameProjection ? Route::Same : Route::Geocentric;
}

void CMap_ShapeConvert::ShapeToSurvey(double y, double x, double& sx, double& sy)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    switch (RouteNow())
    {
    case Route::None:
    case Route::Same:
        sx = y;
        sy = x;
        return;
    case Route::Geographic:
    {
        xyhCoord out;
        m_Survey.BLHToxyh(BLHCoord{y, x, 0.0}, out); // degrees
        sx = out.x;
        sy = out.y;
        return;
    }
    case Route::Geocentric:
    {
        double X, Y, Z, h;
        m_Shape.xyhToXYZ_2(y, x, 0.0, X, Y, Z);
        m_Survey.XYZToxyh(X, Y, Z, sx, sy, h);
        return;
    }
    }
}

void CMap_ShapeConvert::SurveyToShape(double sx, double sy, double& y, double& x)
{
    std::lock_guard<std::mutex> lock(m_Lock);
    switch (RouteNow())
    {
    case Route::None:
    case Route::Same:
        y = sx;
        x = sy;
        return;
    case Route::Geographic:
    {
        BLHCoord blh;
        m_Survey.xyhToBLH(xyhCoord{sx, sy, 0.0}, blh); // degrees
        y = blh.B;
        x = blh.L;
        return;
    }
    case Route::Geocentric:
    {
        double X, Y, Z, h;
        m_Survey.xyhToXYZ_2(sx, sy, 0.0, X, Y, Z);
        m_Shape.XYZToxyh(X, Y, Z, y, x, h);
        return;
    }
    }
}

bool CMap_ShapeConvert::FitView(ShapeViewTransform& view)
{
    if (!m_pMapConvert) return false;
    const CRect client = m_pMapConvert->GetClientRect();
    if (client.Width() <= 0 || client.Height() <= 0) return false;
    double wx1, wy1, wx2, wy2;
    m_pMapConvert->ClientToWorld(client.left, client.bottom, wx1, wy1);
    m_pMapConvert->ClientToWorld(client.right, client.top, wx2, wy2);
    double y1, x1, y2, x2;
    SurveyToShape(wx1, wy1, y1, x1);
    SurveyToShape(wx2, wy2, y2, x2);
    const double scale = (x2 - x1) / client.Width();
    if (!(scale >= 0.000001 && scale <= 1000000.0)) return false;
    view.StartY = y1;
    view.StartX = x1;
    view.Scale = scale;
    view.Client = client;
    return true;
}

bool CMap_ShapeConvert::ResetConvert() { return FitView(m_View); }
