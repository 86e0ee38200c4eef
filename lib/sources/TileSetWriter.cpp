#include "sources/TileSetWriter.h"

#include "platform/FileIO.h"
#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"
#include "sources/CMap_Google.h"
#include "sources/CppSQLite3.h"
#include "sources/MapLayerInfo.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryFile>

#include <cstdio>
#include <functional>
#include <map>

namespace
{
constexpr int kMaxTileBytes = 16 << 20;

bool IsJpeg(const QByteArray& bytes)
{
    return bytes.size() > 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 && uchar(bytes[2]) == 0xFF;
}

// The tile as JPEG bytes: JPEG kept as it is, anything Qt decodes re-encoded (transparent parts on
// white, as JPEG has no transparency). Empty when the bytes are no image.
QByteArray AsJpeg(const QByteArray& bytes, int quality)
{
    if (IsJpeg(bytes)) return bytes;
    QImage image;
    if (!image.loadFromData(bytes) || image.isNull()) return {};
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!flat.save(&buffer, "JPEG", quality)) return {};
    return jpeg;
}

// Receives tiles (level, column, row from the north, bytes) from one kind of input.
using TileSink = std::function<void(int level, long long column, long long row, const QByteArray& bytes)>;

class Writer
{
public:
    Writer(int quality, IProgressListener* progress) : m_Quality(quality), m_Progress(progress) {}

    void Create(const QString& path)
    {
        m_DB.open(ToUtf8(path).constData());
        m_DB.execDML("pragma journal_mode = off; pragma synchronous = off;");
        m_DB.execDML("begin;");
        for (int z = CMap_Google::kFirstStoredLevel; z <= CMap_Google::kLastStoredLevel; ++z)
        {
            m_DB.execDML(QStringLiteral("create table Tiles%1 (X integer, Y integer, Name text, Tile blob);").arg(z));
            m_Insert[z] = m_DB.compileStatement(
                QStringLiteral("insert into Tiles%1 (X, Y, Name, Tile) values (?, ?, ?, ?);").arg(z));
        }
    }

    void Add(int level, long long column, long long row, const QByteArray& bytes)
    {
        if (level < CMap_Google::kFirstStoredLevel || level > CMap_Google::kLastStoredLevel)
        {
            ++m_OutsideLevels[level];
            return;
        }
        const long long side = 1LL << level;
        if (column < 0 || row < 0 || column >= side || row >= side)
        {
            ++m_OutsideWorld;
            return;
        }
        const QByteArray jpeg = bytes.size() <= kMaxTileBytes ? AsJpeg(bytes, m_Quality) : QByteArray();
        if (jpeg.isEmpty())
        {
            ++m_NoImage;
            return;
        }
        CppSQLite3Statement& st = m_Insert[level];
        st.bind(1, (long long)column);
        st.bind(2, (long long)row);
        st.bind(3, QStringLiteral("%1_%2_%3").arg(level).arg(column).arg(row));
        st.bind(4, reinterpret_cast<const unsigned char*>(jpeg.constData()), int(jpeg.size()));
        st.execDML();
        ++m_Tiles;
        m_MinLevel = m_Tiles == 1 ? level : std::min(m_MinLevel, level);
        m_MaxLevel = std::max(m_MaxLevel, level);
    }

    void Finish()
    {
        for (auto& [z, st] : m_Insert) st.finalize();
        for (int z = CMap_Google::kFirstStoredLevel; z <= CMap_Google::kLastStoredLevel; ++z)
            m_DB.execDML(QStringLiteral("create index Tiles%1_XY on Tiles%1 (X, Y);").arg(z));
        m_DB.execDML("commit;");
        m_DB.close();
    }

    void Close()
    {
        for (auto& [z, st] : m_Insert) st.finalize();
        if (m_DB.isopen()) m_DB.close();
    }

    void Progress(long long done, long long total)
    {
        if (!m_Progress || total <= 0) return;
        const int percent = int(done * 100 / total);
        if (percent != m_LastPercent) m_Progress->SetPercent(percent);
        m_LastPercent = percent;
    }

    void Report(TileSetWriteResult& result) const
    {
        result.tiles = m_Tiles;
        result.minLevel = m_MinLevel;
        result.maxLevel = m_MaxLevel;
        for (const auto& [level, count] : m_OutsideLevels)
            result.notes << QStringLiteral("level %1 left out (%2 tiles): only levels 4 to 17 are kept")
                                .arg(level)
                                .arg(count);
        if (m_OutsideWorld)
            result.notes << QStringLiteral("%1 tiles left out: column or row outside their level").arg(m_OutsideWorld);
        if (m_NoImage) result.notes << QStringLiteral("%1 tiles left out: their data is no image").arg(m_NoImage);
    }

    long long Tiles() const { return m_Tiles; }

private:
    int m_Quality;
    IProgressListener* m_Progress;
    CppSQLite3DB m_DB;
    std::map<int, CppSQLite3Statement> m_Insert;
    std::map<int, long long> m_OutsideLevels;
    long long m_OutsideWorld = 0, m_NoImage = 0, m_Tiles = 0;
    int m_MinLevel = 0, m_MaxLevel = 0;
    int m_LastPercent = -1;
};

// MBTiles: rows are counted from the south (TMS), so they are turned round here.
QString ReadMbtiles(const QString& path, Writer& writer)
{
    CppSQLite3DB db;
    try
    {
        db.openReadOnly(ToUtf8(path).constData());
        const long long total = db.execScalar("select count(*) from tiles;");
        CppSQLite3Query q = db.execQuery("select zoom_level, tile_column, tile_row, tile_data from tiles;");
        long long done = 0;
        for (; !q.eof(); q.nextRow())
        {
            const int level = q.getIntField(0, -1);
            const long long column = q.getInt64Field(1, -1), tmsRow = q.getInt64Field(2, -1);
            int size = 0;
            const unsigned char* blob = q.getBlobField(3, size);
            const long long row = (level >= 0 && level < 62) ? (1LL << level) - 1 - tmsRow : -1;
            writer.Add(level, column, row, QByteArray(reinterpret_cast<const char*>(blob), blob ? size : 0));
            writer.Progress(++done, total);
        }
    }
    catch (const CppSQLite3Exception& e)
    {
        return QStringLiteral("cannot read \"%1\" as an MBTiles file (%2)").arg(path, QString::fromUtf8(e.errorMessage()));
    }
    return {};
}

bool ParseIndex(const QString& text, long long& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= 0;
}

// A folder z/x/y.ext: rows counted from the north, as the tile set counts them.
QString ReadFolder(const QString& path, Writer& writer)
{
    struct File
    {
        int level;
        long long column, row;
        QString path;
    };
    std::vector<File> files;
    const QDir root(path);
    for (const QString& z : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
    {
        long long level = 0;
        if (!ParseIndex(z, level) || level > 60) continue;
        const QDir levelDir(root.filePath(z));
        for (const QString& x : levelDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        {
            long long column = 0;
            if (!ParseIndex(x, column)) continue;
            const QDir columnDir(levelDir.filePath(x));
            for (const QFileInfo& f : columnDir.entryInfoList({"*.jpg", "*.jpeg", "*.png", "*.JPG", "*.JPEG", "*.PNG"},
                                                              QDir::Files, QDir::Name))
            {
                long long row = 0;
                if (ParseIndex(f.completeBaseName(), row))
                    files.push_back(File{int(level), column, row, f.filePath()});
            }
        }
    }
    if (files.empty()) return QStringLiteral("no z/x/y.jpg or .png tiles in the folder \"%1\"").arg(path);
    long long done = 0;
    for (const File& f : files)
    {
        QByteArray bytes;
        if (!ReadWholeFile(f.path, bytes, kMaxTileBytes)) bytes.clear();
        writer.Add(f.level, f.column, f.row, bytes);
        writer.Progress(++done, (long long)files.size());
    }
    return {};
}
} // namespace

TileSetWriteResult WriteTileSet(const QString& input, const QString& output, int quality,
                                IProgressListener* progress)
{
    TileSetWriteResult result;
    const QFileInfo in(input);
    const bool folder = in.isDir();
    if (!folder && !(in.isFile() && IsSqliteFile(input)))
    {
        result.error = in.exists() ? QStringLiteral("\"%1\" is neither an MBTiles file nor a folder of z/x/y tiles").arg(input)
                                   : QStringLiteral("cannot read \"%1\"").arg(input);
        return result;
    }
    const QFileInfo out(output);
    if (!out.absoluteDir().exists())
    {
        result.error = QStringLiteral("the folder of \"%1\" does not exist").arg(output);
        return result;
    }
    if (out.exists() && out.absoluteFilePath() == in.absoluteFilePath())
    {
        result.error = QStringLiteral("the output would overwrite the input \"%1\"").arg(input);
        return result;
    }
    QTemporaryFile temp(out.absoluteDir().filePath(out.fileName() + QStringLiteral(".XXXXXX")));
    if (!temp.open())
    {
        result.error = QStringLiteral("cannot write in the folder of \"%1\": %2").arg(output, temp.errorString());
        return result;
    }
    const QString tempPath = temp.fileName();
    temp.close(); // the database writes it; QTemporaryFile removes it unless renamed

    if (progress)
    {
        progress->SetCaption(input);
        progress->Reset();
    }
    Writer writer(quality, progress);
    try
    {
        writer.Create(tempPath);
        result.error = folder ? ReadFolder(input, writer) : ReadMbtiles(input, writer);
        if (result.error.isEmpty() && writer.Tiles() == 0)
            result.error = QStringLiteral("\"%1\" holds no tiles of levels 4 to 17").arg(input);
        if (result.error.isEmpty()) writer.Finish();
    }
    catch (const CppSQLite3Exception& e)
    {
        result.error = QStringLiteral("cannot write \"%1\": %2").arg(tempPath, QString::fromUtf8(e.errorMessage()));
    }
    writer.Close();
    writer.Report(result);
    if (!result.error.isEmpty()) return result;
    // A temporary file is private to its owner; the tile set is shared like any other data file.
    QFile::setPermissions(tempPath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(output).constData()) != 0)
    {
        result.error = QStringLiteral("cannot replace \"%1\"").arg(output);
        return result;
    }
    temp.setAutoRemove(false);
    result.ok = true;
    return result;
}
