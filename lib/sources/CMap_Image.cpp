#include "sources/CMap_Image.h"

#include "platform/ProgressListener.h"

#include <QFileInfo>

CMap_Image::CMap_Image() = default;

CMap_Image::~CMap_Image() = default;

int CMap_Image::SetImage(const QString& path, int mode, IProgressListener* progress)
{
    if (!QFileInfo(path).isFile()) return 0;
    if (progress)
    {
        progress->SetCaption(path);
        progress->Reset();
    }
    CMap_ImageGeo geo;
    if (!geo.Load(path)) return 0;
    if (progress) progress->SetPercent(50);
    Clear();
    m_Geo = std::move(geo);
    m_Mode = mode;
    m_ImageName = QFileInfo(path).completeBaseName();
    if (progress) progress->SetPercent(100);
    return 1;
}

int CMap_Image::GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const
{
    return m_Geo.GetRange(xMin, xMax, yMin, yMax) ? 1 : 0;
}

int CMap_Image::GetMaxScale(double& scale) const { return m_Geo.GetMaxScale(scale) ? 1 : 0; }

void CMap_Image::Clear()
{
    m_Geo.Clear();
    m_ImageName.clear();
    m_Needed.clear();
    m_Uncached.clear();
    m_Items.clear();
    m_Decodes = 0;
}

QString CMap_Image::CacheName(int level, int row, int column) const
{
    return m_Geo.GetDirectory() + QStringLiteral("%1/Sub%2/%2x%3.jpg").arg(level).arg(row).arg(column);
}

const CMap_ImageItem* CMap_Image::FindItem(const QString& fileName) const
{
    const auto it = m_Items.find(fileName);
    return it == m_Items.end() ? nullptr : it->second.get();
}
