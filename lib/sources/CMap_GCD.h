#pragma once

#include "map/CMapLayer.h"
#include "platform/Export.h"
#include "platform/PointRect.h"
#include "sources/CMap_GCDEntity.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

class CMapConvert;
class CppSQLite3DB;
class IProgressListener;
class QPainter;

// A survey entity database shown as one map layer. The database (an SQLite file filled by field
// data collection) lists entity classes in AttributeTable, one table per class with its entities,
// the observed positions in GPSTable and which observations make up which entity in RelationTable.
// A second SQLite file, the style dictionary, says how each class is drawn.
//
// Both files are only read: they are opened read-only and never created. Every value taken from
// the data reaches SQL as a bound parameter, and every table or column name taken from the data
// as a quoted identifier, so no database can make the reader run statements of its choosing.
//
// Threads: a load may run on a worker thread and be stopped with StopLoading from another.
// Drawing runs on the map's drawing thread while nobody loads or edits.
class TESVANE_API CMap_GCD
{
public:
    CMap_GCD();
    virtual ~CMap_GCD();
    CMap_GCD(const CMap_GCD&) = delete;
    CMap_GCD& operator=(const CMap_GCD&) = delete;

    // Closes any open database and opens FullPathName read-only when the file exists; returns
    // whether a database is open.
    bool OpenFile();
    void CloseFile();
    // Reads the classes, their styles and all entities; 1 on success. On a database error the
    // user is told, the entities read so far stay, and the result is 0; so it is when stopped.
    int LoadEntityData();
    // Asks a running load to stop (any thread).
    void StopLoading();

    // Adds a position to an entity at run time: inserted before position `index` (an index outside
    // the entity's positions appends; a point takes it as its position). An entity not loaded yet
    // is created in the class EntityTable names, with its labels. Returns 1 when added.
    int AddLoadEntity(const QString& id, double x, double y, int index);
    // Remove an entity (from memory, not from the database), or one of its positions; an entity
    // left without positions goes. 1 when something was removed.
    int RemoveEntity(const QString& id);
    int RemoveEntityCoor(const QString& id, int index);

    int GetRange(double& minX, double& maxX, double& minY, double& maxY) const;
    void OnDraw(QPainter* painter) const;
    // Selects the entities met by a client rectangle (a click: near the point) in every class;
    // only when the layer is visible and selectable. Returns the number selected.
    int SelectEntity(CPoint p1, CPoint p2);
    void DrawSelectEntity(QPainter* painter) const;
    void ClearSelectEntity();
    // The entity of a class, or null.
    CEntityData* GetEntityData(const QString& className, const QString& id) const;

    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    void SetMapItem(const MapConfigItem& item) { m_MapItem = item; }
    MapConfigItem GetMapItem() const { return m_MapItem; }
    void SetProgressHWND(IProgressListener* progress) { m_pProgress = progress; }
    CppSQLite3DB* GetDB_GCD() const { return m_DB.get(); }

    // The classes in drawing order (planes first).
    int GetEntityClassCount() const { return static_cast<int>(m_Entities.size()); }
    CMap_GCDEntity* GetEntityClass(int index) const;
    CMap_GCDEntity* FindEntityClass(const QString& name) const;
    // Entities loaded (and added) so far.
    int GetEntityCount() const;

private:
    // Positions by entity identifier (its UTF-8 bytes, as the tables hold it).
    using PositionMap = QHash<QByteArray, std::vector<xyhCoord>>;

    void Clear();
    void UpdateDrawStyle();
    void ReadClassStyle(CppSQLite3DB& dictionary, CMap_GCDEntity& entity);
    bool ReadPositions(PositionMap& positions);
    bool ReadLabelColumns(const QString& className, QString labels[2]);
    bool LoadDataFromEntityTable(CMap_GCDEntity& entity, PositionMap& positions);
    void ReportLoaded();

    std::vector<std::unique_ptr<CMap_GCDEntity>> m_Entities;
    std::unique_ptr<CppSQLite3DB> m_DB;
    CMapConvert* m_pMapConvert = nullptr;
    MapConfigItem m_MapItem;
    IProgressListener* m_pProgress = nullptr;
    long long m_TotalCount = 0;
    long long m_LoadedCount = 0;
    int m_LastPercent = -1;
    long long m_BadValues = 0; // positions left out because a coordinate is no number
    std::atomic<bool> m_Stop{false};
};
