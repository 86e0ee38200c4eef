#include "road/CRoadDesign.h"

#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign_Detail.h"
#include "road/CurveFile.h"
#include "road/RouteText.h"

#include <QFileInfo>

using namespace RoadDesignDetail;

int CRoadDesign::LoadTDFEFile(const QString& path)
{
    // A missing file leaves the model as it was (the application then keeps showing and
    // exporting the route it had).
    if (path.isEmpty() || !QFileInfo(path).isFile()) return 0;
    QString text;
    if (!ReadAnsiTextFile(path, text)) return 0;
    return LoadTDFEText(text);
}

int CRoadDesign::LoadTDFEText(const QString& text)
{
    m_Loaded = 0;
    m_Index.reset();
    m_RoadElements.clear();
    m_MainPoints.clear();

    const CurveFile file = ReadCurveFileText(text);
    if (file.roadName) m_RoadName = *file.roadName;
    if (file.startStation) m_StartMileage = *file.startStation;
    for (const CurveFileRecord& r : file.records)
    {
        CRoadElement record;
        switch (r.kind)
        {
        case CurveFileRecord::Point:
            record.m_Kind = CRoadElement::StartPoint;
            record.m_StartY = r.y;
            record.m_StartX = r.x;
            break;
        case CurveFileRecord::Straight:
            record.m_Kind = CRoadElement::Straight;
            record.m_Length = r.length;
            record.m_StartBearing = Angle::DegreesToRadians(r.bearingDegrees);
            break;
        case CurveFileRecord::Transition:
            // The clothoid follows from the radii around it; its parameter is not needed.
            record.m_Kind = CRoadElement::Transition;
            record.m_Length = r.length;
            if (!(record.m_Length > 1e-10)) continue;
            break;
        case CurveFileRecord::Arc:
            record.m_Kind = CRoadElement::CircularCurve;
            record.m_Length = r.length;
            record.m_StartRadius = r.radius;
            if (!(record.m_Length > 1e-10)) continue;
            break;
        }
        m_RoadElements.push_back(record);
    }

    if (m_RoadElements.size() < 2)
    {
        ShowMessage(QString::fromUtf8("道路元素不能少于2个!"), QString(), MessageKind::Warning);
        return 0;
    }
    m_RoadElements[0].m_StartStation = m_StartMileage;
    if (!Calculate()) return 0;
    m_Loaded = 1;
    return 1;
}
