#include "SourcesTestUtil.h"
#include "TileTestUtil.h"

#include "sources/CMap_Google.h"
#include "sources/TileSetWriter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using namespace tiletest;

namespace
{
QString MakeMbtiles(const QString& path, const std::vector<std::tuple<int, int, int, QByteArray>>& tiles)
{
    CppSQLite3DB db;
    db.open(path.toUtf8().constData());
    db.execDML("create table tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob);");
    CppSQLite3Statement st = db.compileStatement("insert into tiles values (?, ?, ?, ?);");
    for (const auto& [z, x, tmsRow, bytes] : tiles)
    {
        st.bind(1, z);
        st.bind(2, x);
        st.bind(3, tmsRow);
        st.bind(4, reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
        st.execDML();
    }
    return path;
}

struct Row
{
    int x, y;
    QString name;
    QByteArray tile;
};
std::vector<Row> ReadLevel(const QString& db, int z)
{
    CppSQLite3DB d;
    d.openReadOnly(db.toUtf8().constData());
    std::vector<Row> rows;
    for (CppSQLite3Query q = d.execQuery(QStringLiteral("select X, Y, Name, Tile from Tiles%1 order by X, Y;").arg(z));
         !q.eof(); q.nextRow())
    {
        int n = 0;
        const unsigned char* b = q.getBlobField(3, n);
        rows.push_back(Row{q.getIntField(0), q.getIntField(1), q.getTextField(2),
                           QByteArray(reinterpret_cast<const char*>(b), n)});
    }
    return rows;
}

QRgb CentreColour(const QByteArray& jpeg)
{
    QImage img;
    img.loadFromData(jpeg);
    return img.isNull() ? 0 : img.pixel(128, 128);
}
} // namespace

TEST(TileSetWriter, MbtilesRowsArriveCountedFromTheNorth)
{
    QTemporaryDir dir;
    const int z = 14, x = 13370, row = 6750; // row from the north
    const int tms = (1 << z) - 1 - row;
    const QString in = MakeMbtiles(QDir(dir.path()).filePath("in.mbtiles"),
                                   {{z, x, tms, TileJpeg(z, x, row, "PNG")},
                                    {z, x + 1, tms, TileJpeg(z, x + 1, row)},
                                    {3, 6, 4, TileJpeg(3, 6, 3)},
                                    {18, 5, 5, TileJpeg(18, 5, 5)},
                                    {z, x, tms - 1, QByteArray("not an image")}});
    const QString out = QDir(dir.path()).filePath("out.db");
    const TileSetWriteResult result = WriteTileSet(in, out);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.tiles, 2);
    EXPECT_EQ(result.minLevel, 14);
    EXPECT_EQ(result.maxLevel, 14);
    EXPECT_EQ(result.notes.join('|'), "level 3 left out (1 tiles): only levels 4 to 17 are kept|"
                                      "level 18 left out (1 tiles): only levels 4 to 17 are kept|"
                                      "1 tiles left out: their data is no image");
    const std::vector<Row> rows = ReadLevel(out, z);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].x, x);
    EXPECT_EQ(rows[0].y, row);
    EXPECT_EQ(rows[0].name, QStringLiteral("14_%1_%2").arg(x).arg(row));
    EXPECT_TRUE(rows[0].tile.startsWith("\xFF\xD8\xFF")) << "PNG re-encoded as JPEG";
    EXPECT_TRUE(Near(CentreColour(rows[0].tile), TileColour(z, x, row)));
    EXPECT_EQ(rows[1].tile, TileJpeg(z, x + 1, row)) << "JPEG kept byte for byte";
    for (int level = 4; level <= 17; ++level) EXPECT_EQ(level == z ? 2u : 0u, ReadLevel(out, level).size());

    // The tile set layer finds the tile at that row and finds it through the index.
    CMap_Google g;
    ASSERT_EQ(g.OpenMapFile(out, nullptr), 1);
    EXPECT_EQ(g.GetLevelExtent(z).minRow, row);
    CppSQLite3DB d;
    d.openReadOnly(out.toUtf8().constData());
    CppSQLite3Query plan = d.execQuery(QStringLiteral("explain query plan select rowid from Tiles14 where X = 1 and Y = 2;"));
    EXPECT_TRUE(QString::fromUtf8(plan.getStringField(3)).contains("INDEX"));
}

TEST(TileSetWriter, FolderRowsAreKeptAndFailuresKeepTheOldOutput)
{
    QTemporaryDir dir;
    const QString in = QDir(dir.path()).filePath("tiles");
    QDir().mkpath(in + "/12/3340");
    QDir().mkpath(in + "/12/notanumber");
    sourcestest::WriteBytes(in + "/12/3340/1687.png", TileJpeg(12, 3340, 1687, "PNG"));
    sourcestest::WriteBytes(in + "/12/3340/1688.jpg", TileJpeg(12, 3340, 1688));
    sourcestest::WriteBytes(in + "/12/3340/readme.txt", "ignored");
    const QString out = QDir(dir.path()).filePath("out.db");
    TileSetWriteResult result = WriteTileSet(in, out);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    std::vector<Row> rows = ReadLevel(out, 12);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].y, 1687);
    EXPECT_TRUE(Near(CentreColour(rows[0].tile), TileColour(12, 3340, 1687)));

    // Unreadable input: one clear message, and the earlier output stays as it was.
    const QString text = QDir(dir.path()).filePath("text.mbtiles");
    sourcestest::WriteBytes(text, "plain text");
    result = WriteTileSet(text, out);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("neither an MBTiles file nor a folder")) << result.error.toStdString();
    const QString sqliteNoTiles = QDir(dir.path()).filePath("other.db");
    {
        CppSQLite3DB db;
        db.open(sqliteNoTiles.toUtf8().constData());
        db.execDML("create table Point (a);");
    }
    result = WriteTileSet(sqliteNoTiles, out);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains("cannot read")) << result.error.toStdString();
    result = WriteTileSet(QDir(dir.path()).filePath("missing"), out);
    EXPECT_TRUE(result.error.contains("cannot read")) << result.error.toStdString();
    EXPECT_EQ(ReadLevel(out, 12).size(), 2u);
    EXPECT_EQ(QDir(dir.path()).entryList({"out.db*"}, QDir::Files), QStringList{"out.db"}) << "no temporary left";
}

TEST(TileSetWriter, CommandLineWritesAndDescribesATileSet)
{
    QTemporaryDir dir;
    const QString in = MakeMbtiles(QDir(dir.path()).filePath("in.mbtiles"),
                                   {{13, 6690, (1 << 13) - 1 - 3370, TileJpeg(13, 6690, 3370)},
                                    {15, 26760, (1 << 15) - 1 - 13480, TileJpeg(15, 26760, 13480)},
                                    {2, 1, 1, TileJpeg(2, 1, 1)}});
    const QString out = QDir(dir.path()).filePath("out.db");
    QProcess p;
    p.start(QStringLiteral(TESVANE_CLI_PATH), {"tileset", in, out});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), "2 tiles, levels 13-15, written to " + out + "\n");
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("note: level 2 left out")) << err.toStdString();
    EXPECT_TRUE(err.contains("100%")) << err.toStdString();

    p.start(QStringLiteral(TESVANE_CLI_PATH), {"layer-info", out});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(info.startsWith("format: 7\nkind: CMapLayer_Google\ncount: 2\nextent: ")) << info.toStdString();
    EXPECT_TRUE(info.contains("\nlevels: 13-15\n")) << info.toStdString();

    p.start(QStringLiteral(TESVANE_CLI_PATH), {"tileset", QDir(dir.path()).filePath("none"), out});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()).count('\n'), 1) << "one clear message";
}
