#pragma once

#include "geometry/CResultData.h"
#include "platform/Export.h"

#include <QString>
#include <memory>
#include <vector>

// The table in which a data source hands the result of a query to its caller: typed, named
// fields and rows that the table owns.
class TESVANE_API CAnalyseResult
{
public:
    CAnalyseResult() = default;
    CAnalyseResult(const CAnalyseResult&) = delete;
    CAnalyseResult& operator=(const CAnalyseResult&) = delete;
    virtual ~CAnalyseResult() = default;

    void AddField(int type, const QString& name);
    int GetFieldCount() const { return static_cast<int>(m_FieldNames.size()); }
    // -1 for an index outside the fields.
    int GetFieldType(int index) const;
    // Empty for an index outside the fields.
    QString GetFieldName(int index) const;

    // Takes ownership of the row; a null pointer is ignored.
    void AddResultData(CResultData* row);
    // The row, still owned by the table, or null for an index out of range.
    CResultData* GetResultData(int index) const;
    int GetResultDataCount() const { return static_cast<int>(m_Rows.size()); }

    // Deletes every row, then forgets the fields. Row pointers fetched before are invalid.
    void Clear();

private:
    std::vector<std::unique_ptr<CResultData>> m_Rows;
    std::vector<unsigned int> m_FieldTypes;
    std::vector<QString> m_FieldNames;
};
