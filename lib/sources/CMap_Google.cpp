#include "sources/CMap_Google.h"

#include "geometry/Angle.h"
#include "platform/ProgressListener.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace
{
// The constant the extents have always been computed with; stored views and other programs
// reading the same files rely on the extents it gives, so it is kept as it is.
constexpr double kExtentE = 2.71828;

double LatitudeOfPixelRow(double pixelRow, double half, double pixelsPerRadian)
{
    const double t = 2.0 * (half - pixelRow) / pixelsPerRadian;
    const double q = std::pow(kExtentE, t);
    return std::asin((q - 1.0) / (q + 1.0)) * 180.0 / Angle::kPi;
}
} // namespace

CMap_Google::CMap_Google()
{
    m_CoordConvert.SetDestinationEllipsoid(6378137.0, 298.257223563);
}

CMap_Google::~CMap_Google() { Close(); }

void CMap_Google::Close()
{
    if (m_DB.isopen()) m_DB.close();
    m_Extents.fill(TileLevelExtent{});
    m_Lookups.fill(LevelLookup{});
    m_MinLevel = kLastStoredLevel;
    m_MaxLevel = kFirstStoredLevel;
    m_DrawnLevel = -1;
    m_TileCount = 0;
    m_Decoded.Clear();
}

int CMap_Google::OpenMapFile(const QString& path, IProgressListener* progress)
{
    if (!QFileInfo(path).isFile()) return 0;
    Close();
    try
    {
        m_DB.openReadOnly(ToUtf8(path).constData());
        // Reading the schema tells a database from any other file before anything is drawn.
        m_DB.execScalar("select count(*) from sqlite_master;");
    }
    catch (const CppSQLite3Exception&)
    {
        if (m_DB.isopen()) m_DB.close();
        return 0;
    }
    if (!m_DB.isopen()) return 0;

    if (progress)
    {
        progress->SetCaption(path);
        progress->Reset();
    }
    int lastPercent = -1;
    for (int z = kFirstStoredLevel; z <= kLastStoredLevel; ++z)
    {
        TileLevelExtent e;
        try
        {
            // A level missing from the file, or one that cannot be read, simply holds no tiles. The
            // count comes with the same pass over the table.
            CppSQLite3Query q = m_DB.execQuery(
                QStringLiteral("select MIN(X), MIN(Y), MAX(X), MAX(Y), count(*) from Tiles%1;").arg(z));
            if (!q.eof())
            {
                e = TileLevelExtent{q.getIntField(0), q.getIntField(1), q.getIntField(2), q.getIntField(3)};
                m_TileCount += q.getInt64Field(4);
            }
        }
        catch (const CppSQLite3Exception&)
        {
        }
        m_Extents[size_t(z)] = e;
        const int percent = (z - 3) * 100 / 14;
        if (progress && percent != lastPercent)
        {
            progress->SetPercent(percent);
            lastPercent = percent;
        }
    }
    auto holdsTiles = [this](int z) { return m_Extents[size_t(z)].maxColumn != 0 || m_Extents[size_t(z)].maxRow != 0; };
    m_MinLevel = kLastStoredLevel;
    for (int z = kFirstStoredLevel; z <= kLastStoredLevel; ++z)
        if (holdsTiles(z))
        {
            m_MinLevel = z;
            break;
        }
    m_MaxLevel = kFirstStoredLevel;
    for (int z = kLastStoredLevel; z >= kFirstStoredLevel; --z)
        if (holdsTiles(z))
        {
            m_MaxLevel = z;
            break;
        }

    const QFileInfo info(path);
    m_CacheDirectory = info.suffix().isEmpty() ? info.absoluteFilePath()
                                               : info.absoluteDir().filePath(info.completeBaseName());
    // The folder is made when the first tile is extracted, so that merely opening (to describe the
    // layer, say) leaves nothing behind.
    m_CachesOnDisk = true;
    m_CacheChecked = false;
    return 1;
}

TileLevelExtent CMap_Google::GetLevelExtent(int level) const
{
    if (level < 0 || level >= kLevelCount) return {};
    return m_Extents[size_t(level)];
}

int CMap_Google::GetRange(double& xMin, double& xMax, double& yMin, double& yMax, int projected)
{
    if (m_MaxLevel < m_MinLevel) return 0;
    const TileLevelExtent& e = m_Extents[size_t(m_MaxLevel)];
    if (e.maxColumn == 0 && e.maxRow == 0) return 0;
    const double n = 256.0 * std::ldexp(1.0, m_MaxLevel);
    const double half = n / 2.0;
    const double pixelsPerDegree = n / 360.0;
    const double pixelsPerRadian = n / (2.0 * Angle::kPi);

    const double west = (e.minColumn * 256.0 - half) / pixelsPerDegree;
    const double east = ((e.maxColumn + 1.0) * 256.0 - half) / pixelsPerDegree;
    const double south = LatitudeOfPixelRow((e.maxRow + 1.0) * 256.0, half, pixelsPerRadian);
    const double north = LatitudeOfPixelRow(e.minRow * 256.0, half, pixelsPerRadian);
    xMin = south;
    xMax = north;
    yMin = west;
    yMax = east;
    if (projected)
    {
        xyhCoord sw, ne;
        m_CoordConvert.BLHToxyh(BLHCoord{south, west, 0.0}, sw);
        m_CoordConvert.BLHToxyh(BLHCoord{north, east, 0.0}, ne);
        xMin = sw.x;
        yMin = sw.y;
        xMax = ne.x;
        yMax = ne.y;
    }
    return 1;
}

void CMap_Google::SetRange(double x1, double x2, double y1, double y2, int projected)
{
    double b1 = x1, l1 = y1, b2 = x2, l2 = y2;
    if (projected)
    {
        BLHCoord a, b;
        m_CoordConvert.xyhToBLH(xyhCoord{x1, y1, 0.0}, a);
        m_CoordConvert.xyhToBLH(xyhCoord{x2, y2, 0.0}, b);
        b1 = a.B, l1 = a.L, b2 = b.B, l2 = b.L;
    }
    m_CentreLatitude = (b1 + b2) / 2.0;
    m_CentreLongitude = (l1 + l2) / 2.0;
    const int w = m_DrawRect.Width(), h = m_DrawRect.Height();
    if (w != 0 && h != 0)
    {
        const double dB = (b2 - b1) / h;
        const double dL = (l2 - l1) / w;
        const double larger = dB > dL ? dB : dL;
        m_Scale = larger * std::ldexp(1.0, m_MaxLevel + 8) / 360.0;
    }
    else
        m_Scale = 8.0;
}

void CMap_Google::SetDestinationEllipsoid(const CoordinateSystem_EllipsoidParameter& ellipsoid)
{
    m_CoordConvert.SetDestinationEllipsoid(ellipsoid);
    m_HasSurveySystem = ellipsoid.Axis > 0.0;
}

void CMap_Google::SetProjection(const CoordinateSystem_ProjectParameter& projection)
{
    m_CoordConvert.SetProjection(projection);
}

int CMap_Google::ChooseLevel(double scale, int minLevel, int maxLevel, double& ratio)
{
    int z = maxLevel;
    ratio = scale > 0.0 ? 1.0 / scale : 1.0;
    while (ratio < 0.7 && z > minLevel)
    {
        ratio *= 2.0;
        --z;
    }
    return z;
}
