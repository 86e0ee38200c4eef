#include "sources/CMap_GCD.h"

#include "platform/MessageSink.h"
#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/CppSQLite3.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cmath>

namespace
{
const char* const kCountError = "读取实体个数出错!";
const char* const kStyleError = "读取画图风格出错!";
const char* const kClassStyleError = "读取实体画图风格出错!";
const char* const kLoadError = "加载画图信息出错!";

void Tell(const char* text) { ShowMessage(QString::fromUtf8(text), ErrorCaption(), MessageKind::Error); }

// A load that was asked to stop ends without a message (its running statement is interrupted).
void TellUnlessStopped(const std::atomic<bool>& stop, const char* text)
{
    if (!stop.load()) Tell(text);
}

// Only real tables are read: a view of a crafted file could make a query run for ever.
void RequireTable(CppSQLite3DB& db, const QString& name)
{
    if (!db.tableExists(name))
        throw CppSQLite3Exception(SQLITE_ERROR, "no such table: " + ToUtf8(name).toStdString());
}

// A coordinate: a number, or text that reads as one. NULL, other text, blobs and infinities are
// not positions.
bool ReadNumber(const CppSQLite3Query& q, int column, double& value)
{
    switch (q.fieldDataType(column))
    {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: value = q.getFloatField(column); break;
    case SQLITE_TEXT:
    {
        bool ok = false;
        value = QByteArray(q.getStringField(column)).trimmed().toDouble(&ok);
        if (!ok) return false;
        break;
    }
    default: return false;
    }
    return std::isfinite(value);
}

// A label column counts when it is named and not "无" (none).
bool IsLabelColumn(const QString& name) { return !name.isEmpty() && name != QStringLiteral("无"); }

// The select list of a class table: the identifier and the counting label columns. Qualified by
// the table, so that a missing label column is an error ("no such column") even on a connection
// that still read an unqualified quoted name matching no column as a text constant, which would
// show the column's own name as every label.
QString ClassColumns(const QString& className, const QString labels[2])
{
    const QString table = QuoteSqlIdentifier(className) + QLatin1Char('.');
    QString columns = table + QStringLiteral("Entity_ID");
    for (int i = 0; i < 2; ++i)
        if (IsLabelColumn(labels[i])) columns += QStringLiteral(", ") + table + QuoteSqlIdentifier(labels[i]);
    return columns;
}

// Label texts of a row read by ClassColumns, into their own slots (first or second label).
void ReadLabels(const CppSQLite3Query& q, int firstColumn, const QString labels[2], CEntityData& item)
{
    int column = firstColumn;
    for (int i = 0; i < 2; ++i)
        if (IsLabelColumn(labels[i])) item.m_Label[i] = q.getTextField(column++);
}

// An identifier with "_" after its first character names a part of another entity (A_1 of A);
// only whole entities are loaded. '_' never occurs inside a multi-byte UTF-8 character, so the
// byte search after byte 0 is the search after the first character.
bool IsPartIdentifier(const QByteArray& id) { return id.indexOf('_', 1) > 0; }

std::unique_ptr<CEntityData> NewItem(int type)
{
    switch (type)
    {
    case 0: return std::make_unique<CPointData>();
    case 1: return std::make_unique<CLineData>();
    case 2: return std::make_unique<CPlaneData>();
    default: return nullptr;
    }
}

CEntityData* AddItem(CMap_GCDEntity& entity, std::unique_ptr<CEntityData> item)
{
    if (!item) return nullptr;
    CEntityData* raw = item.release();
    switch (raw->GetType())
    {
    case 0: return entity.AddData(std::unique_ptr<CPointData>(static_cast<CPointData*>(raw)));
    case 2: return entity.AddData(std::unique_ptr<CPlaneData>(static_cast<CPlaneData*>(raw)));
    default: return entity.AddData(std::unique_ptr<CLineData>(static_cast<CLineData*>(raw)));
    }
}
} // namespace

int CMap_GCD::LoadEntityData()
{
    Clear();
    m_Stop.store(false);
    m_BadValues = 0;
    if (!m_DB->isopen()) return 0;

    try
    {
        RequireTable(*m_DB, QStringLiteral("AttributeTable"));
        for (CppSQLite3Query q = m_DB->execQuery("select Entity_Name, Entity_Type from AttributeTable;"); !q.eof();
             q.nextRow())
        {
            double value = -1;
            const int type = ReadNumber(q, 1, value) && value == std::floor(value) && value >= 0 && value <= 2
                                 ? static_cast<int>(value)
                                 : -1;
            if (type < 0 || type > 2) continue; // no kind of item to make
            auto entity = std::make_unique<CMap_GCDEntity>(type, q.getTextField(0));
            // Planes go to the front, so that they are drawn under lines and points.
            if (type == 2)
                m_Entities.insert(m_Entities.begin(), std::move(entity));
            else
                m_Entities.push_back(std::move(entity));
        }
    }
    catch (const CppSQLite3Exception&)
    {
        Tell(kLoadError);
        return 0;
    }

    UpdateDrawStyle();

    try
    {
        for (const auto& e : m_Entities)
        {
            RequireTable(*m_DB, e->GetName());
            m_TotalCount += m_DB->execScalar(QStringLiteral("select count(*) from %1;").arg(QuoteSqlIdentifier(e->GetName())));
        }
    }
    catch (const CppSQLite3Exception&)
    {
        TellUnlessStopped(m_Stop, kCountError);
        return 0;
    }
    if (m_TotalCount <= 0) return 1;

    if (m_pProgress)
    {
        m_pProgress->SetCaption(m_MapItem.FullPathName);
        m_pProgress->Reset();
    }
    // All positions in one pass (the tables have no index: a query per entity scans them all).
    PositionMap positions;
    try
    {
        if (!ReadPositions(positions)) return 0;
    }
    catch (const CppSQLite3Exception&)
    {
        TellUnlessStopped(m_Stop, kLoadError);
        return 0;
    }
    for (const auto& e : m_Entities)
    {
        if (!LoadDataFromEntityTable(*e, positions)) return 0;
        if (m_Stop.load()) return 0;
    }
    if (m_BadValues > 0)
    {
        // Positions that are no numbers were left out; the rest is shown.
        Tell(kLoadError);
        return 0;
    }
    return 1;
}

void CMap_GCD::UpdateDrawStyle()
{
    // The defaults, kept where the dictionary has nothing to say.
    for (const auto& e : m_Entities)
    {
        e->m_FontName.clear();
        e->m_Value1 = e->GetType() == 0 ? -1 : 0;
        e->m_Color = m_MapItem.clrOutLine;
        e->m_Size = 1;
        e->m_FillStyle = 0;
        e->m_FillColor = m_MapItem.clrFill;
    }
    const QString& path = m_MapItem.DictionaryPathName;
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;

    CppSQLite3DB dictionary;
    try
    {
        dictionary.openReadOnly(ToUtf8(path).constData());
        RequireTable(dictionary, QStringLiteral("Entity"));
        CppSQLite3Statement known = m_DB->compileStatement("select count(*) from AttributeTable where Entity_Name = ?;");
        for (CppSQLite3Query q = dictionary.execQuery("select Name from Entity;"); !q.eof(); q.nextRow())
        {
            known.reset();
            known.bind(1, q.getTextField(0));
            CppSQLite3Query count = known.execQuery();
            // A dictionary naming a class this database lacks belongs to another database.
            if (count.eof() || count.getIntField(0) == 0) return;
        }
    }
    catch (const CppSQLite3Exception&)
    {
        Tell(kStyleError);
        return;
    }

    bool told = false;
    for (const auto& e : m_Entities)
    {
        try
        {
            ReadClassStyle(dictionary, *e);
        }
        catch (const CppSQLite3Exception&)
        {
            if (!told) Tell(kClassStyleError); // once, not once per class
            told = true;
        }
    }
}

void CMap_GCD::ReadClassStyle(CppSQLite3DB& dictionary, CMap_GCDEntity& entity)
{
    static const char* const sql[3] = {
        "select Icon_FontName, Icon_Index, Icon_Color, Icon_Size from Entity_Style_Point where Entity_Name = ?;",
        "select Line_Style, Line_Color, Line_Width from Entity_Style_Line where Entity_Name = ?;",
        ("select Outline_Style, Outline_Color, Outline_Width, Fillin_Style, Fillin_Color from Entity_Style_Plane "
         "where Entity_Name = ?;")};
    static const char* const table[3] = {"Entity_Style_Point", "Entity_Style_Line", "Entity_Style_Plane"};
    const int type = entity.GetType();
    RequireTable(dictionary, QString::fromLatin1(table[type]));
    CppSQLite3Statement st = dictionary.compileStatement(sql[type]);
    st.bind(1, entity.GetName());
    CppSQLite3Query q = st.execQuery();
    if (q.eof()) return;
    int column = 0;
    if (type == 0) entity.m_FontName = q.getTextField(column++);
    entity.m_Value1 = q.getIntField(column++);
    entity.m_Color = static_cast<unsigned long>(q.getInt64Field(column++)) & 0xFFFFFFu;
    entity.m_Size = q.getIntField(column++);
    if (type == 2)
    {
        entity.m_FillStyle = q.getIntField(column++);
        entity.m_FillColor = static_cast<unsigned long>(q.getInt64Field(column++)) & 0xFFFFFFu;
    }
}

bool CMap_GCD::ReadPositions(PositionMap& positions)
{
    RequireTable(*m_DB, QStringLiteral("GPSTable"));
    RequireTable(*m_DB, QStringLiteral("RelationTable"));
    // The observations of an entity in the relation table's row order.
    CppSQLite3Query q = m_DB->execQuery(
        "select RelationTable.Entity_ID, GPSTable.LocalPlaneCoordinate_x, GPSTable.LocalPlaneCoordinate_y "
        "from RelationTable, GPSTable where GPSTable.GPS_ID = RelationTable.GPS_ID order by RelationTable.rowid;");
    for (; !q.eof(); q.nextRow())
    {
        if (m_Stop.load(std::memory_order_relaxed)) return false;
        xyhCoord p;
        if (!ReadNumber(q, 1, p.x) || !ReadNumber(q, 2, p.y))
        {
            ++m_BadValues;
            continue;
        }
        positions[QByteArray(q.getStringField(0))].push_back(p);
    }
    return true;
}

bool CMap_GCD::ReadLabelColumns(const QString& className, QString labels[2])
{
    CppSQLite3Statement st = m_DB->compileStatement("select Label1, Label2 from AttributeTable where Entity_Name = ?;");
    st.bind(1, className);
    CppSQLite3Query q = st.execQuery();
    labels[0] = labels[1] = QString();
    if (q.eof()) return false;
    labels[0] = q.getTextField(0);
    labels[1] = q.getTextField(1);
    return true;
}

bool CMap_GCD::LoadDataFromEntityTable(CMap_GCDEntity& entity, PositionMap& positions)
{
    try
    {
        QString labels[2];
        ReadLabelColumns(entity.GetName(), labels);
        CppSQLite3Query q = m_DB->execQuery(
            QStringLiteral("select %1 from %2;").arg(ClassColumns(entity.GetName(), labels), QuoteSqlIdentifier(entity.GetName())));
        for (; !q.eof(); q.nextRow())
        {
            if (m_Stop.load(std::memory_order_relaxed)) return true;
            const QByteArray id(q.getStringField(0));
            if (IsPartIdentifier(id)) continue;
            std::unique_ptr<CEntityData> item = NewItem(entity.GetType());
            item->m_EntityID = FromUtf8(id);
            ReadLabels(q, 1, labels, *item);
            const auto found = positions.constFind(id);
            if (found != positions.constEnd() && !found->empty())
            {
                if (auto* point = dynamic_cast<CPointData*>(item.get()))
                    point->SetPoint(found->front());
                else
                    static_cast<CLineData*>(item.get())->SetPoints(*found);
            }
            AddItem(entity, std::move(item));
            ReportLoaded();
        }
    }
    catch (const CppSQLite3Exception&)
    {
        TellUnlessStopped(m_Stop, kLoadError);
        return false;
    }
    return true;
}

void CMap_GCD::ReportLoaded()
{
    ++m_LoadedCount;
    if (!m_pProgress || m_TotalCount <= 0) return;
    const int percent = static_cast<int>(m_LoadedCount * 100 / m_TotalCount);
    if (percent == m_LastPercent) return;
    m_LastPercent = percent;
    m_pProgress->SetPercent(percent);
}

int CMap_GCD::AddLoadEntity(const QString& id, double x, double y, int index)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return 0;
    const xyhCoord p{x, y, 0.0};
    CEntityData* item = nullptr;
    for (const auto& e : m_Entities)
        if ((item = e->GetEntityData(id))) break;
    if (!item)
    {
        if (!m_DB->isopen()) return 0;
        try
        {
            CppSQLite3Statement st = m_DB->compileStatement("select Entity_Name from EntityTable where Entity_ID = ?;");
            st.bind(1, id);
            CppSQLite3Query q = st.execQuery();
            if (q.eof()) return 0;
            CMap_GCDEntity* entity = FindEntityClass(q.getTextField(0));
            if (!entity) return 0;
            std::unique_ptr<CEntityData> added = NewItem(entity->GetType());
            added->m_EntityID = id;
            QString labels[2];
            ReadLabelColumns(entity->GetName(), labels);
            if (IsLabelColumn(labels[0]) || IsLabelColumn(labels[1]))
            {
                CppSQLite3Statement ls = m_DB->compileStatement(
                    QStringLiteral("select %1 from %2 where Entity_ID = ?;")
                        .arg(ClassColumns(entity->GetName(), labels), QuoteSqlIdentifier(entity->GetName())));
                ls.bind(1, id);
                CppSQLite3Query lq = ls.execQuery();
                if (!lq.eof()) ReadLabels(lq, 1, labels, *added);
            }
            item = AddItem(*entity, std::move(added));
        }
        catch (const CppSQLite3Exception&)
        {
            Tell(kLoadError);
            return 0;
        }
    }
    if (!item) return 0;
    if (auto* point = dynamic_cast<CPointData*>(item))
        point->SetPoint(p);
    else
        static_cast<CLineData*>(item)->InsertPoint(index, p);
    return 1;
}
