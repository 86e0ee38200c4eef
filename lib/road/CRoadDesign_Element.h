#pragma once

#include "platform/Export.h"
#include "road/CurveFile.h"
#include "road/SurveyCoord.h"

#include <QString>
#include <vector>

// One element of an element-mode route, as the user defines it and as the route file stores it.
struct Road_Element
{
    int type = 0;         // 1 point, 2 straight, 3 circular arc, 4 transition curve
    SurveyCoord point;    // kind 1: the start point; empty otherwise
    double azimuth = 0.0; // kind 2: bearing in decimal degrees, clockwise from north
    double length = 0.0;  // kinds 2, 3, 4: metres
    double radius = 0.0;  // kind 3: signed radius, positive turns right
    double spare = 0.0;   // stored and read back, not used by the road model
};

// Calculation options shared by both route modes, kept in each mode's option file.
struct Road_Calculate_Option
{
    int CalculateMode = 0;
    double Interval = 100.0;
};

// A road centre line defined element by element: a start point followed by straights, circular
// arcs and transition curves. Reads and writes the route file (.RE), keeps its option file and
// writes the curve exchange file (.TDFE).
class TESVANE_API CRoadDesign_Element
{
public:
    CRoadDesign_Element() = default;
    virtual ~CRoadDesign_Element() = default;

    // Resets everything except the configuration folder.
    void Initialize();
    static void InitializeRoadElement(Road_Element& element);

    int LibraryFile_Read(const QString& path);
    int LibraryFile_Save(const QString& path);

    // Stores the folder of the option file and reads it.
    int SetConfigPath(const QString& dir);
    // Stores the option and saves the option file.
    void SetOption(const Road_Calculate_Option& option);
    Road_Calculate_Option GetOption() const { return m_Option; }
    int Config_Read();
    int Config_Save();

    // Writes the curve exchange file.
    int REToTDFE(const QString& path);
    // The text REToTDFE writes, without the file; sets the running length as REToTDFE does.
    int REToTDFEText(QString& text);
    // The conversion itself: the curve records of the elements (a start point for each point
    // element, lengths below 1e-6 m as 0.0001). False when a length is not finite; other values
    // that are not finite are left for the writer to refuse.
    bool ToCurveFile(CurveFile& file) const;

    QString m_RoadName;
    double m_StartMileage = 0.0;
    double m_RunningMileage = 0.0; // total written length after REToTDFE
    std::vector<Road_Element> m_Elements;
    Road_Calculate_Option m_Option;
    QString m_ConfigPath;
};
