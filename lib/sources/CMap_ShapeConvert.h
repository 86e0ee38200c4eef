#pragma once

#include "coord/CCoordinateConvert.h"
#include "map/CMapConvert.h"
#include "platform/Export.h"
#include "sources/CMap_ShapeItem.h"

#include <mutex>

// The linear transform from data set coordinates to the client area that one picture uses:
// every vertex goes through it instead of a datum conversion of its own. Pairs are northing first.
struct ShapeViewTransform
{
    double StartY = 0.0; // data set northing at the client's bottom edge
    double StartX = 0.0; // data set easting at the client's left edge
    double Scale = 1.0;  // data set units per pixel
    CRect Client;

    void ToClient(double y, double x, double& cx, double& cy) const
    {
        cx = (x - StartX) / Scale + Client.left + 0.5;
        cy = Client.bottom - (y - StartY) / Scale + 0.5;
    }
    void ToShape(double cx, double cy, double& y, double& x) const
    {
        x = (cx - Client.left) * Scale + StartX;
        y = (Client.bottom - cy) * Scale + StartY;
    }
    // The data set rectangle the client area shows, widened by `margin` pixels.
    ShapeBox Range(int margin = 0) const;
};

// The bridge between a data set's coordinate system and the map's survey system, and between data
// set coordinates and client pixels.
//
// Survey conversion: a geographic data set (projection type -1) is projected with the survey
// system (the pair taken as latitude, longitude in degrees); a projected data set on the same
// ellipsoid and projection as the survey system passes unchanged; any other goes through
// geocentric coordinates. Until a survey ellipsoid has been given nothing is converted, so data
// show as stored.
//
// Threads: conversions take a lock of their own, so the drawing thread may fit its transform
// while the owner thread selects.
class TESVANE_API CMap_ShapeConvert
{
public:
    CMap_ShapeConvert();

    void SetShapeDestinationEllipsoid(double a, double reciprocalFlattening);
    void SetShapeDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetShapeProjection(int type, double Tx, double Ty, double centralMeridian, double TK, double parallel1,
                            double parallel2, double referenceLatitude, double projectionHeight);
    void SetShapeProjection(const CoordinateSystem_ProjectParameter& projection);
    void SetSurveyDestinationEllipsoid(double a, double reciprocalFlattening);
    void SetSurveyDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetSurveyProjection(int type, double Tx, double Ty, double centralMeridian, double TK, double parallel1,
                             double parallel2, double referenceLatitude, double projectionHeight);
    void SetSurveyProjection(const CoordinateSystem_ProjectParameter& projection);

    // Data set (northing or latitude, easting or longitude) <-> survey (x northing, y easting).
    void ShapeToSurvey(double y, double x, double& sx, double& sy);
    void SurveyToShape(double sx, double sy, double& y, double& x);

    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    CMapConvert* GetConvert() const { return m_pMapConvert; }
    // Fits the transform to the map converter's current view: false when there is no converter
    // or the scale would leave [0.000001, 1000000]. Safe on the drawing thread.
    bool FitView(ShapeViewTransform& view);
    // FitView into the bridge's own transform, which ShapeToClient and ClientToShape then use.
    bool ResetConvert();
    void ShapeToClient(double y, double x, double& cx, double& cy) const { m_View.ToClient(y, x, cx, cy); }
    void ClientToShape(double cx, double cy, double& y, double& x) const { m_View.ToShape(cx, cy, y, x); }
    ShapeBox GetShapeRange() const { return m_View.Range(); }
    CRect GetClientRect() const { return m_View.Client; }

private:
    enum class Route
    {
        None,       // no survey system given: data shown as stored
        Geographic, // data set in degrees
        Same,       // projected on the survey's own system
        Geocentric  // projected on another system
    };
    Route RouteNow() const;

    std::mutex m_Lock;
    CCoordinateConvert m_Shape;
    CCoordinateConvert m_Survey;
    CoordinateSystem_EllipsoidParameter m_ShapeEllipsoid, m_SurveyEllipsoid;
    CoordinateSystem_ProjectParameter m_ShapeProjection, m_SurveyProjection;
    CMapConvert* m_pMapConvert = nullptr;
    ShapeViewTransform m_View;
};
