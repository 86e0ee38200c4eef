#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"

#include <QString>

// The records that make up a coordinate system definition. Angles are radians, lengths metres.
// Scale values: TK and Ck are full factors (1 = no change); K of the seven-parameter shift is the
// change itself (the transform multiplies by 1 + K).

// Projection type codes. 0 to 2 are the same Gauss projection under three names; any code outside
// 0..7 is treated as Gauss too.
enum CoordinateSystem_ProjectType : int
{
    CoordinateSystem_Gauss = 0,
    CoordinateSystem_Gauss3 = 1,
    CoordinateSystem_Gauss6 = 2,
    CoordinateSystem_Stereographic = 3,
    CoordinateSystem_ObliqueStereographic = 4,
    CoordinateSystem_Mercator = 5,
    CoordinateSystem_Lambert1 = 6,
    CoordinateSystem_Lambert2 = 7
};

struct CoordinateSystem_EllipsoidParameter
{
    QString Name;
    double Axis = 0.0;                 // semi-major axis a
    double ReciprocalofFlatRate = 0.0; // 1/f
};

struct CoordinateSystem_ProjectParameter
{
    int Type = 0;
    double CentralMeridian = 0.0;
    double Tx = 0.0; // added to the first plane coordinate (false northing for most types)
    double Ty = 0.0; // added to the second plane coordinate (false easting)
    double TK = 0.0; // scale on the central meridian / at the origin
    double ProjectionHeight = 0.0;
    double ReferenceLongitude = 0.0; // carried only
    double ReferenceLatitude = 0.0;  // latitude of origin
    double Parallel1 = 0.0;
    double Parallel2 = 0.0;
};

struct CoordinateSystem_SevenParameter
{
    int Use = 0;
    int Mode = 0; // 1: full rotation matrix; anything else: small-angle model
    double DX = 0.0, DY = 0.0, DZ = 0.0;
    double RX = 0.0, RY = 0.0, RZ = 0.0;
    double K = 0.0;
};

struct CoordinateSystem_FourParameter
{
    int Use = 0;
    double Cx = 0.0, Cy = 0.0;
    double Ca = 0.0;
    double Ck = 0.0;
    double Orgx = 0.0, Orgy = 0.0;
};

struct CoordinateSystem_VerticalBalancingParameter
{
    int Use = 0;
    int Mode = 1;
    double Orgx = 0.0, Orgy = 0.0;
    double DH = 0.0;
    double NorthSlope = 0.0;
    double EastSlope = 0.0;
};

struct CoordinateSystem_HeightFittingParameter
{
    int Use = 0;
    double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0, a4 = 0.0, a5 = 0.0;
    double x0 = 0.0, y0 = 0.0;
};

struct CoordinateSystem_CorrectParameter
{
    int Use = 0;
    double Dx = 0.0, Dy = 0.0, Dh = 0.0;
};

struct CoordinateSystem_Parameter
{
    QString Name;
    CoordinateSystem_EllipsoidParameter EllipsoidParameter;
    CoordinateSystem_ProjectParameter ProjectParameter;
    CoordinateSystem_SevenParameter SevenParameter;
    CoordinateSystem_FourParameter FourParameter;
    CoordinateSystem_VerticalBalancingParameter VerticalBalancingParameter;
    CoordinateSystem_HeightFittingParameter HeightFittingParameter;
    CoordinateSystem_CorrectParameter CorrectParameter;
};

// Geodetic coordinates: latitude, longitude, ellipsoidal height.
struct BLHCoord
{
    double B = 0.0;
    double L = 0.0;
    double H = 0.0;
};

// Geocentric Cartesian coordinates, metres.
struct XYZCoord
{
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
};

// The two ellipsoids the library knows by value.
TESVANE_API CoordinateSystem_EllipsoidParameter Beijing54Ellipsoid(); // "北京54", 6378245, 298.3
TESVANE_API CoordinateSystem_EllipsoidParameter WGS84Ellipsoid();     // "WGS84", 6378137, 298.257223563
