#include "sources/CppSQLite3_Detail.h"

#include "platform/TextCodec.h"

using namespace sqlite_detail;

CppSQLite3Statement::CppSQLite3Statement() = default;

CppSQLite3Statement::CppSQLite3Statement(sqlite3* db, std::shared_ptr<sqlite3_stmt> stmt)
    : m_pDB(db), m_Stmt(std::move(stmt))
{
}

CppSQLite3Statement::CppSQLite3Statement(CppSQLite3Statement&& other) noexcept { *this = std::move(other); }

CppSQLite3Statement& CppSQLite3Statement::operator=(CppSQLite3Statement&& other) noexcept
{
    if (this != &other)
    {
        m_pDB = other.m_pDB;
        m_Stmt = std::move(other.m_Stmt);
        other.m_pDB = nullptr;
    }
    return *this;
}

CppSQLite3Statement::~CppSQLite3Statement() = default;

sqlite3_stmt* CppSQLite3Statement::Live() const
{
    if (!m_Stmt) ThrowMisuse("statement is finalized");
    return m_Stmt.get();
}

// SQLite refuses to bind to a statement that has been stepped since its last reset; binding is
// the start of the next run, so the previous one is ended here.
sqlite3_stmt* CppSQLite3Statement::ForBinding() const
{
    sqlite3_stmt* s = Live();
    sqlite3_reset(s);
    return s;
}

void CppSQLite3Statement::CheckBind(int param, int rc) const
{
    if (rc == SQLITE_RANGE) ThrowMisuse(("invalid parameter index " + std::to_string(param)).c_str());
    if (rc != SQLITE_OK) Throw(m_pDB, rc);
}

void CppSQLite3Statement::bind(int param, const char* text)
{
    sqlite3_stmt* s = ForBinding();
    CheckBind(param, text ? sqlite3_bind_text(s, param, text, -1, SQLITE_TRANSIENT) : sqlite3_bind_null(s, param));
}

void CppSQLite3Statement::bind(int param, const QString& text)
{
    QByteArray bytes = ToUtf8(text);
    CheckBind(param, sqlite3_bind_text(ForBinding(), param, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT));
}

void CppSQLite3Statement::bind(int param, int value) { CheckBind(param, sqlite3_bind_int(ForBinding(), param, value)); }

void CppSQLite3Statement::bind(int param, long long value)
{
    CheckBind(param, sqlite3_bind_int64(ForBinding(), param, value));
}

void CppSQLite3Statement::bind(int param, double value)
{
    CheckBind(param, sqlite3_bind_double(ForBinding(), param, value));
}

void CppSQLite3Statement::bind(int param, const unsigned char* blob, int length)
{
    sqlite3_stmt* s = ForBinding();
    if (!blob || length < 0) CheckBind(param, sqlite3_bind_null(s, param));
    else CheckBind(param, sqlite3_bind_blob(s, param, blob, length, SQLITE_TRANSIENT));
}

void CppSQLite3Statement::bindNull(int param) { CheckBind(param, sqlite3_bind_null(ForBinding(), param)); }

int CppSQLite3Statement::execDML()
{
    sqlite3_stmt* s = Live();
    sqlite3_reset(s);
    int rc = sqlite3_step(s);
    int changes = sqlite3_changes(m_pDB);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) Throw(m_pDB, rc);
    return changes;
}

CppSQLite3Query CppSQLite3Statement::execQuery()
{
    sqlite3_stmt* s = Live();
    sqlite3_reset(s);
    int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) return CppSQLite3Query(m_pDB, m_Stmt, true);
    if (rc == SQLITE_ROW) return CppSQLite3Query(m_pDB, m_Stmt, false);
    sqlite3_reset(s);
    Throw(m_pDB, rc);
}

void CppSQLite3Statement::reset()
{
    if (m_Stmt) sqlite3_reset(m_Stmt.get());
}

void CppSQLite3Statement::clearBindings()
{
    if (m_Stmt) sqlite3_clear_bindings(m_Stmt.get());
}

void CppSQLite3Statement::finalize() { m_Stmt.reset(); }
