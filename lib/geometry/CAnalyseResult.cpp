#include "geometry/CAnalyseResult.h"

void CAnalyseResult::AddField(int type, const QString& name)
{
    m_FieldTypes.push_back(static_cast<unsigned int>(type));
    m_FieldNames.push_back(name);
}

int CAnalyseResult::GetFieldType(int index) const
{
    if (index < 0 || index >= GetFieldCount()) return -1;
    return static_cast<int>(m_FieldTypes[static_cast<size_t>(index)]);
}

QString CAnalyseResult::GetFieldName(int index) const
{
    if (index < 0 || index >= GetFieldCount()) return QString();
    return m_FieldNames[static_cast<size_t>(index)];
}

void CAnalyseResult::AddResultData(CResultData* row)
{
    if (row) m_Rows.emplace_back(row);
}

CResultData* CAnalyseResult::GetResultData(int index) const
{
    if (index < 0 || index >= GetResultDataCount()) return nullptr;
    return m_Rows[static_cast<size_t>(index)].get();
}

void CAnalyseResult::Clear()
{
    m_Rows.clear();
    m_FieldNames.clear();
    m_FieldTypes.clear();
}
