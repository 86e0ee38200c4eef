#pragma once

#include "coord/CCoordinateConvert.h"
#include "coord/CoordinateSystemDefine.h"
#include "platform/Export.h"

#include <QString>
#include <vector>

// One control point: known grid coordinates and known geodetic coordinates (WGS84), as text.
struct ControlCoordinateLibraryData
{
    QString label;
    QString x, y, h; // known grid northing, easting, height
    QString remark;
    QString B, L;    // packed degrees.minutes-seconds (DDD.MMSSsss)
    QString H;       // ellipsoidal height
    double planeResidual = 0.0;  // written by Calculate_Precision
    double heightResidual = 0.0; // converted minus known height
    int usePlane = 1;
    int useHeight = 1;
    double reserved = 0.0;
};

struct CoordinateSystem_ConvertCalculateParameter
{
    int option = 0;     // carried for callers
    int heightMode = 3; // 1 plane, 2 quadratic, 3 by number of points, other: average
    int sevenMode = 0;  // 1: rigorous iterative solution; otherwise linear least squares
    double limit1 = 0.1, limit2 = 0.1; // carried for callers
};

struct Calculate_SevenParameter
{
    XYZCoord source;
    XYZCoord target;
};

// Rigorous seven-parameter solution of the full rotation-matrix model by iterated linearised
// least squares.
class TESVANE_API CCoordinateCalculate_SevenParameter
{
public:
    CCoordinateCalculate_SevenParameter();
    virtual ~CCoordinateCalculate_SevenParameter();

    void Add(const Calculate_SevenParameter& pair);
    Calculate_SevenParameter GetAt(int i) const; // a zero pair outside the list
    int GetSize() const { return static_cast<int>(m_Pairs.size()); }
    void RemoveAll() { m_Pairs.clear(); }
    // 1 when the iteration converged (the parameters are stored with Use 1), else 0.
    int Calculate();
    CoordinateSystem_SevenParameter GetParameter() const { return m_Parameter; }
    void SetParameter(const CoordinateSystem_SevenParameter& parameter) { m_Parameter = parameter; }
    XYZCoord CalculateCoordinate(const XYZCoord& source) const;
    XYZCoord CalculateCoordinate_Back(const XYZCoord& target) const;
    int GetIterations() const { return m_Iterations; }

private:
    std::vector<Calculate_SevenParameter> m_Pairs;
    CoordinateSystem_SevenParameter m_Parameter;
    int m_Iterations = 0;
};

struct FourParCalData
{
    xyhCoord source, target;             // converted and known grid points
    xyhCoord sourceCentred, targetCentred;
};

struct ConvertSeven
{
    XYZCoord source, target;
};

struct ConvertNihe
{
    double convertedH = 0, knownH = 0, x = 0, y = 0, reserved1 = 0, reserved2 = 0;
};

// Computes conversion parameters from a control-point library: seven parameters, a plane fit
// with height corrections, constant shifts. Each calculation starts from the base system and
// writes a result system, then evaluates every control point against it.
//
// Height surface sign: the fits work on d = known − converted height; a fitted surface is stored
// negated (a0 … a5 = −fit), because the conversion subtracts the surface (it is the separation
// ellipsoidal − survey height), while constant shifts Dh are stored as d itself and added. Either
// way the result system reproduces the control heights.
class TESVANE_API CCoordinateCalculate : public CCoordinateConvert
{
public:
    CCoordinateCalculate();
    ~CCoordinateCalculate() override;

    void SetCoordinateSystem(const CoordinateSystem_Parameter& system);
    CoordinateSystem_Parameter GetCalculateCoordinateSystem() const { return m_ResultSystem; }
    void SetConvertCalculatePar(const CoordinateSystem_ConvertCalculateParameter& parameter);
    CoordinateSystem_ConvertCalculateParameter GetConvertCalculatePar() const { return m_Option; }
    void HeightFittingParameter_SetMode(int mode);

    int ControlCoordinateLibrary_Add(const ControlCoordinateLibraryData& point);
    int ControlCoordinateLibrary_GetAt(int i, ControlCoordinateLibraryData& point) const;
    int ControlCoordinateLibrary_SetAt(int i, const ControlCoordinateLibraryData& point);
    int ControlCoordinateLibrary_GetSize() const;
    void ControlCoordinateLibrary_RemoveAll();

    int Calculate_SevernPar();
    int Calculate_HAndVPar(int useSeven);
    int Calculate_CorrectPar();
    int Calculate_AnotherCorrectPar(const ControlCoordinateLibraryData& point);
    int Calculate_Precision();

    // Packed degrees.minutes-seconds text to radians ("30.3000" → 30.5°).
    static double PackedDmsToRadians(const QString& text);

protected:
    static void InitializeCoordinateSystem(CoordinateSystem_Parameter& system);
    void SetConvertParameter(const CoordinateSystem_Parameter& system, int withCorrections);
    int FourParameter_Calculate();
    int SevenParameter_Calculate();
    int HeightFittingParameter_Calculate();
    int HeightFittingParameter_CalculateAverage();
    // Converts one control point with the converter as configured.
    void ConvertPoint(const ControlCoordinateLibraryData& point, double& x, double& y, double& h);

    std::vector<FourParCalData> m_FourParCalData;
    std::vector<ConvertSeven> m_ConvertSeven;
    std::vector<ConvertNihe> m_ConvertNihe;

    // Results of the last fits.
    bool m_FourComputed = false;
    double m_FourScale = 1, m_FourRotation = 0, m_FourDx = 0, m_FourDy = 0, m_FourOrgx = 0, m_FourOrgy = 0;
    bool m_SevenComputed = false;
    CoordinateSystem_SevenParameter m_SevenResult;
    bool m_HeightComputed = false;
    CoordinateSystem_HeightFittingParameter m_HeightResult;

    CoordinateSystem_EllipsoidParameter m_CalculateSourceEllipsoid;
    CoordinateSystem_ConvertCalculateParameter m_Option;
    CoordinateSystem_Parameter m_BaseSystem;
    CoordinateSystem_Parameter m_ResultSystem;
    std::vector<ControlCoordinateLibraryData> m_Library;
    CCoordinateCalculate_SevenParameter m_SevenSolver;
};
