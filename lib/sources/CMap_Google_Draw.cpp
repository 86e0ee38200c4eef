#include "sources/CMap_Google.h"

#include "geometry/Angle.h"
#include "map/CMapConvert.h"
#include "platform/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kTileSide = 256;
// A tile larger than this is no tile: its blob is not read.
constexpr int kMaxTileBytes = 16 << 20;

// JPEG tiles decode to 32-bit pixels; grey or paletted ones are converted once here so that
// every later draw is a plain copy.
bool DecodeTile(const QByteArray& bytes, QImage& image)
{
    if (bytes.isEmpty() || !image.loadFromData(bytes) || image.isNull()) return false;
    const QImage::Format wanted = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != wanted) image = image.convertToFormat(wanted);
    return !image.isNull();
}
} // namespace

QString CMap_Google::TilePath(int level, int column, int row) const
{
    return QStringLiteral("%1/%2/%3/%4.jpg").arg(m_CacheDirectory).arg(level).arg(column).arg(row);
}

void CMap_Google::PrepareLookup(int level)
{
    LevelLookup& lookup = m_Lookups[size_t(level)];
    if (lookup.prepared) return;
    lookup.prepared = true;
    const QString table = QStringLiteral("Tiles%1").arg(level);
    try
    {
        // Files written by the tileset command carry an index on (X, Y): SQLite then finds a tile
        // in O(log n) by itself.
        CppSQLite3Query plan = m_DB.execQuery(
            QStringLiteral("explain query plan select rowid from %1 where X = 0 and Y = 0;").arg(table));
        for (; !plan.eof(); plan.nextRow())
        {
            const QString detail = QString::fromUtf8(plan.getStringField(plan.numFields() - 1));
            if (detail.contains(QLatin1String("INDEX")) &&
                (detail.contains(QLatin1String("X=? AND Y=?")) || detail.contains(QLatin1String("Y=? AND X=?"))))
                lookup.indexed = true;
        }
        if (lookup.indexed) return;
        // Otherwise the table would be scanned for every tile; read its keys once instead.
        CppSQLite3Query q = m_DB.execQuery(QStringLiteral("select X, Y, rowid from %1;").arg(table));
        for (; !q.eof(); q.nextRow())
        {
            const std::uint64_t key = (std::uint64_t(std::uint32_t(q.getIntField(0))) << 32) |
                                      std::uint32_t(q.getIntField(1));
            lookup.rowids.emplace_back(key, q.getInt64Field(2));
        }
    }
    catch (const CppSQLite3Exception&)
    {
        // A damaged table keeps the keys read before the damage.
    }
    // Stable, so that of two rows with the same key the first stored one is found, as a scan would.
    std::stable_sort(lookup.rowids.begin(), lookup.rowids.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

QByteArray CMap_Google::FetchTile(int level, int column, int row)
{
    if (!m_DB.isopen()) return {};
    PrepareLookup(level);
    const LevelLookup& lookup = m_Lookups[size_t(level)];
    try
    {
        CppSQLite3Statement st;
        if (lookup.indexed)
        {
            st = m_DB.compileStatement(
                QStringLiteral("select length(Tile), Tile from Tiles%1 where X = ? and Y = ? limit 1;").arg(level));
            st.bind(1, column);
            st.bind(2, row);
        }
        else
        {
            const std::uint64_t key = (std::uint64_t(std::uint32_t(column)) << 32) | std::uint32_t(row);
            auto it = std::lower_bound(lookup.rowids.begin(), lookup.rowids.end(), key,
                                       [](const auto& e, std::uint64_t k) { return e.first < k; });
            if (it == lookup.rowids.end() || it->first != key) return {};
            st = m_DB.compileStatement(
                QStringLiteral("select length(Tile), Tile from Tiles%1 where rowid = ?;").arg(level));
            st.bind(1, (long long)it->second);
        }
        CppSQLite3Query q = st.execQuery();
        if (q.eof()) return {};
        // The length is asked first so that a huge value in a damaged file is never read.
        const long long length = q.getInt64Field(0);
        if (length <= 0 || length > kMaxTileBytes) return {};
        int size = 0;
        const unsigned char* blob = q.getBlobField(1, size);
        if (!blob || size <= 0) return {};
        return QByteArray(reinterpret_cast<const char*>(blob), size);
    }
    catch (const CppSQLite3Exception&)
    {
        return {};
    }
}

const QImage* CMap_Google::TileImage(int level, int column, int row)
{
    const std::uint64_t key = TileImageCache::Key(level, column, row);
    if (const QImage* kept = m_Decoded.Find(key)) return kept;

    QImage image;
    QString path;
    if (m_CachesOnDisk && !m_CacheChecked)
    {
        // Read-only media: the folder cannot be made, and tiles are decoded from the database.
        m_CacheChecked = true;
        m_CachesOnDisk = QDir().mkpath(m_CacheDirectory) && QFileInfo(m_CacheDirectory).isDir();
    }
    if (m_CachesOnDisk)
    {
        path = TilePath(level, column, row);
        QByteArray bytes;
        // A cached file that does not decode (cut short by an older program, say) is extracted
        // again below and replaced, rather than drawing wrong for ever.
        if (QFile::exists(path) && ReadWholeFile(path, bytes, kMaxTileBytes)) DecodeTile(bytes, image);
    }
    if (image.isNull())
    {
        const QByteArray bytes = FetchTile(level, column, row);
        if (!DecodeTile(bytes, image)) return nullptr;
        if (m_CachesOnDisk)
        {
            const QString folder = QStringLiteral("%1/%2/%3").arg(m_CacheDirectory).arg(level).arg(column);
            // The tile is drawn even when it cannot be kept on disk.
            if (QDir().mkpath(folder)) WriteFileAtomically(path, bytes);
        }
    }
    m_Decoded.Insert(key, std::move(image));
    if (const QImage* kept = m_Decoded.Find(key)) return kept;
    return nullptr;
}

int CMap_Google::DrawSegment(QPainter* painter, const QRect& source, const QRect& destination, int level, int column,
                             int row)
{
    if (level < 0 || level >= kLevelCount) return 0;
    const TileLevelExtent& e = m_Extents[size_t(level)];
    if (column < e.minColumn || column > e.maxColumn || row < e.minRow || row > e.maxRow) return 0;
    if (!m_DB.isopen()) return 0;
    const QImage* image = TileImage(level, column, row);
    if (!image) return 0;
    // A tile image that is not 256 pixels square is stretched over the tile all the same.
    const QRectF from(source.x() * image->width() / double(kTileSide), source.y() * image->height() / double(kTileSide),
                      source.width() * image->width() / double(kTileSide),
                      source.height() * image->height() / double(kTileSide));
    painter->drawImage(QRectF(destination), *image, from);
    return 1;
}

void CMap_Google::OnDraw(QPainter* painter)
{
    if (!m_DB.isopen() || !m_pMapConvert || !painter || m_MaxLevel < m_MinLevel) return;
    const CRect client = m_pMapConvert->GetClientRect();
    m_DrawRect = client;
    double topX = 0, leftY = 0, bottomX = 0, rightY = 0;
    m_pMapConvert->ClientToWorld(client.left, client.top, topX, leftY);
    m_pMapConvert->ClientToWorld(client.right, client.bottom, bottomX, rightY);
    SetRange(bottomX, topX, leftY, rightY, m_HasSurveySystem ? 1 : 0);

    double ratio = 1.0;
    const int z = ChooseLevel(m_Scale, m_MinLevel, m_MaxLevel, ratio);
    m_DrawnLevel = z;
    if (!std::isfinite(ratio) || ratio <= 0.0 || !std::isfinite(m_CentreLatitude) || !std::isfinite(m_CentreLongitude))
        return;
    const TileLevelExtent& e = m_Extents[size_t(z)];
    if (e.maxColumn == 0 && e.maxRow == 0) return;

    const double n = 256.0 * std::ldexp(1.0, z);
    const double half = n / 2.0;
    const double s = std::sin(m_CentreLatitude * Angle::kPi / 180.0);
    const double pxExact = std::floor(half + n / 360.0 * m_CentreLongitude);
    const double pyExact = std::floor(half - 0.5 * std::log((1.0 + s) / (1.0 - s)) * n / (2.0 * Angle::kPi));
    // Far outside the world (a view of the wrong coordinate system) there is nothing to draw.
    if (!(std::fabs(pxExact) < 4.0 * n) || !(std::fabs(pyExact) < 4.0 * n)) return;
    const long long px = (long long)pxExact, py = (long long)pyExact;
    const int w = client.Width(), h = client.Height();

    const long long leftPixel = px - (long long)(w * 0.5 / ratio);
    long long firstColumn = leftPixel >= 256 ? leftPixel >> 8 : 0;
    long long firstRow = std::max(0LL, (py - (long long)(0.5 * h / ratio)) >> 8);
    // Only the level's tiles can be drawn, so the walk starts and ends within them: a far-out
    // view at the coarsest level would otherwise step through millions of empty positions.
    firstColumn = std::max<long long>(firstColumn, e.minColumn);
    firstRow = std::max<long long>(firstRow, e.minRow);
    auto screen = [ratio](long long tilePixel, long long centre, int size) {
        return (long long)((tilePixel - centre) * ratio) + size / 2;
    };

    painter->save();
    // Nearest-pixel stretching: tiles stay sharp and no colours are blended across their edges.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect source(0, 0, kTileSide, kTileSide);
    for (long long c = firstColumn; c <= e.maxColumn; ++c)
    {
        const long long left = screen(256 * c, px, w);
        if (left >= w) break;
        const long long right = screen(256 * c + 256, px, w);
        for (long long r = firstRow; r <= e.maxRow; ++r)
        {
            const long long top = screen(256 * r, py, h);
            if (top >= h) break;
            const long long bottom = screen(256 * r + 256, py, h);
            if (right <= 0 || bottom <= 0) continue;
            const QRect destination(int(left) + client.left, int(top) + client.top, int(right - left),
                                    int(bottom - top));
            DrawSegment(painter, source, destination, z, int(c), int(r));
        }
    }
    painter->restore();
}
