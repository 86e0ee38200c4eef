#pragma once

#include "platform/Export.h"

#include <QByteArray>
#include <QString>

#include <exception>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// A thin C++ interface over the SQLite C library, used by every source that keeps its data in a
// database file. Failures raise CppSQLite3Exception; nothing here shows a message.
//
// Values that come from data (names, identifiers, class names) are never pasted into SQL text:
// they are bound to a CppSQLite3Statement, and table or column names are quoted with
// QuoteSqlIdentifier. A crafted database can then neither break a statement nor choose one.

class TESVANE_API CppSQLite3Exception : public std::exception
{
public:
    CppSQLite3Exception(int errorCode, std::string message);
    // The SQLite result code (SQLITE_ERROR, SQLITE_CORRUPT, ...), or -1 for misuse of this interface.
    int errorCode() const { return m_ErrorCode; }
    const char* errorMessage() const { return m_Message.c_str(); }
    const char* what() const noexcept override { return m_Message.c_str(); }

private:
    int m_ErrorCode;
    std::string m_Message;
};

// One result set, positioned on its current row. Columns are numbered from 0 in the order of the
// SELECT list; a column number outside the row raises an exception rather than reading nothing.
// Texts and blobs returned as pointers stay valid until the query moves or is destroyed.
class TESVANE_API CppSQLite3Query
{
public:
    CppSQLite3Query();
    CppSQLite3Query(CppSQLite3Query&&) noexcept;
    CppSQLite3Query& operator=(CppSQLite3Query&&) noexcept;
    CppSQLite3Query(const CppSQLite3Query&) = delete;
    CppSQLite3Query& operator=(const CppSQLite3Query&) = delete;
    ~CppSQLite3Query();

    bool eof() const;
    void nextRow();
    void finalize();

    int numFields() const;
    const char* fieldName(int column) const;
    // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB or SQLITE_NULL.
    int fieldDataType(int column) const;
    bool fieldIsNull(int column) const;

    int getIntField(int column, int nullValue = 0) const;
    long long getInt64Field(int column, long long nullValue = 0) const;
    double getFloatField(int column, double nullValue = 0.0) const;
    const char* getStringField(int column, const char* nullValue = "") const;
    // The column's text, null for NULL.
    const char* fieldValue(int column) const;
    const unsigned char* getBlobField(int column, int& length) const;
    // The column's UTF-8 text decoded; nullValue for NULL.
    QString getTextField(int column, const QString& nullValue = QString()) const;

private:
    friend class CppSQLite3DB;
    friend class CppSQLite3Statement;
    CppSQLite3Query(sqlite3* db, std::shared_ptr<sqlite3_stmt> stmt, bool eof);
    void CheckColumn(int column) const;
    void CheckLive() const;

    sqlite3* m_pDB = nullptr;
    std::shared_ptr<sqlite3_stmt> m_Stmt;
    bool m_Eof = true;
    int m_Columns = 0;
};

// A prepared statement with parameters bound by position (from 1, as "?" are counted). It can be
// run, reset and run again with new values. A query returned by execQuery reads through this
// statement: it is valid until the statement is reset, rebound or run again. Binding resets the
// statement first, so a value can be bound while a query of the previous run is still open (that
// query is then finished); the other bindings stay.
class TESVANE_API CppSQLite3Statement
{
public:
    CppSQLite3Statement();
    CppSQLite3Statement(CppSQLite3Statement&&) noexcept;
    CppSQLite3Statement& operator=(CppSQLite3Statement&&) noexcept;
    CppSQLite3Statement(const CppSQLite3Statement&) = delete;
    CppSQLite3Statement& operator=(const CppSQLite3Statement&) = delete;
    ~CppSQLite3Statement();

    void bind(int param, const char* text);                  // UTF-8; null binds NULL
    void bind(int param, const QString& text);               // bound as UTF-8
    void bind(int param, int value);
    void bind(int param, long long value);
    void bind(int param, double value);
    void bind(int param, const unsigned char* blob, int length);
    void bindNull(int param);

    // Runs a statement that changes data or schema; returns the number of rows changed. The
    // statement is reset afterwards, keeping its bindings.
    int execDML();
    CppSQLite3Query execQuery();
    // Makes the statement ready to run again; bindings stay.
    void reset();
    void clearBindings();
    void finalize();

private:
    friend class CppSQLite3DB;
    CppSQLite3Statement(sqlite3* db, std::shared_ptr<sqlite3_stmt> stmt);
    void CheckBind(int param, int rc) const;
    sqlite3_stmt* Live() const;
    sqlite3_stmt* ForBinding() const;

    sqlite3* m_pDB = nullptr;
    std::shared_ptr<sqlite3_stmt> m_Stmt;
};

// One database connection. Closed when constructed, closed again on destruction. Statements and
// queries that outlive close() keep working until they are finalized (the connection closes
// when the last of them goes).
class TESVANE_API CppSQLite3DB
{
public:
    CppSQLite3DB();
    ~CppSQLite3DB();
    CppSQLite3DB(const CppSQLite3DB&) = delete;
    CppSQLite3DB& operator=(const CppSQLite3DB&) = delete;

    // Both opens make a double-quoted name that matches no column an error ("no such column"), as
    // standard SQL has it, instead of SQLite's legacy reading of it as a text constant; texts in
    // SQL are written in single quotes.
    // Opens for reading and writing, creating the file when it does not exist. For writers only.
    void open(const char* pathUtf8);
    // Opens an existing file for reading only; a missing file fails and nothing is ever created.
    // The connection also refuses to run SQL functions or virtual tables named by the file's own
    // schema (views, triggers), so a crafted file cannot act beyond reading.
    void openReadOnly(const char* pathUtf8);
    bool isopen() const { return m_pDB != nullptr; }
    void close();

    CppSQLite3Query execQuery(const char* sql);
    CppSQLite3Query execQuery(const QString& sql);
    // The first column of the first row as an integer; raises when there is no row.
    int execScalar(const char* sql);
    int execScalar(const QString& sql);
    // Runs one or more statements that change data or schema; returns the rows changed.
    int execDML(const char* sql);
    int execDML(const QString& sql);
    CppSQLite3Statement compileStatement(const char* sql);
    CppSQLite3Statement compileStatement(const QString& sql);

    // True when the database holds a table (not a view) of that name, compared as SQLite does.
    bool tableExists(const QString& name);
    // Makes a running statement of this connection stop with SQLITE_INTERRUPT. Any thread.
    void interrupt();

private:
    sqlite3_stmt* Prepare(const char* sql);
    void OpenWith(const char* pathUtf8, int flags);
    void Check() const;

    sqlite3* m_pDB = nullptr;
};

// A table or column name as an SQL identifier: in double quotes, each double quote doubled. Safe
// for any name; SQLite's [..] form cannot hold a ']'.
TESVANE_API QString QuoteSqlIdentifier(const QString& name);
