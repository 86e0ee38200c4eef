#pragma once

#include "coord/CCoordinateProject.h"
#include "coord/CoordinateSystemDefine.h"
#include "platform/Export.h"

// Converts points between geocentric X, Y, Z, geodetic B, L, H and grid x, y, h along the chain
//   source BLH ⇄ source XYZ ⇄ (seven parameters) ⇄ target XYZ ⇄ target BLH ⇄ (projection)
//   ⇄ grid xyh ⇄ (four-parameter, constant correction, height surface, tilted plane) ⇄ final xyh.
// Angles are radians everywhere except the record forms of BLHToxyh (input) and xyhToBLH
// (output), which use degrees. A converter is used by one thread at a time; distinct converters
// are independent.
class TESVANE_API CCoordinateConvert
{
public:
    CCoordinateConvert();
    CCoordinateConvert(const CCoordinateConvert& other);
    CCoordinateConvert& operator=(const CCoordinateConvert& other);
    virtual ~CCoordinateConvert();

    void InitializeParameter();

    CoordinateSystem_EllipsoidParameter GetSouceEllipsoid() const { return m_SourceEllipsoid; }
    CoordinateSystem_EllipsoidParameter GetDestinationEllipsoid() const { return m_DestinationEllipsoid; }
    CoordinateSystem_ProjectParameter GetProjection() const { return m_Projection; }
    CoordinateSystem_SevenParameter GetSevenParameter() const { return m_SevenParameter; }
    CoordinateSystem_FourParameter GetFourParameter() const { return m_FourParameter; }
    CoordinateSystem_VerticalBalancingParameter GetVerticalBalancingPar() const { return m_VerticalBalancing; }
    CoordinateSystem_HeightFittingParameter GetHeightFittingPar() const { return m_HeightFitting; }
    CoordinateSystem_CorrectParameter GetCorrectPar() const { return m_Correct; }

    void SetSouceEllipsoid(double a, double reciprocalFlattening);
    void SetSouceEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetDestinationEllipsoid(double a, double reciprocalFlattening);
    void SetProjection(const CoordinateSystem_ProjectParameter& projection);
    void SetProjection(int type, double Tx, double Ty, double CentralMeridian, double TK, double Parallel1,
                       double Parallel2, double ReferenceLatitude, double ProjectionHeight);
    void SetSevenParameter(const CoordinateSystem_SevenParameter& parameter);
    void SetSevenParameter(int Use, double DX, double DY, double DZ, double RX, double RY, double RZ, double K);
    void SetFourParameter(const CoordinateSystem_FourParameter& parameter);
    void SetFourParameter(int Use, double Cx, double Cy, double Ca, double Ck, double Orgx, double Orgy);
    void SetVerticalBalancingPar(const CoordinateSystem_VerticalBalancingParameter& parameter);
    void SetVerticalBalancingPar(int Use, int Mode, double Orgx, double Orgy, double DH, double NorthSlope,
                                 double EastSlope);
    void SetHeightFittingPar(const CoordinateSystem_HeightFittingParameter& parameter);
    void SetHeightFittingPar(int Use, double a0, double a1, double a2, double a3, double a4, double a5, double x0,
                             double y0);
    void SetCorrectPar(const CoordinateSystem_CorrectParameter& parameter);
    void SetCorrectPar(int Use, double Dx, double Dy, double Dh);

    // Conversions (see the class comment for the chain each one follows).
    void XYZToXYZ(double& X, double& Y, double& Z) const;
    void XYZToXYZ(XYZCoord& xyz) const;
    void XYZToBLH(double X, double Y, double Z, double& B, double& L, double& H) const;
    void XYZToBLH(XYZCoord xyz, BLHCoord& blh) const;
    void XYZToxyh(double X, double Y, double Z, double& x, double& y, double& h);
    void XYZToxyh(XYZCoord xyz, xyhCoord& xyh);
    void XYZToxyh_2(double X, double Y, double Z, double& x, double& y, double& h);
    void XYZToxyh_2(XYZCoord xyz, xyhCoord& xyh);
    void BLHToXYZ(double B, double L, double H, double& X, double& Y, double& Z) const;
    void BLHToXYZ(BLHCoord blh, XYZCoord& xyz) const;
    void BLHToBLH(double B, double L, double H, double& B2, double& L2, double& H2) const;
    void BLHToBLH(BLHCoord blh, BLHCoord& out) const;
    void BLHToxyh(double B, double L, double H, double& x, double& y, double& h);
    void BLHToxyh(BLHCoord blhDegrees, xyhCoord& xyh); // B, L in degrees
    void xyhToXYZ(double x, double y, double h, double& X, double& Y, double& Z);
    void xyhToXYZ(xyhCoord xyh, XYZCoord& xyz);
    void xyhToXYZ_2(double x, double y, double h, double& X, double& Y, double& Z);
    void xyhToXYZ_2(xyhCoord xyh, XYZCoord& xyz);
    void xyhToBLH(double x, double y, double h, double& B, double& L, double& H);
    void xyhToBLH(xyhCoord xyh, BLHCoord& blhDegrees); // B, L in degrees
    void xyhToBLH_2(double x, double y, double h, double& B, double& L, double& H);
    void xyhToBLH_2(xyhCoord xyh, BLHCoord& blh);
    void xyhToxyh(double& x, double& y, double& h) const;
    void xyhToxyh(xyhCoord& xyh) const;

    // Building blocks.
    static void BLH2XYZ(double B, double L, double H, double& X, double& Y, double& Z, double a,
                        double reciprocalFlattening);
    void xyh2BLH(double x, double y, double h, double& B, double& L, double& H);
    // Geocentric to geodetic on the given ellipsoid. On the equatorial plane the latitude is 0
    // and the height the distance from the axis less a.
    static void XYZ2BLH(double X, double Y, double Z, double& B, double& L, double& H, double a,
                        double reciprocalFlattening);
    // The height surface E(x, y) of the height-fitting record (0 when it is off).
    double xyh2xyh_ByHeightFittingPar_XYtoE(double x, double y) const;

protected:
    void XYZ2XYZ(double& X, double& Y, double& Z) const;
    void XYZ2XYZBack(double& X, double& Y, double& Z) const;
    void BLH2xyh(double B, double L, double H, double& x, double& y, double& h);
    void xyh2xyh(double& x, double& y, double& h) const;
    void xyh2xyhBack(double& x, double& y, double& h) const;
    void xyh2xyh_ByFourPar(double& x, double& y, double& h) const;
    void xyh2xyh_ByCorrectPar(double& x, double& y, double& h) const;
    void xyh2xyh_ByHeightFittingPar(double& x, double& y, double& h) const;
    void xyh2xyh_ByVerticalBalancingPar(double& x, double& y, double& h) const;
    void xyh2xyh_ByFourParBack(double& x, double& y, double& h) const;
    void xyh2xyh_ByCorrectParBack(double& x, double& y, double& h) const;
    void xyh2xyh_ByHeightFittingParBack(double& x, double& y, double& h) const;
    void xyh2xyh_ByVerticalBalancingParBack(double& x, double& y, double& h) const;

    CoordinateSystem_EllipsoidParameter m_SourceEllipsoid;
    CoordinateSystem_EllipsoidParameter m_DestinationEllipsoid;
    CoordinateSystem_ProjectParameter m_Projection;
    CCoordinateProject m_Project;
    CoordinateSystem_VerticalBalancingParameter m_VerticalBalancing;
    CoordinateSystem_HeightFittingParameter m_HeightFitting;
    CoordinateSystem_CorrectParameter m_Correct;
    CoordinateSystem_FourParameter m_FourParameter;
    CoordinateSystem_SevenParameter m_SevenParameter;
};
