#include "sources/ImagePyramidWriter.h"

#include "platform/FileIO.h"
#include "platform/ProgressListener.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QtEndian>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>

#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace
{
constexpr int kHeaderBytes = 20;
constexpr char kHeader[kHeaderBytes + 1] = "tesvane pyramid 1\0\0\0";

struct DatasetCloser
{
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};

// GDAL reports problems on stderr by default; here they become the one message the caller shows.
struct QuietGdal
{
    QuietGdal()
    {
        static std::once_flag once;
        std::call_once(once, [] { GDALAllRegister(); });
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
};

// Reads the raster a strip of rows at a time as 8-bit red, green, blue.
class RgbReader
{
public:
    bool Setup(GDALDataset* ds, QString& why)
    {
        m_Ds = ds;
        const int bands = ds->GetRasterCount();
        if (bands < 1) return (why = QStringLiteral("holds no raster band")), false;
        m_Rgb = bands >= 3;
        GDALRasterBand* first = ds->GetRasterBand(1);
        // Wider values (16-bit imagery, elevations) are stretched from their range onto 0..255
        // rather than clipped, which would draw most of them white.
        m_Stretch = first->GetRasterDataType() != GDT_Byte;
        for (int b = 1; m_Stretch && b <= (m_Rgb ? 3 : 1); ++b)
        {
            // Minimum and maximum from a sample; unlike statistics they leave no side file.
            double range[2] = {0, 0};
            if (ds->GetRasterBand(b)->ComputeRasterMinMax(TRUE, range) != CE_None)
                return (why = QStringLiteral("has no readable values")), false;
            m_Low[b - 1] = range[0];
            m_Span[b - 1] = range[1] > range[0] ? range[1] - range[0] : 1.0;
        }
        const GDALColorTable* table = first->GetColorTable();
        if (!m_Rgb && table && first->GetColorInterpretation() == GCI_PaletteIndex)
        {
            m_Palette.resize(256 * 3, 0);
            for (int i = 0; i < std::min(256, table->GetColorEntryCount()); ++i)
            {
                const GDALColorEntry* e = table->GetColorEntry(i);
                m_Palette[size_t(i) * 3] = uchar(e->c1);
                m_Palette[size_t(i) * 3 + 1] = uchar(e->c2);
                m_Palette[size_t(i) * 3 + 2] = uchar(e->c3);
            }
        }
        return true;
    }
    // Rows y0 .. y0 + rows - 1, width w, into `out` (w * rows * 3 bytes).
    bool Read(int y0, int rows, int w, std::vector<uchar>& out)
    {
        out.resize(size_t(w) * size_t(rows) * 3);
        if (m_Stretch) return ReadStretched(y0, rows, w, out);
        if (m_Rgb)
        {
            int bands[3] = {1, 2, 3};
            return m_Ds->RasterIO(GF_Read, 0, y0, w, rows, out.data(), w, rows, GDT_Byte, 3, bands, 3,
                                  GSpacing(w) * 3, 1, nullptr) == CE_None;
        }
        m_Grey.resize(size_t(w) * size_t(rows));
        if (m_Ds->GetRasterBand(1)->RasterIO(GF_Read, 0, y0, w, rows, m_Grey.data(), w, rows, GDT_Byte, 0, 0,
                                             nullptr) != CE_None)
            return false;
        for (size_t i = 0; i < m_Grey.size(); ++i)
        {
            const uchar v = m_Grey[i];
            const uchar* rgb = m_Palette.empty() ? nullptr : &m_Palette[size_t(v) * 3];
            out[i * 3] = rgb ? rgb[0] : v;
            out[i * 3 + 1] = rgb ? rgb[1] : v;
            out[i * 3 + 2] = rgb ? rgb[2] : v;
        }
        return true;
    }

private:
    bool ReadStretched(int y0, int rows, int w, std::vector<uchar>& out)
    {
        m_Values.resize(size_t(w) * size_t(rows));
        for (int b = 0; b < 3; ++b)
        {
            const int band = m_Rgb ? b : 0;
            if (b == 0 || m_Rgb)
                if (m_Ds->GetRasterBand(band + 1)->RasterIO(GF_Read, 0, y0, w, rows, m_Values.data(), w, rows,
                                                            GDT_Float64, 0, 0, nullptr) != CE_None)
                    return false;
            for (size_t i = 0; i < m_Values.size(); ++i)
            {
                const double v = (m_Values[i] - m_Low[band]) * 255.0 / m_Span[band];
                out[i * 3 + size_t(b)] = uchar(v >= 255.0 ? 255 : v > 0.0 ? int(v + 0.5) : 0);
            }
        }
        return true;
    }

    GDALDataset* m_Ds = nullptr;
    bool m_Rgb = false;
    bool m_Stretch = false;
    double m_Low[3] = {0, 0, 0};
    double m_Span[3] = {1, 1, 1};
    std::vector<double> m_Values;
    std::vector<uchar> m_Palette;
    std::vector<uchar> m_Grey;
};

// One pyramid level while it is being cut: rows arrive from the finer level (or the input),
// fill a strip one tile high, and each full strip is encoded tile by tile into a scratch file.
struct Level
{
    int width = 0, height = 0, rows = 0, columns = 0;
    std::vector<uchar> strip;
    int filled = 0, received = 0;
    std::vector<uchar> pending; // the first row of a pair, waiting for its partner
    bool hasPending = false;
    std::unique_ptr<QTemporaryFile> data;
    qint64 dataSize = 0;
    std::vector<std::array<quint32, 2>> entries; // offset within `data`, size
};

class PyramidCutter
{
public:
    PyramidCutter(const ImagePyramidOptions& options, const QString& scratchFolder)
        : m_Tile(options.TileSize), m_Quality(options.Quality), m_Scratch(scratchFolder)
    {
    }

    bool Start(int width, int height, QString& why)
    {
        for (int w = width, h = height;; w = (w + 1) / 2, h = (h + 1) / 2)
        {
            Level l;
            l.width = w;
            l.height = h;
            l.rows = (h + m_Tile - 1) / m_Tile;
            l.columns = (w + m_Tile - 1) / m_Tile;
            l.strip.resize(size_t(w) * size_t(m_Tile) * 3);
            l.data = std::make_unique<QTemporaryFile>(m_Scratch + QStringLiteral("/.pyramid-XXXXXX"));
            if (!l.data->open()) return (why = QStringLiteral("cannot write scratch files in %1").arg(m_Scratch)), false;
            m_Levels.push_back(std::move(l));
            if (w <= m_Tile && h <= m_Tile) break;
        }
        return true;
    }

    bool PushRow(size_t k, const uchar* row)
    {
        Level& l = m_Levels[k];
        const size_t bytes = size_t(l.width) * 3;
        std::copy(row, row + bytes, l.strip.begin() + std::ptrdiff_t(size_t(l.filled) * bytes));
        ++l.filled;
        ++l.received;
        if ((l.filled == m_Tile || l.received == l.height) && !EncodeStrip(l)) return false;
        if (k + 1 == m_Levels.size()) return true;
        if (!l.hasPending)
        {
            l.pending.assign(row, row + bytes);
            l.hasPending = true;
            // An odd last row pairs with itself.
            if (l.received == l.height) return Halve(k, l.pending.data(), l.pending.data());
            return true;
        }
        l.hasPending = false;
        return Halve(k, l.pending.data(), row);
    }

    const std::vector<Level>& Levels() const { return m_Levels; }
    QString Error() const { return m_Error; }

private:
    // Averages two rows of level k, 2 x 2 pixels at a time, into one row of level k + 1; a last
    // odd column pairs with itself.
    bool Halve(size_t k, const uchar* a, const uchar* b)
    {
        const int w = m_Levels[k].width;
        const int half = m_Levels[k + 1].width;
        m_Half.resize(size_t(half) * 3);
        for (int j = 0; j < half; ++j)
        {
            const int c0 = 2 * j, c1 = std::min(2 * j + 1, w - 1);
            for (int ch = 0; ch < 3; ++ch)
                m_Half[size_t(j) * 3 + ch] =
                    uchar((a[c0 * 3 + ch] + a[c1 * 3 + ch] + b[c0 * 3 + ch] + b[c1 * 3 + ch] + 2) / 4);
        }
        const std::vector<uchar> row = m_Half; // the next level may reuse m_Half while this row is in use
        return PushRow(k + 1, row.data());
    }

    bool EncodeStrip(Level& l)
    {
        const QImage strip(l.strip.data(), l.width, l.filled, l.width * 3, QImage::Format_RGB888);
        for (int c = 0; c < l.columns; ++c)
        {
            const QImage tile = strip.copy(c * m_Tile, 0, std::min(m_Tile, l.width - c * m_Tile), l.filled);
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, "jpeg");
            writer.setQuality(m_Quality);
            if (!writer.write(tile)) return (m_Error = QStringLiteral("cannot encode a JPEG tile")), false;
            const QByteArray& jpeg = buffer.data();
            // Tile offsets are 32-bit: one level's tiles must stay within 4 GiB.
            if (qint64(l.rows) * l.columns * 8 + l.dataSize > qint64(0xFFFFFFFFu))
                return (m_Error = QStringLiteral("one pyramid level exceeds 4 GiB; use a smaller --quality")), false;
            if (l.data->write(jpeg) != jpeg.size())
                return (m_Error = QStringLiteral("cannot write scratch files in %1").arg(m_Scratch)), false;
            l.entries.push_back({quint32(l.dataSize), quint32(jpeg.size())});
            l.dataSize += jpeg.size();
        }
        l.filled = 0;
        return true;
    }

    int m_Tile;
    int m_Quality;
    QString m_Scratch;
    std::vector<Level> m_Levels;
    std::vector<uchar> m_Half;
    QString m_Error;
};

void PutU32(QByteArray& out, quint32 v)
{
    uchar b[4];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 4);
}

void PutI64(QByteArray& out, qint64 v)
{
    uchar b[8];
    qToLittleEndian(v, b);
    out.append(reinterpret_cast<const char*>(b), 8);
}

bool WriteContainer(const QString& path, const std::vector<Level>& levels, QString& why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return (why = QStringLiteral("cannot write %1").arg(path)), false;
    QByteArray head(kHeader, kHeaderBytes);
    PutU32(head, quint32(levels.size()));
    qint64 block = kHeaderBytes + 4 + 8 * qint64(levels.size());
    for (size_t k = 0; k < levels.size(); ++k)
    {
        PutI64(head, block - (24 + 8 * qint64(k)));
        block += 8 + 8 * qint64(levels[k].entries.size()) + levels[k].dataSize;
    }
    bool ok = file.write(head) == head.size();
    for (const Level& l : levels)
    {
        QByteArray table;
        PutU32(table, quint32(l.columns));
        PutU32(table, quint32(l.rows));
        const quint32 tableBytes = quint32(l.entries.size() * 8);
        for (const auto& e : l.entries)
        {
            PutU32(table, tableBytes + e[0]);
            PutU32(table, e[1]);
        }
        ok = ok && file.write(table) == table.size();
        QFile& data = *l.data;
        ok = ok && data.flush() && data.seek(0);
        QByteArray chunk;
        while (ok && !(chunk = data.read(1 << 20)).isEmpty()) ok = file.write(chunk) == chunk.size();
    }
    if (!ok || !file.commit()) return (why = QStringLiteral("cannot write %1").arg(path)), false;
    return true;
}

QString Number(double v) { return QString::number(v, 'g', 15); }
} // namespace

bool WriteImagePyramid(const QString& input, const QString& output, const ImagePyramidOptions& options,
                       IProgressListener* progress, QString* error, ImagePyramidSummary* summary)
{
    QString why;
    auto fail = [&](const QString& message) {
        if (error) *error = message;
        return false;
    };
    if (options.TileSize < 16 || options.TileSize > 4096) return fail(QStringLiteral("the tile size must lie between 16 and 4096 pixels"));
    if (options.Quality < 1 || options.Quality > 100) return fail(QStringLiteral("the JPEG quality must lie between 1 and 100"));
    if (!QImageWriter::supportedImageFormats().contains("jpeg")) return fail(QStringLiteral("JPEG encoding is not available"));

    QuietGdal quiet;
    std::unique_ptr<GDALDataset, DatasetCloser> ds(GDALDataset::Open(input.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    if (!ds) return fail(QStringLiteral("cannot read \"%1\" as a raster").arg(input));
    const int width = ds->GetRasterXSize(), height = ds->GetRasterYSize();
    if (width < 1 || height < 1) return fail(QStringLiteral("\"%1\" holds no pixels").arg(input));
    double gt[6] = {0, 1, 0, 0, 0, 1};
    if (ds->GetGeoTransform(gt) != CE_None)
        return fail(QStringLiteral("\"%1\" has no georeferencing (neither a geotransform nor a world file)").arg(input));
    // The pyramid's tiles are axis-aligned: columns run east, rows south.
    if (gt[2] != 0.0 || gt[4] != 0.0 || !(gt[1] > 0.0) || !(gt[5] < 0.0))
        return fail(QStringLiteral("\"%1\" is not a north-up raster (rotated or flipped); warp it north-up first").arg(input));
    RgbReader reader;
    if (!reader.Setup(ds.get(), why)) return fail(QStringLiteral("\"%1\" %2").arg(input, why));

    const QString folder = QFileInfo(output).absolutePath();
    PyramidCutter cutter(options, folder);
    if (!cutter.Start(width, height, why)) return fail(why);
    if (progress)
    {
        progress->SetCaption(input);
        progress->Reset();
    }
    std::vector<uchar> strip;
    const int tile = options.TileSize;
    int lastPercent = -1;
    for (int y0 = 0; y0 < height; y0 += tile)
    {
        const int rows = std::min(tile, height - y0);
        if (!reader.Read(y0, rows, width, strip))
            return fail(QStringLiteral("cannot read the pixels of \"%1\": %2").arg(input, QString::fromUtf8(CPLGetLastErrorMsg())));
        for (int r = 0; r < rows; ++r)
            if (!cutter.PushRow(0, strip.data() + size_t(r) * size_t(width) * 3)) return fail(cutter.Error());
        const int percent = int((qint64(y0) + rows) * 99 / height);
        if (progress && percent != lastPercent) progress->SetPercent(lastPercent = percent);
    }

    const std::vector<Level>& levels = cutter.Levels();
    const double pixelX = -gt[5], pixelY = gt[1];
    QString text = QStringLiteral("0\r\n%1,%2\r\n%3,%4,%5,%6\r\n%7,%7\r\n%8\r\n")
                       .arg(Number(gt[3]), Number(gt[0]))
                       .arg(height)
                       .arg(width)
                       .arg(Number(pixelX), Number(pixelY))
                       .arg(tile)
                       .arg(levels.size());
    long long tiles = 0;
    for (size_t k = 0; k < levels.size(); ++k)
    {
        const double f = double(1LL << k);
        text += QStringLiteral("%1,%2,%3,%4\r\n").arg(levels[k].rows).arg(levels[k].columns).arg(Number(pixelX * f), Number(pixelY * f));
        tiles += qint64(levels[k].rows) * levels[k].columns;
    }
    // The container first: a descriptor is never left pointing at a container that is not there.
    if (!WriteContainer(output + QLatin1Char('S'), levels, why)) return fail(why);
    if (!WriteFileAtomically(output, text.toLatin1(), &why)) return fail(QStringLiteral("cannot write %1: %2").arg(output, why));
    if (progress) progress->SetPercent(100);
    if (summary) *summary = {width, height, int(levels.size()), tiles};
    return true;
}
