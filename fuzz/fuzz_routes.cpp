// Feeds arbitrary bytes as a route file to both route readers (element and crossing-point mode),
// saves what was read, reads the saved file again and saves it once more: the two saved files
// must be identical (reading normalises a file once, after that nothing may drift or be lost).
// The curve exchange writers run on every route read. Any crash, sanitizer report or broken
// invariant fails.

#include "FuzzSupport.h"
#include "platform/MessageSink.h"
#include "road/CRoadDesign_CrossPoint.h"
#include "road/CRoadDesign_Element.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
// Files in memory where possible: the writers replace files through a temporary file and a
// rename, which is slow on a disk.
QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

template <typename Route>
void RoundTrip(const QString& input, const QString& first, const QString& second)
{
    Route route;
    Check(route.LibraryFile_Read(input) == 1, "an existing file reads");
    Check(route.LibraryFile_Save(first) == 1, "saving what was read works");
    Route again;
    Check(again.LibraryFile_Read(first) == 1, "the saved file reads");
    Check(again.LibraryFile_Save(second) == 1, "saving again works");
    Check(ReadBytes(first) == ReadBytes(second), "save, read, save gives the same bytes");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        SetMessageHandler([](const QString&, const QString&, MessageKind) { return MessageAnswer::Ok; });
        return true;
    }();
    (void)quiet;

    static const QString input = ScratchPath("fuzz_routes", "input");
    static const QString first = ScratchPath("fuzz_routes", "first");
    static const QString second = ScratchPath("fuzz_routes", "second");
    static const QString tdfe = ScratchPath("fuzz_routes", "tdfe");
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    RoundTrip<CRoadDesign_Element>(input, first, second);
    RoundTrip<CRoadDesign_CrossPoint>(input, first, second);

    CRoadDesign_Element element;
    element.LibraryFile_Read(input);
    (void)element.REToTDFE(tdfe);

    CRoadDesign_CrossPoint cross;
    cross.LibraryFile_Read(input);
    if (cross.RPtoTDFE(tdfe) == 1)
    {
        const QByteArray written = ReadBytes(tdfe);
        Check(written.startsWith("CURVE FILE(RP) Ver1.0\r\n"), "exchange file head");
        for (const QByteArray& line : written.split('\n'))
            if (!line.startsWith("RN,"))
                Check(!line.contains("nan") && !line.contains("inf"), "only finite numbers are written");
    }
    return 0;
}
