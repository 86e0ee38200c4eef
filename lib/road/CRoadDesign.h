#pragma once

#include "platform/ColorRef.h"
#include "platform/Export.h"
#include "road/CRoadElement.h"
#include "road/StationText.h"
#include "road/SurveyCoord.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CMapConvert;
class CRoadDesign_Element;
class CRoadDesignIndex;
class QPainter;

// A candidate answer of the inverse query.
struct PegOffsetData
{
    double peg = 0.0;
    double offset = 0.0;
};

// One line of a stake file.
struct RoadCoordinate
{
    int type = 0; // 0 main point, 2 interval stake
    QString name;
    QString note; // station formatted "%.4f"
    double mileage = 0.0;
    double x = 0.0;
    double y = 0.0;
    double h = 0.0;
    double azimuth = 0.0; // radians
};

// The line layout of a stake file.
enum class StakeLayout
{
    StakeFile, // name,x,y,h,station,bearing: the program's own, which ValidateCalculate reads
    Field      // name,code,east,north,height for total stations and GNSS controllers; the code
               // carries the station as K<km>+<metres> ("K1+234.5000")
};

// How a walk over the stakes of an export ended.
enum class StakeWalk
{
    Refused,     // nothing walked: no route loaded, a bad interval or offset, or too many stakes
    Interrupted, // a point could not be computed; the stakes before it were yielded
    Complete
};

// The computed alignment: a chain of computed elements with its main points and extent. Answers
// station/offset queries both ways and exports stake files.
class TESVANE_API CRoadDesign
{
public:
    CRoadDesign() = default;
    virtual ~CRoadDesign() = default;

    int LoadRoadData(CRoadDesign_Element* route);
    int LoadTDFEFile(const QString& path);
    // The same from the text of a curve exchange file (as a route's conversion produces it), so
    // that a route can be computed without writing the file.
    int LoadTDFEText(const QString& text);
    int IsLoad() const { return m_Loaded; }
    void UnLoad();

    int GetRange(double& minX, double& maxX, double& minY, double& maxY, int recompute);
    int GetAngleAndXY(double station, double& x, double& y, double& bearing, double offset) const;
    int GetPegAndOffset(double x, double y, double& station, double& offset, int useWindow,
                        double nearStation) const;
    // Writes the stake file: one line per record of Stakes. The lines before an interruption are
    // written and 0 is returned; a refused export writes nothing.
    int Export(const QString& path, double interval, double offset, int mode,
               StakeLayout layout = StakeLayout::StakeFile);
    // The stakes of an export in file order: each element's start with its main-point label, the
    // middle of each circular curve (QZ), a numbered stake every `interval` metres (mode 0 at whole
    // multiples of it, 1 counted from the start station), and the end (ZD), all at `offset` from
    // the centre line. `yield` is called once per record; the record is reused between calls.
    StakeWalk Stakes(double interval, double offset, int mode,
                     const std::function<void(const RoadCoordinate&)>& yield) const;
    int ValidateCalculate(const QString& path);
    // Draws the centre line in m_RoadColor and the main points (label mode 0 none, 1 names,
    // 2 stations, 3 both: "ZH1 K12+765.678") through the converter. Stations are written as the
    // main points note them (metres, four decimals) or as K-marks. A label that would cover one
    // already drawn is left out, the start and end first, so a long route seen whole shows a
    // readable subset. Defined by the map engine (map/CRoadDesign_Draw.cpp): the road engine
    // itself does not draw.
    void Draw(QPainter* painter, CMapConvert* convert, int labelMode,
              StationStyle stationStyle = StationStyle::Metres) const;

    void SetPegLimitPar(int on, double from, double to);
    static int CheckPegLimit(double station, double a, double b);
    void SetRoadColor(unsigned long color) { m_RoadColor = color; }

    // Radians <-> packed degrees.minutes-seconds (DDD.MMSSffff): mode 0 packs, 1 unpacks.
    static double RAD(double value, int mode);

    std::vector<SurveyCoord> m_MainPoints;
    double m_MinX = 0.0;
    double m_MaxX = 0.0;
    double m_MinY = 0.0;
    double m_MaxY = 0.0;
    int m_Loaded = 0;
    unsigned long m_RoadColor = 0;
    std::vector<CRoadElement> m_RoadElements;
    int m_PegLimitOn = 0;
    double m_PegLimitFrom = 0.0;
    double m_PegLimitTo = 0.0;
    QString m_RoadName;
    double m_StartMileage = 0.0;

protected:
    int Calculate();

    // The inverse query as a plain scan over every record, without the spatial index. The indexed
    // query must give exactly its answers; kept for tests and benchmarks.
    int GetPegAndOffsetFullScan(double x, double y, double& station, double& offset, int useWindow,
                                double nearStation) const;

private:
    int GetPegAndOffsetIndexed(double x, double y, double& station, double& offset, int useWindow,
                               double nearStation, bool& decided) const;
    bool PassesPegLimit(const CRoadElement& record) const;
    void BuildIndex();

    // Built by every successful chain calculation from the records; immutable, so copies of the
    // model may share it. Code that changes m_RoadElements directly must load again.
    std::shared_ptr<const CRoadDesignIndex> m_Index;
};
