#pragma once

#include "platform/Export.h"
#include "road/CRoadConvert.h"
#include "road/CRoadDesign_Element.h"
#include "road/CurveFile.h"
#include "road/SurveyCoord.h"

#include <QString>
#include <vector>

// One crossing point (intersection of two tangents) with its curve.
struct Road_CrossPoint
{
    SurveyCoord point;
    double leftTransition = 0.0;  // entry transition length, metres
    double rightTransition = 0.0; // exit transition length, metres
    double radius = 0.0;          // 0: the route only bends here
    double station = 0.0;         // used only to fix the start station
    double spare1 = 0.0;
    double spare2 = 0.0;
};

// A road centre line defined by its crossing points: the start point, the intersection points
// each with a radius and transition lengths, and the end point. Reads and writes the route file
// (.RP), keeps its option file and converts the route into a curve exchange file (.TDFE).
class TESVANE_API CRoadDesign_CrossPoint
{
public:
    CRoadDesign_CrossPoint() = default;
    virtual ~CRoadDesign_CrossPoint() = default;

    void Initialize();
    static void InitializeRoadCrossPoint(Road_CrossPoint& point);

    int LibraryFile_Read(const QString& path);
    int LibraryFile_Save(const QString& path);

    int SetConfigPath(const QString& dir);
    void SetOption(const Road_Calculate_Option& option);
    Road_Calculate_Option GetOption() const { return m_Option; }
    int Config_Read();
    int Config_Save();

    // Converts the crossing points into straights, transitions and arcs and writes them as a
    // curve exchange file. Writes nothing (and keeps an existing file) when it fails.
    int RPtoTDFE(const QString& path);
    // The same conversion without the file: the text RPtoTDFE writes. Sets the start station and
    // the running length as RPtoTDFE does.
    int RPtoTDFEText(QString& text);
    // The conversion itself, touching neither the file nor the stations above: the start station
    // and the curve records. False for fewer than three crossing points. Values that are not
    // finite are left for the writer to refuse.
    bool ToCurveFile(CurveFile& file);
    // The station of the first crossing point: its own when given, else the second one's less the
    // distance between them.
    double StartStation() const;

    QString m_RoadName;
    double m_StartMileage = 0.0;
    double m_RunningMileage = 0.0;
    std::vector<Road_CrossPoint> m_CrossPoints;
    Road_Calculate_Option m_Option;
    QString m_ConfigPath;
    CRoadConvert m_Convert;

    // The curve geometry of the conversion; exposed for tests and other hosts.
    static double ComputeAngle(double x1, double y1, double x2, double y2);
    static double ComputeDistance(double x1, double y1, double x2, double y2);
    static double ComputeT(double R, double arcAngleDegrees, double L);
    // The shift p of the circle and the tangent extension q of a transition of length L onto a
    // circle of radius R (R > 0), to the terms the conversion uses.
    static void TransitionShift(double R, double L, double& p, double& q);
    static void ComputermathCurve(double R, double arcAngleDegrees, double L, double& x1, double& y1, double& x2,
                                  double& y2, int side);
    static int ComputeJD(double& x, double& y, double x1, double y1, double x2, double y2, double x3, double y3,
                         double x4, double y4);
};
