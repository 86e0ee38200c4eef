#include "road/CRoadDesign_Element.h"

#include "platform/FileIO.h"
#include "platform/NumberText.h"
#include "road/RouteOptionFile.h"
#include "road/RouteText.h"


#include <charconv>
#include <cmath>
#include <limits>

namespace
{
int TruncatedInterval(double interval)
{
    if (!std::isfinite(interval)) return 0;
    if (interval >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (interval <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(interval);
}

const QString kRoadNameKey = QStringLiteral("ROADNAME:");
const QString kMileageKey = QStringLiteral("MELIAGE :");
const QString kElementKey = QStringLiteral("ELEMENT :");
const QString kConfigName = QStringLiteral("\\RoadDesign_Element.cfg");
} // namespace

void CRoadDesign_Element::Initialize()
{
    m_RoadName.clear();
    m_StartMileage = 0.0;
    m_RunningMileage = 0.0;
    m_Elements.clear();
    m_Option = Road_Calculate_Option();
}

void CRoadDesign_Element::InitializeRoadElement(Road_Element& element)
{
    element = Road_Element();
}

int CRoadDesign_Element::LibraryFile_Read(const QString& path)
{
    std::vector<RouteFileLine> lines;
    if (!ReadRouteFileLines(path, lines)) return 0;

    m_RoadName.clear();
    m_StartMileage = 0.0;
    m_Elements.clear();
    for (const RouteFileLine& line : lines)
    {
        const QString& key = line.key;
        const QString& values = line.values;
        if (key == kRoadNameKey)
        {
            m_RoadName = RouteNameOf(values);
        }
        else if (key == kMileageKey)
        {
            m_StartMileage = LeadingNumber(values);
        }
        else if (key == kElementKey)
        {
            const QStringList f = SplitFields(values, 11);
            Road_Element e;
            InitializeRoadElement(e);
            e.type = LeadingInteger(f.at(0));
            e.point.name = f.at(1);
            e.point.x = LeadingNumber(f.at(2));
            e.point.y = LeadingNumber(f.at(3));
            e.point.h = LeadingNumber(f.at(4));
            e.point.note = f.at(5);
            e.azimuth = LeadingNumber(f.at(6));
            e.length = LeadingNumber(f.at(7));
            e.radius = LeadingNumber(f.at(8));
            e.spare = LeadingNumber(f.at(9));
            m_Elements.push_back(e);
        }
    }
    return 1;
}

int CRoadDesign_Element::LibraryFile_Save(const QString& path)
{
    const QString target = path.trimmed();
    if (target.isEmpty()) return 0;

    // Lines are written whole, however long a name makes them: the readers take lines of any
    // length, and cutting a name would change the route without a word.
    QString text;
    text += kRoadNameKey + FieldText(m_RoadName) + QStringLiteral(",\r\n");
    text += kMileageKey + FormatFixed(m_StartMileage, 3) + QStringLiteral(",\r\n");
    const QString comma = QStringLiteral(",");
    for (const Road_Element& e : m_Elements)
    {
        text += kElementKey + QString::number(e.type) + comma + FieldText(e.point.name) + comma +
                FormatFixed(e.point.x, 6) + comma + FormatFixed(e.point.y, 6) + comma + FormatFixed(e.point.h, 6) + comma +
                FieldText(e.point.note) + comma + FormatFixed(e.azimuth, 12) + comma + FormatFixed(e.length, 6) + comma +
                FormatFixed(e.radius, 6) + comma + FormatFixed(e.spare, 6) + QStringLiteral(",\r\n");
    }
    return WriteAnsiTextFile(target, text) ? 1 : 0;
}

int CRoadDesign_Element::SetConfigPath(const QString& dir)
{
    m_ConfigPath = dir;
    return Config_Read();
}

void CRoadDesign_Element::SetOption(const Road_Calculate_Option& option)
{
    m_Option = option;
    (void)Config_Save();
}

int CRoadDesign_Element::Config_Read()
{
    return ReadRouteOptionFile(JoinPath(m_ConfigPath, kConfigName), QStringLiteral("RoadDesign_Element"), m_Option);
}

int CRoadDesign_Element::Config_Save()
{
    return SaveRouteOptionFile(JoinPath(m_ConfigPath, kConfigName), QStringLiteral("RoadDesign_Element"),
                               m_Option.CalculateMode, QString::number(TruncatedInterval(m_Option.Interval)));
}

int CRoadDesign_Element::REToTDFE(const QString& path)
{
    const QString target = path.trimmed();
    if (target.isEmpty()) return 0;
    QString text;
    if (!REToTDFEText(text)) return 0;
    return WriteAnsiTextFile(target, text) ? 1 : 0;
}

int CRoadDesign_Element::REToTDFEText(QString& text)
{
    CurveFile file;
    const bool finite = ToCurveFile(file);
    m_RunningMileage = CurveFileLength(file);
    return finite && CurveFileText(file, CurveFileSource::ElementRoute, text) ? 1 : 0;
}

bool CRoadDesign_Element::ToCurveFile(CurveFile& file) const
{
    file = CurveFile();
    file.roadName = m_RoadName;
    file.startStation = m_StartMileage;

    // A value that is not finite has no meaning in the exchange file: refuse rather than write a
    // file that describes another route. A length is checked here, before a tiny one is replaced.
    bool finite = true;
    const qsizetype count = static_cast<qsizetype>(m_Elements.size());
    for (qsizetype i = 0; i < count; ++i)
    {
        const Road_Element& e = m_Elements[static_cast<size_t>(i)];
        if (e.type < 1 || e.type > 4) continue;
        CurveFileRecord record;
        if (e.type == 1)
        {
            record.kind = CurveFileRecord::Point;
            record.x = e.point.x;
            record.y = e.point.y;
            file.records.push_back(record);
            continue;
        }
        record.length = e.length < 1e-6 ? 0.0001 : e.length;
        finite = finite && std::isfinite(e.length);
        if (e.type == 2)
        {
            record.kind = CurveFileRecord::Straight;
            record.bearingDegrees = e.azimuth;
        }
        else if (e.type == 3)
        {
            record.kind = CurveFileRecord::Arc;
            record.radius = e.radius;
        }
        else
        {
            // The clothoid parameter comes from the circle it leads into, else the one it leaves.
            double radius = 0.0;
            if (i > 0 && m_Elements[static_cast<size_t>(i - 1)].type == 3)
                radius = m_Elements[static_cast<size_t>(i - 1)].radius;
            if (i + 1 < count && m_Elements[static_cast<size_t>(i + 1)].type == 3)
                radius = m_Elements[static_cast<size_t>(i + 1)].radius;
            double a = std::sqrt(std::fabs(e.length * radius));
            if (!std::isfinite(a)) a = std::sqrt(std::fabs(e.length)) * std::sqrt(std::fabs(radius));
            record.kind = CurveFileRecord::Transition;
            record.parameter = a;
        }
        file.records.push_back(record);
    }
    return finite;
}
