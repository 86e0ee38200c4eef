#pragma once

#include "coord/CoordinateSystemDefine.h"
#include "platform/Export.h"

#include <QString>

// Error bits of the general projection routines (0 = success). Every routine uses this scheme,
// except that Lambert_1 numbers its scale, axis and flattening errors as its own constants below.
enum : long
{
    PROJ_NO_ERROR = 0x0000,
    PROJ_LAT_ERROR = 0x0001,
    PROJ_LON_ERROR = 0x0002,
    PROJ_EASTING_ERROR = 0x0004,
    PROJ_NORTHING_ERROR = 0x0008,
    PROJ_ORIGIN_LAT_ERROR = 0x0010,
    PROJ_CENT_MER_ERROR = 0x0020,
    PROJ_A_ERROR = 0x0040,
    PROJ_INV_F_ERROR = 0x0080,
    PROJ_SCALE_FACTOR_ERROR = 0x0100,
    PROJ_FIRST_STDP_ERROR = 0x0200,
    PROJ_SECOND_STDP_ERROR = 0x0400,
    PROJ_STDP_ERROR = 0x0800,     // the pair of standard parallels is unusable (opposite, both zero)
    PROJ_ZONE_ERROR = 0x1000,     // UTM zone out of range (or zone override)
    PROJ_HEMISPHERE_ERROR = 0x2000,
    PROJ_POINTS_ERROR = 0x4000,   // oblique Mercator defining points unusable
    PROJ_DOMAIN_ERROR = 0x8000,   // the point cannot be projected (hidden, antipodal, no solution)

    LAMBERT_1_SCALE_FACTOR_ERROR = 0x0040,
    LAMBERT_1_A_ERROR = 0x0080,
    LAMBERT_1_INV_F_ERROR = 0x0100
};

// Map projections of geodetic latitude/longitude (radians) to plane grid coordinates and back.
//
// Proj_BLtoxy / Proj_xytoBL dispatch on the projection record's type code:
//   0, 1, 2 (and any unknown code): Gauss (transverse Mercator series) with a projection-height
//           surface; x northing, y easting.
//   3: ellipsoidal stereographic (polar, oblique or equatorial aspect from the origin latitude);
//   4: oblique stereographic on the Gaussian conformal sphere. For 3 and 4 the first plane
//      coordinate runs east and the second north.
//   5: Mercator (latitude of true scale = ReferenceLatitude; TK is rewritten with the scale);
//   6: Lambert conformal conic with one standard parallel; 7: with two.
//
// The general-purpose routines (Set_/Get_/Convert_ per projection) return error bits. Every
// routine's state belongs to the instance; a set-up that is rejected leaves the previous state.
// An instance is not safe for concurrent use, but distinct instances are independent.
class TESVANE_API CCoordinateProject
{
public:
    CCoordinateProject();
    virtual ~CCoordinateProject();

    void SetEllipsoidPar(double a, double reciprocalFlattening);
    void SetEllipsoidPar(const CoordinateSystem_EllipsoidParameter& ellipsoid);
    void SetProjectPar(const CoordinateSystem_ProjectParameter& projection);
    void SetProjectPar(int type, double centralMeridian, double referenceLatitude, double tx, double ty, double tk,
                       double projectionHeight, double parallel1, double parallel2);
    CoordinateSystem_ProjectParameter GetProjectPar() const { return m_Project; }

    // Forward and inverse projection. They report no errors: when a general routine rejects the
    // set-up or the point, the outputs are left unchanged.
    bool Proj_BLtoxy(double B, double L, double& x, double& y);
    bool Proj_BLtoxy(const BLHCoord& blh, xyhCoord& xyh);
    bool Proj_xytoBL(double x, double y, double& B, double& L);
    bool Proj_xytoBL(const xyhCoord& xyh, BLHCoord& blh);

    // ---- General-purpose routines. a: semi-major axis; f: flattening (1/f within [250, 350]).
    long Set_UTM_Parameters(double a, double f, long override);
    void Get_UTM_Parameters(double& a, double& f, long& override) const;
    long Convert_Geodetic_To_UTM(double B, double L, long& Zone, char& Hemisphere, double& Easting,
                                 double& Northing);
    long Convert_UTM_To_Geodetic(long Zone, char Hemisphere, double Easting, double Northing, double& B,
                                 double& L);

    long Set_Mercator_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                 double FalseEasting, double FalseNorthing, double& ScaleFactor);
    void Get_Mercator_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                 double& FalseEasting, double& FalseNorthing, double& ScaleFactor) const;
    long Convert_Geodetic_To_Mercator(double B, double L, double& Easting, double& Northing) const;
    long Convert_Mercator_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    long Set_Lambert_1_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                  double FalseEasting, double FalseNorthing, double ScaleFactor);
    void Get_Lambert_1_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                  double& FalseEasting, double& FalseNorthing, double& ScaleFactor) const;
    long Convert_Geodetic_To_Lambert_1(double B, double L, double& Easting, double& Northing) const;
    long Convert_Lambert_1_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Two standard parallels, reduced exactly to the one-parallel form. The set-up also configures
    // the two-parallel routine "Lambert" with the same values.
    long Set_Lambert_2_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                  double StdParallel1, double StdParallel2, double FalseEasting,
                                  double FalseNorthing);
    void Get_Lambert_2_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                  double& StdParallel1, double& StdParallel2, double& FalseEasting,
                                  double& FalseNorthing) const;
    long Convert_Geodetic_To_Lambert_2(double B, double L, double& Easting, double& Northing) const;
    long Convert_Lambert_2_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Two standard parallels computed directly (cone constant from both parallels).
    long Set_Lambert_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                double StdParallel1, double StdParallel2, double FalseEasting,
                                double FalseNorthing);
    void Get_Lambert_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                double& StdParallel1, double& StdParallel2, double& FalseEasting,
                                double& FalseNorthing) const;
    long Convert_Geodetic_To_Lambert(double B, double L, double& Easting, double& Northing) const;
    long Convert_Lambert_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Ellipsoidal (conformal-latitude) stereographic, scale 1 at the origin.
    long Set_Stereographic_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                      double FalseEasting, double FalseNorthing);
    void Get_Stereographic_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                      double& FalseEasting, double& FalseNorthing) const;
    long Convert_Geodetic_To_Stereographic(double B, double L, double& Easting, double& Northing) const;
    long Convert_Stereographic_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Ellipsoidal orthographic; points on the far side of the origin's horizon are rejected.
    long Set_Orthographic_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                     double FalseEasting, double FalseNorthing);
    void Get_Orthographic_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                     double& FalseEasting, double& FalseNorthing) const;
    long Convert_Geodetic_To_Orthographic(double B, double L, double& Easting, double& Northing) const;
    long Convert_Orthographic_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Azimuthal equidistant on the ellipsoid: geodesic distance and azimuth from the origin.
    long Set_Azimuthal_Equidistant_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                              double FalseEasting, double FalseNorthing);
    void Get_Azimuthal_Equidistant_Parameters(double& a, double& f, double& OriginLatitude,
                                              double& CentralMeridian, double& FalseEasting,
                                              double& FalseNorthing) const;
    long Convert_Geodetic_To_Azimuthal_Equidistant(double B, double L, double& Easting, double& Northing) const;
    long Convert_Azimuthal_Equidistant_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Transverse Mercator (Krüger series to sixth order); points more than 90° from the central
    // meridian are rejected.
    long Set_Transverse_Mercator_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                            double FalseEasting, double FalseNorthing, double ScaleFactor);
    void Get_Transverse_Mercator_Parameters(double& a, double& f, double& OriginLatitude,
                                            double& CentralMeridian, double& FalseEasting,
                                            double& FalseNorthing, double& ScaleFactor) const;
    long Convert_Geodetic_To_Transverse_Mercator(double B, double L, double& Easting, double& Northing) const;
    long Convert_Transverse_Mercator_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Equidistant cylindrical: true scale along the standard parallel and along every meridian.
    long Set_Equidistant_Cyl_Parameters(double a, double f, double StdParallel, double CentralMeridian,
                                        double FalseEasting, double FalseNorthing);
    void Get_Equidistant_Cyl_Parameters(double& a, double& f, double& StdParallel, double& CentralMeridian,
                                        double& FalseEasting, double& FalseNorthing) const;
    long Convert_Geodetic_To_Equidistant_Cyl(double B, double L, double& Easting, double& Northing) const;
    long Convert_Equidistant_Cyl_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Transverse cylindrical equal-area.
    long Set_Trans_Cyl_Eq_Area_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                                          double FalseEasting, double FalseNorthing, double ScaleFactor);
    void Get_Trans_Cyl_Eq_Area_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                                          double& FalseEasting, double& FalseNorthing,
                                          double& ScaleFactor) const;
    long Convert_Geodetic_To_Trans_Cyl_Eq_Area(double B, double L, double& Easting, double& Northing) const;
    long Convert_Trans_Cyl_Eq_Area_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Albers equal-area conic with two standard parallels.
    long Set_Albers_Parameters(double a, double f, double OriginLatitude, double CentralMeridian,
                               double StdParallel1, double StdParallel2, double FalseEasting, double FalseNorthing);
    void Get_Albers_Parameters(double& a, double& f, double& OriginLatitude, double& CentralMeridian,
                               double& StdParallel1, double& StdParallel2, double& FalseEasting,
                               double& FalseNorthing) const;
    long Convert_Geodetic_To_Albers(double B, double L, double& Easting, double& Northing) const;
    long Convert_Albers_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Normal cylindrical equal-area, true scale along the standard parallel.
    long Set_Cyl_Eq_Area_Parameters(double a, double f, double StdParallel, double CentralMeridian,
                                    double FalseEasting, double FalseNorthing);
    void Get_Cyl_Eq_Area_Parameters(double& a, double& f, double& StdParallel, double& CentralMeridian,
                                    double& FalseEasting, double& FalseNorthing) const;
    long Convert_Geodetic_To_Cyl_Eq_Area(double B, double L, double& Easting, double& Northing) const;
    long Convert_Cyl_Eq_Area_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

    // Hotine oblique Mercator defined by two points on the central line; grid origin at the
    // point of the central line nearest the origin latitude's centre (plane coordinates centred).
    long Set_Oblique_Mercator_Parameters(double a, double f, double OriginLatitude, double Latitude1,
                                         double Longitude1, double Latitude2, double Longitude2,
                                         double FalseEasting, double FalseNorthing, double ScaleFactor);
    void Get_Oblique_Mercator_Parameters(double& a, double& f, double& OriginLatitude, double& Latitude1,
                                         double& Longitude1, double& Latitude2, double& Longitude2,
                                         double& FalseEasting, double& FalseNorthing, double& ScaleFactor) const;
    long Convert_Geodetic_To_Oblique_Mercator(double B, double L, double& Easting, double& Northing) const;
    long Convert_Oblique_Mercator_To_Geodetic(double Easting, double Northing, double& B, double& L) const;

private:
    // Gauss series with the projection-height surface.
    double EnlargedAxis(double phi) const;
    double MeridianArc(double phi) const;
    double FootLatitude(double s, double phiForAxis) const;
    void GaussForward(double B, double L, double& x, double& y) const;
    void GaussInverse(double x, double y, double& B, double& L) const;
    // Types 3 and 4 on the unit ellipsoid; X east, Y north.
    void Stereo3Setup();
    void Stereo3Forward(double B, double lambda, double& X, double& Y) const;
    void Stereo3Inverse(double X, double Y, double& B, double& lambda) const;
    void Stereo4Setup();
    void Stereo4Forward(double B, double lambda, double& X, double& Y) const;
    void Stereo4Inverse(double X, double Y, double& B, double& lambda) const;

public:
    // Plain states of the general routines, held by value in every instance.
    struct EllipsoidState
    {
        double a = 6378137.0, f = 1.0 / 298.257223563, e2 = 0.0, e = 0.0;
    };
    struct MercatorState
    {
        EllipsoidState ell;
        double OriginLatitude = 0, CentralMeridian = 0, FalseEasting = 0, FalseNorthing = 0, Scale = 1;
        double ab = 0, bb = 0, cb = 0, db = 0, DeltaEasting = 0, DeltaNorthing = 0;
    };
    struct LambertState // one-parallel form (also the reduced form of two parallels)
    {
        EllipsoidState ell;
        double OriginLatitude = 0, CentralMeridian = 0, FalseEasting = 0, FalseNorthing = 0, Scale = 1;
        double n = 0, t0 = 0, rho0 = 0, F = 0; // rho(t) = a·F·t^n
    };
    struct Lambert2State
    {
        double OriginLatitude = 0, CentralMeridian = 0, StdParallel1 = 0, StdParallel2 = 0;
        double FalseEasting = 0, FalseNorthing = 0;
        LambertState reduced;
    };
    struct AzimuthalState
    {
        EllipsoidState ell;
        double OriginLatitude = 0, CentralMeridian = 0, FalseEasting = 0, FalseNorthing = 0;
        // stereographic: aspect and constants as in type 3
        int aspect = 0;
        double K1 = 0, sinX0 = 0, cosX0 = 0;
        // orthographic: prime vertical radius at the origin
        double N0 = 0;
    };
    struct TransverseMercatorState
    {
        EllipsoidState ell;
        double OriginLatitude = 0, CentralMeridian = 0, FalseEasting = 0, FalseNorthing = 0, Scale = 1;
        double n = 0, A = 0, alpha[7] = {}, beta[7] = {}, northingOrigin = 0;
    };
    struct UTMState
    {
        EllipsoidState ell;
        long Override = 0;
    };
    struct CylindricalState
    {
        EllipsoidState ell;
        double StdParallel = 0, CentralMeridian = 0, FalseEasting = 0, FalseNorthing = 0, Scale = 1;
        double qp = 0, M0 = 0, parallelRadius = 0;
    };
    struct AlbersState
    {
        EllipsoidState ell;
        double OriginLatitude = 0, CentralMeridian = 0, StdParallel1 = 0, StdParallel2 = 0;
        double FalseEasting = 0, FalseNorthing = 0;
        double n = 0, C = 0, rho0 = 0, qp = 0;
    };
    struct ObliqueMercatorState
    {
        EllipsoidState ell;
        double OriginLatitude = 0, Latitude1 = 0, Longitude1 = 0, Latitude2 = 0, Longitude2 = 0;
        double FalseEasting = 0, FalseNorthing = 0, Scale = 1;
        double A = 0, B = 0, E = 0, gamma0 = 0, lambda0 = 0, alphaC = 0, uCentre = 0;
        double sinG0 = 0, cosG0 = 0, sinAc = 0, cosAc = 0;
    };

private:
    CoordinateSystem_ProjectParameter m_Project;

    // Ellipsoid block used by the type codes.
    QString m_EllipsoidName;
    double m_a = 6378137.0;
    double m_rf = 298.257223563;
    double m_e = 0, m_e2 = 0, m_invA = 0, m_oneMinusE2 = 0, m_invOneMinusE2 = 0;
    double m_OutputScale = 1.0; // multiplies the plane results of types 3 and 4
    double m_InputScale = 1.0;  // multiplies their plane inputs
    bool m_WrapLongitude = true;

    // Gauss series coefficients (depend on e² only).
    double m_A = 0, m_B2 = 0, m_C4 = 0, m_D6 = 0, m_E8 = 0;
    double m_c0 = 0, m_c1 = 0, m_c2 = 0, m_c3 = 0;

    // Type 3 state.
    double m_PolarTrueScaleLatitude = 1.5707963267948966;
    int m_StereoAspect = 0; // 0 south polar, 1 north polar, 2 oblique, 3 equatorial
    double m_StereoK1 = 0, m_StereoSinX0 = 0, m_StereoCosX0 = 1;
    // Type 4 state.
    double m_GaussC = 1, m_GaussK = 1, m_GaussP = 0, m_GaussChi0 = 0, m_GaussSinChi0 = 0, m_GaussCosChi0 = 1;
    double m_GaussR2 = 2;

    MercatorState m_Mercator;
    LambertState m_Lambert1;
    Lambert2State m_Lambert2;
    Lambert2State m_Lambert; // direct two-parallel form: reduced.n/F/rho0 from both parallels
    AzimuthalState m_Stereographic;
    AzimuthalState m_Orthographic;
    AzimuthalState m_AzimuthalEquidistant;
    TransverseMercatorState m_TransverseMercator;
    UTMState m_UTM;
    TransverseMercatorState m_UTMZone; // the UTM routine's own transverse Mercator
    CylindricalState m_EquidistantCyl;
    TransverseMercatorState m_TransCylEqAreaParams; // parameters only (ell, origin, FE, FN, scale)
    double m_TCEA_M0 = 0, m_TCEA_qp = 0;
    AlbersState m_Albers;
    CylindricalState m_CylEqArea;
    ObliqueMercatorState m_ObliqueMercator;
};
