#pragma once

#include "platform/MessageSink.h"
#include "platform/TextCodec.h"
#include "sources/CMap_GCD.h"
#include "sources/CppSQLite3.h"

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>
#include <vector>

namespace entitytest
{
// Writes entity databases as field data collection does: AttributeTable, one table per class,
// GPSTable, RelationTable and EntityTable. Names and values are bound or quoted, so tests can use
// any text.
class EntityDbWriter
{
public:
    explicit EntityDbWriter(const QString& path)
    {
        m_DB.open(ToUtf8(path).constData());
        m_DB.execDML("create table AttributeTable(Entity_Name TEXT, Entity_Type INTEGER, Label1 TEXT, Label2 TEXT);"
                     "create table GPSTable(GPS_ID INTEGER, LocalPlaneCoordinate_x REAL, LocalPlaneCoordinate_y REAL);"
                     "create table RelationTable(GPS_ID INTEGER, Entity_ID TEXT);"
                     "create table EntityTable(Entity_ID TEXT, Entity_Name TEXT);"
                     "begin;");
    }
    ~EntityDbWriter() { Finish(); }

    void Finish()
    {
        if (m_DB.isopen())
        {
            m_DB.execDML("commit;");
            m_DB.close();
        }
    }

    // A class and its table (Entity_ID plus the named label columns; "无" or "" for none).
    void AddClass(const QString& name, int type, const QString& label1 = QStringLiteral("无"),
                  const QString& label2 = QStringLiteral("无"))
    {
        CppSQLite3Statement st = m_DB.compileStatement("insert into AttributeTable values(?, ?, ?, ?);");
        st.bind(1, name);
        st.bind(2, type);
        st.bind(3, label1);
        st.bind(4, label2);
        st.execDML();
        QString columns = QStringLiteral("Entity_ID TEXT");
        for (const QString& l : {label1, label2})
            if (!l.isEmpty() && l != QStringLiteral("无")) columns += QStringLiteral(", %1 TEXT").arg(QuoteSqlIdentifier(l));
        m_DB.execDML(QStringLiteral("create table %1(%2);").arg(QuoteSqlIdentifier(name), columns));
        m_Labels.push_back({name, {label1, label2}});
    }

    // An entity row with its label values, and its positions (x, y) as observations.
    void AddEntity(const QString& className, const QString& id, std::initializer_list<std::pair<double, double>> xy,
                   const QStringList& labelValues = {})
    {
        AddEntityRow(className, id, labelValues);
        for (const auto& p : xy) AddPosition(id, p.first, p.second);
    }

    void AddEntityRow(const QString& className, const QString& id, const QStringList& labelValues = {})
    {
        QStringList columns{QStringLiteral("Entity_ID")};
        QStringList marks{QStringLiteral("?")};
        for (const auto& c : m_Labels)
            if (c.first == className)
                for (const QString& l : c.second)
                    if (!l.isEmpty() && l != QStringLiteral("无"))
                    {
                        columns << QuoteSqlIdentifier(l);
                        marks << QStringLiteral("?");
                    }
        CppSQLite3Statement st = m_DB.compileStatement(QStringLiteral("insert into %1(%2) values(%3);")
                                                           .arg(QuoteSqlIdentifier(className), columns.join(QLatin1Char(',')),
                                                                marks.join(QLatin1Char(','))));
        st.bind(1, id);
        for (int i = 1; i < columns.size(); ++i) st.bind(i + 1, i - 1 < labelValues.size() ? labelValues[i - 1] : QString());
        st.execDML();
        CppSQLite3Statement et = m_DB.compileStatement("insert into EntityTable values(?, ?);");
        et.bind(1, id);
        et.bind(2, className);
        et.execDML();
    }

    // One observation of an entity: a GPSTable row and its RelationTable row.
    void AddPosition(const QString& id, double x, double y)
    {
        const int gps = ++m_LastGps;
        CppSQLite3Statement g = m_DB.compileStatement("insert into GPSTable values(?, ?, ?);");
        g.bind(1, gps);
        g.bind(2, x);
        g.bind(3, y);
        g.execDML();
        CppSQLite3Statement r = m_DB.compileStatement("insert into RelationTable values(?, ?);");
        r.bind(1, gps);
        r.bind(2, id);
        r.execDML();
    }

    CppSQLite3DB& DB() { return m_DB; }

private:
    CppSQLite3DB m_DB;
    int m_LastGps = 0;
    std::vector<std::pair<QString, QStringList>> m_Labels;
};

// A style dictionary with the four tables.
class StyleDictWriter
{
public:
    explicit StyleDictWriter(const QString& path)
    {
        m_DB.open(ToUtf8(path).constData());
        m_DB.execDML("create table Entity(Name TEXT);"
                     "create table Entity_Style_Point(Entity_Name TEXT, Icon_FontName TEXT, Icon_Index INTEGER, "
                     "Icon_Color INTEGER, Icon_Size INTEGER);"
                     "create table Entity_Style_Line(Entity_Name TEXT, Line_Style INTEGER, Line_Color INTEGER, "
                     "Line_Width INTEGER);"
                     "create table Entity_Style_Plane(Entity_Name TEXT, Outline_Style INTEGER, Outline_Color INTEGER, "
                     "Outline_Width INTEGER, Fillin_Style INTEGER, Fillin_Color INTEGER);");
    }
    void Point(const QString& name, const QString& font, int index, unsigned long color, int size)
    {
        Insert("Entity_Style_Point", name, {font, index, static_cast<long long>(color), size});
    }
    void Line(const QString& name, int style, unsigned long color, int width)
    {
        Insert("Entity_Style_Line", name, {style, static_cast<long long>(color), width});
    }
    void Plane(const QString& name, int style, unsigned long color, int width, int fillStyle, unsigned long fill)
    {
        Insert("Entity_Style_Plane", name,
               {style, static_cast<long long>(color), width, fillStyle, static_cast<long long>(fill)});
    }
    CppSQLite3DB& DB() { return m_DB; }

private:
    struct Value
    {
        Value(const QString& t) : text(t), isText(true) {}
        Value(long long n) : number(n) {}
        Value(int n) : number(n) {}
        QString text;
        long long number = 0;
        bool isText = false;
    };
    void Insert(const char* table, const QString& name, std::initializer_list<Value> values)
    {
        CppSQLite3Statement e = m_DB.compileStatement("insert into Entity values(?);");
        e.bind(1, name);
        e.execDML();
        QString marks = QStringLiteral("?");
        for (size_t i = 0; i < values.size(); ++i) marks += QStringLiteral(",?");
        CppSQLite3Statement st =
            m_DB.compileStatement(QStringLiteral("insert into %1 values(%2);").arg(QLatin1String(table), marks));
        st.bind(1, name);
        int i = 2;
        for (const Value& v : values)
        {
            if (v.isText)
                st.bind(i++, v.text);
            else
                st.bind(i++, v.number);
        }
        st.execDML();
    }
    CppSQLite3DB m_DB;
};

// Records the messages shown while it lives.
class MessageRecorder
{
public:
    MessageRecorder()
    {
        m_Previous = SetMessageHandler([this](const QString& text, const QString&, MessageKind) {
            texts << text;
            return MessageAnswer::Ok;
        });
    }
    ~MessageRecorder() { SetMessageHandler(m_Previous); }
    QStringList texts;

private:
    MessageHandler m_Previous;
};

// Opens and loads a database the way the layer does.
inline int OpenAndLoad(CMap_GCD& gcd, const QString& path, const QString& dictionary = QString())
{
    MapConfigItem item = gcd.GetMapItem();
    item.FullPathName = path;
    item.DictionaryPathName = dictionary;
    gcd.SetMapItem(item);
    if (!gcd.OpenFile()) return -1;
    return gcd.LoadEntityData();
}
} // namespace entitytest
