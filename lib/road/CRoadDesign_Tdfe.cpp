#include "road/CRoadDesign.h"

#include "platform/MessageSink.h"
#include "platform/NumberText.h"
#include "road/CRoadDesign_Detail.h"
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

    m_Loaded = 0;
    m_Index.reset();
    m_RoadElements.clear();
    m_MainPoints.clear();

    // Every line is read, also a last one without a line end, and lines may end in CR LF, LF or
    // CR alone. Line ends never belong to a value, so a route name carries no trailing CR.
    for (const QString& line : SplitTextLines(text))
    {
        if (line.isEmpty()) continue;
        const QStringList fields = SplitFields(line, 3);
        const QString& key = fields.at(0);
        CRoadElement record;
        if (key == QLatin1String("RN"))
        {
            m_RoadName = fields.at(1);
            continue;
        }
        if (key == QLatin1String("START CHAINAGE"))
        {
            m_StartMileage = LeadingNumber(fields.at(1));
            continue;
        }
        if (key == QLatin1String("PT"))
        {
            record.m_Kind = CRoadElement::StartPoint;
            record.m_StartY = LeadingNumber(fields.at(1));
            record.m_StartX = LeadingNumber(fields.at(2));
        }
        else if (key == QLatin1String("R."))
        {
            record.m_Kind = CRoadElement::Straight;
            record.m_Length = LeadingNumber(fields.at(1));
            record.m_StartBearing = LeadingNumber(fields.at(2)) * kPi / 180.0;
        }
        else if (key == QLatin1String("CL"))
        {
            record.m_Kind = CRoadElement::Transition;
            record.m_Length = LeadingNumber(fields.at(1));
            if (!(record.m_Length > 1e-10)) continue;
        }
        else if (key == QLatin1String("CC"))
        {
            record.m_Kind = CRoadElement::CircularCurve;
            record.m_Length = LeadingNumber(fields.at(1));
            record.m_StartRadius = LeadingNumber(fields.at(2));
            if (!(record.m_Length > 1e-10)) continue;
        }
        else
        {
            continue;
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
