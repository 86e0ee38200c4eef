#include "sources/CMap_Image.h"

#include "map/CMapConvert.h"
#include "platform/FileIO.h"
#include "sources/CMap_ImageContainer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <unordered_set>

namespace
{
// However a descriptor is damaged, one draw looks at no more tile positions than this.
constexpr long kMaxTilesPerDraw = 20000;
// Decoded tiles held at once. A full-HD view needs about 60 tiles of 256 pixels (16 MB); only a
// damaged descriptor asks for more, and then the rest of the view stays empty.
constexpr qint64 kMaxHeldBytes = qint64(512) << 20;
} // namespace

// The container, opened only when a tile has to be extracted, and its time of change, against
// which cached tile files are judged.
class CMap_Image::ContainerAccess
{
public:
    explicit ContainerAccess(const QString& path) : m_Path(path) {}
    CMap_ImageContainer& Container()
    {
        if (!m_Container) m_Container = std::make_unique<CMap_ImageContainer>(m_Path);
        return *m_Container;
    }
    // A cache file older than the container was cut from an earlier pyramid.
    bool IsFresh(const QFileInfo& cached)
    {
        if (!m_Modified.isValid()) m_Modified = QFileInfo(m_Path).lastModified();
        return !m_Modified.isValid() || cached.lastModified() >= m_Modified;
    }

private:
    QString m_Path;
    std::unique_ptr<CMap_ImageContainer> m_Container;
    QDateTime m_Modified;
};

bool CMap_Image::ProvideTile(Image_PictureData& tile, ContainerAccess& access)
{
    tile.FileName = CacheName(tile.Level, tile.Row, tile.Column);
    if (m_Items.count(tile.FileName)) return true;
    const QFileInfo cached(tile.FileName);
    if (cached.isFile() && access.IsFresh(cached)) return true;

    QByteArray jpeg;
    if (!access.Container().ReadTile(tile.Level, tile.Row, tile.Column, jpeg)) return false;
    const QString rowFolder = m_Geo.GetDirectory() + QStringLiteral("%1/Sub%2").arg(tile.Level).arg(tile.Row);
    // Written whole or not at all: a tile cut short by a crash would otherwise be drawn wrong for
    // ever. Where nothing can be written the bytes are kept for decoding instead.
    if (!QDir().mkpath(rowFolder) || !WriteFileAtomically(tile.FileName, jpeg)) m_Uncached[tile.FileName] = jpeg;
    return true;
}

bool CMap_Image::ChooseTiles(ContainerAccess& access)
{
    const CRect client = m_pMapConvert->GetClientRect();
    const int level = m_Geo.ChooseLevel(client, m_ViewRight - m_ViewLeft, m_ViewTop - m_ViewBottom);
    if (level < 0) return false;
    m_Needed.clear();
    m_Geo.WalkTiles(level, m_ViewBottom, m_ViewTop, m_ViewLeft, m_ViewRight, kMaxTilesPerDraw,
                    [&](Image_PictureData& tile) {
                        if (ProvideTile(tile, access)) m_Needed.push_back(tile);
                    });
    return !m_Needed.empty();
}

void CMap_Image::Draw(QPainter* painter)
{
    if (!m_Geo.IsLoaded() || !m_pMapConvert || !painter) return;
    const CRect client = m_pMapConvert->GetClientRect();
    const xyhCoord start = m_pMapConvert->GetStartCor();
    const double scale = m_pMapConvert->GetScale();
    m_ViewBottom = start.x;
    m_ViewTop = start.x + client.Height() * scale;
    m_ViewLeft = start.y;
    m_ViewRight = start.y + client.Width() * scale;

    ContainerAccess access(ContainerPath());
    m_Uncached.clear();
    if (!ChooseTiles(access)) return;

    std::unordered_set<QString> needed;
    for (const Image_PictureData& tile : m_Needed) needed.insert(tile.FileName);
    for (auto it = m_Items.begin(); it != m_Items.end();)
        it = needed.count(it->first) ? std::next(it) : m_Items.erase(it);

    // Plain stretching, no smoothing: the look of a colour-on-colour stretch, and fast.
    qint64 held = 0;
    for (const auto& entry : m_Items) held += entry.second->BitmapBytes();
    const bool smooth = painter->testRenderHint(QPainter::SmoothPixmapTransform);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Image_PictureData& tile : m_Needed)
    {
        auto it = m_Items.find(tile.FileName);
        if (it == m_Items.end())
        {
            const auto bytes = m_Uncached.find(tile.FileName);
            auto item = std::make_unique<CMap_ImageItem>(tile, bytes == m_Uncached.end() ? QByteArray() : bytes->second);
            item->SetConvert(m_pMapConvert);
            it = m_Items.emplace(tile.FileName, std::move(item)).first;
        }
        CMap_ImageItem& item = *it->second;
        if (!item.UpdateDestination()) continue;
        if (!item.HasBitmap())
        {
            if (held > kMaxHeldBytes || !item.LoadBitmap()) continue;
            held += item.BitmapBytes();
            ++m_Decodes;
            if (!item.UpdateDestination()) continue; // the picture's own size may differ from the tile's
        }
        item.Draw(painter);
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    m_Uncached.clear();
}
