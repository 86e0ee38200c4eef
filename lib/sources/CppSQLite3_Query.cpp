#include "sources/CppSQLite3_Detail.h"

#include "platform/TextCodec.h"

using namespace sqlite_detail;

CppSQLite3Query::CppSQLite3Query() = default;

CppSQLite3Query::CppSQLite3Query(sqlite3* db, std::shared_ptr<sqlite3_stmt> stmt, bool eof)
    : m_pDB(db), m_Stmt(std::move(stmt)), m_Eof(eof), m_Columns(sqlite3_column_count(m_Stmt.get()))
{
}

CppSQLite3Query::CppSQLite3Query(CppSQLite3Query&& other) noexcept { *this = std::move(other); }

CppSQLite3Query& CppSQLite3Query::operator=(CppSQLite3Query&& other) noexcept
{
    if (this != &other)
    {
        m_pDB = other.m_pDB;
        m_Stmt = std::move(other.m_Stmt);
        m_Eof = other.m_Eof;
        m_Columns = other.m_Columns;
        other.m_pDB = nullptr;
        other.m_Eof = true;
        other.m_Columns = 0;
    }
    return *this;
}

CppSQLite3Query::~CppSQLite3Query() = default;

// A statement reset under the query (rebound or run again) has left its row: the query is over.
bool CppSQLite3Query::eof() const { return m_Eof || !m_Stmt || !sqlite3_stmt_busy(m_Stmt.get()); }

void CppSQLite3Query::nextRow()
{
    CheckLive();
    if (eof()) return;
    int rc = sqlite3_step(m_Stmt.get());
    if (rc == SQLITE_ROW) return;
    m_Eof = true;
    if (rc != SQLITE_DONE) Throw(m_pDB, rc);
}

void CppSQLite3Query::finalize()
{
    m_Stmt.reset();
    m_Eof = true;
    m_Columns = 0;
}

void CppSQLite3Query::CheckLive() const
{
    if (!m_Stmt) ThrowMisuse("query is finalized");
}

void CppSQLite3Query::CheckColumn(int column) const
{
    CheckLive();
    if (column < 0 || column >= m_Columns) ThrowMisuse("invalid field index");
    if (eof()) ThrowMisuse("no current row");
}

int CppSQLite3Query::numFields() const { return m_Stmt ? m_Columns : 0; }

const char* CppSQLite3Query::fieldName(int column) const
{
    CheckLive();
    if (column < 0 || column >= m_Columns) ThrowMisuse("invalid field index");
    return sqlite3_column_name(m_Stmt.get(), column);
}

int CppSQLite3Query::fieldDataType(int column) const
{
    CheckColumn(column);
    return sqlite3_column_type(m_Stmt.get(), column);
}

bool CppSQLite3Query::fieldIsNull(int column) const { return fieldDataType(column) == SQLITE_NULL; }

int CppSQLite3Query::getIntField(int column, int nullValue) const
{
    if (fieldIsNull(column)) return nullValue;
    return sqlite3_column_int(m_Stmt.get(), column);
}

long long CppSQLite3Query::getInt64Field(int column, long long nullValue) const
{
    if (fieldIsNull(column)) return nullValue;
    return sqlite3_column_int64(m_Stmt.get(), column);
}

double CppSQLite3Query::getFloatField(int column, double nullValue) const
{
    if (fieldIsNull(column)) return nullValue;
    return sqlite3_column_double(m_Stmt.get(), column);
}

const char* CppSQLite3Query::getStringField(int column, const char* nullValue) const
{
    if (fieldIsNull(column)) return nullValue;
    return reinterpret_cast<const char*>(sqlite3_column_text(m_Stmt.get(), column));
}

const char* CppSQLite3Query::fieldValue(int column) const
{
    CheckColumn(column);
    return reinterpret_cast<const char*>(sqlite3_column_text(m_Stmt.get(), column));
}

const unsigned char* CppSQLite3Query::getBlobField(int column, int& length) const
{
    CheckColumn(column);
    auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(m_Stmt.get(), column));
    length = sqlite3_column_bytes(m_Stmt.get(), column);
    return bytes;
}

QString CppSQLite3Query::getTextField(int column, const QString& nullValue) const
{
    if (fieldIsNull(column)) return nullValue;
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_Stmt.get(), column));
    return FromUtf8(QByteArray(text, sqlite3_column_bytes(m_Stmt.get(), column)));
}
