#include "sources/CppSQLite3_Detail.h"

#include "platform/TextCodec.h"

#include <cstring>

namespace sqlite_detail
{
void Throw(sqlite3* db, int rc)
{
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    throw CppSQLite3Exception(rc, text ? text : "unknown database error");
}

void ThrowMisuse(const char* what) { throw CppSQLite3Exception(-1, what); }

std::shared_ptr<sqlite3_stmt> Own(sqlite3_stmt* stmt)
{
    return std::shared_ptr<sqlite3_stmt>(stmt, [](sqlite3_stmt* s) { sqlite3_finalize(s); });
}
} // namespace sqlite_detail

using namespace sqlite_detail;

CppSQLite3Exception::CppSQLite3Exception(int errorCode, std::string message)
    : m_ErrorCode(errorCode), m_Message(std::move(message))
{
}

CppSQLite3DB::CppSQLite3DB() = default;

CppSQLite3DB::~CppSQLite3DB() { close(); }

void CppSQLite3DB::OpenWith(const char* pathUtf8, int flags)
{
    close();
    if (!pathUtf8 || !*pathUtf8) ThrowMisuse("no database path given");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(pathUtf8, &db, flags, nullptr);
    if (rc != SQLITE_OK)
    {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw CppSQLite3Exception(rc, message);
    }
    sqlite3_extended_result_codes(db, 0);
    // A double-quoted name that matches no column would otherwise silently become a text
    // constant: a misspelt column then compares or selects as a string and no error is seen.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    m_pDB = db;
}

void CppSQLite3DB::open(const char* pathUtf8)
{
    OpenWith(pathUtf8, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

void CppSQLite3DB::openReadOnly(const char* pathUtf8)
{
    OpenWith(pathUtf8, SQLITE_OPEN_READONLY);
    // A file from elsewhere may carry views or triggers that call functions; refuse those, and
    // forbid the statements that could write through a crafted schema.
    sqlite3_db_config(m_pDB, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_pDB, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
}

void CppSQLite3DB::close()
{
    if (!m_pDB) return;
    // Statements still held elsewhere keep the connection alive until they are finalized.
    sqlite3_close_v2(m_pDB);
    m_pDB = nullptr;
}

void CppSQLite3DB::Check() const
{
    if (!m_pDB) ThrowMisuse("database is not open");
}

sqlite3_stmt* CppSQLite3DB::Prepare(const char* sql)
{
    Check();
    if (!sql) ThrowMisuse("no SQL given");
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(m_pDB, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) Throw(m_pDB, rc);
    if (!stmt) ThrowMisuse("empty SQL statement");
    return stmt;
}

CppSQLite3Query CppSQLite3DB::execQuery(const char* sql)
{
    std::shared_ptr<sqlite3_stmt> stmt = Own(Prepare(sql));
    int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_DONE) return CppSQLite3Query(m_pDB, stmt, true);
    if (rc == SQLITE_ROW) return CppSQLite3Query(m_pDB, stmt, false);
    Throw(m_pDB, rc);
}

CppSQLite3Query CppSQLite3DB::execQuery(const QString& sql) { return execQuery(ToUtf8(sql).constData()); }

int CppSQLite3DB::execScalar(const char* sql)
{
    CppSQLite3Query q = execQuery(sql);
    if (q.eof() || q.numFields() < 1) ThrowMisuse("scalar query returned no value");
    return q.getIntField(0);
}

int CppSQLite3DB::execScalar(const QString& sql) { return execScalar(ToUtf8(sql).constData()); }

int CppSQLite3DB::execDML(const char* sql)
{
    Check();
    if (!sql) ThrowMisuse("no SQL given");
    char* error = nullptr;
    int rc = sqlite3_exec(m_pDB, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
    {
        std::string message = error ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        throw CppSQLite3Exception(rc, message);
    }
    return sqlite3_changes(m_pDB);
}

int CppSQLite3DB::execDML(const QString& sql) { return execDML(ToUtf8(sql).constData()); }

CppSQLite3Statement CppSQLite3DB::compileStatement(const char* sql)
{
    return CppSQLite3Statement(m_pDB, Own(Prepare(sql)));
}

CppSQLite3Statement CppSQLite3DB::compileStatement(const QString& sql)
{
    return compileStatement(ToUtf8(sql).constData());
}

bool CppSQLite3DB::tableExists(const QString& name)
{
    CppSQLite3Statement st =
        compileStatement("select count(*) from sqlite_master where type='table' and name=? collate nocase;");
    st.bind(1, name);
    CppSQLite3Query q = st.execQuery();
    return !q.eof() && q.getIntField(0) > 0;
}

void CppSQLite3DB::interrupt()
{
    if (m_pDB) sqlite3_interrupt(m_pDB);
}

QString QuoteSqlIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
