#include "sources/CMap_ImageGeo.h"

#include "platform/FileIO.h"
#include "platform/NumberText.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace
{
// Descriptors are a few hundred bytes; anything far larger is not one.
constexpr qint64 kMaxDescriptorBytes = 1 << 20;
constexpr int kMaxDescriptorLines = 200;
constexpr double kTinyPixel = 1e-8;

// The fields of one descriptor line. A field that is missing or holds no number reads as 0, as
// the files have always been read; a field that spells a non-finite number marks the line bad.
struct Fields
{
    QStringList parts;
    bool bad = false;

    explicit Fields(const QString& line) : parts(line.split(QLatin1Char(','))) {}
    double Number(int i)
    {
        if (i >= parts.size()) return 0.0;
        double v = 0.0;
        if (ReadLeadingNumber(parts[i], v) == LeadingNumberStatus::NotFinite) bad = true;
        return v;
    }
    int Integer(int i) { return i < parts.size() ? LeadingInteger(parts[i]) : 0; }
};

// Whole tiles from the origin to `edge`, never below 0 nor above `count`. The distance is taken
// with its sign: a view reaching beyond the image's upper or left edge starts at the first tile
// rather than skipping as many tiles as it overhangs.
int FirstTile(double distance, double tileSize, int count)
{
    const double n = std::trunc(distance / tileSize);
    if (!(n > 0.0)) return 0; // also NaN
    return n >= double(count) ? count : int(n);
}
} // namespace

void CMap_ImageGeo::Clear()
{
    m_Path.clear();
    m_Directory.clear();
    m_Loaded = false;
    m_FirstLineFlag = 1;
    m_OriginX = m_OriginY = 0.0;
    m_Height = m_Width = 0;
    m_PixelSizeX = m_PixelSizeY = 0.0;
    m_TileWidth = m_TileHeight = 0;
    m_DeclaredLevels = 0;
    m_Levels.clear();
}

bool CMap_ImageGeo::Load(const QString& path)
{
    Clear();
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, kMaxDescriptorBytes)) return false;

    QStringList lines;
    for (const QByteArray& raw : bytes.replace('\r', '\n').split('\n'))
    {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.isEmpty()) continue;
        lines << line;
        if (lines.size() == kMaxDescriptorLines) break;
    }
    if (lines.size() < 6) return false;

    Fields flag(lines[0]), origin(lines[1]), size(lines[2]), tile(lines[3]), count(lines[4]);
    m_FirstLineFlag = flag.Integer(0) == 0 ? 1 : 0;
    m_OriginX = origin.Number(0);
    m_OriginY = origin.Number(1);
    m_Height = size.Integer(0);
    m_Width = size.Integer(1);
    m_PixelSizeX = size.Number(2);
    m_PixelSizeY = size.Number(3);
    m_TileWidth = tile.Integer(0);
    m_TileHeight = tile.Integer(1);
    m_DeclaredLevels = count.Integer(0);
    bool bad = origin.bad || size.bad;
    // Tiles are counted by dividing by their size: a size below one pixel has no tiles at all.
    bad = bad || m_TileWidth < 1 || m_TileHeight < 1 || m_Height < 0 || m_Width < 0;

    const int levelLines = std::min(std::max(m_DeclaredLevels, 0), int(lines.size()) - 5);
    for (int i = 0; i < levelLines && !bad; ++i)
    {
        Fields f(lines[5 + i]);
        Image_LayerData level;
        level.TileRows = f.Integer(0);
        level.TileColumns = f.Integer(1);
        level.PixelSizeX = f.Number(2);
        level.PixelSizeY = f.Number(3);
        bad = f.bad || level.TileRows < 0 || level.TileColumns < 0;
        m_Levels.push_back(level);
    }
    if (bad)
    {
        Clear();
        return false;
    }
    const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    m_Directory = path.left(slash + 1);
    m_Path = path;
    m_Loaded = true;
    return true;
}

bool CMap_ImageGeo::GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const
{
    if (!m_Loaded || (m_PixelSizeX < kTinyPixel && m_PixelSizeY < kTinyPixel)) return false;
    const double x1 = m_OriginX - m_Height * m_PixelSizeX;
    const double y2 = m_OriginY + m_Width * m_PixelSizeY;
    xMin = std::min(x1, m_OriginX);
    xMax = std::max(x1, m_OriginX);
    yMin = std::min(m_OriginY, y2);
    yMax = std::max(m_OriginY, y2);
    return true;
}

bool CMap_ImageGeo::GetMaxScale(double& scale) const
{
    if (!m_Loaded || (m_PixelSizeX < kTinyPixel && m_PixelSizeY < kTinyPixel) || m_Levels.empty()) return false;
    scale = std::max(m_PixelSizeX, m_PixelSizeY);
    return true;
}

int CMap_ImageGeo::ChooseLevel(const CRect& client, double viewWidthY, double viewHeightX) const
{
    if (!m_Loaded || m_Levels.empty()) return -1;
    const double across = double(client.Width() / m_TileWidth);
    const double down = double(client.Height() / m_TileHeight);
    int chosen = -1;
    for (size_t i = 0; i < m_Levels.size() && chosen < 0; ++i)
    {
        const Image_LayerData& l = m_Levels[i];
        if (l.PixelSizeX < kTinyPixel || l.PixelSizeY < kTinyPixel) continue;
        const double u = std::trunc(viewWidthY / (m_TileWidth * l.PixelSizeY) + 0.5);
        const double v = std::trunc(viewHeightX / (m_TileHeight * l.PixelSizeX) + 0.5);
        if (std::fabs(v) <= down || std::fabs(u) <= across) chosen = int(i);
    }
    if (chosen < 0) chosen = int(m_Levels.size()) - 1;
    const Image_LayerData& l = m_Levels[size_t(chosen)];
    return (l.PixelSizeX < kTinyPixel || l.PixelSizeY < kTinyPixel) ? -1 : chosen;
}

void CMap_ImageGeo::WalkTiles(int level, double viewBottom, double viewTop, double viewLeft, double viewRight,
                              long maxTiles, const std::function<void(Image_PictureData&)>& visit) const
{
    if (level < 0 || size_t(level) >= m_Levels.size()) return;
    const Image_LayerData& l = m_Levels[size_t(level)];
    const double th = m_TileHeight * l.PixelSizeX;
    const double tw = m_TileWidth * l.PixelSizeY;
    if (!(th > 0.0) || !(tw > 0.0)) return;
    const int r0 = FirstTile(m_OriginX - viewTop, th, l.TileRows);
    const int c0 = FirstTile(viewLeft - m_OriginY, tw, l.TileColumns);
    long visited = 0;
    for (int r = r0; r < l.TileRows; ++r)
    {
        const double xHigh = m_OriginX - r * th;
        if (xHigh - viewBottom < 1e-6) break;
        for (int c = c0; c < l.TileColumns; ++c)
        {
            if (++visited > maxTiles) return;
            const double yLow = m_OriginY + c * tw;
            if (yLow - viewRight > 1e-6) break;
            Image_PictureData tile;
            tile.TileWidth = m_TileWidth;
            tile.TileHeight = m_TileHeight;
            tile.XLow = m_OriginX - (r + 1) * th;
            tile.XHigh = xHigh;
            tile.YLow = yLow;
            tile.YHigh = m_OriginY + (c + 1) * tw;
            tile.Level = level;
            tile.Row = r;
            tile.Column = c;
            visit(tile);
        }
        if (++visited > maxTiles) return;
    }
}
