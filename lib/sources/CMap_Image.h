#pragma once

#include "platform/Export.h"
#include "sources/CMap_ImageGeo.h"
#include "sources/CMap_ImageItem.h"

#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

class CMapConvert;
class IProgressListener;
class QPainter;

// A georeferenced raster cut into a pyramid of JPEG tiles: a text descriptor (CMap_ImageGeo) and
// a container file beside it (the descriptor path + "S"). At each draw the level suited to the
// scale is chosen, the tiles covering the view are extracted from the container into a cache tree
// beside the descriptor ("<level>/Sub<row>/<row>x<column>.jpg"), and drawn stretched; decoded
// tiles stay in memory while they stay in view.
//
// Cache files are written atomically and re-extracted when the container is newer than they are,
// so neither a crash half-way nor a rebuilt pyramid leaves a wrong tile behind. Where the cache
// cannot be written (read-only media) tiles are decoded straight from the container.
class TESVANE_API CMap_Image
{
public:
    CMap_Image();
    ~CMap_Image();
    CMap_Image(const CMap_Image&) = delete;
    CMap_Image& operator=(const CMap_Image&) = delete;

    // Loads the descriptor at `path`; `mode` is stored (GetMode) and changes nothing. Progress:
    // caption, reset, 50, 100. 1 on success; 0 when the descriptor cannot be read, holds fewer
    // than six lines or gives unusable sizes (CMap_ImageGeo::Load); the previous image then stays.
    int SetImage(const QString& path, int mode, IProgressListener* progress);
    int GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const;
    int GetMaxScale(double& scale) const;
    void SetConvert(CMapConvert* convert) { m_pMapConvert = convert; }
    void Draw(QPainter* painter);
    // Empties the description and frees every held tile.
    void Clear();

    const CMap_ImageGeo& Geo() const { return m_Geo; }
    int GetMode() const { return m_Mode; }
    QString GetImageName() const { return m_ImageName; }
    QString ContainerPath() const { return m_Geo.GetPath() + QLatin1Char('S'); }
    // The cache file of one tile.
    QString CacheName(int level, int row, int column) const;

    // What the last draw found: the tiles covering the view, the tiles held in memory.
    const std::vector<Image_PictureData>& NeededTiles() const { return m_Needed; }
    int GetItemCount() const { return int(m_Items.size()); }
    const CMap_ImageItem* FindItem(const QString& fileName) const;
    // Tiles decoded since SetImage (a redraw of an unchanged view decodes none).
    long long DecodeCount() const { return m_Decodes; }

private:
    class ContainerAccess;
    bool ChooseTiles(ContainerAccess& container);
    bool ProvideTile(Image_PictureData& tile, ContainerAccess& container);

    CMap_ImageGeo m_Geo;
    QString m_ImageName;
    int m_Mode = 0;
    CMapConvert* m_pMapConvert = nullptr;
    std::vector<Image_PictureData> m_Needed;
    // JPEG bytes of needed tiles that could not be cached on disk, by cache name.
    std::unordered_map<QString, QByteArray> m_Uncached;
    std::unordered_map<QString, std::unique_ptr<CMap_ImageItem>> m_Items;
    double m_ViewBottom = 0, m_ViewTop = 0, m_ViewLeft = 0, m_ViewRight = 0;
    long long m_Decodes = 0;
};
