// tesvane tileset: converts MBTiles or a z/x/y tile folder into a tile set database.

#include "CliUtil.h"
#include "Command.h"

#include "platform/ProgressListener.h"
#include "sources/TileSetWriter.h"

namespace
{
const char kHelp[] =
    "usage: tesvane tileset IN OUT.db [--quality N]\n\n"
    "Writes the tile set database OUT.db (a map layer of format 7) from IN, either an MBTiles\n"
    "file (rows counted from the south) or a folder of z/x/y.jpg or .png tiles (rows counted from\n"
    "the north). Tiles other than JPEG are re-encoded as JPEG with quality N (default 90); levels\n"
    "outside 4 to 17 are left out with a note. OUT.db is written whole and then put in place, so\n"
    "a failure leaves any older OUT.db as it was. Progress goes to stderr.";

// Percentages on one stderr line.
class StderrProgress : public IProgressListener
{
public:
    void SetCaption(const QString& path) override { Err(QStringLiteral("reading %1\n").arg(path)); }
    void Reset() override {}
    void SetPercent(int percent) override
    {
        if (percent / 10 == m_LastTenth) return;
        m_LastTenth = percent / 10;
        Err(QStringLiteral("%1%%2").arg(percent).arg(percent >= 100 ? QStringLiteral("\n") : QStringLiteral(" ")));
    }

private:
    int m_LastTenth = -1;
};

int Run(const QStringList& argsIn)
{
    QStringList args = argsIn;
    QString error;
    double quality = 90;
    if (!TakeNumberOption(args, QStringLiteral("--quality"), quality, error)) return UsageError(error);
    if (quality < 1 || quality > 100 || quality != int(quality))
        return UsageError(QStringLiteral("--quality needs a whole number from 1 to 100"));
    if (args.size() != 2) return UsageError(QStringLiteral("tileset needs IN and OUT.db"));

    StderrProgress progress;
    const TileSetWriteResult result = WriteTileSet(args[0], args[1], int(quality), &progress);
    for (const QString& note : result.notes) Err(QStringLiteral("note: %1\n").arg(note));
    if (!result.ok) return UsageError(result.error);
    Out(QStringLiteral("%1 tiles, levels %2-%3, written to %4\n")
            .arg(result.tiles)
            .arg(result.minLevel)
            .arg(result.maxLevel)
            .arg(args[1]));
    return kExitOk;
}

const RegisterCommand reg({QStringLiteral("tileset"), QStringLiteral("tileset IN OUT.db [--quality N]"),
                           QString::fromLatin1(kHelp), &Run});
} // namespace
