#pragma once

#include "geometry/xyhCoord.h"
#include "platform/Export.h"

#include <QString>
#include <vector>

// One row of an analysis result: a text value per field and a geometry of one or more parts.
class TESVANE_API CResultData
{
public:
    virtual ~CResultData() = default;

    void AddFieldValue(const QString& value);
    // Empty for an index outside the values.
    QString GetDataFieldValue(int index) const;
    int GetFieldValueCount() const { return static_cast<int>(m_FieldValues.size()); }

    // With newPart == 1 the point starts a new part: its index is recorded first.
    void AddPoint(const xyhCoord& point, int newPart);
    // (0, 0, 0) for an index outside the points.
    xyhCoord GetPoint(int index) const;
    int GetPointCount() const { return static_cast<int>(m_Points.size()); }
    const std::vector<unsigned int>& GetPartStarts() const { return m_PartStarts; }

    void Clear();

private:
    std::vector<xyhCoord> m_Points;
    std::vector<unsigned int> m_PartStarts;
    std::vector<QString> m_FieldValues;
};
