#include "sources/CppSQLite3.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>


namespace
{
struct DatabaseTest : ::testing::Test
{
    QTemporaryDir dir;
    QByteArray Path(const char* name) const { return QDir(dir.path()).filePath(name).toUtf8(); }
};

// Names that break or hijack statements built by pasting text.
const QString kHostileNames[] = {
    QStringLiteral("it's"), QStringLiteral("say \"hi\""), QStringLiteral("a]b"),
    QStringLiteral("x; drop table T; --"), QStringLiteral("道路中线"), QStringLiteral("']\";--")};
} // namespace

TEST_F(DatabaseTest, OpenCreatesForWritersButReadOnlyNeverCreates)
{
    CppSQLite3DB db;
    EXPECT_FALSE(db.isopen());
    EXPECT_THROW(db.openReadOnly(Path("missing.db").constData()), CppSQLite3Exception);
    EXPECT_FALSE(db.isopen());
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(Path("missing.db"))));

    db.open(Path("new.db").constData());
    EXPECT_TRUE(db.isopen());
    EXPECT_EQ(db.execDML("create table T(a integer, b text);"), 0);
    EXPECT_EQ(db.execDML("insert into T values(1,'x'); insert into T values(2,'y');"), 1);
    db.close();
    EXPECT_FALSE(db.isopen());

    db.openReadOnly(Path("new.db").constData());
    EXPECT_EQ(db.execScalar("select count(*) from T;"), 2);
    EXPECT_THROW(db.execDML("insert into T values(3,'z');"), CppSQLite3Exception);
    EXPECT_TRUE(db.tableExists("t"));
    EXPECT_FALSE(db.tableExists("U"));
}

TEST_F(DatabaseTest, QueriesReadEveryTypeAndNullDefaults)
{
    CppSQLite3DB db;
    db.open(Path("types.db").constData());
    db.execDML("create table T(i integer, f real, s text, b blob);");
    db.execDML("insert into T values(42, 2.5, '中文', x'00FF10');");
    db.execDML("insert into T values(NULL, NULL, NULL, NULL);");

    CppSQLite3Query q = db.execQuery("select i, f, s, b from T order by rowid;");
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.numFields(), 4);
    EXPECT_STREQ(q.fieldName(2), "s");
    EXPECT_EQ(q.getIntField(0, -1), 42);
    EXPECT_DOUBLE_EQ(q.getFloatField(1, -1), 2.5);
    EXPECT_EQ(q.getTextField(2), QStringLiteral("中文"));
    int length = 0;
    const unsigned char* blob = q.getBlobField(3, length);
    ASSERT_EQ(length, 3);
    EXPECT_EQ(blob[0], 0x00);
    EXPECT_EQ(blob[1], 0xFF);
    // A column outside the row is an error, not a silent zero.
    EXPECT_THROW(q.getIntField(4), CppSQLite3Exception);
    EXPECT_THROW(q.getIntField(-1), CppSQLite3Exception);

    q.nextRow();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.getIntField(0, -1), -1);
    EXPECT_DOUBLE_EQ(q.getFloatField(1, 7.5), 7.5);
    EXPECT_STREQ(q.getStringField(2, "none"), "none");
    EXPECT_EQ(q.fieldValue(2), nullptr);
    q.nextRow();
    EXPECT_TRUE(q.eof());
    EXPECT_THROW(q.getIntField(0), CppSQLite3Exception);

    EXPECT_TRUE(db.execQuery("select * from T where 0;").eof());
    EXPECT_THROW(db.execQuery("select * from NoSuchTable;"), CppSQLite3Exception);
    EXPECT_THROW(db.execScalar("select 1 where 0;"), CppSQLite3Exception);
}

TEST_F(DatabaseTest, BoundValuesAndQuotedIdentifiersSurviveHostileNames)
{
    CppSQLite3DB db;
    db.open(Path("hostile.db").constData());
    for (const QString& name : kHostileNames)
    {
        const QString table = QuoteSqlIdentifier(name);
        const QString column = QuoteSqlIdentifier(name + "列");
        db.execDML(QStringLiteral("create table %1(%2 text, n integer, v real, b blob);").arg(table, column));
        CppSQLite3Statement insert =
            db.compileStatement(QStringLiteral("insert into %1 values(?, ?, ?, ?);").arg(table));
        const QByteArray bytes("\x01\x00\x02", 3);
        insert.bind(1, name);
        insert.bind(2, 7);
        insert.bind(3, 1.25);
        insert.bind(4, reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
        EXPECT_EQ(insert.execDML(), 1);
        insert.bind(2, 8LL);
        EXPECT_EQ(insert.execDML(), 1) << "a statement runs again with its bindings";
        EXPECT_TRUE(db.tableExists(name)) << name.toStdString();

        CppSQLite3Statement select = db.compileStatement(
            QStringLiteral("select %1, n, v, b from %2 where %1 = ? order by n;").arg(column, table));
        select.bind(1, name);
        CppSQLite3Query q = select.execQuery();
        ASSERT_FALSE(q.eof()) << name.toStdString();
        EXPECT_EQ(q.getTextField(0), name);
        EXPECT_EQ(q.getIntField(1), 7);
        EXPECT_DOUBLE_EQ(q.getFloatField(2), 1.25);
        int length = 0;
        const unsigned char* b = q.getBlobField(3, length);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(b), length), bytes);
        q.nextRow();
        EXPECT_EQ(q.getIntField(1), 8);

        select.reset();
        select.bind(1, QStringLiteral("no such name"));
        EXPECT_TRUE(select.execQuery().eof());
    }
    // Nothing was dropped by the names that tried to.
    EXPECT_EQ(db.execScalar("select count(*) from sqlite_master where type='table';"),
              int(std::size(kHostileNames)));
    CppSQLite3Statement st = db.compileStatement("select ?;");
    EXPECT_THROW(st.bind(2, 1), CppSQLite3Exception);
    EXPECT_EQ(QuoteSqlIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

TEST_F(DatabaseTest, DamagedFilesRaiseInsteadOfCrashing)
{
    // Random bytes, a truncated database and an empty file.
    QFile junk(QString::fromUtf8(Path("junk.db")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    QByteArray bytes(8192, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7919 + 13) & 0xFF);
    junk.write(bytes);
    junk.close();

    {
        CppSQLite3DB db;
        db.open(Path("full.db").constData());
        db.execDML("create table Point(a text, b text);");
        db.execDML("begin;");
        CppSQLite3Statement ins = db.compileStatement("insert into Point values(?, ?);");
        for (int i = 0; i < 2000; ++i)
        {
            ins.bind(1, QString::number(i).repeated(20));
            ins.bind(2, i);
            ins.execDML();
        }
        db.execDML("commit;");
    }
    QFile full(QString::fromUtf8(Path("full.db")));
    ASSERT_TRUE(full.open(QIODevice::ReadOnly));
    QByteArray head = full.read(full.size() / 3);
    full.close();
    QFile cut(QString::fromUtf8(Path("cut.db")));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(head);
    cut.close();

    for (const char* name : {"junk.db", "cut.db"})
    {
        CppSQLite3DB db;
        bool failed = false;
        try
        {
            db.openReadOnly(Path(name).constData());
            int rows = 0;
            for (CppSQLite3Query q = db.execQuery("select * from Point;"); !q.eof(); q.nextRow()) ++rows;
        }
        catch (const CppSQLite3Exception& e)
        {
            failed = true;
            EXPECT_NE(std::string(e.errorMessage()), "");
        }
        EXPECT_TRUE(failed) << name;
    }
}

TEST_F(DatabaseTest, QueriesOutliveTheirStatementAndConnection)
{
    CppSQLite3Query q;
    {
        CppSQLite3DB db;
        db.open(Path("life.db").constData());
        db.execDML("create table T(a); insert into T values(1); insert into T values(2);");
        CppSQLite3Statement st = db.compileStatement("select a from T order by a;");
        q = st.execQuery();
    }
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.getIntField(0), 1);
    q.nextRow();
    EXPECT_EQ(q.getIntField(0), 2);
    q.nextRow();
    EXPECT_TRUE(q.eof());
}

TEST_F(DatabaseTest, DoubleQuotedNamesMustNameAColumn)
{
    {
        CppSQLite3DB db;
        db.open(Path("dqs.db").constData());
        db.execDML("create table T(\"Name\" text); insert into T values('a');");
        // A misspelt quoted column is an error for writers too, not the text "Nmae".
        EXPECT_THROW(db.execQuery("select \"Nmae\" from T;"), CppSQLite3Exception);
        EXPECT_THROW(db.execDML("create table U(a, check (a <> \"text\"));"), CppSQLite3Exception);
        EXPECT_EQ(db.execScalar("select count(*) from T where \"Name\" = 'a';"), 1);
    }
    CppSQLite3DB db;
    db.openReadOnly(Path("dqs.db").constData());
    try
    {
        db.execQuery("select count(*) from T where \"Name\" = \"nosuch\";");
        ADD_FAILURE() << "a quoted name that matches no column was taken as text";
    }
    catch (const CppSQLite3Exception& e)
    {
        EXPECT_NE(std::string(e.errorMessage()).find("no such column"), std::string::npos) << e.errorMessage();
    }
    EXPECT_EQ(db.execQuery("select \"Name\" from T;").getTextField(0), QStringLiteral("a"));
}

TEST_F(DatabaseTest, BindingWhileAQueryIsOpenStartsTheNextRun)
{
    CppSQLite3DB db;
    db.open(Path("rebind.db").constData());
    db.execDML("create table T(k, v); insert into T values(1,'a'); insert into T values(1,'b');"
               "insert into T values(2,'c');");
    CppSQLite3Statement st = db.compileStatement("select v from T where k = ? order by v;");
    st.bind(1, 1);
    CppSQLite3Query first = st.execQuery();
    ASSERT_FALSE(first.eof());
    EXPECT_EQ(first.getTextField(0), QStringLiteral("a"));
    // The first run still has a row to give; binding anyway ends it rather than failing.
    st.bind(1, 2);
    EXPECT_TRUE(first.eof());
    EXPECT_THROW(first.getTextField(0), CppSQLite3Exception);
    first.nextRow(); // a finished query stays finished, it does not restart the statement
    EXPECT_TRUE(first.eof());
    CppSQLite3Query second = st.execQuery();
    ASSERT_FALSE(second.eof());
    EXPECT_EQ(second.getTextField(0), QStringLiteral("c"));
    second.nextRow();
    EXPECT_TRUE(second.eof());

    // The same for a statement run to its end: rebinding needs no reset.
    st.bind(1, 1);
    int rows = 0;
    for (CppSQLite3Query q = st.execQuery(); !q.eof(); q.nextRow()) ++rows;
    EXPECT_EQ(rows, 2);
}
