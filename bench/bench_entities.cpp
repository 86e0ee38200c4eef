// Loading an entity database of 100,000 line entities with 5 observations each (500,000
// positions): the relation and observation tables carry no index, as field software writes them.
#include "platform/TextCodec.h"
#include "sources/CMap_GCD.h"
#include "sources/CppSQLite3.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace
{
QString MakeDatabase(const QTemporaryDir& dir, int entities, int positions)
{
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    CppSQLite3DB db;
    db.open(ToUtf8(path).constData());
    db.execDML("create table AttributeTable(Entity_Name TEXT, Entity_Type INTEGER, Label1 TEXT, Label2 TEXT);"
               "create table GPSTable(GPS_ID INTEGER, LocalPlaneCoordinate_x REAL, LocalPlaneCoordinate_y REAL);"
               "create table RelationTable(GPS_ID INTEGER, Entity_ID TEXT);"
               "create table 管线(Entity_ID TEXT, 名称 TEXT);"
               "insert into AttributeTable values('管线', 1, '名称', '无');"
               "begin;");
    CppSQLite3Statement entity = db.compileStatement("insert into 管线 values(?, ?);");
    CppSQLite3Statement gps = db.compileStatement("insert into GPSTable values(?, ?, ?);");
    CppSQLite3Statement relation = db.compileStatement("insert into RelationTable values(?, ?);");
    int gpsId = 0;
    for (int e = 0; e < entities; ++e)
    {
        const QString id = QStringLiteral("E%1").arg(e);
        entity.bind(1, id);
        entity.bind(2, QStringLiteral("管%1").arg(e));
        entity.execDML();
        for (int p = 0; p < positions; ++p)
        {
            ++gpsId;
            gps.bind(1, gpsId);
            gps.bind(2, 3401000.0 + e % 1000 + p);
            gps.bind(3, 498000.0 + e / 1000 + p * 0.5);
            gps.execDML();
            relation.bind(1, gpsId);
            relation.bind(2, id);
            relation.execDML();
        }
    }
    db.execDML("commit;");
    return path;
}

void BM_LoadEntityDatabase(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = MakeDatabase(dir, static_cast<int>(state.range(0)), 5);
    CMap_GCD gcd;
    MapConfigItem item = gcd.GetMapItem();
    item.FullPathName = path;
    gcd.SetMapItem(item);
    for (auto _ : state)
    {
        if (!gcd.OpenFile() || gcd.LoadEntityData() != 1) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(gcd.GetEntityCount());
    }
    state.counters["entities"] = gcd.GetEntityCount();
}
BENCHMARK(BM_LoadEntityDatabase)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
