#include "geometry/CResultData.h"

void CResultData::AddFieldValue(const QString& value) { m_FieldValues.push_back(value); }

QString CResultData::GetDataFieldValue(int index) const
{
    if (index < 0 || index >= GetFieldValueCount()) return QString();
    return m_FieldValues[static_cast<size_t>(index)];
}

void CResultData::AddPoint(const xyhCoord& point, int newPart)
{
    if (newPart == 1) m_PartStarts.push_back(static_cast<unsigned int>(m_Points.size()));
    m_Points.push_back(point);
}

xyhCoord CResultData::GetPoint(int index) const
{
    if (index < 0 || index >= GetPointCount()) return xyhCoord();
    return m_Points[static_cast<size_t>(index)];
}

void CResultData::Clear()
{
    m_Points.clear();
    m_PartStarts.clear();
    m_FieldValues.clear();
}
