// tesvane pyramid: cuts a georeferenced raster into the tile pyramid that image layers draw.

#include "CliUtil.h"
#include "Command.h"

#include "platform/ProgressListener.h"
#include "sources/ImagePyramidWriter.h"

namespace
{
const char kHelp[] =
    "usage: tesvane pyramid IN OUT [--tile 256] [--quality 90]\n\n"
    "Reads IN, a north-up raster GDAL can open (a GeoTIFF with a geotransform, or an image with\n"
    "a world file such as .jgw, .pgw, .tfw or .wld), and writes the image layer OUT (a text\n"
    "descriptor) with its tile container OUT + \"S\". Level 0 keeps the full resolution; each\n"
    "further level halves it until one tile holds the whole image. --tile gives the square tile\n"
    "size in pixels (16 to 4096), --quality the JPEG quality (1 to 100). Both files are replaced\n"
    "only when complete. Progress goes to stderr. Open OUT as a layer of format 1.";

// Percentages on one stderr line, rewritten in place.
struct StderrProgress : IProgressListener
{
    void SetCaption(const QString& path) override { Err(QStringLiteral("reading %1\n").arg(path)); }
    void Reset() override {}
    void SetPercent(int percent) override
    {
        Err(QStringLiteral("\r%1%").arg(percent));
        if (percent == 100) Err(QStringLiteral("\n"));
    }
};

bool TakeInteger(QStringList& args, const QString& name, int& value, QString& error)
{
    QString text;
    bool found = false;
    if (!TakeOption(args, name, text, found, error)) return false;
    if (!found) return true;
    bool ok = false;
    value = text.toInt(&ok);
    if (!ok) error = QStringLiteral("%1 needs a whole number, not \"%2\"").arg(name, text);
    return ok;
}

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error;
    ImagePyramidOptions options;
    if (!TakeInteger(args, QStringLiteral("--tile"), options.TileSize, error)) return UsageError(error);
    if (!TakeInteger(args, QStringLiteral("--quality"), options.Quality, error)) return UsageError(error);
    if (args.size() != 2) return UsageError(QStringLiteral("pyramid needs IN and OUT"));
    StderrProgress progress;
    ImagePyramidSummary summary;
    if (!WriteImagePyramid(args[0], args[1], options, &progress, &error, &summary)) return UsageError(error);
    Out(QStringLiteral("wrote %1 and %1S: %2 x %3 pixels, %4 levels, %5 tiles\n")
            .arg(args[1])
            .arg(summary.Width)
            .arg(summary.Height)
            .arg(summary.Levels)
            .arg(summary.Tiles));
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("pyramid"), QStringLiteral("pyramid IN OUT [--tile 256] [--quality 90]"),
                           QString::fromLatin1(kHelp), &Run});
} // namespace
